#include "reader/ReadXML.h"

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <stdexcept>

#include "messages/Messages.h"
#include "platform/sys/Files.h"
#include "platform/sys/WorkFile.h"
#include "platform/ui/Interaction.h"
#include "platform/xml/XPath.h"
#include "reader/ExtractInvoiceXml.h"
#include "reader/clsCIIImport.h"
#include "reader/clsPeppol.h"
#include "reader/clsUBLImport.h"
#include "text/Texte.h"

namespace belvora::reader {

namespace msg = ::belvora::messages;
namespace rtext = ::belvora::messages::reader;

namespace {

// The root elements of the syntaxes: name and namespace (ZUGFeRD 1.0 by
// the start of its namespace, whatever its profile).
struct KnownRoot {
  std::string_view name;
  std::string_view ns;
  bool prefixOnly;
  int syntax;
};
constexpr KnownRoot kRoots[] = {
    {"CrossIndustryInvoice", "urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100", false,
     SyntaxCII},
    {"Invoice", "urn:oasis:names:specification:ubl:schema:xsd:Invoice-2", false, SyntaxPeppol},
    {"CreditNote", "urn:oasis:names:specification:ubl:schema:xsd:CreditNote-2", false, SyntaxUBL},
    {"CrossIndustryDocument", "urn:ferd:CrossIndustryDocument:", true, SyntaxNone},
};

// The extracted invoice of a PDF, in a folder of its own for each read.
constexpr std::string_view kWorkFileName = "zFile.xml";

std::string megabytes(std::uint64_t bytes) { return std::to_string(bytes >> 20); }

FieldList invoiceFields(ViewModel& v, std::initializer_list<std::size_t> indexes) {
  FieldList list;
  for (std::size_t i : indexes) list.push_back(&v.txtRechnungdaten[i]);
  return list;
}

FieldList partyFields(std::array<std::string, 10>& party) {
  FieldList list;
  for (auto& field : party) list.push_back(&field);
  return list;
}

// TaxAmount, TotalAmount, the eight amounts SumOfNet ... PaymentDue, and the
// two currency fields: the list every total reader fills.
FieldList totalFields(ViewModel& v) {
  FieldList list{&v.txtRechnungdaten[TaxAmount], &v.txtRechnungdaten[TotalAmount]};
  for (std::size_t i = SumOfNet; i <= PaymentDue; ++i) list.push_back(&v.txtSonstige[i]);
  list.push_back(&v.txtRechnungdaten[CurrencyCode]);
  list.push_back(&v.txtRechnungdaten[TotalCurrencyCode]);
  return list;
}

// Offers the attachment operation the output folder, reports what could
// not be written, and asks whether to open the folder when a file is there.
template <typename Operation>
void attachmentStep(ReaderSettings& s, Operation&& operation) {
  const std::string& folder = s.outputFolder;
  if (folder.empty()) return;
  // A missing folder is named first; what the document would have put
  // there is then reported as lost like any attachment that fails.
  if (!sys::isDirectory(folder)) {
    ui::current().message(msg::kTitleNote, rtext::kNoOutputFolder, ui::Icon::Information);
  }
  AttachmentFolder target(folder, s.language);
  operation(target);
  target.report();
  if (target.lostAny()) s.attachmentsLost = true;
  if (target.saved() == 0) return;
  if (ui::current().question(msg::kTitleNote, rtext::kOpenFolder, ui::Icon::Question, true)) {
    sys::openExternal(folder);
  }
}

bool readCii(xml::XPath& xp, const xmlNode* root, ViewModel& v, ReaderSettings& s) {
  xp.registerNamespaces(clsCIIImport::SelectionNamespaces());
  clsCIIImport cii(xp, {s.language, s.viewNumberFormat});
  const xmlNode* agreement = xp.first("//ram:ApplicableHeaderTradeAgreement", root);
  const xmlNode* settlement = xp.first("//ram:ApplicableHeaderTradeSettlement", root);

  FieldList documentFields = invoiceFields(
      v, {RoutingID, InvoiceNumber, Subject, InvoiceDate, InvoiceType, PaymentMethod});
  documentFields.push_back(&v.txtSonstige[BusinessProcess]);

  const bool ok =
      cii.ExchangedDocument(xp.first("//rsm:ExchangedDocument", root), documentFields) &&
      cii.SellerTradeParty(agreement, partyFields(v.txtSeller)) &&
      cii.BuyerTradePartyNode(agreement, partyFields(v.txtBuyer)) &&
      cii.SpecifiedTradePaymentTerms(settlement,
                                     {&v.txtRechnungdaten[PayableBy], &v.txtRechnungdaten[Remarks],
                                      &v.txtSonstige[PayeeAccountName], &v.txtSonstige[PayeeIBAN],
                                      &v.txtSonstige[PayeeBIC]}) &&
      cii.IncludedSupplyChainTradeLineItem(settlement, v.lvTable) &&
      cii.ApplicableTradeTax(settlement, v.lvUst,
                             {&v.txtRechnungdaten[TaxAmount], &v.txtRechnungdaten[TotalAmount]}) &&
      cii.SpecifiedTradeAllowanceCharge(xp.first("//ram:SpecifiedTradeAllowanceCharge", root),
                                        v.lvAbzuege) &&
      cii.SpecifiedTradeSettlementHeaderMonetarySummation(
          xp.first("//ram:SpecifiedTradeSettlementHeaderMonetarySummation", root), totalFields(v));
  if (!ok) return false;
  attachmentStep(s, [&](AttachmentFolder& target) {
    return cii.AdditionalReferencedDocument(xp.first("//ram:ApplicableHeaderTradeAgreement"),
                                            target);
  });
  return true;
}

// Header fields the viewer reads itself in the UBL branches: trimmed texts,
// dates converted; a missing element leaves its field.
void readUblHeader(xml::XPath& xp, ViewModel& v, bool peppol) {
  auto put = [&xp](std::string& field, const char* path, bool date = false) {
    if (auto text = xp.text(path)) {
      field = text::FormatField(date ? DisplayDate(*text) : *text, "");
    }
  };
  auto& r = v.txtRechnungdaten;
  put(r[RoutingID], "//cbc:CustomizationID");
  put(r[InvoiceNumber], "//cbc:ID");
  put(r[InvoiceDate], "//cbc:IssueDate", true);
  put(r[PayableBy], "//cbc:DueDate", true);
  put(r[InvoiceType], "//cbc:InvoiceTypeCode");
  put(r[PaymentMethod], "//cbc:Note");
  put(r[Remarks], "//cac:PaymentTerms/cbc:Note");
  if (peppol) {
    put(v.txtSonstige[ProfileID], "//cbc:ProfileID");
    put(v.txtSonstige[AccountingCost], "//cbc:AccountingCost");
  } else {
    put(v.txtSonstige[PayeeAccountName], "//cac:PayeeFinancialAccount/cbc:Name");
    put(v.txtSonstige[PayeeIBAN], "//cac:PayeeFinancialAccount/cbc:ID");
    put(v.txtSonstige[PayeeBIC],
        "//cac:PayeeFinancialAccount/cac:FinancialInstitutionBranch/cbc:ID");
  }
}

bool readUbl(xml::XPath& xp, ViewModel& v, ReaderSettings& s, bool peppol) {
  xp.registerNamespaces(peppol ? clsPeppol::SelectionNamespaces()
                               : clsUBLImport::SelectionNamespaces());
  // The reader reads the format when it formats, so create it after the switch.
  auto make = [&]() -> std::unique_ptr<clsUBLImport> {
    const ViewFormat format{s.language, s.viewNumberFormat};
    if (peppol) return std::make_unique<clsPeppol>(xp, format);
    return std::make_unique<clsUBLImport>(xp, format);
  };
  FieldList seller = partyFields(v.txtSeller);
  if (peppol) seller.push_back(&v.txtSonstige[CustomizationID]);

  auto parties = make();
  if (!parties->AccountingCustomerParty(xp.first("//cac:AccountingCustomerParty"),
                                        partyFields(v.txtBuyer)) ||
      !parties->AccountingSupplierParty(xp.first("//cac:AccountingSupplierParty"), seller)) {
    return false;
  }
  s.viewNumberFormat = kViewFormatPlain;
  readUblHeader(xp, v, peppol);

  auto ubl = make();
  const xmlNode* firstLine = xp.first("//cac:InvoiceLine");
  const bool ok = ubl->InvoiceLine(firstLine, v.lvTable) && ubl->TaxSubtotal(firstLine, v.lvUst) &&
                  ubl->LegalMonetaryTotal(xp.first("//cac:LegalMonetaryTotal"), totalFields(v)) &&
                  ubl->AllowanceCharge(xp.first("//cac:AllowanceCharge"), v.lvAbzuege);
  if (!ok) return false;
  attachmentStep(s, [&](AttachmentFolder& target) {
    return ubl->AdditionalDocumentReference(xp.first("//cac:AdditionalDocumentReference"), target);
  });
  return true;
}

}  // namespace

int TypeOfXML(const xmlNode* root) {
  if (root == nullptr) return SyntaxNoInvoice;
  const std::string_view name = reinterpret_cast<const char*>(root->name);
  const std::string_view ns = root->ns != nullptr && root->ns->href != nullptr
                                  ? std::string_view(reinterpret_cast<const char*>(root->ns->href))
                                  : std::string_view();
  for (const auto& known : kRoots) {
    if (name == known.name &&
        (known.prefixOnly ? ns.substr(0, known.ns.size()) == known.ns : ns == known.ns)) {
      return known.syntax;
    }
  }
  return SyntaxNoInvoice;
}

int TypeOfXML(const xml::Document& doc) { return TypeOfXML(doc.root()); }

std::string RootDescription(const xmlNode* root, const std::string& language) {
  if (root == nullptr) return {};
  std::string name;
  if (root->ns != nullptr && root->ns->prefix != nullptr) {
    name = reinterpret_cast<const char*>(root->ns->prefix) + std::string(":");
  }
  name += reinterpret_cast<const char*>(root->name);
  if (root->ns == nullptr || root->ns->href == nullptr) return name;
  return msg::Say(rtext::kRootInNamespace, language,
                  {name, reinterpret_cast<const char*>(root->ns->href)});
}

std::string ParseErrorText(const xml::ParseError& e, const std::string& language) {
  auto say = [&language](const msg::Text& t) { return msg::Choose(t, language); };
  const char* crlf = msg::kLineBreak;
  std::string text = say(rtext::kXmlError);
  text += crlf;
  text += say(rtext::kXmlDescription) + e.reason() + crlf;
  text += say(rtext::kXmlLine) + std::to_string(e.line()) + crlf;
  text += say(rtext::kXmlColumn) + std::to_string(e.column()) + crlf;
  text += crlf;
  text += say(rtext::kXmlErrorLine);
  text += crlf;
  text += e.lineText();
  return text;
}

bool ReadXML(ReaderSettings& settings, ViewModel& view) {
  view.clear();
  view.syntax = SyntaxNone;
  view.saveEnabled = true;
  // The previous read's work file goes once this read no longer needs it.
  const auto previous = std::move(settings.workFile);
  settings.workFile.reset();
  settings.attachmentsLost = false;
  const std::string& language = settings.language;
  auto fail = [&view](const std::string& text) {
    ui::current().message(msg::kDefaultTitle, text, ui::Icon::Critical);
    view.saveEnabled = false;
    return false;
  };
  try {
    const std::string path = settings.invoiceFile;
    // Only regular files, within the limit; a missing file is reported by the parser.
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) return fail(msg::Say(rtext::kNotRegular, language, {path}));
    if (exists && static_cast<std::uint64_t>(st.st_size) > settings.maxInvoiceSize) {
      return fail(msg::Say(
          rtext::kFileTooLarge, language,
          {path, megabytes(settings.maxInvoiceSize), msg::Say(rtext::kLimitSetting, language)}));
    }
    if (exists && IsPdfFile(path)) {
      auto work = std::make_shared<sys::WorkFile>(kWorkFileName);
      const ExtractResult extracted = ExtractInvoiceXml(path, *work, settings.maxInvoiceSize);
      switch (extracted.outcome) {
        case Extraction::Extracted:
          settings.invoiceFile = work->path();
          settings.workFile = std::move(work);
          break;
        case Extraction::NotPdf:
          break;
        case Extraction::NoInvoice:
          return fail(msg::Say(rtext::kPdfNoInvoice, language));
        case Extraction::Unreadable:
          return fail(msg::Say(rtext::kPdfUnreadable, language, {extracted.reason}));
        case Extraction::TooLarge:
          return fail(msg::Say(
              rtext::kPdfTooLarge, language,
              {megabytes(settings.maxInvoiceSize), msg::Say(rtext::kLimitSetting, language)}));
        case Extraction::Failed:
          return fail(msg::Say(rtext::kWorkFile, language, {extracted.reason}));
      }
    }
    settings.viewNumberFormat = kViewFormatGrouped;

    std::optional<xml::Document> doc;
    try {
      doc.emplace(xml::Document::parseFile(settings.invoiceFile));
    } catch (const xml::UnsupportedEncoding&) {
      return fail(msg::Say(rtext::kUtf32, language));
    } catch (const xml::ParseError& e) {
      return fail(ParseErrorText(e, language));
    }

    xml::XPath xp(*doc);
    const int syntax = TypeOfXML(*doc);
    if (syntax == SyntaxNoInvoice) {
      return fail(msg::Say(rtext::kNotInvoice, language, {RootDescription(doc->root(), language)}));
    }
    view.syntax = syntax;
    bool ok = true;
    switch (view.syntax) {
      case SyntaxCII:
        ok = readCii(xp, doc->root(), view, settings);
        break;
      case SyntaxUBL:
        ok = readUbl(xp, view, settings, false);
        break;
      case SyntaxPeppol:
        ok = readUbl(xp, view, settings, true);
        break;
      default:
        break;
    }
    if (!ok) view.saveEnabled = false;
    return ok;
  } catch (const std::exception& e) {
    return fail(e.what());
  }
}

}  // namespace belvora::reader
