// Storing read invoices into a real SQLite file and into PostgreSQL through
// psqlodbc: header update on a second save, lines and allowances replaced,
// one documents row per save, failures confined to their own operation.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include "ReaderTestSupport.h"
#include "fakes/FakeInteraction.h"
#include "fakes/SharedArtefacts.h"
#include "platform/db/Connection.h"
#include "platform/sys/Files.h"
#include "reader/ReadXML.h"
#include "reader/StoreInvoice.h"
#include "reader/StoreSave.h"

using belvora::db::Value;
using belvora::reader::GridNumber;
using belvora::reader::ReaderSettings;
using belvora::reader::SaveInvoice;
using belvora::reader::StoreInvoice;
using belvora::reader::ViewModel;
using belvora::test::Backend;
using belvora::test::num;
using belvora::test::readAll;
using belvora::test::rowsOf;
using belvora::test::text;
using ::testing::HasSubstr;
using ::testing::StartsWith;
namespace reader = belvora::reader;

namespace {

const std::string kExample5 = belvora::test::CorpusDir() + "/en16931/cii/CII_example5.xml";

class StoreTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    if (const char* t = std::getenv("TMPDIR")) oldTmp_ = t;
    if (const char* u = std::getenv("USER")) oldUser_ = u;
    BELVORA_REQUIRE_CORPUS();
    ::setenv("TMPDIR", dir.path().c_str(), 1);
    ::setenv("USER", "erfasser", 1);
    ::unsetenv("BELVORA_ANSWER");
    connect = belvora::test::makeDatabase(GetParam(), dir);
    if (connect.empty())
      GTEST_SKIP() << "BELVORA_PG_ODBC is not set: start the server with "
                      "eval \"$(bash scripts/postgres.sh start)\"";
    db = belvora::db::open(connect);
    settings.connection = connect;
    settings.documentsTable = "tblDocuments";
    settings.language = "GB";
    settings.invoiceFile = kExample5;
  }
  void TearDown() override {
    restore("TMPDIR", oldTmp_);
    restore("USER", oldUser_);
  }
  static void restore(const char* name, const std::string& value) {
    if (value.empty()) {
      ::unsetenv(name);
    } else {
      ::setenv(name, value.c_str(), 1);
    }
  }

  ViewModel read(const std::string& path) {
    settings.invoiceFile = path;
    ViewModel view;
    EXPECT_TRUE(reader::ReadXML(settings, view)) << path;
    return view;
  }

  // A view filled by hand, as a user could have edited it.
  ViewModel handMade(const std::string& number) {
    ViewModel v;
    v.clear();
    v.syntax = reader::SyntaxCII;
    v.txtRechnungdaten[reader::InvoiceNumber] = number;
    v.txtRechnungdaten[reader::InvoiceDate] = "05.03.2024";
    v.txtSeller[reader::Name] = "  Lieferant GmbH  ";
    v.txtRechnungdaten[reader::CurrencyCode] = "EUR";
    return v;
  }

  std::vector<std::vector<Value>> header(const std::string& number) {
    return rowsOf(*db,
                  "SELECT CreateDate, CreateUser, ChangeDate, ChangeUser, InvoiceDate, PayableBy, "
                  "SellerName, SumOfNet, TotalAmountWithoutVAT, Prepayment, PaymentDue, "
                  "CurrencyCode, InvoiceType, TaxAmountWithVAT FROM tblInvoice WHERE "
                  "InvoiceNumber = ?",
                  {number});
  }
  std::vector<std::vector<Value>> items(const std::string& number) {
    return rowsOf(*db,
                  "SELECT Pos, LineID, ItemName, Quantity, Net, Gross, BaseQuantity, VAT, "
                  "TotalGross, TotalNet FROM tblInvoice_Items WHERE InvoiceNumber = ? ORDER BY Pos",
                  {number});
  }
  std::vector<std::vector<Value>> deductions(const std::string& number) {
    return rowsOf(*db,
                  "SELECT Code, reason, Factor, Amount, BasicAmount FROM tblInvoice_Deduction "
                  "WHERE InvoiceNumber = ? ORDER BY Amount, Code",
                  {number});
  }
  std::vector<std::vector<Value>> documents(const std::string& number) {
    return rowsOf(*db,
                  "SELECT DocType, BinaryFile, FileName, FileType, FileSize FROM tblDocuments "
                  "WHERE Number = ? ORDER BY ID",
                  {number});
  }
  void rejectThirdLine() {
    if (GetParam() == Backend::Sqlite) {
      db->execute(
          "CREATE TRIGGER reject_third BEFORE INSERT ON tblInvoice_Items WHEN NEW.Pos = 3 "
          "BEGIN SELECT RAISE(ABORT, 'third line rejected'); END");
    } else {
      db->execute(
          "ALTER TABLE tblInvoice_Items ADD CONSTRAINT reject_third CHECK (Pos <> 3) NOT VALID");
    }
  }

  belvora::test::ScratchDir dir;
  belvora::test::ScopedFakeInteraction ui;
  std::string connect;
  std::unique_ptr<belvora::db::Connection> db;
  ReaderSettings settings;
  std::string oldTmp_, oldUser_;
};

