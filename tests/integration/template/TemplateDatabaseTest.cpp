// The template database and the SQLite scripts: every catalogue column with
// a real database type, rows that add up and carry valid identifiers, and
// the scripts in sql/sqlite creating exactly what the seed creates.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "TemplateSupport.h"
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
  if (t == "INTEGER") return Kind::Integer;
  if (t.rfind("DECIMAL", 0) == 0 || t.rfind("NUMERIC", 0) == 0) return Kind::Number;
  if (t == "TEXT") return Kind::Text;
  ADD_FAILURE() << "unexpected declared type " << declared;
  return Kind::Text;
}

class TemplateDatabase : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    CopyFile(BELVORA_TEMPLATE_DB, dir_->file("VorlageDB.sqlite"));
    connection_ = db::open("Data Source=" + dir_->file("VorlageDB.sqlite")).release();
    rows_ =
        new std::vector<Row>(ReadRows(*connection_, "SELECT * FROM xRechnung ORDER BY BT1, BT126"));
    for (const auto& row : *rows_) (*invoices_)[Text(row.at("BT1"))].push_back(&row);
  }
  static void TearDownTestSuite() {
    delete connection_;
    delete rows_;
    invoices_->clear();
    delete dir_;
  }

  static const std::vector<const Row*>& Invoice(const std::string& number) {
    return invoices_->at(number);
  }

  static TempDir* dir_;
  static db::Connection* connection_;
  static std::vector<Row>* rows_;
  static std::map<std::string, std::vector<const Row*>>* invoices_;
};

TempDir* TemplateDatabase::dir_ = nullptr;
db::Connection* TemplateDatabase::connection_ = nullptr;
std::vector<Row>* TemplateDatabase::rows_ = nullptr;
std::map<std::string, std::vector<const Row*>>* TemplateDatabase::invoices_ =
    new std::map<std::string, std::vector<const Row*>>;

