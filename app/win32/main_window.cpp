// MainWindow: the top-level window, its four controls and the binding of
// their events to the operations.
#include "app/win32/main_window.h"

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>

#include "app/layout.h"
#include "app/texts.h"
#include "app/win32/child_windows.h"
#include "app/win32/resource.h"
#include "connections/refresh.h"
#include "interaction/context_menu.h"
#include "interaction/sorting.h"
#include "platform/host.h"
#include "platform/win32/main_window_binding.h"
#include "platform/win32/wide.h"

namespace ostrand::win32 {

namespace {

constexpr int kOuterWidth = 842;
constexpr int kOuterHeight = 500;

struct MainWindowState {
  // Until the window and all its controls exist, no event reaches an
  // operation.
  bool built = false;
  HWND connectionList = nullptr;
  HWND refreshButton = nullptr;
  HFONT listFont = nullptr;  // owned; null while the stock font stands in
  HICON bigIcon = nullptr;
  HICON smallIcon = nullptr;
  // Set when the window takes the state over; from then on WM_NCDESTROY
  // releases it, also when creation fails half-way.
  bool* linked = nullptr;

  ~MainWindowState() {
    if (listFont != nullptr)
      DeleteObject(listFont);
    if (bigIcon != nullptr)
      DestroyIcon(bigIcon);
    if (smallIcon != nullptr)
      DestroyIcon(smallIcon);
  }
};

MainWindowState* StateOf(HWND window) {
  return reinterpret_cast<MainWindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

HFONT DefaultGuiFont() {
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

LRESULT HandleMainWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MainWindowState* state = StateOf(window);
  switch (message) {
    case WM_NCCREATE: {
      // The link from handle to state, made before any other message.
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      auto* created = static_cast<MainWindowState*>(create->lpCreateParams);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
      *created->linked = true;
      break;
    }
    case WM_SIZE:
      if (state != nullptr && state->built)
        LayoutMainWindow();
      return 0;
    case WM_COMMAND:
      if (state == nullptr || !state->built)
        return 0;
      if (lParam != 0) {
        if (reinterpret_cast<HWND>(lParam) == state->refreshButton && HIWORD(wParam) == BN_CLICKED)
          RefreshConnections();
      } else if (HIWORD(wParam) == 0 && LOWORD(wParam) == IDM_END_PROCESS) {
        EndSelectedProcess();
      }
      // IDM_BLACKLIST: offered without an action.
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (state == nullptr || !state->built || header->hwndFrom != state->connectionList)
        break;
      if (header->code == LVN_COLUMNCLICK)
        SortByColumn(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
      else if (header->code == NM_RCLICK)
        ShowListMenu();
      return 0;
    }
    case WM_LBUTTONDOWN:
      // A press on the bare client area drags the window, then goes on as usual.
      StartDragging(window);
      break;
    case WM_DESTROY: {
      UnbindMainWindow(window);
      const bool wasBuilt = state != nullptr && state->built;
      if (state != nullptr)
        state->built = false;
      if (wasBuilt)
        PostQuitMessage(0);
      return 0;
    }
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      delete state;
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return HandleMainWindowMessage(window, message, wParam, lParam);
  } catch (...) {
    // An operation that ran out of memory leaves its work unfinished; it
    // must not unwind into the window system.
    return 0;
  }
}

bool RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_OSTRAND));
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kMainWindowClass;
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateChild(HWND parent, HINSTANCE instance, const wchar_t* windowClass,
                 const std::wstring& text, DWORD style, int left, int top, int width, int height,
                 int id) {
  return CreateWindowExW(
      0, windowClass, text.c_str(), WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE | style, left, top,
      width, height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

HFONT MakeListFont() {
  LOGFONTW font{};
  font.lfHeight = -14;
  font.lfWeight = FW_NORMAL;
  // The rows are Chinese on every system: ask for a typeface of the Chinese
  // character set rather than of the system's default one, which on a
  // non-Chinese Windows has no Chinese characters.
  font.lfCharSet = GB2312_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = PROOF_QUALITY;
  font.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  return CreateFontIndirectW(&font);  // no face name: the system picks one for the set
}

bool SetUpConnectionList(HWND list, MainWindowState& state) {
  const DWORD extended =
      LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP;
  // Mask 0: every extended style bit is set from `extended`, so no other stays.
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, extended);
  SendMessageW(list, LVM_SETTEXTCOLOR, 0, RGB(0, 0, 0));
  SendMessageW(list, LVM_SETTEXTBKCOLOR, 0, RGB(255, 255, 255));
  SendMessageW(list, LVM_SETBKCOLOR, 0, RGB(255, 255, 255));
  state.listFont = MakeListFont();
  SendMessageW(
      list, WM_SETFONT,
      reinterpret_cast<WPARAM>(state.listFont != nullptr ? state.listFont : DefaultGuiFont()),
      FALSE);
  for (int column = 0; column < 6; ++column) {
    std::wstring title = GbkToWide(texts::kColumnTitles[column]);
    LVCOLUMNW settings{};
    settings.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    settings.fmt = LVCFMT_LEFT;
    settings.cx = texts::kColumnWidths[column];
    settings.pszText = title.data();
    settings.iSubItem = column;
    if (SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&settings)) != column)
      return false;
  }
  return true;
}

