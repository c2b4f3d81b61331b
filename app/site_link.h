// The parts of SiteLink that do not depend on a window system: its colour in
// each state, and the command line built from a browser handler.
#pragma once

#include <string>

namespace ostrand {

struct Rgb {
  unsigned char r = 0;
  unsigned char g = 0;
  unsigned char b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The pointer over the link wins over the visited state.
Rgb LinkTextColor(bool hot, bool visited);

// The browser handler's command line cut before its "%1" placeholder (the
// quoted form first), then one blank and the address. A command line
// without a placeholder is kept whole.
std::string HandlerCommandLine(const std::string& handlerCommand, const std::string& address);

}  // namespace ostrand
