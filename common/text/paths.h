#pragma once
// Where this system keeps its files on this platform.

#include <QString>

namespace korvi::paths {

// The settings file holding section "KorviQuery": $KORVI_WININI, else
// $XDG_CONFIG_HOME/korvi/win.ini (~/.config/korvi/win.ini).
QString settingsFile();
// The engine's alias file: $KORVI_ALIASES, else $XDG_CONFIG_HOME/korvi/aliases.ini.
QString aliasFile();
// The engine's private directory: $KORVI_PRIVATE, else $XDG_CACHE_HOME/korvi/private.
QString privateDirectory();
// The directory of the help files: $KORVI_HELP, else <prefix>/share/korvi/help, else the
// source tree's resources/help.
QString helpDirectory();

// The directory for failure logs and the value picker's statement: $KORVI_TEMP, else
// $TMPDIR/korvi-<uid>. It is created with mode 0700; it is refused (empty result, false)
// when it exists but is not a directory owned by the user, or cannot be created.
bool tempDirectory(QString& path);
// The same path without creating or checking it (for texts that name the directory).
QString tempDirectoryName();

// Makes a directory (and its parents) with mode 0700 when it does not exist.
bool ensurePrivateDir(const QString& path);

}  // namespace korvi::paths
