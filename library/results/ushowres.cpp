#include "library/results/ushowres.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

#include "common/dialogs/waitcursor.h"
#include "common/engine/engine.h"
#include "common/text/formats.h"
#include "common/text/messages.h"
#include "common/text/strings.h"
#include "library/include/selq32event.h"
#include "library/results/resultops.h"
#include "library/sql/execute.h"

namespace korvi::results {
namespace {

constexpr int kButtonSize = 25;
constexpr QRgb kPanelColour = 0xA0A0A0;  // 10526880

// The focus request of the form view, posted to the window and handled later.
class FocusEditEvent : public QEvent {
 public:
  explicit FocusEditEvent(QLineEdit* edit)
      : QEvent(static_cast<QEvent::Type>(TFormVisuResultat::kFocusFirstEdit)), edit(edit) {}
  QPointer<QLineEdit> edit;
};

void inform(const QString& text) { ShowMessageBox(text, MsgKind::Information, mbOK, mbOK); }

void arrowCursor() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
  while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
}

}  // namespace

ResultWindowOptions ResultWindowOptions::fromSettings() {
  ResultWindowOptions o;
  o.recordCount = korvi::recordCount();
  o.allowExport = librarySettings().allowExport;
  return o;
}

TFormVisuResultat::TFormVisuResultat(sql::ExecutedQuery& query, ResultWindowOptions options, QWidget* parent)
    : QMdiSubWindow(parent), query_(&query), options_(std::move(options)) {
  setObjectName(QStringLiteral("TFormVisuResultat"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowFlags(Qt::SubWindow | Qt::WindowSystemMenuHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

  content_ = new QWidget(this);
  auto* layout = new QVBoxLayout(content_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  buildMenus();
  layout->setMenuBar(menuBar_);
  buildToolBar();
  layout->addWidget(panel2_);

  model_ = new ResultTableModel(this);
  grid_ = new QTableView(content_);
  grid_->setObjectName(QStringLiteral("DBGrid1"));
  grid_->setModel(model_);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
  grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 4);
  grid_->verticalHeader()->setFixedWidth(12);
  grid_->setContextMenuPolicy(Qt::CustomContextMenu);
  layout->addWidget(grid_, 1);

  scrollBox_ = new QScrollArea(content_);
  scrollBox_->setObjectName(QStringLiteral("ScrollBox1"));
  formArea_ = new QWidget;
  formArea_->setObjectName(QStringLiteral("ScrollBox1Contents"));
  scrollBox_->setWidget(formArea_);
  scrollBox_->setWidgetResizable(false);
  scrollBox_->hide();
  layout->addWidget(scrollBox_, 1);
  setWidget(content_);

  // The grid's pop-up menu: the memo viewer on the selected column.
  popup_ = new QMenu(this);
  popup_->setObjectName(QStringLiteral("PopupMenu1"));
  popup_->addAction(LoadText(104))->setObjectName(QStringLiteral("PopupInchange"));
  QAction* memo = popup_->addAction(LoadText(3));
  memo->setObjectName(QStringLiteral("PopupAfficher"));
  memo->setShortcut(QKeySequence(Qt::Key_F3));
  memo->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  grid_->addAction(memo);
  connect(memo, &QAction::triggered, this, [this] { showMemo(); });
  connect(grid_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { popup_->popup(grid_->viewport()->mapToGlobal(p)); });
  connect(grid_, &QAbstractItemView::doubleClicked, this, [this] { search(); });

  // Step 1-2: export switch, captions and hints (set where built), the record label.
  findChild<QToolButton*>(QStringLiteral("SpdBtnSave"))->setEnabled(options_.allowExport);
  findChild<QAction*>(QStringLiteral("mnuResEnregistrer"))->setEnabled(options_.allowExport);
  label1_->setText(options_.localDatabase ? LoadText(restext::kFormLabel) : QString());

  // Step 3: the shared result and the record count.
  recordCount_ = options_.recordCount;
  connect(&query, &sql::ExecutedQuery::aboutToClose, this, &TFormVisuResultat::resultClosing);
  if (engine::ResultSet* rs = resultSet()) {
    if (rs->recNo() == 0 || rs->bof()) rs->first();
  }
  model_->setResultSet(resultSet());
  fitColumns();
  connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (syncing_ || !current.isValid()) return;
            if (engine::ResultSet* rs = resultSet()) {
              if (current.row() + 1 != rs->recNo()) rs->moveTo(current.row() + 1);
            }
            updateNavigation();
          });

  // Step 4-6: caption, arrow cursor, search and form state, navigation.
  setWindowTitle(resultCaption(options_.queryFileName, recordCount_));
  arrowCursor();
  searchText_.clear();
  formBuilt_ = formView_ = false;
  formSearchColumn_ = 0;
  syncGrid();
  updateNavigation();

  // Step 7: the host's button.
  customButton_->setVisible(options_.customButtonVisible);
  customButton_->setText(options_.customButtonCaption);
  customButton_->setFixedWidth(std::max(fontMetrics().horizontalAdvance(options_.customButtonCaption), 25) + 15);
  placeToolBarButtons();

  resize(760, 480);
  // Step 8: the designer's commands.
  if (options_.host) options_.host->resultWindowOpened(*this);
}

TFormVisuResultat::~TFormVisuResultat() = default;

engine::ResultSet* TFormVisuResultat::resultSet() const { return query_ ? query_->resultSet() : nullptr; }

QString TFormVisuResultat::fieldDisplayName(int field) const {
  engine::ResultSet* rs = resultSet();
  if (!rs || field < 0 || field >= rs->fieldCount()) return QString();
  return rs->field(field).displayName();
}

// ---- Components ---------------------------------------------------------------------------

QAction* TFormVisuResultat::menuItem(QMenu* menu, const char* name, int text, std::function<void()> command) {
  QAction* a = menu->addAction(LoadText(text));
  a->setObjectName(QString::fromLatin1(name));
  connect(a, &QAction::triggered, this, [command = std::move(command)] { command(); });
  return a;
}

void TFormVisuResultat::buildMenus() {
  menuBar_ = new QMenuBar(content_);
  menuBar_->setObjectName(QStringLiteral("MainMenu1"));
  menuBar_->setNativeMenuBar(false);
  QMenu* res = menuBar_->addMenu(LoadText(233));
  res->setObjectName(QStringLiteral("mnuResultat"));
  menuItem(res, "mnuResEnregistrer", 294, [this] { save(); });
  menuItem(res, "mnuResImprimer", 552, [this] { print(); });
  menuItem(res, "mnuResFermer", 235, [this] { close(); });
  QMenu* ed = menuBar_->addMenu(LoadText(236));
  ed->setObjectName(QStringLiteral("mnuEdition"));
  menuItem(ed, "mnuEdCopier", 237, [this] { copyToClipboard(); });
  menuItem(ed, "mnuEdRechercher", 238, [this] { search(); });
  menuItem(ed, "mnuEdSuivante", 239, [this] { nextOccurrence(); });
  menuItem(ed, "mnuEdPrecedente", 240, [this] { previousOccurrence(); });
  QMenu* nav = menuBar_->addMenu(LoadText(241));
  nav->setObjectName(QStringLiteral("mnuNavigation"));
  menuItem(nav, "mnuNavPremier", 242, [this] { first(); });
  menuItem(nav, "mnuNavPrecedent", 243, [this] { prior(); });
  menuItem(nav, "mnuNavSuivant", 244, [this] { next(); });
  menuItem(nav, "mnuNavDernier", 245, [this] { last(); });
  QMenu* vue = menuBar_->addMenu(LoadText(246));
  vue->setObjectName(QStringLiteral("mnuVue"));
  QAction* fiche = menuItem(vue, "mnuVueFiche", 247, [this] { showForm(); });
  QAction* liste = menuItem(vue, "mnuVueListe", 248, [this] { showGrid(); });
  fiche->setCheckable(true);
  liste->setCheckable(true);
  liste->setChecked(true);
}

QToolButton* TFormVisuResultat::toolButton(const char* name, int x, int hint) {
  auto* b = new QToolButton(panel2_);
  b->setObjectName(QString::fromLatin1(name));
  b->setGeometry(x, 2, kButtonSize, kButtonSize);
  b->setAutoRaise(true);
  if (hint) b->setToolTip(LoadText(hint));
  return b;
}

void TFormVisuResultat::buildToolBar() {
  panel2_ = new QFrame(content_);
  panel2_->setObjectName(QStringLiteral("Panel2"));
  panel2_->setFixedHeight(30);
  panel2_->setAutoFillBackground(true);
  QPalette pal = panel2_->palette();
  pal.setColor(QPalette::Window, QColor(kPanelColour));
  panel2_->setPalette(pal);
  panel2_->installEventFilter(this);

  QStyle* st = style();
  const auto icon = [st](QStyle::StandardPixmap p) { return st->standardIcon(p); };
  const auto wire = [this](QToolButton* b, std::function<void()> f) {
    connect(b, &QToolButton::clicked, this, [f = std::move(f)] { f(); });
  };
  QToolButton* b = toolButton("SpdBtnSave", 8, 249);
  b->setIcon(icon(QStyle::SP_DialogSaveButton));
  wire(b, [this] { save(); });
  b = toolButton("SpdBtnPrint", 32, 251);
  b->setIcon(icon(QStyle::SP_FileDialogDetailedView));
  wire(b, [this] { print(); });
  b = toolButton("SpeedButtonCopy", 76, 256);
  b->setIcon(icon(QStyle::SP_FileDialogContentsView));
  wire(b, [this] { copyToClipboard(); });
  b = toolButton("SpdBtnSearch", 102, 252);
  b->setIcon(icon(QStyle::SP_FileDialogInfoView));
  wire(b, [this] { search(); });
  b = toolButton("SpdBtnNext", 126, 253);
  b->setIcon(icon(QStyle::SP_ArrowDown));
  wire(b, [this] { nextOccurrence(); });
  b = toolButton("SpdBtnPrev", 150, 254);
  b->setIcon(icon(QStyle::SP_ArrowUp));
  wire(b, [this] { previousOccurrence(); });

  // The navigator: first, prior, next, last, with hints 282 to 285.
  auto* nav = new QFrame(panel2_);
  nav->setObjectName(QStringLiteral("DBNavigator1"));
  nav->setGeometry(194, 2, 4 * kButtonSize, kButtonSize);
  const struct {
    const char* name;
    QStyle::StandardPixmap glyph;
    int hint;
    void (TFormVisuResultat::*move)();
  } navButtons[] = {{"nbFirst", QStyle::SP_MediaSkipBackward, 282, &TFormVisuResultat::first},
                    {"nbPrior", QStyle::SP_MediaSeekBackward, 283, &TFormVisuResultat::prior},
                    {"nbNext", QStyle::SP_MediaSeekForward, 284, &TFormVisuResultat::next},
                    {"nbLast", QStyle::SP_MediaSkipForward, 285, &TFormVisuResultat::last}};
  int x = 0;
  for (const auto& n : navButtons) {
    auto* nb = new QToolButton(nav);
    nb->setObjectName(QString::fromLatin1(n.name));
    nb->setGeometry(x, 0, kButtonSize, kButtonSize);
    nb->setIcon(icon(n.glyph));
    nb->setToolTip(LoadText(n.hint));
    nb->setAutoRaise(true);
    connect(nb, &QToolButton::clicked, this, [this, move = n.move] { (this->*move)(); });
    x += kButtonSize;
  }

  b = toolButton("SpeedButtonFiche", 319, 257);
  b->setIcon(icon(QStyle::SP_FileDialogDetailedView));
  wire(b, [this] { showForm(); });
  b = toolButton("SpeedButtonGrille", 320, 255);
  b->setIcon(icon(QStyle::SP_FileDialogListView));
  b->hide();
  wire(b, [this] { showGrid(); });

  label1_ = new QLabel(panel2_);
  label1_->setObjectName(QStringLiteral("Label1"));
  QFont bold = label1_->font();
  bold.setBold(true);
  label1_->setFont(bold);
  label1_->setGeometry(384, 7, 200, 17);
  label1_->hide();

  customButton_ = new QToolButton(panel2_);
  customButton_->setObjectName(QStringLiteral("BitBtnCustom"));
  customButton_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  customButton_->setFixedHeight(kButtonSize);
  customButton_->hide();
  connect(customButton_, &QToolButton::clicked, this, [this] { customButton(); });

  closeButton_ = toolButton("SpdBtnClose", 0, 258);
  closeButton_->setIcon(icon(QStyle::SP_DialogCloseButton));
  wire(closeButton_, [this] { close(); });
}

void TFormVisuResultat::placeToolBarButtons() {
  const int width = panel2_->width() > 0 ? panel2_->width() : this->width();
  closeButton_->move(width - 70, 2);
  customButton_->move(closeButton_->x() - 10 - customButton_->width(), 2);
}

// ---- Moves --------------------------------------------------------------------------------

void TFormVisuResultat::first() {
  if (engine::ResultSet* rs = resultSet()) rs->first();
  afterMove();
}

void TFormVisuResultat::prior() {
  if (engine::ResultSet* rs = resultSet()) rs->prior();
  afterMove();
}

void TFormVisuResultat::next() {
  if (engine::ResultSet* rs = resultSet()) rs->next();
  afterMove();
}

void TFormVisuResultat::last() {
  if (engine::ResultSet* rs = resultSet()) rs->last();
  afterMove();
}

void TFormVisuResultat::moveToRecord(qint64 recNo) {
  if (engine::ResultSet* rs = resultSet()) rs->moveTo(recNo);
  afterMove();
}

void TFormVisuResultat::afterMove() {
  syncGrid();
  updateNavigation();
  if (formView_) updateForm();
}

void TFormVisuResultat::fitColumns() {
  // Widths from the header and the first page of rows: the grid never reads the whole result.
  const QFontMetrics fm = grid_->fontMetrics();
  const int rows = std::min(model_->rowCount(), 50);
  for (int c = 0; c < model_->columnCount(); ++c) {
    int width = fm.horizontalAdvance(model_->headerData(c, Qt::Horizontal).toString());
    for (int r = 0; r < rows; ++r) width = std::max(width, fm.horizontalAdvance(model_->data(model_->index(r, c)).toString()));
    grid_->setColumnWidth(c, std::clamp(width + 16, 40, 400));
  }
}

void TFormVisuResultat::syncGrid() {
  engine::ResultSet* rs = resultSet();
  if (!rs || formView_ || model_->resultSet() == nullptr || rs->recNo() == 0) return;
  int column = grid_->currentIndex().isValid() ? grid_->currentIndex().column() : 0;
  if (column >= model_->columnCount()) column = 0;
  const QModelIndex target = model_->index(int(rs->recNo() - 1), column);
  if (!target.isValid() || target == grid_->currentIndex()) return;
  syncing_ = true;
  grid_->setCurrentIndex(target);
  grid_->scrollTo(target);
  syncing_ = false;
}

void TFormVisuResultat::updateNavigation() {
  engine::ResultSet* rs = resultSet();
  const bool empty = !rs || rs->isEmpty();
  const bool atStart = empty || rs->bof() || rs->recNo() <= 1;
  const bool atEnd = empty || rs->eof() || rs->recNo() >= rs->rowCount();
  for (const char* name : {"mnuNavPremier", "mnuNavPrecedent"})
    findChild<QAction*>(QString::fromLatin1(name))->setEnabled(!atStart);
  for (const char* name : {"mnuNavSuivant", "mnuNavDernier"})
    findChild<QAction*>(QString::fromLatin1(name))->setEnabled(!atEnd);
  for (const char* name : {"nbFirst", "nbPrior"}) findChild<QToolButton*>(QString::fromLatin1(name))->setEnabled(!atStart);
  for (const char* name : {"nbNext", "nbLast"}) findChild<QToolButton*>(QString::fromLatin1(name))->setEnabled(!atEnd);
}

// ---- Views ----------------------------------------------------------------------------------

void TFormVisuResultat::buildForm() {
  engine::ResultSet* rs = resultSet();
  if (!rs) return;
  int r = 0;
  int bottom = 0;
  for (int f = 0; f < rs->fieldCount(); ++f) {
    if (!rs->field(f).visible) continue;
    ++r;
    auto* caption = new QLabel(rs->field(f).displayName() + QStringLiteral(" : "), formArea_);
    caption->setObjectName(QStringLiteral("LabelChamp%1").arg(r));
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    caption->setGeometry(8, (r - 1) * 24 + 18, 240, 17);
    auto* edit = new QLineEdit(formArea_);
    edit->setObjectName(QStringLiteral("DBEdit%1").arg(r));
    edit->setProperty("fieldName", rs->field(f).name);
    edit->setReadOnly(true);
    edit->setGeometry(256, (r - 1) * 24 + 16, 329, 17);
    edit->installEventFilter(this);
    edits_ << qMakePair(f, edit);
    bottom = (r - 1) * 24 + 16 + 17;
    if (f == 0) {
      firstEdit_ = edit;
      edit->setToolTip(LoadText(restext::kSearchHint));
      QCoreApplication::postEvent(this, new FocusEditEvent(edit));
    }
  }
  formArea_->resize(256 + 329 + 16, bottom + 16);
}

void TFormVisuResultat::updateForm() {
  engine::ResultSet* rs = resultSet();
  for (const auto& [field, edit] : edits_) {
    QString text;
    if (rs && !rs->isEmpty()) text = valueText(rs->value(field), rs->field(field).type);
    edit->setText(text);
    edit->setCursorPosition(0);
  }
  if (options_.localDatabase && rs) label1_->setText(recordLabel(engine::Engine::RecordSequenceNumber(*rs), recordCount_));
}

void TFormVisuResultat::setSearchCommandsEnabled(bool enabled) {
  for (const char* name : {"mnuEdRechercher", "mnuEdSuivante", "mnuEdPrecedente"})
    findChild<QAction*>(QString::fromLatin1(name))->setEnabled(enabled);
  for (const char* name : {"SpdBtnSearch", "SpdBtnNext", "SpdBtnPrev"})
    findChild<QToolButton*>(QString::fromLatin1(name))->setEnabled(enabled);
}

void TFormVisuResultat::showForm() {
  auto* fiche = findChild<QAction*>(QStringLiteral("mnuVueFiche"));
  auto* liste = findChild<QAction*>(QStringLiteral("mnuVueListe"));
  if (formView_) {
    fiche->setChecked(true);
    return;
  }
  grid_->hide();
  if (!formBuilt_) {
    buildForm();
    formBuilt_ = true;
  }
  scrollBox_->show();
  findChild<QToolButton*>(QStringLiteral("SpeedButtonFiche"))->hide();
  findChild<QToolButton*>(QStringLiteral("SpeedButtonGrille"))->show();
  model_->setResultSet(nullptr);  // the grid stays detached under the form
  label1_->setVisible(options_.localDatabase);
  formView_ = true;
  fiche->setChecked(true);
  liste->setChecked(false);
  setSearchCommandsEnabled(false);
  updateForm();
  updateNavigation();
}

void TFormVisuResultat::showGrid() {
  auto* fiche = findChild<QAction*>(QStringLiteral("mnuVueFiche"));
  auto* liste = findChild<QAction*>(QStringLiteral("mnuVueListe"));
  if (!formView_) {
    liste->setChecked(true);
    return;
  }
  formBuilt_ = true;
  scrollBox_->hide();
  findChild<QToolButton*>(QStringLiteral("SpeedButtonGrille"))->hide();
  label1_->hide();
  findChild<QToolButton*>(QStringLiteral("SpeedButtonFiche"))->show();
  grid_->show();
  formView_ = false;
  setSearchCommandsEnabled(true);
  liste->setChecked(true);
  fiche->setChecked(false);
  model_->setResultSet(resultSet());
  fitColumns();
  syncGrid();
  updateNavigation();
}

// ---- Search ----------------------------------------------------------------------------------

bool TFormVisuResultat::isEmptyResult() const {
  engine::ResultSet* rs = resultSet();
  return !rs || resultIsEmpty(*rs, recordCount_);
}

int TFormVisuResultat::selectedField() const {
  const QModelIndex current = grid_->currentIndex();
  int field = current.isValid() ? model_->fieldOfColumn(current.column()) : -1;
  if (field < 0) {
    engine::ResultSet* rs = resultSet();
    const QList<int> visible = rs ? visibleFields(*rs) : QList<int>();
    field = visible.isEmpty() ? -1 : visible.first();
  }
  return field;
}

void TFormVisuResultat::search() {
  if (isEmptyResult()) {
    inform(LoadText(restext::kEmptyResult));
    return;
  }
  engine::ResultSet* rs = resultSet();
  const int field = formView_ ? formSearchColumn_ : selectedField();
  if (field < 0 || field >= rs->fieldCount()) return;
  QString text = searchText_;
  if (!AskText(LoadText(restext::kSearchCaption), LoadText(restext::kSearchPrompt) + fieldDisplayName(field) + QLatin1Char(')'),
               text))
    return;
  searchText_ = text;
  const qint64 found = findPrefix(*rs, field, searchText_, 1, SearchDirection::Forward);
  if (found > 0)
    rs->moveTo(found);
  else
    inform(QLatin1Char('"') + searchText_ + LoadText(restext::kNotFound));
  afterMove();
}

void TFormVisuResultat::scan(bool forward) {
  if (isEmptyResult()) {
    inform(LoadText(restext::kEmptyResult));
    return;
  }
  if (searchText_.isEmpty()) return;
  engine::ResultSet* rs = resultSet();
  const int field = formView_ ? formSearchColumn_ : selectedField();
  if (field < 0) return;
  const qint64 from = forward ? rs->recNo() + 1 : rs->recNo() - 1;
  const qint64 found = from >= 1 && from <= rs->rowCount()
                           ? findPrefix(*rs, field, searchText_, from,
                                        forward ? SearchDirection::Forward : SearchDirection::Backward)
                           : 0;
  if (found > 0)
    rs->moveTo(found);
  else
    inform(LoadText(restext::kNoMoreMatches) + searchText_ + QStringLiteral("\"."));
  afterMove();
}

void TFormVisuResultat::nextOccurrence() { scan(true); }

void TFormVisuResultat::previousOccurrence() { scan(false); }

// ---- Copy, print, save, memo, host -------------------------------------------------------------

void TFormVisuResultat::copyToClipboard() {
  engine::ResultSet* rs = resultSet();
  if (!rs) return;
  try {
    CopyText copy;
    {
      WaitCursor wait;
      copy = buildCopyText(*rs, formats().userDecimalSeparator);
    }
    if (copy.limited) inform(LoadText(restext::kClipboardLimit));
    if (!copy.text.isEmpty()) {
      QClipboard* clipboard = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard()
                                                                                           : nullptr;
      if (!clipboard) {
        inform(LoadText(restext::kClipboardFailure));
      } else {
        clipboard->clear();
        clipboard->setText(copy.text);
      }
    }
  } catch (const std::exception& e) {
    arrowCursor();
    ShowMessageBox(LoadText(restext::kInternalError) + QString::fromUtf8(e.what()), MsgKind::Error, mbOK, mbOK);
  }
  afterMove();
}

void TFormVisuResultat::print() {
  if (isEmptyResult()) {
    arrowCursor();
    inform(LoadText(restext::kNothingToPrint));
    return;
  }
  if (options_.print) options_.print(*this);
}

void TFormVisuResultat::save() {
  if (!options_.allowExport) return;
  if (options_.save) options_.save(*this);
}

void TFormVisuResultat::showMemo() {
  if (formView_ || !resultSet()) return;
  const int field = selectedField();
  if (field >= 0 && options_.showMemo) options_.showMemo(*this, field);
}

void TFormVisuResultat::customButton() {
  engine::ResultSet* rs = resultSet();
  if (!rs) return;
  engine::Engine& eng = options_.engine ? *options_.engine : engine::Engine::instance();
  bool written = false;
  try {
    WaitCursor wait;
    writeHostTable(eng, *rs, options_.startupDirectory);
    written = true;
  } catch (const HostTableError& e) {
    arrowCursor();
    inform(LoadText(e.creating ? restext::kHostTableField : restext::kHostTableWrite) + e.text + QStringLiteral(")."));
  }
  // The result is left on its first record in every case.
  if (resultSet()) resultSet()->first();
  afterMove();
  if (!written) return;
  if (options_.notifyHost) {
    options_.notifyHost();
  } else if (QWidget* target = options_.hostWindow ? QWidget::find(WId(options_.hostWindow)) : nullptr) {
    QCoreApplication::postEvent(target, new KvslHostEvent(0, 1));
  }
}

// ---- Events ----------------------------------------------------------------------------------

bool TFormVisuResultat::event(QEvent* e) {
  if (e->type() == static_cast<QEvent::Type>(kFocusFirstEdit)) {
    if (auto* focus = static_cast<FocusEditEvent*>(e); focus->edit) focus->edit->setFocus();
    return true;
  }
  return QMdiSubWindow::event(e);
}

bool TFormVisuResultat::eventFilter(QObject* watched, QEvent* e) {
  if (watched == panel2_ && e->type() == QEvent::Resize) placeToolBarButtons();
  if (e->type() == QEvent::MouseButtonDblClick) {
    for (const auto& [field, edit] : edits_) {
      if (edit != watched) continue;
      // The column whose field the edit box shows becomes the search column (by position:
      // two columns may carry the same field name).
      formSearchColumn_ = field;
      search();
      return true;
    }
  }
  return QMdiSubWindow::eventFilter(watched, e);
}

void TFormVisuResultat::resultClosing() {
  // The designer closes its result (a new execution, the end of the query): the window has
  // nothing left to browse.
  model_->setResultSet(nullptr);
  closedByHost_ = true;
  edits_.clear();
  close();
}

void TFormVisuResultat::closeEvent(QCloseEvent* e) {
  if (options_.host) {
    ResultWindowHost* host = options_.host;
    options_.host = nullptr;
    host->resultWindowClosed(*this);
  }
  QMdiSubWindow::closeEvent(e);
}

}  // namespace korvi::results
