#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTreeWidget>

#include "gui/directory_list.h"
#include "gui/folder_picker.h"
#include "terrain/terrain_folder.h"
#include "window_fixture.h"

using namespace quarnby;
using quarnby::testing::WindowFixture;

namespace {

QString labelTer(const WindowFixture& f) { return f.find<QLabel>("LabelTer")->text(); }
QString labelBmp(const WindowFixture& f) { return f.find<QLabel>("LabelBmp")->text(); }

QTreeWidgetItem* itemNamed(QTreeWidget* list, const QString& text) {
  const auto found = list->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
  return found.size() == 1 ? found.front() : nullptr;
}

// A double-click as a mouse sends it: press, release, double-click, release.
void doubleClick(QTreeWidget* list, QTreeWidgetItem* item) {
  QVERIFY(item);
  list->scrollToItem(item);
  const QPointF at = list->visualItemRect(item).center();
  const QPointF global = list->viewport()->mapToGlobal(at);
  for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                            QEvent::MouseButtonRelease}) {
    const bool down = type != QEvent::MouseButtonRelease;
    QMouseEvent event(type, at, global, Qt::LeftButton, down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &event);
  }
}

void typePath(const WindowFixture& f, const QString& path) {
  QLineEdit* field = f.find<QLineEdit>("FolderPath");
  field->selectAll();
  QTest::keyClicks(field, path);
  QTest::keyClick(field, Qt::Key_Return);
}

}  // namespace

class FolderTest : public QObject {
  Q_OBJECT
 private slots:
  void dir1ListsTheFolderAndOpensSubFoldersAndParents() {
    WindowFixture f;
    QDir(f.terrainFolder).mkpath(QStringLiteral("Alps"));
    QDir(f.terrainFolder).mkpath(QStringLiteral(".hidden"));
    QDir(f.path(QStringLiteral("Terrains"))).mkpath(QStringLiteral("North.Sea"));
    f.window->folderPicker().open(pathOf(f.terrainFolder));  // shows the new sub-folders

    f.window->show();  // items are double-clicked where they are drawn
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    auto* dir1 = f.find<QTreeWidget>("Dir1");
    QCOMPARE(dir1->currentItem()->text(0), QStringLiteral("Europe"));
    QVERIFY(itemNamed(dir1, QStringLiteral("Alps")));
    QVERIFY(!itemNamed(dir1, QStringLiteral(".hidden")));
    QCOMPARE(f.find<QLineEdit>("FolderPath")->text(), f.terrainFolder);
    QVERIFY(f.find<QLineEdit>("FolderPath")->completer());

    // Into a sub-folder: both labels follow at once.
    doubleClick(dir1, itemNamed(dir1, QStringLiteral("Alps")));
    QCOMPARE(pathText(f.window->folder()), f.terrainFolder + QStringLiteral("/Alps"));
    QCOMPARE(labelTer(f), QStringLiteral("Use 'Alps.ter'"));
    QCOMPARE(labelBmp(f), QStringLiteral("Use 'Alps_elv.bmp'"));

    // One click opens a folder too; a highlight moved with the keys returns to the
    // terrain folder when the list loses the focus, so only one folder looks chosen.
    QTest::keyClick(dir1, Qt::Key_Backspace);
    const QRect alps = dir1->visualItemRect(itemNamed(dir1, QStringLiteral("Alps")));
    QTest::mouseClick(dir1->viewport(), Qt::LeftButton, Qt::NoModifier, alps.center());
    QCOMPARE(labelTer(f), QStringLiteral("Use 'Alps.ter'"));
    dir1->setFocus();
    QTest::keyClick(dir1, Qt::Key_Up);
    QVERIFY(dir1->currentItem()->text(0) != QStringLiteral("Alps"));
    f.find<QLineEdit>("FolderPath")->setFocus();
    QCOMPARE(dir1->currentItem()->text(0), QStringLiteral("Alps"));

    // Backspace goes up; a parent in the chain opens too.
    QTest::keyClick(dir1, Qt::Key_Backspace);
    QCOMPARE(labelTer(f), QStringLiteral("Use 'Europe.ter'"));
    doubleClick(dir1, itemNamed(dir1, QStringLiteral("Terrains")));
    QCOMPARE(labelTer(f), QStringLiteral("Use 'Terrains.ter'"));
    // A dotted name keeps its dot.
    doubleClick(dir1, itemNamed(dir1, QStringLiteral("North.Sea")));
    QCOMPARE(labelTer(f), QStringLiteral("Use 'North.Sea.ter'"));
    QCOMPARE(labelBmp(f), QStringLiteral("Use 'North.Sea_elv.bmp'"));
    QCOMPARE(f.window->params().text("LabelBmp"), std::string("Use 'North.Sea_elv.bmp'"));
    // A name beyond ASCII shows as the file system spells it.
    const QString zurich = QString::fromUtf8("Z\xc3\xbcrich");
    QVERIFY(QDir(f.path(QStringLiteral("Terrains"))).mkpath(zurich));
    QVERIFY(f.window->folderPicker().open(pathOf(f.path(QStringLiteral("Terrains/")) + zurich)));
    QCOMPARE(labelTer(f), QStringLiteral("Use '") + zurich + QStringLiteral(".ter'"));
    QVERIFY(f.boxes.empty());
  }

