#pragma once
// Unattended mode: hosts test their integration headless. With KORVI_MESSAGE_LOG every box
// appends one line to a log; with KORVI_ANSWERS the boxes are not shown and take their
// answers, in order, from a file.
//
// Log line: kind, caption, text, buttons (space-separated names), result, and an optional
// note, separated by tabs; UTF-8; tab, newline, carriage return and backslash inside a field
// are written as \t, \n, \r and \\.
//   kind     WARNING ERROR INFORMATION CONFIRMATION MESSAGE, INPUT, OPEN, SAVE, LOGIN
//   result   a button name for a message box, OK:<text> or CANCEL for an input box,
//            FILE:<path> or CANCEL for a file dialog, OK:<user> or CANCEL for a login
// Answer lines: a button name, OK:<text> or CANCEL, FILE:<path> or CANCEL,
// OK:<user>:<password> or CANCEL. Blank lines are skipped. When the answers run out, or an
// answer does not fit its box, the box takes its Escape result and the note says why.

#include <QString>
#include <QStringList>
#include <deque>
#include <memory>
#include <optional>

#include "common/text/messages.h"

namespace korvi {

class UnattendedSession {
 public:
  // An empty logPath writes no log. A non-empty answersPath answers every box from that
  // file; a file that cannot be read answers nothing (every box takes its Escape result).
  UnattendedSession(const QString& logPath, const QString& answersPath);

  bool logging() const { return !logPath_.isEmpty(); }
  bool answering() const { return answering_; }
  // The next answer, or nothing when the answers ran out.
  std::optional<QString> takeAnswer();
  qsizetype answersLeft() const { return static_cast<qsizetype>(answers_.size()); }
  void log(const QStringList& fields);

  static QString escapeField(const QString& field);

 private:
  QString logPath_;
  bool answering_ = false;
  bool logFailed_ = false;
  std::deque<QString> answers_;
};

// The session of this process (null outside unattended mode); the login dialog uses it too.
std::shared_ptr<UnattendedSession> unattendedSession();
void setUnattendedSession(std::shared_ptr<UnattendedSession> session);

// Notes written in the log's last field.
inline constexpr char kNoAnswerLeft[] = "no answer left: Escape result";
QString wrongAnswerNote(const QString& answer, const QString& why);

// Decorates the dialog implementation: logs every box and, when answering, answers it
// instead of showing it.
class UnattendedMessages final : public Messages {
 public:
  UnattendedMessages(std::shared_ptr<Messages> inner, std::shared_ptr<UnattendedSession> session);

  int showMessage(const MessageRequest& request) override;
  bool askText(const QString& caption, const QString& prompt, QString& text) override;
  bool askFile(const FileRequest& request, QString& path) override;

 private:
  std::shared_ptr<Messages> inner_;
  std::shared_ptr<UnattendedSession> session_;
};

// The name under which a modal result is logged ("YES", "CANCEL", ...).
QString resultName(int modalResult);

}  // namespace korvi
