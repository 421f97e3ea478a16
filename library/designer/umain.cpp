#include "library/designer/umain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/dialogs/unattended.h"
#include "common/text/messages.h"
#include "common/text/paths.h"
#include "common/text/strings.h"
#include "common/text/settings.h"
#include "library/designer/cellpopup.h"
#include "library/designer/stringgrid.h"
#include "library/designer/uajout.h"
#include "library/designer/uedit.h"
#include "library/designer/uhelp.h"
#include "library/designer/umdiclient.h"
#include "library/designer/ushowta.h"
#include "library/designer/usuppr.h"
#include "library/exports/libstate.h"
#include "library/exports/lifecycle.h"

namespace korvi::selq {
namespace {

const char kProductName[] = "Korvi Selectra";  // never translated
const char kVersion[] = "0.1";
const QString kScratchQuery = QStringLiteral("TEMPO.OSQ");

struct ButtonSpec {
  const char* name;
  int left;
  int hint;
  bool enabled;
  QStyle::StandardPixmap icon;
};

// Tool bar buttons, 25 by 25 at top 2, in tool bar order.
const ButtonSpec kButtons[] = {
    {"SpeedButtonNouvelleReq", 8, 221, false, QStyle::SP_FileIcon},
    {"SpeedButton2", 32, 222, true, QStyle::SP_DialogOpenButton},
    {"SpeedButtonSaveReq", 56, 223, false, QStyle::SP_DialogSaveButton},
    {"SpeedButtonSaveReqAs", 80, 224, false, QStyle::SP_DriveFDIcon},
    {"SpeedButtonSupprColonne", 107, 226, false, QStyle::SP_TrashIcon},
    {"SpeedButtonEffCritere", 131, 225, false, QStyle::SP_DialogResetButton},
    {"SpeedButtonExecReq", 157, 227, false, QStyle::SP_MediaPlay},
    {"SpeedButtonAjoutTables", 205, 228, true, QStyle::SP_FileDialogNewFolder},
    {"SpeedButtonSupprTable", 229, 229, false, QStyle::SP_DialogDiscardButton},
    {"SpeedButton8", 277, 230, true, QStyle::SP_TitleBarShadeButton},
    {"SpeedButtonQuit", 520, 231, true, QStyle::SP_DialogCloseButton},
    {"SpeedButtonHelp", 550, 232, true, QStyle::SP_DialogHelpButton},
};

QString fileNamePart(const QString& path) {
  const qsizetype cut = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
  return path.mid(cut + 1);
}

template <typename T>
T* child(const QObject* parent, const char* name) {
  return parent->findChild<T*>(QString::fromLatin1(name));
}

}  // namespace

DesignerHooks& designerHooks() {
  static DesignerHooks hooks;
  return hooks;
}

void showInternalError(const QString& text) {
  restoreArrowCursor();
  ShowMessageBox(LoadText(27) + text, MsgKind::Error, mbOK, mbOK);
}

TFormPrincipale::TFormPrincipale(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("TFormPrincipale"));
  setFont(QFont(QStringLiteral("Arial"), 8));
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, Qt::black);
  setPalette(pal);

  // Step 1: flags, components with their captions and hints.
  doc_.setModified(false);
  resultWindowOpen_ = false;
  buildPanels();
  doc_.setTextWidth([this](const QString& text) { return grid_->fontMetrics().horizontalAdvance(text); });
  grid_->setDocument(&doc_);
  buildToolBar();
  buildMenus();

  // Step 2: directory for temporary files, without a trailing separator.
  tempDirectory_ = paths::privateDirectory();
  if (tempDirectory_.isEmpty()) tempDirectory_ = state().startupDirectory;
  while (tempDirectory_.size() > 1 && (tempDirectory_.endsWith(QLatin1Char('/')) || tempDirectory_.endsWith(QLatin1Char('\\'))))
    tempDirectory_.chop(1);

  // Step 3: row labels.
  doc_.labelRows();

  // Step 4: file name, link brush, help file.
  doc_.setFileName(QString());
  linkBrush_ = QBrush(palette().color(QPalette::Button), Qt::SolidPattern);
  mdi_->setBackground(linkBrush_);
  helpFile_ = THelpWindow::helpFile();

  // Step 5: option ticks; the tool bar is shown once the window is complete.
  const LibrarySettings& sw = librarySettings();
  child<QAction>(this, "mnuOptionsBarreoutils")->setChecked(sw.toolBar);
  child<QAction>(this, "mnuOptionsLargeurFixe")->setChecked(sw.fixedWidth);
  child<QAction>(this, "mnuOptionsAfficherNbEnreg")->setChecked(sw.showNbRecord);
  child<QAction>(this, "mnuValeursUniquesDansRequete")->setChecked(sw.uniqueRecords);
  toolBarPanel_->hide();
  if (sw.toolBar) QMetaObject::invokeMethod(this, &TFormPrincipale::showToolBarDeferred, Qt::QueuedConnection);
  for (const ButtonSpec& b : kButtons) child<QToolButton>(this, b.name)->setEnabled(b.enabled);

  // Step 6: the handler of unexpected failures for the whole library.
  setUnexpectedFailureHandler(&showInternalError);

  // Step 7: layout, model, switches that shape the menus, caption.
  applyLayoutRule();
  showModel();
  child<QAction>(this, "mnuModelRelationnel")->setEnabled(sw.mdlChange);
  QAction* sql = child<QAction>(this, "mnuReqAfficherSQL");
  if (sw.showSql) {
    sql->setVisible(true);
    sql->setShortcut(QKeySequence(Qt::Key_F3));
  } else {
    sql->setVisible(false);
    sql->setEnabled(false);
  }
  statusPanel_->setVisible(!sw.hideStatus);
  updateCaption();

  // Step 8: saving not allowed.
  updateButtons();

  // From now on a missing text is reported.
  setMissingTextReport(true);
}

