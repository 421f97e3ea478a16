#pragma once
// ASCII tables: a .txt data file described by the .sch schema file beside it.
//
// The schema is an INI file with one section named after the table:
//   [CUSTOMER]
//   Filetype=VARYING          (or FIXED)
//   Delimiter="               (VARYING: the character around text values; empty for none)
//   Separator=,               (VARYING: between values; TAB for a tab)
//   CharSet=ascii
//   Field1=Customer No,Float,20,04,00     name, type, width, decimals, offset
//   Field2=Name,Char,30,00,20
// FIXED records take each field from its offset (0-based) and width; VARYING records are
// split at the separator and the offsets are not used. One record per line.

#include <QList>
#include <QString>
#include <memory>

#include "common/engine/types.h"

namespace korvi::engine {

struct AsciiSchema {
  enum class Layout { Fixed, Varying };
  struct Field {
    FieldDesc desc;
    int width = 0;
    int offset = 0;
  };
  Layout layout = Layout::Fixed;
  QChar delimiter = QLatin1Char('"');  // null QChar: none
  QChar separator = QLatin1Char(',');
  QList<Field> fields;

  // Reads a schema file. Throws EngineError naming the file on any fault.
  static AsciiSchema load(const QString& schemaPath, const QString& tableName);
};

// The reader behind openAsciiTable. `path` is the .txt file; the .sch beside it is found
// without regard to case.
std::unique_ptr<TableReader> openAsciiTableFile(const QString& path);

// Parses one value of an ASCII table by its field type (blank = null). Returns false when
// the text is not a valid value of the type.
bool parseAsciiValue(const QString& text, FieldType type, QVariant& value);

}  // namespace korvi::engine
