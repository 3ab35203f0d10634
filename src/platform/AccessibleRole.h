#pragma once

#include <QAccessible>

class QWidget;

namespace tanzo {

// Gives a widget the role assistive technology reports for it, where the
// widget's class would report another: a label drawn and used as a button,
// a plain window that is an alert. A button gets the press action, which
// clicks it (a left press and release in its middle, delivered by the event
// loop), so a screen reader can use it as the mouse does; what it shows is
// its description. Must be called before the widget is first made known to
// assistive technology: before its title or text is set.
void setAccessibleRole(QWidget* widget, QAccessible::Role role);

} // namespace tanzo
