// Refills ConnectionList from a fresh snapshot of the host's TCP table.
#pragma once

namespace ostrand {

// Deletes every row, then appends one row per listed connection in snapshot
// order: process name, local endpoint, remote endpoint, location, state, PID.
// A failed snapshot leaves the list empty; a missing database leaves the
// location cells empty.
void RefreshConnections();

}  // namespace ostrand
