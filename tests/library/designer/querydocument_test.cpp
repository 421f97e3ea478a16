#include "library/designer/querydocument.h"

#include "designerfixture.h"

namespace korvi::designer::testing {
namespace {

using engine::FieldType;

class QueryDocumentTest : public DesignerTest {
 protected:
  // Two tables, fields dropped as columns 1.. in the order given ("Table:Field").
  void fill(const QStringList& columns) {
    for (const QString& spec : columns) {
      const QStringList parts = spec.split(QLatin1Char(':'));
      const QueryTable* t = doc.tableNamed(parts[0]);
      ASSERT_NE(t, nullptr);
      ASSERT_GE(doc.appendField(*t, parts[1], false), 1);
    }
  }
  QueryTable& clients() { return doc.addTable(makeTable("Clients", "CLIENTS.DB")); }
  QueryTable& orders() { return doc.addTable(makeTable("Commandes", "COMMANDES.DB")); }
  QStringList fieldRow() const {
    QStringList row;
    for (int c = 1; c < doc.columnCount(); ++c) row << doc.cell(c, gridrow::kField);
    return row;
  }
};

TEST_F(QueryDocumentTest, NewQueryLayoutAndRightAlignedLabels) {
  EXPECT_EQ(doc.columnCount(), 2);
  EXPECT_EQ(doc.rowCount(), 15);
  EXPECT_EQ(doc.columnWidth(1), 80);
  EXPECT_TRUE(doc.isEmpty());
  EXPECT_EQ(doc.caption(), "Korvi Selectra - (Sans nom)");
  EXPECT_EQ(doc.nextTableNumber(), 1);
  EXPECT_TRUE(doc.fieldNameQuoting());
  // Target 80 - 10 = 70: "Champ" measures 35, so 12 spaces (71) and not 11 (68).
  EXPECT_EQ(doc.cell(0, 1), QString(12, ' ') + "Champ");
  EXPECT_EQ(doc.cell(0, 5), QString(3, ' ') + "Opération");
  EXPECT_EQ(doc.cell(0, 7).trimmed(), "Ou");
  EXPECT_EQ(doc.cell(0, 0), "");
  EXPECT_EQ(doc.cell(0, 8), "");
  // A label already wide enough gets no space; a wider label column re-pads.
  EXPECT_EQ(QueryDocument::alignedLabel("Critères", 40, measure), "Critères");
  doc.setColumnWidth(0, 101);
  EXPECT_EQ(doc.cell(0, 3), QString(24, ' ') + "Tri");  // 93 >= 91, 90 < 91
  // A measure in which spaces take no room cannot hang the padding.
  EXPECT_EQ(QueryDocument::alignedLabel("Tri", 500, [](const QString& s) { return int(s.trimmed().size()); }),
            " Tri");
  EXPECT_TRUE(rec->boxes.isEmpty());
}

TEST_F(QueryDocumentTest, EnglishDesignerWritesEnglishWords) {
  setLanguage(2);
  QueryDocument english(measure);
  EXPECT_EQ(english.cell(0, 1).trimmed(), stringTable().value(2063));
  english.addTable(makeTable("Clients", "CLIENTS.DB"));
  ASSERT_EQ(english.appendField(*english.tableNamed("Clients"), "Nom", true), 1);
  EXPECT_EQ(english.cell(1, 3), stringTable().value(2002));
  EXPECT_EQ(english.cell(1, 4), stringTable().value(2003));
  EXPECT_EQ(english.cell(1, 5), stringTable().value(2004));
  ASSERT_TRUE(english.setOperation(1, Operation::Count));
  EXPECT_FALSE(english.setShown(1, false));
  ASSERT_EQ(rec->boxes.size(), 1);
  EXPECT_EQ(rec->boxes[0].text, stringTable().value(2082));
}

TEST_F(QueryDocumentTest, RowKinds) {
  clients();
  fill({"Clients:Nom"});
  EXPECT_EQ(doc.rowKind(1, 1), RowKind::Field);
  EXPECT_EQ(doc.rowKind(1, 2), RowKind::Table);
  EXPECT_EQ(doc.rowKind(1, 3), RowKind::Sort);
  EXPECT_EQ(doc.rowKind(1, 4), RowKind::Show);
  EXPECT_EQ(doc.rowKind(1, 5), RowKind::Operation);
  EXPECT_EQ(doc.rowKind(1, 6), RowKind::Criteria);
  EXPECT_EQ(doc.rowKind(1, 14), RowKind::Criteria);
  EXPECT_EQ(doc.rowKind(1, 0), RowKind::None);
  EXPECT_EQ(doc.rowKind(1, 15), RowKind::None);
  EXPECT_EQ(doc.rowKind(0, 3), RowKind::None);
  EXPECT_EQ(doc.rowKind(2, 3), RowKind::None);  // the spare column
  EXPECT_EQ(doc.rowKind(9, 3), RowKind::None);
}

TEST_F(QueryDocumentTest, DropRules) {
  QueryTable& c = clients();
  QueryTable& v = doc.addTable(makeTable("Vide", "VIDE.DB"));
  v.fields.clear();
  doc.setModified(false);

  EXPECT_FALSE(doc.canDrop(0, &c));   // the label column
  EXPECT_TRUE(doc.canDrop(1, &c));    // the spare column
  EXPECT_FALSE(doc.canDrop(2, &c));   // beyond the grid
  EXPECT_FALSE(doc.canDrop(1, &v));   // empty field list
  EXPECT_FALSE(doc.canDrop(1, nullptr));
  const QueryTable stranger = makeTable("Ailleurs", "AILLEURS.DB");
  EXPECT_FALSE(doc.canDrop(1, &stranger));
  EXPECT_FALSE(doc.dragOver(0, &c));
  EXPECT_FALSE(doc.isModified());

  ASSERT_TRUE(doc.dragOver(1, &c));
  EXPECT_TRUE(doc.isModified());
  EXPECT_EQ(doc.selection(), (GridSelection{1, 1, 1, 14}));
  // Only a header click selects the whole column for the delete command.
  EXPECT_FALSE(doc.selectionIsWholeColumn());
  doc.selectWholeColumn(1);
  EXPECT_TRUE(doc.selectionIsWholeColumn());

  // Dropping on the spare column appends a new spare one.
  ASSERT_TRUE(doc.dropField(1, c, "Montant", false));
  EXPECT_EQ(doc.columnCount(), 3);
  EXPECT_TRUE(doc.isColumnEmpty(2));
  EXPECT_EQ(doc.cell(1, 1), "Montant");
  EXPECT_EQ(doc.cell(1, 2), "Clients");
  EXPECT_EQ(doc.cell(1, 3), "Non trié");
  EXPECT_EQ(doc.cell(1, 4), "Afficher");
  EXPECT_EQ(doc.cell(1, 5), "Aucune");
  EXPECT_EQ(doc.columnWidth(1), measure("Montant") + 5);
  EXPECT_EQ(doc.currentRow(), 1);
  EXPECT_FALSE(doc.dropField(2, c, "Inexistant", false));

  // Dropping on a filled column replaces it whole, criteria included.
  ASSERT_TRUE(doc.setSort(1, SortOrder::Descending));
  ASSERT_TRUE(doc.setOperation(1, Operation::Sum));
  ASSERT_TRUE(doc.setCriteria(1, 6, ">100"));
  ASSERT_TRUE(doc.setCriteria(1, 14, "<5"));
  ASSERT_TRUE(doc.dropField(1, c, "Nom", true));
  EXPECT_EQ(doc.columnCount(), 3);
  EXPECT_EQ(doc.cell(1, 1), "Nom");
  EXPECT_EQ(doc.cell(1, 3), "Non trié");
  EXPECT_EQ(doc.cell(1, 5), "Aucune");
  EXPECT_EQ(doc.cell(1, 6), "");
  EXPECT_EQ(doc.cell(1, 14), "");
  EXPECT_EQ(doc.columnWidth(1), 80);  // fixed width

  // A wide table caption sets the width; a double-click appends to the spare column.
  QueryTable& o = doc.addTable(makeTable("Commandes passées", "CDE.DB"));
  EXPECT_EQ(doc.appendField(o, "Jour", false), 2);
  EXPECT_EQ(doc.columnWidth(2), measure("Commandes passées") + 5);
  EXPECT_EQ(doc.columnCount(), 4);
}

TEST_F(QueryDocumentTest, HidingIsRefusedWhileSortingOrAggregating) {
  clients();
  fill({"Clients:Montant", "Clients:Nom"});
  // A hidden column becomes shown when it is sorted or aggregated.
  ASSERT_TRUE(doc.setShown(1, false));
  EXPECT_EQ(doc.cell(1, 4), "Cacher");
  ASSERT_TRUE(doc.setSort(1, SortOrder::Ascending));
  EXPECT_EQ(doc.cell(1, 4), "Afficher");
  ASSERT_TRUE(doc.setSort(1, SortOrder::NotSorted));
  ASSERT_TRUE(doc.setShown(1, false));
  ASSERT_TRUE(doc.setOperation(1, Operation::Min));
  EXPECT_EQ(doc.cell(1, 4), "Afficher");
  EXPECT_TRUE(rec->boxes.isEmpty());

  // Operation "Somme": message 82 only.
  ASSERT_TRUE(doc.setOperation(1, Operation::Sum));
  EXPECT_FALSE(doc.setShown(1, false));
  EXPECT_EQ(doc.cell(1, 4), "Afficher");
  ASSERT_EQ(rec->boxes.size(), 1);
  EXPECT_EQ(rec->boxes[0].text, LoadText(82));
  EXPECT_EQ(rec->boxes[0].kind, MsgKind::Information);
  EXPECT_EQ(rec->boxes[0].buttons, mbOK);

  // Both: 82 first, then 83.
  rec->boxes.clear();
  ASSERT_TRUE(doc.setSort(1, SortOrder::Descending));
  EXPECT_FALSE(doc.setShown(1, false));
  EXPECT_EQ(rec->texts(), QStringList({LoadText(82), LoadText(83)}));

  // Sort only: 83.
  rec->boxes.clear();
  ASSERT_TRUE(doc.setSort(2, SortOrder::Ascending));
  EXPECT_FALSE(doc.setShown(2, false));
  EXPECT_EQ(rec->texts(), QStringList({LoadText(83)}));
  EXPECT_EQ(doc.cell(2, 4), "Afficher");
}

TEST_F(QueryDocumentTest, ChoicesFollowTheFieldType) {
  clients();
  fill({"Clients:Notes", "Clients:Nom", "Clients:Jour"});
  EXPECT_FALSE(doc.setSort(1, SortOrder::Ascending));  // memo
  EXPECT_EQ(doc.cell(1, 3), "Non trié");
  EXPECT_TRUE(doc.setOperation(1, Operation::Count));
  EXPECT_FALSE(doc.setOperation(2, Operation::Average));  // string
  EXPECT_TRUE(doc.setOperation(3, Operation::Average));   // date
  EXPECT_FALSE(doc.setOperation(3, Operation::Sum));
  EXPECT_EQ(doc.cell(3, 5), "Moyenne");
  // Nothing is set on a column without a field.
  EXPECT_FALSE(doc.setSort(4, SortOrder::NotSorted));
  EXPECT_FALSE(doc.setCriteria(4, 6, "x"));
  EXPECT_FALSE(doc.setCriteria(1, 5, "x"));
  EXPECT_TRUE(doc.setCriteria(1, 6, QString(255, 'a')));
  EXPECT_FALSE(doc.setCriteria(1, 7, QString(256, 'a')));
  EXPECT_EQ(doc.cell(1, 7), "");
}

TEST_F(QueryDocumentTest, TypeCodeAndRealFieldName) {
  clients();
  fill({"Clients:Montant", "Clients:Nom"});
  EXPECT_EQ(doc.typeCode(1), FieldType::ftCurrency);
  EXPECT_EQ(doc.realFieldName(1), "\"MONTANT\"");
  doc.setFieldNameQuoting(false);
  EXPECT_EQ(doc.realFieldName(1), "MONTANT");
  EXPECT_TRUE(rec->boxes.isEmpty());

  // A display name missing from the field list: message 105 and type 0.
  doc.tableByNumber(1)->fields.removeAt(0);
  EXPECT_EQ(doc.typeCode(2), FieldType::ftUnknown);
  ASSERT_EQ(rec->boxes.size(), 1);
  EXPECT_EQ(rec->boxes[0].text, "Erreur interne : type de champ inconnu !");
  EXPECT_EQ(rec->boxes[0].kind, MsgKind::Error);
  EXPECT_EQ(doc.realFieldName(2), "");
  // A column whose table is not in the query has no real name.
  doc.setCell(1, 2, "Ailleurs");
  EXPECT_EQ(doc.tableOfColumn(1), nullptr);
  EXPECT_EQ(doc.realFieldName(1), "");
  // A column without a field asks nothing.
  rec->boxes.clear();
  EXPECT_EQ(doc.typeCode(3), FieldType::ftUnknown);
  EXPECT_TRUE(rec->boxes.isEmpty());
}

TEST_F(QueryDocumentTest, EmptyQueryAndEmptyColumn) {
  QueryTable& c = clients();
  EXPECT_FALSE(doc.isEmpty());  // a table alone makes it non-empty
  EXPECT_TRUE(doc.isColumnEmpty(1));
  doc.setCell(1, 7, "x");        // a criteria cell alone: not empty, still no field
  EXPECT_FALSE(doc.isColumnEmpty(1));
  EXPECT_EQ(doc.rowKind(1, 7), RowKind::None);
  doc.removeTable(c.number);
  EXPECT_TRUE(doc.isEmpty());
  EXPECT_FALSE(doc.isColumnEmpty(0));  // the labels
  EXPECT_TRUE(doc.isColumnEmpty(42));
}

TEST_F(QueryDocumentTest, CellsWrittenDirectlyKeepASpareColumn) {
  doc.setColumnCount(4);
  EXPECT_TRUE(doc.setCell(2, 6, "a,b,c"));
  EXPECT_EQ(doc.columnCount(), 4);
  EXPECT_TRUE(doc.setCell(3, 1, "Nom"));
  EXPECT_EQ(doc.columnCount(), 5);
  EXPECT_TRUE(doc.isColumnEmpty(4));
  // The fixed cells and cells outside the grid are not written.
  EXPECT_FALSE(doc.setCell(0, 1, "x"));
  EXPECT_FALSE(doc.setCell(1, 0, "x"));
  EXPECT_FALSE(doc.setCell(5, 1, "x"));
  EXPECT_FALSE(doc.setCell(1, 15, "x"));
  EXPECT_EQ(doc.cell(0, 1).trimmed(), "Champ");
  doc.setColumnCount(1);
  EXPECT_EQ(doc.columnCount(), 2);
}

TEST_F(QueryDocumentTest, DeleteColumnKeepsWidthsWithPositions) {
  clients();
  fill({"Clients:Nom", "Clients:Montant", "Clients:Jour"});
  doc.setColumnWidth(1, 101);
  doc.setColumnWidth(2, 102);
  doc.setColumnWidth(3, 103);
  doc.setModified(false);
  EXPECT_FALSE(doc.deleteColumn(0));
  EXPECT_FALSE(doc.deleteColumn(4));  // the spare column
  EXPECT_FALSE(doc.deleteColumn(-1));
  EXPECT_FALSE(doc.isModified());
  ASSERT_TRUE(doc.deleteColumn(1));
  EXPECT_TRUE(doc.isModified());
  EXPECT_EQ(fieldRow(), QStringList({"Montant", "Jour", ""}));
  EXPECT_EQ(doc.columnWidth(1), 101);
  EXPECT_EQ(doc.columnWidth(2), 102);
  EXPECT_EQ(doc.columnWidth(3), 103);
  EXPECT_TRUE(doc.isColumnEmpty(3));
}

TEST_F(QueryDocumentTest, MovingColumnsRemovesGapsAndKeepsASpare) {
  clients();
  fill({"Clients:Nom", "Clients:Montant"});
  doc.setModified(false);
  // Moving the spare column into the middle leaves an empty column there: it goes.
  doc.moveColumn(3, 1, false);
  EXPECT_EQ(fieldRow(), QStringList({"Nom", "Montant", ""}));
  EXPECT_TRUE(doc.isModified());

  // Moving a field onto the spare position: a new spare follows and the moved column is
  // sized to its widest cell.
  ASSERT_TRUE(doc.setCriteria(1, 6, "COMMENCEPAR Dupont"));
  doc.setModified(false);
  doc.moveColumn(1, 3, false);
  EXPECT_EQ(fieldRow(), QStringList({"Montant", "Nom", ""}));
  EXPECT_EQ(doc.columnWidth(2), measure("COMMENCEPAR Dupont") + 5);
  EXPECT_EQ(doc.columnWidth(3), 80);
  EXPECT_TRUE(doc.isModified());
  // With the fixed-width option the moved column is not resized; the width of a moved
  // column travels with it.
  doc.moveColumn(1, 3, true);
  EXPECT_EQ(fieldRow(), QStringList({"Nom", "Montant", ""}));
  EXPECT_EQ(doc.columnWidth(1), measure("COMMENCEPAR Dupont") + 5);

  // Same place: nothing changes, the flag stays clear.
  doc.setModified(false);
  doc.moveColumn(2, 2, false);
  EXPECT_EQ(fieldRow(), QStringList({"Nom", "Montant", ""}));
  EXPECT_FALSE(doc.isModified());
  doc.moveColumn(0, 2, false);  // the label column does not move
  EXPECT_EQ(fieldRow(), QStringList({"Nom", "Montant", ""}));
}

TEST_F(QueryDocumentTest, TablesAreNumberedAndRenumberedAfterRemoval) {
  QueryTable& a = doc.addTable(makeTable("A", "A.DB"));
  QueryTable& b = doc.addTable(makeTable("B", "B.DB"));
  QueryTable& c = doc.addTable(makeTable("C", "C.DB"));
  EXPECT_EQ(a.number, 1);
  EXPECT_EQ(b.number, 2);
  EXPECT_EQ(c.number, 3);
  EXPECT_EQ(doc.tableCount(), 3);
  EXPECT_EQ(doc.tableByNumber(2), &b);
  EXPECT_EQ(doc.tableByNumber(4), nullptr);
  fill({"A:Nom", "B:Nom", "C:Nom", "B:Jour", "A:Jour"});

  ASSERT_TRUE(doc.removeTable(2));
  EXPECT_EQ(fieldRow(), QStringList({"Nom", "Nom", "Jour", ""}));
  EXPECT_EQ(doc.cell(2, 2), "C");
  EXPECT_EQ(a.number, 1);
  EXPECT_EQ(c.number, 2);
  EXPECT_EQ(doc.longNames(), QStringList({"A", "C"}));
  EXPECT_EQ(doc.tableNames(), QStringList({"A.DB", "C.DB"}));
  EXPECT_EQ(doc.locations().size(), 2);
  EXPECT_EQ(doc.nextTableNumber(), 3);
  EXPECT_EQ(doc.addTable(makeTable("D", "D.DB")).number, 3);
  EXPECT_FALSE(doc.removeTable(9));
}

TEST_F(QueryDocumentTest, ClearingAndEmptying) {
  clients();
  fill({"Clients:Nom", "Clients:Montant"});
  doc.setColumnWidth(1, 150);
  doc.setFileName("/home/u/requetes/ventes.osq");
  EXPECT_EQ(doc.caption(), "Korvi Selectra - ventes.osq");
  doc.setFieldNameQuoting(false);

  ToolbarState on = doc.toolbarState(true);
  EXPECT_TRUE(on.execute && on.removeTable && on.clearCriteria && on.deleteColumn && on.newQuery &&
              on.save && on.saveAs && on.addTable);
  EXPECT_FALSE(doc.toolbarState(false).save);

  doc.setModified(false);
  doc.clearGrid();
  EXPECT_EQ(doc.columnCount(), 2);
  EXPECT_TRUE(doc.isColumnEmpty(1));
  EXPECT_EQ(doc.tableCount(), 1);
  EXPECT_TRUE(doc.isModified());

  fill({"Clients:Nom"});
  doc.newQuery();
  EXPECT_EQ(doc.columnCount(), 2);
  EXPECT_EQ(doc.columnWidth(1), 80);
  EXPECT_EQ(doc.tableCount(), 0);
  EXPECT_TRUE(doc.longNames().isEmpty());
  EXPECT_EQ(doc.nextTableNumber(), 1);
  EXPECT_TRUE(doc.fieldNameQuoting());
  EXPECT_FALSE(doc.isModified());
  EXPECT_EQ(doc.caption(), "Korvi Selectra - (Sans nom)");
  EXPECT_EQ(doc.cell(0, 2).trimmed(), "Table");  // the labels stay
  EXPECT_EQ(doc.toolbarState(true), ToolbarState{});
}

TEST_F(QueryDocumentTest, ListenersHearChangesUntilRemoved) {
  QList<DocumentChange> heard;
  const int id = doc.addListener([&](DocumentChange c) { heard << c; });
  clients();
  EXPECT_TRUE(heard.contains(DocumentChange::Tables));
  EXPECT_TRUE(heard.contains(DocumentChange::State));  // now modified
  heard.clear();
  fill({"Clients:Nom"});
  EXPECT_TRUE(heard.contains(DocumentChange::Grid));
  doc.removeListener(id);
  heard.clear();
  doc.newQuery();
  EXPECT_TRUE(heard.isEmpty());
}

TEST_F(QueryDocumentTest, DeleteKeyEmptiesCriteriaCellsOnly) {
  clients();
  fill({"Clients:Nom"});
  ASSERT_TRUE(doc.setCriteria(1, 9, "Paris"));
  doc.setModified(false);
  EXPECT_FALSE(doc.clearCriteriaCell(1, 3));
  EXPECT_EQ(doc.cell(1, 3), "Non trié");
  EXPECT_FALSE(doc.clearCriteriaCell(1, 8));  // already empty: no change
  EXPECT_FALSE(doc.isModified());
  EXPECT_TRUE(doc.clearCriteriaCell(1, 9));
  EXPECT_EQ(doc.cell(1, 9), "");
  EXPECT_TRUE(doc.isModified());
}

}  // namespace
}  // namespace korvi::designer::testing
