// The real Start program with the action "EINLESEN": exit status, the view
// on standard output, labels, questions and messages on standard error, and
// what ends up in the database. A save that failed ends with status 1.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>

#include "ReaderTestSupport.h"
#include "platform/db/Connection.h"
#include "support/ReadOnlyPath.h"
#include "support/SharedArtefacts.h"

extern char** environ;

using belvora::test::Json;
using belvora::test::readAll;
using belvora::test::rowsOf;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

const std::string kCorpus = belvora::test::CorpusDir();

struct StartRun {
  int status = -1;
  std::string out;
  std::string err;
};

class StartEinlesen : public ::testing::Test {
 protected:
  void SetUp() override {
    connect = belvora::test::makeDatabase(belvora::test::Backend::Sqlite, dir);
  }

  // Runs Start with one argument (no shell); output captured.
  StartRun start(const std::string& parameters, const std::vector<std::string>& extraEnv = {}) {
    const std::string outFile = dir / "stdout.txt";
    const std::string errFile = dir / "stderr.txt";
    std::vector<std::string> env = {"BELVORA_UI=console",
                                    "BELVORA_VIEW=json",
                                    "TMPDIR=" + dir.path().string(),
                                    "XDG_CONFIG_HOME=" + (dir / "config"),
                                    "PATH=/usr/bin:/bin",
                                    "USER=buchhaltung"};
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char*> argv{const_cast<char*>(BELVORA_START_EXE),
                            const_cast<char*>(parameters.c_str()), nullptr};
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_t pid = 0;
    StartRun run;
    if (posix_spawn(&pid, BELVORA_START_EXE, &actions, nullptr, argv.data(), envp.data()) == 0) {
      int wstatus = 0;
      waitpid(pid, &wstatus, 0);
      run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = readAll(outFile);
    run.err = readAll(errFile);
    return run;
  }

  std::size_t count(const std::string& table) {
    auto c = belvora::db::open(connect);
    return rowsOf(*c, "SELECT * FROM " + table).size();
  }

  belvora::test::TempDir dir;
  std::string connect;
};

// "1.234,50" as a number, the German way.
double german(const std::string& text) {
  std::string plain;
  for (char ch : text) {
    if (ch == '.') continue;
    plain += ch == ',' ? '.' : ch;
  }
  return std::stod(plain);
}

TEST_F(StartEinlesen, ReadsShowsAndStoresWithoutAsking) {
  BELVORA_REQUIRE_CORPUS();
  const std::string pdf = kCorpus + "/pdf/ferd-zf23__EN16931_Gutschrift.pdf";
  auto run = start("action=einlesen|inputxml=" + pdf + "|connect=" + connect +
                   "|table=tblDocuments|language=DE|askimport=nein");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.err, HasSubstr("Ihre XRechnung wird eingelesen.\n"));
  EXPECT_THAT(run.err, Not(HasSubstr("speichern?")));
  Json j = Json::parse(run.out);
  EXPECT_EQ(j["syntax"].number(), 1);
  EXPECT_THAT(j["file"].str(), HasSubstr("zFile.xml"));
  EXPECT_EQ(count("tblInvoice"), 1u);
  EXPECT_EQ(count("tblInvoice_Items"), j["items"].array().size());
  EXPECT_EQ(count("tblDocuments"), 1u);
  // German separators in the view, stored as numbers.
  auto c = belvora::db::open(connect);
  auto h = rowsOf(*c, "SELECT SumOfNet, CreateUser FROM tblInvoice");
  EXPECT_DOUBLE_EQ(belvora::test::num(h[0][0]), german(j["fields"]["SumOfNet"].str()));
  EXPECT_EQ(belvora::test::text(h[0][1]), "buchhaltung");
}

