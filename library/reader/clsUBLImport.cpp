// Picture of what this reader reads (prefixes of SelectionNamespaces()):
//
// Invoice | CreditNote
//   cbc:ID, cbc:IssueDate, cbc:DueDate, cbc:Note ...   read by the viewer itself
//   cac:AdditionalDocumentReference*   cbc:ID, cac:Attachment/
//                                        cbc:EmbeddedDocumentBinaryObject (@mimeCode, @filename)
//                                        cac:ExternalReference/cbc:URI
//   cac:AccountingSupplierParty/cac:Party   PartyLegalEntity, PartyTaxScheme,
//   cac:AccountingCustomerParty/cac:Party   PostalAddress, Contact, cbc:EndpointID
//   cac:AllowanceCharge*               also inside lines and prices
//   cac:TaxTotal/cac:TaxSubtotal*      TaxableAmount, TaxAmount, TaxCategory/cbc:Percent
//   cac:LegalMonetaryTotal             the eight document amounts
//   cac:InvoiceLine* | cac:CreditNoteLine*
//     cbc:ID, cbc:InvoicedQuantity | cbc:CreditedQuantity, cbc:LineExtensionAmount,
//     cac:Item (Name, Description, ClassifiedTaxCategory/cbc:Percent),
//     cac:Price (PriceAmount, BaseQuantity)

#include "reader/clsUBLImport.h"

#include <algorithm>

#include "reader/AttachmentFiles.h"
#include "reader/ViewNumbers.h"
#include "text/Texte.h"

