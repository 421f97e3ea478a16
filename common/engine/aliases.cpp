#include "common/engine/aliases.h"

#include <QDir>
#include <QFileInfo>

#include "common/engine/types.h"
#include "common/ini/inifile.h"

namespace korvi::engine {

QString Alias::typeName() const {
  return kind == Kind::PostgreSql ? QStringLiteral("POSTGRESQL") : QStringLiteral("STANDARD");
}

QString normaliseDirectory(const QString& dir) {
  QString d = dir.trimmed();
  d.replace(QLatin1Char('\\'), QLatin1Char('/'));
  if (d.isEmpty()) return d;
  d = QDir::cleanPath(d);
  if (!d.endsWith(QLatin1Char('/'))) d += QLatin1Char('/');
  return d;
}

AliasFile::AliasFile(QString path) : path_(std::move(path)) {}

QStringList AliasFile::names() const { return IniFile(path_).sections(); }

std::optional<Alias> AliasFile::find(const QString& name) const {
  const QString wanted = name.trimmed();
  if (wanted.isEmpty()) return std::nullopt;
  IniFile ini(path_);
  QString section;
  for (const QString& s : ini.sections()) {
    if (s.compare(wanted, Qt::CaseInsensitive) == 0) {
      section = s;
      break;
    }
  }
  if (section.isEmpty()) return std::nullopt;

  Alias a;
  a.name = section;
  const QString type = ini.readString(section, QStringLiteral("TYPE")).trimmed().toUpper();
  if (type.isEmpty() || type == QLatin1String("STANDARD")) {
    a.kind = Alias::Kind::Standard;
    const QString p = ini.readString(section, QStringLiteral("PATH"));
    if (p.trimmed().isEmpty())
      throw EngineError(QStringLiteral("Alias %1 has no PATH in %2").arg(section, path_));
    a.path = normaliseDirectory(p);
  } else if (type == QLatin1String("POSTGRESQL")) {
    a.kind = Alias::Kind::PostgreSql;
    a.host = ini.readString(section, QStringLiteral("HOST")).trimmed();
    a.database = ini.readString(section, QStringLiteral("DATABASE")).trimmed();
    a.user = ini.readString(section, QStringLiteral("USER")).trimmed();
    const QString port = ini.readString(section, QStringLiteral("PORT")).trimmed();
    if (!port.isEmpty()) {
      bool ok = false;
      const int p = port.toInt(&ok);
      if (!ok || p <= 0 || p > 65535)
        throw EngineError(QStringLiteral("Alias %1 has an invalid PORT \"%2\" in %3").arg(section, port, path_));
      a.port = p;
    }
    if (a.database.isEmpty())
      throw EngineError(QStringLiteral("Alias %1 has no DATABASE in %2").arg(section, path_));
  } else {
    throw EngineError(QStringLiteral("Alias %1 has an unknown TYPE \"%2\" in %3").arg(section, type, path_));
  }
  return a;
}

void AliasFile::write(const Alias& a) const {
  try {
    const QFileInfo info(path_);
    if (!info.dir().exists()) QDir().mkpath(info.absolutePath());
    IniFile ini(path_);
    if (ini.sectionExists(a.name)) ini.eraseSection(a.name);
    ini.writeString(a.name, QStringLiteral("TYPE"), a.typeName());
    if (a.kind == Alias::Kind::Standard) {
      ini.writeString(a.name, QStringLiteral("PATH"), normaliseDirectory(a.path));
    } else {
      ini.writeString(a.name, QStringLiteral("HOST"), a.host);
      ini.writeString(a.name, QStringLiteral("PORT"), a.port > 0 ? QString::number(a.port) : QString());
      ini.writeString(a.name, QStringLiteral("DATABASE"), a.database);
      ini.writeString(a.name, QStringLiteral("USER"), a.user);
    }
  } catch (const IniWriteError& e) {
    throw EngineError(e.text());
  }
}

void AliasFile::remove(const QString& name) const {
  try {
    IniFile(path_).eraseSection(name);
  } catch (const IniWriteError& e) {
    throw EngineError(e.text());
  }
}

}  // namespace korvi::engine
