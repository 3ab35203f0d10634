#pragma once

#include "board/BoardLayout.h"
#include "core/Settings.h"

#include <QString>

namespace tanzo {

// The text labels of the three rows as the fill animation sees them. The
// board window maps them onto its labels; tests use a plain recording one.
class BoardSurface {
public:
    virtual ~BoardSurface() = default;

    // row is 0-2; the label is the column's member row + 3.
    virtual QString caption(layout::Column column, int row) const = 0;
    virtual void setCaption(layout::Column column, int row, const QString& text) = 0;
    virtual BgrColor color(layout::Column column, int row) const = 0;
    virtual void setColor(layout::Column column, int row, BgrColor color) = 0;
    virtual void setVisible(layout::Column column, int row, bool visible) = 0;
    // Puts the text label of this one cell in its place.
    virtual void align(layout::Column column, int row) = 0;
};

} // namespace tanzo
