// The pieces of the Linux TCP table, exposed so that tests can compare the
// two kernel sources and check the block that they become.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ostrand::host_linux {

struct KernelSocket {
  int state = 0;                // the kernel's TCP state numbering
  unsigned char local[4] = {};  // address bytes in dotted order
  std::uint16_t localPort = 0;  // port number
  unsigned char remote[4] = {};
  std::uint16_t remotePort = 0;
  std::uint64_t inode = 0;  // 0 when no file refers to it (time-wait)
};

// Every IPv4 TCP socket through sock_diag netlink. 0, or the errno that
// refused it.
int ReadSocketsByNetlink(std::vector<KernelSocket>& sockets);

// The same from the text of /proc/net/tcp. 0, or the errno of opening it.
int ReadSocketsFromProc(std::vector<KernelSocket>& sockets);
// Parses that text; lines that do not parse are skipped.
void ParseProcNetTcp(std::string_view text, std::vector<KernelSocket>& sockets);

// The Windows numbering of a kernel state (established 5, listen 2, ...);
// 0 for a state the kernel may add later.
std::int32_t WindowsStateOf(int kernelState);

// Fills in the owning PID of every inode that the map holds: its keys are the
// wanted inodes, with values 0, and a value stays 0 when no owner can be seen.
// One walk over /proc/<pid>/fd; the lowest PID wins for a shared socket.
void FindSocketOwners(std::unordered_map<std::uint64_t, std::int32_t>& owners);

// The table block: row count, then 28-byte rows in the sockets' order.
std::vector<unsigned char> BuildTcpTable(
    const std::vector<KernelSocket>& sockets,
    const std::unordered_map<std::uint64_t, std::int32_t>& owners);

}  // namespace ostrand::host_linux
