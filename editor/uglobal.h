#pragma once
// Program-wide state of the model editor, shared by its dialogs: the open model and the
// result slots of the table dialogs, plus the model lifecycle (default model, New, Open,
// closing) and the application-wide error report.

#include <QString>
#include <memory>

#include "common/ini/modelfile.h"

namespace korvi::relmap {

inline constexpr char kDefaultModel[] = "defaut.mdl";

struct Session {
  std::unique_ptr<ModelFile> ModelIni;  // the open model
  QString ModelName;                    // file-name part of the open model
  QString ModelPath;                    // full path of the open model
  QString ProgramDir;                   // directory of the executable, no trailing separator
  QString ModelDir;                     // where the default model lives (ProgramDir when writable)
  QString SelectedAlias;                // result slot of the alias dialog
  QString SelectedTable;                // result slot of the alias dialog and the table chooser
  bool captionChanged = false;          // a New or Open happened: "Relmap : <...>" caption form

  // The open model; binds the default one when none is bound yet.
  ModelFile& model();
  void bindModel(const QString& path);
  void releaseModel();
};

Session& session();

// The directory of the default model: the program's directory when it may be written, else
// the per-user data directory ($XDG_DATA_HOME/korvi, default ~/.local/share/korvi).
QString defaultModelDirectory(const QString& programDir);
// Full path of the default model.
QString defaultModelPath();

// Binds the default model "defaut.mdl" (start-up state).
void openDefaultModel();
// Whether a path can name a model file: not empty, not a directory, in an existing directory.
bool usableModelPath(const QString& path);
// New model with a confirmed path (empty = the file dialog was cancelled): binds it, or
// shows message 78 and falls back to the default model when the name is unusable.
void newModel(const QString& chosenPath);
// Open model with a confirmed path.
void openModel(const QString& chosenPath);
// "Relmap32 : <name>" at start-up, "Relmap : <name>" after any New or Open.
QString mainCaption();
// The quit question 79: true when the user answered Yes.
bool confirmQuit();
// Releases the model and compacts its file.
void closeModel();

// Converts a filter of the form "desc|pattern|desc|pattern" into Qt's form, with the
// patterns matched in either case.
QString qtFilter(const QString& windowsFilter);

// The application-wide report of an unexpected failure: restores the arrow cursor and
// shows message 81 followed by the failure's text, as an error box with OK.
void reportInternalError(const QString& text);

// A text in the interface language for the few bilingual texts written in code.
QString frenchOrEnglish(const char* french, const char* english);

}  // namespace korvi::relmap

namespace korvi::relmap {
// Text `number` with its "%s" replaced by the value.
QString textWith(int number, const QString& value);
}  // namespace korvi::relmap
