#include "platform/db/Text.h"

#include <gtest/gtest.h>

#include "platform/db/Connection.h"
#include "text/Decimal.h"
#include "text/Texte.h"

namespace belvora::db {
namespace {

// Database text goes through the one date parser of the text area.
TEST(TextTest, DatabaseDatesParseWithOptionalTimeAndZone) {
  using text::ParseDate;
  EXPECT_EQ(ParseDate("2024-02-29"), (Date{2024, 2, 29}));
  EXPECT_EQ(ParseDate("2024-01-15 10:20:30"), (Date{2024, 1, 15, 10, 20, 30}));
  EXPECT_EQ(ParseDate("2024-01-15T10:20"), (Date{2024, 1, 15, 10, 20, 0}));
  EXPECT_EQ(ParseDate("2024-01-15 10:20:30.123+01"), (Date{2024, 1, 15, 10, 20, 30}));
  EXPECT_EQ(ParseDate("2024-01-15 10:20:30Z"), (Date{2024, 1, 15, 10, 20, 30}));
  for (const char* bad : {"", "2023-02-29", "2024-13-01", "2024-1-5", "0000-01-01", "2024-01-15x",
                          "2024-01-15 25:00:00", "2024-01-15 10:20:30.", "2024-01-15 10:20:30 foo"})
    EXPECT_FALSE(ParseDate(bad).has_value()) << bad;
}

TEST(TextTest, DatesFormatWithoutMidnight) {
  EXPECT_EQ(formatIsoDate(Date{2024, 3, 5}), "2024-03-05");
  EXPECT_EQ(formatIsoDate(Date{2024, 3, 5, 7, 8, 9}), "2024-03-05 07:08:09");
}

// Database text of numbers, as drivers print it, through the one number parser.
TEST(TextTest, DatabaseNumbersParseIndependentOfLocale) {
  auto number = [](const char* t) {
    auto d = text::Decimal::parse(t);
    return d ? std::optional<double>(d->toDouble()) : std::nullopt;
  };
  EXPECT_EQ(number("123.45"), 123.45);
  EXPECT_EQ(number("-0.5"), -0.5);
  EXPECT_EQ(number("1e3"), 1000.0);
  EXPECT_EQ(number("1.5E-07"), 1.5e-7);
  EXPECT_EQ(number("1234.5600000000000000000"), 1234.56);
  EXPECT_FALSE(number("").has_value());
  EXPECT_FALSE(number("1e+30").has_value()) << "beyond what an invoice value can be";
}

TEST(TextTest, Utf16ConversionRoundTripsAndReplacesMalformedInput) {
  const std::string text = "A\u00e4\u20ac\U0001D11E";
  EXPECT_EQ(utf8ToUtf16(text), u"A\u00e4\u20ac\U0001D11E");
  EXPECT_EQ(utf16ToUtf8(utf8ToUtf16(text)), text);
  EXPECT_EQ(utf8ToUtf16("a\xc3"), u"a\ufffd");                    // cut sequence
  EXPECT_EQ(utf8ToUtf16("\xc0\xafx"), u"\ufffd\ufffdx");          // overlong '/'
  EXPECT_EQ(utf8ToUtf16("\xed\xa0\x80"), u"\ufffd\ufffd\ufffd");  // encoded surrogate
  EXPECT_EQ(utf16ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xef\xbf\xbdx");
}

TEST(TextTest, TableNamesArePlainIdentifiersWithOptionalSchema) {
  EXPECT_EQ(splitTableName("tblDocuments").table, "tblDocuments");
  EXPECT_EQ(splitTableName("tblDocuments").schema, "");
  auto qualified = splitTableName("dbo.tbl_Invoice2");
  EXPECT_EQ(qualified.schema, "dbo");
  EXPECT_EQ(qualified.table, "tbl_Invoice2");
  for (const char* bad : {"", "a.b.c", ".t", "t.", "tbl Documents", "t;DROP TABLE x", "t\"x",
                          "[tbl]", "tbl-1", "t\xc3\xa4"}) {
    try {
      splitTableName(bad);
      ADD_FAILURE() << "accepted " << bad;
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()), std::string("invalid table name: ") + bad);
    }
  }
}

}  // namespace
}  // namespace belvora::db
