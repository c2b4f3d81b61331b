// MainWindow built in this process over the in-memory host, driven through
// its messages and, where the control must react as it does for a user,
// through real mouse and keyboard input.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/texts.h"
#include "app/win32/main_window.h"
#include "app/win32/resource.h"
#include "interaction/context_menu.h"
#include "interaction/sorting.h"
#include "ipdb/lookup.h"
#include "platform/fake/fake_host.h"
#include "platform/win32/wide.h"
#include "tests/support/qqwry_writer.h"
#include "tests/win32/link_target_stub.h"

namespace ostrand::win32 {
namespace {

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Rect& r) {
    return out << "(" << r.left << ", " << r.top << ") " << r.width << " x " << r.height;
  }
};

// A control's rectangle in its parent's client coordinates.
Rect PlaceOf(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

Rect OuterOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// Takes every waiting message as the program's loop does.
void Pump(HWND mainWindow) {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT)
      continue;
    if (mainWindow != nullptr && IsWindow(mainWindow) && HandleWindowKeys(mainWindow, message))
      continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool PumpUntil(HWND mainWindow, const std::function<bool()>& done, DWORD patienceMs = 5000) {
  const ULONGLONG deadline = GetTickCount64() + patienceMs;
  while (!done()) {
    if (GetTickCount64() > deadline)
      return false;
    Pump(mainWindow);
    Sleep(5);
  }
  return true;
}

std::wstring WindowText(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

std::wstring Cell(HWND list, int row, int column) {
  wchar_t text[512] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = 512;
  SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
  return text;
}

using Row = std::array<std::wstring, 6>;

std::vector<Row> Rows(HWND list) {
  std::vector<Row> rows;
  const int n = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    Row row;
    for (int c = 0; c < 6; ++c)
      row[c] = Cell(list, i, c);
    rows.push_back(row);
  }
  return rows;
}

std::vector<std::wstring> Column(HWND list, int column) {
  std::vector<std::wstring> texts;
  for (const Row& row : Rows(list))
    texts.push_back(row[column]);
  return texts;
}

constexpr auto& Connection = fake::Connection;

void MouseClickAt(POINT screen, DWORD down, DWORD up) {
  SetCursorPos(screen.x, screen.y);
  INPUT inputs[2] = {};
  inputs[0].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = down;
  inputs[1].type = INPUT_MOUSE;
  inputs[1].mi.dwFlags = up;
  SendInput(2, inputs, sizeof(INPUT));
}

// ---- Modal loops closed from a timer --------------------------------------

struct PopupSeen {
  bool seen = false;
  POINT topLeft{};
  std::vector<std::wstring> items;
};
PopupSeen popupSeen;

void CALLBACK DismissPopup(HWND, UINT, UINT_PTR timer, DWORD) {
  const HWND popup = FindWindowW(L"#32768", nullptr);
  if (popup == nullptr || !IsWindowVisible(popup))
    return;  // not open yet: next tick
  KillTimer(nullptr, timer);
  popupSeen.seen = true;
  RECT r{};
  GetWindowRect(popup, &r);
  popupSeen.topLeft = {r.left, r.top};
  const auto menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    popupSeen.items.push_back(text);
  }
  EndMenu();
}

struct BoxSeen {
  int count = 0;
  std::wstring text;
  bool owned = false;
  bool hasCancel = false;
  bool mainEnabled = true;
  HWND mainWindow = nullptr;
};
BoxSeen boxSeen;

void CALLBACK CloseMessageBox(HWND, UINT, UINT_PTR, DWORD) {
  const HWND box = FindWindowW(L"#32770", GbkToWide(texts::kMessageCaption).c_str());
  if (box == nullptr || !IsWindowVisible(box))
    return;
  ++boxSeen.count;
  wchar_t text[256] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 256);  // the box's message text
  boxSeen.text = text;
  boxSeen.owned = GetWindow(box, GW_OWNER) != nullptr;
  boxSeen.hasCancel = GetDlgItem(box, IDCANCEL) != nullptr;
  boxSeen.mainEnabled = IsWindowEnabled(boxSeen.mainWindow) != FALSE;
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
}

