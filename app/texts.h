// Every text that the window shows, as GBK bytes (the program's inner
// encoding). The UTF-8 form stands in the comment beside each; a test checks
// that the two agree.
#pragma once

namespace ostrand::texts {

inline constexpr char kWindowTitle[] = "Quenlor-Ostrand";

// Column titles of ConnectionList, by column number.
inline constexpr const char* kColumnTitles[6] = {
    "\xBD\xF8\xB3\xCC",                          // 进程
    "\xB1\xBE\xB5\xD8IP_\xB6\xCB\xBF\xDA",       // 本地IP_端口
    "\xD4\xB6\xB3\xCCIP_\xB6\xCB\xBF\xDA",       // 远程IP_端口
    "\xD4\xB6\xB3\xCC\xB7\xFE\xCE\xF1\xC6\xF7",  // 远程服务器
    "\xD7\xB4\xCC\xAC",                          // 状态
    "PID",
};

inline constexpr int kColumnWidths[6] = {100, 180, 180, 180, 100, 50};

inline constexpr char kRefreshCaption[] = "\xCB\xA2\xD0\xC2";  // 刷新

// ListMenu: the hidden menu-bar entry and its two items.
inline constexpr char kListMenuCaption[] = "\xD3\xD2\xBC\xFC";                    // 右键
inline constexpr char kEndProcessCaption[] = "\xBD\xE1\xCA\xF8\xBD\xF8\xB3\xCC";  // 结束进程
inline constexpr char kBlacklistCaption[] =
    "\xBC\xD3\xC8\xEB\xBA\xDA\xC3\xFB\xB5\xA5";  // 加入黑名单

// The failure message is kEndProcessCaption + name + kFailedSuffix.
inline constexpr char kFailedSuffix[] = "\xCA\xA7\xB0\xDC";            // 失败
inline constexpr char kMessageCaption[] = "\xD0\xC5\xCF\xA2\xA3\xBA";  // 信息：

inline constexpr char kMainWindowLoadFailed[] =
    "\xD6\xF7\xB4\xB0\xBF\xDA\xD4\xD8\xC8\xEB\xCA\xA7\xB0\xDC";  // 主窗口载入失败

// Quenlor 提供服务器租用、服务器托管、云服务器、VPS主机与高防服务器，稳定高速，欢迎咨询！
inline constexpr char kPromoText[] =
    "Quenlor "
    "\xCC\xE1\xB9\xA9\xB7\xFE\xCE\xF1\xC6\xF7\xD7\xE2\xD3\xC3\xA1\xA2"  // 提供服务器租用、
    "\xB7\xFE\xCE\xF1\xC6\xF7\xCD\xD0\xB9\xDC\xA1\xA2"                  // 服务器托管、
    "\xD4\xC6\xB7\xFE\xCE\xF1\xC6\xF7\xA1\xA2"                          // 云服务器、
    "VPS\xD6\xF7\xBB\xFA\xD3\xEB"                                       // VPS主机与
    "\xB8\xDF\xB7\xC0\xB7\xFE\xCE\xF1\xC6\xF7\xA3\xAC"                  // 高防服务器，
    "\xCE\xC8\xB6\xA8\xB8\xDF\xCB\xD9\xA3\xAC"                          // 稳定高速，
    "\xBB\xB6\xD3\xAD\xD7\xC9\xD1\xAF\xA3\xA1";                         // 欢迎咨询！

// The maker's site: a reserved name, so no stranger's site is ever opened.
inline constexpr char kSiteAddress[] = "https://www.quenlor.example/";
inline constexpr char kSiteCaption[] = "Quenlor  https://www.quenlor.example/";

}  // namespace ostrand::texts
