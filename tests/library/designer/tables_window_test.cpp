// Table windows in the designer's MDI area, the add and remove dialogs, the drawn links and
// the model change, over the demo database.
#include <QAbstractItemModel>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QToolButton>

#include "library/designer/stringgrid.h"
#include "library/designer/uajout.h"
#include "library/designer/umdiclient.h"
#include "library/designer/usuppr.h"
#include "tables_fixture.h"

namespace korvi::selq::testing {
namespace {

using designer::gridrow::kField;
using designer::gridrow::kTable;

class TableWindowTest : public TablesTest {};

TEST_F(TableWindowTest, AddDialogOpensWindowsOnTheSlotGridAndClosesWhenEmpty) {
  TFormPrincipale& d = run();
  TFormAjouterTables dialog(d);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Ajouter une table"));
  EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("BtnTerminer"))->text(), QStringLiteral("Fermer"));
  ASSERT_TRUE(dialog.FormShow());
  EXPECT_EQ(items(dialog.list()),
            (QStringList{"Clients", "Commandes", "Lignes de commande", "Produits", "Villes"}));
  auto* add = dialog.findChild<QPushButton*>(QStringLiteral("BtnAjouter"));
  EXPECT_FALSE(add->isEnabled());
  // The focus frame on an entry chooses nothing.
  dialog.list()->setCurrentRow(2, QItemSelectionModel::NoUpdate);
  EXPECT_FALSE(add->isEnabled());
  dialog.BtnAjouterClick();
  EXPECT_EQ(d.tableWindowCount(), 0);

  dialog.list()->setCurrentRow(0);
  EXPECT_TRUE(add->isEnabled());
  dialog.BtnAjouterClick();
  EXPECT_FALSE(add->isEnabled());
  dialog.list()->setCurrentRow(3);  // Villes
  dialog.BtnAjouterClick();
  flushEvents();

