#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

#include "demo/demo_terrain.h"
#include "gui/folder_picker.h"
#include "gui/gui_host.h"
#include "gui/main_menu.h"
#include "gui/main_window.h"
#include "gui/preview_window.h"
#include "gui/qt_text.h"

using namespace quarnby;

namespace {

// The window on the demo terrain, started where the demo's settings file lies.
struct DemoWindow {
  DemoWindow() : previous(QDir::currentPath()) {
    if (auto error = demo::writeDemoTerrain(pathOf(parent.path()))) qFatal("demo terrain: %s", error->c_str());
    QDir::setCurrent(parent.path());
    window = std::make_unique<MainWindow>(pathOf(parent.filePath(QStringLiteral("Demo"))));
    window->host().setBoxHook([this](const GuiHost::Box& box) {
      boxes.push_back(box);
      return answerYes;
    });
    window->startUp();
  }
  ~DemoWindow() {
    window.reset();
    QDir::setCurrent(previous);
  }
  void click(const char* button) {
    boxes.clear();
    QTest::mouseClick(window->findChild<QPushButton*>(QLatin1String(button)), Qt::LeftButton);
  }
  QString shown(const char* name) const {
    if (auto* edit = window->findChild<QLineEdit*>(QLatin1String(name))) return edit->text();
    return window->findChild<QLabel*>(QLatin1String(name))->text();
  }

  QTemporaryDir parent;
  QString previous;
  std::unique_ptr<MainWindow> window;
  std::vector<GuiHost::Box> boxes;
  bool answerYes = false;
};

}  // namespace

// Operations started from the window's buttons read what the window shows and show
// what they write.
class OperationsTest : public QObject {
  Q_OBJECT
  QTemporaryDir state_;

 private slots:
  // The undo history goes to the test's own folder, never to the user's.
  void initTestCase() {
    qputenv("XDG_STATE_HOME", state_.path().toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);
  }

  void theImportWorksFromTheButtons() {
    DemoWindow d;

    d.click("FindMaxMinUnits");
    QCOMPARE(d.boxes.size(), std::size_t(1));
    QCOMPARE(d.boxes[0].text, QStringLiteral("Done"));
    QCOMPARE(d.shown("MaxUnits"), toQt(d.window->params().text("MaxUnits")));
    QVERIFY(d.window->params().number("MaxUnits") > 1000);
    QCOMPARE(d.window->findChild<QProgressBar*>("ProgressBar1")->value(), 100);

    // A value typed in the window is what the import reads: a sea level above the
    // maximum is refused.
    QLineEdit* slUnits = d.window->findChild<QLineEdit*>("slUnits");
    slUnits->selectAll();
    QTest::keyClicks(slUnits, "999999");
    d.click("SetElv");
    QCOMPARE(d.boxes.size(), std::size_t(1));
    QCOMPARE(d.boxes[0].icon, Icon::Critical);
    QVERIFY(!QFile::exists(d.parent.filePath(QStringLiteral("Demo/Demo.elv"))));

    slUnits->selectAll();
    QTest::keyClicks(slUnits, "0");
    d.click("SetElv");
    QCOMPARE(d.boxes.size(), std::size_t(1));
    QVERIFY2(d.boxes[0].text.startsWith(QStringLiteral("Max Elevation")), qPrintable(d.boxes[0].text));
    QVERIFY(QFile::exists(d.parent.filePath(QStringLiteral("Demo/Demo.elv"))));

    d.click("Command1");
    QCOMPARE(d.boxes.size(), std::size_t(1));
    QCOMPARE(d.boxes[0].text, QStringLiteral("Done"));
    QCOMPARE(QFileInfo(d.parent.filePath(QStringLiteral("Demo/Demo.typ"))).size(), qint64(512 * 512));
  }

  // A new user on the demo terrain presses every button in the window's order: every
  // step works, no error box, and every file of the folder is made with its size.
  void theWholePipelineFromTheButtons() {
    DemoWindow d;
    d.answerYes = true;
    auto press = [&](const char* button) {
      d.click(button);
      QVERIFY2(!d.boxes.empty(), button);
      for (const auto& box : d.boxes)
        QVERIFY2(box.icon != Icon::Critical, qPrintable(QString(button) + ": " + box.text));
    };
    auto choose = [&](const char* name) {
      QTest::mouseClick(d.window->findChild<QAbstractButton*>(QLatin1String(name)), Qt::LeftButton);
      QVERIFY(d.window->findChild<QAbstractButton*>(QLatin1String(name))->isChecked());
    };
    press("FindMaxMinUnits");
    press("SetElv");
    press("Command1");
    press("SetSubTypes");
    choose("Check1");
    choose("Check3");
    press("Command2");
    QVERIFY2(d.boxes.back().text.startsWith(QStringLiteral("Done.")), qPrintable(d.boxes.back().text));
    press("MakeTracks");
    QVERIFY2(d.boxes.back().text.contains(QStringLiteral("There where ")), qPrintable(d.boxes.back().text));
    // Every track is laid out, the ports' rivers among them: the closing message only.
    QCOMPARE(d.boxes.size(), std::size_t(1));
    for (const char* kind : {"MapOp1", "MapOp2", "MapOp3"}) {
      choose(kind);
      press("Command3");
    }
    press("ExpBmp");
    press("FindMaxMinUnitsBmp");
    press("SetElvGrey");

    const std::vector<std::pair<const char*, qint64>> files = {
        {"Demo.elv", 2097152},          {"Demo.typ", 262144},          {"Demo.SYP", 262144},
        {"Demo_colormap.bmp", 1048676}, {"Demo_roadmap.bmp", 1048676}, {"Demo_objdots.bmp", 1048676},
        {"Demo_elv.bmp", 1049656}};
    for (const auto& [name, size] : files)
      QCOMPARE(QFileInfo(d.parent.filePath(QStringLiteral("Demo/") + name)).size(), size);
    QVERIFY(QFileInfo(d.parent.filePath(QStringLiteral("Demo/Demo.tra"))).size() > 1000);
  }

