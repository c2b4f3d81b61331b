// The list's context menu and the ending of a listed process.
#pragma once

#include <string>

namespace ostrand {

// Process name (column 0) of the row selected at the last right-click; empty
// at start and when no row was selected. Refreshes and sorts leave it alone.
extern std::string selectedProcessName;

// Remembers the selected row's process name, then pops ListMenu up at the
// mouse pointer, whether or not a row is selected.
void ShowListMenu();

// Ends a process of the remembered name; on failure shows
// "结束进程" + name + "失败" in a box captioned "信息：".
void EndSelectedProcess();

// The text of that failure message.
std::string EndProcessFailureMessage(const std::string& name);

}  // namespace ostrand
