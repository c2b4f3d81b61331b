// Conversions between dotted IPv4 texts, the database's little-endian byte
// groups and the numbers they stand for. IPv4 numbers live in signed 64-bit
// integers and always lie in 0..4294967295, so plain signed comparisons order
// addresses as unsigned 32-bit values; 0 also means "no conversion".
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ostrand {

using Bytes = std::span<const unsigned char>;

// The first four bytes as a little-endian two's-complement integer; missing
// high-order bytes count as zero.
std::int32_t BytesToInteger(Bytes bytes);

// Upper-case hexadecimal of the value's 32 bits, without leading zeros
// (negative values as their two's complement, 0 as "0").
std::string UpperHex(std::int32_t value);

// Left-pads with "0" to eight bytes; longer texts come back unchanged.
std::string PadHex8(std::string_view text);

// Reads a hex text, last byte least significant; a byte that is no hex digit
// counts as 0 but keeps its place. ASCII letters are upper-cased first, except
// the second byte of a double-byte GBK character.
std::int64_t HexTextToNumber(std::string_view text);

// The first four bytes as an unsigned little-endian number.
std::int64_t BytesToIpNumber(Bytes bytes);

// The byte pairs 7-8, 5-6, 3-4, 1-2 of the text padded to eight bytes.
std::string ReverseHexPairs(std::string_view text);

// a.b.c.d to a*2^24 + b*2^16 + c*2^8 + d, each part by its low byte. A text
// that does not split into four parts is resolved as a host name first.
std::int64_t Ipv4TextToNumber(std::string_view text);

}  // namespace ostrand
