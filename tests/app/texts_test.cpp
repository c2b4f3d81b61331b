#include "app/texts.h"

#include <gtest/gtest.h>

#include "platform/text.h"

namespace ostrand {
namespace {

TEST(Texts, GbkBytesSayWhatTheirCommentsSay) {
  const struct {
    const char* gbk;
    const char* utf8;
  } cases[] = {
      {texts::kWindowTitle, "Quenlor-Ostrand"},
      {texts::kColumnTitles[0], "进程"},
      {texts::kColumnTitles[1], "本地IP_端口"},
      {texts::kColumnTitles[2], "远程IP_端口"},
      {texts::kColumnTitles[3], "远程服务器"},
      {texts::kColumnTitles[4], "状态"},
      {texts::kColumnTitles[5], "PID"},
      {texts::kRefreshCaption, "刷新"},
      {texts::kListMenuCaption, "右键"},
      {texts::kEndProcessCaption, "结束进程"},
      {texts::kBlacklistCaption, "加入黑名单"},
      {texts::kFailedSuffix, "失败"},
      {texts::kMessageCaption, "信息："},
      {texts::kMainWindowLoadFailed, "主窗口载入失败"},
      {texts::kPromoText,
       "Quenlor 提供服务器租用、服务器托管、云服务器、VPS主机与高防服务器，稳定高速，欢迎咨询！"},
      {texts::kSiteAddress, "https://www.quenlor.example/"},
      {texts::kSiteCaption, "Quenlor  https://www.quenlor.example/"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GbkToUtf8(c.gbk), c.utf8);
}

}  // namespace
}  // namespace ostrand
