#include "connections/refresh.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "interaction/context_menu.h"
#include "interaction/sorting.h"
#include "ipdb/lookup.h"
#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_host.h"
#include "platform/text.h"
#include "tests/support/qqwry_writer.h"

namespace ostrand {
namespace {

using Cells = std::array<std::string, 6>;  // UTF-8, for readable expectations

constexpr auto& Row = fake::Connection;

std::vector<Cells> ListedRows() {
  std::vector<Cells> rows;
  for (const fake::ListRow& row : fake::Controls().rows) {
    Cells cells;
    for (int c = 0; c < 6; ++c)
      cells[c] = GbkToUtf8(row.cells[c]);
    rows.push_back(cells);
  }
  return rows;
}

class RefreshTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    fake::ResetControls();
    fake::SetFile(DefaultDatabasePath(), testing::SampleDatabase());
    fake::SetProcesses({{100, "chrome.exe"}, {300, "\xCE\xA2\xD0\xC5.exe"}});  // 微信.exe
    fake::SetTcpTable(0, fake::MakeTcpTable({
                             Row(5, {192, 168, 1, 2}, 50000, {1, 0, 0, 7}, 443, 100),
                             Row(2, {0, 0, 0, 0}, 80, {0, 0, 0, 0}, 0, 4),  // listening
                             Row(5, {127, 0, 0, 1}, 5000, {127, 0, 0, 1}, 6000, 100),
                             Row(8, {10, 0, 0, 5}, 51000, {8, 8, 8, 8}, 53, 200),  // no process
                             Row(2, {10, 0, 0, 5}, 52000, {0, 0, 0, 0}, 0, 100),   // no remote
                             Row(99, {10, 0, 0, 5}, 51001, {9, 1, 2, 3}, 80, 100),
                             Row(5, {10, 0, 0, 5}, 51002, {1, 0, 2, 9}, 8080, 300),
                         }));
  }
};

const std::vector<Cells> kExpected = {
    {"chrome.exe", "192.168.1.2:50000", "1.0.0.7:443", "中国北京 电信", "已建立", "100"},
    {"", "10.0.0.5:51000", "8.8.8.8:53", "美国", "关闭等待", "200"},
    {"chrome.exe", "10.0.0.5:51001", "9.1.2.3:80", "", "未知", "100"},
    {"微信.exe", "10.0.0.5:51002", "1.0.2.9:8080", "美国 谷歌", "已建立", "300"},
};

TEST_F(RefreshTest, FillsOneRowPerListedConnectionInSnapshotOrder) {
  RefreshConnections();
  EXPECT_EQ(ListedRows(), kExpected);
  for (const fake::ListRow& row : fake::Controls().rows)
    EXPECT_EQ(row.itemValue, 0);
  EXPECT_EQ(fake::Controls().sorts, 0);
}

TEST_F(RefreshTest, SecondRefreshReplacesEveryRowAndRestoresSnapshotOrder) {
  RefreshConnections();
  SortByColumn(0);
  fake::Controls().rows.push_back({});  // a row that no refresh made
  RefreshConnections();
  EXPECT_EQ(ListedRows(), kExpected);

  fake::SetTcpTable(0, fake::MakeTcpTable({Row(11, {10, 0, 0, 9}, 1, {1, 0, 0, 1}, 2, 100)}));
  RefreshConnections();
  EXPECT_EQ(ListedRows(), (std::vector<Cells>{{"chrome.exe", "10.0.0.9:1", "1.0.0.1:2",
                                               "中国北京 电信", "延时等待", "100"}}));
}

TEST_F(RefreshTest, LeavesSortDirectionAndRememberedNameAlone) {
  sortAscending = true;
  selectedProcessName = "old.exe";
  RefreshConnections();
  EXPECT_TRUE(sortAscending);
  EXPECT_EQ(selectedProcessName, "old.exe");
  sortAscending = false;
  selectedProcessName.clear();
}

TEST_F(RefreshTest, MissingDatabaseLeavesOnlyTheLocationEmpty) {
  fake::RemoveFile(DefaultDatabasePath());
  RefreshConnections();
  std::vector<Cells> expected = kExpected;
  for (Cells& row : expected)
    row[3].clear();
  EXPECT_EQ(ListedRows(), expected);
}

TEST_F(RefreshTest, FailedOrUnlistedSnapshotLeavesTheListEmpty) {
  RefreshConnections();
  fake::SetTcpTable(87, {});
  RefreshConnections();
  EXPECT_TRUE(fake::Controls().rows.empty());

  fake::Controls().rows.resize(2);
  fake::SetTcpTable(0, fake::MakeTcpTable({Row(2, {0, 0, 0, 0}, 80, {0, 0, 0, 0}, 0, 4),
                                           Row(5, {127, 0, 0, 1}, 1, {127, 0, 0, 1}, 2, 4)}));
  RefreshConnections();
  EXPECT_TRUE(fake::Controls().rows.empty());
}

}  // namespace
}  // namespace ostrand
