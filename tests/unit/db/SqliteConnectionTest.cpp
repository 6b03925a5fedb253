#include "platform/db/SqliteConnection.h"
#include "support/Expect.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/db/Connection.h"

// Behaviour of the native SQLite back end and of open() that no other back
// end shares; the common contract is tested over all back ends in
// tests/integration/db.

namespace belvora::db {
namespace {

namespace fs = std::filesystem;

class SqliteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/belvora-dbtest-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    path_ = (dir_ / "test.db").string();
    std::ofstream(path_).close();  // an empty file is a valid, empty database
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::unique_ptr<Connection> connect() { return open("Data Source=" + path_ + ";"); }

  fs::path dir_;
  std::string path_;
};

TEST_F(SqliteTest, OpensByDataSourceDatabaseOrProvider) {
  EXPECT_NE(open("Data Source=" + path_), nullptr);
  EXPECT_NE(open("database={" + path_ + "}"), nullptr);
  EXPECT_NE(open("Provider=SQLite;Data Source=" + path_ + ";Version=3;"), nullptr);
}

TEST_F(SqliteTest, MissingFileIsAnErrorAndNothingIsCreated) {
  const std::string missing = (dir_ / "nope.db").string();
  EXPECT_THROW_MSG(open("Data Source=" + missing), "database file not found: " + missing);
  EXPECT_FALSE(fs::exists(missing));
  EXPECT_THROW_MSG(open("Provider=SQLite;"),
                   "the SQLite connection string names no database file (Data Source=...)");
}

TEST_F(SqliteTest, FilesThatAreNoDatabaseFailAtOpen) {
  std::ofstream(path_) << "this is plain text and certainly no SQLite database header at all";
  EXPECT_THROW_MSG(open("Data Source=" + path_), "file is not a database");
  EXPECT_THROW_MSG(open("Data Source=" + dir_.string()), "not a database file: " + dir_.string());
}

TEST_F(SqliteTest, AccessAndUnknownStringsNameTheAlternatives) {
  const std::string access =
      "Microsoft Access (Jet/ACE) databases are not supported on this system. Use an SQLite "
      "database file (\"Data Source=/path/to/file.db\") or an ODBC driver (\"Driver={...};...\" "
      "or \"DSN=...\").";
  EXPECT_THROW_MSG(open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\x\\VorlageDB.mdb;"),
                   access);
  EXPECT_THROW_MSG(open("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=/tmp/x.accdb"), access);
  EXPECT_THROW_MSG(open("Data Source=/tmp/Vorlage.MDB"), access);
  EXPECT_THROW_MSG(open("Provider=SQLOLEDB;Data Source=server;Password=geheim"),
                   "unsupported provider \"SQLOLEDB\": use an SQLite database file (\"Data "
                   "Source=/path/to/file.db\") or an ODBC driver (\"Driver={...};...\" or "
                   "\"DSN=...\")");
  EXPECT_THROW_MSG(open("Server=x;Uid=a;Pwd=geheim"),
                   "unsupported connection string: expected \"Driver=\" or \"DSN=\" for ODBC, or "
                   "\"Data Source=\" naming an SQLite database file");
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
  auto rows = c->query("SELECT d, dt, ts, s, n, date('2024-01-15') AS expr FROM t ORDER BY rowid");
  ASSERT_TRUE(rows->next());
  EXPECT_EQ(rows->row()[0], Value(Date{2024, 1, 15}));
  EXPECT_EQ(rows->row()[1], Value(Date{2024, 1, 15, 10, 20, 30}));
  EXPECT_EQ(rows->row()[2], Value(Date{2024, 1, 15, 8, 0, 0}));
  EXPECT_EQ(rows->row()[3], Value("2024-01-15"));  // a text column stays text
  EXPECT_EQ(rows->row()[4], Value(20240115));
  EXPECT_EQ(rows->row()[5], Value("2024-01-15"));  // an expression has no declared type
  ASSERT_TRUE(rows->next());
  EXPECT_EQ(rows->row()[0], Value("31.02.2024"));  // not a date: delivered as stored
  EXPECT_EQ(rows->row()[1], Value(45000));
  EXPECT_TRUE(rows->row()[2].isNull());
  ASSERT_TRUE(rows->next());
  EXPECT_EQ(rows->row()[0], Value(Date{2024, 1, 15}));  // the one date parser reads both forms
  EXPECT_FALSE(rows->next());
  EXPECT_FALSE(rows->next());
}

TEST_F(SqliteTest, DatesBindAsIsoText) {
  auto c = connect();
  c->execute("CREATE TABLE t (d DATE)");
  c->execute("INSERT INTO t VALUES (?), (?)", {Date{2024, 3, 5}, Date{2024, 3, 5, 7, 8, 9}});
  auto rows = c->query("SELECT CAST(d AS TEXT) FROM t ORDER BY rowid");
  ASSERT_TRUE(rows->next());
  EXPECT_EQ(rows->row()[0], Value("2024-03-05"));
  ASSERT_TRUE(rows->next());
  EXPECT_EQ(rows->row()[0], Value("2024-03-05 07:08:09"));
}

TEST_F(SqliteTest, HasNoStoredProcedures) {
  auto c = connect();
  EXPECT_THROW_MSG(c->callProcedure("dbo.sp_XRechnung", std::string("4711")),
                   "SQLite has no stored procedures: 'dbo.sp_XRechnung' cannot be called; use a "
                   "SELECT on a table or view instead");
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
  const std::string other = (dir_ / "other.db").string();
  std::ofstream(other).close();
  auto c = connect();
  c->execute("ATTACH DATABASE ? AS archive", {other});
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
