#include <QApplication>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "core/host.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"
#include "gui/recent_folders.h"
#include "platform/interrupts.h"

namespace {

void printUsage(std::FILE* to) {
  std::fprintf(to,
               "Usage: quarnby [FOLDER]\n"
               "Opens the window on the terrain folder FOLDER (default: the last one used, else the\n"
               "working folder).\n"
               "The settings file quarnby.cfg is read from and saved to the working folder.\n");
}

}  // namespace

// quarnby [FOLDER]: the window on the terrain folder FOLDER, or on the last one used.
int main(int argc, char** argv) {
  // Answered before the window system is asked for, so they work without a display.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      printUsage(stdout);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("%s\n", quarnby::kProgramTitle);
      return 0;
    }
  }

  // Stopped while it writes (a logout, a kill), the window leaves no temporary file; over a
  // file-size limit an operation fails with "File too large" instead of ending the program.
  quarnby::platform::removeTempsOnInterrupt();
  QApplication app(argc, argv);
  QApplication::setApplicationName(quarnby::kProgramName);
  // The preview's place is kept with QSettings, in ~/.config/Quarnby/Quarnby.conf.
  QApplication::setOrganizationName(quarnby::kProgramName);
  QApplication::setApplicationVersion(quarnby::kProgramVersion);
  const QStringList args = QApplication::arguments();  // Qt's own options taken out
  if (args.size() > 2 || (args.size() == 2 && args[1].startsWith(QLatin1Char('-')))) {
    printUsage(stderr);
    return 2;
  }
  const std::filesystem::path start =
      quarnby::startFolder(args.size() == 2 ? quarnby::pathOf(args[1]) : std::filesystem::path());

  quarnby::MainWindow window(start);
  window.startUp();
  window.show();
  return app.exec();
}
