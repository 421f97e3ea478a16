#pragma once
// Text conversion between the files of this system and QString. Text files are written in
// UTF-8; a line that is not valid UTF-8 was written on Windows and is read as Windows-1252.

#include <QByteArray>
#include <QString>

namespace korvi {

// UTF-8 when the bytes are valid UTF-8, else Windows-1252.
QString decodeTextLine(QByteArrayView bytes);
bool isValidUtf8(QByteArrayView bytes);

QString fromWindows1252(QByteArrayView bytes);
// Characters without a Windows-1252 code become '?'; *lossless tells whether any did.
QByteArray toWindows1252(const QString& text, bool* lossless = nullptr);

}  // namespace korvi
