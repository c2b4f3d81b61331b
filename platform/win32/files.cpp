#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstdint>

#include "platform/host.h"
#include "platform/host_names.h"
#include "platform/win32/wide.h"

namespace ostrand {

namespace {

std::size_t ReadAt(void* context, std::uint64_t pos, unsigned char* out, std::size_t n) {
  std::size_t done = 0;
  while (done < n) {
    OVERLAPPED at{};
    const std::uint64_t where = pos + done;
    at.Offset = static_cast<DWORD>(where & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(where >> 32);
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(n - done > 0x40000000u ? 0x40000000u : n - done);
    if (!ReadFile(static_cast<HANDLE>(context), out + done, want, &got, &at) || got == 0)
      break;
    done += got;
  }
  return done;
}

void Close(void* context) {
  CloseHandle(static_cast<HANDLE>(context));
}

std::string LastErrorText() {
  wchar_t* message = nullptr;
  FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, GetLastError(), 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  std::wstring text = message != nullptr ? message : L"error";
  LocalFree(message);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.'))
    text.pop_back();
  return WideToGbk(text);
}

}  // namespace

bool OpenHostFile(const std::string& path, ByteSource& source, std::string* error) {
  if (path.empty()) {
    if (error != nullptr)
      *error = "empty path";
    return false;
  }
  // Without FILE_FLAG_BACKUP_SEMANTICS a directory does not open.
  HANDLE file = CreateFileW(GbkToWide(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    if (error != nullptr)
      *error = LastErrorText();
    return false;
  }
  if (GetFileType(file) != FILE_TYPE_DISK) {
    if (error != nullptr)
      *error = "not a regular file";
    CloseHandle(file);
    return false;
  }
  source = {};
  source.readAt = ReadAt;
  source.close = Close;
  source.context = file;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file, &size) && size.QuadPart > 0)
    source.size = static_cast<std::uint64_t>(size.QuadPart);
  return true;
}

std::string ResolveHostName(const std::string& name) {
  if (!CanBeHostName(name))
    return {};
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  if (!started)
    return {};
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
    return {};
  std::string text;
  char buffer[INET_ADDRSTRLEN] = {};
  const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
  if (inet_ntop(AF_INET, &address->sin_addr, buffer, sizeof buffer) != nullptr)
    text = buffer;
  freeaddrinfo(found);
  return text;
}

}  // namespace ostrand
