#pragma once
// Single-byte code pages of table files (dBase and Paradox): the DOS code pages old tables were written in and
// the Windows ones of later levels. Windows-1252 is the default.

#include <QByteArray>
#include <QString>

namespace korvi::engine {

// Whether texts in code page `number` can be read and written (0 counts as the default).
bool tableCodePageSupported(int number);
// Decodes bytes of code page `number`; an unsupported number decodes as Windows-1252.
QString decodeTableText(int number, QByteArrayView bytes);
// Encodes into code page `number`. Characters the page lacks become '?' and clear *lossless.
QByteArray encodeTableText(int number, const QString& text, bool* lossless = nullptr);

}  // namespace korvi::engine
