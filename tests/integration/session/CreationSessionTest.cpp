// The creation session end to end: a real SQLite file, the real writer and
// export file, the scripted interaction in place of message boxes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <thread>

#include "SessionFixture.h"
#include "belvora/clsXRechnung.h"
#include "platform/settings/SettingsStore.h"

namespace belvora::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::StartsWith;

const std::string kSql = "Select * from xRechnung";
const std::string kNoSource =
    "Error in DLL|x|An error has occurred: 1\r\nNo open data source: DLL_Init_DB must succeed "
    "before CreateXRechnung, and a session serves one invoice.\r\n0\r\nbelvora";

using CreationSession = SessionFixture;

// The written file's form is the writer's and the template invoices' concern;
// here: which rows it holds, what is stored and when the user is asked.
TEST_F(CreationSession, StoringAndOverwritingFollowTheFlagsAndTheAnswers) {
  const std::string import = "Note|?|Import XInvoice in your Database?",
                    overwrite = "Note|?|Exportfile: " + out("a.xml") + " exists!\r\nOverwrite?";
  const struct {
    const char *what, *selector, *table;
    bool ask, existing;
    std::deque<bool> answers;
    const std::string* question;  // nullptr: none
    const char* stored;           // nullptr: nothing stored
  } cases[] = {
      {"neither asked nor existing", "252068", "tblDocuments", false, false, {}, nullptr, "252068"},
      {"declined", "252068", "tblDocuments", true, false, {false}, &import, nullptr},
      {"accepted", "252069", "tblDocuments", true, false, {true}, &import, "252069"},
      {"no table", "252068", "", true, false, {}, nullptr, nullptr},
      {"no selector", "", "tblDocuments", false, false, {}, nullptr, "252069"},
      {"file kept", "252068", "tblDocuments", false, true, {false}, &overwrite, nullptr},
      {"file replaced", "252068", "tblDocuments", false, true, {true}, &overwrite, "252068"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    exec("DELETE FROM tblDocuments");
    std::filesystem::remove(out("a.xml"));
    if (c.existing) writeAll(out("a.xml"), "earlier invoice");
    ui->calls.clear();
    ui->answers = c.answers;
    clsXRechnung x;
    // Without a selector the first row names the stored number.
    const std::string sql =
        *c.selector ? kSql : "SELECT * FROM xRechnung WHERE BT1 = '252069' ORDER BY BT126";
    ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), connect(), sql, c.selector, false, "", c.table, c.ask));
    EXPECT_TRUE(x.CreateXRechnung()) << "declining is no failure";
    EXPECT_THAT(shown(), IsEmpty());
    EXPECT_EQ(shown("question"),
              c.question ? std::vector<std::string>{*c.question} : std::vector<std::string>{});
    const std::string file = readAll(out("a.xml"));
    EXPECT_EQ(file == "earlier invoice", c.existing && !c.stored)
        << "the kept file is not this one";
    if (!c.stored) {
      EXPECT_THAT(storedDocuments(), IsEmpty());
      continue;
    }
    EXPECT_THAT(storedDocuments(), ElementsAre(Stored("AU", c.stored, file, "a.xml")));
    const std::string other = std::string(c.stored) == "252068" ? "252069" : "252068";
    EXPECT_THAT(file, HasSubstr("\t\t<ram:ID>" + std::string(c.stored) + "</ram:ID>\r\n"));
    EXPECT_EQ(file.find("<ram:ID>" + other + "</ram:ID>"), std::string::npos) << "only its rows";
  }
}

TEST_F(CreationSession, WithoutSelectorOnlyTheRowsOfTheFirstRowsInvoiceAreRead) {
  // The view delivers the rows of all five invoices.
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), connect(), kSql, "", false));
  ASSERT_TRUE(x.CreateXRechnung()) << first();
  const std::string file = readAll(out("a.xml"));
  EXPECT_THAT(file, HasSubstr("\t\t<ram:ID>252068</ram:ID>\r\n"));
  std::size_t lines = 0;
  for (auto at = file.find("<ram:IncludedSupplyChainTradeLineItem>"); at != std::string::npos;
       at = file.find("<ram:IncludedSupplyChainTradeLineItem>", at + 1))
    ++lines;
  EXPECT_EQ(lines, 4u) << "not the lines of the other invoices";
  EXPECT_EQ(file.find("Hotel Alpenblick"), std::string::npos);
  EXPECT_EQ(storedDocuments().at(0)["number"], "252068");
}

