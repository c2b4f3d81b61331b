// Which texts the hosts pass on to the system resolver. Any text that does
// not split into a dotted address reaches ResolveHostName, so a 1 MiB line or
// binary bytes would otherwise go to the system as a name: at best a wasted
// call, at worst a DNS query that waits for its timeout. A DNS name is at most
// 253 bytes of visible ASCII (a final dot aside); nothing else can resolve.
#pragma once

#include <string_view>

namespace ostrand {

inline bool CanBeHostName(std::string_view name) {
  if (!name.empty() && name.back() == '.')
    name.remove_suffix(1);
  if (name.empty() || name.size() > 253)
    return false;
  for (const char c : name) {
    const auto b = static_cast<unsigned char>(c);
    if (b <= 0x20 || b >= 0x7F)
      return false;
  }
  return true;
}

}  // namespace ostrand
