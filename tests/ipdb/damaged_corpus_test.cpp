// A corpus of damaged databases, made from well-formed ones field by field:
// cut short, offsets aimed past the end, at themselves and at the header,
// redirects in loops, headers with no records or absurdly many, texts that
// run to the end of the file. Every lookup in every one of them must return
// (some text or none) after a bounded number of file operations, and the
// window's path (a host file read in blocks) must agree with the in-memory one.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "ipdb/lookup.h"
#include "platform/fake/fake_host.h"
#include "platform/text.h"
#include "tests/support/fixture_databases.h"
#include "tests/support/qqwry_writer.h"

namespace ostrand {
namespace {

using testing::Le24;
using testing::Le32;
using testing::MappedDatabase;

// What one lookup may cost: the header (seek, read), the upper bound and one
// midpoint per level of the search (a header can describe fewer than 2^30
// records, so at most 30 levels), the index record and the end address (a
// seek and a read each), and the record reader: a marker and an offset, then
// country and area data with two levels of redirection each.
constexpr std::uint64_t kMaxOperations = 2 + 2 + 2 * 30 + 2 + 2 + (3 + 8 + 8);

struct DamagedFile {
  std::string what;
  std::string bytes;
};

std::string Replaced(std::string bytes, std::int64_t at, const std::string& with) {
  if (at >= 0 && static_cast<std::size_t>(at) + with.size() <= bytes.size())
    bytes.replace(static_cast<std::size_t>(at), with.size(), with);
  return bytes;
}

std::string WithHeader(const std::string& bytes, std::int64_t first, std::int64_t last) {
  return Replaced(Replaced(bytes, 0, Le32(static_cast<std::uint32_t>(first))), 4,
                  Le32(static_cast<std::uint32_t>(last)));
}

std::int64_t FirstIndexOffset(const MappedDatabase& db) {
  return db.indexEntries.front();
}

// Positions of every 3-byte offset: after each marker, and in each index entry.
std::vector<std::int32_t> OffsetFields(const MappedDatabase& db) {
  std::vector<std::int32_t> fields;
  for (const std::int32_t r : db.redirects)
    fields.push_back(r + 1);
  for (const std::int32_t e : db.indexEntries)
    fields.push_back(e + 4);
  return fields;
}

std::vector<DamagedFile> Truncated(const MappedDatabase& db) {
  std::vector<DamagedFile> files;
  for (const std::int32_t b : db.Boundaries()) {
    for (const std::int32_t cut : {b - 1, b, b + 1}) {
      if (cut >= 0 && static_cast<std::size_t>(cut) < db.bytes.size())
        files.push_back({"cut at " + std::to_string(cut), db.bytes.substr(0, cut)});
    }
  }
  return files;
}

std::vector<DamagedFile> OffsetsPastTheEnd(const MappedDatabase& db) {
  std::vector<DamagedFile> files;
  const auto size = static_cast<std::uint32_t>(db.bytes.size());
  for (const std::int32_t field : OffsetFields(db)) {
    for (const std::uint32_t target : {size - 1, size, size + 1, 0xFFFFFFu}) {
      files.push_back({"offset at " + std::to_string(field) + " to " + std::to_string(target),
                       Replaced(db.bytes, field, Le24(target))});
    }
  }
  // Every record's end address and data past the end, together.
  std::string all = db.bytes;
  for (const std::int32_t e : db.indexEntries)
    all = Replaced(all, e + 4, Le24(size));
  files.push_back({"every record past the end", all});
  return files;
}

// Each offset aimed at its own marker, at its own bytes, at the index entry
// holding it, and at the header.
std::vector<DamagedFile> OffsetsToThemselvesAndTheHeader(const MappedDatabase& db) {
  std::vector<DamagedFile> files;
  for (const std::int32_t field : OffsetFields(db)) {
    for (const std::int32_t target : {field - 1, field, field - 4, 0, 4}) {
      if (target >= 0)
        files.push_back({"offset at " + std::to_string(field) + " to " + std::to_string(target),
                         Replaced(db.bytes, field, Le24(static_cast<std::uint32_t>(target)))});
    }
  }
  // A record whose location data redirect to themselves, in both modes.
  for (const std::int32_t r : db.records) {
    for (const char marker : {'\x01', '\x02'}) {
      files.push_back({"record " + std::to_string(r) + " redirects to itself",
                       Replaced(db.bytes, r + 4,
                                std::string(1, marker) + Le24(static_cast<std::uint32_t>(r + 4)))});
    }
  }
  return files;
}

// Two redirects that lead to each other, in every pairing and both markers.
std::vector<DamagedFile> RedirectLoops(const MappedDatabase& db) {
  std::vector<DamagedFile> files;
  for (const std::int32_t a : db.redirects) {
    for (const std::int32_t b : db.redirects) {
      if (a == b)
        continue;
      std::string bytes = Replaced(db.bytes, a + 1, Le24(static_cast<std::uint32_t>(b)));
      bytes = Replaced(bytes, b + 1, Le24(static_cast<std::uint32_t>(a)));
      files.push_back({"loop " + std::to_string(a) + " <-> " + std::to_string(b), bytes});
      bytes[a] = bytes[a] == '\x01' ? '\x02' : '\x01';
      files.push_back(
          {"loop, other marker, " + std::to_string(a) + " <-> " + std::to_string(b), bytes});
    }
  }
  return files;
}

// Headers with fewer than one record, absurdly many, and negative positions.
std::vector<DamagedFile> BadHeaders(const MappedDatabase& db) {
  const std::int64_t first = FirstIndexOffset(db);
  const std::int64_t last = db.indexEntries.back();
  const std::int64_t size = static_cast<std::int64_t>(db.bytes.size());
  const std::pair<std::int64_t, std::int64_t> headers[] = {
      {first, first - 7},          // count 0
      {first, first - 8},          // count 0, fraction dropped
      {first, first - 15},         // count -1
      {first, INT32_MIN},          // count far below one
      {first, first - 6},          // still one record
      {first, last + 7 * 1000},    // more records than the file holds
      {first, INT32_MAX},          // absurdly many
      {INT32_MIN, INT32_MAX},      // the most a header can say
      {INT32_MAX, INT32_MAX},      // one record, far past the end
      {size, size},                // one record, just past the end
      {-7, last},                  // the index starts at a negative position
      {-1, -1},                    // one record just before the file
      {INT32_MIN, INT32_MIN},      // one record at the most negative position
      {INT32_MIN + 7, INT32_MIN},  // count 0 at the bottom
      {0, last},                   // the header read as an index
      {first + 3, last + 3},       // index entries read out of step
  };
  std::vector<DamagedFile> files;
  for (const auto& [f, l] : headers)
    files.push_back(
        {"header " + std::to_string(f) + ", " + std::to_string(l), WithHeader(db.bytes, f, l)});
  return files;
}

// From each text on, no terminator up to the end of the file; once more with
// a lead byte as the file's last byte.
std::vector<DamagedFile> UnterminatedTexts(const MappedDatabase& db) {
  std::vector<DamagedFile> files;
  for (const std::int32_t t : db.texts) {
    std::string bytes = db.bytes;
    for (std::size_t i = static_cast<std::size_t>(t); i < bytes.size(); ++i) {
      if (bytes[i] == '\0' || bytes[i] == '\x1A')
        bytes[i] = 'X';
    }
    files.push_back({"no terminator from " + std::to_string(t), bytes});
    files.push_back(
        {"no terminator from " + std::to_string(t) + ", lead byte last", bytes + "\xB1"});
  }
  return files;
}

struct Damage {
  const char* name;
  std::function<std::vector<DamagedFile>(const MappedDatabase&)> make;
};

const Damage kDamages[] = {
    {"truncated", Truncated},
    {"offsets past the end", OffsetsPastTheEnd},
    {"offsets to themselves and the header", OffsetsToThemselvesAndTheHeader},
    {"redirect loops", RedirectLoops},
    {"bad headers", BadHeaders},
    {"unterminated texts", UnterminatedTexts},
};

void PrintTo(const Damage& damage, std::ostream* out) {
  *out << damage.name;
}

class DamagedCorpusTest : public ::testing::TestWithParam<Damage> {
 protected:
  void SetUp() override { fake::Reset(); }
};

TEST_P(DamagedCorpusTest, EveryLookupAnswersInBoundedReads) {
  const std::vector<MappedDatabase> fixtures = {
      testing::EveryLayoutDatabase(), testing::CountDatabase(1), testing::CountDatabase(2),
      testing::CountDatabase(3), testing::CountDatabase(40)};
  const std::string path = "damaged.dat";
  std::size_t filesSeen = 0;
  for (const MappedDatabase& fixture : fixtures) {
    std::vector<std::string> addresses = fixture.addresses;
    addresses.insert(addresses.end(), {"0.0.0.0", "127.0.0.1", "255.255.255.255"});
    for (const DamagedFile& damaged : GetParam().make(fixture)) {
      ++filesSeen;
      fake::SetFile(path, damaged.bytes);
      DbFile file = OpenMemoryFile(reinterpret_cast<const unsigned char*>(damaged.bytes.data()),
                                   damaged.bytes.size());
      std::uint64_t worst = 0;
      for (const std::string& address : addresses) {
        std::string inMemory = address;
        const std::uint64_t before = file.operations;
        const std::string text = LookupLocationIn(file, inMemory);
        worst = std::max(worst, file.operations - before);
        std::string onHost = address;
        EXPECT_EQ(LookupLocation(onHost, &path), text) << damaged.what << ", " << address;
        EXPECT_EQ(text.find('\0'), std::string::npos) << damaged.what << ", " << address;
      }
      EXPECT_LE(worst, kMaxOperations) << damaged.what;
    }
  }
  EXPECT_GT(filesSeen, 0u);
}

INSTANTIATE_TEST_SUITE_P(Damages, DamagedCorpusTest, ::testing::ValuesIn(kDamages),
                         [](const auto& info) {
                           std::string name;
                           for (const char c : std::string(info.param.name))
                             name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

// The corpus starts from databases that read right, or its damage would prove
// little.
TEST(FixtureDatabasesTest, ReadAsWritten) {
  fake::Reset();
  const MappedDatabase layouts = testing::EveryLayoutDatabase();
  const char* const expected[] = {
      "DIRECT TEXTS",
      "COUNTRY AREA",
      "中国 FAR",
      "FAR AFTER",
      "COUNTRY AREA2",
      "中国 FAR",
      "\x01STARTS WITH ONE FAR",
      "PLACEHOLDER",
      "AREA ONLY",
      "SAME",
      "SUB",
      "LAST 北京",
  };
  DbFile file = OpenMemoryFile(reinterpret_cast<const unsigned char*>(layouts.bytes.data()),
                               layouts.bytes.size());
  ASSERT_GE(layouts.addresses.size(), std::size(expected));
  for (std::size_t k = 0; k < layouts.addresses.size(); ++k) {
    std::string address = layouts.addresses[k];
    const std::string text = GbkToUtf8(LookupLocationIn(file, address));
    EXPECT_EQ(text, k < std::size(expected) ? expected[k] : "") << layouts.addresses[k];
  }
  for (int count : {1, 2, 3, 40}) {
    const MappedDatabase db = testing::CountDatabase(count);
    DbFile counted =
        OpenMemoryFile(reinterpret_cast<const unsigned char*>(db.bytes.data()), db.bytes.size());
    for (int k = 0; k < count; ++k) {
      std::string address = db.addresses[k];
      EXPECT_EQ(LookupLocationIn(counted, address), "R" + std::to_string(k + 1))
          << count << " " << db.addresses[k];
    }
  }
}

}  // namespace
}  // namespace ostrand
