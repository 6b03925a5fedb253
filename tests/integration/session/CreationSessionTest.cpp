// The creation session end to end: a real SQLite file, the real writer and
// export file, the scripted interaction in place of message boxes.
#include <errno.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "SessionFixture.h"
#include "belvora/clsXRechnung.h"
#include "platform/settings/SettingsStore.h"

using belvora::clsXRechnung;
using belvora::test::SessionFixture;
using belvora::ui::Icon;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

const std::string kSql = "Select * from xRechnung";
const std::string kRule(50, '-');

std::string connectMessage(const std::string& description) {
  return "Connect to database failed.\r\nPlease note the error from the interface.\r\n" + kRule +
         "\r\n\r\n" + description;
}

std::string errorInDll(int number, const std::string& description, int systemCode) {
  return "An error has occurred: " + std::to_string(number) + "\r\n" + description + "\r\n" +
         std::to_string(systemCode) + "\r\nbelvora";
}

const std::string kNoSource =
    "No open data source: DLL_Init_DB must succeed before CreateXRechnung, and a session serves "
    "one invoice.";

using belvora::test::readAll;

using CreationSession = SessionFixture;

}  // namespace

TEST_F(CreationSession, WritesTheInvoiceAndStoresItWithoutAsking) {
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("RG252068.xml"), connect(), kSql, "252068", false));
  ASSERT_TRUE(x.CreateXRechnung());
  EXPECT_TRUE(ui->calls.empty()) << ui->calls.front().text;

  std::string file = readAll(out("RG252068.xml"));
  EXPECT_THAT(file, StartsWith("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"));
  EXPECT_THAT(file, EndsWith("\r\n</rsm:CrossIndustryInvoice>"));
  EXPECT_THAT(file, HasSubstr("\t\t<ram:ID>252068</ram:ID>\r\n"));
  EXPECT_THAT(file, HasSubstr("<!-- Erstellt am: 14.03.2025 -->"));
  EXPECT_EQ(file.find("<ram:ID>252069</ram:ID>"), std::string::npos) << "only the selected rows";

  auto docs = storedDocuments();
  ASSERT_EQ(docs.size(), 1u);
  EXPECT_EQ(docs[0].docType, "AU");
  EXPECT_EQ(docs[0].number, "252068");
  EXPECT_EQ(docs[0].bytes, file);
  EXPECT_EQ(docs[0].fileName, "RG252068.xml");
  EXPECT_EQ(docs[0].fileType, "xml");
  EXPECT_EQ(docs[0].fileSize, static_cast<std::int64_t>(file.size()));
}

TEST_F(CreationSession, AskFlagAsksBeforeStoringAndNoStoresNothing) {
  {
    clsXRechnung x;
    ui->answers = {false};
    ASSERT_TRUE(
        x.DLL_Init_DB(out("a.xml"), connect(), kSql, "252068", false, "", "tblDocuments", true));
    EXPECT_TRUE(x.CreateXRechnung()) << "declining to store is no failure";
    ASSERT_EQ(questions().size(), 1u);
    EXPECT_EQ(questions()[0].title, "Note");
    EXPECT_EQ(questions()[0].text, "Import XInvoice in your Database?");
    EXPECT_EQ(questions()[0].icon, Icon::Question);
    EXPECT_TRUE(storedDocuments().empty());
    EXPECT_TRUE(belvora::sys::fileExists(out("a.xml")));
  }
  {
    clsXRechnung x;
    ui->answers = {true};
    ASSERT_TRUE(
        x.DLL_Init_DB(out("b.xml"), connect(), kSql, "252069", false, "", "tblDocuments", true));
    EXPECT_TRUE(x.CreateXRechnung());
    ASSERT_EQ(storedDocuments().size(), 1u);
    EXPECT_EQ(storedDocuments()[0].number, "252069");
  }
  EXPECT_TRUE(messages().empty());
}

