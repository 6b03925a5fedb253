// The header trade settlement: payment means, VAT breakdown, billing period,
// document allowances, payment terms, monetary summation and the closing tags.

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "platform/sys/Clock.h"
#include "platform/ui/Interaction.h"
#include "text/Texte.h"
#include "writer/InvoiceWriterState.h"

namespace belvora::writer {

using namespace text;

namespace {

const std::string kFalse = "FALSE()";

// The payment means code as a whole number (halves to even, as the platform
// converts); an empty code gives the fallback.
int PaymentMeansCode(const std::string& held, int fallback) {
  if (held.empty()) return fallback;
  auto number = ParseNumber(held);
  if (!number)
    throw std::runtime_error("Type mismatch: the payment means code '" + held + "' is no number");
  double rounded = std::nearbyint(*number);  // default rounding mode: to even
  if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max())
    throw std::overflow_error("Overflow: the payment means code '" + held + "' is too large");
  return static_cast<int>(rounded);
}

// The first `count` characters (not bytes) of a UTF-8 text.
std::string FirstCharacters(const std::string& text, size_t count) {
  size_t i = 0;
  while (i < text.size() && count > 0) {
    ++i;
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    --count;
  }
  return text.substr(0, i);
}

db::Date StrictDate(const std::string& held, const char* column) {
  if (auto d = ParseDate(held)) return *d;
  throw std::runtime_error(std::string("Type mismatch: column '") + column + "' holds no date ('" +
                           held + "')");
}

db::Date Today() {
  auto t = sys::today();
  db::Date d;
  d.year = static_cast<int>(t.year());
  d.month = static_cast<int>(static_cast<unsigned>(t.month()));
  d.day = static_cast<int>(static_cast<unsigned>(t.day()));
  return d;
}

void DateLine(InvoiceWriter::State& s, int tabs, const db::Date& d) {
  s.element(tabs, "udt:DateTimeString", DateText102(d), "format=\"102\"");
}

const std::string kZeroRated = "Z";
const std::string kStandard = "S";

// The category the lines of a group share, else "Z" for 0 % and "S".
const std::string& CategoryOf(const TaxGroup& g) {
  if (g.lineCount > 0 && !g.mixedCategories && !g.category.empty()) return g.category;
  if (g.lineCount == 0 && !g.allowanceCategory.empty()) return g.allowanceCategory;
  return g.rate == 0 ? kZeroRated : kStandard;
}

}  // namespace

void InvoiceWriter::writeSettlement() {
  State& s = *state_;
  const model::SourceValues& v = s.values;
  int code = PaymentMeansCode(v.BT81, 30);
  bool transfer = code == 0 || code == 30 || code == 58;
  bool supported = transfer || code == 48 || code == 49 || code == 59;
  // Card (48) and direct debit (59) carry no payee institution, and the card
  // no creditor or payer data: XRechnung 3.0 rejects those groups there.
  bool creditor = code == 49 || code == 59;
  bool card = code == 48 || code == 49;
  bool payer = code == 49 || code == 59;
  bool payeeAccount = transfer || (!supported && !v.BT84.empty());
  bool payeeInstitution = transfer || (!supported && !v.BT86.empty());

  s.line(2, "</ram:ApplicableHeaderTradeAgreement>");
  s.line(2, "<ram:ApplicableHeaderTradeDelivery/>");
  s.line(2, "<ram:ApplicableHeaderTradeSettlement>");
  if (creditor) s.element(3, "ram:CreditorReferenceID", Or(v.BT90, kFalse));
  s.element(3, "ram:PaymentReference", v.BT83.empty() ? kFalse : EscapeXmlText(v.BT83));
  s.line(3, "<ram:InvoiceCurrencyCode>EUR</ram:InvoiceCurrencyCode>");
  s.line(3, "<ram:SpecifiedTradeSettlementPaymentMeans>");
  s.element(4, "ram:TypeCode", v.BT81.empty() ? std::string("30") : EscapeXmlText(v.BT81));
  s.element(4, "ram:Information", v.BT82.empty() ? kFalse : EscapeXmlText(v.BT82));
  if (card) {
    s.line(4, "<ram:ApplicableTradeSettlementFinancialCard>");
    s.element(5, "ram:ID", EscapeXmlText(FirstCharacters(v.BT87, 10)));
    s.element(5, "ram:CardholderName", v.BT88);
    s.line(4, "</ram:ApplicableTradeSettlementFinancialCard>");
  }
  if (payer) {
    s.line(4, "<ram:PayerPartyDebtorFinancialAccount>");
    s.element(5, "ram:IBANID", Or(v.BT91, kFalse));
    s.line(4, "</ram:PayerPartyDebtorFinancialAccount>");
  }
  if (payeeAccount) {
    s.line(4, "<ram:PayeePartyCreditorFinancialAccount>");
    s.element(5, "ram:IBANID", EscapeXmlText(v.BT84));
    s.element(5, "ram:AccountName", v.BT85);
    s.line(4, "</ram:PayeePartyCreditorFinancialAccount>");
  }
  if (payeeInstitution) {
    s.line(4, "<ram:PayeeSpecifiedCreditorFinancialInstitution>");
    s.element(5, "ram:BICID", v.BT86);
    s.line(4, "</ram:PayeeSpecifiedCreditorFinancialInstitution>");
  }
  s.line(3, "</ram:SpecifiedTradeSettlementPaymentMeans>");
}

