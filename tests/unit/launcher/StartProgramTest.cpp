// The real Start program: exit status, labels and messages on standard error,
// help and version on standard output.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "Environment.h"
#include "Usage.h"
#include "belvora/version.h"
#include "support/Process.h"
#include "support/TempDir.h"

using belvora::test::readAll;
using belvora::test::writeAll;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

namespace {

class StartProgram : public ::testing::Test {
 protected:
  void SetUp() override { fs::copy_file(BELVORA_TEMPLATE_DB, db); }

  // Start with the arguments as given (no shell), on the console, in a
  // fresh environment.
  belvora::test::RunResult start(std::vector<std::string> args,
                                 const std::vector<std::string>& env = {}) {
    belvora::test::Run run{
        .argv = {BELVORA_START_EXE},
        .env = {"BELVORA_UI=console", "XDG_CONFIG_HOME=" + dir / "config", "PATH=/usr/bin:/bin",
                "TMPDIR=" + start::TempFolder()},  // the usage examples name it
        .replaceEnvironment = true};
    run.argv.insert(run.argv.end(), args.begin(), args.end());
    run.env.insert(run.env.end(), env.begin(), env.end());
    return belvora::test::RunProcess(run);
  }
  std::string create(const std::string& output, const std::string& extra = "") {
    return "action=erstellen|outputxml=" + output + "|connect=Data Source=" + db +
           "|sql=Select * from VorlageXRechnung|sqlparam=252068|usesqlparam=FALSE|table=" +
           "tblDocuments" + extra;
  }

  belvora::test::TempDir dir;
  const std::string db = dir / "erp.sqlite";
};

TEST_F(StartProgram, FailuresEndNonZeroWithTheirLabel) {
  auto r = start({"action=erstellen|outputxml=" + dir / "a.xml" +
                  "|connect=Data Source=" + dir / "none.sqlite" + "|sql=Select 1"});
  EXPECT_EQ(r.status, 3);
  EXPECT_THAT(r.err, HasSubstr("[Note] Connect to database failed.\r\n"));
  EXPECT_THAT(r.err, HasSubstr("\nVerbindung zur Datenbank nicht möglich.\n"));
  r = start({create("/proc/x/a.xml")});
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("[Note] Can't create Export-File: /proc/x-a.xml\r\n"));
  EXPECT_THAT(r.err, HasSubstr("\nErstellung der XRechnung nicht möglich.\n"));
  // The console answers the overwrite question with its default (No) or BELVORA_ANSWER.
  writeAll(dir / "old.xml", "old");
  r = start({create(dir / "old.xml")});
  EXPECT_EQ(r.status, 0);
  EXPECT_THAT(r.err, HasSubstr("exists!\r\nOverwrite?\n-> No\n"));
  EXPECT_EQ(readAll(dir / "old.xml"), "old");
  r = start({create(dir / "old.xml", "|askimport=ja")}, {"BELVORA_ANSWER=yes"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.err, HasSubstr("[Note] Import XInvoice in your Database?\n-> Yes\n"));
  EXPECT_NE(readAll(dir / "old.xml"), "old");
}

TEST_F(StartProgram, AnswersEveryOtherCallWithItsStatusAndText) {
  // The examples name the template database beside Start, so this process
  // would print other paths: the run without arguments is the reference.
  const std::string usage = start({}).err;
  EXPECT_TRUE(usage.starts_with(start::UsageDescription("\n")));
  EXPECT_THAT(usage, HasSubstr("\nERSTELLEN (Procedure):\naction=erstellen|\n"));
  EXPECT_THAT(usage, HasSubstr("|\nconnect=Data Source=" BELVORA_TEMPLATE_DB "|\n"));
  EXPECT_THAT(usage, HasSubstr("action=einlesen|\ninputxml="));
  const std::string help =
      "Aufruf: Start \"action=...|name=value|...\"\n        Start --help | --version\n\n" + usage;
  const std::string noDisplay =
      "[Support] Die Support-Anfrage braucht eine grafische Oberfläche (DISPLAY oder "
      "WAYLAND_DISPLAY). Support-Adresse: hilfe@example.com\n";
  const std::string support = "action=support|supportmail=hilfe@example.com";
  // BELVORA_UI=qt without DISPLAY, WAYLAND_DISPLAY or a Qt platform stays on the console.
  const std::string qt = "BELVORA_UI=qt";
  struct Case {
    std::vector<std::string> args;
    std::string env;
    int status;
    std::string out, err;
  } cases[] = {{{""}, "", 2, "", usage},
               {{"||"}, "", 2, "", usage},
               {{"ERSTELLEN"}, "", 2, "", usage},
               {{"action=unbekannt"}, "", 2, "", usage},
               {{"outputxml=/tmp/x.xml"}, "", 2, "", usage},
               {{}, qt, 2, "", usage},
               // With more words --version is a parameter string like any other.
               {{"--version", "action=x"}, "", 2, "", usage},
               {{"--help"}, "", 0, help, ""},
               {{"-h"}, "", 0, help, ""},
               {{"--version"},
                "",
                0,
                "Start " BELVORA_VERSION_STRING " (libbelvora " BELVORA_VERSION_STRING ")\n",
                ""},
               {{support}, "", 1, "", noDisplay},
               {{support}, qt, 1, "", noDisplay},
               {{"action=support"}, "", 0, "", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE((c.args.empty() ? "(none)" : c.args[0]) + " " + c.env);
    const auto r = start(c.args, c.env.empty() ? std::vector<std::string>{} : std::vector{c.env});
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, c.err);
  }
  // Output that cannot be written is a failure with its message.
  const auto full = belvora::test::RunProcess(
      {.argv = {"/bin/sh", "-c", "exec \"$0\" --help >/dev/full", BELVORA_START_EXE},
       .env = {"BELVORA_UI=console"}});
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err, "[Start] Die Ausgabe kann nicht geschrieben werden.\n");
}

