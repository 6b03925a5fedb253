#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "platform/db/Connection.h"
#include "platform/db/Text.h"
#include "support/Expect.h"

// The contract of db::Connection, run against every back end: native SQLite,
// SQLite through its ODBC driver, and PostgreSQL through psqlodbc (from
// BELVORA_PG_ODBC, see scripts/postgres.sh).

// psqlodbc leaks the error result of every failed statement (driver fault,
// see tests/data/db/lsan.supp); this test provokes failures on purpose.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:psqlodbcw.so\nleak:psqlodbca.so\n";
}

namespace belvora::db {

// Readable values in failure messages.
void PrintTo(const Value& v, std::ostream* os);

namespace {

namespace fs = std::filesystem;

enum class Kind { Sqlite, SqliteOdbc, Postgres };

std::string kindName(const ::testing::TestParamInfo<Kind>& info) {
  switch (info.param) {
    case Kind::Sqlite:
      return "Sqlite";
    case Kind::SqliteOdbc:
      return "SqliteOdbc";
    case Kind::Postgres:
      return "Postgres";
  }
  return "?";
}

void PrintTo(Kind kind, std::ostream* os) { *os << kindName({kind, 0}); }

class DbContract : public ::testing::TestWithParam<Kind> {
 protected:
  void SetUp() override {
    if (kind() == Kind::Postgres) {
      const char* cs = std::getenv("BELVORA_PG_ODBC");
      if (!cs || !*cs) {
        const char* require = std::getenv("BELVORA_REQUIRE_PG");
        if (require && std::string(require) == "1")
          FAIL() << "BELVORA_PG_ODBC is not set but BELVORA_REQUIRE_PG=1";
        GTEST_SKIP()
            << "BELVORA_PG_ODBC is not set; run: eval \"$(bash scripts/postgres.sh start)\"";
      }
      // Every test works in a schema of its own, so that tests may run in parallel.
      schema_ = "t" + std::to_string(::getpid()) + "_" + std::to_string(std::rand());
      base_ = cs;
      open(base_)->execute("CREATE SCHEMA " + schema_);
      connectionString_ = base_ + "ConnSettings={SET search_path TO " + schema_ + "};";
    } else {
      char tmpl[] = "/tmp/belvora-dbcontract-XXXXXX";
      ASSERT_NE(mkdtemp(tmpl), nullptr);
      dir_ = tmpl;
      const std::string file = (dir_ / "contract.db").string();
      std::ofstream(file).close();
      connectionString_ = kind() == Kind::Sqlite ? "Data Source=" + file + ";"
                                                 : "Driver=SQLite3;Database=" + file + ";";
    }
  }

