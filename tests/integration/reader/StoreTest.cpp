// Storing read invoices into a real SQLite file and into PostgreSQL through
// psqlodbc: header update on a second save, lines and allowances replaced,
// one documents row per save; a save is one transaction, so every failure
// (missing table, bad field, read-only or locked database, failed commit)
// leaves the database as it was, is shown with its reason and fails.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <utility>

#include "ReaderTestSupport.h"
#include "platform/db/Connection.h"
#include "platform/sys/Files.h"
#include "reader/ReadXML.h"
#include "reader/StoreInvoice.h"
#include "reader/StoreSave.h"
#include "support/Expect.h"
#include "support/FakeInteraction.h"
#include "support/ReadOnlyPath.h"
#include "support/SharedArtefacts.h"

using belvora::db::Value;
using belvora::reader::GridNumber;
using belvora::reader::ReaderSettings;
using belvora::reader::SaveInvoice;
using belvora::reader::SaveResult;
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

const char* const kHeader =
    "SELECT CreateUser, ChangeUser, InvoiceDate, PayableBy, SellerName, SumOfNet, "
    "TotalAmountWithoutVAT, Prepayment, PaymentDue, CurrencyCode, InvoiceType, TaxAmountWithVAT "
    "FROM tblInvoice WHERE InvoiceNumber = ?";
const char* const kItems =
    "SELECT Pos, LineID, ItemName, Quantity, Net, Gross, BaseQuantity, VAT, TotalGross, TotalNet "
    "FROM tblInvoice_Items WHERE InvoiceNumber = ? ORDER BY Pos";
const char* const kDeductions =
    "SELECT Code, reason, Factor, Amount, BasicAmount FROM tblInvoice_Deduction "
    "WHERE InvoiceNumber = ? ORDER BY Amount, Code";
const char* const kDocuments =
    "SELECT DocType, FileName, FileType, FileSize FROM tblDocuments WHERE Number = ? ORDER BY ID";

const std::string kExample5 = belvora::test::CorpusDir() + "/en16931/cii/CII_example5.xml";

class StoreTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    if (const char* t = std::getenv("TMPDIR")) oldTmp_ = t;
    if (const char* u = std::getenv("USER")) oldUser_ = u;
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

  // The stored invoice: header, lines, allowances and documents rows
  // (without the dates and the file's bytes).
  std::string stored(const std::string& number) {
    std::string out;
    for (const char* sql : {kHeader, kItems, kDeductions, kDocuments})
      out += belvora::test::tableOf(*db, sql, {number});
    return out;
  }
  static void addRow(reader::Grid& grid, const std::vector<std::string>& cells) {
    auto& row = grid.addRow(cells[0]);
    std::copy(cells.begin(), cells.end(), row.cells.begin());
  }
  std::string golden(const std::string& name) {
    return readAll(std::string(BELVORA_TEST_DATA_DIR) + "/reader/store/" + name);
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

  void allowThirdLine() {
    db->execute(GetParam() == Backend::Sqlite
                    ? "DROP TRIGGER reject_third"
                    : "ALTER TABLE tblInvoice_Items DROP CONSTRAINT reject_third");
  }

  // Every row of the incoming tables and the documents table, as text:
  // equal before and after a save that failed.
  std::string dump() {
    std::vector<std::string> lines;
    for (const char* table :
         {"tblInvoice", "tblInvoice_Items", "tblInvoice_Deduction", "tblDocuments"}) {
      for (const auto& row : rowsOf(*db, std::string("SELECT * FROM ") + table)) {
        std::string line = table;
        for (const Value& v : row) line += "|" + text(v);
        lines.push_back(std::move(line));
      }
    }
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const auto& l : lines) out += l + "\n";
    return out;
  }

  // The one message of a failed save.
  void expectNotSaved(const std::string& reason) {
    ASSERT_EQ(ui->messages().size(), 1u);
    EXPECT_EQ(ui->messages()[0].title, "Note");
    EXPECT_EQ(ui->messages()[0].icon, belvora::ui::Icon::Exclamation);
    EXPECT_THAT(ui->messages()[0].text, StartsWith("Invoice not saved in database!\r\n"));
    EXPECT_THAT(ui->messages()[0].text, HasSubstr(reason));
  }

  belvora::test::TempDir dir;
  belvora::test::ScopedFakeInteraction ui;
  std::string connect;
  std::unique_ptr<belvora::db::Connection> db;
  ReaderSettings settings;
  std::string oldTmp_, oldUser_;
};

