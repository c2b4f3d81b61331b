#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ipdb/lookup.h"
#include "platform/fake/fake_host.h"
#include "platform/text.h"
#include "tests/support/qqwry_writer.h"

namespace ostrand {
namespace {

using testing::Ip;
using testing::Le32;
using testing::QqwryWriter;

class LookupTest : public ::testing::Test {
 protected:
  void SetUp() override { fake::Reset(); }
  std::string Where(std::string address, const std::string& db) {
    fake::SetFile("test.dat", db);
    const std::string path = "test.dat";
    return LookupLocation(address, &path);
  }
};

TEST_F(LookupTest, SampleDatabaseRangesAndGaps) {
  const std::string db = testing::SampleDatabase();
  const struct {
    std::string address;
    std::string utf8;
  } cases[] = {
      {"0.0.0.0", "IANA reserved"},
      {"0.255.255.255", "IANA reserved"},
      {"1.0.0.0", "中国北京 电信"},
      {"1.0.0.255", "中国北京 电信"},
      {"1.0.1.0", ""},  // gap between two ranges
      {"1.0.2.0", "美国 谷歌"},
      {"1.0.3.255", "美国 谷歌"},
      {"1.0.4.0", ""},
      {"8.8.8.8", "美国"},  // placeholder area dropped
      {"9.0.0.0", ""},
      {"199.255.255.255", ""},
      {"200.0.0.0", "last range"},
      {"255.255.255.255", "last range"},
      {"8.8.8.8:53", "美国"},
      {"", ""},
      {":80", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GbkToUtf8(Where(c.address, db)), c.utf8) << c.address;
}

TEST_F(LookupTest, PortIsCutInTheCallersVariable) {
  fake::SetFile(DefaultDatabasePath(), testing::SampleDatabase());
  std::string address = "8.8.8.8:443";
  const std::string withPort = LookupLocation(address);
  EXPECT_EQ(address, "8.8.8.8");
  EXPECT_EQ(withPort, LookupLocation(address));
  EXPECT_FALSE(withPort.empty());
}

TEST_F(LookupTest, EmptyAddressOpensNoFile) {
  fake::SetFile(DefaultDatabasePath(), testing::SampleDatabase());
  for (std::string address : {"", ":80", ":"}) {
    EXPECT_EQ(LookupLocation(address), "");
    EXPECT_EQ(address, "");
  }
  EXPECT_EQ(fake::OpenCalls(), 0);
}

TEST_F(LookupTest, MissingDatabaseGivesTheEmptyText) {
  std::string address = "8.8.8.8";
  EXPECT_EQ(LookupLocation(address), "");
  const std::string empty;
  EXPECT_EQ(LookupLocation(address, &empty), "");
}

// The search as first designed, without the two-record mend, as a model: for
// every count but two, the record found must be the one it finds.
std::int64_t ModelFind(const std::vector<std::uint32_t>& starts, std::int64_t lo, std::int64_t hi,
                       std::int64_t ip) {
  const std::int64_t mid = (lo + hi) / 2;
  if (mid == lo)
    return lo;
  if (ip >= starts[hi - 1])
    return hi;
  const std::int64_t s = starts[mid - 1];
  if (ip < s)
    return ModelFind(starts, lo, mid, ip);
  if (ip > s)
    return ModelFind(starts, mid, hi, ip);
  return mid;
}

TEST_F(LookupTest, SearchFindsWhatTheModelFindsForEveryCountButTwo) {
  for (int count = 1; count <= 40; ++count) {
    QqwryWriter w;
    std::vector<std::uint32_t> starts;
    for (int k = 0; k < count; ++k) {
      const std::uint32_t start = 1000u * static_cast<std::uint32_t>(k) + 100u;
      starts.push_back(start);
      w.Range(start, w.DirectRecord(start + 499u, "R" + std::to_string(k + 1), ""));
    }
    const std::string db = w.Finish();
    DbFile file = OpenMemoryFile(reinterpret_cast<const unsigned char*>(db.data()), db.size());
    const std::int64_t first = static_cast<std::uint8_t>(db[0]) |
                               (static_cast<std::uint8_t>(db[1]) << 8) |
                               (static_cast<std::uint8_t>(db[2]) << 16);
    std::vector<std::int64_t> probes = {0, 99, 4294967295};
    for (const auto s : starts)
      probes.insert(probes.end(), {s - 1, s, s + 1, s + 499, s + 500});
    for (const auto ip : probes) {
      const std::int64_t found = FindIndexRecord(file, first, 1, count, ip);
      if (count == 2) {
        EXPECT_EQ(found, ip >= starts[1] ? 2 : 1) << ip;
      } else {
        EXPECT_EQ(found, ModelFind(starts, 1, count, ip)) << "count " << count << " ip " << ip;
      }
    }
  }
}

TEST_F(LookupTest, HeaderCounts) {
  QqwryWriter one;
  one.Range(Ip(10, 0, 0, 0), one.DirectRecord(Ip(10, 0, 0, 255), "ONE", ""));
  const std::string oneDb = one.Finish();
  EXPECT_EQ(Where("10.0.0.7", oneDb), "ONE");
  EXPECT_EQ(Where("9.255.255.255", oneDb), "");
  EXPECT_EQ(Where("10.0.1.0", oneDb), "");

  QqwryWriter two;
  two.Range(Ip(10, 0, 0, 0), two.DirectRecord(Ip(10, 0, 0, 255), "FIRST", ""));
  two.Range(Ip(20, 0, 0, 0), two.DirectRecord(Ip(20, 0, 0, 255), "SECOND", ""));
  const std::string twoDb = two.Finish();
  EXPECT_EQ(Where("10.0.0.1", twoDb), "FIRST");
  EXPECT_EQ(Where("20.0.0.0", twoDb), "SECOND");  // at or above record 2's start
  EXPECT_EQ(Where("20.0.0.9", twoDb), "SECOND");
  EXPECT_EQ(Where("15.0.0.0", twoDb), "");
}

TEST_F(LookupTest, HeaderWithoutRecordsEndsWithTheEmptyText) {
  std::string db = testing::SampleDatabase();
  for (const std::int32_t below : {7, 8, 100, 1 << 30}) {
    const std::int32_t first = 1000;
    db.replace(0, 4, Le32(static_cast<std::uint32_t>(first)));
    db.replace(4, 4, Le32(static_cast<std::uint32_t>(first - below)));
    EXPECT_EQ(Where("1.0.0.1", db), "") << below;
  }
}

// Every call on a damaged file returns, with some text or none, after a
// bounded number of reads.
void ExpectBoundedLookups(const std::string& db, const std::string& what) {
  static const char* const kAddresses[] = {"0.0.0.0",   "1.0.0.1",         "1.0.2.5",  "8.8.8.8",
                                           "200.1.1.1", "255.255.255.255", "127.0.0.1"};
  DbFile file = OpenMemoryFile(reinterpret_cast<const unsigned char*>(db.data()), db.size());
  for (const char* address : kAddresses) {
    std::string a = address;
    const std::uint64_t before = file.operations;
    LookupLocationIn(file, a);
    EXPECT_LE(file.operations - before, 400u) << what << " " << address;
  }
}

TEST_F(LookupTest, DamagedFilesNeverHangOrCrash) {
  const std::string good = testing::SampleDatabase();
  for (std::size_t length = 0; length <= good.size(); ++length) {
    ExpectBoundedLookups(good.substr(0, length), "truncated at " + std::to_string(length));
  }
  // Index offsets pointing past the end, to the record itself, to the header.
  const std::uint32_t first =
      static_cast<std::uint8_t>(good[0]) | (static_cast<std::uint8_t>(good[1]) << 8);
  for (const std::uint32_t target : {0xFFFFFFu, 0u, 4u, first, first + 4}) {
    std::string db = good;
    for (std::uint32_t at = first + 4; at + 3 <= db.size(); at += 7) {
      db.replace(at, 3, testing::Le24(target));
    }
    ExpectBoundedLookups(db, "record offsets at " + std::to_string(target));
  }
  // Negative and huge header offsets.
  for (const auto& [f, l] : std::vector<std::pair<std::int32_t, std::int32_t>>{
           {-100, 100}, {-7, 0}, {0, 0x7FFFFFFF}, {INT32_MIN, INT32_MAX}, {INT32_MAX, INT32_MAX}}) {
    std::string db = good;
    db.replace(0, 4, Le32(static_cast<std::uint32_t>(f)));
    db.replace(4, 4, Le32(static_cast<std::uint32_t>(l)));
    ExpectBoundedLookups(db, "header " + std::to_string(f) + " " + std::to_string(l));
  }
  // Marker bytes as the very last bytes, where records point.
  for (const char marker : {'\x01', '\x02'}) {
    QqwryWriter w;
    const std::int32_t r = w.RecordStart(Ip(255, 255, 255, 255));
    w.Range(0, r);
    std::string db = w.Finish();
    db.push_back(marker);
    db.replace(8 + 4, 0, "");  // the record's data are the index itself
    ExpectBoundedLookups(db, "marker at the end");
  }
  // Redirects that point at themselves.
  {
    QqwryWriter w;
    const std::int32_t r = w.RecordStart(Ip(255, 255, 255, 255));
    w.Redirect(0x01, r + 4);
    w.Range(0, r);
    ExpectBoundedLookups(w.Finish(), "self redirect");
  }
}

}  // namespace
}  // namespace ostrand
