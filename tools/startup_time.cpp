// quarnby-startup-time FOLDER: starts as `quarnby FOLDER` does and prints the time from the
// process's start (as the kernel counts it) until the window is on the screen, in ms.
// scripts/bench-startup.sh runs it several times and reports the median.
#include <QApplication>
#include <QWindow>

#include <unistd.h>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

#include "core/host.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"

namespace {

// Milliseconds since this process was started, from /proc/self/stat and the boot clock.
double msSinceProcessStart() {
  std::ifstream stat("/proc/self/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  for (int i = 3; i <= 22 && fields >> field; ++i) {
  }
  const double started = std::stod(field) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return now.tv_sec * 1000.0 + now.tv_nsec / 1e6 - started;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(quarnby::kProgramName);
  quarnby::MainWindow window(quarnby::pathOf(QApplication::arguments().value(1)));
  window.startUp();
  window.show();
  while (!window.windowHandle() || !window.windowHandle()->isExposed())
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  QApplication::processEvents();  // the first paint
  std::printf("%.0f\n", msSinceProcessStart());
  return 0;
}
