#pragma once
// The result window: the rows of the designer's executed query as a grid ("Liste") or one
// record at a time ("Fiche"), with record navigation, a prefix search, a copy to the
// clipboard, and the save, print, memo viewer and host commands. It browses the executed
// query's result set and never closes it; when the designer closes that result, the window
// closes too. While it is open the designer's commands that would change or re-run the
// query are disabled, through the host interface below.

#include <QMdiSubWindow>
#include <QPointer>
#include <functional>

#include "common/text/settings.h"
#include "library/results/resultmodel.h"

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QScrollArea;
class QTableView;
class QToolButton;

namespace korvi::engine {
class Engine;
}
namespace korvi::sql {
class ExecutedQuery;
}

namespace korvi::results {

class TFormVisuResultat;

// What the designer does while a result window lives.
class ResultWindowHost {
 public:
  virtual ~ResultWindowHost() = default;
  // Disables the designer's Requête, Table, Options and Aide menus and its execute command
  // and button, and sets its result-window-open flag.
  virtual void resultWindowOpened(TFormVisuResultat& window) = 0;
  // Undoes what opening did.
  virtual void resultWindowClosed(TFormVisuResultat& window) = 0;
};

struct ResultWindowOptions {
  QString queryFileName;       // the designer's current query file (empty: unnamed)
  int recordCount = -1;        // the count of the execution; -1: unknown
  bool localDatabase = true;   // every table of the query lies in a STANDARD database
  bool allowExport = true;     // "AllowExport"
  bool customButtonVisible = false;
  QString customButtonCaption;
  quint32 hostWindow = 0;      // native id of the host's widget
  QString startupDirectory;    // where the host's result table is written
  engine::Engine* engine = nullptr;  // null: the process's engine
  ResultWindowHost* host = nullptr;
  // The host notification; unset: KvslHostEvent(0, 1) posted to the widget of hostWindow.
  std::function<void()> notifyHost;
  // Commands that other parts of the library provide; unset, they do nothing.
  std::function<void(TFormVisuResultat&)> save;
  std::function<void(TFormVisuResultat&)> print;
  std::function<void(TFormVisuResultat&, int field)> showMemo;

  // The options of the process: record count, "AllowExport".
  static ResultWindowOptions fromSettings();
};

class TFormVisuResultat : public QMdiSubWindow {
  Q_OBJECT
 public:
  // Private message that gives the form view's first edit box the focus.
  static constexpr int kFocusFirstEdit = 1029;

  TFormVisuResultat(sql::ExecutedQuery& query, ResultWindowOptions options, QWidget* parent = nullptr);
  ~TFormVisuResultat() override;

  // The shared result set; null once the executed query closed it.
  engine::ResultSet* resultSet() const;
  int recordCount() const { return recordCount_; }
  const ResultWindowOptions& options() const { return options_; }
  bool formView() const { return formView_; }
  bool formBuilt() const { return formBuilt_; }
  const QString& searchText() const { return searchText_; }
  void setSearchText(const QString& text) { searchText_ = text; }
  int formSearchColumn() const { return formSearchColumn_; }
  QLineEdit* firstEdit() const { return firstEdit_; }
  ResultTableModel* gridModel() const { return model_; }
  // The result field the grid's current column shows (the first visible one without a
  // current cell); -1 without visible fields.
  int selectedField() const;
  bool isEmptyResult() const;

  // Commands.
  void first();
  void prior();
  void next();
  void last();
  void moveToRecord(qint64 recNo);
  void showForm();
  void showGrid();
  void search();
  void nextOccurrence();
  void previousOccurrence();
  void copyToClipboard();
  void print();
  void save();
  void showMemo();
  void customButton();

 protected:
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  void buildMenus();
  void buildToolBar();
  void placeToolBarButtons();
  QToolButton* toolButton(const char* name, int x, int hint);
  QAction* menuItem(QMenu* menu, const char* name, int text, std::function<void()> command);
  void buildForm();
  void afterMove();
  void fitColumns();
  void syncGrid();
  void updateNavigation();
  void updateForm();
  void setSearchCommandsEnabled(bool enabled);
  void scan(bool forward);
  void resultClosing();
  QString fieldDisplayName(int field) const;

  QPointer<sql::ExecutedQuery> query_;
  ResultWindowOptions options_;
  int recordCount_ = -1;
  bool formBuilt_ = false;
  bool formView_ = false;
  int formSearchColumn_ = 0;
  QString searchText_;
  bool syncing_ = false;
  bool closedByHost_ = false;

  QWidget* content_ = nullptr;
  QMenuBar* menuBar_ = nullptr;
  QFrame* panel2_ = nullptr;
  QTableView* grid_ = nullptr;
  ResultTableModel* model_ = nullptr;
  QScrollArea* scrollBox_ = nullptr;
  QWidget* formArea_ = nullptr;
  QList<QPair<int, QLineEdit*>> edits_;  // result field, edit box
  QLineEdit* firstEdit_ = nullptr;
  QLabel* label1_ = nullptr;
  QToolButton* customButton_ = nullptr;
  QToolButton* closeButton_ = nullptr;
  QMenu* popup_ = nullptr;
};

}  // namespace korvi::results