TFormPrincipale::~TFormPrincipale() {
  // Table windows go while the document they show still exists.
  for (QMdiSubWindow* w : mdi_->subWindowList()) delete w;
  // The grid is deleted with the children, after the document member is gone.
  grid_->setDocument(nullptr);
  if (state().designer == this) state().designer = nullptr;
}

void TFormPrincipale::buildPanels() {
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  toolBarPanel_ = new QFrame(central);
  toolBarPanel_->setObjectName(QStringLiteral("PanelBarreOutils"));
  toolBarPanel_->setFixedHeight(30);
  toolBarPanel_->setFrameShape(QFrame::Panel);
  toolBarPanel_->setFrameShadow(QFrame::Sunken);
  toolBarPanel_->setAutoFillBackground(true);
  QPalette barPalette = toolBarPanel_->palette();
  barPalette.setColor(QPalette::Window, QColor(160, 160, 160));
  toolBarPanel_->setPalette(barPalette);
  column->addWidget(toolBarPanel_);

  auto* client = new TMDIClient(central);
  client->setLineSource([this] { return TFormVisuTable::linkLinesOf(*this); });
  mdi_ = client;
  column->addWidget(mdi_, 1);

  auto* panel1 = new QFrame(central);
  panel1->setObjectName(QStringLiteral("Panel1"));
  panel1->setFixedHeight(166);
  grid_ = new TStringGridChamps(panel1);
  grid_->setGeometry(8, 8, qMax(1, width() - 30), 153);
  column->addWidget(panel1);

  statusPanel_ = new QFrame(central);
  statusPanel_->setObjectName(QStringLiteral("Panel2"));
  statusPanel_->setFixedHeight(20);
  auto* row = new QHBoxLayout(statusPanel_);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  auto makePanel = [&](const char* name, int fixedWidth) {
    auto* label = new QLabel(statusPanel_);
    label->setObjectName(QString::fromLatin1(name));
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    if (fixedWidth > 0) label->setFixedWidth(fixedWidth);
    row->addWidget(label, fixedWidth > 0 ? 0 : 1);
    return label;
  };
  modelPanel_ = makePanel("Panel3", 185);
  makePanel("Panel5", 0);
  makePanel("Panel4", 99);
  column->addWidget(statusPanel_);

  setCentralWidget(central);

  connect(grid_, &TStringGridChamps::deleteKeyPressed, this,
          [this](int c, int r) { guarded([&] { deleteKeyOnCell(c, r); }); });
  connect(grid_, &TStringGridChamps::cellPopupRequested, this,
          [this](int c, int r, const QPoint& at) { guarded([&] { showCellPopup(c, r, at); }); });
  doc_.addListener([this](designer::DocumentChange change) {
    if (change == designer::DocumentChange::State) updateCaption();
    if (change == designer::DocumentChange::Tables) updateButtons();
  });
}

