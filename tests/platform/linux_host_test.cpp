// The Linux host against the live kernel. Sockets use 127.0.0.2 and
// 127.0.0.3 only, so nothing leaves the machine and nothing collides with
// services on 127.0.0.1.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "connections/snapshot.h"
#include "platform/host.h"
#include "platform/linux/processes.h"
#include "platform/linux/tcp_table.h"
#include "platform/text.h"

extern char** environ;

namespace ostrand {
namespace {

namespace fs = std::filesystem;

// ---- Sockets -----------------------------------------------------------------

int BoundSocket(const char* address, int port = 0) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  EXPECT_GE(fd, 0);
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<std::uint16_t>(port));
  inet_pton(AF_INET, address, &sa.sin_addr);
  EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0) << address;
  return fd;
}

int PortOf(int fd) {
  sockaddr_in sa{};
  socklen_t length = sizeof sa;
  getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &length);
  return ntohs(sa.sin_port);
}

// A listener on 127.0.0.3 with one accepted connection from 127.0.0.2.
struct LoopbackPair {
  int listener = -1;
  int client = -1;
  int server = -1;
  int listenPort = 0;
  int clientPort = 0;

  LoopbackPair() {
    listener = BoundSocket("127.0.0.3");
    EXPECT_EQ(listen(listener, 8), 0);
    listenPort = PortOf(listener);
    client = BoundSocket("127.0.0.2");
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(listenPort));
    inet_pton(AF_INET, "127.0.0.3", &to.sin_addr);
    EXPECT_EQ(connect(client, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    clientPort = PortOf(client);
    server = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    EXPECT_GE(server, 0);
  }
  ~LoopbackPair() {
    for (int fd : {listener, client, server}) {
      if (fd >= 0)
        close(fd);
    }
  }
  std::string ListenEndpoint() const { return "127.0.0.3:" + std::to_string(listenPort); }
  std::string ClientEndpoint() const { return "127.0.0.2:" + std::to_string(clientPort); }
};

const ConnectionRecord* Find(const ConnectionSnapshot& snapshot, const std::string& local,
                             const std::string& remote) {
  for (const auto& record : snapshot.records) {
    if (record.localEndpoint == local && record.remoteEndpoint == remote)
      return &record;
  }
  return nullptr;
}

TEST(LinuxTcpTable, HoldsThisProcesssLoopbackSocketsWithStateAndPid) {
  LoopbackPair pair;
  const ConnectionSnapshot snapshot = TakeConnectionSnapshot();
  ASSERT_TRUE(snapshot.ok);
  const std::int32_t self = getpid();

  const ConnectionRecord* listening = Find(snapshot, pair.ListenEndpoint(), "0.0.0.0:0");
  ASSERT_NE(listening, nullptr);
  EXPECT_EQ(listening->state, 2);
  EXPECT_EQ(listening->pid, self);
  EXPECT_FALSE(IsListedConnection(*listening));

  const ConnectionRecord* outgoing = Find(snapshot, pair.ClientEndpoint(), pair.ListenEndpoint());
  ASSERT_NE(outgoing, nullptr);
  EXPECT_EQ(outgoing->state, 5);
  EXPECT_EQ(outgoing->stateText, StateTextOf(5));
  EXPECT_EQ(outgoing->pid, self);
  EXPECT_TRUE(IsListedConnection(*outgoing));

  const ConnectionRecord* incoming = Find(snapshot, pair.ListenEndpoint(), pair.ClientEndpoint());
  ASSERT_NE(incoming, nullptr);
  EXPECT_EQ(incoming->state, 5);
  EXPECT_EQ(incoming->pid, self);
}

TEST(LinuxTcpTable, ShowsClosingStatesAndNoOwnerForTimeWait) {
  LoopbackPair pair;
  // The client closes first: it waits in FIN_WAIT2, the server in CLOSE_WAIT.
  shutdown(pair.client, SHUT_WR);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ConnectionSnapshot snapshot = TakeConnectionSnapshot();
  const ConnectionRecord* finWait = Find(snapshot, pair.ClientEndpoint(), pair.ListenEndpoint());
  const ConnectionRecord* closeWait = Find(snapshot, pair.ListenEndpoint(), pair.ClientEndpoint());
  ASSERT_NE(finWait, nullptr);
  ASSERT_NE(closeWait, nullptr);
  EXPECT_EQ(finWait->state, 7);
  EXPECT_EQ(closeWait->state, 8);
  EXPECT_EQ(closeWait->pid, getpid());

  // Both closed: the side that closed first lingers in TIME_WAIT with no
  // file, so no process owns it.
  close(pair.client);
  pair.client = -1;
  close(pair.server);
  pair.server = -1;
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  snapshot = TakeConnectionSnapshot();
  const ConnectionRecord* timeWait = Find(snapshot, pair.ClientEndpoint(), pair.ListenEndpoint());
  ASSERT_NE(timeWait, nullptr);
  EXPECT_EQ(timeWait->state, 11);
  EXPECT_EQ(timeWait->pid, 0);
}

TEST(LinuxTcpTable, NetlinkAndProcTextAgree) {
  LoopbackPair pair;
  std::vector<host_linux::KernelSocket> byNetlink;
  std::vector<host_linux::KernelSocket> byProc;
  ASSERT_EQ(host_linux::ReadSocketsByNetlink(byNetlink), 0);
  ASSERT_EQ(host_linux::ReadSocketsFromProc(byProc), 0);
  auto find = [&](const std::vector<host_linux::KernelSocket>& sockets, int localPort,
                  int remotePort) -> const host_linux::KernelSocket* {
    for (const auto& s : sockets) {
      if (s.localPort == localPort && s.remotePort == remotePort && s.local[0] == 127)
        return &s;
    }
    return nullptr;
  };
  for (const auto& [local, remote] :
       {std::pair{pair.clientPort, pair.listenPort}, std::pair{pair.listenPort, pair.clientPort},
        std::pair{pair.listenPort, 0}}) {
    const auto* a = find(byNetlink, local, remote);
    const auto* b = find(byProc, local, remote);
    ASSERT_NE(a, nullptr) << local << " " << remote;
    ASSERT_NE(b, nullptr) << local << " " << remote;
    EXPECT_EQ(a->state, b->state);
    EXPECT_EQ(0, std::memcmp(a->local, b->local, 4));
    EXPECT_EQ(0, std::memcmp(a->remote, b->remote, 4));
    EXPECT_EQ(a->inode, b->inode);
    EXPECT_NE(a->inode, 0u);
  }
}

TEST(LinuxTcpTable, ParsesProcTextAndSkipsWhatItDoesNotKnow) {
  const char text[] =
      "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  "
      "timeout inode\n"
      "   0: 0300007F:1F90 00000000:0000 0A 00000000:00000000 00:00000000 00000000     0        "
      "0 123456 1 0000000000000000 100 0 0 10 0\n"
      "   1: 0200007F:9C40 0300007F:1F90 06 00000000:00000000 03:00000F9F 00000000     0        "
      "0 0 3 0000000000000000\n"
      "   2: garbage\n"
      "   3: 0200007F:9C40 0300007F:1F90 01 00000000:00000000 00:00000000 00000000     0        "
      "0 12x 1\n";
  std::vector<host_linux::KernelSocket> sockets;
  host_linux::ParseProcNetTcp(text, sockets);
  ASSERT_EQ(sockets.size(), 2u);
  const unsigned char listenAddress[4] = {127, 0, 0, 3};
  EXPECT_EQ(0, std::memcmp(sockets[0].local, listenAddress, 4));
  EXPECT_EQ(sockets[0].localPort, 8080);
  EXPECT_EQ(sockets[0].remotePort, 0);
  EXPECT_EQ(sockets[0].state, 10);
  EXPECT_EQ(sockets[0].inode, 123456u);
  EXPECT_EQ(sockets[1].localPort, 40000);
  EXPECT_EQ(sockets[1].state, 6);
  EXPECT_EQ(sockets[1].inode, 0u);

  // In the block: Windows state numbers, ports in network order, owners by inode.
  const auto block = host_linux::BuildTcpTable(sockets, {{123456u, 4321}});
  const ConnectionSnapshot snapshot = DecodeTcpTable(block.data(), block.size());
  ASSERT_EQ(snapshot.records.size(), 2u);
  EXPECT_EQ(snapshot.records[0].localEndpoint, "127.0.0.3:8080");
  EXPECT_EQ(snapshot.records[0].state, 2);
  EXPECT_EQ(snapshot.records[0].pid, 4321);
  EXPECT_EQ(snapshot.records[1].remoteEndpoint, "127.0.0.3:8080");
  EXPECT_EQ(snapshot.records[1].state, 11);
  EXPECT_EQ(snapshot.records[1].pid, 0);
}

// ---- Processes ---------------------------------------------------------------

// A copy of /bin/sleep under a name of the test's choosing, run as a child.
class NamedChild {
 public:
  explicit NamedChild(const std::string& name) {
    dir_ = fs::temp_directory_path() / ("ostrand-test-" + std::to_string(getpid()));
    fs::create_directories(dir_);
    path_ = dir_ / name;
    fs::copy_file("/bin/sleep", path_, fs::copy_options::overwrite_existing);
    fs::permissions(path_, fs::perms::owner_all);
    const std::string file = path_.string();
    char* argv[] = {const_cast<char*>(file.c_str()), const_cast<char*>("30"), nullptr};
    EXPECT_EQ(posix_spawn(&pid_, file.c_str(), nullptr, nullptr, argv, environ), 0);
  }
  ~NamedChild() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  pid_t pid() const { return pid_; }
  const fs::path& path() const { return path_; }
  // The child's wait status once it has ended.
  int Reap() {
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return status;
  }

