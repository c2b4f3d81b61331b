// MainWindow filled from a fixed connection table, with the real location
// database (QQWry.dat in the current directory), for screenshots. Prints the
// window's outer rectangle ("left top width height") once it is painted,
// then closes itself after the given number of seconds (default 10).
#include <windows.h>

#include <commctrl.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "app/win32/main_window.h"
#include "app/win32/resource.h"
#include "ipdb/lookup.h"
#include "platform/fake/fake_host.h"

namespace {


constexpr auto& Connection = ostrand::fake::Connection;

void SetUpFixture() {
  std::ifstream database("QQWry.dat", std::ios::binary);
  if (database) {
    std::string bytes{std::istreambuf_iterator<char>(database), std::istreambuf_iterator<char>()};
    ostrand::fake::SetFile(ostrand::DefaultDatabasePath(), std::move(bytes));
  } else {
    std::fprintf(stderr, "no QQWry.dat in the current directory: locations stay empty\n");
  }
  ostrand::fake::SetScreenSize({GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  ostrand::fake::SetProcesses({
      {1204, "chrome.exe"},
      {2316, "\xCE\xA2\xD0\xC5.exe"},  // 微信.exe
      {3880, "QQ.exe"},
      {968, "svchost.exe"},
      {5120, "Thunder.exe"},
      {4, "System"},
  });
  const std::array<unsigned char, 4> me{192, 168, 1, 23};
  ostrand::fake::SetTcpTable(
      0, ostrand::fake::MakeTcpTable({
             Connection(2, {0, 0, 0, 0}, 135, {0, 0, 0, 0}, 0, 968),  // listening: not shown
             Connection(5, me, 52311, {220, 181, 38, 148}, 443, 1204),
             Connection(5, me, 52318, {140, 82, 112, 4}, 443, 1204),
             Connection(5, me, 52330, {104, 16, 123, 96}, 443, 1204),
             Connection(5, me, 50122, {183, 3, 224, 133}, 80, 2316),
             Connection(5, me, 50140, {129, 226, 107, 134}, 443, 3880),
             Connection(8, me, 50188, {36, 152, 44, 96}, 443, 3880),
             Connection(5, {127, 0, 0, 1}, 49670, {127, 0, 0, 1}, 49671, 3880),  // loopback
             Connection(11, me, 49822, {13, 107, 4, 52}, 80, 968),
             Connection(5, me, 49830, {202, 89, 233, 100}, 443, 968),
             Connection(3, me, 51507, {52, 84, 150, 12}, 443, 5120),
             Connection(5, me, 51533, {101, 226, 4, 6}, 53, 5120),
             Connection(5, me, 51560, {117, 18, 232, 200}, 443, 7788),  // process gone
             Connection(5, me, 445, {192, 168, 1, 8}, 50533, 4),
         }));
}

HWND window = nullptr;

void CALLBACK CloseWindow(HWND, UINT, UINT_PTR, DWORD) {
  PostMessageW(window, WM_CLOSE, 0, 0);
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
  SetUpFixture();
  window = ostrand::win32::BuildMainWindow(GetModuleHandleW(nullptr));
  if (window == nullptr) {
    std::fprintf(stderr, "the window cannot be built\n");
    return 1;
  }
  ShowWindow(window, SW_SHOW);
  SendMessageW(GetDlgItem(window, IDC_REFRESH_BUTTON), BM_CLICK, 0, 0);
  UpdateWindow(window);
  RECT outer{};
  GetWindowRect(window, &outer);
  std::printf("%ld %ld %ld %ld\n", outer.left, outer.top, outer.right - outer.left,
              outer.bottom - outer.top);
  std::fflush(stdout);
  SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, CloseWindow);
  return ostrand::win32::RunMessageLoop(window);
}
