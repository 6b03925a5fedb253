// The contract of db::Connection, run against every back end: native SQLite,
// SQLite through its ODBC driver, and PostgreSQL through psqlodbc (from
// BELVORA_PG_ODBC, see scripts/postgres.sh).
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>

#include "platform/db/Connection.h"
#include "support/DbValuePrint.h"
#include "support/Expect.h"
#include "support/TempDir.h"

// psqlodbc leaks the error result of every failed statement (driver fault,
// see tests/data/db/lsan.supp); this test provokes failures on purpose.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:psqlodbcw.so\nleak:psqlodbca.so\n";
}

namespace belvora::db {
namespace {

enum class Kind { Sqlite, SqliteOdbc, Postgres };

const char* const kNames[] = {"Sqlite", "SqliteOdbc", "Postgres"};
std::string kindName(const ::testing::TestParamInfo<Kind>& info) { return kNames[int(info.param)]; }
void PrintTo(Kind kind, std::ostream* os) { *os << kNames[int(kind)]; }

class DbContract : public ::testing::TestWithParam<Kind> {
 protected:
  void SetUp() override {
    if (kind() != Kind::Postgres) {
      test::writeAll(dir_ / "contract.db", "");
      connectionString_ = kind() == Kind::Sqlite
                              ? "Data Source=" + dir_ / "contract.db" + ";"
                              : "Driver=SQLite3;Database=" + dir_ / "contract.db" + ";";
      return;
    }
    const char* cs = std::getenv("BELVORA_PG_ODBC");
    if (!cs || !*cs) {
      const char* require = std::getenv("BELVORA_REQUIRE_PG");
      if (require && std::string(require) == "1")
        FAIL() << "BELVORA_PG_ODBC is not set but BELVORA_REQUIRE_PG=1";
      GTEST_SKIP() << "BELVORA_PG_ODBC is not set; run: eval \"$(bash scripts/postgres.sh start)\"";
    }
    // Every test works in a schema of its own, so that tests may run in parallel.
    schema_ = "t" + std::to_string(::getpid()) + "_" + std::to_string(std::rand());
    base_ = cs;
    open(base_)->execute("CREATE SCHEMA " + schema_);
    connectionString_ = base_ + "ConnSettings={SET search_path TO " + schema_ + "};";
  }
  void TearDown() override {
    if (!schema_.empty()) open(base_)->execute("DROP SCHEMA " + schema_ + " CASCADE");
  }

  Kind kind() const { return GetParam(); }
  bool postgres() const { return kind() == Kind::Postgres; }
  std::string blobType() const { return postgres() ? "BYTEA" : "BLOB"; }
  std::unique_ptr<Connection> connect() { return open(connectionString_); }

