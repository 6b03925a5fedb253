// Every invoice of the template database, created end to end through the
// public API from a copy of the built database: the documents carry the
// totals the database holds, the case each sample stands for, and land in
// the documents table.
#include <gtest/gtest.h>

#include <map>

#include "TemplateSupport.h"
#include "platform/db/Connection.h"

namespace belvora::test::tpl {
namespace {

const std::string kSum = "//ram:SpecifiedTradeSettlementHeaderMonetarySummation/";
const std::string kMeans = "//ram:SpecifiedTradeSettlementPaymentMeans/";

std::string Amount(std::int64_t cents) {
  const std::string sign = cents < 0 ? "-" : "";
  if (cents < 0) cents = -cents;
  std::string fraction = std::to_string(cents % 100);
  if (fraction.size() < 2) fraction = "0" + fraction;
  return sign + std::to_string(cents / 100) + "." + fraction;
}

class TemplateInvoices : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    database_ = dir_->file("VorlageDB.sqlite");
    CopyFile(BELVORA_TEMPLATE_DB, database_);
    auto c = db::open("Data Source=" + database_);
    for (const auto& number : InvoiceNumbers(*c)) {
      (*rows_)[number] =
          ReadRows(*c, "SELECT * FROM VorlageXRechnung WHERE BT1 = ? ORDER BY BT126", {number});
    }
    c.reset();
    for (const auto& [number, rows] : *rows_)
      (*created_)[number] = CreateInvoice(dir_->path(), "Data Source=" + database_,
                                          "Select * from xRechnung", number);
  }
  static void TearDownTestSuite() {
    rows_->clear();
    created_->clear();
    delete dir_;
  }
  void SetUp() override {
    for (const auto& [number, c] : *created_)
      ASSERT_TRUE(c.created) << "invoice " << number << " was not created:\n" << c.messages;
  }

  static TempDir* dir_;
  static std::string database_;
  static std::map<std::string, std::vector<Row>>* rows_;
  static std::map<std::string, Created>* created_;
};

TempDir* TemplateInvoices::dir_ = nullptr;
std::string TemplateInvoices::database_;
std::map<std::string, std::vector<Row>>* TemplateInvoices::rows_ =
    new std::map<std::string, std::vector<Row>>;
std::map<std::string, Created>* TemplateInvoices::created_ = new std::map<std::string, Created>;

TEST_F(TemplateInvoices, EveryInvoiceIsWrittenWithoutAnyMessage) {
  ASSERT_EQ(created_->size(), 4u);
  for (const auto& [number, c] : *created_) {
    SCOPED_TRACE(number);
    EXPECT_TRUE(c.initialised);
    EXPECT_EQ(c.messages, "");
    const std::string bytes = ReadBytes(c.file);
    EXPECT_EQ(bytes.substr(0, 9), "\xEF\xBB\xBF<?xml ");
    const std::string end = "</rsm:CrossIndustryInvoice>";
    ASSERT_GT(bytes.size(), end.size());
    EXPECT_EQ(bytes.substr(bytes.size() - end.size()), end);
  }
}

TEST_F(TemplateInvoices, TotalsEqualTheTotalsHeldInTheDatabase) {
  for (const auto& [number, c] : *created_) {
    SCOPED_TRACE(number);
    const auto& rows = rows_->at(number);
    const Row& head = rows.front();
    std::int64_t lineTotal = 0;
    std::map<std::int64_t, std::int64_t> basisByRate;
    for (const Row& line : rows) {
      lineTotal += *Cents(line.at("BT131"));
      basisByRate[*Cents(line.at("BT152"))] = *Cents(line.at("BT116"));
    }
    EXPECT_EQ(XPathString(c.file, "count(//ram:IncludedSupplyChainTradeLineItem)"),
              std::to_string(rows.size()));
    EXPECT_EQ(XPathString(c.file, kSum + "ram:LineTotalAmount"), Amount(lineTotal));
    EXPECT_EQ(XPathString(c.file, kSum + "ram:TaxBasisTotalAmount"),
              Amount(*Cents(head.at("BT109"))));
    EXPECT_EQ(XPathString(c.file, kSum + "ram:TaxTotalAmount"), Amount(*Cents(head.at("BT110"))));
    EXPECT_EQ(XPathString(c.file, kSum + "ram:GrandTotalAmount"), Amount(*Cents(head.at("BT112"))));
    EXPECT_EQ(XPathString(c.file, kSum + "ram:TotalPrepaidAmount"),
              Amount(*Cents(head.at("BT113"))));
    EXPECT_EQ(XPathString(c.file, kSum + "ram:DuePayableAmount"), Amount(*Cents(head.at("BT115"))));
    EXPECT_EQ(
        XPathString(c.file, "count(//ram:ApplicableHeaderTradeSettlement/ram:ApplicableTradeTax)"),
        std::to_string(basisByRate.size()));
    for (const auto& [rate, basis] : basisByRate) {
      const std::string group =
          "//ram:ApplicableHeaderTradeSettlement/ram:ApplicableTradeTax"
          "[ram:RateApplicablePercent='" +
          Amount(rate) + "']/";
      EXPECT_EQ(XPathString(c.file, group + "ram:BasisAmount"), Amount(basis)) << "rate " << rate;
      EXPECT_EQ(XPathString(c.file, group + "ram:CategoryCode"), "S") << "rate " << rate;
    }
  }
}

struct Expectation {
  const char* number;
  std::string xpath;
  std::string expected;
};

