#pragma once
// What a table window reads when it opens, and where it goes: the place of a new window on
// the slot grid, the friendly field names of the model with the field definitions of the
// table itself, and the tables that the add dialog can still offer. Plain code over the
// model file and the engine, so that it runs without any window.

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

#include "common/ini/modelfile.h"
#include "library/designer/querytable.h"

namespace korvi::engine {
class Engine;
}

namespace korvi::designer {

struct TablePlacement {
  QRect rect;
  bool noFreePlace = false;  // no slot of the first 256 rows was free
};

// The rectangle of a new table window. A requested left and top of 0 look for the first
// free slot in a designer window of the given width (when there is none the window takes
// the first slot, over whatever lies there); otherwise the requested place is kept. A width
// or height that is not 0 replaces the default size of 136 by 167.
TablePlacement placeTableWindow(int designerWidth, const QList<QRect>& windows, const QRect& requested);

struct TableReadResult {
  bool opened = false;     // the engine opened the table
  QString error;           // the engine's text when it did not
  QString modelNumber;     // the table's number in the model (empty without description)
  QStringList modelKeys;   // keys of the model's field section, in file order
  bool serverDatabase = false;  // the engine describes the database as not "STANDARD"
};

// Reads the model's field section of the table (its number looked up by the table file, an
// invalid number reported by the lookup) and opens the table through the engine to resolve
// each key, a 1-based field position, to the field's name, type and size. The fields go
// into table.fields in the model's key order. A key that names no field of the table (the
// table was restructured after the fields were named), or whose friendly name is empty, is
// left out, so that the list and the definitions always match entry for entry. When the
// table does not open, table.fields stays empty and the result carries the engine's text.
TableReadResult readTableFields(QueryTable& table, const ModelFile& model, engine::Engine& engine);

// One table that the add dialog offers.
struct OfferedTable {
  QString longName;
  QString location;
  QString tableFile;
  bool operator==(const OfferedTable&) const = default;
};

// The "Tables" entries of the model, in file order, without those whose friendly name is
// already a table of the query. An entry without a location or a table file (a value
// without commas) cannot be opened and is not offered; every entry carries its own location
// and table file, so one faulty value never shifts the others.
QList<OfferedTable> offeredTables(const ModelFile& model, const QStringList& longNamesInQuery);

// Message 181: "Erreur : \"" + the engine's text + "\".".
QString tableOpenErrorText(const QString& engineText);

}  // namespace korvi::designer
