#include <filesystem>
#include <fstream>
#include <sstream>

#include "ReaderTestSupport.h"

namespace fs = std::filesystem;
using namespace belvora;
using namespace belvora::reader;
using belvora::test::Ubl;

namespace {

const char* kHeader =
    R"(<cbc:CustomizationID>urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0</cbc:CustomizationID>
<cbc:ProfileID>urn:fdc:peppol.eu:2017:poacc:billing:01:1.0</cbc:ProfileID>
<cbc:ID> GS-2024-17 </cbc:ID>
<cbc:IssueDate>2024-03-05</cbc:IssueDate>
<cbc:DueDate>2024-04-04</cbc:DueDate>
<cbc:InvoiceTypeCode>381</cbc:InvoiceTypeCode>
<cbc:Note>Gutschrift zur Rechnung RE-17</cbc:Note>
<cbc:AccountingCost>KST-4711</cbc:AccountingCost>)";

const char* kParties = R"(
<cac:AccountingSupplierParty><cac:Party>
 <cbc:EndpointID schemeID="EM">seller@muster.de</cbc:EndpointID>
 <cac:PostalAddress><cbc:StreetName>Hauptstr. 1</cbc:StreetName><cbc:CityName>Bremen</cbc:CityName>
  <cbc:PostalZone>28195</cbc:PostalZone><cac:Country><cbc:IdentificationCode>DE</cbc:IdentificationCode></cac:Country></cac:PostalAddress>
 <cac:PartyTaxScheme><cbc:CompanyID>DE123456789</cbc:CompanyID><cac:TaxScheme><cbc:ID>VAT</cbc:ID></cac:TaxScheme></cac:PartyTaxScheme>
 <cac:PartyLegalEntity><cbc:RegistrationName>Muster GmbH</cbc:RegistrationName><cbc:CompanyID>HRB 4711</cbc:CompanyID></cac:PartyLegalEntity>
 <cac:Contact><cbc:Name>Anna Muster</cbc:Name><cbc:Telephone>0421 123</cbc:Telephone><cbc:ElectronicMail>anna@muster.de</cbc:ElectronicMail></cac:Contact>
</cac:Party></cac:AccountingSupplierParty>
<cac:AccountingCustomerParty><cac:Party>
 <cbc:EndpointID schemeID="EM">buyer@kunde.de</cbc:EndpointID>
 <cac:PartyLegalEntity><cbc:RegistrationName>Kunde AG</cbc:RegistrationName></cac:PartyLegalEntity>
</cac:Party></cac:AccountingCustomerParty>
<cac:PaymentMeans><cbc:PaymentMeansCode>58</cbc:PaymentMeansCode>
 <cac:PayeeFinancialAccount><cbc:ID>DE02120300000000202051</cbc:ID><cbc:Name></cbc:Name>
  <cac:FinancialInstitutionBranch><cbc:ID>BYLADEM1001</cbc:ID></cac:FinancialInstitutionBranch></cac:PayeeFinancialAccount></cac:PaymentMeans>
<cac:PaymentTerms><cbc:Note>Zahlbar sofort</cbc:Note></cac:PaymentTerms>
<cac:AllowanceCharge><cbc:ChargeIndicator>true</cbc:ChargeIndicator><cbc:AllowanceChargeReasonCode>FC</cbc:AllowanceChargeReasonCode>
 <cbc:AllowanceChargeReason>Fracht</cbc:AllowanceChargeReason><cbc:MultiplierFactorNumeric>2.5</cbc:MultiplierFactorNumeric>
 <cbc:Amount currencyID="EUR">2.50</cbc:Amount><cbc:BaseAmount currencyID="EUR">100.00</cbc:BaseAmount></cac:AllowanceCharge>
<cac:TaxTotal><cbc:TaxAmount currencyID="EUR">19.00</cbc:TaxAmount>
 <cac:TaxSubtotal><cbc:TaxableAmount currencyID="EUR">1100.00</cbc:TaxableAmount><cbc:TaxAmount currencyID="EUR">19.00</cbc:TaxAmount>
  <cac:TaxCategory><cbc:ID>S</cbc:ID><cbc:Percent>19.00</cbc:Percent></cac:TaxCategory></cac:TaxSubtotal>
 <cac:TaxSubtotal><cbc:TaxableAmount currencyID="EUR">0</cbc:TaxableAmount><cbc:TaxAmount currencyID="EUR">0</cbc:TaxAmount>
  <cac:TaxCategory><cbc:ID>O</cbc:ID><cbc:Percent></cbc:Percent></cac:TaxCategory></cac:TaxSubtotal>
