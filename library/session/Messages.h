#pragma once

// The texts and titles the creation session shows.
namespace belvora::session::text {

inline constexpr const char* kLineBreak = "\r\n";
inline constexpr const char* kTitleNote = "Note";
inline constexpr const char* kTitleError = "Error in DLL";

inline constexpr const char* kConnectFailed = "Connect to database failed.";
inline constexpr const char* kConnectNote = "Please note the error from the interface.";
inline constexpr const char* kRequiredMissing =
    "The following required fields are NULL or missing:";
inline constexpr const char* kCheckSource = "Please check your data source!";
inline constexpr const char* kNoLineRow =
    "Recordset contains no invoice line (every row has a RowKind)";
inline constexpr const char* kNoRowsForSelector = "No rows were found for the selector ";
inline constexpr const char* kNoRows = "The data source returned no rows.";
inline constexpr const char* kNotExpressible = "The invoice cannot be written in the CII syntax:";

// The rules check, in the session's language (German or English).
inline constexpr const char* kTitleNoteDe = "Hinweis";
inline constexpr const char* kRulesBroken =
    "The invoice breaks rules of EN 16931 and XRechnung 3.0 and was not created:";
inline constexpr const char* kRulesBrokenDe =
    "Die Rechnung verletzt Regeln der EN 16931 und der XRechnung 3.0 und wurde nicht erstellt:";
inline constexpr const char* kCheckSourceDe =
    "Bitte pr\xC3\xBC"
    "fen Sie Ihre Datenquelle!";

inline constexpr const char* kErrorOccurred = "An error has occurred: ";
inline constexpr const char* kErrorSource = "belvora";
inline constexpr const char* kImportQuestion = "Import XInvoice in your Database?";
inline constexpr const char* kExportExists = "Exportfile: ";
inline constexpr const char* kExportExistsEnd = " exists!";
inline constexpr const char* kOverwrite = "Overwrite?";
inline constexpr const char* kExportFailed = "Can't create Export-File: ";
inline constexpr const char* kCompiler = "Compiler: ";
inline constexpr const char* kNoSource =
    "No open data source: DLL_Init_DB must succeed before CreateXRechnung, and a session "
    "serves one invoice.";

// The public EN 16931 validation page opened by Ecosio.
inline constexpr const char* kValidationPage = "https://www.itb.ec.europa.eu/invoice/upload";

}  // namespace belvora::session::text
