#include "WindowPlacement.h"

#include <algorithm>

QPoint visiblePosition(const QRect& frame, const QList<QRect>& screens, const QRect& primary)
{
    const QRect titleBar(frame.topLeft(), QSize(frame.width(), kTitleBarPixels));
    const bool seen = std::any_of(screens.begin(), screens.end(),
                                  [&](const QRect& screen) { return screen.intersects(titleBar); });
    if (seen || primary.isEmpty())
        return frame.topLeft();
    // The nearest place where the whole window fits; its top-left corner when it is larger.
    const int x =
        std::max(primary.left(), std::min(frame.left(), primary.right() + 1 - frame.width()));
    const int y =
        std::max(primary.top(), std::min(frame.top(), primary.bottom() + 1 - frame.height()));
    return {x, y};
}
