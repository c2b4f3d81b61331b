#include <clocale>
#include <cstring>
#include <locale.h>

#include "platform/host.h"
#include "platform/text.h"

namespace ostrand {

namespace {

// The user's collation, from the environment, taken once; the C locale
// (byte order) when the environment names none that is installed.
locale_t UserCollation() {
  static const locale_t locale = [] {
    locale_t user = newlocale(LC_COLLATE_MASK, "", static_cast<locale_t>(0));
    return user != static_cast<locale_t>(0)
               ? user
               : newlocale(LC_COLLATE_MASK, "C", static_cast<locale_t>(0));
  }();
  return locale;
}

}  // namespace

int CompareTextsForUser(const std::string& a, const std::string& b) {
  const std::string x = GbkToUtf8(a);
  const std::string y = GbkToUtf8(b);
  const locale_t locale = UserCollation();
  const int c = locale != static_cast<locale_t>(0) ? strcoll_l(x.c_str(), y.c_str(), locale)
                                                   : std::strcmp(x.c_str(), y.c_str());
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

ScreenSize PrimaryScreenSize() {
  // No display protocol is spoken here; the Qt program asks Qt instead.
  return ScreenSize{0, 0};
}

}  // namespace ostrand
