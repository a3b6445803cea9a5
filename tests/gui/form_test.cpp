#include <QApplication>
#include <QKeyEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>

#include <map>

#include "app/commands.h"
#include "core/parameter_set.h"
#include "gui/main_menu.h"
#include "window_fixture.h"

using namespace quarnby;
using quarnby::testing::shownValue;
using quarnby::testing::WindowFixture;

namespace {

const char* const kButtons[14][2] = {{"Command1", "Set Type"},         {"SetAltIntervals", "Set"},
                                     {"SetSubTypes", "Set Sub-Types"}, {"Command2", "Modify Terrain"},
                                     {"ToggleChecks", "Toggle"},       {"FindMaxMinUnits", "Find Units"},
                                     {"SetElv", "Set Elevation"},      {"FindMaxMinUnitsBmp", "Find Units"},
                                     {"SetElvGrey", "Set Elevation"},  {"ExpBmp", "Export"},
                                     {"Command3", "Make Map"},         {"MakeTracks", "Make Tracks"},
                                     {"SaveConfig", "Save"},           {"ReloadConfig", "Re-Load"}};

std::vector<std::string> switches(const WindowFixture& f) {
  std::vector<std::string> values;
  for (const char* name : {"LevelTerr", "Check1", "Check2", "Check3"})
    values.push_back(shownValue(f.find<QWidget>(QLatin1String(name))));
  return values;
}

void click(const WindowFixture& f, const char* button) {
  QPushButton* b = f.find<QPushButton>(QLatin1String(button));
  QVERIFY(b);
  QTest::mouseClick(b, Qt::LeftButton);
}

std::map<std::string, std::string> allShown(const WindowFixture& f) {
  std::map<std::string, std::string> values;
  for (const std::string& name : f.window->params().names())
    values[name] = shownValue(f.find<QWidget>(QString::fromStdString(name)));
  return values;
}

}  // namespace