TEST_F(CreationSession, SelectorsAreBoundAndSlashesInTheFileNameBecomeHyphens) {
  const struct {
    const char *number, *sql, *file, *written, *id;
  } cases[] = {
      {"O'Brien 1", "select * from VorlageXRechnung", "a.xml", "a.xml", "O&apos;Brien 1"},
      {"RE/2024/7", "Select * from xRechnung", "RE/2024/7.xml", "RE-2024-7.xml", "RE/2024/7"}};
  for (const auto& c : cases) {
    copyInvoice("252068", c.number);
    clsXRechnung x;
    ASSERT_TRUE(x.DLL_Init_DB(out(c.file), connect(), c.sql, c.number, false));
    ASSERT_TRUE(x.CreateXRechnung());
    const std::string file = readAll(out(c.written));
    EXPECT_THAT(file, HasSubstr("<ram:ID>" + std::string(c.id) + "</ram:ID>"));
    EXPECT_EQ(storedDocuments().back(), Stored("AU", c.number, file, c.written));
  }
  EXPECT_FALSE(std::filesystem::exists(out("RE")));
  // A selector that tries to widen the query matches nothing at all.
  clsXRechnung y;
  EXPECT_FALSE(y.DLL_Init_DB(out("b.xml"), connect(), kSql, "x' OR '1'='1", false));
  EXPECT_THAT(shown(), ElementsAre("Note|!|No rows were found for the selector \"x' OR "
                                   "'1'='1\".\r\nPlease check your data source!"));
}

TEST_F(CreationSession, RequiredColumnsMissingOrNullWriteNothing) {
  // BT20 and BT31 may be absent (the rules decide), BT2 and BT27 may not,
  // and BT126 must exist.
  exec("CREATE TABLE Partial AS SELECT * FROM VorlageXRechnung WHERE BT1 = '252068'");
  exec("ALTER TABLE Partial DROP COLUMN BT126");
  exec("UPDATE Partial SET BT20 = NULL, BT31 = NULL, BT2 = NULL, BT27 = NULL");
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), connect(), "SELECT * FROM Partial", "252068", false));
  EXPECT_FALSE(x.CreateXRechnung());
  EXPECT_THAT(shown(), ElementsAre("Note|!|The following required fields are NULL or missing:\r\n"
                                   "BT2, BT27, BT126 (existiert nicht)\r\n"
                                   "Please check your data source!"));
  EXPECT_TRUE(outIsEmpty()) << "no file, no temporary file";
  EXPECT_THAT(storedDocuments(), IsEmpty());
}

// The database layer's own tests name each reason; these show how a failed
// connection reaches the user.
TEST_F(CreationSession, DatabaseFailuresGiveTheConnectionMessage) {
  const std::string missing = dir / "nope.sqlite";
  struct Case {
    std::string connect, sql, description;
  } const table[] = {
      {"Data Source=" + missing, kSql, "database file not found: " + missing},
      {connect(), "execute",
       "The source query names no stored procedure (expected \"exec <name>\"): \"execute\""},
      {connect(), "  Select * from xRechnung",
       "SQLite has no stored procedures: 'Select * from xRechnung' cannot be called; use a "
       "SELECT on a table or view instead"},
  };
  for (const auto& c : table) {
    SCOPED_TRACE(c.sql);
    ui->calls.clear();
    clsXRechnung x;
    EXPECT_FALSE(x.DLL_Init_DB(out("a.xml"), c.connect, c.sql, "252068", false));
    EXPECT_FALSE(x.CreateXRechnung());
    EXPECT_THAT(shown(), ElementsAre("Note|i|Connect to database failed.\r\nPlease note the error "
                                     "from the interface.\r\n" +
                                         std::string(50, '-') + "\r\n\r\n" + c.description,
                                     kNoSource));
  }
  EXPECT_TRUE(outIsEmpty());
  EXPECT_FALSE(std::filesystem::exists(missing)) << "a missing database is never created";
}

