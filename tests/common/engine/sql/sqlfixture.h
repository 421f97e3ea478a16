#pragma once
// A resolver over two made-up tables, and helpers that compile statements through it.

#include <gtest/gtest.h>

#include <QMap>

#include "common/engine/sqlemit.h"

namespace korvi::engine::testing {

inline QList<FieldDesc> clientFields() {
  return {{QStringLiteral("NUMCLI"), FieldType::ftInteger, 0, 0},  {QStringLiteral("NOM"), FieldType::ftString, 30, 0},
          {QStringLiteral("VILLE"), FieldType::ftString, 20, 0},   {QStringLiteral("ACTIF"), FieldType::ftBoolean, 0, 0},
          {QStringLiteral("NAISS"), FieldType::ftDate, 0, 0},      {QStringLiteral("NOTES"), FieldType::ftMemo, 10, 0},
          {QStringLiteral("PHOTO"), FieldType::ftGraphic, 10, 0},  {QStringLiteral("HEURE"), FieldType::ftTime, 0, 0},
          {QStringLiteral("MAJ"), FieldType::ftDateTime, 0, 0}};
}

inline QList<FieldDesc> orderFields() {
  return {{QStringLiteral("NUMCMD"), FieldType::ftAutoInc, 0, 0}, {QStringLiteral("NUMCLI"), FieldType::ftInteger, 0, 0},
          {QStringLiteral("MONTANT"), FieldType::ftCurrency, 0, 2}, {QStringLiteral("DATEC"), FieldType::ftDate, 0, 0},
          {QStringLiteral("QTE"), FieldType::ftSmallint, 0, 0}};
}

class FakeResolver : public SqlTableResolver {
 public:
  FakeResolver() {
    add(QStringLiteral("/data/clients.dbf"), clientFields(), QStringLiteral("t_clients"));
    add(QStringLiteral("C:\\DONNEES\\CLIENTS.DB"), clientFields(), QStringLiteral("t_clients"));
    add(QStringLiteral("/data/commandes.db"), orderFields(), QStringLiteral("t_commandes"));
    add(QStringLiteral("C:\\DONNEES\\COMMANDES.DB"), orderFields(), QStringLiteral("t_commandes"));
    add(QStringLiteral(":DEMO:clients.db"), clientFields(), QStringLiteral("t_clients"));
  }
  void add(const QString& key, const QList<FieldDesc>& fields, const QString& sqlName) {
    tables_[key.toUpper()] = SqlResolvedTable{fields, sqlName, QString()};
  }
  SqlResolvedTable resolveTable(const SqlTableRef& ref) override {
    const QString key = ref.isAliasForm() ? QStringLiteral(":%1:%2").arg(ref.databaseAlias, ref.tableName) : ref.tableName;
    seen.append(key);
    const auto it = tables_.constFind(key.toUpper());
    if (it == tables_.constEnd()) throw EngineError(QStringLiteral("unknown table %1").arg(ref.text));
    return *it;
  }
  QStringList seen;

 private:
  QMap<QString, SqlResolvedTable> tables_;
};

inline SqlCompiled compileSqlite(const QString& text) {
  FakeResolver r;
  return compileSqlSelect(text, r, SqliteDialect());
}

inline SqlCompiled compilePostgres(const QString& text) {
  FakeResolver r;
  return compileSqlSelect(text, r, PostgresDialect());
}

// The error text of compiling text, or "" when it compiles.
inline QString compileError(const QString& text, bool* notSupported = nullptr) {
  try {
    compileSqlite(text);
  } catch (const EngineError& e) {
    if (notSupported) *notSupported = e.notSupported();
    return e.text();
  }
  return QString();
}

// EXPECT_HAS(text, part): text (std::string) contains part.
#define EXPECT_HAS(text, part)                                                       \
  do {                                                                               \
    const std::string t_ = (text);                                                   \
    const std::string p_ = (part);                                                   \
    EXPECT_NE(t_.find(p_), std::string::npos) << "\"" << t_ << "\" lacks \"" << p_ << "\""; \
  } while (0)

}  // namespace korvi::engine::testing
