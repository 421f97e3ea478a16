#pragma once
// A table of the query: the plain record that a table window shows and that SQL assembly,
// validation and saving read. It holds no widget; the window keeps its record up to date
// (place and size, field list once the table was read).

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <optional>

#include "common/engine/types.h"

namespace korvi::designer {

// One field that the model offers for a table, in the model's order.
struct QueryField {
  QString displayName;   // friendly name from the model, as the window lists it
  QString physicalName;  // the field's name in the table itself
  engine::FieldType type = engine::FieldType::ftUnknown;
  int size = 0;
  bool operator==(const QueryField&) const = default;
};

struct QueryTable {
  int number = 0;      // 1..number of tables; the SQL alias is "T" + number
  QString longName;    // friendly name: the window caption and the grid's "Table" cell
  QString tableName;   // table file as the model gives it
  QString location;    // directory, or a database alias between colons
  QRect rect;          // window place and size in pixels
  QList<QueryField> fields;

  // A leading or a trailing colon marks an alias.
  bool isAlias() const;
  // The engine's database name: the alias without its colons, or the directory itself.
  QString databaseName() const;
  // "T" followed by the number.
  QString alias() const;
  // Position of the field with that display name in the field list, or -1.
  int indexOfField(const QString& displayName) const;
  const QueryField* field(const QString& displayName) const;
};

// Table windows: default size and the grid of slots that new windows are placed on.
namespace tableplace {
inline constexpr int kDefaultWidth = 136;
inline constexpr int kDefaultHeight = 167;
inline constexpr int kSlotWidth = 156;
inline constexpr int kSlotHeight = 187;
inline constexpr int kMaxRows = 256;
}  // namespace tableplace

// The first free slot for a new table window, row by row, in a designer window of the given
// width: a slot is free when none of the corners of a default-size window placed there lies
// inside an existing window (left and top edges inside, right and bottom edges outside).
// Nothing when no slot of the first 256 rows is free.
std::optional<QPoint> findFreePlace(int designerWidth, const QList<QRect>& windows);

}  // namespace korvi::designer