TEST_F(TemplateInvoices, EachInvoiceWritesTheCaseItStandsFor) {
  const std::string date = "/udt:DateTimeString";
  const std::string period = "//ram:BillingSpecifiedPeriod/";
  const std::vector<Expectation> expectations = {
      // credit transfer to a public buyer with Leitweg-ID, two notes, every
      // character of the names kept
      {"252068", "//rsm:ExchangedDocument/ram:IssueDateTime" + date, "20250314"},
      {"252068", "count(//rsm:ExchangedDocument/ram:IncludedNote)", "2"},
      {"252068", "//rsm:ExchangedDocument/ram:IncludedNote[2]/ram:Content",
       "Die Arbeiten wurden am 10.03.2025 im Rathaus, Haus B, ausgeführt."},
      {"252068", "//ram:BuyerReference", "09876000-2024A-81"},
      {"252068", "//ram:SellerTradeParty/ram:Name", "Hansen & Krüger Gebäudetechnik GmbH"},
      {"252068", "//ram:SellerTradeParty/ram:SpecifiedTaxRegistration/ram:ID", "DE273415820"},
      {"252068", "//ram:BuyerTradeParty/ram:PostalTradeAddress/ram:CityName", "Musterstadt"},
      {"252068", kMeans + "ram:TypeCode", "58"},
      {"252068", kMeans + "ram:Information", "Überweisung"},
      {"252068", kMeans + "ram:PayeePartyCreditorFinancialAccount/ram:IBANID",
       "DE21290501010001234567"},
      {"252068", kMeans + "ram:PayeeSpecifiedCreditorFinancialInstitution/ram:BICID",
       "SBREDE22XXX"},
      {"252068", "//ram:SpecifiedTradePaymentTerms/ram:DueDateDateTime" + date, "20250328"},
      // the delivery date is the actual delivery, not a billing period
      {"252068",
       "//ram:ApplicableHeaderTradeDelivery/ram:ActualDeliverySupplyChainEvent/"
       "ram:OccurrenceDateTime" +
           date,
       "20250310"},
      {"252068", "count(//ram:BillingSpecifiedPeriod)", "0"},
      // SEPA direct debit
      {"252069", kMeans + "ram:TypeCode", "59"},
      {"252069", "//ram:ApplicableHeaderTradeSettlement/ram:CreditorReferenceID",
       "DE17ZZZ04711234567"},
      {"252069", kMeans + "ram:PayerPartyDebtorFinancialAccount/ram:IBANID",
       "DE75250501800009912345"},
      {"252069", "count(" + kMeans + "ram:PayeeSpecifiedCreditorFinancialInstitution)", "0"},
      {"252069", "//ram:SpecifiedTradePaymentTerms/ram:DirectDebitMandateID", "SON-2022-0031"},
      {"252069", "//ram:BuyerTradeParty/ram:Name", "Bäckerei Sonnenschein GmbH & Co. KG"},
      // document allowance after an advance payment
      {"252070", "count(//ram:ApplicableHeaderTradeSettlement/ram:SpecifiedTradeAllowanceCharge)",
       "1"},
      {"252070", "//ram:SpecifiedTradeAllowanceCharge/ram:ActualAmount", "49.00"},
      {"252070", "//ram:SpecifiedTradeAllowanceCharge/ram:ReasonCode", "95"},
      {"252070", "//ram:SpecifiedTradeAllowanceCharge/ram:Reason",
       "Rabatt 5 % auf Rauchwarnmelder"},
      {"252070",
       "//ram:SpecifiedTradeAllowanceCharge/ram:CategoryTradeTax/ram:RateApplicablePercent",
       "19.00"},
      {"252070", kSum + "ram:AllowanceTotalAmount", "49.00"},
      {"252070", "//ram:InvoiceReferencedDocument/ram:IssuerAssignedID", "252031"},
      // billing period without a delivery date
      {"252071", kMeans + "ram:TypeCode", "30"},
      {"252071", period + "ram:StartDateTime" + date, "20250301"},
      {"252071", period + "ram:EndDateTime" + date, "20250331"},
  };
  for (const auto& e : expectations)
    EXPECT_EQ(XPathString(created_->at(e.number).file, e.xpath), e.expected)
        << e.number << ": " << e.xpath;
  for (const char* number : {"252068", "252069", "252071"})
    EXPECT_EQ(XPathString(created_->at(number).file,
                          "count(//ram:ApplicableHeaderTradeSettlement/"
                          "ram:SpecifiedTradeAllowanceCharge)"),
              "0")
        << number;
}

TEST_F(TemplateInvoices, EveryInvoiceIsStoredInTheDocumentsTable) {
  auto c = db::open("Data Source=" + database_);
  const auto stored = ReadRows(*c, "SELECT * FROM tblDocuments ORDER BY ID");
  ASSERT_EQ(stored.size(), created_->size());
  for (const Row& row : stored) {
    const std::string number = Text(row.at("NUMBER"));
    SCOPED_TRACE(number);
    ASSERT_EQ(created_->count(number), 1u);
    const std::string bytes = ReadBytes(created_->at(number).file);
    EXPECT_EQ(Text(row.at("DOCTYPE")), "AU");
    EXPECT_EQ(Text(row.at("FILENAME")), "RG" + number + ".xml");
    EXPECT_EQ(Text(row.at("FILETYPE")), "xml");
    EXPECT_EQ(row.at("FILESIZE"), db::Value(static_cast<std::int64_t>(bytes.size())));
    EXPECT_EQ(row.at("BINARYFILE"), db::Value(db::Blob(bytes.begin(), bytes.end())));
  }
}

}  // namespace
}  // namespace belvora::test::tpl