class FormTest : public QObject {
  Q_OBJECT
 private slots:
  void everyControlShowsItsStartUpValue() {
    WindowFixture f;
    QCOMPARE(f.window->objectName(), QStringLiteral("Form1"));
    // The title names the terrain folder, then the program and its version.
    QCOMPARE(f.window->windowTitle(), QStringLiteral("Europe - Quarnby 2.4"));
    QVERIFY(f.boxes.empty());
    QCOMPARE(f.window->menu().statusBar()->currentMessage(),
             QStringLiteral("No settings file at %1: the defaults are set")
                 .arg(QDir(f.work).absoluteFilePath(QStringLiteral("quarnby.cfg"))));

    // Every control is a widget of its kind's class, showing what the parameter holds.
    const ParameterSet& p = f.window->params();
    for (const std::string& name : p.names()) {
      QWidget* w = f.find<QWidget>(QString::fromStdString(name));
      QVERIFY2(w, name.c_str());
      switch (p.kind(name)) {
        case ControlKind::Text: QVERIFY2(qobject_cast<QLineEdit*>(w), name.c_str()); break;
        case ControlKind::Display: QVERIFY2(qobject_cast<QLabel*>(w), name.c_str()); break;
        case ControlKind::TypeChoice: QVERIFY2(qobject_cast<QComboBox*>(w), name.c_str()); break;
        case ControlKind::Switch:
          QVERIFY2(qobject_cast<QCheckBox*>(w), name.c_str());
          QVERIFY(qobject_cast<QCheckBox*>(w)->text().isEmpty());
          break;
        case ControlKind::Option: QVERIFY2(qobject_cast<QRadioButton*>(w), name.c_str()); break;
      }
      QCOMPARE(shownValue(w), p.valueText(name));
    }

    // The start-up values themselves, as a user sees them without a settings file.
    const char* thresholds[22] = {" 307",  " 404",  " 868",  " 1002", " 1595", " 1757", " 2097", " 2274",
                                  " 2833", " 3640", " 3852", " 4288", " 5205", " 5686", " 6688", " 6946",
                                  " 7209", " 8014", " 8289", " 9131", " 9708", " 11200"};
    const char* weights[22] = {"5", "1", "4", "1", "4", "1", "2", "1", "3", "4", "1",
                               "2", "4", "2", "4", "1", "1", "3", "1", "3", "2", "5"};
    const int types[26] = {0, 1, 5, 1, 5, 3, 2, 1, 5, 3, 1, 5, 1, 5, 1, 5, 1, 2, 5, 2, 5, 2, 4, 6, 1, 2};
    const auto shown = allShown(f);
    for (int i = 0; i < 22; ++i) {
      QCOMPARE(shown.at("Text" + std::to_string(i + 4)), std::string(thresholds[i]));
      QCOMPARE(shown.at("g" + std::to_string(i)), std::string(weights[i]));
    }
    for (int i = 0; i < 26; ++i) QCOMPARE(shown.at("Combo" + std::to_string(i + 1)), std::to_string(types[i]));
    QCOMPARE(f.find<QComboBox>("Combo7")->currentText(), QStringLiteral("Grassy Rock"));
    QCOMPARE(f.find<QComboBox>("Combo7")->count(), 7);
    const std::map<std::string, std::string> others = {{"Text3", "1.5"},
                                                       {"MaxUnits", "0"},
                                                       {"slUnits", "0"},
                                                       {"MinUnits", "0"},
                                                       {"MaxAlt", "1400"},
                                                       {"unitExp", "2"},
                                                       {"MaxSmothAlt", "3000"},
                                                       {"InvFileOrder", "1"},
                                                       {"MapSize256", "true"},
                                                       {"MapSize512", "false"},
                                                       {"slUnitsBmp", "0"},
                                                       {"maxUbmp", "255"},
                                                       {"minUbmp", "0"},
                                                       {"PreserveZeros", "1"},
                                                       {"MaxFarmGrade", "8"},
                                                       {"LevelTerr", "1"},
                                                       {"Check1", "0"},
                                                       {"Check2", "1"},
                                                       {"Check3", "0"},
                                                       {"MapOp1", "true"},
                                                       {"MapOp2", "false"},
                                                       {"MapOp3", "false"},
                                                       {"LenRoad", "8"},
                                                       {"LenTrack", "10"},
                                                       {"LenRiver", "3"},
                                                       {"LabelTer", "Use 'Europe.ter'"},
                                                       {"LabelBmp", "Use 'Europe_elv.bmp'"}};
    for (const auto& [name, value] : others) QCOMPARE(shown.at(name), value);

    // Buttons with their captions (the mnemonic marks aside), bars, folder controls.
    for (const auto& [name, caption] : kButtons) {
      QPushButton* b = f.find<QPushButton>(QLatin1String(name));
      QVERIFY2(b, name);
      QCOMPARE(b->text().remove(QLatin1Char('&')), QLatin1String(caption));
    }
    // Buttons whose operations other parts of the program attach: present, wired to nothing here.
    for (const auto& [name, caption] : {std::pair{"Undo", "Undo"},
                                        {"Redo", "Redo"},
                                        {"ImportDem", "Import DEM..."},
                                        {"ImportLandCover", "Import Land Cover..."}}) {
      QPushButton* b = f.find<QPushButton>(QLatin1String(name));
      QVERIFY2(b, name);
      QCOMPARE(b->text(), QLatin1String(caption));
    }
    for (const char* name : {"ProgressBar1", "ProgressBar2", "ProgressBar3"}) {
      QProgressBar* bar = f.find<QProgressBar>(QLatin1String(name));
      QVERIFY2(bar, name);
      QCOMPARE(bar->minimum(), 0);
      QCOMPARE(bar->maximum(), 100);
      QCOMPARE(bar->value(), 0);
    }
    QVERIFY(f.find<QComboBox>("Drive1"));
    QVERIFY(f.find<QWidget>("Dir1"));

    // The display fields cannot be edited and show their text centred.
    for (const char* name : {"maxUbmp", "minUbmp"}) {
      QLabel* field = f.find<QLabel>(QLatin1String(name));
      QVERIFY(field->alignment() & Qt::AlignHCenter);
      QVERIFY(field->frameShape() != QFrame::NoFrame);
      QCOMPARE(field->textInteractionFlags() & Qt::TextEditable, Qt::TextInteractionFlags());
    }
  }

