// Builds location databases byte by byte, so tests can lay out every record
// form (and every kind of damage) exactly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ostrand::testing {

class QqwryWriter {
 public:
  QqwryWriter();

  // Position of the next byte written.
  std::int32_t Here() const { return static_cast<std::int32_t>(bytes_.size()); }

  std::int32_t Raw(const std::string& bytes);
  // The text and its terminator (0x00 unless given).
  std::int32_t Text(const std::string& gbk, char terminator = '\0');
  // A marker byte (0x01 or 0x02) and a 3-byte offset.
  std::int32_t Redirect(unsigned char marker, std::int32_t target);
  // The 4-byte end address of a location record; its location data follow.
  std::int32_t RecordStart(std::uint32_t endIp);
  // A whole record with its two texts stored directly.
  std::int32_t DirectRecord(std::uint32_t endIp, const std::string& country,
                            const std::string& area);

  // One index entry; entries are written in the order they are added.
  void Range(std::uint32_t startIp, std::int32_t recordOffset);

  // Appends the index and fills in the header.
  std::string Finish();

 private:
  std::string bytes_;
  std::vector<std::pair<std::uint32_t, std::int32_t>> index_;
};

// Little-endian bytes of a value, the database's byte order.
std::string Le32(std::uint32_t value);
std::string Le24(std::uint32_t value);
std::uint32_t Ip(int a, int b, int c, int d);

// A small database with gaps and every record layout, used across suites:
// see the definition for the ranges it holds.
std::string SampleDatabase();

}  // namespace ostrand::testing
