// Conversions at the edge between the program's GBK texts and the outside.
#pragma once

#include <string>
#include <string_view>

namespace ostrand {

// GBK (read as GB18030, its superset) to UTF-8. A byte sequence that is not
// valid becomes U+FFFD; nothing is dropped and nothing fails.
std::string GbkToUtf8(std::string_view gbk);

// UTF-8 to GB18030, which holds every Unicode character, so names that GBK
// lacks survive the round trip. Invalid UTF-8 bytes become '?'.
std::string Utf8ToGbk(std::string_view utf8);

}  // namespace ostrand
