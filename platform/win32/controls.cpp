// The window operations over MainWindow and its list-view control. Texts
// cross into the wide messages as GBK (code page 936), whatever the system's
// ANSI code page is.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "platform/controls.h"
#include "platform/win32/main_window_binding.h"
#include "platform/win32/wide.h"

namespace ostrand::win32 {

namespace {

MainWindowHandles& Bound() {
  static MainWindowHandles handles;
  return handles;
}

}  // namespace

void BindMainWindow(const MainWindowHandles& handles) {
  Bound() = handles;
}

void UnbindMainWindow(HWND main) {
  if (Bound().main == main)
    Bound() = MainWindowHandles{};
}

}  // namespace ostrand::win32

namespace ostrand::ui {

namespace {

using win32::Bound;

HWND List() {
  return Bound().connectionList;
}

HWND ControlWindow(Control control) {
  switch (control) {
    case Control::ConnectionList:
      return Bound().connectionList;
    case Control::RefreshButton:
      return Bound().refreshButton;
    case Control::PromoLabel:
      return Bound().promoLabel;
    case Control::SiteLink:
      return Bound().siteLink;
  }
  return nullptr;
}

// The comparison of the sort in progress. LVM_SORTITEMS carries no room for
// it (its wParam stays 0), and sorts cannot nest, so one slot suffices.
RowCompare activeCompare = nullptr;

int CALLBACK CompareThunk(LPARAM first, LPARAM second, LPARAM sortParam) noexcept {
  try {
    return activeCompare(first, second, sortParam);
  } catch (...) {
    return 0;  // nothing may unwind through the control
  }
}

}  // namespace

OuterSize MainWindowOuterSize() {
  RECT rect{};
  if (!GetWindowRect(Bound().main, &rect))
    return {};
  return {rect.right - rect.left, rect.bottom - rect.top};
}

void MoveControl(Control control, int left, int top, int width, int height) {
  const HWND window = ControlWindow(control);
  RECT rect{};
  if (window == nullptr || !GetWindowRect(window, &rect))
    return;
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  if (width == kKeepSize)
    width = rect.right - rect.left;
  if (height == kKeepSize)
    height = rect.bottom - rect.top;
  if (left == rect.left && top == rect.top && width == rect.right - rect.left &&
      height == rect.bottom - rect.top)
    return;
  MoveWindow(window, left, top, width, height, TRUE);
}

void DeleteAllRows() {
  SendMessageW(List(), LVM_DELETEALLITEMS, 0, 0);
}

int RowCount() {
  return static_cast<int>(SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0));
}

int InsertRowAtEnd(const std::string& column0Text) {
  std::wstring text = GbkToWide(column0Text);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = RowCount();
  item.iSubItem = 0;
  item.pszText = text.data();
  item.lParam = 0;
  return static_cast<int>(
      SendMessageW(List(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void SetCellText(int row, int column, const std::string& text) {
  std::wstring wide = GbkToWide(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = wide.data();
  SendMessageW(List(), LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::string CellText(int row, int column) {
  if (row < 0 || row >= RowCount())
    return std::string();
  // A cell may hold any length: grow the buffer until the text fits with
  // room to spare.
  constexpr std::size_t kLimit = std::size_t{1} << 24;
  std::wstring buffer(512, L'\0');
  for (;;) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    const auto copied = static_cast<std::size_t>(SendMessageW(
        List(), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
    if (copied + 1 < buffer.size() || buffer.size() >= kLimit) {
      buffer.resize(std::min(copied, buffer.size()));
      return WideToGbk(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}

void SetRowItemValue(int row, std::intptr_t value) {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  item.iSubItem = 0;
  item.lParam = value;
  SendMessageW(List(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void SortRows(RowCompare compare) {
  activeCompare = compare;
  SendMessageW(List(), LVM_SORTITEMS, 0, reinterpret_cast<LPARAM>(&CompareThunk));
  activeCompare = nullptr;
}

int SelectedRow() {
  return static_cast<int>(
      SendMessageW(List(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
}

int PointerX() {
  POINT point{};
  return GetCursorPos(&point) ? point.x : 0;
}

int PointerY() {
  POINT point{};
  return GetCursorPos(&point) ? point.y : 0;
}

void PopUpListMenu(int x, int y) {
  // Built from the menu definition for this popup only, and destroyed after.
  const HMENU definition = LoadMenuW(Bound().menuModule, MAKEINTRESOURCEW(Bound().listMenuId));
  if (definition == nullptr)
    return;
  TrackPopupMenu(GetSubMenu(definition, 0), TPM_RIGHTBUTTON, x, y, 0, Bound().main, nullptr);
  DestroyMenu(definition);
}

void ShowMessageBox(const std::string& text, const std::string& caption) {
  MessageBoxW(nullptr, GbkToWide(text).c_str(), GbkToWide(caption).c_str(), MB_OK | MB_TASKMODAL);
}

}  // namespace ostrand::ui
