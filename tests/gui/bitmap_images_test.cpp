// The bitmaps the tool writes open in an ordinary image reader as 1024 x 1024 8-bit
// pictures with grid row 0 at the bottom.
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

#include "app/commands.h"
#include "core/context.h"
#include "terrain/grids.h"
#include "terrain/terrain_folder.h"

namespace quarnby {

class AnsweringHost : public Host {
 public:
  void showMessage(const std::string& text, Icon, const std::string&) override { messages.push_back(text); }
  bool askYesNo(const std::string&, const std::string&, Icon) override { return true; }
  void setProgress(ProgressBar, int) override {}
  void setFocus(const std::string&) override {}
  std::vector<std::string> messages;
};

class BitmapImagesTest : public QObject {
  Q_OBJECT

  QTemporaryDir root_;
  std::filesystem::path folder_;

  Outcome run(const char* command, const char* option = nullptr) {
    ParameterSet params;
    AnsweringHost host;
    RandomSource random;
    Context cx{params, folder_, host, random};
    if (option) params.setOption(option, true);
    return findCommand(command)->run(cx);
  }

  QImage load(std::string_view suffix) {
    QImage image(QString::fromStdString(terrainFile(folder_, suffix).string()));
    return image;
  }

 private slots:
  void initTestCase() {
    folder_ = std::filesystem::path(root_.path().toStdString()) / "Europe";
    std::filesystem::create_directories(folder_);
    // A mountain sample at the south-west corner, sea everywhere else; an all-water type grid.
    ElevationGrid elevation;
    elevation.set(0, 0, 14000);
    elevation.set(0, 1, 1500);
    QVERIFY(!elevation.save(terrainFile(folder_, suffix::kElevation)));
    QVERIFY(!CellGrid().save(terrainFile(folder_, suffix::kType)));
  }

  void exportedGreyscaleIsAGreyPictureWithRowZeroAtTheBottom() {
    QCOMPARE(run("export-greyscale"), Outcome::Completed);
    const QImage image = load(suffix::kGreyscale);
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QSize(1024, 1024));
    QCOMPARE(image.format(), QImage::Format_Indexed8);
    QCOMPARE(image.pixel(0, 1023), qRgb(255, 255, 255));  // grid (0, 0): the highest sample
    QCOMPARE(image.pixel(0, 0), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(1, 1023), qRgb(27, 27, 27));  // 1500 of 14000 feet
  }

  void colourMapUsesItsPalette() {
    QCOMPARE(run("make-map", "MapOp1"), Outcome::Completed);
    const QImage image = load(suffix::kColourMap);
    QCOMPARE(image.size(), QSize(1024, 1024));
    QCOMPARE(image.format(), QImage::Format_Indexed8);
    QCOMPARE(image.pixel(0, 1023), qRgb(0xD9, 0x9E, 0x67));   // above 9000 feet
    QCOMPARE(image.pixel(1, 1023), qRgb(0xC5, 0xDA, 0xB3));   // 1000 to 2000 feet
    QCOMPARE(image.pixel(500, 500), qRgb(0xD1, 0xD8, 0xE5));  // water
  }

  void roadAndObjectMapsAreWhitePictures() {
    std::ofstream(terrainFile(folder_, suffix::kTracks), std::ios::binary) << "0\r\n";
    std::ofstream(terrainFile(folder_, suffix::kObjects), std::ios::binary)
        << "A01HQT,HQ0,-1351680,0,-1351680,0,0,0\r\n";  // the sample (0, 0)
    QCOMPARE(run("make-map", "MapOp2"), Outcome::Completed);
    QCOMPARE(load(suffix::kRoadMap).pixel(300, 300), qRgb(255, 255, 255));
    QCOMPARE(run("make-map", "MapOp3"), Outcome::Completed);
    const QImage dots = load(suffix::kObjectDots);
    QCOMPARE(dots.size(), QSize(1024, 1024));
    QCOMPARE(dots.pixel(0, 1023), qRgb(0xC5, 0xDA, 0xB3));
    QCOMPARE(dots.pixel(1, 1023), qRgb(255, 255, 255));
  }
};

}  // namespace quarnby

QTEST_GUILESS_MAIN(quarnby::BitmapImagesTest)
#include "bitmap_images_test.moc"
