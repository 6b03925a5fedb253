#include "Mutations.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <filesystem>
#include <memory>

#include "text/Decimal.h"

namespace belvora::test::rules {
namespace {

constexpr const char* kRam =
    "urn:un:unece:uncefact:data:standard:ReusableAggregateBusinessInformationEntity:100";

// Paths used by many mutations.
const std::string kTx = "/rsm:CrossIndustryInvoice/rsm:SupplyChainTradeTransaction";
const std::string kDoc = "/rsm:CrossIndustryInvoice/rsm:ExchangedDocument";
const std::string kAgree = kTx + "/ram:ApplicableHeaderTradeAgreement";
const std::string kSeller = kAgree + "/ram:SellerTradeParty";
const std::string kBuyer = kAgree + "/ram:BuyerTradeParty";
const std::string kDeliv = kTx + "/ram:ApplicableHeaderTradeDelivery";
const std::string kSettle = kTx + "/ram:ApplicableHeaderTradeSettlement";
const std::string kSum = kSettle + "/ram:SpecifiedTradeSettlementHeaderMonetarySummation";
const std::string kTax = kSettle + "/ram:ApplicableTradeTax";
const std::string kPm = kSettle + "/ram:SpecifiedTradeSettlementPaymentMeans";
const std::string kLine = kTx + "/ram:IncludedSupplyChainTradeLineItem";
const std::string kLast = kLine + "[last()]";
const std::string kLineSettle = kLast + "/ram:SpecifiedLineTradeSettlement";
const std::string kDocAllowance =
    kSettle + "/ram:SpecifiedTradeAllowanceCharge[ram:ChargeIndicator/udt:Indicator='false']";
const std::string kDocCharge =
    kSettle + "/ram:SpecifiedTradeAllowanceCharge[ram:ChargeIndicator/udt:Indicator='true']";
const std::string kAttachment = kAgree + "/ram:AdditionalReferencedDocument[ram:TypeCode='916']";

using M = Mutation;

std::vector<Mutation> Build() {
  return {
      // Document.
      {"no-number", kDoc + "/ram:ID", M::Remove},
      {"no-issue-date", kDoc + "/ram:IssueDateTime", M::Remove},
      {"type-999", kDoc + "/ram:TypeCode", M::SetText, "999"},
      {"type-71", kDoc + "/ram:TypeCode", M::SetText, "71"},
      {"currency-EURO", kSettle + "/ram:InvoiceCurrencyCode", M::SetText, "EURO"},
      {"no-currency", kSettle + "/ram:InvoiceCurrencyCode", M::Remove},
      {"accounting-currency-same", kSettle + "[not(ram:TaxCurrencyCode)]/ram:InvoiceCurrencyCode",
       M::InsertBefore, "EUR", "TaxCurrencyCode"},
      {"accounting-currency-XXX", kSettle + "/ram:TaxCurrencyCode", M::SetText, "XXX"},
      {"no-accounting-vat", kSum + "/ram:TaxTotalAmount[2]", M::Remove},
      {"no-buyer-reference", kAgree + "/ram:BuyerReference", M::Remove},
      {"no-process",
       "/rsm:CrossIndustryInvoice/rsm:ExchangedDocumentContext/"
       "ram:BusinessProcessSpecifiedDocumentContextParameter",
       M::Remove},
      {"specification-en",
       "/rsm:CrossIndustryInvoice/rsm:ExchangedDocumentContext/"
       "ram:GuidelineSpecifiedDocumentContextParameter/ram:ID",
       M::SetText, "urn:cen.eu:en16931:2017"},
      {"note-subject-QQQ", kDoc + "/ram:IncludedNote/ram:SubjectCode", M::SetText, "QQQ"},
      {"period-reversed",
       kSettle + "/ram:BillingSpecifiedPeriod/ram:StartDateTime/udt:DateTimeString", M::SetText,
       "29991231"},
      {"no-preceding-number", kSettle + "/ram:InvoiceReferencedDocument/ram:IssuerAssignedID",
       M::Remove},
      {"skonto-bad", kSettle + "/ram:SpecifiedTradePaymentTerms/ram:Description", M::SetText,
       "#SKONTO#TAGE=14#PROZENT=2#\n"},
      {"skonto-no-break", kSettle + "/ram:SpecifiedTradePaymentTerms/ram:Description", M::SetText,
       "#SKONTO#TAGE=14#PROZENT=2.00#"},
      {"skonto-text-after", kSettle + "/ram:SpecifiedTradePaymentTerms/ram:Description", M::SetText,
       "#SKONTO#TAGE=14#PROZENT=2.00#\nDanach Text"},
      {"skonto-hash-after", kSettle + "/ram:SpecifiedTradePaymentTerms/ram:Description", M::SetText,
       "#SKONTO#TAGE=14#PROZENT=2.00#\n#Ende"},
      {"skonto-good", kSettle + "/ram:SpecifiedTradePaymentTerms/ram:Description", M::SetText,
       "Zahlbar sofort\n#SKONTO#TAGE=14#PROZENT=2.00#\n"},
      // Seller and buyer.
      {"no-seller-name", kSeller + "/ram:Name", M::Remove},
      {"no-buyer-name", kBuyer + "/ram:Name", M::Remove},
      {"no-seller-address", kSeller + "/ram:PostalTradeAddress", M::Remove},
      {"no-seller-country", kSeller + "/ram:PostalTradeAddress/ram:CountryID", M::Remove},
      {"seller-country-XX", kSeller + "/ram:PostalTradeAddress/ram:CountryID", M::SetText, "XX"},
      {"no-seller-city", kSeller + "/ram:PostalTradeAddress/ram:CityName", M::Remove},
      {"no-seller-postcode", kSeller + "/ram:PostalTradeAddress/ram:PostcodeCode", M::Remove},
      {"no-buyer-address", kBuyer + "/ram:PostalTradeAddress", M::Remove},
      {"no-buyer-country", kBuyer + "/ram:PostalTradeAddress/ram:CountryID", M::Remove},
      {"no-buyer-city", kBuyer + "/ram:PostalTradeAddress/ram:CityName", M::Remove},
      {"no-buyer-postcode", kBuyer + "/ram:PostalTradeAddress/ram:PostcodeCode", M::Remove},
      {"no-seller-contact", kSeller + "/ram:DefinedTradeContact", M::Remove},
      {"no-seller-phone", kSeller + "/ram:DefinedTradeContact/ram:TelephoneUniversalCommunication",
       M::Remove},
      {"no-seller-email", kSeller + "/ram:DefinedTradeContact/ram:EmailURIUniversalCommunication",
       M::Remove},
      {"no-seller-contact-name", kSeller + "/ram:DefinedTradeContact/ram:PersonName", M::Remove},
      {"seller-vat-prefix", kSeller + "/ram:SpecifiedTaxRegistration/ram:ID[@schemeID='VA']",
       M::SetText, "XX123456789"},
      {"no-seller-tax-ids", kSeller + "/ram:SpecifiedTaxRegistration", M::RemoveAll},
      {"no-seller-ids",
       kSeller + "/ram:ID|" + kSeller + "/ram:GlobalID|" + kSeller +
           "/ram:SpecifiedLegalOrganization|" + kSeller +
           "/ram:SpecifiedTaxRegistration[ram:ID/@schemeID='VA']",
       M::RemoveAll},
      {"seller-address-scheme-XXXX", kSeller + "/ram:URIUniversalCommunication/ram:URIID",
       M::SetAttribute, "XXXX", "schemeID"},
      {"no-seller-address-scheme", kSeller + "/ram:URIUniversalCommunication/ram:URIID/@schemeID",
       M::Remove},
      {"no-seller-electronic-address", kSeller + "/ram:URIUniversalCommunication", M::Remove},
      {"no-buyer-electronic-address", kBuyer + "/ram:URIUniversalCommunication", M::Remove},
      {"no-buyer-address-scheme", kBuyer + "/ram:URIUniversalCommunication/ram:URIID/@schemeID",
       M::Remove},
      {"seller-id-scheme-9999", kSeller + "/ram:GlobalID", M::SetAttribute, "9999", "schemeID"},
      {"seller-legal-scheme-9999", kSeller + "/ram:SpecifiedLegalOrganization/ram:ID",
       M::SetAttribute, "9999", "schemeID"},
      {"buyer-legal-scheme-9999", kBuyer + "/ram:SpecifiedLegalOrganization/ram:ID",
       M::SetAttribute, "9999", "schemeID"},
      {"seller-fc-only", kSeller + "/ram:SpecifiedTaxRegistration[ram:ID/@schemeID='VA']",
       M::Remove},
      {"buyer-vat-prefix", kBuyer + "/ram:SpecifiedTaxRegistration/ram:ID[@schemeID='VA']",
       M::SetText, "1234567"},
      {"no-buyer-vat", kBuyer + "/ram:SpecifiedTaxRegistration", M::Remove},
      {"payee-is-seller", kSettle + "/ram:PayeeTradeParty/ram:Name", M::SetText, "[Seller name]"},
      {"no-payee-name", kSettle + "/ram:PayeeTradeParty/ram:Name", M::Remove},
      {"no-tax-rep-vat",
       kAgree + "/ram:SellerTaxRepresentativeTradeParty/ram:SpecifiedTaxRegistration", M::Remove},
      {"no-tax-rep-name", kAgree + "/ram:SellerTaxRepresentativeTradeParty/ram:Name", M::Remove},
      {"no-delivery-country", kDeliv + "/ram:ShipToTradeParty/ram:PostalTradeAddress/ram:CountryID",
       M::Remove},
      {"no-delivery-city", kDeliv + "/ram:ShipToTradeParty/ram:PostalTradeAddress/ram:CityName",
       M::Remove},
      {"delivery-scheme-9999", kDeliv + "/ram:ShipToTradeParty/ram:GlobalID", M::SetAttribute,
       "9999", "schemeID"},
      // Payment.
      {"no-payment-means", kPm, M::RemoveAll},
      {"payment-means-999", kPm + "/ram:TypeCode", M::SetText, "999"},
      {"payment-means-card", kPm + "[ram:TypeCode='58' or ram:TypeCode='30']/ram:TypeCode",
       M::SetText, "48"},
      {"payment-means-debit", kPm + "[ram:TypeCode='58' or ram:TypeCode='30']/ram:TypeCode",
       M::SetText, "59"},
      {"payment-means-mixed", kPm + "[2]/ram:TypeCode", M::SetText, "1"},
      {"no-iban", kPm + "/ram:PayeePartyCreditorFinancialAccount/ram:IBANID", M::Remove},
      {"no-payee-account", kPm + "/ram:PayeePartyCreditorFinancialAccount", M::RemoveAll},
      {"card-number-long", kPm + "/ram:ApplicableTradeSettlementFinancialCard/ram:ID", M::SetText,
       "4111111111111111"},
      {"no-mandate", kSettle + "/ram:SpecifiedTradePaymentTerms/ram:DirectDebitMandateID",
       M::Remove},
      {"no-creditor-id", kSettle + "/ram:CreditorReferenceID", M::Remove},
      {"no-debited-account", kPm + "/ram:PayerPartyDebtorFinancialAccount", M::Remove},
      // Lines.
      {"no-lines", kLine, M::RemoveAll},
      {"no-line-id", kLast + "/ram:AssociatedDocumentLineDocument/ram:LineID", M::Remove},
      {"no-quantity", kLast + "/ram:SpecifiedLineTradeDelivery/ram:BilledQuantity", M::Remove},
      {"no-unit", kLast + "/ram:SpecifiedLineTradeDelivery/ram:BilledQuantity/@unitCode",
       M::Remove},
      {"unit-QQQ", kLast + "/ram:SpecifiedLineTradeDelivery/ram:BilledQuantity", M::SetAttribute,
       "QQQ", "unitCode"},
      {"no-line-net", kLineSettle + "/ram:SpecifiedTradeSettlementLineMonetarySummation",
       M::Remove},
      {"line-net-plus-1",
       kLineSettle + "/ram:SpecifiedTradeSettlementLineMonetarySummation/"
                     "ram:LineTotalAmount",
       M::AddAmount, "1"},
      {"line-net-3-decimals",
       kLineSettle + "/ram:SpecifiedTradeSettlementLineMonetarySummation/"
                     "ram:LineTotalAmount",
       M::AddAmount, "0.001"},
      {"no-item-name", kLast + "/ram:SpecifiedTradeProduct/ram:Name", M::Remove},
      {"no-net-price", kLast + "/ram:SpecifiedLineTradeAgreement/ram:NetPriceProductTradePrice",
       M::Remove},
      {"net-price-negative",
       kLast + "/ram:SpecifiedLineTradeAgreement/"
               "ram:NetPriceProductTradePrice/ram:ChargeAmount",
       M::SetText, "-1.00"},
      {"gross-price-negative",
       kLast + "/ram:SpecifiedLineTradeAgreement/"
               "ram:GrossPriceProductTradePrice/ram:ChargeAmount",
       M::SetText, "-5.00"},
      {"gross-price-plus-1",
       kLast + "/ram:SpecifiedLineTradeAgreement/"
               "ram:GrossPriceProductTradePrice/ram:ChargeAmount",
       M::AddAmount, "1"},
      {"base-quantity-zero",
       kLast + "/ram:SpecifiedLineTradeAgreement/"
               "ram:NetPriceProductTradePrice/ram:BasisQuantity",
       M::SetText, "0"},
      {"line-category-Z", kLineSettle + "/ram:ApplicableTradeTax/ram:CategoryCode", M::SetText,
       "Z"},
      {"line-category-E", kLineSettle + "/ram:ApplicableTradeTax/ram:CategoryCode", M::SetText,
       "E"},
      {"line-category-O", kLineSettle + "/ram:ApplicableTradeTax/ram:CategoryCode", M::SetText,
       "O"},
      {"line-category-AE", kLineSettle + "/ram:ApplicableTradeTax/ram:CategoryCode", M::SetText,
       "AE"},
      {"line-category-K", kLineSettle + "/ram:ApplicableTradeTax/ram:CategoryCode", M::SetText,
       "K"},
      {"line-category-G", kLineSettle + "/ram:ApplicableTradeTax/ram:CategoryCode", M::SetText,
       "G"},
      {"line-category-L", kLineSettle + "/ram:ApplicableTradeTax/ram:CategoryCode", M::SetText,
       "L"},
      {"line-category-B", kLineSettle + "/ram:ApplicableTradeTax/ram:CategoryCode", M::SetText,
       "B"},
      {"line-category-Q", kLineSettle + "/ram:ApplicableTradeTax/ram:CategoryCode", M::SetText,
       "Q"},
      {"no-line-category", kLineSettle + "/ram:ApplicableTradeTax/ram:CategoryCode", M::Remove},
      {"line-rate-7", kLineSettle + "/ram:ApplicableTradeTax/ram:RateApplicablePercent", M::SetText,
       "7"},
      {"line-rate-0", kLineSettle + "/ram:ApplicableTradeTax/ram:RateApplicablePercent", M::SetText,
       "0"},
      {"no-line-rate", kLineSettle + "/ram:ApplicableTradeTax/ram:RateApplicablePercent",
       M::Remove},
      {"line-period-reversed",
       kLineSettle + "/ram:BillingSpecifiedPeriod/ram:StartDateTime/"
                     "udt:DateTimeString",
       M::SetText, "29991231"},
      {"line-period-early",
       kLineSettle + "/ram:BillingSpecifiedPeriod/ram:StartDateTime/"
                     "udt:DateTimeString",
       M::SetText, "19990101"},
      {"no-standard-id-scheme", kLast + "/ram:SpecifiedTradeProduct/ram:GlobalID/@schemeID",
       M::Remove},
      {"standard-id-scheme-9999", kLast + "/ram:SpecifiedTradeProduct/ram:GlobalID",
       M::SetAttribute, "9999", "schemeID"},
      {"no-classification-list",
       "(" + kLine +
           "/ram:SpecifiedTradeProduct/ram:DesignatedProductClassification/"
           "ram:ClassCode/@listID)[1]",
       M::Remove},
      {"classification-list-QQ9",
       "(" + kLine +
           "/ram:SpecifiedTradeProduct/"
           "ram:DesignatedProductClassification/ram:ClassCode)[1]",
       M::SetAttribute, "QQ9", "listID"},
      {"origin-XX", "(" + kLine + "/ram:SpecifiedTradeProduct/ram:OriginTradeCountry/ram:ID)[1]",
       M::SetText, "XX"},
      {"no-attribute-value",
       "(" + kLine +
           "/ram:SpecifiedTradeProduct/ram:ApplicableProductCharacteristic/"
           "ram:Value)[1]",
       M::Remove},
      {"object-scheme-QQQ",
       "(" + kLine +
           "/ram:SpecifiedLineTradeSettlement/"
           "ram:AdditionalReferencedDocument/ram:ReferenceTypeCode)[1]",
       M::SetText, "QQQ"},
      {"no-line-allowance-reason",
       "(" + kLine +
           "/ram:SpecifiedLineTradeSettlement/"
           "ram:SpecifiedTradeAllowanceCharge)[1]/ram:Reason",
       M::Remove},
      {"line-allowance-amount-plus-1",
       "(" + kLine +
           "/ram:SpecifiedLineTradeSettlement/"
           "ram:SpecifiedTradeAllowanceCharge)[1]/ram:ActualAmount",
       M::AddAmount, "1"},
      {"line-allowance-percent-plus-1",
       "(" + kLine +
           "/ram:SpecifiedLineTradeSettlement/"
           "ram:SpecifiedTradeAllowanceCharge/"
           "ram:CalculationPercent)[1]",
       M::AddAmount, "1"},
      {"line-allowance-no-base",
       "(" + kLine +
           "/ram:SpecifiedLineTradeSettlement/"
           "ram:SpecifiedTradeAllowanceCharge[ram:CalculationPercent])"
           "[1]/ram:BasisAmount",
       M::Remove},
      // VAT breakdown.
      {"breakdown-category-Q", kTax + "[1]/ram:CategoryCode", M::SetText, "Q"},
      {"breakdown-basis-plus-1", kTax + "[1]/ram:BasisAmount", M::AddAmount, "1"},
      {"breakdown-basis-plus-0.5", kTax + "[1]/ram:BasisAmount", M::AddAmount, "0.5"},
      {"breakdown-tax-plus-5", kTax + "[1]/ram:CalculatedAmount", M::AddAmount, "5"},
      {"breakdown-tax-plus-0.5", kTax + "[1]/ram:CalculatedAmount", M::AddAmount, "0.5"},
      {"breakdown-rate-7", kTax + "[1]/ram:RateApplicablePercent", M::SetText, "7"},
      {"no-breakdown-rate", kTax + "[1]/ram:RateApplicablePercent", M::Remove},
      {"breakdown-exemption", kTax + "[ram:CategoryCode='S']/ram:CategoryCode", M::InsertBefore,
       "Ausgenommen", "ExemptionReason"},
      {"no-exemption-reason",
       kTax +
           "[ram:ExemptionReason or ram:ExemptionReasonCode]/"
           "ram:ExemptionReason|" +
           kTax +
           "[ram:ExemptionReason or ram:ExemptionReasonCode]/"
           "ram:ExemptionReasonCode",
       M::RemoveAll},
      {"exemption-code-bad", kTax + "/ram:ExemptionReasonCode", M::SetText, "VATEX-EU-QQ"},
      {"breakdown-twice", kTax + "[not(ram:TaxPointDate) and not(ram:DueDateTypeCode)][1]",
       M::Duplicate},
      {"no-breakdown", kTax, M::RemoveAll},
      {"no-breakdown-basis", kTax + "[ram:CategoryCode='S']/ram:BasisAmount", M::Remove},
      {"tax-point-and-code",
       kTax + "[ram:TaxPointDate and not(ram:DueDateTypeCode)]/ram:RateApplicablePercent",
       M::InsertBefore, "5", "DueDateTypeCode"},
      {"tax-point-code-3",
       kTax + "[not(ram:TaxPointDate) and not(ram:DueDateTypeCode)][1]/ram:RateApplicablePercent",
       M::InsertBefore, "3", "DueDateTypeCode"},
      // The whole invoice in another VAT category or at another rate.
      {"all-categories-Z", "//ram:CategoryCode", M::SetTextAll, "Z"},
      {"all-categories-E", "//ram:CategoryCode", M::SetTextAll, "E"},
      {"all-categories-AE", "//ram:CategoryCode", M::SetTextAll, "AE"},
      {"all-categories-K", "//ram:CategoryCode", M::SetTextAll, "K"},
      {"all-categories-G", "//ram:CategoryCode", M::SetTextAll, "G"},
      {"all-categories-O", "//ram:CategoryCode", M::SetTextAll, "O"},
      {"all-categories-L", "//ram:CategoryCode", M::SetTextAll, "L"},
      {"all-categories-M", "//ram:CategoryCode", M::SetTextAll, "M"},
      {"all-rates-0", "//ram:RateApplicablePercent", M::SetTextAll, "0"},
      {"all-rates-7", "//ram:RateApplicablePercent", M::SetTextAll, "7"},
      {"no-rates", "//ram:RateApplicablePercent", M::RemoveAll},
      // Totals.
      {"line-total-plus-1", kSum + "/ram:LineTotalAmount", M::AddAmount, "1"},
      {"basis-total-plus-1", kSum + "/ram:TaxBasisTotalAmount", M::AddAmount, "1"},
      {"tax-total-plus-1", kSum + "/ram:TaxTotalAmount[1]", M::AddAmount, "1"},
      {"tax-total-3-decimals", kSum + "/ram:TaxTotalAmount[1]", M::AddAmount, "0.001"},
      {"grand-total-plus-1", kSum + "/ram:GrandTotalAmount", M::AddAmount, "1"},
      {"due-plus-1", kSum + "/ram:DuePayableAmount", M::AddAmount, "1"},
      {"due-3-decimals", kSum + "/ram:DuePayableAmount", M::AddAmount, "0.001"},
      {"no-due", kSum + "/ram:DuePayableAmount", M::Remove},
      {"no-grand-total", kSum + "/ram:GrandTotalAmount", M::Remove},
      {"no-tax-total", kSum + "/ram:TaxTotalAmount", M::RemoveAll},
      {"allowance-total-plus-1", kSum + "/ram:AllowanceTotalAmount", M::AddAmount, "1"},
      {"no-charge-total", kSum + "/ram:ChargeTotalAmount", M::Remove},
      {"prepaid-plus-1", kSum + "/ram:TotalPrepaidAmount", M::AddAmount, "1"},
      {"rounding-plus-1", kSum + "/ram:RoundingAmount", M::AddAmount, "1"},
      {"net-price-4-decimals",
       kLast + "/ram:SpecifiedLineTradeAgreement/"
               "ram:NetPriceProductTradePrice/ram:ChargeAmount",
       M::AddAmount, "0.0001"},
      // Document allowances and charges.
      {"no-allowance-reason", kDocAllowance + "/ram:Reason|" + kDocAllowance + "/ram:ReasonCode",
       M::RemoveAll},
      {"no-allowance-amount", kDocAllowance + "/ram:ActualAmount", M::Remove},
      {"allowance-reason-999", kDocAllowance + "/ram:ReasonCode", M::SetText, "999"},
      {"allowance-category-S0", kDocAllowance + "/ram:CategoryTradeTax/ram:RateApplicablePercent",
       M::SetText, "0"},
      {"no-allowance-category", kDocAllowance + "/ram:CategoryTradeTax/ram:CategoryCode",
       M::Remove},
      {"allowance-percent-plus-1", kDocAllowance + "/ram:CalculationPercent", M::AddAmount, "1"},
      {"no-charge-category", kDocCharge + "/ram:CategoryTradeTax/ram:CategoryCode", M::Remove},
      {"no-charge-reason", kDocCharge + "/ram:Reason|" + kDocCharge + "/ram:ReasonCode",
       M::RemoveAll},
      {"charge-reason-QQQ", kDocCharge + "/ram:ReasonCode", M::SetText, "QQQ"},
      {"charge-amount-plus-1", kDocCharge + "/ram:ActualAmount", M::AddAmount, "1"},
      // Attachments.
      {"mime-text-plain", kAttachment + "/ram:AttachmentBinaryObject", M::SetAttribute,
       "text/plain", "mimeCode"},
      {"mime-xml", kAttachment + "/ram:AttachmentBinaryObject", M::SetAttribute, "application/xml",
       "mimeCode"},
      {"no-attachment-id", kAttachment + "/ram:IssuerAssignedID", M::Remove},
      {"attachment-twice", kAttachment + "[ram:AttachmentBinaryObject/@filename]", M::Duplicate},
  };
}

struct DocFree {
  void operator()(xmlDoc* d) const { xmlFreeDoc(d); }
};
struct CtxFree {
  void operator()(xmlXPathContext* c) const { xmlXPathFreeContext(c); }
};
struct ObjFree {
  void operator()(xmlXPathObject* o) const { xmlXPathFreeObject(o); }
};

bool Apply(xmlDoc* doc, const Mutation& m) {
  std::unique_ptr<xmlXPathContext, CtxFree> ctx(xmlXPathNewContext(doc));
  xmlXPathRegisterNs(ctx.get(), BAD_CAST "rsm",
                     BAD_CAST "urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100");
  xmlXPathRegisterNs(ctx.get(), BAD_CAST "ram", BAD_CAST kRam);
  xmlXPathRegisterNs(ctx.get(), BAD_CAST "udt",
                     BAD_CAST "urn:un:unece:uncefact:data:standard:UnqualifiedDataType:100");
  xmlXPathRegisterNs(ctx.get(), BAD_CAST "qdt",
                     BAD_CAST "urn:un:unece:uncefact:data:standard:QualifiedDataType:100");
  std::unique_ptr<xmlXPathObject, ObjFree> found(
      xmlXPathEvalExpression(BAD_CAST m.path.c_str(), ctx.get()));
  if (!found || !found->nodesetval || found->nodesetval->nodeNr == 0) return false;
  xmlNodeSet* set = found->nodesetval;
  xmlNode* node = set->nodeTab[0];
  switch (m.action) {
    case M::Remove:
    case M::RemoveAll:
      for (int i = 0; i < (m.action == M::Remove ? 1 : set->nodeNr); ++i) {
        xmlNode* n = set->nodeTab[i];
        if (n->type == XML_ATTRIBUTE_NODE) {
          xmlRemoveProp(reinterpret_cast<xmlAttr*>(n));
        } else {
          xmlUnlinkNode(n);
          xmlFreeNode(n);
        }
        set->nodeTab[i] = nullptr;
      }
      return true;
    case M::SetText:
      xmlNodeSetContent(node, nullptr);
      xmlNodeAddContent(node, BAD_CAST m.value.c_str());
      return true;
    case M::SetTextAll:
      for (int k = 0; k < set->nodeNr; ++k) {
        xmlNodeSetContent(set->nodeTab[k], nullptr);
        xmlNodeAddContent(set->nodeTab[k], BAD_CAST m.value.c_str());
      }
      return true;
    case M::SetAttribute:
      xmlSetProp(node, BAD_CAST m.attribute.c_str(), BAD_CAST m.value.c_str());
      return true;
    case M::AddAmount: {
      xmlChar* content = xmlNodeGetContent(node);
      std::string text = content ? reinterpret_cast<const char*>(content) : "";
      xmlFree(content);
      const auto first = text.find_first_not_of(" \t\r\n");
      text = first == std::string::npos
                 ? ""
                 : text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
      auto value = text::Decimal::parse(text);
      auto delta = text::Decimal::parse(m.value);
      if (!value || !delta) return false;
      const text::Decimal sum = *value + *delta;
      xmlNodeSetContent(node, BAD_CAST sum.text(value->scale()).c_str());
      return true;
    }
    case M::Duplicate: {
      xmlNode* copy = xmlCopyNode(node, 1);
      xmlAddNextSibling(node, copy);
      return true;
    }
    case M::InsertBefore: {
      xmlNs* ns = xmlSearchNsByHref(doc, node, BAD_CAST kRam);
      xmlNode* n = xmlNewDocNode(doc, ns, BAD_CAST m.attribute.c_str(), nullptr);
      xmlNodeAddContent(n, BAD_CAST m.value.c_str());
      xmlAddPrevSibling(node, n);
      return true;
    }
  }
  return false;
}

}  // namespace

const std::vector<Mutation>& Mutations() {
  static const std::vector<Mutation> all = Build();
  return all;
}

bool ApplyMutation(const std::string& base, const Mutation& m, const std::string& target) {
  std::unique_ptr<xmlDoc, DocFree> doc(
      xmlReadFile(base.c_str(), nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_HUGE));
  if (!doc || !Apply(doc.get(), m)) return false;
  return xmlSaveFileEnc(target.c_str(), doc.get(), "UTF-8") >= 0;
}

std::vector<std::string> WriteVariants(const std::vector<std::string>& bases,
                                       const std::string& folder, std::size_t perMutation,
                                       const std::string& only) {
  std::vector<std::string> files;
  const auto& all = Mutations();
  for (std::size_t k = 0; k < all.size(); ++k) {
    const Mutation& m = all[k];
    if (m.name.find(only) == std::string::npos) continue;
    std::size_t written = 0;
    for (std::size_t i = 0; i < bases.size() && written < perMutation; ++i) {
      const std::size_t b = (k * 7 + i) % bases.size();
      // Numbered: created invoices may have the names of their originals.
      const std::string target = folder + "/" + std::to_string(b) + "-" +
                                 std::filesystem::path(bases[b]).stem().string() + "__" + m.name +
                                 ".xml";
      const std::string& base = bases[b];
      if (ApplyMutation(base, m, target)) {
        files.push_back(target);
        ++written;
      }
    }
  }
  return files;
}

}  // namespace belvora::test::rules
