#pragma once
// The report settings of a query: the [Report] section of its query file, or of the scratch
// file "TEMPO.OSQ" in the designer's directory for temporary files while the query has no
// file name yet. The values are kept as the file writes them; the print options dialog
// interprets them.

#include <QList>
#include <QString>

namespace korvi {
class IniFile;
}

namespace korvi::designer {

inline constexpr char kReportSection[] = "Report";
inline constexpr char kScratchQueryName[] = "TEMPO.OSQ";

// One key of the [Report] section and the value written when a source has none.
struct ReportKey {
  const char* key;
  const char* defaultValue;
};

// The keys in the order in which a query file holds them.
const QList<ReportKey>& reportKeys();

class ReportSettings {
 public:
  // Every key at its default.
  ReportSettings();

  // The value of a key (case-insensitive); empty for a key that is not a report key.
  QString value(const QString& key) const;
  // False (and nothing changes) for a key that is not a report key.
  bool setValue(const QString& key, const QString& value);

  // The settings a file holds; a key that is absent or empty takes its default.
  static ReportSettings read(const IniFile& file);
  // Writes every key into the file's [Report] section. Throws IniWriteError.
  void write(IniFile& file) const;

  bool operator==(const ReportSettings&) const = default;

 private:
  QList<QString> values_;  // by the position of the key in reportKeys()
};

// "TEMPO.OSQ" in the given directory for temporary files.
QString scratchQueryFile(const QString& temporaryDirectory);
// The file that holds the report settings of a query: its own file when it has a name,
// else the scratch file.
QString reportSettingsFile(const QString& queryFileName, const QString& temporaryDirectory);

// For the print options dialog: the settings of the query (defaults when its file, or the
// scratch file, does not exist or lacks keys) ...
ReportSettings loadReportSettings(const QString& queryFileName, const QString& temporaryDirectory);
// ... and storing them back into the query's file, or the scratch file, created when
// missing. Throws IniWriteError.
void storeReportSettings(const ReportSettings& settings, const QString& queryFileName,
                         const QString& temporaryDirectory);
// Removes the scratch file (the library unloads, the designer closes). True when no
// scratch file is left.
bool removeScratchQueryFile(const QString& temporaryDirectory);

// Font style texts of the report settings: exactly seven combinations have a text
// (",Bold", ",Italic", ",Underline", ",StrikeOut", ",Bold, Italic", ",Bold, Underline",
// ",Italic, Underline"); every other combination, plain included, is the empty text.
struct ReportFontStyle {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  bool operator==(const ReportFontStyle&) const = default;
};
QString fontStyleText(const ReportFontStyle& style);
// A text outside the seven reads as plain.
ReportFontStyle parseFontStyle(const QString& text);

}  // namespace korvi::designer
