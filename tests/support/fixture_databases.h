// Well-formed location databases whose every field position is known, so that
// tests (and the fuzz seeds) can damage them one field at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ostrand::testing {

struct MappedDatabase {
  std::string bytes;
  // An address inside each range; then addresses in the gaps and at the ends.
  std::vector<std::string> addresses;
  std::vector<std::int32_t> records;       // each location record (its end address)
  std::vector<std::int32_t> redirects;     // each marker byte; its 3-byte offset follows
  std::vector<std::int32_t> texts;         // the first byte of each stored text
  std::vector<std::int32_t> indexEntries;  // each 7-byte index entry (start, offset)

  // Every position where a field starts, and the end of the file, in order.
  std::vector<std::int32_t> Boundaries() const;
};

// One range for each layout of location data: direct texts, mode 1 and mode 2
// redirects, country and area data redirected once and twice, a country that
// begins with 0x01, the placeholder area, empty and equal texts, the 0x1A
// terminator, a double-byte character cut by the terminator.
MappedDatabase EveryLayoutDatabase();

// count ranges of direct texts (10.0.0.0/24, 11.0.0.0/24, ...).
MappedDatabase CountDatabase(int count);

}  // namespace ostrand::testing
