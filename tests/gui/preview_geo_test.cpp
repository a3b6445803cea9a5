// The preview on the Earth, offscreen, through the geographic module built beside the
// test: latitude and longitude under the cursor, Go to, the reference layer, and the
// controls off without a theatre frame. The theatre is centred on the equator, where
// positions east and west follow from the ellipsoid's radius alone.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <fstream>
#include <numbers>

#include "demo/demo_terrain.h"
#include "gui/preview_canvas.h"
#include "gui/preview_geo.h"
#include "gui/preview_window.h"
#include "terrain/theatre_frame.h"

namespace quarnby {

namespace {

constexpr double kCentreLon = 10.0;
constexpr double kA = 6378137.0;

// The longitude of a sample of the equator row, from the arc length along the equator.
double longitudeOfColumn(int column) {
  return kCentreLon + (column - 512) * 2640 * 0.3048 / kA * 180 / std::numbers::pi;
}

void writeFile(const std::filesystem::path& file, const std::string& text) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

}  // namespace

class PreviewGeoTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void readsOutLatitudeAndLongitude();
  void goesToAPointOrSaysWhyNot();
  void drawsAReferenceLayerUntilCleared();
  void isOffWithoutAFrame();

 private:
  std::unique_ptr<PreviewWindow> openPreview(const std::filesystem::path& folder);
  QRgb pixelAt(PreviewWindow& window, QPointF viewPoint) const;
  std::filesystem::path framed() const { return std::filesystem::path(dir_.path().toStdString()) / "a" / "Demo"; }
  std::filesystem::path unframed() const { return std::filesystem::path(dir_.path().toStdString()) / "b" / "Demo"; }

  QTemporaryDir dir_;
};

void PreviewGeoTest::initTestCase() {
  QVERIFY(dir_.isValid());
  QStandardPaths::setTestModeEnabled(true);
  QSettings().remove("Preview");
  for (const auto& folder : {framed(), unframed()}) {
    std::filesystem::create_directories(folder.parent_path());
    QVERIFY(!demo::writeDemoTerrain(folder.parent_path()));
  }
  writeFile(theatreFrameFile(framed()),
            theatreFrameText({0.0, kCentreLon, "+proj=aeqd +lat_0=0 +lon_0=10 +datum=WGS84 +units=m +no_defs"}));
}

std::unique_ptr<PreviewWindow> PreviewGeoTest::openPreview(const std::filesystem::path& folder) {
  auto window = std::make_unique<PreviewWindow>();
  window->setFolder(folder);
  window->resize(900, 760);
  window->show();
  if (!QTest::qWaitForWindowExposed(window.get())) return nullptr;
  window->setSitesShown(false);
  window->setTracksShown(false);
  return window;
}

QRgb PreviewGeoTest::pixelAt(PreviewWindow& window, QPointF viewPoint) const {
  const QImage image = window.grab().toImage();
  return image.pixel(window.canvas()->mapTo(&window, viewPoint.toPoint())) & 0xFFFFFF;
}

void PreviewGeoTest::readsOutLatitudeAndLongitude() {
  auto window = openPreview(framed());
  QVERIFY(window);
  PreviewCanvas& canvas = *window->canvas();
  struct Case {
    int row, column;
    QString ending;
  };
  const Case cases[] = {
      {512, 512, "    0.00000 N, 10.00000 E"},
      {512, 612, "    0.00000 N, " + QString::asprintf("%.5f", longitudeOfColumn(612)) + " E"},
      {512, 412, "    0.00000 N, " + QString::asprintf("%.5f", longitudeOfColumn(412)) + " E"},
      {300, 512, " S, 10.00000 E"},
      {700, 512, " N, 10.00000 E"},
  };
  for (const auto& c : cases) {
    // Every sample is centred in turn: the cursor leaves the middle and comes back to it.
    canvas.centreOn(c.row, c.column, 8);
    QTest::mouseMove(&canvas, QPoint(5, 5));
    QTest::mouseMove(&canvas, canvas.viewPointOf(c.row, c.column).toPoint());
    const QString status = window->statusText();
    const QString start = QString("Row %1, column %2    X ").arg(c.row).arg(c.column);
    QVERIFY2(status.startsWith(start), qPrintable(status));
    QVERIFY2(status.endsWith(c.ending), qPrintable(status + " / " + c.ending));
  }
}

void PreviewGeoTest::goesToAPointOrSaysWhyNot() {
  auto window = openPreview(framed());
  QVERIFY(window);
  auto* field = window->findChild<QLineEdit*>("PreviewGoTo");
  auto* kind = window->findChild<QComboBox*>("PreviewGoToKind");
  QVERIFY(field && kind);
  QVERIFY(field->isEnabled());
  PreviewCanvas& canvas = *window->canvas();
  struct Case {
    int kind;
    const char* text;
    QString status;   // what the status line starts with
    int row, column;  // where the view is centred; -1: not moved, no marker
  };
  const double x = (10.5 - kCentreLon) * std::numbers::pi / 180 * kA / 0.3048;
  const Case cases[] = {
      {0, "0, 10.5",
       "Row 512, column 581    0.00000 N, 10.50000 E    X " + QString::number(std::llround(x)).insert(3, ',') +
           " ft, Z 0 ft",
       512, 581},
      {1, "-559680,496320", "Row 700, column 300    ", 700, 300},
      // As the read-out writes it: south and west are negative.
      {0, "0.00724 S, 10.00724 E", "Row 511, column 513    0.00724 S, 10.00724 E    X 2,6", 511, 513},
      {0, "0.1 s, 9.9 W", "0.10000 S, 9.90000 W    X ", -1, -1},
      {1, "2640, -2640", "Row 511, column 513    0.0", 511, 513},
      {0, "0, 20", "0.00000 N, 20.00000 E    X 3,652,214 ft, Z ", -1, -1},
      {0, "north", "Type latitude and longitude in degrees, as 46.5, 8.0", -1, -1},
      {1, "12", "Type world X and Z in feet, as -559680, 496320", -1, -1},
      {0, "95, 10", "A latitude lies between -90 and 90 degrees", -1, -1},
  };
  for (const auto& c : cases) {
    canvas.fit();
    kind->setCurrentIndex(c.kind);
    field->clear();
    QTest::keyClicks(field, c.text);
    QTest::keyClick(field, Qt::Key_Return);
    QVERIFY2(window->statusText().startsWith(c.status), qPrintable(QString(c.text) + ": " + window->statusText()));
    if (c.row < 0) {
      QVERIFY2(!canvas.marker(), c.text);
      continue;
    }
    QVERIFY2(canvas.marker(), c.text);
    const QPointF middle(canvas.width() / 2.0, canvas.height() / 2.0);
    QVERIFY2((canvas.viewPointOf(c.row, c.column) - middle).manhattanLength() < 1, c.text);
  }
}

