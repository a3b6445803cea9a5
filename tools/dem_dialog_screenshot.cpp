// quarnby-dem-dialog-screenshot FILE.png: the Import DEM dialog as a picture, with six
// neighbouring one-degree tiles (written into a temporary folder) as its sources and the
// theatre centred on them.
#include <gdal.h>

#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "dem/gdal_support.h"
#include "geo/geo_loader.h"
#include "gui/dem_import_dialog.h"
#include "gui/qt_text.h"

namespace {

// A geographic tile of 1 x 1 degree, 0.01 degree cells, with ridges rising to the north.
bool writeTile(const std::filesystem::path& file, double latSouth, double lonWest) {
  constexpr int kCells = 100;
  quarnby::dem::Dataset ds(
      GDALCreate(GDALGetDriverByName("GTiff"), file.string().c_str(), kCells, kCells, 1, GDT_Float32, nullptr));
  if (!ds) return false;
  double transform[6] = {lonWest, 0.01, 0.0, latSouth + 1.0, 0.0, -0.01};
  GDALSetGeoTransform(ds.get(), transform);
  GDALSetSpatialRef(ds.get(), quarnby::dem::spatialRef("EPSG:4326").get());
  std::vector<float> heights(kCells * kCells);
  for (int r = 0; r < kCells; ++r)
    for (int c = 0; c < kCells; ++c) {
      const double lat = latSouth + 1.0 - (r + 0.5) * 0.01, lon = lonWest + (c + 0.5) * 0.01;
      heights[r * kCells + c] = static_cast<float>(800.0 * (lat - 45.5) + 400.0 * std::sin(lon * 9.0));
    }
  return GDALRasterIO(GDALGetRasterBand(ds.get(), 1), GF_Write, 0, 0, kCells, kCells, heights.data(), kCells, kCells,
                      GDT_Float32, 0, 0) == CE_None;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() != 2) {
    std::fprintf(stderr, "Usage: quarnby-dem-dialog-screenshot FILE.png\n");
    return 2;
  }
  quarnby::dem::initialiseGdal();
  QTemporaryDir scratch;
  const std::filesystem::path folder = quarnby::pathOf(scratch.path());
  std::vector<std::filesystem::path> tiles;
  for (int lat = 46; lat <= 47; ++lat)
    for (int lon = 6; lon <= 8; ++lon) {
      tiles.push_back(folder / ("N" + std::to_string(lat) + "E00" + std::to_string(lon) + ".tif"));
      if (!writeTile(tiles.back(), lat, lon)) {
        std::fprintf(stderr, "cannot write the sample tiles\n");
        return 1;
      }
    }
  std::string problem;
  const quarnby::geo::GeoModule* module = quarnby::geo::geoModule(problem);
  if (!module) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 1;
  }
  quarnby::DemImportDialog dialog(*module,
                                  [](const quarnby::DemImportRequest&) { return quarnby::Outcome::Completed; });
  dialog.setTarget({.field = tiles.front().parent_path() / "Alps" / "Alps.ter", .map256 = false, .askToReplace = {}});
  dialog.addSources(tiles);
  // Each source is read on a thread of its own; the picture waits for all of them.
  while (dialog.describing()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  dialog.centreOnSources();
  dialog.show();
  QApplication::processEvents();
  const QPixmap picture = dialog.grab();
  std::printf("dialog %d x %d\n", picture.width(), picture.height());
  return picture.save(args[1], "PNG") ? 0 : 1;
}
