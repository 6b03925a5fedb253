#include <gtest/gtest.h>

#include <clocale>

#include "reader/ViewNumbers.h"

using namespace belvora::reader;

TEST(ReaderViewNumbers, ShownInTheLanguageRoundedCommerciallyAndReadBackWhateverTheLocale) {
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = old ? old : "C";
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) std::setlocale(LC_NUMERIC, "C.UTF-8");
  struct Case {
    double value;
    const char* pattern;
    const char* language;
    const char* text;
  } cases[] = {
      {1234.5, "#,##0.00", "DE", "1.234,50"},
      {1234.5, "#,##0.00", "GB", "1,234.50"},
      {-1234567.891, "#,##0.00", "FR", "-1,234,567.89"},
      {0.125, "#,##0.00", "DE", "0,13"},
      {-0.125, "#,##0.00", "GB", "-0.13"},
      {19, "0.00 ", "DE", "19,00 "},
      {1234.5, "0.00 ", "GB", "1234.50 "},
      {2.5, "0.00", "DE", "2,50"},
      {2.675, "0.00", "GB", "2.68"},
      {19, "0", "DE", "19"},
      {5.5, "0", "GB", "6"},
      {2.5, "0", "GB", "3"},
      {-2.5, "0", "GB", "-3"},
      {-0.4, "0", "GB", "0"},
      {2.5, "", "DE", "2,5"},
      {100, "", "GB", "100"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatViewNumber(c.value, c.pattern, c.language), c.text) << c.value << c.pattern;
  }
  EXPECT_EQ(ParseViewNumber("1.234,50", "DE").value(), 1234.5);
  EXPECT_EQ(ParseViewNumber("19,00 ", "DE").value(), 19.0);
  EXPECT_EQ(ParseViewNumber("1,234.50", "GB").value(), 1234.5);
  EXPECT_EQ(ParseViewNumber("-10.00 ", "GB").value(), -10.0);
  for (const char* bad : {"", "--", "12 Stück"}) EXPECT_FALSE(ParseViewNumber(bad, "GB")) << bad;
  EXPECT_FALSE(ParseViewNumber("", "DE"));
  for (double v : {0.0, 0.01, -7.5, 1234567.89}) {
    for (const char* lang : {"DE", "GB"}) {
      for (const char* pattern : {"#,##0.00", "0.00 ", "0.00"}) {
        EXPECT_DOUBLE_EQ(ParseViewNumber(FormatViewNumber(v, pattern, lang), lang).value(), v)
            << v << " " << lang << " " << pattern;
      }
    }
  }
  // Numbers of the document: missing, blank and no number count as 0.
  const std::pair<std::optional<std::string>, double> documentNumbers[] = {
      {std::nullopt, 0},        {"", 0},       {"  ", 0}, {"abc", 0}, {"-10.00", -10},
      {" 1500.125 ", 1500.125}, {"12.5", 12.5}};
  for (const auto& [text, value] : documentNumbers) EXPECT_EQ(DocumentNumber(text), value);
  std::setlocale(LC_NUMERIC, saved.c_str());
}
