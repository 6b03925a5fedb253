// Document frame, header, trade parties, references and attachments of the
// CII invoice.
//
//   <?xml ...?> and three generator comments
//   <rsm:CrossIndustryInvoice ...>
//     <rsm:ExchangedDocumentContext>      process and specification identifiers
//     <rsm:ExchangedDocument>             number, type, date, notes
//     <rsm:SupplyChainTradeTransaction>
//       <ram:IncludedSupplyChainTradeLineItem> ...   (InvoiceWriter_lines.cpp)
//       <ram:ApplicableHeaderTradeAgreement>         parties, references, attachments
//       <ram:ApplicableHeaderTradeDelivery>          (InvoiceWriter_settlement.cpp)
//       <ram:ApplicableHeaderTradeSettlement>        (InvoiceWriter_settlement.cpp)

#include <belvora_version.h>

#include <stdexcept>
#include <string>
#include <utility>

#include "messages/Messages.h"
#include "platform/sys/Clock.h"
#include "text/Texte.h"
#include "writer/InvoiceWriterState.h"

namespace belvora::writer {

namespace {

// The texts of the terms CII has no place for.
namespace msg = ::belvora::messages::writer;
using ::belvora::messages::Fill;

// Declared unless the invoice names its own specification (CVD, extension).
constexpr const char* kGuidelineId =
    "urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0";

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

// Terms of the model that CII has no place for. Writing without them would
// drop the caller's data unnoticed, so the writer refuses the invoice.
// Qualifiers without the value they qualify (a scheme without its
// identifier, a unit without its quantity) are omitted with it instead.
void CheckExpressible(const model::Invoice& inv) {
  std::string problems;
  auto add = [&](const std::string& p) { problems += (problems.empty() ? "" : "\n") + p; };
  size_t preceding = 0;
  for (const model::PrecedingInvoice& p : inv.precedingInvoices)
    if (!Blank(p.number) || p.date) ++preceding;
  if (preceding > 1) add(Fill(msg::kOnePreceding, {std::to_string(preceding)}));
  if (inv.totals.vatTotalInAccountingCurrency && Blank(inv.vatAccountingCurrency))
    add(msg::kAccountingCurrency);
  if ((inv.taxPointDate || !Blank(inv.taxPointDateCode)) && inv.vatBreakdown.empty())
    add(msg::kTaxPointWithoutBreakdown);
  // Several payment means blocks are one means with several accounts: one
  // code for all, and one text where a block states one (CII-SR-467/468
  // compare only the texts that are there).
  const model::PaymentMeans* firstMeans = nullptr;
  const std::string* firstText = nullptr;
  for (const model::PaymentMeans& pm : inv.paymentMeans) {
    if (Blank(pm.code) && Blank(pm.text)) continue;
    if (!firstMeans) firstMeans = &pm;
    if (!firstText && !Blank(pm.text)) firstText = &pm.text;
    const bool sameCode = pm.code == firstMeans->code;
    if (!sameCode || (!Blank(pm.text) && pm.text != *firstText)) {
      add(Fill(msg::kOnePaymentMeans,
               {sameCode ? *firstText : firstMeans->code, sameCode ? pm.text : pm.code}));
      break;
    }
  }
  for (const model::Line& l : inv.lines)
    if (l.priceDiscount && !l.grossPrice)
      add(Fill(msg::kDiscountWithoutGross, {std::to_string(l.sourceRow)}));
  if (!problems.empty()) throw std::invalid_argument(problems);
}

}  // namespace

// ---- State helpers --------------------------------------------------------------

void AppendEscaped(std::string& out, std::string_view value) {
  for (unsigned char c : value) {
    const bool plain =
        (c >= 0x20 && c < 0x7F && c != '&' && c != '<' && c != '>' && c != '"' && c != '\'') ||
        c == '\t' || c == '\n' || c == '\r';
    if (!plain) {
      out += text::EscapeXmlText(value);
      return;
    }
  }
  out += value;
}

std::string Attribute(std::string_view name, std::string_view value) {
  std::string escaped;
  AppendEscaped(escaped, value);
  if (escaped.empty()) return {};
  std::string out = " ";
  out += name;
  out += "=\"";
  out += escaped;
  out += '"';
  return out;
}

void InvoiceWriter::State::line(int tabs, std::string_view markup) {
  text.append(static_cast<size_t>(tabs), '\t');
  text += markup;
  text += "\r\n";
}

void InvoiceWriter::State::element(int tabs, std::string_view name, std::string_view value,
                                   std::string_view attributes) {
  const size_t mark = text.size();
  text.append(static_cast<size_t>(tabs), '\t');
  text += '<';
  text += name;
  text += attributes;
  text += '>';
  const size_t start = text.size();
  AppendEscaped(text, value);
  if (text.size() == start) {  // nothing left to say: no element
    text.resize(mark);
    return;
  }
  text += "</";
  text += name;
  text += ">\r\n";
}

void InvoiceWriter::State::amount(int tabs, std::string_view name,
                                  const std::optional<model::Decimal>& value,
                                  std::string_view attributes) {
  if (value) element(tabs, name, AmountText(*value), attributes);
}

void InvoiceWriter::State::date(int tabs, std::string_view name,
                                const std::optional<model::Date>& value, std::string_view inner) {
  if (!value) return;
  text.append(static_cast<size_t>(tabs), '\t');
  text += '<';
  text += name;
  text += ">\r\n";
  element(tabs + 1, inner, text::DateText102(*value), " format=\"102\"");
  text.append(static_cast<size_t>(tabs), '\t');
  text += "</";
  text += name;
  text += ">\r\n";
}

void InvoiceWriter::State::reference(int tabs, std::string_view name, const std::string& id) {
  Group g = open(tabs, name);
  element(tabs + 1, "ram:IssuerAssignedID", id);
  close(tabs, name, g);
}

InvoiceWriter::State::Group InvoiceWriter::State::open(int tabs, std::string_view tag) {
  Group g{text.size(), 0};
  text.append(static_cast<size_t>(tabs), '\t');
  text += '<';
  text += tag;
  text += ">\r\n";
  g.content = text.size();
  return g;
}

bool InvoiceWriter::State::close(int tabs, std::string_view tag, Group g) {
  if (text.size() == g.content) {
    text.resize(g.start);
    return false;
  }
  text.append(static_cast<size_t>(tabs), '\t');
  text += "</";
  text += tag;
  text += ">\r\n";
  return true;
}

bool Blank(std::string_view value) {
  std::string escaped;
  AppendEscaped(escaped, value);
  return escaped.empty();
}

// ---- Shared parts -------------------------------------------------------------------

void WriteIdentifiers(InvoiceWriter::State& s, int tabs, const model::Identifier* first,
                      size_t count) {
  // The schema wants every plain ID before the first GlobalID.
  for (size_t i = 0; i < count; ++i)
    if (first[i].scheme.empty()) s.element(tabs, "ram:ID", first[i].id);
  for (size_t i = 0; i < count; ++i)
    if (!first[i].scheme.empty())
      s.element(tabs, "ram:GlobalID", first[i].id, Attribute("schemeID", first[i].scheme));
}

void WriteLegalOrganization(InvoiceWriter::State& s, int tabs, const model::Identifier& id,
                            const std::string& tradingName) {
  auto g = s.open(tabs, "ram:SpecifiedLegalOrganization");
  s.element(tabs + 1, "ram:ID", id.id, Attribute("schemeID", id.scheme));
  s.element(tabs + 1, "ram:TradingBusinessName", tradingName);
  s.close(tabs, "ram:SpecifiedLegalOrganization", g);
}

void WriteAddress(InvoiceWriter::State& s, int tabs, const model::Address& a) {
  auto g = s.open(tabs, "ram:PostalTradeAddress");
  s.element(tabs + 1, "ram:PostcodeCode", a.postCode);
  s.element(tabs + 1, "ram:LineOne", a.line1);
  s.element(tabs + 1, "ram:LineTwo", a.line2);
  s.element(tabs + 1, "ram:LineThree", a.line3);
  s.element(tabs + 1, "ram:CityName", a.city);
  s.element(tabs + 1, "ram:CountryID", a.countryCode);
  s.element(tabs + 1, "ram:CountrySubDivisionName", a.subdivision);
  s.close(tabs, "ram:PostalTradeAddress", g);
}

void WriteTaxRegistration(InvoiceWriter::State& s, int tabs, const std::string& id,
                          const char* scheme) {
  auto g = s.open(tabs, "ram:SpecifiedTaxRegistration");
  s.element(tabs + 1, "ram:ID", id, std::string(" schemeID=\"") + scheme + "\"");
  s.close(tabs, "ram:SpecifiedTaxRegistration", g);
}

namespace {

// The contact block, the same for both parties.
void WriteContact(InvoiceWriter::State& s, const model::Contact& c) {
  auto contact = s.open(4, "ram:DefinedTradeContact");
  s.element(5, "ram:PersonName", c.name);
  auto phone = s.open(5, "ram:TelephoneUniversalCommunication");
  s.element(6, "ram:CompleteNumber", c.telephone);
  s.close(5, "ram:TelephoneUniversalCommunication", phone);
  auto email = s.open(5, "ram:EmailURIUniversalCommunication");
  s.element(6, "ram:URIID", c.email);
  s.close(5, "ram:EmailURIUniversalCommunication", email);
  s.close(4, "ram:DefinedTradeContact", contact);
}

// Seller (BG-4) or buyer (BG-7).
void WriteParty(InvoiceWriter::State& s, const char* tag, const model::Party& p) {
  s.line(3, std::string("<") + tag + ">");
  WriteIdentifiers(s, 4, p.ids.data(), p.ids.size());
  s.element(4, "ram:Name", p.name);
  s.element(4, "ram:Description", p.additionalLegalInfo);
  WriteLegalOrganization(s, 4, p.legalRegistration, p.tradingName);
  WriteContact(s, p.contact);
  WriteAddress(s, 4, p.address);
  auto uri = s.open(4, "ram:URIUniversalCommunication");
  s.element(5, "ram:URIID", p.electronicAddress.id,
            Attribute("schemeID", p.electronicAddress.scheme));
  s.close(4, "ram:URIUniversalCommunication", uri);
  WriteTaxRegistration(s, 4, p.vatId, "VA");
  WriteTaxRegistration(s, 4, p.taxRegistration, "FC");
  s.line(3, std::string("</") + tag + ">");
}

void WriteAttachment(InvoiceWriter::State& s, const model::Attachment& a) {
  s.line(3, "<ram:AdditionalReferencedDocument>");
  s.element(4, "ram:IssuerAssignedID", a.id);
  s.element(4, "ram:URIID", a.uri);
  s.line(4, "<ram:TypeCode>916</ram:TypeCode>");
  s.element(4, "ram:Name", a.description);
  if (!a.content.empty()) {
    s.text.append(4, '\t');
    s.text += "<ram:AttachmentBinaryObject";
    s.text += Attribute("filename", a.fileName);
    s.text += Attribute("mimeCode", a.mimeCode);
    s.text += '>';
    s.text += text::FileToBase64(a.content);
    s.text += "</ram:AttachmentBinaryObject>\r\n";
  }
  s.line(3, "</ram:AdditionalReferencedDocument>");
}

// BT-17 (type 50) and BT-18 (type 130, with its scheme) travel as further
// referenced documents.
void WriteDocumentReference(InvoiceWriter::State& s, int tabs, const model::Identifier& id,
                            const char* typeCode) {
  if (Blank(id.id)) return;
  s.line(tabs, "<ram:AdditionalReferencedDocument>");
  s.element(tabs + 1, "ram:IssuerAssignedID", id.id);
  s.line(tabs + 1, std::string("<ram:TypeCode>") + typeCode + "</ram:TypeCode>");
  s.element(tabs + 1, "ram:ReferenceTypeCode", id.scheme);
  s.line(tabs, "</ram:AdditionalReferencedDocument>");
}

}  // namespace

// ---- InvoiceWriter ------------------------------------------------------------------

InvoiceWriter::InvoiceWriter(const model::Invoice& invoice) {
  CheckExpressible(invoice);
  state_ = std::make_unique<State>(invoice);
}

InvoiceWriter::~InvoiceWriter() = default;

const std::string& InvoiceWriter::text() const { return state_->text; }

void InvoiceWriter::writeHeader() {
  State& s = *state_;
  const model::Invoice& inv = s.invoice;

  s.text.clear();
  size_t estimate = 16 * 1024 + inv.lines.size() * 2048;
  for (const model::Attachment& a : inv.attachments) estimate += a.content.size() / 3 * 4 + 512;
  s.text.reserve(estimate);

  s.line(0, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  s.line(0, "<!-- Mit belvora Version: " + std::to_string(version::major) + "." +
                std::to_string(version::minor) + "." + std::to_string(version::revision) +
                " erstellt. -->");
  s.line(0, std::string("<!-- Infos unter: ") + version::webAddress + " -->");
  s.line(0, "<!-- Erstellt am: " + text::ShortDateText(sys::today()) + " -->");
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
  auto process = s.open(2, "ram:BusinessProcessSpecifiedDocumentContextParameter");
  s.element(3, "ram:ID", inv.businessProcess);
  s.close(2, "ram:BusinessProcessSpecifiedDocumentContextParameter", process);
  s.line(2, "<ram:GuidelineSpecifiedDocumentContextParameter>");
  s.element(3, "ram:ID", Blank(inv.specificationId) ? kGuidelineId : inv.specificationId);
  s.line(2, "</ram:GuidelineSpecifiedDocumentContextParameter>");
  s.line(1, "</rsm:ExchangedDocumentContext>");
  s.line(1, "<rsm:ExchangedDocument>");
  s.element(2, "ram:ID", inv.number);
  s.element(2, "ram:TypeCode", inv.typeCode);
  s.date(2, "ram:IssueDateTime", inv.issueDate);
  for (const model::Note& note : inv.notes) {
    if (Blank(note.text)) continue;  // a subject without a note says nothing
    s.line(2, "<ram:IncludedNote>");
    s.element(3, "ram:Content", note.text);
    s.element(3, "ram:SubjectCode", note.subjectCode);
    s.line(2, "</ram:IncludedNote>");
  }
  s.line(1, "</rsm:ExchangedDocument>");
  s.line(1, "<rsm:SupplyChainTradeTransaction>");
  // The line writer continues inside the first line item.
  if (!inv.lines.empty()) s.line(2, "<ram:IncludedSupplyChainTradeLineItem>");
}

void InvoiceWriter::writeTradeParty(bool seller) {
  State& s = *state_;
  const model::Invoice& inv = s.invoice;
  if (seller) {
    s.element(3, "ram:BuyerReference", inv.buyerReference);
    WriteParty(s, "ram:SellerTradeParty", inv.seller);
    return;
  }

  WriteParty(s, "ram:BuyerTradeParty", inv.buyer);
  const model::TaxRepresentative& rep = inv.taxRepresentative;
  auto g = s.open(3, "ram:SellerTaxRepresentativeTradeParty");
  s.element(4, "ram:Name", rep.name);
  WriteAddress(s, 4, rep.address);
  WriteTaxRegistration(s, 4, rep.vatId, "VA");
  s.close(3, "ram:SellerTaxRepresentativeTradeParty", g);
  s.reference(3, "ram:SellerOrderReferencedDocument", inv.salesOrderReference);
  s.reference(3, "ram:BuyerOrderReferencedDocument", inv.purchaseOrderReference);
  s.reference(3, "ram:ContractReferencedDocument", inv.contractReference);
  for (const model::Attachment& a : inv.attachments) WriteAttachment(s, a);
  WriteDocumentReference(s, 3, {inv.tenderReference, {}}, "50");
  WriteDocumentReference(s, 3, inv.invoicedObjectId, "130");
  if (!Blank(inv.projectReference)) {
    // The project has no name of its own: the reference stands for both.
    s.line(2, "<ram:SpecifiedProcuringProject>");
    s.element(3, "ram:ID", inv.projectReference);
    s.element(3, "ram:Name", inv.projectReference);
    s.line(2, "</ram:SpecifiedProcuringProject>");
  }
}

std::string WriteCii(const model::Invoice& invoice) {
  InvoiceWriter w(invoice);
  w.writeHeader();
  w.writeLineItems();
  w.writeTradeParty(true);
  w.writeTradeParty(false);
  w.writeSettlement();
  w.writeTaxBreakdown();
  w.writeBillingPeriod();
  w.writeAllowances();
  w.writePaymentTerms();
  w.writeSummation();
  return std::move(w.state_->text);
}

}  // namespace belvora::writer
