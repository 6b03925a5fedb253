// The native rule check on the model: a valid XRechnung invoice, one change
// per row of tests/data/rules/changes.tsv, and exactly the rule ids the
// change breaks; the texts of the violations in both languages.

#include "model/Rules.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <variant>

#include "model/RulesTables.h"
#include "support/TempDir.h"

namespace belvora::model {
namespace {

Decimal D(const char* text) { return *Decimal::parse(text); }

std::set<std::string> Ids(const std::vector<Violation>& v) {
  std::set<std::string> ids;
  for (const auto& x : v) ids.insert(x.rule);
  return ids;
}

// The first group's tax, and the totals that follow from it.
void Vat(Invoice& i, const char* tax) {
  i.vatBreakdown[0].taxAmount = D(tax);
  i.totals.vatTotal = D(tax);
  i.totals.totalWithVat = i.totals.totalWithoutVat + D(tax);
  i.totals.amountDue = i.totals.totalWithVat;
}

// Moves the invoice to another VAT category throughout (lines, allowance,
// charge, breakdown), rate and tax as given.
void Category(Invoice& i, const char* code, std::optional<Decimal> rate, const char* tax) {
  for (auto& l : i.lines) l.vatCategory = code, l.vatRate = rate;
  for (auto& ac : i.allowancesCharges) ac.vatCategory = code, ac.vatRate = rate;
  i.vatBreakdown[0].category = code;
  i.vatBreakdown[0].rate = rate;
  Vat(i, tax);
}

using Field = std::variant<std::string*, Decimal*, std::optional<Decimal>*, std::optional<Date>*,
                           bool*, std::size_t*, std::function<void(char)>>;

// Adds or removes the last entry of a list.
template <class T>
Field List(std::vector<T>& v) {
  return [&v](char op) {
    if (op == '+')
      v.emplace_back();
    else
      v.pop_back();
  };
}

std::pair<const std::string, Field> Term(std::string path, Field field) { return {path, field}; }
#define F(object, path) Term(p + #path, &(object).path)

// The terms a change may name, by their path in the model.
std::map<std::string, Field> Fields(Invoice& i) {
  std::string p;
  std::map<std::string, Field> f;
  f.insert({F(i, number), F(i, issueDate), F(i, typeCode), F(i, currency),
            F(i, vatAccountingCurrency), F(i, taxPointDate), F(i, taxPointDateCode),
            F(i, buyerReference), F(i, contractReference), F(i, tenderReference),
            F(i, paymentTerms), F(i, businessProcess)});
  f.insert({F(i, specificationId), F(i, mandateReference), F(i, creditorId), F(i, payee.name),
            F(i, payee.id.id), F(i, taxRepresentative.name), F(i, taxRepresentative.vatId),
            F(i, delivery.actualDate), F(i, invoicingPeriod.start), F(i, invoicingPeriod.end),
            F(i, totals.lineNetTotal), F(i, totals.allowanceTotal)});
  f.insert({F(i, totals.chargeTotal), F(i, totals.totalWithoutVat), F(i, totals.vatTotal),
            F(i, totals.vatTotalInAccountingCurrency), F(i, totals.totalWithVat),
            F(i, totals.paidAmount), F(i, totals.roundingAmount), F(i, totals.amountDue),
            F(i, stated.totalWithoutVat), F(i, stated.vatTotal), F(i, stated.totalWithVat),
            F(i, stated.amountDue)});
  // A list (name+, name-) and the terms of each entry (name[k].term).
  const auto each = [&](const std::string& name, auto& list, auto terms) {
    const std::string outer = p;
    f.insert(Term(outer + name, List(list)));
    for (std::size_t k = 0; k < list.size(); ++k) {
      p = outer + name + "[" + std::to_string(k) + "].";
      terms(list[k]);
    }
    p = outer;
  };
  for (auto [name, party] : {std::pair{"seller.", &i.seller}, {"buyer.", &i.buyer}}) {
    p = name;
    f.insert({F(*party, name), F(*party, vatId), F(*party, taxRegistration),
              F(*party, legalRegistration.id), F(*party, electronicAddress.id),
              F(*party, electronicAddress.scheme), F(*party, contact.name),
              F(*party, contact.telephone), F(*party, contact.email)});
    each("ids", party->ids, [&](Identifier& id) { f.insert({F(id, id), F(id, scheme)}); });
  }
  for (auto [name, a] : {std::pair{"seller.", &i.seller.address},
                         {"buyer.", &i.buyer.address},
                         {"taxRepresentative.", &i.taxRepresentative.address},
                         {"delivery.", &i.delivery.address}}) {
    p = std::string(name) + "address.";
    f.insert({F(*a, line1), F(*a, city), F(*a, postCode), F(*a, countryCode)});
  }
  p.clear();
  each("lines", i.lines, [&](Line& l) {
    f.insert({F(l, sourceRow), F(l, id), F(l, quantity), F(l, unitCode), F(l, netAmount),
              F(l, netPrice), F(l, grossPrice), F(l, priceDiscount), F(l, baseQuantity),
              F(l, baseQuantityUnit), F(l, vatCategory), F(l, vatRate), F(l, itemName),
              F(l, originCountry), F(l, period.start), F(l, period.end), F(l, standardId.id)});
    each("allowancesCharges", l.allowancesCharges,
         [&](AllowanceCharge& c) { f.insert(F(c, charge)); });
    each("attributes", l.attributes, [&](ItemAttribute& a) {
      f.insert({F(a, name), F(a, value)});
    });
    each("classifications", l.classifications, [&](Classification& c) {
      f.insert({F(c, code), F(c, listId)});
    });
  });
  each("allowancesCharges", i.allowancesCharges, [&](AllowanceCharge& a) {
    f.insert({F(a, charge), F(a, amount), F(a, baseAmount), F(a, percentage), F(a, vatCategory),
              F(a, vatRate), F(a, reason), F(a, reasonCode)});
  });
  each("vatBreakdown", i.vatBreakdown, [&](VatBreakdown& g) {
    f.insert({F(g, taxableAmount), F(g, taxAmount), F(g, category), F(g, rate),
              F(g, exemptionReason), F(g, exemptionReasonCode)});
  });
  each("paymentMeans", i.paymentMeans, [&](PaymentMeans& m) {
    f.insert({F(m, code), F(m, cardNumber), F(m, cardHolder), F(m, debitedAccount)});
    each("accounts", m.accounts, [&](CreditTransfer& a) {
      f.insert({F(a, accountId), F(a, accountName), F(a, providerId)});
    });
  });
  each("attachments", i.attachments, [&](Attachment& a) {
    f.insert({F(a, id), F(a, content), F(a, mimeCode), F(a, fileName)});
  });
  each("notes", i.notes, [&](Note& n) { f.insert({F(n, subjectCode), F(n, text)}); });
  each("precedingInvoices", i.precedingInvoices,
       [&](PrecedingInvoice& n) { f.insert(F(n, date)); });
  return f;
}

std::string Unescape(std::string s) {
  for (const auto& [from, to] : {std::pair{"\\n", "\n"}, {"\\r", "\r"}, {"\\t", "\t"}})
    for (std::size_t at; (at = s.find(from)) != std::string::npos;) s.replace(at, 2, to);
  return s;
}

template <class... T>
struct Overloaded : T... {
  using T::operator()...;
};

// Applies the changes of a row (the header of tests/data/rules/changes.tsv).
void Change(Invoice& i, const std::string& changes) {
  std::istringstream in(changes);
  for (std::string op; std::getline(in, op, ';');) {
    op.erase(0, op.find_first_not_of(' '));
    const std::size_t eq = op.find('=');
    const std::string path = op.substr(0, eq == std::string::npos ? op.size() - 1 : eq);
    const std::string v = eq == std::string::npos ? "" : Unescape(op.substr(eq + 1));
    if (path == "vat") {
      Vat(i, v.c_str());
      continue;
    }
    if (path == "category") {
      std::istringstream words(v);
      std::string code, rate, tax;
      words >> code >> rate >> tax;
      Category(i, code.c_str(), D(rate.c_str()), tax.c_str());
      continue;
    }
    auto fields = Fields(i);
    const auto field = fields.find(path);
    ASSERT_NE(field, fields.end()) << "no term " << path;
    std::visit(Overloaded{
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
                   [&](std::function<void(char)>& list) { list(op.back()); },
               },
               field->second);
  }
}

// The rows of tests/data/rules/changes.tsv as (name, rule ids, changes);
// a line that begins with a blank continues the changes of the row above.
std::vector<std::array<std::string, 3>> Rows() {
  std::vector<std::array<std::string, 3>> rows;
  std::istringstream in(test::readAll(BELVORA_TEST_DATA_DIR "/rules/changes.tsv"));
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == ' ') {
      rows.back()[2] += line;
      continue;
    }
    const std::size_t bar = line.find('|'), bar2 = line.find('|', bar + 1);
    rows.push_back(
        {line.substr(0, bar), line.substr(bar + 1, bar2 - bar - 1), line.substr(bar2 + 1)});
  }
  return rows;
}

