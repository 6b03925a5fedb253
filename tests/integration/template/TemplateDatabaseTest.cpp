// The template database and the SQL scripts it is built from: every catalogue
// column with a real database type, the table scripts generated from the
// column catalogue, rows that add up and carry valid identifiers, scripts
// that can run again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "../session/SourceRows.h"
#include "TemplateSupport.h"
#include "model/Catalogue.h"
#include "model/RequiredFields.h"
#include "platform/db/Connection.h"

namespace belvora::test::tpl {
namespace {

std::string Upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
  return s;
}

Kind KindOfDeclaredType(const std::string& declared) {
  const std::string t = Upper(declared);
  if (t == "DATE") return Kind::Date;
  if (t == "INTEGER" || t == "INTEGER NOT NULL") return Kind::Integer;
  if (t == "DECIMAL(15, 2)") return Kind::Amount;
  if (t == "DECIMAL") return Kind::Number;
  if (t == "BLOB") return Kind::Blob;
  if (t == "TEXT") return Kind::Text;
  ADD_FAILURE() << "unexpected declared type " << declared;
  return Kind::Text;
}

bool IsLine(const Row& row) { return row.at("ROWKIND").isNull(); }

// One invoice of the template: its rows in RowNo order.
using Rows = std::vector<const Row*>;

class TemplateDatabase : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    CopyFile(BELVORA_TEMPLATE_DB, dir_->file("VorlageDB.sqlite"));
    connection_ = db::open("Data Source=" + dir_->file("VorlageDB.sqlite")).release();
    rows_ = new std::vector<Row>(ReadRows(*connection_, "SELECT * FROM xRechnung"));
    for (const auto& row : *rows_) (*invoices_)[Text(row.at("BT1"))].push_back(&row);
  }
  static void TearDownTestSuite() {
    delete connection_;
    delete rows_;
    invoices_->clear();
    delete dir_;
  }

  static const Rows& Invoice(const std::string& number) { return invoices_->at(number); }
  static std::vector<const Row*> OfKind(const Rows& rows, const char* kind) {
    std::vector<const Row*> out;
    for (const Row* r : rows)
      if (kind ? Text(r->at("ROWKIND")) == kind : IsLine(*r)) out.push_back(r);
    return out;
  }

  static TempDir* dir_;
  static db::Connection* connection_;
  static std::vector<Row>* rows_;
  static std::map<std::string, Rows>* invoices_;
};

TempDir* TemplateDatabase::dir_ = nullptr;
db::Connection* TemplateDatabase::connection_ = nullptr;
std::vector<Row>* TemplateDatabase::rows_ = nullptr;
std::map<std::string, Rows>* TemplateDatabase::invoices_ = new std::map<std::string, Rows>;

TEST_F(TemplateDatabase, TableAndViewHoldEveryCatalogueColumnWithItsType) {
  for (const char* relation : {"VorlageXRechnung", "xRechnung"}) {
    SCOPED_TRACE(relation);
    std::map<std::string, Kind> declared;
    for (const auto& col :
         ReadRows(*connection_, std::string("PRAGMA table_info(") + relation + ")"))
      declared[Upper(Text(col.at("NAME")))] = KindOfDeclaredType(Text(col.at("TYPE")));
    EXPECT_EQ(declared.size(), Catalogue().size());
    for (const auto& c : Catalogue()) {
      auto it = declared.find(Upper(c.name));
      if (it == declared.end()) {
        ADD_FAILURE() << "column " << c.name << " is missing";
        continue;
      }
      EXPECT_EQ(static_cast<int>(it->second), static_cast<int>(c.kind)) << "column " << c.name;
    }
  }
}

