// LookupLocation over any database and any address: the input is the
// address, a line feed, then the database bytes.
//
// The same lookup runs over the bytes in memory and over a host file (read
// through the block cache, and without it): all must give the same text
// after the same number of file operations, and that number stays within
// what a search of the largest index the header can describe needs.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/check.h"
#include "ipdb/lookup.h"
#include "platform/fake/fake_host.h"

namespace {

// Header, search (the upper bound, then one midpoint per level: a header
// describes fewer than 2^30 records, so at most 30 levels), the record, its
// end address, and the record reader's redirections. A seek and a read each.
constexpr std::uint64_t kMaxOperations = 2 + 2 + 2 * 30 + 2 + 2 + 19;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ostrand::fake::SetResolver(ostrand::fuzzing::ResolverAnswers());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ostrand;
  const void* newline = std::memchr(data, '\n', size);
  const std::size_t cut = newline != nullptr ? static_cast<const std::uint8_t*>(newline) - data : 0;
  const std::string address(reinterpret_cast<const char*>(data), cut);
  const std::size_t dbStart = newline != nullptr ? cut + 1 : 0;
  const std::uint8_t* db = data + dbStart;
  const std::size_t dbSize = size - dbStart;

  DbFile memory = OpenMemoryFile(db, dbSize);
  std::string inMemory = address;
  const std::string text = LookupLocationIn(memory, inMemory);
  FUZZ_CHECK(memory.operations <= kMaxOperations);
  // Country, one space, area: each at most the whole file.
  FUZZ_CHECK(text.size() <= 2 * dbSize + 1);
  FUZZ_CHECK(text.find('\0') == std::string::npos);
  FUZZ_CHECK(inMemory == address.substr(0, inMemory.size()));

  fake::SetFile("fuzz.dat", std::string(reinterpret_cast<const char*>(db), dbSize));
  for (const bool cacheBlocks : {true, false}) {
    DbFile host = OpenFileForReading("fuzz.dat");
    FUZZ_CHECK(host.IsOpen());
    host.cacheBlocks = cacheBlocks;
    std::string onHost = address;
    FUZZ_CHECK(LookupLocationIn(host, onHost) == text);
    FUZZ_CHECK(host.operations == memory.operations);
    FUZZ_CHECK(onHost == inMemory);
  }
  return 0;
}
