#include "Cascade.h"

#include "platform/Twips.h"

namespace tanzo {

QPoint cascadePosition(const CascadeInput& in) {
    int x = 0;
    int y = 0;
    if (in.previous) {
        x = roundHalfEven(in.previous->x() + in.frameTwips / in.twipsPerPixelX);
        y = roundHalfEven(in.previous->y() + in.frameTwips / in.twipsPerPixelY);
    } else {
        x = roundHalfEven((in.screenTwips.width() - in.windowTwips.width()) / 2 /
                          in.twipsPerPixelX);
        y = roundHalfEven((in.screenTwips.height() - in.windowTwips.height()) / 2 /
                          in.twipsPerPixelY);
    }
    // The bottom edge is checked too: on a wide, low screen the cascade would
    // otherwise walk its windows (and their OK buttons) off the screen.
    const bool pastRight =
        x * in.twipsPerPixelX + in.windowTwips.width() > 0.8 * in.screenTwips.width();
    const bool pastBottom =
        y * in.twipsPerPixelY + in.windowTwips.height() > in.screenTwips.height();
    if (pastRight || pastBottom) {
        x = roundHalfEven(0.3 * in.screenTwips.width() / in.twipsPerPixelX);
        y = roundHalfEven(0.3 * in.screenTwips.height() / in.twipsPerPixelY);
    }
    return {x, y};
}

} // namespace tanzo
