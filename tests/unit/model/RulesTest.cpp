// The native rule check on the model: a valid XRechnung invoice built here,
// one change per row, and exactly the rule ids the change breaks.

#include "model/Rules.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <set>

#include "model/RulesTables.h"

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
  i.lines.push_back(MakeLine(1, "200.00", "100.00", "2"));
  i.lines.push_back(MakeLine(2, "50.00", "50.00", "1"));
  AllowanceCharge allowance;
  allowance.amount = D("10.00");
  allowance.vatCategory = "S";
  allowance.vatRate = D("19");
  allowance.reason = "Rabatt";
  AllowanceCharge charge = allowance;
  charge.charge = true;
  charge.amount = D("5.00");
  charge.reason = "Fracht";
  charge.reasonCode = "FC";
  i.allowancesCharges = {allowance, charge};
  i.vatBreakdown.push_back({D("245.00"), D("46.55"), "S", D("19"), "", ""});
  Totals& t = i.totals;
  t.lineNetTotal = D("250.00");
  t.allowanceTotal = D("10.00");
  t.chargeTotal = D("5.00");
  t.totalWithoutVat = D("245.00");
  t.vatTotal = D("46.55");
  t.totalWithVat = D("291.55");
  t.amountDue = D("291.55");
  return i;
}

std::set<std::string> Ids(const std::vector<Violation>& v) {
  std::set<std::string> ids;
  for (const auto& x : v) ids.insert(x.rule);
  return ids;
}

// Moves the invoice to another VAT category throughout (lines, allowance,
// charge, breakdown), rate and tax as given.
void Category(Invoice& i, const char* code, std::optional<Decimal> rate, const char* tax) {
  for (auto& l : i.lines) {
    l.vatCategory = code;
    l.vatRate = rate;
  }
  for (auto& ac : i.allowancesCharges) {
    ac.vatCategory = code;
    ac.vatRate = rate;
  }
  i.vatBreakdown[0].category = code;
  i.vatBreakdown[0].rate = rate;
  i.vatBreakdown[0].taxAmount = D(tax);
  i.totals.vatTotal = D(tax);
  i.totals.totalWithVat = i.totals.totalWithoutVat + D(tax);
  i.totals.amountDue = i.totals.totalWithVat;
}

struct Row {
  const char* name;
  std::function<void(Invoice&)> change;
  std::set<std::string> expected;
};

