// Pieces of the Windows host exposed for tests.
#pragma once

#include <string>
#include <string_view>

namespace ostrand::host_win32 {

// The message shown before the program ends because a host function that is
// bound by name is missing (GBK).
std::string MissingFunctionMessage(const std::string& library, const std::string& function);

// Equal names when case is disregarded, character by character: both GBK
// texts are compared as the characters they encode.
bool SameNameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace ostrand::host_win32
