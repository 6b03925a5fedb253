#pragma once

// What the viewer's Save button does: stores the header, the lines, the
// invoice file and the allowances of the view in the caller's database as
// one transaction, asking first and reporting the result when the ask flag
// is set. Every failure is reported, asked or not.

#include "reader/ReaderSettings.h"
#include "reader/ViewModel.h"

namespace belvora::reader {

enum class SaveResult {
  Saved,     // committed; with the ask flag the user was told so
  Declined,  // the user answered No: nothing written, nothing to report
  Failed,    // nothing written; the user has seen the reason
};

// Runs the save with the reader settings' connection string, documents
// table, invoice file, language and ask flag. A connection that cannot be
// opened shows "Fehler: " and the reason; any failure after that (a missing
// table, a field that is no number, a read-only or locked database, a
// failed commit) rolls everything back and shows "Invoice not saved in
// database!" with the reason. "saved" is said only after the commit.
// Nothing is thrown.
SaveResult SaveInvoice(const ViewModel& view, const ReaderSettings& settings);

}  // namespace belvora::reader
