#pragma once

#include "ListLine.h"
#include "ScheduleSave.h"
#include "schedule/ScheduleStore.h"

#include <optional>
#include <vector>

class QListWidget;
class QListWidgetItem;

namespace tanzo {

// The schedule editor's list: the working copy of the user's appointments
// among the subscribed ones (greyed, never saved). Each line keeps its
// record and the appointment it was loaded from, so that saving hands the
// store only the changes made here, against the list the store held when
// the lines were loaded (the base). When the store's list changes while
// the editor is open, the lines follow it and keep their own changes.
class WorkingList {
public:
    WorkingList(QListWidget* list, ScheduleStore& schedule);

    // Loads the store's list as it is.
    void load();

    // The records of the user's lines from the top line down; with the
    // appointment each was loaded from.
    std::vector<ListFields> records() const;
    std::vector<EditorLine> lines() const;

    static bool isReadOnly(const QListWidgetItem* item);
    // Empty when the line's record cannot be read.
    static std::optional<ListFields> recordOf(const QListWidgetItem* item);

    void addAtTop(const ListFields& fields);
    void replace(QListWidgetItem* item, const ListFields& fields);
    void remove(QListWidgetItem* item);

    // Lays the lines' changes over what the store holds now; the
    // appointments changed both here and elsewhere (this side was kept).
    std::vector<ScheduleEntry> follow();
    // Hands the changes to the store; on success the lines stand for what
    // was written.
    WriteOutcome save();
    bool isSaving() const { return m_saving; }

private:
    // Shows the user's lines (in any order) among the subscribed ones,
    // latest at the top; `fields` gives each line's text where it is kept
    // from the lines shown before.
    void show(const std::vector<EditedLine>& own,
              const std::vector<std::optional<ListFields>>& fields = {});

    QListWidget* m_list;
    ScheduleStore& m_schedule;
    DayList m_base;
    bool m_saving = false;
};

} // namespace tanzo
