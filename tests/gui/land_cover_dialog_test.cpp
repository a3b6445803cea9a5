#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <cmath>

#include "app/commands.h"
#include "dem/dem_sources.h"
#include "geo/geo_loader.h"
#include "gui/gui_host.h"
#include "gui/land_cover_dialog.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"
#include "support/temp_folder.h"
#include "terrain/cover_bitmap.h"
#include "terrain/file_io.h"
#include "terrain/grids.h"
#include "terrain/theatre_frame.h"

using namespace quarnby;

namespace {

const geo::GeoModule& module() {
  std::string problem;
  const geo::GeoModule* loaded = geo::geoModule(problem);
  if (!loaded) qFatal("%s", problem.c_str());
  return *loaded;
}

// Drops files on a widget as a file manager does.
void drop(QWidget* on, const std::vector<std::filesystem::path>& files) {
  QMimeData data;
  QList<QUrl> urls;
  for (const auto& f : files) urls << QUrl::fromLocalFile(pathText(f));
  data.setUrls(urls);
  const QPointF at(on->width() / 2.0, on->height() / 2.0);
  QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(on, &enter);
  QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(on, &dropped);
}

// The row of the table view that holds `code`.
int rowOf(QTableWidget* view, const QString& code) {
  for (int r = 0; r < view->rowCount(); ++r)
    if (view->item(r, 0)->text() == code) return r;
  return -1;
}

// Types a new entry into a cell of the type column: a click picks the cell, F2 opens its
// editor, Return closes it. The dialog must still be open afterwards.
void typeInto(QTableWidget* view, int row, const QString& text) {
  QTableWidgetItem* item = view->item(row, 2);
  view->scrollToItem(item);
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualItemRect(item).center());
  QCOMPARE(view->currentItem(), item);
  QTest::keyClick(view, Qt::Key_F2);
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  QVERIFY(editor);
  editor->selectAll();
  QTest::keyClicks(editor, text);
  // Return ends the edit (the view takes it after the key) and never presses Import.
  QTest::keyClick(editor, Qt::Key_Return);
  QTRY_COMPARE(item->text(), text);
}

}  // namespace

// The Import Land Cover dialog over a terrain folder: a source dropped in, a table picked
// and edited, the picture before anything is written, and the import as one undo step.
class LandCoverDialogTest : public QObject {
  Q_OBJECT
 private:
  testing::TempFolder tmp;
  std::filesystem::path folder = tmp.terrain("Alps");
  testing::Harness h{folder};
  // Trees north of 46.5 degrees, crops south of it, around the theatre centre 46.5, 8.
  std::filesystem::path source = tmp.path() / "classes.tif";

  void writeElevation(std::int16_t feet) {
    ElevationGrid grid;
    for (int r = 0; r < kElevSize; ++r)
      for (int c = 0; c < kElevSize; ++c) grid.set(r, c, feet);
    testing::writeBytes(folder / "Alps.elv", grid.bytes());
  }

