#pragma once
// A message implementation for tests: records every box and answers from a queue.

#include <QList>
#include <QString>
#include <deque>
#include <memory>

#include "common/text/messages.h"

namespace korvi::testing {

struct RecordedBox {
  QString text;
  MsgKind kind;
  MsgButtons buttons;
  MsgButton defaultButton;
  MsgStyle style;
};

class RecordingMessages : public Messages {
 public:
  QList<RecordedBox> boxes;
  QList<QString> prompts;          // "caption|prompt" of every input box
  QList<FileRequest> fileRequests;
  std::deque<int> answers;          // modal results for boxes; Escape result when empty
  std::deque<std::pair<bool, QString>> textAnswers;
  std::deque<QString> fileAnswers;  // empty string = cancel

  int showMessage(const MessageRequest& r) override;
  bool askText(const QString& caption, const QString& prompt, QString& text) override;
  bool askFile(const FileRequest& request, QString& path) override;

  QStringList texts() const;
};

// Installs a recording implementation for the life of the object.
class ScopedRecorder {
 public:
  ScopedRecorder();
  ~ScopedRecorder();
  RecordingMessages& operator*() { return *rec_; }
  RecordingMessages* operator->() { return rec_.get(); }

 private:
  std::shared_ptr<RecordingMessages> rec_;
  std::shared_ptr<Messages> previous_;
};

}  // namespace korvi::testing