void TFormPrincipale::buildToolBar() {
  const std::function<void()> commands[] = {
      [this] { newQuery(); },       [this] { openQuery(); },   [this] { saveQuery(); },
      [this] { saveQueryAs(); },    [this] { deleteColumn(); }, [this] { clearCriteria(); },
      [this] { executeAndShow(); }, [this] { addTable(); },    [this] { removeTable(); },
      [this] { toggleToolBar(); },  [this] { quit(); },        [this] { helpIndex(); },
  };
  int i = 0;
  for (const ButtonSpec& b : kButtons) {
    auto* button = new QToolButton(toolBarPanel_);
    button->setObjectName(QString::fromLatin1(b.name));
    button->setGeometry(b.left, 2, 25, 25);
    button->setToolTip(LoadText(b.hint));
    button->setIcon(style()->standardIcon(b.icon));
    button->setAutoRaise(true);
    const std::function<void()> command = commands[i++];
    connect(button, &QToolButton::clicked, this, [this, command] { guarded(command); });
  }
  quitButton_ = child<QToolButton>(this, "SpeedButtonQuit");
  helpButton_ = child<QToolButton>(this, "SpeedButtonHelp");
}

QAction* TFormPrincipale::addItem(QMenu* menu, const char* name, int text, const QKeySequence& key,
                                  std::function<void()> command) {
  QAction* action = menu->addAction(text > 0 ? LoadText(text) : QString());
  action->setObjectName(QString::fromLatin1(name));
  if (!key.isEmpty()) action->setShortcut(key);
  // The window sees the keys before its controls, also while the menu is closed.
  addAction(action);
  if (command) connect(action, &QAction::triggered, this, [this, command] { guarded(command); });
  return action;
}

void TFormPrincipale::buildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu1"));
  auto topMenu = [&](const char* name, int text) {
    QMenu* menu = bar->addMenu(LoadText(text));
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
  };
  const QKeySequence none;

  menuReq_ = topMenu("mnuReq", 200);
  addItem(menuReq_, "mnuReqNouvelle", 201, QKeySequence(Qt::CTRL | Qt::Key_N), [this] { newQuery(); });
  addItem(menuReq_, "mnuReqOuvrir", 202, QKeySequence(Qt::CTRL | Qt::Key_O), [this] { openQuery(); });
  addItem(menuReq_, "mnuReqEnregistrer", 203, QKeySequence(Qt::CTRL | Qt::Key_E), [this] { saveQuery(); });
  addItem(menuReq_, "mnuReqEnregistrerSous", 204, QKeySequence(Qt::CTRL | Qt::Key_S), [this] { saveQueryAs(); });
  menuReq_->addSeparator();
  addItem(menuReq_, "mnuChampSupprimer", 206, none, [this] { deleteColumn(); });
  addItem(menuReq_, "mnuReqEffacerCriteres", 205, none, [this] { clearCriteria(); });
  menuReq_->addSeparator();
  addItem(menuReq_, "mnuReqExecuter", 207, QKeySequence(Qt::Key_F8), [this] { executeAndShow(); });
  addItem(menuReq_, "mnuReqAfficherSQL", 208, none, [this] { showSql(); });
  menuReq_->addSeparator();
  addItem(menuReq_, "mnuReqQuitter", 209, none, [this] { quit(); });
  connect(menuReq_, &QMenu::aboutToShow, this, [this] { guarded([&] { updateRequeteMenu(); }); });

  menuTable_ = topMenu("mnuTable", 210);
  addItem(menuTable_, "mnuTableAjouter", 211, QKeySequence(Qt::CTRL | Qt::Key_A), [this] { addTable(); });
  addItem(menuTable_, "mnuTableSupprimer", 212, QKeySequence(Qt::CTRL | Qt::Key_D), [this] { removeTable(); });
  menuTable_->addSeparator();
  addItem(menuTable_, "mnuModelRelationnel", 55, none, [this] { changeModel(); });
  connect(menuTable_, &QMenu::aboutToShow, this, [this] { guarded([&] { updateTableMenu(); }); });

  menuOptions_ = topMenu("mnuOptions", 214);
  const std::pair<const char*, int> toggles[] = {
      {"mnuOptionsBarreoutils", 215},
      {"mnuOptionsLargeurFixe", 216},
      {"mnuOptionsAfficherNbEnreg", 291},
      {"mnuValeursUniquesDansRequete", 217},
  };
  const std::function<void()> toggleCommands[] = {
      [this] { toggleToolBar(); }, [this] { toggleFixedWidth(); },
      [this] { toggleRecordCount(); }, [this] { toggleUniqueRecords(); }};
  for (int i = 0; i < 4; ++i) {
    QAction* item = addItem(menuOptions_, toggles[i].first, toggles[i].second, none, {});
    item->setCheckable(true);
    // Qt has already inverted the tick when triggered arrives; the command inverts it
    // itself, for the tool bar button's sake, so the tick is put back first.
    const std::function<void()> command = toggleCommands[i];
    disconnect(item, &QAction::triggered, this, nullptr);
    connect(item, &QAction::triggered, this, [this, item, command] {
      item->setChecked(!item->isChecked());
      guarded(command);
    });
  }

  menuAide_ = topMenu("mnuAide", 218);
  addItem(menuAide_, "mnuAideIndex", 219, QKeySequence(Qt::Key_F1), [this] { helpIndex(); });
  addItem(menuAide_, "mnuAideAPropos", 220, none, [this] { about(); });

  // Hidden menu: its item works by its shortcut only.
  auto* hidden = new QMenu(QStringLiteral("OptCachees"), this);
  hidden->setObjectName(QStringLiteral("mnuCache"));
  QAction* editor = addItem(hidden, "mnuCacheEditeur", 0, QKeySequence(Qt::Key_F2),
                            [this] { openCriteriaEditor(doc_.currentColumn(), doc_.currentRow()); });
  editor->setText(QStringLiteral("Editeur"));
}

