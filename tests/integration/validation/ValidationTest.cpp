// Every invoice of the template database, created through the public API,
// passes the official EN 16931 validation (XSD and business rules). The
// validator starts a JVM, so all documents go to it in one call.
#include <gtest/gtest.h>

#include "../template/TemplateSupport.h"
#include "support/SharedArtefacts.h"

namespace belvora::test::tpl {
namespace {

TEST(En16931Validation, EveryTemplateInvoicePasses) {
  BELVORA_REQUIRE_VALIDATION();
  TempDir dir;
  const std::string database = dir.file("VorlageDB.sqlite");
  CopyFile(BELVORA_TEMPLATE_DB, database);
  const std::vector<std::string> numbers = InvoiceNumbers(*db::open("Data Source=" + database));
  ASSERT_GE(numbers.size(), 4u);
  std::vector<std::string> argv = {ValidationDir() + "/check"};
  for (const auto& number : numbers) {
    const Created c =
        CreateInvoice(dir.path(), "Data Source=" + database, "Select * from xRechnung", number);
    ASSERT_TRUE(c.created) << "invoice " << number << " was not created:\n" << c.messages;
    argv.push_back(c.file);
  }
  // One summary line per file, the failing rules below it.
  const RunResult run = RunProgram(argv);
  for (size_t i = 1; i < argv.size(); ++i)
    EXPECT_NE(run.out.find(argv[i] + ": cii xsd=ok"), std::string::npos) << argv[i];
  size_t passed = 0;
  for (size_t p = run.out.find("-> PASS\n"); p != std::string::npos;
       p = run.out.find("-> PASS\n", p + 1))
    ++passed;
  EXPECT_EQ(passed, numbers.size()) << run.out;
  EXPECT_EQ(run.status, 0) << run.out;
}

}  // namespace
}  // namespace belvora::test::tpl
