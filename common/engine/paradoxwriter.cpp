// Writer of Paradox level 7 tables without a key. Records are collected in a scratch file
// and blobs go straight into a temporary .mb; close() lays out the data blocks, then renames
// both files over the old table, so a failure never leaves a half-written table behind.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sys/stat.h>

#include "common/engine/codepages.h"
#include "common/engine/paradoxformat.h"
#include "common/engine/tablefiles.h"

namespace korvi::engine {

using namespace paradox;

namespace {

constexpr int kWriteCodePage = 1252;
constexpr int kTableNameSize = 261;
constexpr int kMaxFields = 255;
constexpr int kHeaderUnit = 0x800;
constexpr char kSortOrderName[] = "ANSIINTL";
constexpr quint8 kSortOrderCode = 0x62;
constexpr int kMaxBlocks = 65535;
constexpr quint16 kModNumber = 1;

struct OutField {
  FieldDesc desc;
  quint8 code = 0;
  int declared = 0;  // size byte of the field information
  int size = 0;      // bytes in the record
  int offset = 0;
};

QString typeName(FieldType type) {
  static const char* const names[] = {
      "ftUnknown", "ftString", "ftSmallint", "ftInteger", "ftWord", "ftBoolean", "ftFloat", "ftCurrency",
      "ftBCD", "ftDate", "ftTime", "ftDateTime", "ftBytes", "ftVarBytes", "ftAutoInc", "ftBlob", "ftMemo",
      "ftGraphic", "ftFmtMemo", "ftParadoxOle", "ftDBaseOle", "ftTypedBinary"};
  const auto i = static_cast<size_t>(type);
  return i < std::size(names) ? QString::fromLatin1(names[i]) : QStringLiteral("type %1").arg(i);
}

class ParadoxWriter final : public TableWriter {
 public:
  ParadoxWriter(const QString& path, const QList<FieldDesc>& fields) : path_(path) {
    layOut(fields);
    const QFileInfo info(path);
    dir_ = info.absoluteDir();
    if (!dir_.exists()) fail(QStringLiteral("the directory does not exist"));
    const bool upper = !info.suffix().isEmpty() && info.suffix() == info.suffix().toUpper();
    mbPath_ = dir_.filePath(info.completeBaseName() + (upper ? QStringLiteral(".MB") : QStringLiteral(".mb")));
    records_ = openScratch();
    if (hasBlobs_) {
      mb_ = openScratch();
      QByteArray head(kMbBlockSize, 0);
      auto* h = reinterpret_cast<uchar*>(head.data());
      h[0] = kMbHeaderBlock;
      putLe16(h + 1, 1);       // chunks in this block
      putLe16(h + 3, 1);       // modification count
      putLe16(h + 11, kMbBlockSize);
      putLe16(h + 13, kMbBlockSize);
      h[16] = 16;              // paragraph size of suballocated blocks
      putLe16(h + 17, kMbSubEntries);
      putLe16(h + 19, kMbSubThreshold);
      writeAt(*mb_, 0, head);
      mbBlocks_ = 1;
    }
  }

  void appendRecord(const Row& row) override {
    if (closed_) fail(QStringLiteral("the table is already closed"));
    if (row.size() != fields_.size())
      fail(QStringLiteral("a record of %1 values for %2 fields").arg(row.size()).arg(fields_.size()));
    if (count_ >= qint64(kMaxBlocks) * ((32768 - kBlockHeaderSize) / recordSize_))
      fail(QStringLiteral("too many records for a Paradox table"));
    QByteArray record(recordSize_, 0);
    auto* r = reinterpret_cast<uchar*>(record.data());
    qint64 autoInc = autoInc_;
    for (int i = 0; i < fields_.size(); ++i) encodeField(fields_[i], row[i], r + fields_[i].offset, autoInc);
    if (records_->write(record) != record.size()) fail(QStringLiteral("cannot write: %1").arg(records_->errorString()));
    autoInc_ = autoInc;
    ++count_;
  }

  void close() override {
    if (closed_) return;
    closed_ = true;
    flushSubBlock();
    std::unique_ptr<QTemporaryFile> db = openScratch();
    writeTable(*db);
    if (!db->flush() || (mb_ && !mb_->flush())) fail(QStringLiteral("cannot write: disk full?"));
    db->close();
    records_.reset();
    if (mb_) {
      mb_->close();
      moveInto(*mb_, mbPath_);
    }
    moveInto(*db, path_);
    removeStaleBlobFiles();
  }

