#include "gui/footprint_view.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace quarnby {

FootprintView::FootprintView(QWidget* parent) : QWidget(parent) { setMinimumSize(240, 200); }

void FootprintView::show(std::vector<std::vector<geo::GeoPoint>> sources, std::vector<geo::GeoPoint> theatre) {
  sources_ = std::move(sources);
  theatre_ = std::move(theatre);
  update();
}

void FootprintView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(0xE8, 0xEE, 0xF4));
  double latMin = 90, latMax = -90, lonMin = 180, lonMax = -180;
  auto widen = [&](const std::vector<geo::GeoPoint>& ring) {
    for (const auto& g : ring) {
      latMin = std::min(latMin, g.lat), latMax = std::max(latMax, g.lat);
      lonMin = std::min(lonMin, g.lon), lonMax = std::max(lonMax, g.lon);
    }
  };
  for (const auto& ring : sources_) widen(ring);
  widen(theatre_);
  if (latMin > latMax) {
    p.drawText(rect(), Qt::AlignCenter, tr("Add sources to see them here"));
    return;
  }
  const double shrink = std::cos((latMin + latMax) / 2.0 * M_PI / 180.0);
  const double w = std::max((lonMax - lonMin) * shrink, 1e-6), h = std::max(latMax - latMin, 1e-6);
  const double scale = std::min((width() - 12) / w, (height() - 12) / h);
  const double x0 = (width() - w * scale) / 2.0, y0 = (height() - h * scale) / 2.0;
  auto path = [&](const std::vector<geo::GeoPoint>& ring) {
    QPainterPath path;
    for (std::size_t i = 0; i < ring.size(); ++i) {
      const QPointF at(x0 + (ring[i].lon - lonMin) * shrink * scale, y0 + (latMax - ring[i].lat) * scale);
      i == 0 ? path.moveTo(at) : path.lineTo(at);
    }
    path.closeSubpath();
    return path;
  };
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x4A, 0x6B, 0x3A), 1));
  for (const auto& ring : sources_) p.fillPath(path(ring), QColor(0x8C, 0xB3, 0x6E, 140)), p.drawPath(path(ring));
  if (!theatre_.empty()) {
    p.setPen(QPen(QColor(0xB0, 0x20, 0x20), 2));
    p.drawPath(path(theatre_));
  }
}

}  // namespace quarnby