 private:
  fs::path dir_;
  fs::path path_;
  pid_t pid_ = -1;
};

// Polls until the condition holds: a spawned child needs a moment to exec.
bool Eventually(const std::function<bool()>& condition) {
  for (int i = 0; i < 200; ++i) {
    if (condition())
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

std::string UniqueName(const std::string& stem) {
  return stem + "-" + std::to_string(getpid()) + "-" +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count() % 1000000);
}

TEST(LinuxProcesses, NamesAChildByItsExecutableFileName) {
  const std::string name = UniqueName("ostrand-child");
  NamedChild child(name);
  ASSERT_TRUE(Eventually([&] { return ProcessNameOf(child.pid()) == name; }))
      << ProcessNameOf(child.pid());

  const auto processes = ListProcesses();
  EXPECT_TRUE(std::is_sorted(processes.begin(), processes.end(),
                             [](const auto& a, const auto& b) { return a.pid < b.pid; }));
  const auto entry = std::find_if(processes.begin(), processes.end(),
                                  [&](const ProcessEntry& p) { return p.pid == child.pid(); });
  ASSERT_NE(entry, processes.end());
  EXPECT_EQ(entry->name, name);
  EXPECT_EQ(QueryProcessName(child.pid()), std::optional<std::string>(name));
}

TEST(LinuxProcesses, ConvertsNamesToGbkAndDropsTheDeletedMark) {
  const std::string name = UniqueName("测试进程");  // not ASCII: arrives as GBK
  NamedChild child(name);
  const std::string gbk = Utf8ToGbk(name);
  ASSERT_NE(gbk, name);
  ASSERT_TRUE(Eventually([&] { return ProcessNameOf(child.pid()) == gbk; }));
  // The kernel marks a removed executable " (deleted)"; the name stays the file's.
  fs::remove(child.path());
  EXPECT_EQ(ProcessNameOf(child.pid()), gbk);
}

TEST(LinuxProcesses, KnowsNoNameForAThreadIdOrAnUnusedPid) {
  std::string ownName;
  ASSERT_TRUE(host_linux::ProcessNameUtf8(getpid(), ownName));
  EXPECT_EQ(ProcessNameOf(getpid()), Utf8ToGbk(ownName));

  // /proc answers for a thread's id too, but a process list holds none.
  pid_t threadId = 0;
  bool stop = false;
  std::thread worker([&] {
    threadId = static_cast<pid_t>(syscall(SYS_gettid));
    while (!__atomic_load_n(&stop, __ATOMIC_SEQ_CST))
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  ASSERT_TRUE(Eventually([&] { return __atomic_load_n(&threadId, __ATOMIC_SEQ_CST) != 0; }));
  EXPECT_EQ(ProcessNameOf(threadId), "");
  __atomic_store_n(&stop, true, __ATOMIC_SEQ_CST);
  worker.join();

  for (std::int32_t pid : {0, -1, 0x7FFFFFFF})
    EXPECT_EQ(ProcessNameOf(pid), "") << pid;
}

TEST(LinuxProcesses, TerminatesTheChildByNameIgnoringAsciiCase) {
  const std::string name = UniqueName("Ostrand-Victim");
  NamedChild child(name);
  ASSERT_TRUE(Eventually([&] { return ProcessNameOf(child.pid()) == name; }));
  std::string shouted = name;
  std::transform(shouted.begin(), shouted.end(), shouted.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  EXPECT_TRUE(TerminateProcessByName(shouted));
  const int status = child.Reap();
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGKILL);
}

TEST(LinuxProcesses, TerminatesNothingForAnUnknownOrEmptyName) {
  EXPECT_FALSE(TerminateProcessByName(UniqueName("no-such-process-ostrand")));
  EXPECT_FALSE(TerminateProcessByName(""));
}

TEST(LinuxProcesses, ComparesNamesOnWholeCharacters) {
  const struct {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"Chrome.EXE", "chrome.exe", true},
      {"chrome.exe", "chrome.ex", false},
      {"a-b_1.exe", "A-B_1.EXE", true},
      {"\xD6\xD0\xCE\xC4.exe", "\xD6\xD0\xCE\xC4.EXE", true},  // 中文.exe
      // A GBK trail byte in the ASCII letter range is no letter.
      {"\x81\x40", "\x81\x40", true},
      {"\x81\x41", "\x81\x61", false},
      {"\x81\x5A", "\x81\x7A", false},
      {"@", "`", false},  // neighbours of the letter ranges are not folded
  };
  for (const auto& c : cases)
    EXPECT_EQ(host_linux::SameNameIgnoringAsciiCase(c.a, c.b), c.same) << c.a << " " << c.b;
}

// ---- Text order ----------------------------------------------------------------

// The order is taken from the environment once per process, so each locale
// is tried in a child of its own. Returns -1, 0, 1, or 2 when the locale is
// not installed.
int CompareUnderLocale(const char* locale, const std::string& a, const std::string& b) {
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("LC_ALL", locale, 1);
    if (newlocale(LC_COLLATE_MASK, locale, static_cast<locale_t>(0)) == static_cast<locale_t>(0))
      _exit(3);
    _exit(CompareTextsForUser(a, b) + 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) - 1 : 99;
}

TEST(LinuxTextOrder, ComparesTheTextsAsCharactersNotGbkBytes) {
  const std::string yi = "\xD2\xBB";  // 一 U+4E00
  const std::string a = "\xB0\xA1";   // 啊 U+554A
  // GBK bytes put 啊 first; the characters' own order puts 一 first.
  EXPECT_EQ(CompareUnderLocale("C.UTF-8", yi, a), -1);
  EXPECT_EQ(CompareUnderLocale("C.UTF-8", a, yi), 1);
  EXPECT_EQ(CompareUnderLocale("C.UTF-8", a, a), 0);
  EXPECT_EQ(CompareUnderLocale("C.UTF-8", "B", "a"), -1);
}

TEST(LinuxTextOrder, FollowsTheUsersLocale) {
  // en_US sorts letters before case; pinyin puts 啊 (a) before 一 (yi).
  const int english = CompareUnderLocale("en_US.UTF-8", "B", "a");
  const int chinese = CompareUnderLocale("zh_CN.UTF-8", "\xB0\xA1", "\xD2\xBB");
  if (english == 2 && chinese == 2)
    GTEST_SKIP() << "neither en_US.UTF-8 nor zh_CN.UTF-8 is installed";
  if (english != 2) {
    EXPECT_EQ(english, 1);
  }
  if (chinese != 2) {
    EXPECT_EQ(chinese, -1);
  }
}

}  // namespace
}  // namespace ostrand
