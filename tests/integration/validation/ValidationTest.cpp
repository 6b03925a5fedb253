// Every invoice of the template database, created through the public API,
// passes the official EN 16931 validation (XSD and business rules). The
// validator starts a JVM, so all documents go to it in one call.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "../template/TemplateSupport.h"
#include "platform/db/Connection.h"
#include "support/SharedArtefacts.h"

namespace belvora::test::tpl {
namespace {

struct Verdict {
  bool pass = false;
  std::string reasons;
};

// Parses the lines of validate_summary.py: file, PASS|FAIL, reasons (tabs).
std::map<std::string, Verdict> ParseSummary(const std::string& output) {
  std::map<std::string, Verdict> verdicts;
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string file, status, reason;
    if (!std::getline(fields, file, '\t') || !std::getline(fields, status, '\t')) continue;
    if (status != "PASS" && status != "FAIL") continue;
    Verdict v{status == "PASS", {}};
    while (std::getline(fields, reason, '\t')) v.reasons += "\n    " + reason;
    verdicts[file] = v;
  }
  return verdicts;
}

TEST(En16931Validation, EveryTemplateInvoicePasses) {
  BELVORA_REQUIRE_VALIDATION();
  TempDir dir;
  const std::string database = dir.file("VorlageDB.sqlite");
  CopyFile(BELVORA_TEMPLATE_DB, database);
  std::vector<std::string> numbers;
  {
    auto c = db::open("Data Source=" + database);
    numbers = InvoiceNumbers(*c);
  }
  ASSERT_GE(numbers.size(), 4u);

  std::vector<std::string> files;
  for (const auto& number : numbers) {
    const Created c =
        CreateInvoice(dir.path(), "Data Source=" + database, "Select * from xRechnung", number);
    ASSERT_TRUE(c.created) << "invoice " << number << " was not created:\n" << c.messages;
    files.push_back(c.file);
  }

  std::vector<std::string> argv = {"python3",
                                   BELVORA_SOURCE_DIR
                                   "/tests/integration/validation/"
                                   "validate_summary.py",
                                   ValidationDir() + "/check"};
  argv.insert(argv.end(), files.begin(), files.end());
  const RunResult run = RunProgram(argv);
  const auto verdicts = ParseSummary(run.out);
  ASSERT_EQ(verdicts.size(), files.size()) << "validation did not run:\n" << run.out;
  for (size_t i = 0; i < files.size(); ++i) {
    const Verdict& v = verdicts.at(files[i]);
    EXPECT_TRUE(v.pass) << "invoice " << numbers[i] << " fails EN 16931:" << v.reasons;
  }
  EXPECT_EQ(run.status, 0) << run.out;
}

}  // namespace
}  // namespace belvora::test::tpl
