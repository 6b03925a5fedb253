// The native rule check on the model: a valid XRechnung invoice built here,
// one change per row of tests/data/rules/changes.tsv, and exactly the rule
// ids the change breaks; the texts of the violations in both languages.

#include "model/Rules.h"

#include <gtest/gtest.h>

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

Line MakeLine(std::size_t row, const char* net, const char* price, const char* quantity) {
  Line l;
  l.sourceRow = row;
  l.id = std::to_string(row);
  l.quantity = D(quantity);
  l.unitCode = "C62";
  l.netAmount = D(net);
  l.netPrice = D(price);
  l.vatCategory = "S";
  l.vatRate = D("19");
  l.itemName = "Beratung";
  return l;
}

// Two lines at 19 %, a document allowance and charge, paid by transfer.
Invoice Base() {
  Invoice i;
  i.specificationId = std::string(rules::kXRechnungCius);
  i.businessProcess = "urn:fdc:peppol.eu:2017:poacc:billing:01:1.0";
  i.number = "RE-2024-1";
  i.issueDate = Date{2024, 3, 5};
  i.typeCode = "380";
  i.currency = "EUR";
  i.buyerReference = "04011000-12345-34";
  i.seller.name = "Muster GmbH";
  i.seller.vatId = "DE123456789";
  i.seller.address = {"Hauptstr. 1", "", "", "Bremen", "28195", "", "DE"};
  i.seller.contact = {"Anna Muster", "0421 123456", "anna@muster.de"};
  i.seller.electronicAddress = {"rechnung@muster.de", "EM"};
  i.buyer.name = "Kunde AG";
  i.buyer.address = {"Am Markt 2", "", "", "Köln", "50667", "", "DE"};
  i.buyer.electronicAddress = {"eingang@kunde.de", "EM"};
  i.paymentMeans.push_back({"58", "", {{"DE75512108001245126199", "Muster GmbH", ""}}, "", "", ""});
  i.lines = {MakeLine(1, "200.00", "100.00", "2"), MakeLine(2, "50.00", "50.00", "1")};
  const AllowanceCharge allowance{false, D("10.00"), {}, {}, "S", D("19"), "Rabatt", ""};
  const AllowanceCharge charge{true, D("5.00"), {}, {}, "S", D("19"), "Fracht", "FC"};
  i.allowancesCharges = {allowance, charge};
  i.vatBreakdown.push_back({D("245.00"), D("46.55"), "S", D("19"), "", ""});
  i.totals = {D("250.00"), D("10.00"),  D("5.00"), D("245.00"), D("46.55"),
              {},          D("291.55"), {},        {},          D("291.55")};
  return i;
}

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
                           bool*, std::function<void(char)>>;

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
    f.insert({F(l, id), F(l, quantity), F(l, unitCode), F(l, netAmount), F(l, netPrice),
              F(l, grossPrice), F(l, priceDiscount), F(l, baseQuantity), F(l, baseQuantityUnit),
              F(l, vatCategory), F(l, vatRate), F(l, itemName), F(l, originCountry),
              F(l, period.start), F(l, period.end), F(l, standardId.id)});
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
    f.insert({F(a, amount), F(a, baseAmount), F(a, percentage), F(a, vatCategory), F(a, reason),
              F(a, reasonCode)});
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
                   [&](std::function<void(char)>& list) { list(op.back()); },
               },
               field->second);
  }
}

TEST(Rules, ExactlyTheRulesEachChangeBreaks) {
  std::istringstream rows(test::readAll(BELVORA_TEST_DATA_DIR "/rules/changes.tsv"));
  int count = 0;
  for (std::string row; std::getline(rows, row);) {
    if (row.empty() || row[0] == '#') continue;
    const std::size_t bar = row.find('|'), bar2 = row.find('|', bar + 1);
    SCOPED_TRACE(row.substr(0, bar));
    Invoice i = Base();
    Change(i, row.substr(bar2 + 1));
    const auto v = CheckInvoice(i);
    std::istringstream words(row.substr(bar + 1, bar2 - bar - 1));
    const std::set<std::string> expected{std::istream_iterator<std::string>(words), {}};
    EXPECT_EQ(Ids(v), expected) << ViolationsText(v, false);
    // Every violation has a text in both languages and names its term.
    for (const auto& x : v) {
      EXPECT_FALSE(x.textEn.empty() || x.textDe.empty() || x.term.empty()) << x.rule;
      EXPECT_NE(x.textEn, x.rule) << "no text for " << x.rule;
    }
    ++count;
  }
  EXPECT_EQ(count, 137);
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
  i.lines.clear();
  for (std::size_t r = 1; r <= 20000; ++r) i.lines.push_back(MakeLine(r, "1.00", "1.00", "1"));
  i.totals.lineNetTotal = D("20000.00");
  i.totals.totalWithoutVat = i.vatBreakdown[0].taxableAmount = D("19995.00");
  Vat(i, "3799.05");
  const auto start = std::chrono::steady_clock::now();
  const auto v = CheckInvoice(i);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  EXPECT_TRUE(v.empty()) << ViolationsText(v, false);
  EXPECT_LT(took.count(), 2.0) << "checking 20,000 lines took " << took.count() << " s";
}

}  // namespace
}  // namespace belvora::model