TEST_P(StoreTest, SavingTwiceUpdatesTheHeaderAndReplacesLinesAndAllowances) {
  BELVORA_REQUIRE_CORPUS();
  ViewModel view = read(kExample5);
  ASSERT_EQ(SaveInvoice(view, settings), SaveResult::Saved);
  EXPECT_TRUE(ui->calls.empty());
  // TaxAmountWithoutVAT is the first of two tax totals; the base quantity
  // the view shows as "1,1" is stored as 1.1, not 11.
  EXPECT_EQ(stored("TOSL110"), golden("example5-saved.txt"));
  const auto blob = rowsOf(*db, "SELECT BinaryFile FROM tblDocuments")[0][0].blob();
  EXPECT_EQ(std::string(blob.begin(), blob.end()), readAll(kExample5));
  const auto dates = [&] {
    return rowsOf(*db, "SELECT CreateDate, ChangeDate FROM tblInvoice")[0];
  };
  const std::string created = text(dates()[0]);
  EXPECT_FALSE(dates()[0].isNull());
  EXPECT_TRUE(dates()[1].isNull());

  // Edited in the viewer, saved again by someone else.
  ::setenv("USER", "pruefer", 1);
  view.txtSeller[reader::Name] = "SellerCompany A/S";
  view.lvTable.rows.erase(view.lvTable.rows.begin() + 1);
  view.lvAbzuege.rows.resize(1);
  ASSERT_EQ(SaveInvoice(view, settings), SaveResult::Saved);
  EXPECT_EQ(stored("TOSL110"), golden("example5-saved-again.txt"));
  EXPECT_EQ(text(dates()[0]), created);
  EXPECT_FALSE(dates()[1].isNull());
}

TEST_P(StoreTest, AskFlagAsksAndReportsInTheViewersLanguage) {
  BELVORA_REQUIRE_CORPUS();
  ViewModel view = read(kExample5);
  settings.ask = true;
  ui->answers.push_back(false);
  EXPECT_EQ(SaveInvoice(view, settings), SaveResult::Declined);
  ASSERT_EQ(ui->calls.size(), 1u);
  EXPECT_EQ(ui->calls[0].kind, "question");
  EXPECT_EQ(ui->calls[0].title, "Note");
  EXPECT_EQ(ui->calls[0].text, "Incoming invoice + file save into database?");
  EXPECT_EQ(stored("TOSL110"), "");

  // "DE" is German; every other language, "GB" or not, English.
  for (const char* language : {"GB", "FR", "DE"}) {
    const bool de = std::string(language) == "DE";
    ui->calls.clear();
    settings.language = language;
    EXPECT_EQ(SaveInvoice(view, settings), SaveResult::Saved);
    ASSERT_EQ(ui->calls.size(), 2u) << language;
    EXPECT_EQ(ui->calls[0].text, de ? "Eingangsrechnung + Datei in Datenbank speichern?"
                                    : "Incoming invoice + file save into database?");
    EXPECT_EQ(ui->calls[1].text,
              de ? "Rechnung und Datei: " + kExample5 + " gespeichert.\r\n- Abzüge gespeichert."
                 : "Invoice and File: " + kExample5 + " saved.\r\n- Prints saved too.");
    EXPECT_EQ(ui->calls[1].icon, belvora::ui::Icon::Information);

    ui->calls.clear();
    settings.documentsTable = "tblNichtDa";
    EXPECT_EQ(SaveInvoice(view, settings), SaveResult::Failed);
    EXPECT_THAT(ui->messages().at(0).text,
                StartsWith(de ? "Rechnung nicht in der Datenbank gespeichert!\r\n"
                              : "Invoice not saved in database!\r\n"));
    settings.documentsTable = "tblDocuments";
  }

  // Without allowances the message is the first line alone; the stored
  // allowances stay as they were.
  ui->calls.clear();
  settings.language = "GB";
  view.lvAbzuege.rows.clear();
  EXPECT_EQ(SaveInvoice(view, settings), SaveResult::Saved);
  EXPECT_EQ(ui->messages().at(0).text, "Invoice and File: " + kExample5 + " saved.\r\n");
  EXPECT_EQ(rowsOf(*db, "SELECT ID FROM tblDocuments").size(), 4u);
  EXPECT_EQ(rowsOf(*db, "SELECT Code FROM tblInvoice_Deduction").size(), 4u);
}

