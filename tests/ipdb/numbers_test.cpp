#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ipdb/numbers.h"
#include "platform/fake/fake_host.h"

namespace ostrand {
namespace {

Bytes B(const std::vector<unsigned char>& v) {
  return Bytes(v.data(), v.size());
}

TEST(BytesToInteger, LittleEndianWithMissingHighBytesZero) {
  struct Case {
    std::vector<unsigned char> bytes;
    std::int32_t expected;
  };
  const Case cases[] = {
      {{0x10, 0x20, 0x30}, 3153936},
      {{}, 0},
      {{0x00, 0x00, 0x00, 0x80}, INT32_MIN},
      {{0xFF, 0xFF, 0xFF, 0xFF}, -1},
      {{0x04, 0x03, 0x02, 0x01, 0x99}, 0x01020304},  // bytes after the fourth are ignored
      {{0xFF}, 255},
  };
  for (const auto& c : cases)
    EXPECT_EQ(BytesToInteger(B(c.bytes)), c.expected);
}

TEST(BytesToIpNumber, UnsignedAndEqualToTheHexRoundTrip) {
  EXPECT_EQ(BytesToIpNumber(B({0x00, 0x00, 0x00, 0x80})), 2147483648);
  EXPECT_EQ(BytesToIpNumber(B({0x04, 0x03, 0x02, 0x01})), 16909060);
  EXPECT_EQ(BytesToIpNumber(B({0xFF, 0xFF, 0xFF, 0xFF})), 4294967295);
  EXPECT_EQ(BytesToIpNumber(B({0x01})), 1);
  // The direct arithmetic must agree with the text detour it stands for.
  std::uint32_t v = 1;
  for (int i = 0; i < 2000; ++i, v = v * 2654435761u + 12345u) {
    const std::vector<unsigned char> bytes = {
        static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
        static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    for (std::size_t n = 0; n <= 4; ++n) {
      const Bytes prefix(bytes.data(), n);
      EXPECT_EQ(BytesToIpNumber(prefix),
                HexTextToNumber(PadHex8(UpperHex(BytesToInteger(prefix)))));
    }
  }
}

TEST(HexHelpers, TextRules) {
  EXPECT_EQ(UpperHex(-1), "FFFFFFFF");
  EXPECT_EQ(UpperHex(0), "0");
  EXPECT_EQ(UpperHex(0xABC), "ABC");
  EXPECT_EQ(PadHex8("ABC"), "00000ABC");
  EXPECT_EQ(PadHex8("123456789"), "123456789");
  EXPECT_EQ(PadHex8(""), "00000000");
  EXPECT_EQ(ReverseHexPairs("04030201"), "01020304");
  EXPECT_EQ(ReverseHexPairs("ABC"), "BC0A0000");
  EXPECT_EQ(ReverseHexPairs("0102030499"), "04030201");  // only the first eight bytes count
}

TEST(HexTextToNumber, DigitsLettersAndOtherBytes) {
  struct Case {
    std::string text;
    std::int64_t expected;
  };
  const Case cases[] = {
      {"ff", 255},
      {"", 0},
      {"00FFFFFF", 16777215},
      {"FFFFFFFF", 4294967295},
      {"1G", 16},  // a non-digit counts as 0 but keeps its place
      // The byte after a lead byte is not upper-cased: 'a' stays no digit.
      {"\xB0"
       "a",
       0xB0 * 0 + 0},
      {"a\xB0", 0xA0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(HexTextToNumber(c.text), c.expected) << c.text;
  EXPECT_GE(HexTextToNumber(std::string(40, 'F')), 0);  // far too long: wraps, never negative
}

class Ipv4Text : public ::testing::Test {
 protected:
  void SetUp() override { fake::Reset(); }
};

TEST_F(Ipv4Text, DottedTextsWithoutTheResolver) {
  struct Case {
    std::string text;
    std::int64_t expected;
  };
  const Case cases[] = {
      {"1.2.3.4", 16909060},
      {"255.255.255.255", 4294967295},
      {"0.0.0.0", 0},
      {"256.1.1.1", 65793},
      {"-1.0.0.0", 4278190080},
      {"1.2.3.4.", 16909060},  // empty part after the last dot is dropped
      {"1..3.4", 16777988},    // an interior empty part counts
      {"1.2.3.4:80", 16909060},
      {"a.b.c.d", 0},
      {" 1.+2.\t3.4x", 16909060},
      {"4294967297.0.0.1", 0x01000001},  // wraps modulo 2^32: low byte 1
  };
  for (const auto& c : cases)
    EXPECT_EQ(Ipv4TextToNumber(c.text), c.expected) << c.text;
  EXPECT_EQ(fake::ResolverCalls(), 0);
}

TEST_F(Ipv4Text, OtherTextsGoToTheResolver) {
  fake::SetResolver({{"gateway", "10.1.2.3"}, {"odd", "not.an.address"}, {"1.2.3", "9.9.9.9"}});
  EXPECT_EQ(Ipv4TextToNumber("gateway"), 0x0A010203);
  EXPECT_EQ(Ipv4TextToNumber("unknown"), 0);
  EXPECT_EQ(Ipv4TextToNumber("odd"), 0);  // resolves to three parts
  EXPECT_EQ(Ipv4TextToNumber("1.2.3"), 0x09090909);
  EXPECT_EQ(Ipv4TextToNumber("1.2.3.4.5"), 0);
  EXPECT_EQ(fake::ResolverCalls(), 5);
}

TEST_F(Ipv4Text, DotInsideADoubleByteCharacterDoesNotSplit) {
  // 0xB0 0x2E would be a dot if the pair were not one character.
  fake::SetResolver({{"1.2.3\xB0.4", "5.6.7.8"}});
  EXPECT_EQ(Ipv4TextToNumber("1.2.3\xB0.4"), 0x05060708);
}

}  // namespace
}  // namespace ostrand
