// Delivery and the header trade settlement: payee, payment means, VAT
// breakdown, billing period, document allowances and charges, payment
// terms, monetary summation and the closing tags.
//
//   <ram:ApplicableHeaderTradeDelivery>     deliver-to party, delivery date, advices
//   <ram:ApplicableHeaderTradeSettlement>
//     creditor id, remittance, currencies, payee, payment means
//     <ram:ApplicableTradeTax> ...            one per VAT category and rate
//     <ram:BillingSpecifiedPeriod>
//     <ram:SpecifiedTradeAllowanceCharge> ... each as given
//     <ram:SpecifiedTradePaymentTerms>
//     <ram:SpecifiedTradeSettlementHeaderMonetarySummation>
//     <ram:InvoiceReferencedDocument>         preceding invoice
//     <ram:ReceivableSpecifiedTradeAccountingAccount>

#include <string>

#include "model/TaxPointCodes.h"
#include "writer/InvoiceWriterState.h"

namespace belvora::writer {

namespace {

// An IBAN: country letters, check digits, then letters and digits. Other
// account identifiers go in as proprietary ones.
bool LooksLikeIban(const std::string& id) {
  if (id.size() < 15 || id.size() > 34) return false;
  auto upper = [](char c) { return c >= 'A' && c <= 'Z'; };
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (!upper(id[0]) || !upper(id[1]) || !digit(id[2]) || !digit(id[3])) return false;
  for (size_t i = 4; i < id.size(); ++i)
    if (!upper(id[i]) && !digit(id[i])) return false;
  return true;
}

void WriteDelivery(InvoiceWriter::State& s, const model::Invoice& inv) {
  const model::Delivery& d = inv.delivery;
  auto delivery = s.open(2, "ram:ApplicableHeaderTradeDelivery");
  auto party = s.open(3, "ram:ShipToTradeParty");
  WriteIdentifiers(s, 4, &d.locationId, 1);
  s.element(4, "ram:Name", d.partyName);
  WriteAddress(s, 4, d.address);
  s.close(3, "ram:ShipToTradeParty", party);
  if (d.actualDate) {
    s.line(3, "<ram:ActualDeliverySupplyChainEvent>");
    s.date(4, "ram:OccurrenceDateTime", d.actualDate);
    s.line(3, "</ram:ActualDeliverySupplyChainEvent>");
  }
  s.reference(3, "ram:DespatchAdviceReferencedDocument", inv.despatchAdviceReference);
  s.reference(3, "ram:ReceivingAdviceReferencedDocument", inv.receivingAdviceReference);
  // The element is required; without delivery data it stands empty.
  if (!s.close(2, "ram:ApplicableHeaderTradeDelivery", delivery))
    s.line(2, "<ram:ApplicableHeaderTradeDelivery/>");
}

void WritePayee(InvoiceWriter::State& s, const model::Payee& p) {
  auto g = s.open(3, "ram:PayeeTradeParty");
  WriteIdentifiers(s, 4, &p.id, 1);
  s.element(4, "ram:Name", p.name);
  WriteLegalOrganization(s, 4, p.legalRegistration, {});
  s.close(3, "ram:PayeeTradeParty", g);
}

// One block per payment means; CII takes one payee account per block, so a
// means with several accounts repeats itself for each further account.
void WritePaymentMeans(InvoiceWriter::State& s, const model::PaymentMeans& pm) {
  const size_t blocks = pm.accounts.empty() ? 1 : pm.accounts.size();
  for (size_t i = 0; i < blocks; ++i) {
    const bool first = i == 0;
    auto means = s.open(3, "ram:SpecifiedTradeSettlementPaymentMeans");
    s.element(4, "ram:TypeCode", pm.code);
    s.element(4, "ram:Information", pm.text);
    if (first) {
      auto card = s.open(4, "ram:ApplicableTradeSettlementFinancialCard");
      s.element(5, "ram:ID", pm.cardNumber);
      s.element(5, "ram:CardholderName", pm.cardHolder);
      s.close(4, "ram:ApplicableTradeSettlementFinancialCard", card);
      auto payer = s.open(4, "ram:PayerPartyDebtorFinancialAccount");
      s.element(5, "ram:IBANID", pm.debitedAccount);
      s.close(4, "ram:PayerPartyDebtorFinancialAccount", payer);
    }
    if (!pm.accounts.empty()) {
      const model::CreditTransfer& a = pm.accounts[i];
      const bool iban = LooksLikeIban(a.accountId);
      auto account = s.open(4, "ram:PayeePartyCreditorFinancialAccount");
      if (iban) s.element(5, "ram:IBANID", a.accountId);
      s.element(5, "ram:AccountName", a.accountName);
      if (!iban) s.element(5, "ram:ProprietaryID", a.accountId);
      s.close(4, "ram:PayeePartyCreditorFinancialAccount", account);
      auto institution = s.open(4, "ram:PayeeSpecifiedCreditorFinancialInstitution");
      s.element(5, "ram:BICID", a.providerId);
      s.close(4, "ram:PayeeSpecifiedCreditorFinancialInstitution", institution);
    }
    s.close(3, "ram:SpecifiedTradeSettlementPaymentMeans", means);
  }
}

}  // namespace

void InvoiceWriter::writeSettlement() {
  State& s = *state_;
  const model::Invoice& inv = s.invoice;
  s.line(2, "</ram:ApplicableHeaderTradeAgreement>");
  WriteDelivery(s, inv);
  s.line(2, "<ram:ApplicableHeaderTradeSettlement>");
  s.element(3, "ram:CreditorReferenceID", inv.creditorId);
  s.element(3, "ram:PaymentReference", inv.remittanceInformation);
  s.element(3, "ram:TaxCurrencyCode", inv.vatAccountingCurrency);
  s.element(3, "ram:InvoiceCurrencyCode", inv.currency);
  WritePayee(s, inv.payee);
  for (const model::PaymentMeans& pm : inv.paymentMeans) WritePaymentMeans(s, pm);
}

void InvoiceWriter::writeTaxBreakdown() {
  State& s = *state_;
  const model::Invoice& inv = s.invoice;
  bool first = true;
  for (const model::VatBreakdown& g : inv.vatBreakdown) {
    s.line(2, "<ram:ApplicableTradeTax>");
    s.element(3, "ram:CalculatedAmount", AmountText(g.taxAmount));
    s.line(3, "<ram:TypeCode>VAT</ram:TypeCode>");
    s.element(3, "ram:ExemptionReason", g.exemptionReason);
    s.element(3, "ram:BasisAmount", AmountText(g.taxableAmount));
    s.element(3, "ram:CategoryCode", g.category);
    s.element(3, "ram:ExemptionReasonCode", g.exemptionReasonCode);
    // The tax point belongs to the whole invoice: the first group carries it.
    if (first) {
      s.date(3, "ram:TaxPointDate", inv.taxPointDate, "udt:DateString");
      // The model holds UNTDID 2005 (as EN 16931 does); CII wants UNTDID 2475.
      const std::string_view cii = model::TaxPointCodeToCii(inv.taxPointDateCode);
      s.element(3, "ram:DueDateTypeCode", cii.empty() ? inv.taxPointDateCode : cii);
      first = false;
    }
    if (g.rate) s.element(3, "ram:RateApplicablePercent", RateText(*g.rate));
    s.line(2, "</ram:ApplicableTradeTax>");
  }
}

void InvoiceWriter::writeBillingPeriod() {
  State& s = *state_;
  const model::Period& p = s.invoice.invoicingPeriod;
  auto g = s.open(2, "ram:BillingSpecifiedPeriod");
  s.date(3, "ram:StartDateTime", p.start);
  s.date(3, "ram:EndDateTime", p.end);
  s.close(2, "ram:BillingSpecifiedPeriod", g);
}

void InvoiceWriter::writeAllowances() {
  State& s = *state_;
  for (const model::AllowanceCharge& ac : s.invoice.allowancesCharges) {
    s.line(2, "<ram:SpecifiedTradeAllowanceCharge>");
    s.line(3, "<ram:ChargeIndicator>");
    s.line(4, ac.charge ? "<udt:Indicator>true</udt:Indicator>"
                        : "<udt:Indicator>false</udt:Indicator>");
    s.line(3, "</ram:ChargeIndicator>");
    if (ac.percentage) s.element(3, "ram:CalculationPercent", PlainText(*ac.percentage));
    s.amount(3, "ram:BasisAmount", ac.baseAmount);
    s.amount(3, "ram:ActualAmount", ac.amount);
    s.element(3, "ram:ReasonCode", ac.reasonCode);
    s.element(3, "ram:Reason", ac.reason);
    if (!Blank(ac.vatCategory) || ac.vatRate) {
      s.line(4, "<ram:CategoryTradeTax>");
      s.line(5, "<ram:TypeCode>VAT</ram:TypeCode>");
      s.element(5, "ram:CategoryCode", ac.vatCategory);
      if (ac.vatRate) s.element(5, "ram:RateApplicablePercent", RateText(*ac.vatRate));
      s.line(4, "</ram:CategoryTradeTax>");
    }
    s.line(2, "</ram:SpecifiedTradeAllowanceCharge>");
  }
}

void InvoiceWriter::writePaymentTerms() {
  State& s = *state_;
  const model::Invoice& inv = s.invoice;
  auto g = s.open(2, "ram:SpecifiedTradePaymentTerms");
  s.element(3, "ram:Description", inv.paymentTerms);
  s.date(3, "ram:DueDateDateTime", inv.dueDate);
  s.element(3, "ram:DirectDebitMandateID", inv.mandateReference);
  s.close(2, "ram:SpecifiedTradePaymentTerms", g);
}

void InvoiceWriter::writeSummation() {
  State& s = *state_;
  const model::Invoice& inv = s.invoice;
  const model::Totals& t = inv.totals;
  s.line(2, "<ram:SpecifiedTradeSettlementHeaderMonetarySummation>");
  s.amount(3, "ram:LineTotalAmount", t.lineNetTotal);
  s.amount(3, "ram:ChargeTotalAmount", t.chargeTotal);
  s.amount(3, "ram:AllowanceTotalAmount", t.allowanceTotal);
  s.amount(3, "ram:TaxBasisTotalAmount", t.totalWithoutVat);
  s.amount(3, "ram:TaxTotalAmount", t.vatTotal, Attribute("currencyID", inv.currency));
  if (!inv.vatAccountingCurrency.empty())
    s.amount(3, "ram:TaxTotalAmount", t.vatTotalInAccountingCurrency,
             Attribute("currencyID", inv.vatAccountingCurrency));
  s.amount(3, "ram:RoundingAmount", t.roundingAmount);
  s.amount(3, "ram:GrandTotalAmount", t.totalWithVat);
  s.amount(3, "ram:TotalPrepaidAmount", t.paidAmount);
  s.amount(3, "ram:DuePayableAmount", t.amountDue);
  s.line(2, "</ram:SpecifiedTradeSettlementHeaderMonetarySummation>");
  for (const model::PrecedingInvoice& p : inv.precedingInvoices) {
    auto g = s.open(2, "ram:InvoiceReferencedDocument");
    s.element(3, "ram:IssuerAssignedID", p.number);
    s.date(3, "ram:FormattedIssueDateTime", p.date, "qdt:DateTimeString");
    s.close(2, "ram:InvoiceReferencedDocument", g);
  }
  auto account = s.open(2, "ram:ReceivableSpecifiedTradeAccountingAccount");
  s.element(3, "ram:ID", inv.buyerAccountingReference);
  s.close(2, "ram:ReceivableSpecifiedTradeAccountingAccount", account);
  s.line(2, "</ram:ApplicableHeaderTradeSettlement>");
  s.line(1, "</rsm:SupplyChainTradeTransaction>");
  s.text += "</rsm:CrossIndustryInvoice>";
}

}  // namespace belvora::writer
