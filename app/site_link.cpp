#include "app/site_link.h"

namespace ostrand {

Rgb LinkTextColor(bool hot, bool visited) {
  if (hot)
    return {10, 36, 106};
  if (visited)
    return {128, 0, 0};
  return {0, 0, 255};
}

std::string HandlerCommandLine(const std::string& handlerCommand, const std::string& address) {
  std::string command = handlerCommand;
  std::size_t cut = command.find("\"%1\"");
  if (cut == std::string::npos)
    cut = command.find("%1");
  if (cut != std::string::npos)
    command.erase(cut);
  command += ' ';
  command += address;
  return command;
}

}  // namespace ostrand