void PreviewGeoTest::drawsAReferenceLayerUntilCleared() {
  // A town east of the centre on the equator, and one far beyond the theatre's edge.
  const auto file = std::filesystem::path(dir_.path().toStdString()) / "towns.geojson";
  writeFile(file, R"({"type": "FeatureCollection", "features": [
    {"type": "Feature", "properties": {"name": "Arlen"}, "geometry": {"type": "Point", "coordinates": [10.5, 0]}},
    {"type": "Feature", "properties": {"name": "Far"}, "geometry": {"type": "Point", "coordinates": [60, 0]}}]})");
  auto window = openPreview(framed());
  QVERIFY(window);
  PreviewCanvas& canvas = *window->canvas();
  canvas.centreOn(512, 581, 8);
  const double x = (10.5 - kCentreLon) * std::numbers::pi / 180 * kA / 0.3048;
  const QPointF town = canvas.viewPointOf(512, 581) + QPointF((x / 2640 - 69) * 8, 0);
  const QRgb before = pixelAt(*window, town);
  QVERIFY(window->geo()->showReference(file));
  QCOMPARE(pixelAt(*window, town), referenceColour().rgb() & 0xFFFFFF);
  const QString status = window->statusText();
  QVERIFY2(status.contains("towns.geojson") && status.contains("1 feature lies off the theatre"), qPrintable(status));
  QCOMPARE(window->geo()->referenceName(), QString("towns.geojson"));

  auto* clear = window->findChild<QPushButton*>("PreviewReferenceClear");
  QVERIFY(clear && clear->isEnabled());
  QTest::mouseClick(clear, Qt::LeftButton);
  QCOMPARE(pixelAt(*window, town), before);
  QVERIFY(!clear->isEnabled());
  QVERIFY(window->geo()->referenceName().isEmpty());

  // A file that is no vector layer: the status line says why, the map stays as it was.
  const auto notes = std::filesystem::path(dir_.path().toStdString()) / "notes.txt";
  writeFile(notes, "no features here");
  QVERIFY(!window->geo()->showReference(notes));
  QVERIFY2(window->statusText().startsWith("notes.txt cannot be shown as a reference layer: "),
           qPrintable(window->statusText()));
  QCOMPARE(pixelAt(*window, town), before);
}

void PreviewGeoTest::isOffWithoutAFrame() {
  auto window = openPreview(unframed());
  QVERIFY(window);
  PreviewCanvas& canvas = *window->canvas();
  canvas.centreOn(512, 512, 8);
  // The folder read again after each frame is written (or taken away).
  struct Case {
    const char* projection;  // nullptr: no frame file
    QString why;             // what the controls' tooltips start with; "" when they are on
  };
  const Case cases[] = {
      {nullptr, "No theatre frame: Import DEM records one"},
      {"+proj=nonsense", "The theatre frame's projection cannot be used: "},
      {"+proj=aeqd +lat_0=0 +lon_0=10 +datum=WGS84 +units=m +no_defs", ""},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(theatreFrameFile(unframed()));
    if (c.projection) writeFile(theatreFrameFile(unframed()), theatreFrameText({0.0, kCentreLon, c.projection}));
    window->refresh();
    for (const char* name : {"PreviewGoTo", "PreviewGoToKind", "PreviewReference"}) {
      auto* control = window->findChild<QWidget*>(name);
      QVERIFY2(control && control->isEnabled() == c.why.isEmpty(), name);
      if (!c.why.isEmpty()) QVERIFY2(control->toolTip().startsWith(c.why), qPrintable(control->toolTip()));
    }
    QVERIFY(!window->findChild<QWidget*>("PreviewReferenceClear")->isEnabled());
    QTest::mouseMove(&canvas, QPoint(5, 5));
    QTest::mouseMove(&canvas, canvas.viewPointOf(512, 513).toPoint());
    const QString lon = "    0.00000 N, " + QString::asprintf("%.5f", longitudeOfColumn(513)) + " E";
    QVERIFY2(window->statusText().endsWith(lon) == c.why.isEmpty(), qPrintable(window->statusText()));
    if (!c.why.isEmpty()) {
      QVERIFY(!window->geo()->goTo("0, 10", false));
      QVERIFY2(window->statusText().startsWith(c.why), qPrintable(window->statusText()));
    }
  }
  std::filesystem::remove(theatreFrameFile(unframed()));
}

}  // namespace quarnby

QTEST_MAIN(quarnby::PreviewGeoTest)
#include "preview_geo_test.moc"
