#include <windows.h>

#include "platform/text.h"
#include "platform/win32/wide.h"

namespace ostrand {

namespace {

std::wstring ToWide(unsigned codePage, DWORD flags, std::string_view text, bool& ok) {
  ok = true;
  if (text.empty())
    return {};
  const int n =
      MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (n <= 0) {
    ok = false;
    return {};
  }
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string FromWide(unsigned codePage, std::wstring_view wide) {
  if (wide.empty())
    return {};
  const int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                    nullptr, 0, nullptr, nullptr);
  if (n <= 0)
    return {};
  std::string text(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n,
                      nullptr, nullptr);
  return text;
}

bool IsTrailByte(unsigned char b) {
  return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

}  // namespace

std::wstring GbkToWide(std::string_view gbk) {
  bool ok = false;
  return ToWide(kGbkCodePage, 0, gbk, ok);
}

std::string WideToGbk(std::wstring_view wide) {
  return FromWide(kGbkCodePage, wide);
}

std::string GbkToUtf8(std::string_view gbk) {
  bool ok = false;
  std::wstring wide = ToWide(kGbkCodePage, MB_ERR_INVALID_CHARS, gbk, ok);
  if (!ok) {
    // Some byte is not GBK: convert character by character so that only the
    // bad bytes become U+FFFD and everything else keeps its meaning.
    wide.clear();
    for (std::size_t i = 0; i < gbk.size();) {
      const auto b = static_cast<unsigned char>(gbk[i]);
      if (b < 0x80) {
        wide.push_back(static_cast<wchar_t>(b));
        ++i;
        continue;
      }
      if (i + 1 < gbk.size() && IsTrailByte(static_cast<unsigned char>(gbk[i + 1]))) {
        bool pairOk = false;
        const std::wstring pair =
            ToWide(kGbkCodePage, MB_ERR_INVALID_CHARS, gbk.substr(i, 2), pairOk);
        if (pairOk) {
          wide += pair;
          i += 2;
          continue;
        }
      }
      wide.push_back(static_cast<wchar_t>(0xFFFD));
      ++i;
    }
  }
  return FromWide(CP_UTF8, wide);
}

std::string Utf8ToGbk(std::string_view utf8) {
  bool ok = false;
  return FromWide(kGbkCodePage, ToWide(CP_UTF8, 0, utf8, ok));
}

}  // namespace ostrand
