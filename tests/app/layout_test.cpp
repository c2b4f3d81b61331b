#include "app/layout.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_controls.h"

namespace ostrand {
namespace {

using fake::ControlRect;
using ui::Control;

TEST(LayoutMainWindow, FitsListAndButtonToTheOuterSize) {
  const struct {
    ui::OuterSize outer;
    ControlRect list;
    ControlRect button;
  } cases[] = {
      {{842, 500}, {5, 5, 817, 410}, {10, 420, 80, 32}},
      {{1000, 700}, {5, 5, 975, 610}, {10, 620, 80, 32}},
      {{842, 400}, {5, 5, 817, 310}, {10, 320, 80, 32}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.outer.width * 10000 + c.outer.height);
    fake::ResetControls();
    const ControlRect label = fake::Controls().rects[Control::PromoLabel];
    const ControlRect link = fake::Controls().rects[Control::SiteLink];
    fake::Controls().outerSize = c.outer;
    LayoutMainWindow();
    EXPECT_EQ(fake::Controls().rects[Control::ConnectionList], c.list);
    EXPECT_EQ(fake::Controls().rects[Control::RefreshButton], c.button);
    EXPECT_EQ(fake::Controls().rects[Control::PromoLabel], label);
    EXPECT_EQ(fake::Controls().rects[Control::SiteLink], link);
  }
}

TEST(LayoutMainWindow, RestoringGivesTheLayoutBeforeMinimising) {
  fake::ResetControls();
  LayoutMainWindow();
  const auto before = fake::Controls().rects;
  fake::Controls().outerSize = {160, 28};  // what a minimised window may report
  LayoutMainWindow();
  fake::Controls().outerSize = {842, 500};
  LayoutMainWindow();
  EXPECT_EQ(fake::Controls().rects, before);
}

}  // namespace
}  // namespace ostrand
