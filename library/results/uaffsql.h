#pragma once
// The SQL display window: the statement of the current query as generated (markers as
// written, no validation), read-only, copied to the clipboard when the window opens. Its
// size is kept in the settings ("SQLWidth", "SQLHeight").

#include <QDialog>
#include <QStringList>

#include "common/text/settings.h"

class QPlainTextEdit;
class QPushButton;
class QFrame;

namespace korvi::results {

// The designer's "Afficher SQL" entry exists only with "ShowSQL" on.
bool sqlCommandVisible(const LibrarySettings& settings = librarySettings());

class TFormAfficheSQL : public QDialog {
  Q_OBJECT
 public:
  explicit TFormAfficheSQL(const QStringList& lines, QWidget* parent = nullptr);

  QPlainTextEdit* memo() const { return memo_; }
  QPushButton* okButton() const { return ok_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void done(int result) override;

 private:
  void centreOkButton();

  QPlainTextEdit* memo_ = nullptr;
  QFrame* panel_ = nullptr;
  QPushButton* ok_ = nullptr;
};

// Creates the window over the lines, copies the text to the clipboard (an empty text empties
// the clipboard), shows it modally and frees it when it closes.
void ShowSqlWindow(const QStringList& lines, QWidget* parent = nullptr);

}  // namespace korvi::results
