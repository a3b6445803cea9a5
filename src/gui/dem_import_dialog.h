#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/context.h"
#include "geo/geo_module.h"
#include "gui/import_dialog.h"
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
class DemImportDialog : public ImportDialog {
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
  void addSources(const std::vector<std::filesystem::path>& files) override;
  DemImportRequest request() const;
  bool describing() const { return sources_->waiting() > 0; }
  // The sources of the last import that are still there, added again (QSettings).
  void addRememberedSources();
  // What the dialog says under the sources: the file written, the theatre, what is wrong.
  QString summary() const;
  bool canImport() const;

  // Import, as the button does it (tests press it through this too); Cancel is cancel().
  void startImport();
  void centreOnSources();

  QListWidget* sourceList() const { return sources_->list(); }

 private:
  void sourcesChanged();
  // The centre's latitude lies where the theatre can be laid out.
  bool centreInRange() const;

  const geo::GeoModule& module_;
  Run run_;
  Target target_;
  QLabel* summary_;
  SourceList* sources_;
  QComboBox* resampling_;
  FootprintView* view_;
  QPushButton* importButton_;
};

}  // namespace quarnby
