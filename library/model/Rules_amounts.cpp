// The document totals (BG-22): BR-CO-10 to -16, their decimals, and the
// totals the source stated against the computed ones.

#include <algorithm>
#include <stdexcept>
#include <vector>

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
    if (!t.vatTotal || !Has(inv_.currency)) return;
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
  CheckCurrencies();
}

void Checker::CheckCurrencies() {
  // The VAT totals carry their currency: BT-110 that of BT-5, BT-111 that of
  // BT-6. The rules select totals by currency, so where BT-6 equals BT-5
  // (itself a fault) BT-110 is a total in the accounting currency too.
  const Totals& t = inv_.totals;
  const std::string_view invoice = Trim(inv_.currency);
  const std::string_view accounting = Trim(inv_.vatAccountingCurrency);
  std::vector<Decimal> inInvoice, inAccounting;
  if (t.vatTotal && !invoice.empty()) inInvoice.push_back(*t.vatTotal);
  if (t.vatTotalInAccountingCurrency) inAccounting.push_back(*t.vatTotalInAccountingCurrency);
  if (t.vatTotal && !accounting.empty() && accounting == invoice)
    inAccounting.push_back(*t.vatTotal);
  const bool anyTotal = t.vatTotal || t.vatTotalInAccountingCurrency;
  auto any = [](const std::vector<Decimal>& v, auto&& test) {
    return std::any_of(v.begin(), v.end(), test);
  };
  auto fits = [](const Decimal& d) { return d.fits(2); };

  if (!accounting.empty() && (inAccounting.empty() || accounting == invoice)) Add("BR-53");
  // BR-DEC-13 and -15 pass when any VAT total passes.
  if (!inInvoice.empty() && !any(inInvoice, fits) &&
      !(t.vatTotalInAccountingCurrency && accounting != invoice))
    Add("BR-DEC-13", {}, std::nullopt, Value(t.vatTotal->text()));
  if (anyTotal && !accounting.empty() && !any(inAccounting, fits))
    Add("BR-DEC-15", {}, std::nullopt,
        t.vatTotalInAccountingCurrency ? Value(t.vatTotalInAccountingCurrency->text()) : Detail{});
  if (!XRechnung()) return;
  if (!accounting.empty() && accounting == invoice) Add("PEPPOL-EN16931-R005");
  // R054 counts the totals in a currency other than BT-5's: none without BT-5.
  const bool other = !invoice.empty() && t.vatTotalInAccountingCurrency && accounting != invoice;
  if (other != !accounting.empty()) Add("PEPPOL-EN16931-R054");
  if (!accounting.empty() && !inInvoice.empty()) {
    auto negative = [](const Decimal& d) { return d.isNegative(); };
    auto positive = [](const Decimal& d) { return !d.isNegative(); };
    if (!((any(inAccounting, negative) && any(inInvoice, negative)) ||
          (any(inAccounting, positive) && any(inInvoice, positive))))
      Add("PEPPOL-EN16931-R055");
  }
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
