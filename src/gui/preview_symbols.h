#pragma once
#include <QColor>
#include <QPointF>
#include <QPolygonF>
#include <QString>

#include "maps/preview_render.h"
#include "maps/preview_terrain.h"

class QPainter;

namespace quarnby {

// How tracks and sites look, the same on the map and in the legend.

QColor colourOf(preview::Rgb c);
// A track of `kind` (road, railway, river, superseded) along `line`, `width` pixels wide.
void paintTrack(QPainter& painter, const QPolygonF& line, int kind, double width);
// The symbol of a site of `kind` centred on `at`, about `r` pixels in radius.
void paintSiteSymbol(QPainter& painter, QPointF at, preview::SiteKind kind, double r);
// Text with a pale halo, readable on any ground.
void paintLabel(QPainter& painter, QPointF at, const QString& text);

}  // namespace quarnby
