#include "library/designer/cellpopup.h"

#include "designerfixture.h"

namespace korvi::designer::testing {
namespace {

class CellPopupTest : public DesignerTest {
 protected:
  void SetUp() override {
    DesignerTest::SetUp();
    QueryTable t = makeTable("Clients", "CLIENTS.DB");
    t.location = QStringLiteral(":VENTES:");
    const QueryTable& c = doc.addTable(t);
    ASSERT_EQ(doc.appendField(c, "Nom", false), 1);
    ASSERT_EQ(doc.appendField(c, "Notes", false), 2);
    ASSERT_EQ(doc.appendField(c, "Jour", false), 3);
  }
  static QStringList textsOf(const QList<PopupItem>& items) {
    QStringList list;
    for (const PopupItem& i : items) list << i.text;
    return list;
  }
};

TEST_F(CellPopupTest, DetailsOfTheField) {
  const QList<PopupItem> items = popupItems(doc, 1, 2);
  EXPECT_EQ(textsOf(items), QStringList({"***  Infos détaillées  ***", "Table réelle : CLIENTS.DB",
                                          "Chemin : :VENTES:", "Champ réel : \"NOM\"",
                                          "Type : Chaîne de caractères (30)"}));
  ASSERT_EQ(items.size(), 5);
  EXPECT_TRUE(items[0].enabled);
  for (int i = 1; i < 5; ++i) EXPECT_FALSE(items[i].enabled);
  EXPECT_EQ(popupItems(doc, 1, 1), items);
}

TEST_F(CellPopupTest, SortAndOperationFollowTheType) {
  ASSERT_TRUE(doc.setSort(1, SortOrder::Descending));
  QList<PopupItem> sort = popupItems(doc, 1, 3);
  ASSERT_EQ(sort.size(), 4);
  EXPECT_EQ(sort[0].text, "<Inchangé>");
  EXPECT_EQ(sort[0].tag, 10);
  EXPECT_TRUE(sort[3].checked);
  EXPECT_FALSE(sort[1].checked);

  // A memo field cannot be sorted, averaged or summed.
  sort = popupItems(doc, 2, 3);
  EXPECT_TRUE(sort[1].enabled);
  EXPECT_FALSE(sort[2].enabled);
  EXPECT_FALSE(sort[3].enabled);
  const QList<PopupItem> memoOps = popupItems(doc, 2, 5);
  ASSERT_EQ(memoOps.size(), 8);
  EXPECT_TRUE(memoOps[1].checked);  // "Aucune"
  EXPECT_FALSE(memoOps[4].enabled);
  EXPECT_FALSE(memoOps[5].enabled);
  EXPECT_TRUE(memoOps[6].enabled);  // "Nombre"
  // A date averages but does not sum.
  const QList<PopupItem> dateOps = popupItems(doc, 3, 5);
  EXPECT_TRUE(dateOps[4].enabled);
  EXPECT_FALSE(dateOps[5].enabled);
  EXPECT_TRUE(rec->boxes.isEmpty());

  // No popup on the spare column, the label column or the header row.
  EXPECT_TRUE(popupItems(doc, 4, 3).isEmpty());
  EXPECT_TRUE(popupItems(doc, 0, 3).isEmpty());
  EXPECT_TRUE(popupItems(doc, 1, 0).isEmpty());
}

TEST_F(CellPopupTest, ChoosingItems) {
  doc.setModified(false);
  PopupOutcome o = choosePopupItem(doc, 1, 3, popuptag::kSortUnchanged);
  EXPECT_FALSE(o.changed);
  EXPECT_FALSE(doc.isModified());

  o = choosePopupItem(doc, 1, 4, 22);
  EXPECT_TRUE(o.changed);
  EXPECT_FALSE(o.wasModified);
  EXPECT_EQ(doc.cell(1, 4), "Cacher");
  EXPECT_TRUE(doc.isModified());

  // "Croissant" on a hidden column shows it again; then hiding is refused with message 83.
  o = choosePopupItem(doc, 1, 3, 12);
  EXPECT_EQ(doc.cell(1, 3), "Croissant");
  EXPECT_EQ(doc.cell(1, 4), "Afficher");
  o = choosePopupItem(doc, 1, 4, 22);
  EXPECT_FALSE(o.changed);
  EXPECT_EQ(rec->texts(), QStringList({LoadText(83)}));

  // "Somme" on the memo column is refused; "Nombre" taken.
  EXPECT_FALSE(choosePopupItem(doc, 2, 5, 35).changed);
  EXPECT_EQ(doc.cell(2, 5), "Aucune");
  EXPECT_TRUE(choosePopupItem(doc, 2, 5, 36).changed);
  EXPECT_EQ(doc.cell(2, 5), "Nombre");
  // A tag of another popup does nothing.
  EXPECT_FALSE(choosePopupItem(doc, 2, 5, 12).changed);
  EXPECT_EQ(doc.cell(2, 3), "Non trié");
}

TEST_F(CellPopupTest, CriteriaItemsLeaveTheDialogsToTheWindow) {
  QList<PopupItem> items = popupItems(doc, 1, 6);
  EXPECT_EQ(textsOf(items), QStringList({"<Inchangé>", "Editeur ...", "Effacer ..."}));
  EXPECT_FALSE(items[2].enabled);  // nothing to clear
  ASSERT_TRUE(doc.setCriteria(1, 6, "COMMENCEPAR Du"));
  EXPECT_TRUE(popupItems(doc, 1, 6)[2].enabled);

  doc.setModified(false);
  PopupOutcome o = choosePopupItem(doc, 1, 6, popuptag::kEditor);
  EXPECT_EQ(o.next, PopupOutcome::Next::OpenEditor);
  EXPECT_FALSE(o.wasModified);
  EXPECT_TRUE(doc.isModified());
  o = choosePopupItem(doc, 1, 6, popuptag::kClear);
  EXPECT_EQ(o.next, PopupOutcome::Next::ConfirmClear);
  EXPECT_EQ(doc.cell(1, 6), "COMMENCEPAR Du");  // only after the question

  // After the editor: a column narrower than the text minus 5 widens to the text plus 5.
  doc.setColumnWidth(1, 40);
  doc.fitColumnToCell(1, 6, true);
  EXPECT_EQ(doc.columnWidth(1), 40);
  doc.fitColumnToCell(1, 6, false);
  EXPECT_EQ(doc.columnWidth(1), measure("COMMENCEPAR Du") + 5);
}

TEST_F(CellPopupTest, UnlistedFieldReportsOnceAndDisablesTypedChoices) {
  doc.tableByNumber(1)->fields.removeAt(0);  // "Nom" no longer listed
  const QList<PopupItem> sort = popupItems(doc, 1, 3);
  EXPECT_EQ(rec->texts(), QStringList({LoadText(105)}));
  EXPECT_FALSE(sort[2].enabled);
  EXPECT_FALSE(sort[3].enabled);
  EXPECT_EQ(popupItems(doc, 1, 1).last().text, "Type : Inconnu");
}

}  // namespace
}  // namespace korvi::designer::testing
