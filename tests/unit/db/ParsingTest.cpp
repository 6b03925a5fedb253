// The text the database area parses: connection strings, database dates,
// UTF-16 of ODBC, table names.
#include <gtest/gtest.h>

#include "platform/db/Connection.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/Text.h"
#include "support/DbValuePrint.h"
#include "support/Expect.h"
#include "text/Texte.h"

namespace belvora::db {
namespace {

TEST(ConnectionStringTest, KeysIgnoreCaseAndBlanksAndLastPairWins) {
  auto cs = ConnectionString::parse(
      " Provider = SQLite ; DATA SOURCE= /tmp/a.db ;data source=/tmp/b.db;");
  EXPECT_EQ(cs.find("provider"), "SQLite");
  EXPECT_EQ(cs.find("Data Source"), "/tmp/b.db");
  EXPECT_FALSE(cs.has("driver"));
  EXPECT_EQ(cs.pairs().size(), 3u);
  // Braced and quoted values may hold semicolons.
  cs = ConnectionString::parse(
      "Driver={PostgreSQL Unicode};Pwd={a;b}}c};Data Source=\"/x;y.db\";Uid='o''k'");
  EXPECT_EQ(cs.find("driver"), "PostgreSQL Unicode");
  EXPECT_EQ(cs.find("pwd"), "a;b}c");
  EXPECT_EQ(cs.find("data source"), "/x;y.db");
  EXPECT_EQ(cs.find("uid"), "o'k");
  EXPECT_TRUE(ConnectionString::parse(" ; ;").pairs().empty());
}

TEST(ConnectionStringTest, MalformedStringsAreRejectedWithoutEchoingThem) {
  EXPECT_THROW_MSG(ConnectionString::parse("Driver={PostgreSQL;Pwd=secret"),
                   "invalid connection string: the value of 'driver' lacks its closing }");
  EXPECT_THROW(ConnectionString::parse("Driver={PostgreSQL;Pwd=secret"), Error);
  EXPECT_THROW(ConnectionString::parse("justapath.db"), Error);
  EXPECT_THROW(ConnectionString::parse("=value"), Error);
}

// Database text goes through the one date parser of the text area; these
// are the forms drivers print.
TEST(TextTest, DatabaseDatesParseWithOptionalTimeAndZone) {
  EXPECT_EQ(text::ParseDate("2024-02-29"), (Date{2024, 2, 29}));
  EXPECT_EQ(text::ParseDate("2024-01-15T10:20"), (Date{2024, 1, 15, 10, 20, 0}));
  for (const char* t :
       {"2024-01-15 10:20:30", "2024-01-15 10:20:30.123+01", "2024-01-15 10:20:30Z"})
    EXPECT_EQ(text::ParseDate(t), (Date{2024, 1, 15, 10, 20, 30})) << t;
  for (const char* bad : {"", "2023-02-29", "2024-13-01", "2024-1-5", "0000-01-01", "2024-01-15x",
                          "2024-01-15 25:00:00", "2024-01-15 10:20:30.", "2024-01-15 10:20:30 foo"})
    EXPECT_FALSE(text::ParseDate(bad).has_value()) << bad;
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
  EXPECT_EQ(splitTableName("tblDocuments").schema + "|" + splitTableName("tblDocuments").table,
            "|tblDocuments");
  EXPECT_EQ(
      splitTableName("dbo.tbl_Invoice2").schema + "|" + splitTableName("dbo.tbl_Invoice2").table,
      "dbo|tbl_Invoice2");
  for (const std::string bad : {"", "a.b.c", ".t", "t.", "tbl Documents", "t;DROP TABLE x", "t\"x",
                                "[tbl]", "tbl-1", "t\xc3\xa4"})
    EXPECT_THROW_MSG(splitTableName(bad), "invalid table name: " + bad);
}

}  // namespace
}  // namespace belvora::db
