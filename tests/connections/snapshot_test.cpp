#include "connections/snapshot.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/fake/fake_host.h"
#include "platform/text.h"

namespace ostrand {
namespace {

using fake::MakeTcpTable;
using fake::PutPort;
using fake::TcpRow;

TcpRow Row(std::int32_t state, std::initializer_list<unsigned char> local, int localPort,
           std::initializer_list<unsigned char> remote, int remotePort, std::int32_t pid) {
  TcpRow row;
  row.state = state;
  std::copy(local.begin(), local.end(), row.local);
  PutPort(row.localPort, localPort);
  std::copy(remote.begin(), remote.end(), row.remote);
  PutPort(row.remotePort, remotePort);
  row.pid = pid;
  return row;
}

ConnectionSnapshot Decode(const std::vector<unsigned char>& block) {
  return DecodeTcpTable(block.data(), block.size());
}

void PutCount(std::vector<unsigned char>& block, std::int32_t count) {
  const auto v = static_cast<std::uint32_t>(count);
  for (int i = 0; i < 4; ++i)
    block[i] = static_cast<unsigned char>(v >> (8 * i));
}

TEST(DecodeTcpTable, DecodesEveryRowInTableOrder) {
  const auto block = MakeTcpTable({
      Row(5, {192, 168, 1, 20}, 51000, {93, 184, 216, 34}, 443, 4242),
      Row(2, {0, 0, 0, 0}, 135, {0, 0, 0, 0}, 0, 900),
      Row(11, {255, 255, 255, 255}, 65535, {1, 2, 3, 4}, 1, -7),
  });
  const ConnectionSnapshot snapshot = Decode(block);
  ASSERT_TRUE(snapshot.ok);
  ASSERT_EQ(snapshot.records.size(), 3u);
  const ConnectionRecord& first = snapshot.records[0];
  EXPECT_EQ(first.state, 5);
  EXPECT_EQ(first.stateText, TcpStateNames[5]);
  EXPECT_EQ(first.localEndpoint, "192.168.1.20:51000");
  EXPECT_EQ(first.remoteEndpoint, "93.184.216.34:443");
  EXPECT_EQ(first.pid, 4242);
  EXPECT_EQ(snapshot.records[1].localEndpoint, "0.0.0.0:135");
  EXPECT_EQ(snapshot.records[1].remoteEndpoint, "0.0.0.0:0");
  EXPECT_EQ(snapshot.records[2].localEndpoint, "255.255.255.255:65535");
  EXPECT_EQ(snapshot.records[2].stateText, TcpStateNames[11]);
  EXPECT_EQ(snapshot.records[2].pid, -7);
}

TEST(DecodeTcpTable, ReadsNoRowsForZeroOrNegativeCounts) {
  for (std::int32_t count : {0, -1, INT32_MIN}) {
    auto block = MakeTcpTable({Row(5, {10, 0, 0, 1}, 1, {10, 0, 0, 2}, 2, 3)});
    PutCount(block, count);
    const ConnectionSnapshot snapshot = Decode(block);
    EXPECT_TRUE(snapshot.ok) << count;
    EXPECT_TRUE(snapshot.records.empty()) << count;
  }
}

TEST(DecodeTcpTable, NeverReadsPastTheBlock) {
  // A count that claims more rows than the block holds: only whole rows that
  // are really there are decoded, and a torn last row is left out.
  auto block = MakeTcpTable({Row(5, {10, 0, 0, 1}, 1, {10, 0, 0, 2}, 2, 3),
                             Row(5, {10, 0, 0, 3}, 4, {10, 0, 0, 4}, 5, 6)});
  PutCount(block, 1000000);
  block.resize(block.size() - 1);
  // Copy into an exactly-sized heap buffer so a sanitizer sees any overread.
  std::vector<unsigned char> exact(block);
  const ConnectionSnapshot snapshot = Decode(exact);
  EXPECT_TRUE(snapshot.ok);
  ASSERT_EQ(snapshot.records.size(), 1u);
  EXPECT_EQ(snapshot.records[0].localEndpoint, "10.0.0.1:1");

  for (std::size_t size : {0, 1, 3}) {
    std::vector<unsigned char> tiny(size, 0x7F);
    EXPECT_TRUE(DecodeTcpTable(tiny.data(), tiny.size()).records.empty()) << size;
  }
  EXPECT_TRUE(DecodeTcpTable(nullptr, 0).records.empty());
}

TEST(StateTextOf, NamesStatesOneToTwelveAndUnknownOtherwise) {
  const struct {
    std::int32_t state;
    const char* utf8;
  } cases[] = {
      {1, "已关闭"},       {2, "正在监听"},     {3, "同步发送"}, {4, "同步接收"}, {5, "已建立"},
      {6, "FIN_WAIT1"},    {7, "FIN_WAIT2"},    {8, "关闭等待"}, {9, "正在关闭"}, {10, "最后确认"},
      {11, "延时等待"},    {12, "删除"},        {0, "未知"},     {13, "未知"},    {-1, "未知"},
      {INT32_MAX, "未知"}, {INT32_MIN, "未知"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GbkToUtf8(StateTextOf(c.state)), c.utf8) << c.state;
  }
  EXPECT_EQ(GbkToUtf8(TcpStateNames[0]), "未知");
}

TEST(DecodePort, TakesTheFirstTwoBytesMostSignificantFirst) {
  const struct {
    unsigned char bytes[4];
    std::int32_t port;
  } cases[] = {
      {{0x00, 0x50, 0x00, 0x00}, 80},
      {{0x01, 0xBB, 0x00, 0x00}, 443},
      {{0x00, 0x00, 0x00, 0x00}, 0},
      {{0xFF, 0xFF, 0x00, 0x00}, 65535},
      {{0x80, 0x00, 0x00, 0x00}, 32768},
      // The upper bytes may be left uninitialised by the host: ignored.
      {{0x00, 0x50, 0x01, 0x00}, 80},
      {{0xFF, 0xFF, 0xFF, 0xFF}, 65535},
      {{0x01, 0xBB, 0xCD, 0xAB}, 443},
  };
  for (const auto& c : cases) {
    std::int32_t field;
    std::memcpy(&field, c.bytes, 4);  // little-endian host, as the block is
    EXPECT_EQ(DecodePort(field), c.port) << c.port;
    const unsigned char address[4] = {10, 0, 0, 5};
    EXPECT_EQ(FormatEndpoint(address, field), "10.0.0.5:" + std::to_string(c.port));
  }
}

TEST(IsListedConnection, AppliesTheSubstringTestsInOrder) {
  const struct {
    const char* local;
    const char* remote;
    bool listed;
  } cases[] = {
      {"0.0.0.0:135", "0.0.0.0:0", false},
      {"0.0.0.0:135", "192.168.1.5:80", false},
      {"127.0.0.1:135", "192.168.1.5:80", false},
      {"127.0.0.12:631", "192.168.1.5:80", false},   // contains 127.0.0.1
      {"127.0.0.199:631", "192.168.1.5:80", false},  // contains 127.0.0.1
      {"192.168.1.2:445", "0.0.0.0:0", false},
      {"192.168.1.2:445", "10.0.0.0:443", false},  // ends in 0.0.0.0
      {"200.0.0.0:445", "192.168.1.5:80", false},
      {"127.0.0.2:631", "192.168.1.5:80", true},
      {"192.168.1.2:445", "127.0.0.1:80", true},  // the remote side is not tested for loopback
      {"127.0.0.2:40000", "127.0.0.3:8080", true},
      {"10.0.0.1:0", "10.0.0.2:1", true},
  };
  for (const auto& c : cases) {
    ConnectionRecord record;
    record.localEndpoint = c.local;
    record.remoteEndpoint = c.remote;
    EXPECT_EQ(IsListedConnection(record), c.listed) << c.local << " " << c.remote;
  }
}

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override { fake::Reset(); }
  void TearDown() override { fake::Reset(); }
};

using TakeConnectionSnapshotTest = HostTest;

TEST_F(TakeConnectionSnapshotTest, DecodesTheHostsBlock) {
  fake::SetTcpTable(0, MakeTcpTable({Row(5, {10, 0, 0, 1}, 1000, {10, 0, 0, 2}, 80, 12),
                                     Row(2, {0, 0, 0, 0}, 22, {0, 0, 0, 0}, 0, 1)}));
  const ConnectionSnapshot snapshot = TakeConnectionSnapshot();
  EXPECT_EQ(fake::TcpTableCalls(), 1);
  ASSERT_TRUE(snapshot.ok);
  ASSERT_EQ(snapshot.records.size(), 2u);
  EXPECT_EQ(snapshot.records[0].remoteEndpoint, "10.0.0.2:80");
  EXPECT_EQ(snapshot.records[1].state, 2);
}

TEST_F(TakeConnectionSnapshotTest, FailsWithNoRecordsWhenTheHostFails) {
  fake::SetTcpTable(87, MakeTcpTable({Row(5, {10, 0, 0, 1}, 1000, {10, 0, 0, 2}, 80, 12)}));
  const ConnectionSnapshot snapshot = TakeConnectionSnapshot();
  EXPECT_FALSE(snapshot.ok);
  EXPECT_TRUE(snapshot.records.empty());
}

using ProcessNameOfTest = HostTest;

TEST_F(ProcessNameOfTest, ScansAFreshListOnEveryCallWhenTheHostHasNoPerProcessAnswer) {
  fake::SetProcesses({{0, "[System Process]"}, {4, "System"}, {77, "Chrome.EXE"}, {77, "dup.exe"}},
                     false);
  EXPECT_EQ(ProcessNameOf(77), "Chrome.EXE");  // first match, case as reported
  EXPECT_EQ(ProcessNameOf(4), "System");
  EXPECT_EQ(ProcessNameOf(5), "");
  EXPECT_EQ(fake::ListProcessesCalls(), 3);
  // A process that ends between calls is missed by the next one.
  fake::SetProcesses({{4, "System"}}, false);
  EXPECT_EQ(ProcessNameOf(77), "");
}

TEST_F(ProcessNameOfTest, AsksTheHostForOneProcessWhenItCanAnswer) {
  fake::SetProcesses({{4, "System"}, {77, "\xCE\xA2\xD0\xC5.exe"}}, true);  // 微信.exe
  EXPECT_EQ(ProcessNameOf(77), "\xCE\xA2\xD0\xC5.exe");
  EXPECT_EQ(ProcessNameOf(5), "");
  EXPECT_EQ(fake::ListProcessesCalls(), 0);
}

}  // namespace
}  // namespace ostrand
