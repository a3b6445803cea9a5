#include "gui/preview_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/host.h"
#include "gui/qt_text.h"
#include "maps/preview_render.h"
#include "terrain/track_file.h"

namespace quarnby {
namespace {

using preview::Site;
using preview::SiteKind;
using preview::TrackLine;

constexpr double kGrid = kElevSize;  // samples per side
constexpr double kMaxScale = 48.0;
const QColor kBackground(34, 36, 40);
const QColor kEmptyGrid(60, 63, 70);

QColor colourOf(preview::Rgb c) { return QColor(preview::red(c), preview::green(c), preview::blue(c)); }
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

// ---- How tracks and sites look, on the map and in the legend ------------------------

void paintTrack(QPainter& painter, const QPolygonF& line, int kind, double width) {
  const auto pen = [&](QColor colour, double w, Qt::PenStyle style = Qt::SolidLine) {
    QPen p(colour, w, style, Qt::RoundCap, Qt::RoundJoin);
    return p;
  };
  const auto draw = [&](const QPen& p) {
    painter.setPen(p);
    if (line.size() == 1) painter.drawPoint(line.front());
    else painter.drawPolyline(line);
  };
  switch (kind) {
    case kRoad:
      draw(pen(QColor(255, 255, 255, 150), width + 2));
      draw(pen(QColor(205, 62, 30), width));
      break;
    case kRailway: {
      draw(pen(QColor(20, 20, 20), width + 1.5));
      QPen ties = pen(QColor(250, 250, 250), std::max(width * 0.55, 1.0));
      ties.setCapStyle(Qt::FlatCap);
      ties.setDashPattern({3.0, 3.0});
      draw(ties);
      break;
    }
    case kRiver:
      draw(pen(QColor(28, 110, 225), width + 0.5));
      break;
    default:
      draw(pen(QColor(110, 110, 110), width, Qt::DashLine));
      break;
  }
}

QPolygonF starShape(QPointF centre, double outer) {
  QPolygonF star;
  for (int i = 0; i < 10; ++i) {
    const double angle = -M_PI / 2 + i * M_PI / 5;
    const double radius = i % 2 == 0 ? outer : outer * 0.45;
    star << centre + QPointF(std::cos(angle) * radius, std::sin(angle) * radius);
  }
  return star;
}

void paintSiteSymbol(QPainter& painter, QPointF at, SiteKind kind, double r) {
  const QPen light(QColor(255, 255, 255), 1.4);
  const QPen dark(QColor(25, 25, 30), 1.2);
  switch (kind) {
    case SiteKind::Headquarters:
      painter.setPen(QPen(QColor(255, 255, 255), 1.6));
      painter.setBrush(QColor(222, 28, 36));
      painter.drawPolygon(starShape(at, r * 1.55));
      break;
    case SiteKind::Supply:
      painter.setPen(dark);
      painter.setBrush(QColor(246, 150, 28));
      painter.drawRect(QRectF(at.x() - r * 0.8, at.y() - r * 0.8, r * 1.6, r * 1.6));
      break;
    case SiteKind::Port:
      painter.setPen(light);
      painter.setBrush(QColor(16, 52, 150));
      painter.drawRect(QRectF(at.x() - r * 0.8, at.y() - r * 0.8, r * 1.6, r * 1.6));
      painter.setBrush(QColor(255, 255, 255));
      painter.setPen(Qt::NoPen);
      painter.drawEllipse(at, r * 0.3, r * 0.3);
      break;
    case SiteKind::Town:
      painter.setPen(light);
      painter.setBrush(QColor(80, 80, 86));
      painter.drawEllipse(at, r * 0.7, r * 0.7);
      break;
    case SiteKind::City:
      painter.setPen(light);
      painter.setBrush(QColor(146, 36, 132));
      painter.drawEllipse(at, r * 1.05, r * 1.05);
      painter.setBrush(QColor(255, 255, 255));
      painter.setPen(Qt::NoPen);
      painter.drawEllipse(at, r * 0.35, r * 0.35);
      break;
    case SiteKind::Airfield:
      painter.setPen(QPen(QColor(25, 25, 30), 1.5));
      painter.setBrush(QColor(255, 255, 255));
      painter.drawEllipse(at, r, r);
      painter.setPen(QPen(QColor(25, 25, 30), std::max(r * 0.4, 1.5), Qt::SolidLine, Qt::FlatCap));
      painter.drawLine(at + QPointF(-r * 1.35, 0), at + QPointF(r * 1.35, 0));
      break;
    case SiteKind::FUF:
      painter.setPen(dark);
      painter.setBrush(QColor(252, 214, 40));
      painter.drawPolygon(QPolygonF({at + QPointF(0, -r * 1.1), at + QPointF(r * 1.1, 0), at + QPointF(0, r * 1.1),
                                     at + QPointF(-r * 1.1, 0)}));
      break;
    case SiteKind::RDF:
      painter.setPen(dark);
      painter.setBrush(QColor(0, 184, 204));
      painter.drawPolygon(QPolygonF({at + QPointF(0, -r * 1.2), at + QPointF(r * 1.1, r * 0.8),
                                     at + QPointF(-r * 1.1, r * 0.8)}));
      break;
  }
}

// Text with a pale halo, readable on any ground.
void paintLabel(QPainter& painter, QPointF at, const QString& text) {
  QPainterPath path;
  path.addText(at, painter.font(), text);
  painter.setPen(QPen(QColor(255, 255, 255, 210), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(path);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(20, 20, 24));
  painter.drawPath(path);
}

}  // namespace

// ---- PreviewCanvas ------------------------------------------------------------------

PreviewCanvas::PreviewCanvas(QWidget* parent) : QWidget(parent) {
  setObjectName("PreviewCanvas");
  setMouseTracking(true);
  setFocusPolicy(Qt::WheelFocus);
  setMinimumSize(240, 240);
  setCursor(Qt::CrossCursor);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewCanvas::setPicture(const QImage& picture, const QString& emptyNote) {
  picture_ = picture.isNull() ? QPixmap() : QPixmap::fromImage(picture);
  emptyNote_ = emptyNote;
  update();
}

void PreviewCanvas::setOverlays(const std::vector<TrackLine>* tracks, const std::vector<Site>* sites) {
  tracks_ = tracks;
  sites_ = sites;
  update();
}

void PreviewCanvas::fit() {
  scale_ = std::max(std::min(width(), height()) / kGrid * 0.96, 0.05);
  offset_ = QPointF((width() - kGrid * scale_) / 2, (height() - kGrid * scale_) / 2);
  fitted_ = true;
  update();
}

void PreviewCanvas::setScale(double scale, QPointF keepViewPoint) {
  const double fitting = std::min(width(), height()) / kGrid;
  const QPointF kept = mapOf(keepViewPoint);
  scale_ = std::clamp(scale, std::min(fitting * 0.5, 0.5), kMaxScale);
  offset_ = keepViewPoint - kept * scale_;
  fitted_ = false;
  update();
}

void PreviewCanvas::zoomAt(QPointF viewPoint, double factor) { setScale(scale_ * factor, viewPoint); }

void PreviewCanvas::centreOn(int row, int column, double scale) {
  scale_ = std::clamp(scale, 0.05, kMaxScale);
  offset_ = QPointF(width() / 2.0, height() / 2.0) - QPointF(column + 0.5, kGrid - row - 0.5) * scale_;
  fitted_ = false;
  update();
}

QPointF PreviewCanvas::viewPointOf(int row, int column) const {
  return viewOf(QPointF(column + 0.5, kGrid - row - 0.5));
}

std::optional<std::pair<int, int>> PreviewCanvas::sampleAt(QPointF viewPoint) const {
  const QPointF m = mapOf(viewPoint);
  const int column = static_cast<int>(std::floor(m.x()));
  const int row = kElevSize - 1 - static_cast<int>(std::floor(m.y()));
  if (column < 0 || column >= kElevSize || row < 0 || row >= kElevSize) return std::nullopt;
  return std::make_pair(row, column);
}

void PreviewCanvas::resizeEvent(QResizeEvent*) {
  if (fitted_) fit();
}

void PreviewCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kBackground);
  const QRectF grid(viewOf(QPointF(0, 0)), QSizeF(kGrid * scale_, kGrid * scale_));
  if (!picture_.isNull()) {
    // Only the part in view is scaled; close up every sample is a crisp square.
    const QRectF visible = grid.intersected(QRectF(rect()));
    if (!visible.isEmpty()) {
      painter.setRenderHint(QPainter::SmoothPixmapTransform, scale_ < 1.5);
      const QRectF source(mapOf(visible.topLeft()), mapOf(visible.bottomRight()));
      painter.drawPixmap(visible, picture_, source);
    }
  } else {
    painter.fillRect(grid, kEmptyGrid);
    QFont font = painter.font();
    font.setPointSizeF(font.pointSizeF() * 1.6);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(225, 225, 230));
    const QRectF where = grid.intersected(QRectF(rect())).adjusted(12, 12, -12, -12);
    painter.drawText(where, Qt::AlignCenter | Qt::TextWordWrap, emptyNote_);
    painter.setFont(QFont());
  }
  painter.setPen(QPen(QColor(0, 0, 0, 140), 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(grid);

  painter.setRenderHint(QPainter::Antialiasing);
  if (tracks_) paintTracks(painter);
  if (sites_) paintSites(painter);
  if (hoveredSample_ && scale_ >= 6) {
    const QPointF centre = viewPointOf(hoveredSample_->first, hoveredSample_->second);
    painter.setPen(QPen(QColor(255, 255, 255, 220), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(centre - QPointF(scale_ / 2, scale_ / 2), QSizeF(scale_, scale_)));
  }
  paintScaleBar(painter);
}

void PreviewCanvas::paintTracks(QPainter& painter) const {
  const double width = std::clamp(scale_ * 0.45, 1.6, 6.0);
  const QRectF view = QRectF(rect()).adjusted(-10, -10, 10, 10);
  for (const TrackLine& track : *tracks_) {
    QPolygonF line;
    for (const preview::GridPoint& p : track.points)
      line << viewOf(QPointF(static_cast<double>(p.column) + 0.5, kGrid - static_cast<double>(p.row) - 0.5));
    if (!line.boundingRect().adjusted(-1, -1, 1, 1).intersects(view)) continue;
    paintTrack(painter, line, track.kind, width);
  }
}

void PreviewCanvas::paintSites(QPainter& painter) const {
  const double r = std::clamp(scale_ * 1.2, 4.0, 10.0);
  const bool labels = scale_ >= 4;
  QFont font = painter.font();
  font.setPointSizeF(std::max(font.pointSizeF() * 0.9, 7.0));
  painter.setFont(font);
  const QRectF view = QRectF(rect()).adjusted(-3 * r, -3 * r, 3 * r, 3 * r);
  for (const Site& site : *sites_) {
    const QPointF at = viewOf(QPointF(static_cast<double>(site.sample.column) + 0.5,
                                      kGrid - static_cast<double>(site.sample.row) - 0.5));
    if (!view.contains(at)) continue;
    paintSiteSymbol(painter, at, site.kind, r);
    if (labels) paintLabel(painter, at + QPointF(r * 1.6 + 2, r * 0.45), toQt(site.siteName));
  }
  painter.setFont(QFont());
}

void PreviewCanvas::paintScaleBar(QPainter& painter) const {
  // A sample is half a mile.
  double miles = 1;
  for (const double m : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0, 200.0, 500.0})
    if (m * 2 * scale_ <= 140) miles = m;
  const double length = miles * 2 * scale_;
  const QString label = QString::number(miles) + " mi";
  const QFontMetrics metrics(painter.font());
  const QRectF box(10, height() - 34, length + metrics.horizontalAdvance(label) + 26, 24);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 255, 255, 200));
  painter.drawRoundedRect(box, 4, 4);
  const double y = box.center().y() + 2;
  painter.setPen(QPen(QColor(20, 20, 24), 2, Qt::SolidLine, Qt::FlatCap));
  painter.drawLine(QPointF(box.left() + 8, y), QPointF(box.left() + 8 + length, y));
  painter.drawLine(QPointF(box.left() + 8, y - 5), QPointF(box.left() + 8, y));
  painter.drawLine(QPointF(box.left() + 8 + length, y - 5), QPointF(box.left() + 8 + length, y));
  painter.drawText(QPointF(box.left() + 16 + length, y + 1 + metrics.ascent() / 2.0 - 2), label);

