#pragma once
// The INI accessor of model files, query files, the settings file and the alias file.
//
// It keeps the semantics of the platform profile functions that these files were made
// with: first matching key, case-insensitive section and key names, spaces around keys and
// values ignored, a value between a matching pair of double quotes read without them,
// ";" comment lines, CR LF or LF line ends. No copy of the file is trusted across changes on
// disk: every call checks the file's identity (size, times, inode) and parses it again only
// when it changed. Every write reaches the disk at once and atomically (new file written
// beside the old one and renamed over it).

#include <QString>
#include <QStringList>
#include <memory>
#include <stdexcept>

namespace korvi {

// A refused write or erase: "Unable to write to <path>".
class IniWriteError : public std::runtime_error {
 public:
  explicit IniWriteError(const QString& path);
  const QString& path() const { return path_; }
  QString text() const;

 private:
  QString path_;
};

// True when the path exists but may not be written: not a regular file, no write
// permission, or (for a super-user, whom permissions do not stop) no write bit at all.
bool fileRefusesWrites(const QString& path);

class IniFile {
 public:
  explicit IniFile(QString path);
  ~IniFile();
  IniFile(const IniFile&) = delete;
  IniFile& operator=(const IniFile&) = delete;
  IniFile(IniFile&&) noexcept;
  IniFile& operator=(IniFile&&) noexcept;

  const QString& path() const { return path_; }

  // Value of the first matching key; the default when key or section is absent.
  QString readString(const QString& section, const QString& key, const QString& def = QString()) const;
  // Replaces the first matching key, else appends the key to the section, else appends the
  // section. An empty value leaves a line "key=". Throws IniWriteError.
  void writeString(const QString& section, const QString& key, const QString& value);

  // Decimal, or hexadecimal after "0x"/"0X" when longer than two characters; the default
  // when absent or not a number.
  int readInteger(const QString& section, const QString& key, int def) const;
  void writeInteger(const QString& section, const QString& key, int value);
  // "0" false, any other number true; a non-number reads as the default.
  bool readBool(const QString& section, const QString& key, bool def) const;
  void writeBool(const QString& section, const QString& key, bool value);

  // Keys of the section in file order, empty-valued keys included.
  QStringList readSection(const QString& section) const;
  // The keys of the section in file order, each with the value readString gives for it
  // (the first matching key's), read in one look at the file.
  QList<QPair<QString, QString>> readSectionValues(const QString& section) const;
  // Section names in file order (each once).
  QStringList sections() const;
  bool sectionExists(const QString& section) const;
  bool keyExists(const QString& section, const QString& key) const;
  // Removes the section line and all its lines. Throws IniWriteError.
  void eraseSection(const QString& section);

  // Keeps the following writes and erases in memory, where reads see them, until flush()
  // writes them to the file at once; changes made on disk meanwhile are not seen. For a
  // writer that makes many changes to a private work file. Held changes not flushed are
  // dropped with the object.
  void holdWrites();
  // Writes the held changes and writes through again. Throws IniWriteError.
  void flush();

  // Parses a count the way readInteger does.
  static bool parseCount(const QString& text, int& value);

 private:
  struct Content;
  const Content& content() const;
  void commit(Content& changed);

  QString path_;
  mutable std::unique_ptr<Content> cache_;
  bool holding_ = false;
  bool pending_ = false;
};

}  // namespace korvi
