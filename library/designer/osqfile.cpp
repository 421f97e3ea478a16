#include "library/designer/osqfile.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <cstdio>

#include "common/ini/inifile.h"
#include "common/ini/modelfile.h"
#include "common/text/messages.h"
#include "common/text/paths.h"
#include "common/text/settings.h"
#include "common/text/strings.h"
#include "library/designer/reportsettings.h"

namespace korvi::designer {

namespace {

const QString kGeneral = QLatin1String(osq::kGeneral);
const QString kCells = QLatin1String(osq::kCells);
const QString kWidths = QLatin1String(osq::kWidths);

// Longest cell texts a file may bring: criteria lines keep the criteria editor's limit;
// names and words get the value limit of the profile functions the files were made with.
constexpr int kMaxCriteriaText = QueryDocument::kMaxCriteriaLength;
constexpr int kMaxNameText = 1023;
// Values are shown this long in the list of skipped entries.
constexpr int kShownValueLength = 60;

QString tableSection(int number) { return QLatin1String(osq::kTablePrefix) + QString::number(number); }

QString temporaryDirectoryOf(const OsqContext& context) {
  return context.temporaryDirectory.isEmpty() ? paths::privateDirectory() : context.temporaryDirectory;
}

// Equal but for the case of the letters a to z.
bool sameIgnoringAsciiCase(const QString& a, const QString& b) {
  if (a.size() != b.size()) return false;
  for (qsizetype i = 0; i < a.size(); ++i) {
    char16_t x = a[i].unicode(), y = b[i].unicode();
    if (x >= u'A' && x <= u'Z') x = char16_t(x + 32);
    if (y >= u'A' && y <= u'Z') y = char16_t(y + 32);
    if (x != y) return false;
  }
  return true;
}

// A value the accessor would read back shortened (spaces around it, a pair of quotes
// around it) is written between double quotes, which the accessor removes on reading.
QString protectedValue(const QString& value) {
  const bool quoted = value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"'));
  if (value == value.trimmed() && !quoted) return value;
  return QLatin1Char('"') + value + QLatin1Char('"');
}

// Strict decimal integer (spaces around it allowed).
bool parseInteger(const QString& text, int& value) {
  bool ok = false;
  value = text.trimmed().toInt(&ok, 10);
  return ok;
}

int windowPlace(int value) { return value == 0 ? 1 : value; }

// The entries a load skipped, named together in one message afterwards.
class SkippedEntries {
 public:
  void add(const QString& section, const QString& key, const QString& value, const QString& reason) {
    ++count_;
    if (lines_.size() >= osq::kMaxListedEntries) return;
    QString line = QLatin1Char('[') + section + QLatin1Char(']');
    if (!key.isEmpty()) {
      QString shown = value;
      if (shown.size() > kShownValueLength) shown = shown.left(kShownValueLength) + QStringLiteral("...");
      line += QLatin1Char(' ') + key + QLatin1Char('=') + shown;
    }
    lines_ << line + QStringLiteral(" - ") + reason;
  }

  void report() const {
    if (count_ == 0) return;
    QString text = LoadText(631) + QLatin1Char('\n') + lines_.join(QLatin1Char('\n'));
    if (count_ > lines_.size())
      text += QLatin1Char('\n') + LoadText(632).replace(QLatin1String("%d"), QString::number(count_ - lines_.size()));
    ShowInformation(text);
  }

 private:
  QStringList lines_;
  qsizetype count_ = 0;
};

// Whether the file can be a query file at all: a readable regular file that holds no NUL
// byte near its start and, when it is not empty, at least one section. Anything else is
// refused with a message before the user is asked anything.
bool isQueryFile(const QString& fileName, const IniFile& ini) {
  const QFileInfo info(fileName);
  QFile file(fileName);
  if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
    ShowInformation(LoadText(643) + fileName);
    return false;
  }
  const QByteArray head = file.read(64 * 1024);
  if (head.contains('\0') || (info.size() > 0 && ini.sections().isEmpty())) {
    ShowInformation(LoadText(642) + fileName);
    return false;
  }
  return true;
}

// The table files of the model's "Tables" section, lower case.
QStringList modelTableFiles(const QString& modelPath) {
  QStringList files;
  const ModelFile model(modelPath);
  for (const ModelTableEntry& entry : model.tables())
    if (entry.complete) files << entry.tableFile.trimmed().toLower();
  return files;
}

// The user's usual mode for a new file.
QFileDevice::Permissions newFilePermissions() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  const mode_t mode = 0666 & ~mask;
  QFileDevice::Permissions p;
  if (mode & S_IRUSR) p |= QFileDevice::ReadOwner | QFileDevice::ReadUser;
  if (mode & S_IWUSR) p |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
  if (mode & S_IRGRP) p |= QFileDevice::ReadGroup;
  if (mode & S_IWGRP) p |= QFileDevice::WriteGroup;
  if (mode & S_IROTH) p |= QFileDevice::ReadOther;
  if (mode & S_IWOTH) p |= QFileDevice::WriteOther;
  return p;
}

