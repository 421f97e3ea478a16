#pragma once
// Shared set-up of the engine core tests: a scratch directory with its own alias file and
// private directory, and helpers that write ASCII tables.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

#include "common/engine/engine.h"

namespace korvi::engine::testing {

class CoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp.isValid());
    data = tmp.path() + QStringLiteral("/data/");
    QDir().mkpath(data);
    engine = std::make_unique<Engine>(tmp.path() + QStringLiteral("/aliases.ini"), tmp.path() + QStringLiteral("/private"));
  }

  static void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
  }

  // An ASCII table <dir>/<base>.txt with its schema <dir>/<base>.sch.
  void writeAscii(const QString& base, const QByteArray& schema, const QByteArray& rows, const QString& dir = QString()) {
    const QString d = dir.isEmpty() ? data : dir;
    writeFile(d + base + QStringLiteral(".sch"), schema);
    writeFile(d + base + QStringLiteral(".txt"), rows);
  }

  // A delimited table CLIENTS of four fields and three rows.
  void writeClients(const QString& dir = QString()) {
    writeAscii(QStringLiteral("clients"),
               "[CLIENTS]\r\nFiletype=VARYING\r\nDelimiter=\"\r\nSeparator=,\r\nCharSet=ascii\r\n"
               "Field1=NUM,LongInt,11,00,00\r\nField2=NOM,Char,20,00,11\r\n"
               "Field3=SOLDE,Float,20,02,31\r\nField4=DEPUIS,Date,11,00,51\r\n",
               "1,\"Dupont\",12.5,03/31/1995\r\n2,\"Durand\",-3,12/01/2001\r\n3,\"Martin\",,\r\n", dir);
  }

  QTemporaryDir tmp;
  QString data;
  std::unique_ptr<Engine> engine;
};

}  // namespace korvi::engine::testing
