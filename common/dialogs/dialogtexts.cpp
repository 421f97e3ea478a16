#include "common/dialogs/dialogtexts.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "common/text/strings.h"

namespace korvi {
namespace {

DialogTexts& current() {
  static DialogTexts texts = DialogTexts::frameworkDefaults();
  return texts;
}

void loadInto(QString& target, int number) {
  const QString text = LoadText(number);
  if (!text.isEmpty()) target = text;
}

}  // namespace

DialogTexts DialogTexts::frameworkDefaults() {
  DialogTexts t;
  t.ok = QStringLiteral("OK");
  t.cancel = QStringLiteral("Cancel");
  t.yes = QStringLiteral("&Yes");
  t.no = QStringLiteral("&No");
  t.abort = QStringLiteral("&Abort");
  t.retry = QStringLiteral("&Retry");
  t.ignore = QStringLiteral("&Ignore");
  t.all = QStringLiteral("&All");
  t.help = QStringLiteral("&Help");
  t.warning = QStringLiteral("Warning");
  t.error = QStringLiteral("Error");
  t.information = QStringLiteral("Information");
  t.confirmation = QStringLiteral("Confirm");
  t.plain = QString();
  return t;
}

QString DialogTexts::buttonCaption(MsgButton button) const {
  switch (button) {
    case mbYes: return yes;
    case mbNo: return no;
    case mbOK: return ok;
    case mbCancel: return cancel;
    case mbAbort: return abort;
    case mbRetry: return retry;
    case mbIgnore: return ignore;
    case mbAll: return all;
    case mbHelp: return help;
  }
  return {};
}

QString DialogTexts::boxCaption(MsgKind kind) const {
  switch (kind) {
    case MsgKind::Warning: return warning;
    case MsgKind::Error: return error;
    case MsgKind::Information: return information;
    case MsgKind::Confirmation: return confirmation;
    case MsgKind::Plain: return executableFileName();
  }
  return {};
}

int firstButtonText(DeliverableKind kind) { return kind == DeliverableKind::Editor ? 1 : 268; }
int firstBoxText(DeliverableKind kind) { return kind == DeliverableKind::Editor ? 10 : 277; }

DialogTexts loadDialogTexts(DeliverableKind kind) {
  DialogTexts t = DialogTexts::frameworkDefaults();
  QString* buttons[] = {&t.ok, &t.cancel, &t.yes, &t.no, &t.abort, &t.retry, &t.ignore, &t.all, &t.help};
  QString* boxes[] = {&t.warning, &t.error, &t.information, &t.confirmation, &t.plain};
  int number = firstButtonText(kind);
  for (QString* b : buttons) loadInto(*b, number++);
  number = firstBoxText(kind);
  for (QString* b : boxes) loadInto(*b, number++);
  return t;
}

const DialogTexts& dialogTexts() { return current(); }

void setDialogTexts(const DialogTexts& texts) { current() = texts; }

QString executableFileName() {
  if (QCoreApplication::instance()) {
    const QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    if (!name.isEmpty()) return name;
  }
  return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget().section(QLatin1Char('/'), -1);
}

}  // namespace korvi
