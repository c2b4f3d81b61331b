#include "tests/support/run_command.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace ostrand::testing {

CommandResult RunCommand(const std::vector<std::string>& argv, const std::string& input,
                         const std::string& workingDirectory) {
  CommandResult result;
  int in[2], out[2], err[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
    return result;
  }
  const pid_t child = fork();
  if (child == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    if (!workingDirectory.empty() && chdir(workingDirectory.c_str()) != 0)
      _exit(126);
    std::vector<char*> args;
    for (const auto& a : argv)
      args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  // Feed the input and drain both outputs together, so that neither side
  // blocks on a full pipe.
  std::size_t written = 0;
  int inFd = in[1];
  fcntl(inFd, F_SETFL, fcntl(inFd, F_GETFL) | O_NONBLOCK);  // a full pipe must not block us
  if (input.empty()) {
    close(inFd);
    inFd = -1;
  }
  signal(SIGPIPE, SIG_IGN);
  bool outOpen = true, errOpen = true;
  while (outOpen || errOpen) {
    pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {inFd, POLLOUT, 0}};
    if (poll(fds, inFd >= 0 ? 3 : 2, -1) < 0 && errno != EINTR)
      break;
    char buffer[65536];
    for (int k = 0; k < 2; ++k) {
      bool& open = k == 0 ? outOpen : errOpen;
      if (open && (fds[k].revents & (POLLIN | POLLHUP))) {
        const ssize_t got = read(fds[k].fd, buffer, sizeof buffer);
        if (got > 0) {
          (k == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
          open = false;
        }
      }
    }
    if (inFd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
      const ssize_t put = write(inFd, input.data() + written, input.size() - written);
      if (put > 0)
        written += static_cast<std::size_t>(put);
      if ((put < 0 && errno != EAGAIN && errno != EINTR) || written == input.size()) {
        close(inFd);
        inFd = -1;
      }
    }
  }
  if (inFd >= 0)
    close(inFd);
  close(out[0]);
  close(err[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status))
    result.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status))
    result.signal = WTERMSIG(status);
  return result;
}

}  // namespace ostrand::testing
