#pragma once
// The syntax check of the criteria editor: whether a criteria text is a complete, valid
// condition for a field of a given type, still incomplete (the user may be typing it), or
// invalid. Also the type classes that decide which keyword buttons a field offers, and the
// type codes of the parameter markers the editor inserts.

#include <QChar>
#include <QString>

#include "common/engine/types.h"
#include "library/sql/sqlwords.h"

namespace korvi::sql {

// The state shown by the editor's disc; only a valid text may leave the editor.
enum SyntaxState : int {
  kSyntaxInvalid = 0,     // red
  kSyntaxIncomplete = 1,  // orange
  kSyntaxValid = 2,       // green
};

// What kind of values a field compares with.
enum class TypeClass {
  None,      // unknown and binary types: values are not checked
  Integer,   // ftSmallint, ftInteger, ftWord, ftAutoInc
  Real,      // ftFloat, ftCurrency, ftBCD
  Text,      // ftString, ftBytes, ftVarBytes, ftBlob, ftMemo, ftFmtMemo, ftGraphic
  Boolean,   // ftBoolean
  DateTime,  // ftDate, ftTime, ftDateTime
};

TypeClass typeClassOf(engine::FieldType type);

// Checks a criteria text for a field of the given type with the keywords of one language.
// Dates are read in the process's short date format.
SyntaxState CheckCriteriaSyntax(const QString& text, engine::FieldType type,
                                const CriteriaKeywords& keywords = CriteriaKeywords::current());

// The letter a parameter marker carries for a field type (S, I, L, W, B, R, $, 1, D, T, H);
// a null QChar for the types that cannot be searched by a parameter.
QChar parameterTypeCode(engine::FieldType type);

// The marker the editor inserts: a double quote, "[", the code, "|", the prompt, "]" and a
// double quote.
QString parameterMarker(QChar code, const QString& prompt);

}  // namespace korvi::sql
