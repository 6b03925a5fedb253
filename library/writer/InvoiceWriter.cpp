// Document frame, header, trade parties and attachments of the CII invoice.
//
//   <?xml ...?> and three generator comments
//   <rsm:CrossIndustryInvoice ...>
//     <rsm:ExchangedDocumentContext>      process and guideline identifiers
//     <rsm:ExchangedDocument>             number, type, date, notes
//     <rsm:SupplyChainTradeTransaction>
//       <ram:IncludedSupplyChainTradeLineItem> ...   (InvoiceWriter_lines.cpp)
//       <ram:ApplicableHeaderTradeAgreement>         parties, references, attachments
//       <ram:ApplicableHeaderTradeDelivery/>
//       <ram:ApplicableHeaderTradeSettlement>        (InvoiceWriter_settlement.cpp)

#include <belvora_version.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <stdexcept>
#include <string>
#include <system_error>

#include "model/Rechnungsdaten.h"
#include "platform/sys/Ascii.h"
#include "platform/sys/Clock.h"
#include "platform/sys/Files.h"
#include "text/Texte.h"
#include "writer/InvoiceWriterState.h"

namespace belvora::writer {

using namespace text;

namespace {

constexpr const char* kGuidelineId =
    "urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0";
const std::string kFalse = "FALSE()";
const std::string kDE = "DE";

// Namespace declarations of the root element, in document order.
constexpr std::pair<const char*, const char*> kNamespaces[] = {
    {"xmlns:rsm", "urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100"},
    {"xmlns:ram",
     "urn:un:unece:uncefact:data:standard:ReusableAggregateBusinessInformationEntity:100"},
    {"xmlns:udt", "urn:un:unece:uncefact:data:standard:UnqualifiedDataType:100"},
    {"xmlns:xsi", "http://www.w3.org/2001/XMLSchema-instance"},
    {"xmlns", "urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100"},
    {"xmlns:qdt", "urn:un:unece:uncefact:data:standard:QualifiedDataType:100"},
};

std::string MimeCode(const std::string& path) {
  const std::string tail = ascii::Lower(path.size() >= 4 ? path.substr(path.size() - 4) : path);
  if (tail == ".pdf") return "application/pdf";
  if (tail == ".png") return "image/png";
  if (tail == ".jpg") return "image/jpeg";
  if (tail == ".csv") return "text/csv";
  if (tail == ".xls") return "application/vnd.ms-excel";
  if (tail == ".ods") return "application/vnd.oasis.opendocument.spreadsheet";
  if (tail == "xlsx") return "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet";
  if (tail == ".xml") return "text/xml";
  return {};
}

// The contact block, the same for both parties.
void WriteContact(InvoiceWriter::State& s, const std::string& name, const std::string& department,
                  const std::string& phone, const std::string& email) {
  if (name.empty()) return;
  s.line(4, "<ram:DefinedTradeContact>");
  s.element(5, "ram:PersonName", name);
  if (!department.empty()) s.element(5, "ram:DepartmentName", department);
  if (!phone.empty()) {
    s.line(5, "<ram:TelephoneUniversalCommunication>");
    s.element(6, "ram:CompleteNumber", phone);
    s.line(5, "</ram:TelephoneUniversalCommunication>");
  }
  if (!email.empty()) {
    s.line(5, "<ram:EmailURIUniversalCommunication>");
    s.element(6, "ram:URIID", email);
    s.line(5, "</ram:EmailURIUniversalCommunication>");
  }
  s.line(4, "</ram:DefinedTradeContact>");
}

void WriteAttachments(InvoiceWriter::State& s);

}  // namespace

// ---- State helpers --------------------------------------------------------------

void InvoiceWriter::State::line(int tabs, std::string_view s) {
  text.append(static_cast<size_t>(tabs), '\t');
  text += s;
  text += "\r\n";
}

void InvoiceWriter::State::element(int tabs, std::string_view name, std::string_view value,
                                   std::string_view attributes) {
  text.append(static_cast<size_t>(tabs), '\t');
  text += '<';
  text += name;
  if (!attributes.empty()) {
    text += ' ';
    text += attributes;
  }
  text += '>';
  text += value;
  text += "</";
  text += name;
  text += ">\r\n";
}

std::int64_t ToCents(double amount) {
  double cents = std::round(amount * 100);
  if (!(std::fabs(cents) < 9e15))
    throw std::overflow_error("Overflow: the amount " + NumberText(amount) + " is too large");
  return static_cast<std::int64_t>(cents);
}

std::string CentsText(std::int64_t cents) {
  bool negative = cents < 0;
  std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(cents) : static_cast<std::uint64_t>(cents);
  std::string digits = std::to_string(magnitude);
  if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
  digits.insert(digits.size() - 2, 1, '.');
  return negative ? "-" + digits : digits;
}

// ---- InvoiceWriter ------------------------------------------------------------------

InvoiceWriter::InvoiceWriter(const model::SourceValues& values, db::Cursor* lines,
                             std::string attachments)
    : state_(std::make_unique<State>(values, lines, std::move(attachments))) {}

InvoiceWriter::~InvoiceWriter() = default;

const std::string& InvoiceWriter::text() const { return state_->text; }

void InvoiceWriter::writeHeader() {
  State& s = *state_;
  const model::SourceValues& v = s.values;

  model::clsRechnungsdaten daten;
  daten.Rechnungsnummer = EscapeXmlText(v.BT1);
  daten.Rechnungsdatum = DateText102(v.BT2);
  daten.Data_Type = v.BT3.empty() ? "0" : EscapeXmlText(v.BT3);
  // The note may hold a second part after a line break (CR LF or CR alone).
  size_t cr = v.BT22.find('\r');
  if (cr != std::string::npos) {
    daten.Content_Data = Or(v.BT22.substr(0, cr), kFalse);
    size_t rest = cr + 1;
    if (rest < v.BT22.size() && v.BT22[rest] == '\n') ++rest;
    daten.Bemerkung = v.BT22.substr(rest);
  } else {
    daten.Content_Data = Or(v.BT22, kFalse);
  }
  daten.SubjectCode_data = Or(v.BT21, kFalse);
  daten.Prozess = Or(v.BT23, kFalse);
  daten.Vertragsnummer = v.BT12;
  daten.Faelligkeitsdatum = DateText102(v.BT9);
  daten.Projektreferenz = v.BT11;
  daten.Bestellnummer = v.BT13;
  daten.Preceding_Invoice_number = v.BT25;
  daten.Specification = v.BT24;

  s.text.clear();
  s.text.reserve(16 * 1024);
  s.line(0, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  s.line(0, "<!-- Mit belvora Version: " + std::to_string(version::major) + "." +
                std::to_string(version::minor) + "." + std::to_string(version::revision) +
                " erstellt. -->");
  s.line(0, std::string("<!-- Infos unter: ") + version::webAddress + " -->");
  s.line(0, "<!-- Erstellt am: " + ShortDateText(sys::today()) + " -->");
  std::string root = "<rsm:CrossIndustryInvoice";
  bool first = true;
  for (const auto& [attribute, uri] : kNamespaces) {
    root += first ? std::string(" ") : "\r\n" + std::string(26, ' ');
    root += attribute;
    root += "=\"";
    root += uri;
    root += '"';
    first = false;
  }
  root += '>';
  s.line(0, root);

  s.line(1, "<rsm:ExchangedDocumentContext>");
  s.line(2, "<ram:BusinessProcessSpecifiedDocumentContextParameter>");
  s.element(3, "ram:ID", daten.Prozess);
  s.line(2, "</ram:BusinessProcessSpecifiedDocumentContextParameter>");
  s.line(2, "<ram:GuidelineSpecifiedDocumentContextParameter>");
  s.element(3, "ram:ID", kGuidelineId);
  s.line(2, "</ram:GuidelineSpecifiedDocumentContextParameter>");
  s.line(1, "</rsm:ExchangedDocumentContext>");
  s.line(1, "<rsm:ExchangedDocument>");
  s.element(2, "ram:ID", daten.Rechnungsnummer);
  s.element(2, "ram:TypeCode", daten.Data_Type);
  s.line(2, "<ram:IssueDateTime>");
  s.element(3, "udt:DateTimeString", daten.Rechnungsdatum, "format=\"102\"");
  s.line(2, "</ram:IssueDateTime>");
  s.line(2, "<ram:IncludedNote>");
  s.element(3, "ram:Content", daten.Content_Data);
  s.element(3, "ram:SubjectCode", daten.SubjectCode_data);
  s.line(2, "</ram:IncludedNote>");
  if (!daten.Bemerkung.empty()) {
    s.line(2, "<ram:IncludedNote>");
    s.element(3, "ram:Content", daten.Bemerkung);
    s.element(3, "ram:SubjectCode", daten.SubjectCode_data);
    s.line(2, "</ram:IncludedNote>");
  }
  s.line(1, "</rsm:ExchangedDocument>");
  s.line(1, "<rsm:SupplyChainTradeTransaction>");
  s.line(2, "<ram:IncludedSupplyChainTradeLineItem>");
}

void InvoiceWriter::writeTradeParty(bool seller) {
  State& s = *state_;
  const model::SourceValues& v = s.values;
  if (seller) {
    model::clsRechnungsSteller party;
    party.Kennung = kFalse;
    party.Unternehmen = v.BT27;
    party.UmsatzsteuerID = EscapeXmlText(v.BT31);
    party.UnternehmenEmail = Or(v.BT34, kFalse);
    party.Strasse = Or(v.BT35, kFalse);
    party.Ort = v.BT37;
    party.Plz = v.BT38;
    party.Land = Or(v.BT40, kDE);
    party.KontaktName = Or(v.BT41, kFalse);
    party.Telefon = Or(v.BT42, kFalse);
    party.KontaktEmail = Or(v.BT43, kFalse);

    s.element(3, "ram:BuyerReference", v.BT10.empty() ? kFalse : CleanXmlText(v.BT10));
    s.line(3, "<ram:SellerTradeParty>");
    s.element(4, "ram:GlobalID", party.Kennung);
    s.element(4, "ram:Name", party.Unternehmen);
    WriteContact(s, party.KontaktName, party.KontaktDepartment, party.Telefon, party.KontaktEmail);
    s.line(4, "<ram:PostalTradeAddress>");
    s.element(5, "ram:PostcodeCode", party.Plz);
    s.element(5, "ram:LineOne", party.Strasse);
    s.element(5, "ram:LineTwo", kFalse);
    s.element(5, "ram:LineThree", kFalse);
    s.element(5, "ram:CityName", party.Ort);
    s.element(5, "ram:CountryID", party.Land);
    s.line(4, "</ram:PostalTradeAddress>");
    s.line(4, "<ram:URIUniversalCommunication>");
    s.element(5, "ram:URIID", party.UnternehmenEmail, "schemeID=\"EM\"");
    s.line(4, "</ram:URIUniversalCommunication>");
    s.line(4, "<ram:SpecifiedTaxRegistration>");
    s.element(5, "ram:ID", party.UmsatzsteuerID, "schemeID=\"VA\"");
    s.line(4, "</ram:SpecifiedTaxRegistration>");
    s.line(3, "</ram:SellerTradeParty>");
    return;
  }

  model::clsRechnungsEmpfaenger party;
  party.Kennung = kFalse;
  party.Unternehmen = v.BT44;
  party.UmsatzsteuerID = v.BT48.empty() ? kDE : EscapeXmlText(v.BT48);
  party.UnternehmenEmail = v.BT49.empty() ? kFalse : EscapeXmlText(v.BT49);
  party.Strasse = Or(v.BT50, kFalse);
  party.Ort = Or(v.BT52, kFalse);
  party.Plz = Or(v.BT53, kFalse);
  party.Land = Or(v.BT55, kDE);
  party.KontaktName = Or(v.BT56, kFalse);
  party.KontaktTelefon = Or(v.BT57, kFalse);
  party.KontaktEmail = Or(v.BT58, kFalse);

  s.line(3, "<ram:BuyerTradeParty>");
  s.element(4, "ram:GlobalID", party.Kennung);
  s.element(4, "ram:Name", party.Unternehmen);
  WriteContact(s, party.KontaktName, party.KontaktDepartment, party.KontaktTelefon,
               party.KontaktEmail);
  s.line(4, "<ram:PostalTradeAddress>");
  s.element(5, "ram:PostcodeCode", party.Plz);
  s.element(5, "ram:LineOne", party.Strasse);
  s.element(5, "ram:LineTwo", kFalse);
  s.element(5, "ram:CityName", party.Ort);
  s.element(5, "ram:CountryID", party.Land);
  s.line(4, "</ram:PostalTradeAddress>");
  s.line(4, "<ram:URIUniversalCommunication>");
  s.element(5, "ram:URIID", party.UnternehmenEmail, "schemeID=\"EM\"");
  s.line(4, "</ram:URIUniversalCommunication>");
  if (!party.UmsatzsteuerID.empty()) {
    s.line(4, "<ram:SpecifiedTaxRegistration>");
    s.element(5, "ram:ID", party.UmsatzsteuerID, "schemeID=\"VA\"");
    s.line(4, "</ram:SpecifiedTaxRegistration>");
  }
  s.line(3, "</ram:BuyerTradeParty>");
  if (!v.BT13.empty()) {
    s.line(3, "<ram:BuyerOrderReferencedDocument>");
    s.element(4, "ram:IssuerAssignedID", v.BT13);
    s.line(3, "</ram:BuyerOrderReferencedDocument>");
  }
  if (!v.BT12.empty()) {
    s.line(3, "<ram:ContractReferencedDocument>");
    s.element(4, "ram:IssuerAssignedID", v.BT12);
    s.line(3, "</ram:ContractReferencedDocument>");
  }
  WriteAttachments(s);
  if (!v.BT11.empty()) {
    std::string project = CleanXmlText(v.BT11);
    s.line(2, "<ram:SpecifiedProcuringProject>");
    s.element(3, "ram:ID", project);
    s.element(3, "ram:Name", project);
    s.line(2, "</ram:SpecifiedProcuringProject>");
  }
}

namespace {

// One block per existing file of the ";"-separated list, in list order.
void WriteAttachments(InvoiceWriter::State& s) {
  if (s.attachments.empty()) return;
  size_t start = 0;
  while (start <= s.attachments.size()) {
    size_t end = s.attachments.find(';', start);
    if (end == std::string::npos) end = s.attachments.size();
    std::string path = s.attachments.substr(start, end - start);
    start = end + 1;
    if (path.empty() || !sys::fileExists(path)) continue;
    size_t slash = path.rfind('/');
    std::string name =
        FormatField(db::Value(slash == std::string::npos ? path : path.substr(slash + 1)),
                    db::Value(""), {}, true);
    std::string bytes = sys::readFile(path, "attachment");  // an unreadable file ends the run
    std::string mime = MimeCode(path);
    s.line(3, "<ram:AdditionalReferencedDocument>");
    s.element(4, "ram:IssuerAssignedID", name);
    s.line(4, "<ram:TypeCode>916</ram:TypeCode>");
    s.element(4, "ram:Name", name);
    if (!mime.empty()) {
      s.text.append(4, '\t');
      s.text += "<ram:AttachmentBinaryObject filename=\"";
      s.text += name;
      s.text += "\" mimeCode=\"";
      s.text += mime;
      s.text += "\">";
      s.text += FileToBase64(bytes);
      s.text += "</ram:AttachmentBinaryObject>\r\n";
    }
    s.line(3, "</ram:AdditionalReferencedDocument>");
  }
}

}  // namespace

}  // namespace belvora::writer