</cac:TaxTotal>
<cac:LegalMonetaryTotal><cbc:LineExtensionAmount currencyID="EUR">100.00</cbc:LineExtensionAmount>
 <cbc:TaxExclusiveAmount currencyID="EUR">100.00</cbc:TaxExclusiveAmount><cbc:TaxInclusiveAmount currencyID="EUR">119.00</cbc:TaxInclusiveAmount>
 <cbc:PrepaidAmount currencyID="EUR">19.00</cbc:PrepaidAmount><cbc:PayableAmount currencyID="EUR">1100.00</cbc:PayableAmount></cac:LegalMonetaryTotal>)";

std::string line(const std::string& tag, const std::string& qtyTag, const std::string& id,
                 const std::string& price, const std::string& extra = "",
                 const std::string& percent =
                     "<cac:ClassifiedTaxCategory><cbc:ID>S</cbc:ID>"
                     "<cbc:Percent>19.00</cbc:Percent>"
                     "</cac:ClassifiedTaxCategory>") {
  return "<cac:" + tag + "><cbc:ID>" + id + "</cbc:ID><cbc:" + qtyTag +
         " unitCode=\"H87\">2.5</cbc:" + qtyTag +
         "><cbc:LineExtensionAmount currencyID=\"EUR\">1234.5</cbc:LineExtensionAmount>" + extra +
         "<cac:Item><cbc:Description>Beschreibung</cbc:Description><cbc:Name>Artikel " + id +
         "</cbc:Name>" + percent + "</cac:Item>" +
         (price.empty() ? ""
                        : "<cac:Price><cbc:PriceAmount currencyID=\"EUR\">" + price +
                              "</cbc:PriceAmount></cac:Price>") +
         "</cac:" + tag + ">";
}

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string embedded(const std::string& id, const std::string& attrs, const std::string& b64) {
  return "<cac:AdditionalDocumentReference><cbc:ID>" + id +
         "</cbc:ID><cac:Attachment><cbc:EmbeddedDocumentBinaryObject " + attrs + ">" + b64 +
         "</cbc:EmbeddedDocumentBinaryObject></cac:Attachment></cac:AdditionalDocumentReference>";
}

std::string external(const std::string& id, const std::string& uri) {
  return "<cac:AdditionalDocumentReference><cbc:ID>" + id +
         "</cbc:ID><cac:Attachment><cac:ExternalReference><cbc:URI>" + uri +
         "</cbc:URI></cac:ExternalReference></cac:Attachment></cac:AdditionalDocumentReference>";
}

class UblReader : public belvora::test::ReaderTest {};

}  // namespace

