// Every example the usage text prints runs as it is printed: Start copied
// beside its own template database, the temporary folder private.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <map>

#include "platform/db/Connection.h"
#include "platform/sys/Files.h"
#include "support/SharedArtefacts.h"
#include "support/TempDir.h"

using ::testing::HasSubstr;
namespace fs = std::filesystem;

namespace {

struct StartRun {
  int status = -1;
  std::string err;
};

class UsageExamples : public ::testing::Test {
 protected:
  void SetUp() override {
    BELVORA_REQUIRE_CORPUS();
    fs::create_directories(dir / "bin/source");
    fs::create_directories(dir / "tmp");
    fs::copy_file(BELVORA_START_EXE, dir / "bin/Start");
    fs::copy_file(BELVORA_TEMPLATE_DB, dir / "bin/source/VorlageDB.sqlite");
    // The files the examples name.
    fs::copy_file(belvora::test::CorpusDir() + "/pdf/ferd-zf10__ZUGFeRD_1p0_BASIC_Einfach.pdf",
                  dir / "tmp/IhreRechnung.pdf");
    fs::copy_file(belvora::test::CorpusDir() + "/en16931/cii/CII_example5.xml",
                  dir / "tmp/Rechnung123.xml");
  }

  StartRun start(const std::vector<std::string>& args) {
    const std::string exe = dir / "bin/Start";
    const std::string errFile = dir / "stderr.txt";
    std::vector<std::string> env = {"BELVORA_UI=console", "TMPDIR=" + (dir / "tmp"),
                                    "XDG_CONFIG_HOME=" + (dir / "config"), "PATH=/usr/bin:/bin"};
    std::vector<char*> argv{const_cast<char*>(exe.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    StartRun run;
    if (posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
      int wstatus = 0;
      waitpid(pid, &wstatus, 0);
      run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.err = belvora::sys::readFile(errFile);
    return run;
  }

  // The printed examples by caption: the blocks after the description.
  std::map<std::string, std::string> printedExamples() {
    StartRun usage = start({});
    EXPECT_EQ(usage.status, 2);
    std::map<std::string, std::string> examples;
    size_t at = usage.err.find("\n\n");
    while (at != std::string::npos) {
      size_t begin = at + 2;
      at = usage.err.find("\n\n", begin);
      std::string block = usage.err.substr(begin, at == std::string::npos ? at : at - begin);
      size_t colon = block.find(":\n");
      examples[block.substr(0, colon)] = block.substr(colon + 2);
    }
    return examples;
  }

  long rows(const std::string& table) {
    auto c = belvora::db::open("Data Source=" + (dir / "bin/source/VorlageDB.sqlite"));
    auto cursor = c->query("SELECT COUNT(*) FROM " + table);
    cursor->next();
    return static_cast<long>(cursor->row()[0].integer());
  }

  belvora::test::TempDir dir;
};

}  // namespace

TEST_F(UsageExamples, EachPrintedExampleRunsAsPrinted) {
  auto examples = printedExamples();
  ASSERT_EQ(examples.size(), 4u);
  for (const auto& [caption, text] : examples) {
    EXPECT_EQ(text.find("C:\\"), std::string::npos) << caption;
    EXPECT_EQ(text.find("inputputxml"), std::string::npos) << caption;
  }
  const std::string connect = "connect=Data Source=" + (dir / "bin/source/VorlageDB.sqlite");
  EXPECT_THAT(examples["ERSTELLEN (SQL)"], HasSubstr("\n" + connect + "|\n"));
  EXPECT_THAT(examples["EINLESEN"], HasSubstr("\n" + connect + "|\n"));

  const long documents = rows("tblDocuments");
  StartRun create = start({examples["ERSTELLEN (SQL)"]});
  EXPECT_EQ(create.status, 0) << create.err;
  EXPECT_THAT(belvora::sys::readFile(dir / "tmp/RG12345.xml"),
              HasSubstr("<ram:ID>252068</ram:ID>"));
  EXPECT_EQ(rows("tblDocuments"), documents + 1);

  // The example's output folder must exist: attachments that cannot be
  // written make the read fail.
  std::filesystem::create_directories(dir / "tmp/IhreDokumente");
  StartRun readIn = start({examples["EINLESEN"]});
  EXPECT_EQ(readIn.status, 0) << readIn.err;
  EXPECT_EQ(rows("tblInvoice"), 1);
  EXPECT_EQ(rows("tblDocuments"), documents + 2);

  StartRun support = start({examples["SUPPORT"]});
  EXPECT_EQ(support.status, 1);
  EXPECT_THAT(support.err, HasSubstr("Support-Adresse: support@example.com\n"));
}