void writeQuery(IniFile& ini, const QueryDocument& document, const OsqContext& context,
                const QString& reportSource) {
  // [General]
  const int tableCount = document.tableCount();
  ini.writeInteger(kGeneral, QStringLiteral("NombreTables"), tableCount);
  ini.writeInteger(kGeneral, QStringLiteral("NombreColonnes"), document.columnCount());
  if (ini.readString(kGeneral, QStringLiteral("Modele")).isEmpty())
    ini.writeString(kGeneral, QStringLiteral("Modele"), modelNameOf(context.modelPath));
  const QString code = context.languageCode.isEmpty() ? language().code : context.languageCode;
  ini.writeString(kGeneral, QStringLiteral("Language"), code);

  // [Table1] .. [TableN], each written afresh, in the order of the table numbers.
  QList<const QueryTable*> tables = document.tables();
  std::stable_sort(tables.begin(), tables.end(),
                   [](const QueryTable* a, const QueryTable* b) { return a->number < b->number; });
  for (int n = 1; n <= tableCount; ++n) {
    const QString section = tableSection(n);
    ini.eraseSection(section);
    const QueryTable* table = tables[n - 1];
    ini.writeString(section, QStringLiteral("NomTable"), protectedValue(table->tableName));
    ini.writeString(section, QStringLiteral("CheminTable"), protectedValue(table->location));
    ini.writeString(section, QStringLiteral("NomLong"), protectedValue(table->longName));
    ini.writeInteger(section, QStringLiteral("X"), windowPlace(table->rect.x()));
    ini.writeInteger(section, QStringLiteral("Y"), windowPlace(table->rect.y()));
    ini.writeInteger(section, QStringLiteral("L"), table->rect.width());
    ini.writeInteger(section, QStringLiteral("H"), table->rect.height());
  }
  // Sections of tables the query no longer has.
  for (int n = tableCount + 1; !ini.readSection(tableSection(n)).isEmpty(); ++n) ini.eraseSection(tableSection(n));

  // [Cellules]: "column,row,text" under consecutive keys.
  ini.eraseSection(kCells);
  int key = 0;
  for (int c = 1; c < document.columnCount(); ++c) {
    for (int r = 1; r <= gridrow::kLast; ++r) {
      const QString text = document.cell(c, r);
      if (text.isEmpty()) continue;
      const QString value = QString::number(c) + QLatin1Char(',') + QString::number(r) + QLatin1Char(',') + text;
      ini.writeString(kCells, QString::number(++key), protectedValue(value));
    }
  }

  // [Largeurs]
  for (int c = 1; c < document.columnCount(); ++c)
    ini.writeInteger(kWidths, QLatin1Char('L') + QString::number(c), document.columnWidth(c));

  // [Report]: from the query's own file, or the scratch file of an unnamed query.
  const IniFile source(reportSource);
  ReportSettings::read(source).write(ini);
}

}  // namespace

QString pathFileName(const QString& path) {
  const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
  return path.mid(cut + 1);
}

QString modelNameOf(const QString& modelPath) { return pathFileName(modelPath).toLower(); }

QString toQtFileFilter(const QString& pairs) {
  const QStringList parts = pairs.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts.at(i);
    const qsizetype open = description.lastIndexOf(QLatin1Char('('));
    if (open > 0) description = description.left(open);
    description = description.trimmed();
    QStringList patterns;
    for (QString p : parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      p = p.trimmed();
      if (p == QLatin1String("*.*")) p = QStringLiteral("*");
      // File names are case-sensitive here: offer both spellings of an extension.
      for (const QString& variant : {p.toLower(), p.toUpper()})
        if (!patterns.contains(variant)) patterns << variant;
    }
    filters << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return filters.isEmpty() ? pairs : filters.join(QStringLiteral(";;"));
}