void TFormPrincipale::showToolBarDeferred() { setToolBarShown(librarySettings().toolBar); }

void TFormPrincipale::setToolBarShown(bool shown) { toolBarPanel_->setVisible(shown); }

void TFormPrincipale::applyLayoutRule() {
  const int w = width();
  grid_->setGeometry(8, 8, qMax(1, w - 30), 153);
  if (w >= 480) {
    quitButton_->move(w - 100, 2);
    helpButton_->move(w - 70, 2);
  }
}

void TFormPrincipale::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  applyLayoutRule();
}

void TFormPrincipale::setFileName(const QString& name) {
  doc_.setFileName(name);
  updateCaption();
}

void TFormPrincipale::updateCaption() { setWindowTitle(doc_.caption()); }

void TFormPrincipale::setResultWindowOpen(bool open) {
  resultWindowOpen_ = open;
  for (QMenu* m : {menuReq_, menuTable_, menuOptions_, menuAide_}) m->menuAction()->setEnabled(!open);
  updateButtons();
}

int TFormPrincipale::tableWindowCount() const { return doc_.tableCount(); }

void TFormPrincipale::closeAllTableWindows() {
  // Table windows accept closing only while the closing flag is set.
  const bool wasClosing = closing_;
  closing_ = true;
  for (QMdiSubWindow* w : mdi_->subWindowList()) {
    QPointer<QMdiSubWindow> window(w);
    window->close();
    delete window.data();
  }
  closing_ = wasClosing;
  updateButtons();
}

bool TFormPrincipale::queryIsEmpty() const { return doc_.isEmpty(); }

void TFormPrincipale::emptyQuery() {
  doc_.emptyQuery();
  mdi_->viewport()->update();  // erases the drawn links
  updateButtons();
  setWindowTitle(LoadText(1));
}

void TFormPrincipale::updateButtons() {
  const designer::ToolbarState t = doc_.toolbarState(librarySettings().allowSave);
  const std::pair<const char*, bool> rules[] = {
      {"SpeedButtonExecReq", t.execute && !resultWindowOpen_},
      {"SpeedButtonAjoutTables", t.addTable},
      {"SpeedButtonSupprTable", t.removeTable},
      {"SpeedButtonEffCritere", t.clearCriteria},
      {"SpeedButtonSupprColonne", t.deleteColumn},
      {"SpeedButtonNouvelleReq", t.newQuery},
      {"SpeedButtonSaveReq", t.save},
      {"SpeedButtonSaveReqAs", t.saveAs},
  };
  for (const auto& [name, enabled] : rules) child<QToolButton>(this, name)->setEnabled(enabled);
  updateRequeteMenu();
  updateTableMenu();
}