  void TearDown() override {
    if (!schema_.empty()) open(base_)->execute("DROP SCHEMA " + schema_ + " CASCADE");
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  Kind kind() const { return GetParam(); }
  bool postgres() const { return kind() == Kind::Postgres; }
  std::string blobType() const { return postgres() ? "BYTEA" : "BLOB"; }

  std::unique_ptr<Connection> connect() { return open(connectionString_); }

  long count(Connection& c, const std::string& table) {
    auto rows = c.query("SELECT COUNT(*) FROM " + table);
    EXPECT_TRUE(rows->next());
    const Value& v = rows->row()[0];
    return v.kind() == Value::Kind::Integer ? static_cast<long>(v.integer())
                                            : static_cast<long>(v.real());
  }

  void createDocuments(Connection& c) {
    c.execute("CREATE TABLE tblDocuments (DocType VARCHAR(10), Number VARCHAR(50), BinaryFile " +
              blobType() + ", FileName VARCHAR(255), FileType VARCHAR(10), FileSize INTEGER)");
  }

  std::string connectionString_;
  std::string base_;
  std::string schema_;
  fs::path dir_;
};

TEST_P(DbContract, ValuesKeepTheirKindBothWays) {
  auto c = connect();
  c->execute(
      "CREATE TABLE t_values (id BIGINT, amount NUMERIC(12,2), ratio DOUBLE PRECISION, "
      "name VARCHAR(100), day DATE, moment TIMESTAMP, data " +
      blobType() + ")");
  const Blob bytes = {0x00, 0xff, 0x10, 0x00, 0x80};
  EXPECT_EQ(c->execute("INSERT INTO t_values VALUES (?, ?, ?, ?, ?, ?, ?)",
                       {Value(std::int64_t{9007199254740993}), 1234.56, 0.125, "Rechnung",
                        Date{2024, 2, 29}, Date{2024, 12, 31, 23, 59, 58}, bytes}),
            1);
  EXPECT_EQ(c->execute("INSERT INTO t_values VALUES (?, ?, ?, ?, ?, ?, ?)",
                       {2, Value(), Value(), Value(), Value(), Value(), Value()}),
            1);

  auto rows =
      c->query("SELECT id, amount, ratio, name, day, moment, data FROM t_values ORDER BY id DESC");
  ASSERT_EQ(rows->columns().size(), 7u);
  EXPECT_EQ(rows->columnIndex("MOMENT"), 5);
  EXPECT_EQ(rows->columnIndex("missing"), -1);
  ASSERT_TRUE(rows->next());
  const auto& r = rows->row();
  EXPECT_EQ(r[0], Value(std::int64_t{9007199254740993}));
  EXPECT_EQ(r[1], Value(1234.56));
  EXPECT_EQ(r[2], Value(0.125));
  EXPECT_EQ(r[3], Value("Rechnung"));
  EXPECT_EQ(r[4], Value(Date{2024, 2, 29}));
  EXPECT_EQ(r[5], Value(Date{2024, 12, 31, 23, 59, 58}));
  EXPECT_EQ(r[6], Value(bytes));
  ASSERT_TRUE(rows->next());
  EXPECT_EQ(rows->row()[0], Value(2));
  for (size_t i = 1; i < 7; ++i) EXPECT_TRUE(rows->row()[i].isNull()) << i;
  EXPECT_FALSE(rows->next());
  EXPECT_FALSE(rows->next());
}

TEST_P(DbContract, TextsAreUtf8BothWays) {
  auto c = connect();
  const std::string text =
      "M\u00fcller & S\u00f6hne \u2013 \u20ac 5 \u00abStra\u00dfe\u00bb \U0001D11E";
  c->execute("CREATE TABLE t_text (a VARCHAR(200), b VARCHAR(200))");
  c->execute("INSERT INTO t_text VALUES (?, 'Gr\u00fc\u00dfe aus K\u00f6ln')", {text});
  auto rows = c->query("SELECT a, b AS \"Gr\u00f6\u00dfe\" FROM t_text WHERE a = ?", {text});
  EXPECT_EQ(rows->columns()[1], "Gr\u00f6\u00dfe");
  ASSERT_TRUE(rows->next());
  EXPECT_EQ(rows->row()[0], Value(text));
  EXPECT_EQ(rows->row()[1], Value("Gr\u00fc\u00dfe aus K\u00f6ln"));
}

TEST_P(DbContract, LongValuesArriveWhole) {
  auto c = connect();
  c->execute("CREATE TABLE t_long (a TEXT, b " + blobType() + ")");
  // Long enough for several pieces, with a character outside the BMP
  // straddling piece boundaries somewhere.
  std::string text;
  for (int i = 0; i < 30000; ++i) text += i % 7 == 0 ? "\U0001F600" : (i % 3 ? "\u00e4" : "x");
  Blob blob(3 * 1024 * 1024 + 7);
  for (size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<unsigned char>(i * 31 + 7);
  c->execute("INSERT INTO t_long VALUES (?, ?)", {text, blob});
  auto rows = c->query("SELECT a, b FROM t_long");
  ASSERT_TRUE(rows->next());
  EXPECT_EQ(rows->row()[0].text().size(), text.size());
  EXPECT_TRUE(rows->row()[0] == Value(text));
  EXPECT_TRUE(rows->row()[1] == Value(blob));
}

TEST_P(DbContract, EmptyIsNotNull) {
  auto c = connect();
  c->execute("CREATE TABLE t_empty (a VARCHAR(10), b " + blobType() + ")");
  c->execute("INSERT INTO t_empty VALUES (?, ?)", {"", Blob{}});
  auto rows = c->query("SELECT a, b FROM t_empty");
  ASSERT_TRUE(rows->next());
  EXPECT_EQ(rows->row()[0], Value(""));
  EXPECT_EQ(rows->row()[1], Value(Blob{}));
}

TEST_P(DbContract, QuotesInTheSelectorAreDataNotSql) {
  auto c = connect();
  c->execute("CREATE TABLE xRechnung (BT1 VARCHAR(50), BT22 VARCHAR(50))");
  c->execute("INSERT INTO xRechnung VALUES ('R-1', 'eins'), ('O''Brien', 'zwei')");
  for (const std::string evil : {"' OR '1'='1", "x'; DROP TABLE xRechnung; --"}) {
    auto rows = c->query("Select * from xRechnung WHERE BT1=?", {evil});
    EXPECT_FALSE(rows->next()) << evil;
  }
  auto rows = c->query("Select * from xRechnung WHERE BT1=?", {"O'Brien"});
  ASSERT_TRUE(rows->next());
  EXPECT_EQ(rows->row()[rows->columnIndex("bt22")], Value("zwei"));
  EXPECT_FALSE(rows->next());
  EXPECT_EQ(count(*c, "xRechnung"), 2);
}

TEST_P(DbContract, ATextSelectorFindsANumberColumn) {
  // Invoice numbers are handed over as text even where the column is numeric.
  auto c = connect();
  c->execute("CREATE TABLE t_num (BT1 INTEGER, name VARCHAR(10))");
  c->execute("INSERT INTO t_num VALUES (4711, 'a'), (4712, 'b')");
  auto rows = c->query("SELECT name FROM t_num WHERE BT1 = ?", {"4712"});
  ASSERT_TRUE(rows->next());
  EXPECT_EQ(rows->row()[0], Value("b"));
}

TEST_P(DbContract, AQueryWithoutRowsRunsAtOnce) {
  auto c = connect();
  c->execute("CREATE TABLE t_run (n INTEGER)");
  auto none = c->query("INSERT INTO t_run VALUES (?)", {7});
  EXPECT_TRUE(none->columns().empty());
  EXPECT_EQ(count(*c, "t_run"), 1);
  EXPECT_FALSE(none->next());
}

TEST_P(DbContract, ManyRowsStreamInOrder) {
  auto c = connect();
  c->execute("CREATE TABLE t_many (n INTEGER)");
  {
    Transaction t(*c);
    for (int i = 0; i < 2000; ++i) c->execute("INSERT INTO t_many VALUES (?)", {i});
    t.commit();
  }
  auto rows = c->query("SELECT n FROM t_many ORDER BY n");
  std::int64_t expected = 0;
  while (rows->next()) EXPECT_EQ(rows->row()[0].integer(), expected++);
  EXPECT_EQ(expected, 2000);
}

TEST_P(DbContract, SeveralCursorsOnOneConnection) {
  // The creation session keeps three row sets open on the same source.
  auto c = connect();
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
  EXPECT_EQ(count(*c, "t_three"), 3);
}

TEST_P(DbContract, TransactionsRollBackUnlessCommitted) {
  auto c = connect();
  c->execute("CREATE TABLE t_tx (id INTEGER PRIMARY KEY, name VARCHAR(20))");
  c->execute("INSERT INTO t_tx VALUES (1, 'before')");
  {
    Transaction t(*c);
    c->execute("INSERT INTO t_tx VALUES (2, 'dropped')");
  }
  EXPECT_EQ(count(*c, "t_tx"), 1);
  {
    Transaction t(*c);
    c->execute("INSERT INTO t_tx VALUES (2, 'kept')");
    t.commit();
  }
  EXPECT_EQ(count(*c, "t_tx"), 2);
  EXPECT_THROW_MSG(c->commit(), "no transaction is open on this connection");
  c->begin();
  EXPECT_THROW_MSG(c->begin(), "a transaction is already open on this connection");
  c->rollback();
  // Another connection sees only committed rows.
  EXPECT_EQ(count(*connect(), "t_tx"), 2);
}

TEST_P(DbContract, AFailedInsertInATransactionLeavesTheEarlierRows) {
  auto c = connect();
  c->execute("CREATE TABLE t_fail (id INTEGER PRIMARY KEY, name VARCHAR(20))");
  c->execute("INSERT INTO t_fail VALUES (1, 'earlier')");
  try {
    Transaction t(*c);
    c->execute("INSERT INTO t_fail VALUES (2, 'new')");
    c->execute("INSERT INTO t_fail VALUES (1, 'duplicate')");
    t.commit();
    FAIL() << "the duplicate key was accepted";
  } catch (const Error&) {
  }
  auto rows = c->query("SELECT id, name FROM t_fail ORDER BY id");
  ASSERT_TRUE(rows->next());
  EXPECT_EQ(rows->row()[1], Value("earlier"));
  EXPECT_FALSE(rows->next());
  // The connection is usable again, outside any transaction.
  c->execute("INSERT INTO t_fail VALUES (3, 'after')");
  EXPECT_EQ(count(*connect(), "t_fail"), 2);
}

TEST_P(DbContract, AFailedStatementDoesNotEndTheTransaction) {
  // Only the failing statement is undone; what the transaction wrote before
  // and after it is committed together.
  auto c = connect();
  c->execute("CREATE TABLE t_partial (id INTEGER PRIMARY KEY)");
  {
    Transaction t(*c);
    c->execute("INSERT INTO t_partial VALUES (1)");
    EXPECT_THROW(c->execute("INSERT INTO t_partial VALUES (1)"), Error);
    EXPECT_EQ(count(*connect(), "t_partial"), 0);  // nothing visible before the commit
    c->execute("INSERT INTO t_partial VALUES (2)");
    t.commit();
  }
  EXPECT_EQ(count(*connect(), "t_partial"), 2);
}

TEST_P(DbContract, DocumentsTableStoresTheFileBytes) {
  const fs::path file = fs::path(BELVORA_TEST_DATA_DIR) / "pdf" / "content-only.pdf";
  std::ifstream in(file, std::ios::binary);
  const Blob bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 1000u);

  auto c = connect();
  createDocuments(*c);
  const std::string table = c->resolveTable("TBLDOCUMENTS");
  EXPECT_EQ(table, postgres() ? "\"tbldocuments\"" : "\"tblDocuments\"");
  {
    Transaction t(*c);
    c->execute("INSERT INTO " + table +
                   " (DocType, Number, BinaryFile, FileName, FileType, FileSize) VALUES (?, ?, ?, "
                   "?, ?, ?)",
               {"IN", "RE/2024/7", bytes, file.filename().string(), "pdf",
                static_cast<std::int64_t>(bytes.size())});
    t.commit();
  }
  auto rows =
      c->query("SELECT BinaryFile, FileSize, Number FROM " + table + " WHERE DocType = ?", {"IN"});
  ASSERT_TRUE(rows->next());
  EXPECT_TRUE(rows->row()[0] == Value(bytes));
  EXPECT_EQ(rows->row()[1], Value(static_cast<std::int64_t>(bytes.size())));
  EXPECT_EQ(rows->row()[2], Value("RE/2024/7"));
}

TEST_P(DbContract, TablesResolveWithoutRegardToCase) {
  auto c = connect();
  createDocuments(*c);
  c->execute("CREATE VIEW vInvoices AS SELECT Number FROM tblDocuments");
  const std::string view = c->resolveTable("vinvoices");
  EXPECT_EQ(view, postgres() ? "\"vinvoices\"" : "\"vInvoices\"");
  EXPECT_FALSE(c->query("SELECT * FROM " + view)->next());
  EXPECT_THROW_MSG(c->resolveTable("tblMissing"), "table not found: tblMissing");
  EXPECT_THROW_MSG(c->resolveTable("tblDocuments; DROP TABLE tblDocuments"),
                   "invalid table name: tblDocuments; DROP TABLE tblDocuments");
  EXPECT_THROW_MSG(c->resolveTable("\"tblDocuments\""), "invalid table name: \"tblDocuments\"");
  if (postgres()) {
    EXPECT_EQ(c->resolveTable(schema_ + ".TblDocuments"), "\"" + schema_ + "\".\"tbldocuments\"");
    EXPECT_THROW_MSG(c->resolveTable("nosuchschema.tblDocuments"),
                     "table not found: nosuchschema.tblDocuments");
  }
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
      EXPECT_EQ(e.sqlState(), "42P01");
      EXPECT_EQ(std::string(e.what()).rfind("[42P01] ERROR: relation \"nope\" does not exist", 0),
                0u)
          << e.what();
    }
  }
  c->execute("CREATE TABLE t_err (a INTEGER)");
  EXPECT_THROW_MSG(c->execute("INSERT INTO t_err VALUES (?)", {1, 2}),
                   "the statement has 1 parameter(s) but 2 value(s) were given");
  EXPECT_THROW_MSG(c->query("SELECT a FROM t_err WHERE a = ? OR a = ?", {1}),
                   "the statement has 2 parameter(s) but 1 value(s) were given");
}

double secondsFor(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST_P(DbContract, ALockOfAnotherConnectionIsWaitedForABoundedTime) {
  auto c = connect();
  c->execute("CREATE TABLE t_lock (id INTEGER)");
  auto other = connect();
  other->begin();
  other->execute(postgres() ? "LOCK TABLE t_lock IN ACCESS EXCLUSIVE MODE"
                            : "INSERT INTO t_lock VALUES (1)");
  const double waited = secondsFor([&] {
    EXPECT_THROW_HAS(
        {
          Transaction t(*c);
          c->execute("INSERT INTO t_lock VALUES (2)");
          t.commit();
        },
        postgres() ? "[55P03] ERROR: canceling statement due to lock timeout" : "locked");
  });
  // The SQLite ODBC driver waits once more itself after the database gave up.
  const double bound =
      static_cast<double>(kLockWait.count()) * (kind() == Kind::SqliteOdbc ? 2 : 1);
  EXPECT_GE(waited, bound - 1);
  EXPECT_LT(waited, bound + 4);
  other->rollback();
  c->execute("INSERT INTO t_lock VALUES (3)");
  EXPECT_EQ(count(*connect(), "t_lock"), 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, DbContract,
                         ::testing::Values(Kind::Sqlite, Kind::SqliteOdbc, Kind::Postgres),
                         kindName);

// ODBC only: connection failures, stored procedures.
class OdbcTest : public DbContract {};

TEST_P(OdbcTest, ConnectionFailuresNameTheCause) {
  EXPECT_THROW_MSG(
      open("Driver={No Such Driver};Database=x;"),
      "[01000] [unixODBC][Driver Manager]Can't open lib 'No Such Driver' : file not found");
  EXPECT_THROW_MSG(open("DSN=belvora_no_such_dsn"),
                   "[IM002] [unixODBC][Driver Manager]Data source name not found and no default "
                   "driver specified");
  if (!postgres()) {
    const std::string missing = (dir_ / "missing.db").string();
    EXPECT_THROW_MSG(open("Driver=SQLite3;Database=" + missing + ";"),
                     "database file not found: " + missing);
    EXPECT_FALSE(fs::exists(missing));
  } else {
    std::string wrong = base_;
    wrong.replace(wrong.find("Pwd=belvora"), 11, "Pwd=wrong");
    EXPECT_THROW_HAS(open(wrong), "password authentication failed for user \"belvora\"");
  }
}

TEST_P(OdbcTest, ProcedureCallsReachTheDriver) {
  if (postgres()) {
    EXPECT_THROW_MSG(connect()->callProcedure("sp_missing", std::nullopt),
                     "[42883] ERROR: function sp_missing() does not exist;\nError while executing "
                     "the query");
  } else {
    // The SQLite driver has no call escape; its own message comes through.
    EXPECT_THROW_MSG(connect()->callProcedure("sp_XRechnung", std::string("4711")),
                     "[HY000] [SQLite]near \"sp_XRechnung\": syntax error (1)");
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, OdbcTest, ::testing::Values(Kind::SqliteOdbc, Kind::Postgres),
                         kindName);

// PostgreSQL only: functions, and names that differ in case only.
class PostgresTest : public DbContract {};

TEST_P(PostgresTest, SetReturningFunctionsAreCalledWithAndWithoutArgument) {
  auto c = connect();
  c->execute("CREATE TABLE xrechnung (BT1 INTEGER, BT2 DATE, BT131 NUMERIC(12,2), BT153 TEXT)");
  c->execute(
      "INSERT INTO xrechnung VALUES (4711, '2024-05-01', 100.50, 'Schraube \u00c4'), "
      "(4711, '2024-05-01', 9.99, 'Mutter'), (4712, '2024-06-01', 1, 'Bolzen')");
  c->execute(
      "CREATE FUNCTION sp_XRechnung(p_invoice INTEGER DEFAULT NULL) "
      "RETURNS TABLE(\"BT1\" INTEGER, \"BT2\" DATE, \"BT131\" NUMERIC, \"BT153\" TEXT) "
      "LANGUAGE plpgsql AS $$ BEGIN RETURN QUERY SELECT x.BT1, x.BT2, x.BT131, x.BT153 "
      "FROM xrechnung x WHERE p_invoice IS NULL OR x.BT1 = p_invoice ORDER BY x.BT131 DESC; END "
      "$$");
  c->execute(
      "CREATE FUNCTION sp_all() RETURNS SETOF xrechnung LANGUAGE plpgsql AS "
      "$$ BEGIN RETURN QUERY SELECT * FROM xrechnung; END $$");

  auto rows = c->callProcedure("sp_XRechnung", std::string("4711"));
  ASSERT_EQ(rows->columns().size(), 4u);
  EXPECT_EQ(rows->columns()[3], "BT153");
  ASSERT_TRUE(rows->next());
  EXPECT_EQ(rows->row()[0], Value(4711));
  EXPECT_EQ(rows->row()[1], Value(Date{2024, 5, 1}));
  EXPECT_EQ(rows->row()[2], Value(100.5));
  EXPECT_EQ(rows->row()[3], Value("Schraube \u00c4"));
  ASSERT_TRUE(rows->next());
  EXPECT_EQ(rows->row()[2], Value(9.99));
  EXPECT_FALSE(rows->next());

  auto countRows = [](std::unique_ptr<Cursor> cursor) {
    int n = 0;
    while (cursor->next()) ++n;
    return n;
  };
  EXPECT_EQ(countRows(c->callProcedure("sp_XRechnung", std::nullopt)), 3);
  // Unquoted names fold to lower case in PostgreSQL; the caller's spelling still finds it.
  EXPECT_EQ(countRows(c->callProcedure("SP_XRECHNUNG", std::string("4712"))), 1);
  EXPECT_EQ(countRows(c->callProcedure(schema_ + ".sp_XRechnung", std::string("4712"))), 1);
  c->execute(
      "CREATE FUNCTION sp_byname(p_name TEXT) RETURNS SETOF xrechnung LANGUAGE plpgsql AS "
      "$$ BEGIN RETURN QUERY SELECT * FROM xrechnung WHERE BT153 = p_name; END $$");
  EXPECT_EQ(countRows(c->callProcedure("sp_byname", std::string("Schraube \u00c4"))), 1);
  EXPECT_EQ(countRows(c->callProcedure("sp_byname", std::string("x'); DROP TABLE xrechnung; --"))),
            0);
  // A function without parameters ignores the selector.
  EXPECT_EQ(countRows(c->callProcedure("sp_all", std::string("4711"))), 3);
  EXPECT_THROW_HAS(c->callProcedure("sp_missing", std::string("1")), "does not exist");
  EXPECT_THROW_MSG(c->callProcedure("sp_all(1); DROP TABLE xrechnung", std::nullopt),
                   "invalid procedure name: sp_all(1); DROP TABLE xrechnung");
}

TEST_P(PostgresTest, TablesPreferTheExactSpellingAndTheVisibleSchema) {
  auto c = connect();
  const std::string other = "a" + schema_;  // listed before the test schema
  c->execute("CREATE SCHEMA " + other + "; CREATE TABLE " + other +
             ".\"TBLINVOICE\" (a INTEGER); CREATE TABLE \"tblInvoice\" (a INTEGER); "
             "CREATE TABLE \"tblItems\" (a INTEGER); CREATE TABLE tblitems (a INTEGER)");
  // Only the table in the search path works without its schema.
  EXPECT_EQ(c->resolveTable("TBLinvoice"), "\"tblInvoice\"");
  EXPECT_EQ(c->resolveTable(other + ".tblinvoice"), "\"" + other + "\".\"TBLINVOICE\"");
  EXPECT_EQ(c->resolveTable("tblItems"), "\"tblItems\"");
  EXPECT_EQ(c->resolveTable("tblitems"), "\"tblitems\"");
  // A table only in a schema outside the search path is not found without it.
  c->execute("CREATE TABLE " + other + ".tblHidden (a INTEGER)");
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

void PrintTo(const Value& v, std::ostream* os) {
  switch (v.kind()) {
    case Value::Kind::Null:
      *os << "NULL";
      break;
    case Value::Kind::Integer:
      *os << "Integer(" << v.integer() << ")";
      break;
    case Value::Kind::Real:
      *os << "Real(" << v.real() << ")";
      break;
    case Value::Kind::Text:
      *os << "Text(\"" << v.text().substr(0, 80) << "\")";
      break;
    case Value::Kind::Date:
      *os << "Date(" << formatIsoDate(v.date()) << ")";
      break;
    case Value::Kind::Blob:
      *os << "Blob(" << v.blob().size() << " bytes)";
      break;
  }
}

}  // namespace belvora::db
