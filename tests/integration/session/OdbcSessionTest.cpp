// The creation session through ODBC: PostgreSQL with the stored-procedure
// form (a PL/pgSQL function returning the rows) and the query form, and
// SQLite through its ODBC driver.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <regex>

#include "SessionFixture.h"
#include "belvora/clsXRechnung.h"

// psqlodbc leaks the error result of a failed statement (a driver fault); the
// query-error case provokes one on purpose.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:psqlodbcw.so\nleak:psqlodbca.so\n";
}

namespace belvora::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

// Private schema of these tests: the template scripts are loaded into it,
// so nothing else in the shared database is touched.
const std::string kSchema = "belvora_session_test";
const std::string kProcedure = "exec " + kSchema + ".sp_XRechnung";
const std::string kView = "Select * from " + kSchema + ".xRechnung";
const std::string kTable = kSchema + ".tblDocuments";

class PostgresSession : public SessionFixture {
 protected:
  void SetUp() override {
    SessionFixture::SetUp();
    const char* cs = std::getenv("BELVORA_PG_ODBC");
    if (!cs || !*cs) {
      const char* require = std::getenv("BELVORA_REQUIRE_PG");
      if (require && std::string(require) == "1") FAIL() << "BELVORA_PG_ODBC is not set";
      GTEST_SKIP() << "BELVORA_PG_ODBC is not set: start the server with "
                      "eval \"$(bash scripts/postgres.sh start)\"";
    }
    pg = cs;
    auto part = [&](const char* key) {
      std::smatch m;
      std::regex_search(pg, m,
                        std::regex(std::string("(^|;)") + key + "=([^;]*)", std::regex::icase));
      return m[2].str();
    };
    const std::string psql =
        "PGPASSWORD='" + part("pwd") +
        "' PGOPTIONS='-c client_min_messages=warning -c search_path=" + kSchema +
        "' psql -X -q -v ON_ERROR_STOP=1 -h " + part("server") + " -p " + part("port") + " -U " +
        part("uid") + " -d " + part("database");
    const std::string sql = std::string(BELVORA_SOURCE_DIR) + "/sql/postgresql/";
    const std::string command =
        psql + " -c 'DROP SCHEMA IF EXISTS " + kSchema + " CASCADE' -c 'CREATE SCHEMA " + kSchema +
        "' && " + psql + " -f " + sql + "01_xrechnung_tables.sql -f " + sql +
        "02_xrechnung_sample.sql -f " + sql + "03_sp_xrechnung.sql -c 'ALTER FUNCTION " + kSchema +
        ".sp_xrechnung(text) SET search_path = " + kSchema + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }

  std::string pg;
};

TEST_F(PostgresSession, StoredProcedureCreatesAndStoresTheSelectedOrItsDefaultInvoice) {
  // Without a selector the procedure runs with its own default.
  for (const std::string selector : {"252069", ""}) {
    const std::string number = selector.empty() ? "252068" : selector, name = number + ".xml";
    clsXRechnung x;
    ASSERT_TRUE(x.DLL_Init_DB(out(name), pg, kProcedure, selector, false, "", kTable)) << first();
    ASSERT_TRUE(x.CreateXRechnung());
    EXPECT_THAT(ui->calls, IsEmpty()) << first();
    const std::string file = readAll(out(name));
    EXPECT_THAT(file, HasSubstr("\t\t<ram:ID>" + number + "</ram:ID>\r\n"));
    EXPECT_EQ(file.find(selector.empty() ? "<ram:ID>252069</ram:ID>" : "<ram:ID>252068</ram:ID>"),
              std::string::npos);
    EXPECT_THAT(storedDocuments(pg, kTable), ElementsAre(Stored("AU", number, file, name)));
    belvora::db::open(pg)->execute("DELETE FROM " + kTable);
  }
}

TEST_F(PostgresSession, QueryFormBindsTheSelectorAndReportsQueryErrors) {
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), pg, kView, "252070", false, "", ""));
  ASSERT_TRUE(x.CreateXRechnung());
  EXPECT_THAT(readAll(out("a.xml")), HasSubstr("<ram:ID>252070</ram:ID>"));
  EXPECT_THAT(storedDocuments(pg, kTable), IsEmpty());
  EXPECT_FALSE(x.DLL_Init_DB(out("b.xml"), pg, "Select * from NoSuchView", "1", false));
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_THAT(shown()[0], StartsWith("Note|i|Connect to database failed.\r\n"));
  EXPECT_THAT(shown()[0], HasSubstr("42P01"));
}

TEST_F(PostgresSession, LockedDocumentsTableFailsTheRunAfterABoundedWait) {
  auto other = belvora::db::open(pg);
  other->begin();
  other->execute("LOCK TABLE " + kTable + " IN ACCESS EXCLUSIVE MODE");
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), pg, kView, "252070", false, "", kTable));
  const auto begin = std::chrono::steady_clock::now();
  EXPECT_FALSE(x.CreateXRechnung());
  const std::chrono::duration<double> waited = std::chrono::steady_clock::now() - begin;
  EXPECT_GE(waited.count(), 4.0);
  EXPECT_LT(waited.count(), 9.0);
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_THAT(shown()[0], StartsWith("Note|!|The XInvoice was written to " + out("a.xml")));
  EXPECT_THAT(shown()[0], HasSubstr("lock timeout"));
  other->rollback();
  EXPECT_THAT(storedDocuments(pg, kTable), IsEmpty());
}

TEST_F(PostgresSession, NaNInANumericColumnIsABadValueAndNothingIsWritten) {
  belvora::db::open(pg)->execute("UPDATE " + kSchema +
                                 ".VorlageXRechnung SET BT146 = 'NaN' WHERE BT1 = '252068' AND "
                                 "RowNo = 3");
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), pg, kProcedure, "252068", false, "", kTable));
  EXPECT_FALSE(x.CreateXRechnung());
  EXPECT_THAT(shown(), ElementsAre("Note|!|The data source holds values that cannot be "
                                   "used:\r\nBT146, row 3: \"NaN\" is not a number\r\nPlease "
                                   "check your data source!"));
  EXPECT_TRUE(outIsEmpty());
  EXPECT_THAT(storedDocuments(pg, kTable), IsEmpty());
}

using SqliteOdbcSession = SessionFixture;

TEST_F(SqliteOdbcSession, CreatesAndStoresThroughTheSqliteDriver) {
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), "Driver=SQLite3;Database=" + dbPath + ";",
                            "Select * from xRechnung", "252071", false));
  ASSERT_TRUE(x.CreateXRechnung());
  EXPECT_THAT(ui->calls, IsEmpty()) << first();
  EXPECT_THAT(storedDocuments(),
              ElementsAre(Stored("AU", "252071", readAll(out("a.xml")), "a.xml")));
}

}  // namespace
}  // namespace belvora::test