bool Save(QueryDocument& document, const QString& fileName, const OsqContext& context) {
  if (!context.allowSave.value_or(librarySettings().allowSave)) return false;
  QString path = fileName;
  if (path.isEmpty()) {
    FileRequest request;
    request.save = true;
    request.caption = LoadText(186);
    request.filter = toQtFileFilter(LoadText(187));
    request.defaultSuffix = QStringLiteral("osq");
    request.fileName = QStringLiteral("*.osq");
    if (!messages().askFile(request, path) || path.isEmpty()) return false;
  }

  // A link is saved through: the file it names is the one replaced.
  QString target = path;
  const QFileInfo info(path);
  if (info.isSymLink()) target = info.symLinkTarget();
  const bool exists = QFileInfo::exists(target);
  if (fileRefusesWrites(target)) throw IniWriteError(path);

  // The query is written into a copy beside the file and the copy replaces the file at the
  // end, so a save that fails half-way leaves the earlier query untouched.
  QTemporaryFile work(QFileInfo(target).absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(QFileInfo(target).fileName())));
  if (!work.open()) throw IniWriteError(path);
  if (exists) {
    QFile original(target);
    if (!original.open(QIODevice::ReadOnly)) throw IniWriteError(path);
    const QByteArray data = original.readAll();
    if (work.write(data) != data.size()) throw IniWriteError(path);
  }
  work.close();
  work.setPermissions(exists ? QFile::permissions(target) : newFilePermissions());

  // Saving a named query onto its own file reads its settings from the file as it was
  // before this save: the original stays untouched until the copy replaces it.
  const QString reportSource = reportSettingsFile(document.fileName(), temporaryDirectoryOf(context));
  {
    // The copy is private until it replaces the file: its changes reach the disk in one write.
    IniFile ini(work.fileName());
    ini.holdWrites();
    writeQuery(ini, document, context, reportSource);
    ini.flush();
  }
  if (std::rename(QFile::encodeName(work.fileName()).constData(), QFile::encodeName(target).constData()) != 0)
    throw IniWriteError(path);
  work.setAutoRemove(false);

  document.setFileName(path);
  document.setModified(false);
  return true;
}