  void theWindowFitsASmallScreen() {
    WindowFixture f;
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    // 1366 x 768 less a title bar and a panel.
    QVERIFY2(f.window->width() <= 1366, QByteArray::number(f.window->width()));
    QVERIFY2(f.window->height() <= 700, QByteArray::number(f.window->height()));
    // Nothing is squeezed below the size it asks for (or is given as its largest).
    for (QWidget* w : f.window->findChildren<QWidget*>()) {
      // (Only the form's own widgets: a combo box's inner edit is sized by the box.)
      if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_"))) continue;
      if (!w->isVisible() || w->minimumSizeHint().isEmpty()) continue;
      const QSize wanted = w->minimumSizeHint().boundedTo(w->maximumSize());
      QVERIFY2(w->width() >= wanted.width() && w->height() >= wanted.height(),
               qPrintable(QStringLiteral("%1 (%2) %3x%4")
                              .arg(w->objectName(), w->metaObject()->className())
                              .arg(w->width())
                              .arg(w->height())));
    }
  }

  void toggleInvertsTheFourSwitches() {
    WindowFixture f;
    QCOMPARE(switches(f), (std::vector<std::string>{"1", "0", "1", "0"}));
    click(f, "ToggleChecks");
    QCOMPARE(switches(f), (std::vector<std::string>{"0", "1", "0", "1"}));
    QCOMPARE(f.window->params().switchValue("Check1"), 1);
    click(f, "ToggleChecks");
    QCOMPARE(switches(f), (std::vector<std::string>{"1", "0", "1", "0"}));
    // A grey switch becomes on.
    f.window->params().setSwitch("Check2", 2);
    QCOMPARE(f.find<QCheckBox>("Check2")->checkState(), Qt::PartiallyChecked);
    click(f, "ToggleChecks");
    QCOMPARE(switches(f), (std::vector<std::string>{"0", "1", "1", "1"}));
    QVERIFY(f.boxes.empty());
  }

  void saveThenReloadRoundTripsThroughTheWindow() {
    WindowFixture f;
    QTest::keyClicks(f.find<QLineEdit>("MaxAlt"), "0");  // 14000
    QLineEdit* lenRoad = f.find<QLineEdit>("LenRoad");
    lenRoad->selectAll();
    QTest::keyClicks(lenRoad, "12, or so");
    f.find<QComboBox>("Combo5")->setCurrentIndex(4);
    QTest::mouseClick(f.find<QRadioButton>("MapSize512"), Qt::LeftButton);
    QTest::mouseClick(f.find<QCheckBox>("Check1"), Qt::LeftButton);
    QTest::mouseClick(f.find<QCheckBox>("PreserveZeros"), Qt::LeftButton);
    const auto saved = allShown(f);

    // Save and Re-Load say on the status bar where the file went, with no box to dismiss.
    click(f, "SaveConfig");
    QVERIFY(f.boxes.empty());
    QCOMPARE(f.window->menu().statusBar()->currentMessage(),
             QStringLiteral("Saved to ") + QDir(f.work).absoluteFilePath(QStringLiteral("quarnby.cfg")));
    QVERIFY(QFile::exists(f.work + QStringLiteral("/quarnby.cfg")));

    // Change them again, and the switches and a parameter the file does not hold.
    f.find<QLineEdit>("MaxAlt")->selectAll();
    QTest::keyClicks(f.find<QLineEdit>("MaxAlt"), "99");
    lenRoad->selectAll();
    QTest::keyClicks(lenRoad, "1");
    f.find<QComboBox>("Combo5")->setCurrentIndex(0);
    QTest::mouseClick(f.find<QRadioButton>("MapSize256"), Qt::LeftButton);
    QTest::mouseClick(f.find<QCheckBox>("PreserveZeros"), Qt::LeftButton);
    click(f, "ToggleChecks");
    QTest::mouseClick(f.find<QRadioButton>("MapOp2"), Qt::LeftButton);
    f.find<QLineEdit>("MaxFarmGrade")->selectAll();
    QTest::keyClicks(f.find<QLineEdit>("MaxFarmGrade"), "15");

    click(f, "ReloadConfig");
    QVERIFY(f.boxes.empty());
    QCOMPARE(f.window->menu().statusBar()->currentMessage(),
             QStringLiteral("Loaded from ") + QDir(f.work).absoluteFilePath(QStringLiteral("quarnby.cfg")));
    auto reloaded = allShown(f);
    // The file does not hold MaxFarmGrade or the map option: they keep their values.
    QCOMPARE(reloaded.at("MaxFarmGrade"), std::string("15"));
    QCOMPARE(reloaded.at("MapOp2"), std::string("true"));
    // The switches are reset, so Check1 is off again although it was saved on.
    QCOMPARE(reloaded.at("Check1"), std::string("0"));
    for (const char* name : {"MaxFarmGrade", "MapOp1", "MapOp2", "Check1"}) {
      reloaded.erase(name);
    }
    auto expected = saved;
    for (const char* name : {"MaxFarmGrade", "MapOp1", "MapOp2", "Check1"}) expected.erase(name);
    QCOMPARE(reloaded, expected);
    QCOMPARE(reloaded.at("MaxAlt"), std::string("14000"));
    QCOMPARE(reloaded.at("LenRoad"), std::string("12, or so"));
    QCOMPARE(f.window->params().choice("Combo5"), 4);
    QCOMPARE(f.window->params().option("MapSize512"), true);
  }

