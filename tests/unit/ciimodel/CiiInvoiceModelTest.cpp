// The CII reader into the invoice model: every business term of a
// comprehensive test suite invoice, every corpus invoice read and checked
// clean, and what the model cannot hold reported as problems.

#include "reader/CiiInvoiceModel.h"
#include "support/SharedArtefacts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "model/Rules.h"
#include "model/RulesTables.h"

namespace fs = std::filesystem;

namespace belvora::reader {
namespace {

using model::Decimal;
using model::Invoice;

Decimal D(const char* t) { return *Decimal::parse(t); }

const std::string kSuite = belvora::test::CorpusDir() + "/xrechnung-testsuite";

CiiModel ReadFile(const std::string& path) {
  CiiModel m;
  std::string message;
  EXPECT_TRUE(ReadCiiModelFile(path, m, message)) << message;
  return m;
}

CiiModel ReadText(const std::string& xml) {
  CiiModel m;
  std::string message;
  const auto doc = xml::Document::parseMemory(xml);
  EXPECT_TRUE(ReadCiiModel(doc, m, message)) << message;
  return m;
}

std::set<std::string> Problems(const CiiModel& m) {
  std::set<std::string> ids;
  for (const auto& p : m.problems) ids.insert(p.rule);
  return ids;
}

// A small XRechnung CII document: one line, totals as given.
std::string Doc(const std::string& settlement, const std::string& summation,
                const std::string& spec = std::string(model::rules::kXRechnungCius),
                const std::string& agreement = "<ram:BuyerReference>R-1</ram:BuyerReference>") {
  return R"(<rsm:CrossIndustryInvoice xmlns:rsm="urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100"
 xmlns:ram="urn:un:unece:uncefact:data:standard:ReusableAggregateBusinessInformationEntity:100"
 xmlns:udt="urn:un:unece:uncefact:data:standard:UnqualifiedDataType:100">
<rsm:ExchangedDocumentContext><ram:GuidelineSpecifiedDocumentContextParameter><ram:ID>)" +
         spec +
         R"(</ram:ID></ram:GuidelineSpecifiedDocumentContextParameter></rsm:ExchangedDocumentContext>
<rsm:ExchangedDocument><ram:ID>1</ram:ID></rsm:ExchangedDocument>
<rsm:SupplyChainTradeTransaction>
<ram:IncludedSupplyChainTradeLineItem><ram:AssociatedDocumentLineDocument><ram:LineID>A</ram:LineID></ram:AssociatedDocumentLineDocument></ram:IncludedSupplyChainTradeLineItem>
<ram:IncludedSupplyChainTradeLineItem><ram:AssociatedDocumentLineDocument><ram:LineID>B</ram:LineID></ram:AssociatedDocumentLineDocument></ram:IncludedSupplyChainTradeLineItem>
<ram:ApplicableHeaderTradeAgreement>)" +
         agreement + R"(</ram:ApplicableHeaderTradeAgreement>
<ram:ApplicableHeaderTradeDelivery/>
<ram:ApplicableHeaderTradeSettlement>)" +
         settlement + "<ram:SpecifiedTradeSettlementHeaderMonetarySummation>" + summation +
         R"(</ram:SpecifiedTradeSettlementHeaderMonetarySummation></ram:ApplicableHeaderTradeSettlement>
</rsm:SupplyChainTradeTransaction></rsm:CrossIndustryInvoice>)";
}

const std::string kTotals =
    "<ram:LineTotalAmount>0</ram:LineTotalAmount><ram:TaxBasisTotalAmount>0</"
    "ram:TaxBasisTotalAmount>"
    "<ram:GrandTotalAmount>0</ram:GrandTotalAmount><ram:DuePayableAmount>0</ram:DuePayableAmount>";

