#include "editor/uglobal.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QStandardPaths>

#include "common/text/messages.h"
#include "common/text/strings.h"

namespace korvi::relmap {

Session& session() {
  static Session s;
  return s;
}

ModelFile& Session::model() {
  if (!ModelIni) {
    if (ModelPath.isEmpty()) openDefaultModel();
    else bindModel(ModelPath);
  }
  return *ModelIni;
}

void Session::bindModel(const QString& path) {
  ModelIni = std::make_unique<ModelFile>(path);
}

void Session::releaseModel() { ModelIni.reset(); }

static bool writableDirectory(const QString& dir) {
  const QFileInfo info(dir);
  return !dir.isEmpty() && info.isDir() && info.isWritable();
}

QString defaultModelDirectory(const QString& programDir) {
  if (writableDirectory(programDir)) return programDir;
  QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
  if (dataHome.isEmpty() || !QDir::isAbsolutePath(dataHome)) dataHome = QDir::homePath() + QStringLiteral("/.local/share");
  const QString dir = dataHome + QStringLiteral("/korvi");
  QDir().mkpath(dir);
  return dir;
}

QString defaultModelPath() {
  Session& s = session();
  if (s.ModelDir.isEmpty()) s.ModelDir = defaultModelDirectory(s.ProgramDir);
  return s.ModelDir + QLatin1Char('/') + QLatin1String(kDefaultModel);
}

void openDefaultModel() {
  Session& s = session();
  s.ModelName = QLatin1String(kDefaultModel);
  s.ModelPath = defaultModelPath();
  s.bindModel(s.ModelPath);
}

bool usableModelPath(const QString& path) {
  if (path.trimmed().isEmpty()) return false;
  const QFileInfo info(path);
  if (info.isDir() || info.fileName().isEmpty()) return false;
  return info.absoluteDir().exists();
}

void newModel(const QString& chosenPath) {
  Session& s = session();
  if (!chosenPath.isEmpty()) {
    s.ModelName = QFileInfo(chosenPath).fileName();
    s.releaseModel();
    if (usableModelPath(chosenPath)) {
      s.bindModel(chosenPath);
      s.ModelPath = chosenPath;
    } else {
      ShowInformation(textWith(78, s.ModelName));
      openDefaultModel();
    }
  }
  s.captionChanged = true;
}

void openModel(const QString& chosenPath) {
  if (chosenPath.isEmpty()) return;
  Session& s = session();
  s.releaseModel();
  s.bindModel(chosenPath);
  s.ModelName = QFileInfo(chosenPath).fileName();
  s.ModelPath = chosenPath;
  s.captionChanged = true;
}

QString mainCaption() {
  const Session& s = session();
  return (s.captionChanged ? QStringLiteral("Relmap : <") : QStringLiteral("Relmap32 : <")) + s.ModelName +
         QLatin1Char('>');
}

bool confirmQuit() { return AskConfirmation(LoadText(79)); }

void closeModel() {
  Session& s = session();
  s.releaseModel();
  if (!s.ModelPath.isEmpty()) CompactModelFile(s.ModelPath);
}

QString qtFilter(const QString& windowsFilter) {
  const QStringList parts = windowsFilter.split(QLatin1Char('|'));
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    description.remove(QRegularExpression(QStringLiteral("\\s*\\([^)]*\\)\\s*$")));
    QStringList patterns;
    for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      const QString lower = p.trimmed().toLower(), upper = p.trimmed().toUpper();
      patterns << lower;
      if (upper != lower) patterns << upper;
    }
    filters << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return filters.join(QStringLiteral(";;"));
}

void reportInternalError(const QString& text) {
  while (QGuiApplication::instance() && QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
  ShowMessageBox(LoadText(81) + text, MsgKind::Error, mbOK, mbOK);
}

QString frenchOrEnglish(const char* french, const char* english) {
  return QString::fromUtf8(language().french ? french : english);
}

}  // namespace korvi::relmap

namespace korvi::relmap {
QString textWith(int number, const QString& value) { return LoadText(number).replace(QLatin1String("%s"), value); }
}  // namespace korvi::relmap
