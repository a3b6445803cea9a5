// The terrain preview on the demo terrain, offscreen: what it draws where, the cursor
// read-out, the layer switches, missing files, and where the window opens.
#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <fstream>

#include "app/commands.h"
#include "app/settings_file.h"
#include "demo/demo_terrain.h"
#include "gui/folder_picker.h"
#include "gui/preview_canvas.h"
#include "gui/preview_window.h"
#include "gui/window_placement.h"
#include "maps/preview_render.h"
#include "support/recording_host.h"
#include "terrain/cover_bitmap.h"
#include "terrain/track_file.h"
#include "window_fixture.h"

namespace quarnby {

using preview::Rgb;

class PreviewTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void drawsSeaAndMountainWhereTheyAre();
  void readsOutTheSampleUnderTheCursor();
  void wheelZoomsAroundTheCursorAndDragPans();
  void layersSwitchOnAndOff();
  void missingFilesAreEmptyLayersWithTheirNames();
  void landCoverIsABaseViewInTheTypeColours();
  void readsNothingWhileHeld();
  void opensBesideTheMainWindowOrOverIt();
  void followsTheMainWindowsOperationsAndFolder();

 private:
  std::filesystem::path folder() const { return std::filesystem::path(dir_.path().toStdString()) / "Demo"; }
  // The window on the demo terrain, shown at a known size.
  std::unique_ptr<PreviewWindow> openPreview();
  Rgb pixelAt(PreviewWindow& window, int row, int column) const;

  QTemporaryDir dir_;
  ElevationGrid elevation_;
  CellGrid types_;
  int peakRow_ = 0, peakColumn_ = 0;
  static constexpr int kSeaRow = 512, kSeaColumn = 1015;  // off the east coast
};

