#include "common/ini/inifile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "common/text/codepage.h"

namespace korvi {

IniWriteError::IniWriteError(const QString& path)
    : std::runtime_error(QStringLiteral("Unable to write to %1").arg(path).toStdString()), path_(path) {}

QString IniWriteError::text() const { return QStringLiteral("Unable to write to %1").arg(path_); }

namespace {

enum class LineKind { Blank, Comment, Section, Key, Other };

struct Line {
  LineKind kind = LineKind::Other;
  QString text;   // the whole line as read or written
  QString name;   // section name or key, trimmed
  QString value;  // key value, trimmed, outer quotes removed
};

// What identifies one state of a file on disk.
struct Signature {
  bool exists = false;
  bool regular = false;
  qint64 size = 0;
  qint64 mtimeNs = 0;
  qint64 ctimeNs = 0;
  quint64 inode = 0;
  bool anyWriteBit = false;
  bool operator==(const Signature&) const = default;
};

Signature signatureOf(const QString& path) {
  Signature s;
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return s;
  s.exists = true;
  s.regular = S_ISREG(st.st_mode);
  s.size = st.st_size;
  s.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  s.ctimeNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  s.inode = st.st_ino;
  s.anyWriteBit = (st.st_mode & 0222) != 0;
  return s;
}

}  // namespace

bool fileRefusesWrites(const QString& path) {
  const Signature sig = signatureOf(path);
  if (!sig.exists) return false;
  return !sig.regular || !sig.anyWriteBit || ::access(QFile::encodeName(path).constData(), W_OK) != 0;
}

namespace {

QString sectionKey(const QString& name) { return name.toCaseFolded(); }

Line parseLine(const QString& text) {
  Line line;
  line.text = text;
  const QString t = text.trimmed();
  if (t.isEmpty()) {
    line.kind = LineKind::Blank;
  } else if (t.startsWith(QLatin1Char(';'))) {
    line.kind = LineKind::Comment;
  } else if (t.startsWith(QLatin1Char('['))) {
    const qsizetype close = t.lastIndexOf(QLatin1Char(']'));
    if (close > 0) {
      line.kind = LineKind::Section;
      line.name = t.mid(1, close - 1).trimmed();
    }
  } else {
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq > 0) {
      line.kind = LineKind::Key;
      line.name = t.left(eq).trimmed();
      QString v = t.mid(eq + 1).trimmed();
      if (v.size() >= 2 && v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"')))
        v = v.mid(1, v.size() - 2);
      line.value = v;
    }
  }
  return line;
}

// Keeps keys and values on one line of their own.
QString oneLine(QString s) {
  s.replace(QLatin1Char('\r'), QLatin1Char(' '));
  s.replace(QLatin1Char('\n'), QLatin1Char(' '));
  return s;
}

}  // namespace

struct IniFile::Content {
  Signature signature;
  bool crlf = true;
  std::vector<Line> lines;
  // Case-folded section name -> indexes of its header lines, in file order.
  QHash<QString, std::vector<size_t>> headers;
  QStringList sectionOrder;
  // Case-folded section name -> case-folded key -> index of its first line.
  QHash<QString, QHash<QString, size_t>> keys;

  void index() {
    headers.clear();
    sectionOrder.clear();
    keys.clear();
    QHash<QString, size_t>* current = nullptr;
    for (size_t i = 0; i < lines.size(); ++i) {
      const Line& l = lines[i];
      if (l.kind == LineKind::Section) {
        const QString folded = sectionKey(l.name);
        auto& list = headers[folded];
        if (list.empty()) sectionOrder << l.name;
        list.push_back(i);
        current = &keys[folded];
      } else if (l.kind == LineKind::Key && current) {
        const QString folded = l.name.toCaseFolded();
        if (!current->contains(folded)) current->insert(folded, i);
      }
    }
  }

