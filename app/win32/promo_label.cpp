// PromoLabel: one line of black text on the button face. A press on it drags
// MainWindow instead of reaching the label.
#include <windows.h>

#include <string>

#include "app/win32/child_windows.h"
#include "app/win32/main_window.h"

namespace ostrand::win32 {

namespace {

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

void PaintPromoLabel(HWND window, HDC dc, const RECT& area) {
  FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
  RECT client{};
  GetClientRect(window, &client);
  const HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  SetBkMode(dc, OPAQUE);
  std::wstring text = WindowText(window);
  DrawTextW(dc, text.data(), static_cast<int>(text.size()), &client,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
  SelectObject(dc, oldFont);
}

LRESULT HandlePromoLabelMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // painting fills the background itself
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      const HDC dc = BeginPaint(window, &paint);
      PaintPromoLabel(window, dc, paint.rcPaint);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT client{};
      GetClientRect(window, &client);
      PaintPromoLabel(window, reinterpret_cast<HDC>(wParam), client);
      return 0;
    }
    case WM_LBUTTONDOWN:
      StartDragging(GetParent(window));
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK PromoLabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return HandlePromoLabelMessage(window, message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

}  // namespace

void StartDragging(HWND mainWindow) {
  const DWORD position = GetMessagePos();
  PostMessageW(mainWindow, WM_NCLBUTTONDOWN, HTCAPTION, static_cast<LPARAM>(position));
}

bool RegisterPromoLabelClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = PromoLabelProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.lpszClassName = kPromoLabelClass;
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace ostrand::win32
