#include "library/designer/ushowta.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMimeData>
#include <QScrollBar>

#include "common/dialogs/waitcursor.h"
#include "common/engine/engine.h"
#include "common/text/messages.h"
#include "common/text/settings.h"
#include "common/text/strings.h"
#include "library/designer/stringgrid.h"
#include "library/designer/tablelinks.h"
#include "library/designer/tableload.h"
#include "library/designer/umain.h"
#include "library/exports/libstate.h"

namespace korvi::selq {

using designer::QueryTable;

TFieldListBox::TFieldListBox(QWidget* parent) : QListWidget(parent) {
  setObjectName(QStringLiteral("ListBox1"));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
  setDefaultDropAction(Qt::CopyAction);
  setUniformItemSizes(true);
}

QStringList TFieldListBox::mimeTypes() const { return {QString::fromLatin1(TStringGridChamps::kFieldMimeType)}; }

QMimeData* TFieldListBox::mimeData(const QList<QListWidgetItem*>& items) const {
  if (items.isEmpty() || !items.first()) return nullptr;
  return TStringGridChamps::fieldMimeData(tableLongName, items.first()->text());
}

TFormVisuTable::TFormVisuTable(TFormPrincipale& designer) : designer_(designer) {
  setObjectName(QStringLiteral("TFormVisuTable"));
  // A title but no border icons: neither closed, minimised nor maximised by the user.
  setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setOption(QMdiSubWindow::RubberBandResize, false);
  setFont(QFont(QStringLiteral("Arial"), 8));
  list_ = new TFieldListBox(this);
  setWidget(list_);
  // The window sees the keys before its list.
  list_->installEventFilter(this);
  installEventFilter(this);
  connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    if (item) designer_.guarded([&] { ListBox1DblClick(item->text()); });
  });
}

TFormVisuTable::~TFormVisuTable() = default;

TFormVisuTable* TFormVisuTable::open(TFormPrincipale& designer, const QueryTable& source) {
  WaitCursor wait;
  QMdiArea* area = designer.mdiArea();

  QList<QRect> taken;
  for (const TFormVisuTable* w : windowsOf(designer)) taken << w->geometry();
  const designer::TablePlacement place = designer::placeTableWindow(designer.width(), taken, source.rect);
  if (place.noFreePlace) ShowMessageBox(LoadText(180), MsgKind::Information, mbOK, mbOK);

  QueryTable table = source;
  table.number = 0;
  table.rect = place.rect;
  const designer::TableReadResult read = designer::readTableFields(table, modelReader(), engine::Engine::instance());
  if (!read.opened) {
    restoreArrowCursor();
    ShowMessageBox(designer::tableOpenErrorText(read.error), MsgKind::Error, mbOK, mbOK);
    return nullptr;
  }

  auto* window = new TFormVisuTable(designer);
  window->modelKeys_ = read.modelKeys;
  window->list_->tableLongName = table.longName;
  for (const designer::QueryField& f : table.fields) {
    auto* item = new QListWidgetItem(f.displayName, window->list_);
    item->setSizeHint(QSize(item->sizeHint().width(), 14));
  }
  window->setWindowTitle(table.longName);

  designer::QueryDocument& doc = designer.document();
  window->record_ = &doc.addTable(std::move(table));
  if (read.serverDatabase) doc.setFieldNameQuoting(false);

  area->addSubWindow(window);
  window->setGeometry(place.rect);
  window->show();
  window->setGeometry(place.rect);
  window->record_->rect = window->geometry();
  area->viewport()->update();
  designer.updateButtons();
  return window;
}

QList<TFormVisuTable*> TFormVisuTable::windowsOf(const TFormPrincipale& designer) {
  QList<TFormVisuTable*> list;
  if (!designer.mdiArea()) return list;
  for (QMdiSubWindow* w : designer.mdiArea()->subWindowList())
    if (auto* t = qobject_cast<TFormVisuTable*>(w)) list << t;
  return list;
}

QList<QLine> TFormVisuTable::linkLinesOf(const TFormPrincipale& designer) {
  if (designer.resultWindowOpen()) return {};
  QList<designer::LinkedWindow> windows;
  for (const TFormVisuTable* w : windowsOf(designer))
    if (const QueryTable* t = w->table()) windows.append({t->number, t->tableName, w->geometry()});
  return designer::linkLines(windows, modelReader());
}

