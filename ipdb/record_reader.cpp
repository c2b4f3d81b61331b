#include "ipdb/record_reader.h"

#include <cstring>
#include <string_view>

#include "ipdb/numbers.h"

namespace ostrand {

namespace {

bool IsMarker(int got, unsigned char byte) {
  return got == 1 && (byte == 0x01 || byte == 0x02);
}

int ReadMarker(DbFile& file, unsigned char& byte) {
  byte = 0;
  return ReadFileBytes(file, &byte, 1);
}

std::int32_t ReadOffset(DbFile& file) {
  unsigned char bytes[3];
  const int got = ReadFileBytes(file, bytes, 3);
  return BytesToInteger(Bytes(bytes, static_cast<std::size_t>(got)));
}

void StepBack(DbFile& file) {
  SeekFile(file, SeekOrigin::Current, -1);
}

// At X: either the text itself, or one more marker whose offset leads to it.
// A text reached through that second offset is read wherever it points.
std::string ReadTextAtTarget(DbFile& file, std::int32_t target) {
  SeekFile(file, SeekOrigin::Start, target);
  unsigned char m2;
  const int got = ReadMarker(file, m2);
  if (IsMarker(got, m2)) {
    SeekFile(file, SeekOrigin::Start, ReadOffset(file));
  } else {
    StepBack(file);
  }
  return ReadFileText(file);
}

// The area text with blanks (ASCII or the full-width GBK space) trimmed and
// ASCII letters upper-cased, compared with the placeholder.
bool IsPlaceholderArea(const std::string& area) {
  // One pass over the characters: where the first non-blank one starts and
  // where the last non-blank one ends.
  std::size_t first = area.size();
  std::size_t end = 0;
  for (std::size_t i = 0; i < area.size();) {
    const bool pair = static_cast<unsigned char>(area[i]) >= 0x80 && i + 1 < area.size();
    const std::size_t length = pair ? 2 : 1;
    const bool blank = pair ? (static_cast<unsigned char>(area[i]) == 0xA1 &&
                               static_cast<unsigned char>(area[i + 1]) == 0xA1)
                            : area[i] == ' ';
    if (!blank) {
      if (first == area.size())
        first = i;
      end = i + length;
    }
    i += length;
  }
  const std::string_view placeholder = AreaPlaceholder;
  if (first >= end || end - first != placeholder.size())
    return false;
  for (std::size_t k = 0; k < placeholder.size(); ++k) {
    char b = area[first + k];
    // The placeholder is ASCII, so any byte of a double-byte character differs.
    if (b >= 'a' && b <= 'z')
      b = static_cast<char>(b - 'a' + 'A');
    if (b != placeholder[k])
      return false;
  }
  return true;
}

}  // namespace

std::string ReadCountryText(DbFile& file, std::int32_t position, std::int32_t& occupied) {
  SeekFile(file, SeekOrigin::Start, position);
  unsigned char m;
  const int got = ReadMarker(file, m);
  if (got == 1 && m == 0x02) {
    const std::int32_t target = ReadOffset(file);
    occupied = 4;
    return ReadTextAtTarget(file, target);
  }
  StepBack(file);
  std::string text = ReadFileText(file);
  occupied = static_cast<std::int32_t>(text.size()) + 1;
  return text;
}

std::string ReadAreaText(DbFile& file, std::int32_t position) {
  SeekFile(file, SeekOrigin::Start, position);
  unsigned char m;
  const int got = ReadMarker(file, m);
  if (IsMarker(got, m))
    return ReadTextAtTarget(file, ReadOffset(file));
  StepBack(file);
  return ReadFileText(file);
}

std::string ReadLocationRecord(DbFile& file, std::int32_t contentPosition) {
  SeekFile(file, SeekOrigin::Start, contentPosition);
  unsigned char m;
  const int got = ReadMarker(file, m);
  std::string country;
  std::string area;
  std::int32_t occupied = 0;
  if (got == 1 && m == 0x01) {
    const std::int32_t target = ReadOffset(file);
    country = ReadCountryText(file, target, occupied);
    area = ReadAreaText(file, static_cast<std::int32_t>(std::int64_t{target} + occupied));
  } else if (got == 1 && m == 0x02) {
    const std::int32_t target = ReadOffset(file);
    country = ReadCountryText(file, target, occupied);
    area = ReadAreaText(file, static_cast<std::int32_t>(std::int64_t{contentPosition} + 4));
  } else {
    country = ReadCountryText(file, contentPosition, occupied);
    area = ReadAreaText(file, static_cast<std::int32_t>(std::int64_t{contentPosition} + occupied));
  }
  if (IsPlaceholderArea(area))
    area.clear();

  if (area.empty() && !country.empty())
    return country;
  if (!area.empty() && country.empty())
    return area;
  if (country == area)
    return country;
  return country + " " + area;
}

}  // namespace ostrand
