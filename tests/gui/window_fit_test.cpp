// The window and the preview on real screen sizes: three offscreen screens side by side,
// 1366 x 768, 1920 x 1080, and 1366 x 768 at 150 % scaling (911 x 512 logical pixels).
#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QStyleOptionFrame>
#include <QTemporaryFile>
#include <QToolButton>
#include <QToolTip>
#include <QWindow>

#include "gui/elided_text.h"
#include "gui/folder_picker.h"
#include "gui/preview_canvas.h"
#include "gui/preview_legend.h"
#include "gui/preview_window.h"
#include "window_fixture.h"

using namespace quarnby;
using quarnby::testing::WindowFixture;

namespace {

const QRect kSmall(0, 0, 1366, 768);
const QRect kLarge(1366, 0, 1920, 1080);
const QRect kScaled(3286, 0, 911, 512);  // logical pixels
const QSize kScaledPixels(1366, 768);

QRect inWindow(const WindowFixture& f, const char* name) {
  QWidget* w = f.find<QWidget>(QLatin1String(name));
  return QRect(w->mapTo(f.window.get(), QPoint(0, 0)), w->size());
}

void showOn(WindowFixture& f, const QRect& screen) {
  f.window->move(screen.topLeft());
  f.window->show();
  QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
}

}  // namespace

class WindowFitTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { QSettings().remove(QStringLiteral("Preview")); }

  void aLongFolderNameNeverWidensTheWindow() {
    WindowFixture f;
    showOn(f, kSmall);
    const QSize before = f.window->size();
    const QRect bands = inWindow(f, "Combo12");
    const QString name = QStringLiteral("Northern_Europe_1944_Campaign_Terrain_Version_2_of_the_Theatre");
    QCOMPARE(name.size(), 62);
    QVERIFY(QDir(f.path(QStringLiteral("Terrains"))).mkpath(name));
    QVERIFY(f.window->folderPicker().open(pathOf(f.path(QStringLiteral("Terrains/")) + name)));
    QApplication::processEvents();
    QCOMPARE(f.window->size(), before);
    QCOMPARE(inWindow(f, "Combo12"), bands);

    // The captions hold the whole name, show it shortened in the middle, and tell it whole.
    auto* label = f.find<ElidedLabel>("LabelTer");
    QCOMPARE(label->text(), QStringLiteral("Use '") + name + QStringLiteral(".ter'"));
    QVERIFY(label->shownText().contains(QChar(0x2026)));
    QVERIFY(label->shownText().startsWith(QStringLiteral("Use 'N")) &&
            label->shownText().endsWith(QStringLiteral(".ter'")));
    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), label->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(label, &help);
    QCOMPARE(QToolTip::text(), label->text());
    QVERIFY(f.find<ElidedLabel>("LabelBmp")->shownText().endsWith(QStringLiteral("_elv.bmp'")));
    auto* path = f.find<PathField>("FolderPath");
    QVERIFY(path->shownText().contains(QChar(0x2026)) && path->shownText().endsWith(QStringLiteral("_Theatre")));
    // The shortened path ends before the recent folders' arrow inside the field.
    int arrows = 0;
    for (const QToolButton* arrow : path->findChildren<QToolButton*>()) {
      if (!arrow->isVisible()) continue;
      ++arrows;
      QVERIFY(path->textRect().right() < arrow->geometry().left());
    }
    QCOMPARE(arrows, 1);

    // Back to a short name: still the same size, and the band table has not moved.
    QVERIFY(f.window->folderPicker().open(pathOf(f.terrainFolder)));
    QApplication::processEvents();
    QCOMPARE(f.window->size(), before);
    QCOMPARE(inWindow(f, "Combo12"), bands);
    QCOMPARE(label->shownText(), label->text());
  }

  // At its own size, the menu bar and the status bar included, the form needs no scrolling.
  void theWholeFormShowsWithItsBarsOnALaptop() {
    for (const QRect& screen : {kSmall, kLarge}) {
      WindowFixture f;
      showOn(f, screen);
      auto* scroll = f.find<QScrollArea>("Form1Scroll");
      QCOMPARE(scroll->verticalScrollBar()->maximum(), 0);
      QCOMPARE(scroll->horizontalScrollBar()->maximum(), 0);
    }
  }

  void resizingKeepsEveryBlockTogether() {
    WindowFixture f;
    showOn(f, kSmall);
    // Each bar under its button, the distance head over its fields, Preview in its block.
    const char* const pairs[][2] = {{"SetElv", "ProgressBar1"},     {"Command3", "ProgressBar2"},
                                    {"MakeTracks", "ProgressBar3"}, {"LenRoad", "DistanceHead"},
                                    {"ReloadConfig", "Preview"},    {"SetElv", "ImportDem"},
                                    {"Command1", "ImportLandCover"}};
    const auto offsets = [&] {
      std::vector<QPoint> found;
      for (const auto& [anchor, other] : pairs)
        found.push_back(inWindow(f, other).topLeft() - inWindow(f, anchor).topLeft());
      return found;
    };
    const auto laidOut = offsets();
    for (std::size_t i = 0; i < std::size(pairs); ++i) {
      const QRect anchor = inWindow(f, pairs[i][0]), other = inWindow(f, pairs[i][1]);
      QVERIFY2(other.left() < anchor.right() && anchor.left() < other.right(), pairs[i][1]);  // one column
      QVERIFY2(std::abs(other.top() - anchor.top()) < 120, pairs[i][1]);
    }
    for (const QSize size : {QSize(1366, 768), QSize(1900, 1000), QSize(600, 400)}) {
      f.window->resize(size);
      QApplication::processEvents();
      QCOMPARE(offsets(), laidOut);
    }
    // Smaller than the form, the window scrolls instead of squeezing it.
    auto* scroll = f.find<QScrollArea>("Form1Scroll");
    QVERIFY(scroll->horizontalScrollBar()->maximum() > 0 && scroll->verticalScrollBar()->maximum() > 0);
  }

  void aScaledSmallScreenGetsAScrollingWindow() {
    WindowFixture f;
    showOn(f, kScaled);
    QCOMPARE(f.window->screen()->geometry(), kScaled);
    QCOMPARE(f.window->devicePixelRatio(), 1.5);
    f.window->resize(f.window->sizeHint());
    QApplication::processEvents();
    QVERIFY(f.window->width() <= kScaled.width() && f.window->height() <= kScaled.height());
    QVERIFY(f.find<QScrollArea>("Form1Scroll")->verticalScrollBar()->maximum() > 0);
  }

  void thePreviewOpensWhollyOnTheScreenWithItsLegend() {
    for (const QRect& screen : {kSmall, kLarge}) {
      QSettings().remove(QStringLiteral("Preview"));
      WindowFixture f;
      showOn(f, screen);
      QTest::mouseClick(f.find<QPushButton>(QStringLiteral("Preview")), Qt::LeftButton);
      PreviewWindow* preview = f.window->preview();
      QVERIFY(QTest::qWaitForWindowExposed(preview));
      const QRect place = preview->frameGeometry();
      QVERIFY2(screen.contains(place),
               qPrintable(
                   QStringLiteral("%1,%2 %3x%4").arg(place.x()).arg(place.y()).arg(place.width()).arg(place.height())));
      // Beside the main window where there is room for it.
      if (screen == kLarge) QVERIFY(!place.intersects(f.window->frameGeometry()));
      // The legend and every switch and button show whole.
      const QRect inside = preview->rect();
      for (QWidget* w : {static_cast<QWidget*>(preview->findChild<PreviewLegend*>()),
                         static_cast<QWidget*>(preview->findChild<QPushButton*>("PreviewFit")),
                         static_cast<QWidget*>(preview->findChild<QPushButton*>("PreviewReload")),
                         static_cast<QWidget*>(preview->findChild<QCheckBox*>("PreviewShading"))}) {
        QVERIFY(w->isVisible());
        QVERIFY(inside.contains(QRect(w->mapTo(preview, QPoint(0, 0)), w->size())));
        QVERIFY(w->width() >= w->minimumSizeHint().width() && w->height() >= w->minimumSizeHint().height());
      }
      // At its smallest nothing is cut off or folded away either.
      preview->resize(preview->minimumSize());
      QApplication::processEvents();
      const QRect smallest = preview->rect();
      for (QWidget* w : preview->findChildren<QWidget*>())
        if (w->isVisible() && !w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
          QVERIFY2(smallest.contains(QRect(w->mapTo(preview, QPoint(0, 0)), w->size())), qPrintable(w->objectName()));
    }
  }

  // On a laptop the preview lies beside the form, about 400 px wide, its switches wrapped
  // and its legend under the map, covering no button of the form.
  void thePreviewLiesBesideTheFormOnALaptop() {
    WindowFixture f(QStringLiteral("Northern_Europe_1944_Campaign_Terrain_Version_2_of_the_Theatre"));
    showOn(f, kSmall);
    f.window->showPreview();
    PreviewWindow* preview = f.window->preview();
    QVERIFY(QTest::qWaitForWindowExposed(preview));
    QApplication::processEvents();
    const QRect place = preview->frameGeometry();
    QVERIFY(kSmall.contains(place));
    QVERIFY2(place.width() >= 380, qPrintable(QString::number(place.width())));
    for (QPushButton* button : f.window->findChildren<QPushButton*>()) {
      if (!button->isVisible() || button->window() != f.window.get()) continue;
      const QRect shown(button->mapToGlobal(QPoint(0, 0)), button->size());
      QVERIFY2(!place.intersects(shown), qPrintable(button->objectName()));
    }
    // The switches take two rows or more; everything named shows whole, the legend under the map.
    auto* legend = preview->findChild<PreviewLegend*>();
    auto* fit = preview->findChild<QPushButton*>("PreviewFit");
    auto* relief = preview->findChild<QWidget*>("PreviewRelief");
    QVERIFY(fit->mapTo(preview, QPoint(0, 0)).y() > relief->mapTo(preview, QPoint(0, 0)).y());
    QVERIFY(legend->mapTo(preview, QPoint(0, 0)).y() >
            preview->canvas()->mapTo(preview, QPoint(0, 0)).y() + preview->canvas()->height() - 1);
    for (QWidget* w : preview->findChildren<QWidget*>())
      if (w->isVisible() && !w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
        QVERIFY2(preview->rect().contains(QRect(w->mapTo(preview, QPoint(0, 0)), w->size())),
                 qPrintable(w->objectName()));
    // The folder's long name is shortened in the status line, not cut off.
    auto* status = preview->findChild<ElidedLabel*>("PreviewStatus");
    QVERIFY(status->shownText().contains(QChar(0x2026)));
    const int shownWidth = status->fontMetrics().horizontalAdvance(status->shownText());
    // elidedText measures by its own rounding: a pixel or two either way.
    QVERIFY2(shownWidth <= status->width() + 4,
             qPrintable(QStringLiteral("%1 in %2").arg(shownWidth).arg(status->width())));
  }

  void thePreviewReopensWhereItWasLeftButNeverOffTheScreens() {
    WindowFixture f;
    showOn(f, kLarge);
    f.window->showPreview();
    PreviewWindow* preview = f.window->preview();
    const QRect left(kLarge.left() + 300, 200, 900, 700);
    preview->setGeometry(left);
    QApplication::processEvents();
    preview->hide();
    f.window->showPreview();
    QCOMPARE(preview->geometry(), left);

    // A place from a screen that is gone: beside the main window again.
    preview->hide();
    QSettings().setValue(QStringLiteral("Preview/geometry"), QRect(9000, 200, 900, 700));
    f.window->showPreview();
    QVERIFY(kLarge.contains(preview->frameGeometry()));
  }

  // A real press and release, through the window as the window system delivers them (the
  // open list then takes the mouse): the list opens and stays open until an entry is picked.
  void aClickOnATypeChoiceOpensItsListAndItStaysOpen() {
    WindowFixture f;
    showOn(f, kSmall);
    for (const bool throughTheWindow : {true, false}) {
      for (const char* name : {"Combo12", "Combo25"}) {
        auto* box = f.find<QComboBox>(QLatin1String(name));
        QLineEdit* edit = box->lineEdit();
        const QPoint at(10, edit->height() / 2);
        if (throughTheWindow) {
          QWindow* window = f.window->windowHandle();
          const QPoint inWindow = edit->mapTo(f.window.get(), at);
          QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, inWindow);
          QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, inWindow);
        } else {
          QTest::mousePress(edit, Qt::LeftButton, Qt::NoModifier, at);
          QTest::mouseRelease(edit, Qt::LeftButton, Qt::NoModifier, at);
        }
        QApplication::processEvents();
        QVERIFY2(box->view()->isVisible(), name);
        QTest::qWait(QApplication::doubleClickInterval() + 50);
        QVERIFY2(box->view()->isVisible(), name);
        // An entry picked with a click closes the list and is the box's choice.
        const QRect rock = box->view()->visualRect(box->model()->index(4, 0));
        QTest::mouseClick(box->view()->viewport(), Qt::LeftButton, Qt::NoModifier, rock.center());
        QTRY_VERIFY2(!box->view()->isVisible(), name);
        QCOMPARE(box->currentText(), QStringLiteral("Rock"));
      }
    }
  }

  // Every number field shows the widest value the tool writes into it whole, at the size
  // the form lays it out (Import DEM's heights go up to the grid's 32767 ft).
  void everyFieldShowsTheWidestValueWrittenIntoIt() {
    WindowFixture f;
    showOn(f, kSmall);
    const std::pair<const char*, const char*> widest[] = {
        {"MaxUnits", " 32767.999"}, {"MaxUnits", "-32768.000"}, {"MinUnits", "-32768.000"}, {"MinUnits", " 13710.117"},
        {"MaxAlt", "32767.999"},    {"MaxAlt", "13710.117"},    {"slUnits", "-32768.000"},  {"unitExp", "1"},
        {"Text14", " 32767"},       {"Text25", " 32767"},       {"Text4", " 32767"},        {"maxUbmp", " 255"},
        {"minUbmp", " 255"}};
    for (const auto& [name, text] : widest) {
      f.window->params().setText(name, text);
      QApplication::processEvents();
      QWidget* w = f.find<QWidget>(QLatin1String(name));
      const int needed = w->fontMetrics().horizontalAdvance(QLatin1String(text));
      int room = 0;
      if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth =
            edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
        const QMargins margins = edit->textMargins();
        // A line edit keeps two pixels between its frame and its text on either side.
        room = edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit).width() - margins.left() -
               margins.right() - 4;
      } else {
        room = static_cast<QLabel*>(w)->contentsRect().width();
      }
      QVERIFY2(needed <= room,
               qPrintable(QStringLiteral("%1 \"%2\": %3 px in %4").arg(name, text).arg(needed).arg(room)));
    }
  }
};

int main(int argc, char** argv) {
  QTemporaryFile screens(QDir::tempPath() + QStringLiteral("/screens-XXXXXX.json"));
  if (!screens.open()) return 1;
  // Sizes in the screen's own pixels; 144 dots per inch over a base of 96 is 150 %.
  const auto screen = [](const char* name, QPoint at, QSize pixels, int dpi) {
    return QStringLiteral(
               R"({"name": "%1", "x": %2, "y": %3, "width": %4, "height": %5, "logicalDpi": %6, "logicalBaseDpi": 96})")
        .arg(QLatin1String(name))
        .arg(at.x())
        .arg(at.y())
        .arg(pixels.width())
        .arg(pixels.height())
        .arg(dpi);
  };
  screens.write(QStringLiteral(R"({"screens": [%1, %2, %3]})")
                    .arg(screen("small", kSmall.topLeft(), kSmall.size(), 96),
                         screen("large", kLarge.topLeft(), kLarge.size(), 96),
                         screen("scaled", kScaled.topLeft(), kScaledPixels, 144))
                    .toUtf8());
  screens.flush();
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toUtf8());
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  WindowFitTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "window_fit_test.moc"