TEST_F(TemplateDatabase, DocumentsTableTakesAFileAndNumbersItsRows) {
  std::map<std::string, std::string> declared;
  for (const auto& col : ReadRows(*connection_, "PRAGMA table_info(tblDocuments)"))
    declared[Text(col.at("NAME"))] = Upper(Text(col.at("TYPE")));
  EXPECT_EQ(declared["ID"], "INTEGER");
  EXPECT_EQ(declared["DocType"], "TEXT");
  EXPECT_EQ(declared["Number"], "TEXT");
  EXPECT_EQ(declared["BinaryFile"], "BLOB");
  EXPECT_EQ(declared["FileName"], "TEXT");
  EXPECT_EQ(declared["FileType"], "TEXT");
  EXPECT_EQ(declared["FileSize"], "INTEGER");
  EXPECT_EQ(connection_->resolveTable("TBLDOCUMENTS"), "\"tblDocuments\"");

  // What the creation run writes, in a transaction that is rolled back.
  db::Transaction t(*connection_);
  const db::Blob bytes = {0xEF, 0xBB, 0xBF, '<', 0x00, 0xFF};
  for (int i = 0; i < 2; ++i)
    connection_->execute(
        "INSERT INTO tblDocuments (DocType, Number, BinaryFile, FileName, FileType, FileSize) "
        "VALUES (?, ?, ?, ?, ?, ?)",
        {"AU", "252068", bytes, "RG252068.xml", "xml", 6});
  const auto stored = ReadRows(*connection_, "SELECT * FROM tblDocuments ORDER BY ID");
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0].at("BINARYFILE"), db::Value(bytes));
  EXPECT_LT(stored[0].at("ID").integer(), stored[1].at("ID").integer());
  EXPECT_EQ(stored[1].at("CREATEDAT").kind(), db::Value::Kind::Date);
}

TEST_F(TemplateDatabase, RowsAreOrderedAndTheFirstLineRowHoldsTheDocument) {
  for (const auto& [number, rows] : *invoices_) {
    SCOPED_TRACE(number);
    for (std::size_t k = 0; k < rows.size(); ++k)
      EXPECT_EQ(rows[k]->at("ROWNO").integer(), static_cast<std::int64_t>(k + 1)) << "view order";
    const Row& head = *rows.front();
    ASSERT_TRUE(IsLine(head));
    const auto& nullable = model::NullableRequiredColumns();
    for (const auto& name : model::RequiredColumns())
      if (std::find(nullable.begin(), nullable.end(), name) == nullable.end()) {
        EXPECT_FALSE(head.at(Upper(name)).isNull()) << name;
      }
    EXPECT_EQ(head.at("BT2").kind(), db::Value::Kind::Date);
    EXPECT_EQ(head.at("BT9").kind(), db::Value::Kind::Date);
    std::set<std::string> lineIds;
    for (const Row* line : OfKind(rows, nullptr)) {
      for (const char* c : {"BT126", "BT129", "BT130", "BT131", "BT146", "BT152", "BT153", "BT118"})
        EXPECT_FALSE(line->at(c).isNull()) << c;
      EXPECT_TRUE(lineIds.insert(Text(line->at("BT126"))).second) << "line ids are unique";
    }
    for (const Row* r : rows) {
      model::RowKind kind;
      ASSERT_TRUE(model::ParseRowKind(Text(r->at("ROWKIND")), kind));
      if (model::IsLineGroup(kind)) {
        EXPECT_EQ(lineIds.count(Text(r->at("BT126"))), 1u) << "a group row names its line";
      }
      for (const auto& c : Catalogue()) {
        if (c.kind != Kind::Date) continue;
        EXPECT_TRUE(r->at(Upper(c.name)).kind() == db::Value::Kind::Date ||
                    r->at(Upper(c.name)).isNull())
            << c.name;
      }
    }
  }
}

// Amount in cents; 0 for NULL.
std::int64_t C(const db::Value& v) { return Cents(v).value_or(0); }

// Tax of a basis in cents at a rate in hundredths of a percent, half away from zero.
std::int64_t TaxCents(std::int64_t basis, std::int64_t rate) {
  const std::int64_t raw = basis * rate;
  return raw >= 0 ? (raw + 5000) / 10000 : -((-raw + 5000) / 10000);
}

