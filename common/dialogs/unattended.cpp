#include "common/dialogs/unattended.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "common/dialogs/messagelayout.h"
#include "common/dialogs/widgetmessages.h"
#include "common/text/codepage.h"

namespace korvi {
namespace {

std::shared_ptr<UnattendedSession>& sessionSlot() {
  static std::shared_ptr<UnattendedSession> session;
  return session;
}

const QString kTab = QStringLiteral("\t");

}  // namespace

std::shared_ptr<UnattendedSession> unattendedSession() { return sessionSlot(); }
void setUnattendedSession(std::shared_ptr<UnattendedSession> session) { sessionSlot() = std::move(session); }

QString wrongAnswerNote(const QString& answer, const QString& why) {
  return QStringLiteral("wrong answer \"%1\" (%2): Escape result").arg(answer, why);
}

UnattendedSession::UnattendedSession(const QString& logPath, const QString& answersPath)
    : logPath_(logPath), answering_(!answersPath.isEmpty()) {
  if (!answering_) return;
  QFile f(answersPath);
  if (!f.open(QIODevice::ReadOnly)) {
    const QString why = QStringLiteral("cannot read the answers file %1: %2").arg(answersPath, f.errorString());
    qWarning("%s", qPrintable(why));
    log({QStringLiteral("ERROR"), QStringLiteral("unattended"), why, QString(), QString()});
    return;
  }
  for (QByteArray line : f.readAll().split('\n')) {
    if (line.endsWith('\r')) line.chop(1);
    if (line.trimmed().isEmpty()) continue;
    answers_.push_back(decodeTextLine(line));
  }
}

std::optional<QString> UnattendedSession::takeAnswer() {
  if (answers_.empty()) return std::nullopt;
  QString a = answers_.front();
  answers_.pop_front();
  return a;
}

QString UnattendedSession::escapeField(const QString& field) {
  QString out;
  out.reserve(field.size());
  for (QChar c : field) {
    switch (c.unicode()) {
      case '\\': out += QStringLiteral("\\\\"); break;
      case '\n': out += QStringLiteral("\\n"); break;
      case '\r': out += QStringLiteral("\\r"); break;
      case '\t': out += QStringLiteral("\\t"); break;
      default: out += c;
    }
  }
  return out;
}

void UnattendedSession::log(const QStringList& fields) {
  if (!logging()) return;
  QStringList escaped;
  for (const QString& f : fields) escaped << escapeField(f);
  // Opened and closed per line, so a line is on disk even if the process dies afterwards.
  QFile f(logPath_);
  const QByteArray line = escaped.join(kTab).toUtf8() + '\n';
  if (!f.open(QIODevice::WriteOnly | QIODevice::Append) || f.write(line) != line.size()) {
    if (!logFailed_) qWarning("cannot write the message log %s: %s", qPrintable(logPath_), qPrintable(f.errorString()));
    logFailed_ = true;
  }
}

QString resultName(int modalResult) {
  for (unsigned bit = mbYes; bit < mbHelp; bit <<= 1)
    if (resultOfButton(static_cast<MsgButton>(bit)) == modalResult) return buttonName(static_cast<MsgButton>(bit));
  return QString::number(modalResult);
}

UnattendedMessages::UnattendedMessages(std::shared_ptr<Messages> inner, std::shared_ptr<UnattendedSession> session)
    : inner_(std::move(inner)), session_(std::move(session)) {}

int UnattendedMessages::showMessage(const MessageRequest& request) {
  const MsgButtons buttons = effectiveButtons(request);
  QStringList line{kindName(request.kind), messageCaption(request), request.text, buttonNames(buttons).join(QLatin1Char(' '))};
  if (!session_->answering()) {
    MessageRequest shown = request;
    shown.buttons = buttons;
    const int result = inner_->showMessage(shown);
    session_->log(line << resultName(result));
    return result;
  }
  const int escape = escapeResult(buttons);
  const std::optional<QString> answer = session_->takeAnswer();
  if (!answer) {
    session_->log(line << resultName(escape) << QString::fromLatin1(kNoAnswerLeft));
    return escape;
  }
  const QString name = answer->trimmed().toUpper();
  for (unsigned bit = mbYes; bit < mbHelp; bit <<= 1) {
    if ((buttons & bit) && buttonName(static_cast<MsgButton>(bit)) == name) {
      const int result = resultOfButton(static_cast<MsgButton>(bit));
      session_->log(line << resultName(result));
      return result;
    }
  }
  session_->log(line << resultName(escape) << wrongAnswerNote(*answer, QStringLiteral("not a button of this box")));
  return escape;
}

bool UnattendedMessages::askText(const QString& caption, const QString& prompt, QString& text) {
  QStringList line{QStringLiteral("INPUT"), caption, prompt, QStringLiteral("OK CANCEL")};
  const QString cancel = QStringLiteral("CANCEL");
  if (!session_->answering()) {
    const bool ok = inner_->askText(caption, prompt, text);
    session_->log(line << (ok ? QStringLiteral("OK:") + text : cancel));
    return ok;
  }
  const std::optional<QString> answer = session_->takeAnswer();
  if (!answer) {
    session_->log(line << cancel << QString::fromLatin1(kNoAnswerLeft));
    return false;
  }
  if (answer->startsWith(QLatin1String("OK:"))) {
    const QString value = answer->mid(3);
    if (value.size() > kInputMaxLength) {
      session_->log(line << cancel << wrongAnswerNote(*answer, QStringLiteral("longer than %1 characters").arg(kInputMaxLength)));
      return false;
    }
    text = value;
    session_->log(line << QStringLiteral("OK:") + value);
    return true;
  }
  if (answer->trimmed().compare(cancel, Qt::CaseInsensitive) == 0) {
    session_->log(line << cancel);
    return false;
  }
  session_->log(line << cancel << wrongAnswerNote(*answer, QStringLiteral("an input box takes OK:<text> or CANCEL")));
  return false;
}

bool UnattendedMessages::askFile(const FileRequest& request, QString& path) {
  const QString proposed = request.fileName.isEmpty() || request.directory.isEmpty()
                               ? request.directory + request.fileName
                               : QDir(request.directory).filePath(request.fileName);
  QStringList line{request.save ? QStringLiteral("SAVE") : QStringLiteral("OPEN"), request.caption, proposed,
                   QStringLiteral("FILE CANCEL")};
  const QString cancel = QStringLiteral("CANCEL");
  if (!session_->answering()) {
    const bool ok = inner_->askFile(request, path);
    session_->log(line << (ok ? QStringLiteral("FILE:") + path : cancel));
    return ok;
  }
  const std::optional<QString> answer = session_->takeAnswer();
  if (!answer) {
    session_->log(line << cancel << QString::fromLatin1(kNoAnswerLeft));
    return false;
  }
  if (answer->trimmed().compare(cancel, Qt::CaseInsensitive) == 0) {
    session_->log(line << cancel);
    return false;
  }
  QString why;
  QString chosen;
  if (!answer->startsWith(QLatin1String("FILE:"))) {
    why = QStringLiteral("a file dialog takes FILE:<path> or CANCEL");
  } else if (answer->size() == 5) {
    why = QStringLiteral("no path given");
  } else {
    // A relative path is taken inside the dialog's directory, as the dialog would.
    chosen = QDir::cleanPath(QDir(request.directory.isEmpty() ? QDir::currentPath() : request.directory)
                                 .absoluteFilePath(answer->mid(5)));
    QFileInfo info(chosen);
    if (request.save && !request.defaultSuffix.isEmpty() && info.suffix().isEmpty()) {
      chosen += QLatin1Char('.') + request.defaultSuffix;
      info.setFile(chosen);
    }
    if (info.isDir())
      why = QStringLiteral("a directory, not a file");
    else if (!request.save && !info.exists())
      why = QStringLiteral("no such file");
    else if (request.save && !info.absoluteDir().exists())
      why = QStringLiteral("no such directory");
  }
  if (!why.isEmpty()) {
    session_->log(line << cancel << wrongAnswerNote(*answer, why));
    return false;
  }
  path = chosen;
  session_->log(line << QStringLiteral("FILE:") + chosen);
  return true;
}

}  // namespace korvi
