// The CII reader into the invoice model: every business term of a
// comprehensive test suite invoice, small documents the model cannot hold
// whole, and what is no CII invoice.

#include "reader/CiiInvoiceModel.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

#include "model/RulesTables.h"
#include "support/ModelTerms.h"
#include "support/SharedArtefacts.h"
#include "support/TempDir.h"

namespace belvora::reader {
namespace {

using model::Date;
using model::Decimal;

// The rule ids, sorted, separated by blanks.
std::string Ids(const std::vector<model::Violation>& v) {
  std::set<std::string> sorted;
  for (const auto& x : v) sorted.insert(x.rule);
  std::string ids;
  for (const auto& id : sorted) ids += (ids.empty() ? "" : " ") + id;
  return ids;
}

// A document of tests/data/ciimodel/problems.tsv, by name: the small
// XRechnung invoice with the row's fragments, and the rule ids expected.
struct Case {
  std::string xml, problems;
};
std::map<std::string, Case> Cases() {
  const std::string data = BELVORA_TEST_DATA_DIR "/ciimodel/";
  const std::string small = test::readAll(data + "small.xml");
  std::map<std::string, Case> cases;
  std::istringstream rows(test::readAll(data + "problems.tsv"));
  for (std::string row; std::getline(rows, row);) {
    if (row.empty() || row[0] == '#') continue;
    std::vector<std::string> f;
    std::istringstream cells(row);
    for (std::string cell; std::getline(cells, cell, '|');) f.push_back(cell);
    f.resize(5);
    if (f[1] == "-") f[1] = model::rules::kXRechnungCius;
    if (f[3].starts_with("$totals"))
      f[3] =
          "<ram:LineTotalAmount>0</ram:LineTotalAmount><ram:TaxBasisTotalAmount>0"
          "</ram:TaxBasisTotalAmount><ram:GrandTotalAmount>0</ram:GrandTotalAmount>"
          "<ram:DuePayableAmount>0</ram:DuePayableAmount>" +
          f[3].substr(7);
    for (std::size_t at; (at = f[2].find("\\n")) != std::string::npos;) f[2].replace(at, 2, "\n");
    std::string xml = small;
    for (const auto& [key, value] :
         {std::pair{"{guideline}", f[1]}, {"{settlement}", f[2]}, {"{summation}", f[3]}})
      xml.replace(xml.find(key), std::string(key).size(), value);
    cases[f[0]] = {xml, f[4]};
  }
  return cases;
}

CiiModel Read(const std::string& xml) {
  CiiModel m;
  std::string message;
  EXPECT_TRUE(ReadCiiModel(xml::Document::parseMemory(xml), m, message)) << message;
  return m;
}

TEST(CiiInvoiceModel, WhatTheModelCannotHoldIsAProblem) {
  const auto cases = Cases();
  EXPECT_EQ(cases.size(), 12u);
  for (const auto& [name, c] : cases) EXPECT_EQ(Ids(Read(c.xml).problems), c.problems) << name;
}

TEST(CiiInvoiceModel, ValuesAsWritten) {
  const auto cases = Cases();
  CiiModel m = Read(cases.at("a tax point code and totals in two currencies").xml);
  EXPECT_EQ(m.invoice.taxPointDateCode, "35");
  EXPECT_EQ(m.invoice.totals.vatTotal->text(), "10.00");
  EXPECT_EQ(m.invoice.totals.vatTotalInAccountingCurrency->text(), "8.60");
  m = Read(cases.at("values as written").xml);
  const model::Invoice& i = m.invoice;
  // The cash discount line keeps its line break; BT-24 keeps its blank.
  EXPECT_EQ(i.paymentTerms, "#SKONTO#TAGE=7#PROZENT=2.00#\n");
  EXPECT_EQ(i.specificationId, std::string(model::rules::kXRechnungCius) + " ");
  // Zeros beyond the twelve places a Decimal holds are dropped, no more.
  EXPECT_EQ(i.totals.paidAmount->text(), "1.000000000000");
  ASSERT_EQ(i.lines.size(), 2u);
  EXPECT_EQ(i.lines[1].id, "B");
  EXPECT_EQ(i.lines[1].sourceRow, 2u);
  // One payment instruction repeated per account is one payment means.
  ASSERT_EQ(i.paymentMeans.size(), 1u);
  ASSERT_EQ(i.paymentMeans[0].accounts.size(), 2u);
  EXPECT_EQ(i.paymentMeans[0].accounts[1].accountId, "DE2");
}

TEST(CiiInvoiceModel, RefusesWhatIsNoCiiInvoice) {
  CiiModel m;
  std::string message;
  for (const char* root : {"<Invoice/>", "<rsm:CrossIndustryInvoice xmlns:rsm=\"urn:other\"/>",
                           "<CrossIndustryInvoice/>"}) {
    EXPECT_FALSE(ReadCiiModel(xml::Document::parseMemory(root), m, message)) << root;
    EXPECT_EQ(message, "The document is not a CII invoice (rsm:CrossIndustryInvoice).");
  }
  test::TempDir dir;
  test::writeAll(dir / "broken.xml", "<a>\n<b></a>");
  EXPECT_FALSE(ReadCiiModelFile(dir / "broken.xml", m, message));
  EXPECT_NE(message.find("(line 2, column"), std::string::npos) << message;
  EXPECT_FALSE(ReadCiiModelFile("/nonexistent/x.xml", m, message));
  EXPECT_NE(message.find("/nonexistent/x.xml"), std::string::npos) << message;
}

// Every term tests/data/ciimodel/comprehensive.terms names, as it states it.
TEST(CiiInvoiceModel, EveryTermOfTheComprehensiveTestInvoice) {
  BELVORA_REQUIRE_CORPUS();
  CiiModel m;
  std::string message;
  ASSERT_TRUE(ReadCiiModelFile(test::CorpusDir() + "/xrechnung-testsuite/technical-cases/cius/"
                                                   "01.01_comprehensive_test_uncefact.xml",
                               m, message))
      << message;
  EXPECT_TRUE(m.problems.empty()) << model::ViolationsText(m.problems, false);
  EXPECT_TRUE(model::CheckInvoice(m.invoice).empty());
  test::ModelTermMap terms = test::ModelTerms(m.invoice);
  std::istringstream in(test::readAll(BELVORA_TEST_DATA_DIR "/ciimodel/comprehensive.terms"));
  int count = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t eq = line.find('=');
    const bool prefix = line[eq - 1] == '^';
    const std::string path = line.substr(0, prefix ? eq - 1 : eq), expected = line.substr(eq + 1);
    const std::string actual = test::ModelTermText(test::FindModelTerm(terms, path));
    EXPECT_EQ(prefix ? actual.substr(0, expected.size()) : actual, expected) << path;
    ++count;
  }
  EXPECT_EQ(count, 154);
}

}  // namespace
}  // namespace belvora::reader
