#include "connections/snapshot.h"

#include <algorithm>

#include "platform/host.h"

namespace ostrand {

namespace {

constexpr std::size_t kRowSize = 28;

std::int32_t ReadInt32(const unsigned char* p) {
  const std::uint32_t v =
      static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
      (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  return static_cast<std::int32_t>(v);
}

bool Contains(const std::string& text, const char* pattern) {
  return text.find(pattern) != std::string::npos;
}

}  // namespace

const char* const TcpStateNames[13] = {
    "\xCE\xB4\xD6\xAA",                  // 未知
    "\xD2\xD1\xB9\xD8\xB1\xD5",          // 已关闭
    "\xD5\xFD\xD4\xDA\xBC\xE0\xCC\xFD",  // 正在监听
    "\xCD\xAC\xB2\xBD\xB7\xA2\xCB\xCD",  // 同步发送
    "\xCD\xAC\xB2\xBD\xBD\xD3\xCA\xD5",  // 同步接收
    "\xD2\xD1\xBD\xA8\xC1\xA2",          // 已建立
    "FIN_WAIT1",
    "FIN_WAIT2",
    "\xB9\xD8\xB1\xD5\xB5\xC8\xB4\xFD",  // 关闭等待
    "\xD5\xFD\xD4\xDA\xB9\xD8\xB1\xD5",  // 正在关闭
    "\xD7\xEE\xBA\xF3\xC8\xB7\xC8\xCF",  // 最后确认
    "\xD1\xD3\xCA\xB1\xB5\xC8\xB4\xFD",  // 延时等待
    "\xC9\xBE\xB3\xFD",                  // 删除
};

std::string StateTextOf(std::int32_t state) {
  return TcpStateNames[state >= 1 && state <= 12 ? state : 0];
}

std::int32_t DecodePort(std::int32_t portField) {
  // The port is the field's first two bytes, most significant first. The
  // upper two bytes may hold whatever the host left there, so they are
  // ignored rather than folded into the value.
  const auto v = static_cast<std::uint32_t>(portField);
  return static_cast<std::int32_t>(((v & 0xFFu) << 8) | ((v >> 8) & 0xFFu));
}

std::string FormatEndpoint(const unsigned char address[4], std::int32_t portField) {
  std::string text;
  text.reserve(21);
  for (int i = 0; i < 4; ++i) {
    if (i > 0)
      text += '.';
    text += std::to_string(address[i]);
  }
  text += ':';
  text += std::to_string(DecodePort(portField));
  return text;
}

bool IsListedConnection(const ConnectionRecord& record) {
  // Substring tests on the whole endpoint texts, port included, in this
  // order; the first that finds its pattern decides.
  if (Contains(record.localEndpoint, "0.0.0.0"))
    return false;
  if (Contains(record.localEndpoint, "127.0.0.1"))
    return false;
  if (Contains(record.remoteEndpoint, "0.0.0.0"))
    return false;
  return true;
}

ConnectionSnapshot DecodeTcpTable(const unsigned char* block, std::size_t size) {
  ConnectionSnapshot snapshot;
  snapshot.ok = true;
  if (block == nullptr || size < 4)
    return snapshot;
  const std::int32_t count = ReadInt32(block);
  if (count <= 0)
    return snapshot;
  // Never trust the count beyond the bytes that were handed over.
  const std::size_t fits = (size - 4) / kRowSize;
  const std::size_t rows = std::min<std::size_t>(static_cast<std::size_t>(count), fits);
  snapshot.records.reserve(rows);
  for (std::size_t k = 0; k < rows; ++k) {
    const unsigned char* row = block + 4 + kRowSize * k;
    ConnectionRecord record;
    record.state = ReadInt32(row);
    record.stateText = StateTextOf(record.state);
    record.localEndpoint = FormatEndpoint(row + 4, ReadInt32(row + 8));
    record.remoteEndpoint = FormatEndpoint(row + 12, ReadInt32(row + 16));
    record.pid = ReadInt32(row + 20);
    snapshot.records.push_back(std::move(record));
  }
  return snapshot;
}

ConnectionSnapshot TakeConnectionSnapshot() {
  std::vector<unsigned char> block;
  if (QueryTcpTable(block) != 0)
    return ConnectionSnapshot{};
  return DecodeTcpTable(block.data(), block.size());
}

std::string ProcessNameOf(std::int32_t pid) {
  if (std::optional<std::string> name = QueryProcessName(pid))
    return std::move(*name);
  // No per-process answer from this host: scan a fresh list, first match wins.
  for (auto& entry : ListProcesses()) {
    if (entry.pid == pid)
      return std::move(entry.name);
  }
  return std::string();
}

}  // namespace ostrand