// A converter that marks at once that it ran and records its arguments a
// moment later.
std::string makeConverter(const std::string& folder, mode_t mode = 0755) {
  fs::create_directories(folder);
  const std::string program = folder + "/convert.sh";
  writeAll(program, "#!/bin/sh\n: > " + folder + "/started\nsleep 2\nprintf '%s\\n' \"$@\" > " +
                        folder + "/args.part && mv " + folder + "/args.part " + folder +
                        "/args.txt\n");
  ::chmod(program.c_str(), mode);
  return program;
}

TEST_F(StartProgram, ConvertStartsOnlyASafeConfiguredProgram) {
  const std::string safe = makeConverter(dir / "bin");
  makeConverter(dir / "shared");
  ::chmod((dir / "shared").c_str(), 0775);
  makeConverter(dir / "writable", 0757);
  fs::create_symlink(makeConverter(dir / "open/planted"), dir / "bin/link.sh");
  ::chmod((dir / "open").c_str(), 0777);
  for (const char* name : {"RG-2025-45.xml", "RG-2025-X.pdf", "sRGB.icc"})
    writeAll(dir / name, name);
  auto configure = [&](const std::string& program) {
    fs::create_directories(dir / "config/belvora");
    if (program == "-") fs::remove(dir / "config/belvora/belvora.conf");
    if (program != "-")
      writeAll(dir / "config/belvora/belvora.conf",
               "[Settings]\nDLLCode7=False\n[Convert]\nprogram = " + program + "\n");
  };
  const auto here = [&](std::string text) {
    for (size_t at; (at = text.find("$DIR")) != std::string::npos;) text.replace(at, 4, dir.path());
    return text;
  };
  std::istringstream refused(readAll(BELVORA_TEST_DATA_DIR "/launcher/convert-refused.txt"));
  int checked = 0;
  for (std::string line; std::getline(refused, line);) {
    if (line.starts_with("#")) continue;
    const auto tab = line.find('\t'), tab2 = line.find('\t', tab + 1);
    const std::string message = here(line.substr(tab2 + 1));
    configure(here(line.substr(0, tab)));
    const auto r = start({"action=convert" + here(line.substr(tab + 1, tab2 - tab - 1))});
    EXPECT_EQ(r.status, 1) << message;
    EXPECT_THAT(r.err, HasSubstr("\n[Note] ")) << message;
    EXPECT_THAT(r.err, HasSubstr(message));
    ++checked;
  }
  EXPECT_EQ(checked, 8);
  for (const char* folder : {"bin", "shared", "writable", "open/planted"})
    EXPECT_FALSE(fs::exists(dir / (std::string(folder) + "/started"))) << folder;

  // Started without waiting: Start is back before the converter wrote anything.
  configure(safe);
  const auto begin = std::chrono::steady_clock::now();
  const auto r = start({"action=convert|inputxml=" + dir / "RG-2025-45.xml" +
                        "|inputpdf=" + dir / "RG-2025-X.pdf" + "|icc=" + dir / "sRGB.icc"});
  // Start loads the Qt libraries as well: a loaded machine or a sanitizer
  // build needs a few hundred milliseconds for that alone.
  EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(1900));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "Ihre XRechnung wird erzeugt.\n");
  EXPECT_FALSE(fs::exists(dir / "bin/args.txt"));
  for (int i = 0; i < 250 && !fs::exists(dir / "bin/args.txt"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(readAll(dir / "bin/args.txt"),
            dir / "RG-2025-45.xml" + "\n" + dir / "RG-2025-X.pdf" + "\n" + dir / "sRGB.icc" + "\n");
}

}  // namespace
