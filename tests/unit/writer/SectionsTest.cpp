// What the sections write for the cases the whole documents do not show:
// absent terms, kept characters, dates, charges, VAT groups, terms CII
// cannot carry.

#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "GoldenInvoices.h"

namespace belvora::test::cii {
namespace {

using Change = std::function<void(model::Invoice&)>;

std::string Written(const Change& change) {
  model::Invoice inv = Standard();
  change(inv);
  return Write(inv);
}

// Expected lines as (tabs, text) pairs, each ending with CR LF.
std::string Lines(std::initializer_list<std::pair<int, std::string>> lines) {
  std::string out;
  for (const auto& [tabs, text] : lines) {
    out.append(static_cast<size_t>(tabs), '\t');
    out += text;
    out += "\r\n";
  }
  return out;
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// ---- Absent terms omit their elements, all-absent groups the group --------

struct AbsentCase {
  const char* name;
  Change change;
  std::vector<std::string> absent;   // must not be written
  std::vector<std::string> present;  // and what stays
};

class AbsentTerms : public testing::TestWithParam<AbsentCase> {};

TEST_P(AbsentTerms, AreNotWritten) {
  PinnedToday today;
  const std::string xml = Written(GetParam().change);
  for (const auto& a : GetParam().absent) EXPECT_FALSE(Has(xml, a)) << a;
  for (const auto& p : GetParam().present) EXPECT_TRUE(Has(xml, p)) << p;
}

const std::string kBuyerStart = "<ram:BuyerTradeParty>\r\n";

INSTANTIATE_TEST_SUITE_P(
    Writer, AbsentTerms,
    testing::Values(
        AbsentCase{"PartyIdentifiers",
                   [](auto&) {},
                   {"<ram:GlobalID", "<ram:LineTwo", "<ram:LineThree"},
                   {"<ram:SellerTradeParty>\r\n\t\t\t\t<ram:Name>Muster GmbH</ram:Name>"}},
        AbsentCase{"ContactGroup",
                   [](auto& i) { i.seller.contact = {}; },
                   {"<ram:PersonName>Max"},
                   {"<ram:Name>Muster GmbH</ram:Name>\r\n\t\t\t\t<ram:PostalTradeAddress>"}},
        AbsentCase{"ContactTelephone",
                   [](auto& i) { i.buyer.contact.telephone.clear(); },
                   {"+49 89"},
                   {"<ram:PersonName>Erika Beispiel</ram:PersonName>\r\n\t\t\t\t\t<ram:"
                    "EmailURIUniversalCommunication>"}},
        AbsentCase{
            "ContactName",
            [](auto& i) { i.buyer.contact.name.clear(); },
            {"Erika"},
            {"<ram:DefinedTradeContact>\r\n\t\t\t\t\t<ram:TelephoneUniversalCommunication>"}},
        AbsentCase{"NoteWithoutText",
                   [](auto& i) {
                     i.notes = {{"AAI", ""}, {"REG", "\x01\x02"}};
                   },
                   {"<ram:IncludedNote>", "<ram:SubjectCode>"},
                   {}},
        AbsentCase{"NoteSubject",
                   [](auto& i) {
                     i.notes = {{"", "Nur Text"}};
                   },
                   {"<ram:SubjectCode>"},
                   {"<ram:IncludedNote>\r\n\t\t\t<ram:Content>Nur Text</ram:Content>\r\n\t\t</"
                    "ram:IncludedNote>"}},
        AbsentCase{"TypeCodeAndProcess",
                   [](auto& i) {
                     i.typeCode.clear();
                     i.businessProcess.clear();
                   },
                   {"<ram:TypeCode>0<", "BusinessProcessSpecifiedDocumentContextParameter"},
                   {"<ram:ID>252068</ram:ID>\r\n\t\t<ram:IssueDateTime>"}},
        AbsentCase{"CountryCode",
                   [](auto& i) { i.seller.address.countryCode.clear(); },
                   {"<ram:CountryID>DE</ram:CountryID>\r\n\t\t\t\t</ram:PostalTradeAddress>\r\n"
                    "\t\t\t\t<ram:URIUniversalCommunication>\r\n\t\t\t\t\t<ram:URIID "
                    "schemeID=\"EM\">rechnung@"},
                   {"<ram:CityName>Berlin</ram:CityName>\r\n\t\t\t\t</ram:PostalTradeAddress>"}},
        AbsentCase{"BuyerVatIdentifier",
                   [](auto& i) { i.buyer.vatId.clear(); },
                   {"schemeID=\"VA\">DE</ram:ID>", "DE987654321"},
                   {"</ram:URIUniversalCommunication>\r\n\t\t\t</ram:BuyerTradeParty>"}},
        AbsentCase{"SellerVatIdentifier",
                   [](auto& i) { i.seller.vatId.clear(); },
                   {"<ram:ID schemeID=\"VA\"></ram:ID>", "DE123456789"},
                   {"</ram:URIUniversalCommunication>\r\n\t\t\t</ram:SellerTradeParty>"}},
        AbsentCase{"AccountNameAndBic",
                   [](auto& i) {
                     i.paymentMeans[0].accounts[0] = {"DE02120300000000202051", "", ""};
                   },
                   {"<ram:AccountName>", "BICID", "PayeeSpecifiedCreditorFinancialInstitution"},
                   {"<ram:IBANID>DE02120300000000202051</ram:IBANID>\r\n\t\t\t\t</"
                    "ram:PayeePartyCreditorFinancialAccount>"}},
        AbsentCase{"PaymentTextAndReference",
                   [](auto& i) {
                     i.paymentMeans[0].text.clear();
                     i.remittanceInformation.clear();
                   },
                   {"<ram:Information>", "<ram:PaymentReference>"},
                   {"<ram:TypeCode>58</ram:TypeCode>"}},
        AbsentCase{"ItemDescriptionAndSellerId",
                   [](auto& i) {
                     for (auto& l : i.lines) l.itemDescription = l.sellerItemId = "";
                   },
                   {"<ram:Description>Widget", "<ram:SellerAssignedID>"},
                   {"<ram:SpecifiedTradeProduct>\r\n\t\t\t\t<ram:Name>Widget</ram:Name>\r\n\t\t\t</"
                    "ram:SpecifiedTradeProduct>"}},
        AbsentCase{"GrossPriceAndBaseQuantity",
                   [](auto&) {},
                   {"GrossPrice", "BasisQuantity"},
                   {"<ram:NetPriceProductTradePrice>\r\n\t\t\t\t\t<ram:ChargeAmount>100</"
                    "ram:ChargeAmount>\r\n\t\t\t\t</ram:NetPriceProductTradePrice>"}},
        AbsentCase{"PaymentTermsText",
                   [](auto& i) { i.paymentTerms.clear(); },
                   {"<ram:Description>Zahlbar"},
                   {"<ram:SpecifiedTradePaymentTerms>\r\n\t\t\t<ram:DueDateDateTime>"}},
        AbsentCase{"PaymentTermsAltogether",
                   [](auto& i) {
                     i.paymentTerms.clear();
                     i.dueDate.reset();
                   },
                   {"SpecifiedTradePaymentTerms"},
                   {}},
        AbsentCase{"PaidAndRounding",
                   [](auto& i) { i.totals.paidAmount = i.totals.roundingAmount = std::nullopt; },
                   {"TotalPrepaidAmount", "RoundingAmount"},
                   {"<ram:DuePayableAmount>351.00</ram:DuePayableAmount>"}},
        AbsentCase{"TradingNameOfControlCharactersOnly",
                   [](auto& i) { i.seller.tradingName = "\x01\x1F"; },
                   {"SpecifiedLegalOrganization"},
                   {}},
        AbsentCase{"EmptyPaymentMeans",
                   [](auto& i) { i.paymentMeans = {{}}; },
                   {"SpecifiedTradeSettlementPaymentMeans"},
                   {}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Characters are kept; what XML forbids is removed ----------------------

TEST(Text, EveryCharacterIsKeptAndTheSpecialsEscaped) {
  PinnedToday today;
  const std::string xml = Written([](model::Invoice& i) {
    i.buyer.name =
        "Testk\xC3\xA4ufer & S\xC3\xB6hne <Nord> \"S\xC3\xBC\x64\" O'Neill \x01\x0C\xE2\x82\xAC";
    i.seller.contact.name =
        "M\xC3\xBCller\tStra\xC3\x9F"
        "e";
    i.notes = {{"AAI", "Zeile 1\r\nZeile 2"}};
    i.attachments = {{"A&B", "", "", "x", "text/csv", "a\"b&c.csv", ""}};
  });
  EXPECT_TRUE(Has(xml,
                  "<ram:Name>Testk\xC3\xA4ufer &amp; S\xC3\xB6hne &lt;Nord&gt; &quot;S\xC3\xBC"
                  "d&quot; O&apos;Neill \xE2\x82\xAC</ram:Name>"));
  EXPECT_TRUE(Has(xml,
                  "<ram:PersonName>M\xC3\xBCller\tStra\xC3\x9F"
                  "e</ram:PersonName>"));
  EXPECT_TRUE(Has(xml, "<ram:Content>Zeile 1\r\nZeile 2</ram:Content>"));
  EXPECT_TRUE(Has(xml,
                  "<ram:AttachmentBinaryObject filename=\"a&quot;b&amp;c.csv\" "
                  "mimeCode=\"text/csv\">eA==</ram:AttachmentBinaryObject>"));
  EXPECT_FALSE(Has(xml, "Testkaeufer"));
}

// ---- Dates: delivery date and billing period --------------------------------

TEST(Dates, DeliveryDateIsTheActualDeliveryAndThePeriodOnlyWhatIsGiven) {
  PinnedToday today;
  const std::string delivery =
      Lines({{2, "<ram:ApplicableHeaderTradeDelivery>"},
             {3, "<ram:ActualDeliverySupplyChainEvent>"},
             {4, "<ram:OccurrenceDateTime>"},
             {5, "<udt:DateTimeString format=\"102\">20240228</udt:DateTimeString>"},
             {4, "</ram:OccurrenceDateTime>"},
             {3, "</ram:ActualDeliverySupplyChainEvent>"},
             {2, "</ram:ApplicableHeaderTradeDelivery>"}});
  const std::string start =
      Lines({{2, "<ram:BillingSpecifiedPeriod>"},
             {3, "<ram:StartDateTime>"},
             {4, "<udt:DateTimeString format=\"102\">20240201</udt:DateTimeString>"},
             {3, "</ram:StartDateTime>"}});
  std::string xml = Written([](auto& i) { i.delivery.actualDate = Day(2024, 2, 28); });
  EXPECT_TRUE(Has(xml, delivery));
  EXPECT_FALSE(Has(xml, "BillingSpecifiedPeriod"));

  // A start without an end stays without one (no invented today).
  xml = Written([](auto& i) {
    i.delivery.actualDate = Day(2024, 2, 28);
    i.invoicingPeriod.start = Day(2024, 2, 1);
  });
  EXPECT_TRUE(Has(xml, delivery));
  EXPECT_TRUE(Has(xml, start + Lines({{2, "</ram:BillingSpecifiedPeriod>"}})));
  EXPECT_FALSE(Has(xml, "20240315"));

  xml = Written([](auto& i) {
    i.invoicingPeriod = {Day(2024, 2, 1), Day(2024, 2, 29)};
    i.taxPointDate = Day(2024, 2, 29);
  });
  EXPECT_TRUE(Has(xml, "<ram:ApplicableHeaderTradeDelivery/>"));
  EXPECT_TRUE(Has(
      xml, start + Lines({{3, "<ram:EndDateTime>"},
                          {4, "<udt:DateTimeString format=\"102\">20240229</udt:DateTimeString>"},
                          {3, "</ram:EndDateTime>"},
                          {2, "</ram:BillingSpecifiedPeriod>"}})));
  EXPECT_TRUE(Has(xml, Lines({{3, "<ram:TaxPointDate>"},
                              {4, "<udt:DateString format=\"102\">20240229</udt:DateString>"},
                              {3, "</ram:TaxPointDate>"}})));
}

// ---- Allowances, charges and VAT groups ---------------------------------------

std::string TaxBlock(const std::string& tax, const std::string& basis, const std::string& category,
                     const std::string& rate) {
  std::string out = Lines({{2, "<ram:ApplicableTradeTax>"},
                           {3, "<ram:CalculatedAmount>" + tax + "</ram:CalculatedAmount>"},
                           {3, "<ram:TypeCode>VAT</ram:TypeCode>"},
                           {3, "<ram:BasisAmount>" + basis + "</ram:BasisAmount>"},
                           {3, "<ram:CategoryCode>" + category + "</ram:CategoryCode>"}});
  if (!rate.empty())
    out += Lines({{3, "<ram:RateApplicablePercent>" + rate + "</ram:RateApplicablePercent>"}});
  return out + Lines({{2, "</ram:ApplicableTradeTax>"}});
}

TEST(AllowancesAndCharges, ChargesAreWrittenAndCounted) {
  PinnedToday today;
  const std::string xml = Written([](auto& i) {
    i.allowancesCharges = {{true, Dec("5"), Dec("50"), Dec("10"), "S", Dec("7"), "Fracht", "FC"},
                           {false, Dec("10"), {}, {}, "S", Dec("19"), "Rabatt", ""}};
  });
  EXPECT_TRUE(Has(xml, Lines({{2, "<ram:SpecifiedTradeAllowanceCharge>"},
                              {3, "<ram:ChargeIndicator>"},
                              {4, "<udt:Indicator>true</udt:Indicator>"},
                              {3, "</ram:ChargeIndicator>"},
                              {3, "<ram:CalculationPercent>10</ram:CalculationPercent>"},
                              {3, "<ram:BasisAmount>50.00</ram:BasisAmount>"},
                              {3, "<ram:ActualAmount>5.00</ram:ActualAmount>"},
                              {3, "<ram:ReasonCode>FC</ram:ReasonCode>"},
                              {3, "<ram:Reason>Fracht</ram:Reason>"},
                              {4, "<ram:CategoryTradeTax>"},
                              {5, "<ram:TypeCode>VAT</ram:TypeCode>"},
                              {5, "<ram:CategoryCode>S</ram:CategoryCode>"},
                              {5, "<ram:RateApplicablePercent>7.00</ram:RateApplicablePercent>"},
                              {4, "</ram:CategoryTradeTax>"},
                              {2, "</ram:SpecifiedTradeAllowanceCharge>"}})));
  // No empty reason code for the allowance that has none.
  EXPECT_TRUE(Has(xml, "<ram:ActualAmount>10.00</ram:ActualAmount>\r\n\t\t\t<ram:Reason>Rabatt"));
  EXPECT_TRUE(
      Has(xml, TaxBlock("45.60", "240.00", "S", "19.00") + TaxBlock("3.85", "55.00", "S", "7.00")));
  EXPECT_TRUE(
      Has(xml, Lines({{3, "<ram:LineTotalAmount>300.00</ram:LineTotalAmount>"},
                      {3, "<ram:ChargeTotalAmount>5.00</ram:ChargeTotalAmount>"},
                      {3, "<ram:AllowanceTotalAmount>10.00</ram:AllowanceTotalAmount>"},
                      {3, "<ram:TaxBasisTotalAmount>295.00</ram:TaxBasisTotalAmount>"},
                      {3, "<ram:TaxTotalAmount currencyID=\"EUR\">49.45</ram:TaxTotalAmount>"}})));
}

TEST(VatGroups, CategoriesAtTheSameRateStaySeparateAndOLinesHaveNoRate) {
  PinnedToday today;
  const std::string xml = Written([](auto& i) {
    i.lines = {Item("1", "1", "C62", "10", "10", "E", "0", "Kurs"),
               Item("2", "1", "C62", "5", "5", "Z", "0", "Buch"),
               Item("3", "1", "C62", "2", "2", "E", "0.00", "Kurs 2"),
               Item("4", "1", "C62", "1", "1", "O", nullptr, "Spende")};
    i.exemptions = {{"E", "Steuerfrei", "VATEX-EU-132-1I"}};
  });
  EXPECT_TRUE(
      Has(xml, Lines({{2, "<ram:ApplicableTradeTax>"},
                      {3, "<ram:CalculatedAmount>0.00</ram:CalculatedAmount>"},
                      {3, "<ram:TypeCode>VAT</ram:TypeCode>"},
                      {3, "<ram:ExemptionReason>Steuerfrei</ram:ExemptionReason>"},
                      {3, "<ram:BasisAmount>12.00</ram:BasisAmount>"},
                      {3, "<ram:CategoryCode>E</ram:CategoryCode>"},
                      {3, "<ram:ExemptionReasonCode>VATEX-EU-132-1I</ram:ExemptionReasonCode>"},
                      {3, "<ram:RateApplicablePercent>0.00</ram:RateApplicablePercent>"},
                      {2, "</ram:ApplicableTradeTax>"}}) +
                   TaxBlock("0.00", "5.00", "Z", "0.00") + TaxBlock("0.00", "1.00", "O", "0.00")));
  EXPECT_TRUE(Has(xml, Lines({{5, "<ram:CategoryCode>O</ram:CategoryCode>"},
                              {4, "</ram:ApplicableTradeTax>"}})));
}

// ---- Terms of the model in their CII places -------------------------------------

TEST(Terms, NumbersKeepTheirDecimalsAndLineIdsTheirText) {
  PinnedToday today;
  const std::string xml = Written([](auto& i) {
    i.lines[0].id = "A-01";
    i.lines[0].quantity = Dec("30.000");
    i.lines[0].netPrice = Dec("158.125");
    i.lines[0].netAmount = Dec("4743.75");
    i.lines[0].baseQuantity = Dec("1");
  });
  EXPECT_TRUE(Has(xml, "<ram:LineID>A-01</ram:LineID>"));
  EXPECT_TRUE(Has(xml, Lines({{5, "<ram:ChargeAmount>158.125</ram:ChargeAmount>"},
                              {5, "<ram:BasisQuantity>1.00</ram:BasisQuantity>"}})));
  EXPECT_TRUE(Has(xml, "<ram:BilledQuantity unitCode=\"H87\">30.000</ram:BilledQuantity>"));
  EXPECT_TRUE(Has(xml, "<ram:LineTotalAmount>4743.75</ram:LineTotalAmount>"));
  EXPECT_TRUE(Has(xml, "<ram:LineTotalAmount>50.00</ram:LineTotalAmount>"));
}

TEST(Terms, PlainIdentifiersPrecedeGlobalOnesAndAccountsRepeatTheirMeans) {
  PinnedToday today;
  const std::string xml = Written([](auto& i) {
    i.seller.ids = {{"4000001123452", "0088"}, {"L-1", ""}, {"L-2", ""}};
    i.paymentMeans[0].accounts.push_back({"12345678", "Konto 2", ""});
  });
  EXPECT_TRUE(Has(xml, Lines({{3, "<ram:SellerTradeParty>"},
                              {4, "<ram:ID>L-1</ram:ID>"},
                              {4, "<ram:ID>L-2</ram:ID>"},
                              {4, "<ram:GlobalID schemeID=\"0088\">4000001123452</ram:GlobalID>"},
                              {4, "<ram:Name>Muster GmbH</ram:Name>"}})));
  EXPECT_TRUE(Has(xml, Lines({{3, "<ram:SpecifiedTradeSettlementPaymentMeans>"},
                              {4, "<ram:TypeCode>58</ram:TypeCode>"},
                              {4, "<ram:Information>Ueberweisung</ram:Information>"},
                              {4, "<ram:PayeePartyCreditorFinancialAccount>"},
                              {5, "<ram:AccountName>Konto 2</ram:AccountName>"},
                              {5, "<ram:ProprietaryID>12345678</ram:ProprietaryID>"},
                              {4, "</ram:PayeePartyCreditorFinancialAccount>"},
                              {3, "</ram:SpecifiedTradeSettlementPaymentMeans>"}})));
  size_t blocks = 0;
  for (size_t p = xml.find("<ram:TypeCode>58<"); p != std::string::npos;
       p = xml.find("<ram:TypeCode>58<", p + 1))
    ++blocks;
  EXPECT_EQ(blocks, 2u);
}

// The card number goes in as the caller masked it, not cut to ten characters.
TEST(Terms, CardNumberAsGiven) {
  PinnedToday today;
  const std::string xml = Written([](auto& i) {
    i.paymentMeans = {{"48", "Karte", {}, "XXXXXXXXXXXX1234", "Max Karte", ""}};
  });
  EXPECT_TRUE(Has(xml, Lines({{4, "<ram:ApplicableTradeSettlementFinancialCard>"},
                              {5, "<ram:ID>XXXXXXXXXXXX1234</ram:ID>"},
                              {5, "<ram:CardholderName>Max Karte</ram:CardholderName>"},
                              {4, "</ram:ApplicableTradeSettlementFinancialCard>"}})));
}

TEST(Terms, ASpecificationIdentifierOfTheInvoiceIsDeclared) {
  PinnedToday today;
  const std::string cvd =
      "urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0#compliant#urn:"
      "xeinkauf.de:kosit:xrechnung:cvd_0.9";
  EXPECT_TRUE(Has(Written([&](auto& i) { i.specificationId = cvd; }), "<ram:ID>" + cvd + "</"));
  EXPECT_TRUE(
      Has(Written([](auto& i) { i.specificationId.clear(); }),
          "<ram:ID>urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0<"));
}

// ---- Terms that CII cannot carry stop the writer --------------------------------

struct RefusedCase {
  const char* name;
  Change change;
  std::string message;
};

class Refused : public testing::TestWithParam<RefusedCase> {};

TEST_P(Refused, WithAMessageAndNoText) {
  model::Invoice inv = Standard();
  GetParam().change(inv);
  model::ComputeTotals(inv);
  try {
    writer::WriteCii(inv);
    FAIL() << "expected the writer to refuse the invoice";
  } catch (const std::invalid_argument& e) {
    EXPECT_EQ(e.what(), GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Writer, Refused,
    testing::Values(
        RefusedCase{"TwoPrecedingInvoices",
                    [](auto& i) {
                      i.precedingInvoices = {{"R-1", {}}, {"", Day(2024, 1, 2)}};
                    },
                    "CII holds one preceding invoice reference (BG-3); the invoice has 2."},
        RefusedCase{"AccountingTotalWithoutCurrency",
                    [](auto& i) { i.totals.vatTotalInAccountingCurrency = Dec("1"); },
                    "The VAT total in accounting currency (BT-111) needs the accounting currency "
                    "(BT-6)."},
        RefusedCase{"TaxPointWithoutBreakdown",
                    [](auto& i) {
                      i.lines.clear();
                      i.taxPointDateCode = "3";
                    },
                    "The tax point date (BT-7, BT-8) needs a VAT breakdown (BG-23) to be written "
                    "in."},
        RefusedCase{"PaymentMeansOfDifferentCodes",
                    [](auto& i) {
                      i.paymentMeans.push_back({"30", "Ueberweisung", {}, "", "", ""});
                    },
                    "CII holds one payment means code and text (BT-81, BT-82) for all payment "
                    "instructions; the invoice has \"58\" and \"30\"."},
        RefusedCase{"DiscountWithoutGrossPrice",
                    [](auto& i) { i.lines[1].priceDiscount = Dec("1"); },
                    "The item price discount (BT-147) needs the gross price (BT-148), line 2."}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Sections in the order the creation run calls them ----------------------------

TEST(Sections, EachWritesItsPartInOrder) {
  PinnedToday today(2025, 12, 31);
  model::Invoice inv = DirectDebit();
  model::ComputeTotals(inv);
  writer::InvoiceWriter w(inv);
  std::map<std::string, std::string> part;
  size_t mark = 0;
  auto step = [&](const char* name, auto&& call) {
    call();
    part[name] = w.text().substr(mark);
    mark = w.text().size();
  };
  step("header", [&] { w.writeHeader(); });
  step("lines", [&] { w.writeLineItems(); });
  step("seller", [&] { w.writeTradeParty(true); });
  step("buyer", [&] { w.writeTradeParty(false); });
  step("settlement", [&] { w.writeSettlement(); });
  step("tax", [&] { w.writeTaxBreakdown(); });
  step("period", [&] { w.writeBillingPeriod(); });
  step("allowances", [&] { w.writeAllowances(); });
  step("terms", [&] { w.writePaymentTerms(); });
  step("summation", [&] { w.writeSummation(); });
  EXPECT_EQ(w.text(), writer::WriteCii(inv));

  auto starts = [](const std::string& t, const std::string& p) { return t.rfind(p, 0) == 0; };
  auto ends = [](const std::string& t, const std::string& s) {
    return t.size() >= s.size() && t.compare(t.size() - s.size(), s.size(), s) == 0;
  };
  EXPECT_TRUE(starts(part["header"],
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                     "<!-- Mit belvora Version: 3.2.10 erstellt. -->\r\n"));
  EXPECT_TRUE(Has(part["header"], "\r\n<!-- Erstellt am: 31.12.2025 -->\r\n"));
  EXPECT_TRUE(ends(part["header"], Lines({{1, "<rsm:SupplyChainTradeTransaction>"},
                                          {2, "<ram:IncludedSupplyChainTradeLineItem>"}})));
  EXPECT_TRUE(ends(part["lines"], Lines({{2, "</ram:IncludedSupplyChainTradeLineItem>"},
                                         {2, "<ram:ApplicableHeaderTradeAgreement>"}})));
  EXPECT_TRUE(starts(part["seller"],
                     Lines({{3, "<ram:BuyerReference>04011000-12345-34</ram:BuyerReference>"},
                            {3, "<ram:SellerTradeParty>"}})));
  EXPECT_TRUE(ends(part["buyer"], Lines({{2, "<ram:SpecifiedProcuringProject>"},
                                         {3, "<ram:ID>P-17</ram:ID>"},
                                         {3, "<ram:Name>P-17</ram:Name>"},
                                         {2, "</ram:SpecifiedProcuringProject>"}})));
  EXPECT_TRUE(starts(
      part["settlement"],
      Lines({{2, "</ram:ApplicableHeaderTradeAgreement>"},
             {2, "<ram:ApplicableHeaderTradeDelivery/>"},
             {2, "<ram:ApplicableHeaderTradeSettlement>"},
             {3, "<ram:CreditorReferenceID>DE98ZZZ09999999999</ram:CreditorReferenceID>"}})));
  EXPECT_TRUE(starts(part["tax"], "\t\t<ram:ApplicableTradeTax>\r\n"));
  EXPECT_TRUE(starts(part["period"], "\t\t<ram:BillingSpecifiedPeriod>\r\n"));
  EXPECT_TRUE(starts(part["allowances"], "\t\t<ram:SpecifiedTradeAllowanceCharge>\r\n"));
  EXPECT_TRUE(starts(part["terms"], "\t\t<ram:SpecifiedTradePaymentTerms>\r\n"));
  EXPECT_TRUE(ends(part["summation"], Lines({{2, "</ram:ApplicableHeaderTradeSettlement>"},
                                             {1, "</rsm:SupplyChainTradeTransaction>"}}) +
                                          "</rsm:CrossIndustryInvoice>"));
}

TEST(Sections, RootElementDeclaresTheNamespacesAlignedUnderTheFirst) {
  PinnedToday today;
  std::string pad(26, ' ');
  EXPECT_TRUE(Has(
      Write(Standard()),
      "\r\n<rsm:CrossIndustryInvoice "
      "xmlns:rsm=\"urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100\"\r\n" +
          pad +
          "xmlns:ram=\"urn:un:unece:uncefact:data:standard:"
          "ReusableAggregateBusinessInformationEntity:100\"\r\n" +
          pad + "xmlns:udt=\"urn:un:unece:uncefact:data:standard:UnqualifiedDataType:100\"\r\n" +
          pad + "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\r\n" + pad +
          "xmlns=\"urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100\"\r\n" + pad +
          "xmlns:qdt=\"urn:un:unece:uncefact:data:standard:QualifiedDataType:100\">\r\n"
          "\t<rsm:ExchangedDocumentContext>\r\n"));
}

}  // namespace
}  // namespace belvora::test::cii
