// Every invoice of the template, created end to end through the public API
// from a copy of the template database and from the PostgreSQL scripts
// (loaded with psql into a schema of their own): each source form gives the
// expected document of tests/data/template and stores it in the documents
// table; the columns have the types of the column catalogue.
#include <unistd.h>

#include <gtest/gtest.h>

#include <regex>

#include "TemplateSupport.h"
#include "model/Catalogue.h"
#include "platform/db/ConnectionString.h"

namespace belvora::test::tpl {
namespace {

const std::string kData = std::string(BELVORA_TEST_DATA_DIR) + "/template/";
const std::vector<std::string> kNumbers = {"252068", "252069", "252070", "252071", "252072"};

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string WithoutDateLine(const std::string& document) {
  return std::regex_replace(document, std::regex("<!-- Erstellt am: [^>]*-->\r\n"), "");
}

enum class Backend { Sqlite, Postgres };

class TemplateInvoices : public ::testing::TestWithParam<Backend> {
 protected:
  // The scripts of sql/postgresql, twice (they keep what exists), into a
  // schema of the test server.
  static void SetUpTestSuite() {
    odbc_ = Env("BELVORA_PG_ODBC");
    if (odbc_.empty()) return;
    if (odbc_.back() != ';') odbc_ += ';';
    const auto cs = db::ConnectionString::parse(odbc_);
    for (const auto& [variable, key] : {std::pair{"PGHOST=", "Server"},
                                        {"PGPORT=", "Port"},
                                        {"PGUSER=", "Uid"},
                                        {"PGDATABASE=", "Database"},
                                        {"PGPASSWORD=", "Pwd"}})
      psqlEnv_.push_back(variable + cs.find(key).value_or(""));
    schema_ = "template_test_" + std::to_string(getpid());
    RunResult r =
        Psql({"-c", "DROP SCHEMA IF EXISTS " + schema_ + " CASCADE; CREATE SCHEMA " + schema_});
    for (int pass = 1; pass <= 2 && r.status == 0; ++pass)
      for (const char* script :
           {"01_xrechnung_tables.sql", "02_xrechnung_sample.sql", "03_sp_xrechnung.sql"}) {
        r = Psql({"-f", std::string(BELVORA_SOURCE_DIR) + "/sql/postgresql/" + script},
                 {"PGOPTIONS=-c search_path=" + schema_ + " -c client_min_messages=warning"});
        if (r.status != 0 || r.out.find("ERROR") != std::string::npos) {
          loadLog_ = std::string(script) + " (pass " + std::to_string(pass) + "): " + r.out;
          return;
        }
      }
    loadLog_ = r.status == 0 ? "" : "cannot create the schema: " + r.out;
  }
  static void TearDownTestSuite() {
    if (!odbc_.empty()) Psql({"-c", "DROP SCHEMA " + schema_ + " CASCADE"});
  }
  static RunResult Psql(std::vector<std::string> args, std::vector<std::string> env = {}) {
    args.insert(args.begin(), {"psql", "-X", "-q", "-v", "ON_ERROR_STOP=1"});
    env.insert(env.end(), psqlEnv_.begin(), psqlEnv_.end());
    return RunProgram(args, {}, env);
  }

  void SetUp() override {
    if (!postgres()) {
      CopyFile(BELVORA_TEMPLATE_DB, dir_ / "VorlageDB.sqlite");
      connection_ = "Data Source=" + dir_ / "VorlageDB.sqlite";
      return;
    }
    if (odbc_.empty()) {
      if (Env("BELVORA_REQUIRE_PG") == "1") FAIL() << "BELVORA_REQUIRE_PG=1 but no BELVORA_PG_ODBC";
      GTEST_SKIP() << "BELVORA_PG_ODBC is not set: eval \"$(bash scripts/postgres.sh start)\"";
    }
    ASSERT_TRUE(OnPath("psql")) << "psql is needed (Debian package postgresql-client)";
    ASSERT_EQ(loadLog_, "");
    connection_ = odbc_ + "ConnSettings=SET search_path TO " + schema_ + ";";
  }
  bool postgres() const { return GetParam() == Backend::Postgres; }

