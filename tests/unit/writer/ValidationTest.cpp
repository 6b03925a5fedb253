// The expected documents, and a card payment, through the official EN 16931
// and XRechnung 3.0 validation: one call for all (each call starts a JVM).

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "CiiFixture.h"
#include "support/SharedArtefacts.h"

namespace belvora::test::cii {
namespace {

TEST(Validation, GeneratedInvoicesPassEn16931AndXRechnung) {
  BELVORA_REQUIRE_VALIDATION();
  PinnedToday today;
  const auto dir =
      std::filesystem::temp_directory_path() / ("belvora-validate-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  Invoice card = Standard();
  card.paymentMeans = {{"48", "Kartenzahlung", {}, "XXXXXX1234", "Max Karte", ""}};
  const std::vector<std::pair<std::string, Invoice>> invoices = {
      {"transfer.xml", Standard()},       {"debit.xml", DirectDebit()},
      {"mandatory.xml", MandatoryOnly()}, {"every-group.xml", EveryGroup()},
      {"not-subject.xml", NotSubject()},  {"card.xml", card}};
  std::string command = belvora::test::ValidationDir() + "/check";
  for (const auto& [name, invoice] : invoices) {
    std::ofstream(dir / name, std::ios::binary) << Write(invoice);
    command += " '" + (dir / name).string() + "'";
  }
  command += " > '" + (dir / "report.txt").string() + "' 2>&1";
  const int status = std::system(command.c_str());
  const std::string report = ReadText((dir / "report.txt").string());
  std::filesystem::remove_all(dir);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << report;
  size_t passed = 0;
  for (size_t p = report.find("-> PASS"); p != std::string::npos; p = report.find("-> PASS", p + 1))
    ++passed;
  EXPECT_EQ(passed, invoices.size()) << report;
}

}  // namespace
}  // namespace belvora::test::cii
