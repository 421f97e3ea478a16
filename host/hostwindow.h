#pragma once
// The sample host's window: loads libSelq32.so at run time, offers a button per export and
// shows what comes back (results, SQL lines, notifications, polls of kvslIsRunning).

#include <QLibrary>
#include <QWidget>

#include "selq32.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTimer;
class QLabel;

struct SelqApi {
  int (*run)(const char*) = nullptr;
  void (*exit)() = nullptr;
  int (*isRunning)() = nullptr;
  int (*loadOsq)(const char*) = nullptr;
  int (*loadMdl)(const char*) = nullptr;
  int (*executeQuery)() = nullptr;
  int (*displayResult)() = nullptr;
  int (*setSize)(int32_t) = nullptr;
  int (*registerCallBack)(uint32_t) = nullptr;
  int (*unregisterCallBack)() = nullptr;
  void (*unload)() = nullptr;
  void (*showCustBtn)(int32_t) = nullptr;
  void (*setCustBtnCaption)(const char*) = nullptr;
  int (*getSqlLineCount)() = nullptr;
  void (*getSqlLine)(int32_t, char*) = nullptr;
};

class HostWindow : public QWidget {
  Q_OBJECT
 public:
  explicit HostWindow(QWidget* parent = nullptr);
  ~HostWindow() override;

  // Loads the library and resolves the fifteen functions; false, with the reason in the
  // log, when the file or a function is missing.
  bool loadLibrary(const QString& path);
  void setModelPath(const QString& path);
  // The run export on the model field.
  void runDesigner();
  void setQueryPath(const QString& path);
  // The load export on the query field.
  void loadQuery();
  // The execute export, then the display export when it succeeded.
  void executeAndDisplay();

 protected:
  bool event(QEvent* event) override;

 private:
  void log(const QString& line);
  void logResult(const QString& call, int result);
  void readSql();
  void poll();
  void setExportsEnabled(bool enabled);
  bool ready() const;

  QLibrary library_;
  SelqApi api_;
  bool unloaded_ = false;
  int lastRunning_ = -1;
  int polls_ = 0;

  QLineEdit* modelEdit_ = nullptr;
  QLineEdit* queryEdit_ = nullptr;
  QSpinBox* sizeCode_ = nullptr;
  QLineEdit* captionEdit_ = nullptr;
  QCheckBox* customVisible_ = nullptr;
  QListWidget* sqlList_ = nullptr;
  QPlainTextEdit* log_ = nullptr;
  QLabel* pollLabel_ = nullptr;
  QTimer* pollTimer_ = nullptr;
  QList<QPushButton*> exportButtons_;
};