TEST_F(TemplateDatabase, TableAndViewHoldEveryCatalogueColumnWithItsType) {
  for (const char* relation : {"VorlageXRechnung", "xRechnung"}) {
    SCOPED_TRACE(relation);
    std::map<std::string, Kind> declared;
    for (const auto& col :
         ReadRows(*connection_, std::string("PRAGMA table_info(") + relation + ")"))
      declared[Text(col.at("NAME"))] = KindOfDeclaredType(Text(col.at("TYPE")));
    EXPECT_EQ(declared.size(), Catalogue().size());
    for (const auto& c : Catalogue()) {
      auto it = declared.find(c.name);
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

TEST_F(TemplateDatabase, DateColumnsDeliverDates) {
  for (const auto& row : *rows_) {
    for (const auto& c : Catalogue()) {
      if (c.kind != Kind::Date) continue;
      const auto& v = row.at(c.name);
      EXPECT_TRUE(v.kind() == db::Value::Kind::Date || v.isNull())
          << Text(row.at("BT1")) << " " << c.name;
    }
    EXPECT_EQ(row.at("BT2").kind(), db::Value::Kind::Date);
    EXPECT_EQ(row.at("BT9").kind(), db::Value::Kind::Date);
  }
}

TEST_F(TemplateDatabase, RequiredColumnsAreFilledOnEveryRow) {
  for (const auto& row : *rows_)
    for (const auto& name : model::RequiredColumns())
      EXPECT_FALSE(row.at(name).isNull()) << Text(row.at("BT1")) << " " << name;
}

TEST_F(TemplateDatabase, DocumentLevelColumnsRepeatOnEveryLine) {
  for (const auto& [number, lines] : *invoices_) {
    for (size_t i = 1; i < lines.size(); ++i)
      for (const auto& c : Catalogue())
        if (!c.perLine) {
          EXPECT_EQ(lines[i]->at(c.name), lines[0]->at(c.name)) << number << " " << c.name;
        }
    std::set<std::int64_t> lineNumbers;
    for (const Row* line : lines) lineNumbers.insert(line->at("BT126").integer());
    EXPECT_EQ(lineNumbers.size(), lines.size()) << number;
  }
}

// Tax of a basis in cents at a rate in hundredths of a percent, rounded half
// away from zero to cents.
std::int64_t TaxCents(std::int64_t basis, std::int64_t rate) {
  const std::int64_t raw = basis * rate;
  return raw >= 0 ? (raw + 5000) / 10000 : -((-raw + 5000) / 10000);
}

TEST_F(TemplateDatabase, LineAmountsAndTotalsAddUp) {
  for (const auto& [number, lines] : *invoices_) {
    SCOPED_TRACE(number);
    std::map<std::int64_t, std::int64_t> basisByRate;  // rate in 1/100 % -> cents
    for (const Row* line : lines) {
      const auto quantity = line->at("BT129");
      const double qty =
          quantity.kind() == db::Value::Kind::Real ? quantity.real() : quantity.integer();
      const auto price = Cents(line->at("BT146"));
      const auto net = Cents(line->at("BT131"));
      ASSERT_TRUE(price && net);
      EXPECT_EQ(std::llround(qty * static_cast<double>(*price)), *net)
          << "line " << line->at("BT126").integer() << ": quantity x price";
      basisByRate[*Cents(line->at("BT152"))] += *net;
    }
    for (const Row* line : lines) {
      const auto allowance = Cents(line->at("BT92"));
      if (allowance && *allowance > 0) basisByRate[*Cents(line->at("BT96"))] -= *allowance;
    }
    std::int64_t basis = 0, tax = 0;
    for (const auto& [rate, b] : basisByRate) {
      basis += b;
      tax += TaxCents(b, rate);
    }
    const Row& head = *lines[0];
    EXPECT_EQ(*Cents(head.at("BT109")), basis) << "BT109";
    EXPECT_EQ(*Cents(head.at("BT110")), tax) << "BT110";
    EXPECT_EQ(*Cents(head.at("BT112")), basis + tax) << "BT112";
    EXPECT_EQ(*Cents(head.at("BT115")),
              basis + tax - *Cents(head.at("BT113")) + *Cents(head.at("BT114")))
        << "BT115";
    for (const Row* line : lines)
      EXPECT_EQ(*Cents(line->at("BT116")), basisByRate[*Cents(line->at("BT152"))])
          << "BT116 of line " << line->at("BT126").integer();
  }
}

TEST_F(TemplateDatabase, IdentifiersCarryValidCheckDigits) {
  for (const auto& [number, lines] : *invoices_) {
    SCOPED_TRACE(number);
    const Row& head = *lines[0];
    EXPECT_TRUE(ValidIban(Text(head.at("BT84")))) << Text(head.at("BT84"));
    EXPECT_TRUE(ValidBic(Text(head.at("BT86")))) << Text(head.at("BT86"));
    EXPECT_TRUE(ValidGermanVatId(Text(head.at("BT31")))) << Text(head.at("BT31"));
    if (!head.at("BT48").isNull()) {
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
  ASSERT_GE(main.size(), 3u);
  std::set<std::int64_t> rates;
  for (const Row* line : main) rates.insert(*Cents(line->at("BT152")));
  EXPECT_EQ(rates, (std::set<std::int64_t>{700, 1900}));
  const Row& head = *main[0];
  EXPECT_EQ(Text(head.at("BT81")), "58");
  EXPECT_TRUE(ValidLeitwegId(Text(head.at("BT10")))) << Text(head.at("BT10"));
  EXPECT_NE(Text(head.at("BT22")).find("\r\n"), std::string::npos);
  for (const char* c : {"BT27", "BT35", "BT37", "BT38", "BT40", "BT41", "BT42", "BT43", "BT44",
                        "BT50", "BT52", "BT53", "BT55", "BT56", "BT57", "BT58", "BT20", "BT85"})
    EXPECT_FALSE(Text(head.at(c)).empty()) << c;

  int directDebit = 0, allowance = 0, period = 0;
  for (const auto& [number, lines] : *invoices_) {
    const Row& h = *lines[0];
    if (Text(h.at("BT81")) == "59") {
      ++directDebit;
      for (const char* c : {"BT89", "BT90", "BT91"}) EXPECT_FALSE(h.at(c).isNull()) << c;
    }
    int carriers = 0;
    for (const Row* line : lines) {
      const auto amount = Cents(line->at("BT92"));
      if (!amount || *amount <= 0) continue;
      ++carriers;
      EXPECT_EQ(Text(line->at("BT95")), "S");
      EXPECT_EQ(*Cents(line->at("BT96")), 1900);
      EXPECT_EQ(Text(line->at("BT98")), "95");
      EXPECT_FALSE(Text(line->at("BT97")).empty());
    }
    // Allowances of all rows are added up: one row carries it.
    EXPECT_LE(carriers, 1) << number;
    allowance += carriers;
    if (!h.at("BT73").isNull()) {
      ++period;
      EXPECT_TRUE(h.at("BT72").isNull()) << number;
      EXPECT_FALSE(h.at("BT74").isNull()) << number;
    }
  }
  EXPECT_GE(directDebit, 1);
  EXPECT_GE(allowance, 1);
  EXPECT_GE(period, 1);
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

TEST(SqliteScripts, CreateTheSameTablesAndRowsAsTheSeedAndCanRunAgain) {
  ASSERT_TRUE(OnPath("sqlite3")) << "the sqlite3 program is needed (Debian package sqlite3)";
  TempDir dir;
  const std::string seeded = dir.file("seed.sqlite"), scripted = dir.file("scripts.sqlite");
  auto r = RunProgram({"sqlite3", "-bail", seeded}, BELVORA_TEMPLATE_SEED);
  ASSERT_EQ(r.status, 0) << r.output;
  const std::string scripts = std::string(BELVORA_SOURCE_DIR) + "/sql/sqlite/";
  for (int pass = 0; pass < 2; ++pass) {
    for (const char* script : {"01_xrechnung_tables.sql", "02_xrechnung_sample.sql"}) {
      r = RunProgram({"sqlite3", "-bail", scripted}, scripts + script);
      ASSERT_EQ(r.status, 0) << script << " (pass " << pass + 1 << "): " << r.output;
    }
  }
  auto a = db::open("Data Source=" + seeded);
  auto b = db::open("Data Source=" + scripted);
  const std::string expected = Describe(*a);
  EXPECT_NE(expected.find("table VorlageXRechnung"), std::string::npos);
  EXPECT_EQ(Describe(*b), expected);
}

}  // namespace
}  // namespace belvora::test::tpl
