// The creation session through ODBC: PostgreSQL with the stored-procedure
// form (a PL/pgSQL function returning the rows) and the query form, and
// SQLite through its ODBC driver.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>

#include "SessionFixture.h"
#include "belvora/clsXRechnung.h"

using belvora::clsXRechnung;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// psqlodbc leaks the error result of a failed statement (a driver fault); the
// query-error case provokes one on purpose.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:psqlodbcw.so\nleak:psqlodbca.so\n";
}

namespace {

// Private schema of these tests: the template scripts are loaded into it,
// so nothing else in the shared database is touched.
constexpr const char* kSchema = "belvora_session_test";

std::map<std::string, std::string> parseOdbc(const std::string& cs) {
  std::map<std::string, std::string> parts;
  size_t start = 0;
  while (start < cs.size()) {
    size_t end = cs.find(';', start);
    if (end == std::string::npos) end = cs.size();
    std::string part = cs.substr(start, end - start);
    if (auto eq = part.find('='); eq != std::string::npos) {
      std::string key = part.substr(0, eq);
      for (char& ch : key) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      parts[key] = part.substr(eq + 1);
    }
    start = end + 1;
  }
  return parts;
}

using SqliteOdbcSession = belvora::test::SessionFixture;

class PostgresSession : public belvora::test::SessionFixture {
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
    auto p = parseOdbc(pg);
    std::string psql = "PGPASSWORD='" + p["pwd"] +
                       "' PGOPTIONS='-c client_min_messages=warning -c search_path=" + kSchema +
                       "' psql -X -q -v ON_ERROR_STOP=1 -h " + p["server"] + " -p " + p["port"] +
                       " -U " + p["uid"] + " -d " + p["database"];
    std::string sqlDir = std::string(BELVORA_SOURCE_DIR) + "/sql/postgresql/";
    std::string command =
        psql + " -c 'DROP SCHEMA IF EXISTS " + kSchema + " CASCADE' -c 'CREATE SCHEMA " + kSchema +
        "' && " + psql + " -f " + sqlDir + "01_xrechnung_tables.sql -f " + sqlDir +
        "02_xrechnung_sample.sql -f " + sqlDir + "03_sp_xrechnung.sql" + " -c 'ALTER FUNCTION " +
        kSchema + ".sp_xrechnung(text) SET search_path = " + kSchema + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
  }

  std::vector<belvora::test::StoredDocument> pgDocuments() {
    auto c = belvora::db::open(pg);
    auto rows = c->query(std::string("SELECT DocType, Number, BinaryFile, FileName, FileType, "
                                     "FileSize FROM ") +
                         kSchema + ".tblDocuments ORDER BY ID");
    std::vector<belvora::test::StoredDocument> docs;
    while (rows->next()) {
      const auto& r = rows->row();
      belvora::test::StoredDocument d;
      d.docType = r[0].text();
      d.number = r[1].text();
      d.bytes.assign(r[2].blob().begin(), r[2].blob().end());
      d.fileName = r[3].text();
      d.fileType = r[4].text();
      d.fileSize = r[5].kind() == belvora::db::Value::Kind::Integer
                       ? r[5].integer()
                       : static_cast<std::int64_t>(r[5].real());
      docs.push_back(std::move(d));
    }
    return docs;
  }

  std::string table() const { return std::string(kSchema) + ".tblDocuments"; }

  std::string pg;
};

}  // namespace

TEST_F(PostgresSession, StoredProcedureWithSelectorCreatesAndStoresTheInvoice) {
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("RG252069.xml"), pg,
                            std::string("exec ") + kSchema + ".sp_XRechnung", "252069", false, "",
                            table()));
  ASSERT_TRUE(x.CreateXRechnung());
  EXPECT_TRUE(ui->calls.empty()) << ui->calls.front().text;
  std::string file = belvora::sys::readFile(out("RG252069.xml"));
  EXPECT_THAT(file, HasSubstr("\t\t<ram:ID>252069</ram:ID>\r\n"));
  EXPECT_EQ(file.find("<ram:ID>252068</ram:ID>"), std::string::npos);
  auto docs = pgDocuments();
  ASSERT_EQ(docs.size(), 1u);
  EXPECT_EQ(docs[0].docType, "AU");
  EXPECT_EQ(docs[0].number, "252069");
  EXPECT_EQ(docs[0].bytes, file);
  EXPECT_EQ(docs[0].fileName, "RG252069.xml");
  EXPECT_EQ(docs[0].fileType, "xml");
  EXPECT_EQ(docs[0].fileSize, static_cast<std::int64_t>(file.size()));
}