  void aTypedOrPastedPathOpensNormalised() {
    WindowFixture f;
    QDir(f.terrainFolder).mkpath(QStringLiteral("Alps"));
    typePath(f, f.terrainFolder + QStringLiteral("/Alps/"));
    QCOMPARE(pathText(f.window->folder()), f.terrainFolder + QStringLiteral("/Alps"));
    QCOMPARE(labelTer(f), QStringLiteral("Use 'Alps.ter'"));
    QCOMPARE(f.find<QLineEdit>("FolderPath")->text(), f.terrainFolder + QStringLiteral("/Alps"));
    // A relative path is taken from the terrain folder.
    typePath(f, QStringLiteral(".."));
    QCOMPARE(pathText(f.window->folder()), f.terrainFolder);
    // The file system's root has no base name.
    typePath(f, QStringLiteral("/"));
    QCOMPARE(labelTer(f), QStringLiteral("Use '.ter'"));
    QCOMPARE(labelBmp(f), QStringLiteral("Use '_elv.bmp'"));
    QVERIFY(f.boxes.empty());
  }

  void aFolderThatCannotBeReadKeepsThePreviousOne() {
    WindowFixture f;
    const QString missing = f.path(QStringLiteral("Terrains/Atlantis"));
    typePath(f, missing);
    QCOMPARE(f.boxes.size(), std::size_t(1));
    QCOMPARE(f.boxes[0].icon, Icon::Exclamation);
    QCOMPARE(f.boxes[0].title, QStringLiteral("Quarnby"));
    QVERIFY2(f.boxes[0].text.startsWith(QStringLiteral("Can't read the folder:\n") + missing + QLatin1Char('\n')),
             qPrintable(f.boxes[0].text));
    QVERIFY(f.boxes[0].text.endsWith(QStringLiteral("The terrain folder stays:\n") + f.terrainFolder));
    QCOMPARE(pathText(f.window->folder()), f.terrainFolder);
    QCOMPARE(labelTer(f), QStringLiteral("Use 'Europe.ter'"));
    // The mistyped path stays in the field, selected, to be corrected.
    QCOMPARE(f.find<QLineEdit>("FolderPath")->text(), missing);
    QCOMPARE(f.find<QLineEdit>("FolderPath")->selectedText(), missing);

    // A file is no folder either.
    QFile file(f.path(QStringLiteral("Terrains/Europe.elv")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    typePath(f, file.fileName());
    QCOMPARE(f.boxes.size(), std::size_t(2));
    QCOMPARE(pathText(f.window->folder()), f.terrainFolder);
  }

  void drive1MovesDir1ToThePickedDrivesFolder() {
    WindowFixture f;
    QDir root(f.path(QString()));
    for (const char* d : {"driveA/Terrains/Europe", "driveB"}) QVERIFY(root.mkpath(QLatin1String(d)));
    const auto driveA = normalisedFolder(pathOf(f.path(QStringLiteral("driveA"))));
    const auto driveB = normalisedFolder(pathOf(f.path(QStringLiteral("driveB"))));
    const auto gone = normalisedFolder(pathOf(f.path(QStringLiteral("driveC"))));  // no medium
    FolderPicker& picker = f.window->folderPicker();
    picker.setDrives({driveA, driveB, gone});
    auto* drive1 = f.find<QComboBox>("Drive1");
    QCOMPARE(drive1->count(), 3);

    QVERIFY(picker.open(driveA / "Terrains" / "Europe"));
    QCOMPARE(drive1->currentIndex(), 0);
    QCOMPARE(f.find<QTreeWidget>("Dir1")->topLevelItem(0)->text(0), pathText(driveA));

    emit drive1->activated(1);
    QCOMPARE(f.window->folder(), driveB);
    QCOMPARE(labelTer(f), QStringLiteral("Use 'driveB.ter'"));
    QCOMPARE(drive1->currentIndex(), 1);
    // Back on the first drive, Dir1 returns to that drive's folder.
    drive1->setCurrentIndex(0);
    emit drive1->activated(0);
    QCOMPARE(f.window->folder(), driveA / "Terrains" / "Europe");
    QCOMPARE(labelTer(f), QStringLiteral("Use 'Europe.ter'"));
    QVERIFY(f.boxes.empty());

    // A drive that cannot be read: the folder and the drive list stay.
    drive1->setCurrentIndex(2);
    emit drive1->activated(2);
    QCOMPARE(f.boxes.size(), std::size_t(1));
    QVERIFY(f.boxes[0].text.startsWith(QStringLiteral("Can't read the drive:\n") + pathText(gone)));
    QCOMPARE(f.window->folder(), driveA / "Terrains" / "Europe");
    QCOMPARE(drive1->currentIndex(), 0);
  }

  void theMachinesDrivesStartWithTheRoot() {
    const auto drives = mountedDrives();
    QVERIFY(!drives.empty());
    QCOMPARE(drives.front(), std::filesystem::path("/"));
    for (const auto& d : drives) QVERIFY2(d.native().rfind("/proc", 0) != 0, d.c_str());
  }

  void aStartFolderThatCannotBeReadFallsBackToTheWorkingFolder() {
    QTemporaryDir work;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(work.path());
    std::vector<GuiHost::Box> boxes;
    {
      MainWindow window(pathOf(work.filePath(QStringLiteral("nowhere"))));
      window.host().setBoxHook([&](const GuiHost::Box& box) {
        boxes.push_back(box);
        return false;
      });
      window.startUp();
      QCOMPARE(window.folder(), normalisedFolder(pathOf(work.path())));
      QCOMPARE(window.findChild<QLabel*>("LabelTer")->text(),
               QStringLiteral("Use '") + QDir(work.path()).dirName() + QStringLiteral(".ter'"));
    }
    QDir::setCurrent(previous);
    QCOMPARE(boxes.size(), std::size_t(1));
    QVERIFY(boxes[0].text.startsWith(QStringLiteral("Can't read the folder:\n")));
  }
};

QTEST_MAIN(FolderTest)
#include "folder_test.moc"
