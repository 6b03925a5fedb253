#pragma once

// The messages of a read, in the two languages of the viewer: "DE" German,
// anything else English. "{}" marks where the values go, in order.

#include <initializer_list>
#include <string>
#include <string_view>

namespace belvora::reader {

struct ReadText {
  const char* en;
  const char* de;
};

namespace readtext {
inline constexpr const char* kAttachmentTitle = "Note";
inline constexpr ReadText kNotRegular{"The invoice file {} is not a regular file.",
                                      "Die Rechnungsdatei {} ist keine reguläre Datei."};
inline constexpr ReadText kFileTooLarge{
    "The invoice file {} is larger than the limit of {} MB {}.",
    "Die Rechnungsdatei {} ist größer als die Grenze von {} MB {}."};
inline constexpr ReadText kPdfTooLarge{
    "The invoice in the PDF file is larger than the limit of {} MB {}.",
    "Die Rechnung in der PDF-Datei ist größer als die Grenze von {} MB {}."};
// Where the size limit is set.
inline constexpr ReadText kLimitSetting{
    "(setting maxsizemb in [Reader] of the settings file, or BELVORA_READER_MAXSIZE_MB)",
    "(Einstellung maxsizemb in [Reader] der Einstellungsdatei oder BELVORA_READER_MAXSIZE_MB)"};
inline constexpr ReadText kPdfNoInvoice{
    "The PDF file carries no invoice: none of its embedded files is a CII or UBL invoice.",
    "Die PDF-Datei enthält keine Rechnung: keine ihrer eingebetteten Dateien ist eine CII- oder "
    "UBL-Rechnung."};
inline constexpr ReadText kPdfUnreadable{"The PDF file cannot be read: {}",
                                         "Die PDF-Datei kann nicht gelesen werden: {}"};
inline constexpr ReadText kWorkFile{
    "The invoice cannot be taken out of the PDF file: {}",
    "Die Rechnung kann nicht aus der PDF-Datei entnommen werden: {}"};
inline constexpr ReadText kNotInvoice{"The file is not an invoice (root element {}).",
                                      "Die Datei ist keine Rechnung (Wurzelelement {})."};
inline constexpr ReadText kRootInNamespace{"{} in the namespace {}", "{} im Namensraum {}"};
inline constexpr ReadText kUtf32{
    "The file is encoded in UTF-32, which is not supported. Please save it as UTF-8.",
    "Die Datei ist in UTF-32 kodiert; diese Kodierung wird nicht unterstützt. Bitte als UTF-8 "
    "speichern."};
inline constexpr ReadText kBadLimit{
    "The setting {} = '{}' is not a whole number of megabytes from 1 to 2047.",
    "Die Einstellung {} = '{}' ist keine ganze Zahl von Megabytes von 1 bis 2047."};
inline constexpr ReadText kLostHead{"These attachments were not saved in {}:",
                                    "Diese Anhänge wurden nicht in {} gespeichert:"};
inline constexpr ReadText kLostMore{"… and {} more", "… und {} weitere"};
inline constexpr ReadText kBadBase64{"the content is not valid Base64",
                                     "der Inhalt ist kein gültiges Base64"};
inline constexpr ReadText kUnnamed{"(no name)", "(ohne Namen)"};
inline constexpr ReadText kNoName{"no usable file name", "kein verwendbarer Dateiname"};
inline constexpr ReadText kNoFreeName{"no free file name ({} … {} are taken)",
                                      "kein freier Dateiname ({} … {} sind vergeben)"};
inline constexpr ReadText kNotLinked{"the address {} is not linked (only http and https)",
                                     "die Adresse {} wird nicht verknüpft (nur http und https)"};
}  // namespace readtext

// The text in the language with the values put in.
std::string Say(const ReadText& text, std::string_view language,
                std::initializer_list<std::string_view> values = {});

}  // namespace belvora::reader
