// ostrand: the window program on Linux.
#include <QApplication>
#include <QMessageBox>

#include <cstdlib>

#include "app/qt/main_window.h"
#include "app/shell.h"
#include "app/texts.h"
#include "platform/controls.h"

int main(int argc, char** argv) {
  std::atexit(ostrand::ReleaseAtExit);
  QApplication application(argc, argv);
  std::unique_ptr<QWidget> window = ostrand::qtapp::BuildMainWindow();
  if (!window) {
    ostrand::ui::ShowMessageBox(ostrand::texts::kMainWindowLoadFailed,
                                ostrand::texts::kWindowTitle);
    // Ends at once: nothing was built that needs releasing.
    std::quick_exit(-1);
  }
  window->show();
  return application.exec();
}
