#include "common/engine/asciitable.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTime>

#include <cmath>
#include <limits>
#include <vector>

#include "common/engine/filelookup.h"
#include "common/ini/inifile.h"
#include "common/text/codepage.h"

namespace korvi::engine {
namespace {

constexpr int kMaxFields = 1024;
constexpr int kMaxWidth = 1 << 20;
constexpr qint64 kMaxLine = 16 << 20;  // longest record line accepted
constexpr qint64 kChunk = 1 << 20;

QString errorIn(const QString& file, const QString& what) { return QStringLiteral("%1: %2").arg(file, what); }

bool typeFromName(const QString& raw, FieldType& type) {
  const QString t = raw.trimmed().toUpper();
  static const QMap<QString, FieldType> names = {
      {QStringLiteral("CHAR"), FieldType::ftString},       {QStringLiteral("ALPHA"), FieldType::ftString},
      {QStringLiteral("STRING"), FieldType::ftString},     {QStringLiteral("FLOAT"), FieldType::ftFloat},
      {QStringLiteral("NUMBER"), FieldType::ftFloat},      {QStringLiteral("NUMERIC"), FieldType::ftFloat},
      {QStringLiteral("CURRENCY"), FieldType::ftCurrency}, {QStringLiteral("MONEY"), FieldType::ftCurrency},
      {QStringLiteral("BCD"), FieldType::ftBCD},           {QStringLiteral("LONGINT"), FieldType::ftInteger},
      {QStringLiteral("INTEGER"), FieldType::ftInteger},   {QStringLiteral("LONG"), FieldType::ftInteger},
      {QStringLiteral("SHORT"), FieldType::ftSmallint},    {QStringLiteral("SMALLINT"), FieldType::ftSmallint},
      {QStringLiteral("WORD"), FieldType::ftWord},         {QStringLiteral("AUTOINC"), FieldType::ftAutoInc},
      {QStringLiteral("BOOL"), FieldType::ftBoolean},      {QStringLiteral("BOOLEAN"), FieldType::ftBoolean},
      {QStringLiteral("LOGICAL"), FieldType::ftBoolean},   {QStringLiteral("DATE"), FieldType::ftDate},
      {QStringLiteral("TIME"), FieldType::ftTime},         {QStringLiteral("TIMESTAMP"), FieldType::ftDateTime},
      {QStringLiteral("DATETIME"), FieldType::ftDateTime},
  };
  const auto it = names.find(t);
  if (it == names.end()) return false;
  type = it.value();
  return true;
}

bool parseInt(const QString& text, int min, int max, int& out) {
  bool ok = false;
  const int v = text.trimmed().toInt(&ok);
  if (!ok || v < min || v > max) return false;
  out = v;
  return true;
}

QChar parseSeparatorChar(const QString& raw, bool& ok) {
  ok = true;
  const QString upper = raw.toUpper();
  if (upper == QLatin1String("TAB") || raw == QLatin1String("\\t") || upper == QLatin1String("^I"))
    return QLatin1Char('\t');
  if (raw.size() == 1) return raw.at(0);
  ok = false;
  return QChar();
}

// 1 or 2 digit day/month, 2 or 4 digit year: month/day/year, or ISO year-month-day.
bool parseDate(const QString& s, QDate& out) {
  if (s.size() >= 10 && s.at(4) == QLatin1Char('-')) {
    out = QDate::fromString(s.left(10), QStringLiteral("yyyy-MM-dd"));
    return out.isValid() && s.size() == 10;
  }
  const QStringList parts = s.split(QLatin1Char('/'));
  if (parts.size() != 3) return false;
  bool okM = false, okD = false, okY = false;
  const int m = parts[0].toInt(&okM);
  const int d = parts[1].toInt(&okD);
  int y = parts[2].toInt(&okY);
  if (!okM || !okD || !okY || parts[2].size() > 4 || parts[2].isEmpty()) return false;
  if (parts[2].size() <= 2) y += (y < 50) ? 2000 : 1900;
  out = QDate(y, m, d);
  return out.isValid();
}

bool parseTime(const QString& s, QTime& out) {
  const QString t = s.trimmed();
  for (const char* f : {"H:mm:ss.zzz", "H:mm:ss", "H:mm"}) {
    out = QTime::fromString(t, QLatin1String(f));
    if (out.isValid()) return true;
  }
  return false;
}

}  // namespace

bool parseAsciiValue(const QString& raw, FieldType type, QVariant& value) {
  const QString text = raw.trimmed();
  if (text.isEmpty()) {
    value = QVariant();
    return true;
  }
  switch (type) {
    case FieldType::ftString:
    case FieldType::ftMemo:
    case FieldType::ftFmtMemo:
      value = raw;
      return true;
    case FieldType::ftSmallint:
    case FieldType::ftInteger:
    case FieldType::ftWord:
    case FieldType::ftAutoInc: {
      bool ok = false;
      const qint64 v = text.toLongLong(&ok);
      if (!ok) return false;
      qint64 lo = std::numeric_limits<qint32>::min(), hi = std::numeric_limits<qint32>::max();
      if (type == FieldType::ftSmallint) lo = -32768, hi = 32767;
      if (type == FieldType::ftWord) lo = 0, hi = 65535;
      if (v < lo || v > hi) return false;
      value = v;
      return true;
    }
    case FieldType::ftFloat:
    case FieldType::ftCurrency:
    case FieldType::ftBCD: {
      bool ok = false;
      const double v = text.toDouble(&ok);  // QString::toDouble uses the C locale
      if (!ok || !std::isfinite(v)) return false;
      value = v;
      return true;
    }
    case FieldType::ftBoolean: {
      const QString u = text.toUpper();
      if (u == QLatin1String("T") || u == QLatin1String("TRUE") || u == QLatin1String("Y") ||
          u == QLatin1String("YES") || u == QLatin1String("1") || u == QLatin1String("VRAI")) {
        value = true;
        return true;
      }
      if (u == QLatin1String("F") || u == QLatin1String("FALSE") || u == QLatin1String("N") ||
          u == QLatin1String("NO") || u == QLatin1String("0") || u == QLatin1String("FAUX")) {
        value = false;
        return true;
      }
      return false;
    }
    case FieldType::ftDate: {
      QDate d;
      if (!parseDate(text, d)) return false;
      value = d;
      return true;
    }
    case FieldType::ftTime: {
      QTime t;
      if (!parseTime(text, t)) return false;
      value = t;
      return true;
    }
    case FieldType::ftDateTime: {
      const bool iso = text.size() > 10 && text.at(4) == QLatin1Char('-') && text.at(10) == QLatin1Char('T');
      const qsizetype sp = iso ? 10 : text.indexOf(QLatin1Char(' '));
      QDate d;
      QTime t(0, 0);
      if (sp < 0) {
        if (!parseDate(text, d)) return false;
      } else if (!parseDate(text.left(sp), d) || !parseTime(text.mid(sp + 1), t)) {
        return false;
      }
      value = QDateTime(d, t);
      return true;
    }
    default:
      return false;
  }
}

AsciiSchema AsciiSchema::load(const QString& schemaPath, const QString& tableName) {
  const QFileInfo info(schemaPath);
  if (!info.isFile()) throw EngineError(errorIn(schemaPath, QStringLiteral("schema file not found")));
  if (info.size() > (4 << 20)) throw EngineError(errorIn(schemaPath, QStringLiteral("schema file is too large")));
  IniFile ini(schemaPath);
  const QStringList sections = ini.sections();
  if (sections.isEmpty()) throw EngineError(errorIn(schemaPath, QStringLiteral("schema file has no table section")));
  QString section = sections.first();
  for (const QString& s : sections)
    if (s.compare(tableName, Qt::CaseInsensitive) == 0) section = s;

  AsciiSchema schema;
  const QString fileType = ini.readString(section, QStringLiteral("Filetype"), QStringLiteral("FIXED")).trimmed().toUpper();
  if (fileType == QLatin1String("FIXED")) {
    schema.layout = Layout::Fixed;
  } else if (fileType == QLatin1String("VARYING") || fileType == QLatin1String("DELIMITED")) {
    schema.layout = Layout::Varying;
  } else {
    throw EngineError(errorIn(schemaPath, QStringLiteral("unknown Filetype \"%1\"").arg(fileType)));
  }
  if (ini.keyExists(section, QStringLiteral("Delimiter"))) {
    const QString d = ini.readString(section, QStringLiteral("Delimiter"));
    if (d.isEmpty()) {
      schema.delimiter = QChar();
    } else {
      bool ok = false;
      schema.delimiter = parseSeparatorChar(d, ok);
      if (!ok) throw EngineError(errorIn(schemaPath, QStringLiteral("Delimiter must be one character")));
    }
  }
  if (ini.keyExists(section, QStringLiteral("Separator"))) {
    bool ok = false;
    schema.separator = parseSeparatorChar(ini.readString(section, QStringLiteral("Separator")), ok);
    if (!ok) throw EngineError(errorIn(schemaPath, QStringLiteral("Separator must be one character")));
  }
  if (schema.layout == Layout::Varying && schema.separator == schema.delimiter)
    throw EngineError(errorIn(schemaPath, QStringLiteral("Separator and Delimiter are the same character")));

  // FieldN keys, ordered by N.
  QMap<int, QString> byNumber;
  for (const QString& key : ini.readSection(section)) {
    if (!key.startsWith(QLatin1String("Field"), Qt::CaseInsensitive)) continue;
    bool ok = false;
    const int n = key.mid(5).toInt(&ok);
    if (!ok || n <= 0 || n > kMaxFields)
      throw EngineError(errorIn(schemaPath, QStringLiteral("invalid field key \"%1\"").arg(key)));
    if (byNumber.contains(n))
      throw EngineError(errorIn(schemaPath, QStringLiteral("field %1 is described twice").arg(n)));
    byNumber.insert(n, ini.readString(section, key));
  }
  if (byNumber.isEmpty()) throw EngineError(errorIn(schemaPath, QStringLiteral("no fields described")));

  for (auto it = byNumber.cbegin(); it != byNumber.cend(); ++it) {
    const QStringList parts = it.value().split(QLatin1Char(','));
    const QString where = QStringLiteral("Field%1").arg(it.key());
    if (parts.size() < 3)
      throw EngineError(errorIn(schemaPath, QStringLiteral("%1 needs a name, a type and a width").arg(where)));
    Field f;
    f.desc.name = parts[0].trimmed();
    if (f.desc.name.isEmpty()) throw EngineError(errorIn(schemaPath, QStringLiteral("%1 has no name").arg(where)));
    for (const Field& other : schema.fields)
      if (other.desc.name.compare(f.desc.name, Qt::CaseInsensitive) == 0)
        throw EngineError(errorIn(schemaPath, QStringLiteral("field name \"%1\" is used twice").arg(f.desc.name)));
    if (!typeFromName(parts[1], f.desc.type))
      throw EngineError(errorIn(schemaPath, QStringLiteral("%1 has an unknown type \"%2\"").arg(where, parts[1].trimmed())));
    if (!parseInt(parts[2], 1, kMaxWidth, f.width))
      throw EngineError(errorIn(schemaPath, QStringLiteral("%1 has an invalid width").arg(where)));
    if (parts.size() > 3 && !parts[3].trimmed().isEmpty() && !parseInt(parts[3], 0, 255, f.desc.decimals))
      throw EngineError(errorIn(schemaPath, QStringLiteral("%1 has an invalid number of decimals").arg(where)));
    if (parts.size() > 4 && !parts[4].trimmed().isEmpty() && !parseInt(parts[4], 0, kMaxWidth * 64, f.offset))
      throw EngineError(errorIn(schemaPath, QStringLiteral("%1 has an invalid offset").arg(where)));
    if (schema.layout == Layout::Fixed && parts.size() <= 4) {
      // No offset given: the field follows the previous one.
      f.offset = schema.fields.isEmpty() ? 0 : schema.fields.last().offset + schema.fields.last().width;
    }
    if (f.desc.type == FieldType::ftString) f.desc.size = f.width;
    schema.fields << f;
  }
  return schema;
}

namespace {

class AsciiReader final : public TableReader {
 public:
  AsciiReader(QString path, AsciiSchema schema) : path_(std::move(path)), schema_(std::move(schema)), file_(path_) {
    for (const auto& f : schema_.fields) fields_ << f.desc;
    if (!file_.open(QIODevice::ReadOnly)) throw EngineError(errorIn(path_, QStringLiteral("cannot open: %1").arg(file_.errorString())));
    indexLines();
  }

