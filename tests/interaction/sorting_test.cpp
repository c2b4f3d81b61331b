#include "interaction/sorting.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_host.h"

namespace ostrand {
namespace {

class SortingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    fake::ResetControls();
    sortAscending = false;
  }
  void TearDown() override { sortAscending = false; }

  // Rows whose column `column` holds the given texts; column 0 names the row.
  static void Fill(int column, const std::vector<std::string>& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
      fake::ListRow row;
      row.cells[0] = "row" + std::to_string(i);
      row.cells[column] = texts[i];
      fake::Controls().rows.push_back(row);
    }
  }

  static std::vector<std::string> Column(int column) {
    std::vector<std::string> texts;
    for (const fake::ListRow& row : fake::Controls().rows)
      texts.push_back(row.cells[column]);
    return texts;
  }
};

TEST_F(SortingTest, DirectionAlternatesAcrossColumnsAndNumbersSortAsText) {
  Fill(5, {"4", "12", "300"});
  for (std::size_t i = 0; i < 3; ++i)
    fake::Controls().rows[i].cells[4] = std::string(1, static_cast<char>('a' + i));

  SortByColumn(5);
  EXPECT_EQ(Column(5), (std::vector<std::string>{"4", "300", "12"}));
  EXPECT_TRUE(sortAscending);

  SortByColumn(5);
  EXPECT_EQ(Column(5), (std::vector<std::string>{"12", "300", "4"}));
  EXPECT_FALSE(sortAscending);

  // Another column goes on with the alternation: descending now.
  SortByColumn(4);
  EXPECT_EQ(Column(4), (std::vector<std::string>{"c", "b", "a"}));
  EXPECT_EQ(Column(5), (std::vector<std::string>{"300", "12", "4"})) << "cells move with their row";
  EXPECT_TRUE(sortAscending);
}

TEST_F(SortingTest, OrderIsTheUsersTextOrderNotByteOrder) {
  // A locale order that ignores case: byte order would put "B" before "a".
  fake::SetTextOrder([](const std::string& a, const std::string& b) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
      const int d = std::tolower(static_cast<unsigned char>(a[i])) -
                    std::tolower(static_cast<unsigned char>(b[i]));
      if (d != 0)
        return d;
    }
    return static_cast<int>(a.size()) - static_cast<int>(b.size());
  });
  Fill(0, {"B", "a", "c"});
  sortAscending = true;
  SortByColumn(0);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"a", "B", "c"}));
}

TEST_F(SortingTest, EmptyCellsComeFirstAscendingAndLastDescending) {
  Fill(3, {"x", "", "y"});
  SortByColumn(3);
  EXPECT_EQ(Column(3), (std::vector<std::string>{"y", "x", ""}));
  SortByColumn(3);
  EXPECT_EQ(Column(3), (std::vector<std::string>{"", "x", "y"}));
}

TEST_F(SortingTest, EmptyAndOneRowListsStillSortAndFlip) {
  SortByColumn(2);
  EXPECT_EQ(fake::Controls().cellReads, 0);
  EXPECT_EQ(fake::Controls().sorts, 1);
  EXPECT_TRUE(sortAscending);

  Fill(2, {"only"});
  SortByColumn(2);
  EXPECT_EQ(Column(2), (std::vector<std::string>{"only"}));
  EXPECT_FALSE(sortAscending);
}

TEST_F(SortingTest, ReadsEachCellOnceBeforeTheSort) {
  Fill(1, {"d", "b", "a", "c", "e"});
  SortByColumn(1);
  EXPECT_EQ(fake::Controls().cellReads, 5);
  EXPECT_GT(fake::Controls().comparisons, 0);
}

TEST_F(SortingTest, CompareRowTextsTakesAZeroAddressAsTheEmptyText) {
  const std::string a = "a";
  const auto address = reinterpret_cast<std::intptr_t>(a.c_str());
  sortAscending = true;
  EXPECT_LT(CompareRowTexts(0, address, 0), 0);
  EXPECT_EQ(CompareRowTexts(0, reinterpret_cast<std::intptr_t>(""), 0), 0);
  sortAscending = false;
  EXPECT_GT(CompareRowTexts(0, address, 0), 0);
}

}  // namespace
}  // namespace ostrand
