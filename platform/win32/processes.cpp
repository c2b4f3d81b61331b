#include <windows.h>
#include <tlhelp32.h>

#include "platform/host.h"
#include "platform/win32/host_internal.h"
#include "platform/win32/wide.h"

namespace ostrand {

namespace host_win32 {

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.empty() || b.empty())
    return a.empty() && b.empty();
  const std::wstring x = GbkToWide(a);
  const std::wstring y = GbkToWide(b);
  return CompareStringOrdinal(x.data(), static_cast<int>(x.size()), y.data(),
                              static_cast<int>(y.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace host_win32

namespace {

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE)
      CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

// Walks a fresh process snapshot in its own order until visit returns false.
template <typename Visit>
void WalkProcesses(Visit visit) {
  Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.valid())
    return;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    // Names are converted as the list shows them, so a name that GBK cannot
    // spell compares the way the user sees it.
    if (!visit(static_cast<std::int32_t>(entry.th32ProcessID), WideToGbk(entry.szExeFile)))
      return;
  }
}

}  // namespace

std::vector<ProcessEntry> ListProcesses() {
  std::vector<ProcessEntry> processes;
  WalkProcesses([&](std::int32_t pid, std::string name) {
    processes.push_back({pid, std::move(name)});
    return true;
  });
  return processes;
}

std::optional<std::string> QueryProcessName(std::int32_t) {
  // Only the snapshot knows names as the list shows them.
  return std::nullopt;
}

bool TerminateProcessByName(const std::string& name) {
  if (name.empty())
    return false;
  DWORD pid = 0;
  bool found = false;
  if (HWND window = FindWindowW(nullptr, GbkToWide(name).c_str()); window != nullptr) {
    found = GetWindowThreadProcessId(window, &pid) != 0;
  }
  if (!found) {
    WalkProcesses([&](std::int32_t processId, const std::string& exeName) {
      if (!host_win32::SameNameIgnoringCase(exeName, name))
        return true;
      pid = static_cast<DWORD>(processId);
      found = true;
      return false;  // the first process of that name only
    });
  }
  if (!found || pid == 0)
    return false;
  Handle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
  if (!process.valid())
    return false;
  return TerminateProcess(process.get(), 0) != FALSE;
}

}  // namespace ostrand
