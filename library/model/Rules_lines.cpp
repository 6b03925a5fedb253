// Rules on the invoice lines (BG-25 to BG-32), checked in one pass that also
// gathers the sums the VAT breakdown and the totals are checked against.

#include <stdexcept>

#include "model/RulesCheck.h"

namespace belvora::model::rules {
namespace {

// More than two decimals as written (the rules count the digits of the text).
bool TooPrecise(const std::optional<Decimal>& d) { return d && d->scale() > 2; }

}  // namespace

void Checker::CheckLines() {
  if (inv_.lines.empty()) Add("BR-16");
  for (const Line& line : inv_.lines) CheckLine(line);
}

void Checker::CheckLine(const Line& line) {
  const std::size_t row = line.sourceRow;
  if (!Has(line.id)) Add("BR-21", {}, row);
  if (!line.quantity) Add("BR-22", {}, row);
  if (!Has(line.unitCode)) Add("BR-23", {}, row);
  if (!line.netAmount) Add("BR-24", {}, row);
  if (!Has(line.itemName)) Add("BR-25", {}, row);
  if (!line.netPrice) Add("BR-26", {}, row);
  // An absent net price is not ">= 0" either.
  if (!line.netPrice || line.netPrice->isNegative()) Add("BR-27", {}, row);
  if (line.grossPrice && line.grossPrice->isNegative()) Add("BR-28", {}, row);
  if (Has(line.standardId) && !Has(line.standardId.scheme)) Add("BR-64", {}, row);
  for (const auto& c : line.classifications)
    if (Has(c.code) && !Has(c.listId)) Add("BR-65", {}, row);
  if (!Has(line.vatCategory)) Add("BR-CO-04", {}, row);
  if (TooPrecise(line.netAmount)) Add("BR-DEC-23", {}, row, Value(line.netAmount->text()));
  const Period& p = line.period;
  if (p.start && p.end && DateKey(*p.end) < DateKey(*p.start)) Add("BR-30", {}, row);
  for (const auto& a : line.attributes)
    if (!Has(a.name) || !Has(a.value)) Add("BR-54", "BG-32", row);
  for (const auto& ac : line.allowancesCharges) CheckLineAllowanceCharge(line, ac);

  const std::string_view cat = Trim(line.vatCategory);
  CheckCategory(cat, line.vatRate, 2, row);
  if (Has(line.vatCategory)) lines_.Add(cat, line.vatRate, line.netAmount);
  try {
    if (line.netAmount) lineNetSum_ += *line.netAmount;
  } catch (const std::overflow_error&) {
    Overflow("BR-CO-10", "BT-131");
  }
}

void Checker::CheckLineAllowanceCharge(const Line& line, const AllowanceCharge& ac) {
  const std::size_t row = line.sourceRow;
  const bool reason = Has(ac.reason) || Has(ac.reasonCode);
  if (ac.charge) {
    if (!ac.amount) Add("BR-43", {}, row);
    if (!reason) {
      Add("BR-44", {}, row);
      Add("BR-CO-24", {}, row);
    }
    if (TooPrecise(ac.amount)) Add("BR-DEC-27", {}, row, Value(ac.amount->text()));
    if (TooPrecise(ac.baseAmount)) Add("BR-DEC-28", {}, row, Value(ac.baseAmount->text()));
  } else {
    if (!ac.amount) Add("BR-41", {}, row);
    if (!reason) {
      Add("BR-42", {}, row);
      Add("BR-CO-23", {}, row);
    }
    if (TooPrecise(ac.amount)) Add("BR-DEC-24", {}, row, Value(ac.amount->text()));
    if (TooPrecise(ac.baseAmount)) Add("BR-DEC-25", {}, row, Value(ac.baseAmount->text()));
  }
}

}  // namespace belvora::model::rules