TEST_P(StoreTest, SavingTwiceUpdatesTheHeaderAndReplacesLinesAndAllowances) {
  ViewModel view = read(kExample5);
  ASSERT_TRUE(SaveInvoice(view, settings));
  EXPECT_TRUE(ui->calls.empty());

  auto h = header("TOSL110");
  ASSERT_EQ(h.size(), 1u);
  EXPECT_FALSE(h[0][0].isNull());
  EXPECT_EQ(text(h[0][1]), "erfasser");
  EXPECT_TRUE(h[0][2].isNull());
  EXPECT_TRUE(h[0][3].isNull());
  EXPECT_EQ(text(h[0][4]), "10.04.2013");
  EXPECT_EQ(text(h[0][5]), "10.05.2013");
  EXPECT_EQ(text(h[0][6]), "SellerCompany");
  EXPECT_DOUBLE_EQ(num(h[0][7]), 4000);
  EXPECT_DOUBLE_EQ(num(h[0][8]), 675);  // the first of two tax totals
  EXPECT_DOUBLE_EQ(num(h[0][9]), 2337.5);
  EXPECT_DOUBLE_EQ(num(h[0][10]), 2337.5);
  EXPECT_EQ(text(h[0][11]), "DKK");
  const std::string created = text(h[0][0]);

  auto lines = items("TOSL110");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(num(lines[0][0]), 1);
  EXPECT_EQ(text(lines[0][1]), "1");
  EXPECT_EQ(text(lines[0][2]), "Printing paper");
  EXPECT_DOUBLE_EQ(num(lines[0][3]), 1000);
  EXPECT_DOUBLE_EQ(num(lines[0][4]), 1);
  EXPECT_DOUBLE_EQ(num(lines[0][5]), 1.25);
  // The view shows the document's 1.1 as "1,1"; stored as 1.1, not 11.
  EXPECT_DOUBLE_EQ(num(lines[0][6]), 1.1);
  EXPECT_DOUBLE_EQ(num(lines[0][7]), 25);
  EXPECT_DOUBLE_EQ(num(lines[0][8]), 1250);
  EXPECT_DOUBLE_EQ(num(lines[0][9]), 1000);
  EXPECT_EQ(text(lines[2][2]), "American Cookies");
  EXPECT_DOUBLE_EQ(num(lines[2][5]), 5.6);
  EXPECT_DOUBLE_EQ(num(lines[2][8]), 2800);

  auto allowances = deductions("TOSL110");
  ASSERT_EQ(allowances.size(), 4u);
  EXPECT_EQ(text(allowances[0][0]), "Loyal customer");
  EXPECT_EQ(text(allowances[0][1]), "95");
  EXPECT_EQ(text(allowances[0][2]), "10");
  EXPECT_DOUBLE_EQ(num(allowances[0][3]), 100);
  EXPECT_DOUBLE_EQ(num(allowances[0][4]), 1000);

  auto docs = documents("TOSL110");
  ASSERT_EQ(docs.size(), 1u);
  EXPECT_EQ(text(docs[0][0]), "IN");
  const auto& blob = docs[0][1].blob();
  EXPECT_EQ(std::string(blob.begin(), blob.end()), readAll(kExample5));
  EXPECT_EQ(text(docs[0][2]), "CII_example5.xml");
  EXPECT_EQ(text(docs[0][3]), "xml");
  EXPECT_EQ(num(docs[0][4]), static_cast<double>(readAll(kExample5).size()));

  // Edited in the viewer, saved again by someone else.
  ::setenv("USER", "pruefer", 1);
  view.txtSeller[reader::Name] = "SellerCompany A/S";
  view.lvTable.rows.erase(view.lvTable.rows.begin() + 1);
  view.lvAbzuege.rows.resize(1);
  ASSERT_TRUE(SaveInvoice(view, settings));

  h = header("TOSL110");
  ASSERT_EQ(h.size(), 1u);
  EXPECT_EQ(text(h[0][0]), created);
  EXPECT_EQ(text(h[0][1]), "erfasser");
  EXPECT_FALSE(h[0][2].isNull());
  EXPECT_EQ(text(h[0][3]), "pruefer");
  EXPECT_EQ(text(h[0][6]), "SellerCompany A/S");
  lines = items("TOSL110");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(text(lines[1][1]), "3");
  EXPECT_EQ(num(lines[1][0]), 2);
  EXPECT_EQ(deductions("TOSL110").size(), 1u);
  EXPECT_EQ(documents("TOSL110").size(), 2u);
}

