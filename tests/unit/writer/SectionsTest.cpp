// The writer sections one by one: what each step appends for the edge cases
// of its data.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "InvoiceFixture.h"
#include "fakes/FakeInteraction.h"
#include "text/Texte.h"

namespace belvora::test {
namespace {

void ExpectStartsWith(const std::string& text, const std::string& prefix) {
  EXPECT_EQ(text.substr(0, prefix.size()), prefix);
}

Invoice OneLine() {
  Invoice inv;
  inv.lines = {Line(1, 100, 100, 19, "A")};
  return inv;
}

// ---- Header ---------------------------------------------------------------

struct NoteCase {
  const char* name;
  db::Value note;
  db::Value subject;
  std::string expected;  // the note blocks
};

std::string Note(const std::string& content, const std::string& subject) {
  return Lines({{2, "<ram:IncludedNote>"},
                {3, "<ram:Content>" + content + "</ram:Content>"},
                {3, "<ram:SubjectCode>" + subject + "</ram:SubjectCode>"},
                {2, "</ram:IncludedNote>"}});
}

class HeaderNotes : public testing::TestWithParam<NoteCase> {};

TEST_P(HeaderNotes, SplitAtTheFirstLineBreak) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  Invoice inv = OneLine();
  inv.header["BT22"] = GetParam().note;
  inv.header["BT21"] = GetParam().subject;
  Steps s = RunSteps(inv);
  std::string notes = Between(s["header"], "\t\t<ram:IncludedNote>", "</rsm:ExchangedDocument>");
  notes.resize(notes.size() - std::string("\t</rsm:ExchangedDocument>").size());
  EXPECT_EQ(notes, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Notes, HeaderNotes,
    testing::Values(NoteCase{"CrLf", "Erster Teil\r\nZweiter Teil", "AAI",
                             Note("Erster Teil", "AAI") + Note("Zweiter Teil", "AAI")},
                    // A lone CR: the second note keeps its first character.
                    NoteCase{"LoneCr", "Erster Teil\rZweiter Teil", "AAI",
                             Note("Erster Teil", "AAI") + Note("Zweiter Teil", "AAI")},
                    NoteCase{"NoBreak", "Nur ein Teil", "AAI", Note("Nur ein Teil", "AAI")},
                    NoteCase{"TrailingCr", "Nur ein Teil\r", "AAI", Note("Nur ein Teil", "AAI")},
                    NoteCase{"LeadingBreak", "\r\nZweiter Teil", "AAI",
                             Note("FALSE()", "AAI") + Note("Zweiter Teil", "AAI")},
                    NoteCase{"Empty", db::Value(), db::Value(), Note("FALSE()", "FALSE()")},
                    NoteCase{"Blank", "   ", "  ", Note("FALSE()", "FALSE()")},
                    NoteCase{"CleanedOnce", "A & B \xC3\x84rger\r\nC < D", "AAI",
                             Note("A &amp; B Aerger", "AAI") + Note("C &lt; D", "AAI")},
                    NoteCase{"SecondPartWithMoreBreaks", "Eins\r\nZwei\r\nDrei", "AAI",
                             Note("Eins", "AAI") + Note("Zwei\r\nDrei", "AAI")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Header, DefaultsAndFixedParts) {
  PinnedToday today(2025, 12, 31);
  ScopedFakeInteraction ui;
  Invoice inv = OneLine();
  inv.header["BT1"] = db::Value();
  inv.header["BT3"] = db::Value();
  inv.header["BT23"] = "  ";
  inv.header["BT2"] = "05.03.2024";
  Steps s = RunSteps(inv);
  const std::string& h = s["header"];
  ExpectStartsWith(h, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!-- Mit belvora");
  EXPECT_NE(h.find("\r\n<!-- Mit belvora Version: 3.2.10 erstellt. -->\r\n"), std::string::npos);
  EXPECT_NE(h.find("\r\n<!-- Erstellt am: 31.12.2025 -->\r\n"), std::string::npos);
  EXPECT_NE(h.find(Lines({{2, "<ram:BusinessProcessSpecifiedDocumentContextParameter>"},
                          {3, "<ram:ID>FALSE()</ram:ID>"}})),
            std::string::npos);
  EXPECT_NE(
      h.find(Lines({{1, "<rsm:ExchangedDocument>"},
                    {2, "<ram:ID></ram:ID>"},
                    {2, "<ram:TypeCode>0</ram:TypeCode>"},
                    {2, "<ram:IssueDateTime>"},
                    {3, "<udt:DateTimeString format=\"102\">20240305</udt:DateTimeString>"}})),
      std::string::npos);
  EXPECT_NE(h.find("<ram:ID>urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0"
                   "</ram:ID>"),
            std::string::npos);
  // The header opens the transaction and the first line item.
  std::string tail = Lines(
      {{1, "<rsm:SupplyChainTradeTransaction>"}, {2, "<ram:IncludedSupplyChainTradeLineItem>"}});
  EXPECT_EQ(h.substr(h.size() - tail.size()), tail);
}

TEST(Header, RootElementDeclaresTheNamespacesAlignedUnderTheFirst) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  std::string h = RunSteps(OneLine())["header"];
  std::string pad(26, ' ');
  EXPECT_NE(
      h.find("\r\n<rsm:CrossIndustryInvoice "
             "xmlns:rsm=\"urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100\"\r\n" +
             pad +
             "xmlns:ram=\"urn:un:unece:uncefact:data:standard:"
             "ReusableAggregateBusinessInformationEntity:100\"\r\n" +
             pad + "xmlns:udt=\"urn:un:unece:uncefact:data:standard:UnqualifiedDataType:100\"\r\n" +
             pad + "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\r\n" + pad +
             "xmlns=\"urn:un:unece:uncefact:data:standard:CrossIndustryInvoice:100\"\r\n" + pad +
             "xmlns:qdt=\"urn:un:unece:uncefact:data:standard:QualifiedDataType:100\">\r\n"
             "\t<rsm:ExchangedDocumentContext>\r\n"),
      std::string::npos);
}

// ---- Line items -----------------------------------------------------------

TEST(LineItems, SingleLineHasNoTrailingOpeningTag) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  std::string lines = RunSteps(OneLine())["lines"];
  ExpectStartsWith(lines, Lines({{3, "<ram:AssociatedDocumentLineDocument>"},
                                 {4, "<ram:LineID>1</ram:LineID>"}}));
  std::string tail = Lines({{2, "</ram:IncludedSupplyChainTradeLineItem>"},
                            {2, "<ram:ApplicableHeaderTradeAgreement>"}});
  EXPECT_EQ(lines.substr(lines.size() - tail.size()), tail);
  EXPECT_EQ(lines.find("<ram:IncludedSupplyChainTradeLineItem>"), std::string::npos);
}

TEST(LineItems, ThreeLinesAreNumberedAndChained) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  Invoice inv;
  inv.lines = {Line(1, 1, 1, 19, "A"), Line(1, 2, 2, 19, "B"), Line(1, 3, 3, 19, "C")};
  std::string lines = RunSteps(inv)["lines"];
  std::string chain = Lines({{2, "</ram:IncludedSupplyChainTradeLineItem>"},
                             {2, "<ram:IncludedSupplyChainTradeLineItem>"},
                             {3, "<ram:AssociatedDocumentLineDocument>"}});
  size_t first = lines.find(chain);
  ASSERT_NE(first, std::string::npos);
  size_t second = lines.find(chain, first + 1);
  ASSERT_NE(second, std::string::npos);
  EXPECT_EQ(lines.find(chain, second + 1), std::string::npos);
  EXPECT_LT(lines.find("<ram:LineID>1</ram:LineID>"), lines.find("<ram:LineID>2</ram:LineID>"));
  EXPECT_LT(lines.find("<ram:LineID>2</ram:LineID>"), lines.find("<ram:LineID>3</ram:LineID>"));
  EXPECT_NE(lines.find("<ram:Name>C</ram:Name>"), std::string::npos);
}

TEST(LineItems, ConversionsAndDefaults) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  Invoice inv;
  Row l = Line(2.5, 12.345, 24.685, 7.5, "X");
  l["BT130"] = db::Value();
  l["BT118"] = db::Value();
  l["BT153"] = "Schrauben & <Muttern>";
  l["BT154"] = "  ";
  l["BT155"] = db::Value();
  inv.lines = {l};
  std::string lines = RunSteps(inv)["lines"];
  std::string expected = Lines({
      {3, "<ram:AssociatedDocumentLineDocument>"},
      {4, "<ram:LineID>1</ram:LineID>"},
      {3, "</ram:AssociatedDocumentLineDocument>"},
      {3, "<ram:SpecifiedTradeProduct>"},
      {4, "<ram:SellerAssignedID>FALSE()</ram:SellerAssignedID>"},
      {4, "<ram:Name>Schrauben &amp; &lt;Muttern&gt;</ram:Name>"},
      {4, "<ram:Description>FALSE()</ram:Description>"},
      {3, "</ram:SpecifiedTradeProduct>"},
      {3, "<ram:SpecifiedLineTradeAgreement>"},
      {4, "<ram:GrossPriceProductTradePrice>"},
      {5, "<ram:ChargeAmount>12.35</ram:ChargeAmount>"},
      {5, "<ram:BasisQuantity unitCode=\"XPP\">1.00</ram:BasisQuantity>"},
      {5, "<ram:AppliedTradeAllowanceCharge>"},
      {6, "<ram:ChargeIndicator>"},
      {6, "<udt:Indicator>false</udt:Indicator>"},
      {6, "</ram:ChargeIndicator>"},
      {6, "<ram:ActualAmount>0.00</ram:ActualAmount>"},
      {5, "</ram:AppliedTradeAllowanceCharge>"},
      {4, "</ram:GrossPriceProductTradePrice>"},
      {4, "<ram:NetPriceProductTradePrice>"},
      {5, "<ram:ChargeAmount>12.35</ram:ChargeAmount>"},
      {4, "</ram:NetPriceProductTradePrice>"},
      {3, "</ram:SpecifiedLineTradeAgreement>"},
      {3, "<ram:SpecifiedLineTradeDelivery>"},
      {5, "<ram:BilledQuantity unitCode=\"XPP\">2.5</ram:BilledQuantity>"},
      {3, "</ram:SpecifiedLineTradeDelivery>"},
      {3, "<ram:SpecifiedLineTradeSettlement>"},
      {4, "<ram:ApplicableTradeTax>"},
      {5, "<ram:TypeCode>VAT</ram:TypeCode>"},
      {5, "<ram:CategoryCode>S</ram:CategoryCode>"},
      {5, "<ram:RateApplicablePercent>7.50</ram:RateApplicablePercent>"},
      {4, "</ram:ApplicableTradeTax>"},
      {4, "<ram:SpecifiedTradeSettlementLineMonetarySummation>"},
      {5, "<ram:LineTotalAmount>24.69</ram:LineTotalAmount>"},
      {4, "</ram:SpecifiedTradeSettlementLineMonetarySummation>"},
      {3, "</ram:SpecifiedLineTradeSettlement>"},
      {2, "</ram:IncludedSupplyChainTradeLineItem>"},
      {2, "<ram:ApplicableHeaderTradeAgreement>"},
  });
  EXPECT_EQ(lines, expected);
}

TEST(LineItems, FailedConversionsRepeatThePreviousLine) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  Invoice inv;
  Row second = Line(3, 4, 12, 7, "B", "KGM");
  second["BT152"] = db::Value();
  second["BT131"] = db::Value();
  second["BT129"] = "viel";
  second["BT146"] = "12,5";  // a decimal comma in a text column
  inv.lines = {Line(2, 10, 20, 19, "A"), second};
  inv.dropped = {"BT154"};  // not a required column
  std::string lines = RunSteps(inv)["lines"];
  std::string b = lines.substr(lines.find("<ram:LineID>2</ram:LineID>"));
  EXPECT_NE(b.find("<ram:RateApplicablePercent>19.00</ram:RateApplicablePercent>"),
            std::string::npos);
  EXPECT_NE(b.find("<ram:LineTotalAmount>20</ram:LineTotalAmount>"), std::string::npos);
  EXPECT_NE(b.find("<ram:BilledQuantity unitCode=\"KGM\">2</ram:BilledQuantity>"),
            std::string::npos);
  EXPECT_NE(b.find("<ram:ChargeAmount>12.5</ram:ChargeAmount>"), std::string::npos);
  // A missing column leaves the element empty on every line.
  EXPECT_NE(lines.find("<ram:Description></ram:Description>"), std::string::npos);
  EXPECT_EQ(lines.find("<ram:Description>FALSE()"), std::string::npos);
}

