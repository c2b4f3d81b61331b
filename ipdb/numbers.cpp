#include "ipdb/numbers.h"

#include "platform/host.h"

namespace ostrand {

namespace {

bool IsLeadByte(unsigned char b) {
  return b >= 0x80;
}

// Splits at '.', never inside a double-byte character. An empty part after
// the last separator is dropped; the empty text has no parts.
std::vector<std::string_view> SplitAtDots(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t begin = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(b)) {
      i += 2;
      continue;
    }
    if (b == '.') {
      parts.push_back(text.substr(begin, i - begin));
      begin = i + 1;
    }
    ++i;
  }
  if (begin < text.size())
    parts.push_back(text.substr(begin));
  return parts;
}

bool IsCSpace(unsigned char b) {
  return b == ' ' || (b >= '\t' && b <= '\r');
}

// Leading white space, one sign, decimal digits; wraps modulo 2^32.
std::uint32_t ParseWrappingDecimal(std::string_view part) {
  std::size_t i = 0;
  while (i < part.size() && IsCSpace(static_cast<unsigned char>(part[i])))
    ++i;
  bool negative = false;
  if (i < part.size() && (part[i] == '+' || part[i] == '-')) {
    negative = part[i] == '-';
    ++i;
  }
  std::uint32_t value = 0;
  for (; i < part.size() && part[i] >= '0' && part[i] <= '9'; ++i) {
    value = value * 10u + static_cast<std::uint32_t>(part[i] - '0');
  }
  return negative ? 0u - value : value;
}

}  // namespace

std::int32_t BytesToInteger(Bytes bytes) {
  std::uint32_t value = 0;
  const std::size_t n = bytes.size() < 4 ? bytes.size() : 4;
  for (std::size_t i = 0; i < n; ++i)
    value |= std::uint32_t{bytes[i]} << (8 * i);
  return static_cast<std::int32_t>(value);
}

std::string UpperHex(std::int32_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  auto v = static_cast<std::uint32_t>(value);
  char buffer[8];
  int n = 0;
  do {
    buffer[7 - n++] = kDigits[v & 0xF];
    v >>= 4;
  } while (v != 0);
  return std::string(buffer + 8 - n, static_cast<std::size_t>(n));
}

std::string PadHex8(std::string_view text) {
  if (text.size() >= 8)
    return std::string(text);
  return std::string(8 - text.size(), '0') + std::string(text);
}

std::int64_t HexTextToNumber(std::string_view text) {
  std::string upper(text);
  for (std::size_t i = 0; i < upper.size(); ++i) {
    const auto b = static_cast<unsigned char>(upper[i]);
    if (IsLeadByte(b)) {
      ++i;  // the trail byte of a double-byte character keeps its case
    } else if (b >= 'a' && b <= 'z') {
      upper[i] = static_cast<char>(b - 'a' + 'A');
    }
  }
  // Unsigned arithmetic: texts longer than the eight digits the program makes
  // itself wrap instead of overflowing; the result is kept non-negative.
  std::uint64_t result = 0;
  std::uint64_t weight = 1;
  for (std::size_t i = upper.size(); i-- > 0; weight *= 16) {
    const auto b = static_cast<unsigned char>(upper[i]);
    std::uint64_t digit = 0;
    if (b >= 'A' && b <= 'F') {
      digit = 10u + (b - 'A');
    } else if (b >= '0' && b <= '9') {
      digit = b - '0';
    }
    result += digit * weight;
  }
  return static_cast<std::int64_t>(result & 0x7FFFFFFFFFFFFFFFull);
}

std::int64_t BytesToIpNumber(Bytes bytes) {
  // Same value as HexTextToNumber(PadHex8(UpperHex(BytesToInteger(bytes)))),
  // without the detour through text on the lookup's hot path.
  return static_cast<std::int64_t>(static_cast<std::uint32_t>(BytesToInteger(bytes)));
}

std::string ReverseHexPairs(std::string_view text) {
  const std::string s = PadHex8(text);
  std::string result;
  result.reserve(8);
  for (std::size_t pair = 4; pair-- > 0;)
    result.append(s, pair * 2, 2);
  return result;
}

std::int64_t Ipv4TextToNumber(std::string_view text) {
  auto parts = SplitAtDots(text);
  std::string resolved;
  if (parts.size() != 4) {
    resolved = ResolveHostName(std::string(text));
    parts = SplitAtDots(resolved);
    if (parts.size() != 4)
      return 0;
  }
  // Each part contributes the low byte of its value, first part highest.
  std::uint32_t number = 0;
  for (const auto part : parts)
    number = (number << 8) | (ParseWrappingDecimal(part) & 0xFFu);
  return number;
}

}  // namespace ostrand
