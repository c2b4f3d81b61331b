#include "app/layout.h"

#include "platform/controls.h"

namespace ostrand {

void LayoutMainWindow() {
  const ui::OuterSize size = ui::MainWindowOuterSize();
  // The arithmetic takes the outer size as it stands; the right and bottom
  // margins therefore depend on the frame that the window system draws.
  // Widths and heights that come out zero or negative are handed on as they
  // are: the window system clamps them.
  ui::MoveControl(ui::Control::ConnectionList, 5, 5, size.width - 25, size.height - 90);
  ui::MoveControl(ui::Control::RefreshButton, 10, size.height - 80, ui::kKeepSize, ui::kKeepSize);
}

}  // namespace ostrand
