#pragma once

#include "ListLine.h"

#include <QDate>
#include <QString>

#include <vector>

class QPushButton;
class QWidget;

namespace tanzo {

// The editor's import of an iCalendar file: the events of the editor's
// seven days become lines of its list, and a box says what came in, what
// was already there and what was left out. Nothing is written: the user
// saves with OK as usual.
namespace calendarimport {

// The command's button, in the list's frame to the left of the copy button.
QPushButton* createButton(QWidget* listFrame);

// Asks for the file; empty when the user cancels.
QString chooseFile(QWidget* parent);

// Reads the file and returns the new lines; boxes tell the user the outcome
// or why the file could not be read.
std::vector<ListFields> importFile(QWidget* parent, const QString& path,
                                   const std::vector<ListFields>& current, const QDate& today);

} // namespace calendarimport
} // namespace tanzo