TEST_F(PostgresSession, StoredProcedureWithoutSelectorRunsWithItsOwnDefault) {
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), pg, std::string("exec ") + kSchema + ".sp_XRechnung", "",
                            false, "", table()))
      << (ui->calls.empty() ? "no message" : ui->calls.front().text);
  ASSERT_TRUE(x.CreateXRechnung());
  ASSERT_EQ(pgDocuments().size(), 1u);
  EXPECT_EQ(pgDocuments()[0].number, "252068") << "the first row's BT1";
}

TEST_F(PostgresSession, QueryFormBindsTheSelectorAndReportsQueryErrors) {
  {
    clsXRechnung x;
    ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), pg,
                              std::string("Select * from ") + kSchema + ".xRechnung", "252070",
                              false, "", ""));
    ASSERT_TRUE(x.CreateXRechnung());
    EXPECT_THAT(belvora::sys::readFile(out("a.xml")), HasSubstr("<ram:ID>252070</ram:ID>"));
    EXPECT_TRUE(pgDocuments().empty());
  }
  {
    clsXRechnung x;
    EXPECT_FALSE(x.DLL_Init_DB(out("b.xml"), pg, "Select * from NoSuchView", "1", false));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_THAT(messages()[0].text, StartsWith("Connect to database failed.\r\n"));
    EXPECT_THAT(messages()[0].text, HasSubstr("42P01"));
  }
}

TEST_F(PostgresSession, LockedDocumentsTableFailsTheRunAfterABoundedWait) {
  auto other = belvora::db::open(pg);
  other->begin();
  other->execute("LOCK TABLE " + table() + " IN ACCESS EXCLUSIVE MODE");
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), pg,
                            std::string("Select * from ") + kSchema + ".xRechnung", "252070", false,
                            "", table()));
  const auto begin = std::chrono::steady_clock::now();
  EXPECT_FALSE(x.CreateXRechnung());
  const double waited =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  EXPECT_GE(waited, 4.0);
  EXPECT_LT(waited, 9.0);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_THAT(messages()[0].text, StartsWith("The XInvoice was written to " + out("a.xml")));
  EXPECT_THAT(messages()[0].text, HasSubstr("lock timeout"));
  other->rollback();
  EXPECT_TRUE(pgDocuments().empty());
}

TEST_F(SqliteOdbcSession, CreatesAndStoresThroughTheSqliteDriver) {
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), "Driver=SQLite3;Database=" + dbPath + ";",
                            "Select * from xRechnung", "252071", false));
  ASSERT_TRUE(x.CreateXRechnung());
  EXPECT_TRUE(ui->calls.empty()) << ui->calls.front().text;
  auto docs = storedDocuments();
  ASSERT_EQ(docs.size(), 1u);
  EXPECT_EQ(docs[0].number, "252071");
  EXPECT_EQ(docs[0].bytes, belvora::sys::readFile(out("a.xml")));
}

TEST_F(PostgresSession, NaNInANumericColumnIsABadValueAndNothingIsWritten) {
  belvora::db::open(pg)->execute(std::string("UPDATE ") + kSchema +
                                 ".VorlageXRechnung SET BT146 = 'NaN' WHERE BT1 = '252068' AND "
                                 "RowNo = 3");
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), pg, std::string("exec ") + kSchema + ".sp_XRechnung",
                            "252068", false, "", table()));
  EXPECT_FALSE(x.CreateXRechnung());
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].text,
            "The data source holds values that cannot be used:\r\nBT146, row 3: \"NaN\" is not a "
            "number\r\nPlease check your data source!");
  EXPECT_FALSE(std::filesystem::exists(out("a.xml")));
  EXPECT_TRUE(pgDocuments().empty());
}
