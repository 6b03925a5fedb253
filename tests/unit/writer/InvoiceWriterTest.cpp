// Whole documents through the writer, compared byte for byte.

#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <locale>

#include "InvoiceFixture.h"
#include "fakes/FakeInteraction.h"
#include "text/Texte.h"

namespace belvora::test {
namespace {

bool WellFormed(const std::string& xml) {
  xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "invoice.xml", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!doc) return false;
  xmlFreeDoc(doc);
  return true;
}

TEST(InvoiceDocument, FullInvoiceWithTransfer) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  std::string xml = WriteDocument(ThreeLines());
  ExpectDocument(xml, "full_58.xml");
  EXPECT_TRUE(WellFormed(xml));
  EXPECT_TRUE(ui->calls.empty());
}

TEST(InvoiceDocument, DirectDebitWithAllowancePeriodAndAttachments) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  AttachmentFiles files;
  std::string xml = WriteDocument(DirectDebitWithAllowanceAndPeriod(), files.list());
  ExpectDocument(xml, "debit_59_allowance.xml");
  EXPECT_TRUE(WellFormed(xml));
  EXPECT_TRUE(ui->calls.empty());
}

TEST(InvoiceDocument, EveryOptionalColumnEmpty) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  Invoice inv;
  for (auto& [name, value] : inv.header)
    if (name != "BT1" && name != "BT2" && name != "BT9" && name != "BT10") value = db::Value();
  inv.header["BT10"] = "";
  Row line = Line(1, 10, 10, 19, "");
  for (const char* c : {"BT130", "BT118", "BT153", "BT154", "BT155"}) line[c] = db::Value();
  inv.lines = {line};
  std::string xml = WriteDocument(inv);
  ExpectDocument(xml, "defaults.xml");
  EXPECT_TRUE(WellFormed(xml));
  EXPECT_TRUE(ui->calls.empty());
}

TEST(InvoiceDocument, UncleanedValuesAreEscapedSoTheDocumentStaysReadable) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  Invoice inv = ThreeLines();
  inv.header["BT1"] = "R&D<1>\x01";
  inv.header["BT3"] = "380\x02";
  inv.header["BT31"] = "DE&123";
  inv.header["BT48"] = "\"DE\"<987>";
  inv.header["BT49"] = "a&b@kunde.example";
  inv.header["BT81"] = "31";
  inv.header["BT82"] = "Bar & Karte";
  inv.header["BT83"] = "Ref <1>";
  inv.header["BT84"] = "DE02&";
  inv.header["BT20"] = "Netto & sofort";
  inv.lines[0]["BT130"] = "H&7";
  inv.lines[0]["BT118"] = "S'";
  std::string xml = WriteDocument(inv);
  EXPECT_TRUE(WellFormed(xml));
  for (const char* expected : {
           "<ram:ID>R&amp;D&lt;1&gt;</ram:ID>",
           "<ram:TypeCode>380</ram:TypeCode>",
           "<ram:ID schemeID=\"VA\">DE&amp;123</ram:ID>",
           "<ram:ID schemeID=\"VA\">&quot;DE&quot;&lt;987&gt;</ram:ID>",
           "<ram:URIID schemeID=\"EM\">a&amp;b@kunde.example</ram:URIID>",
           "<ram:TypeCode>31</ram:TypeCode>",
           "<ram:Information>Bar &amp; Karte</ram:Information>",
           "<ram:PaymentReference>Ref &lt;1&gt;</ram:PaymentReference>",
           "<ram:IBANID>DE02&amp;</ram:IBANID>",
           "<ram:Description>Netto &amp; sofort</ram:Description>",
           "unitCode=\"H&amp;7\">1.00</ram:BasisQuantity>",
           "<ram:CategoryCode>S&apos;</ram:CategoryCode>",
       })
    EXPECT_NE(xml.find(expected), std::string::npos) << expected;
}

