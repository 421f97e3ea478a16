#include "common/engine/paradoxformat.h"

#include <QByteArray>
#include <cmath>

namespace korvi::engine::paradox {

namespace {
constexpr int kNibbles = 34;  // nibble 0 and 1 are byte 0; digits are nibbles 2..33

int nibbleAt(const uchar* p, int i) { return (i % 2) ? (p[i / 2] & 0x0F) : (p[i / 2] >> 4); }
void setNibble(uchar* p, int i, int v) {
  if (i % 2)
    p[i / 2] = uchar((p[i / 2] & 0xF0) | v);
  else
    p[i / 2] = uchar((p[i / 2] & 0x0F) | (v << 4));
}
}  // namespace

double decodeBcd(const uchar* p, bool* ok) {
  const bool positive = p[0] & 0x80;
  const int decimals = p[0] & 0x3F;
  *ok = false;
  if (decimals > 32) return 0;
  const int flip = positive ? 0 : 0x0F;
  QByteArray text;
  text.reserve(36);
  if (!positive) text.append('-');
  for (int i = 2; i < kNibbles; ++i) {
    const int digit = nibbleAt(p, i) ^ flip;
    if (digit > 9) return 0;
    if (i == kNibbles - decimals) text.append('.');
    text.append(char('0' + digit));
  }
  return text.toDouble(ok);
}

bool encodeBcd(uchar* p, int decimals, double value) {
  if (!std::isfinite(value) || decimals < 0 || decimals > 32) return false;
  const QByteArray text = QByteArray::number(std::fabs(value), 'f', decimals);
  const qsizetype point = text.indexOf('.');
  QByteArray whole = point < 0 ? text : text.left(point);
  const QByteArray fraction = point < 0 ? QByteArray() : text.mid(point + 1);
  while (whole.size() > 1 && whole.startsWith('0')) whole.remove(0, 1);
  if (whole == "0") whole.clear();
  if (whole.size() > 32 - decimals || fraction.size() != decimals) return false;
  const bool zero = whole.isEmpty() && fraction.count('0') == fraction.size();
  const bool positive = value >= 0 || zero;
  std::memset(p, 0, kBcdSize);
  const int flip = positive ? 0 : 0x0F;
  for (int i = 2; i < kNibbles; ++i) setNibble(p, i, flip);
  const int wholeEnd = kNibbles - decimals;  // first fraction nibble
  for (qsizetype k = 0; k < whole.size(); ++k)
    setNibble(p, int(wholeEnd - whole.size() + k), (whole[k] - '0') ^ flip);
  for (int k = 0; k < decimals; ++k) setNibble(p, wholeEnd + k, (fraction[k] - '0') ^ flip);
  p[0] = uchar((positive ? 0xC0 : 0x40) | decimals);
  return true;
}

}  // namespace korvi::engine::paradox
