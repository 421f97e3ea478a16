// dBase table reader: dBase III/IV/5 and FoxPro .dbf files with their .dbt or .fpt memo file,
// and the 48-byte field descriptors of level 7 tables. Every size, count and offset read from
// a file is checked against the file before use.
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "common/engine/dbase.h"
#include "common/engine/tablefiles.h"

namespace korvi::engine {
namespace dbase {
namespace {

enum class MemoKind { Dbt, Fpt };

// How one field is stored in the record.
enum class Storage {
  Text, Number, Logical, Date, MemoText, MemoBinary, IntLE, IntFlipped, Currency,
  DateTimeFox, DoubleLE, DoubleFlipped, Hidden
};

struct Column {
  Storage storage;
  FieldType type;
  int offset = 0;  // within the record, after the deletion flag
  int length = 0;
  int field = -1;  // index in fields(), -1 for hidden columns
};

constexpr qint64 kMaxChunkBytes = 64 * 1024;

bool isBlank(QByteArrayView b) {
  for (char c : b)
    if (c != ' ' && c != '\0') return false;
  return true;
}

QByteArrayView trimmed(QByteArrayView b) {
  qsizetype start = 0, end = b.size();
  while (start < end && (b[start] == ' ' || b[start] == '\0')) ++start;
  while (end > start && (b[end - 1] == ' ' || b[end - 1] == '\0')) --end;
  return b.sliced(start, end - start);
}

double flippedDouble(const uchar* p) {
  quint64 bits = qFromBigEndian<quint64>(p);
  if (bits & 0x8000000000000000ULL)
    bits &= ~0x8000000000000000ULL;
  else
    bits = ~bits;
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

class DbfReader final : public TableReader {
 public:
  DbfReader(const QString& name, std::unique_ptr<QIODevice> dbf, const QString& memoName,
            std::unique_ptr<QIODevice> memo)
      : name_(name), memoName_(memoName), dbf_(std::move(dbf)), memo_(std::move(memo)) {
    if (!dbf_ || !dbf_->isOpen()) fail(QStringLiteral("cannot read the file"));
    parseHeader();
  }

  const QList<FieldDesc>& fields() const override { return fields_; }
  qint64 recordCount() const override { return count_; }

  bool readRecord(qint64 i, Row& row) override {
    row.clear();
    if (i < 0 || i >= count_)
      fail(QStringLiteral("record %1 does not exist (the table has %2)").arg(i + 1).arg(count_));
    const char* rec = record(i);
    if (rec[0] == '*') return false;
    row.resize(fields_.size());
    for (const Column& c : columns_) {
      if (c.field < 0) continue;
      row[c.field] = value(c, QByteArrayView(rec + 1 + c.offset, c.length), i);
    }
    return true;
  }

 private:
  [[noreturn]] void fail(const QString& what) const {
    throw EngineError(QStringLiteral("%1: %2").arg(name_, what));
  }
  [[noreturn]] void failField(qint64 rec, const Column& c, const QString& what) const {
    fail(QStringLiteral("record %1, field %2: %3").arg(rec + 1).arg(fields_[c.field].name, what));
  }
  [[noreturn]] void failMemo(const QString& what) const {
    throw EngineError(QStringLiteral("%1: %2").arg(memoName_, what));
  }

  void parseHeader() {
    size_ = dbf_->size();
    if (size_ < 32) fail(QStringLiteral("not a dBase table (the file is too short)"));
    if (!dbf_->seek(0)) fail(QStringLiteral("cannot read the file"));
    const QByteArray head = dbf_->read(32);
    if (head.size() != 32) fail(QStringLiteral("cannot read the header"));
    const auto* h = reinterpret_cast<const uchar*>(head.constData());
    version_ = h[0];
    const int level = version_ & 0x07;
    foxPro_ = version_ == 0x30 || version_ == 0x31 || version_ == 0x32 || version_ == 0xF5 ||
              version_ == 0xFB;
    visualFox_ = version_ == 0x30 || version_ == 0x31 || version_ == 0x32;
    if (!foxPro_ && level != 3 && level != 4 && level != 5)
      fail(QStringLiteral("not a dBase table (unknown version byte 0x%1)")
               .arg(version_, 2, 16, QLatin1Char('0')));
    count_ = qFromLittleEndian<quint32>(h + 4);
    headerLen_ = qFromLittleEndian<quint16>(h + 8);
    recordLen_ = qFromLittleEndian<quint16>(h + 10);
    page_ = codePageOfDriver(h[29]);
    if (headerLen_ < 33) fail(QStringLiteral("damaged header (header length %1)").arg(headerLen_));
    if (headerLen_ > size_)
      fail(QStringLiteral("damaged header (header length %1 is past the end of the file)")
               .arg(headerLen_));
    if (recordLen_ < 2) fail(QStringLiteral("damaged header (record length %1)").arg(recordLen_));
    if (!dbf_->seek(0)) fail(QStringLiteral("cannot read the file"));
    header_ = dbf_->read(headerLen_);
    if (header_.size() != headerLen_) fail(QStringLiteral("cannot read the header"));

    // Level 7 tables carry a 32-byte driver name and 48-byte descriptors; older ones 32-byte
    // descriptors. The layout whose field lengths add up to the record length is the one.
    if (level == 4 && !foxPro_ && fitsLevel7())
      parseDescriptors(68, 48, 32);
    else
      parseDescriptors(32, 32, 11);

    const qint64 needed = headerLen_ + count_ * recordLen_;
    if (needed > size_)
      fail(QStringLiteral("the header announces %1 records but the file holds only %2 "
                          "(truncated or damaged file)")
               .arg(count_)
               .arg((size_ - headerLen_) / recordLen_));
  }

  // Whether the header holds 48-byte level 7 descriptors: a terminator right after them and
  // field lengths that add up to the record length.
  bool fitsLevel7() const {
    const auto* h = reinterpret_cast<const uchar*>(header_.constData());
    qint64 pos = 68;
    qint64 sum = 1;
    int n = 0;
    while (pos + 48 <= headerLen_ && h[pos] != 0x0D) {
      sum += h[pos + 33];
      pos += 48;
      ++n;
    }
    return n > 0 && pos < headerLen_ && h[pos] == 0x0D && sum == recordLen_;
  }

  // Whether character fields take the high byte of their length from the decimals byte:
  // only when the record length says so, since some writers leave junk in that byte.
  bool usesLongChars(int start, int size) const {
    const auto* h = reinterpret_cast<const uchar*>(header_.constData());
    const int typeAt = size == 48 ? 32 : 11, lengthAt = size == 48 ? 33 : 16;
    qint64 plain = 1, extended = 1;
    for (qint64 pos = start; pos + size <= headerLen_ && h[pos] != 0x0D; pos += size) {
      plain += h[pos + lengthAt];
      extended += h[pos + lengthAt] + (h[pos + typeAt] == 'C' ? h[pos + lengthAt + 1] << 8 : 0);
    }
    return plain != recordLen_ && extended == recordLen_;
  }

  void parseDescriptors(int start, int size, int nameLen) {
    const bool level7 = size == 48;
    longChars_ = usesLongChars(start, size);
    std::vector<Column> columns;
    QList<FieldDesc> fields;
    int pos = start;
    int offset = 0;
    while (true) {
      if (pos >= headerLen_) {
        if (pos == headerLen_ && !columns.empty()) break;  // no terminator, header ends here
        fail(QStringLiteral("damaged header (the field descriptors run past the header)"));
      }
      const auto* d = reinterpret_cast<const uchar*>(header_.constData()) + pos;
      if (d[0] == 0x0D) break;
      if (pos + size > headerLen_)
        fail(QStringLiteral("damaged header (the field descriptors run past the header)"));
      if (columns.size() >= 4096)
        fail(QStringLiteral("damaged header (too many fields)"));
      int n = 0;
      while (n < nameLen && d[n] != 0) ++n;
      const QString name =
          decodeText(QByteArrayView(reinterpret_cast<const char*>(d), n), page_).trimmed();
      const char type = static_cast<char>(d[level7 ? 32 : 11]);
      int length = d[level7 ? 33 : 16];
      int decimals = d[level7 ? 34 : 17];
      Column c;
      c.offset = offset;
      FieldDesc f;
      f.name = name;
      describe(type, length, decimals, level7, c, f, name);
      c.length = length;
      if (length <= 0)
        fail(QStringLiteral("damaged header (field %1 has length 0)").arg(name));
      offset += length;
      if (offset + 1 > recordLen_)
        fail(QStringLiteral("damaged header (the fields are longer than the record length %1)")
                 .arg(recordLen_));
      if (c.storage != Storage::Hidden) {
        if (name.isEmpty())
          fail(QStringLiteral("damaged header (field %1 has no name)").arg(fields.size() + 1));
        c.field = int(fields.size());
        fields.append(f);
      }
      columns.push_back(c);
      pos += size;
    }
    if (fields.isEmpty()) fail(QStringLiteral("damaged header (the table has no fields)"));
    columns_ = std::move(columns);
    fields_ = std::move(fields);
  }

  void describe(char type, int& length, int decimals, bool level7, Column& c, FieldDesc& f,
                const QString& name) {
    auto need = [&](int wanted) {
      if (length != wanted)
        fail(QStringLiteral("damaged header (field %1 of type %2 has length %3)")
                 .arg(name, QChar::fromLatin1(type))
                 .arg(length));
    };
    switch (type) {
      case 'C':
        // Clipper and FoxPro keep the high byte of long character fields in the decimals.
        if (longChars_) length |= decimals << 8;
        c.storage = Storage::Text;
        f.type = FieldType::ftString;
        f.size = length;
        return;
      case 'N':
      case 'F':
        c.storage = Storage::Number;
        f.decimals = decimals;
        if (type == 'N' && decimals == 0 && length <= 4)
          f.type = FieldType::ftSmallint;
        else if (type == 'N' && decimals == 0 && length <= 11)
          f.type = FieldType::ftInteger;
        else
          f.type = FieldType::ftFloat;
        return;
      case 'L':
        c.storage = Storage::Logical;
        f.type = FieldType::ftBoolean;
        return;
      case 'D':
        c.storage = Storage::Date;
        f.type = FieldType::ftDate;
        need(8);
        return;
      case 'M':
        c.storage = Storage::MemoText;
        f.type = FieldType::ftMemo;
        if (length != 4) need(10);
        return;
      case 'B':
        if (visualFox_) {
          c.storage = Storage::DoubleLE;
          f.type = FieldType::ftFloat;
          f.decimals = decimals;
          need(8);
          return;
        }
        c.storage = Storage::MemoBinary;
        f.type = FieldType::ftBlob;
        if (length != 4) need(10);
        return;
      case 'G':
      case 'P':
        c.storage = Storage::MemoBinary;
        f.type = FieldType::ftGraphic;
        if (length != 4) need(10);
        return;
      case 'I':
      case '+':
        c.storage = level7 ? Storage::IntFlipped : Storage::IntLE;
        f.type = type == '+' ? FieldType::ftAutoInc : FieldType::ftInteger;
        need(4);
        return;
      case 'O':
        c.storage = Storage::DoubleFlipped;
        f.type = FieldType::ftFloat;
        need(8);
        return;
      case 'Y':
        c.storage = Storage::Currency;
        f.type = FieldType::ftCurrency;
        f.decimals = 4;
        need(8);
        return;
      case 'T':
        c.storage = Storage::DateTimeFox;
        f.type = FieldType::ftDateTime;
        need(8);
        return;
      case '0':
        c.storage = Storage::Hidden;
        return;
      default:
        throw EngineError(QStringLiteral("%1: field %2 has type '%3', which is not supported")
                              .arg(name_, name, QChar::fromLatin1(type > 32 && type < 127 ? type : '?')),
                          true);
    }
  }

  const char* record(qint64 i) {
    if (i < chunkFirst_ || i >= chunkFirst_ + chunkCount_) {
      const qint64 perChunk = std::max<qint64>(1, kMaxChunkBytes / recordLen_);
      chunkFirst_ = i;
      chunkCount_ = std::min(perChunk, count_ - i);
      if (!dbf_->seek(headerLen_ + i * recordLen_)) fail(QStringLiteral("cannot read the records"));
      chunk_ = dbf_->read(chunkCount_ * recordLen_);
      if (chunk_.size() != chunkCount_ * recordLen_) {
        chunkCount_ = 0;
        fail(QStringLiteral("cannot read record %1 (the file is truncated)").arg(i + 1));
      }
    }
    return chunk_.constData() + (i - chunkFirst_) * recordLen_;
  }

  QVariant value(const Column& c, QByteArrayView b, qint64 rec) {
    const auto* u = reinterpret_cast<const uchar*>(b.data());
    switch (c.storage) {
      case Storage::Text: {
        qsizetype end = b.size();
        while (end > 0 && (b[end - 1] == ' ' || b[end - 1] == '\0')) --end;
        if (end == 0) return QVariant();
        return decodeText(b.first(end), page_);
      }
      case Storage::Number: return number(c, b, rec);
      case Storage::Logical:
        switch (b[0]) {
          case 'T': case 't': case 'Y': case 'y': return true;
          case 'F': case 'f': case 'N': case 'n': return false;
          default: return QVariant();
        }
      case Storage::Date: {
        const QByteArrayView t = trimmed(b);
        // Blank is dBase's empty date; some writers put zeros, or a single 0, instead.
        if (t.isEmpty() || t == QByteArrayView("0") || t == QByteArrayView("00000000"))
          return QVariant();
        bool ok = t.size() == 8;
        for (char ch : t) ok = ok && ch >= '0' && ch <= '9';
        const QDate date = ok ? QDate(t.first(4).toByteArray().toInt(), t.sliced(4, 2).toByteArray().toInt(),
                                      t.sliced(6, 2).toByteArray().toInt())
                              : QDate();
        if (!date.isValid())
          failField(rec, c, QStringLiteral("\"%1\" is not a date").arg(QString::fromLatin1(b)));
        return date;
      }
      case Storage::MemoText:
      case Storage::MemoBinary: {
        qint64 block = 0;
        if (c.length == 4) {
          block = qFromLittleEndian<quint32>(u);
        } else {
          const QByteArrayView t = trimmed(b);
          for (char ch : t) {
            if (ch < '0' || ch > '9')
              failField(rec, c, QStringLiteral("\"%1\" is not a memo block number")
                                    .arg(QString::fromLatin1(b)));
            block = block * 10 + (ch - '0');
          }
        }
        if (block == 0) return QVariant();
        QByteArray data = memo(block, rec, c);
        if (c.storage == Storage::MemoBinary) return data;
        // Some writers count the 0x1A end markers into a dBase IV memo's length.
        while (data.endsWith('\x1A')) data.chop(1);
        return decodeText(data, page_);
      }
      case Storage::IntLE: return qint64(qFromLittleEndian<qint32>(u));
      case Storage::IntFlipped: {
        const quint32 raw = qFromBigEndian<quint32>(u);
        if (raw == 0) return QVariant();
        return qint64(qint32(raw ^ 0x80000000U));
      }
      case Storage::Currency: return double(qFromLittleEndian<qint64>(u)) / 10000.0;
      case Storage::DoubleLE: {
        const quint64 bits = qFromLittleEndian<quint64>(u);
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
      }
      case Storage::DoubleFlipped:
        if (isBlank(b)) return QVariant();
        return flippedDouble(u);
      case Storage::DateTimeFox: {
        const qint32 day = qFromLittleEndian<qint32>(u);
        const qint32 ms = qFromLittleEndian<qint32>(u + 4);
        if (day == 0 && ms == 0) return QVariant();
        const QDate date = QDate::fromJulianDay(day);
        if (!date.isValid() || ms < 0 || ms >= 86400000)
          failField(rec, c, QStringLiteral("damaged date-time value"));
        return QDateTime(date, QTime::fromMSecsSinceStartOfDay(ms));
      }
      case Storage::Hidden: break;
    }
    return QVariant();
  }

  QVariant number(const Column& c, QByteArrayView b, qint64 rec) {
    const QByteArrayView t = trimmed(b);
    if (t.isEmpty()) return QVariant();
    // dBase fills a field with asterisks when the value did not fit: nothing is stored.
    if (t.count('*') == t.size()) return QVariant();
    const QByteArray text = t.toByteArray();
    bool ok = false;
    const FieldType type = fields_[c.field].type;
    if (type == FieldType::ftSmallint || type == FieldType::ftInteger) {
      const qint64 v = text.toLongLong(&ok);
      if (ok) return v;
      const double d = text.toDouble(&ok);
      if (ok && std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9.0e18) return qint64(d);
    } else {
      const double d = text.toDouble(&ok);
      if (ok && std::isfinite(d)) return d;
    }
    failField(rec, c, QStringLiteral("\"%1\" is not a number").arg(QString::fromLatin1(b)));
  }

  void openMemo() {
    if (memoReady_) return;
    if (!memo_ || !memo_->isOpen())
      failMemo(QStringLiteral("the memo file is missing or cannot be read"));
    memoSize_ = memo_->size();
    kind_ = memoName_.endsWith(QLatin1String(".fpt"), Qt::CaseInsensitive) ? MemoKind::Fpt
                                                                           : MemoKind::Dbt;
    if (memoSize_ < 512 && kind_ == MemoKind::Fpt)
      failMemo(QStringLiteral("damaged memo file (the header is truncated)"));
    QByteArray head;
    if (memo_->seek(0)) head = memo_->read(std::min<qint64>(memoSize_, 24));
    const auto* h = reinterpret_cast<const uchar*>(head.constData());
    const bool dBase3 = version_ == 0x03 || version_ == 0x83;
    if (kind_ == MemoKind::Fpt) {
      if (head.size() < 8) failMemo(QStringLiteral("damaged memo file (the header is truncated)"));
      blockSize_ = qFromBigEndian<quint16>(h + 6);
    } else if (dBase3) {
      blockSize_ = 512;
    } else {
      if (head.size() < 22) failMemo(QStringLiteral("damaged memo file (the header is truncated)"));
      blockSize_ = qFromLittleEndian<quint16>(h + 20);
      if (blockSize_ == 0) {
        const quint32 alt = qFromLittleEndian<quint32>(h + 4);
        if (alt <= 65536) blockSize_ = alt;
      }
    }
    if (blockSize_ == 0) failMemo(QStringLiteral("damaged memo file (block size 0)"));
    memoReady_ = true;
  }

  QByteArray readMemoBytes(qint64 offset, qint64 length) {
    if (!memo_->seek(offset)) failMemo(QStringLiteral("cannot read the memo file"));
    QByteArray data = memo_->read(length);
    if (data.size() != length) failMemo(QStringLiteral("cannot read the memo file (truncated?)"));
    return data;
  }

  QByteArray memo(qint64 block, qint64 rec, const Column& c) {
    openMemo();
    const qint64 offset = block * blockSize_;
    auto where = [&] {
      return QStringLiteral("record %1, field %2, memo block %3")
          .arg(rec + 1)
          .arg(fields_[c.field].name)
          .arg(block);
    };
    if (offset < 512 && kind_ == MemoKind::Fpt)
      failMemo(QStringLiteral("%1 lies inside the header").arg(where()));
    if (offset >= memoSize_)
      failMemo(QStringLiteral("%1 lies past the end of the memo file").arg(where()));
    const qint64 available = memoSize_ - offset;
    if (kind_ == MemoKind::Fpt) {
      if (available < 8) failMemo(QStringLiteral("%1 is truncated").arg(where()));
      const QByteArray head = readMemoBytes(offset, 8);
      const quint32 length = qFromBigEndian<quint32>(head.constData() + 4);
      if (length > available - 8) failMemo(QStringLiteral("%1 runs past the end of the memo file").arg(where()));
      return readMemoBytes(offset + 8, length);
    }
    if (available >= 8) {
      const QByteArray head = readMemoBytes(offset, 8);
      if (head.startsWith(QByteArrayView("\xFF\xFF\x08\x00", 4))) {
        const quint32 length = qFromLittleEndian<quint32>(head.constData() + 4);
        if (length < 8) failMemo(QStringLiteral("%1 has a damaged length").arg(where()));
        if (length > available)
          failMemo(QStringLiteral("%1 runs past the end of the memo file").arg(where()));
        return readMemoBytes(offset + 8, length - 8);
      }
    }
    // dBase III memo: text up to the 0x1A end marker.
    QByteArray data;
    qint64 pos = offset;
    while (pos < memoSize_) {
      const QByteArray piece = readMemoBytes(pos, std::min<qint64>(memoSize_ - pos, 8192));
      const qsizetype end = piece.indexOf('\x1A');
      if (end >= 0) {
        data.append(piece.constData(), end);
        return data;
      }
      data.append(piece);
      pos += piece.size();
    }
    failMemo(QStringLiteral("%1 has no end marker (truncated memo file)").arg(where()));
  }

  QString name_;
  QString memoName_;
  std::unique_ptr<QIODevice> dbf_;
  std::unique_ptr<QIODevice> memo_;
  QByteArray header_;
  QList<FieldDesc> fields_;
  std::vector<Column> columns_;
  qint64 size_ = 0;
  qint64 count_ = 0;
  qint64 headerLen_ = 0;
  qint64 recordLen_ = 0;
  quint8 version_ = 0;
  bool foxPro_ = false;
  bool visualFox_ = false;
  bool longChars_ = false;
  CodePage page_ = CodePage::Windows1252;
  QByteArray chunk_;
  qint64 chunkFirst_ = -1;
  qint64 chunkCount_ = 0;
  bool memoReady_ = false;
  MemoKind kind_ = MemoKind::Dbt;
  qint64 memoSize_ = 0;
  qint64 blockSize_ = 0;
};

}  // namespace

std::unique_ptr<TableReader> openDbfDevices(const QString& name, std::unique_ptr<QIODevice> dbf,
                                            const QString& memoName,
                                            std::unique_ptr<QIODevice> memo) {
  return std::make_unique<DbfReader>(name, std::move(dbf), memoName, std::move(memo));
}

}  // namespace dbase

std::unique_ptr<TableReader> openDbfTable(const QString& path) {
  auto file = std::make_unique<QFile>(path);
  if (!file->open(QIODevice::ReadOnly))
    throw EngineError(QStringLiteral("%1: cannot open the table (%2)").arg(path, file->errorString()));
  // FoxPro tables keep their memos in .fpt files, dBase tables in .dbt files.
  char version = 0;
  file->peek(&version, 1);
  const auto v = static_cast<quint8>(version);
  const bool fox = v == 0x30 || v == 0x31 || v == 0x32 || v == 0xF5 || v == 0xFB;
  QString memoName = dbase::memoFileBeside(path, fox ? QStringLiteral("fpt") : QStringLiteral("dbt"));
  if (memoName.isEmpty()) {
    const QFileInfo info(path);
    memoName = info.dir().filePath(info.completeBaseName() + (fox ? QLatin1String(".fpt")
                                                                   : QLatin1String(".dbt")));
  }
  std::unique_ptr<QFile> memo;
  if (QFileInfo(memoName).isFile()) {
    memo = std::make_unique<QFile>(memoName);
    if (!memo->open(QIODevice::ReadOnly)) memo.reset();
  }
  return dbase::openDbfDevices(path, std::move(file), memoName, std::move(memo));
}

}  // namespace korvi::engine
