#include "interaction/context_menu.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_host.h"
#include "platform/text.h"

namespace ostrand {
namespace {

class ContextMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    fake::ResetControls();
    selectedProcessName.clear();
    for (const char* name : {"svchost.exe", "", "notepad.exe"}) {
      fake::ListRow row;
      row.cells[0] = name;
      row.cells[5] = "42";
      fake::Controls().rows.push_back(row);
    }
    fake::Controls().pointerX = 300;
    fake::Controls().pointerY = 200;
  }
  void TearDown() override { selectedProcessName.clear(); }
};

TEST_F(ContextMenuTest, RemembersTheSelectedNameAndPopsUpAtThePointer) {
  fake::Controls().selectedRow = 2;
  ShowListMenu();
  EXPECT_EQ(selectedProcessName, "notepad.exe");
  ASSERT_EQ(fake::Controls().popups.size(), 1u);
  EXPECT_EQ(fake::Controls().popups[0].x, 300);
  EXPECT_EQ(fake::Controls().popups[0].y, 200);

  // A later right-click without a selection replaces the name with nothing,
  // and the menu is shown all the same.
  fake::Controls().selectedRow = -1;
  ShowListMenu();
  EXPECT_EQ(selectedProcessName, "");
  EXPECT_EQ(fake::Controls().popups.size(), 2u);
  EXPECT_TRUE(fake::Controls().messageBoxes.empty());
  EXPECT_TRUE(fake::TerminateRequests().empty()) << "dismissing the menu ends nothing";
}

TEST_F(ContextMenuTest, FailureMessageNamesTheProcess) {
  const struct {
    int selectedRow;
    bool terminated;
    const char* message;  // UTF-8; empty when no box is expected
  } cases[] = {
      {2, false, "结束进程notepad.exe失败"},
      {1, false, "结束进程失败"},  // empty process-name cell
      {-1, false, "结束进程失败"},
      {0, true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.selectedRow);
    SetUp();
    fake::SetTerminateResult(c.terminated);
    fake::Controls().selectedRow = c.selectedRow;
    fake::Controls().onPopup = [] { EndSelectedProcess(); };
    ShowListMenu();
    ASSERT_EQ(fake::TerminateRequests().size(), 1u);
    EXPECT_EQ(fake::TerminateRequests()[0], selectedProcessName);
    if (c.message[0] == '\0') {
      EXPECT_TRUE(fake::Controls().messageBoxes.empty());
      continue;
    }
    ASSERT_EQ(fake::Controls().messageBoxes.size(), 1u);
    EXPECT_EQ(GbkToUtf8(fake::Controls().messageBoxes[0].text), c.message);
    EXPECT_EQ(GbkToUtf8(fake::Controls().messageBoxes[0].caption), "信息：");
  }
}

TEST_F(ContextMenuTest, NameStaysAfterTheMenuAndAcrossChoices) {
  fake::Controls().selectedRow = 0;
  ShowListMenu();
  fake::Controls().rows.clear();  // as a refresh that empties the list
  EndSelectedProcess();
  EndSelectedProcess();
  EXPECT_EQ(fake::TerminateRequests(), (std::vector<std::string>{"svchost.exe", "svchost.exe"}));
  EXPECT_EQ(selectedProcessName, "svchost.exe");
}

}  // namespace
}  // namespace ostrand