TEST_F(CreationSession, ASessionServesOneInvoiceAfterAnInitThatFoundRows) {
  EXPECT_FALSE(clsXRechnung().CreateXRechnung());
  clsXRechnung x;
  EXPECT_FALSE(x.DLL_Init_DB(out("a.xml"), connect(), kSql, "999999", false));
  EXPECT_FALSE(x.CreateXRechnung());
  EXPECT_TRUE(outIsEmpty());
  // A new DLL_Init_DB starts the next session on the same object.
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), connect(), kSql, "252070", false));
  ASSERT_TRUE(x.CreateXRechnung());
  EXPECT_FALSE(x.CreateXRechnung());
  ASSERT_TRUE(x.DLL_Init_DB(out("b.xml"), connect(), kSql, "252069", false));
  ASSERT_TRUE(x.CreateXRechnung());
  EXPECT_THAT(shown(), ElementsAre(kNoSource,
                                   "Note|!|No rows were found for the selector "
                                   "\"999999\".\r\nPlease check your data source!",
                                   "Note|!|The following required fields are NULL or "
                                   "missing:\r\nRecordset contains no data\r\nPlease check your "
                                   "data source!",
                                   kNoSource));
  EXPECT_EQ(storedDocuments().size(), 2u);
}

TEST_F(CreationSession, AttachmentsAreEmbeddedAndMissingOrUnreadableOnesNamed) {
  writeAll(dir / "Plan & Foto.jpeg", "\xFF\xD8jpeg");
  clsXRechnung x;
  ASSERT_TRUE(
      x.DLL_Init_DB(out("a.xml"), connect(), kSql, "252068", false, dir / "Plan & Foto.jpeg"));
  ASSERT_TRUE(x.CreateXRechnung()) << first();
  EXPECT_THAT(readAll(out("a.xml")),
              HasSubstr("<ram:AttachmentBinaryObject filename=\"Plan &amp; Foto.jpeg\" "
                        "mimeCode=\"image/jpeg\">/9hqcGVn</ram:AttachmentBinaryObject>"));
  // A regular file that cannot be read, whoever runs the test, and one that
  // does not exist: the caller asked for both, so nothing is written.
  ASSERT_TRUE(x.DLL_Init_DB(out("b.xml"), connect(), kSql, "252068", false,
                            dir / "missing.pdf;/proc/self/mem"));
  EXPECT_FALSE(x.CreateXRechnung());
  EXPECT_THAT(shown(), ElementsAre("Note|!|The data source holds values that cannot be used:\r\n"
                                   "EmbeddedFile: \"" +
                                   dir / "missing.pdf" +
                                   "\" does not exist or is no file\r\n"
                                   "EmbeddedFile: \"/proc/self/mem\" cannot be read: "
                                   "Input/output error\r\nPlease check your data source!"));
  EXPECT_FALSE(std::filesystem::exists(out("b.xml")));
  EXPECT_EQ(storedDocuments().size(), 1u) << "only the first invoice";
}

TEST_F(CreationSession, UnwritableExportFolderFailsWithItsMessage) {
  // /proc takes no new files, whoever runs the test.
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB("/proc/belvora/RG1.xml", connect(), kSql, "252068", false));
  EXPECT_FALSE(x.CreateXRechnung());
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_THAT(shown()[0], StartsWith("Note|!|Can't create Export-File: "
                                     "/proc/belvora-RG1.xml\r\nCompiler: cannot create "
                                     "'/proc/belvora-RG1.xml': "));
  EXPECT_THAT(storedDocuments(), IsEmpty());
}

TEST_F(CreationSession, FailedWriteLeavesTheExistingFileWhole) {
  writeAll(out("a.xml"), "earlier invoice");
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
  const bool created = x.CreateXRechnung();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, previous);
  EXPECT_FALSE(created);
  EXPECT_THAT(shown(),
              ElementsAre("Note|!|Can't create Export-File: " + out("a.xml") +
                          "\r\nCompiler: cannot write '" + out("a.xml") + "': File too large"));
  EXPECT_EQ(readAll(out("a.xml")), "earlier invoice");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "out"), {}), 1)
      << "no temporary file left";
  EXPECT_THAT(storedDocuments(), IsEmpty());
}

