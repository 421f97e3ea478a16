#include "common/ini/modelfile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

#include "common/text/messages.h"
#include "common/text/strings.h"

namespace korvi {
namespace {

const QString kTablesSection = QStringLiteral("Tables");

// Text after the first comma, or the whole text when there is none.
QString afterComma(const QString& s) {
  const qsizetype c = s.indexOf(QLatin1Char(','));
  return c < 0 ? s : s.mid(c + 1);
}

bool toNumber(const QString& s, int& n) {
  bool ok = false;
  n = s.trimmed().toInt(&ok);
  return ok;
}

void showFrameworkInformation(const QString& text) {
  MessageRequest r;
  r.text = text;
  r.kind = MsgKind::Information;
  r.buttons = mbOK;
  r.defaultButton = mbOK;
  r.style = MsgStyle::Framework;
  messages().showMessage(r);
}

}  // namespace

ModelFile::ModelFile(QString path) : ini_(std::move(path)) {}

ModelTableEntry ModelFile::splitEntry(const QString& name, const QString& value) {
  ModelTableEntry e;
  e.name = name;
  const qsizetype first = value.indexOf(QLatin1Char(','));
  if (first < 0) return e;
  e.location = value.left(first);
  const qsizetype second = value.indexOf(QLatin1Char(','), first + 1);
  if (second < 0) {
    e.tableFile = value.mid(first + 1);
    return e;
  }
  e.tableFile = value.mid(first + 1, second - first - 1);
  e.number = value.mid(second + 1);
  e.complete = true;
  return e;
}

QString ModelFile::databaseNameOf(const QString& location, ModelSide side) {
  const bool alias = side == ModelSide::Editor
                         ? location.startsWith(QLatin1Char(':'))
                         : (location.startsWith(QLatin1Char(':')) || location.endsWith(QLatin1Char(':')));
  if (!alias) return location;
  return location.size() >= 2 ? location.mid(1, location.size() - 2) : QString();
}

QString ModelFile::NextTableNumber() const {
  const auto entries = ini_.readSectionValues(kTablesSection);
  QList<int> used;
  used.reserve(entries.size());
  for (const auto& [key, value] : entries) {
    if (value.isEmpty()) continue;
    int n = 0;
    if (toNumber(afterComma(afterComma(value)), n)) used << n;
  }
  // Same result as rescanning from the first key after every hit: the lowest free number.
  int candidate = 1;
  while (used.contains(candidate)) ++candidate;
  return QString::number(candidate);
}

QString ModelFile::TableNumberOf(const QString& tableFile, ModelSide side) const {
  for (const auto& [key, value] : ini_.readSectionValues(kTablesSection)) {
    const qsizetype first = value.indexOf(QLatin1Char(','));
    const qsizetype second = first < 0 ? -1 : value.indexOf(QLatin1Char(','), first + 1);
    if (first < 0) {
      if (side == ModelSide::Library) return QString();
      continue;
    }
    if (second < 0) return QString();
    if (value.mid(first + 1, second - first - 1).compare(tableFile, Qt::CaseInsensitive) != 0) continue;
    const QString number = value.mid(second + 1);
    int n = 0;
    if (toNumber(number, n)) return QString::number(n);
    if (side == ModelSide::Editor)
      showFrameworkInformation(QStringLiteral("Le numéro de la table ") + tableFile +
                               QStringLiteral(" dans le fichier .MDL est ") + QStringLiteral("incorrect."));
    else
      showFrameworkInformation(LoadText(265).replace(QLatin1String("%s"), tableFile));
    return QString();
  }
  return QString();
}

QString ModelFile::TableLocationOf(const QString& friendlyName, ModelSide side) const {
  // Friendly names compare without regard to case, as the file's keys do.
  const QString value = ini_.readString(kTablesSection, friendlyName);
  const qsizetype first = value.indexOf(QLatin1Char(','));
  const QString result = databaseNameOf(first < 0 ? value : value.left(first), side);
  if (result.isEmpty() && side == ModelSide::Editor)
    ShowPlainMessage(QStringLiteral("Erreur interne : Alias de la table \"") + friendlyName +
                     QStringLiteral("\" non trouvé."));
  return result;
}

QString ModelFile::TableFileOf(const QString& friendlyName) const {
  return splitEntry(friendlyName, ini_.readString(kTablesSection, friendlyName)).tableFile;
}

QList<ModelTableEntry> ModelFile::tables() const {
  QList<ModelTableEntry> list;
  for (const auto& [key, value] : ini_.readSectionValues(kTablesSection)) list << splitEntry(key, value);
  return list;
}

QList<QPair<int, QString>> ModelFile::fieldNames(const QString& number) const {
  QList<QPair<int, QString>> fields;
  if (number.isEmpty()) return fields;
  for (const auto& [key, value] : ini_.readSectionValues(number)) {
    bool ok = false;
    const int position = key.toInt(&ok);
    if (ok) fields.append({position, value});
  }
  return fields;
}

QList<ModelLink> ModelFile::links(const QString& number) const {
  QList<ModelLink> list;
  if (number.isEmpty()) return list;
  const int n = ini_.readInteger(number + QLatin1Char('L'), QStringLiteral("N"), 0);
  for (int k = 1; k <= n; ++k) {
    const QString section = number + QLatin1Char('L') + QString::number(k);
    list.append({ini_.readString(section, QStringLiteral("T")), ini_.readString(section, QStringLiteral("S")),
                 ini_.readString(section, QStringLiteral("D"))});
  }
  return list;
}

QString compactionTempPath(const QString& path) {
  const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
  const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
  if (dot > slash) return path.left(dot) + QStringLiteral("$$$");
  return path + QStringLiteral("$$$");
}

bool CompactModelFile(const QString& path) {
  QFile model(path);
  if (QFileInfo(path).isDir() || !model.open(QIODevice::ReadOnly)) return true;
  const QByteArray data = model.readAll();
  model.close();

  const QString tempPath = compactionTempPath(path);
  QFile temp(tempPath);
  QString error;
  if (fileRefusesWrites(path)) {
    error = QString::fromLocal8Bit(std::strerror(EACCES));
  } else if (!temp.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    error = temp.errorString();
  } else {
    QByteArray out;
    out.reserve(data.size());
    qsizetype start = 0;
    while (start < data.size()) {
      qsizetype end = data.indexOf('\n', start);
      const bool lastLine = end < 0;
      if (lastLine) end = data.size();
      QByteArrayView line = QByteArrayView(data).sliced(start, end - start);
      QByteArrayView content = line;
      if (content.endsWith('\r')) content.chop(1);
      const qsizetype eq = content.indexOf('=');
      const bool keep = content.isEmpty() || content.startsWith('[') || content.startsWith(';') || eq < 0 ||
                        eq != content.size() - 1;
      if (keep) {
        out.append(line);
        if (!lastLine) out.append('\n');
      }
      start = end + 1;
    }
    if (temp.write(out) != out.size() || !temp.flush() || ::fsync(temp.handle()) != 0) error = temp.errorString();
    temp.close();
    if (error.isEmpty()) temp.setPermissions(model.permissions());
    if (error.isEmpty() && std::rename(QFile::encodeName(tempPath).constData(), QFile::encodeName(path).constData()) != 0)
      error = QString::fromLocal8Bit(std::strerror(errno));
  }
  if (error.isEmpty()) return true;
  MessageRequest r;
  r.text = LoadText(80).replace(QLatin1String("%s"), error);  // "<error>" pendant la compression ...
  messages().showMessage(r);
  return false;
}

}  // namespace korvi
