// The Windows program: MainWindow with its four controls, the message loop
// and the program's entry.
#pragma once

#include <windows.h>

namespace ostrand::win32 {

inline constexpr wchar_t kMainWindowClass[] = L"OstrandMainWindow";
inline constexpr wchar_t kPromoLabelClass[] = L"OstrandPromoLabel";
inline constexpr wchar_t kSiteLinkClass[] = L"OstrandSiteLink";

// Builds MainWindow hidden, with its controls and resources from `instance`,
// binds the window operations to it and lays it out once. nullptr when the
// window or one of its controls cannot be made.
HWND BuildMainWindow(HINSTANCE instance);

// The keys that MainWindow takes before any control sees them: Esc closes it,
// Tab and Shift+Tab move between the tab stops. True when the message was
// used and must not be dispatched.
bool HandleWindowKeys(HWND mainWindow, const MSG& message);

// Runs until MainWindow is destroyed; returns 0.
int RunMessageLoop(HWND mainWindow);

// The whole program: build, show, loop. On a window that cannot be built it
// tells the user and ends the process with exit code -1.
int RunProgram(HINSTANCE instance);

// The colour SiteLink paints its caption in now.
COLORREF SiteLinkTextColor(HWND siteLink);

}  // namespace ostrand::win32
