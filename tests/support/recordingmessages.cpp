#include "support/recordingmessages.h"

namespace korvi::testing {

int RecordingMessages::showMessage(const MessageRequest& r) {
  boxes.append({r.text, r.kind, r.buttons, r.defaultButton, r.style});
  if (answers.empty()) return escapeResult(r.buttons);
  const int a = answers.front();
  answers.pop_front();
  return a;
}

bool RecordingMessages::askText(const QString& caption, const QString& prompt, QString& text) {
  prompts.append(caption + QLatin1Char('|') + prompt);
  if (textAnswers.empty()) return false;
  auto [ok, value] = textAnswers.front();
  textAnswers.pop_front();
  if (ok) text = value;
  return ok;
}

bool RecordingMessages::askFile(const FileRequest& request, QString& path) {
  fileRequests.append(request);
  if (fileAnswers.empty()) return false;
  const QString a = fileAnswers.front();
  fileAnswers.pop_front();
  if (a.isEmpty()) return false;
  path = a;
  return true;
}

QStringList RecordingMessages::texts() const {
  QStringList list;
  for (const auto& b : boxes) list << b.text;
  return list;
}

ScopedRecorder::ScopedRecorder() : rec_(std::make_shared<RecordingMessages>()) {
  previous_ = installMessages(rec_);
}

ScopedRecorder::~ScopedRecorder() { installMessages(previous_); }

}  // namespace korvi::testing
