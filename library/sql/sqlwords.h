#pragma once
// The words that SQL assembly compares grid cells with and the keywords of the criteria
// language, all in one interface language. They are looked up from the string table each
// time a set is made, so a generator given a fresh set always sees the current texts.

#include <QString>

#include "common/text/strings.h"

namespace korvi::sql {

// Text numbers of the criteria keywords (French numbers; English ones are 2000 above).
namespace keywordid {
inline constexpr int kToday = 17;
inline constexpr int kTrue = 18;
inline constexpr int kFalse = 19;
inline constexpr int kStartsWith = 20;
inline constexpr int kAnd = 21;
inline constexpr int kOr = 22;
inline constexpr int kEndsWith = 23;
inline constexpr int kContains = 24;
inline constexpr int kLike = 25;
}  // namespace keywordid

// The keywords of the criteria language in one language, upper-cased.
struct CriteriaKeywords {
  QString today;
  QString trueWord;
  QString falseWord;
  QString startsWith;
  QString andWord;
  QString orWord;
  QString endsWith;
  QString contains;
  QString like;

  static CriteriaKeywords forLanguage(const Language& language);
  // The keywords of the process-wide interface language.
  static CriteriaKeywords current();
};

// The cell words of the design grid and the criteria keywords of one language.
struct SqlWords {
  QString notSorted;   // "Non trié"
  QString ascending;   // "Croissant"
  QString descending;  // "Décroissant"
  QString show;        // "Afficher"
  QString hide;        // "Cacher"
  QString none;        // "Aucune"
  QString min;         // "Valeur min"
  QString max;         // "Valeur max"
  QString average;     // "Moyenne"
  QString sum;         // "Somme"
  QString count;       // "Nombre"
  QString group;       // "Regroupement"
  CriteriaKeywords keywords;

  static SqlWords forLanguage(const Language& language);
  static SqlWords current();
};

// A cell holds a word when it equals it exactly; an empty word (a text missing from the
// string table) never matches, so an empty cell cannot pass for a word.
inline bool isWord(const QString& cell, const QString& word) { return !word.isEmpty() && cell == word; }

// The text of a number in the given language, with the French text as fallback.
QString textIn(const Language& language, int number);

}  // namespace korvi::sql
