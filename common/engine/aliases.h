#pragma once
// Database aliases: named databases registered in the alias file, one INI section per alias.
//   [NAME]
//   TYPE=STANDARD     PATH=<directory of table files>
//   TYPE=POSTGRESQL   HOST=, PORT=, DATABASE=, USER=

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace korvi::engine {

struct Alias {
  enum class Kind { Standard, PostgreSql };
  QString name;
  Kind kind = Kind::Standard;
  QString path;      // STANDARD: the directory, "/"-separated, ending with "/"
  QString host;      // POSTGRESQL
  int port = 0;      // POSTGRESQL; 0 = the client library's default
  QString database;  // POSTGRESQL
  QString user;      // POSTGRESQL; may be empty (asked for, or the client library's default)

  // "STANDARD" or "POSTGRESQL".
  QString typeName() const;
};

// The alias file: korvi::paths::aliasFile() unless a file is given.
class AliasFile {
 public:
  explicit AliasFile(QString path);
  const QString& path() const { return path_; }

  // Alias names in file order; a missing file has none.
  QStringList names() const;
  // The alias of that name (case-insensitive). Throws EngineError when its TYPE is not
  // one of the known types or a required key is missing.
  std::optional<Alias> find(const QString& name) const;
  // Writes (or rewrites) one alias section. Throws EngineError when the file refuses writes.
  void write(const Alias& alias) const;
  void remove(const QString& name) const;

 private:
  QString path_;
};

// A directory written with "\" or "/" separators, as "/"-separated and ending with "/".
QString normaliseDirectory(const QString& dir);

}  // namespace korvi::engine