TEST_F(CreationSession, EmptyTableNameStoresNothingAndNeverAsks) {
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), connect(), kSql, "252068", false, "", "", true));
  EXPECT_TRUE(x.CreateXRechnung());
  EXPECT_TRUE(ui->calls.empty());
  EXPECT_TRUE(storedDocuments().empty());
  EXPECT_TRUE(belvora::sys::fileExists(out("a.xml")));
}

TEST_F(CreationSession, WithoutSelectorTheFirstRowNamesTheStoredNumber) {
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), connect(),
                            "SELECT * FROM xRechnung WHERE BT1 = '252069' ORDER BY BT126", "",
                            false));
  ASSERT_TRUE(x.CreateXRechnung());
  ASSERT_EQ(storedDocuments().size(), 1u);
  EXPECT_EQ(storedDocuments()[0].number, "252069");
}

TEST_F(CreationSession, WithoutSelectorOnlyTheRowsOfTheFirstRowsInvoiceAreRead) {
  // The view delivers the rows of all five invoices.
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), connect(), kSql, "", false));
  ASSERT_TRUE(x.CreateXRechnung()) << (messages().empty() ? "" : messages()[0].text);
  const std::string file = readAll(out("a.xml"));
  EXPECT_THAT(file, HasSubstr("\t\t<ram:ID>252068</ram:ID>\r\n"));
  std::size_t lines = 0;
  for (auto at = file.find("<ram:IncludedSupplyChainTradeLineItem>"); at != std::string::npos;
       at = file.find("<ram:IncludedSupplyChainTradeLineItem>", at + 1))
    ++lines;
  EXPECT_EQ(lines, 4u) << "not the lines of the other invoices";
  EXPECT_EQ(file.find("Hotel Alpenblick"), std::string::npos);
  EXPECT_EQ(storedDocuments().at(0).number, "252068");
}

TEST_F(CreationSession, LowerCaseSelectIsAQueryAndAQuotedSelectorIsBound) {
  copyInvoice("252068", "O'Brien 1");
  clsXRechnung x;
  ASSERT_TRUE(
      x.DLL_Init_DB(out("a.xml"), connect(), "select * from VorlageXRechnung", "O'Brien 1", false));
  ASSERT_TRUE(x.CreateXRechnung());
  EXPECT_THAT(readAll(out("a.xml")), HasSubstr("<ram:ID>O&apos;Brien 1</ram:ID>"));
  EXPECT_EQ(storedDocuments().at(0).number, "O'Brien 1");

  // A selector that tries to widen the query matches nothing at all.
  clsXRechnung y;
  EXPECT_FALSE(y.DLL_Init_DB(out("b.xml"), connect(), kSql, "x' OR '1'='1", false));
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].text,
            "No rows were found for the selector \"x' OR '1'='1\".\r\nPlease check your data "
            "source!");
}

TEST_F(CreationSession, SlashesInTheExportNameBecomeHyphens) {
  copyInvoice("252068", "RE/2024/7");
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("RE/2024/7.xml"), connect(), kSql, "RE/2024/7", false));
  ASSERT_TRUE(x.CreateXRechnung());
  EXPECT_TRUE(belvora::sys::fileExists(out("RE-2024-7.xml")));
  EXPECT_FALSE(std::filesystem::exists(out("RE")));
  auto docs = storedDocuments();
  ASSERT_EQ(docs.size(), 1u);
  EXPECT_EQ(docs[0].number, "RE/2024/7");
  EXPECT_EQ(docs[0].fileName, "RE-2024-7.xml");
  EXPECT_EQ(docs[0].fileType, "xml");
  EXPECT_EQ(docs[0].bytes, readAll(out("RE-2024-7.xml")));
}

