// Reader of Paradox tables, levels 3 to 7: the .db file of header and data blocks, and the
// .mb file holding blob and memo values that do not fit in the record.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <vector>

#include "common/engine/codepages.h"
#include "common/engine/paradoxformat.h"
#include "common/engine/tablefiles.h"

namespace korvi::engine {

using namespace paradox;

namespace {

// A file held in memory (mapped when possible) with its size.
class FileBytes {
 public:
  // False when the file cannot be opened or read.
  bool load(const QString& path) {
    file_.setFileName(path);
    if (!file_.open(QIODevice::ReadOnly)) return false;
    size_ = file_.size();
    if (size_ > 0) {
      data_ = file_.map(0, size_);
      if (!data_) {
        copy_ = file_.readAll();
        if (copy_.size() != size_) return false;
        data_ = reinterpret_cast<const uchar*>(copy_.constData());
      }
    }
    return true;
  }
  const uchar* data() const { return data_; }
  qint64 size() const { return size_; }
  // Whether [offset, offset + length) lies inside the file.
  bool holds(qint64 offset, qint64 length) const {
    return offset >= 0 && length >= 0 && offset <= size_ && length <= size_ - offset;
  }
  QString errorString() const { return file_.errorString(); }

 private:
  QFile file_;
  QByteArray copy_;
  const uchar* data_ = nullptr;
  qint64 size_ = 0;
};

struct StoredField {
  FieldDesc desc;
  quint8 code = 0;
  int size = 0;    // bytes in the record
  int offset = 0;  // from the start of the record
};

struct DataBlock {
  qint64 offset;  // of the block's first record in the file
  qint64 first;   // table-wide number of its first record
  int count;
};

class ParadoxReader final : public TableReader {
 public:
  explicit ParadoxReader(const QString& path) : path_(path) {
    if (!db_.load(path)) fail(QStringLiteral("cannot open the table: %1").arg(db_.errorString()));
    readHeader();
    readBlockChain();
  }

  const QList<FieldDesc>& fields() const override { return descs_; }
  qint64 recordCount() const override { return records_; }

  bool readRecord(qint64 i, Row& row) override {
    if (i < 0 || i >= records_)
      throw EngineError(QStringLiteral("%1: record %2 does not exist").arg(path_).arg(i + 1));
    auto it = std::upper_bound(blocks_.begin(), blocks_.end(), i,
                               [](qint64 n, const DataBlock& b) { return n < b.first; });
    --it;
    const uchar* record = db_.data() + it->offset + (i - it->first) * recordSize_;
    row.clear();
    row.reserve(fields_.size());
    for (const StoredField& f : fields_) row.append(decodeField(f, record + f.offset));
    return true;
  }

 private:
  [[noreturn]] void fail(const QString& why) const {
    throw EngineError(QStringLiteral("%1: %2").arg(path_, why));
  }
  [[noreturn]] void damaged(const QString& why) const {
    fail(QStringLiteral("damaged Paradox table (%1)").arg(why));
  }