  const QList<FieldDesc>& fields() const override { return fields_; }
  qint64 recordCount() const override { return qint64(lines_.size()); }

  bool readRecord(qint64 i, Row& row) override {
    if (i < 0 || i >= qint64(lines_.size())) throw EngineError(errorIn(path_, QStringLiteral("record %1 out of range").arg(i)));
    const LineRef& ref = lines_[size_t(i)];
    const QString line = decodeTextLine(lineBytes(ref));
    const int lineNo = ref.number;
    row.clear();
    row.reserve(fields_.size());
    if (schema_.layout == AsciiSchema::Layout::Fixed) {
      for (const auto& f : schema_.fields) {
        QString text = f.offset < line.size() ? line.mid(f.offset, f.width) : QString();
        if (f.desc.type == FieldType::ftString) {
          while (!text.isEmpty() && text.back().isSpace()) text.chop(1);
        }
        row << valueOf(text, f, lineNo);
      }
    } else {
      const QStringList values = splitVarying(line, lineNo);
      for (qsizetype k = 0; k < schema_.fields.size(); ++k) {
        const auto& f = schema_.fields[k];
        row << (k < values.size() ? valueOf(values[k], f, lineNo) : QVariant());
      }
    }
    return true;
  }

 private:
  struct LineRef {
    qint64 offset;
    qint32 length;
    qint32 number;  // 1-based line number in the file, for messages
  };

