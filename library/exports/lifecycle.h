#pragma once
// The library's lifecycle and the work behind each export, in C++ terms. The extern "C"
// functions of selq32.h only convert arguments, pump events and catch failures around
// these.

#include <QByteArray>
#include <QString>

namespace korvi::selq {

// Starts or shows the designer on a model. 1 (after message 56) when the file is missing.
int runDesigner(const QString& modelPath);
// Hides the designer and empties the query; nothing when the designer was never created.
void exitDesigner();
bool designerRunning();
int loadQueryFile(const QString& path);
int loadModelFile(const QString& path);
int executeQuery();
int displayResult();
int setDesignerSize(int code);
int registerCallBack(quint32 window);
int unregisterCallBack();
void unloadDesigner();
void showCustomButton(bool visible);
void setCustomButtonCaption(const QString& caption);
int sqlLineCount();
// Line n (1-based) of the SQL text as 8-bit text; false when n is out of range.
bool sqlLine(int n, QByteArray& line);

// Makes a model current: new reader on the full path, the path (cut to 80 characters,
// lower case when asked) stored, and the model shown by the designer window.
void makeModelCurrent(const QString& path, bool lowerCase);

// Returns the library to its state at load: destroys the designer window and forgets the
// host settings. Used by tests that drive one lifecycle after another.
void resetLibraryState();

}  // namespace korvi::selq
