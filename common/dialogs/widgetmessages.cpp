#include "common/dialogs/widgetmessages.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "common/dialogs/dialogtexts.h"
#include "common/dialogs/inputform.h"
#include "common/dialogs/messageform.h"

namespace korvi {
namespace {

QMessageBox::StandardButton standardButton(MsgButton b) {
  switch (b) {
    case mbYes: return QMessageBox::Yes;
    case mbNo: return QMessageBox::No;
    case mbOK: return QMessageBox::Ok;
    case mbCancel: return QMessageBox::Cancel;
    case mbAbort: return QMessageBox::Abort;
    case mbRetry: return QMessageBox::Retry;
    case mbIgnore: return QMessageBox::Ignore;
    case mbAll: return QMessageBox::YesToAll;
    case mbHelp: return QMessageBox::Help;
  }
  return QMessageBox::NoButton;
}

QMessageBox::Icon standardIcon(MsgKind kind) {
  switch (kind) {
    case MsgKind::Warning: return QMessageBox::Warning;
    case MsgKind::Error: return QMessageBox::Critical;
    case MsgKind::Information: return QMessageBox::Information;
    case MsgKind::Confirmation: return QMessageBox::Question;
    case MsgKind::Plain: break;
  }
  return QMessageBox::NoIcon;
}

// The framework's own boxes: the plain one (application title, OK) and the message dialog
// with its English captions.
int showFrameworkBox(const MessageRequest& request) {
  const MsgButtons buttons = effectiveButtons(request);
  const bool plain = request.style == MsgStyle::FrameworkPlain;
  QMessageBox box(plain ? QMessageBox::NoIcon : standardIcon(request.kind), messageCaption(request), request.text,
                  QMessageBox::NoButton, dialogParent());
  box.setTextFormat(Qt::PlainText);
  QMap<QAbstractButton*, int> results;
  for (unsigned bit = mbYes; bit <= mbHelp; bit <<= 1) {
    if (!(buttons & bit)) continue;
    const auto b = static_cast<MsgButton>(bit);
    QPushButton* pb = box.addButton(standardButton(b));
    pb->setObjectName(buttonName(b));
    results.insert(pb, resultOfButton(b));
    if (b == request.defaultButton) box.setDefaultButton(pb);
  }
  for (MsgButton b : {mbCancel, mbNo, mbOK})
    if (buttons & b) {
      box.setEscapeButton(box.button(standardButton(b)));
      break;
    }
  if (request.left >= 0 || request.top >= 0) {
    box.adjustSize();
    const QRect screen = screenRect();
    box.move(request.left >= 0 ? request.left : screen.x() + (screen.width() - box.width()) / 2,
             request.top >= 0 ? request.top : screen.y() + (screen.height() - box.height()) / 2);
  }
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  return clicked && results.contains(clicked) ? results.value(clicked) : escapeResult(buttons);
}

// While a box waits for the user, the pointer is the arrow even inside a long operation
// that shows the hourglass; the hourglass comes back when the box closes.
class ArrowWhileAsking {
 public:
  ArrowWhileAsking() : active_(QGuiApplication::overrideCursor() != nullptr) {
    if (active_) QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
  }
  ~ArrowWhileAsking() {
    if (active_) QGuiApplication::restoreOverrideCursor();
  }
  ArrowWhileAsking(const ArrowWhileAsking&) = delete;
  ArrowWhileAsking& operator=(const ArrowWhileAsking&) = delete;

 private:
  bool active_;
};

}  // namespace

MsgButtons effectiveButtons(const MessageRequest& request) {
  if (request.style == MsgStyle::FrameworkPlain) return mbOK;
  const MsgButtons known = request.buttons & ((mbHelp << 1) - 1);
  // Help alone closes nothing; such a box also gets OK.
  return (known & ~MsgButtons(mbHelp)) ? known : (known | mbOK);
}

QString applicationTitle() {
  const QString title = QGuiApplication::applicationDisplayName();
  return title.isEmpty() ? executableFileName() : title;
}

QString messageCaption(const MessageRequest& request) {
  switch (request.style) {
    case MsgStyle::Own: return dialogTexts().boxCaption(request.kind);
    case MsgStyle::FrameworkPlain: return applicationTitle();
    case MsgStyle::Framework:
      return request.kind == MsgKind::Plain ? applicationTitle() : DialogTexts::frameworkDefaults().boxCaption(request.kind);
  }
  return {};
}

QWidget* dialogParent() {
  if (!widgetsAvailable()) return nullptr;
  if (QWidget* w = QApplication::activeModalWidget()) return w;
  return QApplication::activeWindow();
}

bool widgetsAvailable() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

int WidgetMessages::showMessage(const MessageRequest& request) {
  MessageRequest r = request;
  r.buttons = effectiveButtons(request);
  if (!widgetsAvailable()) {
    qWarning("%s: %s", qPrintable(messageCaption(r)), qPrintable(r.text));
    return escapeResult(r.buttons);
  }
  ArrowWhileAsking arrow;
  if (r.style != MsgStyle::Own) return showFrameworkBox(r);
  TMessageForm form(r, dialogParent());
  return form.run();
}

bool WidgetMessages::askText(const QString& caption, const QString& prompt, QString& text) {
  if (!widgetsAvailable()) return false;
  ArrowWhileAsking arrow;
  return TInputForm::ask(caption, prompt, text, dialogParent());
}

bool WidgetMessages::askFile(const FileRequest& request, QString& path) {
  if (!widgetsAvailable()) return false;
  ArrowWhileAsking arrow;
  QFileDialog dialog(dialogParent(), request.caption, request.directory, request.filter);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!request.objectName.isEmpty()) dialog.setObjectName(request.objectName);
  if (!request.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.defaultSuffix);
  if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
  if (dialog.exec() != QDialog::Accepted) return false;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty() || files.first().isEmpty()) return false;
  path = files.first();
  return true;
}

}  // namespace korvi
