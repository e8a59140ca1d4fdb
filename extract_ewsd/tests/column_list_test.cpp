#include "vantor/column_list.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(VantorColumnListTest, RangesAndSinglesSortedWithoutRepeats) {
  std::vector<int> columns;
  std::string error;
  ASSERT_TRUE(ParseColumnList("11,1-8", &columns, &error));
  EXPECT_EQ(columns, DefaultColumns());
  ASSERT_TRUE(ParseColumnList("4,0,4,19", &columns, &error));
  EXPECT_EQ(columns, (std::vector<int>{0, 4, 19}));
  ASSERT_TRUE(ParseColumnList("", &columns, &error));
  EXPECT_TRUE(columns.empty());
}

TEST(VantorColumnListTest, BadItemsAreRefused) {
  std::vector<int> columns{1};
  std::string error;
  for (const char* bad : {"20", "a", "1-", "8-1", "1,,2", "1,", "-3", "1-2-3", "007"}) {
    EXPECT_FALSE(ParseColumnList(bad, &columns, &error)) << bad;
    EXPECT_FALSE(error.empty());
  }
  EXPECT_EQ(columns, std::vector<int>{1});
}

}  // namespace
}  // namespace vantor