TEST_P(StoreTest, FailureInTheMiddleOfTheLineStoreKeepsThePreviousLines) {
  ViewModel view = read(kExample5);
  ASSERT_TRUE(SaveInvoice(view, settings));
  rejectThirdLine();

  view.lvTable.rows[0].cells[1] = "Changed paper";
  view.lvAbzuege.rows.resize(2);
  settings.ask = true;
  EXPECT_FALSE(SaveInvoice(view, settings));
  ASSERT_EQ(ui->messages().size(), 1u);
  EXPECT_EQ(ui->messages()[0].title, "Note");
  EXPECT_EQ(ui->messages()[0].text, "Invoice not saved in database!\r\n- Prints saved too.");
  EXPECT_EQ(ui->messages()[0].icon, belvora::ui::Icon::Information);

  auto lines = items("TOSL110");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(text(lines[0][2]), "Printing paper");
  EXPECT_EQ(documents("TOSL110").size(), 1u);  // no file without its lines
  EXPECT_EQ(deductions("TOSL110").size(), 2u);
  EXPECT_FALSE(header("TOSL110")[0][2].isNull());  // the header went in on its own
}

TEST_P(StoreTest, AskFlagAsksAndReportsInTheHandlersLanguage) {
  ViewModel view = read(kExample5);
  settings.ask = true;

  ui->answers.push_back(false);
  EXPECT_FALSE(SaveInvoice(view, settings));
  ASSERT_EQ(ui->calls.size(), 1u);
  EXPECT_EQ(ui->calls[0].kind, "question");
  EXPECT_EQ(ui->calls[0].title, "Note");
  EXPECT_EQ(ui->calls[0].text, "Incoming invoice + file save into database?");
  EXPECT_TRUE(header("TOSL110").empty());
  EXPECT_TRUE(documents("TOSL110").empty());

  ui->calls.clear();
  EXPECT_TRUE(SaveInvoice(view, settings));
  ASSERT_EQ(ui->messages().size(), 1u);
  EXPECT_EQ(ui->messages()[0].text,
            "Invoice and File: " + kExample5 + " saved.\r\n- Prints saved too.");

  // Every language other than "GB" gets the German texts.
  for (const char* language : {"DE", "FR"}) {
    ui->calls.clear();
    settings.language = language;
    EXPECT_TRUE(SaveInvoice(view, settings));
    ASSERT_EQ(ui->calls.size(), 2u);
    EXPECT_EQ(ui->calls[0].text, "Eingangsrechnung + Datei in Datenbank speichern?");
    EXPECT_EQ(ui->calls[1].text,
              "Rechnung und Datei: " + kExample5 + " gespeichert.\r\n- Abzüge gespeichert.");
  }

  // Without allowances the message is the first line alone.
  ui->calls.clear();
  settings.language = "GB";
  view.lvAbzuege.rows.clear();
  EXPECT_TRUE(SaveInvoice(view, settings));
  EXPECT_EQ(ui->messages().at(0).text, "Invoice and File: " + kExample5 + " saved.\r\n");
  EXPECT_EQ(documents("TOSL110").size(), 4u);
  EXPECT_EQ(deductions("TOSL110").size(), 4u);  // left as they were
}

