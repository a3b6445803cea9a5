#include "gui/land_cover_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "app/class_tables.h"
#include "app/land_cover_import.h"
#include "gui/footprint_view.h"
#include "gui/gui_host.h"
#include "gui/qt_text.h"
#include "gui/source_list.h"
#include "terrain/cover_bitmap.h"
#include "terrain/file_io.h"
#include "terrain/grids.h"
#include "terrain/terrain_folder.h"

namespace quarnby {

namespace {

constexpr const char* kClassRasterFilter = "Land cover rasters (*.tif *.tiff *.vrt *.img *.nc *.zip);;All files (*)";
constexpr const char* kTableFilter = "Class tables (*.csv);;All files (*)";
constexpr int kDefaultPatch = 2;
enum Column { kCode, kName, kType, kNote };

// The picture of the cover entries, one pixel a type cell, north up.
QImage coverPicture(const std::vector<std::uint8_t>& cells) {
  QImage image(kCoverSize, kCoverSize, QImage::Format_RGB32);
  for (int tr = 0; tr < kCoverSize; ++tr) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(kCoverSize - 1 - tr));
    for (int tc = 0; tc < kCoverSize; ++tc) {
      const std::uint8_t entry = cells[static_cast<std::size_t>(tr) * kCoverSize + static_cast<std::size_t>(tc)];
      line[tc] = 0xFF000000u | coverPalette()[std::min<std::size_t>(entry, kNoLandCover)];
    }
  }
  return image;
}

}  // namespace