  void editsAndParameterWritesMeetBothWays() {
    WindowFixture f;
    ParameterSet& p = f.window->params();

    // Typing writes at once.
    QLineEdit* maxAlt = f.find<QLineEdit>("MaxAlt");
    maxAlt->selectAll();
    QTest::keyClicks(maxAlt, "2 500");
    QCOMPARE(p.text("MaxAlt"), std::string("2 500"));
    QCOMPARE(p.number("MaxAlt"), 2500.0);
    // 8-bit text: Latin-1 survives, anything else is held (and shown) as '?'.
    maxAlt->selectAll();
    for (const char* typed : {"\xc3\xa9", "\xe2\x82\xac"}) {  // e acute, euro sign
      QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8(typed));
      QApplication::sendEvent(maxAlt, &key);
    }
    QCOMPARE(p.text("MaxAlt"), std::string("\xe9?"));
    QCOMPARE(maxAlt->text(), QString::fromUtf8("\xc3\xa9?"));

    // An operation's writes show at once, without echoing back.
    p.setText("MaxUnits", " 4711");
    QCOMPARE(f.find<QLineEdit>("MaxUnits")->text(), QStringLiteral(" 4711"));
    p.setText("maxUbmp", "200");
    QCOMPARE(f.find<QLabel>("maxUbmp")->text(), QStringLiteral("200"));
    p.setChoice("Combo25", 6);
    QCOMPARE(f.find<QComboBox>("Combo25")->currentText(), QStringLiteral("Snow"));
    p.setChoice("Combo25", -1);
    QCOMPARE(f.find<QComboBox>("Combo25")->currentText(), QString());
    p.setSwitch("InvFileOrder", 0);
    QCOMPARE(f.find<QCheckBox>("InvFileOrder")->checkState(), Qt::Unchecked);
    p.setOption("MapOp3", true);
    QVERIFY(f.find<QRadioButton>("MapOp3")->isChecked());
    QVERIFY(!f.find<QRadioButton>("MapOp1")->isChecked());
    // A group may be left without a choice (a settings file can say so).
    p.setOption("MapSize256", false);
    QVERIFY(!f.find<QRadioButton>("MapSize256")->isChecked());
    QVERIFY(!f.find<QRadioButton>("MapSize512")->isChecked());
    QTest::mouseClick(f.find<QRadioButton>("MapSize512"), Qt::LeftButton);
    QVERIFY(p.option("MapSize512"));
    QVERIFY(!p.option("MapSize256"));

