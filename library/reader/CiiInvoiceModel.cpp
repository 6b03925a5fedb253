// Picture of what this reader reads (business terms in brackets):
//
// rsm:CrossIndustryInvoice
//   rsm:ExchangedDocumentContext      BusinessProcess... (BT-23), Guideline... (BT-24)
//   rsm:ExchangedDocument             ID (1), TypeCode (3), IssueDateTime (2),
//                                     IncludedNote* (BG-1)
//   rsm:SupplyChainTradeTransaction
//     ram:IncludedSupplyChainTradeLineItem*            BG-25
//       AssociatedDocumentLineDocument                 LineID (126), IncludedNote (127)
//       SpecifiedTradeProduct                          item (BG-31, BG-32)
//       SpecifiedLineTradeAgreement                    order line (132), prices (BG-29)
//       SpecifiedLineTradeDelivery/BilledQuantity      129, 130
//       SpecifiedLineTradeSettlement                   VAT (BG-30), period (BG-26),
//                                                      allowances/charges (BG-27, -28),
//                                                      LineTotalAmount (131), object (128),
//                                                      accounting reference (133)
//     ram:ApplicableHeaderTradeAgreement  BuyerReference (10), Seller (BG-4), Buyer (BG-7),
//                                         SellerTaxRepresentative (BG-11), order, contract,
//                                         project references, AdditionalReferencedDocument*
//                                         (916: BG-24, 50: BT-17, 130: BT-18)
//     ram:ApplicableHeaderTradeDelivery   ShipToTradeParty (BG-13, BG-15), delivery date
//                                         (72), despatch (16) and receiving (15) advice
//     ram:ApplicableHeaderTradeSettlement creditor (90), payment reference (83),
//                                         currencies (5, 6), Payee (BG-10), payment means
//                                         (BG-16 to -19), ApplicableTradeTax* (BG-23),
//                                         BillingSpecifiedPeriod (BG-14), allowances and
//                                         charges (BG-20, -21), payment terms (20, 9, 89),
//                                         summation (BG-22), preceding invoices (BG-3),
//                                         accounting reference (19)

#include "reader/CiiInvoiceModel.h"

#include <cstring>
#include <exception>
#include <string_view>

#include "model/RulesTables.h"
#include "model/TaxPointCodes.h"
#include "platform/sys/Ascii.h"
#include "reader/AttachmentFiles.h"

namespace belvora::reader {
namespace {

using model::Decimal;
using Node = const xmlNode*;

constexpr const char* kRsm = "urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100";
constexpr const char* kRam =
    "urn:un:unece:uncefact:data:standard:ReusableAggregateBusinessInformationEntity:100";
constexpr const char* kUdt = "urn:un:unece:uncefact:data:standard:UnqualifiedDataType:100";
constexpr const char* kQdt = "urn:un:unece:uncefact:data:standard:QualifiedDataType:100";

// "ram:Name" -> namespace and local name.
bool Is(Node n, std::string_view qname) {
  if (n == nullptr || n->type != XML_ELEMENT_NODE || n->ns == nullptr) return false;
  const auto colon = qname.find(':');
  const std::string_view prefix = qname.substr(0, colon), local = qname.substr(colon + 1);
  const char* uri = prefix == "ram" ? kRam : prefix == "rsm" ? kRsm : prefix == "udt" ? kUdt : kQdt;
  return local == reinterpret_cast<const char*>(n->name) &&
         std::strcmp(uri, reinterpret_cast<const char*>(n->ns->href)) == 0;
}

Node Child(Node n, std::string_view qname) {
  if (n == nullptr) return nullptr;
  for (Node c = n->children; c != nullptr; c = c->next)
    if (Is(c, qname)) return c;
  return nullptr;
}

// Child steps separated by "/".
Node Path(Node n, std::string_view path) {
  while (n != nullptr && !path.empty()) {
    const auto slash = path.find('/');
    n = Child(n, path.substr(0, slash));
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
  }
  return n;
}

std::vector<Node> Children(Node n, std::string_view qname) {
  std::vector<Node> out;
  if (n == nullptr) return out;
  for (Node c = n->children; c != nullptr; c = c->next)
    if (Is(c, qname)) out.push_back(c);
  return out;
}

std::string Text(Node n, std::string_view path = {}) { return xml::nodeText(Path(n, path)); }

// The text as written, white space included.
std::string RawText(Node n) {
  if (n == nullptr) return {};
  xmlChar* content = xmlNodeGetContent(n);
  if (content == nullptr) return {};
  std::string text(reinterpret_cast<const char*>(content));
  xmlFree(content);
  return text;
}

// An element without element children and without text, as PEPPOL-EN16931-R008
// finds them (ApplicableHeaderTradeDelivery may be empty); null when none.
Node EmptyElement(Node n) {
  bool children = false;
  for (Node c = n->children; c != nullptr; c = c->next) {
    if (c->type != XML_ELEMENT_NODE) continue;
    children = true;
    if (Node e = EmptyElement(c)) return e;
  }
  if (children || Is(n, "ram:ApplicableHeaderTradeDelivery")) return nullptr;
  return ascii::TrimSpace(RawText(n)).empty() ? n : nullptr;
}
std::string Attr(Node n, const char* name) { return xml::attribute(n, name); }

// Reading values, collecting what does not fit the model.
class Reader {
 public:
  explicit Reader(CiiModel& out) : out_(out), inv_(out.invoice) {}
  void Read(Node root);

