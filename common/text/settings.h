#pragma once
// The section "KorviQuery" of the settings file: the interface language of both
// deliverables, the library's switches read once at load, the menu toggles written back at
// once, and the window sizes and export options read and written by their dialogs.

#include <QString>

namespace korvi {

class IniFile;

// Which deliverable is starting: the two read the same "Language" key but react to a bad
// value differently and install different string tables.
enum class Deliverable { Library, Editor };

// The settings section and the text the editor shows for a language value out of range.
inline constexpr char kSettingsSection[] = "KorviQuery";
QString unknownLanguageText();

// The process-wide accessor on the settings file (korvi::paths::settingsFile()). It is
// bound again when the file's path changes, and released by releaseSettingsFile().
IniFile& settingsIni();
// The same accessor, with the settings file's directory created when it does not exist yet.
IniFile& settingsIniForWriting();
void releaseSettingsFile();

// ---- Language start-up ------------------------------------------------------------------

// Reads "Language" (absent or empty: 1), selects French for 1 and English for any other
// value (0, 3, a word ...) through korvi::setLanguage, and sets up the process-wide number
// and date formats. The editor explains an out-of-range value in the framework's
// information box; the library stays silent and keeps the missing-text report off until
// its designer window exists. When no string table is installed yet, the deliverable's
// compiled-in table (stringTableResource) is installed first. Returns the language used.
int startLanguage(Deliverable deliverable);
// ":/strings/library.txt" or ":/strings/editor.txt".
QString stringTableResource(Deliverable deliverable);

// ---- Library switches ---------------------------------------------------------------------

struct LibrarySettings {
  bool toolBar = true;         // "ToolBar": tool bar shown, menu item ticked
  bool fixedWidth = false;     // "FixedWidth": fixed column widths in the design grid
  bool uniqueRecords = false;  // "UniqueRecords": SELECT DISTINCT
  bool mdlChange = false;      // "MDLChange": the model menu item is enabled
  bool showSql = false;        // "ShowSQL": the SQL window command exists
  bool dump = true;            // "Dump": failed statements are logged
  bool hideStatus = false;     // "HideStatus": the status bar is hidden
  bool showNbRecord = true;    // "ShowNbRecord": the record count is computed and shown
  int nbRecordMethod = 1;      // "NbRecordMethod": 1 result's count, 2 counting query, else none
  bool forceUnload = false;    // "ForceUnload": closing the designer destroys it
  bool allowPrint = true;      // "AllowPrint"
  bool allowExport = true;     // "AllowExport"
  bool allowSave = true;       // "AllowSave"

  // The record count a fresh library starts with: 0 when counting, else -1 (no count).
  int initialRecordCount() const { return showNbRecord ? 0 : -1; }
};

// Reads every switch from "ToolBar" to "AllowSave", in that order, from the given file; a
// missing file, section or key, or a value that is not a number, gives the default.
LibrarySettings readLibrarySettings(const IniFile& ini);
// Reads the switches from the settings file into the process-wide copy and sets the
// current record count from "ShowNbRecord". Called once when the library is loaded.
const LibrarySettings& loadLibrarySettings();
// The process-wide copy (loaded on first use when loadLibrarySettings was not called).
const LibrarySettings& librarySettings();

// The process-wide record count of the last executed query; -1 means no count was made.
int recordCount();
void setRecordCount(int count);

// The four switches that the designer's Options menu toggles.
enum class MenuToggle { ToolBar, FixedWidth, UniqueRecords, ShowNbRecord };
QString settingKey(MenuToggle toggle);
// Inverts the switch, writes it ("1"/"0") to the settings file at once and returns the new
// value. Turning "ShowNbRecord" off also sets the record count to -1. When the file
// refuses the write, korvi::IniWriteError is thrown and the switch keeps its old value,
// so the menu tick, the process-wide value and the file stay in agreement.
bool toggleSetting(MenuToggle toggle);

// ---- Window sizes ---------------------------------------------------------------------------

struct WindowSize {
  int width = 0;
  int height = 0;
};
// "SQLWidth"/"SQLHeight" (default 424 x 300) and "MemoWidth"/"MemoHeight" (435 x 300). A
// value that is not a positive number gives the default, so a window never opens with no
// size. Writes throw korvi::IniWriteError.
WindowSize sqlWindowSize();
void storeSqlWindowSize(const WindowSize& size);
WindowSize memoWindowSize();
void storeMemoWindowSize(const WindowSize& size);

// ---- Export options ---------------------------------------------------------------------------

struct ExportOptions {
  bool nameFirst = true;             // "NameFirst": header line of column names
  bool quoteDates = false;           // "Date": quote date, time and date-time values
  bool quoteNumbers = false;         // "Num": quote numeric values
  int dateFormat = 0;                // "DateFormat": 0 d/m/y, 1 m/d/y, 2 y/m/d
  int hourFormat = 0;                // "HourFormat": 0 24 hours, 1 12 hours
  QString separator = QStringLiteral(",");  // "Separator"
  QString decimal = QStringLiteral(",");    // "Decimal"
};
// Missing keys take the defaults; a date or hour format outside its choices gives 0.
ExportOptions readExportOptions();
// Writes all seven values. Throws korvi::IniWriteError.
void storeExportOptions(const ExportOptions& options);

}  // namespace korvi
