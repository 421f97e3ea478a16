// Code pages of dBase language drivers: the DOS code pages 437 and 850 and Windows-1252,
// through the table code pages shared with the other formats.
#include <QDir>
#include <QFileInfo>

#include "common/engine/codepages.h"
#include "common/engine/dbase.h"
#include "common/text/codepage.h"

namespace korvi::engine::dbase {

CodePage codePageOfDriver(quint8 id) {
  switch (id) {
    // US, Dutch, Finnish, French, German, Italian, Swedish, Spanish, English OEM drivers.
    case 0x01: case 0x09: case 0x0B: case 0x0D: case 0x0F: case 0x11: case 0x15: case 0x18:
    case 0x19: case 0x1B:
      return CodePage::Ibm437;
    // International MS-DOS and the "*" variants of the national OEM drivers.
    case 0x02: case 0x0A: case 0x0E: case 0x10: case 0x12: case 0x14: case 0x16: case 0x1A:
    case 0x1D: case 0x25: case 0x37:
      return CodePage::Ibm850;
    default:
      // 0x03, 0x57, 0x58, 0x59 are Windows ANSI; 0 and unknown drivers are read as ANSI too.
      return CodePage::Windows1252;
  }
}

QString decodeText(QByteArrayView bytes, CodePage page) {
  switch (page) {
    case CodePage::Ibm437: return decodeTableText(437, bytes);
    case CodePage::Ibm850: return decodeTableText(850, bytes);
    case CodePage::Windows1252: break;
  }
  return fromWindows1252(bytes);
}

QString memoFileBeside(const QString& dbfPath, const QString& extension) {
  const QFileInfo info(dbfPath);
  const QString base = info.completeBaseName();
  for (const QString& ext : {extension.toLower(), extension.toUpper()}) {
    const QString candidate = info.dir().filePath(base + QLatin1Char('.') + ext);
    if (QFileInfo(candidate).isFile()) return candidate;
  }
  const QString wanted = (base + QLatin1Char('.') + extension).toLower();
  const QStringList entries = info.dir().entryList(QDir::Files | QDir::Hidden);
  for (const QString& entry : entries)
    if (entry.toLower() == wanted) return info.dir().filePath(entry);
  return QString();
}

}  // namespace korvi::engine::dbase