TEST_P(StoreTest, NumbersAreReadBackWithTheSeparatorsTheyWereWrittenWith) {
  for (const char* language : {"DE", "GB"}) {
    SCOPED_TRACE(language);
    const bool de = std::string(language) == "DE";
    const std::string number = std::string("RE-") + language;
    ViewModel v = handMade(number);
    v.txtSonstige[reader::SumOfNet] = de ? "1.234,50" : "1,234.50";
    v.txtSonstige[reader::TaxBasisTotal] = de ? "1234,50 " : "1234.50 ";  // plain form
    v.txtRechnungdaten[reader::PayableBy] = "";  // stored: the invoice date
    // Cells: quantity, net, base quantity ("0" stores 1), VAT rate (none:
    // gross equals net), total; "2,5" is a decimal comma whatever the
    // language, "--" no price.
    addRow(v.lvTable,
           {"1", "", "", "2", de ? "100,00" : "100.00", "0", "19", de ? "200,00" : "200.00"});
    addRow(v.lvTable, {"2", "", "", "2,5", de ? "1.000,00" : "1,000.00", "1,0000", ""});
    addRow(v.lvTable, {"3", "", "", "1", "--"});
    // Allowance numbers as the document writes them: decimal point.
    addRow(v.lvAbzuege, {"Rabatt", "95", "10.5", "12.60", ""});
    settings.language = language;
    ASSERT_EQ(SaveInvoice(v, settings), SaveResult::Saved);
    EXPECT_EQ(stored(number), golden("handmade-saved.txt"));
  }
}

TEST_P(StoreTest, InvoiceNumberIsABoundValue) {
  const std::string number = "RE'4711'; DELETE FROM tblInvoice; --";
  ViewModel v = handMade(number);
  v.lvTable.addRow("1").cells[3] = "1";
  ASSERT_EQ(SaveInvoice(handMade("ANDERE-1"), settings), SaveResult::Saved);
  ASSERT_EQ(SaveInvoice(v, settings), SaveResult::Saved);
  ASSERT_EQ(SaveInvoice(v, settings), SaveResult::Saved);
  EXPECT_EQ(belvora::test::tableOf(*db, "SELECT InvoiceNumber FROM tblInvoice ORDER BY 1"),
            "invoicenumber=ANDERE-1\ninvoicenumber=" + number + "\n");
  EXPECT_EQ(
      rowsOf(*db, "SELECT Pos FROM tblInvoice_Items WHERE InvoiceNumber = ?", {number}).size(), 1u);
  EXPECT_EQ(rowsOf(*db, "SELECT ID FROM tblDocuments WHERE Number = ?", {number}).size(), 2u);
}

TEST_P(StoreTest, AnyFailureWritesNothingShowsTheReasonAndFails) {
  BELVORA_REQUIRE_CORPUS();
  const ViewModel read5 = read(kExample5);
  ASSERT_EQ(SaveInvoice(read5, settings), SaveResult::Saved);
  // Edits that would show in the database if any part went in.
  ViewModel edited = read5;
  edited.txtSeller[reader::Name] = "Changed";
  edited.lvTable.rows[0].cells[1] = "Changed paper";
  edited.lvAbzuege.rows.resize(2);
  const std::string before = dump();

  // Each case breaks one thing and returns how to mend it.
  using Undo = std::function<void()>;
  auto away = [&](std::string table) {
    return [&, table](ViewModel&) -> Undo {
      db->execute("ALTER TABLE " + table + " RENAME TO " + table + "_weg");
      return [&, table] { db->execute("ALTER TABLE " + table + "_weg RENAME TO " + table); };
    };
  };
  auto set = [&](std::string ReaderSettings::*field, std::string value) {
    return [&, field, value](ViewModel&) -> Undo {
      return [&, field, old = std::exchange(settings.*field, value)] { settings.*field = old; };
    };
  };
  struct Failure {
    const char* name;
    std::function<Undo(ViewModel&)> apply;
    std::string reason;
  };
  const std::string gone = dir / "weg.xml";
  const std::vector<Failure> cases = {
      {"header table missing", away("tblInvoice"), "table not found: tblInvoice"},
      {"line table missing", away("tblInvoice_Items"), "table not found: tblInvoice_Items"},
      {"allowance table missing", away("tblInvoice_Deduction"),
       "table not found: tblInvoice_Deduction"},
      {"documents table missing", set(&ReaderSettings::documentsTable, "tblNichtDa"),
       "table not found: tblNichtDa"},
      {"documents table name holds SQL",
       set(&ReaderSettings::documentsTable, "tblDocuments; DROP TABLE tblInvoice"),
       "tblDocuments; DROP TABLE tblInvoice"},
      {"invoice file gone", set(&ReaderSettings::invoiceFile, gone), "cannot open '" + gone + "'"},
      {"header amount no number",
       [](ViewModel& v) -> Undo {
         v.txtSonstige[reader::PaymentDue] = "zwölf";
         return [] {};
       },
       "tblInvoice: column PaymentDue: 'zwölf' is not a number"},
      {"line amount no number",
       [](ViewModel& v) -> Undo {
         v.lvTable.rows[1].cells[4] = "12 Euro";
         return [] {};
       },
       "tblInvoice_Items: column Net: '12 Euro' is not a number"},
      {"third line refused by the database",
       [&](ViewModel&) -> Undo {
         rejectThirdLine();
         return [&] { allowThirdLine(); };
       },
       GetParam() == Backend::Sqlite ? "third line rejected" : "reject_third"},
  };
  for (const Failure& failure : cases) {
    for (const bool ask : {false, true}) {
      SCOPED_TRACE(std::string(failure.name) + (ask ? ", asking" : ", silent"));
      ui->calls.clear();
      settings.ask = ask;
      ViewModel view = edited;
      const Undo undo = failure.apply(view);
      EXPECT_EQ(SaveInvoice(view, settings), SaveResult::Failed);
      undo();
      EXPECT_EQ(ui->calls.size(), ask ? 2u : 1u);  // the question, then the reason
      expectNotSaved(failure.reason);
      EXPECT_EQ(dump(), before);
    }
  }
  ui->calls.clear();
  settings.ask = false;
  EXPECT_EQ(SaveInvoice(edited, settings), SaveResult::Saved);
  EXPECT_EQ(text(rowsOf(*db, "SELECT SellerName FROM tblInvoice")[0][0]), "Changed");
}