TEST(InvoiceDocument, SameBytesUnderAGermanNumberLocale) {
  struct GermanPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
  };
  PinnedToday today;
  ScopedFakeInteraction ui;
  std::locale previous = std::locale::global(std::locale(std::locale::classic(), new GermanPunct));
  std::string savedC = std::setlocale(LC_NUMERIC, nullptr);
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // when installed
  std::string xml = WriteDocument(ThreeLines());
  std::setlocale(LC_NUMERIC, savedC.c_str());
  std::locale::global(previous);
  ExpectDocument(xml, "full_58.xml");
}

// Rows made on demand, so that large invoices cost no memory in the test.
class GeneratedLines : public db::Cursor {
 public:
  GeneratedLines(size_t count, size_t rates) : count_(count), rates_(rates) {
    Row header = FullHeader();
    for (const auto& [name, value] : header) {
      columns_.push_back(name);
      row_.push_back(value);
    }
    for (const char* c :
         {"BT126", "BT129", "BT130", "BT131", "BT146", "BT152", "BT153", "BT154", "BT155"}) {
      columns_.push_back(c);
      row_.emplace_back();
    }
    first_ = header.size();
  }
  const std::vector<std::string>& columns() const override { return columns_; }
  bool next() override {
    if (++pos_ >= count_) return false;
    double rate = static_cast<double>(pos_ % rates_) / 10;  // 0.0, 0.1, ... distinct rates
    row_[first_ + 0] = std::to_string(pos_ + 1);
    row_[first_ + 1] = 3.0;
    row_[first_ + 2] = "H87";
    row_[first_ + 3] = 1.5 + static_cast<double>(pos_ % 7);
    row_[first_ + 4] = 0.5 + static_cast<double>(pos_ % 7) / 3;
    row_[first_ + 5] = rate;
    row_[first_ + 6] = "Artikel " + std::to_string(pos_);
    row_[first_ + 7] = "Beschreibung";
    row_[first_ + 8] = "A-" + std::to_string(pos_);
    return true;
  }
  const std::vector<db::Value>& row() const override { return row_; }

 private:
  size_t count_, rates_;
  size_t pos_ = static_cast<size_t>(-1);
  size_t first_ = 0;
  std::vector<std::string> columns_;
  std::vector<db::Value> row_;
};

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

TEST(InvoiceDocument, TenThousandLines) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  GeneratedLines rows(10000, 3);
  auto start = std::chrono::steady_clock::now();
  std::string xml = WriteDocument(rows);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                  start)
                .count();
  GTEST_LOG_(INFO) << "10,000 lines: " << xml.size() << " bytes in " << ms << " ms";
  EXPECT_EQ(Count(xml, "<ram:IncludedSupplyChainTradeLineItem>"), 10000u);
  EXPECT_NE(xml.find("<ram:LineID>10000</ram:LineID>"), std::string::npos);
  EXPECT_EQ(Count(xml, "\n\t\t<ram:ApplicableTradeTax>"), 3u);
  // sum of 1.5 + i % 7: 1428 full cycles of 7 (31.5 each) and 1.5 + 2.5 + 3.5 + 4.5
  EXPECT_NE(xml.find("<ram:LineTotalAmount>44994.00</ram:LineTotalAmount>"), std::string::npos);
  EXPECT_TRUE(WellFormed(xml));
  EXPECT_TRUE(ui->calls.empty());
}

TEST(InvoiceDocument, MoreLinesAndRatesThanSixteenBitCountersHold) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  GeneratedLines rows(33000, 300);
  std::string xml = WriteDocument(rows);
  EXPECT_NE(xml.find("<ram:LineID>32768</ram:LineID>"), std::string::npos);
  EXPECT_NE(xml.find("<ram:LineID>33000</ram:LineID>"), std::string::npos);
  EXPECT_EQ(Count(xml, "\n\t\t<ram:ApplicableTradeTax>"), 300u);
  EXPECT_NE(xml.find("<ram:RateApplicablePercent>29.90</ram:RateApplicablePercent>\r\n\t\t</"),
            std::string::npos);
  EXPECT_TRUE(ui->calls.empty());
}

}  // namespace
}  // namespace belvora::test
