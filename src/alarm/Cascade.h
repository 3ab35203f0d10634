#pragma once

#include <QPoint>
#include <QSizeF>

#include <optional>

namespace tanzo {

// What the placement of a new notice window depends on. Sizes are in twips,
// positions in pixels.
struct CascadeInput {
    // Top-left of the most recent notice still open, if any.
    std::optional<QPoint> previous;
    // Outer size of the new window.
    QSizeF windowTwips;
    // Height of the title bar and borders (outer minus inner height).
    double frameTwips = 0;
    QSizeF screenTwips;
    double twipsPerPixelX = 15.0;
    double twipsPerPixelY = 15.0;
};

// Top-left of a new notice window in pixels: centred on the screen when no
// other notice is open, otherwise one title-bar height to the right of and
// below the previous one; back to 30 % of the screen once the right edge
// would pass 80 % of the screen width or the bottom edge would leave the
// screen.
QPoint cascadePosition(const CascadeInput& in);

} // namespace tanzo