// ---- Fixture ----------------------------------------------------------------

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    fake::SetScreenSize({GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    fake::SetFile(DefaultDatabasePath(), testing::SampleDatabase());
    testing::LinkTarget() = {};
    sortAscending = false;
    selectedProcessName.clear();
    popupSeen = {};
    boxSeen = {};
    Build();
  }

  void TearDown() override {
    if (main_ != nullptr && IsWindow(main_))
      DestroyWindow(main_);
    Pump(nullptr);  // also takes the WM_QUIT that the destruction posted
    sortAscending = false;
    selectedProcessName.clear();
  }

  void Build() {
    main_ = BuildMainWindow(GetModuleHandleW(nullptr));
    ASSERT_NE(main_, nullptr);
    list_ = GetDlgItem(main_, IDC_CONNECTION_LIST);
    button_ = GetDlgItem(main_, IDC_REFRESH_BUTTON);
    label_ = GetDlgItem(main_, IDC_PROMO_LABEL);
    link_ = GetDlgItem(main_, IDC_SITE_LINK);
    boxSeen.mainWindow = main_;
  }

  void Show() {
    ShowWindow(main_, SW_SHOW);
    SetForegroundWindow(main_);
    UpdateWindow(main_);
    Pump(main_);
  }

  void Refresh() {
    SendMessageW(button_, BM_CLICK, 0, 0);
    Pump(main_);
  }

  HWND main_ = nullptr;
  HWND list_ = nullptr;
  HWND button_ = nullptr;
  HWND label_ = nullptr;
  HWND link_ = nullptr;
};

const Rect kListAtStart{5, 5, 817, 410};
const Rect kButtonAtStart{10, 420, 80, 32};
const Rect kLabel{168, 420, 568, 13};
const Rect kLink{165, 432, 192, 25};

TEST_F(WindowTest, MainWindowIsBuiltHiddenCentredWithItsSettings) {
  EXPECT_EQ(WindowText(main_), L"Quenlor-Ostrand");
  const LONG style = GetWindowLongW(main_, GWL_STYLE);
  EXPECT_EQ(style & (WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN);
  EXPECT_EQ(style & WS_VISIBLE, 0);
  EXPECT_EQ(GetWindowLongW(main_, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  const Rect outer = OuterOf(main_);
  EXPECT_EQ(outer, (Rect{(GetSystemMetrics(SM_CXSCREEN) - 842) / 2,
                         (GetSystemMetrics(SM_CYSCREEN) - 500) / 2, 842, 500}));
  EXPECT_EQ(GetClassLongPtrW(main_, GCLP_HBRBACKGROUND), COLOR_BTNFACE + 1);

  const HMENU bar = GetMenu(main_);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(GetMenuItemCount(bar), 0) << "the hidden entry stays out of the menu bar";
  EXPECT_NE(SendMessageW(main_, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_NE(SendMessageW(main_, WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(WindowTest, ResourcesHoldTheIconAndListMenu) {
  const HINSTANCE module = GetModuleHandleW(nullptr);
  // The icon: one image, 128 x 128, 32 bits per pixel.
  const HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(IDI_OSTRAND), RT_GROUP_ICON);
  ASSERT_NE(group, nullptr);
  const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(module, group)));
  ASSERT_NE(bytes, nullptr);
  const auto word = [bytes](int at) { return bytes[at] | (bytes[at + 1] << 8); };
  EXPECT_EQ(word(4), 1) << "image count";
  EXPECT_EQ(bytes[6], 128) << "width";
  EXPECT_EQ(bytes[7], 128) << "height";
  EXPECT_EQ(word(6 + 6), 32) << "bits per pixel";

  const HMENU definition = LoadMenuW(module, MAKEINTRESOURCEW(IDR_LISTMENU));
  ASSERT_NE(definition, nullptr);
  wchar_t text[64] = {};
  ASSERT_EQ(GetMenuItemCount(definition), 1);
  GetMenuStringW(definition, 0, text, 64, MF_BYPOSITION);
  EXPECT_EQ(std::wstring(text), GbkToWide(texts::kListMenuCaption));
  const HMENU items = GetSubMenu(definition, 0);
  ASSERT_EQ(GetMenuItemCount(items), 2);
  const struct {
    UINT id;
    const char* caption;
  } expected[] = {{IDM_END_PROCESS, texts::kEndProcessCaption},
                  {IDM_BLACKLIST, texts::kBlacklistCaption}};
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(GetMenuItemID(items, i), expected[i].id);
    GetMenuStringW(items, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(text), GbkToWide(expected[i].caption));
    EXPECT_EQ(GetMenuState(items, static_cast<UINT>(i), MF_BYPOSITION) &
                  (MF_GRAYED | MF_DISABLED | MF_CHECKED),
              0u);
  }
  DestroyMenu(definition);
}

TEST_F(WindowTest, ControlsStackAndCarryTheirSettings) {
  // Top to bottom: PromoLabel, SiteLink, RefreshButton, ConnectionList.
  HWND child = GetWindow(main_, GW_CHILD);
  for (HWND expected : {label_, link_, button_, list_}) {
    EXPECT_EQ(child, expected);
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr);

  const struct {
    HWND control;
    bool tabStop;
  } controls[] = {{label_, false}, {link_, false}, {button_, true}, {list_, true}};
  for (const auto& c : controls) {
    const LONG style = GetWindowLongW(c.control, GWL_STYLE);
    EXPECT_EQ(style & (WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE | WS_DISABLED),
              WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE);
    EXPECT_EQ((style & WS_TABSTOP) != 0, c.tabStop);
  }

  EXPECT_EQ(WindowText(label_), GbkToWide(texts::kPromoText));
  EXPECT_EQ(WindowText(link_), L"Quenlor  https://www.quenlor.example/");
  EXPECT_EQ(GetClassLongPtrW(link_, GCLP_HCURSOR),
            reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649))));

  const LONG buttonStyle = GetWindowLongW(button_, GWL_STYLE);
  EXPECT_EQ(buttonStyle & BS_TYPEMASK, BS_PUSHBUTTON);
  EXPECT_EQ(buttonStyle & (BS_CENTER | BS_VCENTER | BS_MULTILINE),
            BS_CENTER | BS_VCENTER | BS_MULTILINE);
  EXPECT_EQ(WindowText(button_), L"刷新");
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(button_, WM_GETFONT, 0, 0)),
            GetStockObject(DEFAULT_GUI_FONT));
}

