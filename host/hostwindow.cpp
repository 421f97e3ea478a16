#include "hostwindow.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "selq32event.h"

namespace {

// The library copies a whole SQL line, whatever its length: the host's buffer must hold
// the longest line plus its terminating zero. Lines are about 200 characters; one element
// may be longer, so the buffer is generous.
constexpr int kLineBuffer = 64 * 1024;

QByteArray toArgument(const QString& text) { return text.toUtf8(); }

}  // namespace

HostWindow::HostWindow(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("SelqHost"));
  setWindowTitle(QStringLiteral("selqhost"));

  auto* root = new QVBoxLayout(this);

  auto* files = new QFormLayout;
  auto fileRow = [&](QLineEdit*& edit, const char* name, const QString& filter) {
    auto* row = new QHBoxLayout;
    edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    auto* browse = new QPushButton(tr("Browse..."), this);
    connect(browse, &QPushButton::clicked, this, [this, edit, filter] {
      const QString path = QFileDialog::getOpenFileName(this, QString(), edit->text(), filter);
      if (!path.isEmpty()) edit->setText(path);
    });
    row->addWidget(edit, 1);
    row->addWidget(browse);
    return row;
  };
  files->addRow(tr("Model (.mdl)"), fileRow(modelEdit_, "EditModel", tr("Models (*.mdl *.MDL);;All files (*)")));
  files->addRow(tr("Query (.osq)"), fileRow(queryEdit_, "EditQuery", tr("Queries (*.osq *.OSQ);;All files (*)")));
  root->addLayout(files);

  auto* grid = new QGridLayout;
  int cell = 0;
  auto addButton = [&](const char* text, std::function<void()> action) {
    auto* b = new QPushButton(QString::fromLatin1(text), this);
    b->setObjectName(QStringLiteral("Button_%1").arg(QString::fromLatin1(text)));
    connect(b, &QPushButton::clicked, this, [this, action] {
      if (ready()) action();
    });
    grid->addWidget(b, cell / 4, cell % 4);
    ++cell;
    exportButtons_ << b;
    return b;
  };
  addButton("kvslRun", [this] { runDesigner(); });
  addButton("kvslExit", [this] {
    api_.exit();
    log(QStringLiteral("kvslExit()"));
  });
  addButton("kvslIsRunning", [this] { logResult(QStringLiteral("kvslIsRunning()"), api_.isRunning()); });
  addButton("kvslLoadOSQ", [this] { loadQuery(); });
  addButton("kvslLoadMDL", [this] {
    logResult(QStringLiteral("kvslLoadMDL(\"%1\")").arg(modelEdit_->text()),
              api_.loadMdl(toArgument(modelEdit_->text()).constData()));
  });
  addButton("kvslExecuteQuery", [this] { logResult(QStringLiteral("kvslExecuteQuery()"), api_.executeQuery()); });
  addButton("kvslDisplayResult", [this] { logResult(QStringLiteral("kvslDisplayResult()"), api_.displayResult()); });
  addButton("kvslSetSize", [this] {
    logResult(QStringLiteral("kvslSetSize(%1)").arg(sizeCode_->value()), api_.setSize(sizeCode_->value()));
  });
  addButton("kvslRegisterCallBack", [this] {
    const auto id = static_cast<uint32_t>(winId());
    logResult(QStringLiteral("kvslRegisterCallBack(%1)").arg(id), api_.registerCallBack(id));
  });
  addButton("kvslUnRegisterCallBack",
            [this] { logResult(QStringLiteral("kvslUnRegisterCallBack()"), api_.unregisterCallBack()); });
  addButton("kvslShowCustBtn", [this] {
    api_.showCustBtn(customVisible_->isChecked() ? 1 : 0);
    log(QStringLiteral("kvslShowCustBtn(%1)").arg(customVisible_->isChecked() ? 1 : 0));
  });
  addButton("kvslSetCustBtnCaption", [this] {
    api_.setCustBtnCaption(toArgument(captionEdit_->text()).constData());
    log(QStringLiteral("kvslSetCustBtnCaption(\"%1\")").arg(captionEdit_->text()));
  });
  addButton("kvslGetSqlLine", [this] { readSql(); });
  addButton("kvslUnload", [this] {
    pollTimer_->stop();
    api_.unload();
    unloaded_ = true;
    setExportsEnabled(false);
    log(QStringLiteral("kvslUnload(): the library takes no further calls"));
  });
  root->addLayout(grid);

  auto* options = new QHBoxLayout;
  options->addWidget(new QLabel(tr("Size code"), this));
  sizeCode_ = new QSpinBox(this);
  sizeCode_->setObjectName(QStringLiteral("SizeCode"));
  sizeCode_->setRange(-100000, 100000);
  sizeCode_->setValue(KVSL_SIZE_MAXIMIZE);
  sizeCode_->setToolTip(tr("2 maximise, 1 minimise, 9999 hide, other codes restore"));
  options->addWidget(sizeCode_);
  customVisible_ = new QCheckBox(tr("Custom button visible"), this);
  customVisible_->setChecked(true);
  options->addWidget(customVisible_);
  options->addWidget(new QLabel(tr("Caption"), this));
  captionEdit_ = new QLineEdit(QStringLiteral("Vers l'hôte"), this);
  captionEdit_->setObjectName(QStringLiteral("EditCaption"));
  options->addWidget(captionEdit_, 1);
  root->addLayout(options);

  auto* sqlBox = new QGroupBox(tr("SQL lines (kvslGetSqlLineCount / kvslGetSqlLine)"), this);
  auto* sqlLayout = new QVBoxLayout(sqlBox);
  sqlList_ = new QListWidget(sqlBox);
  sqlList_->setObjectName(QStringLiteral("ListSql"));
  sqlList_->setFont(QFont(QStringLiteral("monospace")));
  sqlLayout->addWidget(sqlList_);
  root->addWidget(sqlBox, 1);

  auto* logBox = new QGroupBox(tr("Calls, notifications and polls"), this);
  auto* logLayout = new QVBoxLayout(logBox);
  pollLabel_ = new QLabel(logBox);
  logLayout->addWidget(pollLabel_);
  log_ = new QPlainTextEdit(logBox);
  log_->setObjectName(QStringLiteral("Log"));
  log_->setReadOnly(true);
  logLayout->addWidget(log_);
  root->addWidget(logBox, 1);

  pollTimer_ = new QTimer(this);
  pollTimer_->setInterval(500);
  connect(pollTimer_, &QTimer::timeout, this, [this] { poll(); });

  setExportsEnabled(false);
  resize(760, 640);
}

