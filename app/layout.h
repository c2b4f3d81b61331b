// Keeps ConnectionList and RefreshButton fitted to MainWindow's size.
#pragma once

namespace ostrand {

// Sizes the list and places the button from MainWindow's outer size (frame
// and title bar included, not the client area). PromoLabel and SiteLink never
// move.
void LayoutMainWindow();

}  // namespace ostrand
