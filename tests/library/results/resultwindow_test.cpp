// The result window over a shared result: caption, views, navigation enabling, search
// commands, the clipboard, the host's button and the designer's commands.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>

#include "common/engine/engine.h"
#include "library/results/ushowres.h"
#include "resultsfixture.h"

namespace korvi::results::testing {
namespace {

class RecordingHost : public ResultWindowHost {
 public:
  QStringList calls;
  void resultWindowOpened(TFormVisuResultat&) override { calls << "opened"; }
  void resultWindowClosed(TFormVisuResultat&) override { calls << "closed"; }
};

class ResultWindowTest : public ResultsTest {
 protected:
  void SetUp() override {
    ResultsTest::SetUp();
    QList<ResultField> fields = {field("NOM", FieldType::ftString, "Nom"), field("VILLE", FieldType::ftString),
                                 field("MONTANT", FieldType::ftFloat, "Somme de Montant"),
                                 field("EXTRA", FieldType::ftInteger)};
    fields[3].visible = false;
    adopt(fields, {{QString("DUPONT"), QString("Paris"), 12.5, qint64(1)},
                   {QString("Martin"), QString("Lyon"), 3.0, qint64(2)},
                   {QString("Dubois"), QString("Nîmes"), 7.25, qint64(3)}});
    options.queryFileName = "/req/ventes.osq";
    options.recordCount = 3;
    options.host = &host;
  }
  std::unique_ptr<TFormVisuResultat> open() {
    auto w = std::make_unique<TFormVisuResultat>(query, options);
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    return w;
  }
  template <typename T>
  static T* child(QObject* w, const char* name) {
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
  }
  static bool enabled(QObject* w, const char* action) { return child<QAction>(w, action)->isEnabled(); }

  ResultWindowOptions options;
  RecordingHost host;
};

TEST_F(ResultWindowTest, CaptionWithAndWithoutCount) {
  auto w = open();
  EXPECT_EQ(w->objectName(), "TFormVisuResultat");
  EXPECT_EQ(w->windowTitle(), "Résultat requête : <ventes.osq> 3 enregistrement(s) trouvé(s)");
  options.recordCount = -1;
  options.queryFileName.clear();
  auto unnamed = open();
  EXPECT_EQ(unnamed->windowTitle(), "Résultat requête : <sansnom.osq> ");
}

TEST_F(ResultWindowTest, GridShowsVisibleColumnsUnderTheirNames) {
  auto w = open();
  auto* grid = child<QTableView>(w.get(), "DBGrid1");
  ASSERT_EQ(grid->model()->columnCount(), 3);
  EXPECT_EQ(grid->model()->headerData(0, Qt::Horizontal).toString(), "Nom");
  EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), "VILLE");
  EXPECT_EQ(grid->model()->headerData(2, Qt::Horizontal).toString(), "Somme de Montant");
  EXPECT_EQ(grid->model()->data(grid->model()->index(2, 2)).toString(), "7.25");
}

TEST_F(ResultWindowTest, NavigationEnablingFollowsTheCursor) {
  auto w = open();
  EXPECT_FALSE(enabled(w.get(), "mnuNavPremier"));
  EXPECT_FALSE(enabled(w.get(), "mnuNavPrecedent"));
  EXPECT_TRUE(enabled(w.get(), "mnuNavSuivant"));
  EXPECT_FALSE(child<QToolButton>(w.get(), "nbFirst")->isEnabled());
  w->next();
  EXPECT_TRUE(enabled(w.get(), "mnuNavPremier"));
  EXPECT_TRUE(enabled(w.get(), "mnuNavDernier"));
  w->last();
  EXPECT_FALSE(enabled(w.get(), "mnuNavSuivant"));
  EXPECT_FALSE(child<QToolButton>(w.get(), "nbLast")->isEnabled());
  EXPECT_EQ(child<QTableView>(w.get(), "DBGrid1")->currentIndex().row(), 2);
  // A click in the grid moves the shared cursor.
  auto* grid = child<QTableView>(w.get(), "DBGrid1");
  grid->setCurrentIndex(grid->model()->index(1, 0));
  EXPECT_EQ(w->resultSet()->recNo(), 2);
}