  // Undo and Redo follow the folder's history: their tooltips name the step, pressing
  // them (or their keys) puts the files back and forward, another folder has its own.
  void undoAndRedoFromTheButtonsAndKeys() {
    DemoWindow d;
    auto* undo = d.window->findChild<QPushButton*>("Undo");
    auto* redo = d.window->findChild<QPushButton*>("Redo");
    QVERIFY(undo && redo);
    QVERIFY(!undo->isEnabled() && !redo->isEnabled());
    const QString typ = d.parent.filePath(QStringLiteral("Demo/Demo.typ"));
    const auto bytes = [](const QString& file) {
      QFile f(file);
      return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };

    d.click("FindMaxMinUnits");
    d.click("SetElv");
    d.click("Command1");
    const QByteArray typed = bytes(typ);
    QCOMPARE(typed.size(), 512 * 512);
    QVERIFY(undo->isEnabled() && !redo->isEnabled());
    QVERIFY2(undo->toolTip().startsWith(QStringLiteral("Undo Set Type (Demo.typ) at ")), qPrintable(undo->toolTip()));

    // Undo tells what it did on the status bar, with no box to dismiss; Edit names the step.
    QCOMPARE(d.window->menu().undoAction()->text(), QStringLiteral("&Undo \u201CSet Type\u201D"));
    d.click("Undo");
    QVERIFY(d.boxes.empty());
    const QString told = d.window->menu().statusBar()->currentMessage();
    QVERIFY2(told.startsWith(QStringLiteral("Undone: Set Type (Demo.typ) at ")), qPrintable(told));
    QCOMPARE(d.window->menu().redoAction()->text(), QStringLiteral("&Redo \u201CSet Type\u201D"));
    QVERIFY(!QFile::exists(typ));  // Set Type made it, so undoing removes it
    QVERIFY(redo->isEnabled());
    QVERIFY(redo->toolTip().startsWith(QStringLiteral("Redo Set Type (Demo.typ) at ")));
    QVERIFY(undo->toolTip().startsWith(QStringLiteral("Undo Set Elevation (Terragen) (Demo.elv) at ")));

    d.click("Redo");
    QCOMPARE(bytes(typ), typed);
    QVERIFY(!redo->isEnabled());

    // The keys, with the focus on a button (a text field keeps Ctrl+Z for itself).
    d.window->show();
    d.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(d.window.get()));
    d.window->findChild<QPushButton*>("Command1")->setFocus();
    QTest::keyClick(d.window.get(), Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(!QFile::exists(typ));
    QTest::keyClick(d.window.get(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(bytes(typ), typed);
    QTest::keyClick(d.window.get(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(d.window.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(bytes(typ), typed);

    // The same keys in the preview.
    d.window->showPreview();
    QVERIFY(QTest::qWaitForWindowActive(d.window->preview()));
    QTest::keyClick(d.window->preview(), Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(!QFile::exists(typ));
    QTest::keyClick(d.window->preview(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(bytes(typ), typed);
    d.window->preview()->close();

    // Another folder has a history of its own: here, none.
    QVERIFY(d.window->folderPicker().open(pathOf(d.parent.path())));
    QVERIFY(!undo->isEnabled() && !redo->isEnabled());
    QCOMPARE(undo->toolTip(), QString());
  }

  void theFileSystemRootIsNoTerrainFolder() {
    QTemporaryDir work;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(work.path());
    std::vector<GuiHost::Box> boxes;
    {
      MainWindow window(std::filesystem::path("/"));
      window.host().setBoxHook([&](const GuiHost::Box& box) {
        boxes.push_back(box);
        return false;
      });
      window.startUp();
      QCOMPARE(window.findChild<QLabel*>("LabelTer")->text(), QStringLiteral("Use '.ter'"));
      QTest::mouseClick(window.findChild<QPushButton*>("Command1"), Qt::LeftButton);
    }
    QDir::setCurrent(previous);
    QCOMPARE(boxes.size(), std::size_t(1));
    QCOMPARE(boxes[0].text, QStringLiteral("Please select a terrain folder."));
    QCOMPARE(boxes[0].icon, Icon::Information);
    QCOMPARE(boxes[0].title, QStringLiteral("Quarnby"));
  }
};

QTEST_MAIN(OperationsTest)
#include "operations_test.moc"
