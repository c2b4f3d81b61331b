// Linux process helpers behind ListProcesses and TerminateProcessByName,
// exposed for tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ostrand::host_linux {

// The executable's file name of pid (UTF-8, as the kernel holds it), or its
// command name when the executable cannot be read; false when pid has gone.
bool ProcessNameUtf8(std::int32_t pid, std::string& name);

// True when pid is a process's own id and not another thread's.
bool IsThreadGroupLeader(std::int32_t pid);

// Equal texts when ASCII letters are taken without case; bytes of a GBK or
// GB18030 multi-byte character compare exactly.
bool SameNameIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace ostrand::host_linux
