#include "library/designer/querytable.h"

#include <algorithm>

namespace korvi::designer {

bool QueryTable::isAlias() const {
  return location.startsWith(QLatin1Char(':')) || location.endsWith(QLatin1Char(':'));
}

QString QueryTable::databaseName() const {
  if (!isAlias()) return location;
  // Only the colons themselves are taken off: an alias written with one colon ("VENTES:")
  // keeps all its letters.
  QString name = location;
  if (name.startsWith(QLatin1Char(':'))) name.remove(0, 1);
  if (name.endsWith(QLatin1Char(':'))) name.chop(1);
  return name;
}

QString QueryTable::alias() const { return QStringLiteral("T") + QString::number(number); }

int QueryTable::indexOfField(const QString& displayName) const {
  for (qsizetype i = 0; i < fields.size(); ++i)
    if (fields[i].displayName == displayName) return static_cast<int>(i);
  return -1;
}

const QueryField* QueryTable::field(const QString& displayName) const {
  const int i = indexOfField(displayName);
  return i < 0 ? nullptr : &fields[i];
}

std::optional<QPoint> findFreePlace(int designerWidth, const QList<QRect>& windows) {
  using namespace tableplace;
  const int perRow = std::max(1, (designerWidth - 16) / kSlotWidth);
  for (int row = 1; row <= kMaxRows; ++row) {
    for (int slot = 1; slot <= perRow; ++slot) {
      const int left = (slot - 1) * kSlotWidth + 8;
      const int top = (row - 1) * kSlotHeight + 5;
      const QPoint corners[] = {{left + 1, top + 1},
                                {left + kDefaultWidth - 1, top + 1},
                                {left + 1, top + kDefaultHeight - 1},
                                {left + kDefaultWidth - 1, top + kDefaultHeight - 1}};
      const bool taken = std::any_of(windows.begin(), windows.end(), [&](const QRect& w) {
        return std::any_of(std::begin(corners), std::end(corners),
                           [&](const QPoint& p) { return w.contains(p); });
      });
      if (!taken) return QPoint(left, top);
    }
  }
  return std::nullopt;
}

}  // namespace korvi::designer