TEST_F(CreationSession, RequiredColumnsMissingOrNullWriteNothing) {
  // BT20 and BT31 may be absent (EN 16931 allows it; the rules decide), BT2
  // and BT27 may not, and BT126 must exist.
  exec("CREATE TABLE Partial AS SELECT * FROM VorlageXRechnung WHERE BT1 = '252068'");
  exec("ALTER TABLE Partial DROP COLUMN BT126");
  exec("UPDATE Partial SET BT20 = NULL, BT31 = NULL, BT2 = NULL, BT27 = NULL");
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), connect(), "SELECT * FROM Partial", "252068", false));
  EXPECT_FALSE(x.CreateXRechnung());
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].title, "Note");
  EXPECT_EQ(messages()[0].icon, Icon::Exclamation);
  EXPECT_EQ(messages()[0].text,
            "The following required fields are NULL or missing:\r\n"
            "BT2, BT27, BT126 (existiert nicht)\r\n"
            "Please check your data source!");
  EXPECT_FALSE(std::filesystem::exists(out("a.xml")));
  EXPECT_TRUE(storedDocuments().empty());
  EXPECT_TRUE(std::filesystem::is_empty(dir / "out")) << "no temporary file left either";
}

TEST_F(CreationSession, DatabaseFailuresGiveTheConnectionMessage) {
  struct Case {
    std::string connect, sql, selector, description;
  };
  std::string missing = dir / "nope.sqlite";
  const Case cases[] = {
      {"Data Source=" + missing, kSql, "252068", "database file not found: " + missing},
      {"Server=somewhere;User=me", kSql, "252068",
       "unsupported connection string: expected \"Driver=\" or \"DSN=\" for ODBC, or \"Data "
       "Source=\" naming an SQLite database file"},
      {connect(), "Select * from NoSuchView", "252068", "no such table: NoSuchView"},
      {connect(), "exec sp_XRechnung", "252068",
       "SQLite has no stored procedures: 'sp_XRechnung' cannot be called; use a SELECT on a "
       "table or view instead"},
      {connect(), "execute", "252068",
       "The source query names no stored procedure (expected \"exec <name>\"): \"execute\""},
      {connect(), "  Select * from xRechnung", "252068",
       "SQLite has no stored procedures: 'Select * from xRechnung' cannot be called; use a "
       "SELECT on a table or view instead"},
  };
  for (const auto& c : cases) {
    ui->calls.clear();
    clsXRechnung x;
    EXPECT_FALSE(x.DLL_Init_DB(out("a.xml"), c.connect, c.sql, c.selector, false));
    ASSERT_EQ(messages().size(), 1u) << c.sql;
    EXPECT_EQ(messages()[0].title, "Note");
    EXPECT_EQ(messages()[0].icon, Icon::Information);
    EXPECT_EQ(messages()[0].text, connectMessage(c.description));
    EXPECT_FALSE(x.CreateXRechnung());
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[1].title, "Error in DLL");
    EXPECT_EQ(messages()[1].text, errorInDll(1, kNoSource, 0));
  }
  EXPECT_FALSE(std::filesystem::exists(out("a.xml")));
  EXPECT_FALSE(std::filesystem::exists(missing)) << "a missing database is never created";
}

TEST_F(CreationSession, SelectorMatchingNothingSaysSoAndThenReportsNoData) {
  clsXRechnung x;
  EXPECT_FALSE(x.DLL_Init_DB(out("a.xml"), connect(), kSql, "999999", false));
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].title, "Note");
  EXPECT_EQ(messages()[0].text,
            "No rows were found for the selector \"999999\".\r\nPlease check your data source!");
  EXPECT_FALSE(x.CreateXRechnung());
  ASSERT_EQ(messages().size(), 2u);
  EXPECT_EQ(messages()[1].text,
            "The following required fields are NULL or missing:\r\nRecordset contains no "
            "data\r\nPlease check your data source!");
  EXPECT_FALSE(std::filesystem::exists(out("a.xml")));
}