 private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QSettings().clear();
    testing::writeRaster(source, testing::geographicLayout(46.0, 7.3, 47.0, 8.7, 0.005),
                         [](dem::GeoPoint p) { return p.lat > 46.5 ? 10.0 : 40.0; });
    qputenv("XDG_STATE_HOME", pathText(tmp.path() / "state").toLocal8Bit());
    writeElevation(3000);
  }

  // From the window's button: the source dropped, a table picked by the keyboard, crops
  // typed as Grass; Import writes the layer, the types from it and the frame the folder
  // lacked, as one step that undo takes back.
  void theWindowsButtonImportsWhatTheDialogSays() {
    std::filesystem::remove_all(folder / "gis");
    MainWindow window(folder);
    std::vector<std::string> boxes;
    window.host().setBoxHook([&](const GuiHost::Box& box) {
      boxes.push_back(fromQt(box.text));
      return false;
    });
    window.startUp();
    bool opened = false;
    const auto inDialog = [&](LandCoverDialog* dialog) {
      QVERIFY(QTest::qWaitForWindowExposed(dialog));
      drop(dialog, {source});
      QCOMPARE(dialog->sourceList()->count(), 1);
      QTRY_VERIFY(!dialog->describing());
      // No frame: the centre comes from the source and can be changed.
      auto* lat = dialog->findChildren<QDoubleSpinBox*>().value(0);
      QVERIFY(lat && lat->isEnabled());
      QVERIFY(std::fabs(lat->value() - 46.5) < 1e-6);

      QComboBox* tables = dialog->tableChoice();
      QTest::keyClick(tables, Qt::Key_Down);
      QCOMPARE(tables->currentText(), QStringLiteral("cgls-lc100"));
      QVERIFY(rowOf(dialog->tableView(), "116") >= 0);
      QTest::keyClick(tables, Qt::Key_Up);
      QCOMPARE(tables->currentText(), QStringLiteral("esa-worldcover"));
      const int crops = rowOf(dialog->tableView(), "40");
      QVERIFY(crops >= 0);
      typeInto(dialog->tableView(), crops, "1");
      QVERIFY(dialog->isVisible());
      QCOMPARE(dialog->tableView()->item(crops, 2)->text(), QStringLiteral("1"));
      QVERIFY(dialog->summary().contains("The table is edited"));

      auto* import = dialog->findChild<QPushButton*>(QStringLiteral("CoverImportButton"));
      QVERIFY(import && import->isEnabled());
      QTest::mouseClick(import, Qt::LeftButton);
    };
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<LandCoverDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      opened = true;
      inDialog(dialog);
      if (dialog->isVisible()) dialog->done(QDialog::Rejected);  // a failed check leaves it open
    });
    auto* button = window.findChild<QPushButton*>(QStringLiteral("ImportLandCover"));
    QVERIFY(button && button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(opened);

    QVERIFY(std::filesystem::exists(folder / "Alps_cover.bmp"));
    std::string error;
    const auto frame = readTheatreFrame(folder, error);
    QVERIFY2(frame, error.c_str());
    QVERIFY(std::fabs(frame->lat - 46.5) < 1e-6 && std::fabs(frame->lon - 8.0) < 1e-6);
    const auto cover = CoverLayer::load(folder / "Alps_cover.bmp", error);
    QVERIFY2(cover, error.c_str());
    QCOMPARE(int(cover->cell(250, 256)), 1);  // south of the centre: crops, typed as Grass
    QCOMPARE(int(cover->cell(262, 256)), 5);  // north: trees
    const auto types = GridFile::load(folder / "Alps.typ", kTypeBytes, error);
    QVERIFY2(types, error.c_str());
    const CellGrid typed(std::move(*types));
    QCOMPARE(int(typed.at(250, 256)), 1);
    QCOMPARE(int(typed.at(262, 256)), 5);
    QVERIFY(!boxes.empty());
    QVERIFY2(boxes.back().find("Imported land cover from 1 source with the class table ") != std::string::npos &&
                 boxes.back().find("esa-worldcover (edited).csv") != std::string::npos,
             boxes.back().c_str());
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("TheatreFrame"))->text(),
             QStringLiteral("Theatre centre 46.50000 N, 8.00000 E"));

    auto* undo = window.findChild<QPushButton*>(QStringLiteral("Undo"));
    QVERIFY2(undo->toolTip().startsWith("Undo Import Land Cover (Alps_cover.bmp, Alps.typ, gis/Alps_theatre.txt"),
             qPrintable(undo->toolTip()));
    QTest::mouseClick(undo, Qt::LeftButton);
    QVERIFY(!std::filesystem::exists(folder / "Alps_cover.bmp"));
    QVERIFY(!std::filesystem::exists(theatreFrameFile(folder)));
  }

  // With the folder's frame the centre is fixed; Preview draws the cells in the type
  // colours and writes nothing; a type the table cannot take holds Import back.
  void thePreviewWritesNothingAndABadTypeHoldsImportBack() {
    std::filesystem::remove(folder / "Alps_cover.bmp");
    std::filesystem::create_directories(theatreFrameFile(folder).parent_path());
    testing::writeText(theatreFrameFile(folder), theatreFrameText(theatreFrameAt(46.5, 8.0)));
    std::string error;
    bool ran = false;
    LandCoverDialog dialog(module(),
                           [&](const CommandRequest&) {
                             ran = true;
                             return Outcome::Completed;
                           },
                           {folder, readTheatreFrame(folder, error)});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    for (auto* box : dialog.findChildren<QDoubleSpinBox*>()) QVERIFY(!box->isEnabled());
    drop(dialog.sourceList(), {source});
    QTRY_VERIFY(!dialog.describing());
    QVERIFY(dialog.canImport());
    const CommandRequest request = dialog.request();
    QVERIFY(!request.value("--centre"));
    QCOMPARE(QString::fromStdString(*request.value("--table")), QStringLiteral("esa-worldcover"));
    QCOMPARE(QString::fromStdString(*request.value("--smallest-patch")), QStringLiteral("2"));

    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("CoverPreviewButton")), Qt::LeftButton);
    const QImage& picture = dialog.previewPicture();
    QCOMPARE(picture.size(), QSize(512, 512));
    QCOMPARE(picture.pixel(256, 511 - 262) & 0xFFFFFF, coverPalette()[5]);   // north: trees
    QCOMPARE(picture.pixel(256, 511 - 250) & 0xFFFFFF, coverPalette()[3]);   // south: Farm
    QCOMPARE(picture.pixel(2, 2) & 0xFFFFFF, coverPalette()[kNoLandCover]);  // beyond the source
    QVERIFY(!std::filesystem::exists(folder / "Alps_cover.bmp"));

    const int trees = rowOf(dialog.tableView(), "10");
    typeInto(dialog.tableView(), trees, "tree");
    QVERIFY(!dialog.canImport());
    QVERIFY2(dialog.summary().contains("the type 'tree' is none of 0 to 6"), qPrintable(dialog.summary()));
    QCOMPARE(dialog.tableView()->item(trees, 2)->foreground().color(), QColor(Qt::red));
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("CoverImportButton")), Qt::LeftButton);
    QVERIFY(!ran);

    // Saved, the edited table reads back as written and becomes the table used.
    typeInto(dialog.tableView(), trees, "W");
    QString why;
    QVERIFY2(dialog.saveTable(tmp.path() / "mine.csv", why), qPrintable(why));
    const auto saved = ClassTable::load(tmp.path() / "mine.csv", error);
    QVERIFY2(saved, error.c_str());
    QCOMPARE(int(*saved->find(10)), int(kCoverWater));
    QCOMPARE(QString::fromStdString(*dialog.request().value("--table")), pathText(tmp.path() / "mine.csv"));
  }
};

QTEST_MAIN(LandCoverDialogTest)
#include "land_cover_dialog_test.moc"
