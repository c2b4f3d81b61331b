#include "platform/fake/fake_host.h"

#include <cstring>
#include <memory>

namespace ostrand::fake {

namespace {

struct State {
  std::map<std::string, std::shared_ptr<const std::string>> files;
  int openCalls = 0;
  std::map<std::string, std::string> resolver;
  int resolverCalls = 0;
  std::int32_t tableResult = 0;
  std::vector<unsigned char> table = MakeTcpTable({});
  int tableCalls = 0;
  std::vector<ProcessEntry> processes;
  bool perProcessAnswers = false;
  int listCalls = 0;
  bool terminateResult = false;
  std::vector<std::string> terminateRequests;
  std::function<int(const std::string&, const std::string&)> order;
  ScreenSize screen{1920, 1080};
};

State& S() {
  static State state;
  return state;
}

// An open fake file keeps its content alive even if the test replaces it.
struct OpenFake {
  std::shared_ptr<const std::string> content;
};

std::size_t ReadAt(void* context, std::uint64_t pos, unsigned char* out, std::size_t n) {
  const std::string& content = *static_cast<OpenFake*>(context)->content;
  if (pos >= content.size())
    return 0;
  const std::size_t take = std::min<std::size_t>(n, content.size() - pos);
  std::memcpy(out, content.data() + pos, take);
  return take;
}

void Close(void* context) {
  delete static_cast<OpenFake*>(context);
}

}  // namespace

void Reset() {
  S() = State{};
}

void SetFile(const std::string& path, std::string content) {
  S().files[path] = std::make_shared<const std::string>(std::move(content));
}
void RemoveFile(const std::string& path) {
  S().files.erase(path);
}
int OpenCalls() {
  return S().openCalls;
}

void SetResolver(std::map<std::string, std::string> answers) {
  S().resolver = std::move(answers);
}
int ResolverCalls() {
  return S().resolverCalls;
}

void SetTcpTable(std::int32_t result, std::vector<unsigned char> block) {
  S().tableResult = result;
  S().table = std::move(block);
}
int TcpTableCalls() {
  return S().tableCalls;
}

void SetProcesses(std::vector<ProcessEntry> processes, bool perProcessAnswers) {
  S().processes = std::move(processes);
  S().perProcessAnswers = perProcessAnswers;
}
int ListProcessesCalls() {
  return S().listCalls;
}

void SetTerminateResult(bool result) {
  S().terminateResult = result;
}
const std::vector<std::string>& TerminateRequests() {
  return S().terminateRequests;
}

void SetTextOrder(std::function<int(const std::string&, const std::string&)> order) {
  S().order = std::move(order);
}

void SetScreenSize(ScreenSize size) {
  S().screen = size;
}

std::vector<unsigned char> MakeTcpTable(const std::vector<TcpRow>& rows) {
  std::vector<unsigned char> block(4 + 28 * rows.size(), 0);
  auto put32 = [&block](std::size_t at, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
      block[at + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  put32(0, static_cast<std::int32_t>(rows.size()));
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const std::size_t at = 4 + 28 * k;
    put32(at, rows[k].state);
    std::memcpy(&block[at + 4], rows[k].local, 4);
    std::memcpy(&block[at + 8], rows[k].localPort, 4);
    std::memcpy(&block[at + 12], rows[k].remote, 4);
    std::memcpy(&block[at + 16], rows[k].remotePort, 4);
    put32(at + 20, rows[k].pid);
  }
  return block;
}

void PutPort(unsigned char field[4], int port) {
  field[0] = static_cast<unsigned char>((port >> 8) & 0xFF);
  field[1] = static_cast<unsigned char>(port & 0xFF);
  field[2] = 0;
  field[3] = 0;
}

TcpRow Connection(std::int32_t state, std::array<unsigned char, 4> local, int localPort,
                  std::array<unsigned char, 4> remote, int remotePort, std::int32_t pid) {
  TcpRow row;
  row.state = state;
  std::memcpy(row.local, local.data(), 4);
  PutPort(row.localPort, localPort);
  std::memcpy(row.remote, remote.data(), 4);
  PutPort(row.remotePort, remotePort);
  row.pid = pid;
  return row;
}

}  // namespace ostrand::fake

namespace ostrand {

bool OpenHostFile(const std::string& path, ByteSource& source, std::string* error) {
  ++fake::S().openCalls;
  const auto found = fake::S().files.find(path);
  if (path.empty() || found == fake::S().files.end()) {
    if (error != nullptr)
      *error = "No such file or directory";
    return false;
  }
  source = {};
  source.readAt = fake::ReadAt;
  source.close = fake::Close;
  source.context = new fake::OpenFake{found->second};
  return true;
}

std::string ResolveHostName(const std::string& name) {
  ++fake::S().resolverCalls;
  const auto found = fake::S().resolver.find(name);
  return found != fake::S().resolver.end() ? found->second : std::string();
}

std::int32_t QueryTcpTable(std::vector<unsigned char>& block) {
  ++fake::S().tableCalls;
  block = fake::S().table;
  return fake::S().tableResult;
}

std::vector<ProcessEntry> ListProcesses() {
  ++fake::S().listCalls;
  return fake::S().processes;
}

std::optional<std::string> QueryProcessName(std::int32_t pid) {
  if (!fake::S().perProcessAnswers)
    return std::nullopt;
  for (const auto& entry : fake::S().processes) {
    if (entry.pid == pid)
      return entry.name;
  }
  return std::string();
}

bool TerminateProcessByName(const std::string& name) {
  fake::S().terminateRequests.push_back(name);
  return fake::S().terminateResult;
}

int CompareTextsForUser(const std::string& a, const std::string& b) {
  if (fake::S().order)
    return fake::S().order(a, b);
  const int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

ScreenSize PrimaryScreenSize() {
  return fake::S().screen;
}

}  // namespace ostrand