// ---- Trade parties --------------------------------------------------------

TEST(TradeParties, EmptyOptionalColumnsGiveThePlaceholders) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  Invoice inv = OneLine();
  for (const char* c : {"BT10", "BT11", "BT12", "BT13", "BT27", "BT31", "BT34", "BT35",
                        "BT37", "BT38", "BT40", "BT41", "BT42", "BT43", "BT44", "BT48",
                        "BT49", "BT50", "BT52", "BT53", "BT55", "BT56", "BT57", "BT58"})
    inv.header[c] = "";
  Steps s = RunSteps(inv);
  EXPECT_EQ(s["seller"], Lines({
                             {3, "<ram:BuyerReference>FALSE()</ram:BuyerReference>"},
                             {3, "<ram:SellerTradeParty>"},
                             {4, "<ram:GlobalID>FALSE()</ram:GlobalID>"},
                             {4, "<ram:Name></ram:Name>"},
                             {4, "<ram:DefinedTradeContact>"},
                             {5, "<ram:PersonName>FALSE()</ram:PersonName>"},
                             {5, "<ram:TelephoneUniversalCommunication>"},
                             {6, "<ram:CompleteNumber>FALSE()</ram:CompleteNumber>"},
                             {5, "</ram:TelephoneUniversalCommunication>"},
                             {5, "<ram:EmailURIUniversalCommunication>"},
                             {6, "<ram:URIID>FALSE()</ram:URIID>"},
                             {5, "</ram:EmailURIUniversalCommunication>"},
                             {4, "</ram:DefinedTradeContact>"},
                             {4, "<ram:PostalTradeAddress>"},
                             {5, "<ram:PostcodeCode></ram:PostcodeCode>"},
                             {5, "<ram:LineOne>FALSE()</ram:LineOne>"},
                             {5, "<ram:LineTwo>FALSE()</ram:LineTwo>"},
                             {5, "<ram:LineThree>FALSE()</ram:LineThree>"},
                             {5, "<ram:CityName></ram:CityName>"},
                             {5, "<ram:CountryID>DE</ram:CountryID>"},
                             {4, "</ram:PostalTradeAddress>"},
                             {4, "<ram:URIUniversalCommunication>"},
                             {5, "<ram:URIID schemeID=\"EM\">FALSE()</ram:URIID>"},
                             {4, "</ram:URIUniversalCommunication>"},
                             {4, "<ram:SpecifiedTaxRegistration>"},
                             {5, "<ram:ID schemeID=\"VA\"></ram:ID>"},
                             {4, "</ram:SpecifiedTaxRegistration>"},
                             {3, "</ram:SellerTradeParty>"},
                         }));
  EXPECT_EQ(s["buyer"], Lines({
                            {3, "<ram:BuyerTradeParty>"},
                            {4, "<ram:GlobalID>FALSE()</ram:GlobalID>"},
                            {4, "<ram:Name></ram:Name>"},
                            {4, "<ram:DefinedTradeContact>"},
                            {5, "<ram:PersonName>FALSE()</ram:PersonName>"},
                            {5, "<ram:TelephoneUniversalCommunication>"},
                            {6, "<ram:CompleteNumber>FALSE()</ram:CompleteNumber>"},
                            {5, "</ram:TelephoneUniversalCommunication>"},
                            {5, "<ram:EmailURIUniversalCommunication>"},
                            {6, "<ram:URIID>FALSE()</ram:URIID>"},
                            {5, "</ram:EmailURIUniversalCommunication>"},
                            {4, "</ram:DefinedTradeContact>"},
                            {4, "<ram:PostalTradeAddress>"},
                            {5, "<ram:PostcodeCode>FALSE()</ram:PostcodeCode>"},
                            {5, "<ram:LineOne>FALSE()</ram:LineOne>"},
                            {5, "<ram:LineTwo>FALSE()</ram:LineTwo>"},
                            {5, "<ram:CityName>FALSE()</ram:CityName>"},
                            {5, "<ram:CountryID>DE</ram:CountryID>"},
                            {4, "</ram:PostalTradeAddress>"},
                            {4, "<ram:URIUniversalCommunication>"},
                            {5, "<ram:URIID schemeID=\"EM\">FALSE()</ram:URIID>"},
                            {4, "</ram:URIUniversalCommunication>"},
                            {4, "<ram:SpecifiedTaxRegistration>"},
                            {5, "<ram:ID schemeID=\"VA\">DE</ram:ID>"},
                            {4, "</ram:SpecifiedTaxRegistration>"},
                            {3, "</ram:BuyerTradeParty>"},
                        }));
}

