// Window tests link this in place of the real link opener, so that no
// browser starts: it records each address and answers as told.
#pragma once

#include <string>
#include <vector>

namespace ostrand::testing {

struct LinkTargetStub {
  std::vector<std::string> opened;
  bool result = true;
};

LinkTargetStub& LinkTarget();

}  // namespace ostrand::testing
