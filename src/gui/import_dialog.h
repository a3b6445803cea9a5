#pragma once
#include <QDialog>

#include <filesystem>
#include <functional>
#include <vector>

#include "core/context.h"

class QDoubleSpinBox;
class QHBoxLayout;
class QProgressBar;
class QPushButton;

namespace quarnby {

// What the import dialogs share: sources dropped in from a file manager, and a run with
// its progress bar and Cancel, which stops a running import at its next progress step and
// otherwise closes the dialog.
class ImportDialog : public QDialog {
  Q_OBJECT
 public:
  explicit ImportDialog(QWidget* parent);

  virtual void addSources(const std::vector<std::filesystem::path>& files) = 0;
  // Cancel, as the button does it (tests press it through this too).
  void cancel();
  QProgressBar* progressBar() const { return progress_; }

 protected:
  // A run begins: the callback moves the bar, keeps the dialog live while GDAL works and
  // says whether to go on.
  std::function<bool(int percent)> startRun();
  // It ended: a completed import closes the dialog, else the bar goes back to 0.
  void endRun(Outcome outcome);
  // It ended without closing anything (a preview).
  void stopRun();
  bool running() const { return running_; }

  // The theatre centre's row: Lat and Lon in degrees and "Centre of the sources", each
  // calling `changed` or `centre` when used.
  QHBoxLayout* centreRow(const std::function<void()>& changed, const std::function<void()>& centre);

  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void reject() override;

  QProgressBar* progress_;
  QDoubleSpinBox* lat_ = nullptr;
  QDoubleSpinBox* lon_ = nullptr;
  QPushButton* centreButton_ = nullptr;

 private:
  bool running_ = false;
  bool cancelled_ = false;
};

}  // namespace quarnby