  // The end (exclusive) of the section whose header is at index h.
  size_t sectionEnd(size_t h) const {
    size_t i = h + 1;
    while (i < lines.size() && lines[i].kind != LineKind::Section) ++i;
    return i;
  }

  const std::vector<size_t>* headersOf(const QString& section) const {
    auto it = headers.constFind(sectionKey(section));
    return it == headers.constEnd() ? nullptr : &it.value();
  }

  // Index of the first line holding the key in the section, or -1.
  qsizetype findKey(const QString& section, const QString& key) const {
    const auto s = keys.constFind(sectionKey(section));
    if (s == keys.constEnd()) return -1;
    const auto k = s->constFind(key.trimmed().toCaseFolded());
    return k == s->constEnd() ? -1 : qsizetype(k.value());
  }

  QByteArray serialize() const {
    const QByteArray eol = crlf ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
    QByteArray out;
    qsizetype total = 0;
    for (const Line& l : lines) total += l.text.size() + 2;
    out.reserve(total);
    for (const Line& l : lines) {
      out += l.text.toUtf8();
      out += eol;
    }
    return out;
  }

  static Content parse(const QString& path, const Signature& sig) {
    Content c;
    c.signature = sig;
    if (sig.exists && sig.regular) {
      QFile f(path);
      if (f.open(QIODevice::ReadOnly)) {
        const QByteArray data = f.readAll();
        qsizetype start = 0;
        bool sawLf = false, sawCrLf = false;
        while (start < data.size()) {
          qsizetype end = data.indexOf('\n', start);
          if (end < 0) end = data.size();
          qsizetype lineEnd = end;
          if (end < data.size()) {
            sawLf = true;
            if (lineEnd > start && data[lineEnd - 1] == '\r') {
              --lineEnd;
              sawCrLf = true;
            }
          }
          c.lines.push_back(parseLine(decodeTextLine(QByteArrayView(data).sliced(start, lineEnd - start))));
          start = end + 1;
        }
        c.crlf = sawCrLf || !sawLf;
      }
    }
    c.index();
    return c;
  }
};

IniFile::IniFile(QString path) : path_(std::move(path)) {}
IniFile::~IniFile() = default;
IniFile::IniFile(IniFile&&) noexcept = default;
IniFile& IniFile::operator=(IniFile&&) noexcept = default;

const IniFile::Content& IniFile::content() const {
  if (holding_ && cache_) return *cache_;
  const Signature sig = signatureOf(path_);
  if (!cache_ || !(cache_->signature == sig)) cache_ = std::make_unique<Content>(Content::parse(path_, sig));
  return *cache_;
}

void IniFile::commit(Content& changed) {
  if (holding_) {
    changed.index();
    cache_ = std::make_unique<Content>(std::move(changed));
    pending_ = true;
    return;
  }
  if (fileRefusesWrites(path_)) throw IniWriteError(path_);
  QSaveFile out(path_);
  out.setDirectWriteFallback(true);
  if (!out.open(QIODevice::WriteOnly)) throw IniWriteError(path_);
  const QByteArray data = changed.serialize();
  if (out.write(data) != data.size() || !out.commit()) throw IniWriteError(path_);
  changed.signature = signatureOf(path_);
  changed.index();
  cache_ = std::make_unique<Content>(std::move(changed));
}

void IniFile::holdWrites() {
  content();
  holding_ = true;
}

void IniFile::flush() {
  holding_ = false;
  if (!pending_) return;
  pending_ = false;
  Content held = std::move(*cache_);
  cache_.reset();
  commit(held);
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const {
  const Content& c = content();
  const qsizetype i = c.findKey(section, key);
  return i < 0 ? def : c.lines[size_t(i)].value;
}

void IniFile::writeString(const QString& section, const QString& rawKey, const QString& rawValue) {
  Content c = content();
  const QString key = oneLine(rawKey).trimmed();
  const QString value = oneLine(rawValue);
  const QString text = key + QLatin1Char('=') + value;
  const qsizetype found = c.findKey(section, key);
  if (found >= 0) {
    c.lines[size_t(found)] = parseLine(text);
  } else if (const auto* hs = c.headersOf(section)) {
    const size_t h = hs->front();
    size_t at = c.sectionEnd(h);
    while (at > h + 1 && c.lines[at - 1].kind == LineKind::Blank) --at;
    c.lines.insert(c.lines.begin() + qsizetype(at), parseLine(text));
  } else {
    if (!c.lines.empty() && c.lines.back().kind != LineKind::Blank) c.lines.push_back(parseLine(QString()));
    c.lines.push_back(parseLine(QLatin1Char('[') + oneLine(section) + QLatin1Char(']')));
    c.lines.push_back(parseLine(text));
  }
  commit(c);
}

bool IniFile::parseCount(const QString& raw, int& value) {
  const QString text = raw.trimmed();
  bool ok = false;
  qlonglong v = 0;
  if (text.size() > 2 && (text.startsWith(QLatin1String("0x")) || text.startsWith(QLatin1String("0X")))) {
    const qulonglong u = text.mid(2).toULongLong(&ok, 16);
    ok = ok && u <= 0xFFFFFFFFull;
    v = qlonglong(qint32(quint32(u)));
  } else {
    v = text.toLongLong(&ok, 10);
    ok = ok && v >= INT_MIN && v <= INT_MAX;
  }
  if (ok) value = int(v);
  return ok;
}

int IniFile::readInteger(const QString& section, const QString& key, int def) const {
  const Content& c = content();
  const qsizetype i = c.findKey(section, key);
  if (i < 0) return def;
  int v = def;
  return parseCount(c.lines[size_t(i)].value, v) ? v : def;
}

void IniFile::writeInteger(const QString& section, const QString& key, int value) {
  writeString(section, key, QString::number(value));
}

bool IniFile::readBool(const QString& section, const QString& key, bool def) const {
  return readInteger(section, key, def ? 1 : 0) != 0;
}

void IniFile::writeBool(const QString& section, const QString& key, bool value) {
  writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QStringList IniFile::readSection(const QString& section) const {
  const Content& c = content();
  QStringList keys;
  const auto* hs = c.headersOf(section);
  if (!hs) return keys;
  for (size_t h : *hs)
    for (size_t i = h + 1, end = c.sectionEnd(h); i < end; ++i)
      if (c.lines[i].kind == LineKind::Key) keys << c.lines[i].name;
  return keys;
}

QList<QPair<QString, QString>> IniFile::readSectionValues(const QString& section) const {
  const Content& c = content();
  QList<QPair<QString, QString>> pairs;
  const auto* hs = c.headersOf(section);
  if (!hs) return pairs;
  for (size_t h : *hs)
    for (size_t i = h + 1, end = c.sectionEnd(h); i < end; ++i)
      if (c.lines[i].kind == LineKind::Key)
        pairs.append({c.lines[i].name, c.lines[size_t(c.findKey(section, c.lines[i].name))].value});
  return pairs;
}

QStringList IniFile::sections() const { return content().sectionOrder; }

bool IniFile::sectionExists(const QString& section) const { return content().headersOf(section) != nullptr; }

bool IniFile::keyExists(const QString& section, const QString& key) const {
  return content().findKey(section, key) >= 0;
}

void IniFile::eraseSection(const QString& section) {
  Content c = content();
  const auto* hs = c.headersOf(section);
  if (!hs) {
    // Nothing to remove, but a file that cannot be written still refuses the erase.
    if (fileRefusesWrites(path_)) throw IniWriteError(path_);
    return;
  }
  const std::vector<size_t> starts = *hs;
  for (auto it = starts.rbegin(); it != starts.rend(); ++it) {
    const size_t end = c.sectionEnd(*it);
    c.lines.erase(c.lines.begin() + qsizetype(*it), c.lines.begin() + qsizetype(end));
  }
  commit(c);
}

}  // namespace korvi
