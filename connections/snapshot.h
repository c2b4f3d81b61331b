// The host's IPv4 TCP table decoded into records, the listing rule, and the
// name of a connection's owning process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ostrand {

struct ConnectionRecord {
  std::int32_t state = 0;
  std::string stateText;
  std::string localEndpoint;
  std::string remoteEndpoint;
  std::int32_t pid = 0;
};

struct ConnectionSnapshot {
  bool ok = false;
  std::vector<ConnectionRecord> records;  // table order; empty on failure
};

// One fresh table from the host, decoded.
ConnectionSnapshot TakeConnectionSnapshot();

// Decodes a table block of known size: a row count larger than the block
// holds is cut to the whole rows that it does hold.
ConnectionSnapshot DecodeTcpTable(const unsigned char* block, std::size_t size);

// Index 0: any state outside 1..12; index s: the name of state s. GBK.
extern const char* const TcpStateNames[13];

std::string StateTextOf(std::int32_t state);
std::string FormatEndpoint(const unsigned char address[4], std::int32_t portField);
std::int32_t DecodePort(std::int32_t portField);
bool IsListedConnection(const ConnectionRecord& record);

// The executable name of the process pid, from a fresh look at the host, or
// the empty text.
std::string ProcessNameOf(std::int32_t pid);

}  // namespace ostrand
