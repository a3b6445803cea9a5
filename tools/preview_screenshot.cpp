// quarnby-preview-screenshot [--base relief|types|sub-types] [--zoom ROW,COLUMN,SCALE]
//                            [--frame THEATRE.txt --reference LAYER] FILE.png [FOLDER]
// The terrain preview as a picture, on the base layer chosen and, with --zoom, centred
// on a sample at SCALE pixels per sample. --frame puts a theatre frame into the folder
// (as Import DEM writes it) and --reference draws a vector file over the map. Without
// FOLDER it writes the demo terrain into a temporary folder and runs the buttons a new
// user presses first (Find Units, Set Elevation, Set Type, Set Sub-Types, and Modify
// Terrain and Make Tracks where this program has them), then shows that folder.
#include <QApplication>
#include <QMouseEvent>
#include <QPixmap>
#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>
#include <tuple>

#include "app/commands.h"
#include "app/settings_file.h"
#include "demo/demo_terrain.h"
#include "gui/preview_canvas.h"
#include "gui/preview_geo.h"
#include "gui/preview_window.h"
#include "printing_host.h"
#include "terrain/theatre_frame.h"

namespace {

using quarnby::tools::PrintingHost;

bool prepareDemo(const std::filesystem::path& parent) {
  if (auto error = quarnby::demo::writeDemoTerrain(parent)) {
    std::fprintf(stderr, "%s\n", error->c_str());
    return false;
  }
  quarnby::ParameterSet params;
  PrintingHost host;
  quarnby::RandomSource random;
  quarnby::Context cx{params, parent / "Demo", host, random, parent / "quarnby.cfg"};
  quarnby::Form_Load(cx);
  params.setFromText("Check1", "1");
  params.setFromText("Check3", "1");
  for (const char* name :
       {"find-units-terragen", "set-elevation-terragen", "set-type", "set-sub-types", "modify-terrain", "make-tracks"})
    if (const quarnby::Command* command = quarnby::findCommand(name)) command->run(cx);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QStringList args = QApplication::arguments();
  args.removeFirst();
  auto base = quarnby::PreviewWindow::Base::Relief;
  QStringList zoom;
  QString frame, reference;
  while (args.size() >= 2 && args.front().startsWith("--")) {
    const QString option = args.takeFirst();
    const QString value = args.takeFirst();
    if (option == "--base" && value == "types") base = quarnby::PreviewWindow::Base::Types;
    else if (option == "--base" && value == "sub-types") base = quarnby::PreviewWindow::Base::SubTypes;
    else if (option == "--zoom") zoom = value.split(',');
    else if (option == "--frame") frame = value;
    else if (option == "--reference") reference = value;
  }
  if (args.empty() || args.size() > 2 || (!zoom.empty() && zoom.size() != 3)) {
    std::fprintf(stderr,
                 "Usage: quarnby-preview-screenshot [--base relief|types|sub-types] [--zoom ROW,COLUMN,SCALE]\n"
                 "                                  [--frame THEATRE.txt --reference LAYER] FILE.png [FOLDER]\n");
    return 2;
  }
  QTemporaryDir scratch;
  std::filesystem::path folder;
  if (args.size() == 2) {
    folder = args[1].toStdString();
  } else {
    if (!scratch.isValid() || !prepareDemo(scratch.path().toStdString())) return 1;
    folder = std::filesystem::path(scratch.path().toStdString()) / "Demo";
  }
  if (!frame.isEmpty()) {
    const auto target = quarnby::theatreFrameFile(folder);
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::copy_file(frame.toStdString(), target, std::filesystem::copy_options::overwrite_existing);
  }
  quarnby::PreviewWindow window;
  window.setFolder(std::filesystem::absolute(folder));
  window.resize(980, 760);
  window.setBase(base);
  window.show();
  QApplication::processEvents();
  if (!zoom.empty()) window.canvas()->centreOn(zoom[0].toInt(), zoom[1].toInt(), zoom[2].toDouble());
  if (!reference.isEmpty() && !window.geo()->showReference(reference.toStdString())) {
    std::fprintf(stderr, "%s\n", window.geo()->note().toLocal8Bit().constData());
    return 1;
  }
  // The cursor on the highest sample, so that the status line reads it out.
  if (const auto& elevation = window.terrain().elevation.data) {
    int row = 0, column = 0;
    for (int r = 0; r < quarnby::kElevSize; ++r)
      for (int c = 0; c < quarnby::kElevSize; ++c)
        if (elevation->at(r, c) > elevation->at(row, column)) std::tie(row, column) = std::tie(r, c);
    const QPointF at = window.canvas()->viewPointOf(row, column);
    QMouseEvent move(QEvent::MouseMove, at, window.canvas()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(window.canvas(), &move);
  }
  const QPixmap picture = window.grab();
  std::printf("preview %d x %d\n", picture.width(), picture.height());
  return picture.save(args[0], "PNG") ? 0 : 1;
}
