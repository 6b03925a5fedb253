#pragma once

// The viewer of a read invoice for servers, scripts and CI: the view as
// readable text with the captions of the language, or as one JSON object
// (BELVORA_VIEW=json), on standard output. With a documents table it then
// stores the invoice as the Save button would.

#include <iosfwd>
#include <string>

#include "reader/ReaderSettings.h"
#include "reader/ViewModel.h"

namespace belvora::reader {

// {"file": ..., "syntax": n, "fields": {name: text, ...}, "items": [[8 texts]...],
//  "taxes": [[4 texts]...], "deductions": [[5 texts]...]} on one line. Field
// names are the stable names of the catalogue, in catalogue order.
std::string ViewAsJson(const ViewModel& view, const std::string& file);

// The view laid out as the window shows it: invoice frame, both parties, the
// line and tax grids, payment details, allowances and the Peppol fields,
// each under its caption in the language ("DE" German, else English).
std::string ViewAsText(const ViewModel& view, const std::string& language);

// Shows the view on `out` (JSON when BELVORA_VIEW=json, text otherwise) and,
// when the settings name a documents table and the read gave an invoice,
// saves it (SaveInvoice). False when that save failed (the user has been
// told why); a save the user declined is no failure.
bool ShowConsoleView(const ViewModel& view, const ReaderSettings& settings, std::ostream& out);

}  // namespace belvora::reader
