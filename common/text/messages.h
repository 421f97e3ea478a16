#pragma once
// The message interface through which logic code shows messages and asks questions.
// Windows install the dialog implementation; tests install a recording one. Logic never
// opens a dialog itself.

#include <QString>
#include <QStringList>
#include <memory>

namespace korvi {

enum class MsgKind { Warning, Error, Information, Confirmation, Plain };

// Buttons in the order they are laid out from left to right.
enum MsgButton : unsigned {
  mbYes = 1u << 0,
  mbNo = 1u << 1,
  mbOK = 1u << 2,
  mbCancel = 1u << 3,
  mbAbort = 1u << 4,
  mbRetry = 1u << 5,
  mbIgnore = 1u << 6,
  mbAll = 1u << 7,
  mbHelp = 1u << 8,
};
using MsgButtons = unsigned;

// Modal results, numbered as the callers compare them.
enum ModalResult : int {
  mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4,
  mrIgnore = 5, mrYes = 6, mrNo = 7, mrAll = 8,
};

// Which box shows the message: the deliverable's own dialog, the framework's plain box
// (caption = application title, one OK button) or the framework's dialog with its English
// captions.
enum class MsgStyle { Own, FrameworkPlain, Framework };

struct MessageRequest {
  QString text;
  MsgKind kind = MsgKind::Information;
  MsgButtons buttons = mbOK;
  MsgButton defaultButton = mbOK;
  int left = -1;  // explicit position when 0 or more, else centred
  int top = -1;
  MsgStyle style = MsgStyle::Own;
};

struct FileRequest {
  bool save = false;
  QString caption;
  QString directory;
  QString fileName;
  QString filter;       // Qt filter text, "Models (*.mdl);;All files (*)"
  QString defaultSuffix;
  QString objectName;   // the dialog's object name, when it has one
};

class Messages {
 public:
  virtual ~Messages() = default;
  // Shows the box and returns the modal result of the button pressed (or the Escape result).
  virtual int showMessage(const MessageRequest& request) = 0;
  // One-line input box: true and the edited text on OK, false and the text unchanged otherwise.
  virtual bool askText(const QString& caption, const QString& prompt, QString& text) = 0;
  // Open or save file dialog: true and the chosen path, false when cancelled.
  virtual bool askFile(const FileRequest& request, QString& path) = 0;
};

// The process-wide message implementation of this deliverable (never null: a silent
// implementation answering every box with its Escape result is installed by default).
Messages& messages();
// Installs an implementation; returns the previous one so a scope can restore it.
std::shared_ptr<Messages> installMessages(std::shared_ptr<Messages> impl);

// The result a box gives when closed with Escape (or never answered).
int escapeResult(MsgButtons buttons);
// Names used in logs and answer files: "YES", "NO", "OK", ...
QString buttonName(MsgButton button);
QStringList buttonNames(MsgButtons buttons);
int resultOfButton(MsgButton button);
QString kindName(MsgKind kind);

// Conveniences with the conventions of the message table.
int ShowMessageBox(const QString& text, MsgKind kind, MsgButtons buttons, MsgButton defaultButton,
                   int left = -1, int top = -1);
void ShowInformation(const QString& text);             // information, OK
bool AskConfirmation(const QString& text);             // confirmation, Yes/No, Yes default; true on Yes
void ShowPlainMessage(const QString& text);            // framework plain box
bool AskText(const QString& caption, const QString& prompt, QString& text);

}  // namespace korvi
