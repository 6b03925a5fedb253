// The native rule check on the model: a valid XRechnung invoice, one change
// per row of tests/data/rules/changes.tsv, and exactly the rule ids the
// change breaks; the texts of the violations in both languages.

#include "model/Rules.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <iterator>
#include <set>
#include <sstream>

#include "model/RulesTables.h"
#include "support/ModelTerms.h"
#include "support/TempDir.h"

namespace belvora::model {
namespace {

Decimal D(const char* text) { return *Decimal::parse(text); }

std::set<std::string> Ids(const std::vector<Violation>& v) {
  std::set<std::string> ids;
  for (const auto& x : v) ids.insert(x.rule);
  return ids;
}

// The first group's tax, and the totals that follow from it.
void Vat(Invoice& i, const char* tax) {
  i.vatBreakdown[0].taxAmount = D(tax);
  i.totals.vatTotal = D(tax);
  i.totals.totalWithVat = i.totals.totalWithoutVat + D(tax);
  i.totals.amountDue = i.totals.totalWithVat;
}

// Moves the invoice to another VAT category throughout (lines, allowance,
// charge, breakdown), rate and tax as given.
void Category(Invoice& i, const char* code, std::optional<Decimal> rate, const char* tax) {
  for (auto& l : i.lines) l.vatCategory = code, l.vatRate = rate;
  for (auto& ac : i.allowancesCharges) ac.vatCategory = code, ac.vatRate = rate;
  i.vatBreakdown[0].category = code;
  i.vatBreakdown[0].rate = rate;
  Vat(i, tax);
}

// Applies the changes of a row (the header of tests/data/rules/changes.tsv).
void Change(Invoice& i, const std::string& changes) {
  std::istringstream in(changes);
  for (std::string op; std::getline(in, op, ';');) {
    op.erase(0, op.find_first_not_of(' '));
    if (op.starts_with("vat=")) {
      Vat(i, op.substr(4).c_str());
      continue;
    }
    if (op.starts_with("category=")) {
      std::istringstream words(op.substr(9));
      std::string code, rate, tax;
      words >> code >> rate >> tax;
      Category(i, code.c_str(), D(rate.c_str()), tax.c_str());
      continue;
    }
    test::ChangeModelTerm(i, op);
  }
}

// The rows of tests/data/rules/changes.tsv as (name, rule ids, changes);
// a line that begins with a blank continues the changes of the row above.
std::vector<std::array<std::string, 3>> Rows() {
  std::vector<std::array<std::string, 3>> rows;
  std::istringstream in(test::readAll(BELVORA_TEST_DATA_DIR "/rules/changes.tsv"));
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == ' ') {
      rows.back()[2] += line;
      continue;
    }
    const std::size_t bar = line.find('|'), bar2 = line.find('|', bar + 1);
    rows.push_back(
        {line.substr(0, bar), line.substr(bar + 1, bar2 - bar - 1), line.substr(bar2 + 1)});
  }
  return rows;
}

// The valid invoice the rows change: the first row applied to an empty one.
Invoice Base() {
  static const Invoice base = [] {
    Invoice i;
    Change(i, Rows().at(0)[2]);
    return i;
  }();
  return base;
}

TEST(Rules, ExactlyTheRulesEachChangeBreaks) {
  const auto rows = Rows();
  EXPECT_EQ(rows.size(), 138u);
  for (const auto& [name, ids, changes] : std::vector(rows.begin() + 1, rows.end())) {
    SCOPED_TRACE(name);
    Invoice i = Base();
    Change(i, changes);
    const auto v = CheckInvoice(i);
    std::istringstream words(ids);
    const std::set<std::string> expected{std::istream_iterator<std::string>(words), {}};
    EXPECT_EQ(Ids(v), expected) << ViolationsText(v, false);
    // Every violation has a text in both languages and names its term.
    for (const auto& x : v) {
      EXPECT_FALSE(x.textEn.empty() || x.textDe.empty() || x.term.empty()) << x.rule;
      EXPECT_NE(x.textEn, x.rule) << "no text for " << x.rule;
    }
  }
}

TEST(RulesText, OneLinePerViolationInEitherLanguage) {
  Invoice i = Base();
  i.lines[1].itemName.clear();
  i.number.clear();
  const auto v = CheckInvoice(i);
  // Document first, then the lines, each with its term and line.
  EXPECT_EQ(
      ViolationsText(v, false),
      "BR-02: An Invoice shall have an Invoice number (BT-1) (BT-1)\n"
      "BR-25: Each Invoice line (BG-25) shall contain the Item name (BT-153) (BT-153, line 2)");
  EXPECT_EQ(ViolationsText(v, true),
            "BR-02: Eine Rechnung muss eine Rechnungsnummer (BT-1) haben (BT-1)\n"
            "BR-25: Jede Rechnungsposition (BG-25) muss einen Artikelnamen (BT-153) enthalten "
            "(BT-153, Zeile 2)");
  EXPECT_EQ(ViolationsText({}, false), "");
  // Values and numbers in the text.
  i = Base();
  i.currency = "EURO";
  i.totals.amountDue = D("291.56");
  const std::string text = ViolationsText(CheckInvoice(i), false);
  EXPECT_NE(text.find("BR-CL-04: Invoice currency code MUST be coded using ISO code list 4217 "
                      "alpha-3: \"EURO\" (BT-5)"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("BR-CO-16: Amount due for payment (BT-115) = Invoice total amount with VAT "
                      "(BT-112) -Paid amount (BT-113) +Rounding amount (BT-114): stated 291.56, "
                      "expected 291.55 (BT-115)"),
            std::string::npos)
      << text;
}

// Every rule the check reports has both texts, from the tables.
TEST(RulesTables, EveryRuleHasItsTexts) {
  for (const auto& t : rules::AllRuleTexts()) {
    EXPECT_FALSE(t.en.empty() || t.de.empty() || t.term.empty()) << t.id;
    EXPECT_EQ(rules::FindRuleText(t.id), &t);
  }
  EXPECT_EQ(rules::FindRuleText("BR-99"), nullptr);
  EXPECT_TRUE(rules::InCodeList(rules::CodeList::Iso4217, "EUR"));
  EXPECT_FALSE(rules::InCodeList(rules::CodeList::Iso4217, "eur"));
  EXPECT_TRUE(rules::InCodeList(rules::CodeList::Rec20, "C62"));
}

// Linear in the lines: 20,000 lines check in a small fraction of a second.
TEST(RulesCost, ManyLines) {
  Invoice i = Base();
  const Line line = i.lines[1];  // 50.00
  i.lines.clear();
  for (std::size_t r = 1; r <= 20000; ++r) {
    i.lines.push_back(line);
    i.lines.back().sourceRow = r;
    i.lines.back().id = std::to_string(r);
  }
  i.totals.lineNetTotal = D("1000000.00");
  i.totals.totalWithoutVat = i.vatBreakdown[0].taxableAmount = D("999995.00");
  Vat(i, "189999.05");
  const auto start = std::chrono::steady_clock::now();
  const auto v = CheckInvoice(i);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(v.empty()) << ViolationsText(v, false);
  EXPECT_LT(took.count(), 2.0) << "checking 20,000 lines took " << took.count() << " s";
}

}  // namespace
}  // namespace belvora::model
