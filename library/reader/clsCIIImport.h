#pragma once

// Reads a UN/CEFACT CII invoice into the view fields. Each operation gets
// the node the viewer chose and the fields or grid it fills; an element that
// is missing leaves its field as it was.

#include <string>
#include <string_view>

#include "platform/xml/XPath.h"
#include "reader/ReaderCommon.h"
#include "reader/ViewModel.h"

namespace belvora::reader {

class clsCIIImport {
 public:
  // xp must have the prefixes of SelectionNamespaces() registered.
  clsCIIImport(xml::XPath& xp, ViewFormat format) : xp_(xp), format_(format) {}

  static std::string_view SelectionNamespaces();

  // Node: rsm:ExchangedDocument. Fields: RoutingID, InvoiceNumber, Subject,
  // InvoiceDate, InvoiceType, PaymentMethod, BusinessProcess.
  bool ExchangedDocument(const xmlNode* node, const FieldList& fields);
  // Node: ram:ApplicableHeaderTradeAgreement. Fields: the ten party slots.
  bool SellerTradeParty(const xmlNode* node, const FieldList& fields);
  bool BuyerTradePartyNode(const xmlNode* node, const FieldList& fields);
  // Node: ram:ApplicableHeaderTradeSettlement. Fields: PayableBy, Remarks,
  // PayeeAccountName, PayeeIBAN, PayeeBIC.
  bool SpecifiedTradePaymentTerms(const xmlNode* node, const FieldList& fields);
  // Every line of the document into the line grid.
  bool IncludedSupplyChainTradeLineItem(const xmlNode* node, Grid& grid);
  // Document-level tax breakdown below the header settlement into the tax
  // grid; fields TaxAmount, TotalAmount get the sums.
  bool ApplicableTradeTax(const xmlNode* node, Grid& grid, const FieldList& fields);
  // Every allowance and charge of the document (header and lines), texts as written.
  bool SpecifiedTradeAllowanceCharge(const xmlNode* node, Grid& grid);
  // Node: the monetary summation. Fields: TaxAmount, TotalAmount, SumOfNet,
  // TaxBasisTotal, TaxTotal, AllowanceTotal, ChargeTotal, Prepayment,
  // RoundingAmount, PaymentDue, CurrencyCode, TotalCurrencyCode.
  bool SpecifiedTradeSettlementHeaderMonetarySummation(const xmlNode* node,
                                                       const FieldList& fields);
  // Writes the embedded attachments and shortcuts into the folder; true when
  // the document has at least one ram:AdditionalReferencedDocument.
  bool AdditionalReferencedDocument(const xmlNode* node, AttachmentFolder& folder);

 private:
  bool party(const xmlNode* node, const char* path, const FieldList& fields);
  std::string amount(double value) const;

  xml::XPath& xp_;
  ViewFormat format_;
};

}  // namespace belvora::reader