TEST_P(StoreTest, NumbersAreReadBackWithTheSeparatorsTheyWereWrittenWith) {
  for (const char* language : {"DE", "GB"}) {
    const bool de = std::string(language) == "DE";
    const std::string number = std::string("RE-") + language;
    ViewModel v = handMade(number);
    v.txtSonstige[reader::SumOfNet] = de ? "1.234,50" : "1,234.50";
    v.txtSonstige[reader::TaxBasisTotal] = de ? "1234,50 " : "1234.50 ";  // plain form
    v.txtRechnungdaten[reader::PayableBy] = "";
    auto& l1 = v.lvTable.addRow("1").cells;
    l1[3] = de ? "2,00" : "2.00";
    l1[4] = de ? "100,00" : "100.00";
    l1[5] = "0";
    l1[6] = "19";
    l1[7] = de ? "200,00" : "200.00";
    auto& l2 = v.lvTable.addRow("2").cells;  // a literal decimal comma, whatever the language
    l2[3] = "2,5";
    l2[4] = de ? "1.000,00" : "1,000.00";
    l2[5] = "1,0000";
    l2[6] = "";                              // no rate: gross equals net
    auto& l3 = v.lvTable.addRow("3").cells;  // no price
    l3[3] = "1";
    l3[4] = "--";
    auto& a = v.lvAbzuege.addRow("Rabatt").cells;
    a[1] = "95";
    a[2] = "10.5";
    a[3] = "12.60";  // document numbers: decimal point
    a[4] = "";       // no base amount

    settings.language = language;
    ASSERT_TRUE(SaveInvoice(v, settings)) << language;

    auto h = header(number);
    ASSERT_EQ(h.size(), 1u);
    EXPECT_DOUBLE_EQ(num(h[0][7]), 1234.5);
    EXPECT_DOUBLE_EQ(num(h[0][13]), 1234.5);
    EXPECT_EQ(text(h[0][5]), "05.03.2024");  // no due date: the invoice date
    EXPECT_EQ(text(h[0][6]), "Lieferant GmbH");
    EXPECT_EQ(text(h[0][12]), "380");
    EXPECT_TRUE(h[0][9].isNull());  // an empty amount field stores no number
    auto lines = items(number);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_DOUBLE_EQ(num(lines[0][3]), 2);
    EXPECT_DOUBLE_EQ(num(lines[0][5]), 119);
    EXPECT_DOUBLE_EQ(num(lines[0][6]), 1);  // "0" base stores 1
    EXPECT_DOUBLE_EQ(num(lines[0][8]), 238);
    EXPECT_DOUBLE_EQ(num(lines[1][3]), 2.5);
    EXPECT_DOUBLE_EQ(num(lines[1][4]), 1000);
    EXPECT_DOUBLE_EQ(num(lines[1][5]), 1000);
    EXPECT_DOUBLE_EQ(num(lines[1][6]), 1);
    EXPECT_TRUE(lines[1][7].isNull());
    EXPECT_DOUBLE_EQ(num(lines[1][8]), 2500);
    EXPECT_TRUE(lines[1][9].isNull());
    EXPECT_TRUE(lines[2][4].isNull());
    EXPECT_TRUE(lines[2][5].isNull());
    auto d = deductions(number);
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(text(d[0][2]), "10.5");
    EXPECT_DOUBLE_EQ(num(d[0][3]), 12.6);
    EXPECT_TRUE(d[0][4].isNull());
  }
}