 private:
  [[noreturn]] void fail(const QString& why) const {
    throw EngineError(QStringLiteral("%1: %2").arg(path_, why));
  }
  [[noreturn]] void fieldFail(const OutField& f, const QString& why) const {
    fail(QStringLiteral("field %1: %2").arg(f.desc.name, why));
  }

  void layOut(const QList<FieldDesc>& fields) {
    if (fields.isEmpty()) fail(QStringLiteral("a Paradox table needs at least one field"));
    if (fields.size() > kMaxFields) fail(QStringLiteral("more than %1 fields").arg(kMaxFields));
    QSet<QString> seen;
    int offset = 0;
    for (const FieldDesc& d : fields) {
      OutField f;
      f.desc = d;
      const QString& name = d.name;
      if (name.isEmpty()) fail(QStringLiteral("a field has no name"));
      if (name.size() > kMaxFieldName)
        fail(QStringLiteral("field name \"%1\" is longer than %2 characters").arg(name).arg(kMaxFieldName));
      bool lossless = true;
      const QByteArray encoded = encodeTableText(kWriteCodePage, name, &lossless);
      if (!lossless || encoded.contains('\0'))
        fail(QStringLiteral("field name \"%1\" has characters a Paradox table cannot hold").arg(name));
      if (seen.contains(name.toLower())) fail(QStringLiteral("field name \"%1\" is used twice").arg(name));
      seen.insert(name.toLower());
      f.code = codeOf(d.type);
      if (f.code == 0)
        throw EngineError(QStringLiteral("%1: field %2: %3 fields are not supported in Paradox tables")
                              .arg(path_, name, typeName(d.type)),
                          true);
      switch (f.code) {
        case kAlpha:
        case kBytes:
          if (d.size < 1 || d.size > 255) fieldFail(f, QStringLiteral("size %1 is not between 1 and 255").arg(d.size));
          f.declared = d.size;
          break;
        case kBcd:
          if (d.decimals < 0 || d.decimals > 32)
            fieldFail(f, QStringLiteral("%1 decimals is not between 0 and 32").arg(d.decimals));
          f.declared = d.decimals;
          break;
        case kShort: f.declared = 2; break;
        case kLogical: f.declared = 1; break;
        case kDate:
        case kLong:
        case kTime:
        case kAutoInc: f.declared = 4; break;
        case kCurrency:
        case kNumber:
        case kTimestamp: f.declared = 8; break;
        default: {
          // The leader only caches the start of the value; every value is kept whole.
          const int fallback = f.code == kMemo || f.code == kFmtMemo ? 10 : 0;
          const int leader = d.size <= 0 ? fallback : std::min(d.size, kMaxBlobLeader);
          f.declared = kBlobPointerSize + std::max(leader, f.code == kMemo ? 1 : 0);
          f.desc.size = f.declared - kBlobPointerSize;
          hasBlobs_ = true;
        }
      }
      f.size = storedSize(f.code, f.declared);
      f.offset = offset;
      offset += f.size;
      fields_.append(f);
    }
    recordSize_ = offset;
    if (recordSize_ > 32768 - kBlockHeaderSize)
      fail(QStringLiteral("records of %1 bytes are too large for a Paradox table").arg(recordSize_));
  }

