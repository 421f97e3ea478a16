#pragma once
// dBase table internals shared by the reader, the writer, their tests and the fuzz target.
// Callers outside the engine use openDbfTable/createDbfTable of tablefiles.h.
//
// Field type mapping when reading:
//   C            ftString (size = length; trailing blanks trimmed; an all-blank value is null)
//   N, 0 decimals  length <= 4 ftSmallint, <= 11 ftInteger (every 32-bit value fits, and the
//                value form is qint64 anyway), longer ftFloat with decimals 0
//   N with decimals, F  ftFloat (FieldDesc.decimals kept)
//   L            ftBoolean ('?' or blank = null)
//   D            ftDate (blank or zeros = null)
//   M            ftMemo (.dbt; dBase III 0x1A-terminated or dBase IV length-prefixed blocks;
//                .fpt for the FoxPro versions)
//   B, G, P      ftBlob, ftGraphic, ftGraphic (binary memo blocks); B of Visual FoxPro
//                tables is a double (ftFloat)
//   I, Y, T      Visual FoxPro integer, currency and date-time (ftInteger, ftCurrency,
//                ftDateTime)
// The Visual FoxPro system field "_NullFlags" (type 0) is not reported.

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <memory>

#include "common/engine/types.h"

namespace korvi::engine::dbase {

// Code pages a dBase language driver byte (header offset 29) can select.
enum class CodePage { Windows1252, Ibm437, Ibm850 };

// The code page of a language driver id; Windows-1252 when 0 or unknown.
CodePage codePageOfDriver(quint8 driverId);
QString decodeText(QByteArrayView bytes, CodePage page);

// The language driver id the writer stores: Windows ANSI (1252).
constexpr quint8 kAnsiDriver = 0x57;

// Opens a table from devices. name is the .dbf path shown in errors; memoName the memo
// file's path. memo may be null when the table has no memo file beside it (an error is
// raised only when a memo value is read). The reader owns both devices.
std::unique_ptr<TableReader> openDbfDevices(const QString& name, std::unique_ptr<QIODevice> dbf,
                                            const QString& memoName,
                                            std::unique_ptr<QIODevice> memo);

// The file beside a .dbf with the given extension ("dbt", "fpt"): its existing path, looked
// up case-insensitively in the directory, or an empty string.
QString memoFileBeside(const QString& dbfPath, const QString& extension);

}  // namespace korvi::engine::dbase
