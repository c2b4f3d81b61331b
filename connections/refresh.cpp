#include "connections/refresh.h"

#include <string>

#include "connections/snapshot.h"
#include "ipdb/lookup.h"
#include "platform/controls.h"

namespace ostrand {

void RefreshConnections() {
  ui::DeleteAllRows();
  const ConnectionSnapshot snapshot = TakeConnectionSnapshot();
  if (!snapshot.ok)
    return;
  for (const ConnectionRecord& record : snapshot.records) {
    if (!IsListedConnection(record))
      continue;
    const int row = ui::InsertRowAtEnd(ProcessNameOf(record.pid));
    ui::SetCellText(row, ui::kColumnLocal, record.localEndpoint);
    ui::SetCellText(row, ui::kColumnRemote, record.remoteEndpoint);
    // The lookup cuts the port off its argument; the cell above keeps it.
    std::string address = record.remoteEndpoint;
    ui::SetCellText(row, ui::kColumnLocation, LookupLocation(address));
    ui::SetCellText(row, ui::kColumnState, record.stateText);
    ui::SetCellText(row, ui::kColumnPid, std::to_string(record.pid));
  }
}

}  // namespace ostrand
