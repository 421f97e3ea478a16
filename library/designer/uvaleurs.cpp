#include "library/designer/uvaleurs.h"

#include <QFile>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>
#include <memory>
#include <optional>

#include "common/dialogs/waitcursor.h"
#include "common/engine/engine.h"
#include "common/text/messages.h"
#include "common/text/paths.h"
#include "common/text/strings.h"

namespace korvi::selq {
namespace {

constexpr int kCaptionText = 155;
constexpr int kPasteText = 156;
constexpr int kCancelText = 135;
constexpr int kNoRecordText = 157;
constexpr int kTooManyText = 158;
constexpr int kInternalErrorText = 27;

QString& chosen() {
  static QString value;
  return value;
}

// A field's value as one line of the list: display text, memo text from its bytes.
QString valueText(const engine::ResultSet& rs) {
  const QVariant v = engine::Engine::ReadField(rs, 0);
  if (v.typeId() == QMetaType::QByteArray) return QString::fromUtf8(v.toByteArray());
  return v.toString();
}

}  // namespace

TFormValeurs::TFormValeurs(const QString& location, const QString& tableFile, const QString& fieldReference,
                           QWidget* parent)
    : QDialog(parent), statement_(statement(location, tableFile, fieldReference)) {
  chosen().clear();
  setObjectName(QStringLiteral("TFormValeurs"));
  setWindowTitle(LoadText(kCaptionText));

  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("ListBoxValeurs"));
  paste_ = new QPushButton(LoadText(kPasteText), this);
  paste_->setObjectName(QStringLiteral("BitBtnColler"));
  paste_->setEnabled(false);
  paste_->setDefault(true);
  auto* cancel = new QPushButton(LoadText(kCancelText), this);
  cancel->setObjectName(QStringLiteral("BitBtnAnnuler"));

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(paste_);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(buttons);
  resize(300, 320);

  connect(paste_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(list_, &QListWidget::currentItemChanged, this,
          [this](QListWidgetItem* current, QListWidgetItem*) { ListBoxValeursItemClicked(current); });
  connect(list_, &QListWidget::itemClicked, this, &TFormValeurs::ListBoxValeursItemClicked);
  connect(list_, &QListWidget::itemDoubleClicked, this, &TFormValeurs::ListBoxValeursItemDoubleClicked);
}

QStringList TFormValeurs::statement(const QString& location, const QString& tableFile,
                                    const QString& fieldReference) {
  return {QStringLiteral("SELECT DISTINCT T1.") + fieldReference + QStringLiteral(" FROM "),
          QLatin1Char('"') + location + tableFile + QStringLiteral("\" T1")};
}

const QString& TFormValeurs::chosenValue() { return chosen(); }

bool TFormValeurs::loadValues() {
  list_->clear();
  auto wait = std::make_optional<WaitCursor>();
  try {
    std::unique_ptr<engine::ResultSet> rs = engine::Engine::instance().ExecuteSelect(statement_);
    bool tooMany = false;
    const qint64 rows = rs->rowCount();
    for (qint64 r = 1; r <= rows; ++r) {
      if (list_->count() >= capacity_) {
        tooMany = true;
        break;
      }
      rs->moveTo(r);
      list_->addItem(valueText(*rs));
    }
    if (tooMany) {
      wait.reset();
      ShowMessageBox(LoadText(kTooManyText), MsgKind::Information, mbOK, mbOK);
    }
    engine::Engine::Close(*rs);
  } catch (const engine::EngineError& e) {
    wait.reset();
    writeStatementFile();
    ShowMessageBox(LoadText(kInternalErrorText) + e.text(), MsgKind::Error, mbOK, mbOK);
    return false;
  } catch (const std::exception& e) {
    wait.reset();
    writeStatementFile();
    ShowMessageBox(LoadText(kInternalErrorText) + QString::fromLocal8Bit(e.what()), MsgKind::Error, mbOK, mbOK);
    return false;
  }
  wait.reset();
  if (list_->count() == 0) {
    ShowMessageBox(LoadText(kNoRecordText), MsgKind::Information, mbOK, mbOK);
    return false;
  }
  return true;
}

void TFormValeurs::writeStatementFile() const {
  QString dir;
  if (!paths::tempDirectory(dir)) return;  // the statement file is a courtesy: no message
  QFile file(dir + QStringLiteral("/VALEURS.SQL"));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
  file.write(statement_.join(QLatin1Char('\n')).toUtf8() + '\n');
}

void TFormValeurs::ListBoxValeursItemClicked(QListWidgetItem* item) {
  if (!item) return;
  chosen() = item->text();
  paste_->setEnabled(true);
}

void TFormValeurs::ListBoxValeursItemDoubleClicked(QListWidgetItem* item) {
  if (!item) return;
  ListBoxValeursItemClicked(item);
  accept();
}

}  // namespace korvi::selq
