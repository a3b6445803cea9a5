#pragma once
#include <QList>
#include <QRect>

#include <optional>

namespace quarnby {

// Where a window of size `wanted` (never smaller than `minimum`) opens next to
// `mainFrame` on the screen area `available`: to the right, else to the left, narrowed
// down to `minimum` if need be, else below or above; when none of these has the room,
// over the main window. The result always lies wholly on `available`.
QRect besideRect(const QRect& mainFrame, const QRect& available, const QSize& wanted, const QSize& minimum);

// A place remembered from an earlier run, on the screen areas of this run: moved and
// shrunk onto the screen it mostly lies on; nothing when it lies on none of them.
std::optional<QRect> restoredRect(const QRect& saved, const QList<QRect>& screens, const QSize& minimum);

}  // namespace quarnby
