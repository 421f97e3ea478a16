#pragma once
// The designer's main window: an MDI frame holding the table windows, the design grid
// below them, a tool bar along the top and status panels along the bottom. It owns the
// commands that act on the query and is created, shown, hidden and destroyed through the
// library's exports.

#include <QBrush>
#include <QMainWindow>
#include <functional>

#include "common/text/settings.h"
#include "library/designer/osqfile.h"
#include "library/designer/querydocument.h"

class QAction;
class QFrame;
class QLabel;
class QMdiArea;
class QMenu;
class QToolButton;

namespace korvi::selq {

class TFormPrincipale;
class TStringGridChamps;

// Work that other parts of the designer plug in: running and showing a query, the table
// windows and dialogs, the SQL window, the criteria editor. Every hook may stay empty; the
// command then does nothing visible. Saving and loading query files use the query file
// format unless a hook replaces them.
struct DesignerHooks {
  std::function<bool(TFormPrincipale&, const QString& path)> saveQueryFile;
  std::function<bool(TFormPrincipale&, const QString& path)> loadQueryFile;
  // Opens the window of a table read from a query file and adds the table to the document.
  std::function<designer::QueryTable*(designer::QueryDocument&, const designer::QueryTable&)> openTable;
  std::function<bool(TFormPrincipale&)> runQuery;    // validation and execution
  std::function<bool(TFormPrincipale&)> showResult;  // creates and shows a result window
  std::function<bool()> resultSetOpen;               // the executed query has an open result
  std::function<void()> closeResultSet;
  std::function<void(TFormPrincipale&)> addTable;
  std::function<void(TFormPrincipale&)> removeTable;
  std::function<void(TFormPrincipale&)> showSql;
  // Criteria editor on a cell; true when the user accepted it.
  std::function<bool(TFormPrincipale&, int column, int row)> editCriteria;
  std::function<void()> releaseEngine;
};
DesignerHooks& designerHooks();

class TFormPrincipale : public QMainWindow {
  Q_OBJECT
 public:
  explicit TFormPrincipale(QWidget* parent = nullptr);
  ~TFormPrincipale() override;

  QMdiArea* mdiArea() const { return mdi_; }
  TStringGridChamps* grid() const { return grid_; }
  designer::QueryDocument& document() { return doc_; }
  const designer::QueryDocument& document() const { return doc_; }

  // Document state, kept by the query document.
  const QString& fileName() const { return doc_.fileName(); }
  void setFileName(const QString& name);
  bool isModified() const { return doc_.isModified(); }
  void setModified(bool modified) { doc_.setModified(modified); }
  bool resultWindowOpen() const { return resultWindowOpen_; }
  // A result window opened or closed: it disables the menus and the execute command.
  void setResultWindowOpen(bool open);
  bool closing() const { return closing_; }
  const QString& tempDirectory() const { return tempDirectory_; }
  const QString& helpFile() const { return helpFile_; }
  const QBrush& linkBrush() const { return linkBrush_; }

  // Tables and the query.
  int tableWindowCount() const;
  // Closes the windows of the tables (the document keeps the tables until emptied).
  void closeAllTableWindows();
  bool queryIsEmpty() const;
  // Empties the document, repaints the MDI area, sets the buttons and the caption.
  void emptyQuery();
  // Tool bar buttons after a change in the number of table windows.
  void updateButtons();
  // Status panel and model menu caption from the model path.
  void showModel();

  // Commands.
  // Asks message 77 when saving is allowed and the query is modified and not empty.
  // False when the caller must stop (Cancel, or Yes and saving failed).
  bool askToSave();
  bool newQuery();
  void openQuery();
  // Reads a query file into the emptied document (its loader reports its own failures).
  bool loadQueryFile(const QString& path);
  bool saveQuery();
  bool saveQueryAs();
  void deleteColumn();
  void clearCriteria();
  void executeAndShow();
  void quit();
  void addTable();
  void removeTable();
  void changeModel();
  void toggleToolBar();
  void toggleFixedWidth();
  void toggleUniqueRecords();
  void toggleRecordCount();
  void helpIndex();
  void about();
  void showSql();

  // The grid's popup for a cell (null for a cell without one) and the effect of an item.
  QMenu* buildCellPopup(int column, int row);
  void chooseCellPopupItem(int column, int row, int tag);
  // The Delete key and F2 on a grid cell.
  void deleteKeyOnCell(int column, int row);
  void openCriteriaEditor(int column, int row);

  // Enabling rules applied when the menus open.
  void updateRequeteMenu();
  void updateTableMenu();

  // Frees what the window holds for link drawing and the readers (unload and real close).
  void releaseResources();

  // Runs a command so that an unexpected failure reaches the designer's handler.
  template <typename F>
  void guarded(F&& f);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private slots:
  void showToolBarDeferred();

 private:
  void buildToolBar();
  void buildMenus();
  void buildPanels();
  void applyLayoutRule();
  void updateCaption();
  void showCellPopup(int column, int row, const QPoint& globalPos);
  void editCell(int column, int row, bool formerModified);
  bool saveTo(const QString& path);
  designer::OsqContext osqContext() const;
  bool askSavePath(QString& path);
  void setToolBarShown(bool shown);
  void applyToggle(const char* item, MenuToggle toggle);
  QAction* addItem(QMenu* menu, const char* name, int text, const QKeySequence& key,
                   std::function<void()> command);

  QMdiArea* mdi_ = nullptr;
  TStringGridChamps* grid_ = nullptr;
  QFrame* toolBarPanel_ = nullptr;
  QFrame* statusPanel_ = nullptr;
  QLabel* modelPanel_ = nullptr;
  QToolButton* quitButton_ = nullptr;
  QToolButton* helpButton_ = nullptr;
  QMenu* menuReq_ = nullptr;
  QMenu* menuTable_ = nullptr;
  QMenu* menuOptions_ = nullptr;
  QMenu* menuAide_ = nullptr;

  designer::QueryDocument doc_;
  bool resultWindowOpen_ = false;
  bool closing_ = false;
  bool resourcesReleased_ = false;
  QString tempDirectory_;
  QString helpFile_;
  QBrush linkBrush_;
};

// The designer's handler of unexpected failures: arrow cursor, "Erreur interne : " and the
// failure's text as an error message with an OK button.
void showInternalError(const QString& text);

template <typename F>
void TFormPrincipale::guarded(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    showInternalError(QString::fromUtf8(e.what()));
  } catch (...) {
    showInternalError(QStringLiteral("?"));
  }
}

}  // namespace korvi::selq