TEST_F(UblReader, CreditNoteHeaderPartiesTotalsAndItsLines) {
  const std::string body = std::string(kHeader) + kParties +
                           line("CreditNoteLine", "CreditedQuantity", "1", "-10") +
                           line("CreditNoteLine", "CreditedQuantity", "2", "");
  ASSERT_TRUE(read(write("gs.xml", Ubl("CreditNote", body)), "DE"));
  EXPECT_EQ(view_.syntax, SyntaxUBL);
  EXPECT_EQ(settings_.viewNumberFormat, "0.00 ");
  const auto& r = view_.txtRechnungdaten;
  EXPECT_EQ(r[RoutingID], "urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0");
  EXPECT_EQ(r[InvoiceNumber], "GS-2024-17");
  EXPECT_EQ(r[InvoiceDate], "05.03.2024");
  EXPECT_EQ(r[PayableBy], "04.04.2024");
  EXPECT_EQ(r[InvoiceType], "381");
  EXPECT_EQ(r[PaymentMethod], "Gutschrift zur Rechnung RE-17");
  EXPECT_EQ(r[Remarks], "Zahlbar sofort");
  EXPECT_EQ(view_.txtSonstige[PayeeAccountName], "");
  EXPECT_EQ(view_.txtSonstige[PayeeIBAN], "DE02120300000000202051");
  EXPECT_EQ(view_.txtSonstige[PayeeBIC], "BYLADEM1001");
  EXPECT_EQ(view_.txtSonstige[ProfileID], "");  // Peppol tab: only the Peppol view fills it

  EXPECT_EQ(view_.txtSeller[Name], "Muster GmbH");
  EXPECT_EQ(view_.txtSeller[TaxNumber], "DE123456789");
  EXPECT_EQ(view_.txtSeller[Street], "Hauptstr. 1");
  EXPECT_EQ(view_.txtSeller[ContactEmail], "anna@muster.de");
  EXPECT_EQ(view_.txtBuyer[Name], "Kunde AG");
  EXPECT_EQ(view_.txtSonstige[CustomizationID], "");

  // 119 inclusive, 100 exclusive: 19,00 with the trailing blank.
  EXPECT_EQ(r[TaxAmount], "19,00 ");
  EXPECT_EQ(view_.txtSonstige[TaxTotal], "19,00 ");
  EXPECT_EQ(r[TotalAmount], "1100,00 ");
  EXPECT_EQ(view_.txtSonstige[SumOfNet], "100,00 ");
  EXPECT_EQ(view_.txtSonstige[Prepayment], "19,00 ");
  EXPECT_EQ(view_.txtSonstige[AllowanceTotal], "0,00 ");
  EXPECT_EQ(r[CurrencyCode], "EUR");

  // The credit note's lines are read like invoice lines.
  ASSERT_EQ(view_.lvTable.rows.size(), 2u);
  EXPECT_EQ(view_.lvTable.rows[0].cells,
            (std::vector<std::string>{"1", "Artikel 1", "Beschreibung", "2,50", "-10,00", "0",
                                      "19,00", "1234,50 "}));
  EXPECT_EQ(view_.lvTable.rows[0].color, 0);
  EXPECT_EQ(view_.lvTable.rows[1].cells[4], "--");

  ASSERT_EQ(view_.lvUst.rows.size(), 2u);
  EXPECT_EQ(view_.lvUst.rows[0].cells,
            (std::vector<std::string>{"", "19.00", "19,00 ", "1100,00 "}));
  EXPECT_EQ(view_.lvUst.rows[1].cells[1], "-");
  ASSERT_EQ(view_.lvAbzuege.rows.size(), 1u);
  EXPECT_EQ(view_.lvAbzuege.rows[0].cells,
            (std::vector<std::string>{"Fracht", "FC", "2.5", "2.50", "100.00"}));
}

TEST_F(UblReader, LinePriceBaseQuantityAndRateFallback) {
  const std::string lineTax =
      "<cac:TaxTotal><cac:TaxSubtotal><cac:TaxCategory><cbc:Percent>7</cbc:Percent>"
      "</cac:TaxCategory></cac:TaxSubtotal></cac:TaxTotal>";
  const std::string body =
      std::string(kHeader) + kParties + line("CreditNoteLine", "CreditedQuantity", "1", "12.5") +
      line("CreditNoteLine", "CreditedQuantity", "2", "", lineTax, "") +
      "<cac:CreditNoteLine><cbc:ID>3</cbc:ID><cac:Price><cbc:PriceAmount>0</cbc:PriceAmount>"
      "<cbc:BaseQuantity>2.5</cbc:BaseQuantity><cac:AllowanceCharge><cbc:Amount>1</cbc:Amount>"
      "</cac:AllowanceCharge></cac:Price></cac:CreditNoteLine>";
  ASSERT_TRUE(read(write("gs.xml", Ubl("CreditNote", body))));
  const auto& rows = view_.lvTable.rows;
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].cells[4], "12.50");
  // No price: "--", not the price of the line before.
  EXPECT_EQ(rows[1].cells[4], "--");
  EXPECT_EQ(rows[1].cells[5], "0");
  EXPECT_EQ(rows[1].cells[6], "7.00");
  EXPECT_EQ(rows[2].cells[4], "0.00");
  EXPECT_EQ(rows[2].cells[5], "2.5");
  EXPECT_EQ(rows[2].cells[6], "");
  // Allowances inside prices and lines join the document-level ones.
  EXPECT_EQ(view_.lvAbzuege.rows.size(), 2u);
}

