// Window and list operations that the portable operations (layout, refresh,
// sorting, the context menu) perform on MainWindow and ConnectionList.
//
// Each window program links one implementation: platform/win32/ (list-view
// control), platform/qt/ (Qt Widgets) or platform/fake/ (in memory, tests).
// There is one main window per process, so these are plain functions on it.
// Texts are GBK; an implementation converts where they meet the window system.
#pragma once

#include <cstdint>
#include <string>

namespace ostrand::ui {

enum class Control { ConnectionList, RefreshButton, PromoLabel, SiteLink };

// Column numbers of ConnectionList.
inline constexpr int kColumnProcess = 0;
inline constexpr int kColumnLocal = 1;
inline constexpr int kColumnRemote = 2;
inline constexpr int kColumnLocation = 3;
inline constexpr int kColumnState = 4;
inline constexpr int kColumnPid = 5;
inline constexpr int kColumnCount = 6;

struct OuterSize {
  int width = 0;
  int height = 0;
};

// MainWindow's outer size, frame and title bar included.
OuterSize MainWindowOuterSize();

// Moves a control within MainWindow's client area and repaints it. A width
// or height of -1 keeps the present one; an unchanged rectangle is left alone.
inline constexpr int kKeepSize = -1;
void MoveControl(Control control, int left, int top, int width, int height);

// ---- ConnectionList rows ----------------------------------------------------

void DeleteAllRows();
int RowCount();
// Appends a row with its column-0 text and item value 0; returns its index.
int InsertRowAtEnd(const std::string& column0Text);
// Sets the text of column 1..5 of a row.
void SetCellText(int row, int column, const std::string& text);
// The whole text of a cell; the empty text for an empty cell or a row that
// does not exist.
std::string CellText(int row, int column);
// The row's pointer-sized application value; nothing else changes.
void SetRowItemValue(int row, std::intptr_t value);

// Reorders the rows with the callback, which receives two rows' item values
// (and lParamSort 0) and returns <0, 0 or >0. Synchronous: rows are in order
// when this returns; all cells of a row move together.
using RowCompare = int (*)(std::intptr_t first, std::intptr_t second, std::intptr_t sortParam);
void SortRows(RowCompare compare);

// Index of the selected row, or -1.
int SelectedRow();

// ---- Pointer, menu and message box -------------------------------------------

// Screen coordinates of the mouse pointer.
int PointerX();
int PointerY();

// Pops up ListMenu's items at (x, y), owned by MainWindow; returns when the
// menu closes. A chosen item runs its handler (EndSelectedProcess for
// "结束进程"; nothing for "加入黑名单") before or after this returns, as
// the window system delivers it.
void PopUpListMenu(int x, int y);

// A task-modal message box with only OK and no icon; returns when closed.
void ShowMessageBox(const std::string& text, const std::string& caption);

// ---- Site link ----------------------------------------------------------------

// Hands a web address to the user's browser; true when a program accepted it.
// Returns without waiting for the browser.
bool OpenLinkTarget(const std::string& address);

}  // namespace ostrand::ui
