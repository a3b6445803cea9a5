#pragma once
#include <QDialog>

#include <filesystem>
#include <functional>
#include <vector>

#include "core/context.h"
#include "geo/geo_module.h"

class QComboBox;
class QDoubleSpinBox;
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

  // The sources, in order, and what the dialog asks for.
  void addSources(const std::vector<std::filesystem::path>& files);
  DemImportRequest request() const;

  // Import and Cancel, as the buttons do them (tests press them through these too).
  void startImport();
  void cancel();
  void centreOnSources();

  QListWidget* sourceList() const { return list_; }
  QProgressBar* progressBar() const { return progress_; }

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void reject() override;

 private:
  void removeSelected();
  void sourcesChanged();

  const geo::GeoModule& module_;
  Run run_;
  std::vector<std::filesystem::path> files_;
  std::vector<geo::SourceInfo> described_;
  QListWidget* list_;
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
