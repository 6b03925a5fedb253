// The required-column check and the invoice data classes.

#include "model/RequiredFields.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "model/Rechnungsdaten.h"
#include "support/VectorCursor.h"

namespace belvora::model {
namespace {

// A row with every required column set to a text, minus the given ones.
test::VectorCursor RequiredRow(const std::vector<std::string>& absent,
                               const std::vector<std::string>& nulls) {
  std::vector<std::string> columns;
  std::vector<db::Value> row;
  for (const auto& name : RequiredColumns()) {
    if (std::find(absent.begin(), absent.end(), name) != absent.end()) continue;
    if (std::find(columns.begin(), columns.end(), name) != columns.end()) continue;
    columns.push_back(name);
    bool isNull = std::find(nulls.begin(), nulls.end(), name) != nulls.end();
    row.push_back(isNull ? db::Value() : db::Value(""));
  }
  return test::VectorCursor(columns, {row});
}

TEST(RequiredColumns, TwentySixInTheirOrder) {
  const auto& c = RequiredColumns();
  ASSERT_EQ(c.size(), 26u);
  EXPECT_EQ(c.front(), "BT1");
  EXPECT_EQ(c[7], "BT31");
  EXPECT_EQ(c[20], "BT31");
  EXPECT_EQ(c.back(), "BT155");
}

TEST(CheckRequiredFields, EveryColumnPresentAndEmptyTextPasses) {
  auto rows = RequiredRow({}, {});
  ASSERT_TRUE(rows.next());
  std::string problems = "stale";
  EXPECT_TRUE(CheckRequiredFields(&rows, true, problems, RequiredColumns()));
  EXPECT_EQ(problems, "");
}

TEST(CheckRequiredFields, NullAndMissingColumnsAreListedInOrder) {
  auto rows = RequiredRow({"BT126"}, {"BT20"});
  ASSERT_TRUE(rows.next());
  std::string problems;
  EXPECT_FALSE(CheckRequiredFields(&rows, true, problems, RequiredColumns()));
  EXPECT_EQ(problems, "BT20, BT126 (existiert nicht)");
}

TEST(CheckRequiredFields, NullSellerVatIdIsListedTwice) {
  auto rows = RequiredRow({}, {"BT31"});
  ASSERT_TRUE(rows.next());
  std::string problems;
  EXPECT_FALSE(CheckRequiredFields(&rows, true, problems, RequiredColumns()));
  EXPECT_EQ(problems, "BT31, BT31");
}

// EN 16931 allows these terms to be absent: the column must exist, the
// rules on the invoice decide whether it must hold a value.
TEST(CheckRequiredFields, ColumnsThatMayBeNullOnlyHaveToExist) {
  const auto& nullable = NullableRequiredColumns();
  auto rows = RequiredRow({"BT155"}, nullable);
  ASSERT_TRUE(rows.next());
  std::string problems;
  EXPECT_FALSE(CheckRequiredFields(&rows, true, problems, RequiredColumns(), nullable));
  EXPECT_EQ(problems, "BT155 (existiert nicht)");
  auto all = RequiredRow({}, nullable);
  ASSERT_TRUE(all.next());
  EXPECT_TRUE(CheckRequiredFields(&all, true, problems, RequiredColumns(), nullable));
  EXPECT_EQ(problems, "");
  for (const char* mandatory : {"BT1", "BT2", "BT3", "BT27", "BT40", "BT44", "BT118", "BT126",
                                "BT129", "BT130", "BT131", "BT146", "BT153"}) {
    auto one = RequiredRow({}, {mandatory});
    ASSERT_TRUE(one.next());
    EXPECT_FALSE(CheckRequiredFields(&one, true, problems, RequiredColumns(), nullable));
    EXPECT_EQ(problems, mandatory);
  }
}

TEST(CheckRequiredFields, OnlyTheCurrentRowIsTested) {
  test::VectorCursor rows({"BT1"}, {{"1"}, {db::Value()}});
  ASSERT_TRUE(rows.next());
  std::string problems;
  EXPECT_TRUE(CheckRequiredFields(&rows, true, problems, {"BT1"}));
}

TEST(CheckRequiredFields, NoRowSetOrNoRow) {
  std::string problems;
  EXPECT_FALSE(CheckRequiredFields(nullptr, false, problems, RequiredColumns()));
  EXPECT_EQ(problems, "Recordset does not exist or is empty");
  test::VectorCursor empty({"BT1"}, {});
  EXPECT_FALSE(CheckRequiredFields(&empty, false, problems, RequiredColumns()));
  EXPECT_EQ(problems, "Recordset contains no data");
}

TEST(DataClasses, StartEmpty) {
  clsRechnungsSteller seller;
  EXPECT_EQ(seller.ID, 0);
  EXPECT_EQ(seller.Unternehmen, "");
  clsRechnungsdaten header;
  EXPECT_EQ(header.Bemerkung, "");
  clsRechnungsEmpfaenger buyer;
  EXPECT_EQ(buyer.KontaktTelefon, "");
}

}  // namespace
}  // namespace belvora::model
