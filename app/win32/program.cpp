// The program's run: build MainWindow, show it, take messages until it is
// gone.
#include <windows.h>

#include <cstdlib>

#include "app/shell.h"
#include "app/texts.h"
#include "app/win32/main_window.h"
#include "platform/win32/wide.h"

namespace ostrand::win32 {

namespace {

bool KeyHeld(int key) {
  return GetKeyState(key) < 0;
}

// The child of mainWindow that holds `window`, or nullptr.
HWND ControlHolding(HWND mainWindow, HWND window) {
  while (window != nullptr && GetParent(window) != mainWindow)
    window = GetParent(window);
  return window;
}

}  // namespace

bool HandleWindowKeys(HWND mainWindow, const MSG& message) {
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN)
    return false;
  if (message.hwnd != mainWindow && !IsChild(mainWindow, message.hwnd))
    return false;
  const bool control = KeyHeld(VK_CONTROL);
  const bool shift = KeyHeld(VK_SHIFT);
  const bool alt = KeyHeld(VK_MENU);
  if (message.wParam == VK_ESCAPE && !control && !shift && !alt) {
    SendMessageW(mainWindow, WM_CLOSE, 0, 0);
    return true;
  }
  if (message.wParam == VK_TAB && !control && !alt) {
    const HWND next =
        GetNextDlgTabItem(mainWindow, ControlHolding(mainWindow, GetFocus()), shift ? TRUE : FALSE);
    if (next != nullptr)
      SetFocus(next);
    return true;
  }
  return false;
}

int RunMessageLoop(HWND mainWindow) {
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (HandleWindowKeys(mainWindow, message))
      continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

int RunProgram(HINSTANCE instance) {
  std::atexit(ReleaseAtExit);
  const HWND mainWindow = BuildMainWindow(instance);
  if (mainWindow == nullptr) {
    MessageBoxW(nullptr, GbkToWide(texts::kMainWindowLoadFailed).c_str(),
                GbkToWide(texts::kWindowTitle).c_str(), MB_OK | MB_ICONERROR);
    // At once: neither a message loop nor the exit routines run.
    std::_Exit(-1);
  }
  ShowWindow(mainWindow, SW_SHOW);
  return RunMessageLoop(mainWindow);
}

}  // namespace ostrand::win32
