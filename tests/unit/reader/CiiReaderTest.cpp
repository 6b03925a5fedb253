#include <filesystem>
#include <fstream>
#include <sstream>

#include "ReaderTestSupport.h"

namespace fs = std::filesystem;
using namespace belvora;
using namespace belvora::reader;
using belvora::test::Cii;

namespace {

const char* kDocument = R"(<ram:ID>RE-4711</ram:ID><ram:TypeCode>380</ram:TypeCode>
<ram:IssueDateTime><udt:DateTimeString format="102">20240305</udt:DateTimeString></ram:IssueDateTime>
<ram:IncludedNote><ram:Content>Erste Notiz</ram:Content><ram:SubjectCode>AAI</ram:SubjectCode></ram:IncludedNote>
<ram:IncludedNote><ram:Content>Zweite Notiz</ram:Content><ram:SubjectCode>REG</ram:SubjectCode></ram:IncludedNote>)";

const char* kAgreement = R"(
<ram:SellerTradeParty><ram:Name>Muster GmbH</ram:Name>
 <ram:DefinedTradeContact><ram:PersonName>Anna Muster</ram:PersonName>
  <ram:TelephoneUniversalCommunication><ram:CompleteNumber>0421 123</ram:CompleteNumber></ram:TelephoneUniversalCommunication>
  <ram:EmailURIUniversalCommunication><ram:URIID>anna@muster.de</ram:URIID></ram:EmailURIUniversalCommunication>
 </ram:DefinedTradeContact>
 <ram:PostalTradeAddress><ram:PostcodeCode>28195</ram:PostcodeCode><ram:LineOne>Hauptstr. 1</ram:LineOne>
  <ram:CityName>Bremen</ram:CityName><ram:CountryID>DE</ram:CountryID></ram:PostalTradeAddress>
 <ram:URIUniversalCommunication><ram:URIID schemeID="EM">rechnung@muster.de</ram:URIID></ram:URIUniversalCommunication>
 <ram:SpecifiedTaxRegistration><ram:ID schemeID="FC">12/345/67890</ram:ID></ram:SpecifiedTaxRegistration>
 <ram:SpecifiedTaxRegistration><ram:ID schemeID="VA">DE123456789</ram:ID></ram:SpecifiedTaxRegistration>
</ram:SellerTradeParty>
<ram:BuyerTradeParty><ram:Name>Kunde AG</ram:Name></ram:BuyerTradeParty>)";

std::string line(const std::string& id, const std::string& price, const std::string& rate,
                 const std::string& extra = "") {
  return R"(<ram:IncludedSupplyChainTradeLineItem>
<ram:AssociatedDocumentLineDocument><ram:LineID>)" +
         id + R"(</ram:LineID></ram:AssociatedDocumentLineDocument>
<ram:SpecifiedTradeProduct><ram:Name>Artikel )" +
         id +
         R"(</ram:Name><ram:Description>Beschreibung</ram:Description></ram:SpecifiedTradeProduct>
<ram:SpecifiedLineTradeAgreement><ram:NetPriceProductTradePrice><ram:ChargeAmount>)" +
         price + "</ram:ChargeAmount>" + extra +
         R"(</ram:NetPriceProductTradePrice></ram:SpecifiedLineTradeAgreement>
<ram:SpecifiedLineTradeDelivery><ram:BilledQuantity unitCode="H87">2.5</ram:BilledQuantity></ram:SpecifiedLineTradeDelivery>
<ram:SpecifiedLineTradeSettlement><ram:ApplicableTradeTax><ram:RateApplicablePercent>)" +
         rate + R"(</ram:RateApplicablePercent></ram:ApplicableTradeTax>
<ram:SpecifiedTradeAllowanceCharge><ram:ChargeIndicator><udt:Indicator>false</udt:Indicator></ram:ChargeIndicator>
<ram:ActualAmount>1.00</ram:ActualAmount><ram:Reason>Zeilenrabatt</ram:Reason></ram:SpecifiedTradeAllowanceCharge>
<ram:SpecifiedTradeSettlementLineMonetarySummation><ram:LineTotalAmount>1234.5</ram:LineTotalAmount></ram:SpecifiedTradeSettlementLineMonetarySummation>
</ram:SpecifiedLineTradeSettlement></ram:IncludedSupplyChainTradeLineItem>
)";
}

