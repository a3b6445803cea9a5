#pragma once
#include <QDialog>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/context.h"
#include "geo/geo_module.h"
#include "gui/source_list.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace quarnby {

class FootprintView;

// "Import DEM...": the elevation sources (added, removed, dropped in), the theatre centre,
// GDAL's resampling and a picture of the sources' footprints under the theatre square.
// Import runs the import through `run`, with the progress bar and Cancel working while
// it runs; the dialog closes when the import completes. The sources are described by the
// geographic module, which the window loads before it opens the dialog.
class DemImportDialog : public QDialog {
  Q_OBJECT
 public:
  using Run = std::function<Outcome(const DemImportRequest&)>;
  DemImportDialog(const geo::GeoModule& module, Run run, QWidget* parent = nullptr);
  ~DemImportDialog() override;

  // What the import will write, for the dialog to say: the terrain's Terragen file
  // (empty: no terrain folder), whether the 256-mile map is chosen, and the question
  // asked before a file that is there is replaced (true: go on).
  struct Target {
    std::filesystem::path field;
    bool map256 = false;
    std::function<bool(const std::string& text, const std::string& title)> askToReplace;
  };
  void setTarget(Target target);

  // The sources, in order, and what the dialog asks for. Each is described off the
  // dialog's thread; Import waits until every one is described and none is refused.
  void addSources(const std::vector<std::filesystem::path>& files);
  DemImportRequest request() const;
  bool describing() const { return sources_->waiting() > 0; }
  // The sources of the last import that are still there, added again (QSettings).
  void addRememberedSources();
  // What the dialog says under the sources: the file written, the theatre, what is wrong.
  QString summary() const;
  bool canImport() const;

  // Import and Cancel, as the buttons do them (tests press them through these too).
  void startImport();
  void cancel();
  void centreOnSources();

  QListWidget* sourceList() const { return sources_->list(); }
  QProgressBar* progressBar() const { return progress_; }

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void reject() override;

 private:
  void sourcesChanged();
  // The centre's latitude lies where the theatre can be laid out.
  bool centreInRange() const;

  const geo::GeoModule& module_;
  Run run_;
  Target target_;
  QLabel* summary_;
  SourceList* sources_;
  QDoubleSpinBox* lat_;
  QDoubleSpinBox* lon_;
  QComboBox* resampling_;
  FootprintView* view_;
  QProgressBar* progress_;
  QPushButton* importButton_;
  bool running_ = false;
  bool cancelled_ = false;
};

}  // namespace quarnby
