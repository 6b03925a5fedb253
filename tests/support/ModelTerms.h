#pragma once

// The terms of an invoice model by their path ("seller.address.city",
// "lines[1].netPrice"; a list by its name, "lines"), so that tests can write
// changes and expected values as data. Header only: the tests that use it
// link the model.

#include <cstdio>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <variant>

#include "model/Invoice.h"

namespace belvora::test {

using model::Date;
using model::Decimal;

// A list changes by '+' (a new last entry) and '-' (the last removed) and
// answers its size.
using ModelTerm =
    std::variant<std::string*, Decimal*, std::optional<Decimal>*, std::optional<Date>*, bool*,
                 std::size_t*, std::function<std::size_t(char)>>;
using ModelTermMap = std::map<std::string, ModelTerm>;

template <class T>
ModelTerm ModelList(std::vector<T>& v) {
  return [&v](char op) {
    if (op == '+') v.emplace_back();
    if (op == '-') v.pop_back();
    return v.size();
  };
}

inline ModelTermMap::value_type ModelTermAt(std::string path, ModelTerm term) {
  return {std::move(path), std::move(term)};
}
#define BELVORA_TERM(object, path) ModelTermAt(p + #path, &(object).path)

inline ModelTermMap ModelTerms(model::Invoice& i) {
  std::string p;  // the path of the entry whose terms are added
  ModelTermMap f;
  const auto each = [&](const std::string& name, auto& list, auto terms) {
    const std::string outer = p;
    f.insert(ModelTermAt(outer + name, ModelList(list)));
    for (std::size_t k = 0; k < list.size(); ++k) {
      p = outer + name + "[" + std::to_string(k) + "].";
      terms(list[k]);
    }
    p = outer;
  };
#define F BELVORA_TERM
  f.insert({F(i, number), F(i, issueDate), F(i, typeCode), F(i, currency),
            F(i, vatAccountingCurrency), F(i, taxPointDate), F(i, taxPointDateCode), F(i, dueDate),
            F(i, buyerReference), F(i, projectReference), F(i, contractReference)});
  f.insert({F(i, purchaseOrderReference), F(i, salesOrderReference), F(i, receivingAdviceReference),
            F(i, despatchAdviceReference), F(i, tenderReference), F(i, invoicedObjectId.id),
            F(i, buyerAccountingReference), F(i, paymentTerms), F(i, businessProcess),
            F(i, specificationId), F(i, remittanceInformation)});
  f.insert({F(i, mandateReference), F(i, creditorId), F(i, payee.name), F(i, payee.id.id),
            F(i, payee.legalRegistration.id), F(i, taxRepresentative.name),
            F(i, taxRepresentative.vatId), F(i, delivery.partyName), F(i, delivery.locationId.id),
            F(i, delivery.actualDate), F(i, invoicingPeriod.start), F(i, invoicingPeriod.end)});
  f.insert({F(i, totals.lineNetTotal), F(i, totals.allowanceTotal), F(i, totals.chargeTotal),
            F(i, totals.totalWithoutVat), F(i, totals.vatTotal),
            F(i, totals.vatTotalInAccountingCurrency), F(i, totals.totalWithVat),
            F(i, totals.paidAmount), F(i, totals.roundingAmount), F(i, totals.amountDue)});
  f.insert({F(i, stated.totalWithoutVat), F(i, stated.vatTotal), F(i, stated.totalWithVat),
            F(i, stated.amountDue)});
  for (auto [name, party] : {std::pair{"seller.", &i.seller}, {"buyer.", &i.buyer}}) {
    p = name;
    f.insert({F(*party, name), F(*party, tradingName), F(*party, vatId), F(*party, taxRegistration),
              F(*party, additionalLegalInfo), F(*party, legalRegistration.id),
              F(*party, legalRegistration.scheme), F(*party, electronicAddress.id),
              F(*party, electronicAddress.scheme)});
    f.insert({F(*party, contact.name), F(*party, contact.telephone), F(*party, contact.email)});
    each("ids", party->ids, [&](model::Identifier& id) { f.insert({F(id, id), F(id, scheme)}); });
  }
  for (auto [name, a] : {std::pair{"seller.", &i.seller.address},
                         {"buyer.", &i.buyer.address},
                         {"taxRepresentative.", &i.taxRepresentative.address},
                         {"delivery.", &i.delivery.address}}) {
    p = std::string(name) + "address.";
    f.insert({F(*a, line1), F(*a, line2), F(*a, line3), F(*a, city), F(*a, postCode),
              F(*a, subdivision), F(*a, countryCode)});
  }
  p.clear();
  each("notes", i.notes, [&](model::Note& n) { f.insert({F(n, subjectCode), F(n, text)}); });
  each("precedingInvoices", i.precedingInvoices, [&](model::PrecedingInvoice& n) {
    f.insert({F(n, number), F(n, date)});
  });
  each("paymentMeans", i.paymentMeans, [&](model::PaymentMeans& m) {
    f.insert({F(m, code), F(m, text), F(m, cardNumber), F(m, cardHolder), F(m, debitedAccount)});
    each("accounts", m.accounts, [&](model::CreditTransfer& a) {
      f.insert({F(a, accountId), F(a, accountName), F(a, providerId)});
    });
  });
  const auto allowanceCharge = [&](model::AllowanceCharge& a) {
    f.insert({F(a, charge), F(a, amount), F(a, baseAmount), F(a, percentage), F(a, vatCategory),
              F(a, vatRate), F(a, reason), F(a, reasonCode)});
  };
  each("allowancesCharges", i.allowancesCharges, allowanceCharge);
  each("vatBreakdown", i.vatBreakdown, [&](model::VatBreakdown& g) {
    f.insert({F(g, taxableAmount), F(g, taxAmount), F(g, category), F(g, rate),
              F(g, exemptionReason), F(g, exemptionReasonCode)});
  });
  each("exemptions", i.exemptions, [&](model::Invoice::Exemption& e) {
    f.insert({F(e, category), F(e, reason), F(e, reasonCode)});
  });
  each("attachments", i.attachments, [&](model::Attachment& a) {
    f.insert(
        {F(a, id), F(a, description), F(a, uri), F(a, content), F(a, mimeCode), F(a, fileName)});
  });
  each("lines", i.lines, [&](model::Line& l) {
    f.insert({F(l, sourceRow), F(l, id), F(l, note), F(l, objectId.id), F(l, objectId.scheme),
              F(l, quantity), F(l, unitCode), F(l, netAmount), F(l, orderLineReference),
              F(l, accountingReference), F(l, period.start), F(l, period.end)});
    f.insert({F(l, netPrice), F(l, priceDiscount), F(l, grossPrice), F(l, baseQuantity),
              F(l, baseQuantityUnit), F(l, vatCategory), F(l, vatRate), F(l, itemName),
              F(l, itemDescription), F(l, sellerItemId), F(l, buyerItemId)});
    f.insert({F(l, standardId.id), F(l, standardId.scheme), F(l, originCountry)});
    each("allowancesCharges", l.allowancesCharges, allowanceCharge);
    each("classifications", l.classifications, [&](model::Classification& c) {
      f.insert({F(c, code), F(c, listId), F(c, version)});
    });
    each("attributes", l.attributes, [&](model::ItemAttribute& a) {
      f.insert({F(a, name), F(a, value)});
    });
  });
#undef F
  return f;
}

template <class... T>
struct ModelTermVisitor : T... {
  using T::operator()...;
};

inline ModelTerm& FindModelTerm(ModelTermMap& terms, const std::string& path) {
  const auto found = terms.find(path);
  if (found == terms.end()) throw std::invalid_argument("no term " + path);
  return found->second;
}

// One change: "path=value" ("" clears; dates as 2024-03-01; "\n", "\r", "\t"
// escapes), "list+" or "list-".
inline void ChangeModelTerm(model::Invoice& invoice, const std::string& change) {
  const std::size_t eq = change.find('=');
  ModelTermMap terms = ModelTerms(invoice);
  ModelTerm& term =
      FindModelTerm(terms, change.substr(0, eq == std::string::npos ? change.size() - 1 : eq));
  std::string v = eq == std::string::npos ? "" : change.substr(eq + 1);
  for (const auto& [from, to] : {std::pair{"\\n", "\n"}, {"\\r", "\r"}, {"\\t", "\t"}})
    for (std::size_t at; (at = v.find(from)) != std::string::npos;) v.replace(at, 2, to);
  std::visit(ModelTermVisitor{
                 [&](std::string* s) { *s = v; },
                 [&](Decimal* d) { *d = *Decimal::parse(v); },
                 [&](std::optional<Decimal>* d) { *d = Decimal::parse(v); },
                 [&](std::optional<Date>* d) {
                   *d = v.empty() ? std::optional<Date>()
                                  : Date{std::stoi(v.substr(0, 4)), std::stoi(v.substr(5, 2)),
                                         std::stoi(v.substr(8, 2))};
                 },
                 [&](bool* b) { *b = v == "1"; },
                 [&](std::size_t* n) { *n = std::stoul(v); },
                 [&](std::function<std::size_t(char)>& list) { list(change.back()); },
             },
             term);
}

// The value as the changes write it (decimals as held, "" when absent; a
// list's size).
inline std::string ModelTermText(const ModelTerm& term) {
  return std::visit(
      ModelTermVisitor{
          [](std::string* s) { return *s; },
          [](Decimal* d) { return d->text(); },
          [](std::optional<Decimal>* d) { return *d ? (*d)->text() : ""; },
          [](std::optional<Date>* d) {
            char text[16] = "";
            if (*d)
              std::snprintf(text, sizeof text, "%04d-%02d-%02d", (*d)->year, (*d)->month,
                            (*d)->day);
            return std::string(text);
          },
          [](bool* b) { return std::string(*b ? "1" : "0"); },
          [](std::size_t* n) { return std::to_string(*n); },
          [](const std::function<std::size_t(char)>& list) { return std::to_string(list('#')); },
      },
      term);
}

}  // namespace belvora::test
