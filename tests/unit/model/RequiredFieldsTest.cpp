// The required-column check on the current row of a source.

#include "model/RequiredFields.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/VectorCursor.h"

namespace belvora::model {
namespace {

using Names = std::vector<std::string>;

bool In(const Names& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(CheckRequiredFields, NullAndMissingColumnsInTheirOrder) {
  const auto& c = RequiredColumns();
  ASSERT_EQ(c.size(), 26u);
  EXPECT_EQ(c.front(), "BT1");
  EXPECT_EQ(c.back(), "BT155");
  EXPECT_EQ(c[7] + c[20], "BT31BT31");
  // EN 16931 allows the nullable terms to be absent: their column must
  // exist, the rules on the invoice decide whether it must hold a value.
  const Names& nullable = NullableRequiredColumns();
  struct Case {
    Names absent, nulls;
    bool allowNullable;
    std::string problems;
  } cases[] = {
      {{}, {}, false, ""},  // empty texts pass
      {{"BT126"}, {"BT20"}, false, "BT20, BT126 (existiert nicht)"},
      {{}, {"BT31"}, false, "BT31, BT31"},  // the seller's VAT id is asked for twice
      {{"BT155"}, nullable, true, "BT155 (existiert nicht)"},
      {{}, nullable, true, ""},
  };
  std::vector<Case> all(std::begin(cases), std::end(cases));
  for (const char* mandatory : {"BT1", "BT2", "BT3", "BT27", "BT40", "BT44", "BT118", "BT126",
                                "BT129", "BT130", "BT131", "BT146", "BT153"})
    all.push_back({{}, {mandatory}, true, mandatory});
  for (const Case& k : all) {
    SCOPED_TRACE(testing::PrintToString(k.absent) + " " + testing::PrintToString(k.nulls));
    // A row with every required column set to a text, minus the absent ones.
    Names columns;
    std::vector<db::Value> row;
    for (const auto& name : c)
      if (!In(k.absent, name) && !In(columns, name)) {
        columns.push_back(name);
        row.push_back(In(k.nulls, name) ? db::Value() : db::Value(""));
      }
    test::VectorCursor rows(columns, {row});
    ASSERT_TRUE(rows.next());
    std::string problems = "stale";
    EXPECT_EQ(CheckRequiredFields(&rows, true, problems, c, k.allowNullable ? nullable : Names{}),
              k.problems.empty());
    EXPECT_EQ(problems, k.problems);
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

}  // namespace
}  // namespace belvora::model
