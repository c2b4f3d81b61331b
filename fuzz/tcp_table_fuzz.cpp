// The TCP table decoding over any block of known size. The input is copied
// into a buffer of exactly its size, so that a read past the block is caught
// whatever the row count claims.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "connections/snapshot.h"
#include "fuzz/check.h"

namespace {

std::size_t ExpectedRows(const std::uint8_t* block, std::size_t size) {
  if (size < 4)
    return 0;
  std::int32_t count;
  std::memcpy(&count, block, 4);  // little-endian host
  if (count <= 0)
    return 0;
  const std::size_t fits = (size - 4) / 28;
  return static_cast<std::size_t>(count) < fits ? static_cast<std::size_t>(count) : fits;
}

// a.b.c.d:port, each byte 0..255 without leading zeros, a decimal port.
bool IsEndpointText(const std::string& text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos || colon + 1 >= text.size() || text.size() > 4 * 4 + 12)
    return false;
  int dots = 0;
  for (std::size_t i = 0; i < colon; ++i) {
    if (text[i] == '.') {
      ++dots;
    } else if (text[i] < '0' || text[i] > '9') {
      return false;
    }
  }
  std::size_t i = colon + 1;
  if (text[i] == '-')
    ++i;
  if (i >= text.size())
    return false;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9')
      return false;
  }
  return dots == 3;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ostrand;
  const auto block = std::make_unique<std::uint8_t[]>(size > 0 ? size : 1);
  if (size > 0)
    std::memcpy(block.get(), data, size);
  const ConnectionSnapshot snapshot = DecodeTcpTable(size > 0 ? block.get() : nullptr, size);
  FUZZ_CHECK(snapshot.ok);
  FUZZ_CHECK(snapshot.records.size() == ExpectedRows(data, size));
  if (size >= 4)
    FUZZ_CHECK(snapshot.records.size() <= (size - 4) / 28);
  for (const ConnectionRecord& record : snapshot.records) {
    FUZZ_CHECK(record.stateText == StateTextOf(record.state));
    FUZZ_CHECK(IsEndpointText(record.localEndpoint));
    FUZZ_CHECK(IsEndpointText(record.remoteEndpoint));
    IsListedConnection(record);
  }
  return 0;
}
