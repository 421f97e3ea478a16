#include "library/sql/sqlwords.h"

#include "library/designer/cellvocabulary.h"

namespace korvi::sql {

QString textIn(const Language& language, int number) {
  const StringTable& table = stringTable();
  const int wanted = number + language.offset;
  if (table.contains(wanted)) return table.value(wanted);
  return table.value(number);
}

CriteriaKeywords CriteriaKeywords::forLanguage(const Language& language) {
  auto word = [&](int id) { return textIn(language, id).toUpper(); };
  CriteriaKeywords k;
  k.today = word(keywordid::kToday);
  k.trueWord = word(keywordid::kTrue);
  k.falseWord = word(keywordid::kFalse);
  k.startsWith = word(keywordid::kStartsWith);
  k.andWord = word(keywordid::kAnd);
  k.orWord = word(keywordid::kOr);
  k.endsWith = word(keywordid::kEndsWith);
  k.contains = word(keywordid::kContains);
  k.like = word(keywordid::kLike);
  return k;
}

CriteriaKeywords CriteriaKeywords::current() { return forLanguage(language()); }

SqlWords SqlWords::forLanguage(const Language& language) {
  auto word = [&](int id) { return textIn(language, id); };
  SqlWords w;
  w.notSorted = word(designer::textid::kNotSorted);
  w.show = word(designer::textid::kShow);
  w.none = word(designer::textid::kNoOperation);
  w.ascending = word(designer::textid::kAscending);
  w.descending = word(designer::textid::kDescending);
  w.hide = word(designer::textid::kHide);
  w.min = word(designer::textid::kMin);
  w.max = word(designer::textid::kMax);
  w.average = word(designer::textid::kAverage);
  w.sum = word(designer::textid::kSum);
  w.count = word(designer::textid::kCount);
  w.group = word(designer::textid::kGroup);
  w.keywords = CriteriaKeywords::forLanguage(language);
  return w;
}

SqlWords SqlWords::current() { return forLanguage(language()); }

}  // namespace korvi::sql
