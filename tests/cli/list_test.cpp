// `ostrand-cli list` end to end against the live kernel. The test's own
// connections run between 127.0.0.2 and 127.0.0.3 only.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/linux/processes.h"
#include "tests/support/qqwry_writer.h"
#include "tests/support/run_command.h"

extern char** environ;

namespace ostrand {
namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;
using testing::Ip;
using testing::QqwryWriter;
using testing::RunCommand;

int BoundSocket(const char* address, int flags = SOCK_CLOEXEC) {
  const int fd = socket(AF_INET, SOCK_STREAM | flags, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  inet_pton(AF_INET, address, &sa.sin_addr);
  EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
  return fd;
}

std::string EndpointOf(int fd) {
  sockaddr_in sa{};
  socklen_t length = sizeof sa;
  getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &length);
  char text[INET_ADDRSTRLEN];
  inet_ntop(AF_INET, &sa.sin_addr, text, sizeof text);
  return std::string(text) + ":" + std::to_string(ntohs(sa.sin_port));
}

// A listener on 127.0.0.3 and connections to it from 127.0.0.2.
class Loopback {
 public:
  Loopback() {
    listener_ = BoundSocket("127.0.0.3");
    EXPECT_EQ(listen(listener_, 64), 0);
  }
  ~Loopback() {
    for (int fd : fds_)
      close(fd);
    close(listener_);
  }
  std::string ListenEndpoint() const { return EndpointOf(listener_); }
  // Connects once; returns the client's socket (the accepted side is kept).
  int Connect(int clientFlags = SOCK_CLOEXEC) {
    const int client = BoundSocket("127.0.0.2", clientFlags);
    sockaddr_in to{};
    socklen_t length = sizeof to;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&to), &length);
    EXPECT_EQ(connect(client, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    fds_.push_back(accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC));
    fds_.push_back(client);
    return client;
  }

 private:
  int listener_ = -1;
  std::vector<int> fds_;
};

// Terminal columns of a UTF-8 text: three-byte characters (CJK here) are
// two wide.
std::size_t Columns(const std::string& text) {
  std::size_t columns = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0xE0) {
      columns += 2;
      i += 2;
    } else if (c < 0x80) {
      columns += 1;
    }
  }
  return columns;
}

class ListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("ostrand-list-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    // 127.0.0.0/8: 本机 + 回环 (GBK), which the reader joins with a space
    QqwryWriter w;
    w.Range(Ip(0, 0, 0, 0), w.DirectRecord(Ip(126, 255, 255, 255), "before", ""));
    w.Range(Ip(127, 0, 0, 0),
            w.DirectRecord(Ip(127, 255, 255, 255), "\xB1\xBE\xBB\xFA", "\xBB\xD8\xBB\xB7"));
    w.Range(Ip(128, 0, 0, 0), w.DirectRecord(Ip(255, 255, 255, 255), "after", ""));
    db_ = (dir_ / "QQWry.dat").string();
    std::ofstream(db_, std::ios::binary) << w.Finish();
    ASSERT_TRUE(host_linux::ProcessNameUtf8(getpid(), selfName_));
  }
  void TearDown() override { fs::remove_all(dir_); }

  json ListJson(std::vector<std::string> extra = {}) {
    std::vector<std::string> argv = {OSTRAND_CLI, "list", "--format", "json", "--db", db_};
    argv.insert(argv.end(), extra.begin(), extra.end());
    const auto r = RunCommand(argv);
    EXPECT_EQ(r.exitStatus, 0) << r.err;
    EXPECT_EQ(r.err, "");
    return json::parse(r.out);
  }

  static const json* Find(const json& rows, const std::string& local, const std::string& remote) {
    for (const auto& row : rows) {
      if (row["local"] == local && row["remote"] == remote)
        return &row;
    }
    return nullptr;
  }

  fs::path dir_;
  std::string db_;
  std::string selfName_;
};

TEST_F(ListTest, JsonHoldsTheTestsOwnConnections) {
  Loopback loopback;
  const std::string client = EndpointOf(loopback.Connect());
  const std::string server = loopback.ListenEndpoint();
  const json rows = ListJson();
  ASSERT_TRUE(rows.is_array());
  for (const auto& [local, remote] : {std::pair{client, server}, std::pair{server, client}}) {
    const json* row = Find(rows, local, remote);
    ASSERT_NE(row, nullptr) << local << " -> " << remote << "\n" << rows.dump(1);
    EXPECT_EQ((*row)["process"], selfName_);
    EXPECT_EQ((*row)["pid"], getpid());
    EXPECT_TRUE((*row)["pid"].is_number());
    EXPECT_EQ((*row)["state"], "已建立");
    EXPECT_EQ((*row)["location"], "本机 回环");
  }
  // The listening socket is left out, as the window leaves it out.
  EXPECT_EQ(Find(rows, server, "0.0.0.0:0"), nullptr);
}

TEST_F(ListTest, AllAddsTheListeningSockets) {
  Loopback loopback;
  const json rows = ListJson({"--all"});
  const json* row = Find(rows, loopback.ListenEndpoint(), "0.0.0.0:0");
  ASSERT_NE(row, nullptr);
  EXPECT_EQ((*row)["state"], "正在监听");
  EXPECT_EQ((*row)["pid"], getpid());
  EXPECT_EQ((*row)["location"], "before");
}

