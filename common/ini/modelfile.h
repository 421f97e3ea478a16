#pragma once
// The relational model file (.mdl) and the lookups that both programs apply to it.
//
// Section "Tables" maps a friendly table name to "location,table file,number"; section n
// holds the friendly field names of table n by field position; sections nL and nL1..nLN
// hold the links of slave table n ("T" master table file, "S" slave field, "D" master field).

#include <QList>
#include <QString>

#include "common/ini/inifile.h"

namespace korvi {

// The two programs word and stop some lookups differently.
enum class ModelSide { Editor, Library };

struct ModelTableEntry {
  QString name;       // friendly table name (the key)
  QString location;   // alias between colons or a directory path
  QString tableFile;  // table file with its extension
  QString number;     // table number as written
  bool complete = false;  // the value held both commas
};

struct ModelLink {
  QString masterFile;   // "T"
  QString slaveField;   // "S"
  QString masterField;  // "D"
  bool isComplete() const { return !masterFile.isEmpty() && !slaveField.isEmpty() && !masterField.isEmpty(); }
};

class ModelFile {
 public:
  static constexpr const char* kTables = "Tables";

  explicit ModelFile(QString path);
  IniFile& ini() { return ini_; }
  const IniFile& ini() const { return ini_; }
  const QString& path() const { return ini_.path(); }

  // Smallest positive number not used by a "Tables" entry, as decimal text.
  QString NextTableNumber() const;
  // Number of the first entry whose table file matches (case-insensitive), as text; empty
  // when none matches or the number is invalid (which is reported with the side's message).
  QString TableNumberOf(const QString& tableFile, ModelSide side) const;
  // The engine database name of a table: the alias without its colons, or the directory.
  QString TableLocationOf(const QString& friendlyName, ModelSide side) const;
  // The table-file part of a table's entry; empty when the entry is absent.
  QString TableFileOf(const QString& friendlyName) const;

  // Every "Tables" entry in file order, each split on its own (a value without commas
  // yields an entry with complete == false and never shifts the others).
  QList<ModelTableEntry> tables() const;
  // Friendly field names of table n by 1-based field position, in file order.
  QList<QPair<int, QString>> fieldNames(const QString& number) const;
  // Links of slave table n, 1 to N (incomplete links included, as stored).
  QList<ModelLink> links(const QString& number) const;

  // Splits a "Tables" value at its first two commas.
  static ModelTableEntry splitEntry(const QString& name, const QString& value);
  // Database name of a location, by the side's alias rule.
  static QString databaseNameOf(const QString& location, ModelSide side);

 private:
  IniFile ini_;
};

// Rewrites the model without its empty-valued key lines, replacing it atomically through
// the temporary file "<name>$$$". A model that cannot be opened is left alone silently;
// other failures show the editor's compaction message and return false.
bool CompactModelFile(const QString& path);
// The temporary path of compaction: the extension (dot included) replaced by "$$$".
QString compactionTempPath(const QString& path);

}  // namespace korvi
