#pragma once
// The link listing: every link of the model, table by table, shown and printed.

#include <QDateTime>
#include <QDialog>
#include <QStringList>

class QPlainTextEdit;

namespace korvi::relmap {

// The lines of the listing of the open model.
QStringList linkListing();
// The lines printed before the listing: title and model name, the date of printing.
QStringList printHeader(const QString& modelName, const QDateTime& when);
// Prints the lines as plain text on the default printer; with no printer installed, into a
// PDF file in the temp directory. Returns the PDF's path in that case, else empty.
// Throws std::runtime_error when the output cannot be made.
QString printLines(const QStringList& lines, const QString& title);

class TFormAfficherLiens : public QDialog {
  Q_OBJECT

 public:
  explicit TFormAfficherLiens(QWidget* parent = nullptr);
  QPlainTextEdit* memo() const { return Memo1; }

 private:
  void BitBtnPrintClick();

  QPlainTextEdit* Memo1 = nullptr;
};

}  // namespace korvi::relmap
