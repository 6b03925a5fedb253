#include <gtest/gtest.h>

#include <charconv>
#include <clocale>

#include "CaseTable.h"
#include "ReaderTestSupport.h"
#include "reader/ViewNumbers.h"

using namespace belvora::reader;

TEST(ReaderViewNumbers, ShownInTheLanguageRoundedCommerciallyAndReadBackWhateverTheLocale) {
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = old ? old : "C";
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) std::setlocale(LC_NUMERIC, "C.UTF-8");
  const auto cases = belvora::test::ReadCaseTable(belvora::test::ReaderData("view-numbers.tsv"));
  for (const auto& c : cases) {
    double value = 0;  // from_chars: whatever the locale
    std::from_chars(c[0].data(), c[0].data() + c[0].size(), value);
    EXPECT_EQ(FormatViewNumber(value, c[1], c[2]), c[3]) << c[0] << " " << c[1] << " " << c[2];
    if (c.size() > 4) {
      EXPECT_EQ(ParseViewNumber(c[3], c[2]), value) << c[3];
    }
  }
  EXPECT_EQ(cases.size(), 17u);
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
      {std::nullopt, 0},       {"", 0}, {"  ", 0}, {"abc", 0}, {"-10.00", -10}, {"12.5", 12.5},
      {" 1500.125 ", 1500.125}};
  for (const auto& [text, value] : documentNumbers) EXPECT_EQ(DocumentNumber(text), value);
  std::setlocale(LC_NUMERIC, saved.c_str());
}
