#include "library/designer/uedit.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "common/text/messages.h"
#include "common/text/settings.h"
#include "common/text/strings.h"
#include "library/designer/querydocument.h"
#include "library/designer/uhelp.h"
#include "library/designer/umain.h"
#include "library/designer/uvaleurs.h"
#include "library/sql/criteria.h"

namespace korvi::selq {
namespace {

using engine::FieldType;
using sql::TypeClass;

namespace text {
constexpr int kLimit = 115;
constexpr int kNoParameter = 117;
constexpr int kParameterCaption = 118;
constexpr int kParameterPrompt = 119;
constexpr int kCaption = 122;
constexpr int kAnd = 123;
constexpr int kOr = 124;
constexpr int kTrue = 125;
constexpr int kFalse = 126;
constexpr int kStartsWith = 127;
constexpr int kEndsWith = 128;
constexpr int kContains = 129;
constexpr int kLike = 130;
constexpr int kToday = 131;
constexpr int kVariable = 132;
constexpr int kValues = 133;
constexpr int kHelp = 134;
constexpr int kCancel = 135;
constexpr int kField = 136;
constexpr int kAlphaNum = 137;
}  // namespace text

// The indicator image; the disc fills its middle (a quarter to three quarters of the width,
// a quarter of the height plus 2 to three quarters minus 2), a circle in this size.
constexpr int kDiscWidth = 24;
constexpr int kDiscHeight = 32;
const QColor kValidColor(0, 128, 0);
const QColor kIncompleteColor(255, 128, 0);
const QColor kInvalidColor(255, 0, 0);

constexpr QChar kSpace = QLatin1Char(' ');

// A prompt ends the marker at its first "]" and must not hold a double quote.
bool promptFitsMarker(const QString& prompt) {
  return !prompt.contains(QLatin1Char('"')) && !prompt.contains(QLatin1Char(']'));
}

QString promptRefusedText() {
  return language().english ? QStringLiteral("The prompt text cannot contain a double quote or a \"]\".")
                            : QStringLiteral("Le texte d'invite ne peut contenir ni guillemet ni \"]\".");
}

}  // namespace

TFormEdCriteres::TFormEdCriteres(designer::QueryDocument& document, int column, int row, QWidget* parent)
    : QDialog(parent),
      doc_(document),
      column_(column),
      row_(row),
      formerModified_(document.isModified()),
      fieldType_(document.typeCode(column)),
      typeClass_(sql::typeClassOf(fieldType_)) {
  if (const designer::QueryTable* table = document.tableOfColumn(column)) {
    location_ = table->location;
    tableFile_ = table->tableName;
  }
  buildWindow(document.cell(column, designer::gridrow::kField));

  // A cell longer than the limit (a hand-edited query file) is shown whole, never cut; the
  // user can shorten it but OK keeps refusing it until it fits.
  const QString initial = document.cell(column, row);
  edit_->setMaxLength(std::max<int>(kMaxLength, static_cast<int>(initial.size())));
  edit_->setText(initial);
  edit_->setCursorPosition(static_cast<int>(initial.size()));
  tokenCount_ = sql::TokenCount(initial);
  state_ = sql::CheckCriteriaSyntax(initial, fieldType_);
  paintDisc();
  ok_->setEnabled(state_ == sql::kSyntaxValid);
  connect(edit_, &QLineEdit::textChanged, this, [this] { EditCritereChange(); });
  edit_->setFocus();
}

QPushButton* TFormEdCriteres::addButton(const char* name, const QString& caption) {
  auto* button = new QPushButton(caption, this);
  button->setObjectName(QLatin1String(name));
  // Buttons leave the focus, and so the caret, in the text field.
  button->setFocusPolicy(Qt::NoFocus);
  button->setAutoDefault(false);
  return button;
}

void TFormEdCriteres::buildWindow(const QString& fieldName) {
  setObjectName(QStringLiteral("TFormEdCriteres"));
  setWindowTitle(LoadText(text::kCaption));
  const sql::CriteriaKeywords kw = sql::CriteriaKeywords::current();
  const bool isText = typeClass_ == TypeClass::Text;
  const bool isNumber = typeClass_ == TypeClass::Integer || typeClass_ == TypeClass::Real;
  const bool isBoolean = typeClass_ == TypeClass::Boolean;
  const bool hasToday = fieldType_ == FieldType::ftDate || fieldType_ == FieldType::ftDateTime;

  auto* fieldLabel = new QLabel(LoadText(text::kField) + fieldName, this);
  fieldLabel->setObjectName(QStringLiteral("LabelChamp"));
  auto* entryLabel = new QLabel(LoadText(text::kAlphaNum), this);
  entryLabel->setObjectName(QStringLiteral("LabelSaisie"));
  QPushButton* alpha = addButton("SpeedButtonAlpha", QStringLiteral("A..Z"));
  QPushButton* digits = addButton("SpeedButtonNum", QStringLiteral("0..9"));
  alpha->setEnabled(isText);
  digits->setEnabled(isNumber);

  edit_ = new QLineEdit(this);
  edit_->setObjectName(QStringLiteral("EditCritere"));
  edit_->setMinimumWidth(420);
  disc_ = new QLabel(this);
  disc_->setObjectName(QStringLiteral("ImageSyntaxe"));
  disc_->setFixedSize(kDiscWidth, kDiscHeight);

  // Signs and parentheses.
  struct Piece {
    const char* name;
    QString caption;
    QString inserted;
    bool spaceAtEnd;
    bool enabled;
  };
  const QList<Piece> signs = {
      {"SpeedButtonSup", QStringLiteral(">"), QStringLiteral(">"), false, true},
      {"SpeedButtonInf", QStringLiteral("<"), QStringLiteral("<"), false, true},
      {"SpeedButtonSupouEgal", QStringLiteral(">="), QStringLiteral(">="), false, true},
      {"SpeedButtonInfOuEgal", QStringLiteral("<="), QStringLiteral("<="), false, true},
      {"SpeedButtonDifferent", QStringLiteral("<>"), QStringLiteral("<>"), true, true},
      {"SpeedButtonOuvrePar", QStringLiteral("("), QStringLiteral("("), false, true},
      {"SpeedButtonFermePar", QStringLiteral(")"), QStringLiteral(")"), false, true},
  };
  const QList<Piece> words = {
      {"SpeedButtonEt", LoadText(text::kAnd), kw.andWord, false, true},
      {"SpeedButtonOu", LoadText(text::kOr), kw.orWord, false, true},
      {"SpeedButtonVrai", LoadText(text::kTrue), kw.trueWord, false, isBoolean},
      {"SpeedButtonFaux", LoadText(text::kFalse), kw.falseWord, false, isBoolean},
      {"SpeedButtonCeJour", LoadText(text::kToday), kw.today, false, hasToday},
  };
  const QList<Piece> likes = {
      {"SpeedButtonCommence", LoadText(text::kStartsWith), kw.startsWith, true, isText},
      {"SpeedButtonFini", LoadText(text::kEndsWith), kw.endsWith, true, isText},
      {"SpeedButtonContient", LoadText(text::kContains), kw.contains, true, isText},
      {"SpeedButtonComme", LoadText(text::kLike), kw.like, true, isText},
  };
  auto row = [this](const QList<Piece>& pieces) {
    auto* layout = new QHBoxLayout;
    for (const Piece& p : pieces) {
      QPushButton* b = addButton(p.name, p.caption);
      b->setEnabled(p.enabled);
      const QString inserted = p.inserted;
      const bool spaceAtEnd = p.spaceAtEnd;
      connect(b, &QPushButton::clicked, this, [this, inserted, spaceAtEnd] { insertAtCaret(inserted, spaceAtEnd); });
      layout->addWidget(b);
    }
    layout->addStretch(1);
    return layout;
  };

  QPushButton* variable = addButton("SpeedButtonVariable", LoadText(text::kVariable));
  QPushButton* values = addButton("SpeedButtonValeurs", LoadText(text::kValues));
  QPushButton* help = addButton("SpeedButtonAide", LoadText(text::kHelp));
  connect(variable, &QPushButton::clicked, this, [this] { SpeedButtonVariableClick(); });
  connect(values, &QPushButton::clicked, this, [this] { SpeedButtonValeursClick(); });
  connect(help, &QPushButton::clicked, this, [this] { SpeedButtonAideClick(); });
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(f1, &QShortcut::activated, this, [this] { SpeedButtonAideClick(); });

  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setObjectName(QStringLiteral("BitBtnOk"));
  ok_->setDefault(true);
  auto* cancel = new QPushButton(LoadText(text::kCancel), this);
  cancel->setObjectName(QStringLiteral("BitBtn2"));
  cancel->setAutoDefault(false);
  connect(ok_, &QPushButton::clicked, this, &TFormEdCriteres::accept);
  connect(cancel, &QPushButton::clicked, this, &TFormEdCriteres::reject);

  auto* top = new QHBoxLayout;
  top->addWidget(fieldLabel, 1);
  top->addWidget(entryLabel);
  top->addWidget(alpha);
  top->addWidget(digits);
  auto* line = new QHBoxLayout;
  line->addWidget(edit_, 1);
  line->addWidget(disc_);
  auto* tools = new QHBoxLayout;
  tools->addWidget(variable);
  tools->addWidget(values);
  tools->addWidget(help);
  tools->addStretch(1);
  tools->addWidget(ok_);
  tools->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(line);
  layout->addLayout(row(signs));
  layout->addLayout(row(words));
  layout->addLayout(row(likes));
  layout->addSpacing(6);
  layout->addLayout(tools);
}

QString TFormEdCriteres::text() const { return edit_->text(); }

bool TFormEdCriteres::insertAtCaret(const QString& piece, bool spaceAtEnd) {
  const QString current = edit_->text();
  const int caret = edit_->cursorPosition();
  QString p = piece;
  if (spaceAtEnd && caret == current.size()) p += kSpace;
  if (caret == 0) {
    if (!current.isEmpty() && !p.endsWith(kSpace)) p += kSpace;
  } else {
    if (current.at(caret - 1) != kSpace) p.prepend(kSpace);
    // A piece must not stick to the text after the caret either: that would make one
    // token of both.
    const bool followed = caret < current.size() && current.at(caret) != kSpace;
    if ((current.at(caret - 1) != kSpace || followed) && !p.endsWith(kSpace)) p += kSpace;
  }
  if (current.size() + p.size() > kMaxLength) {
    ShowMessageBox(LoadText(text::kLimit), MsgKind::Information, mbOK, mbOK);
    edit_->setFocus();
    return false;
  }
  edit_->setText(current.left(caret) + p + current.mid(caret));
  edit_->setCursorPosition(caret + static_cast<int>(p.size()));
  edit_->setFocus();
  return true;
}

void TFormEdCriteres::EditCritereChange() {
  doc_.setModified(true);
  const QString current = edit_->text();
  tokenCount_ = sql::TokenCount(current);
  state_ = sql::CheckCriteriaSyntax(current, fieldType_);
  paintDisc();
  ok_->setEnabled(state_ == sql::kSyntaxValid);
}

void TFormEdCriteres::paintDisc() {
  QPixmap image(disc_->size());
  image.fill(palette().color(QPalette::Window));
  const int w = image.width();
  const int h = image.height();
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const QColor color = state_ == sql::kSyntaxValid        ? kValidColor
                       : state_ == sql::kSyntaxIncomplete ? kIncompleteColor
                                                          : kInvalidColor;
  painter.setPen(color);
  painter.setBrush(color);
  painter.drawEllipse(QRect(QPoint(w / 4, h / 4 + 2), QPoint(3 * w / 4, 3 * h / 4 - 2)));
  painter.end();
  disc_->setPixmap(image);
}

void TFormEdCriteres::SpeedButtonVariableClick() {
  const QChar code = sql::parameterTypeCode(fieldType_);
  if (code.isNull()) {
    ShowMessageBox(LoadText(text::kNoParameter), MsgKind::Information, mbOK, mbOK);
    return;
  }
  QString prompt;
  if (!AskText(LoadText(text::kParameterCaption), LoadText(text::kParameterPrompt), prompt)) return;
  if (!promptFitsMarker(prompt)) {
    ShowMessageBox(promptRefusedText(), MsgKind::Information, mbOK, mbOK);
    return;
  }
  insertAtCaret(sql::parameterMarker(code, prompt));
}

void TFormEdCriteres::SpeedButtonValeursClick() {
  TFormValeurs picker(location_, tableFile_, doc_.realFieldName(column_), this);
  if (!picker.loadValues()) return;
  if (picker.exec() != QDialog::Accepted) return;
  const QString value = TFormValeurs::chosenValue();
  if (!value.isEmpty()) insertAtCaret(pickedValueText(value, fieldType_));
}

void TFormEdCriteres::SpeedButtonAideClick() { THelpWindow::showHelp(QStringLiteral("Editeur")); }

QString TFormEdCriteres::pickedValueText(const QString& value, FieldType type) {
  const sql::CriteriaKeywords kw = sql::CriteriaKeywords::current();
  // The engine shows logical values as "True" and "False"; the criteria language wants the
  // words of the interface language.
  if (type == FieldType::ftBoolean) {
    if (value.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return kw.trueWord;
    if (value.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return kw.falseWord;
  }
  bool quote = type == FieldType::ftDateTime || value.contains(kSpace);
  // Unquoted, a sign or parenthesis inside the value would cut it into several tokens and a
  // value equal to a keyword would be read as that keyword.
  for (QChar c : QStringLiteral("()<>"))
    if (value.contains(c)) quote = true;
  const QString upper = value.toUpper();
  for (const QString* word : {&kw.andWord, &kw.orWord, &kw.startsWith, &kw.endsWith, &kw.contains, &kw.like})
    if (upper == *word) quote = true;
  return quote ? QLatin1Char('"') + value + QLatin1Char('"') : value;
}

void TFormEdCriteres::accept() {
  if (state_ != sql::kSyntaxValid) return;
  const QString current = edit_->text();
  if (current.size() > kMaxLength || !doc_.setCriteria(column_, row_, current)) {
    ShowMessageBox(LoadText(text::kLimit), MsgKind::Information, mbOK, mbOK);
    return;
  }
  doc_.fitColumnToCell(column_, row_, librarySettings().fixedWidth);
  QDialog::accept();
}

void TFormEdCriteres::reject() {
  if (!formerModified_) doc_.setModified(false);
  QDialog::reject();
}

bool editCriteria(QWidget* parent, designer::QueryDocument& document, int column, int row) {
  if (row < designer::gridrow::kFirstCriteria || row > designer::gridrow::kLast) return false;
  if (!document.columnHasField(column)) return false;
  TFormEdCriteres editor(document, column, row, parent);
  // Modal to the designer only, so that the help window opened from the editor can be used.
  if (parent) editor.setWindowModality(Qt::WindowModal);
  return editor.exec() == QDialog::Accepted;
}

void installCriteriaEditorHook() {
  designerHooks().editCriteria = [](TFormPrincipale& designer, int column, int row) {
    return editCriteria(&designer, designer.document(), column, row);
  };
}

}  // namespace korvi::selq
