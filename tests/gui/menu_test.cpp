// The menu bar, the status bar, the recent folders and the number fields' marks.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHelpEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>

#include <set>

#include "app/commands.h"
#include "gui/folder_picker.h"
#include "gui/main_menu.h"
#include "gui/number_mark.h"
#include "gui/recent_folders.h"
#include "window_fixture.h"

using namespace quarnby;
using quarnby::testing::WindowFixture;

namespace {

QStringList itemsOf(QMenu* menu) {
  QStringList texts;
  for (QAction* a : menu->actions())
    if (!a->isSeparator()) texts << a->text().remove(QLatin1Char('&'));
  return texts;
}

QMenu* menuNamed(const WindowFixture& f, const char* name) {
  return f.window->menu().menuBar()->findChild<QMenu*>(QLatin1String(name));
}

}  // namespace

class MenuTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { QSettings().remove(QStringLiteral("RecentFolders")); }

  void theMenusHoldTheCommandsOfTheTable() {
    WindowFixture f;
    QCOMPARE(
        itemsOf(menuNamed(f, "FileMenu")),
        (QStringList{"Open Terrain Folder...", "Recent Folders", "Import DEM...", "Import Land Cover...",
                     "Set Theatre Centre...", "Export GIS...", "Set Elevation (Terragen)", "Set Elevation (Greyscale)",
                     "Export (Greyscale)", "Save Settings", "Re-Load Settings", "Quit"}));
    QCOMPARE(itemsOf(menuNamed(f, "EditMenu")), (QStringList{"Undo", "Redo", "History..."}));
    QCOMPARE(itemsOf(menuNamed(f, "ViewMenu")), QStringList{"Preview"});
    QCOMPARE(itemsOf(menuNamed(f, "HelpMenu")), (QStringList{"Order of Work", "Keys", "Manual", "About Quarnby"}));
    // Every item for a command of the table carries its line of help (Undo and Redo name
    // their step instead).
    for (const Command& command : commands())
      if (QAction* item = command.name == "undo" || command.name == "redo"
                              ? nullptr
                              : f.window->menu().action(toQt(command.name) + QStringLiteral("Item")))
        QCOMPARE(item->statusTip(), toQt(command.help));
    QCOMPARE(f.window->menu().undoAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    QVERIFY(!f.window->menu().undoAction()->isEnabled());

    // An item presses its button: History has none and shows the folder's steps in a box.
    f.window->menu().action(QStringLiteral("save-settingsItem"))->trigger();
    QVERIFY(f.boxes.empty());
    QVERIFY(f.window->menu().statusBar()->currentMessage().startsWith(QStringLiteral("Saved to /")));
    f.window->menu().action(QStringLiteral("historyItem"))->trigger();
    QCOMPARE(f.boxes.size(), std::size_t(1));
    QCOMPARE(f.boxes[0].text, QStringLiteral("Nothing to undo or redo."));

    // About names the version and the libraries.
    QVERIFY(MainMenu::aboutText().contains(QStringLiteral("Quarnby 2.4")));
    QVERIFY(MainMenu::aboutText().contains(QStringLiteral("Qt ") + QLatin1String(qVersion())));
    QVERIFY(MainMenu::aboutText().contains(QStringLiteral("licence")));
    QVERIFY(MainMenu::keys().contains(QStringLiteral("Ctrl+Shift+Z")));
  }

  void theTitleAndTheRecentFoldersFollowTheTerrainFolder() {
    WindowFixture f(QStringLiteral("Demo"));
    // An empty folder is not offered again; one with files named after it is.
    QVERIFY(recentFolders().empty());
    QFile ter(f.terrainFolder + QStringLiteral("/Demo.ter"));
    QVERIFY(ter.open(QIODevice::WriteOnly));
    ter.close();
    const QString other = f.path(QStringLiteral("Terrains/Other"));
    QVERIFY(QDir().mkpath(other));
    QFile oba(other + QStringLiteral("/Other.oba"));
    QVERIFY(oba.open(QIODevice::WriteOnly));
    oba.close();

    FolderPicker& picker = f.window->folderPicker();
    QVERIFY(picker.open(pathOf(f.path(QStringLiteral("Terrains")))) && picker.open(pathOf(f.terrainFolder)));
    const auto demo = f.window->folder();
    QVERIFY(picker.open(pathOf(f.path(QStringLiteral("Terrains")))) && picker.open(pathOf(other)));
    const auto second = f.window->folder();
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Other - Quarnby 2.4"));
    QCOMPARE(recentFolders(), (std::vector{second, demo}));
    QVERIFY(picker.open(demo));
    QCOMPARE(recentFolders(), (std::vector{demo, second}));
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Demo - Quarnby 2.4"));

    // Started without a folder, the window opens on the last one used that is still there.
    QCOMPARE(startFolder({}), demo);
    QCOMPARE(startFolder(second), second);
    QVERIFY(QDir(f.terrainFolder).removeRecursively());
    QCOMPARE(startFolder({}), second);

    // The recent menu, as File and the path field offer it, opens a folder.
    auto* recent = f.window->menu().menuBar()->findChild<QMenu*>(QStringLiteral("RecentMenu"));
    emit recent->aboutToShow();
    QCOMPARE(itemsOf(recent).first(), pathText(demo));
    QVERIFY(f.find<QLineEdit>(QStringLiteral("FolderPath"))->findChild<QAction*>(QStringLiteral("RecentFoldersOffer")));
    QVERIFY(picker.open(pathOf(f.path(QStringLiteral("Terrains")))));
    recent->actions().at(1)->trigger();
    QCOMPARE(f.window->folder(), second);
  }

  // The status bar names the theatre centre of a folder that keeps its frame, and says
  // when there is none.
  void theStatusBarNamesTheTheatreCentre() {
    WindowFixture f(QStringLiteral("Alps"));
    auto* theatre = f.window->findChild<QLabel*>(QStringLiteral("TheatreFrame"));
    QVERIFY(theatre);
    QCOMPARE(theatre->text(), QStringLiteral("No theatre frame"));
    QVERIFY(QDir(f.terrainFolder).mkpath(QStringLiteral("gis")));
    QFile frame(f.terrainFolder + QStringLiteral("/gis/Alps_theatre.txt"));
    QVERIFY(frame.open(QIODevice::WriteOnly));
    frame.write("centre = 46.5,-8.25\r\nprojection = +proj=aeqd +lat_0=46.5 +lon_0=-8.25\r\n");
    frame.close();
    QVERIFY(f.window->folderPicker().open(pathOf(f.path(QStringLiteral("Terrains")))) &&
            f.window->folderPicker().open(pathOf(f.terrainFolder)));
    QCOMPARE(theatre->text(), QStringLiteral("Theatre centre 46.50000 N, 8.25000 W"));
    QVERIFY(theatre->toolTip().startsWith(QStringLiteral("+proj=aeqd")));
  }

  // "12,000" in Max Alt reads as 12: the field says so before anything runs, and the
  // value read stays what the numeric-text rule gives.
  void aNumberFieldShowsHowItReadsItsText() {
    WindowFixture f;
    struct Case {
      const char* typed;
      const char* reads;  // empty: read whole, no mark
    } const cases[] = {{"12,000", "reads as 12"}, {"12000", ""}, {" 1.5E3 ", ""},
                       {"abc", "reads as 0"},     {"", ""},      {"&HFF", ""},
                       {"&HFFx", "reads as 255"}, {"3 000", ""}, {"1e5ft", "reads as 100000"}};
    auto* maxAlt = f.find<QLineEdit>(QStringLiteral("MaxAlt"));
    const QString laidOutTip = maxAlt->toolTip();
    auto* mark = maxAlt->findChild<NumberMark*>();
    QVERIFY(mark);
    for (const Case& c : cases) {
      maxAlt->selectAll();
      QTest::keyClicks(maxAlt, QLatin1String(c.typed));
      if (!*c.typed) QTest::keyClick(maxAlt, Qt::Key_Delete);
      QCOMPARE(maxAlt->text(), QLatin1String(c.typed));
      QCOMPARE(NumberMark::readsAs(maxAlt->text()), QLatin1String(c.reads));
      QVERIFY2(mark->shown() == (*c.reads != 0), c.typed);
      QVERIFY2(*c.reads ? maxAlt->toolTip().endsWith(QLatin1String(c.reads)) && maxAlt->toolTip().startsWith(laidOutTip)
                        : maxAlt->toolTip() == laidOutTip,
               c.typed);
    }
    // An operation's write shows the mark too, and the value read is the rule's.
    f.window->params().setText("LenRoad", "12, or so");
    QVERIFY(f.find<QLineEdit>(QStringLiteral("LenRoad"))->findChild<NumberMark*>()->shown());
    QCOMPARE(f.window->params().number("LenRoad"), 12.0);
  }
};

int main(int argc, char** argv) {
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("QuarnbyTest"));
  MenuTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "menu_test.moc"