TEST(TradeParties, ReferencesProjectAndEscaping) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  Invoice inv = OneLine();
  inv.header["BT44"] = "M\xC3\xBCller & S\xC3\xB6hne";
  inv.header["BT31"] = "DE&1";
  inv.header["BT10"] = "L & W";
  inv.header["BT11"] = "P-17";
  inv.header["BT12"] = "V-1";
  inv.header["BT13"] = "B-2";
  Steps s = RunSteps(inv);
  EXPECT_NE(s["seller"].find("<ram:BuyerReference>L &amp; W</ram:BuyerReference>"),
            std::string::npos);
  EXPECT_NE(s["seller"].find("<ram:ID schemeID=\"VA\">DE&amp;1</ram:ID>"), std::string::npos);
  EXPECT_NE(s["buyer"].find("<ram:Name>Mueller &amp; Soehne</ram:Name>"), std::string::npos);
  std::string tail = Lines({{3, "</ram:BuyerTradeParty>"},
                            {3, "<ram:BuyerOrderReferencedDocument>"},
                            {4, "<ram:IssuerAssignedID>B-2</ram:IssuerAssignedID>"},
                            {3, "</ram:BuyerOrderReferencedDocument>"},
                            {3, "<ram:ContractReferencedDocument>"},
                            {4, "<ram:IssuerAssignedID>V-1</ram:IssuerAssignedID>"},
                            {3, "</ram:ContractReferencedDocument>"},
                            {2, "<ram:SpecifiedProcuringProject>"},
                            {3, "<ram:ID>P-17</ram:ID>"},
                            {3, "<ram:Name>P-17</ram:Name>"},
                            {2, "</ram:SpecifiedProcuringProject>"}});
  EXPECT_EQ(s["buyer"].substr(s["buyer"].size() - tail.size()), tail);
}