TEST_P(StoreTest, ConnectionFailureShowsTheInterfacesDescription) {
  BELVORA_REQUIRE_CORPUS();
  ViewModel view = read(kExample5);
  settings.ask = true;
  settings.connection = GetParam() == Backend::Sqlite
                            ? "Data Source=" + dir / "kein/ordner/erp.sqlite"
                            : "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=1;Database=x;";
  EXPECT_EQ(SaveInvoice(view, settings), SaveResult::Failed);
  ASSERT_EQ(ui->calls.size(), 1u);  // not even asked
  EXPECT_THAT(ui->calls[0].text, StartsWith("Fehler: "));
  EXPECT_THAT(ui->calls[0].text,
              HasSubstr(GetParam() == Backend::Sqlite ? "kein/ordner" : "Connection refused"));
}

TEST_P(StoreTest, ReadOnlyDatabaseFailsWithItsReasonAfterTheQuestion) {
  BELVORA_REQUIRE_CORPUS();
  ViewModel view = read(kExample5);
  settings.ask = true;
  if (GetParam() == Backend::Postgres) {
    std::string readOnly = connect;
    const std::string search = "ConnSettings=SET search_path TO ";
    readOnly.replace(readOnly.find(search), std::string::npos,
                     "ConnSettings={SET search_path TO " + std::string(belvora::test::kPgSchema) +
                         "; SET default_transaction_read_only = on};");
    settings.connection = readOnly;
    EXPECT_EQ(SaveInvoice(view, settings), SaveResult::Failed);
    expectNotSaved("read-only transaction");
    EXPECT_EQ(stored("TOSL110"), "");
    return;
  }
  // The database in a folder of its own, so that the folder can be closed too.
  const std::string folder = dir / "db";
  const std::string file = folder + "/erp.sqlite";
  std::filesystem::create_directory(folder);
  std::filesystem::copy_file(BELVORA_TEMPLATE_DB, file);
  settings.connection = "Data Source=" + file;
  struct Case {
    std::string path, writableFile, reason;
  };
  for (const Case& c :
       {Case{file, "", "attempt to write a readonly database (" + file + ": "},
        Case{folder, "", folder},
        Case{folder, "erp.sqlite", "unable to open database file (folder " + folder + ": "}}) {
    SCOPED_TRACE(c.path + " " + c.writableFile);
    ui->calls.clear();
    {
      belvora::test::ReadOnlyPath readOnly(c.path, c.writableFile);
      if (!readOnly.failure().empty())
        GTEST_SKIP() << "cannot make it read-only: " << readOnly.failure();
      EXPECT_EQ(SaveInvoice(view, settings), SaveResult::Failed);
    }
    ASSERT_EQ(ui->calls.size(), 2u);
    EXPECT_EQ(ui->calls[0].kind, "question");
    expectNotSaved(c.reason);
    EXPECT_THAT(ui->messages()[0].text, ::testing::AnyOf(HasSubstr("Read-only file system"),
                                                         HasSubstr("Permission denied")));
  }
  auto copy = belvora::db::open(settings.connection);
  EXPECT_TRUE(rowsOf(*copy, "SELECT * FROM tblInvoice").empty());
  EXPECT_TRUE(rowsOf(*copy, "SELECT * FROM tblDocuments").empty());
}

