#include "platform/linux/tcp_table.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <charconv>
#include <string>

#include "platform/host.h"

namespace ostrand {
namespace host_linux {

namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0)
      close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

void PutInt32(unsigned char* at, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i)
    at[i] = static_cast<unsigned char>(v >> (8 * i));
}

void PutPortField(unsigned char* at, std::uint16_t port) {
  at[0] = static_cast<unsigned char>(port >> 8);
  at[1] = static_cast<unsigned char>(port & 0xFF);
  at[2] = 0;
  at[3] = 0;
}

bool ParseHex(std::string_view text, std::uint64_t& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  return ec == std::errc() && end == text.data() + text.size();
}

bool ParseDecimal(std::string_view text, std::uint64_t& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
  return ec == std::errc() && end == text.data() + text.size();
}

// "0100007F:0050": the address as the kernel's in-memory 32-bit value in
// host order, then the port number.
bool ParseEndpoint(std::string_view text, unsigned char address[4], std::uint16_t& port) {
  const std::size_t colon = text.find(':');
  std::uint64_t a = 0;
  std::uint64_t p = 0;
  if (colon != 8 || !ParseHex(text.substr(0, 8), a) || !ParseHex(text.substr(9), p) || p > 0xFFFF)
    return false;
  const auto raw = static_cast<std::uint32_t>(a);
  std::memcpy(address, &raw, 4);
  port = static_cast<std::uint16_t>(p);
  return true;
}

}  // namespace

std::int32_t WindowsStateOf(int kernelState) {
  switch (kernelState) {
    case TCP_ESTABLISHED:
      return 5;
    case TCP_SYN_SENT:
      return 3;
    case TCP_SYN_RECV:
      return 4;
    case TCP_FIN_WAIT1:
      return 6;
    case TCP_FIN_WAIT2:
      return 7;
    case TCP_TIME_WAIT:
      return 11;
    case TCP_CLOSE:
      return 1;
    case TCP_CLOSE_WAIT:
      return 8;
    case TCP_LAST_ACK:
      return 10;
    case TCP_LISTEN:
      return 2;
    case TCP_CLOSING:
      return 9;
    case 12:
      return 4;  // TCP_NEW_SYN_RECV: a request socket, half open
    default:
      return 0;
  }
}

int ReadSocketsByNetlink(std::vector<KernelSocket>& sockets) {
  Fd fd(socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG));
  if (fd.get() < 0)
    return errno;

  struct {
    nlmsghdr header;
    inet_diag_req_v2 request;
  } message{};
  message.header.nlmsg_len = sizeof message;
  message.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
  message.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
  message.header.nlmsg_seq = 1;
  message.request.sdiag_family = AF_INET;
  message.request.sdiag_protocol = IPPROTO_TCP;
  message.request.idiag_states = ~0u;  // every state
  sockaddr_nl kernel{};
  kernel.nl_family = AF_NETLINK;
  if (sendto(fd.get(), &message, sizeof message, 0, reinterpret_cast<sockaddr*>(&kernel),
             sizeof kernel) < 0)
    return errno;

  // Big reads: the kernel packs as many records into one as fit.
  alignas(nlmsghdr) static thread_local unsigned char buffer[64 * 1024];
  while (true) {
    const ssize_t got = recv(fd.get(), buffer, sizeof buffer, 0);
    if (got < 0) {
      if (errno == EINTR)
        continue;
      return errno;
    }
    if (got == 0)
      return EPROTO;
    int left = static_cast<int>(got);
    for (auto* h = reinterpret_cast<nlmsghdr*>(buffer); NLMSG_OK(h, left);
         h = NLMSG_NEXT(h, left)) {
      if (h->nlmsg_type == NLMSG_DONE)
        return 0;
      if (h->nlmsg_type == NLMSG_ERROR) {
        const auto* error = static_cast<const nlmsgerr*>(NLMSG_DATA(h));
        if (h->nlmsg_len < NLMSG_LENGTH(sizeof(nlmsgerr)))
          return EPROTO;
        return error->error != 0 ? -error->error : EPROTO;
      }
      if (h->nlmsg_type != SOCK_DIAG_BY_FAMILY ||
          h->nlmsg_len < NLMSG_LENGTH(sizeof(inet_diag_msg)))
        continue;
      const auto* diag = static_cast<const inet_diag_msg*>(NLMSG_DATA(h));
      if (diag->idiag_family != AF_INET)
        continue;
      KernelSocket s;
      s.state = diag->idiag_state;
      std::memcpy(s.local, &diag->id.idiag_src[0], 4);
      std::memcpy(s.remote, &diag->id.idiag_dst[0], 4);
      s.localPort = ntohs(diag->id.idiag_sport);
      s.remotePort = ntohs(diag->id.idiag_dport);
      s.inode = diag->idiag_inode;
      sockets.push_back(s);
    }
  }
}

