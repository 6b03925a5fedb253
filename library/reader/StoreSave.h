#pragma once

// What the viewer's Save button does: stores the header, the lines, the
// invoice file and the allowances of the view in the caller's database as
// one transaction, asking first and reporting the result when the ask flag
// is set. Every failure is reported, asked or not.

#include "reader/ReaderSettings.h"
#include "reader/ViewModel.h"

namespace belvora::reader {

// The texts of the save, in the two languages of the viewer: "DE" German,
// any other language English.
namespace savetext {
inline constexpr const char* kTitle = "Note";
inline constexpr const char* kErrorPrefix = "Fehler: ";
inline constexpr const char* kQuestionGB = "Incoming invoice + file save into database?";
inline constexpr const char* kQuestionDE = "Eingangsrechnung + Datei in Datenbank speichern?";
inline constexpr const char* kWithFileGB = "Invoice and File: ";
inline constexpr const char* kSavedGB = " saved.";
inline constexpr const char* kWithFileDE = "Rechnung und Datei: ";
inline constexpr const char* kSavedDE = " gespeichert.";
inline constexpr const char* kNotSavedGB = "Invoice not saved in database!";
inline constexpr const char* kNotSavedDE = "Rechnung nicht in der Datenbank gespeichert!";
inline constexpr const char* kDeductionsSavedGB = "- Prints saved too.";
inline constexpr const char* kDeductionsSavedDE = "- Abzüge gespeichert.";
}  // namespace savetext

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
