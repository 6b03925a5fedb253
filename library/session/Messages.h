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
