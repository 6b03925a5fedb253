#include <gtest/gtest.h>

#include <clocale>

#include "reader/ViewNumbers.h"

using namespace belvora::reader;

TEST(ReaderViewNumbers, PatternsWithTheSeparatorsOfTheLanguage) {
  EXPECT_EQ(FormatViewNumber(1234.5, "#,##0.00", "DE"), "1.234,50");
  EXPECT_EQ(FormatViewNumber(1234.5, "#,##0.00", "GB"), "1,234.50");
  EXPECT_EQ(FormatViewNumber(-1234567.891, "#,##0.00", "FR"), "-1,234,567.89");
  EXPECT_EQ(FormatViewNumber(19, "0.00 ", "DE"), "19,00 ");
  EXPECT_EQ(FormatViewNumber(1234.5, "0.00 ", "GB"), "1234.50 ");
  EXPECT_EQ(FormatViewNumber(2.5, "0.00", "DE"), "2,50");
  EXPECT_EQ(FormatViewNumber(19, "0", "DE"), "19");
  EXPECT_EQ(FormatViewNumber(5.5, "0", "GB"), "6");
  EXPECT_EQ(FormatViewNumber(-0.4, "0", "GB"), "0");
  EXPECT_EQ(FormatViewNumber(2.5, "", "DE"), "2,5");
  EXPECT_EQ(FormatViewNumber(100, "", "GB"), "100");
}

TEST(ReaderViewNumbers, IndependentOfTheProcessLocale) {
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = old ? old : "C";
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) std::setlocale(LC_NUMERIC, "C.UTF-8");
  EXPECT_EQ(FormatViewNumber(1234.5, "#,##0.00", "GB"), "1,234.50");
  EXPECT_EQ(ParseViewNumber("1,234.50", "GB").value(), 1234.5);
  EXPECT_EQ(DocumentNumber(std::string("12.5")), 12.5);
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(ReaderViewNumbers, ReadsBackWhatTheViewShows) {
  EXPECT_EQ(ParseViewNumber("1.234,50", "DE").value(), 1234.5);
  EXPECT_EQ(ParseViewNumber("19,00 ", "DE").value(), 19.0);
  EXPECT_EQ(ParseViewNumber("1,234.50", "GB").value(), 1234.5);
  EXPECT_EQ(ParseViewNumber("-10.00 ", "GB").value(), -10.0);
  EXPECT_FALSE(ParseViewNumber("", "DE").has_value());
  EXPECT_FALSE(ParseViewNumber("--", "GB").has_value());
  EXPECT_FALSE(ParseViewNumber("12 Stück", "GB").has_value());
  for (double v : {0.0, 0.01, -7.5, 1234567.89}) {
    for (const char* lang : {"DE", "GB"}) {
      for (const char* pattern : {"#,##0.00", "0.00 ", "0.00"}) {
        EXPECT_DOUBLE_EQ(ParseViewNumber(FormatViewNumber(v, pattern, lang), lang).value(), v)
            << v << " " << lang << " " << pattern;
      }
    }
  }
}

TEST(ReaderViewNumbers, DocumentNumbersCountMissingAndBlankAsZero) {
  EXPECT_EQ(DocumentNumber(std::nullopt), 0);
  EXPECT_EQ(DocumentNumber(std::string("")), 0);
  EXPECT_EQ(DocumentNumber(std::string("  ")), 0);
  EXPECT_EQ(DocumentNumber(std::string("abc")), 0);
  EXPECT_EQ(DocumentNumber(std::string("-10.00")), -10);
  EXPECT_EQ(DocumentNumber(std::string(" 1500.125 ")), 1500.125);
}
