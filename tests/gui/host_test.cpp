#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>

#include "window_fixture.h"

using namespace quarnby;
using quarnby::testing::WindowFixture;

namespace {

struct Seen {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString title;
  QString text;
  int buttons = 0;
  int width = 0;
  int titleWidth = 0;  // of the title in the box's own bold font
};

// Answers the next modal box with `button` once it shows, remembering what it showed.
void answerNextBox(Seen& seen, QMessageBox::StandardButton button) {
  QTimer::singleShot(0, [&seen, button] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    QFont bold = box->font();
    bold.setBold(true);
    seen = Seen{box->icon(),  box->windowTitle(),
                box->text(),  static_cast<int>(box->standardButtons()),
                box->width(), QFontMetrics(bold).horizontalAdvance(box->windowTitle())};
    box->button(button)->click();
  });
}

}  // namespace

class HostTest : public QObject {
  Q_OBJECT
 private slots:
  void lineBreaksShowAsLineBreaks() {
    QCOMPARE(displayText("Can't open the Elevation File:\r\nC:\\T\\T.elv\r\nNot found"),
             QStringLiteral("Can't open the Elevation File:\nC:\\T\\T.elv\nNot found"));
    QCOMPARE(displayText("Can't open the file:\rquarnby.cfg\rDenied"),
             QStringLiteral("Can't open the file:\nquarnby.cfg\nDenied"));
    QCOMPARE(displayText("a\r\rb\r\n\r\nc\r"), QStringLiteral("a\n\nb\n\nc\n"));
    QCOMPARE(displayText("caf\xe9"), QString::fromUtf8("caf\xc3\xa9"));  // 8-bit text as Latin-1
    // A file name in a message shows as the file system spells it.
    QCOMPARE(displayText("Can't open the Elevation File:\r\n/T/Z\xc3\xbcrich/Z\xc3\xbcrich.elv"),
             QString::fromUtf8("Can't open the Elevation File:\n/T/Z\xc3\xbcrich/Z\xc3\xbcrich.elv"));
  }

  void messagesShowAsModalBoxes() {
    WindowFixture f;
    GuiHost& host = f.window->host();
    host.setBoxHook(nullptr);  // the real boxes

    Seen seen;
    answerNextBox(seen, QMessageBox::Ok);
    host.showMessage("Done", Icon::Information);
    QCOMPARE(seen.icon, QMessageBox::Information);
    QCOMPARE(seen.title, QStringLiteral("Quarnby"));
    QCOMPARE(seen.text, QStringLiteral("Done"));
    QCOMPARE(seen.buttons, int(QMessageBox::Ok));

    answerNextBox(seen, QMessageBox::Ok);
    host.showMessage("Can't open the file:\rquarnby.cfg\rDenied", Icon::Critical, "Save Settings");
    QCOMPARE(seen.icon, QMessageBox::Critical);
    QCOMPARE(seen.title, QStringLiteral("Save Settings"));
    QCOMPARE(seen.text, QStringLiteral("Can't open the file:\nquarnby.cfg\nDenied"));

    answerNextBox(seen, QMessageBox::Ok);
    host.showMessage("Careful", Icon::Exclamation);
    QCOMPARE(seen.icon, QMessageBox::Warning);

    answerNextBox(seen, QMessageBox::Yes);
    QVERIFY(host.askYesNo("Overwrite?", "Export Greyscale Bitmap", Icon::None));
    QCOMPARE(seen.title, QStringLiteral("Export Greyscale Bitmap"));
    // A one-word box is wide enough for its title and the frame's buttons beside it.
    QVERIFY2(seen.width >= seen.titleWidth + 100,
             qPrintable(QStringLiteral("%1 for %2").arg(seen.width).arg(seen.titleWidth)));
    QCOMPARE(seen.buttons, int(QMessageBox::Yes | QMessageBox::No));
    answerNextBox(seen, QMessageBox::No);
    QVERIFY(!host.askYesNo("Overwrite?", "Export Greyscale Bitmap", Icon::None));
  }

  void theHookAnswersQuestions() {
    WindowFixture f;
    f.answers = {true, false};
    QVERIFY(f.window->host().askYesNo("One?", "", Icon::None));
    QVERIFY(!f.window->host().askYesNo("Two?", "T", Icon::Information));
    QVERIFY(!f.window->host().askYesNo("Three?", "T", Icon::Information));  // No when none is left
    QCOMPARE(f.boxes.size(), std::size_t(3));
    QVERIFY(f.boxes[0].question);
    QCOMPARE(f.boxes[0].title, QStringLiteral("Quarnby"));
    QCOMPARE(f.boxes[1].title, QStringLiteral("T"));
  }

  void progressDrivesTheThreeBars() {
    WindowFixture f;
    GuiHost& host = f.window->host();
    host.setProgress(ProgressBar::Bar1, 37);
    host.setProgress(ProgressBar::Bar2, 99);
    host.setProgress(ProgressBar::Bar3, 100);
    QCOMPARE(f.find<QProgressBar>("ProgressBar1")->value(), 37);
    QCOMPARE(f.find<QProgressBar>("ProgressBar2")->value(), 99);
    QCOMPARE(f.find<QProgressBar>("ProgressBar3")->value(), 100);
    host.setProgress(ProgressBar::Bar1, 0);
    QCOMPARE(f.find<QProgressBar>("ProgressBar1")->value(), 0);
    // Values outside the range stop at its ends.
    host.setProgress(ProgressBar::Bar2, 250);
    QCOMPARE(f.find<QProgressBar>("ProgressBar2")->value(), 100);
    host.setProgress(ProgressBar::Bar2, -3);
    QCOMPARE(f.find<QProgressBar>("ProgressBar2")->value(), 0);
  }

  void focusMovesToTheNamedControl() {
    WindowFixture f;
    f.window->show();
    QApplication::setActiveWindow(f.window.get());
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    f.window->host().setFocus("slUnits");
    QCOMPARE(QApplication::focusWidget(), f.find<QWidget>("slUnits"));
    f.window->host().setFocus("LenRoad");
    QCOMPARE(QApplication::focusWidget(), f.find<QWidget>("LenRoad"));
    f.window->host().setFocus("NoSuchControl");  // ignored
    QCOMPARE(QApplication::focusWidget(), f.find<QWidget>("LenRoad"));
  }
};

QTEST_MAIN(HostTest)
#include "host_test.moc"