TEST_F(WindowTest, ConnectionListSettingsAndColumns) {
  const LONG style = GetWindowLongW(list_, GWL_STYLE);
  EXPECT_EQ(style & (WS_CLIPCHILDREN | LVS_TYPEMASK | LVS_SINGLESEL),
            WS_CLIPCHILDREN | LVS_REPORT | LVS_SINGLESEL);
  EXPECT_EQ(style & (LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER | LVS_SHOWSELALWAYS | LVS_EDITLABELS |
                     LVS_SORTASCENDING | LVS_SORTDESCENDING | WS_BORDER),
            0);
  EXPECT_EQ(GetWindowLongW(list_, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE), 0);
  EXPECT_EQ(SendMessageW(list_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0),
            LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP);
  EXPECT_EQ(SendMessageW(list_, LVM_GETTEXTCOLOR, 0, 0), RGB(0, 0, 0));
  EXPECT_EQ(SendMessageW(list_, LVM_GETTEXTBKCOLOR, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(SendMessageW(list_, LVM_GETBKCOLOR, 0, 0), RGB(255, 255, 255));

  LOGFONTW font{};
  const auto handle = reinterpret_cast<HFONT>(SendMessageW(list_, WM_GETFONT, 0, 0));
  ASSERT_EQ(GetObjectW(handle, sizeof font, &font), static_cast<int>(sizeof font));
  EXPECT_EQ(font.lfHeight, -14);
  EXPECT_EQ(font.lfWeight, 400);
  EXPECT_EQ(font.lfQuality, PROOF_QUALITY);
  EXPECT_EQ(font.lfItalic | font.lfUnderline | font.lfStrikeOut, 0);
  EXPECT_EQ(font.lfFaceName[0], L'\0');
  // The character set, not the system's default one, makes the system pick a
  // typeface with Chinese characters on every Windows.
  EXPECT_EQ(font.lfCharSet, GB2312_CHARSET);

  const wchar_t* titles[] = {L"进程",       L"本地IP_端口", L"远程IP_端口",
                             L"远程服务器", L"状态",        L"PID"};
  const int widths[] = {100, 180, 180, 180, 100, 50};
  const HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
  EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 6);
  for (int c = 0; c < 6; ++c) {
    wchar_t text[64] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.pszText = text;
    column.cchTextMax = 64;
    ASSERT_TRUE(SendMessageW(list_, LVM_GETCOLUMNW, c, reinterpret_cast<LPARAM>(&column)));
    EXPECT_EQ(std::wstring(text), titles[c]);
    EXPECT_EQ(column.cx, widths[c]);
    EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    EXPECT_EQ(column.iSubItem, c);
  }
  EXPECT_EQ(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(WindowTest, LayoutAtFirstDisplayAndAfterResizing) {
  EXPECT_EQ(PlaceOf(list_), kListAtStart) << "laid out before it is shown";
  EXPECT_EQ(PlaceOf(button_), kButtonAtStart);
  Show();
  EXPECT_EQ(PlaceOf(list_), kListAtStart);
  EXPECT_EQ(PlaceOf(button_), kButtonAtStart);
  EXPECT_EQ(PlaceOf(label_), kLabel);
  EXPECT_EQ(PlaceOf(link_), kLink);

  const struct {
    int width;
    int height;
    Rect list;
    Rect button;
  } cases[] = {
      {1000, 700, {5, 5, 975, 610}, {10, 620, 80, 32}},
      {842, 400, {5, 5, 817, 310}, {10, 320, 80, 32}},
      {842, 500, kListAtStart, kButtonAtStart},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
    SetWindowPos(main_, nullptr, 0, 0, c.width, c.height, SWP_NOMOVE | SWP_NOZORDER);
    Pump(main_);
    ASSERT_EQ(OuterOf(main_).width, c.width);
    ASSERT_EQ(OuterOf(main_).height, c.height);
    EXPECT_EQ(PlaceOf(list_), c.list);
    EXPECT_EQ(PlaceOf(button_), c.button);
    EXPECT_EQ(PlaceOf(label_), kLabel);
    EXPECT_EQ(PlaceOf(link_), kLink);
  }

  ShowWindow(main_, SW_MAXIMIZE);
  Pump(main_);
  const Rect maximised = OuterOf(main_);
  EXPECT_EQ(PlaceOf(list_), (Rect{5, 5, maximised.width - 25, maximised.height - 90}));
  ShowWindow(main_, SW_RESTORE);
  Pump(main_);
  EXPECT_EQ(PlaceOf(list_), kListAtStart);
  EXPECT_EQ(PlaceOf(button_), kButtonAtStart);
}

TEST_F(WindowTest, RefreshFillsTheListAndASecondReplacesIt) {
  fake::SetProcesses({{100, "chrome.exe"}, {300, "\xCE\xA2\xD0\xC5.exe"}});  // 微信.exe
  fake::SetTcpTable(0, fake::MakeTcpTable({
                           Connection(5, {192, 168, 1, 2}, 50000, {1, 0, 0, 7}, 443, 100),
                           Connection(2, {0, 0, 0, 0}, 80, {0, 0, 0, 0}, 0, 4),
                           Connection(8, {10, 0, 0, 5}, 51000, {8, 8, 8, 8}, 53, 300),
                           Connection(5, {10, 0, 0, 5}, 51001, {9, 9, 9, 9}, 80, 7),
                       }));
  Show();
  Refresh();
  EXPECT_EQ(Rows(list_),
            (std::vector<Row>{
                {L"chrome.exe", L"192.168.1.2:50000", L"1.0.0.7:443", L"中国北京 电信", L"已建立",
                 L"100"},
                {L"微信.exe", L"10.0.0.5:51000", L"8.8.8.8:53", L"美国", L"关闭等待", L"300"},
                {L"", L"10.0.0.5:51001", L"9.9.9.9:80", L"", L"已建立", L"7"},
            }));

  fake::SetTcpTable(0,
                    fake::MakeTcpTable({Connection(11, {10, 0, 0, 9}, 1, {1, 0, 2, 3}, 2, 100)}));
  Refresh();
  EXPECT_EQ(Rows(list_), (std::vector<Row>{{L"chrome.exe", L"10.0.0.9:1", L"1.0.2.3:2",
                                            L"美国 谷歌", L"延时等待", L"100"}}));
}

TEST_F(WindowTest, HeaderClicksSortDescendingThenAscending) {
  fake::SetTcpTable(0, fake::MakeTcpTable({
                           Connection(5, {10, 0, 0, 1}, 1000, {1, 0, 0, 1}, 80, 12),
                           Connection(5, {10, 0, 0, 1}, 1001, {1, 0, 0, 2}, 80, 4),
                           Connection(5, {10, 0, 0, 1}, 1002, {1, 0, 0, 3}, 80, 300),
                       }));
  Show();
  Refresh();
  const HWND header = reinterpret_cast<HWND>(SendMessageW(list_, LVM_GETHEADER, 0, 0));
  RECT item{};
  ASSERT_TRUE(SendMessageW(header, HDM_GETITEMRECT, 5, reinterpret_cast<LPARAM>(&item)));
  POINT centre{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
  ClientToScreen(header, &centre);

  MouseClickAt(centre, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil(main_, [] { return sortAscending; })) << "no LVN_COLUMNCLICK arrived";
  EXPECT_EQ(Column(list_, 5), (std::vector<std::wstring>{L"4", L"300", L"12"}));
  EXPECT_EQ(Column(list_, 2),
            (std::vector<std::wstring>{L"1.0.0.2:80", L"1.0.0.3:80", L"1.0.0.1:80"}))
      << "cells move with their row";

  // Away from the first click, so that the two do not make a double-click.
  centre.x += 12;
  MouseClickAt(centre, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil(main_, [] { return !sortAscending; }));
  EXPECT_EQ(Column(list_, 5), (std::vector<std::wstring>{L"12", L"300", L"4"}));
}

TEST_F(WindowTest, RightClickRemembersTheRowAndPopsUpListMenu) {
  fake::SetProcesses({{100, "chrome.exe"}, {200, "notepad.exe"}});
  fake::SetTcpTable(0, fake::MakeTcpTable({
                           Connection(5, {10, 0, 0, 1}, 1000, {1, 0, 0, 1}, 80, 100),
                           Connection(5, {10, 0, 0, 1}, 1001, {1, 0, 0, 2}, 80, 200),
                       }));
  Show();
  Refresh();
  LVITEMW select{};
  select.stateMask = select.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list_, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&select));
  RECT row{};
  row.left = LVIR_BOUNDS;
  ASSERT_TRUE(SendMessageW(list_, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row)));
  POINT at{row.left + 30, (row.top + row.bottom) / 2};
  ClientToScreen(list_, &at);

  SetTimer(nullptr, 0, 100, DismissPopup);
  MouseClickAt(at, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  ASSERT_TRUE(PumpUntil(main_, [] { return popupSeen.seen; })) << "no popup menu appeared";
  Pump(main_);

  EXPECT_EQ(selectedProcessName, "notepad.exe");
  EXPECT_EQ(popupSeen.topLeft.x, at.x);
  EXPECT_EQ(popupSeen.topLeft.y, at.y);
  EXPECT_EQ(popupSeen.items, (std::vector<std::wstring>{L"结束进程", L"加入黑名单"}));
  EXPECT_TRUE(fake::TerminateRequests().empty()) << "a dismissed menu ends nothing";
  EXPECT_EQ(Rows(list_).size(), 2u);
}

TEST_F(WindowTest, MenuItemsEndTheProcessOrReportTheFailure) {
  Show();
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, CloseMessageBox);
  const auto choose = [this](UINT item) {
    SendMessageW(main_, WM_COMMAND, MAKEWPARAM(item, 0), 0);
    Pump(main_);
  };

  // Nothing remembered yet: the name is empty.
  choose(IDM_END_PROCESS);
  ASSERT_EQ(boxSeen.count, 1);
  EXPECT_EQ(boxSeen.text, L"结束进程失败");
  EXPECT_FALSE(boxSeen.owned);
  EXPECT_FALSE(boxSeen.hasCancel);
  EXPECT_FALSE(boxSeen.mainEnabled) << "task-modal";
  EXPECT_TRUE(IsWindowEnabled(main_));

  choose(IDM_BLACKLIST);
  EXPECT_EQ(boxSeen.count, 1);
  EXPECT_EQ(fake::TerminateRequests().size(), 1u);

  selectedProcessName = "notepad.exe";
  choose(IDM_END_PROCESS);
  EXPECT_EQ(boxSeen.count, 2);
  EXPECT_EQ(boxSeen.text, L"结束进程notepad.exe失败");

  fake::SetTerminateResult(true);
  choose(IDM_END_PROCESS);
  EXPECT_EQ(boxSeen.count, 2) << "success shows nothing";
  EXPECT_EQ(fake::TerminateRequests(),
            (std::vector<std::string>{"", "notepad.exe", "notepad.exe"}));
  KillTimer(nullptr, timer);
}

// Counts the pixels of each link colour in the link's painting.
std::array<int, 3> LinkColourPixels(HWND link) {
  RECT client{};
  GetClientRect(link, &client);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = client.right;
  info.bmiHeader.biHeight = -client.bottom;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const HDC dc = CreateCompatibleDC(nullptr);
  const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageW(link, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  GdiFlush();
  std::array<int, 3> counts{};
  const COLORREF colours[3] = {RGB(0, 0, 255), RGB(10, 36, 106), RGB(128, 0, 0)};
  const auto* pixels = static_cast<const DWORD*>(bits);
  for (int i = 0; i < client.right * client.bottom; ++i) {
    const DWORD p = pixels[i];  // 0x00RRGGBB
    const COLORREF colour = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    for (int k = 0; k < 3; ++k)
      counts[k] += colour == colours[k];
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return counts;
}

TEST_F(WindowTest, SiteLinkColourFollowsPointerAndVisits) {
  Show();
  const COLORREF blue = RGB(0, 0, 255), hot = RGB(10, 36, 106), visited = RGB(128, 0, 0);
  const auto move = [this](int x, int y) {
    SendMessageW(link_, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  };
  const auto expectColour = [this](COLORREF colour, int index) {
    EXPECT_EQ(SiteLinkTextColor(link_), colour);
    const std::array<int, 3> pixels = LinkColourPixels(link_);
    for (int k = 0; k < 3; ++k) {
      if (k == index)
        EXPECT_GT(pixels[k], 0) << "caption painted in colour " << k;
      else
        EXPECT_EQ(pixels[k], 0) << "no pixel of colour " << k;
    }
  };

  expectColour(blue, 0);
  move(10, 10);
  expectColour(hot, 1);
  EXPECT_EQ(GetCapture(), link_);
  ReleaseCapture();
  move(11, 10);
  EXPECT_EQ(GetCapture(), link_) << "capture taken again while hot";
  move(-3, 10);
  expectColour(blue, 0);
  EXPECT_NE(GetCapture(), link_);

  move(10, 10);
  SendMessageW(link_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  EXPECT_EQ(testing::LinkTarget().opened,
            (std::vector<std::string>{"https://www.quenlor.example/"}));
  expectColour(hot, 1);
  move(500, 10);
  expectColour(visited, 2);

  testing::LinkTarget().result = false;
  move(10, 10);
  SendMessageW(link_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  move(10, 500);
  expectColour(blue, 0);
  EXPECT_EQ(testing::LinkTarget().opened.size(), 2u);
}

TEST_F(WindowTest, PressOnLabelOrClientAreaDragsTheWindow) {
  Show();
  for (HWND pressed : {label_, main_}) {
    SendMessageW(pressed, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, main_, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
    EXPECT_EQ(message.wParam, static_cast<WPARAM>(HTCAPTION));
    SendMessageW(pressed, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  }
}

TEST_F(WindowTest, TabMovesBetweenButtonAndList) {
  Show();
  SetFocus(button_);
  PostMessageW(button_, WM_KEYDOWN, VK_TAB, 0);
  Pump(main_);
  EXPECT_EQ(GetFocus(), list_);
  PostMessageW(list_, WM_KEYDOWN, VK_TAB, 0);
  Pump(main_);
  EXPECT_EQ(GetFocus(), button_);

  // Shift+Tab, typed.
  SetFocus(list_);
  INPUT keys[4] = {};
  const WORD sequence[4][2] = {
      {VK_SHIFT, 0}, {VK_TAB, 0}, {VK_TAB, KEYEVENTF_KEYUP}, {VK_SHIFT, KEYEVENTF_KEYUP}};
  for (int i = 0; i < 4; ++i) {
    keys[i].type = INPUT_KEYBOARD;
    keys[i].ki.wVk = sequence[i][0];
    keys[i].ki.dwFlags = sequence[i][1];
  }
  SendInput(4, keys, sizeof(INPUT));
  EXPECT_TRUE(PumpUntil(main_, [this] { return GetFocus() == button_; }));
}

TEST_F(WindowTest, EscClosesTheWindowFromAnyFocus) {
  for (int which = 0; which < 3; ++which) {
    SCOPED_TRACE(which);
    if (which > 0) {
      Pump(nullptr);
      Build();
    }
    Show();
    const HWND focus = which == 0 ? list_ : which == 1 ? button_ : main_;
    SetFocus(focus);
    PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(PumpUntil(main_, [this] { return !IsWindow(main_); }));
  }
}

}  // namespace
}  // namespace ostrand::win32
