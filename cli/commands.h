// The subcommands of ostrand-cli. Each Add* declares its options on the
// application; each Run* returns the process exit status.
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace ostrand::cli {

enum ExitStatus { kOk = 0, kFailure = 1, kUsage = 2 };

struct WhereOptions {
  std::string db;
  bool raw = false;
  std::vector<std::string> addresses;
};
CLI::App* AddWhereCommand(CLI::App& app, WhereOptions& options);
int RunWhere(const WhereOptions& options);

struct ListOptions {
  std::string format = "table";  // table, tsv or json
  std::string db;
  bool all = false;
  bool raw = false;
};
CLI::App* AddListCommand(CLI::App& app, ListOptions& options);
int RunList(const ListOptions& options);

}  // namespace ostrand::cli
