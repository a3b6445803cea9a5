#include "gui/preview_symbols.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include <algorithm>
#include <cmath>

#include "terrain/track_file.h"

namespace quarnby {

using preview::SiteKind;

QColor colourOf(preview::Rgb c) { return QColor(preview::red(c), preview::green(c), preview::blue(c)); }

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
      // A barge route runs over water: a light casing keeps it apart from the sea's blue.
      draw(pen(QColor(255, 255, 255, 210), width + 2.5));
      draw(pen(QColor(18, 64, 170), width + 0.5));
      break;
    default: draw(pen(QColor(110, 110, 110), width, Qt::DashLine)); break;
  }
}

namespace {

QPolygonF starShape(QPointF centre, double outer) {
  QPolygonF star;
  for (int i = 0; i < 10; ++i) {
    const double angle = -M_PI / 2 + i * M_PI / 5;
    const double radius = i % 2 == 0 ? outer : outer * 0.45;
    star << centre + QPointF(std::cos(angle) * radius, std::sin(angle) * radius);
  }
  return star;
}

}  // namespace

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
      painter.drawPolygon(QPolygonF(
          {at + QPointF(0, -r * 1.1), at + QPointF(r * 1.1, 0), at + QPointF(0, r * 1.1), at + QPointF(-r * 1.1, 0)}));
      break;
    case SiteKind::RDF:
      painter.setPen(dark);
      painter.setBrush(QColor(0, 184, 204));
      painter.drawPolygon(
          QPolygonF({at + QPointF(0, -r * 1.2), at + QPointF(r * 1.1, r * 0.8), at + QPointF(-r * 1.1, r * 0.8)}));
      break;
  }
}

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

}  // namespace quarnby