  // North is up.
  const QRectF badge(width() - 38, 8, 28, 44);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(255, 255, 255, 200));
  painter.drawRoundedRect(badge, 4, 4);
  const QPointF tip(badge.center().x(), badge.top() + 5);
  painter.setBrush(QColor(20, 20, 24));
  painter.drawPolygon(QPolygonF({tip, tip + QPointF(7, 17), tip + QPointF(0, 13), tip + QPointF(-7, 17)}));
  painter.setPen(QColor(20, 20, 24));
  painter.drawText(QRectF(badge.left(), badge.top() + 24, badge.width(), 18), Qt::AlignCenter, "N");
}

void PreviewCanvas::reportHover(QPointF viewPoint) {
  const auto sample = sampleAt(viewPoint);
  if (sample != hoveredSample_ && scale_ >= 6) update();
  hoveredSample_ = sample;
  if (!sample) {
    emit left();
    return;
  }
  const Site* site = nullptr;
  if (sites_) {
    const QPointF m = mapOf(viewPoint);
    const double reach = (std::clamp(scale_ * 1.2, 4.0, 10.0) + 3) / scale_;
    site = preview::siteNear(*sites_, m.x(), kGrid - m.y(), reach);
  }
  emit hovered(sample->first, sample->second, site);
}

void PreviewCanvas::wheelEvent(QWheelEvent* event) {
  const double steps = event->angleDelta().y() / 120.0;
  if (steps != 0) zoomAt(event->position(), std::pow(1.25, steps));
  reportHover(event->position());
  event->accept();
}