void ParseProcNetTcp(std::string_view text, std::vector<KernelSocket>& sockets) {
  // "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout
  // inode"
  while (!text.empty()) {
    const std::size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);

    std::string_view fields[10];
    int n = 0;
    while (n < 10) {
      const std::size_t start = line.find_first_not_of(' ');
      if (start == std::string_view::npos)
        break;
      line.remove_prefix(start);
      const std::size_t end = line.find(' ');
      fields[n++] = line.substr(0, end);
      line = end == std::string_view::npos ? std::string_view() : line.substr(end);
    }
    if (n < 10 || fields[0].empty() || fields[0].back() != ':')
      continue;  // the title line, or something this parser does not know
    KernelSocket s;
    std::uint64_t state = 0;
    if (!ParseEndpoint(fields[1], s.local, s.localPort) ||
        !ParseEndpoint(fields[2], s.remote, s.remotePort) || !ParseHex(fields[3], state) ||
        !ParseDecimal(fields[9], s.inode))
      continue;
    s.state = static_cast<int>(state);
    sockets.push_back(s);
  }
}

int ReadSocketsFromProc(std::vector<KernelSocket>& sockets) {
  Fd fd(open("/proc/net/tcp", O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0)
    return errno;
  std::string text;
  char chunk[64 * 1024];
  while (true) {
    const ssize_t got = read(fd.get(), chunk, sizeof chunk);
    if (got < 0) {
      if (errno == EINTR)
        continue;
      return errno;
    }
    if (got == 0)
      break;
    text.append(chunk, static_cast<std::size_t>(got));
  }
  ParseProcNetTcp(text, sockets);
  return 0;
}

void FindSocketOwners(std::unordered_map<std::uint64_t, std::int32_t>& owners) {
  std::size_t unresolved = owners.size();
  if (unresolved == 0)
    return;
  DIR* proc = opendir("/proc");
  if (proc == nullptr)
    return;
  const int procFd = dirfd(proc);
  static constexpr char kPrefix[] = "socket:[";
  constexpr std::size_t kPrefixLength = sizeof kPrefix - 1;
  // /proc lists processes in ascending PID order, so the first owner seen
  // is the lowest PID, and the walk can stop once every socket has one.
  while (unresolved > 0) {
    const dirent* entry = readdir(proc);
    if (entry == nullptr)
      break;
    std::uint64_t pid = 0;
    const std::string_view name(entry->d_name);
    if (!ParseDecimal(name, pid) || pid == 0 || pid > 0x7FFFFFFF)
      continue;
    char path[40];
    std::memcpy(path, name.data(), name.size());
    std::memcpy(path + name.size(), "/fd", 4);
    const int fdDirFd = openat(procFd, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdDirFd < 0)
      continue;  // gone, or another user's process
    DIR* fdDir = fdopendir(fdDirFd);
    if (fdDir == nullptr) {
      close(fdDirFd);
      continue;
    }
    while (const dirent* fdEntry = readdir(fdDir)) {
      if (fdEntry->d_name[0] == '.')
        continue;
      char target[64];
      const ssize_t length = readlinkat(fdDirFd, fdEntry->d_name, target, sizeof target);
      if (length <= static_cast<ssize_t>(kPrefixLength) + 1 ||
          length >= static_cast<ssize_t>(sizeof target) ||
          std::memcmp(target, kPrefix, kPrefixLength) != 0 || target[length - 1] != ']')
        continue;
      std::uint64_t inode = 0;
      if (!ParseDecimal(std::string_view(target + kPrefixLength, length - kPrefixLength - 1),
                        inode))
        continue;
      const auto found = owners.find(inode);
      if (found != owners.end() && found->second == 0) {
        found->second = static_cast<std::int32_t>(pid);
        --unresolved;
      }
    }
    closedir(fdDir);
  }
  closedir(proc);
}

std::vector<unsigned char> BuildTcpTable(
    const std::vector<KernelSocket>& sockets,
    const std::unordered_map<std::uint64_t, std::int32_t>& owners) {
  std::vector<unsigned char> block(4 + 28 * sockets.size(), 0);
  PutInt32(block.data(), static_cast<std::int32_t>(sockets.size()));
  unsigned char* row = block.data() + 4;
  for (const KernelSocket& s : sockets) {
    PutInt32(row, WindowsStateOf(s.state));
    std::memcpy(row + 4, s.local, 4);
    PutPortField(row + 8, s.localPort);
    std::memcpy(row + 12, s.remote, 4);
    PutPortField(row + 16, s.remotePort);
    std::int32_t pid = 0;
    if (s.inode != 0) {
      const auto found = owners.find(s.inode);
      if (found != owners.end())
        pid = found->second;
    }
    PutInt32(row + 20, pid);
    row += 28;
  }
  return block;
}

}  // namespace host_linux

std::int32_t QueryTcpTable(std::vector<unsigned char>& block) {
  using namespace host_linux;
  std::vector<KernelSocket> sockets;
  sockets.reserve(1024);
  if (ReadSocketsByNetlink(sockets) != 0) {
    // Netlink refused (a sandbox, an old kernel): the text table holds the same.
    sockets.clear();
    if (const int error = ReadSocketsFromProc(sockets); error != 0)
      return error;
  }
  std::unordered_map<std::uint64_t, std::int32_t> owners;
  owners.reserve(sockets.size() * 2);
  for (const KernelSocket& s : sockets) {
    if (s.inode != 0)
      owners.emplace(s.inode, 0);
  }
  FindSocketOwners(owners);
  block = BuildTcpTable(sockets, owners);
  return 0;
}

}  // namespace ostrand
