#include "common/text/settings.h"

#include <QFileInfo>
#include <memory>

#include "common/ini/inifile.h"
#include "common/text/formats.h"
#include "common/text/messages.h"
#include "common/text/paths.h"
#include "common/text/strings.h"

namespace korvi {
namespace {

const QString& section() {
  static const QString name = QString::fromLatin1(kSettingsSection);
  return name;
}

std::unique_ptr<IniFile>& iniState() {
  static std::unique_ptr<IniFile> ini;
  return ini;
}

struct LibraryState {
  LibrarySettings settings;
  bool loaded = false;
  int recordCount = 0;
};

LibraryState& libraryState() {
  static LibraryState state;
  return state;
}

bool readFlag(const IniFile& ini, const char* key, bool def) {
  return ini.readBool(section(), QString::fromLatin1(key), def);
}

// A size key: a positive number, else the default.
int readSize(const char* key, int def) {
  const int value = settingsIni().readInteger(section(), QString::fromLatin1(key), def);
  return value > 0 ? value : def;
}

// A choice among count items: its index, else 0.
int readChoice(const IniFile& ini, const char* key, int count) {
  const int value = ini.readInteger(section(), QString::fromLatin1(key), 0);
  return value >= 0 && value < count ? value : 0;
}

// A text option: the stored text, else the default when absent or empty.
QString readText(const IniFile& ini, const char* key, const QString& def) {
  const QString value = ini.readString(section(), QString::fromLatin1(key), def);
  return value.isEmpty() ? def : value;
}

// The settings file drops the spaces around a value and the quotes of a quoted value, so a
// separator such as a tab or a space is written between double quotes to come back whole.
QString protectedValue(const QString& value) {
  const bool quoted = value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"'));
  if (value.trimmed() != value || quoted) return QLatin1Char('"') + value + QLatin1Char('"');
  return value;
}

bool& switchOf(LibrarySettings& s, MenuToggle toggle) {
  switch (toggle) {
    case MenuToggle::ToolBar: return s.toolBar;
    case MenuToggle::FixedWidth: return s.fixedWidth;
    case MenuToggle::UniqueRecords: return s.uniqueRecords;
    case MenuToggle::ShowNbRecord: return s.showNbRecord;
  }
  return s.toolBar;
}

}  // namespace

QString unknownLanguageText() {
  return QStringLiteral("Unknown language value in section [KorviQuery] of WIN.INI. Using English language.");
}

IniFile& settingsIni() {
  std::unique_ptr<IniFile>& ini = iniState();
  const QString path = paths::settingsFile();
  if (!ini || ini->path() != path) ini = std::make_unique<IniFile>(path);
  return *ini;
}

IniFile& settingsIniForWriting() {
  IniFile& ini = settingsIni();
  // On a fresh account the settings directory does not exist yet; the first write makes it.
  const QString dir = QFileInfo(ini.path()).absolutePath();
  if (!QFileInfo::exists(dir)) paths::ensurePrivateDir(dir);
  return ini;
}

void releaseSettingsFile() { iniState().reset(); }

QString stringTableResource(Deliverable deliverable) {
  return deliverable == Deliverable::Editor ? QStringLiteral(":/strings/editor.txt")
                                            : QStringLiteral(":/strings/library.txt");
}

int startLanguage(Deliverable deliverable) {
  if (stringTable().all().isEmpty()) {
    const QString resource = stringTableResource(deliverable);
    if (QFileInfo::exists(resource)) installStringTable(resource);
  }

  // An absent or empty key means French; a value that is not a number is read as 0, which
  // is out of range, as the platform's profile functions read it.
  const QString text = settingsIni().readString(section(), QStringLiteral("Language")).trimmed();
  int value = 1;
  if (!text.isEmpty() && !IniFile::parseCount(text, value)) value = 0;

  // The library's boxes stay silent until its designer window exists.
  setMissingTextReport(deliverable == Deliverable::Editor);
  const bool inRange = setLanguage(value);
  startFormats();
  if (!inRange && deliverable == Deliverable::Editor) {
    MessageRequest r;
    r.text = unknownLanguageText();
    r.kind = MsgKind::Information;
    r.buttons = mbOK;
    r.defaultButton = mbOK;
    r.style = MsgStyle::Framework;
    messages().showMessage(r);
  }
  return language().language;
}

LibrarySettings readLibrarySettings(const IniFile& ini) {
  LibrarySettings s;
  s.toolBar = readFlag(ini, "ToolBar", s.toolBar);
  s.fixedWidth = readFlag(ini, "FixedWidth", s.fixedWidth);
  s.uniqueRecords = readFlag(ini, "UniqueRecords", s.uniqueRecords);
  s.mdlChange = readFlag(ini, "MDLChange", s.mdlChange);
  s.showSql = readFlag(ini, "ShowSQL", s.showSql);
  s.dump = readFlag(ini, "Dump", s.dump);
  s.hideStatus = readFlag(ini, "HideStatus", s.hideStatus);
  s.showNbRecord = readFlag(ini, "ShowNbRecord", s.showNbRecord);
  s.nbRecordMethod = ini.readInteger(section(), QStringLiteral("NbRecordMethod"), s.nbRecordMethod);
  s.forceUnload = readFlag(ini, "ForceUnload", s.forceUnload);
  s.allowPrint = readFlag(ini, "AllowPrint", s.allowPrint);
  s.allowExport = readFlag(ini, "AllowExport", s.allowExport);
  s.allowSave = readFlag(ini, "AllowSave", s.allowSave);
  return s;
}

const LibrarySettings& loadLibrarySettings() {
  LibraryState& st = libraryState();
  st.settings = readLibrarySettings(settingsIni());
  st.recordCount = st.settings.initialRecordCount();
  st.loaded = true;
  return st.settings;
}

const LibrarySettings& librarySettings() {
  if (!libraryState().loaded) loadLibrarySettings();
  return libraryState().settings;
}

int recordCount() { return libraryState().recordCount; }

void setRecordCount(int count) { libraryState().recordCount = count; }

QString settingKey(MenuToggle toggle) {
  switch (toggle) {
    case MenuToggle::ToolBar: return QStringLiteral("ToolBar");
    case MenuToggle::FixedWidth: return QStringLiteral("FixedWidth");
    case MenuToggle::UniqueRecords: return QStringLiteral("UniqueRecords");
    case MenuToggle::ShowNbRecord: return QStringLiteral("ShowNbRecord");
  }
  return {};
}

bool toggleSetting(MenuToggle toggle) {
  librarySettings();  // make sure the switches were read before one is inverted
  LibraryState& st = libraryState();
  bool& value = switchOf(st.settings, toggle);
  const bool inverted = !value;
  settingsIniForWriting().writeBool(section(), settingKey(toggle), inverted);  // throws before any change
  value = inverted;
  if (toggle == MenuToggle::ShowNbRecord && !inverted) st.recordCount = -1;
  return inverted;
}

WindowSize sqlWindowSize() { return {readSize("SQLWidth", 424), readSize("SQLHeight", 300)}; }

void storeSqlWindowSize(const WindowSize& size) {
  IniFile& ini = settingsIniForWriting();
  ini.writeInteger(section(), QStringLiteral("SQLWidth"), size.width);
  ini.writeInteger(section(), QStringLiteral("SQLHeight"), size.height);
}

WindowSize memoWindowSize() { return {readSize("MemoWidth", 435), readSize("MemoHeight", 300)}; }

void storeMemoWindowSize(const WindowSize& size) {
  IniFile& ini = settingsIniForWriting();
  ini.writeInteger(section(), QStringLiteral("MemoWidth"), size.width);
  ini.writeInteger(section(), QStringLiteral("MemoHeight"), size.height);
}

ExportOptions readExportOptions() {
  const IniFile& ini = settingsIni();
  ExportOptions o;
  o.nameFirst = readFlag(ini, "NameFirst", o.nameFirst);
  o.quoteDates = readFlag(ini, "Date", o.quoteDates);
  o.quoteNumbers = readFlag(ini, "Num", o.quoteNumbers);
  o.dateFormat = readChoice(ini, "DateFormat", 3);
  o.hourFormat = readChoice(ini, "HourFormat", 2);
  o.separator = readText(ini, "Separator", o.separator);
  o.decimal = readText(ini, "Decimal", o.decimal);
  return o;
}

void storeExportOptions(const ExportOptions& o) {
  IniFile& ini = settingsIniForWriting();
  ini.writeBool(section(), QStringLiteral("NameFirst"), o.nameFirst);
  ini.writeBool(section(), QStringLiteral("Date"), o.quoteDates);
  ini.writeBool(section(), QStringLiteral("Num"), o.quoteNumbers);
  ini.writeInteger(section(), QStringLiteral("DateFormat"), o.dateFormat);
  ini.writeInteger(section(), QStringLiteral("HourFormat"), o.hourFormat);
  ini.writeString(section(), QStringLiteral("Separator"), protectedValue(o.separator));
  ini.writeString(section(), QStringLiteral("Decimal"), protectedValue(o.decimal));
}

}  // namespace korvi
