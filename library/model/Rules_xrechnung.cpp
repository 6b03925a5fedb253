// The XRechnung 3.0 rules (BR-DE-*, and the Peppol rules XRechnung takes
// over that concern content), applied when BT-24 names an XRechnung 3.0
// scenario; with the rules of its extension and CVD scenarios.

#include <stdexcept>
#include <unordered_set>

#include "model/RulesCheck.h"
#include "model/RulesTables.h"

namespace belvora::model::rules {
namespace {

bool Space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// One cash discount line, white space already trimmed:
// #SKONTO#TAGE=n#PROZENT=n.nn#[BASISBETRAG=[-]n.nn#]
bool SkontoLine(std::string_view s) {
  auto literal = [&](std::string_view l) {
    if (s.substr(0, l.size()) != l) return false;
    s.remove_prefix(l.size());
    return true;
  };
  auto digits = [&](std::size_t exactly) {  // 0: one or more
    std::size_t n = 0;
    while (n < s.size() && s[n] >= '0' && s[n] <= '9') ++n;
    if (n == 0 || (exactly && n != exactly)) return false;
    s.remove_prefix(n);
    return true;
  };
  auto amount = [&] { return digits(0) && literal(".") && digits(2); };
  if (!literal("#SKONTO#TAGE=") || !digits(0) || !literal("#PROZENT=") || !amount()) return false;
  if (literal("#BASISBETRAG=")) {
    literal("-");
    if (!amount()) return false;
  }
  return s == "#";
}

// BR-DE-18 on the payment terms: every line that begins with "#" is a cash
// discount line, and a line break follows the last of them.
bool SkontoOk(std::string_view terms) {
  bool any = false;
  std::size_t lastMatchEnd = std::string_view::npos;
  std::size_t pos = 0;
  while (pos <= terms.size()) {
    std::size_t end = terms.find('\n', pos);
    if (end == std::string_view::npos) end = terms.size();
    const std::string_view line = Trim(terms.substr(pos, end - pos));
    if (!line.empty() && line.front() == '#') {
      any = true;
      // normalize-space leaves no white space inside a valid line.
      for (const char c : line)
        if (Space(c)) return false;
      if (!SkontoLine(line)) return false;
    }
    // "#.+#" of the rule: from the first to the last "#" of a line (the dot
    // matches neither CR nor LF).
    std::size_t seg = pos;
    while (seg <= end) {
      std::size_t segEnd = terms.find('\r', seg);
      if (segEnd == std::string_view::npos || segEnd > end) segEnd = end;
      const std::string_view part = terms.substr(seg, segEnd - seg);
      const auto first = part.find('#'), last = part.rfind('#');
      if (first != std::string_view::npos && last >= first + 2) lastMatchEnd = seg + last + 1;
      seg = segEnd + 1;
    }
    pos = end + 1;
  }
  if (!any) return true;
  const std::string_view rest =
      lastMatchEnd == std::string_view::npos ? terms : terms.substr(lastMatchEnd);
  for (const char c : rest) {
    if (c == '\n') return true;
    if (!Space(c)) return false;
  }
  return false;
}

}  // namespace

void Checker::CheckXRechnung() {
  const Invoice& inv = inv_;
  if (inv.paymentMeans.empty()) Add("BR-DE-1");
  if (inv.seller.contact.empty()) Add("BR-DE-2");
  if (!inv.seller.address.empty()) {
    if (!Has(inv.seller.address.city)) Add("BR-DE-3");
    if (!Has(inv.seller.address.postCode)) Add("BR-DE-4");
  }
  if (!inv.seller.contact.empty()) {
    if (!Has(inv.seller.contact.name)) Add("BR-DE-5");
    if (!Has(inv.seller.contact.telephone)) Add("BR-DE-6");
    if (!Has(inv.seller.contact.email)) Add("BR-DE-7");
  }
  if (!inv.buyer.address.empty()) {
    if (!Has(inv.buyer.address.city)) Add("BR-DE-8");
    if (!Has(inv.buyer.address.postCode)) Add("BR-DE-9");
  }
  if (!inv.delivery.address.empty()) {
    if (!Has(inv.delivery.address.city)) Add("BR-DE-10");
    if (!Has(inv.delivery.address.postCode)) Add("BR-DE-11");
  }
  for (const auto& g : inv.vatBreakdown)
    if (!g.rate) Add("BR-DE-14", {}, std::nullopt, Value(g.category));
  if (!Has(inv.buyerReference)) Add("BR-DE-15");
  bool taxed = false;
  for (const auto& [category, n] : lines_.count)
    for (std::string_view c : {"S", "Z", "E", "AE", "K", "G", "L", "M"})
      taxed = taxed || category == c;
  if (taxed && !SellerVaOrFc() && inv.taxRepresentative.empty()) Add("BR-DE-16");
  if (!SkontoOk(inv.paymentTerms)) Add("BR-DE-18");
  std::unordered_set<std::string_view> names;
  for (const auto& a : inv.attachments)
    if (!a.fileName.empty() && !names.insert(a.fileName).second)
      Add("BR-DE-22", {}, std::nullopt, Value(a.fileName));
  CheckXRechnungPayment();

  if (!Has(inv.businessProcess)) Add("PEPPOL-EN16931-R001");
  if (!Has(inv.buyer.electronicAddress)) Add("PEPPOL-EN16931-R010");
  if (!Has(inv.seller.electronicAddress)) Add("PEPPOL-EN16931-R020");

  // An identifier written with its scheme and no value is an empty element.
  auto empty = [&](const Identifier& i, std::string_view term,
                   std::optional<std::size_t> line = std::nullopt) {
    if (!Has(i.id) && Has(i.scheme)) Add("PEPPOL-EN16931-R008", term, line, Value(i.scheme));
  };
  empty(inv.seller.electronicAddress, "BT-34");
  empty(inv.buyer.electronicAddress, "BT-49");
  for (const auto& i : inv.seller.ids) empty(i, "BT-29");
  for (const auto& i : inv.buyer.ids) empty(i, "BT-46");
  empty(inv.seller.legalRegistration, "BT-30");
  empty(inv.buyer.legalRegistration, "BT-47");
  empty(inv.payee.id, "BT-60");
  empty(inv.payee.legalRegistration, "BT-61");
  empty(inv.delivery.locationId, "BT-71");
  empty(inv.invoicedObjectId, "BT-18");

  for (const auto& ac : inv.allowancesCharges)
    CheckPeppolAllowanceCharge(ac, ac.charge ? "BT-99" : "BT-92", std::nullopt);
  const Period& period = inv.invoicingPeriod;
  for (const Line& l : inv.lines) {
    const std::size_t row = l.sourceRow;
    empty(l.objectId, "BT-128", row);
    empty(l.standardId, "BT-157", row);
    for (const auto& c : l.classifications)
      if (!Has(c.code) && Has(c.listId)) Add("PEPPOL-EN16931-R008", "BT-158", row, Value(c.listId));
    for (const auto& ac : l.allowancesCharges)
      CheckPeppolAllowanceCharge(ac, ac.charge ? "BT-141" : "BT-136", row);
    if (l.grossPrice) {
      const Decimal discount = l.priceDiscount.value_or(Decimal());
      try {
        if (!l.netPrice || !(Exact(*l.netPrice) == Exact(*l.grossPrice) - Exact(discount)))
          Add("PEPPOL-EN16931-R046", {}, row);
      } catch (const std::overflow_error&) {
        Overflow("PEPPOL-EN16931-R046", "BT-146");
      }
    }
    if (l.baseQuantity && (l.baseQuantity->isNegative() || l.baseQuantity->isZero()))
      Add("PEPPOL-EN16931-R121", {}, row, Value(l.baseQuantity->text()));
    if (Has(l.baseQuantityUnit) && Trim(l.baseQuantityUnit) != Trim(l.unitCode))
      Add("PEPPOL-EN16931-R130", {}, row, Value(l.baseQuantityUnit));
    if (period.start && l.period.start && DateKey(*l.period.start) < DateKey(*period.start))
      Add("PEPPOL-EN16931-R110", {}, row);
    if (period.end && l.period.end && DateKey(*l.period.end) > DateKey(*period.end))
      Add("PEPPOL-EN16931-R111", {}, row);
  }

  if (scenario_ == Scenario::Extension) CheckExtension();
  if (scenario_ == Scenario::Cvd) CheckCvd();
}

void Checker::CheckXRechnungPayment() {
  const bool mandate = Has(inv_.mandateReference), creditor = Has(inv_.creditorId);
  bool debitedAny = false;
  for (const PaymentMeans& pm : inv_.paymentMeans) {
    const std::string_view code = Trim(pm.code);
    const bool card = Has(pm.cardNumber) || Has(pm.cardHolder);
    const bool debited = Has(pm.debitedAccount);
    debitedAny = debitedAny || debited;
    bool account = false, anyAccountPart = false;
    for (const auto& a : pm.accounts) {
      account = account || AccountElement(a);
      anyAccountPart = anyAccountPart || AccountElement(a) || Has(a.providerId);
    }
    if (code == "30" || code == "58") {
      if (!account) Add("BR-DE-23-a");
      if (card || mandate || creditor || debited) Add("BR-DE-23-b");
    } else if (code == "48" || code == "54" || code == "55") {
      if (!card) Add("BR-DE-24-a");
      if (account || mandate || creditor || debited) Add("BR-DE-24-b");
    } else if (code == "59") {
      if (!mandate && !creditor && !debited) Add("BR-DE-25-a");
      if (anyAccountPart || card) Add("BR-DE-25-b");
    }
    if ((code == "49" || code == "59") && !mandate) Add("PEPPOL-EN16931-R061");
  }
  // Direct debit (BG-19) exists with any of its three terms.
  if (mandate || creditor || debitedAny) {
    if (!((mandate || debitedAny) && creditor)) Add("BR-DE-30");
    if (!((mandate || creditor) && debitedAny)) Add("BR-DE-31");
  }
}

void Checker::CheckPeppolAllowanceCharge(const AllowanceCharge& ac, std::string_view term,
                                         std::optional<std::size_t> line) {
  if (ac.percentage && !ac.baseAmount) {
    Add("PEPPOL-EN16931-R041", {}, line);
  } else if (!ac.percentage && ac.baseAmount) {
    Add("PEPPOL-EN16931-R042", {}, line);
  } else if (ac.percentage && ac.baseAmount) {
    try {
      const Exact expected = (Exact(*ac.baseAmount) * Exact(*ac.percentage)).Shifted(2);
      const Exact actual = ac.amount ? Exact(*ac.amount) : Exact();
      const Exact slack =
          Trim(inv_.currency) == "HUF" ? Exact::Int(5).Shifted(1) : Exact::Int(2).Shifted(2);
      if (!(actual + slack >= expected && actual - slack <= expected))
        Add("PEPPOL-EN16931-R040", term, line, Numbers(actual, expected));
    } catch (const std::overflow_error&) {
      Overflow("PEPPOL-EN16931-R040", term);
    }
  }
}

void Checker::CheckExtension() {
  for (const auto& a : inv_.attachments)
    if ((!a.content.empty() || !a.mimeCode.empty()) &&
        !InCodeList(CodeList::MimeExtension, a.mimeCode))
      Add("BR-DEX-01", {}, std::nullopt, Value(a.mimeCode));
  auto code = [&](std::string_view rule, CodeList list, const std::string& scheme,
                  std::string_view term, std::optional<std::size_t> line = std::nullopt) {
    if (Has(scheme) && !InCodeList(list, Trim(scheme))) Add(rule, term, line, Value(scheme));
  };
  for (const auto& id : inv_.seller.ids)
    code("BR-DEX-04", CodeList::IcdExtension, id.scheme, "BT-29");
  for (const auto& id : inv_.buyer.ids)
    code("BR-DEX-04", CodeList::IcdExtension, id.scheme, "BT-46");
  code("BR-DEX-04", CodeList::IcdExtension, inv_.payee.id.scheme, "BT-60");
  code("BR-DEX-05", CodeList::IcdExtension, inv_.seller.legalRegistration.scheme, "BT-30");
  code("BR-DEX-05", CodeList::IcdExtension, inv_.buyer.legalRegistration.scheme, "BT-47");
  code("BR-DEX-05", CodeList::IcdExtension, inv_.payee.legalRegistration.scheme, "BT-61");
  code("BR-DEX-07", CodeList::EasExtension, inv_.seller.electronicAddress.scheme, "BT-34");
  code("BR-DEX-07", CodeList::EasExtension, inv_.buyer.electronicAddress.scheme, "BT-49");
  code("BR-DEX-08", CodeList::IcdExtension, inv_.delivery.locationId.scheme, "BT-71");
  for (const Line& l : inv_.lines)
    code("BR-DEX-06", CodeList::IcdExtension, l.standardId.scheme, "BT-157", l.sourceRow);
}

void Checker::CheckCvd() {
  if (!Has(inv_.contractReference)) Add("BR-DE-CVD-01");
  if (!Has(inv_.tenderReference)) Add("BR-DE-CVD-02");
  bool vehicleLine = false;
  for (const Line& l : inv_.lines) {
    const std::size_t row = l.sourceRow;
    std::size_t cvd = 0, cva = 0;
    for (const auto& c : l.classifications) {
      if (c.listId == "CVD") ++cvd;
      if (Trim(c.listId) == "CVD" && !InCodeList(CodeList::CvdVehicle, Trim(c.code)))
        Add("BR-DE-CVD-04", {}, row, Value(c.code));
      if (Has(c.listId) && !InCodeList(CodeList::Untdid7143Cvd, Trim(c.listId)))
        Add("BR-TMP-CVD-01", {}, row, Value(c.listId));
    }
    for (const auto& a : l.attributes) {
      if (a.name != "cva") continue;
      ++cva;
      if (!InCodeList(CodeList::CvaCode, Trim(a.value)))
        Add("BR-DE-CVD-05", {}, row, Value(a.value));
    }
    if (cvd > 0 && cva != 1) Add("BR-DE-CVD-06-a", {}, row);
    if (cva > 0 && cvd != 1) Add("BR-DE-CVD-06-b", {}, row);
    vehicleLine = vehicleLine || (cvd > 0 && cva > 0);
  }
  if (!vehicleLine) Add("BR-DE-CVD-03");
}

}  // namespace belvora::model::rules