QueryTable* TFormVisuTable::table() const {
  if (!record_) return nullptr;
  // The record belongs to the document; it is only trusted while the document lists it.
  for (QueryTable* t : designer_.document().tables())
    if (t == record_) return record_;
  return nullptr;
}

void TFormVisuTable::ListBox1DblClick(const QString& displayName) {
  QueryTable* t = table();
  if (!t) return;
  designer::QueryDocument& doc = designer_.document();
  const int column = doc.appendField(*t, displayName, librarySettings().fixedWidth);
  if (column < 0) return;
  doc.setCurrentCell(column, 1);
  TStringGridChamps* grid = designer_.grid();
  grid->setCurrentCell(1, column);
  // The new spare column becomes the first one shown.
  grid->scrollTo(grid->model()->index(1, doc.spareColumn()), QAbstractItemView::PositionAtTop);
  doc.setModified(true);
}

void TFormVisuTable::closeEvent(QCloseEvent* event) {
  if (!designer_.closing()) {
    event->ignore();
    return;
  }
  modelKeys_.clear();
  event->accept();
}

void TFormVisuTable::moveEvent(QMoveEvent* event) {
  QMdiSubWindow::moveEvent(event);
  geometryChanged();
}

void TFormVisuTable::resizeEvent(QResizeEvent* event) {
  QMdiSubWindow::resizeEvent(event);
  geometryChanged();
}

void TFormVisuTable::geometryChanged() {
  if (QueryTable* t = table()) t->rect = geometry();
  // The links start and end at the centres: the whole area is drawn again.
  if (designer_.mdiArea()) designer_.mdiArea()->viewport()->update();
}

bool TFormVisuTable::forwardKey(int key, Qt::KeyboardModifiers modifiers, bool run) {
  const auto action = [this](const char* name) {
    return designer_.findChild<QAction*>(QString::fromLatin1(name));
  };
  const Qt::KeyboardModifiers mods = modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  std::function<void()> command;
  if (mods == Qt::NoModifier) {
    switch (key) {
      case Qt::Key_F8:
        command = [this, action] {
          designer_.updateRequeteMenu();
          if (QAction* a = action("mnuReqExecuter"); a && a->isEnabled()) designer_.executeAndShow();
        };
        break;
      case Qt::Key_F2:
        command = [this] {
          designer_.openCriteriaEditor(designer_.document().currentColumn(), designer_.document().currentRow());
        };
        break;
      case Qt::Key_F1:
        command = [this] { designer_.helpIndex(); };
        break;
      case Qt::Key_F3:
        command = [this, action] {
          if (QAction* a = action("mnuReqAfficherSQL"); a && a->isVisible()) designer_.showSql();
        };
        break;
      default:
        return false;
    }
  } else if (mods == Qt::ControlModifier) {
    switch (key) {
      case Qt::Key_Delete: command = [this] { designer_.deleteColumn(); }; break;
      case Qt::Key_N: command = [this] { designer_.newQuery(); }; break;
      case Qt::Key_O: command = [this] { designer_.openQuery(); }; break;
      case Qt::Key_E: command = [this] { designer_.saveQuery(); }; break;
      case Qt::Key_S: command = [this] { designer_.saveQueryAs(); }; break;
      case Qt::Key_A: command = [this] { designer_.addTable(); }; break;
      case Qt::Key_D: command = [this] { designer_.removeTable(); }; break;
      default: return false;
    }
  } else {
    return false;
  }
  if (run) {
    // The command may close this window (new query, open): it runs after the key is done.
    QMetaObject::invokeMethod(&designer_, [d = &designer_, command] { d->guarded(command); }, Qt::QueuedConnection);
  }
  return true;
}

bool TFormVisuTable::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    // Taking the override keeps the designer's own shortcut from running the command twice.
    const bool press = event->type() == QEvent::KeyPress;
    if (forwardKey(key->key(), key->modifiers(), press)) {
      event->accept();
      return true;
    }
  }
  return QMdiSubWindow::eventFilter(watched, event);
}

}  // namespace korvi::selq
