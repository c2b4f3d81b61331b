#include "app/site_link.h"

#include <gtest/gtest.h>

namespace ostrand {
namespace {

TEST(SiteLink, ColourFollowsHotThenVisited) {
  EXPECT_EQ(LinkTextColor(false, false), (Rgb{0, 0, 255}));
  EXPECT_EQ(LinkTextColor(true, false), (Rgb{10, 36, 106}));
  EXPECT_EQ(LinkTextColor(true, true), (Rgb{10, 36, 106}));
  EXPECT_EQ(LinkTextColor(false, true), (Rgb{128, 0, 0}));
}

TEST(SiteLink, HandlerCommandLineIsCutAtThePlaceholder) {
  const std::string address = "https://www.quenlor.example/";
  const struct {
    const char* handler;
    const char* expected;
  } cases[] = {
      {"\"C:\\b\\browser.exe\" -- \"%1\" -x",
       "\"C:\\b\\browser.exe\" --  https://www.quenlor.example/"},
      {"C:\\b\\browser.exe %1", "C:\\b\\browser.exe  https://www.quenlor.example/"},
      // The quoted form wins even after a bare one.
      {"b.exe %1 \"%1\"", "b.exe %1  https://www.quenlor.example/"},
      {"C:\\b\\browser.exe -nohome", "C:\\b\\browser.exe -nohome https://www.quenlor.example/"},
      {"", " https://www.quenlor.example/"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(HandlerCommandLine(c.handler, address), c.expected) << c.handler;
}

}  // namespace
}  // namespace ostrand
