#pragma once
// The interface language and the numbered texts of a deliverable. Every user-visible text
// sits in the deliverable's string table twice: French under n, English under n + 2000.

#include <QHash>
#include <QString>

namespace korvi {

struct Language {
  int language = 1;      // 1 French, 2 English
  bool french = true;
  bool english = false;
  int offset = 0;        // (language - 1) * 2000
  QString code = QStringLiteral("FR");  // "FR" or "US"
};

// The process-wide language, fixed at start-up.
const Language& language();
// Applies a "Language" setting: values other than 1 and 2 select English. Returns false
// when the value was out of range.
bool setLanguage(int value);

class StringTable {
 public:
  // Parses the readable table form: one text a line, "<number> <tab> \"text\"", with \" \\ \n
  // and \t escapes inside the quotes; empty lines and lines starting with '#' are ignored.
  // Returns false and an error naming the line when the form is broken.
  bool parse(const QByteArray& data, QString* error = nullptr);
  bool loadFile(const QString& path, QString* error = nullptr);
  bool contains(int number) const { return texts_.contains(number); }
  QString value(int number) const { return texts_.value(number); }
  const QHash<int, QString>& all() const { return texts_; }

 private:
  QHash<int, QString> texts_;
};

// Makes the given table (a file or a ":/strings/..." resource) the deliverable's table.
bool installStringTable(const QString& path);
const StringTable& stringTable();

// Whether a missing text is reported with "String Table #n missing.". The library keeps
// the report silent until its main window exists.
void setMissingTextReport(bool enabled);

}  // namespace korvi

// The text of a number in the current language, with the French fallback.
QString LoadText(int number);
