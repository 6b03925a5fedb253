// The real Start program: exit status, labels and messages on standard error.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>

#include "../session/TempDir.h"
#include "Usage.h"
#include "belvora/version.h"
#include "platform/sys/Files.h"

extern char** environ;

using ::testing::HasSubstr;

namespace {

struct StartRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs Start with the arguments as given (no shell), its output captured.
StartRun runStart(const std::vector<std::string>& args, const belvora::test::TempDir& dir,
                  const std::vector<std::string>& extraEnv = {}, std::string outFile = "") {
  if (outFile.empty()) outFile = dir / "stdout.txt";
  std::string errFile = dir / "stderr.txt";
  std::vector<std::string> env = {"BELVORA_UI=console", "XDG_CONFIG_HOME=" + (dir / "config"),
                                  "PATH=/usr/bin:/bin"};
  env.insert(env.end(), extraEnv.begin(), extraEnv.end());
  std::vector<char*> argv{const_cast<char*>(BELVORA_START_EXE)};
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
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
  if (outFile.starts_with(dir.path().string())) run.out = belvora::sys::readFile(outFile);
  run.err = belvora::sys::readFile(errFile);
  return run;
}

class StartProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    db = dir / "erp.sqlite";
    std::filesystem::copy_file(BELVORA_TEMPLATE_DB, db);
  }
  std::string create(const std::string& output, const std::string& extra = "") {
    return "action=erstellen|outputxml=" + output + "|connect=Data Source=" + db +
           "|sql=Select * from VorlageXRechnung|sqlparam=252068|usesqlparam=FALSE|table=" +
           "tblDocuments" + extra;
  }
  belvora::test::TempDir dir;
  std::string db;
};

}  // namespace

TEST_F(StartProgram, ErstellenWritesTheInvoiceAndEndsWithZero) {
  // The macro way: the parameter string split at its blanks by the shell.
  std::string text = create(dir / "RG252068.xml");
  std::vector<std::string> args;
  for (size_t start = 0, blank; start <= text.size(); start = blank + 1) {
    blank = text.find(' ', start);
    if (blank == std::string::npos) blank = text.size();
    args.push_back(text.substr(start, blank - start));
  }
  StartRun r = runStart(args, dir);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "Ihre XRechnung wird erzeugt.\n");
  std::string file = belvora::sys::readFile(dir / "RG252068.xml");
  EXPECT_THAT(file, HasSubstr("<ram:ID>252068</ram:ID>"));
}

TEST_F(StartProgram, FailuresEndNonZeroWithTheirLabel) {
  StartRun noDb = runStart({"action=erstellen|outputxml=" + (dir / "a.xml") +
                            "|connect=Data Source=" + (dir / "none.sqlite") + "|sql=Select 1"},
                           dir);
  EXPECT_EQ(noDb.status, 3);
  EXPECT_THAT(noDb.err, HasSubstr("[Note] Connect to database failed.\r\n"));
  EXPECT_THAT(noDb.err, HasSubstr("\nVerbindung zur Datenbank nicht möglich.\n"));

  StartRun noFile = runStart({create("/proc/x/a.xml")}, dir);
  EXPECT_EQ(noFile.status, 1);
  EXPECT_THAT(noFile.err, HasSubstr("[Note] Can't create Export-File: /proc/x-a.xml\r\n"));
  EXPECT_THAT(noFile.err, HasSubstr("\nErstellung der XRechnung nicht möglich.\n"));

  // The console answers the overwrite question with its default (No) or BELVORA_ANSWER.
  std::ofstream(dir / "old.xml") << "old";
  StartRun kept = runStart({create(dir / "old.xml")}, dir);
  EXPECT_EQ(kept.status, 0);
  EXPECT_THAT(kept.err, HasSubstr("exists!\r\nOverwrite?\n-> No\n"));
  EXPECT_EQ(belvora::sys::readFile(dir / "old.xml"), "old");
  StartRun replaced =
      runStart({create(dir / "old.xml", "|askimport=ja")}, dir, {"BELVORA_ANSWER=yes"});
  EXPECT_EQ(replaced.status, 0) << replaced.err;
  EXPECT_THAT(replaced.err, HasSubstr("[Note] Import XInvoice in your Database?\n-> Yes\n"));
  EXPECT_NE(belvora::sys::readFile(dir / "old.xml"), "old");
}

TEST_F(StartProgram, AnythingElseShowsTheUsageAndEndsWithTwo) {
  const std::vector<std::vector<std::string>> calls = {{},
                                                       {""},
                                                       {"||"},
                                                       {"ERSTELLEN"},
                                                       {"action=unbekannt"},
                                                       {"outputxml=/tmp/x.xml"},
                                                       {"action=support|supportmail=a@b.de"},
                                                       {"action=convert"}};
  for (const auto& args : calls) {
    StartRun r = runStart(args, dir);
    EXPECT_EQ(r.status, 2) << (args.empty() ? "(none)" : args[0]);
    EXPECT_EQ(r.err, start::UsageText());
  }
  EXPECT_THAT(start::UsageText(), HasSubstr("\nERSTELLEN (Procedure):\naction=erstellen|\n"));
}

TEST_F(StartProgram, HelpAndVersionGoToStandardOutputAndEndWithZero) {
  for (const char* option : {"--help", "-h"}) {
    StartRun r = runStart({option}, dir);
    EXPECT_EQ(r.status, 0) << option;
    EXPECT_THAT(r.out, HasSubstr("Start --help | --version\n\n" + start::UsageText())) << option;
    EXPECT_EQ(r.err, "") << option;
  }
  StartRun v = runStart({"--version"}, dir);
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out, "Start " BELVORA_VERSION_STRING " (libbelvora " BELVORA_VERSION_STRING ")\n");
  EXPECT_EQ(v.err, "");
  // Output that cannot be written is a failure with its message.
  StartRun full = runStart({"--help"}, dir, {}, "/dev/full");
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err, "[Start] Die Ausgabe kann nicht geschrieben werden.\n");
  // With more words it is a parameter string like any other.
  StartRun more = runStart({"--version", "action=x"}, dir);
  EXPECT_EQ(more.status, 2);
  EXPECT_EQ(more.out, "");
}