void TFormPrincipale::updateRequeteMenu() {
  const bool filled = !queryIsEmpty();
  for (const char* name : {"mnuReqNouvelle", "mnuChampSupprimer", "mnuReqEffacerCriteres"})
    child<QAction>(this, name)->setEnabled(filled);
  child<QAction>(this, "mnuReqExecuter")->setEnabled(filled && !resultWindowOpen_);
  for (const char* name : {"mnuReqEnregistrer", "mnuReqEnregistrerSous"})
    child<QAction>(this, name)->setEnabled(filled && librarySettings().allowSave);
  child<QAction>(this, "mnuReqAfficherSQL")->setEnabled(filled && librarySettings().showSql);
}

void TFormPrincipale::updateTableMenu() {
  child<QAction>(this, "mnuTableSupprimer")->setEnabled(tableWindowCount() > 0);
}

void TFormPrincipale::showModel() {
  const QString name = fileNamePart(state().modelPath);
  modelPanel_->setText(LoadText(70) + name.toLower());
  child<QAction>(this, "mnuModelRelationnel")->setText(LoadText(55) + QLatin1Char('\t') + name);
}

bool TFormPrincipale::askToSave() {
  if (!librarySettings().allowSave || queryIsEmpty() || !doc_.isModified()) return true;
  const int answer = ShowMessageBox(LoadText(77), MsgKind::Confirmation, mbYes | mbNo | mbCancel, mbYes);
  if (answer == mrCancel) return false;
  if (answer == mrYes) return saveQuery();
  return true;
}

bool TFormPrincipale::newQuery() {
  if (!askToSave()) return false;
  closeAllTableWindows();
  emptyQuery();
  doc_.setFieldNameQuoting(true);
  doc_.setNextTableNumber(1);
  setFileName(QString());
  doc_.setModified(false);
  return true;
}

void TFormPrincipale::openQuery() {
  if (!askToSave()) return;
  closeAllTableWindows();
  emptyQuery();
  FileRequest request;
  request.caption = LoadText(184);
  request.filter = designer::toQtFileFilter(LoadText(185));
  request.defaultSuffix = QStringLiteral("osq");
  request.fileName = QStringLiteral("*.osq");
  QString path;
  if (!messages().askFile(request, path)) return;
  doc_.setNextTableNumber(1);
  loadQueryFile(path);
  doc_.setModified(false);
  setFileName(path);
  doc_.setNextTableNumber(tableWindowCount() + 1);
  doc_.setFieldNameQuoting(true);
}

bool TFormPrincipale::loadQueryFile(const QString& path) {
  const auto& load = designerHooks().loadQueryFile;
  return load ? load(*this, path) : designer::Load(doc_, path, osqContext());
}

designer::OsqContext TFormPrincipale::osqContext() const {
  designer::OsqContext context;
  // The path the model is read from: the stored path may be cut or lower-cased, and then
  // names no file on a case-sensitive file system, so the loader would find no tables.
  context.modelPath = modelReader().path().isEmpty() ? state().modelPath : modelReader().path();
  context.temporaryDirectory = tempDirectory_;
  context.openTable = designerHooks().openTable;
  if (!context.openTable) {
    auto* self = const_cast<TFormPrincipale*>(this);
    context.openTable = [self](designer::QueryDocument&, const designer::QueryTable& table) -> designer::QueryTable* {
      TFormVisuTable* window = TFormVisuTable::open(*self, table);
      return window ? window->table() : nullptr;
    };
  }
  return context;
}

bool TFormPrincipale::saveTo(const QString& path) {
  const auto& save = designerHooks().saveQueryFile;
  const bool saved = save ? save(*this, path) : designer::Save(doc_, path, osqContext());
  if (!saved) return false;
  doc_.setModified(false);
  return true;
}

bool TFormPrincipale::askSavePath(QString& path) {
  FileRequest request;
  request.save = true;
  request.caption = LoadText(186);
  request.filter = designer::toQtFileFilter(LoadText(187));
  request.defaultSuffix = QStringLiteral("osq");
  request.fileName = doc_.fileName().isEmpty() ? QStringLiteral("*.osq") : doc_.fileName();
  return messages().askFile(request, path);
}

