// The CII reader into the invoice model: every business term of a
// comprehensive test suite invoice, small documents the model cannot hold
// whole, and what is no CII invoice.

#include "reader/CiiInvoiceModel.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

#include "model/RulesTables.h"
#include "support/SharedArtefacts.h"
#include "support/TempDir.h"

namespace belvora::reader {
namespace {

using model::Date;
using model::Decimal;

std::string Str(const std::string& s) { return s; }
std::string Str(const Decimal& d) { return d.normalized().text(); }
std::string Str(const std::optional<Decimal>& d) { return d ? Str(*d) : "-"; }
std::string Str(const std::optional<Date>& d) {
  return d ? std::to_string(d->year * 10000 + d->month * 100 + d->day) : "-";
}
std::string Str(std::size_t n) { return std::to_string(n); }
std::string Str(bool b) { return b ? "1" : "0"; }

// The rule ids, sorted, separated by blanks.
std::string Ids(const std::vector<model::Violation>& v) {
  std::set<std::string> sorted;
  for (const auto& x : v) sorted.insert(x.rule);
  std::string ids;
  for (const auto& id : sorted) ids += (ids.empty() ? "" : " ") + id;
  return ids;
}

// A document of tests/data/ciimodel/problems.tsv, by name: the small
// XRechnung invoice with the row's fragments, and the rule ids expected.
struct Case {
  std::string xml, problems;
};
std::map<std::string, Case> Cases() {
  const std::string data = BELVORA_TEST_DATA_DIR "/ciimodel/";
  const std::string small = test::readAll(data + "small.xml");
  std::map<std::string, Case> cases;
  std::istringstream rows(test::readAll(data + "problems.tsv"));
  for (std::string row; std::getline(rows, row);) {
    if (row.empty() || row[0] == '#') continue;
    std::vector<std::string> f;
    std::istringstream cells(row);
    for (std::string cell; std::getline(cells, cell, '|');) f.push_back(cell);
    f.resize(5);
    if (f[1] == "-") f[1] = model::rules::kXRechnungCius;
    if (f[3].starts_with("$totals"))
      f[3] =
          "<ram:LineTotalAmount>0</ram:LineTotalAmount><ram:TaxBasisTotalAmount>0"
          "</ram:TaxBasisTotalAmount><ram:GrandTotalAmount>0</ram:GrandTotalAmount>"
          "<ram:DuePayableAmount>0</ram:DuePayableAmount>" +
          f[3].substr(7);
    for (std::size_t at; (at = f[2].find("\\n")) != std::string::npos;) f[2].replace(at, 2, "\n");
    std::string xml = small;
    for (const auto& [key, value] :
         {std::pair{"{spec}", f[1]}, {"{settlement}", f[2]}, {"{summation}", f[3]}})
      xml.replace(xml.find(key), std::string(key).size(), value);
    cases[f[0]] = {xml, f[4]};
  }
  return cases;
}

CiiModel Read(const std::string& xml) {
  CiiModel m;
  std::string message;
  EXPECT_TRUE(ReadCiiModel(xml::Document::parseMemory(xml), m, message)) << message;
  return m;
}

TEST(CiiInvoiceModel, WhatTheModelCannotHoldIsAProblem) {
  const auto cases = Cases();
  EXPECT_EQ(cases.size(), 12u);
  for (const auto& [name, c] : cases) EXPECT_EQ(Ids(Read(c.xml).problems), c.problems) << name;
}

TEST(CiiInvoiceModel, ValuesAsWritten) {
  const auto cases = Cases();
  CiiModel m = Read(cases.at("a tax point code and totals in two currencies").xml);
  EXPECT_EQ(m.invoice.taxPointDateCode, "35");
  EXPECT_EQ(Str(m.invoice.totals.vatTotal), "10");
  EXPECT_EQ(Str(m.invoice.totals.vatTotalInAccountingCurrency), "8.6");
  m = Read(cases.at("values as written").xml);
  const model::Invoice& i = m.invoice;
  // The cash discount line keeps its line break; BT-24 keeps its blank.
  EXPECT_EQ(i.paymentTerms, "#SKONTO#TAGE=7#PROZENT=2.00#\n");
  EXPECT_EQ(i.specificationId, std::string(model::rules::kXRechnungCius) + " ");
  // Zeros beyond the twelve places a Decimal holds are dropped, no more.
  EXPECT_EQ(i.totals.paidAmount->text(), "1.000000000000");
  ASSERT_EQ(i.lines.size(), 2u);
  EXPECT_EQ(i.lines[1].id, "B");
  EXPECT_EQ(i.lines[1].sourceRow, 2u);
  // One payment instruction repeated per account is one payment means.
  ASSERT_EQ(i.paymentMeans.size(), 1u);
  ASSERT_EQ(i.paymentMeans[0].accounts.size(), 2u);
  EXPECT_EQ(i.paymentMeans[0].accounts[1].accountId, "DE2");
}

TEST(CiiInvoiceModel, RefusesWhatIsNoCiiInvoice) {
  CiiModel m;
  std::string message;
  for (const char* root : {"<Invoice/>", "<rsm:CrossIndustryInvoice xmlns:rsm=\"urn:other\"/>",
                           "<CrossIndustryInvoice/>"}) {
    EXPECT_FALSE(ReadCiiModel(xml::Document::parseMemory(root), m, message)) << root;
    EXPECT_EQ(message, "The document is not a CII invoice (rsm:CrossIndustryInvoice).");
  }
  test::TempDir dir;
  test::writeAll(dir / "broken.xml", "<a>\n<b></a>");
  EXPECT_FALSE(ReadCiiModelFile(dir / "broken.xml", m, message));
  EXPECT_NE(message.find("(line 2, column"), std::string::npos) << message;
  EXPECT_FALSE(ReadCiiModelFile("/nonexistent/x.xml", m, message));
  EXPECT_NE(message.find("/nonexistent/x.xml"), std::string::npos) << message;
}

// Each term as "expression = value" against what the document holds.
#define TERM(expr, expected) EXPECT_EQ(Str(expr), expected) << #expr

TEST(CiiInvoiceModel, EveryTermOfTheComprehensiveTestInvoice) {
  BELVORA_REQUIRE_CORPUS();
  CiiModel m;
  std::string message;
  ASSERT_TRUE(ReadCiiModelFile(test::CorpusDir() + "/xrechnung-testsuite/technical-cases/cius/"
                                                   "01.01_comprehensive_test_uncefact.xml",
                               m, message))
      << message;
  const model::Invoice& i = m.invoice;
  EXPECT_TRUE(m.problems.empty()) << model::ViolationsText(m.problems, false);
  EXPECT_TRUE(model::CheckInvoice(i).empty());
  const model::Party& s = i.seller;
  // clang-format off
  TERM(i.businessProcess, "urn:fdc:peppol.eu:2017:poacc:billing:01:1.0"); TERM(i.specificationId, model::rules::kXRechnungCius);
  TERM(i.number, "1234567"); TERM(i.typeCode, "380"); TERM(i.issueDate, "20180413"); TERM(i.notes.size(), "2");
  TERM(i.notes[1].text, "Invoice Note Description 2"); TERM(i.notes[1].subjectCode, "AAC");
  TERM(i.currency, "EUR"); TERM(i.vatAccountingCurrency, "GBP"); TERM(i.taxPointDate, "20180413"); TERM(i.dueDate, "20180413");
  TERM(i.buyerReference, "90000000-03083-72"); TERM(i.projectReference, "PR12345678"); TERM(i.contractReference, "0000000752");
  TERM(i.purchaseOrderReference, "65002278"); TERM(i.salesOrderReference, "ABC123456789");
  TERM(i.receivingAdviceReference, "RAR123456789"); TERM(i.despatchAdviceReference, "DAR123456789");
  TERM(i.tenderReference, "ANG987654321"); TERM(i.invoicedObjectId.id, "OK987654321"); TERM(i.buyerAccountingReference, "Buchungscode1");
  TERM(i.paymentTerms, "Beschreibung 1: Bitte überweisen Sie bis zum 13.04.2018 auf das unten aufgeführte Konto.");
  TERM(i.precedingInvoices.size(), "1"); TERM(i.precedingInvoices[0].number, "PIR1234567890"); TERM(i.precedingInvoices[0].date, "20180204");
  TERM(s.name, "[Seller name]"); TERM(s.tradingName, "[Seller trading name]"); TERM(s.ids.size(), "3");
  TERM(s.ids[0].id, "9876543217894897438"); TERM(s.ids[2].id, "987654321"); TERM(s.ids[2].scheme, "0088");
  TERM(s.legalRegistration.id, "123456789"); TERM(s.legalRegistration.scheme, "0088"); TERM(s.vatId, "ATU123456789");
  TERM(s.taxRegistration, "123/456/789"); TERM(s.additionalLegalInfo.substr(0, 36), "Amtsgericht […], Geschäftsführer");
  TERM(s.electronicAddress.id, "rechnungsausgang@test.com"); TERM(s.electronicAddress.scheme, "EM");
  TERM(s.address.line1, "[Seller address line 1]"); TERM(s.address.line2, "[Seller address line 2]");
  TERM(s.address.line3, "[Seller address line 3]"); TERM(s.address.city, "[Seller city]"); TERM(s.address.postCode, "12345");
  TERM(s.address.subdivision, "Bayern"); TERM(s.address.countryCode, "DE"); TERM(s.contact.name, "Tim Tester");
  TERM(s.contact.telephone, "012 3456789"); TERM(s.contact.email, "tim.tester@test.com");
  TERM(i.buyer.name, "[Buyer name]"); TERM(i.buyer.ids.at(0).id, "138"); TERM(i.buyer.legalRegistration.scheme, "0204");
  TERM(i.buyer.vatId, "DE12345ABC"); TERM(i.buyer.contact.name, "Tina Tester");
  TERM(i.payee.name, "[Payee name]"); TERM(i.payee.id.id, "74"); TERM(i.payee.legalRegistration.id, "90000000-03083-72");
  TERM(i.taxRepresentative.name, "[Seller tax representative name]"); TERM(i.taxRepresentative.vatId, "DE124567");
  TERM(i.taxRepresentative.address.city, "[Seller tax representative city]");
  TERM(i.delivery.partyName, "[Deliver to party name]"); TERM(i.delivery.locationId.id, "68");
  TERM(i.delivery.actualDate, "20180413"); TERM(i.delivery.address.line2, "4. OG");
  TERM(i.invoicingPeriod.start, "20180413"); TERM(i.invoicingPeriod.end, "20180413");
  // One payment instruction with its account, a second without text.
  TERM(i.remittanceInformation, "Deb. 12345 / Fact. 9876543"); TERM(i.paymentMeans.size(), "2");
  TERM(i.paymentMeans[0].code, "58"); TERM(i.paymentMeans[0].text, "[Payment means text]"); TERM(i.paymentMeans[0].accounts.size(), "1");
  TERM(i.paymentMeans[0].accounts[0].accountId, "DE79000000001234567890");
  TERM(i.paymentMeans[0].accounts[0].accountName, "[Payment account name]"); TERM(i.paymentMeans[0].accounts[0].providerId, "[BIC]");
  TERM(i.paymentMeans[1].accounts.at(0).accountId, "DE16000000002345678901");
  // Allowances and charges, each as given.
  const model::AllowanceCharge& c = i.allowancesCharges.at(0);
  TERM(i.allowancesCharges.size(), "4"); TERM(c.charge, "1"); TERM(c.percentage, "10"); TERM(c.baseAmount, "100");
  TERM(c.amount, "10"); TERM(c.reasonCode, "TAC"); TERM(c.reason, "Testing"); TERM(c.vatCategory, "E"); TERM(c.vatRate, "0");
  TERM(i.allowancesCharges[3].charge, "0"); TERM(i.allowancesCharges[3].reason, "Fixed long term 2");
  // The VAT breakdown and totals as stated; nothing in `stated`.
  const model::Totals& t = i.totals;
  TERM(i.vatBreakdown.size(), "2"); TERM(i.vatBreakdown[0].taxableAmount, "10781.25"); TERM(i.vatBreakdown[0].taxAmount, "2048.44");
  TERM(i.vatBreakdown[0].category, "S"); TERM(i.vatBreakdown[0].rate, "19");
  TERM(i.vatBreakdown[1].exemptionReason, "[VAT exemption reason text]"); TERM(i.vatBreakdown[1].exemptionReasonCode, "VATEX-EU-132-1A");
  TERM(i.exemptions.size(), "1"); TERM(i.exemptions[0].category, "E");
  TERM(t.lineNetTotal, "10781.25"); TERM(t.chargeTotal, "20"); TERM(t.allowanceTotal, "20"); TERM(t.totalWithoutVat, "10781.25");
  TERM(t.vatTotal, "2048.44"); TERM(t.vatTotalInAccountingCurrency, "2048.44"); TERM(t.roundingAmount, "0");
  TERM(t.totalWithVat, "12829.69"); TERM(t.paidAmount, "0"); TERM(t.amountDue, "12829.69");
  TERM(i.stated.totalWithoutVat, "-"); TERM(i.stated.vatTotal, "-"); TERM(i.stated.totalWithVat, "-"); TERM(i.stated.amountDue, "-");
  // The attachments, decoded.
  const model::Attachment& a = i.attachments.at(0);
  TERM(i.attachments.size(), "2"); TERM(i.attachments[1].fileName, "01_15_Anhang_02.pdf"); TERM(a.id, "01_15_Anhang_01.pdf");
  TERM(a.uri, "https://xeinkauf.de/xrechnung/"); TERM(a.description, "Aufschlüsselung der einzelnen Leistungspositionen");
  TERM(a.mimeCode, "application/pdf"); TERM(a.fileName, "01_15_Anhang_01.pdf"); TERM(a.content.substr(0, 8), "%PDF-1.5");
  // Lines, with their position as source row.
  const model::Line& l = i.lines.at(0);
  TERM(i.lines.size(), "2"); TERM(l.sourceRow, "1"); TERM(i.lines[1].sourceRow, "2"); TERM(l.id, "1");
  TERM(l.note.substr(0, 25), "Die letzte Lieferung im R"); TERM(l.standardId.id, "123456789"); TERM(l.standardId.scheme, "0088");
  TERM(l.sellerItemId, "1034"); TERM(l.buyerItemId, "5034"); TERM(l.itemName, "Beratung"); TERM(l.itemDescription, "Anforderungsmanagement");
  TERM(l.attributes.size(), "2"); TERM(l.attributes[1].name, "[Description 2]"); TERM(l.attributes[1].value, "[Value 2]");
  TERM(l.classifications.size(), "2"); TERM(l.classifications[0].code, "0721-880X"); TERM(l.classifications[0].listId, "IB");
  TERM(l.classifications[0].version, "88"); TERM(l.originCountry, "DE"); TERM(l.orderLineReference, "6171175.1");
  TERM(l.grossPrice, "168.125"); TERM(l.priceDiscount, "10"); TERM(l.netPrice->text(), "158.1250000000");  // as written
  TERM(l.baseQuantity, "1"); TERM(l.baseQuantityUnit, "XPP"); TERM(l.quantity, "30"); TERM(l.unitCode, "XPP");
  TERM(l.vatCategory, "S"); TERM(l.vatRate, "19"); TERM(l.period.start, "20180413"); TERM(l.allowancesCharges.size(), "4");
  TERM(l.allowancesCharges[0].charge, "1"); TERM(l.allowancesCharges[2].reasonCode, "102"); TERM(l.netAmount, "4743.75");
  TERM(l.objectId.id, "ANG987654321"); TERM(l.objectId.scheme, "ABZ"); TERM(l.accountingReference, "Konto 1");
  // clang-format on
}

}  // namespace
}  // namespace belvora::reader
