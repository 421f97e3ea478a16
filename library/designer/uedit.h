#pragma once
// The criteria editor: composes the condition of one criteria cell of the design grid in a
// one-line field, with a button for every keyword and sign, a parameter marker button and
// the value picker, and a disc that shows at each keystroke whether the text is a valid
// condition for the column's field type. Only a valid text leaves it, through OK.

#include <QDialog>
#include <QString>

#include "common/engine/types.h"
#include "library/sql/criteriacheck.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace korvi::designer {
class QueryDocument;
}

namespace korvi::selq {

class TFormEdCriteres : public QDialog {
  Q_OBJECT
 public:
  // The longest criteria text a cell holds.
  static constexpr int kMaxLength = 255;

  // For the criteria cell (column, row) of a column holding a field. The text field starts
  // with the cell's text, the caret at its end.
  TFormEdCriteres(designer::QueryDocument& document, int column, int row, QWidget* parent = nullptr);

  engine::FieldType fieldType() const { return fieldType_; }
  sql::TypeClass typeClass() const { return typeClass_; }
  sql::SyntaxState syntaxState() const { return state_; }
  int tokenCount() const { return tokenCount_; }
  QString text() const;
  QLineEdit* editor() const { return edit_; }

  // Inserts a piece at the caret with the spacing rules: a space after it when put before
  // a text, spaces around it after a character that is not a space. Refused with message
  // 115 when the text would exceed 255 characters. `spaceAtEnd` adds a space after the
  // piece when the caret is at the end (keywords that a value follows).
  bool insertAtCaret(const QString& piece, bool spaceAtEnd = false);

  // OK: the cell receives the text, the column is widened to it (unless fixed widths are
  // on). Cancel: the modified flag the query had before the editor opened comes back.
  void accept() override;
  void reject() override;

  // The text as the value picker inserts it: between double quotes when it holds a space
  // (or a character the criteria language would cut it at, or is a keyword) or the field
  // is a date-time one, else unchanged. A logical value becomes the true or false keyword.
  static QString pickedValueText(const QString& value, engine::FieldType type);

 private:
  void buildWindow(const QString& fieldName);
  QPushButton* addButton(const char* name, const QString& caption);
  void EditCritereChange();
  void paintDisc();
  void SpeedButtonVariableClick();
  void SpeedButtonValeursClick();
  void SpeedButtonAideClick();

  designer::QueryDocument& doc_;
  int column_;
  int row_;
  bool formerModified_;
  engine::FieldType fieldType_;
  sql::TypeClass typeClass_;
  QString location_;
  QString tableFile_;
  int tokenCount_ = 0;
  sql::SyntaxState state_ = sql::kSyntaxValid;

  QLineEdit* edit_ = nullptr;
  QLabel* disc_ = nullptr;
  QPushButton* ok_ = nullptr;
};

// Opens the criteria editor modally on a criteria cell (rows 6 to 14) of a column holding a
// field; true when the user accepted it and the cell received the text. Nothing happens
// (false) for any other cell.
bool editCriteria(QWidget* parent, designer::QueryDocument& document, int column, int row);

// Plugs the editor into the designer window's criteria hook (F2, the cell popup's editor
// item, a double-click on a criteria cell).
void installCriteriaEditorHook();

}  // namespace korvi::selq
