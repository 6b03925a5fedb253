#pragma once

// Reads the parts of a UBL Invoice or CreditNote that the viewer does not
// read itself: both parties, the lines, the tax breakdown, the totals, the
// allowances and charges, and the attachments. A step whose element is
// missing is skipped; its field keeps what it held.

#include <string>
#include <string_view>

#include "platform/xml/XPath.h"
#include "reader/ReaderCommon.h"
#include "reader/ViewModel.h"

namespace belvora::reader {

class clsUBLImport {
 public:
  // xp must have the prefixes of SelectionNamespaces() registered.
  clsUBLImport(xml::XPath& xp, ViewFormat format) : xp_(xp), format_(format) {}
  virtual ~clsUBLImport() = default;

  static std::string_view SelectionNamespaces();

  // Every cac:AllowanceCharge of the document (header, line, price), texts as written.
  bool AllowanceCharge(const xmlNode* node, Grid& grid);
  // Node: cac:LegalMonetaryTotal; the twelve amount and currency fields.
  bool LegalMonetaryTotal(const xmlNode* node, const FieldList& fields);
  // Every cac:TaxSubtotal of the document into the tax grid.
  bool TaxSubtotal(const xmlNode* node, Grid& grid);
  bool AccountingCustomerParty(const xmlNode* node, const FieldList& fields);
  bool AccountingSupplierParty(const xmlNode* node, const FieldList& fields);
  // Every cac:InvoiceLine, and every cac:CreditNoteLine of a credit note
  // (quantity cbc:CreditedQuantity), into the line grid.
  bool InvoiceLine(const xmlNode* node, Grid& grid);
  // Writes embedded attachments and shortcuts; false when node (the first
  // cac:AdditionalDocumentReference) is absent.
  bool AdditionalDocumentReference(const xmlNode* node, AttachmentFolder& folder);

 protected:
  // Where the Peppol view reader differs.
  struct Dialect {
    const char* taxNumberPath;
    bool taxTotalIsInclusive;   // TaxTotal shows the tax-inclusive amount
    bool literalQuantity;       // quantity "." -> "," instead of "0.00"
    bool peppolPriceAndRate;    // price in the view format, rate as whole number, red when negative
    bool endpointToExtraField;  // the supplier's cbc:EndpointID goes to list element 10
  };
  clsUBLImport(xml::XPath& xp, ViewFormat format, const Dialect& dialect)
      : xp_(xp), format_(format), dialect_(dialect) {}

 private:
  bool accountingParty(const xmlNode* node, const FieldList& fields, bool supplier);
  void readLine(const xmlNode* line, const char* quantityPath, Grid& grid);
  std::string amount(double value) const;
  std::string pattern(double value, std::string_view pattern) const;

  static const Dialect kUbl;

  xml::XPath& xp_;
  ViewFormat format_;
  const Dialect& dialect_ = kUbl;
};

}  // namespace belvora::reader
