#include "model/InvoiceTotals.h"

#include <cstdint>
#include <map>
#include <tuple>

namespace belvora::model {
namespace {

// A VAT group is one category at one rate; 19 and 19.00 are the same rate,
// and a category without a rate (O) is a group of its own.
using GroupKey = std::tuple<std::string, bool, std::int64_t, int>;

GroupKey KeyOf(const std::string& category, const std::optional<Decimal>& rate) {
  if (!rate) return {category, false, 0, 0};
  const Decimal r = rate->normalized();
  return {category, true, r.units(), r.scale()};
}

class Groups {
 public:
  explicit Groups(std::vector<VatBreakdown>& out) : out_(out) {}

  VatBreakdown& of(const std::string& category, const std::optional<Decimal>& rate) {
    auto [it, inserted] = index_.try_emplace(KeyOf(category, rate), out_.size());
    if (inserted) {
      VatBreakdown& g = out_.emplace_back();
      g.category = category;
      g.rate = rate;
    }
    return out_[it->second];
  }

 private:
  std::vector<VatBreakdown>& out_;
  std::map<GroupKey, std::size_t> index_;
};

}  // namespace

void ComputeTotals(Invoice& invoice) {
  invoice.vatBreakdown.clear();
  Groups groups(invoice.vatBreakdown);
  Totals& t = invoice.totals;

  t.lineNetTotal = Decimal();
  for (const Line& line : invoice.lines) {
    VatBreakdown& g = groups.of(line.vatCategory, line.vatRate);
    if (!line.netAmount) continue;  // a missing net amount is the rules' to report
    g.taxableAmount += *line.netAmount;
    t.lineNetTotal += *line.netAmount;
  }

  t.allowanceTotal.reset();
  t.chargeTotal.reset();
  for (const AllowanceCharge& ac : invoice.allowancesCharges) {
    VatBreakdown& g = groups.of(ac.vatCategory, ac.vatRate);
    std::optional<Decimal>& total = ac.charge ? t.chargeTotal : t.allowanceTotal;
    if (!total) total = Decimal();
    if (!ac.amount) continue;
    *total += *ac.amount;
    if (ac.charge)
      g.taxableAmount += *ac.amount;
    else
      g.taxableAmount -= *ac.amount;
  }

  Decimal vat;
  for (VatBreakdown& g : invoice.vatBreakdown) {
    // Not subject to VAT: its lines carry no rate (BR-O-05), its group
    // states 0 % (BR-DE-14 wants a rate in every group).
    if (g.category == "O" && !g.rate) g.rate = Decimal::fromUnits(0, 0);
    // Each group's tax is rounded on its own; the total is their sum.
    g.taxAmount = g.rate ? text::PercentOf(g.taxableAmount, *g.rate, 2) : Decimal::fromUnits(0, 2);
    vat += g.taxAmount;
    for (const Invoice::Exemption& e : invoice.exemptions) {
      if (e.category != g.category) continue;
      g.exemptionReason = e.reason;
      g.exemptionReasonCode = e.reasonCode;
      break;
    }
  }

  t.totalWithoutVat = t.lineNetTotal;
  if (t.allowanceTotal) t.totalWithoutVat -= *t.allowanceTotal;
  if (t.chargeTotal) t.totalWithoutVat += *t.chargeTotal;
  t.vatTotal = vat;
  t.totalWithVat = t.totalWithoutVat + vat;
  t.amountDue = t.totalWithVat;
  if (t.paidAmount) t.amountDue -= *t.paidAmount;
  if (t.roundingAmount) t.amountDue += *t.roundingAmount;
}

}  // namespace belvora::model