TEST_F(TemplateDatabase, LineAmountsAndTotalsAddUp) {
  for (const auto& [number, rows] : *invoices_) {
    SCOPED_TRACE(number);
    std::map<std::pair<std::string, std::int64_t>, std::int64_t> basis;  // category, rate
    std::int64_t lineTotal = 0;
    for (const Row* line : OfKind(rows, nullptr)) {
      const std::string id = Text(line->at("BT126"));
      std::int64_t adjust = 0;
      for (const Row* r : OfKind(rows, "LINEALLOWANCE"))
        if (Text(r->at("BT126")) == id) adjust -= C(r->at("BT136"));
      for (const Row* r : OfKind(rows, "LINECHARGE"))
        if (Text(r->at("BT126")) == id) adjust += C(r->at("BT141"));
      const auto& q = line->at("BT129");
      const double qty = q.kind() == db::Value::Kind::Real ? q.real() : q.integer();
      EXPECT_EQ(std::llround(qty * static_cast<double>(C(line->at("BT146")))) + adjust,
                C(line->at("BT131")))
          << "line " << id << ": quantity x price + charges - allowances";
      basis[{Text(line->at("BT118")), C(line->at("BT152"))}] += C(line->at("BT131"));
      lineTotal += C(line->at("BT131"));
    }
    std::int64_t allowances = 0, charges = 0;
    for (const Row* r : OfKind(rows, "ALLOWANCE")) {
      allowances += C(r->at("BT92"));
      basis[{Text(r->at("BT95")), C(r->at("BT96"))}] -= C(r->at("BT92"));
    }
    for (const Row* r : OfKind(rows, "CHARGE")) {
      charges += C(r->at("BT99"));
      basis[{Text(r->at("BT102")), C(r->at("BT103"))}] += C(r->at("BT99"));
    }
    std::int64_t tax = 0;
    for (const auto& [group, b] : basis) tax += TaxCents(b, group.second);
    const Row& head = *rows.front();
    const std::int64_t withoutVat = lineTotal - allowances + charges;
    EXPECT_EQ(C(head.at("BT109")), withoutVat) << "BT109";
    EXPECT_EQ(C(head.at("BT110")), tax) << "BT110";
    EXPECT_EQ(C(head.at("BT112")), withoutVat + tax) << "BT112";
    EXPECT_EQ(C(head.at("BT115")), withoutVat + tax - C(head.at("BT113")) + C(head.at("BT114")))
        << "BT115";
  }
}

TEST_F(TemplateDatabase, IdentifiersCarryValidCheckDigits) {
  for (const auto& [number, rows] : *invoices_) {
    SCOPED_TRACE(number);
    const Row& head = *rows.front();
    for (const Row* r : rows) {
      if (!r->at("BT84").isNull()) {
        EXPECT_TRUE(ValidIban(Text(r->at("BT84")))) << Text(r->at("BT84"));
      }
      if (!r->at("BT86").isNull()) {
        EXPECT_TRUE(ValidBic(Text(r->at("BT86")))) << Text(r->at("BT86"));
      }
    }
    EXPECT_TRUE(ValidGermanVatId(Text(head.at("BT31")))) << Text(head.at("BT31"));
    if (Text(head.at("BT48")).rfind("DE", 0) == 0) {
      EXPECT_TRUE(ValidGermanVatId(Text(head.at("BT48")))) << Text(head.at("BT48"));
    }
    if (!head.at("BT91").isNull()) {
      EXPECT_TRUE(ValidIban(Text(head.at("BT91")))) << Text(head.at("BT91"));
    }
    if (!head.at("BT90").isNull()) {
      EXPECT_TRUE(ValidCreditorId(Text(head.at("BT90")))) << Text(head.at("BT90"));
    }
    for (const char* mail : {"BT34", "BT43", "BT49", "BT58"})
      EXPECT_TRUE(std::regex_match(Text(head.at(mail)), std::regex(R"([^@\s]+@[^@\s]+\.[a-z]+)")))
          << mail << " " << Text(head.at(mail));
  }
}

TEST_F(TemplateDatabase, ChecksRejectWrongCheckDigits) {
  EXPECT_TRUE(ValidIban("DE89370400440532013000"));
  EXPECT_FALSE(ValidIban("DE88370400440532013000"));
  EXPECT_TRUE(ValidIban("CH9300762011623852957"));
  EXPECT_TRUE(ValidGermanVatId("DE136695976"));
  EXPECT_FALSE(ValidGermanVatId("DE136695975"));
  EXPECT_TRUE(ValidLeitwegId("04011000-1234512345-06"));
  EXPECT_TRUE(ValidLeitwegId("991-33333TEST-33"));
  EXPECT_FALSE(ValidLeitwegId("04011000-1234512345-07"));
  EXPECT_TRUE(ValidCreditorId("DE98ZZZ09999999999"));
  EXPECT_FALSE(ValidCreditorId("DE97ZZZ09999999999"));
}