const char* kSettlement = R"(<ram:InvoiceCurrencyCode>EUR</ram:InvoiceCurrencyCode>
<ram:SpecifiedTradeSettlementPaymentMeans><ram:TypeCode>58</ram:TypeCode>
 <ram:PayeePartyCreditorFinancialAccount><ram:IBANID>DE02120300000000202051</ram:IBANID><ram:AccountName>Muster GmbH</ram:AccountName></ram:PayeePartyCreditorFinancialAccount>
 <ram:PayeeSpecifiedCreditorFinancialInstitution><ram:BICID>BYLADEM1001</ram:BICID></ram:PayeeSpecifiedCreditorFinancialInstitution>
</ram:SpecifiedTradeSettlementPaymentMeans>
<ram:ApplicableTradeTax><ram:CalculatedAmount>1330.00</ram:CalculatedAmount><ram:TypeCode>VAT</ram:TypeCode>
 <ram:BasisAmount>7000.00</ram:BasisAmount><ram:CategoryCode>S</ram:CategoryCode><ram:RateApplicablePercent>19.00</ram:RateApplicablePercent></ram:ApplicableTradeTax>
<ram:ApplicableTradeTax><ram:CalculatedAmount>70</ram:CalculatedAmount><ram:TypeCode>VAT</ram:TypeCode>
 <ram:BasisAmount>1000</ram:BasisAmount><ram:CategoryCode>S</ram:CategoryCode><ram:RateApplicablePercent>7.00</ram:RateApplicablePercent></ram:ApplicableTradeTax>
<ram:SpecifiedTradeAllowanceCharge><ram:ChargeIndicator><udt:Indicator>true</udt:Indicator></ram:ChargeIndicator>
 <ram:CalculationPercent>2.5</ram:CalculationPercent><ram:BasisAmount>100.00</ram:BasisAmount><ram:ActualAmount>2.50</ram:ActualAmount>
 <ram:ReasonCode>FC</ram:ReasonCode><ram:Reason>Fracht</ram:Reason></ram:SpecifiedTradeAllowanceCharge>
<ram:SpecifiedTradePaymentTerms><ram:Description>Zahlbar in 14 Tagen</ram:Description>
 <ram:DueDateDateTime><udt:DateTimeString format="102">20240319</udt:DateTimeString></ram:DueDateDateTime></ram:SpecifiedTradePaymentTerms>
<ram:SpecifiedTradeSettlementHeaderMonetarySummation>
 <ram:LineTotalAmount>8000.00</ram:LineTotalAmount><ram:ChargeTotalAmount>2.50</ram:ChargeTotalAmount>
 <ram:AllowanceTotalAmount>0.00</ram:AllowanceTotalAmount><ram:TaxBasisTotalAmount>8002.50</ram:TaxBasisTotalAmount>
 <ram:TaxTotalAmount currencyID="EUR">1400.00</ram:TaxTotalAmount><ram:TaxTotalAmount currencyID="USD">1500.00</ram:TaxTotalAmount>
 <ram:GrandTotalAmount>9402.50</ram:GrandTotalAmount><ram:TotalPrepaidAmount>1000.00</ram:TotalPrepaidAmount>
 <ram:DuePayableAmount>8402.50</ram:DuePayableAmount>
</ram:SpecifiedTradeSettlementHeaderMonetarySummation>)";

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string reference(const std::string& id, const std::string& binary,
                      const std::string& uri = "") {
  return "<ram:AdditionalReferencedDocument><ram:IssuerAssignedID>" + id +
         "</ram:IssuerAssignedID>" + (uri.empty() ? "" : "<ram:URIID>" + uri + "</ram:URIID>") +
         "<ram:TypeCode>916</ram:TypeCode>" + binary + "</ram:AdditionalReferencedDocument>";
}

class CiiReader : public belvora::test::ReaderTest {};

}  // namespace

