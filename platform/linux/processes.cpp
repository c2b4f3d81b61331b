#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <string_view>

#include "platform/host.h"
#include "platform/linux/processes.h"
#include "platform/text.h"

namespace ostrand {

namespace host_linux {

namespace {

bool ParsePid(std::string_view text, std::int32_t& pid) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), pid, 10);
  return ec == std::errc() && end == text.data() + text.size() && pid > 0;
}

// Reads a small /proc file relative to dirFd; false when it cannot be read.
bool ReadSmallFile(int dirFd, const char* path, std::string& content) {
  const int fd = openat(dirFd, path, O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return false;
  char buffer[4096];
  const ssize_t got = read(fd, buffer, sizeof buffer);
  close(fd);
  if (got < 0)
    return false;
  content.assign(buffer, static_cast<std::size_t>(got));
  return true;
}

// The UTF-8 name of the process whose /proc directory is open as pidFd, or
// false when the process has gone.
bool NameInDirectory(int pidFd, std::string& name) {
  char target[4096];
  const ssize_t length = readlinkat(pidFd, "exe", target, sizeof target);
  if (length > 0 && length < static_cast<ssize_t>(sizeof target)) {
    std::string_view path(target, static_cast<std::size_t>(length));
    // The kernel marks an executable replaced or removed since the start.
    static constexpr std::string_view kDeleted = " (deleted)";
    if (path.size() > kDeleted.size() && path.ends_with(kDeleted))
      path.remove_suffix(kDeleted.size());
    const std::size_t slash = path.rfind('/');
    name.assign(slash == std::string_view::npos ? path : path.substr(slash + 1));
    return true;
  }
  // Kernel threads and other users' processes: the short command name.
  if (!ReadSmallFile(pidFd, "comm", name))
    return false;
  if (!name.empty() && name.back() == '\n')
    name.pop_back();
  return true;
}

}  // namespace

bool IsThreadGroupLeader(std::int32_t pid) {
  char path[32];
  std::snprintf(path, sizeof path, "/proc/%d/status", static_cast<int>(pid));
  std::string status;
  if (!ReadSmallFile(AT_FDCWD, path, status))
    return false;
  const std::size_t at = status.find("\nTgid:");
  if (at == std::string::npos)
    return false;
  std::size_t begin = status.find_first_not_of(" \t", at + 6);
  std::size_t end = status.find('\n', begin);
  if (begin == std::string::npos)
    return false;
  std::int32_t tgid = 0;
  return ParsePid(std::string_view(status).substr(begin, end - begin), tgid) && tgid == pid;
}

bool ProcessNameUtf8(std::int32_t pid, std::string& name) {
  if (pid <= 0)
    return false;
  char path[32];
  std::snprintf(path, sizeof path, "/proc/%d", static_cast<int>(pid));
  const int pidFd = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (pidFd < 0)
    return false;
  const bool ok = NameInDirectory(pidFd, name);
  close(pidFd);
  return ok;
}

bool SameNameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x >= 0x80) {
      // A multi-byte character: its trail byte may look like an ASCII letter
      // but is not one, so the pair compares exactly.
      if (x != y)
        return false;
      if (i + 1 < a.size()) {
        if (a[i + 1] != b[i + 1])
          return false;
        ++i;
      }
      continue;
    }
    const auto fold = [](unsigned char c) {
      return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
    };
    if (fold(x) != fold(y))
      return false;
  }
  return true;
}

}  // namespace host_linux

std::vector<ProcessEntry> ListProcesses() {
  std::vector<ProcessEntry> processes;
  DIR* proc = opendir("/proc");
  if (proc == nullptr)
    return processes;
  const int procFd = dirfd(proc);
  while (const dirent* entry = readdir(proc)) {
    std::int32_t pid = 0;
    if (!host_linux::ParsePid(entry->d_name, pid))
      continue;
    const int pidFd = openat(procFd, entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (pidFd < 0)
      continue;
    std::string name;
    const bool ok = host_linux::NameInDirectory(pidFd, name);
    close(pidFd);
    if (ok)
      processes.push_back({pid, Utf8ToGbk(name)});
  }
  closedir(proc);
  std::sort(processes.begin(), processes.end(),
            [](const ProcessEntry& a, const ProcessEntry& b) { return a.pid < b.pid; });
  return processes;
}

std::optional<std::string> QueryProcessName(std::int32_t pid) {
  // /proc/<n> also answers for a thread id n, which a process list does not
  // hold; only a process's own id gets its name.
  std::string name;
  if (!host_linux::ProcessNameUtf8(pid, name) || !host_linux::IsThreadGroupLeader(pid))
    return std::string();
  return Utf8ToGbk(name);
}

bool TerminateProcessByName(const std::string& name) {
  if (name.empty())
    return false;
  for (const ProcessEntry& process : ListProcesses()) {
    if (!host_linux::SameNameIgnoringAsciiCase(process.name, name))
      continue;
    // The first match is the target, whether or not the signal can reach it.
    return process.pid != 0 && kill(process.pid, SIGKILL) == 0;
  }
  return false;
}

}  // namespace ostrand
