#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cmath>

#include "dem/dem_sources.h"
#include "dem/import_dem.h"
#include "geo/geo_loader.h"
#include "gui/dem_import_dialog.h"
#include "gui/gui_host.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"
#include "support/temp_folder.h"

using namespace quarnby;

namespace {

// The geographic module the window loads, built beside the test.
const geo::GeoModule& module() {
  std::string problem;
  const geo::GeoModule* loaded = geo::geoModule(problem);
  if (!loaded) qFatal("%s", problem.c_str());
  return *loaded;
}

}  // namespace

// The Import DEM dialog over a terrain folder: sources in, the centre from them, the
// import through the dialog's own progress, and Cancel while it runs.
class DemDialogTest : public QObject {
  Q_OBJECT
 private:
  testing::TempFolder tmp;
  std::filesystem::path folder = tmp.terrain("Alps");
  testing::Harness h{folder};
  std::filesystem::path source = tmp.path() / "geo.tif";

 private slots:
  void initTestCase() {
    testing::writeRaster(source, testing::geographicLayout(46.0, 7.0, 48.0, 10.0, 0.02),
                         [](dem::GeoPoint p) { return 500.0 + 100.0 * (p.lat - 47.0); });
    testing::writeText(tmp.path() / "notes.txt", "not heights");
    // The window's undo history goes to the test's own folder, never to the user's.
    qputenv("XDG_STATE_HOME", pathText(tmp.path() / "state").toLocal8Bit());
  }

  // The main window's button opens the dialog; the import fills the Terragen column the
  // window shows and is one undo step, whose undo removes the field it created.
  void theWindowsButtonImportsAndUndoes() {
    std::filesystem::remove(folder / "Alps.ter");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(pathText(tmp.path()));
    {
      MainWindow window(folder);
      std::vector<std::string> boxes;
      window.host().setBoxHook([&](const GuiHost::Box& box) {
        boxes.push_back(fromQt(box.text));
        return false;
      });
      window.startUp();
      const QString unitExpBefore = window.findChild<QLineEdit*>(QStringLiteral("unitExp"))->text();
      bool opened = false;
      QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<DemImportDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        opened = true;
        dialog->addSources({source});
        dialog->startImport();
      });
      auto* button = window.findChild<QPushButton*>(QStringLiteral("ImportDem"));
      QVERIFY(button && button->isEnabled());
      QTest::mouseClick(button, Qt::LeftButton);
      QVERIFY(opened);
      QVERIFY(std::filesystem::exists(folder / "Alps.ter"));
      QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("unitExp"))->text(), QStringLiteral("1"));
      QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("MaxUnits"))->text(),
               toQt(window.params().text("MaxUnits")));
      QVERIFY(window.params().number("MaxUnits") > 1500);  // about 1,700 ft at the northern edge

      auto* undo = window.findChild<QPushButton*>(QStringLiteral("Undo"));
      QVERIFY(undo->isEnabled());
      // The step names the controls of the Terragen column it set, and undo puts them back.
      QVERIFY2(undo->toolTip().startsWith(QStringLiteral("Undo Import DEM (Alps.ter; MaxUnits, ")) &&
                   undo->toolTip().contains(QStringLiteral(", unitExp, InvFileOrder) at ")),
               qPrintable(undo->toolTip()));
      QTest::mouseClick(undo, Qt::LeftButton);
      QVERIFY(!std::filesystem::exists(folder / "Alps.ter"));
      QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("unitExp"))->text(), unitExpBefore);
      QVERIFY(window.findChild<QPushButton*>(QStringLiteral("Redo"))->isEnabled());
    }
    QDir::setCurrent(previous);
  }

  void sourcesCentreTheTheatreAndTheImportCloses() {
    int seenPercent = -1;
    DemImportDialog dialog(module(), [&](const DemImportRequest& request) {
      DemImportRequest watched = request;
      watched.progress = [&](int percent) {
        seenPercent = percent;
        return request.progress(percent);
      };
      return ImportDem_Click(h.cx, watched);
    });
    dialog.addSources({source, tmp.path() / "notes.txt"});
    QCOMPARE(dialog.sourceList()->count(), 2);
    QCOMPARE(dialog.sourceList()->item(0)->text(), QStringLiteral("geo.tif"));
    QCOMPARE(dialog.sourceList()->item(0)->toolTip(), pathText(source));
    QCOMPARE(dialog.sourceList()->item(1)->foreground().color(), QColor(Qt::red));
    QVERIFY(dialog.sourceList()->item(1)->toolTip().contains("Can't open the elevation source:"));
    QVERIFY(std::fabs(dialog.request().centre->lat - 47.0) < 1e-6);
    QVERIFY(std::fabs(dialog.request().centre->lon - 8.5) < 1e-6);

    dialog.sourceList()->setCurrentRow(1);  // the unreadable one alone
    for (QPushButton* b : dialog.findChildren<QPushButton*>())
      if (b->text() == "Remove") b->click();
    QCOMPARE(dialog.sourceList()->count(), 1);

    dialog.startImport();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(seenPercent, 100);
    QCOMPARE(dialog.progressBar()->value(), 100);
    QVERIFY(std::filesystem::exists(folder / "Alps.ter"));
  }

  void cancelWhileRunningLeavesTheFieldAndTheDialog() {
    std::filesystem::remove(folder / "Alps.ter");
    DemImportDialog* open = nullptr;
    DemImportDialog dialog(module(), [&](const DemImportRequest& request) {
      DemImportRequest pressing = request;
      pressing.progress = [&](int percent) {
        if (percent > 0) open->cancel();  // as a click on Cancel between two progress steps
        return request.progress(percent);
      };
      return ImportDem_Click(h.cx, pressing);
    });
    open = &dialog;
    dialog.addSources({source});
    dialog.startImport();
    QVERIFY(dialog.result() != int(QDialog::Accepted));
    QVERIFY(!std::filesystem::exists(folder / "Alps.ter"));
    QVERIFY(h.host.messages.back().text.find("cancelled") != std::string::npos);
  }
};

QTEST_MAIN(DemDialogTest)
#include "dem_dialog_test.moc"
