#include "gui/preview_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QVBoxLayout>

#include "core/host.h"
#include "gui/elided_text.h"
#include "gui/preview_canvas.h"
#include "gui/preview_geo.h"
#include "gui/preview_legend.h"
#include "gui/qt_text.h"
#include "gui/window_placement.h"
#include "maps/preview_render.h"

namespace quarnby {
namespace {

// Notes and titles carry file names, which are in the file system's encoding; the
// other texts (site names among them) are 8-bit.
QString fileText(const std::string& text) { return QFile::decodeName(text.c_str()); }

QImage toImage(const preview::RgbImage& picture) {
  QImage image(picture.width, picture.height, QImage::Format_RGB32);
  for (int y = 0; y < picture.height; ++y) {
    auto* line = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
    const preview::Rgb* from = picture.pixels.data() + static_cast<std::size_t>(y) * picture.width;
    for (int x = 0; x < picture.width; ++x) line[x] = 0xFF000000u | from[x];
  }
  return image;
}

// Lays its items out in a row while they fit, then wraps them onto further rows.
class FlowLayout : public QLayout {
 public:
  explicit FlowLayout(int spacing) { setSpacing(spacing); }
  ~FlowLayout() override {
    while (QLayoutItem* item = takeAt(0)) delete item;
  }
  void addItem(QLayoutItem* item) override { items_.append(item); }
  int count() const override { return static_cast<int>(items_.size()); }
  QLayoutItem* itemAt(int i) const override { return items_.value(i); }
  QLayoutItem* takeAt(int i) override { return i >= 0 && i < items_.size() ? items_.takeAt(i) : nullptr; }
  Qt::Orientations expandingDirections() const override { return {}; }
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override { return arrange(QRect(0, 0, width, 0), false); }
  QSize sizeHint() const override {
    QSize row;
    for (const QLayoutItem* item : items_) {
      row.rwidth() += item->sizeHint().width() + (row.width() > 0 ? spacing() : 0);
      row.setHeight(std::max(row.height(), item->sizeHint().height()));
    }
    return row;
  }
  // One item to a row at the least.
  QSize minimumSize() const override {
    QSize least;
    for (const QLayoutItem* item : items_) least = least.expandedTo(item->sizeHint());
    return least;
  }
  void setGeometry(const QRect& rect) override {
    QLayout::setGeometry(rect);
    arrange(rect, true);
  }

 private:
  int arrange(const QRect& rect, bool apply) const {
    int x = rect.x(), y = rect.y(), rowHeight = 0;
    for (QLayoutItem* item : items_) {
      const QSize size = item->sizeHint();
      if (x > rect.x() && x + size.width() > rect.right() + 1) {
        x = rect.x();
        y += rowHeight + spacing();
        rowHeight = 0;
      }
      if (apply) item->setGeometry(QRect(QPoint(x, y), size));
      x += size.width() + spacing();
      rowHeight = std::max(rowHeight, size.height());
    }
    return y + rowHeight - rect.y();
  }
  QList<QLayoutItem*> items_;
};

// A group of switches that stays on one row of the flow.
QHBoxLayout* group(QLayout* flow) {
  auto* holder = new QWidget;
  auto* row = new QHBoxLayout(holder);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(8);
  flow->addWidget(holder);
  return row;
}

constexpr QSize kWantedSize(860, 700);
constexpr int kMargin = 8;
// Where the user last left the preview (QSettings).
constexpr const char* kPlaceKey = "Preview/geometry";
constexpr const char* kTracksTip = "Roads, railways and rivers of the track file";
constexpr const char* kSitesTip = "The sites of the object file, drawn by kind";

}  // namespace

PreviewWindow::PreviewWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("Preview");
  setWindowTitle(QString(kProgramName) + " Preview");

  canvas_ = new PreviewCanvas;
  legend_ = new PreviewLegend;
  // Go to and the reference layer, when the folder keeps its theatre frame.
  geo_ = new PreviewGeo(canvas_, this);

