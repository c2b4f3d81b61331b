#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/commands.h"
#include "cli/output.h"
#include "ipdb/db_file.h"
#include "ipdb/lookup.h"
#include "platform/text.h"

namespace ostrand::cli {

CLI::App* AddWhereCommand(CLI::App& app, WhereOptions& options) {
  CLI::App* where = app.add_subcommand(
      "where", "Look addresses up in the location database (from standard input when none given)");
  where->add_option("--db", options.db, "Database file (default: QQWry.dat in this directory)");
  where->add_flag("--raw", options.raw, "Write the stored GBK bytes instead of UTF-8");
  where->add_option("ADDRESS", options.addresses, "a.b.c.d, a.b.c.d:port or a host name");
  return where;
}

int RunWhere(const WhereOptions& options) {
  const std::string path = options.db.empty() ? DefaultDatabasePath() : options.db;
  std::string error;
  DbFile db = OpenFileForReading(path, &error);
  if (!db.IsOpen()) {
    std::cerr << "ostrand-cli: cannot read the location database " << path << ": "
              << GbkToUtf8(error) << "\n";
    return kFailure;
  }
  unsigned char header[8];
  if (ReadFileBytes(db, header, 8) < 8) {
    std::cerr << "ostrand-cli: " << path
              << " is not a location database: it is shorter than its 8-byte header\n";
    return kFailure;
  }
  // A few lookups read only the blocks they touch; a long stream of them is
  // cheaper from one copy of the whole file in memory. Both give the same
  // texts.
  constexpr std::size_t kLookupsBeforeLoading = 256;
  std::size_t lookups = 0;
  std::string content;
  auto lookUp = [&](std::string& address) {
    if (++lookups == kLookupsBeforeLoading && ReadWholeFile(path, content)) {
      db = OpenMemoryFile(reinterpret_cast<const unsigned char*>(content.data()), content.size());
    }
    return LookupLocationIn(db, address);
  };

  std::ostream& out = std::cout;
  auto answer = [&](const std::string& given) {
    std::string address = options.raw ? given : Utf8ToGbk(given);
    const std::string location = lookUp(address);
    out << OneLine(given) << '\t' << ForTerminal(location, options.raw) << '\n';
  };

  if (!options.addresses.empty()) {
    for (const auto& address : options.addresses)
      answer(address);
    out.flush();
    return kOk;
  }
  std::string line;
  while (true) {
    // Answer as lines come: flush whenever the next read would wait.
    if (std::cin.rdbuf()->in_avail() <= 0)
      out.flush();
    if (!std::getline(std::cin, line))
      break;
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    answer(line);
    if (!out)
      break;  // the reader went away
  }
  out.flush();
  return kOk;
}

}  // namespace ostrand::cli
