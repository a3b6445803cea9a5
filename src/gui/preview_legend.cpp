#include "gui/preview_legend.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

#include "gui/preview_symbols.h"
#include "gui/qt_text.h"
#include "maps/preview_render.h"
#include "terrain/track_file.h"

namespace quarnby {

using preview::SiteKind;

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

}  // namespace quarnby