double secondsFor(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST_P(StoreTest, LockedDatabaseFailsAfterABoundedWait) {
  BELVORA_REQUIRE_CORPUS();
  ViewModel view = read(kExample5);
  auto other = belvora::db::open(connect);
  other->begin();
  if (GetParam() == Backend::Sqlite) {
    other->execute("INSERT INTO tblDocuments (DocType) VALUES ('X')");  // a writer
  } else {
    other->execute("LOCK TABLE tblInvoice IN ACCESS EXCLUSIVE MODE");
  }
  const double waited =
      secondsFor([&] { EXPECT_EQ(SaveInvoice(view, settings), SaveResult::Failed); });
  EXPECT_GE(waited, 4.0);
  EXPECT_LT(waited, 9.0);
  expectNotSaved(GetParam() == Backend::Sqlite ? "database is locked" : "lock timeout");
  other->rollback();

  ui->calls.clear();
  EXPECT_EQ(SaveInvoice(view, settings), SaveResult::Saved);
  EXPECT_TRUE(ui->calls.empty());
  EXPECT_EQ(stored("TOSL110"), golden("example5-saved.txt"));
}

TEST_P(StoreTest, SavedIsSaidOnlyAfterTheCommit) {
  BELVORA_REQUIRE_CORPUS();
  ViewModel view = read(kExample5);
  ASSERT_EQ(SaveInvoice(view, settings), SaveResult::Saved);
  const std::string before = dump();
  auto other = belvora::db::open(connect);
  std::unique_ptr<belvora::db::Cursor> reading;
  if (GetParam() == Backend::Sqlite) {
    // A reader in the middle of its rows: the writes go in, the commit must wait.
    reading = other->query("SELECT * FROM tblInvoice_Items");
    ASSERT_TRUE(reading->next());
  } else {
    other->execute(
        "CREATE FUNCTION refuse_at_commit() RETURNS trigger LANGUAGE plpgsql AS "
        "$$BEGIN RAISE EXCEPTION 'refused at commit'; END$$");
    other->execute(
        "CREATE CONSTRAINT TRIGGER refuse AFTER INSERT ON tblDocuments DEFERRABLE INITIALLY "
        "DEFERRED FOR EACH ROW EXECUTE FUNCTION refuse_at_commit()");
  }
  settings.ask = true;
  view.txtSeller[reader::Name] = "Changed";
  EXPECT_EQ(SaveInvoice(view, settings), SaveResult::Failed);
  ASSERT_EQ(ui->calls.size(), 2u);
  expectNotSaved(GetParam() == Backend::Sqlite ? "database is locked" : "refused at commit");
  reading.reset();
  EXPECT_EQ(dump(), before);
}

INSTANTIATE_TEST_SUITE_P(Backends, StoreTest, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) { return belvora::test::backendName(info.param); });

// ---- reading numbers back from the view ----------------------------------------------

TEST(StoreNumbers, GridAndViewAmountsWithTheirSeparators) {
  // Grid: one separator kind is decimal, both mean the last one.
  const std::pair<const char*, std::optional<double>> grid[] = {
      {"2,5", 2.5},        {"2.5", 2.5},         {" 1.0000 ", 1.0},        {"1,0000", 1.0},
      {"1.234,5", 1234.5}, {"1,234.5", 1234.5},  {"1.234.567", 1234567.0}, {"-3", -3.0},
      {"", std::nullopt},  {"   ", std::nullopt}};
  for (const auto& [cell, value] : grid) EXPECT_EQ(GridNumber(cell, "Quantity"), value) << cell;
  EXPECT_THROW_MSG(GridNumber("zwei", "Quantity"), "column Quantity: 'zwei' is not a number");
  // View amounts: the separators of the language ("DE" German, others
  // English) and "--" for no price.
  const std::tuple<const char*, const char*, std::optional<double>> view[] = {
      {"1.234,50", "DE", 1234.5}, {"1,234.50", "GB", 1234.5}, {"1,234.50", "FR", 1234.5},
      {"-0,50 ", "DE", -0.5},     {"--", "DE", std::nullopt}, {"", "DE", std::nullopt}};
  for (const auto& [cell, language, value] : view)
    EXPECT_EQ(reader::ViewAmount(cell, language, "Net"), value) << cell << " " << language;
  EXPECT_THROW(reader::ViewAmount("1.2.3,4,5", "GB", "Net"), std::invalid_argument);
}

}  // namespace
