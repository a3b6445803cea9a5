#pragma once
#include <QRect>

namespace quarnby {

// Where a window of size `wanted` goes beside `mainFrame` on the screen area
// `available`: to the right, else to the left, narrowed if need be, else below or
// above; never over the main window, even when that means leaving the screen.
QRect besideRect(const QRect& mainFrame, const QRect& available, const QSize& wanted);

}  // namespace quarnby
