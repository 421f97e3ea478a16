#pragma once
// The engine's vocabulary: field types, field descriptions, errors and the table file
// reader/writer interfaces that each table format implements.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <memory>
#include <stdexcept>

namespace korvi::engine {

// Ordinals are stored and compared: keep this order.
enum class FieldType {
  ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD,
  ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic,
  ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary
};

// Field types whose values are bytes (QByteArray), not text or numbers.
constexpr bool isBinaryType(FieldType t) {
  return t == FieldType::ftBytes || t == FieldType::ftVarBytes || t == FieldType::ftBlob ||
         t == FieldType::ftGraphic || t == FieldType::ftParadoxOle || t == FieldType::ftDBaseOle ||
         t == FieldType::ftTypedBinary;
}

struct FieldDesc {
  QString name;
  FieldType type = FieldType::ftUnknown;
  int size = 0;      // characters for strings, bytes for bytes/blob fields, 0 otherwise
  int decimals = 0;  // digits after the point (dBase N/F, Paradox BCD)
  bool operator==(const FieldDesc&) const = default;
};

// Every engine failure. The text is what callers show after "Erreur IDAPI : ".
class EngineError : public std::runtime_error {
 public:
  explicit EngineError(const QString& text, bool notSupported = false)
      : std::runtime_error(text.toStdString()), text_(text), notSupported_(notSupported) {}
  const QString& text() const { return text_; }
  // The feature asked for is not supported (its text says "not supported").
  bool notSupported() const { return notSupported_; }

 private:
  QString text_;
  bool notSupported_;
};

// Values crossing the table readers and writers, by field type:
//   null            QVariant() (an empty field)
//   ftString        QString
//   ftSmallint, ftInteger, ftWord, ftAutoInc   qint64
//   ftFloat, ftCurrency, ftBCD                 double
//   ftBoolean       bool
//   ftDate          QDate;  ftTime QTime;  ftDateTime QDateTime (no time zone, Qt::LocalTime)
//   ftMemo, ftFmtMemo  QString
//   ftBytes, ftVarBytes, ftBlob, ftGraphic, ftParadoxOle, ftDBaseOle, ftTypedBinary  QByteArray
using Row = QList<QVariant>;

// Reads one table file. Every size, count and offset is checked against the file: a damaged
// file throws EngineError naming the file, never crashes, never hangs.
class TableReader {
 public:
  virtual ~TableReader() = default;
  virtual const QList<FieldDesc>& fields() const = 0;
  // Number of record slots in the file (deleted records included).
  virtual qint64 recordCount() const = 0;
  // Reads record i (0-based) into row; returns false for a deleted record.
  virtual bool readRecord(qint64 i, Row& row) = 0;
};

// Writes a new table file, replacing an existing one.
class TableWriter {
 public:
  virtual ~TableWriter() = default;
  virtual void appendRecord(const Row& row) = 0;
  // Completes the file (headers, counts, memo file). Nothing is valid before it.
  virtual void close() = 0;
};

}  // namespace korvi::engine
