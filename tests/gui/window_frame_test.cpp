// The preview's place with the window manager's frame counted. Offscreen there is no frame;
// scripts/test-window-manager.sh runs this program under Xvfb and openbox, where the title
// bar is part of what must lie on the screen.
#include <QApplication>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include "gui/preview_window.h"
#include "window_fixture.h"

using namespace quarnby;
using quarnby::testing::WindowFixture;

namespace {

QString text(const QRect& r) {
  return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Under a window manager the frame comes a little after the window is shown.
bool framed(QWidget* w) {
  return QGuiApplication::platformName() == QLatin1String("offscreen") || w->frameGeometry() != w->geometry();
}

}  // namespace

class WindowFrameTest : public QObject {
  Q_OBJECT
 private slots:
  void thePreviewLiesWhollyOnTheScreenFrameIncluded() {
    QSettings().remove(QStringLiteral("Preview"));
    WindowFixture f;
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    f.window->move(screen.topLeft());
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    QTRY_VERIFY(framed(f.window.get()));
    QTRY_VERIFY2(screen.contains(f.window->frameGeometry()), qPrintable(text(f.window->frameGeometry())));

    f.window->showPreview();
    PreviewWindow* preview = f.window->preview();
    QVERIFY(QTest::qWaitForWindowExposed(preview));
    QTRY_VERIFY(framed(preview));
    QTRY_VERIFY2(screen.contains(preview->frameGeometry()), qPrintable(text(preview->frameGeometry())));

    // A place remembered low on the screen: the frame above it counts too.
    preview->hide();
    const QSize least = preview->minimumSize();
    QSettings().setValue(
        QStringLiteral("Preview/geometry"),
        QRect(screen.right() + 1 - least.width(), screen.bottom() + 1 - least.height(), least.width(), least.height()));
    f.window->showPreview();
    QVERIFY(QTest::qWaitForWindowExposed(preview));
    QTRY_VERIFY2(screen.contains(preview->frameGeometry()), qPrintable(text(preview->frameGeometry())));
  }
};

int main(int argc, char** argv) {
  // Offscreen, the laptop's screen the window is laid out for; under a window manager, its own.
  QTemporaryFile screens(QDir::tempPath() + QStringLiteral("/screens-XXXXXX.json"));
  if (qgetenv("QT_QPA_PLATFORM") == "offscreen") {
    if (!screens.open()) return 1;
    screens.write(
        R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1366, "height": 768, "logicalDpi": 96}]})");
    screens.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toUtf8());
  }
  QStandardPaths::setTestModeEnabled(true);
  QApplication app(argc, argv);
  WindowFrameTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "window_frame_test.moc"
