// dBase IV table writer. The table and its memo file are written under temporary names in the
// target directory and renamed over the old table only by close(), so a failure at any point
// leaves either the old table or nothing, never a half-written one.
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>
#include <QtEndian>
#include <cmath>
#include <cstdio>
#include <unistd.h>

#include "common/engine/dbase.h"
#include "common/engine/tablefiles.h"
#include "common/text/codepage.h"

namespace korvi::engine {
namespace dbase {
namespace {

constexpr int kMemoBlock = 512;
constexpr int kMaxFields = 255;
constexpr int kNumberWidth = 19;

struct OutColumn {
  char type;
  int length;
  int decimals;
  FieldType source;
};

QString typeName(FieldType t) {
  static const char* const names[] = {
      "ftUnknown", "ftString", "ftSmallint", "ftInteger", "ftWord", "ftBoolean", "ftFloat",
      "ftCurrency", "ftBCD", "ftDate", "ftTime", "ftDateTime", "ftBytes", "ftVarBytes",
      "ftAutoInc", "ftBlob", "ftMemo", "ftGraphic", "ftFmtMemo", "ftParadoxOle", "ftDBaseOle",
      "ftTypedBinary"};
  const int i = static_cast<int>(t);
  return i >= 0 && i < int(std::size(names)) ? QString::fromLatin1(names[i]) : QStringLiteral("?");
}

// A new file beside `target` with a name nobody else uses.
QString uniqueBeside(const QString& target, const char* tag) {
  const QFileInfo info(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const QString name = info.dir().filePath(
        QStringLiteral(".%1.%2%3")
            .arg(info.fileName(), QLatin1String(tag))
            .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')));
    if (!QFileInfo::exists(name)) return name;
  }
  throw EngineError(QStringLiteral("%1: cannot choose a temporary file name").arg(target));
}

bool renameOver(const QString& from, const QString& to) {
  return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

void syncFile(QFile& f) {
  f.flush();
  if (f.handle() >= 0) ::fsync(f.handle());
}

class DbfWriter final : public TableWriter {
 public:
  DbfWriter(const QString& path, const QList<FieldDesc>& fields) : path_(path), fields_(fields) {
    plan();
    const QFileInfo info(path_);
    const bool upper = info.suffix() == info.suffix().toUpper() && !info.suffix().isEmpty();
    memoPath_ = info.dir().filePath(info.completeBaseName() +
                                    (upper ? QLatin1String(".DBT") : QLatin1String(".dbt")));
    dbf_.setFileName(uniqueBeside(path_, "dbf"));
    if (!dbf_.open(QIODevice::WriteOnly | QIODevice::NewOnly))
      fail(QStringLiteral("cannot create the table (%1)").arg(dbf_.errorString()));
    if (hasMemo_) {
      memo_.setFileName(uniqueBeside(memoPath_, "dbt"));
      if (!memo_.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        throw EngineError(QStringLiteral("%1: cannot create the memo file (%2)")
                              .arg(memoPath_, memo_.errorString()));
      write(memo_, QByteArray(kMemoBlock, '\0'), memoPath_);
    }
    write(dbf_, QByteArray(headerLength(), '\0'), path_);
  }

  ~DbfWriter() override { discard(); }

  void appendRecord(const Row& row) override {
    if (closed_) fail(QStringLiteral("the table is already closed"));
    if (row.size() != columns_.size())
      fail(QStringLiteral("a row of %1 values was given for %2 fields").arg(row.size()).arg(columns_.size()));
    if (count_ >= 0xFFFFFFFELL) fail(QStringLiteral("too many records for a dBase table"));
    // The whole record is formatted first, so a value that does not fit leaves nothing written.
    QByteArray rec;
    rec.reserve(recordLength_);
    rec.append(' ');
    QList<QByteArray> memos;
    QList<int> memoAt;
    for (int i = 0; i < columns_.size(); ++i) {
      const OutColumn& c = columns_[i];
      if (c.type == 'M') {
        const QVariant& v = row[i];
        if (v.isNull()) {
          rec.append(QByteArray(c.length, ' '));
        } else {
          memoAt.append(rec.size());
          memos.append(encode(i, v.toString(), -1));
          rec.append(QByteArray(c.length, ' '));
        }
        continue;
      }
      rec.append(format(i, row[i]));
    }
    for (int m = 0; m < memos.size(); ++m) {
      const QByteArray number = QByteArray::number(writeMemo(memos[m]));
      rec.replace(memoAt[m] + 10 - number.size(), number.size(), number);
    }
    write(dbf_, rec, path_);
    ++count_;
  }

  void close() override {
    if (closed_) return;
    try {
      finish();
    } catch (...) {
      discard();
      throw;
    }
    closed_ = true;
  }

 private:
  [[noreturn]] void fail(const QString& what) const {
    throw EngineError(QStringLiteral("%1: %2").arg(path_, what));
  }
  [[noreturn]] void failField(int i, const QString& what) const {
    fail(QStringLiteral("field %1: %2").arg(fields_[i].name, what));
  }
  [[noreturn]] void notSupported(int i, const QString& what) const {
    throw EngineError(QStringLiteral("%1: field %2: %3").arg(path_, fields_[i].name, what), true);
  }

  int headerLength() const { return 32 + 32 * int(columns_.size()) + 1; }

  // Chooses the dBase column of every field, refusing what dBase cannot hold.
  void plan() {
    if (fields_.isEmpty())
      throw EngineError(QStringLiteral("%1: a table needs at least one field").arg(path_));
    if (fields_.size() > kMaxFields)
      throw EngineError(QStringLiteral("%1: %2 fields; more than %3 fields are not supported")
                            .arg(path_)
                            .arg(fields_.size())
                            .arg(kMaxFields),
                        true);
    QSet<QString> seen;
    int length = 1;
    for (int i = 0; i < fields_.size(); ++i) {
      const FieldDesc& f = fields_[i];
      if (f.name.isEmpty())
        throw EngineError(QStringLiteral("%1: field %2 has no name").arg(path_).arg(i + 1));
      if (f.name.size() > 10)
        notSupported(i, QStringLiteral("names longer than 10 characters are not supported"));
      bool lossless = true;
      const QByteArray encoded = toWindows1252(f.name, &lossless);
      bool control = false;
      for (char ch : encoded) control = control || static_cast<unsigned char>(ch) < 0x20;
      if (!lossless || control)
        notSupported(i, QStringLiteral("characters of this name are not supported"));
      const QString key = f.name.toUpper();
      if (seen.contains(key))
        notSupported(i, QStringLiteral("two fields of this name (dBase names ignore case) are "
                                       "not supported"));
      seen.insert(key);
      OutColumn c{' ', 0, 0, f.type};
      switch (f.type) {
        case FieldType::ftString:
          if (f.size < 1 || f.size > 254)
            notSupported(i, QStringLiteral("a character field of %1 characters is not supported "
                                           "(1 to 254)").arg(f.size));
          c = {'C', f.size, 0, f.type};
          break;
        case FieldType::ftSmallint: c = {'N', 6, 0, f.type}; break;
        case FieldType::ftWord: c = {'N', 5, 0, f.type}; break;
        case FieldType::ftInteger:
        case FieldType::ftAutoInc: c = {'N', 11, 0, f.type}; break;
        case FieldType::ftFloat:
          c = {'N', kNumberWidth, f.decimals > 0 ? std::min(f.decimals, 15) : 4, f.type};
          break;
        case FieldType::ftCurrency: c = {'N', kNumberWidth, 4, f.type}; break;
        case FieldType::ftBCD: c = {'N', kNumberWidth, std::clamp(f.decimals, 0, 15), f.type}; break;
        case FieldType::ftBoolean: c = {'L', 1, 0, f.type}; break;
        case FieldType::ftDate: c = {'D', 8, 0, f.type}; break;
        case FieldType::ftMemo:
        case FieldType::ftFmtMemo:
          c = {'M', 10, 0, f.type};
          hasMemo_ = true;
          break;
        default:
          notSupported(i, QStringLiteral("type %1 is not supported by dBase tables").arg(typeName(f.type)));
      }
      length += c.length;
      columns_.append(c);
    }
    if (length > 65535)
      throw EngineError(QStringLiteral("%1: records of %2 bytes are not supported").arg(path_).arg(length), true);
    recordLength_ = length;
  }

  QByteArray encode(int i, const QString& text, int size) const {
    bool lossless = true;
    QByteArray bytes = toWindows1252(text, &lossless);
    if (!lossless) {
      for (QChar ch : text) {
        bool one = true;
        toWindows1252(QString(ch), &one);
        if (!one)
          failField(i, QStringLiteral("the character U+%1 cannot be stored in Windows-1252")
                           .arg(QString::number(ch.unicode(), 16).toUpper().rightJustified(4, QLatin1Char('0'))));
      }
    }
    if (size >= 0 && bytes.size() > size)
      failField(i, QStringLiteral("a value of %1 characters does not fit in %2").arg(bytes.size()).arg(size));
    return bytes;
  }

  QByteArray rightAligned(int i, const QByteArray& text) const {
    const OutColumn& c = columns_[i];
    if (text.size() > c.length)
      failField(i, QStringLiteral("the value %1 is too wide for %2 digits")
                       .arg(QString::fromLatin1(text))
                       .arg(c.length));
    return QByteArray(c.length - text.size(), ' ') + text;
  }

  QByteArray format(int i, const QVariant& v) const {
    const OutColumn& c = columns_[i];
    if (v.isNull()) return QByteArray(c.length, c.type == 'L' ? '?' : ' ');
    switch (c.type) {
      case 'C': {
        const QByteArray bytes = encode(i, v.toString(), c.length);
        return bytes + QByteArray(c.length - bytes.size(), ' ');
      }
      case 'N': {
        bool ok = false;
        if (c.decimals == 0 && c.source != FieldType::ftBCD && c.source != FieldType::ftFloat) {
          qint64 n = v.toLongLong(&ok);
          if (!ok || v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) {
            const double d = v.toDouble(&ok);
            if (!ok || !std::isfinite(d) || d != std::floor(d) || std::fabs(d) >= 9.0e18)
              failField(i, QStringLiteral("\"%1\" is not an integer").arg(v.toString()));
            n = qint64(d);
          }
          return rightAligned(i, QByteArray::number(n));
        }
        const double d = v.toDouble(&ok);
        if (!ok) failField(i, QStringLiteral("\"%1\" is not a number").arg(v.toString()));
        if (!std::isfinite(d)) failField(i, QStringLiteral("%1 cannot be stored").arg(v.toString()));
        return rightAligned(i, QByteArray::number(d, 'f', c.decimals));
      }
      case 'L': return QByteArray(1, v.toBool() ? 'T' : 'F');
      case 'D': {
        const QDate date = v.toDate();
        if (!date.isValid() || date.year() < 1 || date.year() > 9999)
          failField(i, QStringLiteral("\"%1\" is not a date dBase can hold").arg(v.toString()));
        return date.toString(QStringLiteral("yyyyMMdd")).toLatin1();
      }
    }
    return QByteArray(c.length, ' ');
  }

  void write(QFile& f, const QByteArray& bytes, const QString& name) {
    if (f.write(bytes) != bytes.size())
      throw EngineError(QStringLiteral("%1: cannot write (%2)").arg(name, f.errorString()));
  }

  // Writes one dBase IV memo: FF FF 08 00, the length including these 8 bytes, the data,
  // padded to whole blocks. Returns its first block.
  qint64 writeMemo(const QByteArray& data) {
    const qint64 total = qint64(data.size()) + 8;
    if (total > 0xFFFFFFFFLL) throw EngineError(QStringLiteral("%1: memo too large").arg(memoPath_));
    const qint64 blocks = (total + kMemoBlock - 1) / kMemoBlock;
    if (nextBlock_ + blocks > 0xFFFFFFFFLL)
      throw EngineError(QStringLiteral("%1: the memo file is full").arg(memoPath_));
    QByteArray head("\xFF\xFF\x08\x00", 4);
    head.resize(8);
    qToLittleEndian<quint32>(quint32(total), head.data() + 4);
    write(memo_, head, memoPath_);
    write(memo_, data, memoPath_);
    write(memo_, QByteArray(blocks * kMemoBlock - total, '\0'), memoPath_);
    const qint64 first = nextBlock_;
    nextBlock_ += blocks;
    return first;
  }

  void finish() {
    write(dbf_, QByteArray(1, '\x1A'), path_);
    QByteArray h(headerLength(), '\0');
    const QDate today = QDate::currentDate();
    h[0] = char(hasMemo_ ? 0x8B : 0x03);
    h[1] = char(today.year() - 1900);
    h[2] = char(today.month());
    h[3] = char(today.day());
    qToLittleEndian<quint32>(quint32(count_), h.data() + 4);
    qToLittleEndian<quint16>(quint16(h.size()), h.data() + 8);
    qToLittleEndian<quint16>(quint16(recordLength_), h.data() + 10);
    h[29] = char(kAnsiDriver);
    for (int i = 0; i < columns_.size(); ++i) {
      char* d = h.data() + 32 + 32 * i;
      const QByteArray name = toWindows1252(fields_[i].name);
      std::memcpy(d, name.constData(), name.size());
      d[11] = columns_[i].type;
      d[16] = char(columns_[i].length);
      d[17] = char(columns_[i].decimals);
    }
    h[h.size() - 1] = '\x0D';
    if (!dbf_.seek(0)) fail(QStringLiteral("cannot write the header"));
    write(dbf_, h, path_);
    syncFile(dbf_);
    dbf_.close();
    if (hasMemo_) {
      QByteArray m(kMemoBlock, '\0');
      qToLittleEndian<quint32>(quint32(nextBlock_), m.data());
      qToLittleEndian<quint32>(kMemoBlock, m.data() + 4);
      const QByteArray base = toWindows1252(QFileInfo(path_).completeBaseName()).left(8).toUpper();
      std::memcpy(m.data() + 8, base.constData(), base.size());
      qToLittleEndian<quint16>(kMemoBlock, m.data() + 20);
      if (!memo_.seek(0)) throw EngineError(QStringLiteral("%1: cannot write the header").arg(memoPath_));
      write(memo_, m, memoPath_);
      syncFile(memo_);
      memo_.close();
    }
    replace();
  }

  // Moves the new files over the old table. The old files are first moved aside, so each
  // failing step can put them back.
  void replace() {
    struct Moved { QString from, to; };
    QList<Moved> aside;
    auto restore = [&] {
      for (auto it = aside.crbegin(); it != aside.crend(); ++it) renameOver(it->to, it->from);
    };
    auto moveAside = [&](const QString& file) {
      if (file.isEmpty() || !QFileInfo::exists(file)) return;
      const QString backup = uniqueBeside(file, "old");
      if (!renameOver(file, backup)) {
        restore();
        fail(QStringLiteral("cannot replace %1").arg(file));
      }
      aside.append({file, backup});
    };
    moveAside(path_);
    moveAside(memoFileBeside(path_, QStringLiteral("dbt")));
    if (hasMemo_ && !renameOver(memo_.fileName(), memoPath_)) {
      restore();
      fail(QStringLiteral("cannot rename the new memo file to %1").arg(memoPath_));
    }
    if (!renameOver(dbf_.fileName(), path_)) {
      if (hasMemo_) QFile::remove(memoPath_);
      restore();
      fail(QStringLiteral("cannot rename the new table into place"));
    }
    for (const Moved& m : aside) QFile::remove(m.to);
  }

  void discard() {
    if (closed_) return;
    if (dbf_.isOpen()) dbf_.close();
    if (memo_.isOpen()) memo_.close();
    if (!dbf_.fileName().isEmpty() && dbf_.fileName() != path_) QFile::remove(dbf_.fileName());
    if (hasMemo_ && !memo_.fileName().isEmpty() && memo_.fileName() != memoPath_)
      QFile::remove(memo_.fileName());
  }

  QString path_;
  QString memoPath_;
  QList<FieldDesc> fields_;
  QList<OutColumn> columns_;
  int recordLength_ = 1;
  bool hasMemo_ = false;
  bool closed_ = false;
  qint64 count_ = 0;
  qint64 nextBlock_ = 1;
  QFile dbf_;
  QFile memo_;
};

}  // namespace
}  // namespace dbase

std::unique_ptr<TableWriter> createDbfTable(const QString& path, const QList<FieldDesc>& fields) {
  return std::make_unique<dbase::DbfWriter>(path, fields);
}

}  // namespace korvi::engine
