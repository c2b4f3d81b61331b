// Ties the window operations of platform/controls.h to the one MainWindow of
// the process and its controls.
#pragma once

#include <windows.h>

namespace ostrand::win32 {

struct MainWindowHandles {
  HWND main = nullptr;
  HWND connectionList = nullptr;
  HWND refreshButton = nullptr;
  HWND promoLabel = nullptr;
  HWND siteLink = nullptr;
  // Where ListMenu's definition lives: a module and its menu resource.
  HINSTANCE menuModule = nullptr;
  int listMenuId = 0;
};

// Made once the window and its controls exist; until then, and after
// UnbindMainWindow, every operation does nothing.
void BindMainWindow(const MainWindowHandles& handles);
void UnbindMainWindow(HWND main);

}  // namespace ostrand::win32
