// What the program does as it ends.
#pragma once

namespace ostrand {

// Releases the process-wide state that owns memory (the remembered process
// name). Registered first thing at start-up; runs once at a normal end.
void ReleaseAtExit();

}  // namespace ostrand
