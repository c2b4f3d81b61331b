// The address and number helpers on any text. Ipv4TextToNumber is checked
// against the long way round that the database format describes (each part's
// low byte as two hex digits, reversed pairs, read back as hex); the resolver
// is the fake one, so names are answered without the network.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/check.h"
#include "ipdb/numbers.h"
#include "platform/fake/fake_host.h"

namespace {

using namespace ostrand;

constexpr std::int64_t kMaxIp = 4294967295;

// Parts at '.', a byte of 0x80 or more taking the next along; an empty last
// part is dropped.
std::vector<std::string> Parts(std::string_view text) {
  std::vector<std::string> parts(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b >= 0x80) {
      parts.back() += text.substr(i, 2);
      ++i;
    } else if (b == '.') {
      parts.emplace_back();
    } else {
      parts.back() += text[i];
    }
  }
  if (parts.back().empty())
    parts.pop_back();
  return parts;
}

// Leading white space, a sign, digits, wrapping at 2^32.
std::int32_t PartValue(const std::string& part) {
  std::size_t i = part.find_first_not_of(" \t\n\v\f\r");
  if (i == std::string::npos)
    return 0;
  bool negative = false;
  if (part[i] == '+' || part[i] == '-')
    negative = part[i++] == '-';
  std::uint32_t value = 0;
  for (; i < part.size() && part[i] >= '0' && part[i] <= '9'; ++i)
    value = value * 10 + static_cast<std::uint32_t>(part[i] - '0');
  return static_cast<std::int32_t>(negative ? 0 - value : value);
}

std::int64_t ByHexText(const std::vector<std::string>& parts) {
  std::string hex;
  for (auto part = parts.rbegin(); part != parts.rend(); ++part)
    hex += ("00" + UpperHex(PartValue(*part))).substr(UpperHex(PartValue(*part)).size());
  return HexTextToNumber(ReverseHexPairs(hex));
}

bool IsHexDigits(std::string_view text) {
  for (const char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')))
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fake::SetResolver(fuzzing::ResolverAnswers());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  // The dotted text.
  const int resolverCallsBefore = fake::ResolverCalls();
  const std::int64_t ip = Ipv4TextToNumber(text);
  FUZZ_CHECK(ip >= 0 && ip <= kMaxIp);
  const std::vector<std::string> parts = Parts(text);
  const bool asked = fake::ResolverCalls() != resolverCallsBefore;
  FUZZ_CHECK(asked == (parts.size() != 4));
  if (parts.size() == 4) {
    FUZZ_CHECK(ip == ByHexText(parts));
  } else {
    const auto answers = fuzzing::ResolverAnswers();
    const auto found = answers.find(text);
    const std::vector<std::string> resolved =
        Parts(found != answers.end() ? found->second : std::string());
    FUZZ_CHECK(ip == (resolved.size() == 4 ? ByHexText(resolved) : 0));
  }

  // Hex texts.
  const std::int64_t number = HexTextToNumber(text);
  FUZZ_CHECK(number >= 0);
  if (size <= 8)
    FUZZ_CHECK(number <= kMaxIp);
  if (size > 0 && size <= 8 && IsHexDigits(text))
    FUZZ_CHECK(static_cast<std::uint64_t>(number) == std::stoull(text, nullptr, 16));

  const std::string padded = PadHex8(text);
  FUZZ_CHECK(padded.size() == (size < 8 ? 8 : size));
  FUZZ_CHECK(padded.compare(padded.size() - size, size, text) == 0);
  FUZZ_CHECK(padded.find_first_not_of('0') >= padded.size() - size);

  const std::string reversed = ReverseHexPairs(text);
  FUZZ_CHECK(reversed.size() == 8);
  FUZZ_CHECK(ReverseHexPairs(reversed) == padded.substr(0, 8));

  // Byte groups: the little-endian value, and its unsigned reading through
  // hex text equals the direct one.
  const Bytes bytes(data, size);
  const std::int32_t integer = BytesToInteger(bytes);
  std::uint32_t expected = 0;
  for (std::size_t i = 0; i < size && i < 4; ++i)
    expected |= std::uint32_t{data[i]} << (8 * i);
  FUZZ_CHECK(static_cast<std::uint32_t>(integer) == expected);
  const std::int64_t ipNumber = BytesToIpNumber(bytes);
  FUZZ_CHECK(ipNumber >= 0 && ipNumber <= kMaxIp);
  FUZZ_CHECK(ipNumber == HexTextToNumber(PadHex8(UpperHex(integer))));
  const std::string hex = UpperHex(integer);
  FUZZ_CHECK(!hex.empty() && hex.size() <= 8 && IsHexDigits(hex));
  FUZZ_CHECK(hex == "0" || hex[0] != '0');
  return 0;
}
