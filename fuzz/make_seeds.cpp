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
#include "tests/support/fixture_databases.h"
#include "tests/support/qqwry_writer.h"

namespace {

namespace fs = std::filesystem;
using ostrand::testing::Le32;
using ostrand::testing::MappedDatabase;

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
  MappedDatabase sample;
  sample.bytes = ostrand::testing::SampleDatabase();
  sample.addresses = {"1.0.0.1", "1.0.2.9", "8.8.8.8", "1.0.0.1:80", "localhost", "1..0.1"};
  const std::vector<MappedDatabase> databases = {
      ostrand::testing::EveryLayoutDatabase(), sample, ostrand::testing::CountDatabase(1),
      ostrand::testing::CountDatabase(2), ostrand::testing::CountDatabase(3)};

  SeedDir lookup(root, "lookup");
  SeedDir record(root, "record");
  for (const MappedDatabase& db : databases) {
    for (const std::string& address : db.addresses)
      lookup.Put(address + "\n" + db.bytes);
    for (const std::int32_t position : db.records)
      record.Put(Le32(static_cast<std::uint32_t>(position + 4)) + db.bytes);
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