void SetIcons(HWND window, HINSTANCE instance, MainWindowState& state) {
  state.bigIcon =
      static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_OSTRAND), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
  state.smallIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_OSTRAND),
                                                  IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                  GetSystemMetrics(SM_CYSMICON), 0));
  SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(state.bigIcon));
  SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(state.smallIcon));
}

// The controls and their stacking order, top to bottom: PromoLabel, SiteLink,
// RefreshButton, ConnectionList. False when one cannot be made.
bool BuildControls(HWND window, HINSTANCE instance, MainWindowState& state,
                   MainWindowHandles& handles) {
  handles.promoLabel = CreateChild(window, instance, kPromoLabelClass, GbkToWide(texts::kPromoText),
                                   0, 168, 420, 568, 13, IDC_PROMO_LABEL);
  handles.siteLink = CreateChild(window, instance, kSiteLinkClass, GbkToWide(texts::kSiteCaption),
                                 0, 165, 432, 192, 25, IDC_SITE_LINK);
  handles.refreshButton =
      CreateChild(window, instance, L"BUTTON", GbkToWide(texts::kRefreshCaption),
                  WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE, 24, 408, 80,
                  32, IDC_REFRESH_BUTTON);
  handles.connectionList = CreateChild(window, instance, WC_LISTVIEWW, L"",
                                       WS_CLIPCHILDREN | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL, 8,
                                       8, 824, 368, IDC_CONNECTION_LIST);
  if (handles.promoLabel == nullptr || handles.siteLink == nullptr ||
      handles.refreshButton == nullptr || handles.connectionList == nullptr)
    return false;
  state.refreshButton = handles.refreshButton;
  state.connectionList = handles.connectionList;

  const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  SetWindowPos(handles.promoLabel, HWND_TOP, 0, 0, 0, 0, keep);
  SetWindowPos(handles.siteLink, handles.promoLabel, 0, 0, 0, 0, keep);
  SetWindowPos(handles.refreshButton, handles.siteLink, 0, 0, 0, 0, keep);
  SetWindowPos(handles.connectionList, handles.refreshButton, 0, 0, 0, 0, keep);

  SendMessageW(handles.refreshButton, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultGuiFont()),
               FALSE);
  return SetUpConnectionList(handles.connectionList, state);
}

}  // namespace

HWND BuildMainWindow(HINSTANCE instance) {
  INITCOMMONCONTROLSEX commonControls{sizeof commonControls,
                                      ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&commonControls);
  if (!RegisterMainWindowClass(instance) || !RegisterPromoLabelClass(instance) ||
      !RegisterSiteLinkClass(instance))
    return nullptr;

  const ScreenSize screen = PrimaryScreenSize();
  // The menu bar shows the definition's visible entries; its only entry,
  // "右键", is hidden, so the bar starts empty.
  const HMENU menuBar = CreateMenu();
  auto state = std::make_unique<MainWindowState>();
  bool linked = false;
  state->linked = &linked;
  const HWND window =
      CreateWindowExW(0, kMainWindowClass, GbkToWide(texts::kWindowTitle).c_str(),
                      WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, (screen.width - kOuterWidth) / 2,
                      (screen.height - kOuterHeight) / 2, kOuterWidth, kOuterHeight, nullptr,
                      menuBar, instance, state.get());
  if (linked)
    state.release();  // the window owns it now, or has already released it
  if (window == nullptr) {
    if (menuBar != nullptr)
      DestroyMenu(menuBar);
    return nullptr;
  }
  MainWindowState& built = *StateOf(window);
  built.linked = nullptr;

  RECT outer{};
  GetWindowRect(window, &outer);
  if (outer.right - outer.left != kOuterWidth || outer.bottom - outer.top != kOuterHeight)
    SetWindowPos(window, nullptr, 0, 0, kOuterWidth, kOuterHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultGuiFont()), FALSE);
  SetIcons(window, instance, built);

  MainWindowHandles handles;
  handles.main = window;
  handles.menuModule = instance;
  handles.listMenuId = IDR_LISTMENU;
  if (!BuildControls(window, instance, built, handles)) {
    DestroyWindow(window);
    return nullptr;
  }
  BindMainWindow(handles);
  built.built = true;

  // The first layout, as the size-changed event of the finished window.
  RECT client{};
  GetClientRect(window, &client);
  SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
  return window;
}

}  // namespace ostrand::win32
