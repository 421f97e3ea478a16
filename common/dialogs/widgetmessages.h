#pragma once
// The interactive implementation of the message interface: the deliverable's own message
// dialog and input box, the framework's boxes where a caller asks for them, and the file
// dialogs.

#include "common/text/messages.h"

class QWidget;

namespace korvi {

class WidgetMessages final : public Messages {
 public:
  int showMessage(const MessageRequest& request) override;
  bool askText(const QString& caption, const QString& prompt, QString& text) override;
  bool askFile(const FileRequest& request, QString& path) override;
};

// The buttons a request really shows: the framework's plain box has OK only, and a request
// without any button gets OK, so every box can be answered.
MsgButtons effectiveButtons(const MessageRequest& request);
// The caption the box of a request carries.
QString messageCaption(const MessageRequest& request);
// The application title used by the framework's plain box.
QString applicationTitle();
// The window the dialogs are modal to (the active modal box or the active window), or null.
QWidget* dialogParent();
// Whether widgets can be created at all (a QApplication exists).
bool widgetsAvailable();

}  // namespace korvi
