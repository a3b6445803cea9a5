#include "gui/dem_import_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "gui/footprint_view.h"
#include "gui/gui_host.h"
#include "gui/qt_text.h"

namespace quarnby {

namespace {

// The raster formats the import is mostly given; GDAL reads many more, so all files too.
constexpr const char* kRasterFilter =
    "Elevation rasters (*.tif *.tiff *.hgt *.asc *.vrt *.dem *.dt0 *.dt1 *.dt2 *.bil *.flt *.img *.grd *.nc *.adf "
    "*.xyz *.zip);;All files (*)";
constexpr const char* kSourcesKey = "ImportDem/sources";

}  // namespace

DemImportDialog::DemImportDialog(const geo::GeoModule& module, Run run, QWidget* parent)
    : ImportDialog(parent), module_(module), run_(std::move(run)) {
  setWindowTitle(tr("Import DEM"));

  sources_ = new SourceList(module_,
                            tr("Rasters of heights in any format and projection GDAL reads; "
                               "a later source wins where they overlap. Drop files here."),
                            tr("Elevation sources"), tr(kRasterFilter), this);
  connect(sources_, &SourceList::changed, this, &DemImportDialog::sourcesChanged);
  connect(sources_, &SourceList::firstDescribed, this, [this] {
    if (lat_->value() == 0.0 && lon_->value() == 0.0) centreOnSources();
  });

  QHBoxLayout* centre = centreRow([this] { sourcesChanged(); }, [this] { centreOnSources(); });

  resampling_ = new QComboBox(this);
  resampling_->addItem(tr("automatic (average or bilinear)"), QString());
  for (const std::string& name : geo::resamplingNames())
    resampling_->addItem(QString::fromStdString(name), QString::fromStdString(name));

  auto* form = new QFormLayout;
  form->addRow(tr("Sources"), sources_);
  form->addRow(tr("Theatre centre"), centre);
  form->addRow(tr("Resampling"), resampling_);

  summary_ = new QLabel(this);
  summary_->setObjectName(QStringLiteral("DemSummary"));
  summary_->setWordWrap(true);
  summary_->setTextFormat(Qt::PlainText);
  form->addRow(summary_);

  view_ = new FootprintView(this);

  auto* buttons = new QDialogButtonBox(this);
  importButton_ = buttons->addButton(tr("Import"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &DemImportDialog::startImport);
  connect(buttons, &QDialogButtonBox::rejected, this, &DemImportDialog::cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(view_, 1);
  layout->addWidget(progress_);
  layout->addWidget(buttons);
  resize(560, 520);
  sourcesChanged();
}

DemImportDialog::~DemImportDialog() = default;

void DemImportDialog::setTarget(Target target) {
  target_ = std::move(target);
  sourcesChanged();
}

void DemImportDialog::addSources(const std::vector<std::filesystem::path>& files) { sources_->add(files); }

void DemImportDialog::addRememberedSources() {
  std::vector<std::filesystem::path> files;
  for (const QString& name : QSettings().value(kSourcesKey).toStringList()) {
    std::error_code ec;
    if (std::filesystem::exists(pathOf(name), ec)) files.push_back(pathOf(name));
  }
  addSources(files);
}

void DemImportDialog::centreOnSources() {
  if (sources_->described().empty()) return;
  const geo::GeoPoint c = module_.centreOfSources(sources_->described());
  lat_->setValue(c.lat);
  lon_->setValue(c.lon);
}

bool DemImportDialog::centreInRange() const { return std::fabs(lat_->value()) <= geo::kCentreLatitudeLimit; }

bool DemImportDialog::canImport() const {
  return !sources_->files().empty() && !running() && sources_->waiting() == 0 && sources_->refusedCount() == 0 &&
         centreInRange();
}

QString DemImportDialog::summary() const {
  QStringList lines;
  if (target_.field.empty()) {
    lines << tr("No terrain folder is picked: pick one first.");
  } else {
    lines
        << tr("Writes %1: the whole 512-mile theatre, 1025 x 1025 samples 2640 ft apart.").arg(pathText(target_.field));
    // The 256-mile map is the theatre's middle: it is said, or a user expects half the import.
    if (target_.map256) lines << tr("The 256-mile map chosen in the window uses its middle 256 miles.");
  }
  if (sources_->waiting() > 0) lines << tr("Reading %n source(s)...", nullptr, sources_->waiting());
  if (sources_->refusedCount() > 0)
    lines << tr("%n source(s) cannot be used (in red; the tooltip says why): remove them to import.", nullptr,
                static_cast<int>(sources_->refusedCount()));
  if (!centreInRange()) lines << tr("The latitude must lie within -%1 and %1 degrees.").arg(geo::kCentreLatitudeLimit);
  return lines.join(QLatin1Char('\n'));
}

void DemImportDialog::sourcesChanged() {
  std::vector<std::vector<geo::GeoPoint>> outlines;
  for (const auto& s : sources_->described()) outlines.push_back(s.outline);
  const geo::GeoPoint centre{lat_->value(), lon_->value()};
  view_->show(std::move(outlines), sources_->described().empty() || !centreInRange() ? std::vector<geo::GeoPoint>{}
                                                                                     : module_.theatreOutline(centre));
  lat_->setStyleSheet(centreInRange() ? QString() : QStringLiteral("color: red"));
  summary_->setText(summary());
  importButton_->setEnabled(canImport());
}

DemImportRequest DemImportDialog::request() const {
  DemImportRequest r;
  r.sources = sources_->files();
  r.centre = geo::GeoPoint{lat_->value(), lon_->value()};
  r.resampling = resampling_->currentData().toString().toStdString();
  return r;
}

void DemImportDialog::startImport() {
  if (!canImport()) return;
  // The same question as Export's, when there is a field to replace.
  std::error_code ec;
  if (target_.askToReplace && std::filesystem::exists(target_.field, ec) &&
      !target_.askToReplace(
          "This will replace the file:" + kCrLf + target_.field.string() + kCrLf + kCrLf + "Continue?", "Import DEM"))
    return;
  QStringList remembered;
  for (const auto& f : sources_->files()) remembered << pathText(f);
  QSettings().setValue(kSourcesKey, remembered);
  DemImportRequest r = request();
  r.progress = startRun();
  importButton_->setEnabled(false);
  const Outcome outcome = run_(r);
  endRun(outcome);
  sourcesChanged();
}

}  // namespace quarnby