// ---- Attachments ----------------------------------------------------------

class Attachments : public testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        std::filesystem::temp_directory_path() / ("belvora-attach-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string file(const std::string& name, const std::string& bytes) {
    std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::filesystem::path dir_;
};

std::string Block(const std::string& name, const std::string& mime, const std::string& base64) {
  std::string out = Lines({{3, "<ram:AdditionalReferencedDocument>"},
                           {4, "<ram:IssuerAssignedID>" + name + "</ram:IssuerAssignedID>"},
                           {4, "<ram:TypeCode>916</ram:TypeCode>"},
                           {4, "<ram:Name>" + name + "</ram:Name>"}});
  if (!mime.empty())
    out += Lines({{4, "<ram:AttachmentBinaryObject filename=\"" + name + "\" mimeCode=\"" + mime +
                          "\">" + base64 + "</ram:AttachmentBinaryObject>"}});
  return out + Lines({{3, "</ram:AdditionalReferencedDocument>"}});
}

TEST_F(Attachments, BlocksInListOrderWithMimeCodes) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  std::string list = file("a.pdf", "%PDF") + ";" + file("b.PNG", "png") + ";" +
                     (dir_ / "missing.pdf").string() + ";" + file("c.xlsx", "x") + ";" +
                     file("d.Xml", "<a/>") + ";" + file("e.jpeg", "jpeg") + ";" +
                     file("Rechnung & Lieferschein.pdf", "foobar") + ";" + file("f.csv", "a;b") +
                     ";" + file("g.ods", "o") + ";" + file("h.xls", "x");
  std::string buyer = RunSteps(OneLine(), list)["buyer"];
  std::string expected =
      Block("a.pdf", "application/pdf", "JVBERg==") + Block("b.PNG", "image/png", "cG5n") +
      Block("c.xlsx", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet", "eA==") +
      Block("d.Xml", "text/xml", "PGEvPg==") + Block("e.jpeg", "", "") +
      Block("Rechnung &amp; Lieferschein.pdf", "application/pdf", "Zm9vYmFy") +
      Block("f.csv", "text/csv", "YTti") +
      Block("g.ods", "application/vnd.oasis.opendocument.spreadsheet", "bw==") +
      Block("h.xls", "application/vnd.ms-excel", "eA==");
  size_t start = buyer.find("\t\t\t<ram:AdditionalReferencedDocument>");
  ASSERT_NE(start, std::string::npos);
  EXPECT_EQ(buyer.substr(start), expected);
}

TEST_F(Attachments, NoListNoBlocksAndUnreadableFileThrows) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  EXPECT_EQ(RunSteps(OneLine(), (dir_ / "gone.pdf").string())["buyer"].find("Additional"),
            std::string::npos);
  // /proc/self/mem exists as a regular file but cannot be read from its start.
  Invoice inv = OneLine();
  VectorCursor c = inv.cursor();
  c.next();
  model::SourceValues values;
  writer::InvoiceWriter w(values, &c, "/proc/self/mem");
  try {
    w.writeTradeParty(false);
    FAIL() << "an unreadable attachment must end the run";
  } catch (const std::system_error& e) {
    EXPECT_NE(std::string(e.what()).find("cannot read attachment '/proc/self/mem'"),
              std::string::npos)
        << e.what();
  }
}

// ---- Settlement and payment terms ---------------------------------------------

struct PaymentCase {
  const char* name;
  db::Value code;
  bool creditor, card, payer, payeeAccount, institution, mandate;
  std::string typeCode;
  db::Value iban = "DE02120300000000202051";
  db::Value bic = "BYLADEM1001";
};

class PaymentMeans : public testing::TestWithParam<PaymentCase> {};