TEST_F(StartEinlesen, AsksByDefaultAndTakesTheAnswer) {
  BELVORA_REQUIRE_CORPUS();
  const std::string xml = kCorpus + "/en16931/cii/CII_example5.xml";
  auto run = start(" ACTION = Einlesen | InputXML = " + xml + " | Connect = " + connect +
                       " | Table = tblDocuments ",
                   {"BELVORA_ANSWER=no"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.err, HasSubstr("[Note] Eingangsrechnung + Datei in Datenbank speichern?\n-> No"));
  EXPECT_EQ(count("tblInvoice"), 0u);

  run = start("action=einlesen|inputxml=" + xml + "|connect=" + connect +
                  "|table=tblDocuments|language=GB|askimport=ja",
              {"BELVORA_ANSWER=yes"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.err, HasSubstr("[Note] Incoming invoice + file save into database?\n-> Yes"));
  EXPECT_THAT(run.err, HasSubstr("[Note] Invoice and File: " + xml + " saved.\r\n"));
  EXPECT_EQ(count("tblInvoice"), 1u);
  EXPECT_EQ(count("tblInvoice_Deduction"), 4u);
}

TEST_F(StartEinlesen, FailuresEndWithTheirMessageAndStatus) {
  BELVORA_REQUIRE_CORPUS();
  auto run = start("action=einlesen|inputxml=" + (dir / "fehlt.xml") + "|connect=" + connect);
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("XML-Fehler:\r\nBeschreibung: "));
  EXPECT_THAT(run.err, HasSubstr("[Note] XML-Datei kann nicht eingelesen werden\n"));
  EXPECT_EQ(run.out, "");

  run = start("action=einlesen|inputxml=" + kCorpus + "/en16931/cii/CII_example5.xml");
  EXPECT_EQ(run.status, 2);  // no connect: usage
  EXPECT_THAT(run.err, Not(HasSubstr("eingelesen")));

  run = start("action=einlesen|connect=" + connect);
  EXPECT_EQ(run.status, 2);
}

TEST_F(StartEinlesen, FailedSavesEndNonZeroWithTheReasonAndStoreNothing) {
  BELVORA_REQUIRE_CORPUS();
  const std::string xml = kCorpus + "/en16931/cii/CII_example5.xml";
  const std::string read = "action=einlesen|inputxml=" + xml + "|table=tblDocuments|connect=";
  {
    auto c = belvora::db::open(connect);
    c->execute("DROP TABLE tblInvoice_Items");
  }
  // Silent: the header alone must not go in without its lines.
  auto run = start(read + connect + "|askimport=nein");
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("[Note] Rechnung nicht in der Datenbank gespeichert!\r\ntable "
                                 "not found: tblInvoice_Items\n"));
  EXPECT_EQ(count("tblInvoice"), 0u);
  EXPECT_EQ(count("tblDocuments"), 0u);

  // Asking: the header table missing, after the user said Yes.
  {
    auto c = belvora::db::open(connect);
    c->execute("DROP TABLE tblInvoice");
  }
  run = start(read + connect + "|language=GB", {"BELVORA_ANSWER=yes"});
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("-> Yes\n[Note] Invoice not saved in database!\r\ntable not "
                                 "found: tblInvoice\n"));
  EXPECT_EQ(count("tblDocuments"), 0u);
}

TEST_F(StartEinlesen, ReadOnlyOrLockedDatabaseEndsNonZero) {
  BELVORA_REQUIRE_CORPUS();
  const std::string xml = kCorpus + "/en16931/cii/CII_example5.xml";
  const std::string folder = dir / "db";
  std::filesystem::create_directory(folder);
  const std::string file = folder + "/erp.sqlite";
  std::filesystem::copy_file(BELVORA_TEMPLATE_DB, file);
  const std::string read = "action=einlesen|inputxml=" + xml +
                           "|table=tblDocuments|language=GB|connect=Data Source=" + file;
  {
    belvora::test::ReadOnlyPath readOnly(folder);
    if (!readOnly.failure().empty())
      GTEST_SKIP() << "cannot make a folder read-only: " << readOnly.failure();
    auto run = start(read, {"BELVORA_ANSWER=yes"});
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("-> Yes\n[Note] Invoice not saved in database!\r\n"));
    EXPECT_THAT(run.err, HasSubstr(folder));
  }

  // Another program writing: waited for a few seconds, then given up.
  auto other = belvora::db::open("Data Source=" + file);
  other->begin();
  other->execute("INSERT INTO tblDocuments (DocType) VALUES ('X')");
  const auto begin = std::chrono::steady_clock::now();
  auto run = start(read + "|askimport=nein");
  const double waited =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  EXPECT_EQ(run.status, 1);
  EXPECT_THAT(run.err, HasSubstr("[Note] Invoice not saved in database!\r\ndatabase is locked"));
  EXPECT_LT(waited, 9.0);
  other->rollback();
  EXPECT_TRUE(rowsOf(*other, "SELECT * FROM tblInvoice").empty());
}

}  // namespace
