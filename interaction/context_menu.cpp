#include "interaction/context_menu.h"

#include "app/texts.h"
#include "platform/controls.h"
#include "platform/host.h"

namespace ostrand {

std::string selectedProcessName;

void ShowListMenu() {
  // CellText gives the empty text for row -1 (no selection).
  selectedProcessName = ui::CellText(ui::SelectedRow(), ui::kColumnProcess);
  const int x = ui::PointerX();
  const int y = ui::PointerY();
  ui::PopUpListMenu(x, y);
}

std::string EndProcessFailureMessage(const std::string& name) {
  return texts::kEndProcessCaption + name + texts::kFailedSuffix;
}

void EndSelectedProcess() {
  if (TerminateProcessByName(selectedProcessName))
    return;
  ui::ShowMessageBox(EndProcessFailureMessage(selectedProcessName), texts::kMessageCaption);
}

}  // namespace ostrand
