#pragma once
// Shared set-up of the SQL tests: the library's texts in a chosen language, a query
// document with tables, and a relational model file written to a temporary directory.

#include <gtest/gtest.h>

#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <ostream>

#include "common/ini/modelfile.h"
#include "common/text/strings.h"
#include "library/designer/querydocument.h"
#include "library/sql/buildsql.h"
#include "library/sql/criteria.h"
#include "support/recordingmessages.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace korvi::sql::testing {

using designer::Operation;
using designer::QueryDocument;
using designer::QueryField;
using designer::QueryTable;
using designer::SortOrder;
using engine::FieldType;

inline QueryTable table(const QString& longName, const QString& file, const QList<QueryField>& fields,
                        const QString& location = QStringLiteral("/data/")) {
  QueryTable t;
  t.longName = longName;
  t.tableName = file;
  t.location = location;
  t.fields = fields;
  return t;
}

// A field whose display name is its physical name.
inline QueryField field(const QString& name, FieldType type) { return {name, name, type, 0}; }

// The library's texts in French, in place before the document labels its rows.
struct FrenchTexts {
  FrenchTexts() {
    installed = installStringTable(QStringLiteral(":/strings/library.txt"));
    setLanguage(1);
  }
  bool installed = false;
};

class SqlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(texts.installed);
    ASSERT_TRUE(dir.isValid());
    modelPath = dir.filePath(QStringLiteral("test.mdl"));
    writeModel({});
  }
  void TearDown() override { setLanguage(1); }

  // Writes the model file; each entry is one line of INI text.
  void writeModel(const QStringList& lines) {
    QFile f(modelPath);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(lines.join(QLatin1Char('\n')).toUtf8() + '\n');
  }

  // Puts a field of a table into the spare column and returns that column.
  int add(const QueryTable& t, const QString& name) {
    const int c = doc.appendField(t, name, true);
    EXPECT_GT(c, 0) << name.toStdString();
    return c;
  }

  SqlStatement build(SqlOptions options = {}) {
    if (!options.today.isValid()) options.today = today;
    ModelFile model(modelPath);
    return BuildSQL(doc, model, SqlWords::current(), options);
  }
  QStringList lines(SqlOptions options = {}) { return build(options).lines; }

  FrenchTexts texts;
  ::korvi::testing::ScopedRecorder rec;
  QTemporaryDir dir;
  QString modelPath;
  QueryDocument doc;
  QDate today{2026, 3, 7};
};

}  // namespace korvi::sql::testing
