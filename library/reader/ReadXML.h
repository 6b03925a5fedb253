#pragma once

// Reads one incoming invoice into the view: extracts the XML of a hybrid
// PDF, parses it (parse errors are shown with line and column), detects the
// syntax, lets the CII, UBL or Peppol reader fill the fields and writes the
// embedded attachments into the output folder.

#include <string>

#include "platform/xml/Document.h"
#include "platform/xml/XPath.h"
#include "reader/ReaderSettings.h"
#include "reader/ViewModel.h"

namespace belvora::reader {

// Syntax of a parsed document by its root element: 1 CII, 2 UBL other than
// Invoice (CreditNote), 3 UBL Invoice, 0 ZUGFeRD 1.0 (read with the cleared
// fields); any other root is no invoice.
enum Syntax : int {
  SyntaxNoInvoice = -1,
  SyntaxNone = 0,
  SyntaxCII = 1,
  SyntaxUBL = 2,
  SyntaxPeppol = 3
};

// Syntax of a parsed document by its root element's name and namespace.
int TypeOfXML(const xml::Document& doc);
int TypeOfXML(const xmlNode* root);

// "prefix:name in the namespace urn:..." of a root element, in the language.
std::string RootDescription(const xmlNode* root, const std::string& language);

// The message shown for a document that cannot be parsed, in the language
// ("DE" German, otherwise English), lines separated by CR LF.
std::string ParseErrorText(const xml::ParseError& error, const std::string& language);

// True when the document was read (also for a ZUGFeRD 1.0 document, which
// leaves the cleared fields). False, with a message through ui::current(),
// for input that is no regular file or passes settings.maxInvoiceSize, a
// PDF without a readable invoice, a parse error, a document that is no
// invoice, or a failed reader step; view.saveEnabled is then false.
// After a PDF, settings.invoiceFile names this read's own work file, owned
// by settings.workFile. Attachments that could not be written are reported
// and set settings.attachmentsLost; the read still succeeds.
bool ReadXML(ReaderSettings& settings, ViewModel& view);

}  // namespace belvora::reader