TEST_F(CreationSession, SessionValuesAreRecordedInTheSettingsStore) {
  namespace st = belvora::settings;
  auto scrambled = [](const char* key) { return st::Scramble(*st::ReadStoredSetting(key)); };
  const auto init = [&](clsXRechnung& x) {
    return x.DLL_Init_DB(out("RG.xml"), connect(), kSql, "252068", true, "", "tblDocuments", true);
  };
  const auto parameters = [](clsXRechnung& x) {
    x.ShowParameter("Data Source=/x.sqlite", "Select 1", "/y.xml", false, "", "t", false);
  };
  {
    clsXRechnung once;
    ASSERT_TRUE(init(once));
  }
  {
    clsXRechnung fresh;
    parameters(fresh);  // a new object's dialog keeps the record
  }
  EXPECT_EQ(scrambled("DLLCode4"), connect());
  EXPECT_EQ(scrambled("DLLCode5"), kSql);
  EXPECT_EQ(scrambled("DLLCode6"), out("RG.xml"));
  EXPECT_EQ(st::ReadStoredSetting("DLLCode7"), "True");
  EXPECT_EQ(st::ReadStoredSetting("DLLCode9"), "True");
  // ShowParameter records the values of the moment, then takes its own;
  // closing the source at the end of the run brings the store up to date,
  // the run itself keeps its own session values.
  clsXRechnung x;
  ASSERT_TRUE(init(x));
  parameters(x);
  EXPECT_EQ(st::ReadStoredSetting("DLLCode7"), "True");
  ASSERT_TRUE(x.CreateXRechnung());
  EXPECT_TRUE(sys::fileExists(out("RG.xml")));
  EXPECT_EQ(st::ReadStoredSetting("DLLCode7"), "False");
  EXPECT_EQ(scrambled("DLLCode6"), "/y.xml");
  // Without windows the parameter dialog only lists its values.
  EXPECT_THAT(shown(), ElementsAre(StartsWith("Parameter|"), StartsWith("Parameter|")));
}

TEST_F(CreationSession, UnwritableSettingsDoNotStopTheInvoice) {
  writeAll(dir / "plain", "x");
  ::setenv("XDG_CONFIG_HOME", (dir / "plain").c_str(), 1);
  clsXRechnung x;
  ASSERT_TRUE(x.DLL_Init_DB(out("a.xml"), connect(), kSql, "252068", false));
  EXPECT_TRUE(x.CreateXRechnung());
  EXPECT_THAT(ui->calls, IsEmpty());
}

TEST_F(CreationSession, WindowlessMethodsOpenThePageOrSayWhatIsMissing) {
  // A stand-in xdg-open that records its argument.
  std::filesystem::create_directory(dir / "bin");
  const std::string record = dir / "opened.txt";
  writeAll(dir / "bin/xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + record + ".tmp' && mv '" +
                                     record + ".tmp' '" + record + "'\n");
  std::filesystem::permissions(dir / "bin/xdg-open", std::filesystem::perms::owner_all);
  const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  ::setenv("PATH", (dir / "bin:" + path).c_str(), 1);
  // Section methods outside a run show nothing and write no settings.
  auto x = std::make_unique<clsXRechnung>();
  x->SpecifiedTradeAllowanceChange();
  x->BillingSpecifiedPeriod();
  x.reset();
  EXPECT_FALSE(std::filesystem::exists(dir / "config")) << "no session, no settings written";
  x = std::make_unique<clsXRechnung>();
  x->Ecosio();
  for (int i = 0; i < 100 && !sys::fileExists(record); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(readAll(record), "https://www.itb.ec.europa.eu/invoice/upload");
  EXPECT_THAT(ui->calls, IsEmpty());
  // Without any xdg-open, or without a display, the user is told.
  ::setenv("PATH", (dir / "empty").c_str(), 1);
  x->Ecosio();
  ::setenv("PATH", path.c_str(), 1);
  x->ShowSupport("support@example.com");
  ASSERT_EQ(shown().size(), 2u);
  EXPECT_THAT(shown()[0], StartsWith("Error in DLL|"));
  EXPECT_THAT(shown()[0], HasSubstr("xdg-open"));
  EXPECT_EQ(shown()[1],
            "Support|!|The support request needs a display (DISPLAY or WAYLAND_DISPLAY). "
            "Support-Address: support@example.com");
}

}  // namespace
}  // namespace belvora::test