TEST_P(StoreTest, AmountThatIsNoNumberFailsOnlyItsOwnOperation) {
  settings.language = "DE";
  ViewModel v = handMade("RE-9");
  v.txtSonstige[reader::PaymentDue] = "zwölf";
  v.lvTable.addRow("1").cells[3] = "1";
  auto& a = v.lvAbzuege.addRow("Skonto").cells;
  a[3] = "3.00";

  auto result = StoreInvoice(v, *db, "DE");
  EXPECT_FALSE(result);
  EXPECT_THAT(result.error, HasSubstr("PaymentDue"));
  EXPECT_THAT(result.error, HasSubstr("zwölf"));

  // Silent save: no header, so neither lines nor file; the allowances still go in.
  EXPECT_FALSE(SaveInvoice(v, settings));
  EXPECT_TRUE(ui->calls.empty());
  EXPECT_TRUE(header("RE-9").empty());
  EXPECT_TRUE(items("RE-9").empty());
  EXPECT_TRUE(documents("RE-9").empty());
  EXPECT_EQ(deductions("RE-9").size(), 1u);

  // Asking save: the failed header ends it without a message.
  settings.ask = true;
  EXPECT_FALSE(SaveInvoice(v, settings));
  EXPECT_TRUE(ui->messages().empty());

  // A line amount that is no number: the lines are refused as a whole.
  v.txtSonstige[reader::PaymentDue] = "0,00";
  v.lvTable.addRow("2").cells[4] = "12 Euro";
  EXPECT_FALSE(SaveInvoice(v, settings));
  EXPECT_EQ(ui->messages().at(0).text,
            "Rechnung nicht in der Datenbank gespeichert!\r\n- Abzüge gespeichert.");
  EXPECT_TRUE(items("RE-9").empty());
}

TEST_P(StoreTest, InvoiceNumberIsABoundValue) {
  const std::string number = "RE'4711'; DELETE FROM tblInvoice; --";
  ViewModel v = handMade(number);
  v.lvTable.addRow("1").cells[3] = "1";
  ASSERT_TRUE(SaveInvoice(handMade("ANDERE-1"), settings));
  ASSERT_TRUE(SaveInvoice(v, settings));
  ASSERT_TRUE(SaveInvoice(v, settings));
  EXPECT_EQ(header(number).size(), 1u);
  EXPECT_EQ(items(number).size(), 1u);
  EXPECT_EQ(header("ANDERE-1").size(), 1u);
  EXPECT_EQ(documents(number).size(), 2u);
}

