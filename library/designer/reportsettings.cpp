#include "library/designer/reportsettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "common/ini/inifile.h"

namespace korvi::designer {

namespace {

qsizetype indexOfKey(const QString& key) {
  const auto& keys = reportKeys();
  for (qsizetype i = 0; i < keys.size(); ++i)
    if (key.compare(QLatin1String(keys[i].key), Qt::CaseInsensitive) == 0) return i;
  return -1;
}

struct StyleText {
  ReportFontStyle style;
  const char* text;
};

const QList<StyleText>& styleTexts() {
  static const QList<StyleText> texts{
      {{true, false, false, false}, ",Bold"},
      {{false, true, false, false}, ",Italic"},
      {{false, false, true, false}, ",Underline"},
      {{false, false, false, true}, ",StrikeOut"},
      {{true, true, false, false}, ",Bold, Italic"},
      {{true, false, true, false}, ",Bold, Underline"},
      {{false, true, true, false}, ",Italic, Underline"},
  };
  return texts;
}

}  // namespace

const QList<ReportKey>& reportKeys() {
  static const QList<ReportKey> keys{
      {"RptStyle", "Tabular"},
      {"PageBreak", "0"},
      {"LeftMargin", "1.27"},
      {"RightMargin", "1.27"},
      {"TopMargin", "1.27"},
      {"BottomMargin", "1.27"},
      {"Orientation", "Portrait"},
      {"PrintFieldName", "0"},
      {"BorderStyle", "None"},
      {"FieldsFontName", "Arial"},
      {"FieldsFontStyle", ""},
      {"FieldsFontSize", "10"},
      {"Title", "0"},
      {"TitleText", ""},
      {"TitleFontName", "Arial"},
      {"TitleFontStyle", ""},
      {"TitleFontSize", "10"},
      {"PageNo", "None"},
      {"PageNoPosition", ""},
      {"PageNoAlignment", ""},
  };
  return keys;
}

ReportSettings::ReportSettings() {
  for (const ReportKey& k : reportKeys()) values_ << QString::fromLatin1(k.defaultValue);
}

QString ReportSettings::value(const QString& key) const {
  const qsizetype i = indexOfKey(key);
  return i < 0 ? QString() : values_[i];
}

bool ReportSettings::setValue(const QString& key, const QString& value) {
  const qsizetype i = indexOfKey(key);
  if (i < 0) return false;
  values_[i] = value;
  return true;
}

ReportSettings ReportSettings::read(const IniFile& file) {
  ReportSettings settings;
  const auto& keys = reportKeys();
  const QString section = QLatin1String(kReportSection);
  for (qsizetype i = 0; i < keys.size(); ++i) {
    const QString v = file.readString(section, QLatin1String(keys[i].key));
    if (!v.isEmpty()) settings.values_[i] = v;
  }
  return settings;
}

void ReportSettings::write(IniFile& file) const {
  const auto& keys = reportKeys();
  const QString section = QLatin1String(kReportSection);
  for (qsizetype i = 0; i < keys.size(); ++i) {
    QString v = values_[i];
    // The accessor reads a value between a pair of double quotes without them and drops
    // the spaces around a value; such a value is quoted so that it reads back whole.
    if (v != v.trimmed() || (v.size() >= 2 && v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"'))))
      v = QLatin1Char('"') + v + QLatin1Char('"');
    file.writeString(section, QLatin1String(keys[i].key), v);
  }
}

QString scratchQueryFile(const QString& temporaryDirectory) {
  return QDir(temporaryDirectory).filePath(QLatin1String(kScratchQueryName));
}

QString reportSettingsFile(const QString& queryFileName, const QString& temporaryDirectory) {
  return queryFileName.isEmpty() ? scratchQueryFile(temporaryDirectory) : queryFileName;
}

ReportSettings loadReportSettings(const QString& queryFileName, const QString& temporaryDirectory) {
  const IniFile file(reportSettingsFile(queryFileName, temporaryDirectory));
  return ReportSettings::read(file);
}

void storeReportSettings(const ReportSettings& settings, const QString& queryFileName,
                         const QString& temporaryDirectory) {
  IniFile file(reportSettingsFile(queryFileName, temporaryDirectory));
  file.holdWrites();
  settings.write(file);
  file.flush();
}

bool removeScratchQueryFile(const QString& temporaryDirectory) {
  const QString path = scratchQueryFile(temporaryDirectory);
  return !QFileInfo::exists(path) || QFile::remove(path);
}

QString fontStyleText(const ReportFontStyle& style) {
  for (const StyleText& s : styleTexts())
    if (s.style == style) return QString::fromLatin1(s.text);
  return QString();
}

ReportFontStyle parseFontStyle(const QString& text) {
  for (const StyleText& s : styleTexts())
    if (text == QLatin1String(s.text)) return s.style;
  return {};
}

}  // namespace korvi::designer
