#include "app/shell.h"

#include <string>

#include "interaction/context_menu.h"

namespace ostrand {

void ReleaseAtExit() {
  std::string().swap(selectedProcessName);
}

}  // namespace ostrand
