// Writes the fuzz targets' starting inputs: small databases in every record
// layout (through the tests' fixture writer), addresses, number texts and TCP
// tables. Usage: make_seeds DIR; writes DIR/<target>/<n> for each target.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/fake/fake_host.h"
#include "tests/support/qqwry_writer.h"

namespace {

namespace fs = std::filesystem;
using ostrand::testing::Ip;
using ostrand::testing::Le32;
using ostrand::testing::QqwryWriter;

struct Database {
  std::string bytes;
  std::vector<std::string> addresses;  // one inside each range, and around them
  std::vector<std::int32_t> records;   // content positions of the location data
};

// One range per location layout the reader knows, first and second level
// redirections of country and area data included.
Database Layouts() {
  Database db;
  QqwryWriter w;
  const std::int32_t shared = w.Text("COUNTRY");
  w.Text("AREA");
  const std::int32_t alone = w.Text("\xD6\xD0\xB9\xFA");  // 中国
  const std::int32_t far = w.Text("FAR");
  const std::int32_t farViaOne = w.Redirect(0x01, far);
  // Country data that redirect (0x02), then area data that redirect again.
  const std::int32_t countryThenArea = w.Redirect(0x02, alone);
  w.Redirect(0x01, farViaOne);
  // A second-level target that is itself a marker.
  const std::int32_t twice = w.Redirect(0x02, farViaOne);
  w.Text("AFTER");

  std::uint32_t next = Ip(1, 0, 0, 0);
  auto range = [&](std::int32_t record) {
    w.Range(next, record);
    db.records.push_back(record + 4);
    const std::uint32_t ip = next + 7;
    db.addresses.push_back(std::to_string(ip >> 24) + "." + std::to_string((ip >> 16) & 255) + "." +
                           std::to_string((ip >> 8) & 255) + "." + std::to_string(ip & 255));
    next += 1u << 16;
  };
  auto end = [&] { return next + 255; };  // gaps between the ranges

  range(w.DirectRecord(end(), "DIRECT", "TEXTS"));
  {
    const std::int32_t r = w.RecordStart(end());
    w.Redirect(0x01, shared);
    range(r);
  }
  {
    const std::int32_t r = w.RecordStart(end());
    w.Redirect(0x01, countryThenArea);
    range(r);
  }
  {
    const std::int32_t r = w.RecordStart(end());
    w.Redirect(0x01, twice);
    range(r);
  }
  {
    const std::int32_t r = w.RecordStart(end());
    w.Redirect(0x02, shared);
    w.Text("AREA2");
    range(r);
  }
  {
    const std::int32_t r = w.RecordStart(end());
    w.Redirect(0x02, countryThenArea);
    w.Redirect(0x02, far);
    range(r);
  }
  {
    const std::int32_t r = w.RecordStart(end());
    w.Text("\x01STARTS WITH ONE");
    w.Redirect(0x02, twice);
    range(r);
  }
  range(w.DirectRecord(end(), "PLACEHOLDER", "\xA1\xA1 cz88.net "));
  range(w.DirectRecord(end(), "", "AREA ONLY"));
  range(w.DirectRecord(end(), "SAME", "SAME"));
  {
    const std::int32_t r = w.RecordStart(end());
    w.Text("SUB", '\x1A');
    w.Raw("\xB1");  // a lead byte whose trail is the terminator
    w.Text("");
    range(r);
  }
  {
    // The last range reaches the top of the address space.
    const std::int32_t r = w.RecordStart(0xFFFFFFFFu);
    w.Text("LAST");
    w.Text("\xB1\xB1\xBE\xA9");  // 北京
    next = Ip(200, 0, 0, 0);
    range(r);
  }
  db.bytes = w.Finish();
  db.addresses.insert(db.addresses.end(), {"0.0.0.0", "1.0.1.0", "255.255.255.255", "1.0.0.7:80",
                                           "localhost", "a.b.c.d", "1..0.7"});
  return db;
}

Database Single(int count) {
  Database db;
  QqwryWriter w;
  for (int k = 0; k < count; ++k) {
    const std::uint32_t start = Ip(10 + k, 0, 0, 0);
    const std::int32_t r = w.DirectRecord(start + 255, "R" + std::to_string(k), "");
    w.Range(start, r);
    db.records.push_back(r + 4);
    db.addresses.push_back(std::to_string(10 + k) + ".0.0.1");
  }
  db.bytes = w.Finish();
  return db;
}

class SeedDir {
 public:
  SeedDir(const fs::path& root, const std::string& target) : dir_(root / target) {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void Put(const std::string& bytes) {
    std::ofstream(dir_ / std::to_string(n_++), std::ios::binary) << bytes;
  }

 private:
  fs::path dir_;
  int n_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_seeds DIR\n";
    return 2;
  }
  const fs::path root = argv[1];
  Database sample{ostrand::testing::SampleDatabase(), {"1.0.0.1", "1.0.2.9", "8.8.8.8"}, {}};
  const std::vector<Database> databases = {Layouts(), sample, Single(1), Single(2), Single(3)};

  SeedDir lookup(root, "lookup");
  SeedDir record(root, "record");
  for (const Database& db : databases) {
    for (const std::string& address : db.addresses)
      lookup.Put(address + "\n" + db.bytes);
    for (const std::int32_t position : db.records)
      record.Put(Le32(static_cast<std::uint32_t>(position)) + db.bytes);
  }

  SeedDir numbers(root, "numbers");
  for (const char* text :
       {"1.2.3.4", "255.255.255.255", "0.0.0.0", "256.1.1.1", "-1.0.0.0", "1.2.3.4.", "1..3.4",
        "1.2.3.4:80", " +7.\t8.9.10", "a.b.c.d", "localhost", "three", "wide", "\xB1.\xB1.2.3",
        "ff", "00FFFFFF", "123456789", "ABC", "4294967296.0.0.1"})
    numbers.Put(text);

  SeedDir table(root, "tcp_table");
  using ostrand::fake::TcpRow;
  TcpRow a;
  a.state = 5;
  const unsigned char local[4] = {192, 168, 1, 2}, remote[4] = {8, 8, 8, 8};
  std::copy(local, local + 4, a.local);
  std::copy(remote, remote + 4, a.remote);
  ostrand::fake::PutPort(a.localPort, 50000);
  ostrand::fake::PutPort(a.remotePort, 443);
  a.pid = 1234;
  TcpRow b = a;
  b.state = 2;
  std::fill(b.remote, b.remote + 4, 0);
  auto bytes = [](const std::vector<unsigned char>& v) { return std::string(v.begin(), v.end()); };
  table.Put(bytes(ostrand::fake::MakeTcpTable({a, b})));
  table.Put(bytes(ostrand::fake::MakeTcpTable({})));
  std::string claimsMore = bytes(ostrand::fake::MakeTcpTable({a}));
  claimsMore.replace(0, 4, Le32(1000));
  table.Put(claimsMore);
  table.Put(claimsMore.substr(0, claimsMore.size() - 5));
  table.Put(Le32(0xFFFFFFFFu) + bytes(ostrand::fake::MakeTcpTable({a})).substr(4));
  return 0;
}
