#pragma once
#include <QImage>
#include <QTemporaryDir>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/context.h"
#include "geo/geo_module.h"
#include "gui/import_dialog.h"
#include "terrain/theatre_frame.h"
#include "typing/class_table.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace quarnby {

class FootprintView;
class SourceList;

// "Import Land Cover...": the class rasters (added, removed, dropped in, each described on
// a thread of its own), the theatre centre (the folder's frame, or given when it has
// none), the class table (a shipped one by name or a CSV file, its type column editable,
// saved as CSV), the smallest patch, the footprints under the theatre square, and a
// picture of the types the counting gives before anything is written. Import runs the
// command's options through `run`, with the progress bar and Cancel working.
class LandCoverDialog : public ImportDialog {
  Q_OBJECT
 public:
  using Run = std::function<Outcome(const CommandRequest&)>;
  // The terrain folder (empty: none picked) and its theatre frame, when it has one.
  struct Target {
    std::filesystem::path folder;
    std::optional<TheatreFrame> frame;
  };
  LandCoverDialog(const geo::GeoModule& module, Run run, Target target, QWidget* parent = nullptr);
  ~LandCoverDialog() override;

  void addSources(const std::vector<std::filesystem::path>& files) override;
  bool describing() const;

  // A shipped table by name, or a CSV file; false with the reason in `error`.
  bool pickTable(const QString& name, QString& error);
  bool loadTable(const std::filesystem::path& file, QString& error);
  bool saveTable(const std::filesystem::path& file, QString& error);
  // The table as it stands in the view; nothing, with the reason, when a line is bad.
  std::optional<ClassTable> table(std::string& error) const;

  // The command's options: --source for each, --table, --centre when the folder has no
  // frame, --smallest-patch. An edited table goes in as a CSV file of the dialog's own.
  CommandRequest request();
  QString summary() const;
  bool canImport() const;

  // Import, Preview and Cancel, as the buttons do them (tests press the buttons).
  void startImport();
  void showPreview();
  void centreOnSources();

  QListWidget* sourceList() const;
  QTableWidget* tableView() const { return tableView_; }
  QComboBox* tableChoice() const { return tableChoice_; }
  // The last preview's picture (512 x 512, north up); null before one was made.
  const QImage& previewPicture() const { return picture_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void changed();
  void showTable(const ClassTable& table);
  // The table as shown, its name in the choice of tables.
  void tableNowIs(const QString& source);
  bool centreInRange() const;
  geo::GeoPoint centre() const;
  // The progress callback of a run: the bar moves, Cancel is heard.
  std::function<bool(int)> progressWatch();

  const geo::GeoModule& module_;
  Run run_;
  Target target_;
  std::vector<ClassRow> rows_;  // the table shown, its type column as edited
  QString tableSource_;         // the shipped name or the file the table came from
  bool tableEdited_ = false;
  bool showingTable_ = false;
  QTemporaryDir edits_;  // where an edited table is written for the run
  QImage picture_;

  SourceList* sources_;
  QComboBox* tableChoice_;
  QTableWidget* tableView_;
  QSpinBox* patch_;
  QLabel* summary_;
  FootprintView* view_;
  QLabel* preview_;
  QPushButton* previewButton_;
  QPushButton* importButton_;
};

}  // namespace quarnby
