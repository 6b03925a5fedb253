#include "model/Catalogue.h"

#include <unordered_map>

#include "platform/sys/Ascii.h"

namespace belvora::model {
namespace {

constexpr ValueType T = ValueType::Text;
constexpr ValueType D = ValueType::Date;
constexpr ValueType A = ValueType::Amount;
constexpr ValueType N = ValueType::Number;
constexpr ValueType B = ValueType::Content;
constexpr ValueType C = ValueType::Computed;

constexpr std::string_view kXRechnung30 =
    "urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0";

Column Doc(std::string_view name, std::string_view term, std::string_view meaning, ValueType type,
           std::string_view written, std::string_view fallback = {}) {
  return {name, term, meaning, type, Home::Document, RowKind::Line, written, fallback};
}
Column Ln(std::string_view name, std::string_view term, std::string_view meaning, ValueType type,
          std::string_view written, std::string_view fallback = {}) {
  return {name, term, meaning, type, Home::Line, RowKind::Line, written, fallback};
}
Column Grp(RowKind group, std::string_view name, std::string_view term, std::string_view meaning,
           ValueType type, std::string_view written, std::string_view fallback = {}) {
  return {name, term, meaning, type, Home::Group, group, written, fallback};
}
Column Calc(std::string_view name, std::string_view term, std::string_view meaning,
            std::string_view written) {
  return {name, term, meaning, C, Home::Computed, RowKind::Line, written, {}};
}

// Short forms of the CII places, spelled out in the README.
const std::vector<Column>& Table() {
  using K = RowKind;
  static const std::vector<Column> columns = {
      Doc("BT1", "BT-1", "Invoice number", T, "Document/ID"),
      Doc("BT2", "BT-2", "Invoice issue date", D, "Document/IssueDateTime"),
      Doc("BT3", "BT-3", "Invoice type code (UNTDID 1001)", T, "Document/TypeCode"),
      Doc("BT5", "BT-5", "Invoice currency code (ISO 4217)", T, "Settlement/InvoiceCurrencyCode",
          "EUR"),
      Doc("BT6", "BT-6", "VAT accounting currency code", T, "Settlement/TaxCurrencyCode"),
      Doc("BT7", "BT-7", "Value added tax point date", D,
          "Settlement/ApplicableTradeTax/TaxPointDate"),
      Doc("BT8", "BT-8", "Value added tax point date code (UNTDID 2005)", T,
          "Settlement/ApplicableTradeTax/DueDateTypeCode"),
      Doc("BT9", "BT-9", "Payment due date", D,
          "Settlement/SpecifiedTradePaymentTerms/DueDateDateTime"),
      Doc("BT10", "BT-10", "Buyer reference (Leitweg-ID)", T, "Agreement/BuyerReference"),
      Doc("BT11", "BT-11", "Project reference", T, "Agreement/SpecifiedProcuringProject/ID"),
      Doc("BT12", "BT-12", "Contract reference", T,
          "Agreement/ContractReferencedDocument/IssuerAssignedID"),
      Doc("BT13", "BT-13", "Purchase order reference", T,
          "Agreement/BuyerOrderReferencedDocument/IssuerAssignedID"),
      Doc("BT14", "BT-14", "Sales order reference", T,
          "Agreement/SellerOrderReferencedDocument/IssuerAssignedID"),
      Doc("BT15", "BT-15", "Receiving advice reference", T,
          "Delivery/ReceivingAdviceReferencedDocument/IssuerAssignedID"),
      Doc("BT16", "BT-16", "Despatch advice reference", T,
          "Delivery/DespatchAdviceReferencedDocument/IssuerAssignedID"),
      Doc("BT17", "BT-17", "Tender or lot reference", T,
          "Agreement/AdditionalReferencedDocument[TypeCode 50]/IssuerAssignedID"),
      Doc("BT18", "BT-18", "Invoiced object identifier", T,
          "Agreement/AdditionalReferencedDocument[TypeCode 130]/IssuerAssignedID"),
      Doc("BT18_scheme", "BT-18-1", "Scheme of the invoiced object identifier", T,
          "Agreement/AdditionalReferencedDocument[TypeCode 130]/ReferenceTypeCode"),
      Doc("BT19", "BT-19", "Buyer accounting reference", T,
          "Settlement/ReceivableSpecifiedTradeAccountingAccount/ID"),
      Doc("BT20", "BT-20", "Payment terms", T, "Settlement/SpecifiedTradePaymentTerms/Description"),
      Grp(K::Note, "BT21", "BT-21", "Invoice note subject code (UNTDID 4451)", T,
          "Document/IncludedNote/SubjectCode"),
      Grp(K::Note, "BT22", "BT-22", "Invoice note", T, "Document/IncludedNote/Content"),
      Doc("BT23", "BT-23", "Business process type", T,
          "Context/BusinessProcessSpecifiedDocumentContextParameter/ID"),
      Doc("BT24", "BT-24", "Specification identifier", T,
          "Context/GuidelineSpecifiedDocumentContextParameter/ID", kXRechnung30),
      Grp(K::Preceding, "BT25", "BT-25", "Preceding invoice reference", T,
          "Settlement/InvoiceReferencedDocument/IssuerAssignedID"),
      Grp(K::Preceding, "BT26", "BT-26", "Preceding invoice issue date", D,
          "Settlement/InvoiceReferencedDocument/FormattedIssueDateTime"),
      // Seller.
      Doc("BT27", "BT-27", "Seller name", T, "Agreement/SellerTradeParty/Name"),
      Doc("BT28", "BT-28", "Seller trading name", T,
          "Agreement/SellerTradeParty/SpecifiedLegalOrganization/TradingBusinessName"),
      Grp(K::SellerId, "BT29", "BT-29", "Seller identifier", T,
          "Agreement/SellerTradeParty/ID, or GlobalID with a scheme"),
      Grp(K::SellerId, "BT29_scheme", "BT-29-1", "Scheme of the seller identifier", T,
          "Agreement/SellerTradeParty/GlobalID/@schemeID"),
      Doc("BT30", "BT-30", "Seller legal registration identifier", T,
          "Agreement/SellerTradeParty/SpecifiedLegalOrganization/ID"),
      Doc("BT30_scheme", "BT-30-1", "Scheme of the seller legal registration identifier", T,
          "Agreement/SellerTradeParty/SpecifiedLegalOrganization/ID/@schemeID"),
      Doc("BT31", "BT-31", "Seller VAT identifier", T,
          "Agreement/SellerTradeParty/SpecifiedTaxRegistration/ID[@schemeID VA]"),
      Doc("BT32", "BT-32", "Seller tax registration identifier", T,
          "Agreement/SellerTradeParty/SpecifiedTaxRegistration/ID[@schemeID FC]"),
      Doc("BT33", "BT-33", "Seller additional legal information", T,
          "Agreement/SellerTradeParty/Description"),
      Doc("BT34", "BT-34", "Seller electronic address", T,
          "Agreement/SellerTradeParty/URIUniversalCommunication/URIID"),
      Doc("BT34_scheme", "BT-34-1", "Scheme of the seller electronic address (EAS)", T,
          "Agreement/SellerTradeParty/URIUniversalCommunication/URIID/@schemeID", "EM"),
      Doc("BT35", "BT-35", "Seller address line 1", T,
          "Agreement/SellerTradeParty/PostalTradeAddress/LineOne"),
      Doc("BT36", "BT-36", "Seller address line 2", T,
          "Agreement/SellerTradeParty/PostalTradeAddress/LineTwo"),
      Doc("BT162", "BT-162", "Seller address line 3", T,
          "Agreement/SellerTradeParty/PostalTradeAddress/LineThree"),
      Doc("BT37", "BT-37", "Seller city", T,
          "Agreement/SellerTradeParty/PostalTradeAddress/CityName"),
      Doc("BT38", "BT-38", "Seller post code", T,
          "Agreement/SellerTradeParty/PostalTradeAddress/PostcodeCode"),
      Doc("BT39", "BT-39", "Seller country subdivision", T,
          "Agreement/SellerTradeParty/PostalTradeAddress/CountrySubDivisionName"),
      Doc("BT40", "BT-40", "Seller country code (ISO 3166)", T,
          "Agreement/SellerTradeParty/PostalTradeAddress/CountryID", "DE"),
      Doc("BT41", "BT-41", "Seller contact point", T,
          "Agreement/SellerTradeParty/DefinedTradeContact/PersonName"),
      Doc("BT42", "BT-42", "Seller contact telephone number", T,
          "Agreement/SellerTradeParty/DefinedTradeContact/TelephoneUniversalCommunication/"
          "CompleteNumber"),
      Doc("BT43", "BT-43", "Seller contact e-mail address", T,
          "Agreement/SellerTradeParty/DefinedTradeContact/EmailURIUniversalCommunication/URIID"),
      // Buyer.
      Doc("BT44", "BT-44", "Buyer name", T, "Agreement/BuyerTradeParty/Name"),
      Doc("BT45", "BT-45", "Buyer trading name", T,
          "Agreement/BuyerTradeParty/SpecifiedLegalOrganization/TradingBusinessName"),
      Doc("BT46", "BT-46", "Buyer identifier", T,
          "Agreement/BuyerTradeParty/ID, or GlobalID with a scheme"),
      Doc("BT46_scheme", "BT-46-1", "Scheme of the buyer identifier", T,
          "Agreement/BuyerTradeParty/GlobalID/@schemeID"),
      Doc("BT47", "BT-47", "Buyer legal registration identifier", T,
          "Agreement/BuyerTradeParty/SpecifiedLegalOrganization/ID"),
      Doc("BT47_scheme", "BT-47-1", "Scheme of the buyer legal registration identifier", T,
          "Agreement/BuyerTradeParty/SpecifiedLegalOrganization/ID/@schemeID"),
      Doc("BT48", "BT-48", "Buyer VAT identifier", T,
          "Agreement/BuyerTradeParty/SpecifiedTaxRegistration/ID[@schemeID VA]"),
      Doc("BT49", "BT-49", "Buyer electronic address", T,
          "Agreement/BuyerTradeParty/URIUniversalCommunication/URIID"),
      Doc("BT49_scheme", "BT-49-1", "Scheme of the buyer electronic address (EAS)", T,
          "Agreement/BuyerTradeParty/URIUniversalCommunication/URIID/@schemeID", "EM"),
      Doc("BT50", "BT-50", "Buyer address line 1", T,
          "Agreement/BuyerTradeParty/PostalTradeAddress/LineOne"),
      Doc("BT51", "BT-51", "Buyer address line 2", T,
          "Agreement/BuyerTradeParty/PostalTradeAddress/LineTwo"),
      Doc("BT163", "BT-163", "Buyer address line 3", T,
          "Agreement/BuyerTradeParty/PostalTradeAddress/LineThree"),
      Doc("BT52", "BT-52", "Buyer city", T,
          "Agreement/BuyerTradeParty/PostalTradeAddress/CityName"),
      Doc("BT53", "BT-53", "Buyer post code", T,
          "Agreement/BuyerTradeParty/PostalTradeAddress/PostcodeCode"),
      Doc("BT54", "BT-54", "Buyer country subdivision", T,
          "Agreement/BuyerTradeParty/PostalTradeAddress/CountrySubDivisionName"),
      Doc("BT55", "BT-55", "Buyer country code (ISO 3166)", T,
          "Agreement/BuyerTradeParty/PostalTradeAddress/CountryID", "DE"),
      Doc("BT56", "BT-56", "Buyer contact point", T,
          "Agreement/BuyerTradeParty/DefinedTradeContact/PersonName"),
      Doc("BT57", "BT-57", "Buyer contact telephone number", T,
          "Agreement/BuyerTradeParty/DefinedTradeContact/TelephoneUniversalCommunication/"
          "CompleteNumber"),
      Doc("BT58", "BT-58", "Buyer contact e-mail address", T,
          "Agreement/BuyerTradeParty/DefinedTradeContact/EmailURIUniversalCommunication/URIID"),
      // Payee.
      Doc("BT59", "BT-59", "Payee name", T, "Settlement/PayeeTradeParty/Name"),
      Doc("BT60", "BT-60", "Payee identifier", T,
          "Settlement/PayeeTradeParty/ID, or GlobalID with a scheme"),
      Doc("BT60_scheme", "BT-60-1", "Scheme of the payee identifier", T,
          "Settlement/PayeeTradeParty/GlobalID/@schemeID"),
      Doc("BT61", "BT-61", "Payee legal registration identifier", T,
          "Settlement/PayeeTradeParty/SpecifiedLegalOrganization/ID"),
      Doc("BT61_scheme", "BT-61-1", "Scheme of the payee legal registration identifier", T,
          "Settlement/PayeeTradeParty/SpecifiedLegalOrganization/ID/@schemeID"),
      // Seller tax representative.
      Doc("BT62", "BT-62", "Seller tax representative name", T,
          "Agreement/SellerTaxRepresentativeTradeParty/Name"),
      Doc("BT63", "BT-63", "Seller tax representative VAT identifier", T,
          "Agreement/SellerTaxRepresentativeTradeParty/SpecifiedTaxRegistration/ID"),
      Doc("BT64", "BT-64", "Tax representative address line 1", T,
          "Agreement/SellerTaxRepresentativeTradeParty/PostalTradeAddress/LineOne"),
      Doc("BT65", "BT-65", "Tax representative address line 2", T,
          "Agreement/SellerTaxRepresentativeTradeParty/PostalTradeAddress/LineTwo"),
      Doc("BT164", "BT-164", "Tax representative address line 3", T,
          "Agreement/SellerTaxRepresentativeTradeParty/PostalTradeAddress/LineThree"),
      Doc("BT66", "BT-66", "Tax representative city", T,
          "Agreement/SellerTaxRepresentativeTradeParty/PostalTradeAddress/CityName"),
      Doc("BT67", "BT-67", "Tax representative post code", T,
          "Agreement/SellerTaxRepresentativeTradeParty/PostalTradeAddress/PostcodeCode"),
      Doc("BT68", "BT-68", "Tax representative country subdivision", T,
          "Agreement/SellerTaxRepresentativeTradeParty/PostalTradeAddress/CountrySubDivisionName"),
      Doc("BT69", "BT-69", "Tax representative country code", T,
          "Agreement/SellerTaxRepresentativeTradeParty/PostalTradeAddress/CountryID"),
      // Delivery and invoicing period.
      Doc("BT70", "BT-70", "Deliver to party name", T, "Delivery/ShipToTradeParty/Name"),
      Doc("BT71", "BT-71", "Deliver to location identifier", T,
          "Delivery/ShipToTradeParty/ID, or GlobalID with a scheme"),
      Doc("BT71_scheme", "BT-71-1", "Scheme of the deliver to location identifier", T,
          "Delivery/ShipToTradeParty/GlobalID/@schemeID"),
      Doc("BT72", "BT-72", "Actual delivery date", D,
          "Delivery/ActualDeliverySupplyChainEvent/OccurrenceDateTime"),
      Doc("BT73", "BT-73", "Invoicing period start date", D,
          "Settlement/BillingSpecifiedPeriod/StartDateTime"),
      Doc("BT74", "BT-74", "Invoicing period end date", D,
          "Settlement/BillingSpecifiedPeriod/EndDateTime"),
      Doc("BT75", "BT-75", "Deliver to address line 1", T,
          "Delivery/ShipToTradeParty/PostalTradeAddress/LineOne"),
      Doc("BT76", "BT-76", "Deliver to address line 2", T,
          "Delivery/ShipToTradeParty/PostalTradeAddress/LineTwo"),
      Doc("BT165", "BT-165", "Deliver to address line 3", T,
          "Delivery/ShipToTradeParty/PostalTradeAddress/LineThree"),
      Doc("BT77", "BT-77", "Deliver to city", T,
          "Delivery/ShipToTradeParty/PostalTradeAddress/CityName"),
      Doc("BT78", "BT-78", "Deliver to post code", T,
          "Delivery/ShipToTradeParty/PostalTradeAddress/PostcodeCode"),
      Doc("BT79", "BT-79", "Deliver to country subdivision", T,
          "Delivery/ShipToTradeParty/PostalTradeAddress/CountrySubDivisionName"),
      Doc("BT80", "BT-80", "Deliver to country code", T,
          "Delivery/ShipToTradeParty/PostalTradeAddress/CountryID"),
      // Payment.
      Grp(K::Payment, "BT81", "BT-81", "Payment means type code (UNTDID 4461)", T,
          "Settlement/SpecifiedTradeSettlementPaymentMeans/TypeCode"),
      Grp(K::Payment, "BT82", "BT-82", "Payment means text", T,
          "Settlement/SpecifiedTradeSettlementPaymentMeans/Information"),
      Doc("BT83", "BT-83", "Remittance information", T, "Settlement/PaymentReference"),
      Grp(K::Payment, "BT84", "BT-84", "Payment account identifier (IBAN)", T,
          "Settlement/SpecifiedTradeSettlementPaymentMeans/PayeePartyCreditorFinancialAccount/"
          "IBANID"),
      Grp(K::Payment, "BT85", "BT-85", "Payment account name", T,
          "Settlement/SpecifiedTradeSettlementPaymentMeans/PayeePartyCreditorFinancialAccount/"
          "AccountName"),
      Grp(K::Payment, "BT86", "BT-86", "Payment service provider identifier (BIC)", T,
          "Settlement/SpecifiedTradeSettlementPaymentMeans/"
          "PayeeSpecifiedCreditorFinancialInstitution/BICID"),
      Grp(K::Payment, "BT87", "BT-87", "Payment card primary account number", T,
          "Settlement/SpecifiedTradeSettlementPaymentMeans/ApplicableTradeSettlementFinancialCard/"
          "ID"),
      Grp(K::Payment, "BT88", "BT-88", "Payment card holder name", T,
          "Settlement/SpecifiedTradeSettlementPaymentMeans/ApplicableTradeSettlementFinancialCard/"
          "CardholderName"),
      Doc("BT89", "BT-89", "Mandate reference identifier", T,
          "Settlement/SpecifiedTradePaymentTerms/DirectDebitMandateID"),
      Doc("BT90", "BT-90", "Bank assigned creditor identifier", T,
          "Settlement/CreditorReferenceID"),
      Grp(K::Payment, "BT91", "BT-91", "Debited account identifier", T,
          "Settlement/SpecifiedTradeSettlementPaymentMeans/PayerPartyDebtorFinancialAccount/"
          "IBANID"),
      // Document level allowances and charges.
      Grp(K::Allowance, "BT92", "BT-92", "Document level allowance amount", A,
          "Settlement/SpecifiedTradeAllowanceCharge[false]/ActualAmount"),
      Grp(K::Allowance, "BT93", "BT-93", "Document level allowance base amount", A,
          "Settlement/SpecifiedTradeAllowanceCharge[false]/BasisAmount"),
      Grp(K::Allowance, "BT94", "BT-94", "Document level allowance percentage", N,
          "Settlement/SpecifiedTradeAllowanceCharge[false]/CalculationPercent"),
      Grp(K::Allowance, "BT95", "BT-95", "Document level allowance VAT category code", T,
          "Settlement/SpecifiedTradeAllowanceCharge[false]/CategoryTradeTax/CategoryCode"),
      Grp(K::Allowance, "BT96", "BT-96", "Document level allowance VAT rate", N,
          "Settlement/SpecifiedTradeAllowanceCharge[false]/CategoryTradeTax/RateApplicablePercent"),
      Grp(K::Allowance, "BT97", "BT-97", "Document level allowance reason", T,
          "Settlement/SpecifiedTradeAllowanceCharge[false]/Reason"),
      Grp(K::Allowance, "BT98", "BT-98", "Document level allowance reason code (UNTDID 5189)", T,
          "Settlement/SpecifiedTradeAllowanceCharge[false]/ReasonCode"),
      Grp(K::Charge, "BT99", "BT-99", "Document level charge amount", A,
          "Settlement/SpecifiedTradeAllowanceCharge[true]/ActualAmount"),
      Grp(K::Charge, "BT100", "BT-100", "Document level charge base amount", A,
          "Settlement/SpecifiedTradeAllowanceCharge[true]/BasisAmount"),
      Grp(K::Charge, "BT101", "BT-101", "Document level charge percentage", N,
          "Settlement/SpecifiedTradeAllowanceCharge[true]/CalculationPercent"),
      Grp(K::Charge, "BT102", "BT-102", "Document level charge VAT category code", T,
          "Settlement/SpecifiedTradeAllowanceCharge[true]/CategoryTradeTax/CategoryCode", "S"),
      Grp(K::Charge, "BT103", "BT-103", "Document level charge VAT rate", N,
          "Settlement/SpecifiedTradeAllowanceCharge[true]/CategoryTradeTax/RateApplicablePercent"),
      Grp(K::Charge, "BT104", "BT-104", "Document level charge reason", T,
          "Settlement/SpecifiedTradeAllowanceCharge[true]/Reason"),
      Grp(K::Charge, "BT105", "BT-105", "Document level charge reason code (UNTDID 7161)", T,
          "Settlement/SpecifiedTradeAllowanceCharge[true]/ReasonCode"),
      // Totals.
      Calc("BT106", "BT-106", "Sum of invoice line net amounts",
           "Settlement/SpecifiedTradeSettlementHeaderMonetarySummation/LineTotalAmount"),
      Calc("BT107", "BT-107", "Sum of allowances on document level",
           "Settlement/SpecifiedTradeSettlementHeaderMonetarySummation/AllowanceTotalAmount"),
      Calc("BT108", "BT-108", "Sum of charges on document level",
           "Settlement/SpecifiedTradeSettlementHeaderMonetarySummation/ChargeTotalAmount"),
      Doc("BT109", "BT-109", "Invoice total amount without VAT (checked against the computed one)",
          A, "Settlement/SpecifiedTradeSettlementHeaderMonetarySummation/TaxBasisTotalAmount"),
      Doc("BT110", "BT-110", "Invoice total VAT amount (checked against the computed one)", A,
          "Settlement/SpecifiedTradeSettlementHeaderMonetarySummation/TaxTotalAmount"),
      Doc("BT111", "BT-111", "Invoice total VAT amount in accounting currency", A,
          "Settlement/SpecifiedTradeSettlementHeaderMonetarySummation/TaxTotalAmount "
          "(accounting currency)"),
      Doc("BT112", "BT-112", "Invoice total amount with VAT (checked against the computed one)", A,
          "Settlement/SpecifiedTradeSettlementHeaderMonetarySummation/GrandTotalAmount"),
      Doc("BT113", "BT-113", "Paid amount", A,
          "Settlement/SpecifiedTradeSettlementHeaderMonetarySummation/TotalPrepaidAmount"),
      Doc("BT114", "BT-114", "Rounding amount", A,
          "Settlement/SpecifiedTradeSettlementHeaderMonetarySummation/RoundingAmount"),
      Doc("BT115", "BT-115", "Amount due for payment (checked against the computed one)", A,
          "Settlement/SpecifiedTradeSettlementHeaderMonetarySummation/DuePayableAmount"),
      // VAT breakdown.
      Calc("BT116", "BT-116", "VAT category taxable amount",
           "Settlement/ApplicableTradeTax/BasisAmount"),
      Calc("BT117", "BT-117", "VAT category tax amount",
           "Settlement/ApplicableTradeTax/CalculatedAmount"),
      Ln("BT118", "BT-151",
         "VAT category code of the line (older name of BT151; the breakdown's BT-118 is computed)",
         T, "Line/SpecifiedLineTradeSettlement/ApplicableTradeTax/CategoryCode", "S"),
      Calc("BT119", "BT-119", "VAT category rate",
           "Settlement/ApplicableTradeTax/RateApplicablePercent"),
      Ln("BT120", "BT-120", "VAT exemption reason text, for the VAT category of the row", T,
         "Settlement/ApplicableTradeTax/ExemptionReason"),
      Ln("BT121", "BT-121", "VAT exemption reason code (VATEX), for the VAT category of the row", T,
         "Settlement/ApplicableTradeTax/ExemptionReasonCode"),
      // Additional supporting documents.
      Grp(K::Attachment, "BT122", "BT-122", "Supporting document reference", T,
          "Agreement/AdditionalReferencedDocument[TypeCode 916]/IssuerAssignedID"),
      Grp(K::Attachment, "BT123", "BT-123", "Supporting document description", T,
          "Agreement/AdditionalReferencedDocument[TypeCode 916]/Name"),
      Grp(K::Attachment, "BT124", "BT-124", "External document location", T,
          "Agreement/AdditionalReferencedDocument[TypeCode 916]/URIID"),
      Grp(K::Attachment, "BT125", "BT-125", "Attached document (BLOB, or Base64 text)", B,
          "Agreement/AdditionalReferencedDocument[TypeCode 916]/AttachmentBinaryObject"),
      Grp(K::Attachment, "BT125_mime", "BT-125-1", "Attached document MIME code", T,
          "Agreement/AdditionalReferencedDocument/AttachmentBinaryObject/@mimeCode"),
      Grp(K::Attachment, "BT125_filename", "BT-125-2", "Attached document file name", T,
          "Agreement/AdditionalReferencedDocument/AttachmentBinaryObject/@filename"),
      // Invoice line.
      Ln("BT126", "BT-126", "Invoice line identifier", T,
         "Line/AssociatedDocumentLineDocument/LineID"),
      Ln("BT127", "BT-127", "Invoice line note", T,
         "Line/AssociatedDocumentLineDocument/IncludedNote/Content"),
      Ln("BT128", "BT-128", "Invoice line object identifier", T,
         "Line/SpecifiedLineTradeSettlement/AdditionalReferencedDocument[TypeCode 130]/"
         "IssuerAssignedID"),
      Ln("BT128_scheme", "BT-128-1", "Scheme of the invoice line object identifier", T,
         "Line/SpecifiedLineTradeSettlement/AdditionalReferencedDocument/ReferenceTypeCode"),
      Ln("BT129", "BT-129", "Invoiced quantity", N,
         "Line/SpecifiedLineTradeDelivery/BilledQuantity"),
      Ln("BT130", "BT-130", "Invoiced quantity unit of measure code (UNECE Rec 20/21)", T,
         "Line/SpecifiedLineTradeDelivery/BilledQuantity/@unitCode", "XPP"),
      Ln("BT131", "BT-131", "Invoice line net amount", A,
         "Line/SpecifiedLineTradeSettlement/SpecifiedTradeSettlementLineMonetarySummation/"
         "LineTotalAmount"),
      Ln("BT132", "BT-132", "Referenced purchase order line reference", T,
         "Line/SpecifiedLineTradeAgreement/BuyerOrderReferencedDocument/LineID"),
      Ln("BT133", "BT-133", "Invoice line buyer accounting reference", T,
         "Line/SpecifiedLineTradeSettlement/ReceivableSpecifiedTradeAccountingAccount/ID"),
      Ln("BT134", "BT-134", "Invoice line period start date", D,
         "Line/SpecifiedLineTradeSettlement/BillingSpecifiedPeriod/StartDateTime"),
      Ln("BT135", "BT-135", "Invoice line period end date", D,
         "Line/SpecifiedLineTradeSettlement/BillingSpecifiedPeriod/EndDateTime"),
      Grp(K::LineAllowance, "BT136", "BT-136", "Invoice line allowance amount", A,
          "Line/SpecifiedLineTradeSettlement/SpecifiedTradeAllowanceCharge[false]/ActualAmount"),
      Grp(K::LineAllowance, "BT137", "BT-137", "Invoice line allowance base amount", A,
          "Line/SpecifiedLineTradeSettlement/SpecifiedTradeAllowanceCharge[false]/BasisAmount"),
      Grp(K::LineAllowance, "BT138", "BT-138", "Invoice line allowance percentage", N,
          "Line/SpecifiedLineTradeSettlement/SpecifiedTradeAllowanceCharge[false]/"
          "CalculationPercent"),
      Grp(K::LineAllowance, "BT139", "BT-139", "Invoice line allowance reason", T,
          "Line/SpecifiedLineTradeSettlement/SpecifiedTradeAllowanceCharge[false]/Reason"),
      Grp(K::LineAllowance, "BT140", "BT-140", "Invoice line allowance reason code (UNTDID 5189)",
          T, "Line/SpecifiedLineTradeSettlement/SpecifiedTradeAllowanceCharge[false]/ReasonCode"),
      Grp(K::LineCharge, "BT141", "BT-141", "Invoice line charge amount", A,
          "Line/SpecifiedLineTradeSettlement/SpecifiedTradeAllowanceCharge[true]/ActualAmount"),
      Grp(K::LineCharge, "BT142", "BT-142", "Invoice line charge base amount", A,
          "Line/SpecifiedLineTradeSettlement/SpecifiedTradeAllowanceCharge[true]/BasisAmount"),
      Grp(K::LineCharge, "BT143", "BT-143", "Invoice line charge percentage", N,
          "Line/SpecifiedLineTradeSettlement/SpecifiedTradeAllowanceCharge[true]/"
          "CalculationPercent"),
      Grp(K::LineCharge, "BT144", "BT-144", "Invoice line charge reason", T,
          "Line/SpecifiedLineTradeSettlement/SpecifiedTradeAllowanceCharge[true]/Reason"),
      Grp(K::LineCharge, "BT145", "BT-145", "Invoice line charge reason code (UNTDID 7161)", T,
          "Line/SpecifiedLineTradeSettlement/SpecifiedTradeAllowanceCharge[true]/ReasonCode"),
      // Price details.
      Ln("BT146", "BT-146", "Item net price", N,
         "Line/SpecifiedLineTradeAgreement/NetPriceProductTradePrice/ChargeAmount"),
      Ln("BT147", "BT-147", "Item price discount", N,
         "Line/SpecifiedLineTradeAgreement/GrossPriceProductTradePrice/AppliedTradeAllowanceCharge/"
         "ActualAmount"),
      Ln("BT148", "BT-148", "Item gross price", N,
         "Line/SpecifiedLineTradeAgreement/GrossPriceProductTradePrice/ChargeAmount"),
      Ln("BT149", "BT-149", "Item price base quantity", N,
         "Line/SpecifiedLineTradeAgreement/NetPriceProductTradePrice/BasisQuantity"),
      Ln("BT150", "BT-150", "Item price base quantity unit of measure code", T,
         "Line/SpecifiedLineTradeAgreement/NetPriceProductTradePrice/BasisQuantity/@unitCode"),
      // Line VAT and item.
      Ln("BT151", "BT-151", "Invoiced item VAT category code (takes precedence over BT118)", T,
         "Line/SpecifiedLineTradeSettlement/ApplicableTradeTax/CategoryCode"),
      Ln("BT152", "BT-152", "Invoiced item VAT rate", N,
         "Line/SpecifiedLineTradeSettlement/ApplicableTradeTax/RateApplicablePercent"),
      Ln("BT153", "BT-153", "Item name", T, "Line/SpecifiedTradeProduct/Name"),
      Ln("BT154", "BT-154", "Item description", T, "Line/SpecifiedTradeProduct/Description"),
      Ln("BT155", "BT-155", "Item seller's identifier", T,
         "Line/SpecifiedTradeProduct/SellerAssignedID"),
      Ln("BT156", "BT-156", "Item buyer's identifier", T,
         "Line/SpecifiedTradeProduct/BuyerAssignedID"),
      Ln("BT157", "BT-157", "Item standard identifier", T, "Line/SpecifiedTradeProduct/GlobalID"),
      Ln("BT157_scheme", "BT-157-1", "Scheme of the item standard identifier (0160: GTIN)", T,
         "Line/SpecifiedTradeProduct/GlobalID/@schemeID"),
      Grp(K::Classification, "BT158", "BT-158", "Item classification identifier", T,
          "Line/SpecifiedTradeProduct/DesignatedProductClassification/ClassCode"),
      Grp(K::Classification, "BT158_scheme", "BT-158-1",
          "Item classification list identifier (UNTDID 7143)", T,
          "Line/SpecifiedTradeProduct/DesignatedProductClassification/ClassCode/@listID"),
      Grp(K::Classification, "BT158_version", "BT-158-2", "Item classification list version", T,
          "Line/SpecifiedTradeProduct/DesignatedProductClassification/ClassCode/@listVersionID"),
      Ln("BT159", "BT-159", "Item country of origin", T,
         "Line/SpecifiedTradeProduct/OriginTradeCountry/ID"),
      Grp(K::Attribute, "BT160", "BT-160", "Item attribute name", T,
          "Line/SpecifiedTradeProduct/ApplicableProductCharacteristic/Description"),
      Grp(K::Attribute, "BT161", "BT-161", "Item attribute value", T,
          "Line/SpecifiedTradeProduct/ApplicableProductCharacteristic/Value"),
  };
  return columns;
}

struct KindName {
  RowKind kind;
  std::string_view name;
};

constexpr KindName kKindNames[] = {
    {RowKind::Line, ""},
    {RowKind::Note, "NOTE"},
    {RowKind::Preceding, "PRECEDING"},
    {RowKind::SellerId, "SELLERID"},
    {RowKind::Payment, "PAYMENT"},
    {RowKind::Allowance, "ALLOWANCE"},
    {RowKind::Charge, "CHARGE"},
    {RowKind::Attachment, "ATTACHMENT"},
    {RowKind::LineAllowance, "LINEALLOWANCE"},
    {RowKind::LineCharge, "LINECHARGE"},
    {RowKind::Classification, "CLASSIFICATION"},
    {RowKind::Attribute, "ATTRIBUTE"},
};

}  // namespace

const std::vector<Column>& Columns() { return Table(); }

const Column* FindColumn(std::string_view name) {
  static const std::unordered_map<std::string, const Column*> index = [] {
    std::unordered_map<std::string, const Column*> map;
    for (const Column& c : Table()) map.emplace(ascii::Lower(std::string(c.name)), &c);
    return map;
  }();
  auto it = index.find(ascii::Lower(std::string(name)));
  return it == index.end() ? nullptr : it->second;
}

std::string_view RowKindName(RowKind kind) {
  for (const auto& k : kKindNames)
    if (k.kind == kind) return k.name;
  return {};
}

bool ParseRowKind(std::string_view text, RowKind& kind) {
  text = ascii::TrimBlanks(text);
  const std::string upper = ascii::Upper(std::string(text));
  if (upper.empty() || upper == "LINE") {
    kind = RowKind::Line;
    return true;
  }
  for (const auto& k : kKindNames)
    if (!k.name.empty() && upper == k.name) {
      kind = k.kind;
      return true;
    }
  return false;
}

const std::vector<RowKind>& RowKinds() {
  static const std::vector<RowKind> kinds = [] {
    std::vector<RowKind> all;
    for (const auto& k : kKindNames) all.push_back(k.kind);
    return all;
  }();
  return kinds;
}

bool IsLineGroup(RowKind kind) {
  return kind == RowKind::LineAllowance || kind == RowKind::LineCharge ||
         kind == RowKind::Classification || kind == RowKind::Attribute;
}

std::string_view Fallback(std::string_view column) {
  const Column* c = FindColumn(column);
  return c ? c->fallback : std::string_view();
}

}  // namespace belvora::model
