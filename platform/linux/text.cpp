#include <cerrno>
#include <iconv.h>

#include "platform/text.h"

namespace ostrand {

namespace {

// Converts with iconv; a byte that starts no valid sequence becomes
// `replacement` and the conversion goes on after it.
std::string Convert(const char* to, const char* from, std::string_view input,
                    std::string_view replacement) {
  thread_local struct Converter {
    std::string key;
    iconv_t cd = reinterpret_cast<iconv_t>(-1);
  } cache[2];
  const std::string key = std::string(to) + "<" + from;
  Converter* converter = nullptr;
  for (auto& c : cache) {
    if (c.key == key)
      converter = &c;
  }
  if (converter == nullptr) {
    converter = cache[0].key.empty() ? &cache[0] : &cache[1];
    if (converter->cd != reinterpret_cast<iconv_t>(-1))
      iconv_close(converter->cd);
    converter->cd = iconv_open(to, from);
    converter->key = key;
  }
  if (converter->cd == reinterpret_cast<iconv_t>(-1))
    return std::string(input);
  iconv(converter->cd, nullptr, nullptr, nullptr, nullptr);

  std::string output;
  output.reserve(input.size() * 3 / 2 + 4);
  char* in = const_cast<char*>(input.data());
  std::size_t inLeft = input.size();
  char buffer[1024];
  while (inLeft > 0) {
    char* out = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t done = iconv(converter->cd, &in, &inLeft, &out, &outLeft);
    output.append(buffer, static_cast<std::size_t>(out - buffer));
    if (done != static_cast<std::size_t>(-1))
      break;
    if (errno == E2BIG)
      continue;
    // EILSEQ: an invalid sequence; EINVAL: one cut short by the end.
    output.append(replacement);
    ++in;
    --inLeft;
    iconv(converter->cd, nullptr, nullptr, nullptr, nullptr);
  }
  return output;
}

bool IsAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80)
      return false;
  }
  return true;
}

}  // namespace

std::string GbkToUtf8(std::string_view gbk) {
  if (IsAscii(gbk))
    return std::string(gbk);
  return Convert("UTF-8", "GB18030", gbk, "\xEF\xBF\xBD");
}

std::string Utf8ToGbk(std::string_view utf8) {
  if (IsAscii(utf8))
    return std::string(utf8);
  return Convert("GB18030", "UTF-8", utf8, "?");
}

}  // namespace ostrand
