// The PostgreSQL scripts of sql/postgresql, loaded with psql into a schema of
// their own on the private test server: column types, rows equal to the
// template database, the set-returning sp_XRechnung, and the same invoice
// created through the public API from PostgreSQL as from SQLite.
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <optional>
#include <regex>

#include "TemplateSupport.h"
#include "platform/db/Connection.h"
#include "platform/db/ConnectionString.h"

namespace belvora::test::tpl {
namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

class TemplatePostgres : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    odbc_ = Env("BELVORA_PG_ODBC");
    if (odbc_.empty()) return;
    if (odbc_.back() != ';') odbc_ += ';';
    const auto parsed = db::ConnectionString::parse(odbc_);
    psql_ = {"psql",
             "-X",
             "-q",
             "-v",
             "ON_ERROR_STOP=1",
             "-h",
             parsed.find("Server").value_or("127.0.0.1"),
             "-p",
             parsed.find("Port").value_or("5432"),
             "-U",
             parsed.find("Uid").value_or(""),
             "-d",
             parsed.find("Database").value_or("")};
    password_ = "PGPASSWORD=" + parsed.find("Pwd").value_or("");
    schema_ = "template_test_" + std::to_string(getpid());

    RunResult r =
        Psql({"-c", "DROP SCHEMA IF EXISTS " + schema_ + " CASCADE; CREATE SCHEMA " + schema_});
    if (r.status != 0) {
      loadLog_ = "cannot create the schema: " + r.out;
      return;
    }
    // Twice: the scripts keep what exists.
    for (int pass = 1; pass <= 2; ++pass) {
      for (const char* script :
           {"01_xrechnung_tables.sql", "02_xrechnung_sample.sql", "03_sp_xrechnung.sql"}) {
        r = Psql({"-f", std::string(BELVORA_SOURCE_DIR) + "/sql/postgresql/" + script},
                 {"PGOPTIONS=-c search_path=" + schema_ + " -c client_min_messages=warning"});
        if (r.status != 0 || r.out.find("ERROR") != std::string::npos) {
          loadLog_ += std::string(script) + " (pass " + std::to_string(pass) + "): " + r.out;
          return;
        }
      }
    }
    loaded_ = true;
  }

  static void TearDownTestSuite() {
    if (!schema_.empty() && !odbc_.empty()) Psql({"-c", "DROP SCHEMA " + schema_ + " CASCADE"});
  }

  void SetUp() override {
    if (odbc_.empty()) {
      if (Env("BELVORA_REQUIRE_PG") == "1")
        FAIL() << "BELVORA_REQUIRE_PG=1 but BELVORA_PG_ODBC is not set";
      GTEST_SKIP() << "BELVORA_PG_ODBC is not set: start the test server with "
                      "eval \"$(bash scripts/postgres.sh start)\"";
    }
    ASSERT_TRUE(OnPath("psql")) << "psql is needed (Debian package postgresql-client)";
    ASSERT_TRUE(loaded_) << loadLog_;
  }

  static RunResult Psql(std::vector<std::string> args, std::vector<std::string> env = {}) {
    std::vector<std::string> argv = psql_;
    argv.insert(argv.end(), args.begin(), args.end());
    env.push_back(password_);
    return RunProgram(argv, {}, env);
  }

  // The test server's connection string with the test schema first on the path.
  static std::string Odbc() { return odbc_ + "ConnSettings=SET search_path TO " + schema_ + ";"; }

  static std::string odbc_, password_, schema_, loadLog_;
  static std::vector<std::string> psql_;
  static bool loaded_;
};

std::string TemplatePostgres::odbc_, TemplatePostgres::password_, TemplatePostgres::schema_,
    TemplatePostgres::loadLog_;
std::vector<std::string> TemplatePostgres::psql_;
bool TemplatePostgres::loaded_ = false;

std::optional<double> Number(const db::Value& v) {
  if (v.kind() == db::Value::Kind::Integer) return static_cast<double>(v.integer());
  if (v.kind() == db::Value::Kind::Real) return v.real();
  return std::nullopt;
}

TEST_F(TemplatePostgres, ColumnsHaveTheTypesOfTheCatalogue) {
  auto c = db::open(Odbc());
  const char* sql =
      "SELECT upper(column_name) AS name, data_type AS type FROM information_schema.columns "
      "WHERE table_schema = ? AND table_name = ?";
  const std::map<Kind, std::string> expected = {
      {Kind::Text, "text"},      {Kind::Date, "date"},       {Kind::Amount, "numeric"},
      {Kind::Number, "numeric"}, {Kind::Integer, "integer"}, {Kind::Blob, "bytea"}};
  for (const char* relation : {"vorlagexrechnung", "xrechnung"}) {
    SCOPED_TRACE(relation);
    std::map<std::string, std::string> types;
    for (const auto& row : ReadRows(*c, sql, {schema_, relation}))
      types[Text(row.at("NAME"))] = Text(row.at("TYPE"));
    EXPECT_EQ(types.size(), Catalogue().size());
    for (const auto& col : Catalogue()) {
      std::string upper = col.name;
      for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      EXPECT_EQ(types[upper], expected.at(col.kind)) << col.name;
    }
  }
  std::map<std::string, std::string> documents;
  for (const auto& row : ReadRows(*c, sql, {schema_, "tbldocuments"}))
    documents[Text(row.at("NAME"))] = Text(row.at("TYPE"));
  EXPECT_EQ(documents["ID"], "integer");
  EXPECT_EQ(documents["DOCTYPE"], "text");
  EXPECT_EQ(documents["NUMBER"], "text");
  EXPECT_EQ(documents["BINARYFILE"], "bytea");
  EXPECT_EQ(documents["FILENAME"], "text");
  EXPECT_EQ(documents["FILETYPE"], "text");
  EXPECT_EQ(documents["FILESIZE"], "integer");
}

