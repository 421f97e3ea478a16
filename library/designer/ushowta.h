#pragma once
// The table window: a child of the designer's MDI area showing one table of the query, its
// caption the table's long name and its list the friendly names of the fields that the
// model describes, in the model's order. Its fields are dragged onto the design grid or
// double-clicked into a new column. The user cannot close it: it goes with the query.

#include <QLine>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QStringList>

#include "library/designer/querytable.h"

namespace korvi::selq {

class TFormPrincipale;

// The field list of a table window; a drag carries the table's long name and the field.
class TFieldListBox : public QListWidget {
  Q_OBJECT
 public:
  explicit TFieldListBox(QWidget* parent = nullptr);
  QString tableLongName;

 protected:
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QList<QListWidgetItem*>& items) const override;
};

class TFormVisuTable : public QMdiSubWindow {
  Q_OBJECT
 public:
  // Opens the window of a table in the designer's MDI area and puts the table into the
  // query with the next table number. The place and size of `table.rect` are kept unless
  // left and top are both 0 (a free place is looked for) or width or height is 0 (default
  // size). The window is not opened, and null is returned, when the engine cannot open the
  // table (message 181 with the engine's text): a table without fields could neither give
  // a column nor run, and it keeps no number.
  static TFormVisuTable* open(TFormPrincipale& designer, const designer::QueryTable& table);

  // The designer's table windows in the MDI area, in the order the area lists them.
  static QList<TFormVisuTable*> windowsOf(const TFormPrincipale& designer);

  // The links to draw between the designer's table windows, from their window centres;
  // none while a result window is open.
  static QList<QLine> linkLinesOf(const TFormPrincipale& designer);

  ~TFormVisuTable() override;

  // The table's record in the query; null once the table has left the query.
  designer::QueryTable* table() const;
  QListWidget* listBox() const { return list_; }
  // Keys of the model's field section, in file order.
  const QStringList& modelKeys() const { return modelKeys_; }

  // A double-click on a field: the field fills the spare column of the grid.
  void ListBox1DblClick(const QString& displayName);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  explicit TFormVisuTable(TFormPrincipale& designer);
  // Runs the designer command bound to a key; false for a key the window leaves alone.
  bool forwardKey(int key, Qt::KeyboardModifiers modifiers, bool run);
  void geometryChanged();

  TFormPrincipale& designer_;
  TFieldListBox* list_ = nullptr;
  designer::QueryTable* record_ = nullptr;
  QStringList modelKeys_;
};

}  // namespace korvi::selq
