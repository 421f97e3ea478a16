#include "library/designer/tablelinks.h"

#include <algorithm>

#include "library/designer/querydocument.h"

namespace korvi::designer {

QPoint windowCentre(const QRect& rect) {
  // Integer division in C++ truncates toward zero, as the drawing wants.
  return QPoint(rect.left() + rect.width() / 2, rect.top() + rect.height() / 2);
}

QString quietTableNumber(const ModelFile& model, const QString& tableFile) {
  for (const ModelTableEntry& entry : model.tables()) {
    if (!entry.complete) return QString();
    if (entry.tableFile.compare(tableFile, Qt::CaseInsensitive) != 0) continue;
    bool ok = false;
    const int number = entry.number.trimmed().toInt(&ok);
    return ok ? QString::number(number) : QString();
  }
  return QString();
}

QList<QLine> linkLines(QList<LinkedWindow> windows, const ModelFile& model) {
  std::stable_sort(windows.begin(), windows.end(),
                   [](const LinkedWindow& a, const LinkedWindow& b) { return a.number < b.number; });
  QList<QLine> lines;
  for (const LinkedWindow& slave : windows) {
    const QString number = quietTableNumber(model, slave.tableName);
    if (number.isEmpty()) continue;
    for (const ModelLink& link : model.links(number)) {
      if (!link.isComplete()) continue;
      for (const LinkedWindow& master : windows) {
        if (master.tableName.compare(link.masterFile, Qt::CaseInsensitive) != 0) continue;
        lines.append(QLine(windowCentre(slave.rect), windowCentre(master.rect)));
      }
    }
  }
  return lines;
}

QList<LinkedWindow> linkedWindows(const QueryDocument& document) {
  QList<LinkedWindow> windows;
  for (const QueryTable* t : document.tables()) windows.append({t->number, t->tableName, t->rect});
  return windows;
}

}  // namespace korvi::designer
