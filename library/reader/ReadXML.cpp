#include "reader/ReadXML.h"

#include <optional>
#include <stdexcept>

#include "platform/sys/Files.h"
#include "platform/ui/Interaction.h"
#include "platform/xml/XPath.h"
#include "reader/ExtractInvoiceXml.h"
#include "reader/clsCIIImport.h"
#include "reader/clsPeppol.h"
#include "reader/clsUBLImport.h"
#include "text/Texte.h"

namespace belvora::reader {

namespace {

constexpr std::string_view kCiiNamespace =
    "urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100";
constexpr std::string_view kUblAggregateNamespace =
    "urn:oasis:names:specification:ubl:schema:xsd:CommonAggregateComponents-2";
constexpr std::string_view kUblInvoiceNamespace =
    "urn:oasis:names:specification:ubl:schema:xsd:Invoice-2";

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

// The output folder remembered for this read, and the files in it that an
// attachment must never replace: the invoice being read and, for a PDF, the
// work file.
struct Output {
  std::string folder;
  std::vector<std::string> keep;
};

// Offers the attachment operation the output folder and asks whether to open
// it when the document had references.
template <typename Operation>
void attachmentStep(const Output& output, Operation&& operation) {
  const std::string& folder = output.folder;
  if (folder.empty()) return;
  if (!sys::isDirectory(folder)) {
    ui::current().message("Note", "This output folder does not exist!", ui::Icon::Information);
    return;
  }
  AttachmentFolder target(folder, output.keep);
  if (!operation(target)) return;
  if (ui::current().question("Note", "Open export folder?", ui::Icon::Question, true)) {
    sys::openExternal(folder);
  }
}

bool readCii(xml::XPath& xp, ViewModel& v, const ReaderSettings& s, const Output& output) {
  xp.registerNamespaces(clsCIIImport::SelectionNamespaces());
  const xmlNode* root = xp.first("//rsm:CrossIndustryInvoice");
  if (root == nullptr) throw std::runtime_error("The CII document has no CrossIndustryInvoice");
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
  attachmentStep(output, [&](AttachmentFolder& target) {
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

bool readUbl(xml::XPath& xp, ViewModel& v, ReaderSettings& s, const Output& output, bool peppol) {
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
  attachmentStep(output, [&](AttachmentFolder& target) {
    return ubl->AdditionalDocumentReference(xp.first("//cac:AdditionalDocumentReference"), target);
  });
  return true;
}

}  // namespace

int TypeOfXML(xml::XPath& xp) {
  if (xp.hasElementIn(kUblInvoiceNamespace)) return SyntaxPeppol;
  if (xp.hasElementIn(kUblAggregateNamespace)) return SyntaxUBL;
  if (xp.hasElementIn(kCiiNamespace)) return SyntaxCII;
  return SyntaxNone;
}

int TypeOfXML(const xml::Document& doc) {
  xml::XPath xp(doc);
  return TypeOfXML(xp);
}

std::string ParseErrorText(const xml::ParseError& e, const std::string& language) {
  const bool de = language == "DE";
  const char* crlf = "\r\n";
  std::string text = de ? "XML-Fehler:" : "XML-Error:";
  text += crlf;
  text += (de ? "Beschreibung: " : "Description: ") + e.reason() + crlf;
  text += (de ? "Zeile: " : "Line: ") + std::to_string(e.line()) + crlf;
  text += (de ? "Spalte: " : "Columne: ") + std::to_string(e.column()) + crlf;
  text += crlf;
  text += de ? "Fehlerhafte Zeile:" : "Error-Line:";
  text += crlf;
  text += e.lineText();
  return text;
}

bool ReadXML(ReaderSettings& settings, ViewModel& view) {
  view.clear();
  view.syntax = SyntaxNone;
  view.saveEnabled = true;
  try {
    Output output{settings.outputFolder, {settings.invoiceFile}};
    if (IsPdfFile(settings.invoiceFile)) {
      std::string workFile;
      if (ExtractInvoiceXml(settings.invoiceFile, workFile)) {
        settings.invoiceFile = workFile;
        output.keep.push_back(workFile);
      }
    }
    settings.viewNumberFormat = kViewFormatGrouped;

    std::optional<xml::Document> doc;
    try {
      doc.emplace(xml::Document::parseFile(settings.invoiceFile));
    } catch (const xml::ParseError& e) {
      ui::current().message(text::kDefaultTitle, ParseErrorText(e, settings.language),
                            ui::Icon::Critical);
      view.saveEnabled = false;
      return false;
    }

    xml::XPath xp(*doc);
    view.syntax = TypeOfXML(xp);
    bool ok = true;
    switch (view.syntax) {
      case SyntaxCII:
        ok = readCii(xp, view, settings, output);
        break;
      case SyntaxUBL:
        ok = readUbl(xp, view, settings, output, false);
        break;
      case SyntaxPeppol:
        ok = readUbl(xp, view, settings, output, true);
        break;
      default:
        break;
    }
    if (!ok) view.saveEnabled = false;
    return ok;
  } catch (const std::exception&) {
    view.saveEnabled = false;
    return false;
  }
}

}  // namespace belvora::reader