TEST_F(CreationSession, WithoutInitOrTwiceOnOneSessionIsAnErrorInDll) {
  clsXRechnung fresh;
  EXPECT_FALSE(fresh.CreateXRechnung());
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].title, "Error in DLL");
  EXPECT_EQ(messages()[0].icon, Icon::Critical);
  EXPECT_EQ(messages()[0].text, errorInDll(1, kNoSource, 0));

  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), connect(), kSql, "252068", false));
  ASSERT_TRUE(x.CreateXRechnung());
  EXPECT_FALSE(x.CreateXRechnung());
  ASSERT_EQ(messages().size(), 2u);
  EXPECT_EQ(messages()[1].text, errorInDll(1, kNoSource, 0));
  EXPECT_EQ(storedDocuments().size(), 1u);

  // A new DLL_Init_DB starts the next session on the same object.
  ASSERT_TRUE(x.DLL_Init_DB(out("b.xml"), connect(), kSql, "252069", false));
  ASSERT_TRUE(x.CreateXRechnung());
  EXPECT_EQ(storedDocuments().size(), 2u);
}

TEST_F(CreationSession, InitWhileAnEarlierSessionIsOpenStartsAfresh) {
  clsXRechnung x;
  EXPECT_FALSE(x.DLL_Init_DB(out("a.xml"), connect(), kSql, "no such invoice", false));
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), connect(), kSql, "252070", false));
  ASSERT_TRUE(x.CreateXRechnung());
  EXPECT_EQ(messages().size(), 1u) << "only the one of the empty selector";
  EXPECT_EQ(storedDocuments().at(0).number, "252070");
}

TEST_F(CreationSession, AttachmentsAreEmbeddedAndMissingOrUnreadableOnesNamed) {
  std::ofstream(dir / "Plan & Foto.jpeg", std::ios::binary) << "\xFF\xD8jpeg";
  {
    clsXRechnung x;
    ASSERT_TRUE(
        x.DLL_Init_DB(out("a.xml"), connect(), kSql, "252068", false, dir / "Plan & Foto.jpeg"));
    ASSERT_TRUE(x.CreateXRechnung()) << (messages().empty() ? "" : messages()[0].text);
    EXPECT_THAT(readAll(out("a.xml")),
                HasSubstr("<ram:AttachmentBinaryObject filename=\"Plan &amp; Foto.jpeg\" "
                          "mimeCode=\"image/jpeg\">/9hqcGVn</ram:AttachmentBinaryObject>"));
  }
  // A regular file that cannot be read, whoever runs the test, and one that
  // does not exist: the caller asked for both, so nothing is written.
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("b.xml"), connect(), kSql, "252068", false,
                            dir / "missing.pdf;/proc/self/mem"));
  EXPECT_FALSE(x.CreateXRechnung());
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].title, "Note");
  EXPECT_EQ(messages()[0].icon, Icon::Exclamation);
  EXPECT_EQ(messages()[0].text,
            "The data source holds values that cannot be used:\r\n"
            "EmbeddedFile: \"" +
                dir / "missing.pdf" +
                "\" does not exist or is no file\r\n"
                "EmbeddedFile: \"/proc/self/mem\" cannot be read: "
                "Input/output error\r\nPlease check your data source!");
  EXPECT_FALSE(std::filesystem::exists(out("b.xml")));
  EXPECT_EQ(storedDocuments().size(), 1u) << "only the first invoice";
}

TEST_F(CreationSession, ExistingFileIsReplacedOnlyOnYes) {
  std::ofstream(out("a.xml")) << "earlier invoice";
  {
    clsXRechnung x;
    ui->answers = {false};
    ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), connect(), kSql, "252068", false));
    EXPECT_TRUE(x.CreateXRechnung()) << "keeping the file was the user's choice";
    ASSERT_EQ(questions().size(), 1u);
    EXPECT_EQ(questions()[0].title, "Note");
    EXPECT_EQ(questions()[0].text, "Exportfile: " + out("a.xml") + " exists!\r\nOverwrite?");
    EXPECT_EQ(readAll(out("a.xml")), "earlier invoice");
    EXPECT_TRUE(storedDocuments().empty()) << "the kept file is not this invoice";
  }
  {
    clsXRechnung x;
    ui->answers = {true};
    ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), connect(), kSql, "252068", false));
    EXPECT_TRUE(x.CreateXRechnung());
    EXPECT_THAT(readAll(out("a.xml")), StartsWith("\xEF\xBB\xBF<?xml"));
    ASSERT_EQ(storedDocuments().size(), 1u);
    EXPECT_EQ(storedDocuments()[0].bytes, readAll(out("a.xml")));
  }
  EXPECT_TRUE(messages().empty());
}