  // The switches in groups that wrap onto further rows when the window is narrow.
  switches_ = new FlowLayout(12);
  QHBoxLayout* bar = group(switches_);
  bar->addWidget(new QLabel("Show:"));
  bases_ = new QButtonGroup(this);
  const std::pair<Base, const char*> bases[] = {
      {Base::Relief, "&Relief"}, {Base::Types, "T&ypes"}, {Base::SubTypes, "&Sub-types"}, {Base::Cover, "La&nd cover"}};
  const char* const baseNames[] = {"PreviewRelief", "PreviewTypes", "PreviewSubTypes", "PreviewCover"};
  const char* const baseTips[] = {"The elevation grid as colour bands", "The type grid in the seven type colours",
                                  "The tile sub-type grid",
                                  "The land cover layer ('_cover.bmp') in the type colours; hatched: no land cover"};
  for (const auto& [base, label] : bases) {
    // The land cover view in a group of its own, so that the bases wrap as narrowly as before.
    if (base == Base::Cover) bar = group(switches_);
    auto* button = new QRadioButton(label);
    button->setObjectName(baseNames[static_cast<int>(base)]);
    button->setToolTip(baseTips[static_cast<int>(base)]);
    bases_->addButton(button, static_cast<int>(base));
    bar->addWidget(button);
  }
  bases_->button(static_cast<int>(Base::Relief))->setChecked(true);
  bar = group(switches_);
  const auto checkBox = [&](const char* name, const char* label, const char* tip) {
    auto* box = new QCheckBox(label);
    box->setObjectName(name);
    box->setChecked(true);
    box->setToolTip(tip);
    bar->addWidget(box);
    return box;
  };
  tracksBox_ = checkBox("PreviewTracks", "&Tracks", kTracksTip);
  sitesBox_ = checkBox("PreviewObjects", "&Objects", kSitesTip);
  shadingBox_ = checkBox("PreviewShading", "&Hill shading", "Light the ground from the north-west");
  auto* fitButton = new QPushButton("&Fit");
  fitButton->setObjectName("PreviewFit");
  fitButton->setToolTip("The whole grid in view (double click on the map, or 0)");
  auto* reloadButton = new QPushButton("Re&load");
  reloadButton->setObjectName("PreviewReload");
  reloadButton->setToolTip("Read the terrain folder again");
  bar = group(switches_);
  bar->addWidget(fitButton);
  bar->addWidget(reloadButton);
  bar->addWidget(geo_->referenceGroup());
  switches_->addWidget(geo_->goToGroup());

  // The legend beside the map, or under it when the window is narrow.
  middle_ = new QBoxLayout(QBoxLayout::LeftToRight);
  middle_->addWidget(canvas_, 1);
  middle_->addWidget(legend_, 0, Qt::AlignLeft | Qt::AlignTop);

  // A long folder name is shortened in the middle, never cut off at the end.
  status_ = new ElidedLabel;
  status_->setObjectName("PreviewStatus");
  status_->setMinimumWidth(100);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(kMargin, kMargin, kMargin, 6);
  layout->addLayout(switches_);
  layout->addLayout(middle_, 1);
  layout->addWidget(status_);
  arrange();

  connect(bases_, &QButtonGroup::idClicked, this, [this](int id) { setBase(static_cast<Base>(id)); });
  connect(tracksBox_, &QCheckBox::toggled, this, [this] { showLayers(); });
  connect(sitesBox_, &QCheckBox::toggled, this, [this] { showLayers(); });
  connect(shadingBox_, &QCheckBox::toggled, this, [this](bool on) {
    shading_ = on;
    pictures_ = {};
    showLayers();
  });
  connect(fitButton, &QPushButton::clicked, canvas_, &PreviewCanvas::fit);
  connect(reloadButton, &QPushButton::clicked, this, &PreviewWindow::refresh);
  connect(canvas_, &PreviewCanvas::hovered, this, &PreviewWindow::showHover);
  connect(geo_, &PreviewGeo::referenceChanged, this, [this] { legend_->setReference(geo_->referenceName()); });
  connect(geo_, &PreviewGeo::noteChanged, this, [this] { status_->setText(idleStatus()); });
  connect(canvas_, &PreviewCanvas::left, this, [this] { status_->setText(idleStatus()); });

  resize(kWantedSize);
  showLayers();
}

void PreviewWindow::setFolder(const std::filesystem::path& folder) {
  if (loaded_ && folder == folder_) return;
  folder_ = folder;
  loaded_ = false;
  refresh();
  canvas_->fit();
}