HostWindow::~HostWindow() {
  pollTimer_->stop();
  // A host finishes the library's life before unloading it.
  if (ready()) {
    api_.exit();
    api_.unregisterCallBack();
    api_.unload();
  }
}

bool HostWindow::ready() const { return library_.isLoaded() && !unloaded_; }

bool HostWindow::loadLibrary(const QString& path) {
  library_.setFileName(path);
  if (!library_.load()) {
    log(tr("Cannot load %1: %2").arg(path, library_.errorString()));
    return false;
  }
  bool complete = true;
  auto resolve = [&](auto& fn, const char* name) {
    fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(library_.resolve(name));
    if (!fn) {
      log(tr("Missing export %1").arg(QString::fromLatin1(name)));
      complete = false;
    }
  };
  resolve(api_.run, "kvslRun");
  resolve(api_.exit, "kvslExit");
  resolve(api_.isRunning, "kvslIsRunning");
  resolve(api_.loadOsq, "kvslLoadOSQ");
  resolve(api_.loadMdl, "kvslLoadMDL");
  resolve(api_.executeQuery, "kvslExecuteQuery");
  resolve(api_.displayResult, "kvslDisplayResult");
  resolve(api_.setSize, "kvslSetSize");
  resolve(api_.registerCallBack, "kvslRegisterCallBack");
  resolve(api_.unregisterCallBack, "kvslUnRegisterCallBack");
  resolve(api_.unload, "kvslUnload");
  resolve(api_.showCustBtn, "kvslShowCustBtn");
  resolve(api_.setCustBtnCaption, "kvslSetCustBtnCaption");
  resolve(api_.getSqlLineCount, "kvslGetSqlLineCount");
  resolve(api_.getSqlLine, "kvslGetSqlLine");
  if (!complete) {
    library_.unload();
    return false;
  }
  log(tr("Loaded %1").arg(QFileInfo(path).absoluteFilePath()));
  setExportsEnabled(true);
  pollTimer_->start();
  return true;
}

void HostWindow::setModelPath(const QString& path) { modelEdit_->setText(path); }

void HostWindow::setQueryPath(const QString& path) { queryEdit_->setText(path); }

void HostWindow::loadQuery() {
  if (!ready()) return;
  logResult(QStringLiteral("kvslLoadOSQ(\"%1\")").arg(queryEdit_->text()),
            api_.loadOsq(toArgument(queryEdit_->text()).constData()));
}

void HostWindow::executeAndDisplay() {
  if (!ready()) return;
  const int executed = api_.executeQuery();
  logResult(QStringLiteral("kvslExecuteQuery()"), executed);
  if (executed == 0) logResult(QStringLiteral("kvslDisplayResult()"), api_.displayResult());
}

void HostWindow::runDesigner() {
  if (!ready()) return;
  logResult(QStringLiteral("kvslRun(\"%1\")").arg(modelEdit_->text()), api_.run(toArgument(modelEdit_->text()).constData()));
}

void HostWindow::readSql() {
  sqlList_->clear();
  const int count = api_.getSqlLineCount();
  log(QStringLiteral("kvslGetSqlLineCount() = %1").arg(count));
  QByteArray buffer(kLineBuffer, '\0');
  for (int n = 1; n <= count; ++n) {
    buffer[0] = '\0';
    api_.getSqlLine(n, buffer.data());
    buffer[kLineBuffer - 1] = '\0';
    sqlList_->addItem(QString::fromUtf8(buffer.constData()));
  }
}

void HostWindow::poll() {
  if (!ready()) return;
  const int running = api_.isRunning();
  ++polls_;
  pollLabel_->setText(tr("kvslIsRunning polled %1 times, last result %2").arg(polls_).arg(running));
  if (running != lastRunning_) {
    log(QStringLiteral("poll: kvslIsRunning() = %1").arg(running));
    lastRunning_ = running;
  }
}

bool HostWindow::event(QEvent* event) {
  if (event->type() == static_cast<QEvent::Type>(KVSL_HOST_NOTIFICATION)) {
    const auto* n = static_cast<const KvslHostEvent*>(event);
    log(tr("notification %1 received (%2, %3): the result table is ready").arg(KVSL_HOST_NOTIFICATION)
            .arg(n->wParam)
            .arg(n->lParam));
    return true;
  }
  return QWidget::event(event);
}

void HostWindow::log(const QString& line) {
  log_->appendPlainText(QDateTime::currentDateTime().toString(QStringLiteral("hh:mm:ss  ")) + line);
}

void HostWindow::logResult(const QString& call, int result) { log(QStringLiteral("%1 = %2").arg(call).arg(result)); }

void HostWindow::setExportsEnabled(bool enabled) {
  for (QPushButton* b : exportButtons_) b->setEnabled(enabled);
}