TEST_F(CiiReader, HeaderPartiesPaymentAndTotalsInGerman) {
  ASSERT_TRUE(
      read(write("re.xml", Cii(kDocument, line("1", "100", "19"), kAgreement, kSettlement)), "DE"));
  EXPECT_EQ(view_.syntax, SyntaxCII);
  const auto& r = view_.txtRechnungdaten;
  EXPECT_EQ(r[RoutingID], "urn:xrechnung");
  EXPECT_EQ(r[InvoiceNumber], "RE-4711");
  EXPECT_EQ(r[InvoiceDate], "05.03.2024");
  EXPECT_EQ(r[InvoiceType], "380");
  // Only the first note is shown.
  EXPECT_EQ(r[Subject], "AAI");
  EXPECT_EQ(r[PaymentMethod], "Erste Notiz");
  EXPECT_EQ(r[PayableBy], "19.03.2024");
  EXPECT_EQ(r[Remarks], "Zahlbar in 14 Tagen");
  EXPECT_EQ(view_.txtSonstige[BusinessProcess], "urn:process");
  EXPECT_EQ(view_.txtSonstige[PayeeAccountName], "Muster GmbH");
  EXPECT_EQ(view_.txtSonstige[PayeeIBAN], "DE02120300000000202051");
  EXPECT_EQ(view_.txtSonstige[PayeeBIC], "BYLADEM1001");

  const auto& s = view_.txtSeller;
  EXPECT_EQ(s[Name], "Muster GmbH");
  EXPECT_EQ(s[TaxNumber], "12/345/67890");  // the first registration, whatever its scheme
  EXPECT_EQ(s[RecipiedEMail], "rechnung@muster.de");
  EXPECT_EQ(s[Street], "Hauptstr. 1");
  EXPECT_EQ(s[Country], "DE");
  EXPECT_EQ(s[Zip], "28195");
  EXPECT_EQ(s[City], "Bremen");
  EXPECT_EQ(s[ContactPerson], "Anna Muster");
  EXPECT_EQ(s[ContactEmail], "anna@muster.de");
  EXPECT_EQ(s[ContactPhone], "0421 123");
  EXPECT_EQ(view_.txtBuyer[Name], "Kunde AG");
  EXPECT_EQ(view_.txtBuyer[City], "");

  // The summation overwrites the tax grid's sums; the first TaxTotalAmount counts.
  EXPECT_EQ(r[TaxAmount], "1.400,00");
  EXPECT_EQ(r[TotalAmount], "9.402,50");
  EXPECT_EQ(r[CurrencyCode], "EUR");
  EXPECT_EQ(r[TotalCurrencyCode], "EUR");
  const auto& t = view_.txtSonstige;
  EXPECT_EQ(t[SumOfNet], "8.000,00");
  EXPECT_EQ(t[TaxBasisTotal], "8.002,50");
  EXPECT_EQ(t[TaxTotal], "1.400,00");
  EXPECT_EQ(t[AllowanceTotal], "0,00");
  EXPECT_EQ(t[ChargeTotal], "2,50");
  EXPECT_EQ(t[Prepayment], "1.000,00");
  EXPECT_EQ(t[RoundingAmount], "0,00");  // missing amount counts as 0
  EXPECT_EQ(t[PaymentDue], "8.402,50");

  ASSERT_EQ(view_.lvUst.rows.size(), 2u);
  EXPECT_EQ(view_.lvUst.rows[1].cells, (std::vector<std::string>{"", "7.00", "70,00", "1.000,00"}));
  EXPECT_EQ(settings_.viewNumberFormat, "#,##0.00");
}

TEST_F(CiiReader, LineGridInEnglishWithBaseQuantityRateAndColour) {
  const std::string lines = line("1", "-10.00", "7") + line("2", "1500", "19") +
                            line("3", "3", "5.5", "<ram:BasisQuantity>100.000</ram:BasisQuantity>");
  ASSERT_TRUE(read(write("re.xml", Cii(kDocument, lines, kAgreement, kSettlement))));
  ASSERT_EQ(view_.lvTable.rows.size(), 3u);
  const auto& first = view_.lvTable.rows[0];
  // The first base quantity of the document shows in every row, with ",".
  EXPECT_EQ(first.cells, (std::vector<std::string>{"1", "Artikel 1", "Beschreibung", "2.50",
                                                   "-10.00", "100,000", "7", "1,234.50"}));
  EXPECT_EQ(first.color, 255);
  EXPECT_EQ(view_.lvTable.rows[1].cells[4], "1,500.00");
  EXPECT_EQ(view_.lvTable.rows[1].cells[6], "19");
  EXPECT_EQ(view_.lvTable.rows[1].color, 0);
  EXPECT_EQ(view_.lvTable.rows[2].cells[5], "100,000");
  EXPECT_EQ(view_.lvTable.rows[2].cells[6], "6");
  // Tax grid: rate as written in the document.
  EXPECT_EQ(view_.lvUst.rows[0].cells[1], "19.00");
  EXPECT_EQ(view_.lvUst.rows[0].cells[2], "1,330.00");
}

