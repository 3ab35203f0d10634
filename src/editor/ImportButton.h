#pragma once

class QPushButton;
class QWidget;

namespace tanzo::calendarimport {

// The import command's button, in the list's frame to the left of the copy
// button. What it starts lives in the calendar module (CalendarImport).
QPushButton* createButton(QWidget* listFrame);

} // namespace tanzo::calendarimport