  test::TempDir dir_;
  std::string connectionString_, base_, schema_;
};

// The first column of every row as text, "1 2 3".
std::string column(Connection& c, const std::string& sql) {
  std::string out;
  for (auto rows = c.query(sql); rows->next();) {
    const Value& v = rows->row()[0];
    out += (out.empty() ? "" : " ") + (v.kind() == Value::Kind::Real
                                           ? std::to_string(std::llround(v.real()))
                                           : std::to_string(v.integer()));
  }
  return out;
}

TEST_P(DbContract, ValuesKeepTheirKindBothWays) {
  auto c = connect();
  c->execute(
      "CREATE TABLE t_values (id BIGINT, amount NUMERIC(12,2), ratio DOUBLE PRECISION, "
      "name VARCHAR(200), note TEXT, day DATE, moment TIMESTAMP, data " +
      blobType() + ")");
  const std::string utf8 =
      "M\u00fcller & S\u00f6hne \u2013 \u20ac 5 \u00abStra\u00dfe\u00bb \U0001D11E";
  // Long enough for several pieces, with a character outside the BMP
  // straddling piece boundaries somewhere.
  std::string text;
  for (int i = 0; i < 30000; ++i) text += i % 7 == 0 ? "\U0001F600" : (i % 3 ? "\u00e4" : "x");
  Blob blob(3 * 1024 * 1024 + 7);
  for (size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<unsigned char>(i * 31 + 7);
  const Value null;
  const std::vector<std::vector<Value>> rows = {
      {1, null, null, null, null, null, null, null},
      {2, null, null, "", "", null, null, Blob{}},  // empty is not NULL
      {3, null, null, utf8, text, null, null, blob},
      {Value(std::int64_t{9007199254740993}), 1234.56, 0.125, "Rechnung", null, Date{2024, 2, 29},
       Date{2024, 12, 31, 23, 59, 58}, Blob{0x00, 0xff, 0x10, 0x00, 0x80}}};
  for (const auto& row : rows)
    EXPECT_EQ(c->execute("INSERT INTO t_values VALUES (?, ?, ?, ?, ?, ?, ?, ?)", row), 1);
  auto read = c->query("SELECT * FROM t_values ORDER BY id");
  ASSERT_EQ(read->columns().size(), 8u);
  EXPECT_EQ(read->columnIndex("MOMENT"), 6);
  EXPECT_EQ(read->columnIndex("missing"), -1);
  for (const auto& row : rows) {
    ASSERT_TRUE(read->next());
    EXPECT_EQ(read->row(), row);
  }
  EXPECT_FALSE(read->next());
  EXPECT_FALSE(read->next());
  // UTF-8 in the statement, its parameters and the column names.
  read = c->query(
      "SELECT id, 'Gr\u00fc\u00dfe aus K\u00f6ln' AS \"Gr\u00f6\u00dfe\" FROM t_values WHERE name "
      "= ?",
      {utf8});
  EXPECT_EQ(read->columns()[1], "Gr\u00f6\u00dfe");
  ASSERT_TRUE(read->next());
  EXPECT_EQ(read->row()[1], Value("Gr\u00fc\u00dfe aus K\u00f6ln"));
}

TEST_P(DbContract, SelectorsAreBoundAsData) {
  auto c = connect();
  c->execute("CREATE TABLE xRechnung (BT1 VARCHAR(50), BT22 VARCHAR(50))");
  c->execute("INSERT INTO xRechnung VALUES ('R-1', 'eins'), ('O''Brien', 'zwei')");
  for (const std::string evil : {"' OR '1'='1", "x'; DROP TABLE xRechnung; --"})
    EXPECT_FALSE(c->query("Select * from xRechnung WHERE BT1=?", {evil})->next()) << evil;
  auto rows = c->query("Select * from xRechnung WHERE BT1=?", {"O'Brien"});
  ASSERT_TRUE(rows->next());
  EXPECT_EQ(rows->row()[rows->columnIndex("bt22")], Value("zwei"));
  EXPECT_FALSE(rows->next());
  EXPECT_EQ(column(*c, "SELECT COUNT(*) FROM xRechnung"), "2");
  // Invoice numbers are handed over as text even where the column is numeric.
  c->execute("CREATE TABLE t_num (BT1 INTEGER, name VARCHAR(10))");
  c->execute("INSERT INTO t_num VALUES (4711, 'a'), (4712, 'b')");
  rows = c->query("SELECT name FROM t_num WHERE BT1 = ?", {"4712"});
  ASSERT_TRUE(rows->next());
  EXPECT_EQ(rows->row()[0], Value("b"));
}

TEST_P(DbContract, CursorsStreamAndSeveralStayOpen) {
  auto c = connect();
  c->execute("CREATE TABLE t_many (n INTEGER)");
  auto none = c->query("INSERT INTO t_many VALUES (?)", {0});  // runs at once
  EXPECT_TRUE(none->columns().empty());
  EXPECT_EQ(column(*c, "SELECT COUNT(*) FROM t_many"), "1");
  EXPECT_FALSE(none->next());
  {
    Transaction t(*c);
    for (int i = 1; i < 2000; ++i) c->execute("INSERT INTO t_many VALUES (?)", {i});
    t.commit();
  }
  auto rows = c->query("SELECT n FROM t_many ORDER BY n");
  std::int64_t expected = 0;
  while (rows->next()) EXPECT_EQ(rows->row()[0].integer(), expected++);
  EXPECT_EQ(expected, 2000);
  // The creation session keeps three row sets open on the same source.
  c->execute("CREATE TABLE t_three (n INTEGER)");
  c->execute("INSERT INTO t_three VALUES (1), (2)");
  auto a = c->query("SELECT n FROM t_three ORDER BY n");
  auto b = c->query("SELECT n FROM t_three ORDER BY n");
  ASSERT_TRUE(a->next());
  ASSERT_TRUE(b->next());
  ASSERT_TRUE(b->next());
  EXPECT_EQ(b->row()[0], Value(2));
  ASSERT_TRUE(a->next());
  EXPECT_EQ(a->row()[0], Value(2));
  c->execute("INSERT INTO t_three VALUES (3)");  // writing while cursors are open
  EXPECT_EQ(column(*c, "SELECT COUNT(*) FROM t_three"), "3");
}

TEST_P(DbContract, TransactionsKeepOnlyWhatIsCommitted) {
  auto c = connect();
  const std::string ids = "SELECT id FROM t_tx ORDER BY id";
  c->execute("CREATE TABLE t_tx (id INTEGER PRIMARY KEY, name VARCHAR(20))");
  c->execute("INSERT INTO t_tx VALUES (1, 'before')");
  {
    Transaction t(*c);
    c->execute("INSERT INTO t_tx VALUES (2, 'dropped')");
  }
  EXPECT_EQ(column(*c, ids), "1");
  // A failed statement undoes only itself: what the transaction wrote
  // before and after it is committed together.
  {
    Transaction t(*c);
    c->execute("INSERT INTO t_tx VALUES (2, 'kept')");
    EXPECT_THROW(c->execute("INSERT INTO t_tx VALUES (1, 'duplicate')"), Error);
    EXPECT_EQ(column(*connect(), ids), "1");  // nothing visible before the commit
    c->execute("INSERT INTO t_tx VALUES (3, 'kept')");
    t.commit();
  }
  EXPECT_EQ(column(*connect(), ids), "1 2 3");
  // A failure leaving the transaction undoes all of it; the connection is
  // usable again, outside any transaction.
  try {
    Transaction t(*c);
    c->execute("INSERT INTO t_tx VALUES (4, 'new')");
    c->execute("INSERT INTO t_tx VALUES (1, 'duplicate')");
    t.commit();
    FAIL() << "the duplicate key was accepted";
  } catch (const Error&) {
  }
  c->execute("INSERT INTO t_tx VALUES (5, 'after')");
  EXPECT_EQ(column(*connect(), ids), "1 2 3 5");
  EXPECT_THROW_MSG(c->commit(), "no transaction is open on this connection");
  c->begin();
  EXPECT_THROW_MSG(c->begin(), "a transaction is already open on this connection");
  c->rollback();
  EXPECT_EQ(column(*connect(), ids), "1 2 3 5");
}

TEST_P(DbContract, TablesResolveWithoutRegardToCase) {
  auto c = connect();
  c->execute("CREATE TABLE tblDocuments (Number VARCHAR(50), BinaryFile " + blobType() + ")");
  c->execute("CREATE VIEW vInvoices AS SELECT Number FROM tblDocuments");
  const std::string table = c->resolveTable("TBLDOCUMENTS");
  EXPECT_EQ(table, postgres() ? "\"tbldocuments\"" : "\"tblDocuments\"");
  c->execute("INSERT INTO " + table + " (Number, BinaryFile) VALUES (?, ?)", {"RE/7", Blob{1}});
  const std::string view = c->resolveTable("vinvoices");
  EXPECT_EQ(view, postgres() ? "\"vinvoices\"" : "\"vInvoices\"");
  auto rows = c->query("SELECT * FROM " + view);
  ASSERT_TRUE(rows->next());
  EXPECT_EQ(rows->row()[0], Value("RE/7"));
  EXPECT_THROW_MSG(c->resolveTable("tblMissing"), "table not found: tblMissing");
  EXPECT_THROW_MSG(c->resolveTable("tblDocuments; DROP TABLE tblDocuments"),
                   "invalid table name: tblDocuments; DROP TABLE tblDocuments");
  EXPECT_THROW_MSG(c->resolveTable("\"tblDocuments\""), "invalid table name: \"tblDocuments\"");
  if (!postgres()) return;
  EXPECT_EQ(c->resolveTable(schema_ + ".TblDocuments"), "\"" + schema_ + "\".\"tbldocuments\"");
  EXPECT_THROW_MSG(c->resolveTable("nosuchschema.tblDocuments"),
                   "table not found: nosuchschema.tblDocuments");
}

TEST_P(DbContract, ErrorsCarryTheDatabaseText) {
  auto c = connect();
  if (kind() == Kind::Sqlite) {
    EXPECT_THROW_MSG(c->query("SELECT * FROM nope"), "no such table: nope");
    EXPECT_THROW_MSG(c->query("SELEC 1"), "near \"SELEC\": syntax error");
  } else if (kind() == Kind::SqliteOdbc) {
    EXPECT_THROW_HAS(c->query("SELECT * FROM nope"), "no such table: nope");
  } else {
    try {
      c->query("SELECT * FROM nope");
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(e.sqlState() + " " + std::string(e.what()).substr(0, 45),
                "42P01 [42P01] ERROR: relation \"nope\" does not exist");
    }
  }
  c->execute("CREATE TABLE t_err (a INTEGER)");
  EXPECT_THROW_MSG(c->execute("INSERT INTO t_err VALUES (?)", {1, 2}),
                   "the statement has 1 parameter(s) but 2 value(s) were given");
  EXPECT_THROW_MSG(c->query("SELECT a FROM t_err WHERE a = ? OR a = ?", {1}),
                   "the statement has 2 parameter(s) but 1 value(s) were given");
}

TEST_P(DbContract, ALockOfAnotherConnectionIsWaitedForABoundedTime) {
  auto c = connect();
  c->execute("CREATE TABLE t_lock (id INTEGER)");
  auto other = connect();
  other->begin();
  other->execute(postgres() ? "LOCK TABLE t_lock IN ACCESS EXCLUSIVE MODE"
                            : "INSERT INTO t_lock VALUES (1)");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW_HAS(
      {
        Transaction t(*c);
        c->execute("INSERT INTO t_lock VALUES (2)");
        t.commit();
      },
      postgres() ? "[55P03] ERROR: canceling statement due to lock timeout" : "locked");
  const double waited =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // The SQLite ODBC driver waits once more itself after the database gave up.
  const double bound =
      static_cast<double>(kLockWait.count()) * (kind() == Kind::SqliteOdbc ? 2 : 1);
  EXPECT_GE(waited, bound - 1);
  EXPECT_LT(waited, bound + 4);
  other->rollback();
  c->execute("INSERT INTO t_lock VALUES (3)");
  EXPECT_EQ(column(*connect(), "SELECT id FROM t_lock"), "3");
}

INSTANTIATE_TEST_SUITE_P(Backends, DbContract,
                         ::testing::Values(Kind::Sqlite, Kind::SqliteOdbc, Kind::Postgres),
                         kindName);

// ODBC only: connection failures, stored procedures.
class OdbcTest : public DbContract {};

TEST_P(OdbcTest, FailuresNameTheCause) {
  EXPECT_THROW_MSG(
      open("Driver={No Such Driver};Database=x;"),
      "[01000] [unixODBC][Driver Manager]Can't open lib 'No Such Driver' : file not found");
  EXPECT_THROW_MSG(open("DSN=belvora_no_such_dsn"),
                   "[IM002] [unixODBC][Driver Manager]Data source name not found and no default "
                   "driver specified");
  if (!postgres()) {
    const std::string missing = dir_ / "missing.db";
    EXPECT_THROW_MSG(open("Driver=SQLite3;Database=" + missing + ";"),
                     "database file not found: " + missing);
    EXPECT_FALSE(std::filesystem::exists(missing));
    // The SQLite driver has no call escape; its own message comes through.
    EXPECT_THROW_MSG(connect()->callProcedure("sp_XRechnung", std::string("4711")),
                     "[HY000] [SQLite]near \"sp_XRechnung\": syntax error (1)");
    return;
  }
  std::string wrong = base_;
  wrong.replace(wrong.find("Pwd=belvora"), 11, "Pwd=wrong");
  EXPECT_THROW_HAS(open(wrong), "password authentication failed for user \"belvora\"");
  EXPECT_THROW_MSG(connect()->callProcedure("sp_missing", std::nullopt),
                   "[42883] ERROR: function sp_missing() does not exist;\nError while executing "
                   "the query");
}

INSTANTIATE_TEST_SUITE_P(Backends, OdbcTest, ::testing::Values(Kind::SqliteOdbc, Kind::Postgres),
                         kindName);

// PostgreSQL only: functions, and names that differ in case only.
class PostgresTest : public DbContract {};

TEST_P(PostgresTest, SetReturningFunctionsAreCalledWithAndWithoutArgument) {
  auto c = connect();
  c->execute(test::readAll(BELVORA_TEST_DATA_DIR "/db/functions.sql"));
  auto rows = c->callProcedure("sp_XRechnung", std::string("4711"));
  ASSERT_EQ(rows->columns().size(), 4u);
  EXPECT_EQ(rows->columns()[3], "BT153");
  ASSERT_TRUE(rows->next());
  EXPECT_EQ(rows->row(), (std::vector<Value>{4711, Date{2024, 5, 1}, 100.5, "Schraube \u00c4"}));
  ASSERT_TRUE(rows->next());
  EXPECT_EQ(rows->row()[2], Value(9.99));
  EXPECT_FALSE(rows->next());
  // Rows by name and selector; unquoted names fold to lower case in
  // PostgreSQL, the caller's spelling still finds them; a function without
  // parameters ignores the selector.
  const std::pair<std::string, std::optional<std::string>> calls[] = {
      {"sp_XRechnung", std::nullopt},
      {"SP_XRECHNUNG", "4712"},
      {schema_ + ".sp_XRechnung", "4712"},
      {"sp_byname", "Schraube \u00c4"},
      {"sp_byname", "x'); DROP TABLE xrechnung; --"},
      {"sp_all", "4711"}};
  std::string counts;
  for (const auto& [name, selector] : calls) {
    int n = 0;
    for (auto cursor = c->callProcedure(name, selector); cursor->next();) ++n;
    counts += std::to_string(n) + " ";
  }
  EXPECT_EQ(counts, "3 1 1 1 0 3 ");
  EXPECT_THROW_HAS(c->callProcedure("sp_missing", std::string("1")), "does not exist");
  EXPECT_THROW_MSG(c->callProcedure("sp_all(1); DROP TABLE xrechnung", std::nullopt),
                   "invalid procedure name: sp_all(1); DROP TABLE xrechnung");
}

TEST_P(PostgresTest, TablesPreferTheExactSpellingAndTheVisibleSchema) {
  auto c = connect();
  const std::string other = "a" + schema_;  // listed before the test schema
  c->execute("CREATE SCHEMA " + other + "; CREATE TABLE " + other +
             ".\"TBLINVOICE\" (a INTEGER); CREATE TABLE \"tblInvoice\" (a INTEGER); "
             "CREATE TABLE \"tblItems\" (a INTEGER); CREATE TABLE tblitems (a INTEGER); "
             "CREATE TABLE " +
             other + ".tblHidden (a INTEGER)");
  // Only the table in the search path works without its schema.
  EXPECT_EQ(c->resolveTable("TBLinvoice"), "\"tblInvoice\"");
  EXPECT_EQ(c->resolveTable(other + ".tblinvoice"), "\"" + other + "\".\"TBLINVOICE\"");
  EXPECT_EQ(c->resolveTable("tblItems"), "\"tblItems\"");
  EXPECT_EQ(c->resolveTable("tblitems"), "\"tblitems\"");
  EXPECT_THROW_MSG(c->resolveTable("tblHidden"), "table not found: tblHidden");
  c->execute("DROP SCHEMA " + other + " CASCADE");
}

TEST_P(PostgresTest, ALockTimeoutOfTheCallerIsKept) {
  auto c =
      open(base_ + "ConnSettings={SET search_path TO " + schema_ + "; SET lock_timeout = '1s'};");
  auto rows = c->query("SELECT current_setting('lock_timeout')");
  ASSERT_TRUE(rows->next());
  EXPECT_EQ(rows->row()[0], Value("1s"));
  rows = connect()->query("SELECT current_setting('lock_timeout')");
  ASSERT_TRUE(rows->next());
  EXPECT_EQ(rows->row()[0], Value(std::to_string(kLockWait.count()) + "s"));
}

INSTANTIATE_TEST_SUITE_P(Backend, PostgresTest, ::testing::Values(Kind::Postgres), kindName);

}  // namespace
}  // namespace belvora::db
