#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/commands.h"
#include "cli/output.h"

int main(int argc, char** argv) {
  using namespace ostrand::cli;
  PrepareStandardStreams();
  CLI::App app{"ostrand-cli: the host's IPv4 TCP connections and their locations"};
  app.require_subcommand(1);
  WhereOptions whereOptions;
  CLI::App* where = AddWhereCommand(app, whereOptions);
  ListOptions listOptions;
  CLI::App* list = AddListCommand(app, listOptions);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "ostrand-cli: " << e.what() << "\n\n" << app.help();
    return kUsage;
  }
  if (*where)
    return RunWhere(whereOptions);
  if (*list)
    return RunList(listOptions);
  return kUsage;
}
