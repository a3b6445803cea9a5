#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <condition_variable>
#include <mutex>

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

// A module whose sources are described only when the test lets them: a source that
// blocks (a pipe, a silent host) without a clock.
class HeldModule : public geo::GeoModule {
 public:
  explicit HeldModule(const geo::GeoModule& real) : real_(real) {}
  Outcome importDem(Context& cx, const DemImportRequest& r) const override { return real_.importDem(cx, r); }
  std::optional<geo::SourceInfo> describeSource(const std::filesystem::path& file,
                                                std::string& problem) const override {
    std::unique_lock lock(mutex_);
    ++entered_;
    changed_.notify_all();
    changed_.wait(lock, [this] { return released_; });
    auto info = real_.describeSource(file, problem);
    ++left_;
    changed_.notify_all();
    return info;
  }
  geo::GeoPoint centreOfSources(std::span<const geo::SourceInfo> s) const override { return real_.centreOfSources(s); }
  std::vector<geo::GeoPoint> theatreOutline(geo::GeoPoint c) const override { return real_.theatreOutline(c); }
  std::string libraryVersions() const override { return real_.libraryVersions(); }
  LandCoverResult landCover(const LandCoverRequest& r) const override { return real_.landCover(r); }
  bool toGeographic(const std::string& p, std::span<const geo::WorldPoint> in, std::span<geo::GeoPoint> out,
                    std::string& problem) const override {
    return real_.toGeographic(p, in, out, problem);
  }
  bool toWorld(const std::string& p, std::span<const geo::GeoPoint> in, std::span<geo::WorldPoint> out,
               std::string& problem) const override {
    return real_.toWorld(p, in, out, problem);
  }
  std::optional<geo::ReferenceLayer> readReference(const std::filesystem::path& f, const std::string& p,
                                                   std::string& problem) const override {
    return real_.readReference(f, p, problem);
  }
  Outcome exportGis(Context& cx, const std::filesystem::path& f) const override { return real_.exportGis(cx, f); }

  void waitUntilEntered(int count) const {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return entered_ >= count; });
  }
  void waitUntilLeft(int count) const {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return left_ >= count; });
  }
  void release() const {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }

 private:
  const geo::GeoModule& real_;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  mutable int entered_ = 0;
  mutable int left_ = 0;
  mutable bool released_ = false;
};

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
    QStandardPaths::setTestModeEnabled(true);
    QSettings().clear();
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
        QTRY_VERIFY(!dialog->describing());
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
      QVERIFY2(
          undo->toolTip().startsWith(QStringLiteral("Undo Import DEM (Alps.ter, gis/Alps_theatre.txt; MaxUnits, ")) &&
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
    QTRY_VERIFY(!dialog.describing());
    // A refused source holds Import back until it is removed.
    QVERIFY(!dialog.canImport());
    QVERIFY(dialog.summary().contains(QStringLiteral("1 source(s) cannot be used")));
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
    QVERIFY(dialog.canImport());

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
    QTRY_VERIFY(!dialog.describing());
    dialog.startImport();
    QVERIFY(dialog.result() != int(QDialog::Accepted));
    QVERIFY(!std::filesystem::exists(folder / "Alps.ter"));
    QVERIFY(h.host.messages.back().text.find("cancelled") != std::string::npos);
  }

  // A source that does not answer holds its own thread only: the dialog adds it at once,
  // keeps Import off while it waits, and closes on Cancel; the answer, when it comes,
  // fills the list, or finds the dialog gone.
  void aSourceThatBlocksNeverFreezesTheDialog() {
    for (const bool cancelFirst : {false, true}) {
      // It outlives the thread that reads from it, as the loaded module does.
      const HeldModule& held = *new HeldModule(module());
      auto dialog = std::make_unique<DemImportDialog>(held, [](const DemImportRequest&) { return Outcome::Completed; });
      dialog->addSources({source});
      held.waitUntilEntered(1);
      QVERIFY(dialog->describing());
      QVERIFY(!dialog->canImport());
      QVERIFY(dialog->summary().contains(QStringLiteral("Reading 1 source(s)")));
      QApplication::processEvents();  // the dialog's thread is free
      if (cancelFirst) {
        dialog->cancel();
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        dialog.reset();
        held.release();
        held.waitUntilLeft(1);
        QApplication::processEvents();  // the late answer finds the dialog gone
        continue;
      }
      held.release();
      QTRY_VERIFY(!dialog->describing());
      QCOMPARE(dialog->sourceList()->item(0)->text(), QStringLiteral("geo.tif"));
      QVERIFY(dialog->canImport());
      QVERIFY(std::fabs(dialog->request().centre->lat - 47.0) < 1e-6);
    }
  }

  // The dialog says what it will write and for which theatre, asks before a field is
  // replaced, refuses a latitude beyond the limit in view, and remembers its sources.
  void theDialogSaysWhatItWillDo() {
    const auto field = folder / "Alps.ter";
    testing::writeText(field, "old");
    std::vector<std::string> asked;
    bool answer = false;
    int runs = 0;
    DemImportDialog dialog(module(), [&](const DemImportRequest&) {
      ++runs;
      return Outcome::Completed;
    });
    dialog.setTarget({field, true, [&](const std::string& text, const std::string&) {
                        asked.push_back(text);
                        return answer;
                      }});
    QVERIFY(dialog.summary().contains(pathText(field) + QStringLiteral(": the whole 512-mile theatre")));
    QVERIFY(dialog.summary().contains(QStringLiteral("256-mile map")));
    dialog.addSources({source});
    QTRY_VERIFY(!dialog.describing());

    auto* lat = dialog.findChildren<QDoubleSpinBox*>().at(0);
    lat->setValue(85.0);
    QCOMPARE(lat->value(), 85.0);  // shown as given, not clipped
    QVERIFY(!dialog.canImport());
    QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("DemSummary"))->text().contains(QStringLiteral("latitude")));
    lat->setValue(47.0);
    QVERIFY(dialog.canImport());

    dialog.startImport();  // No: nothing runs
    QCOMPARE(asked.size(), std::size_t(1));
    QCOMPARE(asked[0], "This will replace the file:\r\n" + field.string() + "\r\n\r\nContinue?");
    QCOMPARE(runs, 0);
    answer = true;
    dialog.startImport();
    QCOMPARE(runs, 1);

    DemImportDialog again(module(), [](const DemImportRequest&) { return Outcome::Completed; });
    again.addRememberedSources();
    QCOMPARE(again.sourceList()->count(), 1);
    QCOMPARE(again.request().sources.at(0), source);
    QTRY_VERIFY(!again.describing());
  }
};

QTEST_MAIN(DemDialogTest)
#include "dem_dialog_test.moc"
