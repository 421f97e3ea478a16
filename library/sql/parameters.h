#pragma once
// Parameterized queries: a criteria cell may hold a marker, a double quote, "[", a one-letter
// type code, "|", a prompt and "]" followed by a double quote. Before the statement runs the
// user is asked for each marker's value, which is checked against the type code and written
// into the statement in the marker's place.

#include <QChar>
#include <QString>
#include <QStringList>

namespace korvi::designer {
class QueryDocument;
}

namespace korvi::sql {

// Text number of the description that a refused value of the code is told with (42 to 50),
// 0 for a code that is none of S I L W B R $ 1 T D H.
int parameterDescriptionId(QChar code);
// The description in the current language; empty for an unknown code.
QString parameterDescription(QChar code);

// Checks a value typed for a marker of the given type code (upper case). An empty value is
// refused for every code. Accepted values may be rewritten into the form the statement
// needs: integers and reals without surrounding spaces, dates as month/day/year with four
// year digits (typed in the user's short date format), date-times as month/day/year
// hours:minutes:seconds, logical values as typed.
bool CheckParameterValue(QChar code, QString& value);

// The value as it replaces the marker in the statement: TRUE or FALSE for a logical code,
// a text with every double quote doubled, else the checked value. Numeric codes (I L W R $ 1) are written without the marker's
// double quotes.
bool writesBare(QChar code);
QString statementValue(QChar code, const QString& checkedValue);

// Some criteria cell (rows 6 to 14) of the grid holds a double quote followed by "[".
bool hasParameterMarkers(const designer::QueryDocument& document);

// Asks for the value of every marker of the lines, in the order they occur (each marker
// separately, even when two carry the same prompt), through the message interface's input
// box titled "Requête paramétrée". A refused value is told with its code's description and
// offered again on Yes. Cancel, No or a malformed marker (messages 52, 53, 40) returns false;
// the lines may then hold the values given so far. Values written in are not searched for
// further markers. The caller shows the normal cursor.
bool ResolveParameters(QStringList& lines);

}  // namespace korvi::sql
