#include "gui/preview_legend.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

#include "gui/preview_geo.h"
#include "gui/preview_symbols.h"
#include "gui/qt_text.h"
#include "maps/preview_render.h"
#include "terrain/cover_bitmap.h"
#include "terrain/track_file.h"

namespace quarnby {

using preview::SiteKind;

PreviewLegend::PreviewLegend(QWidget* parent) : QWidget(parent) {
  setObjectName("PreviewLegend");
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

void PreviewLegend::setContent(Base base, const Layer& tracks, const Layer& sites, const QString& baseMissing) {
  base_ = base;
  baseMissing_ = baseMissing;
  tracks_ = tracks;
  sites_ = sites;
  update();
}

void PreviewLegend::setReference(const QString& name) {
  reference_ = name;
  update();
}

namespace {

constexpr int kSymbolWidth = 38;  // the swatch or symbol left of each name
constexpr int kColumnGap = 14;
constexpr const char* kSharedCode = "Ports and supplies share the code GMS; a site named PORT... is a port.";

}  // namespace

QString breakableNote(QString note) {
  // A file name has no blanks to wrap at: it may break after its separators.
  for (const QChar mark : {QLatin1Char('_'), QLatin1Char('.'), QLatin1Char('/'), QLatin1Char('-')})
    note.replace(mark, QString(mark) + QChar(0x200B));
  return note;
}

int PreviewLegend::rowHeight() const { return std::max(fontMetrics().height() + 2, 16); }

int PreviewLegend::baseColumnWidth() const {
  int widest = fontMetrics().horizontalAdvance("0 (under water)");
  for (const auto& band : preview::elevationBands())
    widest = std::max(widest, fontMetrics().horizontalAdvance(toQt(band.label)));
  return std::max(kSymbolWidth + widest + 6, 170);
}

int PreviewLegend::layerColumnWidth() const {
  int widest = 0;
  for (int k = 0; k < preview::kSiteKindCount; ++k)
    widest = std::max(widest, fontMetrics().horizontalAdvance(toQt(preview::siteKindName(static_cast<SiteKind>(k)))));
  return kSymbolWidth + widest + 6;
}

QSize PreviewLegend::sizeHint() const {
  // The tallest column: the elevation key, or the tracks and objects with the note on
  // the shared code (three lines at most) and a missing file's note under each heading.
  const int bands = static_cast<int>(preview::elevationBands().size());
  const int baseRows = 1 + bands;
  // Two more for a missing file's note over a long folder name, which wraps anywhere.
  const int layerRows = 1 + 3 + 1 + preview::kSiteKindCount + 3 + 2 + 2;
  const int headings = 2 * 6;
  return QSize(baseColumnWidth() + kColumnGap + layerColumnWidth(),
               8 + std::max(baseRows, layerRows) * rowHeight() + headings);
}

void PreviewLegend::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QFontMetrics metrics(font());
  const int row = rowHeight();
  double x0 = 0;
  double y = 4;
  const auto heading = [&](const QString& text) {
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(palette().color(QPalette::WindowText));
    y += 4;
    painter.drawText(QPointF(x0 + 6, y + metrics.ascent()), text);
    painter.setFont(font());
    y += row + 2;
  };
  const auto text = [&](double x, const QString& label) {
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QPointF(x0 + x, y + metrics.ascent() - 1), label);
    y += row;
  };
  // A note wrapped to the column, in the muted colour.
  const auto note = [&](const QString& words) {
    const QRectF room(x0 + 8, y, layerColumnWidth() - 8, 4 * row);
    painter.setPen(palette().color(QPalette::PlaceholderText));
    QRectF used;
    painter.drawText(room, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, breakableNote(words), &used);
    y += used.height() + 2;
  };
  const auto swatch = [&](QColor colour, const QString& label) {
    painter.setPen(QPen(QColor(0, 0, 0, 90), 1));
    painter.setBrush(colour);
    painter.drawRect(QRectF(x0 + 8, y + 1, 22, row - 4));
    text(kSymbolWidth, label);
  };

  switch (base_) {
    case Base::Relief: {
      heading("Elevation");
      const auto bands = preview::elevationBands();
      for (auto band = bands.rbegin(); band != bands.rend(); ++band) swatch(colourOf(band->colour), toQt(band->label));
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
    case Base::Cover: {
      heading("Land cover");
      if (!baseMissing_.isEmpty()) {
        note(baseMissing_);
        break;
      }
      for (int t = 0; t < preview::kTypeCount; ++t)
        swatch(colourOf(preview::coverColour(t)), QString::number(t) + "  " + toQt(preview::typeName(t)));
      swatch(colourOf(preview::coverColour(kCoverOpen)), "open ground");
      swatch(colourOf(preview::coverColour(kCoverBare)), "bare ground");
      // The hatching of the map, in the swatch's place.
      QBrush hatch(colourOf(preview::kNoCoverDark), Qt::BDiagPattern);
      painter.setPen(QPen(QColor(0, 0, 0, 90), 1));
      painter.setBrush(colourOf(preview::kNoCoverLight));
      painter.drawRect(QRectF(x0 + 8, y + 1, 22, row - 4));
      painter.setBrush(hatch);
      painter.drawRect(QRectF(x0 + 8, y + 1, 22, row - 4));
      text(kSymbolWidth, "no land cover");
      note("the altitude bands decide");
      break;
    }
  }

  x0 = baseColumnWidth() + kColumnGap;
  y = 4;
  if (!tracks_.missing.isEmpty()) {
    heading("Tracks");
    note(tracks_.missing);
  } else if (tracks_.shown) {
    heading("Tracks");
    const std::pair<int, const char*> kinds[] = {{kRoad, "Road"}, {kRailway, "Railway"}, {kRiver, "River"}};
    for (const auto& [kind, label] : kinds) {
      paintTrack(painter, QPolygonF({QPointF(x0 + 9, y + row / 2.0), QPointF(x0 + 29, y + row / 2.0)}), kind, 2.4);
      text(kSymbolWidth, label);
    }
  }
  if (!sites_.missing.isEmpty()) {
    heading("Objects");
    note(sites_.missing);
  } else if (sites_.shown) {
    heading("Objects");
    for (int k = 0; k < preview::kSiteKindCount; ++k) {
      const auto kind = static_cast<SiteKind>(k);
      paintSiteSymbol(painter, QPointF(x0 + 19, y + row / 2.0), kind, 5);
      text(kSymbolWidth, toQt(preview::siteKindName(kind)));
    }
    note(kSharedCode);
  }
  if (!reference_.isEmpty()) {
    heading("Reference");
    painter.setPen(QPen(referenceColour(), 2.4));
    painter.drawLine(QPointF(x0 + 9, y + row / 2.0), QPointF(x0 + 29, y + row / 2.0));
    text(kSymbolWidth, metrics.elidedText(reference_, Qt::ElideMiddle, layerColumnWidth() - kSymbolWidth));
  }
}

}  // namespace quarnby