TEST_P(PaymentMeans, WritesTheGroupsOfItsCode) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  const PaymentCase& p = GetParam();
  Invoice inv = OneLine();
  inv.header["BT81"] = p.code;
  inv.header["BT84"] = p.iban;
  inv.header["BT86"] = p.bic;
  inv.header["BT87"] = "4111111111111111";
  inv.header["BT88"] = "Max Karte";
  inv.header["BT89"] = "MANDAT-1";
  inv.header["BT90"] = "DE98ZZZ09999999999";
  inv.header["BT91"] = "DE75512108001245126199";
  Steps s = RunSteps(inv);
  std::string e = Lines({{2, "</ram:ApplicableHeaderTradeAgreement>"},
                         {2, "<ram:ApplicableHeaderTradeDelivery/>"},
                         {2, "<ram:ApplicableHeaderTradeSettlement>"}});
  if (p.creditor)
    e += Lines({{3, "<ram:CreditorReferenceID>DE98ZZZ09999999999</ram:CreditorReferenceID>"}});
  e += Lines({{3, "<ram:PaymentReference>252068</ram:PaymentReference>"},
              {3, "<ram:InvoiceCurrencyCode>EUR</ram:InvoiceCurrencyCode>"},
              {3, "<ram:SpecifiedTradeSettlementPaymentMeans>"},
              {4, "<ram:TypeCode>" + p.typeCode + "</ram:TypeCode>"},
              {4, "<ram:Information>Ueberweisung</ram:Information>"}});
  if (p.card)
    e += Lines({{4, "<ram:ApplicableTradeSettlementFinancialCard>"},
                {5, "<ram:ID>4111111111</ram:ID>"},
                {5, "<ram:CardholderName>Max Karte</ram:CardholderName>"},
                {4, "</ram:ApplicableTradeSettlementFinancialCard>"}});
  if (p.payer)
    e += Lines({{4, "<ram:PayerPartyDebtorFinancialAccount>"},
                {5, "<ram:IBANID>DE75512108001245126199</ram:IBANID>"},
                {4, "</ram:PayerPartyDebtorFinancialAccount>"}});
  if (p.payeeAccount)
    e += Lines({{4, "<ram:PayeePartyCreditorFinancialAccount>"},
                {5, "<ram:IBANID>" + text::ValueToText(p.iban) + "</ram:IBANID>"},
                {5, "<ram:AccountName>Muster GmbH</ram:AccountName>"},
                {4, "</ram:PayeePartyCreditorFinancialAccount>"}});
  if (p.institution)
    e += Lines({{4, "<ram:PayeeSpecifiedCreditorFinancialInstitution>"},
                {5, "<ram:BICID>" + text::ValueToText(p.bic) + "</ram:BICID>"},
                {4, "</ram:PayeeSpecifiedCreditorFinancialInstitution>"}});
  e += Lines({{3, "</ram:SpecifiedTradeSettlementPaymentMeans>"}});
  EXPECT_EQ(s["settlement"], e);

  std::string terms =
      Lines({{2, "<ram:SpecifiedTradePaymentTerms>"},
             {3, "<ram:Description>Zahlbar innerhalb von 30 Tagen ohne Abzug</ram:Description>"},
             {3, "<ram:DueDateDateTime>"},
             {4, "<udt:DateTimeString format=\"102\">20240404</udt:DateTimeString>"},
             {3, "</ram:DueDateDateTime>"}});
  if (p.mandate)
    terms += Lines({{3, "<ram:DirectDebitMandateID>MANDAT-1</ram:DirectDebitMandateID>"}});
  terms += Lines({{2, "</ram:SpecifiedTradePaymentTerms>"}});
  EXPECT_EQ(s["terms"], terms);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, PaymentMeans,
    testing::Values(
        // name, code, creditor, card, payer, payee account, institution, mandate, type code
        PaymentCase{"Transfer58", "58", false, false, false, true, true, false, "58"},
        PaymentCase{"Transfer30", "30", false, false, false, true, true, false, "30"},
        PaymentCase{"Zero", "0", false, false, false, true, true, false, "0"},
        PaymentCase{"EmptyIsTransfer30", db::Value(), false, false, false, true, true, false, "30"},
        PaymentCase{"NumericColumn", 58, false, false, false, true, true, false, "58"},
        // Bank card: no creditor, payer, institution or mandate (XRechnung 3.0)
        PaymentCase{"Card48", "48", false, true, false, false, false, false, "48"},
        PaymentCase{"DirectDebit49", "49", true, true, true, false, false, true, "49"},
        // SEPA direct debit: no payee institution (XRechnung 3.0)
        PaymentCase{"SepaDebit59", "59", true, false, true, false, false, true, "59"},
        PaymentCase{"Other31", "31", false, false, false, true, true, false, "31"},
        PaymentCase{"Other42WithoutAccount", "42", false, false, false, false, false, false, "42",
                    db::Value(), db::Value()},
        PaymentCase{"Other57WithoutBic", "57", false, false, false, true, false, false, "57",
                    "DE02120300000000202051", db::Value()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PaymentMeans, CodeThatIsNoNumberEndsTheRun) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  model::SourceValues values;
  values.BT81 = "UEBERWEISUNG";
  writer::InvoiceWriter w(values, nullptr, {});
  try {
    w.writeSettlement();
    FAIL() << "expected a conversion error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Type mismatch: the payment means code 'UEBERWEISUNG' is no number");
  }
}

// ---- Billing period ---------------------------------------------------------

struct PeriodCase {
  const char* name;
  db::Value delivery, start, end;
  std::string expected;
};

std::string Period(const std::string& start, const std::string& end) {
  std::string out =
      Lines({{2, "<ram:BillingSpecifiedPeriod>"},
             {3, "<ram:StartDateTime>"},
             {4, "<udt:DateTimeString format=\"102\">" + start + "</udt:DateTimeString>"},
             {3, "</ram:StartDateTime>"}});
  if (!end.empty())
    out += Lines({{3, "<ram:EndDateTime>"},
                  {4, "<udt:DateTimeString format=\"102\">" + end + "</udt:DateTimeString>"},
                  {3, "</ram:EndDateTime>"}});
  return out + Lines({{2, "</ram:BillingSpecifiedPeriod>"}});
}

class BillingPeriod : public testing::TestWithParam<PeriodCase> {};

