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

// Syntax of a parsed document: 0 none of these, 1 CII, 2 UBL other than
// Invoice (CreditNote), 3 UBL Invoice.
enum Syntax : int {
  SyntaxNoInvoice = -1,
  SyntaxNone = 0,
  SyntaxCII = 1,
  SyntaxUBL = 2,
  SyntaxPeppol = 3
};

// Syntax of a parsed document by the namespaces its elements use (an
// Invoice element wins over aggregate components, which win over CII).
int TypeOfXML(const xml::Document& doc);
int TypeOfXML(xml::XPath& xp);

// The message shown for a document that cannot be parsed, in the language
// ("DE" German, otherwise English), lines separated by CR LF.
std::string ParseErrorText(const xml::ParseError& error, const std::string& language);

// True when the document was read (also for a document in neither syntax,
// which leaves the cleared fields). False after a parse error (message shown
// through ui::current()) or a failed reader step; view.saveEnabled is then
// false. settings.invoiceFile names the extracted work file after a PDF.
bool ReadXML(ReaderSettings& settings, ViewModel& view);

}  // namespace belvora::reader