LandCoverDialog::LandCoverDialog(const geo::GeoModule& module, Run run, Target target, QWidget* parent)
    : ImportDialog(parent), module_(module), run_(std::move(run)), target_(std::move(target)) {
  setWindowTitle(tr("Import Land Cover"));

  sources_ = new SourceList(module_,
                            tr("Rasters of land cover classes in any format and projection GDAL reads; "
                               "a later source wins where it has data. Drop files here."),
                            tr("Land cover sources"), tr(kClassRasterFilter), this);
  sources_->list()->setObjectName(QStringLiteral("CoverSources"));
  connect(sources_, &SourceList::changed, this, &LandCoverDialog::changed);
  connect(sources_, &SourceList::firstDescribed, this, [this] {
    if (!target_.frame && lat_->value() == 0.0 && lon_->value() == 0.0) centreOnSources();
  });

  // The folder's frame fixes the centre: its elevation was laid out there.
  QHBoxLayout* centre = centreRow([this] { changed(); }, [this] { centreOnSources(); });
  for (QWidget* w : std::initializer_list<QWidget*>{lat_, lon_, centreButton_}) w->setEnabled(!target_.frame);
  if (target_.frame) {
    // Before the rest of the dialog is there to hear of it.
    const QSignalBlocker quietLat(lat_), quietLon(lon_);
    lat_->setValue(target_.frame->lat);
    lon_->setValue(target_.frame->lon);
  }

  tableChoice_ = new QComboBox(this);
  tableChoice_->setObjectName(QStringLiteral("CoverTable"));
  for (const std::string_view name : shippedClassTables()) tableChoice_->addItem(toQt(name));
  auto* load = new QPushButton(tr("Load..."), this);
  auto* save = new QPushButton(tr("Save..."), this);
  connect(tableChoice_, &QComboBox::activated, this, [this](int index) {
    QString error;
    if (!pickTable(tableChoice_->itemText(index), error)) summary_->setText(error);
  });
  connect(load, &QPushButton::clicked, this, [this] {
    const QString name = QFileDialog::getOpenFileName(this, tr("Class table"), QString(), tr(kTableFilter));
    QString error;
    if (!name.isEmpty() && !loadTable(pathOf(name), error)) summary_->setText(error);
  });
  connect(save, &QPushButton::clicked, this, [this] {
    const QString name = QFileDialog::getSaveFileName(this, tr("Save class table"), QString(), tr(kTableFilter));
    QString error;
    if (!name.isEmpty() && !saveTable(pathOf(name), error)) summary_->setText(error);
  });
  auto* tableRow = new QHBoxLayout;
  tableRow->addWidget(tableChoice_, 1);
  tableRow->addWidget(load);
  tableRow->addWidget(save);

  tableView_ = new QTableWidget(0, 4, this);
  tableView_->setObjectName(QStringLiteral("CoverClasses"));
  tableView_->setHorizontalHeaderLabels({tr("Code"), tr("Class"), tr("Type"), tr("Note")});
  tableView_->horizontalHeader()->setStretchLastSection(true);
  tableView_->verticalHeader()->hide();
  tableView_->setToolTip(
      tr("Type: 0 Water, 1 Grass, 2 Grassy Rock, 3 Farm, 4 Rock, 5 Forest, 6 Snow, W water, ALT the altitude "
         "bands decide, ALT-OPEN open ground, ALT-BARE bare ground"));
  connect(tableView_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (showingTable_ || item->column() != kType) return;
    rows_[static_cast<std::size_t>(item->row())].type = fromQt(item->text().trimmed());
    tableEdited_ = true;
    changed();
  });

  patch_ = new QSpinBox(this);
  patch_->setObjectName(QStringLiteral("CoverSmallestPatch"));
  patch_->setRange(1, static_cast<int>(kCoverPixelCount));
  patch_->setValue(kDefaultPatch);
  patch_->setSuffix(tr(" cells"));
  patch_->setToolTip(tr("Patches of fewer cells merge into their largest neighbour; water joined to the sea stays"));

  auto* form = new QFormLayout;
  form->addRow(tr("Sources"), sources_);
  form->addRow(tr("Theatre centre"), centre);
  form->addRow(tr("Class table"), tableRow);
  form->addRow(tableView_);
  form->addRow(tr("Smallest patch"), patch_);

  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("CoverSummary"));
  summary_->setWordWrap(true);
  summary_->setTextFormat(Qt::PlainText);
  form->addRow(summary_);

  view_ = new FootprintView(this);
  preview_ = new QLabel(this);
  preview_->setObjectName(QStringLiteral("CoverPreview"));
  preview_->setMinimumSize(256, 256);
  preview_->setAlignment(Qt::AlignCenter);
  preview_->setText(tr("Preview shows the types here\nbefore anything is written"));
  auto* pictures = new QHBoxLayout;
  pictures->addWidget(view_, 1);
  pictures->addWidget(preview_);

  auto* buttons = new QDialogButtonBox(this);
  previewButton_ = buttons->addButton(tr("Preview"), QDialogButtonBox::ActionRole);
  previewButton_->setObjectName(QStringLiteral("CoverPreviewButton"));
  importButton_ = buttons->addButton(tr("Import"), QDialogButtonBox::AcceptRole);
  importButton_->setObjectName(QStringLiteral("CoverImportButton"));
  buttons->addButton(QDialogButtonBox::Cancel);
  connect(previewButton_, &QPushButton::clicked, this, &LandCoverDialog::showPreview);
  connect(buttons, &QDialogButtonBox::accepted, this, &LandCoverDialog::startImport);
  connect(buttons, &QDialogButtonBox::rejected, this, &LandCoverDialog::cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(pictures, 1);
  layout->addWidget(progress_);
  layout->addWidget(buttons);
  resize(660, 700);
  QString error;
  if (!pickTable(tableChoice_->currentText(), error)) summary_->setText(error);
  changed();
}

LandCoverDialog::~LandCoverDialog() = default;

void LandCoverDialog::addSources(const std::vector<std::filesystem::path>& files) { sources_->add(files); }
bool LandCoverDialog::describing() const { return sources_->waiting() > 0; }
QListWidget* LandCoverDialog::sourceList() const { return sources_->list(); }

void LandCoverDialog::centreOnSources() {
  if (sources_->described().empty() || target_.frame) return;
  const geo::GeoPoint c = module_.centreOfSources(sources_->described());
  lat_->setValue(c.lat);
  lon_->setValue(c.lon);
}