TEST_F(CreationSession, UnwritableExportFolderFailsWithItsMessage) {
  // /proc takes no new files, whoever runs the test.
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB("/proc/belvora/RG1.xml", connect(), kSql, "252068", false));
  EXPECT_FALSE(x.CreateXRechnung());
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].title, "Note");
  EXPECT_EQ(messages()[0].icon, Icon::Exclamation);
  EXPECT_THAT(messages()[0].text,
              StartsWith("Can't create Export-File: /proc/belvora-RG1.xml\r\nCompiler: cannot "
                         "create '/proc/belvora-RG1.xml': "));
  EXPECT_TRUE(storedDocuments().empty());
}

TEST_F(CreationSession, FailedWriteLeavesTheExistingFileWhole) {
  std::ofstream(out("a.xml")) << "earlier invoice";
  // Files may grow to 100 bytes only: the write fails half way.
  struct rlimit saved {};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  auto previous = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 100;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  clsXRechnung x;
  ui->answers = {true};
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), connect(), kSql, "252068", false));
  bool created = x.CreateXRechnung();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, previous);

  EXPECT_FALSE(created);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].text, "Can't create Export-File: " + out("a.xml") +
                                    "\r\nCompiler: cannot write '" + out("a.xml") +
                                    "': File too large");
  EXPECT_EQ(readAll(out("a.xml")), "earlier invoice");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "out"),
                          std::filesystem::directory_iterator{}),
            1)
      << "no temporary file left";
  EXPECT_TRUE(storedDocuments().empty());
}

TEST_F(CreationSession, MissingOrInvalidDocumentsTableFailsTheRunWithItsReason) {
  for (const std::string table : {"tblNope", "tblDocuments; DROP TABLE x"}) {
    ui->calls.clear();
    clsXRechnung x;
    ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), connect(), kSql, "252068", false, "", table));
    ui->answers = {true};
    EXPECT_FALSE(x.CreateXRechnung());
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].title, "Note");
    std::string why = table == "tblNope" ? "table not found: " : "invalid table name: ";
    EXPECT_EQ(messages()[0].text, "The XInvoice was written to " + out("a.xml") +
                                      " but could not be stored in the table " + table + ":\r\n" +
                                      why + table);
  }
  EXPECT_TRUE(storedDocuments().empty());
}

TEST_F(CreationSession, SessionValuesAreRecordedInTheSettingsStore) {
  namespace st = belvora::settings;
  clsXRechnung x;
  ASSERT_TRUE(
      x.DLL_Init_DB(out("RG.xml"), connect(), kSql, "252068", true, "", "tblDocuments", true));
  EXPECT_EQ(st::Scramble(*st::ReadStoredSetting("DLLCode4")), connect());
  EXPECT_EQ(st::Scramble(*st::ReadStoredSetting("DLLCode5")), kSql);
  EXPECT_EQ(st::Scramble(*st::ReadStoredSetting("DLLCode6")), out("RG.xml"));
  EXPECT_EQ(st::ReadStoredSetting("DLLCode7"), "True");
  EXPECT_EQ(st::ReadStoredSetting("DLLCode9"), "True");

  // ShowParameter records the values of the moment, then takes its own.
  x.ShowParameter("Data Source=/x.sqlite", "Select 1", "/y.xml", false, "", "t", false);
  EXPECT_EQ(st::ReadStoredSetting("DLLCode7"), "True");

  // Closing the source at the end of the run brings the store up to date;
  // the run itself keeps its own session values.
  ASSERT_TRUE(x.CreateXRechnung());
  EXPECT_TRUE(belvora::sys::fileExists(out("RG.xml")));
  EXPECT_EQ(st::ReadStoredSetting("DLLCode7"), "False");
  EXPECT_EQ(st::Scramble(*st::ReadStoredSetting("DLLCode6")), "/y.xml");
  // Without windows the parameter dialog only lists its values.
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].title, "Parameter");
}

