#include "library/results/uaffsql.h"

#include <QApplication>
#include <QClipboard>
#include <QFrame>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "common/ini/inifile.h"
#include "common/text/strings.h"

namespace korvi::results {

bool sqlCommandVisible(const LibrarySettings& settings) { return settings.showSql; }

TFormAfficheSQL::TFormAfficheSQL(const QStringList& lines, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TFormAfficheSQL"));
  setWindowTitle(LoadText(109));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  memo_ = new QPlainTextEdit(this);
  memo_->setObjectName(QStringLiteral("Memo1"));
  memo_->setReadOnly(true);
  memo_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo_->setPlainText(lines.join(QLatin1Char('\n')));
  memo_->installEventFilter(this);
  layout->addWidget(memo_, 1);

  panel_ = new QFrame(this);
  panel_->setObjectName(QStringLiteral("Panel1"));
  panel_->setFixedHeight(41);
  ok_ = new QPushButton(QStringLiteral("OK"), panel_);
  ok_->setObjectName(QStringLiteral("BitBtn1"));
  ok_->setDefault(true);
  ok_->resize(75, 25);
  ok_->installEventFilter(this);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(panel_);

  const WindowSize size = sqlWindowSize();
  resize(size.width, size.height);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(size.width / 2, size.height / 2));
  }
  centreOkButton();
}

void TFormAfficheSQL::centreOkButton() {
  ok_->move(width() / 2 - ok_->width() / 2, (panel_->height() - ok_->height()) / 2);
}

void TFormAfficheSQL::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  centreOkButton();
}

bool TFormAfficheSQL::eventFilter(QObject* watched, QEvent* event) {
  if ((watched == memo_ || watched == ok_) && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape) {
      reject();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TFormAfficheSQL::done(int result) {
  try {
    storeSqlWindowSize({width(), height()});
  } catch (const IniWriteError&) {
    // A settings file that refuses the size keeps the previous one; the window still closes.
  }
  QDialog::done(result);
}

void ShowSqlWindow(const QStringList& lines, QWidget* parent) {
  TFormAfficheSQL window(lines, parent);
  // The whole text goes to the clipboard; the caret then rests at the start.
  if (QClipboard* clipboard = QGuiApplication::clipboard()) {
    if (window.memo()->toPlainText().isEmpty()) {
      clipboard->clear();
      clipboard->setText(QString());
    } else {
      window.memo()->selectAll();
      window.memo()->copy();
    }
  }
  QTextCursor start = window.memo()->textCursor();
  start.movePosition(QTextCursor::Start);
  window.memo()->setTextCursor(start);
  while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
  window.exec();
}

}  // namespace korvi::results
