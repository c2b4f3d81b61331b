// The two controls of MainWindow that are the program's own window kinds.
#pragma once

#include <windows.h>

namespace ostrand::win32 {

// Each registers its class once per process; false when that fails.
bool RegisterPromoLabelClass(HINSTANCE instance);
bool RegisterSiteLinkClass(HINSTANCE instance);

// Asks MainWindow to be dragged as by its title bar, from a press at the
// pointer's present position.
void StartDragging(HWND mainWindow);

}  // namespace ostrand::win32