void PreviewCanvas::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragFrom_ = event->position();
  setCursor(Qt::ClosedHandCursor);
}

void PreviewCanvas::mouseMoveEvent(QMouseEvent* event) {
  if (dragFrom_ && (event->buttons() & Qt::LeftButton)) {
    offset_ += event->position() - *dragFrom_;
    dragFrom_ = event->position();
    fitted_ = false;
    update();
  }
  reportHover(event->position());
}

void PreviewCanvas::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragFrom_.reset();
  setCursor(Qt::CrossCursor);
}

void PreviewCanvas::mouseDoubleClickEvent(QMouseEvent*) { fit(); }

void PreviewCanvas::leaveEvent(QEvent*) {
  if (hoveredSample_ && scale_ >= 6) update();
  hoveredSample_.reset();
  emit left();
}

void PreviewCanvas::keyPressEvent(QKeyEvent* event) {
  const QPointF centre(width() / 2.0, height() / 2.0);
  constexpr double kPan = 60;
  switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: zoomAt(centre, 1.25); break;
    case Qt::Key_Minus: zoomAt(centre, 0.8); break;
    case Qt::Key_0:
    case Qt::Key_Home: fit(); break;
    case Qt::Key_Left: offset_.rx() += kPan; fitted_ = false; update(); break;
    case Qt::Key_Right: offset_.rx() -= kPan; fitted_ = false; update(); break;
    case Qt::Key_Up: offset_.ry() += kPan; fitted_ = false; update(); break;
    case Qt::Key_Down: offset_.ry() -= kPan; fitted_ = false; update(); break;
    default: QWidget::keyPressEvent(event); break;
  }
}

