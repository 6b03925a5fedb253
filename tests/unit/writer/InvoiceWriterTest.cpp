// Whole documents through the writer, compared byte for byte.

#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <clocale>
#include <locale>
#include <regex>

#include "GoldenInvoices.h"
#include "fakes/FakeInteraction.h"

namespace belvora::test::cii {
namespace {

bool WellFormed(const std::string& xml) {
  xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "invoice.xml", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!doc) return false;
  xmlFreeDoc(doc);
  return true;
}

// Elements without content, other than the delivery element the layout
// writes empty when there is no delivery data.
std::vector<std::string> EmptyElements(const std::string& xml) {
  static const std::regex empty(R"(<([\w:]+)[^>]*>\s*</\1>|<([\w:]+)[^>]*/>)");
  std::vector<std::string> found;
  for (std::sregex_iterator it(xml.begin(), xml.end(), empty), end; it != end; ++it)
    if (it->str() != "<ram:ApplicableHeaderTradeDelivery/>") found.push_back(it->str());
  return found;
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

struct Golden {
  const char* file;
  model::Invoice (*invoice)();
};

class Documents : public testing::TestWithParam<Golden> {};

TEST_P(Documents, AreWrittenByteForByte) {
  PinnedToday today;
  ScopedFakeInteraction ui;
  const std::string xml = Write(GetParam().invoice());
  ExpectDocument(xml, GetParam().file);
  EXPECT_TRUE(WellFormed(xml));
  EXPECT_EQ(xml.find("FALSE()"), std::string::npos);
  EXPECT_EQ(EmptyElements(xml), std::vector<std::string>{});
  EXPECT_TRUE(ui->calls.empty());
}

INSTANTIATE_TEST_SUITE_P(Writer, Documents,
                         testing::Values(Golden{"full_58.xml", Standard},
                                         Golden{"debit_59_allowance.xml", DirectDebit},
                                         Golden{"defaults.xml", MandatoryOnly},
                                         Golden{"every_group.xml", EveryGroup},
                                         Golden{"not_subject_o.xml", NotSubject}),
                         [](const auto& info) {
                           std::string name = info.param.file;
                           return name.substr(0, name.find('.'));
                         });

TEST(InvoiceDocument, SameBytesUnderAGermanNumberLocale) {
  struct GermanPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
  };
  PinnedToday today;
  std::locale previous = std::locale::global(std::locale(std::locale::classic(), new GermanPunct));
  std::string savedC = std::setlocale(LC_NUMERIC, nullptr);
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // when installed
  std::string xml = Write(EveryGroup());
  std::setlocale(LC_NUMERIC, savedC.c_str());
  std::locale::global(previous);
  ExpectDocument(xml, "every_group.xml");
}

// An invoice without lines breaks the rules, but its text is still XML.
TEST(InvoiceDocument, WithoutLinesTheDocumentIsStillWellFormed) {
  PinnedToday today;
  model::Invoice inv = Standard();
  inv.lines.clear();
  const std::string xml = Write(inv);
  EXPECT_TRUE(WellFormed(xml)) << xml;
  EXPECT_EQ(xml.find("IncludedSupplyChainTradeLineItem"), std::string::npos);
  EXPECT_NE(
      xml.find("<rsm:SupplyChainTradeTransaction>\r\n\t\t<ram:ApplicableHeaderTradeAgreement>"),
      std::string::npos);
}

TEST(InvoiceDocument, TenThousandLines) {
  PinnedToday today;
  model::Invoice inv = Standard();
  inv.lines.clear();
  for (int i = 1; i <= 10000; ++i) {
    std::string id = std::to_string(i);
    model::Line l =
        Item(id.c_str(), "3", "H87", "0.5", "1.50", "S", i % 3 ? "19" : "7", "Artikel " + id);
    l.netAmount = Decimal::fromUnits(150 + (i % 7) * 100, 2);  // 1.50 ... 7.50
    inv.lines.push_back(std::move(l));
  }
  const std::string xml = Write(inv);
  EXPECT_EQ(Count(xml, "<ram:IncludedSupplyChainTradeLineItem>"), 10000u);
  EXPECT_NE(xml.find("<ram:LineID>10000</ram:LineID>"), std::string::npos);
  EXPECT_EQ(Count(xml, "\n\t\t<ram:ApplicableTradeTax>"), 2u);
  // 1428 full cycles of 1.50 .. 7.50 (31.50 each) and 2.50 + 3.50 + 4.50 + 5.50
  EXPECT_NE(xml.find("\t\t\t<ram:LineTotalAmount>44998.00</ram:LineTotalAmount>"),
            std::string::npos);
  EXPECT_TRUE(WellFormed(xml));
}

}  // namespace
}  // namespace belvora::test::cii