TEST_F(TemplateDatabase, InvoicesCoverTheCasesTheyStandFor) {
  // 252068: the example of the README, a public buyer with Leitweg-ID, two
  // rates, two notes, credit transfer.
  const auto& main = Invoice("252068");
  std::set<std::int64_t> rates;
  for (const Row* line : OfKind(main, nullptr)) rates.insert(C(line->at("BT152")));
  EXPECT_EQ(rates, (std::set<std::int64_t>{700, 1900}));
  const Row& head = *main[0];
  EXPECT_EQ(Text(head.at("BT81")), "58");
  EXPECT_TRUE(ValidLeitwegId(Text(head.at("BT10")))) << Text(head.at("BT10"));
  EXPECT_EQ(OfKind(main, "NOTE").size(), 1u);
  for (const char* c : {"BT27", "BT35", "BT37", "BT38", "BT40", "BT41", "BT42", "BT43", "BT44",
                        "BT50", "BT52", "BT53", "BT55", "BT56", "BT57", "BT58", "BT20", "BT85"})
    EXPECT_FALSE(Text(head.at(c)).empty()) << c;
  // 252069: SEPA direct debit, without a payee account.
  const Row& debit = *Invoice("252069")[0];
  EXPECT_EQ(Text(debit.at("BT81")), "59");
  for (const char* c : {"BT89", "BT90", "BT91"}) EXPECT_FALSE(debit.at(c).isNull()) << c;
  EXPECT_TRUE(debit.at("BT84").isNull());
  // 252070: a document allowance after an advance payment.
  const auto& allowance = OfKind(Invoice("252070"), "ALLOWANCE");
  ASSERT_EQ(allowance.size(), 1u);
  EXPECT_EQ(Text(allowance[0]->at("BT98")), "95");
  EXPECT_FALSE(Invoice("252070")[0]->at("BT25").isNull());
  // 252071: a billing period without a delivery date.
  const Row& period = *Invoice("252071")[0];
  EXPECT_TRUE(period.at("BT72").isNull());
  EXPECT_FALSE(period.at("BT73").isNull());
  EXPECT_FALSE(period.at("BT74").isNull());
  // 252072: charges, AE and K, a foreign currency with BT6 and BT111, several
  // notes and payment means, a deliver-to party, line allowances, item
  // attributes.
  const auto& foreign = Invoice("252072");
  const Row& f = *foreign[0];
  EXPECT_EQ(Text(f.at("BT5")), "CHF");
  EXPECT_EQ(Text(f.at("BT6")), "EUR");
  EXPECT_FALSE(f.at("BT111").isNull());
  std::set<std::string> categories;
  for (const Row* line : OfKind(foreign, nullptr)) categories.insert(Text(line->at("BT118")));
  EXPECT_EQ(categories, (std::set<std::string>{"AE", "K", "S"}));
  EXPECT_EQ(OfKind(foreign, "CHARGE").size(), 1u);
  EXPECT_EQ(OfKind(foreign, "NOTE").size(), 2u) << "and the note of the first row";
  EXPECT_EQ(OfKind(foreign, "PAYMENT").size(), 1u) << "and the payment means of the first row";
  EXPECT_EQ(OfKind(foreign, "LINEALLOWANCE").size(), 1u);
  EXPECT_EQ(OfKind(foreign, "ATTRIBUTE").size(), 2u);
  for (const char* c : {"BT70", "BT75", "BT77", "BT78", "BT80"})
    EXPECT_FALSE(f.at(c).isNull()) << c;
}

