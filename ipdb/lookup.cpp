#include "ipdb/lookup.h"

#include "ipdb/numbers.h"
#include "ipdb/record_reader.h"

namespace ostrand {

namespace {

constexpr std::int64_t kIndexRecordSize = 7;

// File positions travel as signed 32-bit values; a computed position that
// does not fit wraps, and a negative one is then refused by SeekFile.
std::int32_t AsFilePosition(std::int64_t position) {
  return static_cast<std::int32_t>(position);
}

std::int64_t ReadRecordStart(DbFile& file, std::int64_t first, std::int64_t k) {
  SeekFile(file, SeekOrigin::Start, AsFilePosition(first + (k - 1) * kIndexRecordSize));
  unsigned char bytes[4];
  const int got = ReadFileBytes(file, bytes, 4);  // the start; the offset is not needed here
  return BytesToIpNumber(Bytes(bytes, static_cast<std::size_t>(got)));
}

// Cuts the address before its first ':' (never inside a double-byte character).
void CutPort(std::string& address) {
  for (std::size_t i = 0; i < address.size(); ++i) {
    const auto b = static_cast<unsigned char>(address[i]);
    if (b >= 0x80) {
      ++i;
    } else if (b == ':') {
      address.resize(i);
      return;
    }
  }
}

}  // namespace

std::string DefaultDatabasePath() {
#ifdef _WIN32
  return ".\\QQWry.dat";
#else
  return "./QQWry.dat";
#endif
}

namespace {

// The search below an upper bound whose start is known to lie above ip: at
// every level only the midpoint needs reading.
std::int32_t FindBelowUpperBound(DbFile& file, std::int64_t first, std::int64_t lo, std::int64_t hi,
                                 std::int64_t ip) {
  const std::int64_t mid = (lo + hi) / 2;
  if (mid == lo)
    return static_cast<std::int32_t>(lo);
  const std::int64_t s = ReadRecordStart(file, first, mid);
  if (ip < s)
    return FindBelowUpperBound(file, first, lo, mid, ip);
  if (ip > s)
    return FindBelowUpperBound(file, first, mid, hi, ip);
  return static_cast<std::int32_t>(mid);
}

}  // namespace

std::int32_t FindIndexRecord(DbFile& file, std::int64_t firstIndexOffset, std::int64_t lo,
                             std::int64_t hi, std::int64_t ip) {
  // The upper bound is tested first, also before an adjacent pair would give
  // its lower bound: with two records, an address inside the second one's
  // range must find it. Below it, every deeper level knows ip lies under its
  // own upper bound (the midpoint just read, or the same bound), so re-reading
  // that bound could never change the answer.
  if (ip >= ReadRecordStart(file, firstIndexOffset, hi))
    return static_cast<std::int32_t>(hi);
  return FindBelowUpperBound(file, firstIndexOffset, lo, hi, ip);
}

std::string LookupLocationIn(DbFile& file, std::string& address) {
  CutPort(address);
  if (address.empty() || !file.IsOpen())
    return {};

  unsigned char header[8];
  SeekFile(file, SeekOrigin::Start, 0);
  const int headerGot = ReadFileBytes(file, header, 8);
  const std::int64_t first = BytesToInteger(Bytes(header, static_cast<std::size_t>(headerGot)));
  const std::int64_t last =
      headerGot > 4 ? BytesToInteger(Bytes(header + 4, static_cast<std::size_t>(headerGot - 4)))
                    : 0;
  const std::int64_t count = (last - first) / kIndexRecordSize + 1;
  // A header that gives no record has nothing to search; the search itself is
  // only defined from one record on.
  if (count < 1)
    return {};

  const std::int64_t ip = Ipv4TextToNumber(address);
  const std::int64_t n = FindIndexRecord(file, first, 1, count, ip);

  unsigned char record[kIndexRecordSize];
  SeekFile(file, SeekOrigin::Start, AsFilePosition(first + (n - 1) * kIndexRecordSize));
  const int recordGot = ReadFileBytes(file, record, kIndexRecordSize);
  const std::int64_t start =
      BytesToIpNumber(Bytes(record, static_cast<std::size_t>(recordGot < 4 ? recordGot : 4)));
  const std::int32_t recordOffset =
      recordGot > 4 ? BytesToInteger(Bytes(record + 4, static_cast<std::size_t>(recordGot - 4)))
                    : 0;

  unsigned char endBytes[4];
  SeekFile(file, SeekOrigin::Start, recordOffset);
  const int endGot = ReadFileBytes(file, endBytes, 4);
  const std::int64_t end = BytesToIpNumber(Bytes(endBytes, static_cast<std::size_t>(endGot)));

  if (start <= ip && ip <= end)
    return ReadLocationRecord(file, recordOffset + 4);
  return {};
}

std::string LookupLocation(std::string& address, const std::string* fileName) {
  CutPort(address);
  if (address.empty())
    return {};
  DbFile file = OpenFileForReading(fileName != nullptr ? *fileName : DefaultDatabasePath());
  if (!file.IsOpen())
    return {};
  std::string result = LookupLocationIn(file, address);
  CloseFile(file);
  return result;
}

}  // namespace ostrand