TEST_F(CreationSession, ParameterDialogOfANewObjectKeepsTheRecord) {
  namespace st = belvora::settings;
  ASSERT_TRUE(clsXRechnung().DLL_Init_DB(out("RG.xml"), connect(), kSql, "252068", true));
  clsXRechnung().ShowParameter("Data Source=/x.sqlite", "Select 1", "/y.xml", false, "", "t",
                               false);
  EXPECT_EQ(st::Scramble(*st::ReadStoredSetting("DLLCode4")), connect());
  EXPECT_EQ(st::Scramble(*st::ReadStoredSetting("DLLCode6")), out("RG.xml"));
  EXPECT_EQ(st::ReadStoredSetting("DLLCode7"), "True");
}

TEST_F(CreationSession, UnwritableSettingsDoNotStopTheInvoice) {
  std::ofstream(dir / "plain") << "x";
  ::setenv("XDG_CONFIG_HOME", (dir / "plain").c_str(), 1);
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), connect(), kSql, "252068", false));
  EXPECT_TRUE(x.CreateXRechnung());
  EXPECT_TRUE(ui->calls.empty());
}

TEST_F(CreationSession, EcosioOpensTheValidationPage) {
  // A stand-in xdg-open that records its argument.
  std::string bin = dir / "bin";
  std::filesystem::create_directory(bin);
  std::string record = dir / "opened.txt";
  {
    std::ofstream script(bin + "/xdg-open");
    script << "#!/bin/sh\nprintf '%s' \"$1\" > '" << record << ".tmp' && mv '" << record
           << ".tmp' '" << record << "'\n";
  }
  std::filesystem::permissions(bin + "/xdg-open", std::filesystem::perms::owner_all);
  const char* path = std::getenv("PATH");
  std::string savedPath = path ? path : "";
  ::setenv("PATH", (bin + ":" + savedPath).c_str(), 1);
  clsXRechnung x;
  x.Ecosio();
  for (int i = 0; i < 100 && !belvora::sys::fileExists(record); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(readAll(record), "https://www.itb.ec.europa.eu/invoice/upload");
  EXPECT_TRUE(ui->calls.empty());

  // Without any xdg-open the user is told.
  ::setenv("PATH", (dir / "empty").c_str(), 1);
  x.Ecosio();
  ::setenv("PATH", savedPath.c_str(), 1);
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].title, "Error in DLL");
  EXPECT_THAT(messages()[0].text, HasSubstr("xdg-open"));
}

TEST_F(CreationSession, SupportWithoutAWindowSaysItNeedsADisplay) {
  clsXRechnung x;
  x.ShowSupport("support@example.com");
  ASSERT_EQ(messages().size(), 1u);
  EXPECT_EQ(messages()[0].title, "Support");
  EXPECT_EQ(messages()[0].icon, belvora::ui::Icon::Exclamation);
  EXPECT_EQ(messages()[0].text,
            "The support request needs a display (DISPLAY or WAYLAND_DISPLAY). Support-Address: "
            "support@example.com");
}

TEST_F(CreationSession, SectionMethodsOutsideARunShowNothing) {
  auto x = std::make_unique<clsXRechnung>();
  x->SpecifiedTradeAllowanceChange();
  x->BillingSpecifiedPeriod();
  x.reset();
  EXPECT_TRUE(ui->calls.empty());
  EXPECT_FALSE(std::filesystem::exists(dir / "config")) << "no session, no settings written";
}