TEST_F(ResultWindowTest, FormViewIsBuiltOnceAndShowsTheCurrentRecord) {
  auto w = open();
  w->next();
  w->showForm();
  EXPECT_TRUE(w->formView());
  EXPECT_TRUE(child<QAction>(w.get(), "mnuVueFiche")->isChecked());
  EXPECT_FALSE(child<QAction>(w.get(), "mnuVueListe")->isChecked());
  for (const char* name : {"mnuEdRechercher", "mnuEdSuivante", "mnuEdPrecedente"}) EXPECT_FALSE(enabled(w.get(), name));
  EXPECT_FALSE(child<QToolButton>(w.get(), "SpdBtnSearch")->isEnabled());
  const QList<QLineEdit*> edits = w->findChildren<QLineEdit*>(QRegularExpression("^DBEdit"));
  ASSERT_EQ(edits.size(), 3);
  EXPECT_EQ(edits[0]->text(), "Martin");
  EXPECT_EQ(edits[2]->text(), "3");
  EXPECT_TRUE(edits[0]->isReadOnly());
  const QList<QLabel*> captions = w->findChildren<QLabel*>(QRegularExpression("^LabelChamp"));
  ASSERT_EQ(captions.size(), 3);
  EXPECT_EQ(captions[2]->text(), "Somme de Montant : ");
  EXPECT_EQ(child<QLabel>(w.get(), "Label1")->text(), "Fiche n° 2 / 3");
  EXPECT_EQ(w->firstEdit(), edits[0]);
  EXPECT_EQ(edits[0]->toolTip(), LoadText(177));

  w->next();
  EXPECT_EQ(edits[0]->text(), "Dubois");
  EXPECT_EQ(child<QLabel>(w.get(), "Label1")->text(), "Fiche n° 3 / 3");

  w->showGrid();
  EXPECT_FALSE(w->formView());
  EXPECT_TRUE(enabled(w.get(), "mnuEdRechercher"));
  EXPECT_EQ(child<QTableView>(w.get(), "DBGrid1")->currentIndex().row(), 2);
  w->showForm();
  EXPECT_EQ(w->findChildren<QLineEdit*>(QRegularExpression("^DBEdit")).size(), 3);  // not rebuilt
  EXPECT_TRUE(w->formBuilt());
}

TEST_F(ResultWindowTest, FormLabelWithoutCountAndFirstColumnHidden) {
  query.resultSet()->setFieldVisible(0, false);
  options.recordCount = -1;
  auto w = open();
  w->showForm();
  EXPECT_EQ(w->firstEdit(), nullptr);
  for (QLineEdit* e : w->findChildren<QLineEdit*>()) EXPECT_TRUE(e->toolTip().isEmpty());
  EXPECT_EQ(child<QLabel>(w.get(), "Label1")->text(), "Fiche n° 1");
  // A server query shows no record label.
  options.localDatabase = false;
  auto server = open();
  server->showForm();
  EXPECT_FALSE(child<QLabel>(server.get(), "Label1")->isVisibleTo(server.get()));
}

TEST_F(ResultWindowTest, FocusRequestGoesToTheFirstEditBox) {
  auto w = open();
  w->show();
  w->showForm();
  QApplication::processEvents();
  QApplication::processEvents();
  EXPECT_TRUE(w->firstEdit()->hasFocus() || QApplication::focusWidget() == w->firstEdit() ||
              w->firstEdit()->window()->focusWidget() == w->firstEdit());
}

TEST_F(ResultWindowTest, SearchNextAndPrevious) {
  auto w = open();
  rec->textAnswers.push_back({true, "du"});
  w->search();
  EXPECT_EQ(rec->prompts, QStringList{"Recherche d'une valeur|Valeur à chercher (Nom)"});
  EXPECT_EQ(w->resultSet()->recNo(), 1);  // DUPONT
  w->nextOccurrence();
  EXPECT_EQ(w->resultSet()->recNo(), 3);  // Dubois
  // On the last match: message 176, the cursor stays.
  w->nextOccurrence();
  EXPECT_EQ(w->resultSet()->recNo(), 3);
  EXPECT_EQ(rec->texts(), QStringList{"Plus de correspondance pour \"du\"."});
  w->previousOccurrence();
  EXPECT_EQ(w->resultSet()->recNo(), 1);

  // Not found: message 175, the cursor stays where it was.
  w->last();
  rec->boxes.clear();
  rec->textAnswers.push_back({true, "aris"});
  w->search();
  EXPECT_EQ(rec->texts(), QStringList{"\"aris\" non trouvé."});
  EXPECT_EQ(w->resultSet()->recNo(), 3);
  EXPECT_EQ(w->searchText(), "aris");

  // The grid's selected column is searched; an empty text stops on the first record.
  auto* grid = child<QTableView>(w.get(), "DBGrid1");
  grid->setCurrentIndex(grid->model()->index(1, 1));
  rec->textAnswers.push_back({true, "ny"});
  w->search();
  EXPECT_EQ(rec->prompts.last(), "Recherche d'une valeur|Valeur à chercher (VILLE)");
  EXPECT_EQ(w->resultSet()->recNo(), 2);  // no town starts with it: the cursor stays
  EXPECT_EQ(rec->texts().last(), "\"ny\" non trouvé.");
  rec->textAnswers.push_back({true, "n"});
  w->search();
  EXPECT_EQ(w->resultSet()->recNo(), 3);
  rec->textAnswers.push_back({true, ""});
  w->search();
  EXPECT_EQ(w->resultSet()->recNo(), 1);
}