  void readHeader() {
    const uchar* h = db_.data();
    if (db_.size() < kMainHeaderSize) damaged(QStringLiteral("file shorter than its header"));
    recordSize_ = le16(h + kRecordSizeAt);
    headerSize_ = le16(h + kHeaderSizeAt);
    const quint8 fileType = h[kFileTypeAt];
    const int maxTableSize = h[kMaxTableSizeAt];
    const int version = h[kFileVersionAt];
    const int numFields = qint16(le16(h + kNumFieldsAt));

    if (version < 3 || version > 12)
      fail(QStringLiteral("unknown Paradox file version %1 (not supported)").arg(version));
    if (fileType != kFileTypeIndexed && fileType != kFileTypeNonIndexed)
      fail(QStringLiteral("not a Paradox data table (file type %1)").arg(fileType));
    if (maxTableSize < 1 || maxTableSize > 32) damaged(QStringLiteral("block size %1 KB").arg(maxTableSize));
    blockSize_ = maxTableSize * 1024;
    if (recordSize_ == 0) damaged(QStringLiteral("record size of 0"));
    if (recordSize_ > blockSize_ - kBlockHeaderSize)
      damaged(QStringLiteral("record size %1 larger than a block").arg(recordSize_));
    if (headerSize_ < kMainHeaderSize || headerSize_ > db_.size())
      damaged(QStringLiteral("header size %1 outside the file").arg(headerSize_));
    if (numFields <= 0) damaged(QStringLiteral("field count %1").arg(numFields));

    // Levels 4 and later have a data header after the main one, with the code page.
    const bool dataHeader = version >= 5;
    const int fieldInfoAt = dataHeader ? kDataHeaderEnd : kMainHeaderSize;
    if (dataHeader && headerSize_ < kDataHeaderEnd) damaged(QStringLiteral("header too short"));
    codePage_ = dataHeader ? le16(h + kDosCodePageAt) : 0;
    if (!tableCodePageSupported(codePage_)) codePage_ = 1252;

    const quint32 encryption = le32(h + kEncryption1At);
    if ((encryption != 0 && encryption != kNoEncryption) ||
        (encryption == kNoEncryption && dataHeader && le32(h + kEncryption2At) != 0))
      fail(QStringLiteral("encrypted Paradox tables are not supported"));

    // Field information, then the table name pointer, one pointer per field name, the table
    // name and the field names themselves.
    const qint64 infoEnd = fieldInfoAt + qint64(numFields) * 2;
    if (infoEnd > headerSize_) damaged(QStringLiteral("field count %1 past the header").arg(numFields));
    int offset = 0;
    for (int i = 0; i < numFields; ++i) {
      StoredField f;
      f.code = h[fieldInfoAt + 2 * i];
      const int declared = h[fieldInfoAt + 2 * i + 1];
      f.desc.type = fieldTypeOf(f.code);
      if (f.desc.type == FieldType::ftUnknown)
        fail(QStringLiteral("field %1 has a field type (0x%2) that is not supported")
                 .arg(i + 1)
                 .arg(f.code, 2, 16, QLatin1Char('0')));
      f.size = storedSize(f.code, declared);
      if (f.size == 0) damaged(QStringLiteral("field %1 has an invalid size %2").arg(i + 1).arg(declared));
      if (f.code == kAlpha || f.code == kBytes) f.desc.size = declared;
      if (isBlobCode(f.code)) f.desc.size = declared - kBlobPointerSize;
      if (f.code == kBcd) f.desc.decimals = declared;
      f.offset = offset;
      offset += f.size;
      fields_.append(f);
    }
    if (offset != recordSize_)
      damaged(QStringLiteral("record size %1 does not match its fields (%2)").arg(recordSize_).arg(offset));

    const int tableNameSize = version >= 12 ? 261 : 79;
    qint64 at = infoEnd + 4 + qint64(numFields) * 4 + tableNameSize;
    for (StoredField& f : fields_) {
      qint64 end = at;
      while (end < headerSize_ && h[end] != 0) ++end;
      if (end >= headerSize_) damaged(QStringLiteral("field names past the header"));
      f.desc.name = decodeTableText(codePage_, QByteArrayView(h + at, end - at));
      at = end + 1;
      descs_.append(f.desc);
    }
  }

  void readBlockChain() {
    const uchar* h = db_.data();
    const int fileBlocks = le16(h + kFileBlocksAt);
    int block = le16(h + kFirstBlockAt);
    const qint64 declared = le32(h + kNumRecordsAt);
    if (block == 0) {
      if (declared != 0) damaged(QStringLiteral("records without data blocks"));
      return;
    }
    std::vector<bool> visited(size_t(fileBlocks) + 1, false);
    records_ = 0;
    while (block != 0) {
      if (block > fileBlocks)
        damaged(QStringLiteral("block number %1 past the %2 blocks of the table").arg(block).arg(fileBlocks));
      if (visited[size_t(block)]) damaged(QStringLiteral("data block chain loops at block %1").arg(block));
      visited[size_t(block)] = true;
      const qint64 start = headerSize_ + qint64(block - 1) * blockSize_;
      if (!db_.holds(start, kBlockHeaderSize))
        damaged(QStringLiteral("block %1 past the end of the file").arg(block));
      const uchar* b = h + start;
      const int lastOffset = qint16(le16(b + 4));
      int count = 0;
      if (lastOffset >= 0) {
        if (lastOffset % recordSize_ != 0 || lastOffset + recordSize_ > blockSize_ - kBlockHeaderSize)
          damaged(QStringLiteral("block %1 has an invalid record count").arg(block));
        count = lastOffset / recordSize_ + 1;
      }
      if (!db_.holds(start + kBlockHeaderSize, qint64(count) * recordSize_))
        damaged(QStringLiteral("block %1 past the end of the file").arg(block));
      if (count > 0) {
        blocks_.push_back({start + kBlockHeaderSize, records_, count});
        records_ += count;
      }
      block = le16(b);
    }
  }

  QVariant decodeField(const StoredField& f, const uchar* p) {
    if (allZero(p, f.size)) return {};
    switch (f.code) {
      case kAlpha: {
        int n = 0;
        while (n < f.size && p[n] != 0) ++n;
        return decodeTableText(codePage_, QByteArrayView(p, n));
      }
      case kShort:
      case kLong:
      case kAutoInc: return decodeSigned(p, f.size);
      case kDate: {
        const qint64 days = decodeSigned(p, 4);
        if (days <= 0) badValue(f);
        return QDate::fromJulianDay(dayNumberBase() + days);
      }
      case kTime: {
        const qint64 ms = decodeSigned(p, 4);
        if (ms < 0 || ms >= kMsPerDay) badValue(f);
        return QTime::fromMSecsSinceStartOfDay(int(ms));
      }
      case kTimestamp: {
        const double value = decodeDouble(p);
        if (!std::isfinite(value) || value < kMsPerDay || value > 1e15) badValue(f);
        const auto ms = qint64(std::llround(value));
        const QDate date = QDate::fromJulianDay(dayNumberBase() + ms / kMsPerDay);
        return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(ms % kMsPerDay)));
      }
      case kNumber:
      case kCurrency: return decodeDouble(p);
      case kLogical:
        if (p[0] == 0x80) return false;
        if (p[0] == 0x81) return true;
        badValue(f);
      case kBcd: {
        bool ok = false;
        const double value = decodeBcd(p, &ok);
        if (!ok) badValue(f);
        return value;
      }
      case kBytes: return QByteArray(reinterpret_cast<const char*>(p), f.size);
      default: break;
    }
    const QByteArray data = readBlob(f, p);
    if (data.isEmpty()) return {};
    if (f.code == kMemo || f.code == kFmtMemo) return decodeTableText(codePage_, data);
    return data;
  }

