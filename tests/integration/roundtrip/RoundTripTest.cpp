// The CII invoices of the official XRechnung test suite, each read into the
// model, written into source rows of an SQLite file, and created again
// through the public API: every created invoice passes the official
// validation (one call for all), carries every business term of its
// original (totals and VAT breakdown included), and shows the same view.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "../session/SourceRows.h"
#include "../template/TemplateSupport.h"
#include "belvora/clsXRechnung.h"
#include "platform/db/Connection.h"
#include "reader/CiiInvoiceModel.h"
#include "reader/ConsoleView.h"
#include "reader/ReadXML.h"
#include "support/SharedArtefacts.h"

namespace belvora::test {
namespace {

namespace fs = std::filesystem;

// Originals that cannot come back, by file name, with the reason.
const std::map<std::string, std::string> kKnown = {
    {"01.06_minimal_test_uncefact.xml", "stated VAT"},
};
// stated VAT: the document states one cent more VAT than rounding per VAT
// group gives (BR-CO-17 tolerates it); stated totals must equal the
// computed ones, so the creation refuses it with BELVORA-TOTALS.

std::vector<std::string> TestSuiteCii() {
  std::vector<std::string> files;
  const fs::path suite = fs::path(belvora::test::CorpusDir()) / "xrechnung-testsuite";
  if (!fs::exists(suite)) return files;
  for (const auto& e : fs::recursive_directory_iterator(suite))
    if (e.path().extension() == ".xml" &&
        tpl::ReadBytes(e.path()).find("CrossIndustryInvoice") != std::string::npos)
      files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

// The terms of a file, as the CII reader gives them. A total of 0 the
// document leaves out (BT-107, -108, -110) counts as stated: the computed
// totals state them or not as the writer does.
std::vector<std::string> TermsOf(const std::string& path) {
  reader::CiiModel read;
  std::string message;
  if (!reader::ReadCiiModelFile(path, read, message)) return {"not read: " + message};
  std::vector<std::string> terms = Terms(read.invoice, true);
  std::erase_if(terms, [](const std::string& t) {
    return t == "BT-107: 0" || t == "BT-108: 0" || t == "BT-110: 0";
  });
  return terms;
}

// Created invoices whose view differs from the original's though every term
// is equal: the view shows the first tax registration (the original has
// the tax number before the VAT identifier), or the contact's person name
// (the original gives the contact point as a department), or the currency
// of the VAT total (the original states no VAT total of 0), or the IBAN
// (the original writes an IBAN-shaped account as a proprietary id, the
// created file as an IBAN, which the view shows).
const std::map<std::string, std::string> kKnownView = {
    {"01.02_comprehensive_test_uncefact.xml", "account id as IBAN"},
    {"01.21a-INVOICE_uncefact.xml", "tax registration order"},
    {"03.06a-INVOICE_uncefact.xml", "tax registration order"},
    {"01.03_comprehensive_test_uncefact.xml", "contact point as department"},
    {"01.04_comprehensive_test_uncefact.xml", "contact point as department"},
    {"01.05_minimal_test_uncefact.xml", "no VAT total"},
};

// The viewer's fields of a file, with numbers without trailing zeros: the
// view shows a number as the document writes it ("7" or "7.00").
std::string ViewOf(const std::string& path) {
  reader::ReaderSettings settings;
  settings.invoiceFile = path;
  reader::ViewModel view;
  if (!reader::ReadXML(settings, view)) return "not read";
  const std::string json = reader::ViewAsJson(view, "");
  const std::string trimmed =
      std::regex_replace(json, std::regex(R"("(-?[0-9]+\.[0-9]*?)0+")"), "\"$1\"");
  const std::string pointless =
      std::regex_replace(trimmed, std::regex(R"("(-?[0-9]+)\.")"), "\"$1\"");
  const std::string comma =
      std::regex_replace(pointless, std::regex(R"("(-?[0-9]+,[0-9]*?)0+")"), "\"$1\"");
  return std::regex_replace(comma, std::regex(R"("(-?[0-9]+),")"), "\"$1\"");
}

// Lines only one of two term lists holds.
std::string Difference(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  std::multiset<std::string> left(a.begin(), a.end()), right(b.begin(), b.end());
  std::string out;
  for (const auto& t : left)
    if (!right.count(t)) out += "\n  - " + t;
  for (const auto& t : right)
    if (!left.count(t)) out += "\n  + " + t;
  return out;
}

// The lines of validate_summary.py: file, then PASS or FAIL and reasons.
std::map<std::string, std::string> Verdicts(const std::string& output) {
  std::map<std::string, std::string> verdicts;
  std::istringstream lines(output);
  std::string line;
  while (std::getline(lines, line)) {
    const auto tab = line.find('\t');
    if (tab != std::string::npos) verdicts[line.substr(0, tab)] = line.substr(tab + 1);
  }
  return verdicts;
}

TEST(RoundTrip, EveryTestSuiteInvoiceIsCreatedAgainFromSourceRows) {
  BELVORA_REQUIRE_CORPUS();
  BELVORA_REQUIRE_VALIDATION();
  const auto originals = TestSuiteCii();
  ASSERT_EQ(originals.size(), 41u) << "the CII invoices of the XRechnung test suite";
  tpl::TempDir dir;
  setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);

  struct Result {
    std::string original, created, messages;
  };
  std::vector<Result> results;
  for (const auto& path : originals) {
    SCOPED_TRACE(path);
    reader::CiiModel read;
    std::string message;
    ASSERT_TRUE(reader::ReadCiiModelFile(path, read, message)) << message;
    // The totals the document states are the ones the source states.
    const std::string database = dir.file(std::to_string(results.size()) + ".sqlite");
    std::ofstream(database).close();
    WriteSourceRows(*db::open("Data Source=" + database), "Source", read.invoice, true);
    Result r{path, dir.file(fs::path(path).filename().string()), {}};
    testing::internal::CaptureStderr();
    {
      clsXRechnung x;
      if (x.DLL_Init_DB(r.created, "Data Source=" + database, "SELECT * FROM Source",
                        read.invoice.number, false, "", ""))
        x.CreateXRechnung();
    }
    r.messages = testing::internal::GetCapturedStderr();
    results.push_back(r);
  }

  std::vector<std::string> argv = {
      "python3", BELVORA_SOURCE_DIR "/tests/integration/validation/validate_summary.py",
      belvora::test::ValidationDir() + "/check"};
  for (const auto& r : results)
    if (fs::exists(r.created)) argv.push_back(r.created);
  const auto verdicts = Verdicts(tpl::RunProgram(argv).out);

  std::size_t created = 0, valid = 0, equal = 0, sameView = 0, known = 0;
  for (const auto& r : results) {
    const std::string name = fs::path(r.original).filename().string();
    SCOPED_TRACE(name);
    const bool isKnown = kKnown.count(name) > 0;
    known += isKnown;
    if (!fs::exists(r.created)) {
      EXPECT_TRUE(isKnown) << "not created:\n" << r.messages;
      continue;
    }
    EXPECT_FALSE(isKnown) << "created, but listed as one that cannot come back";
    ++created;
    const auto verdict = verdicts.find(r.created);
    const bool passes = verdict != verdicts.end() && verdict->second.rfind("PASS", 0) == 0;
    valid += passes;
    EXPECT_TRUE(passes) << "validation: "
                        << (verdict == verdicts.end() ? "no verdict" : verdict->second);
    const auto before = TermsOf(r.original), after = TermsOf(r.created);
    equal += before == after;
    EXPECT_EQ(before, after) << "terms differ:" << Difference(before, after);
    const std::string viewBefore = ViewOf(r.original), viewAfter = ViewOf(r.created);
    sameView += viewBefore == viewAfter;
    if (!kKnownView.count(name)) {
      EXPECT_EQ(viewBefore, viewAfter);
    }
  }
  std::cout << "round trip: " << results.size() << " invoices, " << created << " created, " << valid
            << " valid, " << equal << " with every term equal, " << sameView
            << " with the same view; " << known << " listed as known\n";
}

}  // namespace
}  // namespace belvora::test
