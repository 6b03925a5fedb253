// Reading time must grow linearly with the number of lines: a path that
// searches the whole document for every line would make 10,000 lines a
// hundred times slower than 1,000 instead of ten times.

#include <chrono>
#include <cstdio>

#include "ReaderTestSupport.h"

using namespace belvora;

namespace {

std::string lines(int count) {
  std::string text;
  text.reserve(static_cast<std::size_t>(count) * 900);
  for (int i = 1; i <= count; ++i) {
    const std::string id = std::to_string(i);
    text +=
        R"(<ram:IncludedSupplyChainTradeLineItem>
<ram:AssociatedDocumentLineDocument><ram:LineID>)" +
        id + R"(</ram:LineID></ram:AssociatedDocumentLineDocument>
<ram:SpecifiedTradeProduct><ram:SellerAssignedID>ART-)" +
        id + R"(</ram:SellerAssignedID><ram:Name>Schraube M)" + id +
        R"(</ram:Name><ram:Description>Edelstahl A2</ram:Description></ram:SpecifiedTradeProduct>
<ram:SpecifiedLineTradeAgreement><ram:NetPriceProductTradePrice><ram:ChargeAmount>1.25</ram:ChargeAmount>
<ram:BasisQuantity unitCode="H87">1</ram:BasisQuantity></ram:NetPriceProductTradePrice></ram:SpecifiedLineTradeAgreement>
<ram:SpecifiedLineTradeDelivery><ram:BilledQuantity unitCode="H87">4</ram:BilledQuantity></ram:SpecifiedLineTradeDelivery>
<ram:SpecifiedLineTradeSettlement><ram:ApplicableTradeTax><ram:TypeCode>VAT</ram:TypeCode><ram:CategoryCode>S</ram:CategoryCode>
<ram:RateApplicablePercent>19</ram:RateApplicablePercent></ram:ApplicableTradeTax>
<ram:SpecifiedTradeSettlementLineMonetarySummation><ram:LineTotalAmount>5.00</ram:LineTotalAmount></ram:SpecifiedTradeSettlementLineMonetarySummation>
</ram:SpecifiedLineTradeSettlement></ram:IncludedSupplyChainTradeLineItem>
)";
  }
  return text;
}

class ReaderScaling : public belvora::test::ReaderTest {
 protected:
  double secondsToRead(int count) {
    // Appended, not "n" + std::to_string(count): GCC 12 at -O3 warns
    // falsely (-Wrestrict) on a literal plus a temporary string.
    std::string name = "n";
    name += std::to_string(count);
    name += ".xml";
    const std::string path = write(name, test::Cii("<ram:ID>RE-1</ram:ID>", lines(count), "", ""));
    settings_.outputFolder.clear();
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
      const auto start = std::chrono::steady_clock::now();
      EXPECT_TRUE(read(path));
      best = std::min(
          best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    EXPECT_EQ(view_.lvTable.rows.size(), static_cast<std::size_t>(count));
    return best;
  }
};

}  // namespace

TEST_F(ReaderScaling, TenTimesTheLinesTakesAboutTenTimesAsLong) {
  const double small = secondsToRead(1000);
  const double large = secondsToRead(10000);
  std::printf("1,000 lines: %.1f ms; 10,000 lines: %.1f ms\n", small * 1000, large * 1000);
  EXPECT_LT(large, small * 25) << "reading is not linear in the number of lines";
}
