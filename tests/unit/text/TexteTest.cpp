// Text, number and date functions.

#include "text/Texte.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <clocale>
#include <locale>

namespace belvora::text {
namespace {

TEST(FormatField, MissingValuesGiveTheDefault) {
  for (const db::Value& v : {db::Value(), db::Value(""), db::Value("   ")}) {
    EXPECT_EQ(FormatField(v, db::Value("FALSE()")), "FALSE()");
    EXPECT_EQ(FormatField(v, db::Value(" S "), {}, true), "S");  // trimmed, never cleaned
    EXPECT_EQ(FormatField(v, db::Value("A&B"), {}, true), "A&B");
    EXPECT_EQ(FormatField(v, db::Value(0), "0.00"), "0.00");
  }
}

TEST(FormatField, PresentValuesAreTrimmedCleanedAndFormatted) {
  EXPECT_EQ(FormatField(db::Value("  M\xC3\xBCller & S\xC3\xB6hne  "), db::Value(""), {}, true),
            "Mueller &amp; Soehne");
  EXPECT_EQ(FormatField(db::Value("  M\xC3\xBCller & S\xC3\xB6hne  "), db::Value("")),
            "M\xC3\xBCller & S\xC3\xB6hne");
  // Only blanks are trimmed.
  EXPECT_EQ(FormatField(db::Value("\tA \r\n"), db::Value("")), "\tA \r\n");
  EXPECT_EQ(FormatField(db::Value(42), db::Value("")), "42");
  EXPECT_EQ(FormatField(db::Value(12.5), db::Value("")), "12.5");
  EXPECT_EQ(FormatField(db::Value(0.1 + 0.2), db::Value("")), "0.3");
  db::Date d;
  d.year = 2024;
  d.month = 3;
  d.day = 5;
  EXPECT_EQ(FormatField(db::Value(d), db::Value("")), "2024-03-05");
  EXPECT_EQ(FormatField(db::Value(d), db::Value(""), "yyyymmdd"), "20240305");
  EXPECT_EQ(FormatField(db::Value("05.03.2024"), db::Value(""), "yyyymmdd"), "20240305");
  EXPECT_EQ(FormatField(db::Value("2024-03-05"), db::Value(""), "dd.MM.yyyy"), "05.03.2024");
  EXPECT_EQ(FormatField(db::Value("19"), db::Value(""), "0.00"), "19.00");
  EXPECT_EQ(FormatField(db::Value("7,5"), db::Value(""), "0.00"), "7.50");
  EXPECT_EQ(FormatField(db::Value(1234567.891), db::Value(""), "#,##0.00"), "1,234,567.89");
  EXPECT_EQ(FormatField(db::Value(5), db::Value(""), "0.00 "), "5.00 ");
  // A text that does not convert stays as it is.
  EXPECT_EQ(FormatField(db::Value("abc"), db::Value(""), "0.00"), "abc");
  EXPECT_EQ(FormatField(db::Value("abc"), db::Value(""), "yyyymmdd"), "abc");
}

struct CleanCase {
  std::string input;
  std::string cleaned;
  std::string escaped;  // without transliteration
};

class CleanXml : public testing::TestWithParam<CleanCase> {};

TEST_P(CleanXml, CleansAndEscapes) {
  EXPECT_EQ(CleanXmlText(GetParam().input), GetParam().cleaned);
  EXPECT_EQ(EscapeXmlText(GetParam().input), GetParam().escaped);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CleanXml,
    testing::Values(
        CleanCase{"a\tb\r\nc\x0C"
                  "d\x01\x1F",
                  "a\tb\r\ncd", "a\tb\r\ncd"},
        CleanCase{"Preis: 5 \xE2\x82\xAC / 3 \xC2\xA3", "Preis: 5 EUR / 3 libra",
                  "Preis: 5 \xE2\x82\xAC / 3 \xC2\xA3"},
        CleanCase{"Stra\xC3\x9F"
                  "e; \xC3\xB8",
                  "Strasse; \xC3\xB8",
                  "Stra\xC3\x9F"
                  "e; \xC3\xB8"},
        CleanCase{"O'Neill \"AG\"", "O&apos;Neill &quot;AG&quot;", "O&apos;Neill &quot;AG&quot;"},
        CleanCase{"a < b > c & d", "a &lt; b &gt; c &amp; d", "a &lt; b &gt; c &amp; d"},
        // Cleaning twice escapes twice: callers clean once.
        CleanCase{"&amp;", "&amp;amp;", "&amp;amp;"},
        CleanCase{"\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x89\xC3\xB1\xC3\xA7",
                  "AeOeUeaeoeueEnc",
                  "\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x89\xC3\xB1\xC3\xA7"},
        // Bytes that are no UTF-8 would make the document unreadable.
        CleanCase{"A\xFF"
                  "B\xC3",
                  "A\xEF\xBF\xBD"
                  "B\xEF\xBF\xBD",
                  "A\xEF\xBF\xBD"
                  "B\xEF\xBF\xBD"},
        CleanCase{"\xE4\xB8\xAD\xF0\x9F\x98\x80", "\xE4\xB8\xAD\xF0\x9F\x98\x80",
                  "\xE4\xB8\xAD\xF0\x9F\x98\x80"}));

TEST(TransliterationTable, FortyFiveEntriesInOrder) {
  const auto& t = TransliterationTable();
  ASSERT_EQ(t.size(), 45u);
  EXPECT_EQ(t.front(), (std::pair<std::string, std::string>{"\xC3\x84", "Ae"}));
  EXPECT_EQ(t[21], (std::pair<std::string, std::string>{"\xE2\x82\xAC", "EUR"}));
  EXPECT_EQ(t.back(), (std::pair<std::string, std::string>{"\xC3\xA7", "c"}));
}

TEST(Numbers, RoundAmountHalfAwayFromZeroOnFifteenDigits) {
  EXPECT_EQ(RoundAmount(2.345, 2), 2.35);
  EXPECT_EQ(RoundAmount(-2.345, 2), -2.35);
  EXPECT_EQ(RoundAmount(2.5, 0), 3);
  EXPECT_EQ(RoundAmount(-2.5, 0), -3);
  EXPECT_EQ(RoundAmount(1.005, 2), 1.01);
  EXPECT_EQ(RoundAmount(24.685, 2), 24.69);
  EXPECT_EQ(RoundAmount(1234.5, -2), 1200);
  EXPECT_EQ(RoundAmount(0.1 + 0.2, 2), 0.3);
  // Out of range: the value unchanged.
  EXPECT_EQ(RoundAmount(2.345, 29), 2.345);
  EXPECT_EQ(RoundAmount(2.345, -29), 2.345);
}

TEST(Numbers, RoundHalfEven) {
  EXPECT_EQ(RoundHalfEven(10.125, 2), 10.12);
  EXPECT_EQ(RoundHalfEven(10.375, 2), 10.38);
  EXPECT_EQ(RoundHalfEven(2.665, 2), 2.66);
  EXPECT_EQ(RoundHalfEven(2.6651, 2), 2.67);
  EXPECT_EQ(RoundHalfEven(-2.5, 0), -2);
}

TEST(Numbers, AmountAndNumberTexts) {
  EXPECT_EQ(AmountText(1234.5), "1234.50");
  EXPECT_EQ(AmountText(2.125), "2.13");
  EXPECT_EQ(AmountText(1.005), "1.01");
  EXPECT_EQ(AmountText(-2.345), "-2.35");
  EXPECT_EQ(AmountText(0), "0.00");
  EXPECT_EQ(AmountText(-0.001), "0.00");
  EXPECT_EQ(AmountText(0.995), "1.00");
  EXPECT_EQ(AmountText(19), "19.00");
  EXPECT_EQ(AmountText(123456789012.345), "123456789012.35");
  EXPECT_EQ(GroupedAmountText(-1234567.5, ',', '.'), "-1.234.567,50");
  EXPECT_EQ(GroupedAmountText(999.999), "1,000.00");
  EXPECT_EQ(NumberText(12.5), "12.5");
  EXPECT_EQ(NumberText(10), "10");
  EXPECT_EQ(NumberText(0), "0");
  EXPECT_EQ(NumberText(-3.25), "-3.25");
  EXPECT_EQ(NumberText(0.1 + 0.2), "0.3");
  EXPECT_EQ(NumberText(1e20), "100000000000000000000");
  EXPECT_EQ(NumberText(1.5e-7), "0.00000015");
  EXPECT_EQ(NumberText(1.0 / 3), "0.333333333333333");
  EXPECT_THROW(AmountText(std::numeric_limits<double>::infinity()), std::runtime_error);
}

TEST(Numbers, ParseNumberPointOrComma) {
  EXPECT_EQ(ParseNumber("12.5"), 12.5);
  EXPECT_EQ(ParseNumber(" 12,5 "), 12.5);
  EXPECT_EQ(ParseNumber("-0,01"), -0.01);
  EXPECT_EQ(ParseNumber("+7"), 7);
  EXPECT_EQ(ParseNumber("1e3"), 1000);
  // With a point, a comma is no decimal separator.
  EXPECT_EQ(ParseNumber("1,234.5"), std::nullopt);
  for (const char* bad : {"", "  ", "abc", "12a", "inf", "nan", "0x10", "1,2,3", "--1", "+-1", "+"})
    EXPECT_EQ(ParseNumber(bad), std::nullopt) << bad;
  EXPECT_EQ(ValueToNumber(db::Value(7), "X"), 7);
  try {
    ValueToNumber(db::Value(), "BT131");
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Invalid use of Null: column 'BT131' is NULL");
  }
}

TEST(Numbers, IndependentOfTheProcessLocale) {
  struct GermanPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
  };
  std::locale previous = std::locale::global(std::locale(std::locale::classic(), new GermanPunct));
  std::string savedC = std::setlocale(LC_NUMERIC, nullptr);
  bool haveGerman = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
  EXPECT_EQ(AmountText(1234.5), "1234.50");
  EXPECT_EQ(NumberText(12.5), "12.5");
  EXPECT_EQ(ParseNumber("12.5"), 12.5);
  EXPECT_EQ(RoundAmount(2.345, 2), 2.35);
  EXPECT_EQ(FormatField(db::Value(0.5), db::Value("")), "0.5");
  std::setlocale(LC_NUMERIC, savedC.c_str());
  std::locale::global(previous);
  if (!haveGerman) GTEST_LOG_(INFO) << "de_DE.UTF-8 not installed; checked the C++ locale only";
}

TEST(Dates, ParseDateForms) {
  auto ymd = [](const std::optional<db::Date>& d) {
    return d ? std::to_string(d->year) + "-" + std::to_string(d->month) + "-" +
                   std::to_string(d->day)
             : std::string("none");
  };
  EXPECT_EQ(ymd(ParseDate("2024-03-05")), "2024-3-5");
  EXPECT_EQ(ymd(ParseDate("2024-03-05 13:45:10")), "2024-3-5");
  EXPECT_EQ(ymd(ParseDate("2024-03-05T13:45:10.123+01:00")), "2024-3-5");
  EXPECT_EQ(ymd(ParseDate("05.03.2024")), "2024-3-5");
  EXPECT_EQ(ymd(ParseDate("5.3.2024")), "2024-3-5");
  EXPECT_EQ(ymd(ParseDate("29.02.2024 08:00")), "2024-2-29");
  for (const char* bad : {"", "2024-02-30", "29.02.2023", "2024-13-01", "20240305", "abc",
                          "2024-03-05x", "05.03.24", "1.2.3.2024"})
    EXPECT_EQ(ymd(ParseDate(bad)), "none") << bad;
  auto withTime = ParseDate("2024-03-05 13:45:10");
  ASSERT_TRUE(withTime);
  EXPECT_EQ(withTime->hour, 13);
  EXPECT_EQ(withTime->second, 10);
}

TEST(Dates, Texts) {
  db::Date d;
  d.year = 2024;
  d.month = 3;
  d.day = 5;
  EXPECT_EQ(DateText102(d), "20240305");
  EXPECT_EQ(ShortDateText(d), "05.03.2024");
  EXPECT_EQ(DateText102(db::Date{}), "18991230");  // the zero date
  EXPECT_EQ(FormatDisplayDate("2024-03-05"), "05.03.2024");
  EXPECT_EQ(FormatDisplayDate("20240305"), "05.03.2024");
  EXPECT_EQ(FormatDisplayDate("2024"), "..2024");
  EXPECT_EQ(FormatDisplayDate(""), "..");
  d.hour = 7;
  EXPECT_EQ(ValueToText(db::Value(d)), "2024-03-05 07:00:00");
}

std::string Reference64(const std::string& bytes) {
  std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                          reinterpret_cast<const unsigned char*>(bytes.data()),
                          static_cast<int>(bytes.size()));
  out.resize(static_cast<size_t>(n));
  return out;
}

TEST(Base64, OneLineStandardAlphabet) {
  EXPECT_EQ(FileToBase64(""), "");
  EXPECT_EQ(FileToBase64("f"), "Zg==");
  EXPECT_EQ(FileToBase64("fo"), "Zm8=");
  EXPECT_EQ(FileToBase64("foobar"), "Zm9vYmFy");
  EXPECT_EQ(FileToBase64(std::string("\xFF\xFE\x00", 3)), "//4A");
  // Across the internal chunk boundary (3 MiB) the text is one piece.
  std::string big(3 * 1024 * 1024 + 5, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + (i >> 9));
  std::string encoded = FileToBase64(big);
  EXPECT_EQ(encoded, Reference64(big));
  EXPECT_EQ(encoded.find('\n'), std::string::npos);
}

}  // namespace
}  // namespace belvora::text