void PreviewWindow::refresh() {
  if (holds_ > 0 || !isVisible()) {
    stale_ = true;
    return;
  }
  load();
}

void PreviewWindow::hold() { ++holds_; }

void PreviewWindow::release() {
  if (holds_ > 0 && --holds_ == 0) refresh();
}

QSize PreviewWindow::leastSize(int width) const {
  const int besideWidth = canvas_->minimumWidth() + middle_->spacing() + legend_->sizeHint().width() + 2 * kMargin;
  const int inner = std::max({legend_->sizeHint().width(), canvas_->minimumWidth(), switches_->minimumSize().width()});
  const int spacing = layout()->spacing();
  const int middle = width >= besideWidth
                         ? std::max(canvas_->minimumHeight(), legend_->sizeHint().height())
                         : canvas_->minimumHeight() + middle_->spacing() + legend_->sizeHint().height();
  const int rows = switches_->heightForWidth(std::max(inner, width - 2 * kMargin));
  return QSize(width >= besideWidth ? besideWidth : inner + 2 * kMargin,
               kMargin + rows + spacing + middle + spacing + status_->sizeHint().height() + 6);
}

QSize PreviewWindow::narrowest() const { return leastSize(0); }

void PreviewWindow::arrange() {
  const QSize least = leastSize(width());
  const bool beside = least.width() > narrowest().width();
  const auto direction = beside ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
  if (middle_->direction() != direction) middle_->setDirection(direction);
  // Narrower than the legend beside the map needs, the window lets the legend go under it.
  setMinimumSize(QSize(narrowest().width(), least.height()));
}

void PreviewWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  arrange();
  remember();
}

void PreviewWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  remember();
}

// The place kept is the frame's: what the window manager adds above and around the
// window is part of what must lie on the screen.
void PreviewWindow::remember() {
  if (isVisible() && !isMinimized() && placed_) QSettings().setValue(kPlaceKey, frameGeometry());
}

void PreviewWindow::keepOnScreen() {
  const QScreen* screen = this->screen() ? this->screen() : QApplication::primaryScreen();
  if (!isVisible() || !screen) return;
  const QRect frame = frameGeometry();
  const QRect area = screen->availableGeometry();
  if (area.contains(frame)) return;
  const QSize extra = frame.size() - geometry().size();
  if (const auto kept = restoredRect(frame, {area}, minimumSize() + extra)) {
    resize(kept->size() - extra);
    move(kept->topLeft());
  }
}

void PreviewWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if ((stale_ || !loaded_) && holds_ == 0) load();
}

void PreviewWindow::load() {
  terrain_ = preview::loadPreviewTerrain(folder_);
  loaded_ = true;
  stale_ = false;
  pictures_ = {};
  geo_->load(folder_);
  const QString base = fileText(terrain_.baseName);
  setWindowTitle(QString(kProgramName) + " Preview" + (base.isEmpty() ? QString() : " - " + base));
  showLayers();
}

void PreviewWindow::setBase(Base base) {
  base_ = base;
  bases_->button(static_cast<int>(base))->setChecked(true);
  showLayers();
}

void PreviewWindow::setTracksShown(bool on) { tracksBox_->setChecked(on); }
void PreviewWindow::setSitesShown(bool on) { sitesBox_->setChecked(on); }
void PreviewWindow::setShading(bool on) { shadingBox_->setChecked(on); }