  [[noreturn]] void badValue(const StoredField& f) const {
    damaged(QStringLiteral("invalid value in field %1").arg(f.desc.name));
  }

  // A blob's leader: the start of its data, then offset|index, length and modification number.
  QByteArray readBlob(const StoredField& f, const uchar* p) {
    const int leader = f.size - kBlobPointerSize;
    const quint32 where = le32(p + leader);
    const qint64 length = le32(p + leader + 4);
    if (length == 0) return {};
    if (length <= leader) return QByteArray(reinterpret_cast<const char*>(p), int(length));
    openBlobFile();
    const auto fail = [&](const QString& why) -> QByteArray {
      throw EngineError(QStringLiteral("%1: damaged blob file (%2, field %3)").arg(mbPath_, why, f.desc.name));
    };
    const qint64 start = where & 0xFFFFFF00u;
    const int index = int(where & 0xFF);
    if (start < kMbBlockSize || !mb_.holds(start, kMbSingleHeader))
      return fail(QStringLiteral("blob offset %1 outside the file").arg(start));
    const uchar* b = mb_.data() + start;
    if (b[0] == kMbSingleBlob) {
      if (index != 0xFF) return fail(QStringLiteral("single blob with index %1").arg(index));
      if (le32(b + 3) != length) return fail(QStringLiteral("blob length mismatch at %1").arg(start));
      if (!mb_.holds(start + kMbSingleHeader, length))
        return fail(QStringLiteral("blob at %1 past the end of the file").arg(start));
      return QByteArray(reinterpret_cast<const char*>(b + kMbSingleHeader), qsizetype(length));
    }
    if (b[0] == kMbSubAllocated) {
      if (index >= kMbSubEntries) return fail(QStringLiteral("blob index %1").arg(index));
      if (!mb_.holds(start, kMbBlockSize)) return fail(QStringLiteral("block at %1 truncated").arg(start));
      const uchar* e = b + kMbSubTableAt + index * 5;
      const qint64 stored = (qint64(e[1]) - 1) * 16 + e[4];
      if (e[0] == 0 || e[1] == 0 || stored != length)
        return fail(QStringLiteral("blob length mismatch at %1").arg(start));
      const qint64 dataAt = qint64(e[0]) * 16;
      if (dataAt + length > kMbBlockSize)
        return fail(QStringLiteral("blob past its block at %1").arg(start));
      return QByteArray(reinterpret_cast<const char*>(b + dataAt), qsizetype(length));
    }
    return fail(QStringLiteral("block at %1 of type %2 holds no blob").arg(start).arg(b[0]));
  }

  void openBlobFile() {
    if (mbOpen_) return;
    if (!mbError_.isEmpty()) throw EngineError(mbError_);
    const QFileInfo info(path_);
    const QDir dir = info.dir();
    QString name = info.completeBaseName() + QStringLiteral(".mb");
    if (!dir.exists(name)) {
      const QStringList all = dir.entryList(QDir::Files);
      for (const QString& candidate : all)
        if (candidate.compare(name, Qt::CaseInsensitive) == 0) {
          name = candidate;
          break;
        }
    }
    mbPath_ = dir.filePath(name);
    if (!mb_.load(mbPath_))
      mbError_ = QStringLiteral("%1: cannot open the blob file of %2").arg(mbPath_, path_);
    else if (mb_.size() < kMbSingleHeader || mb_.data()[0] != kMbHeaderBlock)
      mbError_ = QStringLiteral("%1: not a Paradox blob file").arg(mbPath_);
    if (!mbError_.isEmpty()) throw EngineError(mbError_);
    mbOpen_ = true;
  }

  QString path_;
  FileBytes db_;
  FileBytes mb_;
  QString mbPath_;
  bool mbOpen_ = false;
  QString mbError_;
  int recordSize_ = 0;
  int headerSize_ = 0;
  int blockSize_ = 0;
  int codePage_ = 0;
  QList<StoredField> fields_;
  QList<FieldDesc> descs_;
  std::vector<DataBlock> blocks_;
  qint64 records_ = 0;
};

}  // namespace

std::unique_ptr<TableReader> openParadoxTable(const QString& path) {
  return std::make_unique<ParadoxReader>(path);
}

}  // namespace korvi::engine