bool Load(QueryDocument& document, const QString& fileName, const OsqContext& context) {
  if (fileName.isEmpty() || !QFileInfo::exists(fileName)) return false;
  const IniFile ini(fileName);
  if (!isQueryFile(fileName, ini)) return false;

  // The two questions come before anything changes.
  const QString model = modelNameOf(context.modelPath);
  if (!sameIgnoringAsciiCase(ini.readString(kGeneral, QStringLiteral("Modele")), model)) {
    const QString text = LoadText(84) + QLatin1Char('"') + model + QStringLiteral("\". ") + LoadText(81);
    if (!AskConfirmation(text)) return false;
  }
  const QString code = context.languageCode.isEmpty() ? language().code : context.languageCode;
  if (ini.readString(kGeneral, QStringLiteral("Language")) != code) {
    if (!AskConfirmation(LoadText(290) + LoadText(81))) return false;
  }

  SkippedEntries skipped;

  // Counts.
  const auto readCount = [&](const QString& key, int def, int min, int max) {
    const QString raw = ini.readString(kGeneral, key);
    if (raw.isEmpty()) return def;
    int value = def;
    if (!IniFile::parseCount(raw, value) || value < min) {
      skipped.add(kGeneral, key, raw, LoadText(639));
      return def;
    }
    if (value > max) {
      skipped.add(kGeneral, key, raw, LoadText(639));
      return max;
    }
    return value;
  };
  const int tableCount = readCount(QStringLiteral("NombreTables"), 0, 0, osq::kMaxTableCount);
  const int columnCount = readCount(QStringLiteral("NombreColonnes"), 2, 2, osq::kMaxColumnCount);
  document.setColumnCount(columnCount);

  // Tables, numbered in file order by the document.
  const bool checkModel = !context.modelPath.isEmpty();
  const QStringList modelFiles = checkModel ? modelTableFiles(context.modelPath) : QStringList();
  for (int n = 1; n <= tableCount; ++n) {
    const QString section = tableSection(n);
    QueryTable table;
    table.tableName = ini.readString(section, QStringLiteral("NomTable"));
    table.location = ini.readString(section, QStringLiteral("CheminTable"));
    table.longName = ini.readString(section, QStringLiteral("NomLong"));
    if (table.tableName.isEmpty() || table.location.isEmpty() || table.longName.isEmpty()) {
      skipped.add(section, QString(), QString(), LoadText(637));
      continue;
    }
    if (document.tableNamed(table.longName)) {
      skipped.add(section, QStringLiteral("NomLong"), table.longName, LoadText(644));
      continue;
    }
    if (checkModel && !modelFiles.contains(table.tableName.trimmed().toLower())) {
      skipped.add(section, QStringLiteral("NomTable"), table.tableName, LoadText(636));
      continue;
    }
    table.rect = QRect(ini.readInteger(section, QStringLiteral("X"), 0), ini.readInteger(section, QStringLiteral("Y"), 0),
                       ini.readInteger(section, QStringLiteral("L"), 0), ini.readInteger(section, QStringLiteral("H"), 0));
    const QString tableName = table.tableName;
    const QueryTable* opened =
        context.openTable ? context.openTable(document, table) : &document.addTable(std::move(table));
    if (!opened) skipped.add(section, QStringLiteral("NomTable"), tableName, LoadText(636));
  }

  // Cells, until the first key without a value.
  for (int key = 1;; ++key) {
    const QString name = QString::number(key);
    const QString value = ini.readString(kCells, name);
    if (value.isEmpty()) break;
    const qsizetype first = value.indexOf(QLatin1Char(','));
    const qsizetype second = first < 0 ? -1 : value.indexOf(QLatin1Char(','), first + 1);
    if (second < 0) {
      skipped.add(kCells, name, value, LoadText(640));
      continue;
    }
    int column = 0, row = 0;
    const QString text = value.mid(second + 1);
    if (!parseInteger(value.left(first), column) || column < 1 || column > osq::kMaxColumnCount - 2) {
      skipped.add(kCells, name, value, LoadText(633));
      continue;
    }
    if (!parseInteger(value.mid(first + 1, second - first - 1), row) || row < 1 || row > gridrow::kLast) {
      skipped.add(kCells, name, value, LoadText(634));
      continue;
    }
    const int limit = row >= gridrow::kFirstCriteria ? kMaxCriteriaText : kMaxNameText;
    if (text.size() > limit) {
      skipped.add(kCells, name, value, LoadText(635).replace(QLatin1String("%d"), QString::number(limit)));
      continue;
    }
    // The grid grows for a column beyond it; writing into the spare column adds a new one.
    if (column >= document.columnCount()) document.setColumnCount(column + 1);
    document.setCell(column, row, text);
  }

  // A column whose table was not loaded cannot be used: it goes, as when its table is
  // removed. The file's widths follow the columns that stay.
  QList<int> origin;
  for (int c = 0; c < document.columnCount(); ++c) origin << c;
  for (int c = document.columnCount() - 2; c >= 1; --c) {
    const QString field = document.cell(c, gridrow::kField);
    const QString table = document.cell(c, gridrow::kTable);
    if ((field.isEmpty() && table.isEmpty()) || document.tableNamed(table)) continue;
    skipped.add(kCells, QString::number(origin[c]), table + QLatin1Char('.') + field, LoadText(641));
    document.deleteColumn(c);
    origin.removeAt(c);
  }

  // Widths of the columns, by their position in the file; 0 keeps the default.
  for (int c = 1; c < document.columnCount() && c < origin.size(); ++c) {
    const QString key = QLatin1Char('L') + QString::number(origin[c]);
    const QString raw = ini.readString(kWidths, key);
    if (raw.isEmpty()) continue;
    int width = 0;
    if (!IniFile::parseCount(raw, width) || width < 0 || width > osq::kMaxColumnWidth) {
      skipped.add(kWidths, key, raw, LoadText(638));
      continue;
    }
    if (width != 0) document.setColumnWidth(c, width);
  }

  document.setFileName(fileName);
  document.setModified(false);
  skipped.report();
  return true;
}

}  // namespace korvi::designer
