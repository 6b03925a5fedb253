#include "text/Decimal.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

using belvora::text::Decimal;

namespace {
Decimal D(const char* s) { return *Decimal::parse(s); }
}  // namespace

TEST(Decimal, ParsesPlainDecimalsExactlyAndRefusesEverythingElse) {
  struct Case {
    const char* in;
    const char* out;  // nullptr: refused
  } cases[] = {{"12", "12"},
               {"-0.5", "-0.5"},
               {"158.125", "158.125"},
               {".5", "0.5"},
               {"12,50", "12.50"},
               {"+7", "7"},
               {"0007.10", "7.10"},
               {"", nullptr},
               {"inf", nullptr},
               {"nan", nullptr},
               {"1e30", nullptr},
               {"abc", nullptr},
               {"1.2.3", nullptr},
               {"1,234.5", nullptr},
               {" 1", nullptr},
               {"-", nullptr},
               {"1234567890123456789", nullptr},
               {"0.0000000000001", nullptr}};
  for (const auto& c : cases) {
    auto d = Decimal::parse(c.in);
    if (!c.out) {
      EXPECT_FALSE(d) << c.in;
    } else {
      ASSERT_TRUE(d) << c.in;
      EXPECT_EQ(d->text(), c.out) << c.in;
    }
  }
}

TEST(Decimal, FromDoubleTakesTheFifteenDigitValue) {
  EXPECT_EQ(Decimal::fromDouble(0.1)->text(), "0.1");
  EXPECT_EQ(Decimal::fromDouble(0.1 + 0.2)->text(), "0.3");
  EXPECT_EQ(Decimal::fromDouble(2.345)->text(), "2.345");
  EXPECT_EQ(Decimal::fromDouble(-1234.5)->text(2), "-1234.50");
  EXPECT_EQ(Decimal::fromDouble(1e12)->text(), "1000000000000");
  EXPECT_FALSE(Decimal::fromDouble(std::numeric_limits<double>::infinity()));
  EXPECT_FALSE(Decimal::fromDouble(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_FALSE(Decimal::fromDouble(1e30));
}

TEST(Decimal, RoundsHalfAwayFromZeroAndComparesNumerically) {
  EXPECT_EQ(D("2.345").rounded(2).text(), "2.35");
  EXPECT_EQ(D("-2.345").rounded(2).text(), "-2.35");
  EXPECT_EQ(D("2.344").rounded(2).text(), "2.34");
  EXPECT_EQ(D("0.005").rounded(2).text(2), "0.01");
  EXPECT_EQ(D("-0.004").rounded(2).text(2), "0.00") << "never -0.00";
  EXPECT_TRUE(D("12.50").fits(2));
  EXPECT_TRUE(D("12.5000").fits(2));
  EXPECT_FALSE(D("12.505").fits(2));
  EXPECT_EQ(D("12.5"), D("12.50"));
  EXPECT_LT(D("-1"), D("0.001"));
  EXPECT_TRUE(D("9999999999999.99").below(13));
  EXPECT_FALSE(D("10000000000000").below(13));
}

TEST(Decimal, ArithmeticIsExactAndOverflowThrows) {
  EXPECT_EQ((D("0.1") + D("0.2")).text(), "0.3");
  EXPECT_EQ((D("10") - D("0.01")).text(), "9.99");
  EXPECT_EQ((D("3") * D("158.125")).text(), "474.375");
  EXPECT_EQ(PercentOf(D("100.05"), D("19"), 2).text(), "19.01");
  EXPECT_EQ(PercentOf(D("-100.05"), D("19"), 2).text(), "-19.01");
  EXPECT_EQ(PercentOf(D("10"), D("7"), 2).text(), "0.70");
  const Decimal big = Decimal::fromUnits(std::numeric_limits<std::int64_t>::max(), 0);
  EXPECT_THROW(big + D("1"), std::overflow_error);
  EXPECT_THROW(big * D("2"), std::overflow_error);
}