TEST_F(TemplatePostgres, RowsEqualTheRowsOfTheTemplateDatabase) {
  TempDir dir;
  CopyFile(BELVORA_TEMPLATE_DB, dir.file("VorlageDB.sqlite"));
  auto sqlite = db::open("Data Source=" + dir.file("VorlageDB.sqlite"));
  auto pg = db::open(Odbc());
  const std::string sql = "SELECT * FROM xRechnung ORDER BY BT1, RowNo";
  const auto expected = ReadRows(*sqlite, sql);
  const auto actual = ReadRows(*pg, sql);
  ASSERT_EQ(actual.size(), expected.size()) << "loading the sample twice must not add rows";
  for (size_t i = 0; i < expected.size(); ++i) {
    const std::string where = Text(expected[i].at("BT1")) + " row " +
                              std::to_string(expected[i].at("ROWNO").integer()) + ": ";
    for (const auto& col : Catalogue()) {
      std::string upper = col.name;
      for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
      const db::Value& e = expected[i].at(upper);
      const db::Value& a = actual[i].at(upper);
      if ((col.kind == Kind::Number || col.kind == Kind::Amount) && !e.isNull()) {
        ASSERT_TRUE(Number(a)) << where << col.name;
        EXPECT_NEAR(*Number(a), *Number(e), 1e-9) << where << col.name;
      } else {
        EXPECT_EQ(a, e) << where << col.name;
      }
    }
  }
}

TEST_F(TemplatePostgres, FunctionReturnsTheLinesOfOneInvoiceInOrder) {
  auto pg = db::open(Odbc());
  auto lines = [&](const std::optional<std::string>& selector) {
    auto cursor = pg->callProcedure("sp_XRechnung", selector);
    std::vector<std::string> result;
    for (const auto& row : ReadRows(*cursor))
      result.push_back(Text(row.at("BT1")) + "/" + std::to_string(row.at("ROWNO").integer()));
    return result;
  };
  EXPECT_EQ(lines("252070"),
            (std::vector<std::string>{"252070/1", "252070/2", "252070/3", "252070/4"}));
  EXPECT_EQ(lines("252069"), (std::vector<std::string>{"252069/1", "252069/2"}));
  EXPECT_EQ(lines("999999"), std::vector<std::string>{});
  // Without a number: the lowest invoice number, never rows of several invoices.
  EXPECT_EQ(lines(std::nullopt),
            (std::vector<std::string>{"252068/1", "252068/2", "252068/3", "252068/4", "252068/5"}));
}

// The document without its creation-date comment.
std::string WithoutDateLine(const std::string& document) {
  return std::regex_replace(document, std::regex("<!-- Erstellt am: [^>]*-->\r\n"), "");
}

// Every invoice, with its repeated groups, from each source form: the view,
// the table, an SQL statement and the stored procedure.
TEST_F(TemplatePostgres, EverySourceFormCreatesTheSameInvoicesAsTheTemplateDatabase) {
  const std::pair<const char*, std::string> forms[] = {
      {"view", "Select * from xRechnung"},
      {"table", "Select * from VorlageXRechnung"},
      {"statement", "SELECT * FROM (SELECT * FROM VorlageXRechnung ORDER BY RowNo) AS source"},
      {"procedure", "exec sp_XRechnung"}};
  TempDir fromSqlite;
  CopyFile(BELVORA_TEMPLATE_DB, fromSqlite.file("VorlageDB.sqlite"));
  std::vector<std::string> numbers;
  {
    auto c = db::open("Data Source=" + fromSqlite.file("VorlageDB.sqlite"));
    numbers = InvoiceNumbers(*c);
  }
  ASSERT_EQ(numbers.size(), 5u);
  std::size_t created = 0;
  std::string bytes;
  for (const auto& number : numbers) {
    const Created reference =
        CreateInvoice(fromSqlite.path(), "Data Source=" + fromSqlite.file("VorlageDB.sqlite"),
                      "Select * from xRechnung", number);
    ASSERT_TRUE(reference.created) << reference.messages;
    const std::string expected = WithoutDateLine(ReadBytes(reference.file));
    for (const auto& [form, sql] : forms) {
      SCOPED_TRACE(number + " from the " + form);
      TempDir out;
      const Created c = CreateInvoice(out.path(), Odbc(), sql, number);
      ASSERT_TRUE(c.initialised) << c.messages;
      ASSERT_TRUE(c.created) << c.messages;
      EXPECT_EQ(c.messages, "");
      bytes = ReadBytes(c.file);
      EXPECT_EQ(WithoutDateLine(bytes), expected);
      ++created;
    }
  }

  // Every run stored its file in the documents table of the schema.
  auto pg = db::open(Odbc());
  const auto stored = ReadRows(*pg, "SELECT * FROM tblDocuments ORDER BY ID");
  ASSERT_EQ(stored.size(), created);
  EXPECT_EQ(Text(stored.back().at("DOCTYPE")), "AU");
  EXPECT_EQ(Text(stored.back().at("NUMBER")), numbers.back());
  EXPECT_EQ(Text(stored.back().at("FILENAME")), "RG" + numbers.back() + ".xml");
  EXPECT_EQ(Text(stored.back().at("FILETYPE")), "xml");
  EXPECT_EQ(stored.back().at("FILESIZE"), db::Value(static_cast<std::int64_t>(bytes.size())));
  EXPECT_EQ(stored.back().at("BINARYFILE"), db::Value(db::Blob(bytes.begin(), bytes.end())));
  EXPECT_EQ(stored.back().at("CREATEDAT").kind(), db::Value::Kind::Date);
}

}  // namespace
}  // namespace belvora::test::tpl