  QVariant valueOf(const QString& text, const AsciiSchema::Field& f, int lineNo) const {
    QVariant v;
    if (!parseAsciiValue(text, f.desc.type, v))
      throw EngineError(errorIn(path_, QStringLiteral("line %1, field %2: \"%3\" is not a valid value")
                                           .arg(lineNo).arg(f.desc.name, text.trimmed().left(80))));
    return v;
  }

  QStringList splitVarying(const QString& line, int lineNo) const {
    QStringList out;
    const QChar sep = schema_.separator;
    const QChar del = schema_.delimiter;
    qsizetype pos = 0;
    const qsizetype n = line.size();
    while (true) {
      QString value;
      // Spaces before an opening delimiter are not data.
      qsizetype p = pos;
      while (p < n && line.at(p) == QLatin1Char(' ') && sep != QLatin1Char(' ')) ++p;
      if (!del.isNull() && p < n && line.at(p) == del) {
        ++p;
        bool closed = false;
        while (p < n) {
          if (line.at(p) == del) {
            if (p + 1 < n && line.at(p + 1) == del) {  // a doubled delimiter stands for itself
              value += del;
              p += 2;
              continue;
            }
            closed = true;
            ++p;
            break;
          }
          value += line.at(p++);
        }
        if (!closed)
          throw EngineError(errorIn(path_, QStringLiteral("line %1: text value without its closing delimiter").arg(lineNo)));
        while (p < n && line.at(p) != sep) {
          if (!line.at(p).isSpace())
            throw EngineError(errorIn(path_, QStringLiteral("line %1: unexpected text after a delimited value").arg(lineNo)));
          ++p;
        }
      } else {
        const qsizetype end = line.indexOf(sep, pos);
        value = line.mid(pos, end < 0 ? -1 : end - pos);
        p = end < 0 ? n : end;
      }
      out << value;
      if (p >= n) break;
      pos = p + 1;  // past the separator
      if (pos >= n) {
        out << QString();  // a trailing separator leaves one empty value
        break;
      }
    }
    // A trailing empty value beyond the schema is tolerated; real extra values are not.
    while (out.size() > schema_.fields.size() && out.last().trimmed().isEmpty()) out.removeLast();
    if (out.size() > schema_.fields.size())
      throw EngineError(errorIn(path_, QStringLiteral("line %1 holds %2 values, the schema describes %3")
                                           .arg(lineNo).arg(out.size()).arg(schema_.fields.size())));
    return out;
  }