const Row kRows[] = {
    // Presence and cardinality.
    {"no number", [](Invoice& i) { i.number.clear(); }, {"BR-02"}},
    {"blank number", [](Invoice& i) { i.number = " \t"; }, {"BR-02"}},
    {"no issue date", [](Invoice& i) { i.issueDate.reset(); }, {"BR-03"}},
    {"no type code", [](Invoice& i) { i.typeCode.clear(); }, {"BR-04"}},
    {"no currency", [](Invoice& i) { i.currency.clear(); }, {"BR-05"}},
    {"no seller name", [](Invoice& i) { i.seller.name.clear(); }, {"BR-06"}},
    {"no buyer name", [](Invoice& i) { i.buyer.name.clear(); }, {"BR-07"}},
    {"no seller address", [](Invoice& i) { i.seller.address = {}; }, {"BR-08", "BR-09"}},
    {"no buyer country", [](Invoice& i) { i.buyer.address.countryCode.clear(); }, {"BR-11"}},
    {"no lines",
     [](Invoice& i) {
       i.lines.clear();
       i.totals.lineNetTotal = D("0.00");
       i.totals.totalWithoutVat = D("-5.00");
       i.totals.vatTotal = D("46.55");
       i.totals.totalWithVat = D("41.55");
       i.totals.amountDue = D("41.55");
     },
     {"BR-16", "BR-S-08"}},
    {"payee named like the seller", [](Invoice& i) { i.payee.name = i.seller.name; }, {"BR-17"}},
    {"payee without name",
     [](Invoice& i) {
       i.payee.id = {"PAY-1", ""};
     },
     {"BR-17"}},
    {"tax representative without vat id",
     [](Invoice& i) {
       i.taxRepresentative.name = "Vertreter";
       i.taxRepresentative.address.countryCode = "DE";
     },
     {"BR-56"}},
    {"tax representative without address",
     [](Invoice& i) {
       i.taxRepresentative.name = "Vertreter";
       i.taxRepresentative.vatId = "DE987654321";
     },
     {"BR-19", "BR-20"}},
    {"deliver-to address without country",
     [](Invoice& i) { i.delivery.address = {"Lager 1", "", "", "Köln", "50667", "", ""}; },
     {"BR-57"}},
    {"line without id", [](Invoice& i) { i.lines[1].id.clear(); }, {"BR-21"}},
    {"line without quantity", [](Invoice& i) { i.lines[1].quantity.reset(); }, {"BR-22"}},
    {"line without unit", [](Invoice& i) { i.lines[1].unitCode.clear(); }, {"BR-23"}},
    {"line without name", [](Invoice& i) { i.lines[1].itemName.clear(); }, {"BR-25"}},
    {"line without net price", [](Invoice& i) { i.lines[1].netPrice.reset(); }, {"BR-26", "BR-27"}},
    {"negative net price", [](Invoice& i) { i.lines[1].netPrice = D("-1"); }, {"BR-27"}},
    {"negative gross price",
     [](Invoice& i) { i.lines[1].grossPrice = D("-1"); },
     {"BR-28", "PEPPOL-EN16931-R046"}},
    {"gross price minus discount is the net price",
     [](Invoice& i) {
       i.lines[1].grossPrice = D("60");
       i.lines[1].priceDiscount = D("10");
     },
     {}},
    {"line period ends before it starts",
     [](Invoice& i) {
       i.lines[0].period = {Date{2024, 3, 2}, Date{2024, 3, 1}};
     },
     {"BR-30"}},
    {"invoicing period ends before it starts",
     [](Invoice& i) {
       i.invoicingPeriod = {Date{2024, 3, 2}, Date{2024, 3, 1}};
     },
     {"BR-29"}},
    {"line period outside the invoicing period",
     [](Invoice& i) {
       i.invoicingPeriod = {Date{2024, 3, 1}, Date{2024, 3, 31}};
       i.lines[0].period = {Date{2024, 2, 28}, Date{2024, 4, 1}};
     },
     {"PEPPOL-EN16931-R110", "PEPPOL-EN16931-R111"}},
    {"allowance without amount and reason",
     [](Invoice& i) {
       i.allowancesCharges[0].amount.reset();
       i.allowancesCharges[0].reason.clear();
       i.totals.allowanceTotal = D("0.00");
       i.totals.totalWithoutVat = D("255.00");
       i.vatBreakdown[0].taxableAmount = D("255.00");
       i.vatBreakdown[0].taxAmount = D("48.45");
       i.totals.vatTotal = D("48.45");
       i.totals.totalWithVat = D("303.45");
       i.totals.amountDue = D("303.45");
     },
     {"BR-31", "BR-33", "BR-CO-21"}},
    {"charge without category",
     [](Invoice& i) { i.allowancesCharges[1].vatCategory.clear(); },
     {"BR-37", "BR-S-08"}},
    {"line charge without amount and reason",
     [](Invoice& i) {
       i.lines[0].allowancesCharges.push_back({true, {}, {}, {}, "", {}, "", ""});
     },
     {"BR-43", "BR-44", "BR-CO-24"}},
    {"attribute without value",
     [](Invoice& i) {
       i.lines[0].attributes.push_back({"Farbe", ""});
     },
     {"BR-54"}},
    {"attachment without id", [](Invoice& i) { i.attachments.push_back({}); }, {"BR-52"}},
    {"preceding invoice without number",
     [](Invoice& i) {
       i.precedingInvoices.push_back({"", Date{2024, 1, 1}});
     },
     {"BR-55"}},
    {"credit transfer without account id",
     [](Invoice& i) { i.paymentMeans[0].accounts[0].accountId.clear(); },
     {"BR-50", "BR-61", "CII-SR-470"}},
    {"credit transfer with a provider id only",
     [](Invoice& i) {
       i.paymentMeans[0].accounts[0] = {"", "", "COBADEFFXXX"};
     },
     {"CII-SR-470", "BR-DE-23-a"}},
    {"payment means without code", [](Invoice& i) { i.paymentMeans[0].code.clear(); }, {"BR-49"}},
    {"two payment means codes",
     [](Invoice& i) {
       i.paymentMeans.push_back({"1", "", {}, "", "", ""});
     },
     {"CII-SR-467"}},
    {"card number in full",
     [](Invoice& i) { i.paymentMeans[0] = {"48", "", {}, "4111111111111111", "A. Muster", ""}; },
     {"BR-51"}},
    {"seller without any identifier",
     [](Invoice& i) { i.seller.vatId.clear(); },
     {"BR-CO-26", "BR-S-02", "BR-S-03", "BR-S-04", "BR-DE-16"}},
    {"electronic address without scheme",
     [](Invoice& i) { i.buyer.electronicAddress.scheme.clear(); },
     {"BR-63"}},
    {"classification without list",
     [](Invoice& i) {
       i.lines[0].classifications.push_back({"123", "", ""});
     },
     {"BR-65"}},
    {"standard id without scheme",
     [](Invoice& i) {
       i.lines[0].standardId = {"4012345678901", ""};
     },
     {"BR-64"}},
    {"line without category",
     [](Invoice& i) { i.lines[1].vatCategory.clear(); },
     {"BR-CO-04", "BR-S-08"}},
    {"tax point date and code",
     [](Invoice& i) {
       i.taxPointDate = Date{2024, 3, 5};
       i.taxPointDateCode = "3";
     },
     {"BR-CO-03"}},
    {"no breakdown",
     [](Invoice& i) {
       i.vatBreakdown.clear();
       i.totals.vatTotal = D("0.00");
       i.totals.totalWithVat = D("245.00");
       i.totals.amountDue = D("245.00");
     },
     {"BR-CO-18"}},
    // Arithmetic.
    {"line net total off by a cent",
     [](Invoice& i) { i.totals.lineNetTotal = D("250.01"); },
     {"BR-CO-10", "BR-CO-13"}},
    {"allowance total missing",
     [](Invoice& i) { i.totals.allowanceTotal.reset(); },
     {"BR-CO-11", "BR-CO-13"}},
    {"charge total off",
     [](Invoice& i) { i.totals.chargeTotal = D("6.00"); },
     {"BR-CO-12", "BR-CO-13"}},
    {"vat total off", [](Invoice& i) { i.totals.vatTotal = D("46.56"); }, {"BR-CO-14", "BR-CO-15"}},
    {"total with vat equal to the total without passes BR-CO-15",
     [](Invoice& i) {
       i.totals.totalWithVat = D("245.00");
       i.totals.amountDue = D("245.00");
     },
     {}},
    {"amount due off", [](Invoice& i) { i.totals.amountDue = D("291.56"); }, {"BR-CO-16"}},
    {"paid and rounding amounts",
     [](Invoice& i) {
       i.totals.paidAmount = D("100.00");
       i.totals.roundingAmount = D("0.45");
       i.totals.amountDue = D("192.00");
     },
     {}},
    {"tax amount within one unit of the rate",
     [](Invoice& i) {
       i.vatBreakdown[0].taxAmount = D("47.50");
       i.totals.vatTotal = D("47.50");
       i.totals.totalWithVat = D("292.50");
       i.totals.amountDue = D("292.50");
     },
     {}},
    {"tax amount more than one unit off the rate",
     [](Invoice& i) {
       i.vatBreakdown[0].taxAmount = D("47.56");
       i.totals.vatTotal = D("47.56");
       i.totals.totalWithVat = D("292.56");
       i.totals.amountDue = D("292.56");
     },
     {"BR-CO-17", "BR-S-09"}},
    {"taxable amount off",
     [](Invoice& i) { i.vatBreakdown[0].taxableAmount = D("245.01"); },
     {"BR-S-08"}},
    {"three decimals in a line net amount",
     [](Invoice& i) { i.lines[1].netAmount = D("50.004"); },
     {"BR-DEC-23"}},
    {"three written decimals in the amount due",
     [](Invoice& i) { i.totals.amountDue = D("291.550"); },
     {"BR-DEC-18"}},
    {"three written decimals in the vat total are a number with two",
     [](Invoice& i) { i.totals.vatTotal = D("46.550"); },
     {}},
    {"percentage without base amount",
     [](Invoice& i) { i.allowancesCharges[0].percentage = D("4"); },
     {"PEPPOL-EN16931-R041"}},
    {"base times percentage is the amount",
     [](Invoice& i) {
       i.allowancesCharges[0].percentage = D("4");
       i.allowancesCharges[0].baseAmount = D("250.00");
     },
     {}},
    {"base times percentage is off by more than 2 cents",
     [](Invoice& i) {
       i.allowancesCharges[0].percentage = D("4.1");
       i.allowancesCharges[0].baseAmount = D("250.00");
     },
     {"PEPPOL-EN16931-R040"}},
    // VAT categories.
    {"all zero rated", [](Invoice& i) { Category(i, "Z", D("0"), "0.00"); }, {}},
    {"zero rated with a rate",
     [](Invoice& i) { Category(i, "Z", D("7"), "0.00"); },
     {"BR-Z-05", "BR-Z-06", "BR-Z-07", "BR-CO-17"}},
    {"exempt without reason", [](Invoice& i) { Category(i, "E", D("0"), "0.00"); }, {"BR-E-10"}},
    {"exempt with reason",
     [](Invoice& i) {
       Category(i, "E", D("0"), "0.00");
       i.vatBreakdown[0].exemptionReasonCode = "vatex-eu-132-1a";
     },
     {}},
    {"reverse charge without buyer vat id",
     [](Invoice& i) {
       Category(i, "AE", D("0"), "0.00");
       i.vatBreakdown[0].exemptionReason = "Reverse charge";
     },
     {"BR-AE-02", "BR-AE-03", "BR-AE-04"}},
    {"intra-community supply complete",
     [](Invoice& i) {
       Category(i, "K", D("0"), "0.00");
       i.vatBreakdown[0].exemptionReasonCode = "VATEX-EU-IC";
       i.buyer.vatId = "FR12345678901";
       i.delivery.actualDate = Date{2024, 3, 1};
       i.delivery.address = {"", "", "", "Paris", "75001", "", "FR"};
     },
     {}},
    {"intra-community supply without delivery",
     [](Invoice& i) {
       Category(i, "K", D("0"), "0.00");
       i.vatBreakdown[0].exemptionReasonCode = "VATEX-EU-IC";
       i.buyer.vatId = "FR12345678901";
     },
     {"BR-IC-11", "BR-IC-12"}},
    {"export with tax amount",
     [](Invoice& i) {
       Category(i, "G", D("0"), "1.00");
       i.vatBreakdown[0].exemptionReason = "Export";
     },
     {"BR-G-09", "BR-CO-17"}},
    {"not subject to VAT with seller vat id and rate",
     [](Invoice& i) {
       Category(i, "O", D("0"), "0.00");
       i.vatBreakdown[0].exemptionReason = "Nicht steuerbar";
     },
     {"BR-O-02", "BR-O-03", "BR-O-04", "BR-O-05", "BR-O-06", "BR-O-07"}},
    {"not subject to VAT beside a standard rated line",
     [](Invoice& i) {
       i.lines[1].vatCategory = "O";
       i.lines[1].vatRate.reset();
       i.seller.vatId.clear();
       i.seller.taxRegistration = "12/345/67890";
       i.seller.legalRegistration = {"HRB 1234", ""};
       i.vatBreakdown[0].taxableAmount = D("195.00");
       i.vatBreakdown[0].taxAmount = D("37.05");
       i.vatBreakdown.push_back({D("50.00"), D("0.00"), "O", {}, "Nicht steuerbar", ""});
       i.totals.vatTotal = D("37.05");
       i.totals.totalWithVat = D("282.05");
       i.totals.amountDue = D("282.05");
     },
     {"BR-O-11", "BR-O-12", "BR-O-13", "BR-O-14", "BR-DE-14"}},
    {"two zero rated groups",
     [](Invoice& i) {
       Category(i, "Z", D("0"), "0.00");
       i.vatBreakdown.push_back({D("0.00"), D("0.00"), "Z", D("0"), "", ""});
     },
     {"BR-Z-01", "BR-Z-08"}},
    {"standard rate 0", [](Invoice& i) { i.lines[0].vatRate = D("0"); }, {"BR-S-05", "BR-S-08"}},
    {"IGIC at rate 0",
     [](Invoice& i) { Category(i, "L", D("0"), "0.00"); },
     {"BR-AF-05", "BR-AF-06", "BR-AF-07"}},
    {"split payment outside Italy",
     [](Invoice& i) { i.lines[0].vatCategory = "B"; },
     {"BR-B-01", "BR-B-02", "BR-S-08"}},
    // Code lists.
    {"type code 999", [](Invoice& i) { i.typeCode = "999"; }, {"BR-CL-01"}},
    {"currency EURO", [](Invoice& i) { i.currency = "EURO"; }, {"BR-CL-04", "BR-CL-03"}},
    {"country XX", [](Invoice& i) { i.buyer.address.countryCode = "XX"; }, {"BR-CL-14"}},
    {"country in lower case", [](Invoice& i) { i.buyer.address.countryCode = "de"; }, {"BR-CL-14"}},
    {"origin country XX", [](Invoice& i) { i.lines[0].originCountry = "XX"; }, {"BR-CL-15"}},
    {"payment means 99", [](Invoice& i) { i.paymentMeans[0].code = "99"; }, {"BR-CL-16"}},
    {"category Q", [](Invoice& i) { i.lines[0].vatCategory = "Q"; }, {"BR-CL-18", "BR-S-08"}},
    {"allowance reason 999",
     [](Invoice& i) { i.allowancesCharges[0].reasonCode = "999"; },
     {"BR-CL-19"}},
    {"charge reason QQQ",
     [](Invoice& i) { i.allowancesCharges[1].reasonCode = "QQQ"; },
     {"BR-CL-20"}},
    {"note subject QQQ",
     [](Invoice& i) {
       i.notes.push_back({"QQQ", "Hinweis"});
     },
     {"BR-CL-08"}},
    {"unit QQQ is a warning in XRechnung", [](Invoice& i) { i.lines[0].unitCode = "QQQ"; }, {}},
    {"MIME text/plain",
     [](Invoice& i) {
       i.attachments.push_back({"A-1", "", "", "x", "text/plain", "a.txt", ""});
     },
     {"BR-CL-24"}},
    {"address scheme XXXX",
     [](Invoice& i) { i.seller.electronicAddress.scheme = "XXXX"; },
     {"BR-CL-25"}},
    {"identifier scheme 9999",
     [](Invoice& i) {
       i.seller.ids.push_back({"4711", "9999"});
     },
     {"BR-CL-10"}},
    {"VAT id without country", [](Invoice& i) { i.seller.vatId = "123456789"; }, {"BR-CO-09"}},
    {"Greek VAT id", [](Invoice& i) { i.buyer.vatId = "EL123456789"; }, {}},
    {"tax point date code 5 is CII's, not the model's",
     [](Invoice& i) { i.taxPointDateCode = "5"; },
     {"BR-CL-06"}},
    {"exemption code unknown",
     [](Invoice& i) {
       Category(i, "E", D("0"), "0.00");
       i.vatBreakdown[0].exemptionReasonCode = "VATEX-EU-QQ";
     },
     {"BR-CL-22"}},
    // XRechnung.
    {"no buyer reference", [](Invoice& i) { i.buyerReference.clear(); }, {"BR-DE-15"}},
    {"no payment means", [](Invoice& i) { i.paymentMeans.clear(); }, {"BR-DE-1"}},
    {"no seller contact", [](Invoice& i) { i.seller.contact = {}; }, {"BR-DE-2"}},
    {"no seller telephone", [](Invoice& i) { i.seller.contact.telephone.clear(); }, {"BR-DE-6"}},
    {"no seller city", [](Invoice& i) { i.seller.address.city.clear(); }, {"BR-DE-3"}},
    {"no business process", [](Invoice& i) { i.businessProcess.clear(); }, {"PEPPOL-EN16931-R001"}},
    {"no seller electronic address",
     [](Invoice& i) { i.seller.electronicAddress = {}; },
     {"PEPPOL-EN16931-R020"}},
    {"electronic address scheme without address",
     [](Invoice& i) { i.seller.electronicAddress.id.clear(); },
     {"PEPPOL-EN16931-R008"}},
    {"breakdown without rate",
     [](Invoice& i) { i.vatBreakdown[0].rate.reset(); },
     {"BR-48", "BR-DE-14", "BR-CO-17", "BR-S-09"}},
    {"direct debit without mandate and account",
     [](Invoice& i) { i.paymentMeans[0] = {"59", "", {}, "", "", ""}; },
     {"BR-DE-25-a", "PEPPOL-EN16931-R061"}},
    {"direct debit complete",
     [](Invoice& i) {
       i.paymentMeans[0] = {"59", "", {}, "", "", "DE02120300000000202051"};
       i.mandateReference = "MANDAT-1";
       i.creditorId = "DE98ZZZ09999999999";
     },
     {}},
    {"direct debit without creditor id",
     [](Invoice& i) {
       i.paymentMeans[0] = {"59", "", {}, "", "", "DE02120300000000202051"};
       i.mandateReference = "MANDAT-1";
     },
     {"BR-DE-30"}},
    {"transfer with a debit mandate",
     [](Invoice& i) { i.mandateReference = "MANDAT-1"; },
     {"BR-DE-23-b", "BR-DE-30", "BR-DE-31"}},
    {"card payment without card",
     [](Invoice& i) { i.paymentMeans[0].code = "54"; },
     {"BR-DE-24-a", "BR-DE-24-b"}},
    {"same attachment file name twice",
     [](Invoice& i) {
       i.attachments.push_back({"A-1", "", "", "x", "application/pdf", "a.pdf", ""});
       i.attachments.push_back({"A-2", "", "", "y", "application/pdf", "a.pdf", ""});
     },
     {"BR-DE-22"}},
    {"VAT accounting currency equal to the invoice currency",
     [](Invoice& i) { i.vatAccountingCurrency = "EUR"; },
     {"BR-53", "PEPPOL-EN16931-R005", "PEPPOL-EN16931-R054"}},
    {"VAT accounting currency without its total",
     [](Invoice& i) { i.vatAccountingCurrency = "GBP"; },
     {"BR-53", "BR-DEC-15", "PEPPOL-EN16931-R054", "PEPPOL-EN16931-R055"}},
    {"VAT accounting currency with its total",
     [](Invoice& i) {
       i.vatAccountingCurrency = "GBP";
       i.totals.vatTotalInAccountingCurrency = D("39.80");
     },
     {}},
    {"base quantity 0 in another unit",
     [](Invoice& i) {
       i.lines[0].baseQuantity = D("0");
       i.lines[0].baseQuantityUnit = "H87";
     },
     {"PEPPOL-EN16931-R121", "PEPPOL-EN16931-R130"}},
    // The caller's totals.
    {"stated total without VAT differs",
     [](Invoice& i) { i.stated.totalWithoutVat = D("245.01"); },
     {"BELVORA-TOTALS"}},
    {"stated totals agree",
     [](Invoice& i) {
       i.stated = {D("245"), D("46.55"), D("291.55"), D("291.55")};
     },
     {}},
    {"stated amount due differs",
     [](Invoice& i) { i.stated.amountDue = D("0"); },
     {"BELVORA-TOTALS"}},
};

