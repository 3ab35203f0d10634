#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

namespace tanzo {

// Where a window at `window` must go to lie wholly inside the free area
// (what panels leave) of the screen it is on: the area it overlaps most, or
// `primaryArea` when it overlaps none (a monitor unplugged, a hand-edited
// position). It moves as little as that allows; a window larger than the
// area keeps its top-left corner in the area, so its title strip and its
// controls at the left stay reachable.
QPoint positionInsideArea(const QRect& window, const QList<QRect>& areas, const QRect& primaryArea);

// The same for the screens of this session.
QPoint positionInsideScreens(const QRect& window);

} // namespace tanzo
