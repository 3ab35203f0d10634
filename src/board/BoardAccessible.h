#pragma once

#include <QList>

class QWidget;

namespace tanzo {

// A window that shows assistive technology only some of its child widgets,
// in its own order: the board lists its title strip and its rows, not the
// hundred labels they are drawn with.
class AccessibleParts {
public:
    virtual ~AccessibleParts() = default;
    virtual QList<QWidget*> accessibleParts() const = 0;
};

// Makes `window` (which implements AccessibleParts) known to assistive
// technology as a window with those parts as its children. Must be called
// before the window is first made known: before its title is set.
void exposeAccessibleParts(QWidget* window);

} // namespace tanzo