TEST_P(BillingPeriod, CasesOfDeliveryAndPeriodDates) {
  PinnedToday today(2024, 3, 15);
  ScopedFakeInteraction ui;
  Invoice inv = OneLine();
  inv.header["BT72"] = GetParam().delivery;
  inv.header["BT73"] = GetParam().start;
  inv.header["BT74"] = GetParam().end;
  EXPECT_EQ(RunSteps(inv)["period"], GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, BillingPeriod,
    testing::Values(PeriodCase{"DeliveryOnly", "2024-02-28", db::Value(), db::Value(),
                               Period("20240228", "")},
                    PeriodCase{"DeliveryAsDate", D(2024, 2, 28), db::Value(), "2024-03-31",
                               Period("20240228", "")},
                    PeriodCase{"StartAndEnd", db::Value(), "01.02.2024", "29.02.2024",
                               Period("20240201", "20240229")},
                    PeriodCase{"StartWithTime", db::Value(), "2024-02-01 00:00:00",
                               "2024-02-29T23:59:00", Period("20240201", "20240229")},
                    PeriodCase{"EndIsToday", db::Value(), "2024-03-01", db::Value(),
                               Period("20240301", "20240315")},
                    PeriodCase{"BothGiven", "2024-02-28", "2024-02-01", "2024-02-29", ""},
                    PeriodCase{"NoneGiven", db::Value(), db::Value(), "2024-02-29", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BillingPeriod, DateTextThatIsNoDateEndsTheRun) {
  model::SourceValues values;
  values.BT73 = "Februar";
  writer::InvoiceWriter w(values, nullptr, {});
  try {
    w.writeBillingPeriod();
    FAIL() << "expected a conversion error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Type mismatch: column 'BT73' holds no date ('Februar')");
  }
}

// ---- Tax breakdown ----------------------------------------------------------

std::string TaxBlock(const std::string& tax, const std::string& basis, const std::string& category,
                     const std::string& rate) {
  return Lines({{2, "<ram:ApplicableTradeTax>"},
                {3, "<ram:CalculatedAmount>" + tax + "</ram:CalculatedAmount>"},
                {3, "<ram:TypeCode>VAT</ram:TypeCode>"},
                {3, "<ram:BasisAmount>" + basis + "</ram:BasisAmount>"},
                {3, "<ram:CategoryCode>" + category + "</ram:CategoryCode>"},
                {3, "<ram:RateApplicablePercent>" + rate + "</ram:RateApplicablePercent>"},
                {2, "</ram:ApplicableTradeTax>"}});
}

std::string Summation(const std::string& line, const std::string& basis, const std::string& tax,
                      const std::string& grand, const std::string& due,
                      const std::string& allowance = {}, const std::string& prepaid = "0.00",
                      const std::string& rounding = "0.00") {
  std::string out = Lines({{2, "<ram:SpecifiedTradeSettlementHeaderMonetarySummation>"},
                           {3, "<ram:LineTotalAmount>" + line + "</ram:LineTotalAmount>"}});
  if (!allowance.empty())
    out += Lines({{3, "<ram:ChargeTotalAmount>0</ram:ChargeTotalAmount>"},
                  {3, "<ram:AllowanceTotalAmount>" + allowance + "</ram:AllowanceTotalAmount>"}});
  out += Lines({{3, "<ram:TaxBasisTotalAmount>" + basis + "</ram:TaxBasisTotalAmount>"},
                {3, "<ram:TaxTotalAmount currencyID=\"EUR\">" + tax + "</ram:TaxTotalAmount>"},
                {3, "<ram:RoundingAmount>" + rounding + "</ram:RoundingAmount>"},
                {3, "<ram:GrandTotalAmount>" + grand + "</ram:GrandTotalAmount>"},
                {3, "<ram:TotalPrepaidAmount>" + prepaid + "</ram:TotalPrepaidAmount>"},
                {3, "<ram:DuePayableAmount>" + due + "</ram:DuePayableAmount>"},
                {2, "</ram:SpecifiedTradeSettlementHeaderMonetarySummation>"}});
  return out;
}

const std::string kClosing = Lines({{2, "</ram:ApplicableHeaderTradeSettlement>"},
                                    {1, "</rsm:SupplyChainTradeTransaction>"}}) +
                             "</rsm:CrossIndustryInvoice>";

TEST(TaxBreakdown, GroupsByRateInOrderOfFirstAppearance) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  Invoice inv;
  inv.lines = {Line(1, 100, 100, 19, "A"), Line(1, 50, 50, 7, "B"), Line(1, 20, 20, 19, "C")};
  Steps s = RunSteps(inv);
  EXPECT_EQ(s["tax"],
            TaxBlock("22.80", "120.00", "S", "19.00") + TaxBlock("3.50", "50.00", "S", "7.00"));
  EXPECT_EQ(s["summation"], Summation("170.00", "170.00", "26.30", "196.30", "196.30") + kClosing);
  EXPECT_TRUE(ui->calls.empty());
}

TEST(TaxBreakdown, ZeroRateAndCategoriesOfTheLines) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  Invoice inv;
  Row exempt = Line(1, 10, 10, 0, "E1");
  exempt["BT118"] = "E";
  Row zero1 = Line(1, 5, 5, 0.0, "Z1");
  zero1["BT118"] = db::Value();  // "S" by default: mixed with E below
  inv.lines = {exempt, Line(1, 30, 30, 19, "S1"), zero1};
  EXPECT_EQ(RunSteps(inv)["tax"],
            TaxBlock("0.00", "15.00", "Z", "0.00") + TaxBlock("5.70", "30.00", "S", "19.00"));
  // All lines of the group share E: the group says E as its lines do.
  inv.lines = {exempt, exempt};
  EXPECT_EQ(RunSteps(inv)["tax"], TaxBlock("0.00", "20.00", "E", "0.00"));
}