TEST(CiiInvoiceModel, EveryTermOfTheComprehensiveTestInvoice) {
  BELVORA_REQUIRE_CORPUS();
  const CiiModel m =
      ReadFile(kSuite + "/technical-cases/cius/01.01_comprehensive_test_uncefact.xml");
  const Invoice& i = m.invoice;
  EXPECT_TRUE(m.problems.empty()) << model::ViolationsText(m.problems, false);
  EXPECT_TRUE(model::CheckInvoice(i).empty())
      << model::ViolationsText(model::CheckInvoice(i), false);

  // Document.
  EXPECT_EQ(i.businessProcess, "urn:fdc:peppol.eu:2017:poacc:billing:01:1.0");
  EXPECT_EQ(i.specificationId, model::rules::kXRechnungCius);
  EXPECT_EQ(i.number, "1234567");
  EXPECT_EQ(i.typeCode, "380");
  EXPECT_EQ(i.issueDate, (model::Date{2018, 4, 13}));
  ASSERT_EQ(i.notes.size(), 2u);
  EXPECT_EQ(i.notes[1].text, "Invoice Note Description 2");
  EXPECT_EQ(i.notes[1].subjectCode, "AAC");
  EXPECT_EQ(i.currency, "EUR");
  EXPECT_EQ(i.vatAccountingCurrency, "GBP");
  EXPECT_EQ(i.taxPointDate, (model::Date{2018, 4, 13}));
  EXPECT_EQ(i.dueDate, (model::Date{2018, 4, 13}));
  EXPECT_EQ(i.buyerReference, "90000000-03083-72");
  EXPECT_EQ(i.projectReference, "PR12345678");
  EXPECT_EQ(i.contractReference, "0000000752");
  EXPECT_EQ(i.purchaseOrderReference, "65002278");
  EXPECT_EQ(i.salesOrderReference, "ABC123456789");
  EXPECT_EQ(i.receivingAdviceReference, "RAR123456789");
  EXPECT_EQ(i.despatchAdviceReference, "DAR123456789");
  EXPECT_EQ(i.tenderReference, "ANG987654321");
  EXPECT_EQ(i.invoicedObjectId.id, "OK987654321");
  EXPECT_EQ(i.buyerAccountingReference, "Buchungscode1");
  EXPECT_EQ(i.paymentTerms,
            "Beschreibung 1: Bitte überweisen Sie bis zum 13.04.2018 auf das unten aufgeführte "
            "Konto.");
  ASSERT_EQ(i.precedingInvoices.size(), 1u);
  EXPECT_EQ(i.precedingInvoices[0].number, "PIR1234567890");
  EXPECT_EQ(i.precedingInvoices[0].date, (model::Date{2018, 2, 4}));

  // Parties.
  const model::Party& s = i.seller;
  EXPECT_EQ(s.name, "[Seller name]");
  EXPECT_EQ(s.tradingName, "[Seller trading name]");
  ASSERT_EQ(s.ids.size(), 3u);
  EXPECT_EQ(s.ids[0].id, "9876543217894897438");
  EXPECT_EQ(s.ids[2].id, "987654321");
  EXPECT_EQ(s.ids[2].scheme, "0088");
  EXPECT_EQ(s.legalRegistration.id, "123456789");
  EXPECT_EQ(s.legalRegistration.scheme, "0088");
  EXPECT_EQ(s.vatId, "ATU123456789");
  EXPECT_EQ(s.taxRegistration, "123/456/789");
  EXPECT_TRUE(s.additionalLegalInfo.starts_with("Amtsgericht […], Geschäftsführer"));
  EXPECT_EQ(s.electronicAddress.id, "rechnungsausgang@test.com");
  EXPECT_EQ(s.electronicAddress.scheme, "EM");
  EXPECT_EQ(s.address.line1, "[Seller address line 1]");
  EXPECT_EQ(s.address.line2, "[Seller address line 2]");
  EXPECT_EQ(s.address.line3, "[Seller address line 3]");
  EXPECT_EQ(s.address.city, "[Seller city]");
  EXPECT_EQ(s.address.postCode, "12345");
  EXPECT_EQ(s.address.subdivision, "Bayern");
  EXPECT_EQ(s.address.countryCode, "DE");
  EXPECT_EQ(s.contact.name, "Tim Tester");
  EXPECT_EQ(s.contact.telephone, "012 3456789");
  EXPECT_EQ(s.contact.email, "tim.tester@test.com");
  EXPECT_EQ(i.buyer.name, "[Buyer name]");
  EXPECT_EQ(i.buyer.ids.at(0).id, "138");
  EXPECT_EQ(i.buyer.legalRegistration.scheme, "0204");
  EXPECT_EQ(i.buyer.vatId, "DE12345ABC");
  EXPECT_EQ(i.buyer.contact.name, "Tina Tester");
  EXPECT_EQ(i.payee.name, "[Payee name]");
  EXPECT_EQ(i.payee.id.id, "74");
  EXPECT_EQ(i.payee.legalRegistration.id, "90000000-03083-72");
  EXPECT_EQ(i.taxRepresentative.name, "[Seller tax representative name]");
  EXPECT_EQ(i.taxRepresentative.vatId, "DE124567");
  EXPECT_EQ(i.taxRepresentative.address.city, "[Seller tax representative city]");
  EXPECT_EQ(i.delivery.partyName, "[Deliver to party name]");
  EXPECT_EQ(i.delivery.locationId.id, "68");
  EXPECT_EQ(i.delivery.actualDate, (model::Date{2018, 4, 13}));
  EXPECT_EQ(i.delivery.address.line2, "4. OG");
  EXPECT_EQ(i.invoicingPeriod.start, (model::Date{2018, 4, 13}));
  EXPECT_EQ(i.invoicingPeriod.end, (model::Date{2018, 4, 13}));

  // Payment: one instruction, its two accounts.
  EXPECT_EQ(i.remittanceInformation, "Deb. 12345 / Fact. 9876543");
  ASSERT_EQ(i.paymentMeans.size(), 2u) << "the second repetition has no text";
  EXPECT_EQ(i.paymentMeans[0].code, "58");
  EXPECT_EQ(i.paymentMeans[0].text, "[Payment means text]");
  ASSERT_EQ(i.paymentMeans[0].accounts.size(), 1u);
  EXPECT_EQ(i.paymentMeans[0].accounts[0].accountId, "DE79000000001234567890");
  EXPECT_EQ(i.paymentMeans[0].accounts[0].accountName, "[Payment account name]");
  EXPECT_EQ(i.paymentMeans[0].accounts[0].providerId, "[BIC]");
  EXPECT_EQ(i.paymentMeans[1].accounts.at(0).accountId, "DE16000000002345678901");

  // Allowances and charges, each as given.
  ASSERT_EQ(i.allowancesCharges.size(), 4u);
  const model::AllowanceCharge& charge = i.allowancesCharges[0];
  EXPECT_TRUE(charge.charge);
  EXPECT_EQ(charge.percentage, D("10"));
  EXPECT_EQ(charge.baseAmount, D("100"));
  EXPECT_EQ(charge.amount, D("10"));
  EXPECT_EQ(charge.reasonCode, "TAC");
  EXPECT_EQ(charge.reason, "Testing");
  EXPECT_EQ(charge.vatCategory, "E");
  EXPECT_EQ(charge.vatRate, D("0"));
  EXPECT_FALSE(i.allowancesCharges[3].charge);
  EXPECT_EQ(i.allowancesCharges[3].reason, "Fixed long term 2");

  // VAT breakdown and totals as stated; nothing in `stated`.
  ASSERT_EQ(i.vatBreakdown.size(), 2u);
  EXPECT_EQ(i.vatBreakdown[0].taxableAmount, D("10781.25"));
  EXPECT_EQ(i.vatBreakdown[0].taxAmount, D("2048.44"));
  EXPECT_EQ(i.vatBreakdown[0].category, "S");
  EXPECT_EQ(i.vatBreakdown[0].rate, D("19"));
  EXPECT_EQ(i.vatBreakdown[1].exemptionReason, "[VAT exemption reason text]");
  EXPECT_EQ(i.vatBreakdown[1].exemptionReasonCode, "VATEX-EU-132-1A");
  ASSERT_EQ(i.exemptions.size(), 1u);
  EXPECT_EQ(i.exemptions[0].category, "E");
  const model::Totals& t = i.totals;
  EXPECT_EQ(t.lineNetTotal, D("10781.25"));
  EXPECT_EQ(t.chargeTotal, D("20"));
  EXPECT_EQ(t.allowanceTotal, D("20"));
  EXPECT_EQ(t.totalWithoutVat, D("10781.25"));
  EXPECT_EQ(t.vatTotal, D("2048.44"));
  EXPECT_EQ(t.vatTotalInAccountingCurrency, D("2048.44"));
  EXPECT_EQ(t.roundingAmount, D("0"));
  EXPECT_EQ(t.totalWithVat, D("12829.69"));
  EXPECT_EQ(t.paidAmount, D("0"));
  EXPECT_EQ(t.amountDue, D("12829.69"));
  EXPECT_FALSE(i.stated.totalWithoutVat || i.stated.vatTotal || i.stated.totalWithVat ||
               i.stated.amountDue);

  // The attachments, decoded.
  ASSERT_EQ(i.attachments.size(), 2u);
  EXPECT_EQ(i.attachments[1].fileName, "01_15_Anhang_02.pdf");
  const model::Attachment& a = i.attachments[0];
  EXPECT_EQ(a.id, "01_15_Anhang_01.pdf");
  EXPECT_EQ(a.uri, "https://xeinkauf.de/xrechnung/");
  EXPECT_EQ(a.description, "Aufschlüsselung der einzelnen Leistungspositionen");
  EXPECT_EQ(a.mimeCode, "application/pdf");
  EXPECT_EQ(a.fileName, "01_15_Anhang_01.pdf");
  EXPECT_EQ(a.content.substr(0, 8), "%PDF-1.5");

  // Lines, with their position as source row.
  ASSERT_EQ(i.lines.size(), 2u);
  const model::Line& l = i.lines[0];
  EXPECT_EQ(l.sourceRow, 1u);
  EXPECT_EQ(i.lines[1].sourceRow, 2u);
  EXPECT_EQ(l.id, "1");
  EXPECT_EQ(l.note.substr(0, 25), "Die letzte Lieferung im R");
  EXPECT_EQ(l.standardId.id, "123456789");
  EXPECT_EQ(l.standardId.scheme, "0088");
  EXPECT_EQ(l.sellerItemId, "1034");
  EXPECT_EQ(l.buyerItemId, "5034");
  EXPECT_EQ(l.itemName, "Beratung");
  EXPECT_EQ(l.itemDescription, "Anforderungsmanagement");
  ASSERT_EQ(l.attributes.size(), 2u);
  EXPECT_EQ(l.attributes[1].name, "[Description 2]");
  EXPECT_EQ(l.attributes[1].value, "[Value 2]");
  ASSERT_EQ(l.classifications.size(), 2u);
  EXPECT_EQ(l.classifications[0].code, "0721-880X");
  EXPECT_EQ(l.classifications[0].listId, "IB");
  EXPECT_EQ(l.classifications[0].version, "88");
  EXPECT_EQ(l.originCountry, "DE");
  EXPECT_EQ(l.orderLineReference, "6171175.1");
  EXPECT_EQ(l.grossPrice, D("168.125"));
  EXPECT_EQ(l.priceDiscount, D("10"));
  EXPECT_EQ(l.netPrice, D("158.125"));
  EXPECT_EQ(l.netPrice->text(), "158.1250000000") << "the precision as written";
  EXPECT_EQ(l.baseQuantity, D("1"));
  EXPECT_EQ(l.baseQuantityUnit, "XPP");
  EXPECT_EQ(l.quantity, D("30"));
  EXPECT_EQ(l.unitCode, "XPP");
  EXPECT_EQ(l.vatCategory, "S");
  EXPECT_EQ(l.vatRate, D("19"));
  EXPECT_EQ(l.period.start, (model::Date{2018, 4, 13}));
  ASSERT_EQ(l.allowancesCharges.size(), 4u);
  EXPECT_TRUE(l.allowancesCharges[0].charge);
  EXPECT_EQ(l.allowancesCharges[2].reasonCode, "102");
  EXPECT_EQ(l.netAmount, D("4743.75"));
  EXPECT_EQ(l.objectId.id, "ANG987654321");
  EXPECT_EQ(l.objectId.scheme, "ABZ");
  EXPECT_EQ(l.accountingReference, "Konto 1");
}

