#include <windows.h>

#include "app/win32/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  try {
    return ostrand::win32::RunProgram(instance);
  } catch (...) {
    return -1;
  }
}