// ---- PreviewLegend ------------------------------------------------------------------

PreviewLegend::PreviewLegend(QWidget* parent) : QWidget(parent) {
  setObjectName("PreviewLegend");
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

void PreviewLegend::setContent(Base base, bool tracks, bool sites) {
  base_ = base;
  tracks_ = tracks;
  sites_ = sites;
  update();
}

QSize PreviewLegend::sizeHint() const { return QSize(200, 420); }

void PreviewLegend::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QFontMetrics metrics(font());
  const int row = std::max(metrics.height() + 2, 16);
  double y = 4;
  const auto heading = [&](const QString& text) {
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(palette().color(QPalette::WindowText));
    y += 4;
    painter.drawText(QPointF(6, y + metrics.ascent()), text);
    painter.setFont(font());
    y += row + 2;
  };
  const auto text = [&](double x, const QString& label) {
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QPointF(x, y + metrics.ascent() - 1), label);
    y += row;
  };
  const auto swatch = [&](QColor colour, const QString& label) {
    painter.setPen(QPen(QColor(0, 0, 0, 90), 1));
    painter.setBrush(colour);
    painter.drawRect(QRectF(8, y + 1, 22, row - 4));
    text(38, label);
  };

  switch (base_) {
    case Base::Relief: {
      heading("Elevation");
      const auto bands = preview::elevationBands();
      for (auto band = bands.rbegin(); band != bands.rend(); ++band)
        swatch(colourOf(band->colour), toQt(band->label));
      break;
    }
    case Base::Types:
      heading("Terrain type");
      for (int t = 0; t < preview::kTypeCount; ++t)
        swatch(colourOf(preview::typeColour(t)), QString::number(t) + "  " + toQt(preview::typeName(t)));
      swatch(colourOf(preview::kUnknownTypeColour), "other codes");
      break;
    case Base::SubTypes: {
      heading("Sub-type");
      QLinearGradient ramp(QPointF(8, 0), QPointF(168, 0));
      for (int s = 1; s <= 255; s += 32) ramp.setColorAt((s - 1) / 254.0, colourOf(preview::subTypeColour(s)));
      ramp.setColorAt(1.0, colourOf(preview::subTypeColour(255)));
      painter.setPen(QPen(QColor(0, 0, 0, 90), 1));
      painter.setBrush(ramp);
      painter.drawRect(QRectF(8, y + 1, 160, row - 4));
      y += row;
      painter.setPen(palette().color(QPalette::WindowText));
      painter.drawText(QPointF(8, y + metrics.ascent() - 1), "1");
      painter.drawText(QRectF(8, y, 160, row), Qt::AlignRight | Qt::AlignTop, "255");
      y += row;
      swatch(colourOf(preview::subTypeColour(0)), "0 (under water)");
      break;
    }
  }
  if (tracks_) {
    heading("Tracks");
    const std::pair<int, const char*> kinds[] = {{kRoad, "Road"}, {kRailway, "Railway"}, {kRiver, "River"}};
    for (const auto& [kind, label] : kinds) {
      paintTrack(painter, QPolygonF({QPointF(9, y + row / 2.0), QPointF(29, y + row / 2.0)}), kind, 2.4);
      text(38, label);
    }
  }
  if (sites_) {
    heading("Objects");
    for (int k = 0; k < preview::kSiteKindCount; ++k) {
      const auto kind = static_cast<SiteKind>(k);
      paintSiteSymbol(painter, QPointF(19, y + row / 2.0), kind, 5);
      text(38, toQt(preview::siteKindName(kind)));
    }
  }
}

