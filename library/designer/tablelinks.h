#pragma once
// Where the model's links between the tables of a query are drawn: one straight line from
// the centre of a slave table's window to the centre of each window of its master table.
// Plain geometry over the model file, so that it can be checked without any window.

#include <QLine>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

#include "common/ini/modelfile.h"

namespace korvi::designer {

struct QueryTable;
class QueryDocument;

// A table window as the link drawing sees it: its table file and its place in the MDI area.
struct LinkedWindow {
  int number = 0;      // table number in the query
  QString tableName;   // table file as the model gives it
  QRect rect;          // window rectangle
};

// The centre of a window: left + width / 2, top + height / 2, truncating toward zero.
QPoint windowCentre(const QRect& rect);

// The table number that the model gives a table file, by the library's rule (the first
// "Tables" entry whose table file matches, ignoring case; the scan stops at the first value
// lacking either comma), found without any message: the drawing runs at every repaint and
// must never open a box. Empty when none matches or the number is not an integer.
QString quietTableNumber(const ModelFile& model, const QString& tableFile);

// The lines between the windows, slave tables taken by table number: for every complete
// link of a window's table, a line to every window whose table file equals the link's
// master table file (ignoring case).
QList<QLine> linkLines(QList<LinkedWindow> windows, const ModelFile& model);

// The tables of a document with the rectangles their records hold.
QList<LinkedWindow> linkedWindows(const QueryDocument& document);

}  // namespace korvi::designer
