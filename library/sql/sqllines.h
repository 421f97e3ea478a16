#pragma once
// The layout of generated SQL text: a statement is a list of lines, and almost every piece
// of text enters it as a fragment preceded by one space, on a new line before the line would
// grow past 200 characters.

#include <QString>
#include <QStringList>
#include <QStringView>
#include <initializer_list>

namespace korvi::sql {

// A fragment never makes a line longer than this, unless the fragment alone is longer.
inline constexpr int kMaxLineLength = 200;

// Adds " " + text to the last line of the list. An empty list first gets an empty line, and
// a new empty line is started when the last line plus the text would exceed 200 characters,
// so a fragment is never split across lines.
void AppendFragment(QStringList& lines, const QString& text);
// The same for a fragment given in pieces, written straight into the line.
void AppendFragment(QStringList& lines, std::initializer_list<QStringView> pieces);

// Removes up to count characters from the end of the last line (nothing for an empty list).
void chopLastLine(QStringList& lines, int count);

// Appends every line of the second list to the first.
inline void appendLines(QStringList& lines, const QStringList& more) { lines += more; }

}  // namespace korvi::sql
