#include "common/text/codepage.h"

#include <QStringDecoder>

namespace korvi {
namespace {

// Windows-1252 code points 0x80..0x9F; 0 marks the five unassigned codes, which are read
// as the C1 control of the same number as Windows itself does.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

bool isValidUtf8(QByteArrayView bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  (void)decoder.decode(bytes);
  return !decoder.hasError();
}

QString decodeTextLine(QByteArrayView bytes) {
  bool ascii = true;
  for (char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) { ascii = false; break; }
  if (ascii) return QString::fromLatin1(bytes);
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = decoder.decode(bytes);
  if (!decoder.hasError()) return text;
  return fromWindows1252(bytes);
}

QString fromWindows1252(QByteArrayView bytes) {
  QString out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x80 && b < 0xA0 && kHigh[b - 0x80] != 0)
      out.append(QChar(kHigh[b - 0x80]));
    else
      out.append(QChar(b));
  }
  return out;
}

QByteArray toWindows1252(const QString& text, bool* lossless) {
  QByteArray out;
  out.reserve(text.size());
  bool exact = true;
  for (QChar ch : text) {
    const char16_t u = ch.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF) || (u >= 0x80 && u < 0xA0 && kHigh[u - 0x80] == 0)) {
      out.append(static_cast<char>(u));
      continue;
    }
    int found = -1;
    for (int i = 0; i < 32; ++i)
      if (kHigh[i] == u) { found = i; break; }
    if (found >= 0) {
      out.append(static_cast<char>(0x80 + found));
    } else {
      out.append('?');
      exact = false;
    }
  }
  if (lossless) *lossless = exact;
  return out;
}

}  // namespace korvi
