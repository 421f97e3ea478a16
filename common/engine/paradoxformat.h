#pragma once
// Layout of Paradox table files (.db) and their blob files (.mb), shared by the reader and
// the writer. Header integers are little-endian; field values in records are big-endian with
// the sign bit flipped, so that an all-zero field means "empty".

#include <QDate>
#include <QtGlobal>
#include <cstring>

#include "common/engine/types.h"

namespace korvi::engine::paradox {

// Field type codes of the field information array.
enum TypeCode : quint8 {
  kAlpha = 0x01,
  kDate = 0x02,
  kShort = 0x03,
  kLong = 0x04,
  kCurrency = 0x05,
  kNumber = 0x06,
  kLogical = 0x09,
  kMemo = 0x0C,
  kBlob = 0x0D,
  kFmtMemo = 0x0E,
  kOle = 0x0F,
  kGraphic = 0x10,
  kTime = 0x14,
  kTimestamp = 0x15,
  kAutoInc = 0x16,
  kBcd = 0x17,
  kBytes = 0x18,
};

// Header offsets.
constexpr int kRecordSizeAt = 0x00;
constexpr int kHeaderSizeAt = 0x02;
constexpr int kFileTypeAt = 0x04;
constexpr int kMaxTableSizeAt = 0x05;
constexpr int kNumRecordsAt = 0x06;
constexpr int kNextBlockAt = 0x0A;
constexpr int kFileBlocksAt = 0x0C;
constexpr int kFirstBlockAt = 0x0E;
constexpr int kLastBlockAt = 0x10;
constexpr int kNumFieldsAt = 0x21;
constexpr int kEncryption1At = 0x25;
constexpr int kSortOrderAt = 0x29;
constexpr int kFileVersionAt = 0x39;
constexpr int kMaxBlocksAt = 0x3A;
constexpr int kAutoIncAt = 0x49;
constexpr int kRealHeaderSizeAt = 0x51;
constexpr int kEncryption2At = 0x5C;
constexpr int kDosCodePageAt = 0x6A;

constexpr int kMainHeaderSize = 0x58;  // levels 3 and 3.5: field info follows at once
constexpr int kDataHeaderEnd = 0x78;   // level 4 and later data files: after the data header
constexpr int kBlockHeaderSize = 6;    // next block, previous block, offset of the last record
constexpr quint32 kNoEncryption = 0xFF00FF00u;

constexpr quint8 kFileTypeIndexed = 0;     // keyed table
constexpr quint8 kFileTypeNonIndexed = 2;  // table without a key
constexpr quint8 kVersionLevel7 = 0x0C;

constexpr int kMaxFieldName = 25;
constexpr int kBlobPointerSize = 10;  // offset|index, length, modification number
constexpr int kMaxBlobLeader = 240;
constexpr int kBcdSize = 17;

// Blob file: 4 KB blocks; block 0 is the header.
constexpr int kMbBlockSize = 4096;
constexpr quint8 kMbHeaderBlock = 0;
constexpr quint8 kMbSingleBlob = 2;
constexpr quint8 kMbSubAllocated = 3;
constexpr int kMbSingleHeader = 9;   // type, chunk count, length, modification number
constexpr int kMbSubTableAt = 12;    // 64 pointers of 5 bytes: offset/16, length/16, mod, rest
constexpr int kMbSubEntries = 64;
constexpr int kMbSubDataAt = 336;    // first 16-byte paragraph after the pointer table
constexpr int kMbSubThreshold = 2048;

inline bool isBlobCode(quint8 code) {
  return code == kMemo || code == kBlob || code == kFmtMemo || code == kOle || code == kGraphic;
}

inline quint16 le16(const uchar* p) { return quint16(p[0] | (p[1] << 8)); }
inline quint32 le32(const uchar* p) {
  return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}
inline void putLe16(uchar* p, quint32 v) {
  p[0] = uchar(v);
  p[1] = uchar(v >> 8);
}
inline void putLe32(uchar* p, quint32 v) {
  for (int i = 0; i < 4; ++i) p[i] = uchar(v >> (8 * i));
}

inline bool allZero(const uchar* p, int n) {
  for (int i = 0; i < n; ++i)
    if (p[i]) return false;
  return true;
}

// Integers of n bytes (2 or 4): big-endian, top bit flipped. The most negative value of the
// width encodes as all zeros, which is the empty field, so it cannot be stored.
inline qint64 decodeSigned(const uchar* p, int n) {
  quint64 u = 0;
  for (int i = 0; i < n; ++i) u = (u << 8) | p[i];
  const int bits = 8 * n;
  u ^= quint64(1) << (bits - 1);
  const quint64 sign = quint64(1) << (bits - 1);
  return qint64((u ^ sign) - sign);
}
inline void encodeSigned(uchar* p, int n, qint64 v) {
  quint64 u = quint64(v) ^ (quint64(1) << (8 * n - 1));
  for (int i = n - 1; i >= 0; --i) {
    p[i] = uchar(u);
    u >>= 8;
  }
}

// Doubles: big-endian; positive values have the sign bit set, negative ones are inverted.
inline double decodeDouble(const uchar* p) {
  uchar b[8];
  std::memcpy(b, p, 8);
  if (b[0] & 0x80) {
    b[0] &= 0x7F;
  } else {
    for (uchar& c : b) c = uchar(~c);
  }
  quint64 u = 0;
  for (uchar c : b) u = (u << 8) | c;
  double d;
  std::memcpy(&d, &u, 8);
  return d;
}
inline void encodeDouble(uchar* p, double d) {
  quint64 u;
  std::memcpy(&u, &d, 8);
  for (int i = 7; i >= 0; --i) {
    p[i] = uchar(u);
    u >>= 8;
  }
  if (p[0] & 0x80) {
    for (int i = 0; i < 8; ++i) p[i] = uchar(~p[i]);
  } else {
    p[0] |= 0x80;
  }
}

constexpr qint64 kMsPerDay = 86400000;
// Dates count days from 1 January 0001 (day 1), proleptic Gregorian.
inline qint64 dayNumberBase() { return QDate(1, 1, 1).toJulianDay() - 1; }

// Paradox type code of a field type, 0 when Paradox has no such type.
inline quint8 codeOf(FieldType type) {
  switch (type) {
    case FieldType::ftString: return kAlpha;
    case FieldType::ftSmallint: return kShort;
    case FieldType::ftInteger:
    case FieldType::ftWord: return kLong;
    case FieldType::ftBoolean: return kLogical;
    case FieldType::ftFloat: return kNumber;
    case FieldType::ftCurrency: return kCurrency;
    case FieldType::ftBCD: return kBcd;
    case FieldType::ftDate: return kDate;
    case FieldType::ftTime: return kTime;
    case FieldType::ftDateTime: return kTimestamp;
    case FieldType::ftBytes:
    case FieldType::ftVarBytes: return kBytes;
    case FieldType::ftAutoInc: return kAutoInc;
    case FieldType::ftBlob: return kBlob;
    case FieldType::ftMemo: return kMemo;
    case FieldType::ftGraphic: return kGraphic;
    case FieldType::ftFmtMemo: return kFmtMemo;
    case FieldType::ftParadoxOle: return kOle;
    default: return 0;
  }
}

// Field type of a Paradox type code, ftUnknown for an unknown code.
inline FieldType fieldTypeOf(quint8 code) {
  switch (code) {
    case kAlpha: return FieldType::ftString;
    case kDate: return FieldType::ftDate;
    case kShort: return FieldType::ftSmallint;
    case kLong: return FieldType::ftInteger;
    case kCurrency: return FieldType::ftCurrency;
    case kNumber: return FieldType::ftFloat;
    case kLogical: return FieldType::ftBoolean;
    case kMemo: return FieldType::ftMemo;
    case kBlob: return FieldType::ftBlob;
    case kFmtMemo: return FieldType::ftFmtMemo;
    case kOle: return FieldType::ftParadoxOle;
    case kGraphic: return FieldType::ftGraphic;
    case kTime: return FieldType::ftTime;
    case kTimestamp: return FieldType::ftDateTime;
    case kAutoInc: return FieldType::ftAutoInc;
    case kBcd: return FieldType::ftBCD;
    case kBytes: return FieldType::ftBytes;
    default: return FieldType::ftUnknown;
  }
}

// Bytes a field of the given code and declared size takes in a record; 0 when the declared
// size is not valid for the type. BCD fields declare their decimals and take 17 bytes.
inline int storedSize(quint8 code, int declared) {
  switch (code) {
    case kAlpha:
    case kBytes: return declared >= 1 && declared <= 255 ? declared : 0;
    case kShort: return declared == 2 ? 2 : 0;
    case kLogical: return declared == 1 ? 1 : 0;
    case kDate:
    case kLong:
    case kTime:
    case kAutoInc: return declared == 4 ? 4 : 0;
    case kCurrency:
    case kNumber:
    case kTimestamp: return declared == 8 ? 8 : 0;
    case kBcd: return declared >= 0 && declared <= 32 ? kBcdSize : 0;
    case kMemo:
    case kBlob:
    case kFmtMemo:
    case kOle:
    case kGraphic:
      return declared >= kBlobPointerSize && declared <= kBlobPointerSize + kMaxBlobLeader ? declared : 0;
    default: return 0;
  }
}

// BCD: byte 0 holds the sign (0x80 positive) and the number of decimals in its low six bits;
// 32 digit nibbles follow, inverted for negative numbers. 0x40 keeps byte 0 non-zero.
double decodeBcd(const uchar* p, bool* ok);
// False when the value has more integer digits than the field holds.
bool encodeBcd(uchar* p, int decimals, double value);

}  // namespace korvi::engine::paradox
