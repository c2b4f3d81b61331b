#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/host.h"
#include "platform/host_names.h"

namespace ostrand {

namespace {

int FdOf(void* context) {
  return static_cast<int>(reinterpret_cast<std::intptr_t>(context));
}

std::size_t ReadAt(void* context, std::uint64_t pos, unsigned char* out, std::size_t n) {
  // A regular file reads short only at its end, so one answer is the whole
  // answer; a second call would cost a system call to learn nothing.
  for (;;) {
    const ssize_t got = ::pread(FdOf(context), out, n, static_cast<off_t>(pos));
    if (got >= 0)
      return static_cast<std::size_t>(got);
    if (errno != EINTR)
      return 0;  // an error reads as "no more bytes"
  }
}

void Close(void* context) {
  ::close(FdOf(context));
}

}  // namespace

bool OpenHostFile(const std::string& path, ByteSource& source, std::string* error) {
  if (path.empty()) {
    if (error != nullptr)
      *error = "empty path";
    return false;
  }
  // Without O_NONBLOCK, opening a FIFO waits for a writer that may never
  // come; the open must return before the type can be checked.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (error != nullptr)
      *error = std::strerror(errno);
    return false;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    if (error != nullptr)
      *error = S_ISDIR(info.st_mode) ? "is a directory" : "not a regular file";
    ::close(fd);
    return false;
  }
  // O_NONBLOCK stays: reads of a regular file ignore it, and every lookup
  // opens the file, so two more system calls to clear it would cost each one.
  source = {};
  source.readAt = ReadAt;
  source.close = Close;
  source.context = reinterpret_cast<void*>(static_cast<std::intptr_t>(fd));
  source.size = static_cast<std::uint64_t>(info.st_size);
  return true;
}

std::string ResolveHostName(const std::string& name) {
  if (!CanBeHostName(name))
    return {};
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
    return {};
  std::string text;
  char buffer[INET_ADDRSTRLEN];
  const auto* address = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
  if (::inet_ntop(AF_INET, &address->sin_addr, buffer, sizeof buffer) != nullptr)
    text = buffer;
  ::freeaddrinfo(found);
  return text;
}

}  // namespace ostrand
