// The VAT breakdown and the document totals computed from lines and
// document allowances and charges.

#include "model/InvoiceTotals.h"

#include <gtest/gtest.h>

namespace belvora::model {
namespace {

Decimal D(const char* text) { return *Decimal::parse(text); }

Line L(const char* net, const char* category, const char* rate) {
  Line l;
  l.netAmount = D(net);
  l.vatCategory = category;
  if (rate) l.vatRate = D(rate);
  return l;
}

AllowanceCharge AC(bool charge, const char* amount, const char* category, const char* rate) {
  AllowanceCharge ac;
  ac.charge = charge;
  ac.amount = D(amount);
  ac.vatCategory = category;
  if (rate) ac.vatRate = D(rate);
  return ac;
}

// A group as "category rate: basis -> tax", the rate as written ("-" for none).
std::vector<std::string> Groups(const Invoice& inv) {
  std::vector<std::string> out;
  for (const VatBreakdown& g : inv.vatBreakdown)
    out.push_back(g.category + " " + (g.rate ? g.rate->text(2) : "-") + ": " +
                  g.taxableAmount.text(2) + " -> " + g.taxAmount.text(2));
  return out;
}

std::string Opt(const std::optional<Decimal>& d) { return d ? d->text(2) : "-"; }

// BT-106 / 107 / 108 / 109 / 110 / 112 / 115.
std::string Totals(const Invoice& inv) {
  const auto& t = inv.totals;
  return t.lineNetTotal.text(2) + " " + Opt(t.allowanceTotal) + " " + Opt(t.chargeTotal) + " " +
         t.totalWithoutVat.text(2) + " " + Opt(t.vatTotal) + " " + t.totalWithVat.text(2) + " " +
         t.amountDue.text(2);
}

struct Case {
  const char* name;
  std::vector<Line> lines;
  std::vector<AllowanceCharge> allowancesCharges;
  std::vector<std::string> groups;
  std::string totals;
};

class ComputedTotals : public testing::TestWithParam<Case> {};

TEST_P(ComputedTotals, GroupsAndTotals) {
  Invoice inv;
  inv.lines = GetParam().lines;
  inv.allowancesCharges = GetParam().allowancesCharges;
  ComputeTotals(inv);
  EXPECT_EQ(Groups(inv), GetParam().groups);
  EXPECT_EQ(Totals(inv), GetParam().totals);
}

INSTANTIATE_TEST_SUITE_P(
    Model, ComputedTotals,
    testing::Values(
        Case{"RatesInOrderOfFirstAppearance",
             {L("100", "S", "19"), L("50", "S", "7"), L("20", "S", "19.00")},
             {},
             {"S 19.00: 120.00 -> 22.80", "S 7.00: 50.00 -> 3.50"},
             "170.00 - - 170.00 26.30 196.30 196.30"},
        // Zero-rated and exempt lines at 0 % are two groups, not one.
        Case{"CategoriesAtOneRateStaySeparate",
             {L("10", "E", "0"), L("30", "S", "19"), L("5", "Z", "0"), L("2", "E", "0.0")},
             {},
             {"E 0.00: 12.00 -> 0.00", "S 19.00: 30.00 -> 5.70", "Z 0.00: 5.00 -> 0.00"},
             "47.00 - - 47.00 5.70 52.70 52.70"},
        Case{"NotSubjectToVatStatesZeroPercent",
             {L("10", "O", nullptr), L("5", "O", nullptr)},
             {},
             {"O 0.00: 15.00 -> 0.00"},
             "15.00 - - 15.00 0.00 15.00 15.00"},
        // Charges raise their group and the totals; an allowance of a rate
        // without lines makes a group of its own.
        Case{"DocumentAllowancesAndCharges",
             {L("100", "S", "19"), L("50", "S", "7")},
             {AC(false, "10", "S", "19"), AC(true, "5", "S", "7"), AC(true, "2", "Z", "0"),
              AC(false, "1.50", "S", "19")},
             {"S 19.00: 88.50 -> 16.82", "S 7.00: 55.00 -> 3.85", "Z 0.00: 2.00 -> 0.00"},
             "150.00 11.50 7.00 145.50 20.67 166.17 166.17"},
        Case{"OnlyChargesGiveNoAllowanceTotal",
             {L("100", "S", "19")},
             {AC(true, "5", "S", "19")},
             {"S 19.00: 105.00 -> 19.95"},
             "100.00 - 5.00 105.00 19.95 124.95 124.95"},
        // Each group's tax is rounded on its own (BR-CO-17), halves away
        // from zero; the total is the sum of the rounded taxes (BR-CO-14).
        Case{"TaxRoundedPerGroup",
             {L("0.05", "S", "10"), L("0.10", "S", "5")},
             {},
             {"S 10.00: 0.05 -> 0.01", "S 5.00: 0.10 -> 0.01"},
             "0.15 - - 0.15 0.02 0.17 0.17"},
        Case{"NegativeHalvesRoundAwayFromZero",
             {L("-23.45", "S", "10")},
             {},
             {"S 10.00: -23.45 -> -2.35"},
             "-23.45 - - -23.45 -2.35 -25.80 -25.80"},
        Case{"ExactDecimals",
             {L("0.1", "S", "19"), L("0.2", "S", "19"), L("9999999999.99", "S", "19")},
             {},
             {"S 19.00: 10000000000.29 -> 1900000000.06"},
             "10000000000.29 - - 10000000000.29 1900000000.06 11900000000.35 11900000000.35"},
        Case{"NoLines", {}, {}, {}, "0.00 - - 0.00 0.00 0.00 0.00"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ComputeTotals, PaidAndRoundingAmountsAreKeptAndCounted) {
  Invoice inv;
  inv.lines = {L("100", "S", "19")};
  inv.totals.paidAmount = D("50");
  inv.totals.roundingAmount = D("0.01");
  inv.totals.vatTotalInAccountingCurrency = D("12.34");
  ComputeTotals(inv);
  EXPECT_EQ(inv.totals.amountDue.text(2), "69.01");
  // Computed again from scratch: no group twice, the inputs still there.
  ComputeTotals(inv);
  EXPECT_EQ(Groups(inv), std::vector<std::string>{"S 19.00: 100.00 -> 19.00"});
  EXPECT_EQ(inv.totals.amountDue.text(2), "69.01");
  EXPECT_EQ(Opt(inv.totals.vatTotalInAccountingCurrency), "12.34");
}

TEST(ComputeTotals, ExemptionReasonsGoToTheGroupsOfTheirCategory) {
  Invoice inv;
  inv.lines = {L("10", "E", "0"), L("20", "S", "19"), L("30", "AE", "0")};
  inv.exemptions = {{"AE", "Reverse charge", "VATEX-EU-AE"}, {"E", "Steuerfrei", ""}};
  ComputeTotals(inv);
  ASSERT_EQ(inv.vatBreakdown.size(), 3u);
  EXPECT_EQ(inv.vatBreakdown[0].exemptionReason, "Steuerfrei");
  EXPECT_EQ(inv.vatBreakdown[0].exemptionReasonCode, "");
  EXPECT_EQ(inv.vatBreakdown[1].exemptionReason, "");
  EXPECT_EQ(inv.vatBreakdown[2].exemptionReason, "Reverse charge");
  EXPECT_EQ(inv.vatBreakdown[2].exemptionReasonCode, "VATEX-EU-AE");
}

}  // namespace
}  // namespace belvora::model
