// The expected documents, and a card payment, through the official EN 16931
// and XRechnung 3.0 validation: one call for all (each call starts a JVM).

#include <gtest/gtest.h>

#include "CiiFixture.h"
#include "support/Process.h"
#include "support/SharedArtefacts.h"

namespace belvora::test::cii {
namespace {

TEST(Validation, GeneratedInvoicesPassEn16931AndXRechnung) {
  BELVORA_REQUIRE_VALIDATION();
  PinnedToday today;
  TempDir dir;
  Invoice card = Standard();
  card.paymentMeans = {{"48", "Kartenzahlung", {}, "XXXXXX1234", "Max Karte", ""}};
  writeAll(dir / "card.xml", Write(card));
  test::Run run;
  run.argv = {ValidationDir() + "/check", dir / "card.xml"};
  run.mergeErr = true;
  for (const char* name : {"full_58.xml", "debit_59_allowance.xml", "defaults.xml",
                           "every_group.xml", "not_subject_o.xml"})
    run.argv.push_back(Golden(name));
  const RunResult result = RunProcess(run);
  EXPECT_EQ(result.status, 0) << result.out;
  size_t passed = 0;
  for (size_t p = result.out.find("-> PASS"); p != std::string::npos;
       p = result.out.find("-> PASS", p + 1))
    ++passed;
  EXPECT_EQ(passed, run.argv.size() - 1) << result.out;
}

}  // namespace
}  // namespace belvora::test::cii
