// Host operations: what the core asks of the operating system.
//
// Each build links exactly one implementation of these declarations:
// platform/linux/, platform/win32/ or platform/fake/ (in memory, for tests).
// Texts are GBK byte strings, as everywhere inside the program; an
// implementation converts at its own edge.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ostrand {

// ---- Files ------------------------------------------------------------------

// One readable file as the database reader sees it. Reads are positional
// (`readAt`), so the reader keeps its own position and a host file is never
// seeked. A source whose whole content lies in memory sets `bytes` and `size`
// instead and leaves `readAt` empty. A host file may give its size at open in
// `size` as a hint; its reads alone say where it ends.
struct ByteSource {
  // Copies up to n bytes from absolute offset pos into out and returns how
  // many it copied; fewer than n only at the end of the file, 0 past it.
  std::size_t (*readAt)(void* context, std::uint64_t pos, unsigned char* out,
                        std::size_t n) = nullptr;
  void (*close)(void* context) = nullptr;
  void* context = nullptr;
  const unsigned char* bytes = nullptr;
  std::uint64_t size = 0;
};

// Opens an existing regular file for reading only, while other processes may
// keep reading and writing it. False when the path is empty, names no regular
// file, or cannot be opened; `error`, when given, then receives the reason.
bool OpenHostFile(const std::string& path, ByteSource& source, std::string* error = nullptr);

// Dotted text of the first IPv4 address the system resolver gives for name,
// or the empty text when resolution fails. A name that cannot be a DNS name
// (platform/host_names.h) fails without asking the system.
std::string ResolveHostName(const std::string& name);

// ---- Connections and processes ----------------------------------------------

// The host's IPv4 TCP table as one block: a signed 32-bit row count, then
// 28-byte rows (state, local address, local port field, remote address,
// remote port field, owning PID, offload state), all little-endian. Returns
// 0 on success and the host's own failure code otherwise; `block` then holds
// exactly the bytes that the host handed back.
std::int32_t QueryTcpTable(std::vector<unsigned char>& block);

struct ProcessEntry {
  std::int32_t pid = 0;
  std::string name;  // executable file name, GBK
};

// Every process of a fresh snapshot, in the host's snapshot order; empty when
// no snapshot can be taken.
std::vector<ProcessEntry> ListProcesses();

// What a fresh ListProcesses() would give as the name of pid (the empty text
// when no process has it), asked of the host for that one process. nullopt
// when the host has no per-process answer, so the caller scans a fresh list.
std::optional<std::string> QueryProcessName(std::int32_t pid);

// Ends a process of that executable name; true exactly when one was ended.
bool TerminateProcessByName(const std::string& name);

// Orders two texts under the user's locale: negative, 0 or positive.
int CompareTextsForUser(const std::string& a, const std::string& b);

struct ScreenSize {
  int width = 0;
  int height = 0;
};
ScreenSize PrimaryScreenSize();

}  // namespace ostrand
