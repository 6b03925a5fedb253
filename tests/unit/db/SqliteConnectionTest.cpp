// Behaviour of the native SQLite back end and of open() that no other back
// end shares; the common contract is tested over all back ends in
// tests/integration/db.
#include "platform/db/SqliteConnection.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/db/Connection.h"
#include "support/DbValuePrint.h"
#include "support/Expect.h"
#include "support/TempDir.h"

namespace belvora::db {
namespace {

class SqliteTest : public ::testing::Test {
 protected:
  void SetUp() override { test::writeAll(path_, ""); }  // an empty file is a valid, empty database
  std::unique_ptr<Connection> connect() { return open("Data Source=" + path_ + ";"); }

  test::TempDir dir_;
  const std::string path_ = dir_ / "test.db";
};

TEST_F(SqliteTest, OpensByDataSourceDatabaseOrProvider) {
  for (const std::string& cs : {"Data Source=" + path_, "database={" + path_ + "}",
                                "Provider=SQLite;Data Source=" + path_ + ";Version=3;"})
    EXPECT_NE(open(cs), nullptr) << cs;
}

TEST_F(SqliteTest, WhatOpensNoDatabaseSaysWhyAndCreatesNothing) {
  const std::string missing = dir_ / "nope.db", text = dir_ / "text.db", folder = dir_.path();
  test::writeAll(text, "this is plain text and certainly no SQLite database header at all");
  const std::string access =
      "Microsoft Access (Jet/ACE) databases are not supported on this system. Use an SQLite "
      "database file (\"Data Source=/path/to/file.db\") or an ODBC driver (\"Driver={...};...\" "
      "or \"DSN=...\").";
  const std::pair<std::string, std::string> cases[] = {
      {"Data Source=" + missing, "database file not found: " + missing},
      {"Provider=SQLite;", "the SQLite connection string names no database file (Data Source=...)"},
      {"Data Source=" + text, "file is not a database"},
      {"Data Source=" + folder, "not a database file: " + folder},
      {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\x\\VorlageDB.mdb;", access},
      {"Provider=Microsoft.ACE.OLEDB.12.0;Data Source=/tmp/x.accdb", access},
      {"Data Source=/tmp/Vorlage.MDB", access},
      {"Provider=SQLOLEDB;Data Source=server;Password=geheim",
       "unsupported provider \"SQLOLEDB\": use an SQLite database file (\"Data "
       "Source=/path/to/file.db\") or an ODBC driver (\"Driver={...};...\" or \"DSN=...\")"},
      {"Server=x;Uid=a;Pwd=geheim",
       "unsupported connection string: expected \"Driver=\" or \"DSN=\" for ODBC, or \"Data "
       "Source=\" naming an SQLite database file"}};
  for (const auto& [cs, message] : cases) EXPECT_THROW_MSG(open(cs), message);
  EXPECT_FALSE(std::filesystem::exists(missing));
  EXPECT_THROW(open(""), Error);
}

TEST_F(SqliteTest, DeclaredDateColumnsDeliverDatesWhenTheTextIsADate) {
  auto c = connect();
  c->execute(
      "CREATE TABLE t (d DATE, dt DATETIME, ts TIMESTAMP(6), s TEXT, n INTEGER);"
      "INSERT INTO t VALUES ('2024-01-15', '2024-01-15 10:20:30', '2024-01-15T08:00:00', "
      "'2024-01-15', 20240115);"
      "INSERT INTO t VALUES ('31.02.2024', 45000, NULL, NULL, NULL);"
      "INSERT INTO t VALUES ('15.01.2024', NULL, NULL, NULL, NULL);");
  c->execute("INSERT INTO t (d, dt) VALUES (?, ?)", {Date{2024, 3, 5}, Date{2024, 3, 5, 7, 8, 9}});
  auto rows = c->query(
      "SELECT d, dt, ts, s, n, date('2024-01-15') AS expr, CAST(d AS TEXT), CAST(dt AS TEXT) "
      "FROM t ORDER BY rowid");
  const Value null;
  // A text column stays text, an expression has no declared type; what is
  // no date comes as stored; the one date parser reads both forms; dates
  // bind as ISO text.
  const std::vector<std::vector<Value>> expected = {
      {Date{2024, 1, 15}, Date{2024, 1, 15, 10, 20, 30}, Date{2024, 1, 15, 8, 0, 0}, "2024-01-15",
       20240115, "2024-01-15", "2024-01-15", "2024-01-15 10:20:30"},
      {"31.02.2024", 45000, null, null, null, "2024-01-15", "31.02.2024", "45000"},
      {Date{2024, 1, 15}, null, null, null, null, "2024-01-15", "15.01.2024", null},
      {Date{2024, 3, 5}, Date{2024, 3, 5, 7, 8, 9}, null, null, null, "2024-01-15", "2024-03-05",
       "2024-03-05 07:08:09"}};
  for (const auto& row : expected) {
    ASSERT_TRUE(rows->next());
    EXPECT_EQ(rows->row(), row);
  }
  EXPECT_FALSE(rows->next());
  EXPECT_FALSE(rows->next());
}

TEST_F(SqliteTest, ScriptsRunStatementByStatementAndQueriesHoldOne) {
  auto c = connect();
  EXPECT_EQ(c->execute("CREATE TABLE t (a INTEGER); INSERT INTO t VALUES (1); INSERT INTO t "
                       "VALUES (2); -- done\n"),
            2);
  EXPECT_EQ(c->execute("CREATE TABLE u (a INTEGER)"), 0);  // no stale count of the inserts
  EXPECT_THROW_MSG(c->query("SELECT a FROM t; DELETE FROM t"),
                   "a query may hold only one statement");
  EXPECT_NO_THROW(c->query("SELECT a FROM t; -- trailing comment\n"));
  EXPECT_THROW_MSG(c->execute("INSERT INTO t VALUES (?); INSERT INTO t VALUES (?)", {1}),
                   "parameters are only allowed in a single statement");
  auto count = c->query("SELECT count(*) FROM t");
  ASSERT_TRUE(count->next());
  EXPECT_EQ(count->row()[0], Value(2));  // the rejected script ran no statement
}

TEST_F(SqliteTest, ResolvesAttachedSchemasAndTemporaryTables) {
  test::writeAll(dir_ / "other.db", "");
  auto c = connect();
  c->execute("ATTACH DATABASE ? AS archive", {dir_ / "other.db"});
  c->execute("CREATE TABLE archive.tblOld (a INTEGER); CREATE TEMP TABLE scratch (a INTEGER)");
  EXPECT_EQ(c->resolveTable("ARCHIVE.TBLOLD"), "\"archive\".\"tblOld\"");
  EXPECT_EQ(c->resolveTable("Scratch"), "\"scratch\"");
  EXPECT_THROW_MSG(c->resolveTable("nosuch.tblOld"), "table not found: nosuch.tblOld");
  EXPECT_THROW_MSG(c->resolveTable("tblOld"), "table not found: tblOld");
}

TEST_F(SqliteTest, CursorMayOutliveItsConnection) {
  auto c = connect();
  c->execute("CREATE TABLE t (a INTEGER); INSERT INTO t VALUES (1), (2)");
  auto rows = c->query("SELECT a FROM t ORDER BY a");
  c.reset();
  ASSERT_TRUE(rows->next());
  EXPECT_EQ(rows->row()[0], Value(1));
  ASSERT_TRUE(rows->next());
  EXPECT_FALSE(rows->next());
}

TEST_F(SqliteTest, BusyDatabaseWaitsForTheTimeOutThenFails) {
  auto writer = connect();
  writer->execute("CREATE TABLE t (a INTEGER)");
  writer->begin();
  writer->execute("INSERT INTO t VALUES (1)");
  auto other = open("Data Source=" + path_, std::chrono::seconds(1));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW_MSG(other->execute("INSERT INTO t VALUES (2)"), "database is locked");
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  writer->commit();
  EXPECT_EQ(other->execute("INSERT INTO t VALUES (2)"), 1);
}

}  // namespace
}  // namespace belvora::db
