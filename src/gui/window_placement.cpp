#include "gui/window_placement.h"

#include <algorithm>

namespace quarnby {

namespace {

// `rect` moved (and if need be shrunk) so that it lies wholly on `area`.
QRect keptOn(QRect rect, const QRect& area) {
  rect.setSize(rect.size().boundedTo(area.size()));
  rect.moveLeft(std::clamp(rect.left(), area.left(), area.right() + 1 - rect.width()));
  rect.moveTop(std::clamp(rect.top(), area.top(), area.bottom() + 1 - rect.height()));
  return rect;
}

}  // namespace

QRect besideRect(const QRect& mainFrame, const QRect& available, const QSize& wanted, const QSize& minimum) {
  constexpr int kGap = 8;
  const QSize least = minimum.boundedTo(available.size());
  const QSize size = wanted.expandedTo(least).boundedTo(available.size());
  const int top = mainFrame.top();
  const int rightX = mainFrame.right() + 1 + kGap;
  const int rightSpace = available.right() + 1 - rightX;
  const int leftSpace = mainFrame.left() - kGap - available.left();
  if (rightSpace >= size.width()) return keptOn(QRect(QPoint(rightX, top), size), available);
  if (leftSpace >= size.width())
    return keptOn(QRect(QPoint(mainFrame.left() - kGap - size.width(), top), size), available);
  if (std::max(rightSpace, leftSpace) >= least.width()) {
    if (rightSpace >= leftSpace) return keptOn(QRect(rightX, top, rightSpace, size.height()), available);
    return keptOn(QRect(available.left(), top, leftSpace, size.height()), available);
  }
  const int belowY = mainFrame.bottom() + 1 + kGap;
  const int belowSpace = available.bottom() + 1 - belowY;
  const int aboveSpace = mainFrame.top() - kGap - available.top();
  if (std::max(belowSpace, aboveSpace) >= least.height()) {
    const int height = std::min(size.height(), std::max(belowSpace, aboveSpace));
    const int y = belowSpace >= aboveSpace ? belowY : mainFrame.top() - kGap - height;
    return keptOn(QRect(mainFrame.left(), y, size.width(), height), available);
  }
  // No room beside it: over it, toward the side with more room.
  const int x = rightSpace >= leftSpace ? available.right() + 1 - size.width() : available.left();
  return keptOn(QRect(QPoint(x, top), size), available);
}

std::optional<QRect> restoredRect(const QRect& saved, const QList<QRect>& screens, const QSize& minimum) {
  const QRect* best = nullptr;
  long long bestArea = 0;
  for (const QRect& screen : screens) {
    const QRect common = saved.intersected(screen);
    const long long area = static_cast<long long>(common.width()) * common.height();
    if (area > bestArea) {
      best = &screen;
      bestArea = area;
    }
  }
  if (!best) return std::nullopt;
  QRect rect = saved;
  rect.setSize(rect.size().expandedTo(minimum));
  return keptOn(rect, *best);
}

}  // namespace quarnby
