// The widgets behind the list and window operations of platform/controls.h.
// The window program builds MainWindow and its controls, then binds them
// here; until then (and after unbinding) the operations act on nothing: an
// empty list, no window, no menu.
#pragma once

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

namespace ostrand::qt {

class ConnectionListView;

struct BoundWindow {
  QWidget* mainWindow = nullptr;
  ConnectionListView* connectionList = nullptr;
  QWidget* refreshButton = nullptr;
  QWidget* promoLabel = nullptr;
  QWidget* siteLink = nullptr;
  // ListMenu's item captions (GBK), in menu order.
  std::vector<std::string> menuItems;
  // Runs with the chosen item's place in menuItems, from the event loop
  // after the popup has closed, as a menu command arrives on its own.
  std::function<void(int item)> menuItemChosen;
};

void BindMainWindow(BoundWindow window);
void UnbindMainWindow();

}  // namespace ostrand::qt
