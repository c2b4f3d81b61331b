// GBK texts to and from the UTF-16 of the wide Windows APIs. The code page is
// named (936), never the system's ANSI one, so texts are right on any Windows.
#pragma once

#include <string>
#include <string_view>

namespace ostrand {

inline constexpr unsigned kGbkCodePage = 936;

std::wstring GbkToWide(std::string_view gbk);
std::string WideToGbk(std::wstring_view wide);

}  // namespace ostrand