bool TFormPrincipale::saveQuery() {
  if (!librarySettings().allowSave) return false;
  if (queryIsEmpty()) {
    ShowInformation(LoadText(73));
    return false;
  }
  if (!doc_.fileName().isEmpty()) return saveTo(doc_.fileName());
  return saveQueryAs();
}

bool TFormPrincipale::saveQueryAs() {
  if (!librarySettings().allowSave) return false;
  if (queryIsEmpty()) {
    ShowInformation(LoadText(73));
    return false;
  }
  QString path;
  if (!askSavePath(path)) return false;
  if (!saveTo(path)) return false;
  setFileName(path);
  return true;
}

void TFormPrincipale::deleteColumn() {
  if (doc_.selectionIsWholeColumn()) {
    if (AskConfirmation(LoadText(75))) doc_.deleteColumn(doc_.selection().left);
  } else {
    QString text = QString::number(doc_.currentColumn());
    if (AskText(LoadText(78), LoadText(79), text)) {
      bool ok = false;
      const int number = text.trimmed().toInt(&ok);
      if (ok)
        doc_.deleteColumn(number);
      else
        ShowInformation(LoadText(80));
    }
  }
  doc_.setCurrentCell(doc_.currentColumn(), 1);
  grid_->setCurrentCell(1, doc_.currentColumn());
  doc_.setModified(true);
  grid_->setFocus();
}

void TFormPrincipale::clearCriteria() {
  if (!AskConfirmation(LoadText(74))) return;
  doc_.clearGrid();  // marks the query modified; the tables stay
}

void TFormPrincipale::executeAndShow() {
  const DesignerHooks& h = designerHooks();
  if (!h.runQuery || !h.runQuery(*this)) return;
  if (h.showResult && h.showResult(*this)) setResultWindowOpen(true);
}

void TFormPrincipale::quit() { exitDesigner(); }

void TFormPrincipale::addTable() {
  if (designerHooks().addTable)
    designerHooks().addTable(*this);
  else
    TFormAjouterTables::run(*this);
  updateButtons();
}

void TFormPrincipale::removeTable() {
  if (designerHooks().removeTable)
    designerHooks().removeTable(*this);
  else
    TFormSupprimerTables::run(*this);
  updateButtons();
}

void TFormPrincipale::changeModel() {
  if (!librarySettings().mdlChange) return;
  if (tableWindowCount() > 0) {
    if (!AskConfirmation(LoadText(54))) return;
    if (!newQuery()) return;
  }
  FileRequest request;
  request.caption = LoadText(182);
  request.filter = designer::toQtFileFilter(LoadText(183));
  request.defaultSuffix = QStringLiteral("mdl");
  request.objectName = QStringLiteral("OpenDialogMDL");
  QString path;
  if (!messages().askFile(request, path)) return;
  if (!QFileInfo(path).isFile()) return;  // the open dialog only offers existing files
  makeModelCurrent(path, true);
}

void TFormPrincipale::applyToggle(const char* item, MenuToggle toggle) {
  QAction* action = child<QAction>(this, item);
  // The setting is written first; when the file refuses it, tick and switch stay as they
  // were and the failure reaches the handler of unexpected failures.
  action->setChecked(toggleSetting(toggle));
}

void TFormPrincipale::toggleToolBar() {
  applyToggle("mnuOptionsBarreoutils", MenuToggle::ToolBar);
  setToolBarShown(librarySettings().toolBar);
}

void TFormPrincipale::toggleFixedWidth() { applyToggle("mnuOptionsLargeurFixe", MenuToggle::FixedWidth); }

void TFormPrincipale::toggleUniqueRecords() {
  applyToggle("mnuValeursUniquesDansRequete", MenuToggle::UniqueRecords);
}

void TFormPrincipale::toggleRecordCount() { applyToggle("mnuOptionsAfficherNbEnreg", MenuToggle::ShowNbRecord); }

void TFormPrincipale::helpIndex() { THelpWindow::showHelp(); }

void TFormPrincipale::showSql() {
  if (!librarySettings().showSql || queryIsEmpty()) return;
  if (designerHooks().showSql) designerHooks().showSql(*this);
}