// The valid invoice the rows change: the first row applied to an empty one.
Invoice Base() {
  static const Invoice base = [] {
    Invoice i;
    Change(i, Rows().at(0)[2]);
    return i;
  }();
  return base;
}

TEST(Rules, ExactlyTheRulesEachChangeBreaks) {
  const auto rows = Rows();
  EXPECT_EQ(rows.size(), 138u);
  for (const auto& [name, ids, changes] : std::vector(rows.begin() + 1, rows.end())) {
    SCOPED_TRACE(name);
    Invoice i = Base();
    Change(i, changes);
    const auto v = CheckInvoice(i);
    std::istringstream words(ids);
    const std::set<std::string> expected{std::istream_iterator<std::string>(words), {}};
    EXPECT_EQ(Ids(v), expected) << ViolationsText(v, false);
    // Every violation has a text in both languages and names its term.
    for (const auto& x : v) {
      EXPECT_FALSE(x.textEn.empty() || x.textDe.empty() || x.term.empty()) << x.rule;
      EXPECT_NE(x.textEn, x.rule) << "no text for " << x.rule;
    }
  }
}

TEST(RulesText, OneLinePerViolationInEitherLanguage) {
  Invoice i = Base();
  i.lines[1].itemName.clear();
  i.number.clear();
  const auto v = CheckInvoice(i);
  // Document first, then the lines, each with its term and line.
  EXPECT_EQ(
      ViolationsText(v, false),
      "BR-02: An Invoice shall have an Invoice number (BT-1) (BT-1)\n"
      "BR-25: Each Invoice line (BG-25) shall contain the Item name (BT-153) (BT-153, line 2)");
  EXPECT_EQ(ViolationsText(v, true),
            "BR-02: Eine Rechnung muss eine Rechnungsnummer (BT-1) haben (BT-1)\n"
            "BR-25: Jede Rechnungsposition (BG-25) muss einen Artikelnamen (BT-153) enthalten "
            "(BT-153, Zeile 2)");
  EXPECT_EQ(ViolationsText({}, false), "");
  // Values and numbers in the text.
  i = Base();
  i.currency = "EURO";
  i.totals.amountDue = D("291.56");
  const std::string text = ViolationsText(CheckInvoice(i), false);
  EXPECT_NE(text.find("BR-CL-04: Invoice currency code MUST be coded using ISO code list 4217 "
                      "alpha-3: \"EURO\" (BT-5)"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("BR-CO-16: Amount due for payment (BT-115) = Invoice total amount with VAT "
                      "(BT-112) -Paid amount (BT-113) +Rounding amount (BT-114): stated 291.56, "
                      "expected 291.55 (BT-115)"),
            std::string::npos)
      << text;
}

// Every rule the check reports has both texts, from the tables.
TEST(RulesTables, EveryRuleHasItsTexts) {
  for (const auto& t : rules::AllRuleTexts()) {
    EXPECT_FALSE(t.en.empty() || t.de.empty() || t.term.empty()) << t.id;
    EXPECT_EQ(rules::FindRuleText(t.id), &t);
  }
  EXPECT_EQ(rules::FindRuleText("BR-99"), nullptr);
  EXPECT_TRUE(rules::InCodeList(rules::CodeList::Iso4217, "EUR"));
  EXPECT_FALSE(rules::InCodeList(rules::CodeList::Iso4217, "eur"));
  EXPECT_TRUE(rules::InCodeList(rules::CodeList::Rec20, "C62"));
}

// Linear in the lines: 20,000 lines check in a small fraction of a second.
TEST(RulesCost, ManyLines) {
  Invoice i = Base();
  const Line line = i.lines[1];  // 50.00
  i.lines.clear();
  for (std::size_t r = 1; r <= 20000; ++r) {
    i.lines.push_back(line);
    i.lines.back().sourceRow = r;
    i.lines.back().id = std::to_string(r);
  }
  i.totals.lineNetTotal = D("1000000.00");
  i.totals.totalWithoutVat = i.vatBreakdown[0].taxableAmount = D("999995.00");
  Vat(i, "189999.05");
  const auto start = std::chrono::steady_clock::now();
  const auto v = CheckInvoice(i);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(v.empty()) << ViolationsText(v, false);
  EXPECT_LT(took.count(), 2.0) << "checking 20,000 lines took " << took.count() << " s";
}

}  // namespace
}  // namespace belvora::model