TEST_F(ResultWindowTest, EmptyResultRefusesSearchAndPrint) {
  adopt({field("A", FieldType::ftString)}, {});
  options.recordCount = 0;
  auto w = open();
  w->search();
  w->nextOccurrence();
  w->print();
  EXPECT_EQ(rec->texts(), (QStringList{LoadText(172), LoadText(172), LoadText(543)}));
  EXPECT_TRUE(rec->prompts.isEmpty());
}

TEST_F(ResultWindowTest, CopyPutsEveryRowOnTheClipboardAndKeepsTheCursor) {
  auto w = open();
  w->next();
  QGuiApplication::clipboard()->setText("before");
  w->copyToClipboard();
  const QString dec = QString(formats().userDecimalSeparator);
  EXPECT_EQ(QGuiApplication::clipboard()->text(),
            "DUPONT\tParis\t12" + dec + "5\r\nMartin\tLyon\t3\r\nDubois\tNîmes\t7" + dec + "25\r\n");
  EXPECT_EQ(w->resultSet()->recNo(), 2);
  EXPECT_TRUE(rec->boxes.isEmpty());
}

TEST_F(ResultWindowTest, CommandsAndDesignerStateAroundTheWindow) {
  options.allowExport = false;
  int prints = 0, saves = 0, memo = -1;
  options.print = [&](TFormVisuResultat&) { ++prints; };
  options.save = [&](TFormVisuResultat&) { ++saves; };
  options.showMemo = [&](TFormVisuResultat&, int f) { memo = f; };
  {
    auto w = open();
    EXPECT_EQ(host.calls, QStringList{"opened"});
    EXPECT_FALSE(child<QToolButton>(w.get(), "SpdBtnSave")->isEnabled());
    EXPECT_FALSE(enabled(w.get(), "mnuResEnregistrer"));
    w->save();
    w->print();
    EXPECT_EQ(saves, 0);
    EXPECT_EQ(prints, 1);
    auto* grid = child<QTableView>(w.get(), "DBGrid1");
    grid->setCurrentIndex(grid->model()->index(0, 2));
    child<QAction>(w.get(), "PopupAfficher")->trigger();
    EXPECT_EQ(memo, 2);
    EXPECT_FALSE(child<QToolButton>(w.get(), "BitBtnCustom")->isVisibleTo(w.get()));
    w->close();
    EXPECT_EQ(host.calls, (QStringList{"opened", "closed"}));
  }
  EXPECT_EQ(host.calls.size(), 2);  // closing twice tells the designer once
  EXPECT_TRUE(query.isOpen());      // the window never closes the result
}

TEST_F(ResultWindowTest, ClosingTheResultClosesTheWindow) {
  QPointer<TFormVisuResultat> w = new TFormVisuResultat(query, options);
  w->show();
  query.close();
  EXPECT_EQ(host.calls, (QStringList{"opened", "closed"}));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(w.isNull());
}

TEST_F(ResultWindowTest, HostButtonWritesTheTableThenNotifies) {
  const QString startup = dir.filePath("startup");
  QDir().mkpath(startup);
  engine::Engine eng(dir.filePath("aliases.ini"), dir.filePath("private"));
  int notified = 0;
  options.engine = &eng;
  options.startupDirectory = startup;
  options.customButtonVisible = true;
  options.customButtonCaption = "Renvoyer";
  options.notifyHost = [&] { ++notified; };
  auto w = open();
  w->resize(800, 400);
  w->show();
  auto* button = child<QToolButton>(w.get(), "BitBtnCustom");
  EXPECT_TRUE(button->isVisibleTo(w.get()));
  EXPECT_EQ(button->text(), "Renvoyer");
  EXPECT_EQ(button->width(), std::max(w->fontMetrics().horizontalAdvance("Renvoyer"), 25) + 15);
  auto* close = child<QToolButton>(w.get(), "SpdBtnClose");
  EXPECT_LT(button->geometry().right(), close->x());
  w->last();
  w->customButton();
  EXPECT_EQ(notified, 1) << rec->texts().join("\n").toStdString();
  EXPECT_EQ(w->resultSet()->recNo(), 1);  // left on the first record
  auto table = eng.OpenTable(startup, "Korvi___.DB");
  EXPECT_EQ(table->recordCount(), 3);
  EXPECT_EQ(table->fields().size(), 3);

  // A directory that cannot take the table: message 168, no notification.
  w->options();
  options.startupDirectory = dir.filePath("nowhere");
  auto broken = open();
  broken->customButton();
  EXPECT_EQ(notified, 1);
  ASSERT_EQ(rec->boxes.size(), 1);
  EXPECT_TRUE(rec->boxes[0].text.startsWith(LoadText(168)));
  EXPECT_TRUE(rec->boxes[0].text.endsWith(")."));
}

}  // namespace
}  // namespace korvi::results::testing
