// SiteLink: the caption painted as a web link, hot while the pointer is over
// it, visited once its address was opened.
#include <windows.h>

#include <string>

#include "app/site_link.h"
#include "app/texts.h"
#include "app/win32/child_windows.h"
#include "app/win32/main_window.h"
#include "platform/controls.h"
#include "platform/win32/wide.h"

namespace ostrand::win32 {

namespace {

struct SiteLinkState {
  bool hot = false;
  bool visited = false;
};

SiteLinkState* StateOf(HWND window) {
  return reinterpret_cast<SiteLinkState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

COLORREF ColorOf(const SiteLinkState& state) {
  const Rgb color = LinkTextColor(state.hot, state.visited);
  return RGB(color.r, color.g, color.b);
}

void PaintSiteLink(HWND window, const SiteLinkState& state, HDC dc, const RECT& area) {
  FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
  RECT client{};
  GetClientRect(window, &client);
  std::wstring caption(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  caption.resize(static_cast<std::size_t>(
      GetWindowTextW(window, caption.data(), static_cast<int>(caption.size()))));
  if (caption.empty())
    caption = GbkToWide(texts::kSiteAddress);
  const HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorOf(state));
  DrawTextW(dc, caption.data(), static_cast<int>(caption.size()), &client,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
  SelectObject(dc, oldFont);
}

void Repaint(HWND window) {
  InvalidateRect(window, nullptr, FALSE);  // the paint fills the background
}

LRESULT HandleSiteLinkMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  SiteLinkState* state = StateOf(window);
  switch (message) {
    case WM_NCCREATE:
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new SiteLinkState));
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      delete state;
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      const HDC dc = BeginPaint(window, &paint);
      if (state != nullptr)
        PaintSiteLink(window, *state, dc, paint.rcPaint);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT client{};
      GetClientRect(window, &client);
      if (state != nullptr)
        PaintSiteLink(window, *state, reinterpret_cast<HDC>(wParam), client);
      return 0;
    }
    case WM_MOUSEMOVE: {
      if (state == nullptr)
        return 0;
      // The capture tells when the pointer leaves: moves outside the link
      // keep arriving here while it holds the mouse.
      const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      RECT client{};
      GetClientRect(window, &client);
      if (!state->hot) {
        state->hot = true;
        Repaint(window);
        SetCapture(window);
      } else if (!PtInRect(&client, point)) {
        state->hot = false;
        ReleaseCapture();
        Repaint(window);
      } else if (GetCapture() != window) {
        SetCapture(window);
      }
      return 0;
    }
    case WM_LBUTTONDOWN:
      if (state != nullptr) {
        state->visited = ui::OpenLinkTarget(texts::kSiteAddress);
        Repaint(window);
      }
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK SiteLinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return HandleSiteLinkMessage(window, message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

}  // namespace

bool RegisterSiteLinkClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = SiteLinkProc;
  windowClass.hInstance = instance;
  // The pointing hand, hot spot at the fingertip.
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32649));  // IDC_HAND
  windowClass.lpszClassName = kSiteLinkClass;
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

COLORREF SiteLinkTextColor(HWND siteLink) {
  const SiteLinkState* state = StateOf(siteLink);
  return state != nullptr ? ColorOf(*state) : RGB(0, 0, 255);
}

}  // namespace ostrand::win32
