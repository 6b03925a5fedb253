// The VAT breakdown and the document totals computed from the lines and the
// document allowances and charges (cases in tests/data/model/totals.tsv).

#include "model/InvoiceTotals.h"

#include <gtest/gtest.h>

#include <sstream>

#include "support/TempDir.h"

namespace belvora::model {
namespace {

std::vector<std::string> Split(const std::string& s, char by) {
  std::vector<std::string> out;
  std::istringstream in(s);
  for (std::string part; std::getline(in, part, by);) out.push_back(part);
  return out;
}

std::optional<Decimal> Opt(const std::string& text) { return Decimal::parse(text); }
std::string Opt(const std::optional<Decimal>& d) { return d ? d->text(2) : "-"; }

// Each group, then BT-106, 107, 108, 109, 110, 112, 115, 111.
std::string Computed(Invoice& inv) {
  ComputeTotals(inv);
  std::string out;
  for (const VatBreakdown& g : inv.vatBreakdown)
    out += g.category + " " + Opt(g.rate) + ": " + g.taxableAmount.text(2) + " -> " +
           g.taxAmount.text(2) + (g.exemptionReason.empty() ? "" : " " + g.exemptionReason) + "; ";
  const Totals& t = inv.totals;
  return out + t.lineNetTotal.text(2) + " " + Opt(t.allowanceTotal) + " " + Opt(t.chargeTotal) +
         " " + t.totalWithoutVat.text(2) + " " + Opt(t.vatTotal) + " " + t.totalWithVat.text(2) +
         " " + t.amountDue.text(2) + " " + Opt(t.vatTotalInAccountingCurrency);
}

TEST(ComputeTotals, GroupsAndTotals) {
  std::istringstream rows(test::readAll(BELVORA_TEST_DATA_DIR "/model/totals.tsv"));
  int cases = 0;
  for (std::string row; std::getline(rows, row);) {
    if (row.empty() || row[0] == '#') continue;
    const auto f = Split(row, '|');
    ASSERT_EQ(f.size(), 6u) << row;
    SCOPED_TRACE(f[0]);
    Invoice inv;
    for (int kind = 0; kind < 3; ++kind)
      for (const auto& amount : Split(f[1 + kind], ',')) {
        std::istringstream words(amount);
        std::string net, category, rate;
        words >> net >> category >> rate;
        if (kind == 0) {
          Line& l = inv.lines.emplace_back();
          l.netAmount = Opt(net);
          l.vatCategory = category;
          l.vatRate = Opt(rate);
        } else {
          inv.allowancesCharges.push_back(
              {kind == 2, Opt(net), {}, {}, category, Opt(rate), "", ""});
        }
      }
    inv.exemptions = {{"E", "Steuerfrei", ""}, {"E", "not the first", ""}};
    if (const auto inputs = Split(f[4], ' '); inputs.size() == 3) {
      inv.totals.paidAmount = Opt(inputs[0]);
      inv.totals.roundingAmount = Opt(inputs[1]);
      inv.totals.vatTotalInAccountingCurrency = Opt(inputs[2]);
    }
    EXPECT_EQ(Computed(inv), f[5]);
    EXPECT_EQ(Computed(inv), f[5]);
    ++cases;
  }
  EXPECT_EQ(cases, 10);
}

}  // namespace
}  // namespace belvora::model