 private:
  void Problem(std::string_view rule, std::string_view term, std::optional<std::size_t> line,
               std::string detailEn = {}, std::string detailDe = {}) {
    const model::rules::RuleText* t = model::rules::FindRuleText(rule);
    model::Violation v;
    v.rule = std::string(rule);
    v.term = std::string(term);
    v.line = line;
    auto text = [&](std::string_view s, const std::string& d) {
      std::string out(s);
      while (!out.empty() && out.back() == '.') out.pop_back();
      if (!d.empty()) out += ": " + d;
      return out;
    };
    v.textEn = text(t ? t->en : rule, detailEn);
    v.textDe = text(t ? t->de : rule, detailDe.empty() ? detailEn : detailDe);
    out_.problems.push_back(std::move(v));
  }

  std::optional<Decimal> Number(Node n, std::string_view term) {
    if (n == nullptr) return std::nullopt;
    const std::string t = xml::nodeText(n);
    // xs:decimal: sign, digits and a decimal point; never a comma. Zeros
    // beyond the places a Decimal holds are dropped (prices are written
    // with 18 decimals at times).
    std::string_view digits = t;
    const auto point = digits.find('.');
    while (point != std::string_view::npos && digits.size() - point - 1 > Decimal::kMaxScale &&
           digits.back() == '0')
      digits.remove_suffix(1);
    auto d = t.find(',') == std::string::npos ? Decimal::parse(digits) : std::nullopt;
    if (!d) Problem("BELVORA-VALUE", term, line_, "\"" + t + "\"");
    return d;
  }
  std::optional<Decimal> Number(Node n, std::string_view path, std::string_view term) {
    return Number(Path(n, path), term);
  }

  // A date element (udt:DateTimeString or udt:DateString) in format 102.
  std::optional<model::Date> DateOf(Node n, std::string_view term) {
    if (n == nullptr) return std::nullopt;
    const std::string t = xml::nodeText(n), format = Attr(n, "format");
    if (format == "102" && t.size() == 8 &&
        t.find_first_not_of("0123456789") == std::string::npos) {
      model::Date d{std::stoi(t.substr(0, 4)), std::stoi(t.substr(4, 2)),
                    std::stoi(t.substr(6, 2))};
      static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
      const bool leap = (d.year % 4 == 0 && d.year % 100 != 0) || d.year % 400 == 0;
      if (d.month >= 1 && d.month <= 12 && d.day >= 1 &&
          d.day <= (d.month == 2 && !leap ? 28 : kDays[d.month - 1]))
        return d;
    }
    Problem("BELVORA-VALUE", term, line_, "\"" + t + "\" (" + format + ")");
    return std::nullopt;
  }

  model::Identifier Id(Node n) { return {Text(n), Attr(n, "schemeID")}; }

  void ReadAddress(Node n, model::Address& a);
  void ReadParty(Node n, model::Party& p);
  void ReadPeriod(Node n, model::Period& p, std::string_view rule, std::string_view startTerm,
                  std::string_view endTerm);
  void ReadAllowanceCharge(Node n, model::AllowanceCharge& ac, bool documentLevel);
  void ReadAgreement(Node n);
  void ReadDelivery(Node n);
  void ReadSettlement(Node n);
  void ReadPaymentMeans(Node n);
  void ReadBreakdown(Node n);
  void ReadSummation(Node n);
  void ReadVatTotals(Node summation);
  void ReadLine(Node n, std::size_t row);

