#include <QApplication>

#include <cstdio>
#include <filesystem>

#include "core/host.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"

// quarnby [FOLDER]: the window on the terrain folder FOLDER, or on the working folder.
int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(quarnby::kProgramName);
  const QStringList args = QApplication::arguments();
  if (args.size() > 2 || (args.size() == 2 && args[1].startsWith(QLatin1Char('-')))) {
    std::fprintf(stderr, "Usage: quarnby [FOLDER]\nOpens the window on the terrain folder FOLDER "
                         "(default: the working folder).\n");
    return 2;
  }
  std::error_code ec;
  const std::filesystem::path start =
      args.size() == 2 ? quarnby::pathOf(args[1]) : std::filesystem::current_path(ec);

  quarnby::MainWindow window(start);
  window.startUp();
  window.show();
  return app.exec();
}