geo::GeoPoint LandCoverDialog::centre() const {
  // The frame's centre with every digit, not the five the boxes show.
  if (target_.frame) return {target_.frame->lat, target_.frame->lon};
  return {lat_->value(), lon_->value()};
}

bool LandCoverDialog::centreInRange() const { return !geo::centreProblem(centre()); }

void LandCoverDialog::showTable(const ClassTable& table) {
  showingTable_ = true;
  rows_ = table.rows();
  tableView_->setRowCount(static_cast<int>(rows_.size()));
  for (int r = 0; r < tableView_->rowCount(); ++r) {
    const ClassRow& row = rows_[static_cast<std::size_t>(r)];
    const std::string* fields[] = {&row.code, &row.name, &row.type, &row.note};
    for (int c = 0; c < 4; ++c) {
      auto* item = new QTableWidgetItem(shownText(*fields[c]));
      // Only the type is edited here; a new class or name goes through the CSV file.
      if (c != kType) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
      tableView_->setItem(r, c, item);
    }
  }
  tableView_->resizeColumnsToContents();
  showingTable_ = false;
  tableEdited_ = false;
  changed();
}

void LandCoverDialog::tableNowIs(const QString& source) {
  tableSource_ = source;
  if (tableChoice_->findText(source) < 0) tableChoice_->addItem(source);
  tableChoice_->setCurrentIndex(tableChoice_->findText(source));
}

bool LandCoverDialog::pickTable(const QString& name, QString& error) {
  std::string why;
  const auto table = loadClassTable(fromQt(name), why);
  if (!table) {
    error = displayText(why);
    return false;
  }
  tableNowIs(name);
  showTable(*table);
  return true;
}

bool LandCoverDialog::loadTable(const std::filesystem::path& file, QString& error) {
  std::string why;
  const auto table = ClassTable::load(file, why);
  if (!table) {
    error = displayText(why);
    return false;
  }
  tableNowIs(pathText(file));
  showTable(*table);
  return true;
}

std::optional<ClassTable> LandCoverDialog::table(std::string& error) const {
  return ClassTable::parse(classTableText(rows_), fromQt(tableSource_), error);
}

bool LandCoverDialog::saveTable(const std::filesystem::path& file, QString& error) {
  std::string why;
  if (!table(why)) {
    error = displayText(why);
    return false;
  }
  if (const auto failed = replaceFile(file, classTableText(rows_))) {
    error = displayText(file.string() + ": " + *failed);
    return false;
  }
  // From now on the table is that file.
  tableNowIs(pathText(file));
  tableEdited_ = false;
  changed();
  return true;
}

bool LandCoverDialog::canImport() const {
  std::string error;
  return !sources_->files().empty() && !running() && sources_->waiting() == 0 && sources_->refusedCount() == 0 &&
         centreInRange() && table(error) && !target_.folder.empty();
}

QString LandCoverDialog::summary() const {
  QStringList lines;
  if (target_.folder.empty()) {
    lines << tr("No terrain folder is picked: pick one first.");
  } else {
    lines << tr("Writes %1, then runs Set Type with it (%2); one step of the history.")
                 .arg(pathText(terrainFile(target_.folder, suffix::kCover)),
                      pathText(terrainFile(target_.folder, suffix::kType).filename()));
    lines << (target_.frame ? tr("The centre is the folder's theatre frame.")
                            : tr("The folder has no theatre frame: the centre is recorded in %1.")
                                  .arg(pathText(theatreFrameFile(target_.folder))));
  }
  if (sources_->waiting() > 0) lines << tr("Reading %n source(s)...", nullptr, sources_->waiting());
  if (sources_->refusedCount() > 0)
    lines << tr("%n source(s) cannot be used (in red; the tooltip says why): remove them to import.", nullptr,
                static_cast<int>(sources_->refusedCount()));
  if (const auto problem = geo::centreProblem(centre())) lines << displayText(*problem);
  std::string error;
  if (!table(error)) lines << displayText(error);
  else if (tableEdited_) lines << tr("The table is edited: the import uses it as it stands here.");
  return lines.join(QLatin1Char('\n'));
}