void writeFile(const std::filesystem::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

void PreviewTest::initTestCase() {
  QVERIFY(dir_.isValid());
  // The preview remembers its place; here in the test's own settings, forgotten first.
  QStandardPaths::setTestModeEnabled(true);
  QSettings().remove("Preview");
  const std::filesystem::path parent = dir_.path().toStdString();
  QVERIFY(!demo::writeDemoTerrain(parent));
  ParameterSet params;
  testing::RecordingHost host;
  RandomSource random;
  Context cx{params, folder(), host, random, parent / "quarnby.cfg"};
  Form_Load(cx);
  for (const char* name : {"find-units-terragen", "set-elevation-terragen", "set-type", "set-sub-types"}) {
    const Command* command = findCommand(name);
    QVERIFY2(command, name);
    QVERIFY2(command->run(cx) == Outcome::Completed, name);
  }
  std::string error;
  elevation_ = *ElevationGrid::load(folder() / "Demo.elv", error);
  types_ = *CellGrid::load(folder() / "Demo.typ", error);
  for (int r = 0; r < kElevSize; ++r)
    for (int c = 0; c < kElevSize; ++c)
      if (elevation_.at(r, c) > elevation_.at(peakRow_, peakColumn_)) {
        peakRow_ = r;
        peakColumn_ = c;
      }
  QCOMPARE(elevation_.at(kSeaRow, kSeaColumn), std::int16_t(0));
  QVERIFY(elevation_.at(peakRow_, peakColumn_) > 8000);

  // A road from the peak westward and a railway to the north of it.
  std::vector<TrackSample> road, railway;
  for (int c = peakColumn_ - 40; c <= peakColumn_; ++c) road.push_back({c, peakRow_, 0});
  for (int r = peakRow_ + 5; r <= peakRow_ + 60; ++r) railway.push_back({peakColumn_ + 10, r, 0});
  writeFile(folder() / "Demo.tra",
            trackCountLine(2) + trackRecordText(kRoad, "A01GMS", road) + trackRecordText(kRailway, "A01HQT", railway));
}

std::unique_ptr<PreviewWindow> PreviewTest::openPreview() {
  auto window = std::make_unique<PreviewWindow>();
  window->setFolder(folder());
  window->resize(900, 760);
  window->show();
  if (!QTest::qWaitForWindowExposed(window.get())) return nullptr;
  return window;
}

Rgb PreviewTest::pixelAt(PreviewWindow& window, int row, int column) const {
  const QImage image = window.grab().toImage();
  const QPoint at = window.canvas()->mapTo(&window, window.canvas()->viewPointOf(row, column).toPoint());
  return image.pixel(at) & 0xFFFFFF;
}

void PreviewTest::drawsSeaAndMountainWhereTheyAre() {
  auto window = openPreview();
  QVERIFY(window);
  QCOMPARE(window->windowTitle(), QString("Quarnby Preview - Demo"));
  PreviewCanvas& canvas = *window->canvas();
  QVERIFY(canvas.hasPicture());

  // The whole grid in view, north up.
  QVERIFY(canvas.viewPointOf(1000, 500).y() < canvas.viewPointOf(20, 500).y());
  QVERIFY(canvas.viewPointOf(500, 1000).x() > canvas.viewPointOf(500, 20).x());
  const Rgb sea = pixelAt(*window, kSeaRow, kSeaColumn);
  QVERIFY2(preview::blue(sea) > preview::red(sea) + 60, qPrintable(QString::number(sea, 16)));
  const Rgb peak = pixelAt(*window, peakRow_, peakColumn_);
  QVERIFY2(std::min({preview::red(peak), preview::green(peak), preview::blue(peak)}) > 110,
           qPrintable(QString::number(peak, 16)));

  // Close up, a sample is a square of its own colour, lit by its slope.
  window->setSitesShown(false);
  window->setTracksShown(false);
  canvas.centreOn(peakRow_, peakColumn_, 6);
  const int e = elevation_.at(peakRow_, peakColumn_);
  QCOMPARE(pixelAt(*window, peakRow_, peakColumn_),
           preview::shaded(preview::elevationColour(e), preview::hillShade(elevation_, peakRow_, peakColumn_)));
  canvas.centreOn(kSeaRow, kSeaColumn, 6);
  QCOMPARE(pixelAt(*window, kSeaRow, kSeaColumn), preview::elevationColour(0));
}

void PreviewTest::readsOutTheSampleUnderTheCursor() {
  auto window = openPreview();
  QVERIFY(window);
  window->setSitesShown(false);
  PreviewCanvas& canvas = *window->canvas();
  canvas.centreOn(700, 300, 8);
  QTest::mouseMove(&canvas, canvas.viewPointOf(700, 300).toPoint());
  const std::string type = preview::typeName(types_.at(350, 150));
  QVERIFY(!type.empty());
  QCOMPARE(window->statusText().toStdString(), "Row 700, column 300    X -559,680 ft, Z 496,320 ft    Elevation " +
                                                   preview::groupedNumber(elevation_.at(700, 300)) + " ft    Type " +
                                                   type + " (" + std::to_string(types_.at(350, 150)) + "), sub-type " +
                                                   std::to_string(window->terrain().subTypes.data->at(350, 150)));
  // One sample to the north-east.
  QTest::mouseMove(&canvas, canvas.viewPointOf(701, 301).toPoint());
  QVERIFY(window->statusText().startsWith("Row 701, column 301    X -557,040 ft, Z 498,960 ft"));
  // Off the grid the line says what the window shows.
  canvas.centreOn(0, 0, 8);
  QTest::mouseMove(&canvas, QPoint(2, 2));
  QVERIFY(!window->statusText().startsWith("Row"));
}

void PreviewTest::wheelZoomsAroundTheCursorAndDragPans() {
  auto window = openPreview();
  QVERIFY(window);
  PreviewCanvas& canvas = *window->canvas();
  const QPointF at = canvas.viewPointOf(300, 600);
  const double before = canvas.scale();
  QWheelEvent wheel(at, canvas.mapToGlobal(at), QPoint(), QPoint(0, 240), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(&canvas, &wheel);
  QVERIFY(std::abs(canvas.scale() - before * 1.5625) < 1e-9);
  QCOMPARE(canvas.sampleAt(at), std::make_optional(std::make_pair(300, 600)));
  QVERIFY((canvas.viewPointOf(300, 600) - at).manhattanLength() < 1);

  // Dragging 50 pixels to the right moves the ground with the cursor.
  const QPointF from = canvas.viewPointOf(300, 600);
  QTest::mousePress(&canvas, Qt::LeftButton, Qt::NoModifier, from.toPoint());
  QTest::mouseMove(&canvas, (from + QPointF(25, 0)).toPoint());
  QTest::mouseMove(&canvas, (from + QPointF(50, 0)).toPoint());
  QTest::mouseRelease(&canvas, Qt::LeftButton, Qt::NoModifier, (from + QPointF(50, 0)).toPoint());
  QVERIFY((canvas.viewPointOf(300, 600) - (from + QPointF(50, 0))).manhattanLength() < 1);

  // The view keeps its place when the folder is read again.
  window->refresh();
  QVERIFY((canvas.viewPointOf(300, 600) - (from + QPointF(50, 0))).manhattanLength() < 1);
  window->findChild<QPushButton*>("PreviewFit")->click();
  QVERIFY(canvas.scale() < before * 1.01);
}

void PreviewTest::layersSwitchOnAndOff() {
  auto window = openPreview();
  QVERIFY(window);
  QVERIFY(window->terrain().tracks);
  QVERIFY(window->terrain().sites);
  QVERIFY(!window->terrain().sites.data->empty());
  window->canvas()->centreOn(peakRow_ + 20, peakColumn_, 3);
  const QImage all = window->grab().toImage();

  auto* tracks = window->findChild<QCheckBox*>("PreviewTracks");
  tracks->click();
  QVERIFY(!tracks->isChecked());
  const QImage noTracks = window->grab().toImage();
  QVERIFY(noTracks != all);
  // The road ran over this sample; without it the ground shows.
  const int e = elevation_.at(peakRow_, peakColumn_ - 20);
  QCOMPARE(pixelAt(*window, peakRow_, peakColumn_ - 20),
           preview::shaded(preview::elevationColour(e), preview::hillShade(elevation_, peakRow_, peakColumn_ - 20)));
  tracks->click();
  QCOMPARE(window->grab().toImage(), all);

  // Objects: at the whole-grid view every site shows somewhere.
  window->canvas()->fit();
  const QImage withSites = window->grab().toImage();
  window->findChild<QCheckBox*>("PreviewObjects")->click();
  QVERIFY(window->grab().toImage() != withSites);

  // The base layer: the type grid in its colours, the sub-types, shading off.
  window->findChild<QRadioButton*>("PreviewTypes")->click();
  QCOMPARE(window->base(), PreviewWindow::Base::Types);
  window->canvas()->centreOn(kSeaRow, kSeaColumn, 6);
  QCOMPARE(pixelAt(*window, kSeaRow, kSeaColumn), preview::typeColour(0));
  const QImage typesShaded = window->grab().toImage();
  window->findChild<QCheckBox*>("PreviewShading")->click();
  window->canvas()->centreOn(peakRow_, peakColumn_, 6);
  QCOMPARE(pixelAt(*window, peakRow_, peakColumn_), preview::typeColour(types_.at(peakRow_ / 2, peakColumn_ / 2)));
  window->findChild<QRadioButton*>("PreviewSubTypes")->click();
  const int subType = window->terrain().subTypes.data->at(peakRow_ / 2, peakColumn_ / 2);
  QCOMPARE(pixelAt(*window, peakRow_, peakColumn_), preview::subTypeColour(subType));
}

void PreviewTest::missingFilesAreEmptyLayersWithTheirNames() {
  const auto empty = std::filesystem::path(dir_.path().toStdString()) / "Empty";
  std::filesystem::create_directory(empty);
  writeFile(empty / "Empty.typ", std::string(100, '\1'));  // short
  PreviewWindow window;
  window.setFolder(empty);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QVERIFY(!window.canvas()->hasPicture());
  QCOMPARE(window.canvas()->emptyNote(), QString("No Empty.elv"));
  // The switches keep their short captions; what is missing is in their tooltips.
  QCOMPARE(window.findChild<QCheckBox*>("PreviewTracks")->text(), QString("&Tracks"));
  QVERIFY(window.findChild<QCheckBox*>("PreviewTracks")->toolTip().endsWith("\nNo Empty.tra"));
  QCOMPARE(window.findChild<QCheckBox*>("PreviewObjects")->text(), QString("&Objects"));
  QVERIFY(window.findChild<QCheckBox*>("PreviewObjects")->toolTip().endsWith("\nNo Empty.oba"));
  window.setBase(PreviewWindow::Base::Types);
  QCOMPARE(window.canvas()->emptyNote(), QString("Empty.typ is short: 100 of 262,144 bytes"));
  window.setBase(PreviewWindow::Base::SubTypes);
  QCOMPARE(window.canvas()->emptyNote(), QString("No Empty.SYP"));
  // The empty grid is drawn, the note over it; no message box anywhere.
  const QImage image = window.grab().toImage();
  const QPoint centre = window.canvas()->mapTo(&window, window.canvas()->viewPointOf(100, 100).toPoint());
  QCOMPARE(image.pixel(centre) & 0xFFFFFF, 0x3C3F46u);
  for (QWidget* w : QApplication::topLevelWidgets()) QVERIFY(!qobject_cast<QMessageBox*>(w));
  QTest::mouseMove(window.canvas(), window.canvas()->viewPointOf(10, 20).toPoint());
  QVERIFY(window.statusText().endsWith("Elevation -    Type -"));

  // Moving to the demo folder reads it.
  window.setFolder(folder());
  QVERIFY(window.canvas()->hasPicture());
  QVERIFY(!window.findChild<QCheckBox*>("PreviewTracks")->toolTip().contains("No "));
}

// The land cover layer as a base view: what to press while the folder has none, then
// its entries in the type colours and the cells without land cover hatched.
void PreviewTest::landCoverIsABaseViewInTheTypeColours() {
  auto window = openPreview();
  QVERIFY(window);
  window->setTracksShown(false);
  window->setSitesShown(false);
  window->setShading(false);
  auto* cover = window->findChild<QRadioButton*>("PreviewCover");
  QVERIFY(cover);
  QTest::mouseClick(cover, Qt::LeftButton);
  QCOMPARE(window->base(), PreviewWindow::Base::Cover);
  QVERIFY(!window->canvas()->hasPicture());
  QCOMPARE(window->canvas()->emptyNote(), QString("No Demo_cover.bmp: Import Land Cover... writes it"));

  std::vector<std::uint8_t> cells(kCoverPixelCount, kNoLandCover);
  cells[static_cast<std::size_t>(peakRow_ / 2) * kCoverSize + static_cast<std::size_t>(peakColumn_ / 2)] = 5;
  const auto bytes = coverBitmapFile(std::span<const std::uint8_t, kCoverPixelCount>(cells));
  writeFile(folder() / "Demo_cover.bmp", std::string(bytes.begin(), bytes.end()));
  window->refresh();
  QVERIFY(window->canvas()->hasPicture());
  window->canvas()->centreOn(peakRow_, peakColumn_, 6);
  QCOMPARE(pixelAt(*window, peakRow_, peakColumn_), preview::coverColour(5));
  const Rgb none = pixelAt(*window, peakRow_ + 4, peakColumn_);
  QVERIFY2(none == preview::kNoCoverDark || none == preview::kNoCoverLight, qPrintable(QString::number(none, 16)));
  std::filesystem::remove(folder() / "Demo_cover.bmp");
  window->refresh();
}

void PreviewTest::readsNothingWhileHeld() {
  const auto changing = std::filesystem::path(dir_.path().toStdString()) / "Changing";
  std::filesystem::create_directory(changing);
  ElevationGrid grid;
  QVERIFY(!grid.save(changing / "Changing.elv"));
  PreviewWindow window;
  window.setFolder(changing);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QCOMPARE(window.terrain().elevation.data->at(10, 10), std::int16_t(0));

  window.hold();  // an operation starts
  grid.set(10, 10, 5000);
  QVERIFY(!grid.save(changing / "Changing.elv"));
  window.refresh();
  window.findChild<QPushButton*>("PreviewReload")->click();
  QCOMPARE(window.terrain().elevation.data->at(10, 10), std::int16_t(0));
  window.release();  // it ended
  QCOMPARE(window.terrain().elevation.data->at(10, 10), std::int16_t(5000));

  // Hidden, it reads when shown again.
  window.hide();
  grid.set(10, 10, 7000);
  QVERIFY(!grid.save(changing / "Changing.elv"));
  window.refresh();
  QCOMPARE(window.terrain().elevation.data->at(10, 10), std::int16_t(5000));
  window.show();
  QCOMPARE(window.terrain().elevation.data->at(10, 10), std::int16_t(7000));
}

void PreviewTest::opensBesideTheMainWindowOrOverIt() {
  const QRect screen(0, 0, 1366, 768);
  const QSize wanted(860, 700);
  const QSize narrow(320, 300);
  const QSize legendFits(620, 480);
  const struct {
    const char* what;
    QRect main;
    QSize minimum;
    QRect place;
  } cases[] = {
      {"room on the right", {20, 30, 460, 500}, narrow, {488, 30, 860, 700}},
      {"room only on the left", {880, 10, 480, 500}, narrow, {12, 10, 860, 700}},
      {"the wider side, narrowed", {300, 40, 710, 560}, narrow, {1018, 40, 348, 700}},
      {"the wider side on the left", {350, 40, 710, 560}, narrow, {0, 40, 342, 700}},
      {"below, as tall as fits", {200, 0, 1000, 300}, narrow, {200, 308, 860, 460}},
      {"a tall window placed low: the top on the screen", {10, 600, 300, 150}, narrow, {318, 68, 860, 700}},
      {"no room beside it at the legend's width: over it", {0, 0, 964, 600}, legendFits, {506, 0, 860, 700}},
      {"a screen-filling main window: over it", {0, 0, 1366, 768}, legendFits, {506, 0, 860, 700}},
  };
  for (const auto& c : cases) {
    const QRect place = besideRect(c.main, screen, wanted, c.minimum);
    QVERIFY2(place == c.place, qPrintable(QString("%1: %2,%3 %4x%5")
                                              .arg(c.what)
                                              .arg(place.x())
                                              .arg(place.y())
                                              .arg(place.width())
                                              .arg(place.height())));
    QVERIFY2(screen.contains(place), c.what);
  }

  // A screen smaller than the window wants: all of it.
  QCOMPARE(besideRect(QRect(0, 0, 500, 400), QRect(0, 0, 700, 500), wanted, legendFits), QRect(0, 0, 700, 500));

  // A remembered place: kept on its screen, pulled back onto it, or dropped.
  const QList<QRect> screens{screen, QRect(1366, 0, 1920, 1080)};
  QCOMPARE(restoredRect(QRect(1500, 100, 900, 700), screens, legendFits), QRect(1500, 100, 900, 700));
  QCOMPARE(restoredRect(QRect(1100, 100, 500, 400), screens, legendFits), QRect(746, 100, 620, 480));
  QCOMPARE(restoredRect(QRect(5000, 100, 900, 700), screens, legendFits), std::nullopt);
  QCOMPARE(restoredRect(QRect(-3000, -2000, 900, 700), screens, legendFits), std::nullopt);
}

void PreviewTest::followsTheMainWindowsOperationsAndFolder() {
  testing::WindowFixture f(QStringLiteral("Demo"));
  QVERIFY(!demo::writeDemoTerrain(pathOf(f.path(QStringLiteral("Terrains")))));
  f.window->show();
  QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
  QVERIFY(!f.window->preview());

  QTest::mouseClick(f.find<QPushButton>(QStringLiteral("Preview")), Qt::LeftButton);
  PreviewWindow* preview = f.window->preview();
  QVERIFY(preview);
  QVERIFY(preview->isVisible());
  QVERIFY(preview->screen()->availableGeometry().contains(preview->frameGeometry()));
  QCOMPARE(preview->focusWidget(), preview->canvas());  // + and - zoom at once
  QCOMPARE(preview->canvas()->emptyNote(), QString("No Demo.elv"));
  QVERIFY(preview->terrain().sites);

  // While an operation runs (its closing message is up) the preview does not read the
  // folder, even when asked to; once it has ended the new elevation grid shows.
  bool readWhileRunning = false;
  f.onBox = [&](const GuiHost::Box&) {
    preview->findChild<QPushButton*>("PreviewReload")->click();
    readWhileRunning |= preview->terrain().elevation.data.has_value();
  };
  QTest::mouseClick(f.find<QPushButton>(QStringLiteral("FindMaxMinUnits")), Qt::LeftButton);
  QTest::mouseClick(f.find<QPushButton>(QStringLiteral("SetElv")), Qt::LeftButton);
  QVERIFY(f.boxes.size() >= 2);
  QVERIFY(!readWhileRunning);
  QVERIFY(preview->canvas()->hasPicture());
  QVERIFY(preview->terrain().elevation);

  // A second press raises the same window; another folder is shown as it is picked.
  QTest::mouseClick(f.find<QPushButton>(QStringLiteral("Preview")), Qt::LeftButton);
  QCOMPARE(f.window->findChildren<PreviewWindow*>().size(), 1);
  QDir(f.path(QStringLiteral("Terrains"))).mkpath(QStringLiteral("Alps"));
  QVERIFY(f.window->folderPicker().open(pathOf(f.path(QStringLiteral("Terrains/Alps")))));
  QCOMPARE(preview->windowTitle(), QString("Quarnby Preview - Alps"));
  QCOMPARE(preview->canvas()->emptyNote(), QString("No Alps.elv"));
}

}  // namespace quarnby

QTEST_MAIN(quarnby::PreviewTest)
#include "preview_test.moc"
