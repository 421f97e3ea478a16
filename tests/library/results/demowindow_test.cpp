// The result window over a query executed on the demo database.

#include <QCoreApplication>
#include <QImage>
#include <QMdiArea>
#include <QTableView>

#include "library/results/ushowres.h"
#include "library/sql/run_demo.h"

namespace korvi::sql::testing {
namespace {

using results::ResultWindowOptions;
using results::TFormVisuResultat;

class DemoWindowTest : public DemoTest {};

TEST_F(DemoWindowTest, GroupedQueryInTheDesignersArea) {
  QueryTable& c = clients();
  QueryTable& o = orders();
  QueryTable& t = towns();
  const int ville = add(t, "Ville");
  add(c, "Nom");
  const int sum = add(o, "Montant");
  ASSERT_TRUE(doc.setSort(ville, SortOrder::Ascending));
  ASSERT_TRUE(doc.setOperation(ville, Operation::Group));
  ASSERT_TRUE(doc.setOperation(2, Operation::Group));
  ASSERT_TRUE(doc.setOperation(sum, Operation::Sum));
  ASSERT_TRUE(run()) << rec->texts().join("\n").toStdString();

  QMdiArea area;
  area.resize(900, 520);
  ResultWindowOptions options = ResultWindowOptions::fromSettings();
  options.queryFileName = demoDir + "montant_par_ville.osq";
  auto* w = new TFormVisuResultat(query, options);
  area.addSubWindow(w);
  area.show();
  w->showMaximized();
  const int rows = int(query.resultSet()->rowCount());
  EXPECT_EQ(w->windowTitle(),
            QStringLiteral("Résultat requête : <montant_par_ville.osq> %1 enregistrement(s) trouvé(s)").arg(rows));
  auto* grid = w->findChild<QTableView*>("DBGrid1");
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->model()->columnCount(), 3);
  EXPECT_EQ(grid->model()->headerData(2, Qt::Horizontal).toString(), "Somme de Montant");
  EXPECT_EQ(grid->model()->data(grid->model()->index(0, 0)).toString(), "Besançon");

  // Under a real display the window is kept as a picture for a look at its layout.
  const QByteArray shot = qgetenv("KORVI_SCREENSHOT");
  if (!shot.isEmpty()) {
    w->next();
    QCoreApplication::processEvents();
    EXPECT_TRUE(area.grab().save(QString::fromLocal8Bit(shot)));
    w->showForm();
    QCoreApplication::processEvents();
    area.grab().save(QString::fromLocal8Bit(shot).replace(".png", "-form.png"));
  }
  w->close();
}

}  // namespace
}  // namespace korvi::sql::testing