// ---- PreviewWindow ------------------------------------------------------------------

PreviewWindow::PreviewWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("Preview");
  setWindowTitle(QString(kProgramName) + " Preview");

  // The controls in a tool bar, which folds what does not fit into its extension menu
  // when the window stands narrow beside the main window.
  auto* bar = new QToolBar;
  bar->setObjectName("PreviewBar");
  bar->addWidget(new QLabel("Show: "));
  bases_ = new QButtonGroup(this);
  const std::pair<Base, const char*> bases[] = {
      {Base::Relief, "&Relief"}, {Base::Types, "T&ypes"}, {Base::SubTypes, "&Sub-types"}};
  const char* const baseNames[] = {"PreviewRelief", "PreviewTypes", "PreviewSubTypes"};
  const char* const baseTips[] = {"The elevation grid as colour bands", "The type grid in the seven type colours",
                                  "The tile sub-type grid"};
  for (const auto& [base, label] : bases) {
    auto* button = new QRadioButton(label);
    button->setObjectName(baseNames[static_cast<int>(base)]);
    button->setToolTip(baseTips[static_cast<int>(base)]);
    bases_->addButton(button, static_cast<int>(base));
    bar->addWidget(button);
  }
  bases_->button(static_cast<int>(Base::Relief))->setChecked(true);
  bar->addSeparator();
  const auto checkBox = [&](const char* name, const char* label, const char* tip) {
    auto* box = new QCheckBox(label);
    box->setObjectName(name);
    box->setChecked(true);
    box->setToolTip(tip);
    bar->addWidget(box);
    return box;
  };
  tracksBox_ = checkBox("PreviewTracks", "&Tracks", "Roads, railways and rivers of the track file");
  sitesBox_ = checkBox("PreviewObjects", "&Objects", "The sites of the object file, drawn by kind");
  shadingBox_ = checkBox("PreviewShading", "&Hill shading", "Light the ground from the north-west");
  auto* stretch = new QWidget;
  stretch->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  bar->addWidget(stretch);
  auto* fitButton = new QPushButton("&Fit");
  fitButton->setObjectName("PreviewFit");
  fitButton->setToolTip("The whole grid in view (double click on the map, or 0)");
  auto* reloadButton = new QPushButton("Re&load");
  reloadButton->setObjectName("PreviewReload");
  reloadButton->setToolTip("Read the terrain folder again");
  bar->addWidget(fitButton);
  bar->addWidget(reloadButton);

  canvas_ = new PreviewCanvas;
  legend_ = new PreviewLegend;
  auto* middle = new QHBoxLayout;
  middle->addWidget(canvas_, 1);
  middle->addWidget(legend_);

  status_ = new QLabel;
  status_->setObjectName("PreviewStatus");
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  status_->setMinimumWidth(100);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 6);
  layout->addWidget(bar);
  layout->addLayout(middle, 1);
  layout->addWidget(status_);

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
  connect(canvas_, &PreviewCanvas::left, this, [this] { status_->setText(idleStatus()); });

  resize(860, 700);
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

void PreviewWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // Narrow, the map keeps the room and the legend steps aside.
  legend_->setVisible(width() >= 600);
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
    }
    pictures_[index] = picture;
  }
  switch (base_) {
    case Base::Relief: note = fileText(terrain_.elevation.note); break;
    case Base::Types: note = fileText(terrain_.types.note); break;
    case Base::SubTypes: note = fileText(terrain_.subTypes.note); break;
  }
  if (!loaded_) note = "No terrain folder";
  canvas_->setPicture(*pictures_[index], note);

  // An overlay whose file is missing says so on its switch.
  const auto label = [](QCheckBox* box, const QString& name, bool present, const std::string& why) {
    box->setText(present ? name : name + " (" + fileText(why) + ")");
  };
  label(tracksBox_, "&Tracks", terrain_.tracks.data.has_value() || !loaded_, terrain_.tracks.note);
  label(sitesBox_, "&Objects", terrain_.sites.data.has_value() || !loaded_, terrain_.sites.note);
  const bool tracks = tracksBox_->isChecked() && terrain_.tracks;
  const bool sites = sitesBox_->isChecked() && terrain_.sites;
  canvas_->setOverlays(tracks ? &*terrain_.tracks.data : nullptr, sites ? &*terrain_.sites.data : nullptr);
  legend_->setContent(base_, tracks, sites);
  status_->setText(idleStatus());
}

QString PreviewWindow::idleStatus() const {
  if (!loaded_ || terrain_.baseName.empty()) return "No terrain folder";
  return pathText(terrain_.folder) + "    " + "Wheel: zoom, drag: pan, double click: whole grid";
}

void PreviewWindow::showHover(int row, int column, const preview::Site* site) {
  status_->setText(toQt(preview::readout(terrain_, row, column, site)));
}

QString PreviewWindow::statusText() const { return status_->text(); }

void PreviewWindow::showBeside(QWidget* mainWindow) {
  if (!isVisible() && mainWindow) {
    const QSize frameExtra = mainWindow->frameGeometry().size() - mainWindow->geometry().size();
    const QScreen* screen = mainWindow->screen() ? mainWindow->screen() : QApplication::primaryScreen();
    const QRect place = besideRect(mainWindow->frameGeometry(), screen->availableGeometry(), size() + frameExtra);
    move(place.topLeft());
    resize(place.size() - frameExtra);
  }
  show();
  raise();
  activateWindow();
}

QRect besideRect(const QRect& mainFrame, const QRect& available, const QSize& wanted) {
  constexpr int kGap = 8;
  constexpr int kNarrowest = 320;
  constexpr int kLowest = 300;
  const QSize size = wanted.boundedTo(available.size());
  const int top = std::clamp(mainFrame.top(), available.top(), std::max(available.top(), available.bottom() + 1 - size.height()));
  const int rightX = mainFrame.right() + 1 + kGap;
  const int rightSpace = available.right() + 1 - rightX;
  const int leftSpace = mainFrame.left() - kGap - available.left();
  if (rightSpace >= size.width()) return QRect(QPoint(rightX, top), size);
  if (leftSpace >= size.width()) return QRect(QPoint(mainFrame.left() - kGap - size.width(), top), size);
  if (std::max(rightSpace, leftSpace) >= kNarrowest) {
    if (rightSpace >= leftSpace) return QRect(rightX, top, rightSpace, size.height());
    return QRect(available.left(), top, leftSpace, size.height());
  }
  const int belowY = mainFrame.bottom() + 1 + kGap;
  const int belowSpace = available.bottom() + 1 - belowY;
  const int aboveSpace = mainFrame.top() - kGap - available.top();
  if (std::max(belowSpace, aboveSpace) >= kLowest) {
    const int height = std::min(size.height(), std::max(belowSpace, aboveSpace));
    const int left = std::clamp(mainFrame.left(), available.left(), std::max(available.left(), available.right() + 1 - size.width()));
    return QRect(left, belowSpace >= aboveSpace ? belowY : mainFrame.top() - kGap - height, size.width(), height);
  }
  // No room on the screen: beside it all the same, partly off the screen.
  return QRect(QPoint(rightX, top), size);
}

}  // namespace quarnby
