// Every example the usage text prints runs as it is printed: Start copied
// beside its own template database, the temporary folder private.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "platform/db/Connection.h"
#include "support/Process.h"
#include "support/SharedArtefacts.h"
#include "support/TempDir.h"

using ::testing::HasSubstr;
namespace fs = std::filesystem;
namespace test = belvora::test;

TEST(UsageExamples, EachPrintedExampleRunsAsPrinted) {
  BELVORA_REQUIRE_CORPUS();
  test::TempDir dir;
  fs::create_directories(dir / "bin/source");
  // The example's output folder must exist: attachments that cannot be
  // written make the read fail.
  fs::create_directories(dir / "tmp/IhreDokumente");
  fs::copy_file(BELVORA_START_EXE, dir / "bin/Start");
  const std::string database = dir / "bin/source/VorlageDB.sqlite";
  fs::copy_file(BELVORA_TEMPLATE_DB, database);
  // The files the examples name.
  fs::copy_file(test::CorpusDir() + "/pdf/ferd-zf10__ZUGFeRD_1p0_BASIC_Einfach.pdf",
                dir / "tmp/IhreRechnung.pdf");
  fs::copy_file(test::CorpusDir() + "/en16931/cii/CII_example5.xml", dir / "tmp/Rechnung123.xml");
  // Start with the parameter string as one argument, or split at its blanks
  // by the shell (the macro way).
  auto start = [&](const std::string& parameters, bool split = false) {
    test::Run run{.argv = {dir / "bin/Start"},
                  .env = {"BELVORA_UI=console", "TMPDIR=" + dir / "tmp",
                          "XDG_CONFIG_HOME=" + dir / "config", "PATH=/usr/bin:/bin"},
                  .replaceEnvironment = true};
    std::istringstream words(parameters);
    for (std::string word; std::getline(words, word, split ? ' ' : '\0');) run.argv.push_back(word);
    return test::RunProcess(run);
  };
  auto rows = [&](const std::string& table) {
    auto c = belvora::db::open("Data Source=" + database);
    auto cursor = c->query("SELECT COUNT(*) FROM " + table);
    return cursor->next() ? cursor->row()[0].integer() : -1;
  };

  // The printed examples by caption: the blocks after the description.
  const auto usage = start("");
  EXPECT_EQ(usage.status, 2);
  std::map<std::string, std::string> examples;
  for (size_t at = usage.err.find("\n\n"); at != std::string::npos;) {
    const size_t begin = at + 2;
    at = usage.err.find("\n\n", begin);
    const std::string block = usage.err.substr(begin, at == std::string::npos ? at : at - begin);
    examples[block.substr(0, block.find(":\n"))] = block.substr(block.find(":\n") + 2);
  }
  ASSERT_EQ(examples.size(), 4u);
  for (const auto& [caption, text] : examples) {
    EXPECT_EQ(text.find("C:\\"), std::string::npos) << caption;
    EXPECT_EQ(text.find("inputputxml"), std::string::npos) << caption;
  }
  const std::string connect = "\nconnect=Data Source=" + database + "|\n";
  EXPECT_THAT(examples["ERSTELLEN (SQL)"], HasSubstr(connect));
  EXPECT_THAT(examples["EINLESEN"], HasSubstr(connect));

  const auto documents = rows("tblDocuments");
  auto r = start(examples["ERSTELLEN (SQL)"], true);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "Ihre XRechnung wird erzeugt.\n");
  EXPECT_THAT(test::readAll(dir / "tmp/RG12345.xml"), HasSubstr("<ram:ID>252068</ram:ID>"));
  EXPECT_EQ(rows("tblDocuments"), documents + 1);
  r = start(examples["EINLESEN"]);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(rows("tblInvoice"), 1);
  EXPECT_EQ(rows("tblDocuments"), documents + 2);
  r = start(examples["SUPPORT"]);
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("Support-Adresse: support@example.com\n"));
}