void TFormPrincipale::about() {
  if (unattendedSession()) {
    // Unattended hosts get the about text as a logged box instead of a dialog that waits.
    MessageRequest r;
    r.text = QStringLiteral("%1\nVersion %2").arg(QLatin1String(kProductName), QLatin1String(kVersion));
    r.kind = MsgKind::Plain;
    messages().showMessage(r);
    return;
  }
  QDialog box(this);
  box.setObjectName(QStringLiteral("AboutBox"));
  box.setWindowTitle(LoadText(220).remove(QLatin1Char('&')));
  auto* layout = new QVBoxLayout(&box);
  auto* name = new QLabel(QStringLiteral("<b>%1</b>").arg(QLatin1String(kProductName)), &box);
  name->setObjectName(QStringLiteral("LabelProduit"));
  auto* version = new QLabel(QStringLiteral("Version %1").arg(QLatin1String(kVersion)), &box);
  version->setObjectName(QStringLiteral("LabelVersion"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
  connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
  layout->addWidget(name);
  layout->addWidget(version);
  layout->addWidget(buttons);
  box.exec();
}

void TFormPrincipale::deleteKeyOnCell(int column, int row) {
  if (row < 6 || row > 14) return;
  doc_.clearCriteriaCell(column, row);  // sets the modified flag when the cell held text
}

void TFormPrincipale::openCriteriaEditor(int column, int row) {
  if (row < 6 || row > 14 || !doc_.columnHasField(column)) return;
  editCell(column, row, doc_.isModified());
}

void TFormPrincipale::editCell(int column, int row, bool formerModified) {
  const auto& hook = designerHooks().editCriteria;
  // The query counts as modified while the editor is open; Cancel restores the flag.
  doc_.setModified(true);
  const bool accepted = hook ? hook(*this, column, row) : editCriteria(this, doc_, column, row);
  if (!accepted) {
    doc_.setModified(formerModified);
    return;
  }
  doc_.fitColumnToCell(column, row, librarySettings().fixedWidth);
}

QMenu* TFormPrincipale::buildCellPopup(int column, int row) {
  const QList<designer::PopupItem> items = designer::popupItems(doc_, column, row);
  if (items.isEmpty()) return nullptr;
  auto* menu = new QMenu(this);
  menu->setObjectName(QStringLiteral("PopupMenuCellule"));
  for (const designer::PopupItem& item : items) {
    QAction* action = menu->addAction(item.text);
    action->setData(item.tag);
    action->setEnabled(item.enabled);
    if (item.checked) {
      action->setCheckable(true);
      action->setChecked(true);
    }
  }
  return menu;
}

void TFormPrincipale::chooseCellPopupItem(int column, int row, int tag) {
  const designer::PopupOutcome outcome = designer::choosePopupItem(doc_, column, row, tag);
  switch (outcome.next) {
    case designer::PopupOutcome::Next::Nothing:
      break;
    case designer::PopupOutcome::Next::OpenEditor:
      editCell(column, row, outcome.wasModified);
      break;
    case designer::PopupOutcome::Next::ConfirmClear:
      if (AskConfirmation(LoadText(76))) doc_.clearCriteriaCell(column, row);
      break;
  }
}

void TFormPrincipale::showCellPopup(int column, int row, const QPoint& globalPos) {
  std::unique_ptr<QMenu> menu(buildCellPopup(column, row));
  if (!menu) return;
  const QAction* chosen = menu->exec(globalPos);
  if (chosen) chooseCellPopupItem(column, row, chosen->data().toInt());
}

void TFormPrincipale::releaseResources() {
  if (resourcesReleased_) return;
  resourcesReleased_ = true;
  linkBrush_ = QBrush();
  doc_.emptyQuery();
  state().modelReader = std::make_unique<ModelFile>(QString());
  QFile::remove(QDir(tempDirectory_).filePath(kScratchQuery));
}

void TFormPrincipale::closeEvent(QCloseEvent* event) {
  LibraryState& s = state();
  if (s.unloading) {
    releaseResources();
    event->accept();
    return;
  }
  closing_ = true;
  bool goOn = false;
  guarded([&] { goOn = askToSave(); });
  if (!goOn) {
    closing_ = false;
    event->ignore();
    return;
  }
  closeAllTableWindows();
  if (librarySettings().forceUnload) {
    // The window really closes: the host treats the designer as finished.
    s.designerRunning = false;
    releaseResources();
    event->accept();
    deleteLater();
    return;
  }
  exitDesigner();
  closing_ = false;
  event->ignore();
}

}  // namespace korvi::selq
