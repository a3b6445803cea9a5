#include <QApplication>
#include <QPixmap>

#include <cstdio>

#include "gui/main_window.h"
#include "gui/qt_text.h"

// quarnby-screenshot FOLDER FILE.png: the window on FOLDER after start-up, as a picture.
int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() != 3) {
    std::fprintf(stderr, "Usage: quarnby-screenshot FOLDER FILE.png\n");
    return 2;
  }
  quarnby::MainWindow window(quarnby::pathOf(args[1]));
  window.startUp();
  window.show();
  QApplication::processEvents();
  const QPixmap picture = window.grab();
  std::printf("window %d x %d\n", picture.width(), picture.height());
  return picture.save(args[2], "PNG") ? 0 : 1;
}