  void encodeField(const OutField& f, const QVariant& v, uchar* p, qint64& autoInc) {
    if (!v.isValid() || v.isNull()) {
      if (f.code == kAutoInc) encodeSigned(p, 4, ++autoInc);
      return;  // all zeros: the empty field
    }
    const auto wrong = [&]() { fieldFail(f, QStringLiteral("invalid value \"%1\"").arg(v.toString())); };
    switch (f.code) {
      case kAlpha: {
        const QByteArray bytes = encodeText(f, v.toString());
        if (bytes.size() > f.size)
          fieldFail(f, QStringLiteral("a value of %1 characters is longer than the field's %2").arg(bytes.size()).arg(f.size));
        std::memcpy(p, bytes.constData(), size_t(bytes.size()));
        return;
      }
      case kShort:
      case kLong:
      case kAutoInc: {
        bool ok = false;
        const qint64 n = v.toLongLong(&ok);
        if (!ok) wrong();
        const qint64 limit = f.code == kShort ? 32767 : 2147483647;
        if (n < -limit || n > limit)
          fieldFail(f, QStringLiteral("%1 is outside the range -%2 to %2").arg(n).arg(limit));
        encodeSigned(p, f.size, n);
        if (f.code == kAutoInc) autoInc = std::max(autoInc, n);
        return;
      }
      case kNumber:
      case kCurrency: {
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok || !std::isfinite(d)) wrong();
        encodeDouble(p, d);
        return;
      }
      case kBcd: {
        bool ok = false;
        const double d = v.toDouble(&ok);
        if (!ok || !std::isfinite(d)) wrong();
        if (!encodeBcd(p, f.declared, d)) fieldFail(f, QStringLiteral("%1 has too many digits").arg(d, 0, 'g', 17));
        return;
      }
      case kLogical: p[0] = v.toBool() ? 0x81 : 0x80; return;
      case kDate: {
        const QDate date = v.toDate();
        if (!date.isValid()) wrong();
        const qint64 days = date.toJulianDay() - dayNumberBase();
        if (days < 1 || days > 2147483647) fieldFail(f, QStringLiteral("dates before 1/1/0001 cannot be stored"));
        encodeSigned(p, 4, days);
        return;
      }
      case kTime: {
        const QTime time = v.toTime();
        if (!time.isValid()) wrong();
        encodeSigned(p, 4, time.msecsSinceStartOfDay());
        return;
      }
      case kTimestamp: {
        const QDateTime stamp = v.toDateTime();
        if (!stamp.isValid()) wrong();
        const qint64 days = stamp.date().toJulianDay() - dayNumberBase();
        if (days < 1) fieldFail(f, QStringLiteral("dates before 1/1/0001 cannot be stored"));
        encodeDouble(p, double(days * kMsPerDay + stamp.time().msecsSinceStartOfDay()));
        return;
      }
      case kBytes: {
        const QByteArray bytes = v.toByteArray();
        if (bytes.size() > f.size)
          fieldFail(f, QStringLiteral("a value of %1 bytes is longer than the field's %2").arg(bytes.size()).arg(f.size));
        std::memcpy(p, bytes.constData(), size_t(bytes.size()));
        return;
      }
      default: break;
    }
    const QByteArray data =
        f.code == kMemo || f.code == kFmtMemo ? encodeText(f, v.toString()) : v.toByteArray();
    if (data.isEmpty()) return;
    if (data.size() > 0x7FFFFFFF) fieldFail(f, QStringLiteral("value too large"));
    const int leader = f.size - kBlobPointerSize;
    std::memcpy(p, data.constData(), size_t(std::min<qsizetype>(leader, data.size())));
    quint32 where = 0;
    if (data.size() > leader) where = putBlob(data);
    putLe32(p + leader, where);
    putLe32(p + leader + 4, quint32(data.size()));
    putLe16(p + leader + 8, where ? kModNumber : 0);
  }

  QByteArray encodeText(const OutField& f, const QString& text) const {
    bool lossless = true;
    QByteArray bytes = encodeTableText(kWriteCodePage, text, &lossless);
    if (!lossless) fieldFail(f, QStringLiteral("the value has characters code page %1 cannot hold").arg(kWriteCodePage));
    if (f.code == kAlpha && bytes.contains('\0')) fieldFail(f, QStringLiteral("the value contains a NUL character"));
    return bytes;
  }

  // Stores a blob in the .mb file and returns its offset and index for the record.
  quint32 putBlob(const QByteArray& data) {
    const auto size = int(data.size());
    if (size <= kMbSubThreshold) {
      const int paragraphs = (size + 15) / 16;
      if (subBlock_ < 0 || subEntries_ == kMbSubEntries || subNext_ + paragraphs > kMbBlockSize / 16) {
        flushSubBlock();
        subBlock_ = reserveBlocks(1);
        sub_ = QByteArray(kMbBlockSize, 0);
        auto* s = reinterpret_cast<uchar*>(sub_.data());
        s[0] = kMbSubAllocated;
        putLe16(s + 1, 1);
        subNext_ = kMbSubDataAt / 16;
        subEntries_ = 0;
      }
      auto* s = reinterpret_cast<uchar*>(sub_.data());
      std::memcpy(s + subNext_ * 16, data.constData(), size_t(size));
      uchar* e = s + kMbSubTableAt + subEntries_ * 5;
      e[0] = uchar(subNext_);
      e[1] = uchar(paragraphs);
      putLe16(e + 2, kModNumber);
      e[4] = uchar(size - (paragraphs - 1) * 16);
      subNext_ += paragraphs;
      return quint32(subBlock_ * kMbBlockSize) | quint32(subEntries_++);
    }
    const qint64 chunks = (kMbSingleHeader + qint64(size) + kMbBlockSize - 1) / kMbBlockSize;
    const qint64 block = reserveBlocks(chunks);
    QByteArray out(chunks * kMbBlockSize, 0);
    auto* b = reinterpret_cast<uchar*>(out.data());
    b[0] = kMbSingleBlob;
    putLe16(b + 1, quint32(std::min<qint64>(chunks, 0xFFFF)));
    putLe32(b + 3, quint32(size));
    putLe16(b + 7, kModNumber);
    std::memcpy(b + kMbSingleHeader, data.constData(), size_t(size));
    writeAt(*mb_, block * kMbBlockSize, out);
    return quint32(block * kMbBlockSize) | 0xFFu;
  }

