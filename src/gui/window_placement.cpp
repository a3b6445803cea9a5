#include "gui/window_placement.h"

#include <algorithm>

namespace quarnby {

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