// The scripts of sql/ and the column table of README.md against what the
// catalogue generates. With BELVORA_UPDATE_GENERATED=1 they are written instead.
TEST(GeneratedFiles, FollowTheCatalogue) {
  const std::string root = std::string(BELVORA_SOURCE_DIR) + "/";
  const std::string sqliteSample = ReadBytes(root + "sql/sqlite/02_xrechnung_sample.sql");
  const std::string readme = ReadBytes(root + "README.md");
  const std::string begin = "<!-- BEGIN column table, generated from the catalogue -->\n";
  const std::string end = "<!-- END column table -->";
  const auto from = readme.find(begin), to = readme.find(end);
  ASSERT_NE(from, std::string::npos) << "README.md has no column table";
  ASSERT_NE(to, std::string::npos);
  const std::string withTable =
      readme.substr(0, from + begin.size()) + ColumnReferenceTable() + readme.substr(to);
  const std::pair<std::string, std::string> expected[] = {
      {root + "sql/sqlite/01_xrechnung_tables.sql", TablesScript(Dialect::Sqlite)},
      {root + "sql/postgresql/01_xrechnung_tables.sql", TablesScript(Dialect::Postgres)},
      {root + "sql/postgresql/02_xrechnung_sample.sql", PostgresSampleScript(sqliteSample)},
      {root + "README.md", withTable}};
  const char* update = std::getenv("BELVORA_UPDATE_GENERATED");
  for (const auto& [path, text] : expected) {
    if (update && std::string(update) == "1") {
      std::ofstream(path, std::ios::binary) << text;
      continue;
    }
    EXPECT_EQ(ReadBytes(path), text)
        << path << " differs from what the catalogue gives; run this test with "
        << "BELVORA_UPDATE_GENERATED=1 to write it";
  }
}

// Schema and content of a database as text, for comparing two of them.
std::string Describe(db::Connection& c) {
  std::ostringstream out;
  for (const auto& object :
       ReadRows(c,
                "SELECT type, name FROM sqlite_master WHERE name NOT LIKE 'sqlite_%' "
                "ORDER BY name")) {
    const std::string type = Text(object.at("TYPE")), name = Text(object.at("NAME"));
    out << type << " " << name << "\n";
    if (type == "index") continue;
    for (const auto& col : ReadRows(c, "PRAGMA table_info(" + name + ")"))
      out << "  " << Text(col.at("NAME")) << " " << Text(col.at("TYPE"))
          << " notnull=" << Text(col.at("NOTNULL")) << " default=" << Text(col.at("DFLT_VALUE"))
          << " pk=" << Text(col.at("PK")) << "\n";
    if (type != "table") continue;
    for (const auto& row : ReadRows(c, "SELECT * FROM " + name + " ORDER BY rowid")) {
      out << "  row";
      for (const auto& [column, value] : row) {
        out << " " << column << "=";
        switch (value.kind()) {
          case db::Value::Kind::Real:
            out << value.real();
            break;
          case db::Value::Kind::Date:
            out << value.date().year << "-" << value.date().month << "-" << value.date().day;
            break;
          case db::Value::Kind::Null:
            out << "NULL";
            break;
          default:
            out << "'" << Text(value) << "'";
        }
      }
      out << "\n";
    }
  }
  return out.str();
}

TEST(SqlScripts, SqliteScriptsCanRunAgainAndBuildTheTemplate) {
  ASSERT_TRUE(OnPath("sqlite3")) << "the sqlite3 program is needed (Debian package sqlite3)";
  TempDir dir;
  const std::string scripted = dir.file("scripts.sqlite");
  const std::string scripts = std::string(BELVORA_SOURCE_DIR) + "/sql/sqlite/";
  for (int pass = 0; pass < 2; ++pass) {
    for (const char* script :
         {"01_xrechnung_tables.sql", "02_xrechnung_sample.sql", "incoming.sql"}) {
      const RunResult r = RunProgram({"sqlite3", "-bail", scripted}, scripts + script);
      ASSERT_EQ(r.status, 0) << script << " (pass " << pass + 1 << "): " << r.out;
    }
  }
  CopyFile(BELVORA_TEMPLATE_DB, dir.file("template.sqlite"));
  auto a = db::open("Data Source=" + dir.file("template.sqlite"));
  auto b = db::open("Data Source=" + scripted);
  const std::string expected = Describe(*a);
  EXPECT_NE(expected.find("table VorlageXRechnung"), std::string::npos);
  EXPECT_EQ(Describe(*b), expected);
}

}  // namespace
}  // namespace belvora::test::tpl
