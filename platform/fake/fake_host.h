// Controls for the in-memory host that tests link instead of the system's.
// Every host operation answers from what a test put here; nothing touches
// the real machine.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/host.h"

namespace ostrand::fake {

// Restores the empty host: no files, no table, no processes, resolver fails.
void Reset();

// A file that OpenHostFile opens under exactly this path.
void SetFile(const std::string& path, std::string content);
void RemoveFile(const std::string& path);
// How many times OpenHostFile was asked, for any path.
int OpenCalls();

// What ResolveHostName answers; names not in the map fail. Each call is counted.
void SetResolver(std::map<std::string, std::string> answers);
int ResolverCalls();

// What QueryTcpTable hands back.
void SetTcpTable(std::int32_t result, std::vector<unsigned char> block);
int TcpTableCalls();

// The process list. With perProcessAnswers, QueryProcessName answers from
// it; otherwise it has no per-process answer and callers scan ListProcesses.
void SetProcesses(std::vector<ProcessEntry> processes, bool perProcessAnswers = false);
int ListProcessesCalls();

// TerminateProcessByName records each name and answers with `result`.
void SetTerminateResult(bool result);
const std::vector<std::string>& TerminateRequests();

// CompareTextsForUser: byte order unless a test supplies an order.
void SetTextOrder(std::function<int(const std::string&, const std::string&)> order);

void SetScreenSize(ScreenSize size);

// Builds a table block: count, then 28-byte rows, as the host lays it out.
struct TcpRow {
  std::int32_t state = 0;
  unsigned char local[4] = {};
  unsigned char localPort[4] = {};
  unsigned char remote[4] = {};
  unsigned char remotePort[4] = {};
  std::int32_t pid = 0;
};
std::vector<unsigned char> MakeTcpTable(const std::vector<TcpRow>& rows);
// A port field as the host stores it: network byte order in the first two bytes.
void PutPort(unsigned char field[4], int port);
// One row of the table from its parts, ports as numbers.
TcpRow Connection(std::int32_t state, std::array<unsigned char, 4> local, int localPort,
                  std::array<unsigned char, 4> remote, int remotePort, std::int32_t pid);

}  // namespace ostrand::fake
