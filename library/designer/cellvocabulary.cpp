#include "library/designer/cellvocabulary.h"

#include <array>

#include "common/text/strings.h"

namespace korvi::designer {
namespace {

using engine::FieldType;

constexpr std::array<int, 3> kSortIds{textid::kNotSorted, textid::kAscending, textid::kDescending};
constexpr std::array<int, 2> kShowIds{textid::kShow, textid::kHide};
constexpr std::array<int, 7> kOperationIds{textid::kNoOperation, textid::kMin, textid::kMax,
                                           textid::kAverage, textid::kSum, textid::kCount,
                                           textid::kGroup};

template <size_t N>
QStringList wordsOf(const std::array<int, N>& ids) {
  QStringList words;
  for (int id : ids) words << LoadText(id);
  return words;
}

// Position of the word among the texts of the ids, or -1. An empty word never matches, so a
// missing text cannot make an empty cell look like a word.
template <size_t N>
int indexOfWord(const std::array<int, N>& ids, const QString& word) {
  if (word.isEmpty()) return -1;
  for (size_t i = 0; i < N; ++i)
    if (LoadText(ids[i]) == word) return static_cast<int>(i);
  return -1;
}

int code(FieldType type) { return static_cast<int>(type); }

}  // namespace

QString sortWord(SortOrder order) { return LoadText(kSortIds[static_cast<size_t>(order)]); }

QString showWord(bool shown) { return LoadText(shown ? textid::kShow : textid::kHide); }

QString operationWord(Operation operation) {
  return LoadText(kOperationIds[static_cast<size_t>(operation)]);
}

QStringList sortWords() { return wordsOf(kSortIds); }
QStringList showWords() { return wordsOf(kShowIds); }
QStringList operationWords() { return wordsOf(kOperationIds); }

std::optional<SortOrder> sortOrderOf(const QString& word) {
  const int i = indexOfWord(kSortIds, word);
  if (i < 0) return std::nullopt;
  return static_cast<SortOrder>(i);
}

std::optional<bool> shownOf(const QString& word) {
  const int i = indexOfWord(kShowIds, word);
  if (i < 0) return std::nullopt;
  return i == 0;
}

std::optional<Operation> operationOf(const QString& word) {
  const int i = indexOfWord(kOperationIds, word);
  if (i < 0) return std::nullopt;
  return static_cast<Operation>(i);
}

int rowLabelTextId(int row) {
  switch (row) {
    case gridrow::kField: return textid::kLabelField;
    case gridrow::kTable: return textid::kLabelTable;
    case gridrow::kSort: return textid::kLabelSort;
    case gridrow::kShow: return textid::kShow;
    case gridrow::kOperation: return textid::kLabelOperation;
    case gridrow::kFirstCriteria: return textid::kLabelCriteria;
    case gridrow::kFirstCriteria + 1: return textid::kLabelOr;
    default: return 0;
  }
}

QString typeLabel(FieldType type, int size) {
  const int c = code(type);
  if (c == code(FieldType::ftString))
    return LoadText(textid::kTypeString) + QStringLiteral(" (") + QString::number(size) + QLatin1Char(')');
  if (c >= code(FieldType::ftUnknown) && c <= code(FieldType::ftDateTime))
    return LoadText(textid::kTypeUnknown + c);
  switch (type) {
    case FieldType::ftBytes:
    case FieldType::ftVarBytes:
    case FieldType::ftBlob:
    case FieldType::ftMemo:
      return LoadText(textid::kTypeMemo);
    case FieldType::ftGraphic:
      return LoadText(textid::kTypeGraphic);
    default:
      return {};
  }
}

bool sortAllowed(FieldType type) {
  switch (type) {
    case FieldType::ftUnknown:
    case FieldType::ftBytes:
    case FieldType::ftVarBytes:
    case FieldType::ftBlob:
    case FieldType::ftMemo:
    case FieldType::ftGraphic:
      return false;
    default:
      return true;
  }
}

bool averageAllowed(FieldType type) {
  switch (type) {
    case FieldType::ftString:
    case FieldType::ftBoolean:
      return false;
    default:
      return sortAllowed(type);
  }
}

bool sumAllowed(FieldType type) {
  switch (type) {
    case FieldType::ftDate:
    case FieldType::ftTime:
    case FieldType::ftDateTime:
      return false;
    default:
      return averageAllowed(type);
  }
}

bool operationAllowed(FieldType type, Operation operation) {
  switch (operation) {
    case Operation::Average: return averageAllowed(type);
    case Operation::Sum: return sumAllowed(type);
    default: return true;
  }
}

}  // namespace korvi::designer
