#pragma once
// Finding table files the way users name them: the exact name first, else the one entry of
// the directory whose name equals it without regard to case.

#include <QString>

namespace korvi::engine {

// The existing path for `path` (exact, else a case-insensitive match of its file name in
// its directory); empty when there is none.
QString findFileNoCase(const QString& path);

// The companion file of a table (".dbt", ".mb", ".sch", ...) beside it, found the same way;
// empty when there is none.
QString findCompanion(const QString& tablePath, const QString& suffix);

}  // namespace korvi::engine
