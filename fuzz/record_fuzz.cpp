// The record reader at any position of any bytes: the input is a position
// (4 bytes, little-endian, signed) followed by the file's bytes.
//
// Every redirection is followed at most twice per text, so each call ends
// after a fixed number of file operations whatever the bytes say; memory and
// host files (with and without the block cache) give the same texts.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/check.h"
#include "ipdb/numbers.h"
#include "ipdb/record_reader.h"
#include "platform/fake/fake_host.h"

namespace {

// Seek and marker, an offset, then the country and the area data: each a
// seek, a marker, an offset, and a second level (seek, marker, offset, seek,
// text).
constexpr std::uint64_t kMaxRecordOperations = 3 + 8 + 8;
constexpr std::uint64_t kMaxTextOperations = 8;

struct Texts {
  std::string record, country, area;
  std::int32_t occupied = 0;
  std::uint64_t operations = 0;
};

Texts ReadAll(ostrand::DbFile& file, std::int32_t position, std::size_t size) {
  using namespace ostrand;
  Texts t;
  std::uint64_t before = file.operations;
  t.record = ReadLocationRecord(file, position);
  FUZZ_CHECK(file.operations - before <= kMaxRecordOperations);
  FUZZ_CHECK(t.record.size() <= 2 * size + 1);
  FUZZ_CHECK(t.record.find('\0') == std::string::npos);

  before = file.operations;
  t.country = ReadCountryText(file, position, t.occupied);
  FUZZ_CHECK(file.operations - before <= kMaxTextOperations);
  FUZZ_CHECK(t.occupied == 4 || t.occupied == static_cast<std::int32_t>(t.country.size()) + 1);
  FUZZ_CHECK(t.country.size() <= size);

  before = file.operations;
  t.area = ReadAreaText(file, position);
  FUZZ_CHECK(file.operations - before <= kMaxTextOperations);
  FUZZ_CHECK(t.area.size() <= size);
  t.operations = file.operations;
  return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ostrand;
  if (size < 4)
    return 0;
  const std::int32_t position = BytesToInteger(Bytes(data, 4));
  const std::uint8_t* bytes = data + 4;
  const std::size_t length = size - 4;

  DbFile memory = OpenMemoryFile(bytes, length);
  const Texts inMemory = ReadAll(memory, position, length);

  fake::SetFile("fuzz.dat", std::string(reinterpret_cast<const char*>(bytes), length));
  for (const bool cacheBlocks : {true, false}) {
    DbFile host = OpenFileForReading("fuzz.dat");
    FUZZ_CHECK(host.IsOpen());
    host.cacheBlocks = cacheBlocks;
    const Texts onHost = ReadAll(host, position, length);
    FUZZ_CHECK(onHost.record == inMemory.record);
    FUZZ_CHECK(onHost.country == inMemory.country);
    FUZZ_CHECK(onHost.occupied == inMemory.occupied);
    FUZZ_CHECK(onHost.area == inMemory.area);
    FUZZ_CHECK(onHost.operations == inMemory.operations);
  }
  return 0;
}