TEST_F(CiiReader, WithoutBaseQuantityEveryRowShowsOne) {
  ASSERT_TRUE(read(write("re.xml", Cii(kDocument, line("1", "5", "19") + line("2", "6", "19"),
                                       kAgreement, kSettlement))));
  for (const auto& row : view_.lvTable.rows) EXPECT_EQ(row.cells[5], "1.00");
}

TEST_F(CiiReader, AllowancesOfLinesAndDocumentAsWritten) {
  ASSERT_TRUE(read(write("re.xml", Cii(kDocument, line("1", "5", "19") + line("2", "6", "19"),
                                       kAgreement, kSettlement)),
                   "DE"));
  ASSERT_EQ(view_.lvAbzuege.rows.size(), 3u);
  EXPECT_EQ(view_.lvAbzuege.rows[0].cells,
            (std::vector<std::string>{"Zeilenrabatt", "", "", "1.00", ""}));
  // A charge looks like an allowance; numbers keep their decimal point.
  EXPECT_EQ(view_.lvAbzuege.rows[2].cells,
            (std::vector<std::string>{"Fracht", "FC", "2.5", "2.50", "100.00"}));
}

TEST_F(CiiReader, EveryLineIsReadBeyondTwoHundredFiftySix) {
  std::string lines;
  for (int i = 1; i <= 300; ++i) lines += line(std::to_string(i), "1", "19");
  ASSERT_TRUE(read(write("re.xml", Cii(kDocument, lines, kAgreement, kSettlement))));
  ASSERT_EQ(view_.lvTable.rows.size(), 300u);
  EXPECT_EQ(view_.lvTable.rows[299].cells[0], "300");
  EXPECT_EQ(view_.lvAbzuege.rows.size(), 301u);
}

TEST_F(CiiReader, MissingPartsLeaveFieldsAsTheyWere) {
  view_.txtSonstige[PayeeIBAN] = "DE-ALT";
  view_.txtSonstige[PayeeBIC] = "BIC-ALT";
  const std::string document =
      "<ram:ID>RE-1</ram:ID><ram:IssueDateTime><udt:DateTimeString "
      "format=\"102\">20240101</udt:DateTimeString></ram:IssueDateTime>";
  const std::string settlement =
      "<ram:SpecifiedTradePaymentTerms><ram:Description>sofort</ram:Description>"
      "</ram:SpecifiedTradePaymentTerms>";
  ASSERT_TRUE(
      read(write("re.xml", Cii(document, "", "<ram:SellerTradeParty/>", settlement)), "DE"));
  const auto& r = view_.txtRechnungdaten;
  EXPECT_EQ(r[InvoiceType], "380");
  EXPECT_EQ(r[PayableBy], "");
  EXPECT_EQ(r[Remarks], "sofort");
  EXPECT_EQ(r[TaxAmount], "0,00");
  EXPECT_EQ(r[TotalAmount], "0,00");
  EXPECT_EQ(r[CurrencyCode], "");
  for (std::size_t i = SumOfNet; i <= PaymentDue; ++i) EXPECT_EQ(view_.txtSonstige[i], "0,00");
  EXPECT_EQ(view_.txtSonstige[PayeeIBAN], "DE-ALT");
  EXPECT_EQ(view_.txtSonstige[PayeeBIC], "BIC-ALT");
  EXPECT_EQ(view_.txtSeller[Name], "");
  EXPECT_TRUE(view_.lvTable.rows.empty());
}