// Every CII invoice of the corpus is read without problems and checks clean
// (the validator passes them all).
TEST(CiiInvoiceModel, EveryCorpusInvoiceChecksClean) {
  BELVORA_REQUIRE_CORPUS();
  std::vector<std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(kSuite))
    if (e.path().string().ends_with("_uncefact.xml")) files.push_back(e.path().string());
  for (const auto& e : fs::directory_iterator(belvora::test::CorpusDir() + "/en16931/cii"))
    files.push_back(e.path().string());
  EXPECT_EQ(files.size(), 56u);
  for (const auto& f : files) {
    const CiiModel m = ReadFile(f);
    auto all = m.problems;
    for (auto& v : model::CheckInvoice(m.invoice)) all.push_back(v);
    EXPECT_TRUE(all.empty()) << f << "\n" << model::ViolationsText(all, false);
  }
}

TEST(CiiInvoiceModel, RefusesWhatIsNoCiiInvoice) {
  CiiModel m;
  std::string message;
  EXPECT_FALSE(ReadCiiModel(xml::Document::parseMemory("<Invoice/>"), m, message));
  EXPECT_EQ(message, "The document is not a CII invoice (rsm:CrossIndustryInvoice).");
  const std::string broken = (fs::temp_directory_path() / "belvora-cii-broken.xml").string();
  {
    std::FILE* f = std::fopen(broken.c_str(), "w");
    std::fputs("<a>\n<b></a>", f);
    std::fclose(f);
  }
  EXPECT_FALSE(ReadCiiModelFile(broken, m, message));
  EXPECT_NE(message.find("(line 2, column"), std::string::npos) << message;
  fs::remove(broken);
  EXPECT_FALSE(ReadCiiModelFile("/nonexistent/x.xml", m, message));
  EXPECT_NE(message.find("/nonexistent/x.xml"), std::string::npos) << message;
}

