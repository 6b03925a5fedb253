#pragma once

// The reader for UBL documents whose root is in the Invoice namespace; it
// also fills the Peppol tab. Same members and protocol as clsUBLImport;
// differences: the tax number comes from the legal entity, TaxTotal shows
// the tax-inclusive amount, quantities keep their digits (with a decimal
// comma), prices use the view format and turn the row red when negative,
// rates show as whole numbers, and the seller's cbc:EndpointID fills the
// CustomizationID field (list element 10 of the supplier call).

#include <string_view>

#include "reader/clsUBLImport.h"

namespace belvora::reader {

class clsPeppol : public clsUBLImport {
 public:
  clsPeppol(xml::XPath& xp, ViewFormat format) : clsUBLImport(xp, format, kPeppol) {}

  static std::string_view SelectionNamespaces();

 private:
  static const Dialect kPeppol;
};

}  // namespace belvora::reader
