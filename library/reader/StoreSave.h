#pragma once

// What the viewer's Save button does: stores the header, the lines, the
// invoice file and the allowances of the view in the caller's database,
// asking first and reporting the result when the ask flag is set.

#include "reader/ReaderSettings.h"
#include "reader/ViewModel.h"

namespace belvora::reader {

// The texts of the save, in the two languages of the handler: "GB" English,
// any other language German.
namespace savetext {
inline constexpr const char* kTitle = "Note";
inline constexpr const char* kErrorPrefix = "Fehler: ";
inline constexpr const char* kQuestionGB = "Incoming invoice + file save into database?";
inline constexpr const char* kQuestionDE = "Eingangsrechnung + Datei in Datenbank speichern?";
inline constexpr const char* kWithFileGB = "Invoice and File: ";
inline constexpr const char* kWithoutFileGB = "Invoice without File: ";
inline constexpr const char* kSavedGB = " saved.";
inline constexpr const char* kWithFileDE = "Rechnung und Datei: ";
inline constexpr const char* kWithoutFileDE = "Rechnung ohne Datei:  ";
inline constexpr const char* kSavedDE = " gespeichert.";
inline constexpr const char* kNotSavedGB = "Invoice not saved in database!";
inline constexpr const char* kNotSavedDE = "Rechnung nicht in der Datenbank gespeichert!";
inline constexpr const char* kDeductionsSavedGB = "- Prints saved too.";
inline constexpr const char* kDeductionsFailedGB = "- Prints could't saved.";
inline constexpr const char* kDeductionsSavedDE = "- Abzüge gespeichert.";
inline constexpr const char* kDeductionsFailedDE = "- Abzüge nicht gespeichert.";
}  // namespace savetext

// Runs the save with the reader settings' connection string, documents
// table, invoice file, language and ask flag. Every failure is reported
// through ui::current() as the handler describes; nothing is thrown.
// Returns true when the header, the lines and the file were stored.
bool SaveInvoice(const ViewModel& view, const ReaderSettings& settings);

}  // namespace belvora::reader