TEST(CiiInvoiceModel, OnePaymentInstructionRepeatedPerAccount) {
  const std::string pm =
      R"(<ram:SpecifiedTradeSettlementPaymentMeans><ram:TypeCode>58</ram:TypeCode>
<ram:Information>SEPA</ram:Information><ram:PayeePartyCreditorFinancialAccount><ram:IBANID>)";
  const CiiModel m = ReadText(Doc(pm + "DE1</ram:IBANID></ram:PayeePartyCreditorFinancialAccount>" +
                                      "</ram:SpecifiedTradeSettlementPaymentMeans>" + pm +
                                      "DE2</ram:IBANID></ram:PayeePartyCreditorFinancialAccount>" +
                                      "</ram:SpecifiedTradeSettlementPaymentMeans>",
                                  kTotals));
  ASSERT_EQ(m.invoice.paymentMeans.size(), 1u);
  ASSERT_EQ(m.invoice.paymentMeans[0].accounts.size(), 2u);
  EXPECT_EQ(m.invoice.paymentMeans[0].accounts[1].accountId, "DE2");
}

TEST(CiiInvoiceModel, TaxPointCodeAndTotalsInTheirCurrencies) {
  const std::string tax =
      "<ram:ApplicableTradeTax><ram:CalculatedAmount>0</ram:CalculatedAmount><ram:TypeCode>VAT</"
      "ram:TypeCode>"
      "<ram:BasisAmount>0</ram:BasisAmount><ram:CategoryCode>Z</ram:CategoryCode>"
      "<ram:DueDateTypeCode>29</ram:DueDateTypeCode><ram:RateApplicablePercent>0</"
      "ram:RateApplicablePercent>"
      "</ram:ApplicableTradeTax>";
  const std::string totals = kTotals +
                             "<ram:TaxTotalAmount currencyID=\"GBP\">8.60</ram:TaxTotalAmount>" +
                             "<ram:TaxTotalAmount currencyID=\"EUR\">10.00</ram:TaxTotalAmount>";
  CiiModel m =
      ReadText(Doc("<ram:TaxCurrencyCode>GBP</ram:TaxCurrencyCode>"
                   "<ram:InvoiceCurrencyCode>EUR</ram:InvoiceCurrencyCode>" +
                       tax,
                   totals));
  EXPECT_EQ(m.invoice.taxPointDateCode, "35");
  EXPECT_EQ(m.invoice.totals.vatTotal, D("10.00"));
  EXPECT_EQ(m.invoice.totals.vatTotalInAccountingCurrency, D("8.60"));
  EXPECT_TRUE(m.problems.empty()) << model::ViolationsText(m.problems, false);

  std::string unknown = tax;
  unknown.replace(unknown.find(">29<"), 4, ">3<");
  m = ReadText(Doc(unknown, kTotals));
  EXPECT_EQ(Problems(m), (std::set<std::string>{"BR-CL-06"}));
}

