// Opens the site link's address: the shell's "open" first, then the browser
// that the registry names for ".htm" pages.
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "app/site_link.h"
#include "platform/controls.h"

namespace ostrand::ui {

namespace {

// The default value of a key under HKEY_CLASSES_ROOT, or false.
bool ReadClassesRootDefault(const std::wstring& subKey, std::wstring& value) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  wchar_t buffer[MAX_PATH] = {};
  LONG size = sizeof buffer;
  const LONG status = RegQueryValueW(key, nullptr, buffer, &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS)
    return false;
  value.assign(buffer, wcsnlen(buffer, MAX_PATH));
  return true;
}

std::string WideToUtf8(const std::wstring& wide) {
  if (wide.empty())
    return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string text(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                        nullptr, nullptr);
  return text;
}

std::wstring Utf8ToWide(const std::string& text) {
  if (text.empty())
    return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(n > 0 ? static_cast<std::size_t>(n) : 0, L'\0');
  if (n > 0)
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

}  // namespace

bool OpenLinkTarget(const std::string& address) {
  if (address.empty())
    return false;
  // The address is plain ASCII; the handler's command line may hold any
  // character of a path, so it stays Unicode (UTF-8 while it is cut).
  const std::wstring wideAddress = Utf8ToWide(address);
  const auto opened = reinterpret_cast<INT_PTR>(
      ShellExecuteW(nullptr, L"open", wideAddress.c_str(), nullptr, nullptr, SW_SHOW));
  if (opened > 32)
    return true;

  std::wstring handler;
  if (!ReadClassesRootDefault(L".htm", handler))
    return false;
  std::wstring command;
  if (!ReadClassesRootDefault(handler + L"\\shell\\open\\command", command))
    return false;
  std::wstring commandLine = Utf8ToWide(HandlerCommandLine(WideToUtf8(command), address));

  // What WinExec does, through the wide API so that no character of the
  // command line depends on the system's ANSI code page.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace ostrand::ui