void PreviewWindow::showLayers() {
  const auto index = static_cast<std::size_t>(base_);
  const ElevationGrid* relief = shading_ && terrain_.elevation ? &*terrain_.elevation.data : nullptr;
  QString note;
  if (!pictures_[index]) {
    QImage picture;
    switch (base_) {
      case Base::Relief:
        if (terrain_.elevation) picture = toImage(preview::reliefImage(*terrain_.elevation.data, shading_));
        break;
      case Base::Types:
        if (terrain_.types) picture = toImage(preview::typeImage(*terrain_.types.data, relief));
        break;
      case Base::SubTypes:
        if (terrain_.subTypes) picture = toImage(preview::subTypeImage(*terrain_.subTypes.data, relief));
        break;
      case Base::Cover:
        if (terrain_.cover) picture = toImage(preview::coverImage(*terrain_.cover.data, relief));
        break;
    }
    pictures_[index] = picture;
  }
  switch (base_) {
    case Base::Relief: note = fileText(terrain_.elevation.note); break;
    case Base::Types: note = fileText(terrain_.types.note); break;
    case Base::SubTypes: note = fileText(terrain_.subTypes.note); break;
    case Base::Cover: note = fileText(terrain_.cover.note); break;
  }
  if (!loaded_) note = "No terrain folder";
  canvas_->setPicture(*pictures_[index], note);

  // An overlay whose file is missing keeps its short caption; the switch's tooltip and
  // the legend say what is missing.
  const auto missingNote = [this](QCheckBox* box, const char* tip, const auto& layer) {
    const QString missing = loaded_ && !layer.data ? fileText(layer.note) : QString();
    box->setToolTip(missing.isEmpty() ? QString(tip) : QString(tip) + "\n" + missing);
    return missing;
  };
  const QString tracksMissing = missingNote(tracksBox_, kTracksTip, terrain_.tracks);
  const QString sitesMissing = missingNote(sitesBox_, kSitesTip, terrain_.sites);
  const bool tracks = tracksBox_->isChecked() && terrain_.tracks;
  const bool sites = sitesBox_->isChecked() && terrain_.sites;
  canvas_->setOverlays(tracks ? &*terrain_.tracks.data : nullptr, sites ? &*terrain_.sites.data : nullptr);
  legend_->setContent(base_, {tracksBox_->isChecked(), tracksMissing}, {sitesBox_->isChecked(), sitesMissing},
                      base_ == Base::Cover && loaded_ && !terrain_.cover ? fileText(terrain_.cover.note) : QString());
  status_->setText(idleStatus());
}

QString PreviewWindow::idleStatus() const {
  if (!loaded_ || terrain_.baseName.empty()) return "No terrain folder";
  if (!geo_->note().isEmpty()) return geo_->note();
  return pathText(terrain_.folder) + "    " + "Wheel: zoom, drag: pan, double click: whole grid";
}

void PreviewWindow::showHover(int row, int column, const preview::Site* site) {
  status_->setText(toQt(preview::readout(terrain_, row, column, site)) + geo_->readoutOf(row, column));
}

QString PreviewWindow::statusText() const { return status_->text(); }

void PreviewWindow::showBeside(QWidget* mainWindow) {
  if (!isVisible()) {
    // The frame the window manager puts around it: the main window's, until this one has
    // been shown itself.
    QSize extra = frameExtra_;
    if (extra.isEmpty() && mainWindow) extra = mainWindow->frameGeometry().size() - mainWindow->geometry().size();
    // Where the user left it, when that is still on a screen; else beside the main window.
    QList<QRect> screens;
    for (const QScreen* screen : QApplication::screens()) screens << screen->availableGeometry();
    const QRect saved = QSettings().value(kPlaceKey).toRect();
    const auto restored =
        saved.isValid() ? restoredRect(saved, screens, leastSize(saved.width() - extra.width()) + extra) : std::nullopt;
    QRect place;
    if (restored) {
      place = *restored;
    } else if (mainWindow) {
      const QScreen* screen = mainWindow->screen() ? mainWindow->screen() : QApplication::primaryScreen();
      // Narrowed down to its least width, it is taller: the legend goes under the map.
      place = besideRect(mainWindow->frameGeometry(), screen->availableGeometry(),
                         kWantedSize.expandedTo(narrowest()) + extra, narrowest() + extra);
    }
    if (place.isValid()) {
      resize(place.size() - extra);
      move(place.topLeft());  // a window's position is its frame's
    }
    placed_ = true;
  }
  show();
  raise();
  activateWindow();
  // Once the window manager has framed it, the frame is known: keep it on the screen.
  QTimer::singleShot(0, this, [this] {
    if (frameGeometry().size() != geometry().size()) frameExtra_ = frameGeometry().size() - geometry().size();
    keepOnScreen();
  });
  // The map takes the keys at once, so + and - zoom without a click first.
  canvas_->setFocus(Qt::ActiveWindowFocusReason);
}

}  // namespace quarnby
