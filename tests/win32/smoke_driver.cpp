// Starts the real ostrand.exe (found beside this program), waits for its
// window, checks title, outer size and position, closes it and expects exit
// code 0. Prints what it saw; exit code 0 exactly when all held.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr DWORD kPatienceMs = 30000;

std::wstring ProgramBesideUs() {
  wchar_t self[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, n);
  path.erase(path.find_last_of(L"\\/") + 1);
  return path + L"ostrand.exe";
}

struct Search {
  DWORD processId = 0;
  HWND found = nullptr;
};

BOOL CALLBACK FindProgramWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t title[64] = {};
  GetWindowTextW(window, title, 64);
  if (owner == search->processId && IsWindowVisible(window) &&
      std::wstring(title) == L"Quenlor-Ostrand") {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

int Fail(const char* what, PROCESS_INFORMATION* process = nullptr) {
  std::printf("FAIL: %s\n", what);
  if (process != nullptr) {
    TerminateProcess(process->hProcess, 1);
    CloseHandle(process->hProcess);
  }
  return 1;
}

}  // namespace

int main() {
  std::wstring commandLine = L"\"" + ProgramBesideUs() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return Fail("ostrand.exe does not start");
  CloseHandle(process.hThread);

  // A top-level window of that process, titled and visible.
  Search search{process.dwProcessId, nullptr};
  const ULONGLONG deadline = GetTickCount64() + kPatienceMs;
  while (search.found == nullptr && GetTickCount64() < deadline) {
    EnumWindows(FindProgramWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) {
      if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0)
        return Fail("ostrand.exe ended before showing its window", &process);
    }
  }
  if (search.found == nullptr)
    return Fail("no window titled Quenlor-Ostrand appeared", &process);
  std::printf("window found\n");

  RECT outer{};
  GetWindowRect(search.found, &outer);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  std::printf("outer rectangle: (%ld, %ld) %d x %d\n", outer.left, outer.top, width, height);
  if (width != 842 || height != 500)
    return Fail("outer size is not 842 x 500", &process);
  const int left = (GetSystemMetrics(SM_CXSCREEN) - 842) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - 500) / 2;
  if (outer.left != left || outer.top != top)
    return Fail("window is not centred on the screen", &process);

  PostMessageW(search.found, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, kPatienceMs) != WAIT_OBJECT_0)
    return Fail("ostrand.exe did not end after WM_CLOSE", &process);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hProcess);
  std::printf("exit code %lu\n", exitCode);
  if (exitCode != 0)
    return Fail("exit code is not 0");
  std::printf("ok\n");
  return 0;
}
