// Line items (BG-25 with BG-26 to BG-32), one block each in invoice order.
//
//   <ram:IncludedSupplyChainTradeLineItem>
//     <ram:AssociatedDocumentLineDocument>      line id, note
//     <ram:SpecifiedTradeProduct>               item ids, name, attributes, classes, origin
//     <ram:SpecifiedLineTradeAgreement>         order line, gross and net price
//     <ram:SpecifiedLineTradeDelivery>          quantity
//     <ram:SpecifiedLineTradeSettlement>        VAT, period, allowances and charges,
//                                               net amount, object id, accounting reference

#include <string>

#include "writer/InvoiceWriterState.h"

namespace belvora::writer {

namespace {

void WritePeriod(InvoiceWriter::State& s, int tabs, const model::Period& p) {
  auto g = s.open(tabs, "ram:BillingSpecifiedPeriod");
  s.date(tabs + 1, "ram:StartDateTime", p.start);
  s.date(tabs + 1, "ram:EndDateTime", p.end);
  s.close(tabs, "ram:BillingSpecifiedPeriod", g);
}

void WriteProduct(InvoiceWriter::State& s, const model::Line& l) {
  auto product = s.open(3, "ram:SpecifiedTradeProduct");
  WriteIdentifiers(s, 4, &l.standardId, 1);
  s.element(4, "ram:SellerAssignedID", l.sellerItemId);
  s.element(4, "ram:BuyerAssignedID", l.buyerItemId);
  s.element(4, "ram:Name", l.itemName);
  s.element(4, "ram:Description", l.itemDescription);
  for (const model::ItemAttribute& a : l.attributes) {
    auto g = s.open(4, "ram:ApplicableProductCharacteristic");
    s.element(5, "ram:Description", a.name);
    s.element(5, "ram:Value", a.value);
    s.close(4, "ram:ApplicableProductCharacteristic", g);
  }
  for (const model::Classification& c : l.classifications) {
    auto g = s.open(4, "ram:DesignatedProductClassification");
    s.element(5, "ram:ClassCode", c.code,
              Attribute("listID", c.listId) + Attribute("listVersionID", c.version));
    s.close(4, "ram:DesignatedProductClassification", g);
  }
  auto origin = s.open(4, "ram:OriginTradeCountry");
  s.element(5, "ram:ID", l.originCountry);
  s.close(4, "ram:OriginTradeCountry", origin);
  s.close(3, "ram:SpecifiedTradeProduct", product);
}

void WriteAgreement(InvoiceWriter::State& s, const model::Line& l) {
  // The base quantity applies to both prices; its unit only with it.
  std::string basis;
  if (l.baseQuantity) {
    basis = "<ram:BasisQuantity" + Attribute("unitCode", l.baseQuantityUnit) + ">" +
            l.baseQuantity->text(2) + "</ram:BasisQuantity>";
  }
  auto agreement = s.open(3, "ram:SpecifiedLineTradeAgreement");
  auto order = s.open(4, "ram:BuyerOrderReferencedDocument");
  s.element(5, "ram:LineID", l.orderLineReference);
  s.close(4, "ram:BuyerOrderReferencedDocument", order);
  if (l.grossPrice) {
    s.line(4, "<ram:GrossPriceProductTradePrice>");
    s.element(5, "ram:ChargeAmount", PlainText(*l.grossPrice));
    if (!basis.empty()) s.line(5, basis);
    if (l.priceDiscount) {
      s.line(5, "<ram:AppliedTradeAllowanceCharge>");
      s.line(6, "<ram:ChargeIndicator>");
      s.line(6, "<udt:Indicator>false</udt:Indicator>");
      s.line(6, "</ram:ChargeIndicator>");
      s.element(6, "ram:ActualAmount", l.priceDiscount->text(2));
      s.line(5, "</ram:AppliedTradeAllowanceCharge>");
    }
    s.line(4, "</ram:GrossPriceProductTradePrice>");
  }
  if (l.netPrice) {
    s.line(4, "<ram:NetPriceProductTradePrice>");
    s.element(5, "ram:ChargeAmount", PlainText(*l.netPrice));
    if (!basis.empty()) s.line(5, basis);
    s.line(4, "</ram:NetPriceProductTradePrice>");
  }
  s.close(3, "ram:SpecifiedLineTradeAgreement", agreement);
}

void WriteLineAllowanceCharge(InvoiceWriter::State& s, const model::AllowanceCharge& ac) {
  s.line(4, "<ram:SpecifiedTradeAllowanceCharge>");
  s.line(5, "<ram:ChargeIndicator>");
  s.line(6, ac.charge ? "<udt:Indicator>true</udt:Indicator>"
                      : "<udt:Indicator>false</udt:Indicator>");
  s.line(5, "</ram:ChargeIndicator>");
  if (ac.percentage) s.element(5, "ram:CalculationPercent", PlainText(*ac.percentage));
  s.amount(5, "ram:BasisAmount", ac.baseAmount);
  s.amount(5, "ram:ActualAmount", ac.amount);
  s.element(5, "ram:ReasonCode", ac.reasonCode);
  s.element(5, "ram:Reason", ac.reason);
  s.line(4, "</ram:SpecifiedTradeAllowanceCharge>");
}

void WriteSettlement(InvoiceWriter::State& s, const model::Line& l) {
  s.line(3, "<ram:SpecifiedLineTradeSettlement>");
  if (!Blank(l.vatCategory) || l.vatRate) {
    s.line(4, "<ram:ApplicableTradeTax>");
    s.line(5, "<ram:TypeCode>VAT</ram:TypeCode>");
    s.element(5, "ram:CategoryCode", l.vatCategory);
    if (l.vatRate) s.element(5, "ram:RateApplicablePercent", RateText(*l.vatRate));
    s.line(4, "</ram:ApplicableTradeTax>");
  }
  WritePeriod(s, 4, l.period);
  for (const model::AllowanceCharge& ac : l.allowancesCharges) WriteLineAllowanceCharge(s, ac);
  if (l.netAmount) {
    s.line(4, "<ram:SpecifiedTradeSettlementLineMonetarySummation>");
    s.element(5, "ram:LineTotalAmount", AmountText(*l.netAmount));
    s.line(4, "</ram:SpecifiedTradeSettlementLineMonetarySummation>");
  }
  if (!Blank(l.objectId.id)) {
    s.line(4, "<ram:AdditionalReferencedDocument>");
    s.element(5, "ram:IssuerAssignedID", l.objectId.id);
    s.line(5, "<ram:TypeCode>130</ram:TypeCode>");
    s.element(5, "ram:ReferenceTypeCode", l.objectId.scheme);
    s.line(4, "</ram:AdditionalReferencedDocument>");
  }
  auto account = s.open(4, "ram:ReceivableSpecifiedTradeAccountingAccount");
  s.element(5, "ram:ID", l.accountingReference);
  s.close(4, "ram:ReceivableSpecifiedTradeAccountingAccount", account);
  s.line(3, "</ram:SpecifiedLineTradeSettlement>");
}

void WriteLine(InvoiceWriter::State& s, const model::Line& l) {
  s.line(3, "<ram:AssociatedDocumentLineDocument>");
  s.element(4, "ram:LineID", l.id);
  auto note = s.open(4, "ram:IncludedNote");
  s.element(5, "ram:Content", l.note);
  s.close(4, "ram:IncludedNote", note);
  s.line(3, "</ram:AssociatedDocumentLineDocument>");
  WriteProduct(s, l);
  WriteAgreement(s, l);
  if (l.quantity) {
    s.line(3, "<ram:SpecifiedLineTradeDelivery>");
    // Five tabs, as the described layout has it.
    s.element(5, "ram:BilledQuantity", PlainText(*l.quantity), Attribute("unitCode", l.unitCode));
    s.line(3, "</ram:SpecifiedLineTradeDelivery>");
  }
  WriteSettlement(s, l);
}

}  // namespace

void InvoiceWriter::writeLineItems() {
  State& s = *state_;
  const auto& lines = s.invoice.lines;
  // The header opened the first line item; each further one is opened here.
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) s.line(2, "<ram:IncludedSupplyChainTradeLineItem>");
    WriteLine(s, lines[i]);
    s.line(2, "</ram:IncludedSupplyChainTradeLineItem>");
  }
  s.line(2, "<ram:ApplicableHeaderTradeAgreement>");
}

}  // namespace belvora::writer
