#pragma once

#include "CommandStates.h"
#include "DateTimeEntry.h"
#include "ListLine.h"
#include "ScheduleEditorForm.h"
#include "WorkingList.h"
#include "schedule/ScheduleStore.h"

#include <QDate>
#include <QDialog>
#include <QTime>

#include <functional>
#include <optional>
#include <vector>

class QListWidgetItem;

namespace tanzo {

class CalendarServices;

struct AppContext;
class Prompts;
class ScheduleStore;

// The schedule editor: its list holds the working copy of the schedule,
// which is written to the data file only by OK and Apply. OK and Apply hand
// over the changes made here to the list the editor started from, so what
// arrived meanwhile from elsewhere stays; while it is open the list follows
// such changes, keeping its own. It deletes itself when closed.
class ScheduleEditor : public QDialog {
    Q_OBJECT
public:
    explicit ScheduleEditor(AppContext& state, QWidget* parent = nullptr);
    ~ScheduleEditor() override;

    // The list holds changes not yet written to the data file.
    bool isDirty() const { return m_dirty; }
    // The inputs differ from the selected line they were loaded from.
    QDate openDate() const { return m_openDate; }
    QTime openTime() const { return m_openTime; }

    // The records of the list from the top line down.
    std::vector<ListFields> listRecords() const;

    // Where the import comes from: the calendar module's services, or null
    // (the source has told the user why). Without one the import does nothing.
    void setCalendarServices(std::function<CalendarServices*()> services) {
        m_calendarServices = std::move(services);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ScheduleEditor(ScheduleStore& schedule, Prompts& prompts, const QDateTime& opened,
                   QWidget* parent);

    enum class Taking { WithDateAndTime, AsNewEntry };

    // Lays the list's changes over what the store holds now.
    void followStore(ScheduleStore::Change what);
    void tellConflicts(const std::vector<ScheduleEntry>& conflicts);
    QListWidgetItem* selectedLine() const;
    // Empty when no line is selected or its record cannot be read.
    std::optional<ListFields> selectedRecord() const;
    void enableCommandsForSelectedLine();
    void copyOrChangeSelectedLine();

    CommandInputs currentInputs() const;
    void refreshCommandStates();
    void clearInputs();
    void noteEntryEdited(bool edited);
    void chooseStatus(int index);

    EntryInputs entryInputs() const;
    void loadRecordIntoInputs(const ListFields& fields, Taking taking);
    void focusListOrYear();
    void markListChanged();
    void addEntry();
    void updateEntry();
    void deleteEntry();
    void clearEntry();
    void takeSelectedEntry(Taking taking);
    void changeSelectedEntry() { takeSelectedEntry(Taking::WithDateAndTime); }
    void copySelectedEntry() { takeSelectedEntry(Taking::AsNewEntry); }
    bool writeList();
    void saveAndClose();
    void save();
    // Adds the events of an iCalendar file to the list.
    void importCalendar();

    ScheduleStore& m_schedule;
    Prompts& m_prompts;
    std::function<CalendarServices*()> m_calendarServices;
    // The opening moment stays fixed while the window is open.
    const QDate m_openDate;
    const QTime m_openTime;
    // The form's widgets exist before the entry takes them over, and the
    // entry lets go of them before the dialog deletes them.
    ScheduleEditorForm m_form;
    DateTimeEntry m_dateTime;
    WorkingList m_lines;

    bool m_dirty = false;
    bool m_entryEdited = false;
    // Set while the inputs are emptied, which is no edit of a line.
    bool m_clearing = false;
};

} // namespace tanzo