void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

class Rules : public ::testing::TestWithParam<Row> {};

TEST(RulesBase, ValidInvoicePasses) {
  const auto v = CheckInvoice(Base());
  EXPECT_TRUE(v.empty()) << ViolationsText(v, false);
}

TEST_P(Rules, ExactlyTheRulesTheChangeBreaks) {
  Invoice i = Base();
  GetParam().change(i);
  const auto v = CheckInvoice(i);
  EXPECT_EQ(Ids(v), GetParam().expected) << ViolationsText(v, false);
  // Every violation has a text in both languages and names its term.
  for (const auto& x : v) {
    EXPECT_FALSE(x.textEn.empty() || x.textDe.empty() || x.term.empty()) << x.rule;
    EXPECT_NE(x.textEn, x.rule) << "no text for " << x.rule;
  }
}

INSTANTIATE_TEST_SUITE_P(Changes, Rules, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) {
                           std::string name;
                           for (const char c : std::string(info.param.name))
                             name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

TEST(RulesScenario, EnOnlyWithoutTheXRechnungRules) {
  Invoice i = Base();
  i.specificationId = "urn:cen.eu:en16931:2017";
  i.buyerReference.clear();
  i.paymentMeans.clear();
  i.seller.contact = {};
  i.lines[0].unitCode = "QQQ";  // an error outside XRechnung
  EXPECT_EQ(Ids(CheckInvoice(i)), (std::set<std::string>{"BR-CL-23"}));
  // The scenario is chosen by BT-24 exactly as given.
  i.specificationId = std::string(rules::kXRechnungCius) + " ";
  EXPECT_EQ(Ids(CheckInvoice(i)), (std::set<std::string>{"BR-CL-23"}));
}

TEST(RulesScenario, ExtensionAllowsXmlAttachments) {
  Invoice i = Base();
  i.attachments.push_back({"A-1", "", "", "<a/>", "application/xml", "a.xml", ""});
  EXPECT_EQ(Ids(CheckInvoice(i)), (std::set<std::string>{"BR-CL-24"}));
  i.specificationId = std::string(rules::kXRechnungExtension);
  EXPECT_TRUE(CheckInvoice(i).empty());
  i.attachments[0].mimeCode = "text/plain";
  EXPECT_EQ(Ids(CheckInvoice(i)), (std::set<std::string>{"BR-DEX-01"}));
}

TEST(RulesScenario, CleanVehicleInvoice) {
  Invoice i = Base();
  i.specificationId = std::string(rules::kXRechnungCvd);
  EXPECT_EQ(Ids(CheckInvoice(i)),
            (std::set<std::string>{"BR-DE-CVD-01", "BR-DE-CVD-02", "BR-DE-CVD-03"}));
  i.contractReference = "V-1";
  i.tenderReference = "L-1";
  i.lines[0].classifications.push_back({"M1", "CVD", ""});
  i.lines[0].attributes.push_back({"cva", "clean"});
  EXPECT_TRUE(CheckInvoice(i).empty()) << ViolationsText(CheckInvoice(i), false);
  i.lines[0].classifications[0].code = "X9";
  i.lines[0].attributes.push_back({"cva", "diesel"});
  EXPECT_EQ(Ids(CheckInvoice(i)),
            (std::set<std::string>{"BR-DE-CVD-04", "BR-DE-CVD-05", "BR-DE-CVD-06-a"}));
}

// XPath's round() takes halves towards positive infinity: -0.005 rounds to
// -0.00, not -0.01.
TEST(RulesArithmetic, RoundingHalvesUpAsTheValidatorDoes) {
  Invoice i = Base();
  i.lines = {MakeLine(1, "-0.005", "0", "1")};
  i.totals.lineNetTotal = D("0.00");
  EXPECT_EQ(Ids(CheckInvoice(i)).count("BR-CO-10"), 0u);
  i.totals.lineNetTotal = D("-0.01");
  EXPECT_EQ(Ids(CheckInvoice(i)).count("BR-CO-10"), 1u);
}

TEST(RulesSkonto, CashDiscountLines) {
  const struct {
    const char* terms;
    bool ok;
  } cases[] = {
      {"Zahlbar binnen 30 Tagen", true},
      {"#SKONTO#TAGE=14#PROZENT=2.00#\n", true},
      {"Zahlbar sofort\n#SKONTO#TAGE=7#PROZENT=3.00#BASISBETRAG=-100.00#\n", true},
      {"#SKONTO#TAGE=14#PROZENT=2.00#\r\n#SKONTO#TAGE=30#PROZENT=1.00#\n  ", true},
      {"  #SKONTO#TAGE=14#PROZENT=2.00#  \n", true},
      {"#SKONTO#TAGE=14#PROZENT=2.00#", false},     // no line break at the end
      {"#SKONTO#TAGE=14#PROZENT=2#\n", false},      // two decimals
      {"#skonto#TAGE=14#PROZENT=2.00#\n", false},   // capitals
      {"#SKONTO#TAGE=14 #PROZENT=2.00#\n", false},  // white space inside
      {"#SKONTO#TAGE=14#PROZENT=2.00#BASISBETRAG=5#\n", false},
      // Only lines that begin with "#" are cash discount lines.
      {"#SKONTO#TAGE=14#PROZENT=2.00#\nText danach", true},
      {"#SKONTO#TAGE=14#PROZENT=2.00#\n#Ende", false},
  };
  for (const auto& c : cases) {
    Invoice i = Base();
    i.paymentTerms = c.terms;
    EXPECT_EQ(Ids(CheckInvoice(i)).count("BR-DE-18"), c.ok ? 0u : 1u) << c.terms;
  }
}

TEST(RulesText, OneLinePerViolationWithTermAndLine) {
  Invoice i = Base();
  i.lines[1].itemName.clear();
  i.number.clear();
  const auto v = CheckInvoice(i);
  ASSERT_EQ(v.size(), 2u);
  // Document first, then the lines.
  EXPECT_EQ(
      ViolationsText(v, false),
      "BR-02: An Invoice shall have an Invoice number (BT-1) (BT-1)\n"
      "BR-25: Each Invoice line (BG-25) shall contain the Item name (BT-153) (BT-153, line 2)");
  EXPECT_EQ(ViolationsText(v, true),
            "BR-02: Eine Rechnung muss eine Rechnungsnummer (BT-1) haben (BT-1)\n"
            "BR-25: Jede Rechnungsposition (BG-25) muss einen Artikelnamen (BT-153) enthalten "
            "(BT-153, Zeile 2)");
  EXPECT_EQ(ViolationsText({}, false), "");
}

TEST(RulesText, ValuesAndNumbersInTheText) {
  Invoice i = Base();
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
  i.totals.totalWithoutVat = D("19995.00");
  i.vatBreakdown[0].taxableAmount = D("19995.00");
  i.vatBreakdown[0].taxAmount = D("3799.05");
  i.totals.vatTotal = D("3799.05");
  i.totals.totalWithVat = D("23794.05");
  i.totals.amountDue = D("23794.05");
  const auto start = std::chrono::steady_clock::now();
  const auto v = CheckInvoice(i);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start)
                      .count();
  EXPECT_TRUE(v.empty()) << ViolationsText(v, false);
  EXPECT_LT(ms, 2000) << "checking 20,000 lines took " << ms << " ms";
}

}  // namespace
}  // namespace belvora::model