  const QList<TFormVisuTable*> windows = TFormVisuTable::windowsOf(d);
  ASSERT_EQ(windows.size(), 2);
  EXPECT_EQ(windows[0]->objectName(), QStringLiteral("TFormVisuTable"));
  EXPECT_EQ(windows[0]->mdiArea(), d.mdiArea());
  EXPECT_EQ(windows[0]->windowTitle(), QStringLiteral("Clients"));
  EXPECT_EQ(windows[0]->geometry(), QRect(8, 5, 136, 167));
  EXPECT_EQ(windows[1]->geometry(), QRect(164, 5, 136, 167));
  EXPECT_FALSE(windows[0]->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(items(windows[1]->listBox()), (QStringList{"Code ville", "Ville", "Code postal"}));
  EXPECT_EQ(windows[0]->listBox()->objectName(), QStringLiteral("ListBox1"));
  EXPECT_EQ(windows[0]->modelKeys(), (QStringList{"1", "2", "3", "4", "5", "6", "7"}));
  EXPECT_EQ(windows[1]->table()->number, 2);
  EXPECT_EQ(windows[1]->table()->fields[1].physicalName, QStringLiteral("NOMVILLE"));
  EXPECT_EQ(d.document().longNames(), (QStringList{"Clients", "Villes"}));
  EXPECT_EQ(d.document().locations()[0], demoDir_ + QLatin1Char('/'));
  EXPECT_EQ(items(dialog.list()), (QStringList{"Commandes", "Lignes de commande", "Produits"}));
  EXPECT_TRUE(d.findChild<QToolButton*>(QStringLiteral("SpeedButtonSupprTable"))->isEnabled());

  // A window moved over the third slot makes the next one skip it.
  windows[1]->move(330, 40);
  EXPECT_EQ(windows[1]->table()->rect.topLeft(), QPoint(330, 40));
  for (int row = 0; dialog.list()->count() > 0; ++row) {
    EXPECT_EQ(dialog.result(), QDialog::Rejected) << row;
    dialog.list()->setCurrentRow(0);
    dialog.BtnAjouterClick();
  }
  // The last table closed the dialog by itself.
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  const QList<TFormVisuTable*> all = TFormVisuTable::windowsOf(d);
  ASSERT_EQ(all.size(), 5);
  EXPECT_EQ(all[2]->geometry().topLeft(), QPoint(164, 5));
  EXPECT_EQ(all[3]->geometry().topLeft(), QPoint(476, 5));
  EXPECT_TRUE(rec_->boxes.isEmpty());

  // Everything is in the query now: message 114.
  TFormAjouterTables again(d);
  EXPECT_FALSE(again.FormShow());
  EXPECT_EQ(rec_->texts(), (QStringList{"Il n'y a plus de tables disponible."}));
}

TEST_F(TableWindowTest, ModelWithoutTablesReportsItsFileName) {
  const QString empty = writeFile(QStringLiteral("Vide.mdl"), "");
  TFormPrincipale& d = run(empty);
  TFormAjouterTables::run(d);
  EXPECT_EQ(rec_->texts(), (QStringList{"Il n'y a aucune table paramétrée dans le fichier Vide.mdl"}));
  EXPECT_EQ(d.tableWindowCount(), 0);
  EXPECT_FALSE(d.isModified());
}

TEST_F(TableWindowTest, TableThatDoesNotOpenGetsNoWindowNumberOrEntry) {
  QFile::remove(QDir(demoDir_).filePath(QStringLiteral("villes.db")));
  TFormPrincipale& d = run();
  ASSERT_NE(open(d, QStringLiteral("Clients"), QStringLiteral("clients.dbf")), nullptr);
  TFormAjouterTables dialog(d);
  ASSERT_TRUE(dialog.FormShow());
  dialog.list()->setCurrentRow(3);
  ASSERT_EQ(dialog.list()->currentItem()->text(), QStringLiteral("Villes"));
  dialog.BtnAjouterClick();
  ASSERT_EQ(rec_->boxes.size(), 1);
  EXPECT_EQ(rec_->boxes[0].kind, MsgKind::Error);
  EXPECT_TRUE(rec_->boxes[0].text.startsWith(QStringLiteral("Erreur : \""))) << rec_->boxes[0].text.toStdString();
  EXPECT_TRUE(rec_->boxes[0].text.endsWith(QStringLiteral("\".")));
  // The query is as before, and the table can be tried again once its file is back.
  EXPECT_EQ(TFormVisuTable::windowsOf(d).size(), 1);
  EXPECT_EQ(d.document().longNames(), (QStringList{"Clients"}));
  EXPECT_EQ(d.document().nextTableNumber(), 2);
  EXPECT_TRUE(items(dialog.list()).contains(QStringLiteral("Villes")));
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(TableWindowTest, DoubleClickAndDragOfAField) {
  TFormPrincipale& d = run();
  TFormVisuTable* w = open(d, QStringLiteral("Clients"), QStringLiteral("clients.dbf"));
  ASSERT_NE(w, nullptr);
  d.setModified(false);
  w->ListBox1DblClick(QStringLiteral("Nom"));
  w->ListBox1DblClick(QStringLiteral("Prénom"));
  const designer::QueryDocument& doc = d.document();
  EXPECT_EQ(doc.columnCount(), 4);
  EXPECT_EQ(doc.cell(1, kField), QStringLiteral("Nom"));
  EXPECT_EQ(doc.cell(2, kField), QStringLiteral("Prénom"));
  EXPECT_EQ(doc.cell(2, kTable), QStringLiteral("Clients"));
  EXPECT_EQ(doc.realFieldName(2), QStringLiteral("\"PRENOM\""));
  EXPECT_EQ(doc.currentRow(), 1);
  EXPECT_TRUE(d.isModified());
  EXPECT_EQ(d.grid()->cell(2, kField), QStringLiteral("Prénom"));

  // What a drag of the list carries is what the grid takes.
  QListWidget* list = w->listBox();
  const QModelIndex index = list->model()->index(1, 0);
  std::unique_ptr<QMimeData> data(list->model()->mimeData({index}));
  ASSERT_NE(data, nullptr);
  const QString type = QString::fromLatin1(TStringGridChamps::kFieldMimeType);
  ASSERT_TRUE(data->hasFormat(type));
  EXPECT_EQ(QString::fromUtf8(data->data(type)), QStringLiteral("Clients\nNom"));
}

TEST_F(TableWindowTest, KeysReachTheDesignerAndTheWindowStaysOpen) {
  TFormPrincipale& d = run();
  TFormVisuTable* w = open(d, QStringLiteral("Clients"), QStringLiteral("clients.dbf"));
  ASSERT_NE(w, nullptr);
  int added = 0, removed = 0, ran = 0;
  designerHooks().addTable = [&](TFormPrincipale&) { ++added; };
  designerHooks().removeTable = [&](TFormPrincipale&) { ++removed; };
  designerHooks().runQuery = [&](TFormPrincipale&) { ++ran; return false; };
  const auto press = [&](int key, Qt::KeyboardModifiers mods) {
    QKeyEvent override(QEvent::ShortcutOverride, key, mods);
    QCoreApplication::sendEvent(w->listBox(), &override);
    EXPECT_TRUE(override.isAccepted());
    QKeyEvent event(QEvent::KeyPress, key, mods);
    QCoreApplication::sendEvent(w->listBox(), &event);
    flushEvents();
  };
  press(Qt::Key_A, Qt::ControlModifier);
  press(Qt::Key_D, Qt::ControlModifier);
  press(Qt::Key_F8, Qt::NoModifier);
  EXPECT_EQ(added, 1);
  EXPECT_EQ(removed, 1);
  EXPECT_EQ(ran, 1);
  // A plain letter stays with the list.
  QKeyEvent letter(QEvent::ShortcutOverride, Qt::Key_A, Qt::NoModifier);
  letter.ignore();
  QCoreApplication::sendEvent(w->listBox(), &letter);
  EXPECT_FALSE(letter.isAccepted());

  // Ctrl+N empties the query: the window goes, after the key was handled.
  QPointer<TFormVisuTable> alive(w);
  EXPECT_FALSE(w->close());
  EXPECT_TRUE(alive);
  d.setModified(false);
  press(Qt::Key_N, Qt::ControlModifier);
  EXPECT_FALSE(alive);
  EXPECT_EQ(d.tableWindowCount(), 0);
}

TEST_F(TableWindowTest, RemovingATableTakesItsColumnsAndRenumbers) {
  TFormPrincipale& d = run();
  TFormVisuTable* clients = open(d, QStringLiteral("Clients"), QStringLiteral("clients.dbf"));
  TFormVisuTable* villes = open(d, QStringLiteral("Villes"), QStringLiteral("villes.db"));
  TFormVisuTable* produits = open(d, QStringLiteral("Produits"), QStringLiteral("produits.db"));
  ASSERT_TRUE(clients && villes && produits);
  clients->ListBox1DblClick(QStringLiteral("Nom"));
  villes->ListBox1DblClick(QStringLiteral("Ville"));
  produits->ListBox1DblClick(QStringLiteral("Prix"));
  villes->ListBox1DblClick(QStringLiteral("Code postal"));
  clients->ListBox1DblClick(QStringLiteral("Prénom"));
  d.setModified(false);

  TFormSupprimerTables dialog(d);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Supprimer une table"));
  dialog.FormShow();
  EXPECT_EQ(items(dialog.list()), (QStringList{"Clients", "Villes", "Produits"}));
  dialog.list()->setCurrentRow(1);
  dialog.BtnSupprimerClick();
  // Out of the MDI area at once, destroyed only after the dialog.
  EXPECT_EQ(TFormVisuTable::windowsOf(d).size(), 2);
  ASSERT_EQ(dialog.pendingRemovals().size(), 1);
  EXPECT_EQ(dialog.pendingRemovals()[0].data(), villes);
  EXPECT_FALSE(villes->isVisible());
  EXPECT_EQ(items(dialog.list()), (QStringList{"Clients", "Produits"}));
  EXPECT_FALSE(dialog.findChild<QPushButton*>(QStringLiteral("BtnSupprimer"))->isEnabled());

  QPointer<TFormVisuTable> gone(villes);
  PerformPendingRemovals(d, dialog.pendingRemovals());
  EXPECT_FALSE(gone);
  const designer::QueryDocument& doc = d.document();
  ASSERT_EQ(doc.columnCount(), 5);
  EXPECT_EQ(doc.cell(1, kField), QStringLiteral("Nom"));
  EXPECT_EQ(doc.cell(2, kField), QStringLiteral("Prix"));
  EXPECT_EQ(doc.cell(3, kField), QStringLiteral("Prénom"));
  EXPECT_EQ(doc.longNames(), (QStringList{"Clients", "Produits"}));
  EXPECT_EQ(produits->table()->number, 2);
  EXPECT_EQ(doc.nextTableNumber(), 3);
  EXPECT_TRUE(d.isModified());

  // Removing the last tables closes the dialog by itself.
  TFormSupprimerTables second(d);
  second.FormShow();
  second.list()->setCurrentRow(0);
  second.BtnSupprimerClick();
  second.list()->setCurrentRow(0);
  second.BtnSupprimerClick();
  EXPECT_EQ(second.result(), QDialog::Accepted);
  PerformPendingRemovals(d, second.pendingRemovals());
  EXPECT_EQ(d.tableWindowCount(), 0);
  EXPECT_EQ(doc.columnCount(), 2);
  EXPECT_FALSE(d.findChild<QToolButton*>(QStringLiteral("SpeedButtonSupprTable"))->isEnabled());
}

TEST_F(TableWindowTest, LinksAreDrawnBetweenWindowCentresBehindTheWindows) {
  TFormPrincipale& d = run();
  auto* client = qobject_cast<TMDIClient*>(d.mdiArea());
  ASSERT_NE(client, nullptr);
  TFormVisuTable* clients = open(d, QStringLiteral("Clients"), QStringLiteral("clients.dbf"));
  TFormVisuTable* villes = open(d, QStringLiteral("Villes"), QStringLiteral("villes.db"));
  ASSERT_TRUE(clients && villes);
  const auto paint = [&] {
    flushEvents();
    return client->viewport()->grab();
  };
  QImage image = paint().toImage();
  ASSERT_EQ(client->drawnLines(), (QList<QLine>{QLine(76, 88, 232, 88)}));
  // The line shows between the windows, not over them.
  const qreal ratio = image.devicePixelRatio();
  EXPECT_EQ(image.pixelColor(QPoint(154, 88) * ratio), QColor(Qt::black));
  EXPECT_NE(image.pixelColor(QPoint(100, 88) * ratio), QColor(Qt::black));

  // A moved window: the line follows.
  villes->move(164, 300);
  paint();
  EXPECT_EQ(client->drawnLines(), (QList<QLine>{QLine(76, 88, 232, 383)}));

  // Nothing while a result window is open.
  d.setResultWindowOpen(true);
  paint();
  EXPECT_TRUE(client->drawnLines().isEmpty());
  d.setResultWindowOpen(false);

  // A new query erases the lines.
  d.setModified(false);
  ASSERT_TRUE(d.newQuery());
  image = paint().toImage();
  EXPECT_TRUE(client->drawnLines().isEmpty());
  EXPECT_NE(image.pixelColor(QPoint(154, 200) * ratio), QColor(Qt::black));
}

TEST_F(TableWindowTest, ModelChangeAsksOnceThenShowsTheNewModel) {
  setSettings({QStringLiteral("MDLChange=1")});
  const QString other = writeFile(QStringLiteral("Stock.MDL"), "[Tables]\nArticles=/x/,articles.db,1\n");
  TFormPrincipale& d = run();
  ASSERT_NE(open(d, QStringLiteral("Clients"), QStringLiteral("clients.dbf")), nullptr);
  // Question 54, then the question whether to save the modified query (No).
  rec_->answers = {mrYes, mrNo};
  rec_->fileAnswers = {other};
  d.changeModel();
  EXPECT_EQ(rec_->texts(), (QStringList{LoadText(54), LoadText(77)}));
  ASSERT_EQ(rec_->fileRequests.size(), 1);
  EXPECT_EQ(rec_->fileRequests[0].objectName, QStringLiteral("OpenDialogMDL"));
  EXPECT_EQ(rec_->fileRequests[0].caption, QStringLiteral("Ouverture d'un modèle relationnel"));
  EXPECT_EQ(d.tableWindowCount(), 0);
  EXPECT_TRUE(TFormVisuTable::windowsOf(d).isEmpty());
  EXPECT_EQ(d.findChild<QLabel*>(QStringLiteral("Panel3"))->text(), QStringLiteral("Modèle relationnel : stock.mdl"));
  EXPECT_EQ(d.findChild<QAction*>(QStringLiteral("mnuModelRelationnel"))->text(),
            QStringLiteral("&Modèle relationnel ... \tstock.mdl"));
  // The add dialog reads the new model, from the file as it was named.
  TFormAjouterTables dialog(d);
  ASSERT_TRUE(dialog.FormShow());
  EXPECT_EQ(items(dialog.list()), (QStringList{"Articles"}));
}

TEST_F(TableWindowTest, QueryLoadsItsTablesAfterTheModelPathWasLowerCased) {
  TFormPrincipale& d = run();
  ASSERT_EQ(loadModelFile(model_), 0);
  ASSERT_NE(state().modelPath, model_);  // the stored path is lower case
  ASSERT_EQ(loadQueryFile(QDir(demoDir_).filePath(QStringLiteral("clients_par_ville.osq"))), 0);
  flushEvents();
  EXPECT_TRUE(rec_->boxes.isEmpty()) << rec_->texts().join(QLatin1Char('|')).toStdString();
  const QList<TFormVisuTable*> windows = TFormVisuTable::windowsOf(d);
  ASSERT_EQ(windows.size(), 2);
  EXPECT_EQ(windows[0]->geometry(), QRect(8, 5, 136, 167));
  EXPECT_EQ(windows[1]->geometry(), QRect(164, 5, 136, 167));
  EXPECT_FALSE(windows[0]->listBox()->count() == 0);
  EXPECT_GT(d.document().columnCount(), 2);
}

}  // namespace
}  // namespace korvi::selq::testing