TEST_P(StoreTest, DatabaseFailuresAreReportedWithTheirDescription) {
  ViewModel view = read(kExample5);

  settings.documentsTable = "tblNichtDa";
  EXPECT_FALSE(SaveInvoice(view, settings));
  ASSERT_EQ(ui->messages().size(), 1u);
  EXPECT_THAT(ui->messages()[0].text, StartsWith("Fehler: "));
  EXPECT_THAT(ui->messages()[0].text, HasSubstr("tblNichtDa"));
  // Header and lines were each written whole before the file failed; the
  // allowances come after the file and are not stored.
  EXPECT_EQ(header("TOSL110").size(), 1u);
  EXPECT_EQ(items("TOSL110").size(), 3u);
  EXPECT_TRUE(deductions("TOSL110").empty());

  ui->calls.clear();
  settings.documentsTable = "tblDocuments; DROP TABLE tblInvoice";
  EXPECT_FALSE(SaveInvoice(view, settings));
  EXPECT_THAT(ui->messages().at(0).text, StartsWith("Fehler: "));
  EXPECT_EQ(header("TOSL110").size(), 1u);

  ui->calls.clear();
  settings.documentsTable = "tblDocuments";
  settings.invoiceFile = dir / "weg.xml";
  EXPECT_FALSE(SaveInvoice(view, settings));
  EXPECT_THAT(ui->messages().at(0).text, StartsWith("Fehler: "));
  EXPECT_THAT(ui->messages().at(0).text, HasSubstr("weg.xml"));

  ui->calls.clear();
  settings.connection = GetParam() == Backend::Sqlite
                            ? "Data Source=" + dir / "kein/ordner/erp.sqlite"
                            : "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=1;Database=x;";
  EXPECT_FALSE(SaveInvoice(view, settings));
  ASSERT_EQ(ui->messages().size(), 1u);
  EXPECT_THAT(ui->messages()[0].text, StartsWith("Fehler: "));
  EXPECT_GT(ui->messages()[0].text.size(), std::string("Fehler: ").size());
}

TEST_P(StoreTest, MissingIncomingTableFailsItsOperation) {
  ViewModel view = read(kExample5);
  db->execute("DROP TABLE tblInvoice_Items");
  settings.ask = true;
  EXPECT_FALSE(SaveInvoice(view, settings));
  EXPECT_EQ(ui->messages().at(0).text, "Invoice not saved in database!\r\n- Prints saved too.");
  EXPECT_EQ(header("TOSL110").size(), 1u);
  EXPECT_TRUE(documents("TOSL110").empty());
}

INSTANTIATE_TEST_SUITE_P(Backends, StoreTest, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) { return belvora::test::backendName(info.param); });

// ---- reading grid numbers ----------------------------------------------------------

TEST(GridNumber, OneSeparatorKindIsDecimalBothMeanTheLastOne) {
  EXPECT_EQ(GridNumber("2,5", "Quantity"), 2.5);
  EXPECT_EQ(GridNumber("2.5", "Quantity"), 2.5);
  EXPECT_EQ(GridNumber(" 1.0000 ", "BaseQuantity"), 1.0);
  EXPECT_EQ(GridNumber("1,0000", "BaseQuantity"), 1.0);
  EXPECT_EQ(GridNumber("1.234,5", "Quantity"), 1234.5);
  EXPECT_EQ(GridNumber("1,234.5", "Quantity"), 1234.5);
  EXPECT_EQ(GridNumber("1.234.567", "Quantity"), 1234567.0);
  EXPECT_EQ(GridNumber("-3", "Quantity"), -3.0);
  EXPECT_EQ(GridNumber("", "Quantity"), std::nullopt);
  EXPECT_EQ(GridNumber("   ", "Quantity"), std::nullopt);
  try {
    GridNumber("zwei", "Quantity");
    FAIL() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "column Quantity: 'zwei' is not a number");
  }
}

TEST(ViewAmount, LanguageSeparatorsAndTheNoPricePlaceholder) {
  EXPECT_EQ(reader::ViewAmount("1.234,50", "DE", "SumOfNet"), 1234.5);
  EXPECT_EQ(reader::ViewAmount("1,234.50", "GB", "SumOfNet"), 1234.5);
  EXPECT_EQ(reader::ViewAmount("1,234.50", "FR", "SumOfNet"), 1234.5);
  EXPECT_EQ(reader::ViewAmount("-0,50 ", "DE", "SumOfNet"), -0.5);
  EXPECT_EQ(reader::ViewAmount("--", "DE", "Net"), std::nullopt);
  EXPECT_EQ(reader::ViewAmount("", "DE", "Net"), std::nullopt);
  EXPECT_THROW(reader::ViewAmount("1.2.3,4,5", "GB", "Net"), std::invalid_argument);
}

}  // namespace