  void indexLines() {
    const qint64 size = file_.size();
    qint64 lineStart = 0;
    qint64 pos = 0;
    int number = 1;
    QByteArray chunk;
    auto addLine = [&](qint64 end) {  // end: position of the '\n' or of the end of file
      qint64 len = end - lineStart;
      if (len > kMaxLine) throw EngineError(errorIn(path_, QStringLiteral("line %1 is too long").arg(number)));
      if (len > 0) {
        // A record may end with CR; a ^Z marks the end of an old text file.
        QByteArray tail = peek(lineStart, len);
        qint64 l = len;
        while (l > 0 && (tail.at(l - 1) == '\r' || tail.at(l - 1) == '\x1a')) --l;
        bool blank = true;
        for (qint64 k = 0; k < l && blank; ++k) blank = tail.at(k) == ' ' || tail.at(k) == '\t';
        if (!blank) lines_.push_back(LineRef{lineStart, qint32(l), number});
      }
      ++number;
      if (number == std::numeric_limits<qint32>::max())
        throw EngineError(errorIn(path_, QStringLiteral("too many lines")));
    };
    while (pos < size) {
      if (!file_.seek(pos)) throw EngineError(errorIn(path_, QStringLiteral("read error")));
      chunk = file_.read(std::min(kChunk, size - pos));
      if (chunk.isEmpty()) throw EngineError(errorIn(path_, QStringLiteral("read error")));
      for (qsizetype k = 0; k < chunk.size(); ++k) {
        if (chunk.at(k) != '\n') continue;
        addLine(pos + k);
        lineStart = pos + k + 1;
      }
      pos += chunk.size();
      if (pos - lineStart > kMaxLine) throw EngineError(errorIn(path_, QStringLiteral("line %1 is too long").arg(number)));
    }
    if (lineStart < size) addLine(size);
  }

