#pragma once

#include "editor/ListLine.h"

#include <QDate>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QProgressDialog;
class QWidget;

namespace tanzo {

class Prompts;

struct IcsImportResult;

// The editor's import of an iCalendar file: the events of the editor's
// seven days become lines of its list, and a box says what came in, what
// was already there and what was left out. Nothing is written: the user
// saves with OK as usual.
namespace calendarimport {

// Asks for the file; empty when the user cancels.
QString chooseFile(QWidget* parent);

// One import under way. The file is read and expanded in a worker thread,
// so that the editor and the board's clock go on while a large calendar is
// read; a progress box over the editor offers to stop it. When it is over,
// a box tells the outcome and `done` gets the new lines (none when it was
// stopped or failed). The object deletes itself afterwards.
class CalendarImport : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const std::vector<ListFields>& lines)>;
    CalendarImport(QWidget* parent, Prompts& prompts, const QString& path,
                   std::vector<ListFields> current, const QDate& today, Done done);
    ~CalendarImport() override;

private:
    struct Outcome;
    void finish(const Outcome& outcome);

    QWidget* m_parent;
    Prompts& m_prompts;
    QString m_name;
    std::vector<ListFields> m_current;
    Done m_done;
    // Shared with the worker, which may outlive this object when the
    // editor closes mid-way; it then stops at the next event.
    std::shared_ptr<std::atomic_bool> m_cancel;
    QProgressDialog* m_progress;
};

} // namespace calendarimport
} // namespace tanzo
