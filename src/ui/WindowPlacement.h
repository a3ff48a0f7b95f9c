#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

// The height in pixels taken as the title bar when the window's frame is not known yet:
// before the first show, the window system has not told us its decorations.
inline constexpr int kTitleBarPixels = 24;

// Where a window whose frame would stand at `frame` is shown. A window whose title bar lies
// wholly outside every screen cannot be seen or dragged back, so it goes to the nearest
// place on the primary screen's available area; one whose title bar is at least partly on a
// screen stays exactly where it is. Positions beyond the window system's 16-bit coordinates
// lie on no screen, and so are brought back instead of wrapping round.
QPoint visiblePosition(const QRect& frame, const QList<QRect>& screens, const QRect& primary);
