#pragma once

// Every fixed text the library shows its user: message titles and texts,
// questions, prompts and the captions of its dialogs. What changes from call
// to call (a path, a column, a database's reason) is put in where the message
// is composed; "{}" marks the place of each value, in order. Users, callers
// and tests know these texts word for word: never reword one.
//
// Kept elsewhere, each a table of its own:
// - the EN 16931 and XRechnung rule texts, generated from the official
//   artefacts into model/RulesTables.cpp;
// - the viewer's field, frame and grid captions, part of the view model
//   (reader/ViewModel.cpp);
// - the failure reasons of the platform layers and number helpers (database,
//   XML, PDF, files, settings), which messages carry as their reason the way
//   they carry a database driver's text;
// - the programs' own texts (launcher/, testprog/).
//
// No dependencies, so that every area, the platform ones included, may use it.

#include <initializer_list>
#include <string>
#include <string_view>

namespace belvora::messages {

// A text in German and English.
struct Text {
  const char* de;
  const char* en;
};

// The one language rule: "DE" is German, anything else English.
constexpr bool IsGerman(std::string_view language) { return language == "DE"; }

constexpr const char* Choose(const Text& text, bool german) { return german ? text.de : text.en; }
constexpr const char* Choose(const Text& text, std::string_view language) {
  return Choose(text, IsGerman(language));
}

// The pattern with each "{}" replaced by the next value; "{}" beyond the
// values stay. Values are put in as they are, never searched for "{}".
inline std::string Fill(std::string_view pattern,
                        std::initializer_list<std::string_view> values = {}) {
  std::string out;
  std::size_t size = pattern.size();
  for (std::string_view v : values) size += v.size();
  out.reserve(size);
  auto value = values.begin();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern.compare(i, 2, "{}") == 0 && value != values.end()) {
      out += *value++;
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

// The text in the language, values put in.
inline std::string Say(const Text& text, std::string_view language,
                       std::initializer_list<std::string_view> values = {}) {
  return Fill(Choose(text, language), values);
}

// ---- Shared ----------------------------------------------------------------------

inline constexpr const char* kLineBreak = "\r\n";
inline constexpr const char* kTitleNote = "Note";
// Title of message boxes that have no title of their own.
inline constexpr const char* kDefaultTitle = "belvora";
// The description of an error that carries none.
inline constexpr const char* kUnknownError = "unknown error";
// The answer to a question as the console prints it.
inline constexpr const char* kAnswerYes = "Yes";
inline constexpr const char* kAnswerNo = "No";

// ---- Creation session ------------------------------------------------------------

namespace creation {

// The catch-all of the public entries: "An error has occurred: " number,
// description, system code and source, one per line.
inline constexpr const char* kTitleError = "Error in DLL";
inline constexpr const char* kErrorOccurred = "An error has occurred: ";
inline constexpr const char* kErrorSource = "belvora";

inline constexpr const char* kConnectFailed = "Connect to database failed.";
inline constexpr const char* kConnectNote = "Please note the error from the interface.";
inline constexpr const char* kNoSource =
    "No open data source: DLL_Init_DB must succeed before CreateXRechnung, and a session "
    "serves one invoice.";
inline constexpr const char* kNoProcedure =
    "The source query names no stored procedure (expected \"exec <name>\"): \"{}\"";
inline constexpr const char* kNoRows = "The data source returned no rows.";
inline constexpr const char* kNoRowsForSelector = "No rows were found for the selector \"{}\".";

inline constexpr const char* kRequiredMissing =
    "The following required fields are NULL or missing:";
inline constexpr const char* kRecordsetMissing = "Recordset does not exist or is empty";
inline constexpr const char* kRecordsetEmpty = "Recordset contains no data";
inline constexpr const char* kColumnMissing = " (existiert nicht)";
inline constexpr const char* kNoLineRow =
    "Recordset contains no invoice line (every row has a RowKind)";
inline constexpr Text kCheckSource{"Bitte prüfen Sie Ihre Datenquelle!",
                                   "Please check your data source!"};

// The rules check, in the language of the environment.
inline constexpr Text kRulesTitle{"Hinweis", "Note"};
inline constexpr Text kRulesBroken{
    "Die Rechnung verletzt Regeln der EN 16931 und der XRechnung 3.0 und wurde nicht erstellt:",
    "The invoice breaks rules of EN 16931 and XRechnung 3.0 and was not created:"};
inline constexpr Text kMoreViolations{"... und {} weitere ({} insgesamt)",
                                      "... and {} more ({} in all)"};

inline constexpr const char* kNotExpressible = "The invoice cannot be written in the CII syntax:";

inline constexpr const char* kExportExists = "Exportfile: {} exists!";
inline constexpr const char* kOverwrite = "Overwrite?";
inline constexpr const char* kExportFailed = "Can't create Export-File: ";
inline constexpr const char* kCompiler = "Compiler: ";
inline constexpr const char* kImportQuestion = "Import XInvoice in your Database?";
inline constexpr const char* kNotStored =
    "The XInvoice was written to {} but could not be stored in the table {}:\r\n{}";

inline constexpr const char* kCannotOpenPage =
    "Cannot open the web page {} (xdg-open is not available).";
inline constexpr const char* kSupportNeedsDisplay =
    "The support request needs a display (DISPLAY or WAYLAND_DISPLAY).";
inline constexpr const char* kSupportWriteTo = " Support-Address: ";

}  // namespace creation

// ---- Values of the source rows -----------------------------------------------------

namespace source {

inline constexpr const char* kBadValues = "The data source holds values that cannot be used:";
inline constexpr const char* kMoreBadValues = "... and {} more";
inline constexpr const char* kAtRow = ", row {}";
inline constexpr const char* kContentAt = "BT125, row {}";

inline constexpr const char* kNotFinite = "is not a finite number";
inline constexpr const char* kNotNumber = "is not a number";
inline constexpr const char* kDoesNotFit =
    "does not fit (at most 13 digits before and 12 after the decimal point)";
inline constexpr const char* kTooLarge =
    "is too large (at most 13 digits before the decimal point)";
inline constexpr const char* kNotCents = "has more than two decimals (an amount is exact in cents)";
inline constexpr const char* kDateEmpty = "is empty (a date, or NULL where there is none)";
inline constexpr const char* kNotDate = "is not a date";
inline constexpr const char* kNotContent = "is neither a BLOB nor Base64 text";
inline constexpr const char* kNotUtf8 = "is not UTF-8 text";
inline constexpr const char* kNoRowKind = "names no kind of row (empty or LINE for a line, or {})";
inline constexpr const char* kLineNotNamed = "is empty: a {} row names its invoice line in BT126";
inline constexpr const char* kNoSuchLine = "names no invoice line of this invoice";
inline constexpr const char* kSeveralLines = "names more than one invoice line";
inline constexpr const char* kExemptionDiffers =
    "differs from the one of VAT category \"{}\" in row {}";

inline constexpr const char* kFileMissing = "does not exist or is no file";
inline constexpr const char* kFileTooLarge = "is larger than {} MB";
inline constexpr const char* kFileUnreadable = "cannot be read: ";

}  // namespace source

// ---- Writer: terms the CII syntax has no place for ---------------------------------

namespace writer {

inline constexpr const char* kOnePreceding =
    "CII holds one preceding invoice reference (BG-3); the invoice has {}.";
inline constexpr const char* kAccountingCurrency =
    "The VAT total in accounting currency (BT-111) needs the accounting currency (BT-6).";
inline constexpr const char* kTaxPointWithoutBreakdown =
    "The tax point date (BT-7, BT-8) needs a VAT breakdown (BG-23) to be written in.";
inline constexpr const char* kOnePaymentMeans =
    "CII holds one payment means code and text (BT-81, BT-82) for all payment instructions; "
    "the invoice has \"{}\" and \"{}\".";
inline constexpr const char* kDiscountWithoutGross =
    "The item price discount (BT-147) needs the gross price (BT-148), line {}.";

}  // namespace writer

// ---- Reading an incoming invoice ---------------------------------------------------

namespace reader {

inline constexpr Text kNotRegular{"Die Rechnungsdatei {} ist keine reguläre Datei.",
                                  "The invoice file {} is not a regular file."};
inline constexpr Text kFileTooLarge{"Die Rechnungsdatei {} ist größer als die Grenze von {} MB {}.",
                                    "The invoice file {} is larger than the limit of {} MB {}."};
inline constexpr Text kPdfTooLarge{
    "Die Rechnung in der PDF-Datei ist größer als die Grenze von {} MB {}.",
    "The invoice in the PDF file is larger than the limit of {} MB {}."};
// Where the size limit is set.
inline constexpr Text kLimitSetting{
    "(Einstellung maxsizemb in [Reader] der Einstellungsdatei oder BELVORA_READER_MAXSIZE_MB)",
    "(setting maxsizemb in [Reader] of the settings file, or BELVORA_READER_MAXSIZE_MB)"};
inline constexpr Text kBadLimit{
    "Die Einstellung {} = '{}' ist keine ganze Zahl von Megabytes von 1 bis 2047.",
    "The setting {} = '{}' is not a whole number of megabytes from 1 to 2047."};
inline constexpr Text kPdfNoInvoice{
    "Die PDF-Datei enthält keine Rechnung: keine ihrer eingebetteten Dateien ist eine CII- oder "
    "UBL-Rechnung.",
    "The PDF file carries no invoice: none of its embedded files is a CII or UBL invoice."};
inline constexpr Text kPdfUnreadable{"Die PDF-Datei kann nicht gelesen werden: {}",
                                     "The PDF file cannot be read: {}"};
inline constexpr Text kWorkFile{"Die Rechnung kann nicht aus der PDF-Datei entnommen werden: {}",
                                "The invoice cannot be taken out of the PDF file: {}"};
inline constexpr Text kNotInvoice{"Die Datei ist keine Rechnung (Wurzelelement {}).",
                                  "The file is not an invoice (root element {})."};
inline constexpr Text kRootInNamespace{"{} im Namensraum {}", "{} in the namespace {}"};
inline constexpr Text kUtf32{
    "Die Datei ist in UTF-32 kodiert; diese Kodierung wird nicht unterstützt. Bitte als UTF-8 "
    "speichern.",
    "The file is encoded in UTF-32, which is not supported. Please save it as UTF-8."};

// The parse error: reason, line, column and the failing line.
inline constexpr Text kXmlError{"XML-Fehler:", "XML-Error:"};
inline constexpr Text kXmlDescription{"Beschreibung: ", "Description: "};
inline constexpr Text kXmlLine{"Zeile: ", "Line: "};
inline constexpr Text kXmlColumn{"Spalte: ", "Columne: "};
inline constexpr Text kXmlErrorLine{"Fehlerhafte Zeile:", "Error-Line:"};

// The attachment folder; these two are the same in every language.
inline constexpr const char* kNoOutputFolder = "This output folder does not exist!";
inline constexpr const char* kOpenFolder = "Open export folder?";
inline constexpr Text kLostHead{"Diese Anhänge wurden nicht in {} gespeichert:",
                                "These attachments were not saved in {}:"};
inline constexpr Text kLostMore{"… und {} weitere", "… and {} more"};
inline constexpr Text kBadBase64{"der Inhalt ist kein gültiges Base64",
                                 "the content is not valid Base64"};
inline constexpr Text kUnnamed{"(ohne Namen)", "(no name)"};
inline constexpr Text kNoName{"kein verwendbarer Dateiname", "no usable file name"};
inline constexpr Text kNoFreeName{"kein freier Dateiname ({} … {} sind vergeben)",
                                  "no free file name ({} … {} are taken)"};
inline constexpr Text kNotLinked{"die Adresse {} wird nicht verknüpft (nur http und https)",
                                 "the address {} is not linked (only http and https)"};

// The viewer window.
inline constexpr Text kViewerTitle{"Eingangsrechnung", "Incoming invoice"};
inline constexpr Text kUnreadable{"Die Datei kann nicht gelesen werden: ",
                                  "The file cannot be read: "};

// Saving the invoice into the caller's database.
inline constexpr const char* kErrorPrefix = "Fehler: ";
inline constexpr Text kSaveQuestion{"Eingangsrechnung + Datei in Datenbank speichern?",
                                    "Incoming invoice + file save into database?"};
inline constexpr Text kSavedWithFile{"Rechnung und Datei: ", "Invoice and File: "};
inline constexpr Text kSaved{" gespeichert.", " saved."};
inline constexpr Text kNotSaved{"Rechnung nicht in der Datenbank gespeichert!",
                                "Invoice not saved in database!"};
inline constexpr Text kDeductionsSaved{"- Abzüge gespeichert.", "- Prints saved too."};
inline constexpr const char* kNotANumber = "column {}: '{}' is not a number";

}  // namespace reader

// ---- Dialogs: parameter, support request, about box ------------------------------

namespace dialogs {

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

inline constexpr const char* kAboutTitle = "About";
inline constexpr const char* kVisit = "Visit me";
inline constexpr const char* kCannotOpenAddress = "The web address could not be opened: ";

}  // namespace dialogs

// ---- Support mail ------------------------------------------------------------------

namespace mail {

inline constexpr const char* kSubjectPrefix = "Support-Anfrage von: ";
inline constexpr const char* kSendFailed = "Fehler beim Senden der Nachricht: ";

// Why a mail was not sent: the configuration.
inline constexpr const char* kNoCustomer =
    "no customer identification is configured (customer= in [Mail] of the settings file, or "
    "BELVORA_SMTP_CUSTOMER)";
inline constexpr const char* kNoServer =
    "no mail server is configured (server= in [Mail] of the settings file, or "
    "BELVORA_SMTP_SERVER)";
inline constexpr const char* kNoAccount =
    "no mail account is configured (user= and password= in [Mail] of the settings file, or "
    "BELVORA_SMTP_USER and BELVORA_SMTP_PASSWORD)";
inline constexpr const char* kBadServer = "'{}' is not a host name or IP address of a mail server";
inline constexpr const char* kBadPort = "the mail server port {} is not valid";
inline constexpr const char* kPortNotNumber =
    "the mail server port '{}' ({}) is not a number from 1 to 65535";
inline constexpr const char* kPortInFile = "[Mail] port in {}";
inline constexpr const char* kPasswordReadable =
    "the settings file {} holds the mail password but other users may read it; restrict it "
    "with: chmod 600 {}";
inline constexpr const char* kBadSender =
    "the configured sender '{}' is not a valid e-mail address";
inline constexpr const char* kCaUnreadable = "cannot read the CA file '{}': {}";

// Why a mail was not sent: the message.
inline constexpr const char* kBadRecipient = "'{}' is not one valid e-mail address";
inline constexpr const char* kRecipientLineBreak =
    "the recipient address must not contain a line break";
inline constexpr const char* kSubjectLineBreak = "the subject must not contain a line break";
inline constexpr const char* kSenderInvalid = "'{}' is not a valid sender address";
inline constexpr const char* kRecipientInvalid = "'{}' is not one valid recipient address";
inline constexpr const char* kAttachmentUnopenable = "cannot open attachment '{}': {}";
inline constexpr const char* kAttachmentUnreadable = "cannot read attachment '{}': {}";
inline constexpr const char* kAttachmentNotFile = "the attachment '{}' is not a file";
inline constexpr const char* kAttachmentTooLarge = "the attachment '{}' is larger than {} MB";

// Why a mail was not sent: the transport.
inline constexpr const char* kCannotStart = "the mail library cannot start: ";
inline constexpr const char* kNoRandom = "no random numbers for the message: ";
inline constexpr const char* kSetupFailed = "mail transport setup failed: ";
inline constexpr const char* kNoTransport = "the mail transport cannot be created";
inline constexpr const char* kOutOfMemory = "out of memory";
inline constexpr const char* kServerFailed = "mail server {} port {}: {}";

}  // namespace mail

// ---- Windows -----------------------------------------------------------------------

namespace windows {

inline constexpr const char* kForeignThread =
    "Windows can only be opened on the thread that runs the user interface; this call came "
    "from another thread and was not carried out.";
inline constexpr const char* kNoWidgets =
    "The host application runs Qt without widgets, so no window can be opened.";

}  // namespace windows

}  // namespace belvora::messages
