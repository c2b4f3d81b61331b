// Runs a program to its end with the given standard input, collecting its
// standard output, standard error and exit status (POSIX hosts only).
#pragma once

#include <string>
#include <vector>

namespace ostrand::testing {

struct CommandResult {
  int exitStatus = -1;  // -1 when it did not exit normally
  int signal = 0;       // the signal that ended it, if one did
  std::string out;
  std::string err;
};

CommandResult RunCommand(const std::vector<std::string>& argv, const std::string& input = "",
                         const std::string& workingDirectory = "");

}  // namespace ostrand::testing