  qint64 reserveBlocks(qint64 n) {
    // Offsets are 32-bit with the low byte used as the index.
    if ((mbBlocks_ + n) * kMbBlockSize > 0xFFFFF000LL) fail(QStringLiteral("blob file larger than 4 GB"));
    const qint64 first = mbBlocks_;
    mbBlocks_ += n;
    return first;
  }

  void flushSubBlock() {
    if (subBlock_ < 0) return;
    writeAt(*mb_, subBlock_ * kMbBlockSize, sub_);
    subBlock_ = -1;
  }

  void writeAt(QFile& file, qint64 offset, const QByteArray& bytes) {
    if (!file.seek(offset) || file.write(bytes) != bytes.size())
      fail(QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString()));
  }

  std::unique_ptr<QTemporaryFile> openScratch() {
    auto file = std::make_unique<QTemporaryFile>(dir_.filePath(QStringLiteral(".%1.XXXXXX").arg(QFileInfo(path_).fileName())));
    if (!file->open()) fail(QStringLiteral("cannot create a file: %1").arg(file->errorString()));
    return file;
  }

  QByteArray buildHeader(int blockSize, int blocks) const {
    const int n = int(fields_.size());
    QList<QByteArray> names;
    int namesSize = 0;
    for (const OutField& f : fields_) {
      names.append(encodeTableText(kWriteCodePage, f.desc.name));
      namesSize += int(names.last().size()) + 1;
    }
    const int sortSize = int(sizeof(kSortOrderName) - 1);
    const int used = kDataHeaderEnd + n * 2 + 4 + n * 4 + kTableNameSize + namesSize + n * 2 + sortSize + 1;
    const int headerSize = (used + kHeaderUnit - 1) / kHeaderUnit * kHeaderUnit;
    QByteArray header(headerSize, 0);
    auto* h = reinterpret_cast<uchar*>(header.data());
    putLe16(h + kRecordSizeAt, quint32(recordSize_));
    putLe16(h + kHeaderSizeAt, quint32(headerSize));
    h[kFileTypeAt] = kFileTypeNonIndexed;
    h[kMaxTableSizeAt] = uchar(blockSize / 1024);
    putLe32(h + kNumRecordsAt, quint32(count_));
    putLe16(h + kNextBlockAt, quint32(blocks));
    putLe16(h + kFileBlocksAt, quint32(blocks));
    putLe16(h + kFirstBlockAt, blocks > 0 ? 1 : 0);
    putLe16(h + kLastBlockAt, quint32(blocks));
    putLe16(h + kNumFieldsAt, quint32(n));
    putLe32(h + kEncryption1At, kNoEncryption);
    h[kSortOrderAt] = kSortOrderCode;
    h[0x2D] = 2;  // change counts
    h[0x2E] = 1;
    h[kFileVersionAt] = kVersionLevel7;
    putLe16(h + kMaxBlocksAt, quint32(blocks));
    h[0x3E] = 0x1F;
    h[0x3F] = 0x0F;
    putLe32(h + kAutoIncAt, quint32(autoInc_));
    putLe16(h + kRealHeaderSizeAt, quint32(used));
    h[0x56] = 0x20;
    // Data header of level 4 and later.
    putLe16(h + 0x58, 0x010C);
    putLe16(h + 0x5A, 0x010C);
    putLe32(h + 0x60, quint32(std::time(nullptr)));
    putLe16(h + 0x64, quint32(n + 1));
    putLe16(h + 0x66, quint32(0x20 + n * 6 + 4 + kTableNameSize + namesSize));
    putLe16(h + kDosCodePageAt, kWriteCodePage);
    h[0x6C] = 1;
    h[0x6D] = 1;
    putLe16(h + 0x6E, quint32(0x18 + n * 8 + 4 + kTableNameSize + namesSize + sortSize));
    // Field information, the pointer slots, the table name, field names, field numbers and
    // the sort order name.
    int at = kDataHeaderEnd;
    for (const OutField& f : fields_) {
      h[at++] = f.code;
      h[at++] = uchar(f.declared);
    }
    at += 4 + n * 4;
    const QByteArray table = encodeTableText(kWriteCodePage, QFileInfo(path_).completeBaseName()).left(kTableNameSize - 1);
    std::memcpy(h + at, table.constData(), size_t(table.size()));
    at += kTableNameSize;
    for (const QByteArray& name : names) {
      std::memcpy(h + at, name.constData(), size_t(name.size()));
      at += int(name.size()) + 1;
    }
    for (int i = 0; i < n; ++i, at += 2) putLe16(h + at, quint32(i + 1));
    std::memcpy(h + at, kSortOrderName, size_t(sortSize));
    return header;
  }

