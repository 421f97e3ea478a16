#pragma once
// Cuts local SQL text into tokens. Line breaks count as spaces anywhere between tokens.

#include <QList>
#include <QString>

#include "common/engine/sqlast.h"

namespace korvi::engine {

enum class SqlTokenKind {
  Identifier,   // bare word: keywords, aliases, unquoted field names
  Quoted,       // "..." (a doubled quote inside stands for one quote)
  AliasTable,   // :ALIAS:table written without quotes
  Number,       // 12, 12.5, .5, 1e3 (no sign)
  Symbol,       // , . ( ) * ; + - = <> < > <= >=
  End,
};

struct SqlToken {
  SqlTokenKind kind = SqlTokenKind::End;
  QString text;  // Quoted: the content without quotes; Identifier: as written
  SqlPos pos;
  // Identifier equal to word, without regard to case.
  bool isWord(const char* word) const;
  bool isSymbol(const char* sym) const;
};

// Throws EngineError with the line and column of an unexpected character or an unterminated
// quote. The list always ends with one End token.
QList<SqlToken> tokenizeSql(const QString& text);

// "line 3, column 12": the position as error texts give it.
QString sqlPosText(const SqlPos& pos);

}  // namespace korvi::engine