void InvoiceWriter::writeTaxBreakdown() {
  State& s = *state_;
  s.taxBasisTotalCents = 0;
  s.taxTotalCents = 0;
  s.collectTaxOnly();
  if (s.tax.failure()) {
    ui::current().message(kDefaultTitle, *s.tax.failure(), ui::Icon::Critical);
    return;
  }
  // Document allowances reduce the basis of the group of their rate, so that
  // the breakdown and the totals agree (BR-CO-13, BR-S-08).
  for (const AllowanceEntry& e : s.tax.allowances()) {
    auto rate = ParseNumber(e.rate);
    if (!rate) continue;
    TaxGroup& g = s.tax.group(*rate);
    g.basisCents -= e.amountCents;
    if (g.lineCount == 0 && g.allowanceCategory.empty()) g.allowanceCategory = e.category;
  }
  for (const TaxGroup& g : s.tax.groups()) {
    const std::string& category = CategoryOf(g);
    std::int64_t taxCents =
        ToCents(RoundAmount(static_cast<double>(g.basisCents) * g.rate / 10000.0, 2));
    s.taxBasisTotalCents += g.basisCents;
    s.taxTotalCents += taxCents;  // the sum of the rounded group taxes (BR-CO-14)
    s.line(2, "<ram:ApplicableTradeTax>");
    s.element(3, "ram:CalculatedAmount", CentsText(taxCents));
    s.line(3, "<ram:TypeCode>VAT</ram:TypeCode>");
    s.element(3, "ram:BasisAmount", CentsText(g.basisCents));
    s.element(3, "ram:CategoryCode", EscapeXmlText(category));
    s.element(3, "ram:RateApplicablePercent", AmountText(g.rate));
    s.line(2, "</ram:ApplicableTradeTax>");
  }
}

void InvoiceWriter::writeBillingPeriod() {
  State& s = *state_;
  const model::SourceValues& v = s.values;
  if (!v.BT72.empty() && v.BT73.empty()) {
    db::Date start = StrictDate(v.BT72, "BT72");
    s.line(2, "<ram:BillingSpecifiedPeriod>");
    s.line(3, "<ram:StartDateTime>");
    DateLine(s, 4, start);
    s.line(3, "</ram:StartDateTime>");
    s.line(2, "</ram:BillingSpecifiedPeriod>");
  } else if (v.BT72.empty() && !v.BT73.empty()) {
    db::Date start = StrictDate(v.BT73, "BT73");
    db::Date end = v.BT74.empty() ? Today() : StrictDate(v.BT74, "BT74");
    s.line(2, "<ram:BillingSpecifiedPeriod>");
    s.line(3, "<ram:StartDateTime>");
    DateLine(s, 4, start);
    s.line(3, "</ram:StartDateTime>");
    s.line(3, "<ram:EndDateTime>");
    DateLine(s, 4, end);
    s.line(3, "</ram:EndDateTime>");
    s.line(2, "</ram:BillingSpecifiedPeriod>");
  }
}

