#pragma once

// Captions and messages of the parameter, support and about dialogs. Plain
// texts without Qt, so that the console forms of the dialogs use the same.
namespace belvora::dialogs::text {

inline constexpr const char* kLineBreak = "\r\n";
inline constexpr const char* kTitleNote = "Note";

// Parameter dialog.
inline constexpr const char* kParameterTitle = "Parameter";
inline constexpr const char* kConnection = "Database-Connection";
inline constexpr const char* kDataObject =
    "Data object (view, table, stored procedure or SQL statement)";
inline constexpr const char* kExportPath = "Path to the created XInvoice";
inline constexpr const char* kEmbeddedFile = "Embedded File";
inline constexpr const char* kTableName = "Document-Tablename";
inline constexpr const char* kQueryParameters = "Query parameters";
inline constexpr const char* kImportQuestion = "Import-Question";
inline constexpr const char* kOK = "OK";
inline constexpr const char* kSettingsNotSaved = "The settings could not be saved: ";

// Support request.
inline constexpr const char* kSupportTitle = "Support";
inline constexpr const char* kName = "Name";
inline constexpr const char* kAttachment = "Attachment";
inline constexpr const char* kMessage = "Message";
inline constexpr const char* kSupportAddress = "Support-Address";
inline constexpr const char* kAdd = ":::";
inline constexpr const char* kSend = "Send";
inline constexpr const char* kChooseFile = "Bitte eine Datei auswählen";
inline constexpr const char* kFileFilter =
    "XRechnung (*.xml)|*.xml|ZUGfERD|*.pdf|Alle Dateien (*.*)|*.*";
inline constexpr const char* kNameAndMessage =
    "Please enter your name and leave a message for support-team!";
inline constexpr const char* kThankYou = "Thank you ...";
inline constexpr const char* kSent = "Your Support-Message send!";
inline constexpr const char* kNotSent = "Your Support-Message could't send";
inline constexpr const char* kSupportTo = "Support to: ";

// About box.
inline constexpr const char* kAboutTitle = "About";
inline constexpr const char* kVisit = "Visit me";
inline constexpr const char* kCannotOpenAddress = "The web address could not be opened: ";

}  // namespace belvora::dialogs::text