  void writeTable(QFile& db) {
    // The smallest block size that holds the records in at most 65535 blocks.
    int blockSize = 0;
    qint64 perBlock = 0;
    for (int size = 2048; size <= 32768; size *= 2) {
      perBlock = (size - kBlockHeaderSize) / recordSize_;
      if (perBlock > 0 && (count_ + perBlock - 1) / perBlock <= kMaxBlocks) {
        blockSize = size;
        break;
      }
    }
    if (blockSize == 0) fail(QStringLiteral("too many records for a Paradox table"));
    const int blocks = int((count_ + perBlock - 1) / perBlock);
    writeAt(db, 0, buildHeader(blockSize, blocks));
    if (!records_->seek(0)) fail(QStringLiteral("cannot read back the records"));
    qint64 left = count_;
    for (int b = 1; b <= blocks; ++b) {
      const qint64 inBlock = std::min(left, perBlock);
      QByteArray block(blockSize, 0);
      auto* p = reinterpret_cast<uchar*>(block.data());
      putLe16(p, b < blocks ? quint32(b + 1) : 0);
      putLe16(p + 2, quint32(b - 1));
      putLe16(p + 4, quint32((inBlock - 1) * recordSize_));
      const qint64 bytes = inBlock * recordSize_;
      if (records_->read(block.data() + kBlockHeaderSize, bytes) != bytes)
        fail(QStringLiteral("cannot read back the records"));
      if (db.write(block) != block.size()) fail(QStringLiteral("cannot write: %1").arg(db.errorString()));
      left -= inBlock;
    }
  }

  void moveInto(QTemporaryFile& file, const QString& target) {
    if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(target).constData()) != 0)
      fail(QStringLiteral("cannot replace %1: %2").arg(target, QString::fromLocal8Bit(std::strerror(errno))));
    file.setAutoRemove(false);
    // Scratch files are private; the table gets the modes of any new file of the user.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(target).constData(), 0666 & ~mask);
  }

  // The blob file of the replaced table goes, whatever the case of its name, unless it is the
  // one just written or another table of the same name in another case may own it.
  void removeStaleBlobFiles() {
    const QFileInfo info(path_);
    const QString base = info.completeBaseName();
    const QStringList all = dir_.entryList(QDir::Files | QDir::Hidden);
    bool shared = false;
    for (const QString& name : all)
      if (name != info.fileName() && QFileInfo(name).completeBaseName().compare(base, Qt::CaseInsensitive) == 0 &&
          QFileInfo(name).suffix().compare(info.suffix(), Qt::CaseInsensitive) == 0)
        shared = true;
    const QString kept = hasBlobs_ ? QFileInfo(mbPath_).fileName() : QString();
    for (const QString& name : all) {
      if (name == kept || name.compare(base + QStringLiteral(".mb"), Qt::CaseInsensitive) != 0) continue;
      if (!shared || name == QFileInfo(mbPath_).fileName()) dir_.remove(name);
    }
  }

  QString path_;
  QDir dir_;
  QString mbPath_;
  QList<OutField> fields_;
  int recordSize_ = 0;
  bool hasBlobs_ = false;
  bool closed_ = false;
  qint64 count_ = 0;
  qint64 autoInc_ = 0;
  std::unique_ptr<QTemporaryFile> records_;
  std::unique_ptr<QTemporaryFile> mb_;
  qint64 mbBlocks_ = 0;
  qint64 subBlock_ = -1;  // block number of the suballocated block being filled
  QByteArray sub_;
  int subNext_ = 0;       // next free paragraph in it
  int subEntries_ = 0;
};

}  // namespace

std::unique_ptr<TableWriter> createParadoxTable(const QString& path, const QList<FieldDesc>& fields) {
  return std::make_unique<ParadoxWriter>(path, fields);
}

}  // namespace korvi::engine