TEST(TaxBreakdown, LineNetsAreTakenAsTheLinesShowThem) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  Invoice inv;
  inv.lines = {Line(1, 10.125, 10.125, 19, "A"), Line(1, 10.375, 10.375, 19, "B")};
  Steps s = RunSteps(inv);
  EXPECT_NE(s["lines"].find("<ram:LineTotalAmount>10.13</ram:LineTotalAmount>"), std::string::npos);
  EXPECT_NE(s["lines"].find("<ram:LineTotalAmount>10.38</ram:LineTotalAmount>"), std::string::npos);
  // 10.13 + 10.38, not 10.12 + 10.38: the basis equals the sum of the lines.
  EXPECT_EQ(s["tax"], TaxBlock("3.90", "20.51", "S", "19.00"));
  EXPECT_EQ(s["summation"], Summation("20.51", "20.51", "3.90", "24.41", "24.41") + kClosing);
}

TEST(TaxBreakdown, FractionalRateIsItsOwnGroup) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  Invoice inv;
  inv.lines = {Line(1, 100, 100, 7.5, "A"), Line(1, 100, 100, 8, "B"), Line(1, 100, 100, 7.5, "C")};
  inv.lines[2]["BT152"] = "7,5";  // the same rate as text with a decimal comma
  EXPECT_EQ(RunSteps(inv)["tax"],
            TaxBlock("15.00", "200.00", "S", "7.50") + TaxBlock("8.00", "100.00", "S", "8.00"));
}

TEST(TaxBreakdown, TaxTotalIsTheSumOfTheRoundedGroupTaxes) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  Invoice inv;
  inv.lines = {Line(1, 0.05, 0.05, 10, "A"), Line(1, 0.10, 0.10, 5, "B")};
  Steps s = RunSteps(inv);
  EXPECT_EQ(s["tax"],
            TaxBlock("0.01", "0.05", "S", "10.00") + TaxBlock("0.01", "0.10", "S", "5.00"));
  EXPECT_EQ(s["summation"], Summation("0.15", "0.15", "0.02", "0.17", "0.17") + kClosing);
}

TEST(TaxBreakdown, NullNetEndsTheStepWithItsMessageAndTheRunGoesOn) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  // A small source, so the message's list of NULL columns is short.
  VectorCursor c({"BT1", "BT131", "BT152", "BT92", "BT154"},
                 {{"R-1", 100.0, 19.0, db::Value(), "a"},
                  {"R-1", db::Value(), 19.0, db::Value(), db::Value()},
                  {"R-1", 5.0, 7.0, db::Value(), "c"}});
  Steps s = RunSteps(c);
  EXPECT_EQ(s["tax"], "");
  ASSERT_EQ(ui->messages().size(), 2u);  // the source row reader complains too
  const auto m = ui->messages()[1];
  EXPECT_EQ(m.title, "belvora");
  EXPECT_EQ(m.icon, ui::Icon::Critical);
  EXPECT_EQ(m.text,
            "Error-Message: Invalid use of Null: column 'BT131' is NULL\r\n"
            "DLL-Error: 0\r\nSource: belvora\r\n\r\n"
            "Feld 'BT131' ist NULL\r\nFeld 'BT92' ist NULL\r\nFeld 'BT154' ist NULL\r\n");
  // The line writer went on: three lines, the second repeating the first net.
  EXPECT_NE(s["lines"].find("<ram:LineID>3</ram:LineID>"), std::string::npos);
  EXPECT_EQ(s["summation"], Summation("0.00", "0.00", "0.00", "0.00", "0.00") + kClosing);
}

TEST(TaxBreakdown, RateThatIsNoNumberEndsTheStep) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  Invoice inv;
  inv.lines = {Line(1, 1, 1, 19, "A"), Line(1, 1, 1, 19, "B")};
  inv.lines[1]["BT152"] = "19%";
  Steps s = RunSteps(inv);
  EXPECT_EQ(s["tax"], "");
  ASSERT_EQ(ui->messages().size(), 1u);
  ExpectStartsWith(ui->messages()[0].text,
                   "Error-Message: Type mismatch: column 'BT152' holds no number ('19%')\r\n"
                   "DLL-Error: 0\r\nSource: belvora\r\n\r\n");
}

TEST(TaxBreakdown, WithoutTheLineWriterTheStepReadsTheRowsItself) {
  ScopedFakeInteraction ui;
  Invoice inv;
  inv.lines = {Line(1, 100, 100, 19, "A"), Line(1, 50, 50, 7, "B"), Line(1, 20, 20, 19, "C")};
  VectorCursor c = inv.cursor();
  ASSERT_TRUE(c.next());
  model::SourceValues values;
  writer::InvoiceWriter w(values, &c, {});
  w.writeTaxBreakdown();
  EXPECT_EQ(w.text(),
            TaxBlock("22.80", "120.00", "S", "19.00") + TaxBlock("3.50", "50.00", "S", "7.00"));
  EXPECT_FALSE(c.next());  // walked to the end
}

TEST(TaxBreakdown, NoSourceRowsNoBlocksAndZeroTotals) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  VectorCursor empty({"BT1"}, {});
  Steps s = RunSteps(empty);
  EXPECT_EQ(s["lines"], "");
  EXPECT_EQ(s["tax"], "");
  EXPECT_EQ(s["summation"], Summation("0.00", "0.00", "0.00", "0.00", "0.00") + kClosing);
}

// ---- Allowances -------------------------------------------------------------

Row WithAllowance(Row line, db::Value amount, db::Value rate, db::Value category = "S",
                  db::Value reason = "Rabatt", db::Value code = "95") {
  line["BT92"] = amount;
  line["BT95"] = category;
  line["BT96"] = rate;
  line["BT97"] = reason;
  line["BT98"] = code;
  return line;
}

