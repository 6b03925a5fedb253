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
#include <functional>

#include "ReaderTestSupport.h"
#include "reader/ConsoleView.h"
#include "reader/ReadXML.h"
#include "reader/StoreSave.h"
#include "support/FakeInteraction.h"
#include "support/ReadOnlyPath.h"
#include "support/SharedArtefacts.h"

using belvora::reader::ReaderSettings;
using belvora::reader::SaveInvoice;
using belvora::reader::SaveResult;
using belvora::reader::ViewModel;
using belvora::test::Backend;
using belvora::test::readAll;
using belvora::test::rowsOf;
using belvora::test::text;
using ::testing::HasSubstr;
using ::testing::StartsWith;
namespace reader = belvora::reader;

namespace {

// The stored invoice by column name, without the dates and the file's bytes.
const char* const kStored[] = {
    "SELECT CreateUser, ChangeUser, InvoiceDate, PayableBy, SellerName, SumOfNet, "
    "TotalAmountWithoutVAT, Prepayment, PaymentDue, CurrencyCode, InvoiceType, TaxAmountWithVAT "
    "FROM tblInvoice WHERE InvoiceNumber = ?",
    "SELECT Pos, LineID, ItemName, Quantity, Net, Gross, BaseQuantity, VAT, TotalGross, TotalNet "
    "FROM tblInvoice_Items WHERE InvoiceNumber = ? ORDER BY Pos",
    "SELECT Code, reason, Factor, Amount, BasicAmount FROM tblInvoice_Deduction "
    "WHERE InvoiceNumber = ? ORDER BY Amount, Code",
    "SELECT DocType, FileName, FileType, FileSize FROM tblDocuments WHERE Number = ? ORDER BY ID"};

const std::string kExample5 = belvora::test::CorpusDir() + "/en16931/cii/CII_example5.xml";

class StoreTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    if (const char* u = std::getenv("USER")) oldUser_ = u;
    ::setenv("USER", "erfasser", 1);
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
    oldUser_.empty() ? ::unsetenv("USER") : ::setenv("USER", oldUser_.c_str(), 1);
  }

  ViewModel read() {
    ViewModel view;
    EXPECT_TRUE(reader::ReadXML(settings, view));
    return view;
  }
  // A view filled by hand, as a user could have edited it.
  static ViewModel handMade(const std::string& number) {
    ViewModel v;
    v.clear();
    v.syntax = reader::SyntaxCII;
    v.txtRechnungdaten[reader::InvoiceNumber] = number;
    v.txtRechnungdaten[reader::InvoiceDate] = "05.03.2024";
    v.txtSeller[reader::Name] = "  Lieferant GmbH  ";
    v.txtRechnungdaten[reader::CurrencyCode] = "EUR";
    return v;
  }
  static void addRow(reader::Grid& grid, const std::vector<std::string>& cells) {
    std::copy(cells.begin(), cells.end(), grid.addRow(cells[0]).cells.begin());
  }
  std::string stored(const std::string& number) {
    std::string out;
    for (const char* sql : kStored) out += belvora::test::tableOf(*db, sql, {number});
    return out;
  }
  static std::string golden(const std::string& name) {
    return readAll(std::string(BELVORA_TEST_DATA_DIR) + "/reader/store/" + name);
  }
  std::size_t count(const std::string& table) {
    return rowsOf(*db, "SELECT * FROM " + table).size();
  }
  // Every row of the incoming tables and the documents table, as text:
  // equal before and after a save that failed.
  std::string dump() {
    std::vector<std::string> lines;
    for (const char* table :
         {"tblInvoice", "tblInvoice_Items", "tblInvoice_Deduction", "tblDocuments"})
      for (const auto& row : rowsOf(*db, std::string("SELECT * FROM ") + table)) {
        lines.push_back(table);
        for (const auto& v : row) lines.back() += "|" + text(v);
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
  bool sqlite() const { return GetParam() == Backend::Sqlite; }

  belvora::test::TempDir dir;
  belvora::test::ScopedFakeInteraction ui;
  std::string connect;
  std::unique_ptr<belvora::db::Connection> db;
  ReaderSettings settings;
  std::string oldUser_;
};

TEST_P(StoreTest, SavingTwiceUpdatesTheHeaderAndReplacesLinesAndAllowances) {
  BELVORA_REQUIRE_CORPUS();
  ViewModel view = read();
  ASSERT_EQ(SaveInvoice(view, settings), SaveResult::Saved);
  EXPECT_TRUE(ui->calls.empty());
  // TotalAmountWithoutVAT is the first of two tax totals; the base quantity
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
  ViewModel view = read();
  settings.ask = true;
  ui->answers.push_back(false);
  EXPECT_EQ(SaveInvoice(view, settings), SaveResult::Declined);
  EXPECT_EQ(stored("TOSL110"), "");
  // "DE" is German; every other language, "GB" or not, English.
  for (const char* language : {"GB", "FR", "DE"}) {
    settings.language = language;
    EXPECT_EQ(SaveInvoice(view, settings), SaveResult::Saved);
    settings.documentsTable = "tblNichtDa";
    EXPECT_EQ(SaveInvoice(view, settings), SaveResult::Failed);
    settings.documentsTable = "tblDocuments";
  }
  // Without allowances the message is the first line alone; the stored
  // allowances stay as they were.
  settings.language = "GB";
  view.lvAbzuege.rows.clear();
  EXPECT_EQ(SaveInvoice(view, settings), SaveResult::Saved);
  EXPECT_EQ(count("tblDocuments"), 4u);
  EXPECT_EQ(count("tblInvoice_Deduction"), 4u);
  // Every question and message: kind, title, icon and text.
  std::string dialogs;
  for (const auto& call : ui->calls)
    dialogs += call.kind + " [" + call.title + "] " + std::to_string(static_cast<int>(call.icon)) +
               " " + call.text + "\n";
  for (const auto& [from, to] :
       {std::pair<std::string, std::string>{kExample5, "<file>"}, {"\r", "<CR>"}})
    for (auto at = dialogs.find(from); at != std::string::npos; at = dialogs.find(from, at))
      dialogs.replace(at, from.size(), to);
  EXPECT_EQ(dialogs, golden("ask-dialogs.txt"));
}

TEST_P(StoreTest, NumbersAreReadBackWithTheSeparatorsTheyWereWrittenWith) {
  BELVORA_REQUIRE_CORPUS();  // the stored document is a corpus invoice
  // "DE" German separators; every other language English ones. Each saved
  // twice under a number that is a bound value, never SQL.
  for (const std::string language : {"DE", "GB", "FR"}) {
    SCOPED_TRACE(language);
    const bool de = language == "DE";
    const std::string number = "RE'" + language + "'; DELETE FROM tblInvoice; --";
    ViewModel v = handMade(number);
    v.txtSonstige[reader::SumOfNet] = de ? "1.234,50" : "1,234.50";
    v.txtSonstige[reader::TaxBasisTotal] = de ? "1234,50 " : "1234.50 ";  // plain form
    v.txtSonstige[reader::PaymentDue] = de ? "-0,50 " : "-0.50 ";
    v.txtRechnungdaten[reader::PayableBy] = "";  // stored: the invoice date
    // Cells: quantity, net, base quantity ("0" stores 1), VAT rate (none:
    // gross equals net), total. Quantities: one separator kind is decimal
    // ("2,5" whatever the language), both mean the last one; "--" no price.
    addRow(v.lvTable,
           {"1", "", "", "2", de ? "100,00" : "100.00", "0", "19", de ? "200,00" : "200.00"});
    addRow(v.lvTable, {"2", "", "", "2,5", de ? "1.000,00" : "1,000.00", "1,0000", ""});
    addRow(v.lvTable, {"3", "", "", "1.234.567", "--"});
    addRow(v.lvTable, {"4", "", "", "-3", "", " 1.0000 "});
    addRow(v.lvTable, {"5", "", "", "1,234.5", "", "1.234,5"});
    // Allowance numbers as the document writes them: decimal point.
    addRow(v.lvAbzuege, {"Rabatt", "95", "10.5", "12.60", ""});
    settings.language = language;
    ASSERT_EQ(SaveInvoice(v, settings), SaveResult::Saved);
    ASSERT_EQ(SaveInvoice(v, settings), SaveResult::Saved);
    EXPECT_EQ(stored(number), golden("handmade-saved.txt"));
  }
  EXPECT_EQ(count("tblInvoice"), 3u);
}

TEST_P(StoreTest, AnyFailureWritesNothingShowsTheReasonAndFails) {
  BELVORA_REQUIRE_CORPUS();
  const ViewModel read5 = read();
  ASSERT_EQ(SaveInvoice(read5, settings), SaveResult::Saved);
  // Edits that would show in the database if any part went in.
  ViewModel edited = read5;
  edited.txtSeller[reader::Name] = "Changed";
  edited.lvTable.rows[0].cells[1] = "Changed paper";
  edited.lvAbzuege.rows.resize(2);
  const std::string before = dump();
  const ReaderSettings good = settings;

  // Each case breaks one thing: the view or the settings (undone after the
  // save), or the database through another connection (SQL to break and
  // to mend it).
  struct Failure {
    const char* name;
    std::string reason, breakSql, mendSql;
    std::function<void(ViewModel&)> change = [](ViewModel&) {};
    bool locks = false;  // breaks in a transaction; the save waits a few seconds, not forever
  };
  auto away = [](const std::string& t) {
    return Failure{"", "table not found: " + t, "ALTER TABLE " + t + " RENAME TO " + t + "_weg",
                   "ALTER TABLE " + t + "_weg RENAME TO " + t};
  };
  auto with = [](Failure f, const char* name) { return f.name = name, f; };
  const std::string gone = dir / "weg.xml";
  const Failure cases[] = {
      with(away("tblInvoice"), "header table missing"),
      with(away("tblInvoice_Items"), "line table missing"),
      with(away("tblInvoice_Deduction"), "allowance table missing"),
      {"documents table missing", "table not found: tblNichtDa", "", "",
       [&](ViewModel&) { settings.documentsTable = "tblNichtDa"; }},
      {"documents table name holds SQL", "tblDocuments; DROP TABLE tblInvoice", "", "",
       [&](ViewModel&) { settings.documentsTable = "tblDocuments; DROP TABLE tblInvoice"; }},
      {"invoice file gone", "cannot open '" + gone + "'", "", "",
       [&](ViewModel&) { settings.invoiceFile = gone; }},
      {"header amount no number", "tblInvoice: column PaymentDue: 'zwölf' is not a number", "", "",
       [](ViewModel& v) { v.txtSonstige[reader::PaymentDue] = "zwölf"; }},
      {"line amount no number", "tblInvoice_Items: column Net: '12 Euro' is not a number", "", "",
       [](ViewModel& v) { v.lvTable.rows[1].cells[4] = "12 Euro"; }},
      // The last rows written: a commit before them would keep the rest.
      {"allowance amount no number", "tblInvoice_Deduction: column Amount: 'zwölf' is not a number",
       "", "", [](ViewModel& v) { v.lvAbzuege.rows[1].cells[3] = "zwölf"; }},
      {"line quantity no number", "tblInvoice_Items: column Quantity: 'zwei' is not a number", "",
       "", [](ViewModel& v) { v.lvTable.rows[1].cells[3] = "zwei"; }},
      sqlite() ? Failure{"third line refused by the database", "third line rejected",
                         "CREATE TRIGGER reject_third BEFORE INSERT ON tblInvoice_Items WHEN "
                         "NEW.Pos = 3 BEGIN SELECT RAISE(ABORT, 'third line rejected'); END",
                         "DROP TRIGGER reject_third"}
               : Failure{"third line refused by the database", "reject_third",
                         "ALTER TABLE tblInvoice_Items ADD CONSTRAINT reject_third CHECK (Pos <> "
                         "3) NOT VALID",
                         "ALTER TABLE tblInvoice_Items DROP CONSTRAINT reject_third"},
      {"locked by another writer", sqlite() ? "database is locked" : "lock timeout",
       sqlite() ? "INSERT INTO tblDocuments (DocType) VALUES ('X')"
                : "LOCK TABLE tblInvoice IN ACCESS EXCLUSIVE MODE",
       "", [](ViewModel&) {}, true},
      // The writes go in, the commit fails: SQLite with a reader inside its
      // transaction, PostgreSQL with a deferred trigger.
      sqlite() ? Failure{"commit refused", "database is locked",
                         "BEGIN; SELECT * FROM tblInvoice_Items", "ROLLBACK"}
               : Failure{"commit refused", "refused at commit",
                         "CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN "
                         "RAISE EXCEPTION 'refused at commit'; END$$; CREATE CONSTRAINT TRIGGER "
                         "refuse AFTER INSERT ON tblDocuments DEFERRABLE INITIALLY DEFERRED FOR "
                         "EACH ROW EXECUTE FUNCTION refuse()",
                         "DROP FUNCTION refuse() CASCADE"},
  };
  for (const Failure& failure : cases) {
    for (const bool ask : {false, true}) {
      SCOPED_TRACE(std::string(failure.name) + (ask ? ", asking" : ", silent"));
      ui->calls.clear();
      settings.ask = ask;
      ViewModel view = edited;
      failure.change(view);
      if (failure.locks) db->begin();
      if (!failure.breakSql.empty()) db->execute(failure.breakSql);
      const auto start = std::chrono::steady_clock::now();
      EXPECT_EQ(SaveInvoice(view, settings), SaveResult::Failed);
      const std::chrono::duration<double> waited = std::chrono::steady_clock::now() - start;
      if (failure.locks) db->rollback();
      if (!failure.mendSql.empty()) db->execute(failure.mendSql);
      settings = good;
      EXPECT_LT(waited.count(), 9.0);
      if (failure.locks) {
        EXPECT_GE(waited.count(), 4.0);
      }
      // The question, then the reason; "saved" is never said.
      EXPECT_EQ(ui->calls.size(), ask ? 2u : 1u);
      expectNotSaved(failure.reason);
      EXPECT_EQ(dump(), before);
    }
  }
  ui->calls.clear();
  EXPECT_EQ(SaveInvoice(edited, settings), SaveResult::Saved);
  EXPECT_TRUE(ui->calls.empty());
  EXPECT_EQ(text(rowsOf(*db, "SELECT SellerName FROM tblInvoice")[0][0]), "Changed");
}

TEST_P(StoreTest, UnreachableOrReadOnlyDatabaseFailsWithItsReason) {
  BELVORA_REQUIRE_CORPUS();
  const ViewModel view = read();
  settings.ask = true;
  // No connection: the interface's description, not even asked.
  settings.connection = sqlite()
                            ? "Data Source=" + dir / "kein/ordner/erp.sqlite"
                            : "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=1;Database=x;";
  EXPECT_EQ(SaveInvoice(view, settings), SaveResult::Failed);
  ASSERT_EQ(ui->calls.size(), 1u);
  EXPECT_THAT(ui->calls[0].text, StartsWith("Fehler: "));
  EXPECT_THAT(ui->calls[0].text, HasSubstr(sqlite() ? "kein/ordner" : "Connection refused"));

  ui->calls.clear();
  if (!sqlite()) {
    settings.connection = connect.substr(0, connect.find("ConnSettings=")) +
                          "ConnSettings={SET search_path TO " + belvora::test::kPgSchema +
                          "; SET default_transaction_read_only = on};";
    EXPECT_EQ(SaveInvoice(view, settings), SaveResult::Failed);
    expectNotSaved("read-only transaction");
    EXPECT_EQ(stored("TOSL110"), "");
    return;
  }
  // The database in a folder of its own, so that the folder can be closed too.
  const std::string folder = dir / "db", file = folder + "/erp.sqlite";
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

INSTANTIATE_TEST_SUITE_P(Backends, StoreTest, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) { return belvora::test::backendName(info.param); });

TEST(ViewAsJson, EscapesEveryTextSoTheObjectStaysValid) {
  ViewModel v;
  v.clear();
  v.txtRechnungdaten[reader::InvoiceNumber] = "RE \"7\"\\8\r\n\t\x01 Grüße \xFF";
  v.lvTable.addRow("1").cells[1] = "Ärmel";
  const std::string out = reader::ViewAsJson(v, "/tmp/x.xml");
  EXPECT_THAT(out, StartsWith(R"({"file":"/tmp/x.xml","syntax":0,"fields":{)"));
  EXPECT_THAT(out, HasSubstr(R"("InvoiceNumber":"RE \"7\"\\8\r\n\t\u0001 Grüße \ufffd")"));
  EXPECT_THAT(out, HasSubstr(R"("items":[["1","Ärmel","",)"));
  EXPECT_THAT(out, HasSubstr(R"("TaxAmount":"0,00")"));
  EXPECT_EQ(out.find('\n'), std::string::npos);
}

}  // namespace
