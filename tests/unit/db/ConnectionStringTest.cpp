#include "platform/db/ConnectionString.h"

#include <gtest/gtest.h>

#include "platform/db/Connection.h"

namespace belvora::db {
namespace {

TEST(ConnectionStringTest, KeysIgnoreCaseAndBlanksAndLastPairWins) {
  auto cs = ConnectionString::parse(
      " Provider = SQLite ; DATA SOURCE= /tmp/a.db ;data source=/tmp/b.db;");
  EXPECT_EQ(cs.find("provider"), "SQLite");
  EXPECT_EQ(cs.find("Data Source"), "/tmp/b.db");
  EXPECT_FALSE(cs.has("driver"));
  EXPECT_EQ(cs.pairs().size(), 3u);
}

TEST(ConnectionStringTest, BracedAndQuotedValuesMayHoldSemicolons) {
  auto cs = ConnectionString::parse(
      "Driver={PostgreSQL Unicode};Pwd={a;b}}c};Data Source=\"/x;y.db\";Uid='o''k'");
  EXPECT_EQ(cs.find("driver"), "PostgreSQL Unicode");
  EXPECT_EQ(cs.find("pwd"), "a;b}c");
  EXPECT_EQ(cs.find("data source"), "/x;y.db");
  EXPECT_EQ(cs.find("uid"), "o'k");
}

TEST(ConnectionStringTest, MalformedStringsAreRejectedWithoutEchoingThem) {
  try {
    ConnectionString::parse("Driver={PostgreSQL;Pwd=secret");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "invalid connection string: the value of 'driver' lacks its closing }");
  }
  EXPECT_THROW(ConnectionString::parse("justapath.db"), Error);
  EXPECT_THROW(ConnectionString::parse("=value"), Error);
  EXPECT_TRUE(ConnectionString::parse(" ; ;").pairs().empty());
}

}  // namespace
}  // namespace belvora::db