std::string AllowanceBlock(const std::string& amount, const std::string& code,
                           const std::string& reason, const std::string& category,
                           const std::string& rate) {
  return Lines({{2, "<ram:SpecifiedTradeAllowanceCharge>"},
                {3, "<ram:ChargeIndicator>"},
                {4, "<udt:Indicator>false</udt:Indicator>"},
                {3, "</ram:ChargeIndicator>"},
                {3, "<ram:ActualAmount>" + amount + "</ram:ActualAmount>"},
                {3, "<ram:ReasonCode>" + code + "</ram:ReasonCode>"},
                {3, "<ram:Reason>" + reason + "</ram:Reason>"},
                {4, "<ram:CategoryTradeTax>"},
                {5, "<ram:TypeCode>VAT</ram:TypeCode>"},
                {5, "<ram:CategoryCode>" + category + "</ram:CategoryCode>"},
                {5, "<ram:RateApplicablePercent>" + rate + "</ram:RateApplicablePercent>"},
                {4, "</ram:CategoryTradeTax>"},
                {2, "</ram:SpecifiedTradeAllowanceCharge>"}});
}

TEST(Allowances, EntriesPerRateReduceTheirGroupAndTheTotals) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  Invoice inv;
  inv.header["BT25"] = "RE-2023-17";
  inv.lines = {WithAllowance(Line(1, 100, 100, 19, "A"), 5, "19"),
               WithAllowance(Line(1, 50, 50, 7, "B"), "2,665", "7", "S", "Skonto", "64"),
               WithAllowance(Line(1, 20, 20, 19, "C"), 3.0, "19"),
               WithAllowance(Line(1, 10, 10, 19, "D"), 0, "19", "S", "nichts"),
               WithAllowance(Line(1, 10, 10, 19, "E"), -4, "19"),
               WithAllowance(Line(1, 10, 10, 19, "F"), "  ", "19")};
  Steps s = RunSteps(inv);
  // 5 + 3 at 19 %; 2.665 half to even is 2.66.
  EXPECT_EQ(s["allowances"], AllowanceBlock("8.00", "95", "Rabatt", "S", "19.00") +
                                 AllowanceBlock("2.66", "64", "Skonto", "S", "7.00"));
  EXPECT_EQ(s["tax"],
            TaxBlock("26.98", "142.00", "S", "19.00") + TaxBlock("3.31", "47.34", "S", "7.00"));
  EXPECT_EQ(s["summation"],
            Summation("200.00", "189.34", "30.29", "219.63", "219.63", "10.66") +
                Lines({{2, "<ram:InvoiceReferencedDocument>"},
                       {3, "<ram:IssuerAssignedID>RE-2023-17</ram:IssuerAssignedID>"},
                       {2, "</ram:InvoiceReferencedDocument>"}}) +
                kClosing);
}

TEST(Allowances, RateWithoutLinesGetsItsOwnGroup) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  Invoice inv;
  inv.lines = {WithAllowance(Line(1, 100, 100, 19, "A"), 10, "0", "Z", "Gutschein", "")};
  Steps s = RunSteps(inv);
  EXPECT_EQ(s["tax"],
            TaxBlock("19.00", "100.00", "S", "19.00") + TaxBlock("0.00", "-10.00", "Z", "0.00"));
  EXPECT_EQ(s["allowances"], AllowanceBlock("10.00", "", "Gutschein", "Z", "0.00"));
  EXPECT_EQ(s["summation"], Summation("100.00", "90.00", "19.00", "109.00", "109.00", "10.00") +
                                Lines({{2, "<ram:InvoiceReferencedDocument>"},
                                       {3, "<ram:IssuerAssignedID>FALSE()</ram:IssuerAssignedID>"},
                                       {2, "</ram:InvoiceReferencedDocument>"}}) +
                                kClosing);
}

TEST(Allowances, NoEntriesNoBlocksAndNoAllowanceTotal) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  Invoice inv;
  // An allowance amount on the row, but the step ends before its entry is
  // made (the category column is missing): no allowance total may remain.
  inv.lines = {WithAllowance(Line(1, 100, 100, 19, "A"), 10, "19")};
  inv.dropped = {"BT95"};
  Steps s = RunSteps(inv);
  EXPECT_EQ(s["allowances"], "");
  ASSERT_EQ(ui->messages().size(), 2u);
  ExpectStartsWith(ui->messages()[1].text,
                   "Error-Message: Column 'BT95' does not exist\r\nDLL-Error: 0\r\n");
  EXPECT_EQ(s["summation"].find("AllowanceTotalAmount"), std::string::npos);
  EXPECT_EQ(s["summation"].find("InvoiceReferencedDocument"), std::string::npos);
}

TEST(Allowances, UncleanedTextsAreEscaped) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  Invoice inv;
  inv.lines = {
      WithAllowance(Line(1, 100, 100, 19, "A"), 1, "19", "S", "R&R <\x01\xC3\xA4>", "A&B")};
  EXPECT_EQ(RunSteps(inv)["allowances"],
            AllowanceBlock("1.00", "A&amp;B", "R&amp;R &lt;\xC3\xA4&gt;", "S", "19.00"));
}

// ---- Summation ------------------------------------------------------------

TEST(Summation, PrepaidAndRoundingAmounts) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  Invoice inv = OneLine();
  inv.header["BT113"] = 50.0;
  inv.header["BT114"] = "0,005";  // a text total with a decimal comma: 0.01
  EXPECT_EQ(
      RunSteps(inv)["summation"],
      Summation("100.00", "100.00", "19.00", "119.00", "69.01", {}, "50.00", "0.01") + kClosing);
}

TEST(Summation, TaxRoundsHalfAwayFromZero) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  Invoice inv;
  inv.lines = {Line(1, 23.45, 23.45, 10, "A")};
  EXPECT_NE(RunSteps(inv)["summation"].find(">2.35</ram:TaxTotalAmount>"), std::string::npos);
  inv.lines = {Line(-1, 23.45, -23.45, 10, "A")};
  Steps s = RunSteps(inv);
  EXPECT_EQ(s["summation"], Summation("-23.45", "-23.45", "-2.35", "-25.80", "-25.80") + kClosing);
}

}  // namespace
}  // namespace belvora::test