  CiiModel& out_;
  model::Invoice& inv_;
  std::optional<std::size_t> line_;  // the line being read, for problems
  bool xrechnung_ = false;           // BT-24 names an XRechnung scenario
};

void Reader::Read(Node root) {
  Node context = Child(root, "rsm:ExchangedDocumentContext");
  inv_.businessProcess =
      Text(context, "ram:BusinessProcessSpecifiedDocumentContextParameter/ram:ID");
  // BT-24 exactly as written: the validator chooses its scenario by it.
  inv_.specificationId =
      RawText(Path(context, "ram:GuidelineSpecifiedDocumentContextParameter/ram:ID"));
  xrechnung_ = model::rules::IsXRechnung(inv_.specificationId);
  // XRechnung forbids empty elements; the model has none to show.
  if (xrechnung_)
    if (Node e = EmptyElement(root))
      Problem("PEPPOL-EN16931-R008", {}, std::nullopt,
              std::string(reinterpret_cast<const char*>(e->name)));
  Node doc = Child(root, "rsm:ExchangedDocument");
  inv_.number = Text(doc, "ram:ID");
  inv_.typeCode = Text(doc, "ram:TypeCode");
  inv_.issueDate = DateOf(Path(doc, "ram:IssueDateTime/udt:DateTimeString"), "BT-2");
  for (Node note : Children(doc, "ram:IncludedNote"))
    inv_.notes.push_back({Text(note, "ram:SubjectCode"), Text(note, "ram:Content")});

  Node transaction = Child(root, "rsm:SupplyChainTradeTransaction");
  std::size_t row = 0;
  for (Node line : Children(transaction, "ram:IncludedSupplyChainTradeLineItem"))
    ReadLine(line, ++row);
  line_.reset();
  ReadAgreement(Child(transaction, "ram:ApplicableHeaderTradeAgreement"));
  ReadDelivery(Child(transaction, "ram:ApplicableHeaderTradeDelivery"));
  ReadSettlement(Child(transaction, "ram:ApplicableHeaderTradeSettlement"));
}

void Reader::ReadAddress(Node n, model::Address& a) {
  if (n == nullptr) return;
  a.postCode = Text(n, "ram:PostcodeCode");
  a.line1 = Text(n, "ram:LineOne");
  a.line2 = Text(n, "ram:LineTwo");
  a.line3 = Text(n, "ram:LineThree");
  a.city = Text(n, "ram:CityName");
  a.countryCode = Text(n, "ram:CountryID");
  a.subdivision = Text(n, "ram:CountrySubDivisionName");
}

void Reader::ReadParty(Node n, model::Party& p) {
  if (n == nullptr) return;
  for (Node c = n->children; c != nullptr; c = c->next)
    if (Is(c, "ram:ID") || Is(c, "ram:GlobalID")) p.ids.push_back(Id(c));
  p.name = Text(n, "ram:Name");
  p.additionalLegalInfo = Text(n, "ram:Description");
  Node legal = Child(n, "ram:SpecifiedLegalOrganization");
  p.legalRegistration = Id(Child(legal, "ram:ID"));
  p.tradingName = Text(legal, "ram:TradingBusinessName");
  if (Node contact = Child(n, "ram:DefinedTradeContact")) {
    p.contact.name = Text(contact, "ram:PersonName");
    if (p.contact.name.empty()) p.contact.name = Text(contact, "ram:DepartmentName");
    p.contact.telephone = Text(contact, "ram:TelephoneUniversalCommunication/ram:CompleteNumber");
    p.contact.email = Text(contact, "ram:EmailURIUniversalCommunication/ram:URIID");
  }
  ReadAddress(Child(n, "ram:PostalTradeAddress"), p.address);
  p.electronicAddress = Id(Path(n, "ram:URIUniversalCommunication/ram:URIID"));
  // An electronic address element without address and scheme.
  if (Child(n, "ram:URIUniversalCommunication") != nullptr && p.electronicAddress.id.empty() &&
      p.electronicAddress.scheme.empty())
    Problem(&p == &inv_.seller ? "BR-62" : "BR-63", &p == &inv_.seller ? "BT-34" : "BT-49",
            std::nullopt);
  for (Node reg : Children(n, "ram:SpecifiedTaxRegistration")) {
    Node id = Child(reg, "ram:ID");
    const std::string scheme = Attr(id, "schemeID");
    if (scheme == "VA" && p.vatId.empty()) p.vatId = Text(id);
    if (scheme == "FC" && p.taxRegistration.empty()) p.taxRegistration = Text(id);
  }
}

void Reader::ReadPeriod(Node n, model::Period& p, std::string_view rule, std::string_view startTerm,
                        std::string_view endTerm) {
  if (n == nullptr) return;
  Node start = Child(n, "ram:StartDateTime"), end = Child(n, "ram:EndDateTime");
  if (start == nullptr && end == nullptr) Problem(rule, {}, line_);
  p.start = DateOf(Child(start, "udt:DateTimeString"), startTerm);
  p.end = DateOf(Child(end, "udt:DateTimeString"), endTerm);
}

void Reader::ReadAllowanceCharge(Node n, model::AllowanceCharge& ac, bool documentLevel) {
  const std::string indicator = Text(n, "ram:ChargeIndicator/udt:Indicator");
  ac.charge = indicator == "true" || indicator == "1";
  if (!ac.charge && indicator != "false" && indicator != "0")
    Problem("BELVORA-VALUE", "BG-20", line_, "ChargeIndicator \"" + indicator + "\"");
  const std::string_view amount =
      documentLevel ? (ac.charge ? "BT-99" : "BT-92") : (ac.charge ? "BT-141" : "BT-136");
  ac.percentage = Number(n, "ram:CalculationPercent", documentLevel ? "BT-94" : "BT-138");
  ac.baseAmount = Number(n, "ram:BasisAmount", documentLevel ? "BT-93" : "BT-137");
  ac.amount = Number(n, "ram:ActualAmount", amount);
  ac.reasonCode = Text(n, "ram:ReasonCode");
  ac.reason = Text(n, "ram:Reason");
  if (Node tax = Child(n, "ram:CategoryTradeTax")) {
    // Only a VAT category is one for the rules.
    if (ascii::EqualsNoCase(Text(tax, "ram:TypeCode"), "VAT"))
      ac.vatCategory = Text(tax, "ram:CategoryCode");
    ac.vatRate = Number(tax, "ram:RateApplicablePercent", ac.charge ? "BT-103" : "BT-96");
  }
}

void Reader::ReadAgreement(Node n) {
  if (n == nullptr) return;
  inv_.buyerReference = Text(n, "ram:BuyerReference");
  ReadParty(Child(n, "ram:SellerTradeParty"), inv_.seller);
  ReadParty(Child(n, "ram:BuyerTradeParty"), inv_.buyer);
  if (Node rep = Child(n, "ram:SellerTaxRepresentativeTradeParty")) {
    inv_.taxRepresentative.name = Text(rep, "ram:Name");
    ReadAddress(Child(rep, "ram:PostalTradeAddress"), inv_.taxRepresentative.address);
    for (Node reg : Children(rep, "ram:SpecifiedTaxRegistration"))
      if (Attr(Child(reg, "ram:ID"), "schemeID") == "VA" && inv_.taxRepresentative.vatId.empty())
        inv_.taxRepresentative.vatId = Text(reg, "ram:ID");
  }
  inv_.salesOrderReference = Text(n, "ram:SellerOrderReferencedDocument/ram:IssuerAssignedID");
  inv_.purchaseOrderReference = Text(n, "ram:BuyerOrderReferencedDocument/ram:IssuerAssignedID");
  inv_.contractReference = Text(n, "ram:ContractReferencedDocument/ram:IssuerAssignedID");
  for (Node ref : Children(n, "ram:AdditionalReferencedDocument")) {
    const std::string type = Text(ref, "ram:TypeCode");
    if (type == "50") {
      inv_.tenderReference = Text(ref, "ram:IssuerAssignedID");
    } else if (type == "130") {
      inv_.invoicedObjectId = {Text(ref, "ram:IssuerAssignedID"),
                               Text(ref, "ram:ReferenceTypeCode")};
    } else if (type == "916") {
      model::Attachment a;
      a.id = Text(ref, "ram:IssuerAssignedID");
      a.uri = Text(ref, "ram:URIID");
      a.description = Text(ref, "ram:Name");
      if (Node bin = Child(ref, "ram:AttachmentBinaryObject")) {
        a.mimeCode = Attr(bin, "mimeCode");
        a.fileName = Attr(bin, "filename");
        const std::string base64 = xml::nodeText(bin);
        auto bytes = DecodeBase64(base64);
        if (bytes)
          a.content = std::move(*bytes);
        else
          Problem("BELVORA-VALUE", "BT-125", std::nullopt, "no Base64 content",
                  "kein Base64-Inhalt");
      }
      inv_.attachments.push_back(std::move(a));
    }
  }
  inv_.projectReference = Text(n, "ram:SpecifiedProcuringProject/ram:ID");
}

void Reader::ReadDelivery(Node n) {
  if (n == nullptr) return;
  if (Node to = Child(n, "ram:ShipToTradeParty")) {
    for (Node c = to->children; c != nullptr; c = c->next)
      if ((Is(c, "ram:ID") || Is(c, "ram:GlobalID")) && inv_.delivery.locationId.empty())
        inv_.delivery.locationId = Id(c);
    inv_.delivery.partyName = Text(to, "ram:Name");
    ReadAddress(Child(to, "ram:PostalTradeAddress"), inv_.delivery.address);
  }
  inv_.delivery.actualDate = DateOf(
      Path(n, "ram:ActualDeliverySupplyChainEvent/ram:OccurrenceDateTime/udt:DateTimeString"),
      "BT-72");
  inv_.despatchAdviceReference =
      Text(n, "ram:DespatchAdviceReferencedDocument/ram:IssuerAssignedID");
  inv_.receivingAdviceReference =
      Text(n, "ram:ReceivingAdviceReferencedDocument/ram:IssuerAssignedID");
}

void Reader::ReadPaymentMeans(Node n) {
  model::PaymentMeans pm;
  pm.code = Text(n, "ram:TypeCode");
  pm.text = Text(n, "ram:Information");
  if (Node card = Child(n, "ram:ApplicableTradeSettlementFinancialCard")) {
    pm.cardNumber = Text(card, "ram:ID");
    pm.cardHolder = Text(card, "ram:CardholderName");
  }
  pm.debitedAccount = Text(n, "ram:PayerPartyDebtorFinancialAccount/ram:IBANID");
  Node account = Child(n, "ram:PayeePartyCreditorFinancialAccount");
  Node provider = Child(n, "ram:PayeeSpecifiedCreditorFinancialInstitution");
  if (account != nullptr || provider != nullptr) {
    model::CreditTransfer a;
    a.accountId = Text(account, "ram:IBANID");
    if (a.accountId.empty()) a.accountId = Text(account, "ram:ProprietaryID");
    a.accountName = Text(account, "ram:AccountName");
    a.providerId = Text(provider, "ram:BICID");
    // An account element without id or name beside a provider id reads as
    // the provider id alone: the missing id is reported here.
    const std::string code = Text(n, "ram:TypeCode");
    if (account != nullptr && a.accountId.empty() && a.accountName.empty() &&
        !a.providerId.empty() && (code == "30" || code == "58")) {
      Problem("BR-50", "BT-84", std::nullopt);
      Problem("BR-61", "BT-84", std::nullopt);
    }
    pm.accounts.push_back(std::move(a));
  }
  // CII repeats the payment instruction for each further account: one
  // instruction (BG-16) with its credit transfers (BG-17).
  if (!inv_.paymentMeans.empty()) {
    model::PaymentMeans& prev = inv_.paymentMeans.back();
    const bool extra = pm.cardNumber.empty() && pm.cardHolder.empty() && pm.debitedAccount.empty();
    if (prev.code == pm.code && prev.text == pm.text && extra && !pm.accounts.empty() &&
        !prev.accounts.empty()) {
      prev.accounts.push_back(std::move(pm.accounts.front()));
      return;
    }
  }
  inv_.paymentMeans.push_back(std::move(pm));
}

void Reader::ReadBreakdown(Node n) {
  model::VatBreakdown g;
  if (ascii::EqualsNoCase(Text(n, "ram:TypeCode"), "VAT")) g.category = Text(n, "ram:CategoryCode");
  g.rate = Number(n, "ram:RateApplicablePercent", "BT-119");
  g.exemptionReason = Text(n, "ram:ExemptionReason");
  g.exemptionReasonCode = Text(n, "ram:ExemptionReasonCode");
  const std::string which = "\"" + g.category + (g.rate ? " " + g.rate->text() : "") + "\"";
  // A missing amount fails every rule that compares it; the model holds 0.
  const std::string_view c = g.category;
  const bool shadowed = c == "L" || c == "M" || c == "O";  // their own rules only
  const std::string family = c == "K"   ? "BR-IC"
                             : c == "L" ? "BR-AF"
                             : c == "M" ? "BR-AG"
                                        : "BR-" + g.category;
  const bool known = c == "S" || c == "Z" || c == "E" || c == "AE" || c == "K" || c == "G" ||
                     c == "O" || c == "L" || c == "M";
  if (Node basis = Child(n, "ram:BasisAmount")) {
    if (auto d = Number(basis, "BT-116")) g.taxableAmount = *d;
  } else {
    if (!shadowed) Problem("BR-45", "BT-116", std::nullopt, which);
    if (!shadowed) Problem("BR-CO-17", "BT-117", std::nullopt, which);
    if (known && c != "L" && c != "M" && (g.rate || c != "S"))
      Problem(family + "-08", "BT-116", std::nullopt, which);
    if (c == "S") Problem("BR-S-09", "BT-117", std::nullopt, which);
  }
  if (Node tax = Child(n, "ram:CalculatedAmount")) {
    if (auto d = Number(tax, "BT-117")) g.taxAmount = *d;
  } else {
    if (!shadowed) Problem("BR-46", "BT-117", std::nullopt, which);
    if (!shadowed) Problem("BR-CO-17", "BT-117", std::nullopt, which);
    if (known && c != "L" && c != "M") Problem(family + "-09", "BT-117", std::nullopt, which);
  }
  if (Node date = Path(n, "ram:TaxPointDate/udt:DateString"); date && !inv_.taxPointDate)
    inv_.taxPointDate = DateOf(date, "BT-7");
  if (const std::string code = Text(n, "ram:DueDateTypeCode"); !code.empty()) {
    const std::string_view mapped = model::TaxPointCodeFromCii(code);
    if (mapped.empty()) Problem("BR-CL-06", "BT-8", std::nullopt, "\"" + code + "\"");
    if (inv_.taxPointDateCode.empty())
      inv_.taxPointDateCode = mapped.empty() ? code : std::string(mapped);
  }
  inv_.vatBreakdown.push_back(std::move(g));
}

void Reader::ReadSummation(Node n) {
  model::Totals& t = inv_.totals;
  // A missing amount fails its presence rule and every rule comparing it;
  // the model holds 0.
  const bool currency = !inv_.currency.empty();
  auto required = [&](std::string_view name, std::string_view term, Decimal& into,
                      std::initializer_list<std::string_view> rules) {
    if (Node e = Child(n, name)) {
      if (auto d = Number(e, term)) into = *d;
      return;
    }
    for (std::string_view rule : rules)
      if (rule != "BR-CO-15" || currency) Problem(rule, term, std::nullopt);
  };
  required("ram:LineTotalAmount", "BT-106", t.lineNetTotal, {"BR-12", "BR-CO-10", "BR-CO-13"});
  t.chargeTotal = Number(n, "ram:ChargeTotalAmount", "BT-108");
  t.allowanceTotal = Number(n, "ram:AllowanceTotalAmount", "BT-107");
  required("ram:TaxBasisTotalAmount", "BT-109", t.totalWithoutVat,
           {"BR-13", "BR-CO-13", "BR-CO-15"});
  ReadVatTotals(n);
  t.roundingAmount = Number(n, "ram:RoundingAmount", "BT-114");
  required("ram:GrandTotalAmount", "BT-112", t.totalWithVat, {"BR-14", "BR-CO-15", "BR-CO-16"});
  t.paidAmount = Number(n, "ram:TotalPrepaidAmount", "BT-113");
  required("ram:DuePayableAmount", "BT-115", t.amountDue, {"BR-15", "BR-CO-16"});
}

void Reader::ReadVatTotals(Node n) {
  // The total in the invoice currency is BT-110, the one in the VAT
  // accounting currency BT-111; without an invoice currency, any other is
  // BT-110. A total in a third currency takes BT-111's place when that is
  // free; what the rules would say about it that the model cannot show is
  // reported here (the rules select the totals by currency).
  model::Totals& t = inv_.totals;
  const std::string& invoice = inv_.currency;
  const std::string& accounting = inv_.vatAccountingCurrency;
  int others = 0;  // totals in another currency than BT-5's
  bool inAccounting = false, stray = false;
  for (Node tax : Children(n, "ram:TaxTotalAmount")) {
    const std::string currency = Attr(tax, "currencyID");
    if (!invoice.empty() && currency != invoice) ++others;
    if (!accounting.empty() && currency == accounting && currency != invoice) {
      if (!inAccounting) t.vatTotalInAccountingCurrency = Number(tax, "BT-111");
      inAccounting = true;
    } else if (invoice.empty() || currency == invoice) {
      if (!t.vatTotal) t.vatTotal = Number(tax, "BT-110");
    } else {
      if (!currency.empty() && !model::rules::InCodeList(model::rules::CodeList::Iso4217, currency))
        Problem("BR-CL-03", "BT-111", std::nullopt, "\"" + currency + "\"");
      if (!inAccounting && !t.vatTotalInAccountingCurrency) {
        t.vatTotalInAccountingCurrency = Number(tax, "BT-111");
        stray = true;
      }
    }
  }
  if (stray && !inAccounting && !accounting.empty()) {
    // No total in BT-6: the model's BT-111 is in another currency.
    Problem("BR-53", "BT-111", std::nullopt);
    Problem("BR-DEC-15", "BT-111", std::nullopt);
    if (xrechnung_ && t.vatTotal) Problem("PEPPOL-EN16931-R055", "BT-111", std::nullopt);
  }
  // PEPPOL-EN16931-R054 counts the totals in another currency than BT-5's.
  if (xrechnung_ && !accounting.empty() && others > 1)
    Problem("PEPPOL-EN16931-R054", "BT-111", std::nullopt);
}

void Reader::ReadSettlement(Node n) {
  if (n == nullptr) {
    ReadSummation(nullptr);
    return;
  }
  inv_.creditorId = Text(n, "ram:CreditorReferenceID");
  inv_.remittanceInformation = Text(n, "ram:PaymentReference");
  inv_.vatAccountingCurrency = Text(n, "ram:TaxCurrencyCode");
  inv_.currency = Text(n, "ram:InvoiceCurrencyCode");
  if (Node payee = Child(n, "ram:PayeeTradeParty")) {
    for (Node c = payee->children; c != nullptr; c = c->next)
      if ((Is(c, "ram:ID") || Is(c, "ram:GlobalID")) && inv_.payee.id.empty())
        inv_.payee.id = Id(c);
    inv_.payee.name = Text(payee, "ram:Name");
    inv_.payee.legalRegistration = Id(Path(payee, "ram:SpecifiedLegalOrganization/ram:ID"));
    // A payee element with nothing in it still needs its name.
    if (inv_.payee.empty()) Problem("BR-17", "BT-59", std::nullopt);
  }
  for (Node pm : Children(n, "ram:SpecifiedTradeSettlementPaymentMeans")) ReadPaymentMeans(pm);
  for (Node tax : Children(n, "ram:ApplicableTradeTax")) ReadBreakdown(tax);
  ReadPeriod(Child(n, "ram:BillingSpecifiedPeriod"), inv_.invoicingPeriod, "BR-CO-19", "BT-73",
             "BT-74");
  for (Node ac : Children(n, "ram:SpecifiedTradeAllowanceCharge")) {
    model::AllowanceCharge a;
    ReadAllowanceCharge(ac, a, true);
    inv_.allowancesCharges.push_back(std::move(a));
  }
  for (Node terms : Children(n, "ram:SpecifiedTradePaymentTerms")) {
    // As written: the line breaks of cash discount lines count (BR-DE-18).
    if (inv_.paymentTerms.empty()) inv_.paymentTerms = RawText(Child(terms, "ram:Description"));
    if (inv_.mandateReference.empty())
      inv_.mandateReference = Text(terms, "ram:DirectDebitMandateID");
    if (!inv_.dueDate)
      inv_.dueDate = DateOf(Path(terms, "ram:DueDateDateTime/udt:DateTimeString"), "BT-9");
  }
  ReadSummation(Child(n, "ram:SpecifiedTradeSettlementHeaderMonetarySummation"));
  for (Node pre : Children(n, "ram:InvoiceReferencedDocument"))
    inv_.precedingInvoices.push_back(
        {Text(pre, "ram:IssuerAssignedID"),
         DateOf(Path(pre, "ram:FormattedIssueDateTime/qdt:DateTimeString"), "BT-26")});
  inv_.buyerAccountingReference = Text(n, "ram:ReceivableSpecifiedTradeAccountingAccount/ram:ID");

  // The exemption reasons as a source would give them, by category.
  for (const auto& g : inv_.vatBreakdown) {
    if (g.exemptionReason.empty() && g.exemptionReasonCode.empty()) continue;
    bool known = false;
    for (const auto& e : inv_.exemptions) known = known || e.category == g.category;
    if (!known) inv_.exemptions.push_back({g.category, g.exemptionReason, g.exemptionReasonCode});
  }
}

void Reader::ReadLine(Node n, std::size_t row) {
  line_ = row;
  model::Line l;
  l.sourceRow = row;
  Node doc = Child(n, "ram:AssociatedDocumentLineDocument");
  l.id = Text(doc, "ram:LineID");
  l.note = Text(doc, "ram:IncludedNote/ram:Content");

  if (Node product = Child(n, "ram:SpecifiedTradeProduct")) {
    l.standardId = Id(Child(product, "ram:GlobalID"));
    l.sellerItemId = Text(product, "ram:SellerAssignedID");
    l.buyerItemId = Text(product, "ram:BuyerAssignedID");
    l.itemName = Text(product, "ram:Name");
    l.itemDescription = Text(product, "ram:Description");
    for (Node c : Children(product, "ram:ApplicableProductCharacteristic"))
      l.attributes.push_back({Text(c, "ram:Description"), Text(c, "ram:Value")});
    for (Node c : Children(product, "ram:DesignatedProductClassification")) {
      Node code = Child(c, "ram:ClassCode");
      l.classifications.push_back({Text(code), Attr(code, "listID"), Attr(code, "listVersionID")});
    }
    l.originCountry = Text(product, "ram:OriginTradeCountry/ram:ID");
  }

  Node agreement = Child(n, "ram:SpecifiedLineTradeAgreement");
  l.orderLineReference = Text(agreement, "ram:BuyerOrderReferencedDocument/ram:LineID");
  Node gross = Child(agreement, "ram:GrossPriceProductTradePrice");
  Node net = Child(agreement, "ram:NetPriceProductTradePrice");
  l.grossPrice = Number(gross, "ram:ChargeAmount", "BT-148");
  for (Node ac : Children(gross, "ram:AppliedTradeAllowanceCharge"))
    if (!l.priceDiscount) l.priceDiscount = Number(ac, "ram:ActualAmount", "BT-147");
  l.netPrice = Number(net, "ram:ChargeAmount", "BT-146");
  Node base = Child(net, "ram:BasisQuantity");
  if (base == nullptr) base = Child(gross, "ram:BasisQuantity");
  l.baseQuantity = Number(base, "BT-149");
  l.baseQuantityUnit = Attr(base, "unitCode");

  Node quantity = Path(n, "ram:SpecifiedLineTradeDelivery/ram:BilledQuantity");
  l.quantity = Number(quantity, "BT-129");
  l.unitCode = Attr(quantity, "unitCode");

  Node settlement = Child(n, "ram:SpecifiedLineTradeSettlement");
  if (Node tax = Child(settlement, "ram:ApplicableTradeTax")) {
    if (ascii::EqualsNoCase(Text(tax, "ram:TypeCode"), "VAT"))
      l.vatCategory = Text(tax, "ram:CategoryCode");
    l.vatRate = Number(tax, "ram:RateApplicablePercent", "BT-152");
  }
  ReadPeriod(Child(settlement, "ram:BillingSpecifiedPeriod"), l.period, "BR-CO-20", "BT-134",
             "BT-135");
  for (Node ac : Children(settlement, "ram:SpecifiedTradeAllowanceCharge")) {
    model::AllowanceCharge a;
    ReadAllowanceCharge(ac, a, false);
    l.allowancesCharges.push_back(std::move(a));
  }
  l.netAmount =
      Number(settlement, "ram:SpecifiedTradeSettlementLineMonetarySummation/ram:LineTotalAmount",
             "BT-131");
  for (Node ref : Children(settlement, "ram:AdditionalReferencedDocument"))
    if (l.objectId.empty())
      l.objectId = {Text(ref, "ram:IssuerAssignedID"), Text(ref, "ram:ReferenceTypeCode")};
  l.accountingReference = Text(settlement, "ram:ReceivableSpecifiedTradeAccountingAccount/ram:ID");
  inv_.lines.push_back(std::move(l));
}

}  // namespace

bool ReadCiiModel(const xml::Document& doc, CiiModel& out, std::string& message) {
  out = CiiModel();
  Node root = doc.root();
  if (!Is(root, "rsm:CrossIndustryInvoice")) {
    message = "The document is not a CII invoice (rsm:CrossIndustryInvoice).";
    return false;
  }
  Reader(out).Read(root);
  return true;
}

bool ReadCiiModelFile(const std::string& path, CiiModel& out, std::string& message) {
  try {
    const xml::Document doc = xml::Document::parseFile(path);
    if (!ReadCiiModel(doc, out, message)) {
      message = path + ": " + message;
      return false;
    }
    return true;
  } catch (const xml::ParseError& e) {
    message = path + ": " + e.reason();
    if (e.line() > 0)
      message +=
          " (line " + std::to_string(e.line()) + ", column " + std::to_string(e.column()) + ")";
    return false;
  } catch (const std::exception& e) {
    message = path + ": " + e.what();
    return false;
  }
}

}  // namespace belvora::reader
