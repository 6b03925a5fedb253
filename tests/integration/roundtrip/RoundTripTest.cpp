// The CII invoices of the official XRechnung test suite, each read into the
// model, written into source rows of an SQLite file, and created again
// through the public API: every created invoice passes the official
// validation (one call for all), carries every business term of its
// original (totals and VAT breakdown included), and shows the same view.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "../session/SourceRows.h"
#include "belvora/clsXRechnung.h"
#include "platform/db/Connection.h"
#include "reader/CiiInvoiceModel.h"
#include "reader/ConsoleView.h"
#include "reader/ReadXML.h"
#include "support/Process.h"
#include "support/SharedArtefacts.h"
#include "support/TempDir.h"

namespace belvora::test {
namespace {

namespace fs = std::filesystem;

// Originals that cannot come back: the document states one cent more VAT
// than rounding per VAT group gives (BR-CO-17 tolerates it); stated totals
// must equal the computed ones, so the creation refuses it.
const std::set<std::string> kKnown = {"01.06_minimal_test_uncefact.xml"};
// Created invoices whose view differs from the original's though every term
// is equal: the view shows the first tax registration (the original has the
// tax number first), the contact's person name (the original gives a
// department), the currency of the VAT total (the original states no VAT
// total of 0), or the IBAN (the original writes it as a proprietary id).
const std::set<std::string> kKnownView = {
    "01.02_comprehensive_test_uncefact.xml", "01.21a-INVOICE_uncefact.xml",
    "03.06a-INVOICE_uncefact.xml",           "01.03_comprehensive_test_uncefact.xml",
    "01.04_comprehensive_test_uncefact.xml", "01.05_minimal_test_uncefact.xml"};

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

// The viewer's fields of a file, numbers without trailing zeros: the view
// shows a number as the document writes it ("7" or "7.00").
std::string ViewOf(const std::string& path) {
  reader::ReaderSettings settings;
  settings.invoiceFile = path;
  reader::ViewModel view;
  if (!reader::ReadXML(settings, view)) return "not read";
  std::string json = reader::ViewAsJson(view, "");
  for (const char* separator : {"\\.", ","}) {
    const std::string s = separator;
    json = std::regex_replace(json, std::regex("\"(-?[0-9]+" + s + "[0-9]*?)0+\""), "\"$1\"");
    json = std::regex_replace(json, std::regex("\"(-?[0-9]+)" + s + "\""), "\"$1\"");
  }
  return json;
}

TEST(RoundTrip, EveryTestSuiteInvoiceIsCreatedAgainFromSourceRows) {
  BELVORA_REQUIRE_CORPUS();
  BELVORA_REQUIRE_VALIDATION();
  std::vector<std::string> originals;
  for (const auto& e :
       fs::recursive_directory_iterator(fs::path(CorpusDir()) / "xrechnung-testsuite"))
    if (e.path().extension() == ".xml" &&
        readAll(e.path()).find("CrossIndustryInvoice") != std::string::npos)
      originals.push_back(e.path().string());
  std::sort(originals.begin(), originals.end());
  ASSERT_EQ(originals.size(), 41u) << "the CII invoices of the XRechnung test suite";
  TempDir dir;
  setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);

  // Each original into source rows and created again.
  belvora::test::Run check;
  check.argv = {"python3", BELVORA_SOURCE_DIR "/tests/integration/validation/validate_summary.py",
                ValidationDir() + "/check"};
  for (const auto& path : originals) {
    SCOPED_TRACE(path);
    reader::CiiModel read;
    std::string message;
    ASSERT_TRUE(reader::ReadCiiModelFile(path, read, message)) << message;
    // The totals the document states are the ones the source states.
    const std::string database = dir.file(std::to_string(check.argv.size()) + ".sqlite");
    writeAll(database, "");
    WriteSourceRows(*db::open("Data Source=" + database), "Source", read.invoice, true);
    const std::string name = fs::path(path).filename().string(), created = dir.file(name);
    testing::internal::CaptureStderr();
    {
      clsXRechnung x;
      if (x.DLL_Init_DB(created, "Data Source=" + database, "SELECT * FROM Source",
                        read.invoice.number, false, "", ""))
        x.CreateXRechnung();
    }
    const std::string messages = testing::internal::GetCapturedStderr();
    if (!fs::exists(created)) {
      EXPECT_TRUE(kKnown.count(name)) << "not created:\n" << messages;
      continue;
    }
    EXPECT_FALSE(kKnown.count(name)) << "created, but listed as one that cannot come back";
    check.argv.push_back(created);
  }
  // validate_summary.py prints a line per file: its path, a tab, then PASS
  // or FAIL and the reasons.
  std::map<std::string, std::string> verdicts;
  std::istringstream lines(RunProcess(check).out);
  for (std::string line; std::getline(lines, line);)
    if (const auto tab = line.find('\t'); tab != std::string::npos)
      verdicts[line.substr(0, tab)] = line.substr(tab + 1);

  for (const auto& original : originals) {
    const std::string name = fs::path(original).filename().string(), file = dir.file(name);
    if (!fs::exists(file)) continue;
    SCOPED_TRACE(name);
    EXPECT_EQ(verdicts[file].rfind("PASS", 0), 0u) << "validation: " << verdicts[file];
    EXPECT_EQ(TermsOf(original), TermsOf(file));
    if (!kKnownView.count(name)) {
      EXPECT_EQ(ViewOf(original), ViewOf(file));
    }
  }
}

}  // namespace
}  // namespace belvora::test
