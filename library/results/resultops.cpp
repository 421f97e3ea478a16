#include "library/results/resultops.h"

#include <QStringList>

#include "common/engine/engine.h"
#include "common/text/messages.h"
#include "common/text/strings.h"

namespace korvi::results {
namespace {

using engine::FieldType;
using engine::ResultSet;

// Rows read at a time by the walks over the whole result.
constexpr int kWalkPage = 512;

bool isDecimalType(FieldType type) {
  return type == FieldType::ftFloat || type == FieldType::ftCurrency || type == FieldType::ftBCD;
}

// The definition of a result column in the host's table. A text column whose size the
// statement did not give (a computed column) is sized to its longest value, and becomes a
// memo when that does not fit a Paradox text field, so no value is cut.
engine::FieldDesc hostField(const ResultSet& result, int field, const QString& name) {
  const engine::ResultField& rf = result.field(field);
  engine::FieldDesc desc{name, rf.type, rf.size, rf.decimals};
  if (rf.type != FieldType::ftString || (rf.size >= 1 && rf.size <= 255)) return desc;
  qsizetype longest = 1;
  for (qint64 first = 0; first < result.rowCount();) {
    const QList<engine::Row> page = result.fetchRows(first, kWalkPage);
    if (page.isEmpty()) break;
    first += page.size();
    for (const engine::Row& row : page)
      if (field < row.size()) longest = std::max(longest, row[field].toString().size());
  }
  if (longest > 255) {
    desc.type = FieldType::ftMemo;
    desc.size = 10;
  } else {
    desc.size = int(longest);
  }
  return desc;
}

QString fileNamePart(const QString& path) {
  const qsizetype cut = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
  return path.mid(cut + 1);
}

}  // namespace

QList<int> visibleFields(const ResultSet& result) {
  QList<int> fields;
  for (int i = 0; i < result.fieldCount(); ++i)
    if (result.field(i).visible) fields << i;
  return fields;
}

QString valueText(const QVariant& value, FieldType type, QChar decimal) {
  // Reals show 15 significant digits, so a sum such as 1405.6000000000001 reads 1405.6.
  const bool real = (type == FieldType::ftFloat || type == FieldType::ftBCD) && value.typeId() == QMetaType::Double;
  QString text = real ? QString::number(value.toDouble(), 'g', 15) : engine::displayText(value, type);
  if (real && text.contains(QLatin1Char('e'))) text = engine::displayText(value, type);
  if (decimal != QLatin1Char('.') && isDecimalType(type)) text.replace(QLatin1Char('.'), decimal);
  return text;
}

QString resultCaption(const QString& queryFile, int recordCount) {
  const QString name = queryFile.isEmpty() ? LoadText(restext::kUnnamedQuery) : fileNamePart(queryFile);
  QString caption = LoadText(restext::kCaption) + name + QStringLiteral("> ");
  if (recordCount != -1) caption += QString::number(recordCount) + QLatin1Char(' ') + LoadText(restext::kRecordsFound);
  return caption;
}

QString recordLabel(qint64 recNo, int recordCount) {
  QString label = LoadText(restext::kRecordLabel) + QString::number(recNo);
  if (recordCount != -1) label += QStringLiteral(" / ") + QString::number(recordCount);
  return label;
}

bool resultIsEmpty(const ResultSet& result, int recordCount) {
  if (recordCount == 0) return true;
  if (recordCount == -1) return result.isEmpty() || (result.bof() && result.eof());
  return false;
}

qint64 findPrefix(const ResultSet& result, int field, const QString& text, qint64 fromRow, SearchDirection direction) {
  const qint64 count = result.rowCount();
  if (field < 0 || field >= result.fieldCount()) return 0;
  const FieldType type = result.field(field).type;
  const QString wanted = text.toUpper();
  const auto matches = [&](const engine::Row& row) {
    return field < row.size() && valueText(row[field], type).toUpper().startsWith(wanted);
  };
  if (direction == SearchDirection::Forward) {
    for (qint64 r = std::max<qint64>(1, fromRow); r <= count;) {
      const QList<engine::Row> page = result.fetchRows(r - 1, kWalkPage);
      if (page.isEmpty()) break;
      for (const engine::Row& row : page) {
        if (matches(row)) return r;
        ++r;
      }
    }
  } else {
    for (qint64 r = std::min(fromRow, count); r >= 1;) {
      const qint64 start = std::max<qint64>(1, r - kWalkPage + 1);
      const QList<engine::Row> page = result.fetchRows(start - 1, int(r - start + 1));
      if (page.isEmpty()) break;
      for (qsizetype i = page.size() - 1; i >= 0; --i, --r)
        if (matches(page[i])) return r;
      r = start - 1;
    }
  }
  return 0;
}

CopyText buildCopyText(const ResultSet& result, QChar decimal, qint64 limit) {
  CopyText out;
  const QList<int> fields = visibleFields(result);
  QList<FieldType> types;
  for (int f : fields) types << result.field(f).type;
  qint64 running = 0;
  for (qint64 first = 0; first < result.rowCount();) {
    const QList<engine::Row> page = result.fetchRows(first, kWalkPage);
    if (page.isEmpty()) break;
    first += page.size();
    for (const engine::Row& row : page) {
      for (qsizetype i = 0; i < fields.size(); ++i) {
        const QString text = fields[i] < row.size() ? valueText(row[fields[i]], types[i], decimal) : QString();
        if (i > 0) out.text += QLatin1Char('\t');
        out.text += text;
        running += text.size() + 1;
      }
      out.text += QLatin1String("\r\n");
      ++out.rows;
      if (running > limit) {
        out.limited = true;
        return out;
      }
    }
  }
  return out;
}

QString paradoxFieldName(const QString& candidate, const QStringList& taken) {
  const auto used = [&](const QString& name) { return taken.contains(name, Qt::CaseInsensitive); };
  QString name = candidate.left(25);
  if (!used(name)) return name;
  if (name.size() > 23) name.chop(2);
  for (int n = 0; n <= 98; ++n) {
    const QString numbered = name + QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
    if (!used(numbered)) return numbered;
  }
  return QString();
}

qint64 writeHostTable(engine::Engine& engine, const ResultSet& result, const QString& directory) {
  // Field definitions from the visible columns. A column that cannot be named gets no field
  // and its values are left out, so every other value still lands in its own field.
  QList<engine::FieldDesc> defs;
  QStringList names;
  QList<int> sources;
  for (int f : visibleFields(result)) {
    const QString name = paradoxFieldName(result.field(f).displayName(), names);
    if (name.isEmpty()) {
      ShowMessageBox(QStringLiteral("Internal error : too many fields with same name."), MsgKind::Information, mbOK,
                     mbOK);
      continue;
    }
    names << name;
    defs << hostField(result, f, name);
    sources << f;
  }
  std::unique_ptr<engine::NewTable> table;
  try {
    table = engine.CreateTable(directory, QString::fromLatin1(kHostTableName), defs);
  } catch (const engine::EngineError& e) {
    throw HostTableError{true, e.text()};
  }
  try {
    for (qint64 first = 0; first < result.rowCount();) {
      const QList<engine::Row> page = result.fetchRows(first, kWalkPage);
      if (page.isEmpty()) break;
      first += page.size();
      for (const engine::Row& row : page) {
        table->Append();
        for (qsizetype i = 0; i < sources.size(); ++i)
          if (sources[i] < row.size()) table->SetField(int(i), row[sources[i]]);
        table->Post();
      }
    }
    const qint64 rows = table->rowsWritten();
    table->Close();
    return rows;
  } catch (const engine::EngineError& e) {
    throw HostTableError{false, e.text()};
  } catch (const std::exception& e) {
    throw HostTableError{false, QString::fromUtf8(e.what())};
  }
}

}  // namespace korvi::results