TEST_F(UblReader, AttachmentsKeepEveryFileAndStayInTheFolder) {
  const std::string pdf = "JVBERi0xLjQK";
  const std::string body =
      std::string(kHeader) + embedded("Anhang-1", "mimeCode=\"application/pdf\"", pdf) +
      embedded("Anhang-2", "mimeCode=\"application/pdf\"", "SGFsbG8=") +
      embedded("Notiz", "mimeCode=\"text/plain\"", "SGFsbG8=") +
      embedded("Plan", "mimeCode=\"image/png\" filename=\"../../plan.png\"", "iVBORw0K") +
      external("Katalog", "https://example.com/katalog") +
      external("Preisliste", "https://example.com/preise") + kParties;
  ASSERT_TRUE(read(write("gs.xml", Ubl("CreditNote", body))));
  EXPECT_EQ(outputFiles(),
            (std::vector<std::string>{"Externfile_GS-2024-17.pdf", "Externfile_GS-2024-17_2.pdf",
                                      "Externfile_GS-2024-17text_plain", "Reference to Katalog.url",
                                      "Reference to Preisliste.url", "plan.png"}));
  EXPECT_FALSE(fs::exists(dir_.parent_path() / "plan.png"));
  EXPECT_EQ(slurp(out_ / "Externfile_GS-2024-17.pdf"), "%PDF-1.4\n");
  EXPECT_EQ(slurp(out_ / "Reference to Preisliste.url"),
            "[InternetShortcut]\r\nURL=https://example.com/preise\r\n");
  ASSERT_FALSE(fake_->calls.empty());
  EXPECT_EQ(fake_->calls.back().text, "Open export folder?");
}

TEST_F(UblReader, WithoutReferencesNoQuestion) {
  ASSERT_TRUE(read(write("gs.xml", Ubl("CreditNote", std::string(kHeader) + kParties))));
  EXPECT_TRUE(fake_->calls.empty());
}

TEST_F(UblReader, InvoiceIsThePeppolView) {
  const std::string body = std::string(kHeader) + external("K1", "https://a.example/1") +
                           external("K2", "https://a.example/2") + kParties +
                           line("InvoiceLine", "InvoicedQuantity", "1", "-10.00") +
                           line("InvoiceLine", "InvoicedQuantity", "2", "0") +
                           line("InvoiceLine", "InvoicedQuantity", "3", "1234.5");
  ASSERT_TRUE(read(write("re.xml", Ubl("Invoice", body)), "DE"));
  EXPECT_EQ(view_.syntax, SyntaxPeppol);
  const auto& r = view_.txtRechnungdaten;
  EXPECT_EQ(r[InvoiceType], "381");
  EXPECT_EQ(r[TaxAmount], "19,00 ");
  EXPECT_EQ(view_.txtSonstige[TaxTotal], "119,00 ");
  EXPECT_EQ(view_.txtSonstige[ProfileID], "urn:fdc:peppol.eu:2017:poacc:billing:01:1.0");
  EXPECT_EQ(view_.txtSonstige[AccountingCost], "KST-4711");
  // The seller's endpoint shows in the Endpunkt-ID field.
  EXPECT_EQ(view_.txtSonstige[CustomizationID], "seller@muster.de");
  // Tax number from the legal entity; bank fields are not read in this view.
  EXPECT_EQ(view_.txtSeller[TaxNumber], "HRB 4711");
  EXPECT_EQ(view_.txtSonstige[PayeeIBAN], "");

  const auto& rows = view_.lvTable.rows;
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].cells, (std::vector<std::string>{"1", "Artikel 1", "Beschreibung", "2,5",
                                                     "-10,00 ", "0", "19", "1234,50 "}));
  EXPECT_EQ(rows[0].color, 255);
  EXPECT_EQ(rows[1].cells[4], "0,00 ");
  EXPECT_EQ(rows[1].color, 0);
  EXPECT_EQ(rows[2].color, 0);

  // Each shortcut points at its own address.
  EXPECT_EQ(outputFiles(),
            (std::vector<std::string>{"Reference to K1.url", "Reference to K2.url"}));
  EXPECT_EQ(slurp(out_ / "Reference to K2.url"),
            "[InternetShortcut]\r\nURL=https://a.example/2\r\n");
}