TEST(CiiInvoiceModel, WhatTheModelCannotHoldIsAProblem) {
  const struct {
    const char* name;
    std::string xml;
    std::set<std::string> problems;
  } cases[] = {
      {"no summation amounts",
       Doc("", ""),
       {"BR-12", "BR-13", "BR-14", "BR-15", "BR-CO-10", "BR-CO-13", "BR-CO-16",
        "PEPPOL-EN16931-R008"}},
      {"a comma in an amount",
       Doc("", kTotals + "<ram:RoundingAmount>0,5</ram:RoundingAmount>"),
       {"BELVORA-VALUE"}},
      {"an impossible date",
       Doc("<ram:BillingSpecifiedPeriod><ram:StartDateTime><udt:DateTimeString format=\"102\">"
           "20250230</udt:DateTimeString></ram:StartDateTime></ram:BillingSpecifiedPeriod>",
           kTotals),
       {"BELVORA-VALUE"}},
      {"an empty invoicing period",
       Doc("<ram:BillingSpecifiedPeriod><ram:Description>x</ram:Description></"
           "ram:BillingSpecifiedPeriod>",
           kTotals),
       {"BR-CO-19"}},
      {"a breakdown without amounts",
       Doc("<ram:ApplicableTradeTax><ram:TypeCode>VAT</ram:TypeCode><ram:CategoryCode>Z</"
           "ram:CategoryCode>"
           "<ram:RateApplicablePercent>0</ram:RateApplicablePercent></ram:ApplicableTradeTax>",
           kTotals),
       {"BR-45", "BR-46", "BR-CO-17", "BR-Z-08", "BR-Z-09"}},
      {"an empty element in XRechnung",
       Doc("<ram:PaymentReference/>", kTotals),
       {"PEPPOL-EN16931-R008"}},
      {"an empty element outside XRechnung",
       Doc("<ram:PaymentReference/>", kTotals, "urn:cen.eu:en16931:2017"),
       {}},
      {"an empty payee",
       Doc("<ram:PayeeTradeParty></ram:PayeeTradeParty>", kTotals),
       {"BR-17", "PEPPOL-EN16931-R008"}},
      {"a VAT total in a third currency",
       Doc("<ram:TaxCurrencyCode>GBP</ram:TaxCurrencyCode><ram:InvoiceCurrencyCode>EUR</"
           "ram:InvoiceCurrencyCode>",
           kTotals + "<ram:TaxTotalAmount currencyID=\"EUR\">1</ram:TaxTotalAmount>"
                     "<ram:TaxTotalAmount currencyID=\"USD\">1</ram:TaxTotalAmount>"),
       {"BR-53", "BR-DEC-15", "PEPPOL-EN16931-R055"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Problems(ReadText(c.xml)), c.problems) << c.name;
}

TEST(CiiInvoiceModel, ValuesAsWritten) {
  const CiiModel m = ReadText(
      Doc("<ram:SpecifiedTradePaymentTerms><ram:Description>#SKONTO#TAGE=7#PROZENT=2.00#\n"
          "</ram:Description></ram:SpecifiedTradePaymentTerms>",
          kTotals + "<ram:TotalPrepaidAmount>1.000000000000000000</ram:TotalPrepaidAmount>",
          std::string(model::rules::kXRechnungCius) + " "));
  // The cash discount line keeps its line break; BT-24 keeps its blank.
  EXPECT_EQ(m.invoice.paymentTerms, "#SKONTO#TAGE=7#PROZENT=2.00#\n");
  EXPECT_EQ(m.invoice.specificationId, std::string(model::rules::kXRechnungCius) + " ");
  // Zeros beyond the twelve places a Decimal holds are dropped, no more.
  EXPECT_EQ(m.invoice.totals.paidAmount->text(), "1.000000000000");
  EXPECT_EQ(m.invoice.lines.size(), 2u);
  EXPECT_EQ(m.invoice.lines[1].id, "B");
  EXPECT_EQ(m.invoice.lines[1].sourceRow, 2u);
}

}  // namespace
}  // namespace belvora::reader