  TempDir dir_;
  std::string connection_;
  static inline std::string odbc_, schema_, loadLog_;
  static inline std::vector<std::string> psqlEnv_;
};

TEST_P(TemplateInvoices, ColumnsHaveTheTypesOfTheCatalogue) {
  // By model::ValueType: Text, Date, Amount, Number, Content.
  const std::vector<std::string> types =
      postgres() ? std::vector<std::string>{"text", "date", "numeric", "numeric", "bytea"}
                 : std::vector<std::string>{"TEXT", "DATE", "DECIMAL(15, 2)", "DECIMAL", "BLOB"};
  std::map<std::string, std::string> expected = {{"ROWNO", postgres() ? "integer" : "INTEGER"},
                                                 {"ROWKIND", types[0]}};
  for (const model::Column& c : model::Columns())
    if (c.type != model::ValueType::Computed)
      expected[Upper(std::string(c.name))] = types[int(c.type)];
  auto c = db::open(connection_);
  for (const std::string relation : {"VorlageXRechnung", "xRechnung"}) {
    std::map<std::string, std::string> actual;
    for (const Row& r : postgres()
                            ? ReadRows(*c,
                                       "SELECT column_name AS name, data_type AS type FROM "
                                       "information_schema.columns WHERE table_schema = ? AND "
                                       "table_name = lower(?)",
                                       {schema_, relation})
                            : ReadRows(*c, "PRAGMA table_info(" + relation + ")"))
      actual[Upper(Text(r.at("NAME")))] = Text(r.at("TYPE"));
    EXPECT_EQ(actual, expected) << relation;
  }
}

// The view, the table, a statement with the group rows first and
// (PostgreSQL) the set-returning function give the same documents.
TEST_P(TemplateInvoices, EverySourceFormGivesTheExpectedDocumentsAndStoresThem) {
  const char* const forms[] = {
      "Select * from xRechnung", "Select * from VorlageXRechnung",
      "SELECT * FROM (SELECT * FROM VorlageXRechnung ORDER BY RowKind IS NULL, RowNo) AS s",
      "exec sp_XRechnung"};
  auto c = db::open(connection_);
  ASSERT_EQ(InvoiceNumbers(*c), kNumbers) << "loading the sample twice must not add rows";
  for (const char* sql : forms) {
    if (!postgres() && std::string(sql).starts_with("exec")) continue;
    c->execute("DELETE FROM tblDocuments");
    std::vector<std::string> written;
    for (const std::string& number : kNumbers) {
      SCOPED_TRACE(number + " from " + sql);
      TempDir out;
      const Created made = CreateInvoice(out.path(), connection_, sql, number);
      ASSERT_TRUE(made.created) << made.messages;
      EXPECT_EQ(made.messages, "");
      written.push_back(ReadBytes(made.file));
      const std::string golden = kData + "RG" + number + ".xml";
      if (Env("BELVORA_UPDATE_GENERATED") == "1") writeAll(golden, WithoutDateLine(written.back()));
      EXPECT_EQ(WithoutDateLine(written.back()), readAll(golden))
          << "BELVORA_UPDATE_GENERATED=1 writes " << golden;
    }
    const auto stored = ReadRows(*c, "SELECT * FROM tblDocuments ORDER BY ID");
    ASSERT_EQ(stored.size(), written.size()) << sql;
    for (size_t i = 0; i < stored.size(); ++i) {
      const Row& r = stored[i];
      const std::string& bytes = written[i];
      EXPECT_EQ(Text(r.at("DOCTYPE")) + " " + Text(r.at("NUMBER")) + " " + Text(r.at("FILENAME")) +
                    " " + Text(r.at("FILETYPE")),
                "AU " + kNumbers[i] + " RG" + kNumbers[i] + ".xml xml");
      EXPECT_EQ(r.at("FILESIZE"), db::Value(static_cast<std::int64_t>(bytes.size())));
      EXPECT_EQ(r.at("BINARYFILE"), db::Value(db::Blob(bytes.begin(), bytes.end())));
      EXPECT_EQ(r.at("CREATEDAT").kind(), db::Value::Kind::Date);
    }
  }
}

class TemplateFunction : public TemplateInvoices {};

TEST_P(TemplateFunction, ReturnsTheRowsOfOneInvoiceInOrder) {
  auto pg = db::open(connection_);
  auto rows = [&](const std::optional<std::string>& selector) {
    std::string result;
    for (auto c = pg->callProcedure("sp_XRechnung", selector); c->next();)
      result += Text(c->row()[c->columnIndex("BT1")]) + "/" +
                Text(c->row()[c->columnIndex("RowNo")]) + " ";
    return result;
  };
  EXPECT_EQ(rows("252070"), "252070/1 252070/2 252070/3 252070/4 ");
  EXPECT_EQ(rows("252069"), "252069/1 252069/2 ");
  EXPECT_EQ(rows("999999"), "");
  // Without a number: the lowest invoice number, never rows of several invoices.
  EXPECT_EQ(rows(std::nullopt), "252068/1 252068/2 252068/3 252068/4 252068/5 ");
}

std::string BackendName(const ::testing::TestParamInfo<Backend>& info) {
  return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
}
void PrintTo(Backend b, std::ostream* os) { *os << BackendName({b, 0}); }
INSTANTIATE_TEST_SUITE_P(Backends, TemplateInvoices,
                         ::testing::Values(Backend::Sqlite, Backend::Postgres), BackendName);
INSTANTIATE_TEST_SUITE_P(Backends, TemplateFunction, ::testing::Values(Backend::Postgres),
                         BackendName);

}  // namespace
}  // namespace belvora::test::tpl