    // A grey switch clicked becomes on; clicks never lead back to grey.
    p.setSwitch("PreserveZeros", 2);
    QCheckBox* preserve = f.find<QCheckBox>("PreserveZeros");
    QCOMPARE(preserve->checkState(), Qt::PartiallyChecked);
    QTest::mouseClick(preserve, Qt::LeftButton);
    QCOMPARE(p.switchValue("PreserveZeros"), 1);
    QTest::mouseClick(preserve, Qt::LeftButton);
    QCOMPARE(p.switchValue("PreserveZeros"), 0);
    QTest::mouseClick(preserve, Qt::LeftButton);
    QCOMPARE(p.switchValue("PreserveZeros"), 1);
    // The label beside a switch works it too.
    QTest::mouseClick(f.find<QLabel>("PreserveZerosLabel"), Qt::LeftButton);
    QCOMPARE(p.switchValue("PreserveZeros"), 0);
  }

  void aTypedTypeChoiceThatIsNoEntryGivesMinusOne() {
    WindowFixture f;
    ParameterSet& p = f.window->params();
    QComboBox* box = f.find<QComboBox>("Combo3");
    QVERIFY(box->isEditable());
    box->lineEdit()->selectAll();
    QTest::keyClicks(box->lineEdit(), "Swamp");
    QCOMPARE(box->currentText(), QStringLiteral("Swamp"));
    QCOMPARE(p.choice("Combo3"), -1);
    // An entry's name, typed, is that entry.
    box->lineEdit()->selectAll();
    QTest::keyClicks(box->lineEdit(), "rock");
    QCOMPARE(p.choice("Combo3"), 4);
    box->lineEdit()->selectAll();
    QTest::keyClicks(box->lineEdit(), "Grassy Rocks");
    QCOMPARE(p.choice("Combo3"), -1);
    // Picked from the list.
    box->setCurrentIndex(6);
    QCOMPARE(p.choice("Combo3"), 6);
    QCOMPARE(box->count(), 7);  // typing adds no entries
  }

  void aButtonWithoutAnOperationDoesNothing() {
    WindowFixture f;
    const auto before = allShown(f);
    int tried = 0;
    for (const auto& [name, caption] : kButtons) {
      if (findCommandByButton(name)) continue;
      click(f, name);
      ++tried;
    }
    if (tried == 0) QSKIP("every button has its operation");
    QVERIFY(f.boxes.empty());
    QCOMPARE(allShown(f), before);
    QVERIFY(QDir(f.terrainFolder).isEmpty());
  }

  void anOperationRunsBusyAndTakesNoOtherInput() {
    WindowFixture f;
    bool sawBusyCursor = false;
    f.onBox = [&](const GuiHost::Box&) {
      sawBusyCursor = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
      // A click on another button while "Set Type" runs is not taken.
      QTest::mouseClick(f.find<QPushButton>("ToggleChecks"), Qt::LeftButton);
    };
    click(f, "Command1");
    QCOMPARE(f.boxes.size(), std::size_t(1));
    QVERIFY(sawBusyCursor);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(switches(f), (std::vector<std::string>{"1", "0", "1", "0"}));
    // Afterwards the window takes input again.
    f.onBox = nullptr;
    click(f, "ToggleChecks");
    QCOMPARE(switches(f), (std::vector<std::string>{"0", "1", "0", "1"}));
  }

  void startUpReadsTheSettingsFileOfTheWorkingFolder() {
    QTemporaryDir work;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(work.path());
    {
      QFile cfg(QStringLiteral("quarnby.cfg"));
      QVERIFY(cfg.open(QIODevice::WriteOnly));
      cfg.write(
          "6,6,6,6,6,6,6,6,6,6,6,6,6,6,6,6,6,6,6,6,6,6,6,6,6,6\r\n"
          "\" 1\",\" 2\",\" 3\",\" 4\",\" 5\",\" 6\",\" 7\",\" 8\",\" 9\",\" 10\",\" 11\",\" 12\","
          "\" 13\",\" 14\",\" 15\",\" 16\",\" 17\",\" 18\",\" 19\",\" 20\",\" 21\",\" 22\"\r\n");
    }
    MainWindow window(pathOf(work.path()));
    window.startUp();
    QCOMPARE(window.findChild<QComboBox*>("Combo1")->currentText(), QStringLiteral("Snow"));
    QCOMPARE(window.findChild<QLineEdit*>("Text25")->text(), QStringLiteral(" 22"));
    // What the file does not hold keeps its laid-out value.
    QCOMPARE(window.findChild<QLineEdit*>("g0")->text(), QStringLiteral("5"));
    QDir::setCurrent(previous);
  }
};

QTEST_MAIN(FormTest)
#include "form_test.moc"
