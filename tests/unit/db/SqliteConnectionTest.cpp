// Behaviour of the native SQLite back end and of open() that no other back
// end shares; the common contract is tested over all back ends in
// tests/integration/db.
#include "platform/db/SqliteConnection.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

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
  test::writeAll(dir_ / "text.db", "this is plain text and certainly no SQLite database header");
  const auto here = [&](std::string text) {
    for (size_t at; (at = text.find("$DIR")) != std::string::npos;)
      text.replace(at, 4, dir_.path());
    return text;
  };
  std::istringstream cases(test::readAll(BELVORA_TEST_DATA_DIR "/db/open-failures.txt"));
  int checked = 0;
  for (std::string line; std::getline(cases, line); ++checked) {
    if (line.starts_with("#")) continue;
    EXPECT_THROW_MSG(open(here(line.substr(0, line.find('\t')))),
                     here(line.substr(line.find('\t') + 1)));
  }
  EXPECT_GE(checked, 9);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "nope.db"));
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

}  // namespace
}  // namespace belvora::db
