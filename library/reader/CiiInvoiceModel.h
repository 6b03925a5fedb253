#pragma once

// Reads a CII invoice (UN/CEFACT Cross Industry Invoice D16B, as EN 16931
// binds it) into the invoice model: every business term the model holds,
// with the totals and the VAT breakdown as the document states them (in
// `totals` and `vatBreakdown`; nothing in `stated`). The lines get their
// position in the document as `sourceRow`.

#include <string>
#include <vector>

#include "model/Invoice.h"
#include "model/Rules.h"
#include "platform/xml/Document.h"

namespace belvora::reader {

struct CiiModel {
  model::Invoice invoice;
  // What the document breaks that the model cannot hold, as violations: a
  // mandatory amount the model always has (BR-12 to -15, BR-45, -46), an
  // empty period (BR-CO-19, -20), a value that is not what its type says
  // (BELVORA-VALUE) and a tax point date code CII does not know (BR-CL-06).
  // Together with CheckInvoice(invoice) they are the document's violations.
  std::vector<model::Violation> problems;
};

// False with a message when the document is not a CII invoice.
bool ReadCiiModel(const xml::Document& doc, CiiModel& out, std::string& message);

// The same from a file; false with a message (the parser's, with line and
// column) when it cannot be read or parsed.
bool ReadCiiModelFile(const std::string& path, CiiModel& out, std::string& message);

}  // namespace belvora::reader