  // Bytes of the file at [offset, offset + len), through a window buffer that makes
  // sequential reading cheap.
  QByteArray peek(qint64 offset, qint64 len) {
    if (offset < bufStart_ || offset + len > bufStart_ + buf_.size()) {
      if (!file_.seek(offset)) throw EngineError(errorIn(path_, QStringLiteral("read error")));
      buf_ = file_.read(std::max(len, kChunk));
      bufStart_ = offset;
      if (buf_.size() < len) throw EngineError(errorIn(path_, QStringLiteral("file changed while it was read")));
    }
    return buf_.mid(offset - bufStart_, len);
  }

  QByteArray lineBytes(const LineRef& ref) { return peek(ref.offset, ref.length); }

  QString path_;
  AsciiSchema schema_;
  QFile file_;
  QList<FieldDesc> fields_;
  std::vector<LineRef> lines_;
  QByteArray buf_;
  qint64 bufStart_ = 0;
};

}  // namespace

std::unique_ptr<TableReader> openAsciiTableFile(const QString& path) {
  const QString found = findFileNoCase(path);
  if (found.isEmpty() || !QFileInfo(found).isFile()) throw EngineError(errorIn(path, QStringLiteral("table file not found")));
  const QString schemaPath = findCompanion(found, QStringLiteral(".sch"));
  if (schemaPath.isEmpty()) throw EngineError(errorIn(found, QStringLiteral("no schema file (.sch) beside the table")));
  QString table = QFileInfo(found).fileName();
  table.truncate(table.lastIndexOf(QLatin1Char('.')));
  AsciiSchema schema = AsciiSchema::load(schemaPath, table);
  return std::make_unique<AsciiReader>(found, std::move(schema));
}

}  // namespace korvi::engine
