// Whole documents byte for byte, and what the writer does with the terms
// that the documents do not show: absent ones, characters, terms that CII
// cannot carry. The expected documents under tests/data/writer are also the
// input: read into the model, written again, they must come out byte for
// byte; variants start from one of them.

#include <gtest/gtest.h>

#include <chrono>
#include <clocale>
#include <functional>
#include <locale>
#include <regex>
#include <tuple>

#include "model/InvoiceTotals.h"
#include "platform/sys/Clock.h"
#include "platform/xml/Document.h"
#include "reader/CiiInvoiceModel.h"
#include "support/Process.h"
#include "support/SharedArtefacts.h"
#include "support/TempDir.h"
#include "writer/InvoiceWriter.h"

namespace belvora::test::cii {
namespace {

using model::Decimal;
using model::Invoice;

Decimal Dec(const char* text) { return *Decimal::parse(text); }
model::Date Day(int y, int m, int d) { return model::Date{y, m, d}; }
std::string Golden(const std::string& name) {
  return std::string(BELVORA_TEST_DATA_DIR) + "/writer/" + name;
}

// The invoice of an expected document.
Invoice Read(const std::string& name) {
  reader::CiiModel m;
  std::string message;
  EXPECT_TRUE(reader::ReadCiiModelFile(Golden(name), m, message)) << name << ": " << message;
  return m.invoice;
}
// Credit transfer, three lines at 19 % and 7 %.
Invoice Standard() { return Read("full_58.xml"); }

// ComputeTotals, then every writer section.
std::string Write(Invoice inv) {
  model::ComputeTotals(inv);
  return writer::WriteCii(inv);
}

// Pins today's date for the generator comment.
struct PinnedToday {
  explicit PinnedToday(int y = 2024, unsigned m = 3, unsigned d = 15) {
    sys::setTodayForTesting(std::chrono::year_month_day{std::chrono::year{y}, std::chrono::month{m},
                                                        std::chrono::day{d}});
  }
  ~PinnedToday() { sys::setTodayForTesting(std::nullopt); }
};

bool WellFormed(const std::string& xml) {
  try {
    return xml::Document::parseMemory(xml).root() != nullptr;
  } catch (const xml::ParseError&) {
    return false;
  }
}

// Elements without content, but for the delivery element that the layout
// writes empty when there is no delivery data.
std::vector<std::string> EmptyElements(const std::string& xml) {
  static const std::regex empty(R"(<([\w:]+)[^>]*>\s*</\1>|<([\w:]+)[^>]*/>)");
  std::vector<std::string> found;
  for (std::sregex_iterator it(xml.begin(), xml.end(), empty), end; it != end; ++it)
    if (it->str() != "<ram:ApplicableHeaderTradeDelivery/>") found.push_back(it->str());
  return found;
}

class Documents : public testing::TestWithParam<const char*> {};

TEST_P(Documents, AreWrittenAgainByteForByte) {
  PinnedToday today;
  const std::string xml = Write(Read(GetParam()));
  EXPECT_EQ(xml, readAll(Golden(GetParam())));
  EXPECT_TRUE(WellFormed(xml));
  EXPECT_EQ(xml.find("FALSE()"), std::string::npos);
  EXPECT_EQ(EmptyElements(xml), std::vector<std::string>{});
}

// Credit transfer; direct debit with an allowance, a period, two files;
// only what is required; every group (six VAT categories, four at 0 %);
// not subject to VAT.
INSTANTIATE_TEST_SUITE_P(Writer, Documents,
                         testing::Values("full_58.xml", "debit_59_allowance.xml", "defaults.xml",
                                         "every_group.xml", "not_subject_o.xml"),
                         [](const auto& info) {
                           const std::string name = info.param;
                           return name.substr(0, name.find('.'));
                         });

// ---- Terms: what a change of the standard invoice writes and leaves out ----

struct TermCase {
  const char* name;
  std::function<void(Invoice&)> change;
  std::vector<std::string> absent, present;
};

void PrintTo(const TermCase& c, std::ostream* os) { *os << c.name; }
class Terms : public testing::TestWithParam<TermCase> {};

TEST_P(Terms, AreWrittenAsHeld) {
  PinnedToday today;
  Invoice inv = Standard();
  GetParam().change(inv);
  const std::string xml = Write(inv);
  for (const auto& a : GetParam().absent) EXPECT_EQ(xml.find(a), std::string::npos) << a;
  for (const auto& p : GetParam().present) EXPECT_NE(xml.find(p), std::string::npos) << p;
  EXPECT_EQ(EmptyElements(xml), std::vector<std::string>{});
}

const std::string kCvd =
    "urn:cen.eu:en16931:2017#compliant#urn:xeinkauf.de:kosit:xrechnung_3.0#compliant#urn:xeinkauf."
    "de:kosit:xrechnung:cvd_0.9";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Writer, Terms, testing::Values(
    // Absent terms omit their element, all-absent groups the group.
    TermCase{"ContactGroup", [](Invoice& i) { i.seller.contact = {}; },
             {"Max Mustermann"}, {"Muster GmbH</ram:Name>\r\n\t\t\t\t<ram:PostalTradeAddress>"}},
    TermCase{"ContactNameAndTelephone", [](Invoice& i) { i.buyer.contact.name = i.buyer.contact.telephone = ""; },
             {"Erika Beispiel", "+49 89"}, {"<ram:DefinedTradeContact>\r\n\t\t\t\t\t<ram:EmailURIUniversalCommunication>"}},
    TermCase{"NotesWithoutText", [](Invoice& i) { i.notes = {{"AAI", ""}, {"REG", "\x01"}}; },
             {"<ram:IncludedNote>"}, {}},
    TermCase{"NoteSubject", [](Invoice& i) { i.notes = {{"", "Text"}}; },
             {"SubjectCode"}, {"<ram:Content>Text</ram:Content>\r\n\t\t</ram:IncludedNote>"}},
    TermCase{"TypeCodeProcessCountry", [](Invoice& i) { i.typeCode = i.businessProcess = i.seller.address.countryCode = ""; },
             {"<ram:TypeCode>0<", "BusinessProcess"}, {"<ram:CityName>Berlin</ram:CityName>\r\n\t\t\t\t</ram:PostalTradeAddress>"}},
    TermCase{"VatIdentifiers", [](Invoice& i) { i.seller.vatId = i.buyer.vatId = ""; },
             {"SpecifiedTaxRegistration"}, {}},
    TermCase{"AccountNameAndBic", [](Invoice& i) { i.paymentMeans[0].accounts[0] = {"DE02120300000000202051", "", ""}; },
             {"AccountName", "BICID"}, {"<ram:IBANID>DE02120300000000202051<"}},
    TermCase{"PaymentTextAndReference", [](Invoice& i) { i.paymentMeans[0].text = i.remittanceInformation = ""; },
             {"<ram:Information>", "PaymentReference"}, {"<ram:TypeCode>58<"}},
    TermCase{"ItemDescriptionAndId", [](Invoice& i) { for (auto& l : i.lines) l.itemDescription = l.sellerItemId = ""; },
             {"<ram:Description>Widget", "SellerAssignedID"},
             {"<ram:SpecifiedTradeProduct>\r\n\t\t\t\t<ram:Name>Widget</ram:Name>\r\n\t\t\t</"}},
    TermCase{"PaymentTerms", [](Invoice& i) { i.paymentTerms.clear(); i.dueDate.reset(); },
             {"PaymentTerms"}, {}},
    TermCase{"PaidAndRounding", [](Invoice& i) { i.totals.paidAmount = i.totals.roundingAmount = std::nullopt; },
             {"TotalPrepaid", "RoundingAmount"}, {"<ram:DuePayableAmount>351.00<"}},
    TermCase{"ControlCharactersOnly", [](Invoice& i) { i.seller.tradingName = "\x01\x1F"; },
             {"SpecifiedLegalOrganization"}, {}},
    TermCase{"EmptyPaymentMeans", [](Invoice& i) { i.paymentMeans = {{}}; }, {"PaymentMeans>"}, {}},
    // Dates: the delivery date is the actual delivery; no invented period end.
    TermCase{"DeliveryDate", [](Invoice& i) { i.delivery.actualDate = Day(2024, 2, 28); }, {"BillingSpecifiedPeriod"},
             {"<ram:ActualDeliverySupplyChainEvent>\r\n\t\t\t\t<ram:OccurrenceDateTime>\r\n"
              "\t\t\t\t\t<udt:DateTimeString format=\"102\">20240228<"}},
    TermCase{"PeriodStartOnly", [](Invoice& i) { i.invoicingPeriod.start = Day(2024, 2, 1); }, {"EndDateTime"},
             {"<ram:StartDateTime>\r\n\t\t\t\t<udt:DateTimeString format=\"102\">20240201<"}},
    // Characters are kept; what XML forbids goes, the specials are escaped.
    TermCase{"Characters",
             [](Invoice& i) {
               i.buyer.name = "Testkäufer & Söhne <Nord> \"O'Neill\"\x01\x0C€";
               i.notes = {{"AAI", "Zeile 1\r\nZeile 2\tEnde"}};
               i.attachments = {{"A&B", "", "", "x", "text/csv", "a\"b&c.csv", ""}};
             },
             {"Testkaeufer"},
             {"<ram:Name>Testkäufer &amp; Söhne &lt;Nord&gt; &quot;O&apos;Neill&quot;€</ram:Name>",
              "<ram:Content>Zeile 1\r\nZeile 2\tEnde</ram:Content>",
              "<ram:AttachmentBinaryObject filename=\"a&quot;b&amp;c.csv\" mimeCode=\"text/csv\">eA==</"}},
    // Numbers and identifiers as the source holds them.
    TermCase{"NumbersAndLineId",
             [](Invoice& i) {
               i.lines[0].id = "A-01"; i.lines[0].quantity = Dec("30.000");
               i.lines[0].netPrice = Dec("158.125"); i.lines[0].baseQuantity = Dec("1");
             },
             {}, {"<ram:LineID>A-01<", ">30.000</ram:BilledQuantity>", "<ram:LineTotalAmount>200.00<",
                  "<ram:ChargeAmount>158.125</ram:ChargeAmount>\r\n\t\t\t\t\t<ram:BasisQuantity>1.00<"}},
    TermCase{"CardNumberAsMasked", [](Invoice& i) { i.paymentMeans = {{"48", "", {}, "XXXXXXXXXXXX1234", "", ""}}; },
             {}, {"<ram:ID>XXXXXXXXXXXX1234</ram:ID>"}},
    TermCase{"IdentifiersAndAccounts",
             [](Invoice& i) {
               i.seller.ids = {{"4000001123452", "0088"}, {"L-1", ""}};
               i.paymentMeans[0].accounts.push_back({"12345678", "Konto 2", ""});
             },
             {}, {"<ram:ID>L-1</ram:ID>\r\n\t\t\t\t<ram:GlobalID schemeID=\"0088\">",
                  "<ram:Information>Ueberweisung</ram:Information>\r\n\t\t\t\t<ram:PayeePartyCreditorFinancialAccount>"
                  "\r\n\t\t\t\t\t<ram:AccountName>Konto 2</ram:AccountName>\r\n\t\t\t\t\t<ram:ProprietaryID>"}},
    TermCase{"SpecificationIdentifier", [](Invoice& i) { i.specificationId = kCvd; }, {}, {"<ram:ID>" + kCvd + "<"}}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// ---- Terms that CII cannot carry stop the writer -------------------------------

struct RefusedCase {
  const char* name;
  std::function<void(Invoice&)> change;
  std::string message;
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }
class Refused : public testing::TestWithParam<RefusedCase> {};

TEST_P(Refused, WithAMessage) {
  Invoice inv = Standard();
  GetParam().change(inv);
  model::ComputeTotals(inv);
  try {
    writer::WriteCii(inv);
    FAIL() << "expected the writer to refuse the invoice";
  } catch (const std::invalid_argument& e) {
    EXPECT_EQ(e.what(), GetParam().message);
  }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Writer, Refused, testing::Values(
    RefusedCase{"TwoPrecedingInvoices", [](Invoice& i) { i.precedingInvoices = {{"R-1", {}}, {"", Day(2024, 1, 2)}}; },
                "CII holds one preceding invoice reference (BG-3); the invoice has 2."},
    RefusedCase{"AccountingTotalWithoutCurrency", [](Invoice& i) { i.totals.vatTotalInAccountingCurrency = Dec("1"); },
                "The VAT total in accounting currency (BT-111) needs the accounting currency (BT-6)."},
    RefusedCase{"TaxPointWithoutBreakdown", [](Invoice& i) { i.lines.clear(); i.taxPointDateCode = "3"; },
                "The tax point date (BT-7, BT-8) needs a VAT breakdown (BG-23) to be written in."},
    RefusedCase{"PaymentMeansCodes", [](Invoice& i) { i.paymentMeans.push_back({"30", "Ueberweisung", {}, "", "", ""}); },
                "CII holds one payment means code and text (BT-81, BT-82) for all payment instructions; "
                "the invoice has \"58\" and \"30\"."},
    RefusedCase{"PaymentMeansTexts", [](Invoice& i) { i.paymentMeans.push_back({"58", "Konto 2", {}, "", "", ""}); },
                "CII holds one payment means code and text (BT-81, BT-82) for all payment instructions; "
                "the invoice has \"Ueberweisung\" and \"Konto 2\"."},
    RefusedCase{"DiscountWithoutGrossPrice", [](Invoice& i) { i.lines[1].priceDiscount = Dec("1"); },
                "The item price discount (BT-147) needs the gross price (BT-148), line 2."}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// ---- Sections, locale, size ---------------------------------------------------------

// The creation run and the public section methods call the sections one by
// one; each writes its own part of the document.
TEST(Sections, EachWritesItsPartInOrder) {
  PinnedToday today(2025, 12, 31);
  Invoice inv = Read("debit_59_allowance.xml");
  model::ComputeTotals(inv);
  writer::InvoiceWriter w(inv);
  // clang-format off
  const std::vector<std::tuple<std::function<void()>, std::string, std::string>> sections = {
      {[&] { w.writeHeader(); }, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!-- Mit belvora Version: 3.2.10 erstellt. -->"
                                 "\r\n<!-- Infos unter: https://belvora.example.org -->\r\n<!-- Erstellt am: 31.12.2025",
       "\t<rsm:SupplyChainTradeTransaction>\r\n\t\t<ram:IncludedSupplyChainTradeLineItem>\r\n"},
      {[&] { w.writeLineItems(); }, "\t\t\t<ram:AssociatedDocumentLineDocument>",
       "\t\t</ram:IncludedSupplyChainTradeLineItem>\r\n\t\t<ram:ApplicableHeaderTradeAgreement>\r\n"},
      {[&] { w.writeTradeParty(true); }, "\t\t\t<ram:BuyerReference>", "\t\t\t</ram:SellerTradeParty>\r\n"},
      {[&] { w.writeTradeParty(false); }, "\t\t\t<ram:BuyerTradeParty>", "\t\t</ram:SpecifiedProcuringProject>\r\n"},
      {[&] { w.writeSettlement(); }, "\t\t</ram:ApplicableHeaderTradeAgreement>\r\n\t\t<ram:ApplicableHeaderTradeDelivery/>\r\n",
       "\t\t\t</ram:SpecifiedTradeSettlementPaymentMeans>\r\n"},
      {[&] { w.writeTaxBreakdown(); }, "\t\t<ram:ApplicableTradeTax>", "\t\t</ram:ApplicableTradeTax>\r\n"},
      {[&] { w.writeBillingPeriod(); }, "\t\t<ram:BillingSpecifiedPeriod>", "\t\t</ram:BillingSpecifiedPeriod>\r\n"},
      {[&] { w.writeAllowances(); }, "\t\t<ram:SpecifiedTradeAllowanceCharge>", "\t\t</ram:SpecifiedTradeAllowanceCharge>\r\n"},
      {[&] { w.writePaymentTerms(); }, "\t\t<ram:SpecifiedTradePaymentTerms>", "\t\t</ram:SpecifiedTradePaymentTerms>\r\n"},
      {[&] { w.writeSummation(); }, "\t\t<ram:SpecifiedTradeSettlementHeaderMonetarySummation>",
       "\t\t</ram:ApplicableHeaderTradeSettlement>\r\n\t</rsm:SupplyChainTradeTransaction>\r\n</rsm:CrossIndustryInvoice>"}};
  // clang-format on
  for (const auto& [write, begin, end] : sections) {
    const size_t mark = w.text().size();
    write();
    const std::string part = w.text().substr(mark);
    EXPECT_TRUE(part.starts_with(begin) && part.ends_with(end)) << part;
  }
  EXPECT_EQ(w.text(), writer::WriteCii(inv));
}

TEST(Writer, SameBytesUnderAGermanNumberLocale) {
  struct GermanPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
  };
  PinnedToday today;
  std::locale previous = std::locale::global(std::locale(std::locale::classic(), new GermanPunct));
  std::string savedC = std::setlocale(LC_NUMERIC, nullptr);
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // when installed
  const std::string xml = Write(Read("every_group.xml"));
  std::setlocale(LC_NUMERIC, savedC.c_str());
  std::locale::global(previous);
  EXPECT_EQ(xml, readAll(Golden("every_group.xml")));
}

// An invoice without lines breaks the rules, but its text is still XML.
TEST(Writer, WithoutLinesTheDocumentIsStillWellFormed) {
  Invoice inv = Standard();
  inv.lines.clear();
  EXPECT_TRUE(WellFormed(Write(inv)));
}

TEST(Writer, TenThousandLines) {
  Invoice inv = Standard();
  const model::Line first = inv.lines[0];
  inv.lines.clear();
  for (int i = 1; i <= 10000; ++i) {
    inv.lines.push_back(first);
    inv.lines.back().id = std::to_string(i);
    inv.lines.back().vatRate = Dec(i % 3 ? "19" : "7");
    inv.lines.back().netAmount = Decimal::fromUnits(150 + (i % 7) * 100, 2);  // 1.50 ... 7.50
  }
  const std::string xml = Write(inv);
  EXPECT_NE(xml.find("<ram:LineID>10000</ram:LineID>"), std::string::npos);
  // 1428 cycles of 1.50 .. 7.50 (31.50 each), then 2.50 + 3.50 + 4.50 + 5.50
  EXPECT_NE(xml.find("\t\t\t<ram:LineTotalAmount>44998.00<"), std::string::npos);
  EXPECT_TRUE(WellFormed(xml));
}

// The expected documents, and a card payment, through the official EN 16931
// and XRechnung 3.0 validation: one call for all (each call starts a JVM).
TEST(Validation, GeneratedInvoicesPassEn16931AndXRechnung) {
  BELVORA_REQUIRE_VALIDATION();
  PinnedToday today;
  TempDir dir;
  Invoice card = Standard();
  card.paymentMeans = {{"48", "Kartenzahlung", {}, "XXXXXX1234", "Max Karte", ""}};
  writeAll(dir / "card.xml", Write(card));
  test::Run run;
  run.argv = {ValidationDir() + "/check", dir / "card.xml"};
  run.mergeErr = true;
  for (const char* name : {"full_58.xml", "debit_59_allowance.xml", "defaults.xml",
                           "every_group.xml", "not_subject_o.xml"})
    run.argv.push_back(Golden(name));
  const RunResult result = RunProcess(run);
  EXPECT_EQ(result.status, 0) << result.out;
  size_t passed = 0;
  for (size_t p = result.out.find("-> PASS"); p != std::string::npos;
       p = result.out.find("-> PASS", p + 1))
    ++passed;
  EXPECT_EQ(passed, run.argv.size() - 1) << result.out;
}

}  // namespace
}  // namespace belvora::test::cii
