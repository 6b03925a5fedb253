// Generated documents against the official EN 16931 validation.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "InvoiceFixture.h"
#include "fakes/FakeInteraction.h"
#include "fakes/SharedArtefacts.h"

namespace belvora::test {

namespace {

TEST(Validation, GeneratedInvoicesPassEn16931) {
  BELVORA_REQUIRE_VALIDATION();
  PinnedToday today;
  ScopedFakeInteraction ui;
  auto dir =
      std::filesystem::temp_directory_path() / ("belvora-validate-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "attachment.pdf", std::ios::binary) << "%PDF-1.4\n%%EOF\n";

  Invoice card = ThreeLines();
  card.header["BT81"] = "48";
  card.header["BT87"] = "4111111111111111";
  card.header["BT88"] = "Max Karte";
  Invoice zeroRate = ThreeLines();
  zeroRate.lines[1]["BT152"] = 0.0;
  zeroRate.lines[1]["BT118"] = "Z";
  zeroRate.lines[2]["BT131"] = 10.125;  // more decimals than the document shows
  zeroRate.lines[2]["BT152"] = 7.5;
  std::vector<std::pair<std::string, std::string>> documents = {
      {"transfer.xml", WriteDocument(ThreeLines())},
      {"debit.xml",
       WriteDocument(DirectDebitWithAllowanceAndPeriod(), (dir / "attachment.pdf").string())},
      {"card.xml", WriteDocument(card)},
      {"rates.xml", WriteDocument(zeroRate)},
  };
  std::string command = ValidationDir() + "/check";
  for (const auto& [name, xml] : documents) {
    std::ofstream(dir / name, std::ios::binary) << xml;
    command += " '" + (dir / name).string() + "'";
  }
  command += " > '" + (dir / "report.txt").string() + "' 2>&1";
  int status = std::system(command.c_str());
  std::string report = ReadText((dir / "report.txt").string());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << report;
  size_t passed = 0;
  for (size_t p = report.find("-> PASS"); p != std::string::npos; p = report.find("-> PASS", p + 1))
    ++passed;
  EXPECT_EQ(passed, documents.size()) << report;
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace belvora::test
