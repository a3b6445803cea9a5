// quarnby-land-cover-screenshot DIALOG.png BEFORE.png AFTER.png: the Import Land Cover
// dialog as a picture, with a made-up land cover raster over the demo terrain and its
// Preview shown; then the terrain preview's types before and after the import.
#include <gdal.h>

#include <QApplication>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "app/commands.h"
#include "app/settings_file.h"
#include "dem/gdal_support.h"
#include "demo/demo_terrain.h"
#include "geo/geo_loader.h"
#include "gui/land_cover_dialog.h"
#include "gui/preview_window.h"
#include "gui/qt_text.h"
#include "printing_host.h"
#include "terrain/theatre_frame.h"

namespace {

using quarnby::tools::PrintingHost;

// ESA WorldCover codes in smooth made-up patches over the theatre around 46.5 N, 8 E:
// forest, cropland, grassland, bare ground and lakes, with a corner of no data.
bool writeClasses(const std::filesystem::path& file) {
  constexpr int kWidth = 600, kHeight = 400;
  constexpr double kWest = 2.0, kNorth = 50.5, kCell = 0.02;
  quarnby::dem::Dataset ds(
      GDALCreate(GDALGetDriverByName("GTiff"), file.string().c_str(), kWidth, kHeight, 1, GDT_Byte, nullptr));
  if (!ds) return false;
  double transform[6] = {kWest, kCell, 0.0, kNorth, 0.0, -kCell};
  GDALSetGeoTransform(ds.get(), transform);
  GDALSetSpatialRef(ds.get(), quarnby::dem::spatialRef("EPSG:4326").get());
  GDALSetRasterNoDataValue(GDALGetRasterBand(ds.get(), 1), 0);
  std::vector<std::uint8_t> codes(kWidth * kHeight);
  for (int r = 0; r < kHeight; ++r)
    for (int c = 0; c < kWidth; ++c) {
      const double lat = kNorth - (r + 0.5) * kCell, lon = kWest + (c + 0.5) * kCell;
      const double v = std::sin(lon * 3.1) + std::cos(lat * 4.3) + 0.5 * std::sin((lat + lon) * 7.0);
      std::uint8_t code = v > 1.1 ? 10 : v > 0.3 ? 40 : v > -0.4 ? 30 : v > -1.5 ? 60 : 80;
      if (lat > 49.0 && lon < 4.5) code = 0;
      codes[static_cast<std::size_t>(r) * kWidth + c] = code;
    }
  return GDALRasterIO(GDALGetRasterBand(ds.get(), 1), GF_Write, 0, 0, kWidth, kHeight, codes.data(), kWidth, kHeight,
                      GDT_Byte, 0, 0) == CE_None;
}

bool grabTypes(const std::filesystem::path& folder, const QString& file) {
  quarnby::PreviewWindow window;
  window.setFolder(folder);
  window.resize(980, 760);
  window.setBase(quarnby::PreviewWindow::Base::Types);
  window.setTracksShown(false);
  window.setSitesShown(false);
  window.show();
  QApplication::processEvents();
  return window.grab().save(file, "PNG");
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() != 4) {
    std::fprintf(stderr, "Usage: quarnby-land-cover-screenshot DIALOG.png BEFORE.png AFTER.png\n");
    return 2;
  }
  quarnby::dem::initialiseGdal();
  QTemporaryDir scratch;
  const std::filesystem::path parent = quarnby::pathOf(scratch.path()), folder = parent / "Demo";
  // The import's undo step goes with the scratch folder, never into the user's history.
  qputenv("XDG_STATE_HOME", QFile::encodeName(scratch.path() + "/state"));
  if (auto error = quarnby::demo::writeDemoTerrain(parent)) {
    std::fprintf(stderr, "%s\n", error->c_str());
    return 1;
  }
  const auto source = parent / "classes.tif";
  if (!writeClasses(source)) {
    std::fprintf(stderr, "cannot write the land cover raster\n");
    return 1;
  }
  quarnby::ParameterSet params;
  PrintingHost host;
  quarnby::RandomSource random;
  quarnby::Context cx{params, folder, host, random, parent / "quarnby.cfg"};
  quarnby::Form_Load(cx);
  for (const char* name : {"find-units-terragen", "set-elevation-terragen", "set-type"})
    quarnby::runCommand(*quarnby::findCommand(name), cx);
  if (!grabTypes(folder, args[2])) return 1;

  std::string problem;
  const quarnby::geo::GeoModule* module = quarnby::geo::geoModule(problem);
  if (!module) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 1;
  }
  quarnby::LandCoverDialog dialog(*module,
                                  [&](const quarnby::CommandRequest& request) {
                                    cx.request = &request;
                                    const auto outcome =
                                        quarnby::runCommand(*quarnby::findCommand("import-land-cover"), cx);
                                    cx.request = nullptr;
                                    return outcome;
                                  },
                                  {folder, std::nullopt});
  dialog.addSources({source});
  while (dialog.describing()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  dialog.show();
  QApplication::processEvents();
  dialog.showPreview();
  QApplication::processEvents();
  const QPixmap picture = dialog.grab();
  std::printf("dialog %d x %d\n", picture.width(), picture.height());
  if (!picture.save(args[1], "PNG")) return 1;
  dialog.startImport();
  return grabTypes(folder, args[3]) ? 0 : 1;
}
