#pragma once
// The failure log: when the engine refuses a statement, the statement as it was sent and
// the query that produced it are written beside each other in the directory for temporary
// files (korvi::paths::tempDirectory), as osq<k>.SQL and osq<k>.osq with the first free k,
// so that the failure can be studied later.

#include <QString>
#include <QStringList>

namespace korvi::sql {

struct RunContext;

// The first number k from 0 upwards for which "osq<k>.SQL" does not exist in the directory.
int firstFreeLogNumber(const QString& directory);

// Writes the log when saving is allowed ("AllowSave") and tells the user its base name
// (message 39). The document keeps its name and its modified flag. When the directory cannot
// be used, message 38 names it and nothing is written. Returns the base name (the directory
// and "osq<k>"), empty when nothing was logged.
QString LogFailedQuery(RunContext& context, const QStringList& sqlLines);

// Text 38 with the directory it names replaced by the real one.
QString logDirectoryMessage(const QString& directory);

}  // namespace korvi::sql
