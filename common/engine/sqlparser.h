#pragma once
// Parses one SELECT statement of the local SQL dialect into its syntax tree.

#include <QString>
#include <memory>

#include "common/engine/sqlast.h"

namespace korvi::engine {

// Accepts exactly one SELECT (an optional final ";" aside). Any other statement, or anything
// after the statement, throws EngineError; a syntax error throws EngineError naming the line
// and column of the offending token and what was expected there.
std::unique_ptr<SqlSelect> parseSqlSelect(const QString& text);

}  // namespace korvi::engine
