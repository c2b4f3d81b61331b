#include "tests/win32/link_target_stub.h"

#include "platform/controls.h"

namespace ostrand::testing {

LinkTargetStub& LinkTarget() {
  static LinkTargetStub stub;
  return stub;
}

}  // namespace ostrand::testing

namespace ostrand::ui {

bool OpenLinkTarget(const std::string& address) {
  testing::LinkTarget().opened.push_back(address);
  return testing::LinkTarget().result;
}

}  // namespace ostrand::ui
