#include <windows.h>

#include "platform/host.h"
#include "platform/win32/wide.h"

namespace ostrand {

int CompareTextsForUser(const std::string& a, const std::string& b) {
  // What lstrcmpA does on a Chinese system, for every system code page: the
  // user's locale order of the texts' characters.
  const std::wstring x = GbkToWide(a.c_str());
  const std::wstring y = GbkToWide(b.c_str());
  const int result = CompareStringW(LOCALE_USER_DEFAULT, 0, x.c_str(), -1, y.c_str(), -1);
  if (result == 0) {
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  return result - CSTR_EQUAL;
}

ScreenSize PrimaryScreenSize() {
  return ScreenSize{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace ostrand