TEST_F(CiiReader, AttachmentsShortcutsAndTheExportFolderQuestion) {
  const std::string pdf = "JVBERi0xLjQK";  // "%PDF-1.4\n"
  const std::string agreement =
      std::string(kAgreement) +
      reference("A-1", "<ram:AttachmentBinaryObject mimeCode=\"application/pdf\">" + pdf +
                           "</ram:AttachmentBinaryObject>") +
      reference("A-2",
                "<ram:AttachmentBinaryObject mimeCode=\"application/pdf\" "
                "filename=\"Lieferschein.pdf\">" +
                    pdf + "</ram:AttachmentBinaryObject>") +
      reference("Liste", "<ram:AttachmentBinaryObject mimeCode=\"text/plain\">SGFsbG8=" +
                             std::string("</ram:AttachmentBinaryObject>")) +
      reference("Katalog", "", "https://example.com/katalog") +
      reference("Bestellung", "");  // neither content nor address: nothing
  ASSERT_TRUE(read(write("re.xml", Cii(kDocument, "", agreement, kSettlement))));
  EXPECT_EQ(outputFiles(),
            (std::vector<std::string>{"A-2", "Externfile.pdf", "Externfiletext_plain",
                                      "Reference to Katalog.url"}));
  EXPECT_EQ(slurp(out_ / "Externfile.pdf"), "%PDF-1.4\n");
  EXPECT_EQ(slurp(out_ / "Externfiletext_plain"), "Hallo");
  EXPECT_EQ(slurp(out_ / "Reference to Katalog.url"),
            "[InternetShortcut]\r\nURL=https://example.com/katalog\r\n");
  ASSERT_EQ(fake_->calls.size(), 1u);
  EXPECT_EQ(fake_->calls[0].kind, "question");
  EXPECT_EQ(fake_->calls[0].title, "Note");
  EXPECT_EQ(fake_->calls[0].text, "Open export folder?");
  EXPECT_EQ(fake_->calls[0].icon, ui::Icon::Question);
}

TEST_F(CiiReader, TwoAttachmentsOfTheSameNameAndAnEarlierFileAreAllKept) {
  const std::string first =
      "<ram:AttachmentBinaryObject "
      "mimeCode=\"application/pdf\">SGFsbG8=</ram:AttachmentBinaryObject>";
  const std::string second =
      "<ram:AttachmentBinaryObject "
      "mimeCode=\"application/pdf\">V2VsdA==</ram:AttachmentBinaryObject>";
  std::ofstream(out_ / "Externfile.pdf") << "from an earlier read";
  ASSERT_TRUE(read(write(
      "re.xml",
      Cii(kDocument, "", std::string(kAgreement) + reference("A", first) + reference("B", second),
          kSettlement))));
  // The earlier file stays; both attachments go under the next free names.
  EXPECT_EQ(outputFiles(),
            (std::vector<std::string>{"Externfile.pdf", "Externfile_2.pdf", "Externfile_3.pdf"}));
  EXPECT_EQ(slurp(out_ / "Externfile.pdf"), "from an earlier read");
  EXPECT_EQ(slurp(out_ / "Externfile_2.pdf"), "Hallo");
  EXPECT_EQ(slurp(out_ / "Externfile_3.pdf"), "Welt");
}

TEST_F(CiiReader, AnsweredYesOpensTheFolderWithXdgOpen) {
  fake_->answers.clear();
  fake_->answers.push_back(true);
  ASSERT_TRUE(
      read(write("re.xml", Cii(kDocument, "",
                               std::string(kAgreement) + reference("K", "", "https://example.com/"),
                               kSettlement))));
  EXPECT_EQ(openedTarget(), out_.string());
}

TEST_F(CiiReader, NoReferencesNoQuestion) {
  ASSERT_TRUE(read(write("re.xml", Cii(kDocument, "", kAgreement, kSettlement))));
  EXPECT_TRUE(fake_->calls.empty());
  EXPECT_TRUE(outputFiles().empty());
}

TEST_F(CiiReader, AnAttachmentNeverReplacesTheInvoiceBeingRead) {
  // The invoice lies in the output folder; an attachment carries its name.
  const std::string agreement =
      std::string(kAgreement) +
      reference("re.xml",
                "<ram:AttachmentBinaryObject mimeCode=\"text/xml\" filename=\"re.xml\">SGFsbG8="
                "</ram:AttachmentBinaryObject>");
  const std::string invoice = Cii(kDocument, "", agreement, kSettlement);
  std::ofstream(out_ / "re.xml", std::ios::binary) << invoice;
  ASSERT_TRUE(read((out_ / "re.xml").string()));
  EXPECT_EQ(slurp(out_ / "re.xml"), invoice);
  EXPECT_EQ(slurp(out_ / "re_2.xml"), "Hallo");
}
