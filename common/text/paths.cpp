#include "common/text/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace korvi::paths {
namespace {

QString envPath(const char* name) {
  const QByteArray value = qgetenv(name);
  return value.isEmpty() ? QString() : QString::fromLocal8Bit(value);
}

QString xdgDir(const char* variable, const char* fallbackUnderHome) {
  QString base = envPath(variable);
  if (base.isEmpty()) base = QDir::homePath() + QLatin1Char('/') + QLatin1String(fallbackUnderHome);
  return base;
}

}  // namespace

QString settingsFile() {
  const QString set = envPath("KORVI_WININI");
  if (!set.isEmpty()) return set;
  return xdgDir("XDG_CONFIG_HOME", ".config") + QStringLiteral("/korvi/win.ini");
}

QString aliasFile() {
  const QString set = envPath("KORVI_ALIASES");
  if (!set.isEmpty()) return set;
  return xdgDir("XDG_CONFIG_HOME", ".config") + QStringLiteral("/korvi/aliases.ini");
}

QString privateDirectory() {
  const QString set = envPath("KORVI_PRIVATE");
  if (!set.isEmpty()) return set;
  return xdgDir("XDG_CACHE_HOME", ".cache") + QStringLiteral("/korvi/private");
}

QString helpDirectory() {
  const QString set = envPath("KORVI_HELP");
  if (!set.isEmpty()) return set;
#ifdef KORVI_INSTALL_PREFIX
  const QString installed = QStringLiteral(KORVI_INSTALL_PREFIX "/share/korvi/help");
  if (QFileInfo(installed).isDir()) return installed;
#endif
#ifdef KORVI_SOURCE_HELP_DIR
  return QStringLiteral(KORVI_SOURCE_HELP_DIR);
#else
  return QStringLiteral("/usr/share/korvi/help");
#endif
}

QString tempDirectoryName() {
  const QString set = envPath("KORVI_TEMP");
  if (!set.isEmpty()) return set;
  QString base = envPath("TMPDIR");
  if (base.isEmpty()) base = QStringLiteral("/tmp");
  return base + QStringLiteral("/korvi-") + QString::number(::getuid());
}

bool ensurePrivateDir(const QString& path) {
  if (QFileInfo(path).isDir()) return true;
  if (!QDir().mkpath(path)) return false;
  return ::chmod(QFile::encodeName(path).constData(), 0700) == 0;
}

bool tempDirectory(QString& path) {
  path = tempDirectoryName();
  const QByteArray native = QFile::encodeName(path);
  struct stat st {};
  if (::lstat(native.constData(), &st) != 0) {
    if (!QDir().mkpath(path) || ::chmod(native.constData(), 0700) != 0) {
      path.clear();
      return false;
    }
    return true;
  }
  if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) {
    path.clear();
    return false;
  }
  return true;
}

}  // namespace korvi::paths
