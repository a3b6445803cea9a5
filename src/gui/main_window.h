#pragma once
#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>

#include "core/context.h"
#include "core/parameter_set.h"
#include "core/random_source.h"

class QLabel;
class QScrollArea;

namespace Ui {
class Form1;
}

namespace quarnby {

struct Command;
class ControlBindings;
class FolderPicker;
class GuiHost;
class MainMenu;
class PreviewWindow;

// Form1, the program's one window: every parameter as a named control, the terrain
// folder, the operation buttons and the three progress bars.
class MainWindow : public QWidget {
  Q_OBJECT
 public:
  // The window on `startFolder` (the working folder when it cannot be read).
  explicit MainWindow(const std::filesystem::path& startFolder, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Form_Load: the source labels, then the settings file or the defaults. Runs once
  // before the window is shown; then any message about the start folder shows.
  void startUp();

  ParameterSet& params() { return params_; }
  GuiHost& host() { return *host_; }
  FolderPicker& folderPicker() { return *picker_; }
  const std::filesystem::path& folder() const;

  // Opens or raises the terrain preview beside the window; nothing until first opened.
  void showPreview();
  PreviewWindow* preview() const { return preview_; }

  // The laid-out form's size with the menu and status bars, or the screen's when that is
  // larger (the form then scrolls).
  QSize sizeHint() const override;

  MainMenu& menu() { return *menu_; }
  // Runs a command of the table as its button does.
  void run(const Command& command);
  // File > Open Terrain Folder...: a folder dialog, then the picker moves there.
  void chooseFolder();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // On the first showing the bars have their real heights: the window grows by what the
  // form still lacks, within the screen.
  void showEvent(QShowEvent* event) override;

 private:
  // The title, the recent folders and the history after the folder changed.
  void folderShown();
  // The theatre centre from the folder's frame, at the right of the status bar.
  void showTheatre();
  // Undo and Redo: enabled when the folder's history has a step for them, which their
  // tooltips name.
  void showHistory();
  // Runs an operation as every button does: one at a time, the window taking no input.
  Outcome runOperation(const std::function<Outcome(Context&)>& operation);
  // A command with options of its own ("Import DEM..."): its dialog, which runs the
  // command through runOperation with the options it was given.
  void askAndRun(const Command& command);
  // File > Set Theatre Centre...: the centre as LAT,LON, the folder's frame's to begin with.
  void askTheatreCentre(const std::function<Outcome(const CommandRequest&)>& runWith);

  std::unique_ptr<Ui::Form1> ui_;
  QWidget* form_ = nullptr;  // the laid-out controls, at their own size
  QScrollArea* scroll_ = nullptr;
  ParameterSet params_;
  RandomSource random_;  // the program's one random stream
  std::unique_ptr<GuiHost> host_;
  ControlBindings* bindings_ = nullptr;
  FolderPicker* picker_ = nullptr;
  PreviewWindow* preview_ = nullptr;
  MainMenu* menu_ = nullptr;
  QLabel* theatre_ = nullptr;
  bool busy_ = false;
  bool shown_ = false;  // an operation is running: the window takes no input
};

}  // namespace quarnby
