// MainWindow of the Linux program: the four controls over Qt Widgets, bound
// to the list and window operations and to the portable operations. Tests
// build it as the program does, without its main().
#pragma once

#include <QWidget>

#include <memory>

namespace ostrand::qtapp {

// MainWindow's outer size at creation, frame and title bar included.
inline constexpr int kStartWidth = 842;
inline constexpr int kStartHeight = 500;

// Builds MainWindow hidden: outer size 842 x 500 centred on the primary
// screen, the four controls in their stacking order, the controls bound to
// the list and window operations, LayoutMainWindow run once. The caller
// shows it. Empty when the window cannot be built.
std::unique_ptr<QWidget> BuildMainWindow();

}  // namespace ostrand::qtapp
