// Picture of what this reader reads (prefixes of SelectionNamespaces()):
//
// rsm:CrossIndustryInvoice
//   rsm:ExchangedDocumentContext
//     ram:BusinessProcessSpecifiedDocumentContextParameter/ram:ID
//     ram:GuidelineSpecifiedDocumentContextParameter/ram:ID
//   rsm:ExchangedDocument           ID, TypeCode, IssueDateTime, IncludedNote*
//   rsm:SupplyChainTradeTransaction
//     ram:IncludedSupplyChainTradeLineItem*     the lines
//     ram:ApplicableHeaderTradeAgreement        Seller/BuyerTradeParty,
//                                                AdditionalReferencedDocument*
//     ram:ApplicableHeaderTradeDelivery
//     ram:ApplicableHeaderTradeSettlement       payee account, ApplicableTradeTax*,
//                                                SpecifiedTradeAllowanceCharge*,
//                                                SpecifiedTradePaymentTerms,
//                                                SpecifiedTradeSettlementHeaderMonetarySummation

#include "reader/clsCIIImport.h"

#include <algorithm>

#include "reader/AttachmentFiles.h"
#include "reader/ViewNumbers.h"
#include "text/Texte.h"

namespace belvora::reader {

namespace {

constexpr const char* kNamespaces =
    "xmlns:rsm='urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100' "
    "xmlns:ram='urn:un:unece:uncefact:data:standard:ReusableAggregateBusinessInformationEntity:"
    "100' xmlns:udt='urn:un:unece:uncefact:data:standard:UnqualifiedDataType:100' "
    "xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance'";

// The ten party slots in slot order, below the party element.
constexpr const char* kPartyPaths[] = {
    "ram:Name",
    "ram:SpecifiedTaxRegistration/ram:ID",
    "ram:URIUniversalCommunication/ram:URIID",
    "ram:PostalTradeAddress/ram:LineOne",
    "ram:PostalTradeAddress/ram:CountryID",
    "ram:PostalTradeAddress/ram:PostcodeCode",
    "ram:PostalTradeAddress/ram:CityName",
    "ram:DefinedTradeContact/ram:PersonName",
    "ram:DefinedTradeContact/ram:EmailURIUniversalCommunication/ram:URIID",
    "ram:DefinedTradeContact/ram:TelephoneUniversalCommunication/ram:CompleteNumber",
};

// The eight amounts of the monetary summation, in field order from SumOfNet.
constexpr const char* kSummationPaths[] = {
    "ram:LineTotalAmount",      "ram:TaxBasisTotalAmount", "ram:TaxTotalAmount",
    "ram:AllowanceTotalAmount", "ram:ChargeTotalAmount",   "ram:TotalPrepaidAmount",
    "ram:RoundingAmount",       "ram:DuePayableAmount",
};

std::optional<std::string> displayDate(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  return DisplayDate(*text);
}

}  // namespace

std::string_view clsCIIImport::SelectionNamespaces() { return kNamespaces; }

std::string clsCIIImport::amount(double value) const {
  return FormatViewNumber(value, format_.pattern, format_.language);
}

bool clsCIIImport::ExchangedDocument(const xmlNode* node, const FieldList& fields) {
  const xmlNode* issue = node ? xp_.first("ram:IssueDateTime", node) : nullptr;
  const xmlNode* note = node ? xp_.first("ram:IncludedNote", node) : nullptr;
  setField(fields, 0, xp_.text("//ram:GuidelineSpecifiedDocumentContextParameter"));
  if (node) setField(fields, 1, xp_.text("ram:ID", node));
  if (note) setField(fields, 2, xp_.text("ram:SubjectCode", note));
  if (issue) setField(fields, 3, displayDate(xp_.text("udt:DateTimeString", issue)));
  if (node) setField(fields, 4, xp_.text("ram:TypeCode", node));
  if (note) setField(fields, 5, xp_.text("ram:Content", note));
  setField(fields, 6, xp_.text("//ram:BusinessProcessSpecifiedDocumentContextParameter"));
  return true;
}

bool clsCIIImport::party(const xmlNode* node, const char* path, const FieldList& fields) {
  const xmlNode* party = node ? xp_.first(path, node) : nullptr;
  if (!hasChildNodes(party)) return true;
  for (std::size_t k = 0; k < std::size(kPartyPaths); ++k) {
    setField(fields, k, xp_.text(kPartyPaths[k], party));
  }
  return true;
}

bool clsCIIImport::SellerTradeParty(const xmlNode* node, const FieldList& fields) {
  return party(node, "ram:SellerTradeParty", fields);
}

bool clsCIIImport::BuyerTradePartyNode(const xmlNode* node, const FieldList& fields) {
  return party(node, "ram:BuyerTradeParty", fields);
}

bool clsCIIImport::SpecifiedTradePaymentTerms(const xmlNode* node, const FieldList& fields) {
  if (const xmlNode* terms = node ? xp_.first("ram:SpecifiedTradePaymentTerms", node) : nullptr) {
    setField(fields, 0, displayDate(xp_.text("ram:DueDateDateTime", terms)));
    setField(fields, 1, xp_.text("ram:Description", terms));
  }
  setField(fields, 2, xp_.text("//ram:PayeePartyCreditorFinancialAccount/ram:AccountName"));
  setField(fields, 3, xp_.text("//ram:PayeePartyCreditorFinancialAccount/ram:IBANID"));
  setField(fields, 4, xp_.text("//ram:PayeeSpecifiedCreditorFinancialInstitution/ram:BICID"));
  return true;
}

bool clsCIIImport::IncludedSupplyChainTradeLineItem(const xmlNode*, Grid& grid) {
  grid.clear();
  const auto lines = xp_.all("//ram:IncludedSupplyChainTradeLineItem");
  if (lines.empty()) return true;
  // One base quantity for every line: the first of the document.
  std::string base = xp_.text("//ram:BasisQuantity").value_or("");
  std::replace(base.begin(), base.end(), '.', ',');
  if (base.empty()) base = "1.00";

  grid.rows.reserve(lines.size());
  for (const xmlNode* line : lines) {
    if (!hasChildNodes(line)) continue;
    GridRow& row =
        grid.addRow(xp_.text("ram:AssociatedDocumentLineDocument/ram:LineID", line).value_or(""));
    auto& cells = row.cells;
    cells[1] = xp_.text("ram:SpecifiedTradeProduct/ram:Name", line).value_or("");
    cells[2] = xp_.text("ram:SpecifiedTradeProduct/ram:Description", line).value_or("");
    if (auto qty = xp_.text("ram:SpecifiedLineTradeDelivery/ram:BilledQuantity", line)) {
      cells[3] = FormatViewNumber(DocumentNumber(qty), "0.00", format_.language);
    }
    double price = 0;
    if (auto text = xp_.text(
            "ram:SpecifiedLineTradeAgreement/ram:NetPriceProductTradePrice/ram:ChargeAmount",
            line)) {
      price = DocumentNumber(text);
      cells[4] = amount(price);
    }
    cells[5] = base;
    if (auto rate = xp_.text(
            "ram:SpecifiedLineTradeSettlement/ram:ApplicableTradeTax/ram:RateApplicablePercent",
            line)) {
      cells[6] = FormatViewNumber(DocumentNumber(rate), "0", format_.language);
    }
    if (auto total =
            xp_.text("ram:SpecifiedLineTradeSettlement/"
                     "ram:SpecifiedTradeSettlementLineMonetarySummation/ram:LineTotalAmount",
                     line)) {
      cells[7] = amount(DocumentNumber(total));
    }
    row.color = price < 0 ? 255 : 0;
  }
  return true;
}

bool clsCIIImport::ApplicableTradeTax(const xmlNode* node, Grid& grid, const FieldList& fields) {
  grid.clear();
  double taxSum = 0;
  double basisSum = 0;
  if (node) {
    for (const xmlNode* tax : xp_.all("ram:ApplicableTradeTax", node)) {
      if (!hasChildNodes(tax)) continue;
      GridRow& row = grid.addRow("");
      row.cells[1] = xp_.text("ram:RateApplicablePercent", tax).value_or("");
      if (auto text = xp_.text("ram:CalculatedAmount", tax)) {
        const double value = DocumentNumber(text);
        row.cells[2] = amount(value);
        taxSum += value;
      }
      if (auto text = xp_.text("ram:BasisAmount", tax)) {
        const double value = DocumentNumber(text);
        row.cells[3] = amount(value);
        basisSum += value;
      }
    }
  }
  setField(fields, 0, amount(taxSum));
  setField(fields, 1, amount(basisSum));
  return true;
}

bool clsCIIImport::SpecifiedTradeAllowanceCharge(const xmlNode*, Grid& grid) {
  grid.clear();
  for (const xmlNode* charge : xp_.all("//ram:SpecifiedTradeAllowanceCharge")) {
    if (!hasChildNodes(charge)) continue;
    GridRow& row = grid.addRow(xp_.text("ram:Reason", charge).value_or(""));
    row.cells[1] = xp_.text("ram:ReasonCode", charge).value_or("");
    row.cells[2] = xp_.text("ram:CalculationPercent", charge).value_or("");
    row.cells[3] = xp_.text("ram:ActualAmount", charge).value_or("");
    row.cells[4] = xp_.text("ram:BasisAmount", charge).value_or("");
  }
  return true;
}

bool clsCIIImport::SpecifiedTradeSettlementHeaderMonetarySummation(const xmlNode* node,
                                                                   const FieldList& fields) {
  double values[std::size(kSummationPaths)] = {};
  for (std::size_t i = 0; i < std::size(kSummationPaths); ++i) {
    if (node) values[i] = DocumentNumber(xp_.text(kSummationPaths[i], node));
  }
  const double taxTotal = values[2];
  const double prepaid = values[5];
  const double due = values[7];
  setField(fields, 0, amount(taxTotal));
  setField(fields, 1, amount(prepaid + due));
  for (std::size_t i = 0; i < std::size(kSummationPaths); ++i) {
    setField(fields, 2 + i, amount(values[i]));
  }
  if (const xmlNode* tax = node ? xp_.first("ram:TaxTotalAmount", node) : nullptr) {
    const std::string currency = xml::attribute(tax, "currencyID");
    setField(fields, 10, currency);
    setField(fields, 11, currency);
  }
  return true;
}

bool clsCIIImport::AdditionalReferencedDocument(const xmlNode*, AttachmentFolder& folder) {
  const auto references = xp_.all("//ram:AdditionalReferencedDocument");
  for (const xmlNode* ref : references) {
    const std::string content = xp_.text("ram:AttachmentBinaryObject", ref).value_or("");
    const std::string id = xp_.text("ram:IssuerAssignedID", ref).value_or("");
    const std::string mime = xp_.text("ram:AttachmentBinaryObject/@mimeCode", ref).value_or("");
    const std::string filename = xp_.text("ram:AttachmentBinaryObject/@filename", ref).value_or("");
    const std::string uri = xp_.text("ram:URIID", ref).value_or("");
    // Content and address both reach the folder: the file, then its shortcut.
    if (!content.empty()) {
      // Without a file-name attribute the MIME code names the file; with
      // one, the identifier does (the attribute, when the identifier gives
      // no usable name).
      std::string name = filename.empty() ? "Externfile" + MimeExtension(mime) : id;
      if (!filename.empty() && SafeBaseName(id).empty()) name = filename;
      folder.saveBase64(content, name);
    }
    if (!uri.empty()) folder.saveShortcut(id, uri);
  }
  return !references.empty();
}

}  // namespace belvora::reader
