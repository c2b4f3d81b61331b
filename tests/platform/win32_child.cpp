// A process for the host tests to find and end: it sleeps, or with
// "window TITLE" keeps a hidden top-level window of that title, for 30 s.
#include <windows.h>

#include <cstring>
#include <string>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_TIMER) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "window") == 0) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"OstrandTestChild";
    if (RegisterClassW(&windowClass) == 0)
      return 2;
    const std::wstring title(argv[2], argv[2] + std::strlen(argv[2]));
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW,
                                  0, 0, 100, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (window == nullptr)
      return 3;
    SetTimer(window, 1, 30000, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
      DispatchMessageW(&message);
    return 0;
  }
  Sleep(30000);
  return 0;
}
