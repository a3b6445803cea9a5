#include "gui/band_bracket.h"

#include <QPainter>

namespace quarnby {

namespace {
constexpr int kRows = 12;  // bands per column
}

BandBracket::BandBracket(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

void BandBracket::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(QPen(palette().color(QPalette::Dark), 1));
  // The widget spans the twelve band rows; each end sits at the middle of its row.
  const int half = height() / kRows / 2;
  const int top = half;
  const int bottom = height() - half;
  const int mid = width() / 2;
  painter.drawLine(0, top, mid, top);
  painter.drawLine(mid, top, mid, bottom);
  painter.drawLine(mid, bottom, width(), bottom);
}

}  // namespace quarnby
