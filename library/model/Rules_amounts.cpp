// The document totals (BG-22): BR-CO-10 to -16, their decimals, and the
// totals the source stated against the computed ones.

#include <stdexcept>

#include "model/RulesCheck.h"

namespace belvora::model::rules {
namespace {

bool TooPrecise(const Decimal& d) { return d.scale() > 2; }
bool TooPrecise(const std::optional<Decimal>& d) { return d && d->scale() > 2; }

Exact Or0(const std::optional<Decimal>& d) { return d ? Exact(*d) : Exact(); }

}  // namespace

void Checker::CheckTotals() {
  const Totals& t = inv_.totals;
  // Each rule on its own, so that a number out of range fails only it.
  auto rule = [&](std::string_view id, std::string_view term, auto&& check) {
    try {
      check();
    } catch (const std::overflow_error&) {
      Overflow(id, term);
    }
  };
  rule("BR-CO-10", "BT-106", [&] {
    const Exact expected = lineNetSum_.Round(2);
    if (!(Exact(t.lineNetTotal) == expected))
      Add("BR-CO-10", {}, std::nullopt, Numbers(t.lineNetTotal, expected));
  });
  Exact allowances, charges;
  bool anyAllowance = false, anyCharge = false;
  rule("BR-CO-11", "BT-107", [&] {
    for (const auto& ac : inv_.allowancesCharges) {
      (ac.charge ? anyCharge : anyAllowance) = true;
      (ac.charge ? charges : allowances) += Or0(ac.amount);
    }
  });
  auto documentSum = [&](std::string_view id, bool any, const std::optional<Decimal>& stated,
                         const Exact& sum) {
    if (!any && !stated) return;
    const Exact expected = sum.Round(2);
    if (!stated)
      Add(id);
    else if (!(Exact(*stated) == expected))
      Add(id, {}, std::nullopt, Numbers(*stated, expected));
  };
  rule("BR-CO-11", "BT-107",
       [&] { documentSum("BR-CO-11", anyAllowance, t.allowanceTotal, allowances); });
  rule("BR-CO-12", "BT-108", [&] { documentSum("BR-CO-12", anyCharge, t.chargeTotal, charges); });
  rule("BR-CO-13", "BT-109", [&] {
    const Exact expected =
        (Exact(t.lineNetTotal) - Or0(t.allowanceTotal) + Or0(t.chargeTotal)).Round(2);
    if (!(Exact(t.totalWithoutVat) == expected))
      Add("BR-CO-13", {}, std::nullopt, Numbers(t.totalWithoutVat, expected));
  });
  rule("BR-CO-14", "BT-110", [&] {
    if (!t.vatTotal) return;
    Exact sum;
    for (const auto& g : inv_.vatBreakdown) sum += g.taxAmount;
    if (!(Exact(*t.vatTotal) == sum.Round(2)))
      Add("BR-CO-14", {}, std::nullopt, Numbers(*t.vatTotal, sum.Round(2)));
  });
  rule("BR-CO-15", "BT-112", [&] {
    if (!Has(inv_.currency)) return;  // the rule runs once per currency code
    const Exact withVat = t.totalWithVat, without = t.totalWithoutVat;
    const Exact expected = t.vatTotal ? (without + *t.vatTotal).Round(2) : without;
    if (!(withVat == expected) && !(withVat == without))
      Add("BR-CO-15", {}, std::nullopt, Numbers(withVat, expected));
  });
  rule("BR-CO-16", "BT-115", [&] {
    const Exact expected = Exact(t.totalWithVat) - Or0(t.paidAmount) + Or0(t.roundingAmount);
    if (!(Exact(t.amountDue) == expected))
      Add("BR-CO-16", {}, std::nullopt, Numbers(t.amountDue, expected));
  });

  // Decimals as written; the two VAT totals are compared as numbers.
  if (TooPrecise(t.lineNetTotal)) Add("BR-DEC-09", {}, std::nullopt, Value(t.lineNetTotal.text()));
  if (TooPrecise(t.allowanceTotal))
    Add("BR-DEC-10", {}, std::nullopt, Value(t.allowanceTotal->text()));
  if (TooPrecise(t.chargeTotal)) Add("BR-DEC-11", {}, std::nullopt, Value(t.chargeTotal->text()));
  if (TooPrecise(t.totalWithoutVat))
    Add("BR-DEC-12", {}, std::nullopt, Value(t.totalWithoutVat.text()));
  if (TooPrecise(t.totalWithVat)) Add("BR-DEC-14", {}, std::nullopt, Value(t.totalWithVat.text()));
  if (TooPrecise(t.paidAmount)) Add("BR-DEC-16", {}, std::nullopt, Value(t.paidAmount->text()));
  if (TooPrecise(t.roundingAmount))
    Add("BR-DEC-17", {}, std::nullopt, Value(t.roundingAmount->text()));
  if (TooPrecise(t.amountDue)) Add("BR-DEC-18", {}, std::nullopt, Value(t.amountDue.text()));
  const auto& vat = t.vatTotal;
  const auto& accounting = t.vatTotalInAccountingCurrency;
  // BR-DEC-13 passes when any VAT total passes: one in another currency does.
  if (vat && !vat->fits(2) && !accounting) Add("BR-DEC-13", {}, std::nullopt, Value(vat->text()));
  if (Has(inv_.vatAccountingCurrency) && (vat || accounting) &&
      !(accounting && accounting->fits(2)))
    Add("BR-DEC-15", {}, std::nullopt, accounting ? Value(accounting->text()) : Detail{});
}

void Checker::CheckStated() {
  const StatedTotals& s = inv_.stated;
  const Totals& t = inv_.totals;
  auto compare = [&](const std::optional<Decimal>& stated, const std::optional<Decimal>& computed,
                     std::string_view term) {
    if (!stated) return;
    if (computed && *stated == *computed) return;
    const std::string c = computed ? computed->text(2) : "-";
    Add("BELVORA-TOTALS", term, std::nullopt,
        {"stated " + stated->text(2) + ", computed " + c,
         "angegeben " + stated->text(2) + ", berechnet " + c});
  };
  compare(s.totalWithoutVat, t.totalWithoutVat, "BT-109");
  compare(s.vatTotal, t.vatTotal, "BT-110");
  compare(s.totalWithVat, t.totalWithVat, "BT-112");
  compare(s.amountDue, t.amountDue, "BT-115");
}

}  // namespace belvora::model::rules
