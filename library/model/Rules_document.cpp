// Presence and cardinality rules of the document, the parties, the payment
// instructions, the document level allowances and charges and the
// attachments.

#include <cstdint>

#include "model/RulesCheck.h"

namespace belvora::model::rules {
namespace {

bool TooPrecise(const std::optional<Decimal>& d) { return d && d->scale() > 2; }

bool CreditTransfer(std::string_view code) { return code == "30" || code == "58"; }

std::size_t CodePoints(std::string_view s) {
  std::size_t n = 0;
  for (const char c : s)
    if ((static_cast<std::uint8_t>(c) & 0xC0) != 0x80) ++n;
  return n;
}

}  // namespace

void Checker::CheckDocument() {
  if (!Has(inv_.specificationId)) Add("BR-01");
  if (!Has(inv_.number)) Add("BR-02");
  if (!inv_.issueDate) Add("BR-03");
  if (!Has(inv_.typeCode)) Add("BR-04");
  if (!Has(inv_.currency)) Add("BR-05");
  const Period& p = inv_.invoicingPeriod;
  if (p.start && p.end && DateKey(*p.end) < DateKey(*p.start)) Add("BR-29");
  for (const auto& pre : inv_.precedingInvoices)
    if (!Has(pre.number)) Add("BR-55");
}

void Checker::CheckParties() {
  const Party& seller = inv_.seller;
  const Party& buyer = inv_.buyer;
  if (!Has(seller.name)) Add("BR-06");
  if (!Has(buyer.name)) Add("BR-07");
  if (seller.address.empty()) Add("BR-08");
  if (!Has(seller.address.countryCode)) Add("BR-09");
  if (buyer.address.empty()) Add("BR-10");
  if (!Has(buyer.address.countryCode)) Add("BR-11");
  bool sellerId = Has(seller.legalRegistration) || SellerVa();
  for (const auto& id : seller.ids) sellerId = sellerId || Has(id);
  if (!sellerId) Add("BR-CO-26");
  if (Has(seller.electronicAddress) && !Has(seller.electronicAddress.scheme)) Add("BR-62");
  if (Has(buyer.electronicAddress) && !Has(buyer.electronicAddress.scheme)) Add("BR-63");

  // A payee that is named, identified or registered as the seller is, is
  // the seller (BR-17 compares name, plain identifier and registration).
  const Payee& payee = inv_.payee;
  if (!payee.empty()) {
    bool same = Has(payee.name) && Trim(payee.name) == Trim(seller.name);
    if (Has(payee.id) && !Has(payee.id.scheme))
      for (const auto& id : seller.ids)
        same = same || (!Has(id.scheme) && Trim(id.id) == Trim(payee.id.id));
    same = same || (Has(payee.legalRegistration) && Has(seller.legalRegistration) &&
                    Trim(payee.legalRegistration.id) == Trim(seller.legalRegistration.id));
    if (!Has(payee.name) || same) Add("BR-17");
  }

  const TaxRepresentative& rep = inv_.taxRepresentative;
  if (!rep.empty()) {
    if (!Has(rep.name)) Add("BR-18");
    if (rep.address.empty()) Add("BR-19");
    if (!Has(rep.address.countryCode)) Add("BR-20");
    if (!Has(rep.vatId)) Add("BR-56");
  }
  if (!inv_.delivery.address.empty() && !Has(inv_.delivery.address.countryCode)) Add("BR-57");
}

void Checker::CheckPayment() {
  const auto& means = inv_.paymentMeans;
  const PaymentMeans* firstCode = nullptr;
  const PaymentMeans* firstText = nullptr;
  for (const PaymentMeans& pm : means) {
    const std::string_view code = Trim(pm.code);
    if (code.empty()) Add("BR-49");
    if (CreditTransfer(code)) {
      bool withId = !pm.accounts.empty();
      for (const auto& a : pm.accounts) {
        if (AccountElement(a) && !Has(a.accountId)) {
          Add("BR-50");
          Add("BR-61");
        }
        withId = withId && Has(a.accountId);
      }
      if (!withId) Add("CII-SR-470");
    }
    if ((Has(pm.cardNumber) || Has(pm.cardHolder)) && CodePoints(Trim(pm.cardNumber)) > 10)
      Add("BR-51");
    // CII repeats one payment instruction per account: code and text must
    // be the same in every repetition.
    if (!code.empty()) {
      if (!firstCode)
        firstCode = &pm;
      else if (code != Trim(firstCode->code))
        Add("CII-SR-467", {}, std::nullopt, Value(pm.code));
    }
    if (Has(pm.text)) {
      if (!firstText)
        firstText = &pm;
      else if (Trim(pm.text) != Trim(firstText->text))
        Add("CII-SR-468", {}, std::nullopt, Value(pm.text));
    }
  }
}

void Checker::CheckDocumentAllowancesCharges() {
  for (const AllowanceCharge& ac : inv_.allowancesCharges) {
    const bool reason = Has(ac.reason) || Has(ac.reasonCode);
    const std::string_view cat = Trim(ac.vatCategory);
    if (ac.charge) {
      if (!ac.amount) Add("BR-36");
      if (cat.empty()) Add("BR-37");
      if (!reason) {
        Add("BR-38");
        Add("BR-CO-22");
      }
      if (TooPrecise(ac.amount)) Add("BR-DEC-05", {}, std::nullopt, Value(ac.amount->text()));
      if (TooPrecise(ac.baseAmount))
        Add("BR-DEC-06", {}, std::nullopt, Value(ac.baseAmount->text()));
    } else {
      if (!ac.amount) Add("BR-31");
      if (cat.empty()) Add("BR-32");
      if (!reason) {
        Add("BR-33");
        Add("BR-CO-21");
      }
      if (TooPrecise(ac.amount)) Add("BR-DEC-01", {}, std::nullopt, Value(ac.amount->text()));
      if (TooPrecise(ac.baseAmount))
        Add("BR-DEC-02", {}, std::nullopt, Value(ac.baseAmount->text()));
    }
    if (cat.empty()) continue;
    CheckCategory(cat, ac.vatRate, ac.charge ? 4 : 3, std::nullopt);
    (ac.charge ? charges_ : allowances_).Add(cat, ac.vatRate, ac.amount);
  }
}

void Checker::CheckAttachments() {
  for (const Attachment& a : inv_.attachments)
    if (!Has(a.id)) Add("BR-52");
}

}  // namespace belvora::model::rules
