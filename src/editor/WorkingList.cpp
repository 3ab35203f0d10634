#include "WorkingList.h"

#include <QListWidget>

#include <algorithm>
#include <tuple>

namespace tanzo {
namespace {
// Each line of the list keeps its record beside its text, so that a place
// or comment holding the line's own separator cannot shift the fields.
constexpr int kRecordRole = Qt::UserRole + 1;
// A subscribed calendar's appointment: shown for reference, greyed, with its
// subscription's name; it can be neither chosen nor saved from here.
constexpr int kReadOnlySourceRole = Qt::UserRole + 2;
// The appointment a line was loaded from; absent on a line added here.
constexpr int kOriginRole = Qt::UserRole + 3;

QListWidgetItem* makeLine(const ListFields& fields,
                          const std::optional<ScheduleEntry>& origin = std::nullopt) {
    auto* item = new QListWidgetItem(shownListLine(fields));
    item->setData(kRecordRole, QVariant::fromValue(fields));
    if (origin)
        item->setData(kOriginRole, QVariant::fromValue(*origin));
    return item;
}

QListWidgetItem* makeReadOnlyLine(const ListFields& fields, const ReadOnlyEntry& entry) {
    const QString& source = entry.source;
    const QString line = entry.allDay ? allDayListLine(fields) : joinListLine(fields);
    auto* item = new QListWidgetItem(line + QStringLiteral("  [%1]").arg(source));
    item->setData(kReadOnlySourceRole, source);
    item->setFlags(Qt::NoItemFlags);
    item->setToolTip(
        QStringLiteral("購読しているカレンダー「%1」の予定です（変更できません）。").arg(source));
    return item;
}

// The texts of lines kept from the list shown before a merge, by the
// merged lines' sources; the others are shown from their appointments.
std::vector<std::optional<ListFields>> keptFields(const MergedEdit& merged,
                                                  const std::vector<EditorLine>& lines) {
    std::vector<std::optional<ListFields>> fields;
    fields.reserve(merged.source.size());
    for (int source : merged.source) {
        fields.push_back(source >= 0 ? std::optional(lines[static_cast<size_t>(source)].fields)
                                     : std::nullopt);
    }
    return fields;
}
} // namespace

WorkingList::WorkingList(QListWidget* list, ScheduleStore& schedule)
    : m_list(list), m_schedule(schedule) {}

void WorkingList::load() {
    m_base = m_schedule.entries();
    show(uneditedLines(m_base));
}

bool WorkingList::isReadOnly(const QListWidgetItem* item) {
    return item->data(kReadOnlySourceRole).isValid();
}

std::optional<ListFields> WorkingList::recordOf(const QListWidgetItem* item) {
    const QVariant record = item->data(kRecordRole);
    if (record.canConvert<ListFields>())
        return record.value<ListFields>();
    return splitListLine(item->text());
}

std::vector<ListFields> WorkingList::records() const {
    std::vector<ListFields> records;
    for (EditorLine& line : lines())
        records.push_back(std::move(line.fields));
    return records;
}

std::vector<EditorLine> WorkingList::lines() const {
    std::vector<EditorLine> lines;
    lines.reserve(static_cast<size_t>(m_list->count()));
    for (int row = 0; row < m_list->count(); ++row) {
        const QListWidgetItem* item = m_list->item(row);
        if (isReadOnly(item))
            continue;
        if (auto record = recordOf(item)) {
            const QVariant origin = item->data(kOriginRole);
            lines.push_back({*record, origin.isValid()
                                          ? std::optional(origin.value<ScheduleEntry>())
                                          : std::nullopt});
        }
    }
    return lines;
}

void WorkingList::addAtTop(const ListFields& fields) {
    m_list->insertItem(0, makeLine(fields));
}

void WorkingList::replace(QListWidgetItem* item, const ListFields& fields) {
    item->setText(joinListLine(fields));
    item->setData(kRecordRole, QVariant::fromValue(fields));
}

void WorkingList::remove(QListWidgetItem* item) {
    delete m_list->takeItem(m_list->row(item));
}

void WorkingList::show(const std::vector<EditedLine>& own,
                       const std::vector<std::optional<ListFields>>& fields) {
    const auto before = [](const ScheduleEntry& a, const ScheduleEntry& b) {
        return std::tie(a.dateSerial, a.startTime) < std::tie(b.dateSerial, b.startTime);
    };
    std::vector<size_t> order(own.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return before(own[a].entry, own[b].entry); });
    const std::vector<ReadOnlyEntry>& subscribed = m_schedule.readOnlyEntries();

    // Upside down, latest at the top; at the same minute the user's own
    // come first in time order.
    const QList<QListWidgetItem*> selection = m_list->selectedItems();
    const QString selected = selection.isEmpty() ? QString() : selection.first()->text();
    m_list->clear();
    size_t i = order.size();
    size_t j = subscribed.size();
    while (i > 0 || j > 0) {
        if (i == 0 || (j > 0 && !before(subscribed[j - 1].entry, own[order[i - 1]].entry))) {
            const ReadOnlyEntry& r = subscribed[--j];
            m_list->addItem(makeReadOnlyLine(fieldsFromEntry(r.entry), r));
            continue;
        }
        const size_t k = order[--i];
        const bool kept = k < fields.size() && fields[k];
        m_list->addItem(makeLine(kept ? *fields[k] : fieldsFromEntry(own[k].entry), own[k].origin));
    }
    if (!selected.isEmpty()) {
        const QList<QListWidgetItem*> same = m_list->findItems(selected, Qt::MatchExactly);
        if (!same.isEmpty())
            m_list->setCurrentItem(same.first());
    }
}

std::vector<ScheduleEntry> WorkingList::follow() {
    const std::vector<EditorLine> current = lines();
    std::vector<EditedLine> edited;
    edited.reserve(current.size());
    for (const EditorLine& line : current) {
        const auto entry = entryFromFields(line.fields);
        if (!entry)
            return {}; // saving reports the line; until then the list stays as it is
        edited.push_back({*entry, line.origin});
    }
    const MergedEdit merged = mergeEdit(m_base, edited, m_schedule.entries());
    m_base = m_schedule.entries();
    show(merged.lines, keptFields(merged, current));
    return merged.conflicts;
}

WriteOutcome WorkingList::save() {
    // Written from the bottom of the list to the top.
    std::vector<EditorLine> bottomUp = lines();
    std::reverse(bottomUp.begin(), bottomUp.end());
    m_saving = true;
    WriteOutcome outcome = commitSchedule(m_base, bottomUp, m_schedule);
    m_saving = false;
    if (!outcome.ok)
        return outcome;
    m_base = m_schedule.entries();
    std::vector<EditedLine> written = outcome.merged.lines;
    for (EditedLine& line : written)
        line.origin = line.entry;
    show(written, keptFields(outcome.merged, bottomUp));
    return outcome;
}

} // namespace tanzo
