#include "gui/preview_canvas.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

#include "gui/preview_geo.h"
#include "gui/preview_legend.h"
#include "gui/preview_symbols.h"
#include "gui/qt_text.h"

namespace quarnby {
namespace {

using preview::Site;
using preview::TrackLine;

constexpr double kGrid = kElevSize;  // samples per side
constexpr double kMaxScale = 48.0;
const QColor kBackground(34, 36, 40);
const QColor kEmptyGrid(60, 63, 70);

}  // namespace

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

void PreviewCanvas::setReference(const ReferenceShapes* reference) {
  reference_ = reference;
  update();
}

void PreviewCanvas::setMarker(std::optional<geo::WorldPoint> spot) {
  marker_ = spot;
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
    painter.drawText(where, Qt::AlignCenter | Qt::TextWordWrap, breakableNote(emptyNote_));
    painter.setFont(QFont());
  }
  painter.setPen(QPen(QColor(0, 0, 0, 140), 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(grid);

  painter.setRenderHint(QPainter::Antialiasing);
  if (tracks_) paintTracks(painter);
  if (sites_) paintSites(painter);
  if (reference_)
    paintReference(painter, *reference_, QTransform(scale_, 0, 0, scale_, offset_.x(), offset_.y()), scale_);
  if (marker_) paintMarker(painter);
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
  // HQs last, so that no other symbol covers one.
  const auto paint = [&](const Site& site) {
    const QPointF at = viewOf(
        QPointF(static_cast<double>(site.sample.column) + 0.5, kGrid - static_cast<double>(site.sample.row) - 0.5));
    if (!view.contains(at)) return;
    paintSiteSymbol(painter, at, site.kind, r);
    if (labels) paintLabel(painter, at + QPointF(r * 1.6 + 2, r * 0.45), toQt(site.siteName));
  };
  for (const Site& site : *sites_)
    if (site.kind != preview::SiteKind::Headquarters) paint(site);
  for (const Site& site : *sites_)
    if (site.kind == preview::SiteKind::Headquarters) paint(site);
  painter.setFont(QFont());
}

// Cross hairs in a ring, open in the middle so the spot itself shows.
void PreviewCanvas::paintMarker(QPainter& painter) const {
  const QPointF at = viewOf(mapPointOfWorld(*marker_));
  for (const auto& [width, colour] : {std::pair{4.0, QColor(20, 20, 24, 200)}, std::pair{2.0, QColor(255, 230, 0)}}) {
    painter.setPen(QPen(colour, width));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(at, 9, 9);
    for (const QPointF& d : {QPointF(1, 0), QPointF(-1, 0), QPointF(0, 1), QPointF(0, -1)})
      painter.drawLine(at + d * 4, at + d * 15);
  }
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

void PreviewCanvas::panBy(QPointF shift) {
  offset_ += shift;
  fitted_ = false;
  update();
}

void PreviewCanvas::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  dragFrom_ = event->position();
  setCursor(Qt::ClosedHandCursor);
}

void PreviewCanvas::mouseMoveEvent(QMouseEvent* event) {
  if (dragFrom_ && (event->buttons() & Qt::LeftButton)) {
    panBy(event->position() - *dragFrom_);
    dragFrom_ = event->position();
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
    case Qt::Key_Left: panBy(QPointF(kPan, 0)); break;
    case Qt::Key_Right: panBy(QPointF(-kPan, 0)); break;
    case Qt::Key_Up: panBy(QPointF(0, kPan)); break;
    case Qt::Key_Down: panBy(QPointF(0, -kPan)); break;
    default: QWidget::keyPressEvent(event); break;
  }
}

}  // namespace quarnby
