// The in-memory MainWindow and ConnectionList that unit tests link instead
// of a window system. Tests set and read its state directly.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/controls.h"

namespace ostrand::fake {

struct ListRow {
  std::array<std::string, ui::kColumnCount> cells;
  std::intptr_t itemValue = 0;
};

// A control's rectangle in MainWindow's client coordinates.
struct ControlRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const ControlRect&, const ControlRect&) = default;
};

struct PopupRecord {
  int x = 0;
  int y = 0;
};

struct MessageBoxRecord {
  std::string text;
  std::string caption;
};

struct ControlsState {
  ui::OuterSize outerSize{842, 500};
  // Where the controls are created, before any layout.
  std::map<ui::Control, ControlRect> rects{
      {ui::Control::PromoLabel, {168, 420, 568, 13}},
      {ui::Control::SiteLink, {165, 432, 192, 25}},
      {ui::Control::RefreshButton, {24, 408, 80, 32}},
      {ui::Control::ConnectionList, {8, 8, 824, 368}},
  };
  int moves = 0;  // moves that changed a rectangle

  std::vector<ListRow> rows;
  int selectedRow = -1;
  int cellReads = 0;
  int sorts = 0;
  int comparisons = 0;

  int pointerX = 0;
  int pointerY = 0;
  std::vector<PopupRecord> popups;
  // Runs while the popup is open, as the user would choose an item.
  std::function<void()> onPopup;
  std::vector<MessageBoxRecord> messageBoxes;

  // OpenLinkTarget records each address and answers with openLinkResult.
  std::vector<std::string> openedLinks;
  bool openLinkResult = true;
};

ControlsState& Controls();
void ResetControls();

}  // namespace ostrand::fake