TEST_F(ListTest, NamesTheChildThatOwnsAConnectionAndKeepsEachRowOnOneLine) {
  // A copy of sleep with a TAB and a newline in its name owns one socket.
  const std::string name = "odd\tname\n" + std::to_string(getpid());
  const fs::path program = dir_ / name;
  fs::copy_file("/bin/sleep", program);
  Loopback loopback;
  const int inherited = loopback.Connect(0);
  const std::string client = EndpointOf(inherited);
  pid_t child = 0;
  char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("30"), nullptr};
  ASSERT_EQ(posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, environ), 0);
  close(inherited);  // the child is now the socket's only owner
  std::string childName;
  for (int i = 0; i < 200 && childName != name; ++i) {
    usleep(10000);
    host_linux::ProcessNameUtf8(child, childName);
  }

  const json rows = ListJson();
  const json* row = Find(rows, client, loopback.ListenEndpoint());
  ASSERT_NE(row, nullptr);
  EXPECT_EQ((*row)["process"], name);
  EXPECT_EQ((*row)["pid"], child);

  const auto tsv = RunCommand({OSTRAND_CLI, "list", "--format", "tsv", "--db", db_});
  EXPECT_EQ(tsv.exitStatus, 0) << tsv.err;
  std::istringstream lines(tsv.out);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, "进程\t本地IP_端口\t远程IP_端口\t远程服务器\t状态\tPID");
  const std::string expected = "odd name " + std::to_string(getpid()) + "\t" + client + "\t" +
                               loopback.ListenEndpoint() + "\t本机 回环\t已建立\t" +
                               std::to_string(child);
  bool seen = false;
  while (std::getline(lines, line)) {
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 5) << line;
    seen = seen || line == expected;
  }
  EXPECT_TRUE(seen) << tsv.out;

  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
}

TEST_F(ListTest, RawAndTableFormats) {
  Loopback loopback;
  const std::string client = EndpointOf(loopback.Connect());
  const auto raw = RunCommand({OSTRAND_CLI, "list", "--format", "tsv", "--raw", "--db", db_});
  EXPECT_EQ(raw.exitStatus, 0) << raw.err;
  // GBK titles; the row's location and state as stored.
  EXPECT_EQ(raw.out.rfind("\xBD\xF8\xB3\xCC\t", 0), 0u);
  EXPECT_NE(raw.out.find("\t" + client + "\t" + loopback.ListenEndpoint() +
                         "\t\xB1\xBE\xBB\xFA \xBB\xD8\xBB\xB7\t\xD2\xD1\xBD\xA8\xC1\xA2\t"),
            std::string::npos);

  const auto table = RunCommand({OSTRAND_CLI, "list", "--db", db_});
  EXPECT_EQ(table.exitStatus, 0) << table.err;
  std::istringstream lines(table.out);
  std::string header;
  std::getline(lines, header);
  ASSERT_EQ(header.rfind("进程", 0), 0u);
  // Columns line up in terminal columns, Chinese characters two wide: each
  // row's local endpoint starts under its title.
  const std::size_t titleColumn = Columns(header.substr(0, header.find("本地IP_端口")));
  bool seen = false;
  for (std::string line; std::getline(lines, line);) {
    const std::size_t at = line.find(client + "  " + loopback.ListenEndpoint());
    if (at == std::string::npos)
      continue;
    seen = true;
    EXPECT_EQ(Columns(line.substr(0, at)), titleColumn) << header << "\n" << line;
    EXPECT_EQ(line.rfind(selfName_, 0), 0u) << line;
  }
  EXPECT_TRUE(seen) << table.out;
}

TEST_F(ListTest, MissingDefaultDatabaseLeavesLocationsEmptyWithOneNotice) {
  Loopback loopback;
  const std::string client = EndpointOf(loopback.Connect());
  fs::remove(db_);
  const auto r = RunCommand({OSTRAND_CLI, "list", "--format", "json"}, "", dir_.string());
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_NE(r.err.find("QQWry.dat"), std::string::npos);
  const json rows = json::parse(r.out);
  const json* row = Find(rows, client, loopback.ListenEndpoint());
  ASSERT_NE(row, nullptr);
  EXPECT_EQ((*row)["location"], "");
  EXPECT_EQ((*row)["state"], "已建立");
}

TEST_F(ListTest, RefusesBadDatabasesAndOptions) {
  const std::string missing = (dir_ / "nowhere.dat").string();
  const struct {
    std::vector<std::string> args;
    int status;
    std::string inMessage;
  } cases[] = {
      {{"--db", missing}, 1, missing},
      {{"--db", dir_.string()}, 1, dir_.string()},
      {{"--format", "json", "--raw"}, 2, "--raw"},
      {{"--format", "xml"}, 2, "xml"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv = {OSTRAND_CLI, "list"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const auto r = RunCommand(argv);
    EXPECT_EQ(r.exitStatus, c.status) << c.args[0] << " " << c.args[1];
    EXPECT_NE(r.err.find(c.inMessage), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

TEST_F(ListTest, EndsQuietlyWhenTheReaderHasGone) {
  Loopback loopback;
  for (int i = 0; i < 20; ++i)
    loopback.Connect();
  int out[2];
  ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
  int err[2];
  ASSERT_EQ(pipe2(err, O_CLOEXEC), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  const std::string cli = OSTRAND_CLI;
  char* argv[] = {const_cast<char*>(cli.c_str()), const_cast<char*>("list"),
                  const_cast<char*>("--all"),     const_cast<char*>("--db"),
                  const_cast<char*>(db_.c_str()), nullptr};
  pid_t child = 0;
  close(out[0]);  // nobody will ever read
  ASSERT_EQ(posix_spawn(&child, argv[0], &actions, nullptr, argv, environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err[1]);
  std::string errors;
  char buffer[4096];
  for (ssize_t got; (got = read(err[0], buffer, sizeof buffer)) > 0;)
    errors.append(buffer, static_cast<std::size_t>(got));
  close(err[0]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(errors, "");
}

}  // namespace
}  // namespace ostrand