void InvoiceWriter::writeAllowances() {
  State& s = *state_;
  const auto& entries = s.tax.allowances();
  if (entries.empty()) return;
  s.allowanceTotalCents = 0;
  for (const AllowanceEntry& e : entries) {
    s.allowanceTotalCents += e.amountCents;
    auto rate = ParseNumber(e.rate);
    s.line(2, "<ram:SpecifiedTradeAllowanceCharge>");
    s.line(3, "<ram:ChargeIndicator>");
    s.line(4, "<udt:Indicator>false</udt:Indicator>");
    s.line(3, "</ram:ChargeIndicator>");
    s.element(3, "ram:ActualAmount", CentsText(e.amountCents));
    s.element(3, "ram:ReasonCode", EscapeXmlText(e.reasonCode));
    s.element(3, "ram:Reason", EscapeXmlText(e.reason));
    s.line(4, "<ram:CategoryTradeTax>");
    s.line(5, "<ram:TypeCode>VAT</ram:TypeCode>");
    s.element(5, "ram:CategoryCode", EscapeXmlText(e.category));
    s.element(5, "ram:RateApplicablePercent", rate ? AmountText(*rate) : EscapeXmlText(e.rate));
    s.line(4, "</ram:CategoryTradeTax>");
    s.line(2, "</ram:SpecifiedTradeAllowanceCharge>");
  }
}

void InvoiceWriter::writePaymentTerms() {
  State& s = *state_;
  const model::SourceValues& v = s.values;
  int code = PaymentMeansCode(v.BT81, 0);
  bool mandate = code == 49 || code == 59;  // not for the card (48): BR-DE-24
  s.line(2, "<ram:SpecifiedTradePaymentTerms>");
  s.element(3, "ram:Description", v.BT20.empty() ? kFalse : CleanXmlText(v.BT20));
  s.line(3, "<ram:DueDateDateTime>");
  DateLine(s, 4, v.BT9);
  s.line(3, "</ram:DueDateDateTime>");
  if (mandate) s.element(3, "ram:DirectDebitMandateID", Or(v.BT89, kFalse));
  s.line(2, "</ram:SpecifiedTradePaymentTerms>");
}

void InvoiceWriter::writeSummation() {
  State& s = *state_;
  const model::SourceValues& v = s.values;
  std::int64_t basis = s.taxBasisTotalCents;
  std::int64_t tax = s.taxTotalCents;
  std::int64_t prepaid = ToCents(RoundAmount(v.BT113, 2));
  std::int64_t rounding = ToCents(RoundAmount(v.BT114, 2));
  std::int64_t allowances = s.allowanceTotalCents;
  std::int64_t lineTotal = basis + allowances;
  std::int64_t grandTotal = tax + basis;
  std::int64_t due = tax + basis - prepaid + rounding;
  bool withAllowances = allowances > 0;

  s.line(2, "<ram:SpecifiedTradeSettlementHeaderMonetarySummation>");
  s.element(3, "ram:LineTotalAmount", CentsText(lineTotal));
  if (withAllowances) {
    s.line(3, "<ram:ChargeTotalAmount>0</ram:ChargeTotalAmount>");
    s.element(3, "ram:AllowanceTotalAmount", CentsText(allowances));
  }
  s.element(3, "ram:TaxBasisTotalAmount", CentsText(basis));
  s.element(3, "ram:TaxTotalAmount", CentsText(tax), "currencyID=\"EUR\"");
  s.element(3, "ram:RoundingAmount", CentsText(rounding));
  s.element(3, "ram:GrandTotalAmount", CentsText(grandTotal));
  s.element(3, "ram:TotalPrepaidAmount", CentsText(prepaid));
  s.element(3, "ram:DuePayableAmount", CentsText(due));
  s.line(2, "</ram:SpecifiedTradeSettlementHeaderMonetarySummation>");
  if (withAllowances) {
    s.line(2, "<ram:InvoiceReferencedDocument>");
    s.element(3, "ram:IssuerAssignedID", Or(v.BT25, kFalse));
    s.line(2, "</ram:InvoiceReferencedDocument>");
  }
  s.line(2, "</ram:ApplicableHeaderTradeSettlement>");
  s.line(1, "</rsm:SupplyChainTradeTransaction>");
  s.text += "</rsm:CrossIndustryInvoice>";
}

}  // namespace belvora::writer
