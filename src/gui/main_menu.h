#pragma once
#include <QObject>

#include <QString>
#include "core/context.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QLineEdit;
class QMenu;
class QMenuBar;
class QStatusBar;
class QWidget;

namespace quarnby {

struct Command;
struct Step;

// The menu bar and the status bar around the form. The operations' items come from the
// command table and press the form's buttons, so a menu item and its button always do
// the same thing and are enabled together.
class MainMenu : public QObject {
  Q_OBJECT
 public:
  // What the window does for the items that are not buttons of the form.
  struct Window {
    std::function<void()> chooseFolder;                            // File > Open Terrain Folder...
    std::function<void(const std::filesystem::path&)> openFolder;  // a recent folder
    std::function<void(const Command&)> run;                       // a command without a button
    std::function<std::vector<std::filesystem::path>()> recent;    // newest first
  };

  MainMenu(QWidget* window, Window actions);

  // A button at the end of `field` that opens the recent folders under it.
  void offerRecentIn(QLineEdit* field);

  // The commands that tell how they went on the status bar instead of in a box, and what
  // it says after one: the message it gave, or where the settings went or came from.
  static bool reportsOnStatusBar(std::string_view command);
  static QString resultText(std::string_view command, Outcome outcome, const QString& told,
                            const std::filesystem::path& settingsFile);

  QMenuBar* menuBar() const { return bar_; }
  QStatusBar* statusBar() const { return status_; }

  // Edit's Undo and Redo name the steps they would take back or forward (nullptr: none).
  void showHistory(const Step* undo, const Step* redo);
  // The window's title: the terrain folder's base name, then the program and its version.
  static QString titleFor(const std::string& baseName);
  // What a one-line status message shows for `milliseconds` (0: until the next one).
  void showStatus(const QString& text, int milliseconds = 0);

  // The texts behind Help's items (tests read them).
  static QString orderOfWork();
  static QString keys();
  static QString aboutText();

  QAction* undoAction() const { return undo_; }
  QAction* redoAction() const { return redo_; }
  QAction* action(const QString& objectName) const;

 private:
  QMenu* addMenu(const QString& title, const char* name);
  QAction* addItem(QMenu* menu, const QString& text, const char* name, std::function<void()> trigger);
  // An item that presses the form's button `button`, enabled with it.
  QAction* addButtonItem(QMenu* menu, const QString& text, const std::string& button, const QString& tip);
  void fillRecent();
  void showHelp(const QString& title, const QString& text);

  QWidget* window_;
  Window actions_;
  QMenuBar* bar_;
  QStatusBar* status_;
  QMenu* recent_ = nullptr;
  QAction* undo_ = nullptr;
  QAction* redo_ = nullptr;
};

}  // namespace quarnby
