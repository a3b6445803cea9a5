#include "gui/main_window.h"

#include "core/host.h"

namespace quarnby {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  setObjectName("Form1");
  setWindowTitle(kProgramTitle);
}

}  // namespace quarnby