namespace belvora::reader {

namespace {

constexpr const char* kNamespaces =
    "xmlns:cbc='urn:oasis:names:specification:ubl:schema:xsd:CommonBasicComponents-2' "
    "xmlns:cac='urn:oasis:names:specification:ubl:schema:xsd:CommonAggregateComponents-2' "
    "xmlns:qdt='urn:oasis:names:specification:ubl:schema:xsd:QualifiedDataTypes-2' "
    "xmlns:udt='urn:oasis:names:specification:ubl:schema:xsd:UnqualifiedDataTypes-2' "
    "xmlns:ccts='urn:un:unece:uncefact:documentation:2' "
    "xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance'";

// Party slots in slot order, below cac:Party; slot 1 depends on the dialect.
constexpr const char* kPartyPaths[] = {
    "cac:PartyLegalEntity/cbc:RegistrationName",
    nullptr,
    "cac:PostalAddress/cbc:InhouseMail",
    "cac:PostalAddress/cbc:StreetName",
    "cac:PostalAddress/cac:Country/cbc:IdentificationCode",
    "cac:PostalAddress/cbc:PostalZone",
    "cac:PostalAddress/cbc:CityName",
    "cac:Contact/cbc:Name",
    "cac:Contact/cbc:ElectronicMail",
    "cac:Contact/cbc:Telephone",
};

// Amounts of the legal monetary total, in reading order.
enum Total { LineExt, TaxExcl, TaxIncl, Allowances, Charges, Prepaid, Rounding, Payable };
constexpr const char* kTotalPaths[] = {
    "cbc:LineExtensionAmount",   "cbc:TaxExclusiveAmount", "cbc:TaxInclusiveAmount",
    "cbc:AllowanceTotalAmount",  "cbc:ChargeTotalAmount",  "cbc:PrepaidAmount",
    "cbc:PayableRoundingAmount", "cbc:PayableAmount",
};

}  // namespace

const clsUBLImport::Dialect clsUBLImport::kUbl{"cac:PartyTaxScheme/cbc:CompanyID", false, false,
                                               false, false};

std::string_view clsUBLImport::SelectionNamespaces() { return kNamespaces; }

std::string clsUBLImport::amount(double value) const {
  return FormatViewNumber(value, format_.pattern, format_.language);
}

std::string clsUBLImport::pattern(double value, std::string_view pattern) const {
  return FormatViewNumber(value, pattern, format_.language);
}

bool clsUBLImport::AllowanceCharge(const xmlNode*, Grid& grid) {
  grid.clear();
  for (const xmlNode* charge : xp_.all("//cac:AllowanceCharge")) {
    if (!hasChildNodes(charge)) continue;
    GridRow& row = grid.addRow(xp_.text("cbc:AllowanceChargeReason", charge).value_or(""));
    row.cells[1] = xp_.text("cbc:AllowanceChargeReasonCode", charge).value_or("");
    row.cells[2] = xp_.text("cbc:MultiplierFactorNumeric", charge).value_or("");
    row.cells[3] = xp_.text("cbc:Amount", charge).value_or("");
    row.cells[4] = xp_.text("cbc:BaseAmount", charge).value_or("");
  }
  return true;
}

bool clsUBLImport::LegalMonetaryTotal(const xmlNode* node, const FieldList& fields) {
  double v[std::size(kTotalPaths)] = {};
  for (std::size_t i = 0; i < std::size(kTotalPaths); ++i) {
    if (node) v[i] = DocumentNumber(xp_.text(kTotalPaths[i], node));
  }
  const double tax = v[TaxIncl] - v[TaxExcl];
  setField(fields, 0, amount(tax));
  setField(fields, 1, amount(v[Payable]));
  setField(fields, 2, amount(v[LineExt]));
  setField(fields, 3, amount(v[TaxExcl]));
  setField(fields, 4, amount(dialect_.taxTotalIsInclusive ? v[TaxIncl] : tax));
  setField(fields, 5, amount(v[Allowances]));
  setField(fields, 6, amount(v[Charges]));
  setField(fields, 7, amount(v[Prepaid]));
  setField(fields, 8, amount(v[Rounding]));
  setField(fields, 9, amount(v[Payable]));
  if (const xmlNode* ext = node ? xp_.first("cbc:LineExtensionAmount", node) : nullptr) {
    const std::string currency = xml::attribute(ext, "currencyID");
    setField(fields, 10, currency);
    setField(fields, 11, currency);
  }
  return true;
}

bool clsUBLImport::TaxSubtotal(const xmlNode*, Grid& grid) {
  grid.clear();
  for (const xmlNode* sub : xp_.all("//cac:TaxSubtotal")) {
    if (!hasChildNodes(sub)) continue;
    GridRow& row = grid.addRow("");
    if (auto percent = xp_.text("cac:TaxCategory/cbc:Percent", sub)) {
      row.cells[1] = percent->empty() ? "-" : *percent;
    }
    if (auto text = xp_.text("cbc:TaxAmount", sub)) row.cells[2] = amount(DocumentNumber(text));
    if (auto text = xp_.text("cbc:TaxableAmount", sub)) {
      row.cells[3] = amount(DocumentNumber(text));
    }
  }
  return true;
}

bool clsUBLImport::accountingParty(const xmlNode* node, const FieldList& fields, bool supplier) {
  const xmlNode* party = node ? xp_.first("cac:Party", node) : nullptr;
  if (party == nullptr) return true;
  for (std::size_t k = 0; k < std::size(kPartyPaths); ++k) {
    const char* path = kPartyPaths[k] ? kPartyPaths[k] : dialect_.taxNumberPath;
    setField(fields, k, xp_.text(path, party));
  }
  if (supplier && dialect_.endpointToExtraField) {
    setField(fields, 10, xp_.text("cbc:EndpointID", party));
  }
  return true;
}

bool clsUBLImport::AccountingCustomerParty(const xmlNode* node, const FieldList& fields) {
  return accountingParty(node, fields, false);
}

bool clsUBLImport::AccountingSupplierParty(const xmlNode* node, const FieldList& fields) {
  return accountingParty(node, fields, true);
}

void clsUBLImport::readLine(const xmlNode* line, const char* quantityPath, Grid& grid) {
  GridRow& row = grid.addRow(xp_.text("cbc:ID", line).value_or(""));
  auto& cells = row.cells;
  // Working values start afresh on every line: a line without a price must
  // not show the price of the line before it.
  const auto priceText = xp_.text("cac:Price/cbc:PriceAmount", line);
  const double price = DocumentNumber(priceText);
  cells[1] = xp_.text("cac:Item/cbc:Name", line).value_or("");
  cells[2] = xp_.text("cac:Item/cbc:Description", line).value_or("");

  if (auto qty = xp_.text(quantityPath, line)) {
    if (dialect_.literalQuantity) {
      std::replace(qty->begin(), qty->end(), '.', ',');
      cells[3] = *qty;
    } else {
      cells[3] = pattern(DocumentNumber(qty), "0.00");
    }
  }

  if (dialect_.peppolPriceAndRate) {
    if (priceText) cells[4] = amount(price);
  } else if (price > 0) {
    cells[4] = pattern(price, "0.00");
  } else {
    cells[4] = priceText ? pattern(price, "0.00") : "--";
  }

  const auto base = xp_.text("cac:Price/cbc:BaseQuantity", line);
  cells[5] = base && !base->empty() ? pattern(DocumentNumber(base), "") : "0";

  const auto rate = xp_.text("cac:Item/cac:ClassifiedTaxCategory/cbc:Percent", line);
  if (dialect_.peppolPriceAndRate) {
    if (rate) cells[6] = pattern(DocumentNumber(rate), "0");
  } else if (rate) {
    cells[6] = pattern(DocumentNumber(rate), "0.00");
  } else if (auto lineRate =
                 xp_.text("cac:TaxTotal/cac:TaxSubtotal/cac:TaxCategory/cbc:Percent", line)) {
    cells[6] = pattern(DocumentNumber(lineRate), "0.00");
  }

  if (auto total = xp_.text("cbc:LineExtensionAmount", line)) {
    cells[7] = amount(DocumentNumber(total));
  }
  row.color = dialect_.peppolPriceAndRate && priceText && price < 0 ? 255 : 0;
}

bool clsUBLImport::InvoiceLine(const xmlNode*, Grid& grid) {
  grid.clear();
  auto lines = xp_.all("//cac:InvoiceLine");
  const char* quantity = "cbc:InvoicedQuantity";
  if (lines.empty()) {
    lines = xp_.all("//cac:CreditNoteLine");
    quantity = "cbc:CreditedQuantity";
  }
  grid.rows.reserve(lines.size());
  for (const xmlNode* line : lines) {
    if (hasChildNodes(line)) readLine(line, quantity, grid);
  }
  return true;
}

bool clsUBLImport::AdditionalDocumentReference(const xmlNode* node, AttachmentFolder& folder) {
  if (node == nullptr) return false;
  const std::string invoiceNumber = xp_.text("//cbc:ID").value_or("");
  for (const xmlNode* ref : xp_.all("//cac:AdditionalDocumentReference")) {
    const xmlNode* binary = xp_.first("cac:Attachment/cbc:EmbeddedDocumentBinaryObject", ref);
    const std::string content = xml::nodeText(binary);
    // Content and address both reach the folder: the file, then its shortcut.
    if (!content.empty()) {
      std::string name = text::FormatField(xml::attribute(binary, "filename"), "");
      if (name.empty()) {
        name = "Externfile_" + invoiceNumber + MimeExtension(xml::attribute(binary, "mimeCode"));
      }
      folder.saveBase64(content, name);
    }
    // Each reference gets a shortcut of its own identifier and address.
    const std::string address = xp_.text(".//cbc:URI", ref).value_or("");
    if (!address.empty()) folder.saveShortcut(xp_.text("cbc:ID", ref).value_or(""), address);
  }
  return true;
}

}  // namespace belvora::reader