void LandCoverDialog::changed() {
  std::vector<std::vector<geo::GeoPoint>> outlines;
  for (const auto& s : sources_->described()) outlines.push_back(s.outline);
  view_->show(std::move(outlines), sources_->described().empty() || !centreInRange()
                                       ? std::vector<geo::GeoPoint>{}
                                       : module_.theatreOutline(centre()));
  // A type the table cannot take shows in red.
  for (int r = 0; r < tableView_->rowCount(); ++r) {
    QTableWidgetItem* type = tableView_->item(r, kType);
    const std::vector<ClassRow> one = {{"0", "", rows_[static_cast<std::size_t>(r)].type, ""}};
    std::string ignored;
    const bool good = ClassTable::parse(classTableText(one), "", ignored).has_value();
    const QSignalBlocker quiet(tableView_);
    if (type) type->setForeground(good ? palette().color(QPalette::Text) : QColor(Qt::red));
  }
  summary_->setText(summary());
  importButton_->setEnabled(canImport());
  previewButton_->setEnabled(canImport());
}

CommandRequest LandCoverDialog::request() {
  CommandRequest r;
  for (const auto& f : sources_->files()) r.options.emplace_back("--source", f.string());
  std::string table = fromQt(tableSource_);
  if (tableEdited_ && edits_.isValid()) {
    // The table as edited goes in as a file of its own, named after the one it came from.
    const auto file = pathOf(edits_.path()) / (std::filesystem::path(table).stem().string() + " (edited).csv");
    if (!replaceFile(file, classTableText(rows_))) table = file.string();
  }
  r.options.emplace_back("--table", table);
  if (!target_.frame) r.options.emplace_back("--centre", geo::exactGeoPointText(centre()));
  r.options.emplace_back("--smallest-patch", std::to_string(patch_->value()));
  return r;
}

std::function<bool(int)> LandCoverDialog::progressWatch() {
  auto watch = startRun();
  importButton_->setEnabled(false);
  previewButton_->setEnabled(false);
  return watch;
}

void LandCoverDialog::showPreview() {
  if (!canImport()) return;
  std::string error;
  const auto classes = table(error);
  LandCoverRequest r;
  r.sources = sources_->files();
  r.centre = centre();
  r.classes = classes->entries();
  r.smallestPatch = patch_->value();
  // Without an elevation grid no cell lies at sea level; the import itself needs one.
  const auto elevation = ElevationGrid::load(terrainFile(target_.folder, suffix::kElevation), error);
  r.seaLevel = elevation ? seaLevelCells(*elevation) : std::vector<std::uint8_t>(kCoverPixelCount, 0);
  r.progress = progressWatch();
  const LandCoverResult result = module_.landCover(r);
  stopRun();
  changed();
  if (result.status == LandCoverResult::Status::Refused) {
    summary_->setText(displayText(result.problem));
    return;
  }
  if (result.status != LandCoverResult::Status::Done) return;
  picture_ = coverPicture(result.cells);
  preview_->setPixmap(QPixmap::fromImage(picture_.scaled(preview_->minimumSize(), Qt::KeepAspectRatio)));
  preview_->setToolTip(tr("The land cover the import would write, in the type colours; black: no land cover"));
}

void LandCoverDialog::startImport() {
  if (!canImport()) return;
  CommandRequest r = request();
  r.progress = progressWatch();
  const Outcome outcome = run_(r);
  endRun(outcome);
  changed();
}

void LandCoverDialog::keyPressEvent(QKeyEvent* event) {
  // Return ends an edit of the table's type; from there it never starts the import.
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && tableView_->isAncestorOf(focusWidget())) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace quarnby
