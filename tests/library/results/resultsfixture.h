#pragma once
// Result sets made from rows for the result window tests, without going through a query.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "common/engine/resultset.h"
#include "common/engine/sqlitecache.h"
#include "common/text/formats.h"
#include "common/text/settings.h"
#include "common/text/strings.h"
#include "library/sql/execute.h"
#include "support/recordingmessages.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace korvi::results::testing {

using engine::FieldType;
using engine::ResultField;
using engine::Row;

struct LibraryTexts {
  LibraryTexts() {
    installStringTable(QStringLiteral(":/strings/library.txt"));
    setLanguage(1);
    startFormats();
  }
};

class ResultsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }

  std::shared_ptr<engine::SqliteCache> cache() {
    if (!cache_) cache_ = std::make_shared<engine::SqliteCache>(dir.filePath(QStringLiteral("cache")));
    return cache_;
  }
  std::unique_ptr<engine::ResultSet> make(const QList<ResultField>& fields, const QList<Row>& rows) {
    return engine::ResultSet::fromRows(cache(), fields, [&](const engine::ResultSet::RowSink& sink) {
      for (Row r : rows) sink(r);
    });
  }
  // Puts a result into the executed query and returns it.
  engine::ResultSet& adopt(const QList<ResultField>& fields, const QList<Row>& rows) {
    query.setResultSet(make(fields, rows));
    return *query.resultSet();
  }
  static ResultField field(const QString& name, FieldType type, const QString& label = QString()) {
    ResultField f;
    f.name = name;
    f.type = type;
    f.label = label;
    return f;
  }

  LibraryTexts texts;
  ::korvi::testing::ScopedRecorder rec;
  QTemporaryDir dir;
  std::shared_ptr<engine::SqliteCache> cache_;
  sql::ExecutedQuery query;
};

}  // namespace korvi::results::testing
