// The VAT breakdown and the document totals computed from the lines and the
// document allowances and charges.

#include "model/InvoiceTotals.h"

#include <gtest/gtest.h>

namespace belvora::model {
namespace {

Decimal D(const char* text) { return *Decimal::parse(text); }

// A line (or, with `charge` set, a document allowance/charge) as
// "net category rate", the rate "-" for none.
struct Amount {
  const char* net;
  const char* category;
  const char* rate;
};

std::optional<Decimal> Rate(const char* r) {
  return *r == '-' ? std::nullopt : std::optional(D(r));
}

std::string Opt(const std::optional<Decimal>& d) { return d ? d->text(2) : "-"; }

// Each group as "category rate: basis -> tax", then BT-106, 107, 108, 109,
// 110, 112, 115.
std::string Computed(Invoice& inv) {
  ComputeTotals(inv);
  std::string out;
  for (const VatBreakdown& g : inv.vatBreakdown)
    out += g.category + " " + Opt(g.rate) + ": " + g.taxableAmount.text(2) + " -> " +
           g.taxAmount.text(2) + (g.exemptionReason.empty() ? "" : " " + g.exemptionReason) + "; ";
  const Totals& t = inv.totals;
  return out + t.lineNetTotal.text(2) + " " + Opt(t.allowanceTotal) + " " + Opt(t.chargeTotal) +
         " " + t.totalWithoutVat.text(2) + " " + Opt(t.vatTotal) + " " + t.totalWithVat.text(2) +
         " " + t.amountDue.text(2);
}

struct Case {
  const char* name;
  std::vector<Amount> lines, allowances, charges;
  std::string expected;
};

class ComputedTotals : public testing::TestWithParam<Case> {};

TEST_P(ComputedTotals, GroupsAndTotals) {
  Invoice inv;
  for (const Amount& a : GetParam().lines) {
    Line& l = inv.lines.emplace_back();
    l.netAmount = D(a.net);
    l.vatCategory = a.category;
    l.vatRate = Rate(a.rate);
  }
  for (bool charge : {false, true})
    for (const Amount& a : charge ? GetParam().charges : GetParam().allowances)
      inv.allowancesCharges.push_back({charge, D(a.net), {}, {}, a.category, Rate(a.rate), "", ""});
  inv.exemptions = {{"E", "Steuerfrei", ""}, {"E", "not the first", ""}};
  EXPECT_EQ(Computed(inv), GetParam().expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Model, ComputedTotals, testing::Values(
    Case{"RatesInOrderOfFirstAppearance", {{"100", "S", "19"}, {"50", "S", "7"}, {"20", "S", "19.00"}}, {}, {},
         "S 19.00: 120.00 -> 22.80; S 7.00: 50.00 -> 3.50; 170.00 - - 170.00 26.30 196.30 196.30"},
    // Zero-rated and exempt lines at 0 % are two groups, not one.
    Case{"CategoriesAtOneRateStaySeparate", {{"10", "E", "0"}, {"30", "S", "19"}, {"5", "Z", "0"}, {"2", "E", "0.0"}}, {}, {},
         "E 0.00: 12.00 -> 0.00 Steuerfrei; S 19.00: 30.00 -> 5.70; Z 0.00: 5.00 -> 0.00; "
         "47.00 - - 47.00 5.70 52.70 52.70"},
    Case{"NotSubjectToVatStatesZeroPercent", {{"10", "O", "-"}, {"5", "O", "-"}}, {}, {},
         "O 0.00: 15.00 -> 0.00; 15.00 - - 15.00 0.00 15.00 15.00"},
    // Charges raise their group and the totals; a rate without lines makes a group.
    Case{"DocumentAllowancesAndCharges", {{"100", "S", "19"}, {"50", "S", "7"}},
         {{"10", "S", "19"}, {"1.50", "S", "19"}}, {{"5", "S", "7"}, {"2", "Z", "0"}},
         "S 19.00: 88.50 -> 16.82; S 7.00: 55.00 -> 3.85; Z 0.00: 2.00 -> 0.00; "
         "150.00 11.50 7.00 145.50 20.67 166.17 166.17"},
    Case{"OnlyCharges", {{"100", "S", "19"}}, {}, {{"5", "S", "19"}},
         "S 19.00: 105.00 -> 19.95; 100.00 - 5.00 105.00 19.95 124.95 124.95"},
    // Each group's tax is rounded on its own, halves away from zero; the
    // total is the sum of the rounded taxes (BR-CO-14, -17).
    Case{"TaxRoundedPerGroup", {{"0.05", "S", "10"}, {"0.10", "S", "5"}}, {}, {},
         "S 10.00: 0.05 -> 0.01; S 5.00: 0.10 -> 0.01; 0.15 - - 0.15 0.02 0.17 0.17"},
    Case{"NegativeHalvesAwayFromZero", {{"-23.45", "S", "10"}}, {}, {},
         "S 10.00: -23.45 -> -2.35; -23.45 - - -23.45 -2.35 -25.80 -25.80"},
    Case{"ExactDecimals", {{"0.1", "S", "19"}, {"0.2", "S", "19"}, {"9999999999.99", "S", "19"}}, {}, {},
         "S 19.00: 10000000000.29 -> 1900000000.06; "
         "10000000000.29 - - 10000000000.29 1900000000.06 11900000000.35 11900000000.35"},
    Case{"NoLines", {}, {}, {}, "0.00 - - 0.00 0.00 0.00 0.00"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// Paid and rounding amounts are inputs; computing again starts afresh.
TEST(ComputeTotals, KeepsItsInputsAndComputesAgainFromScratch) {
  Invoice inv;
  inv.lines.push_back({});
  inv.lines[0].netAmount = D("100");
  inv.lines[0].vatCategory = "S";
  inv.lines[0].vatRate = D("19");
  inv.totals.paidAmount = D("50");
  inv.totals.roundingAmount = D("0.01");
  inv.totals.vatTotalInAccountingCurrency = D("12.34");
  const std::string expected = "S 19.00: 100.00 -> 19.00; 100.00 - - 100.00 19.00 119.00 69.01";
  EXPECT_EQ(Computed(inv), expected);
  EXPECT_EQ(Computed(inv), expected);
  EXPECT_EQ(Opt(inv.totals.vatTotalInAccountingCurrency), "12.34");
}

}  // namespace
}  // namespace belvora::model
