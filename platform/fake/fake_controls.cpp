#include "platform/fake/fake_controls.h"

#include <algorithm>

namespace ostrand::fake {

ControlsState& Controls() {
  static ControlsState state;
  return state;
}

void ResetControls() {
  Controls() = ControlsState{};
}

}  // namespace ostrand::fake

namespace ostrand::ui {

using fake::Controls;

namespace {

bool HasRow(int row) {
  return row >= 0 && row < static_cast<int>(Controls().rows.size());
}

bool HasColumn(int column) {
  return column >= 0 && column < kColumnCount;
}

}  // namespace

OuterSize MainWindowOuterSize() {
  return Controls().outerSize;
}

void MoveControl(Control control, int left, int top, int width, int height) {
  fake::ControlRect& rect = Controls().rects[control];
  const fake::ControlRect target{left, top, width == kKeepSize ? rect.width : width,
                                 height == kKeepSize ? rect.height : height};
  if (target == rect)
    return;
  rect = target;
  ++Controls().moves;
}

void DeleteAllRows() {
  Controls().rows.clear();
  Controls().selectedRow = -1;
}

int RowCount() {
  return static_cast<int>(Controls().rows.size());
}

int InsertRowAtEnd(const std::string& column0Text) {
  fake::ListRow row;
  row.cells[kColumnProcess] = column0Text;
  Controls().rows.push_back(std::move(row));
  return RowCount() - 1;
}

void SetCellText(int row, int column, const std::string& text) {
  if (HasRow(row) && HasColumn(column))
    Controls().rows[row].cells[column] = text;
}

std::string CellText(int row, int column) {
  ++Controls().cellReads;
  if (!HasRow(row) || !HasColumn(column))
    return std::string();
  return Controls().rows[row].cells[column];
}

void SetRowItemValue(int row, std::intptr_t value) {
  if (HasRow(row))
    Controls().rows[row].itemValue = value;
}

void SortRows(RowCompare compare) {
  ++Controls().sorts;
  std::stable_sort(Controls().rows.begin(), Controls().rows.end(),
                   [compare](const fake::ListRow& a, const fake::ListRow& b) {
                     ++Controls().comparisons;
                     return compare(a.itemValue, b.itemValue, 0) < 0;
                   });
}

int SelectedRow() {
  return HasRow(Controls().selectedRow) ? Controls().selectedRow : -1;
}

int PointerX() {
  return Controls().pointerX;
}

int PointerY() {
  return Controls().pointerY;
}

void PopUpListMenu(int x, int y) {
  Controls().popups.push_back({x, y});
  if (Controls().onPopup)
    Controls().onPopup();
}

void ShowMessageBox(const std::string& text, const std::string& caption) {
  Controls().messageBoxes.push_back({text, caption});
}

bool OpenLinkTarget(const std::string& address) {
  Controls().openedLinks.push_back(address);
  return Controls().openLinkResult;
}

}  // namespace ostrand::ui
