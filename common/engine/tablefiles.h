#pragma once
// Readers and writers of the table file formats, chosen by the file's extension.

#include <QString>
#include <memory>

#include "common/engine/types.h"

namespace korvi::engine {

// dBase III/IV .dbf, with the .dbt memo file beside it.
std::unique_ptr<TableReader> openDbfTable(const QString& path);
// Creates a dBase IV table (and its memo file when a field needs one), replacing an existing
// one. Field types dBase cannot hold throw EngineError (notSupported).
std::unique_ptr<TableWriter> createDbfTable(const QString& path, const QList<FieldDesc>& fields);

// Paradox .db levels 3 to 7, with the .mb blob file beside it.
std::unique_ptr<TableReader> openParadoxTable(const QString& path);
// Creates a Paradox level 7 table (and its .mb file when needed), replacing an existing one.
std::unique_ptr<TableWriter> createParadoxTable(const QString& path, const QList<FieldDesc>& fields);

// ASCII .txt table described by the .sch schema file beside it (read only).
std::unique_ptr<TableReader> openAsciiTable(const QString& path);

// By extension (.dbf, .db, .txt, case-insensitive); other extensions throw EngineError.
std::unique_ptr<TableReader> openTableFile(const QString& path);
std::unique_ptr<TableWriter> createTableFile(const QString& path, const QList<FieldDesc>& fields);

}  // namespace korvi::engine
