// The real Start program: exit status, labels and messages on standard error.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "Usage.h"
#include "belvora/version.h"
#include "platform/sys/Files.h"
#include "support/TempDir.h"

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
  const std::vector<std::vector<std::string>> calls = {
      {}, {""}, {"||"}, {"ERSTELLEN"}, {"action=unbekannt"}, {"outputxml=/tmp/x.xml"}};
  // The examples name the template database beside Start, so this process
  // would print other paths: the first run is the reference.
  const std::string usage = runStart({}, dir).err;
  EXPECT_EQ(usage.rfind(start::UsageDescription("\n"), 0), 0u);
  EXPECT_THAT(usage, HasSubstr("\nERSTELLEN (Procedure):\naction=erstellen|\n"));
  EXPECT_THAT(usage, HasSubstr("|\nconnect=Data Source=" BELVORA_TEMPLATE_DB "|\n"));
  for (const auto& args : calls) {
    StartRun r = runStart(args, dir);
    EXPECT_EQ(r.status, 2) << (args.empty() ? "(none)" : args[0]);
    EXPECT_EQ(r.err, usage);
  }
}

TEST_F(StartProgram, SupportWithoutADisplaySaysSo) {
  StartRun r = runStart({"action=support|supportmail=hilfe@example.com"}, dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "[Support] Die Support-Anfrage braucht eine grafische Oberfläche (DISPLAY oder "
            "WAYLAND_DISPLAY). Support-Adresse: hilfe@example.com\n");
  StartRun silent = runStart({"action=support"}, dir);
  EXPECT_EQ(silent.status, 0);
  EXPECT_EQ(silent.err, "");
}

namespace {

// A converter that marks at once that it ran and records its arguments a
// moment later.
std::string makeConverter(const std::string& folder, mode_t mode = 0755) {
  std::filesystem::create_directories(folder);
  std::string program = folder + "/convert.sh";
  std::ofstream(program) << "#!/bin/sh\n: > " << folder
                         << "/started\nsleep 2\nprintf '%s\\n' \"$@\" > " << folder
                         << "/args.part && mv " << folder << "/args.part " << folder
                         << "/args.txt\n";
  ::chmod(program.c_str(), mode);
  return program;
}

}  // namespace

TEST_F(StartProgram, ConvertStartsOnlyASafeConfiguredProgram) {
  const std::string safe = makeConverter(dir / "bin");
  const std::string shared = makeConverter(dir / "shared");
  ::chmod((dir / "shared").c_str(), 0775);
  const std::string writable = makeConverter(dir / "writable", 0757);
  std::filesystem::create_directories(dir / "open");
  const std::string planted = makeConverter(dir / "open/planted");
  ::chmod((dir / "open").c_str(), 0777);
  std::filesystem::create_symlink(planted, dir / "bin/link.sh");
  for (const char* name : {"RG-2025-45.xml", "RG-2025-X.pdf", "sRGB.icc"})
    std::ofstream(dir / name) << name;
  const std::string inputs = "|inputxml=" + (dir / "RG-2025-45.xml") +
                             "|inputpdf=" + (dir / "RG-2025-X.pdf") + "|icc=" + (dir / "sRGB.icc");
  auto configure = [&](const std::string& program) {
    std::filesystem::create_directories(dir / "config/belvora");
    std::ofstream(dir / "config/belvora/belvora.conf")
        << "[Settings]\nDLLCode7=False\n[Convert]\nprogram = " << program << "\n";
  };

  struct Case {
    const char* name;
    std::string program;  // empty: not configured
    std::string parameters;
    std::string message;
  };
  const Case refused[] = {
      {"none configured", "", inputs, "Kein Konverter eingerichtet: Bitte den absoluten Pfad"},
      {"relative path", "convert.sh", inputs, "muss mit absolutem Pfad eingetragen sein"},
      {"missing program", dir / "bin/none.sh", inputs, "nicht vorhanden oder nicht ausführbar"},
      {"folder open to the group", shared, inputs,
       "wird nicht gestartet: der Ordner " + (dir / "shared") + " kann von anderen"},
      {"program open to others", writable, inputs,
       "wird nicht gestartet: " + writable + " kann von anderen Benutzern verändert werden"},
      {"link into an open folder", dir / "bin/link.sh", inputs, "der Ordner " + (dir / "open")},
      {"missing parameter", safe, "|inputxml=" + (dir / "RG-2025-45.xml"),
       "Für CONVERT fehlt der Parameter inputpdf."},
      {"missing file", safe, inputs + "|icc=" + (dir / "none.icc"),
       "Die Datei " + (dir / "none.icc") + " (icc) kann nicht gelesen werden."},
  };
  for (const Case& c : refused) {
    std::filesystem::remove(dir / "config/belvora/belvora.conf");
    if (!c.program.empty()) configure(c.program);
    StartRun r = runStart({"action=convert" + c.parameters}, dir);
    EXPECT_EQ(r.status, 1) << c.name;
    EXPECT_THAT(r.err, HasSubstr("\n[Note] ")) << c.name;
    EXPECT_THAT(r.err, HasSubstr(c.message)) << c.name;
  }
  for (const char* folder : {"bin", "shared", "writable", "open/planted"})
    EXPECT_FALSE(std::filesystem::exists(dir / (std::string(folder) + "/started"))) << folder;

  // Started without waiting: Start is back before the converter wrote anything.
  configure(safe);
  auto begin = std::chrono::steady_clock::now();
  StartRun r = runStart({"action=convert" + inputs}, dir);
  // Start loads the Qt libraries as well: a loaded machine or a sanitizer
  // build needs a few hundred milliseconds for that alone.
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(1900));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "Ihre XRechnung wird erzeugt.\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "bin/args.txt"));
  for (int i = 0; i < 250 && !std::filesystem::exists(dir / "bin/args.txt"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(
      belvora::sys::readFile(dir / "bin/args.txt"),
      (dir / "RG-2025-45.xml") + "\n" + (dir / "RG-2025-X.pdf") + "\n" + (dir / "sRGB.icc") + "\n");
}

TEST_F(StartProgram, AskedForWindowsWithoutADisplayItStaysOnTheConsole) {
  // BELVORA_UI=qt, but neither DISPLAY nor WAYLAND_DISPLAY nor a Qt platform.
  StartRun usage = runStart({}, dir, {"BELVORA_UI=qt"});
  EXPECT_EQ(usage.status, 2);
  EXPECT_EQ(usage.err.rfind(start::UsageDescription("\n"), 0), 0u);
  StartRun support =
      runStart({"action=support|supportmail=hilfe@example.com"}, dir, {"BELVORA_UI=qt"});
  EXPECT_EQ(support.status, 1);
  EXPECT_THAT(support.err, HasSubstr("braucht eine grafische Oberfläche"));
}

TEST_F(StartProgram, HelpAndVersionGoToStandardOutputAndEndWithZero) {
  for (const char* option : {"--help", "-h"}) {
    StartRun r = runStart({option}, dir);
    EXPECT_EQ(r.status, 0) << option;
    // The examples name the template database beside Start, not beside this test.
    EXPECT_THAT(r.out, HasSubstr("Start --help | --version\n\n" + start::UsageDescription("\n")))
        << option;
    EXPECT_THAT(r.out, HasSubstr("action=einlesen|\ninputxml=")) << option;
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
