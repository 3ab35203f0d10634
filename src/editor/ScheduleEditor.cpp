#include "ScheduleEditor.h"

#include "CalendarImportCommand.h"
#include "ScheduleSave.h"
#include "core/AppContext.h"
#include "platform/Beep.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>

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

const QString kListReadFailed = QStringLiteral("リスト内容の取得に失敗しました。");
const QString kWriteFailed = QStringLiteral("スケジュールデータの書き込みに失敗しました。");
const QString kChangedElsewhere =
    QStringLiteral("次の予定はほかでも変更されていたため、この画面での内容を残しました。\n\n%1");

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

bool isReadOnlyLine(const QListWidgetItem* item) {
    return item->data(kReadOnlySourceRole).isValid();
}

std::optional<ListFields> recordOf(const QListWidgetItem* item) {
    const QVariant record = item->data(kRecordRole);
    if (record.canConvert<ListFields>())
        return record.value<ListFields>();
    return splitListLine(item->text());
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

// The list compares start times to the minute and shows them to the second.
QDateTime openingMoment(const Clock& clock) {
    const QDateTime now = clock.now();
    const QTime t = now.time();
    return QDateTime(now.date(), QTime(t.hour(), t.minute(), t.second()));
}
} // namespace

ScheduleEditor::ScheduleEditor(AppContext& state, QWidget* parent)
    : ScheduleEditor(state.schedule, openingMoment(state.clock), parent) {}

ScheduleEditor::ScheduleEditor(ScheduleStore& schedule, const QDateTime& opened, QWidget* parent)
    : QDialog(parent), m_schedule(schedule), m_openDate(opened.date()), m_openTime(opened.time()),
      m_form(this), m_dateTime(m_form, m_openDate, m_openTime) {
    setAttribute(Qt::WA_DeleteOnClose);

    m_form.statusBox->addItems(
        {QStringLiteral("最重要"), QStringLiteral("重要"), QStringLiteral("普通")});
    m_form.statusBox->setCurrentIndex(-1);
    m_base = schedule.entries();
    showLines(uneditedLines(m_base));
    connect(&schedule, &ScheduleStore::changed, this, &ScheduleEditor::followStore);

    connect(&m_dateTime, &DateTimeEntry::changed, this, &ScheduleEditor::noteEntryEdited);
    connect(m_form.statusBox, &QComboBox::activated, this, &ScheduleEditor::chooseStatus);
    for (QLineEdit* edit : {m_form.placeEdit, m_form.commentEdit})
        connect(edit, &QLineEdit::textChanged, this, [this] { noteEntryEdited(true); });

    QListWidget* list = m_form.list;
    connect(list, &QListWidget::itemSelectionChanged, this,
            &ScheduleEditor::enableCommandsForSelectedLine);
    connect(list, &QListWidget::itemClicked, this, &ScheduleEditor::enableCommandsForSelectedLine);
    connect(list, &QListWidget::itemDoubleClicked, this, &ScheduleEditor::copyOrChangeSelectedLine);

    connect(m_form.addButton, &QPushButton::clicked, this, &ScheduleEditor::addEntry);
    connect(m_form.updateButton, &QPushButton::clicked, this, &ScheduleEditor::updateEntry);
    connect(m_form.deleteButton, &QPushButton::clicked, this, &ScheduleEditor::deleteEntry);
    connect(m_form.clearButton, &QPushButton::clicked, this, &ScheduleEditor::clearEntry);
    connect(m_form.changeButton, &QPushButton::clicked, this, &ScheduleEditor::changeSelectedEntry);
    connect(m_form.copyButton, &QPushButton::clicked, this, &ScheduleEditor::copySelectedEntry);
    connect(m_form.okButton, &QPushButton::clicked, this, &ScheduleEditor::saveAndClose);
    connect(m_form.applyButton, &QPushButton::clicked, this, &ScheduleEditor::save);
    connect(m_form.cancelButton, &QPushButton::clicked, this, &QWidget::close);
    connect(m_form.importButton, &QPushButton::clicked, this, &ScheduleEditor::importCalendar);

    for (QObject* watched :
         {static_cast<QObject*>(m_form.placeEdit), static_cast<QObject*>(m_form.commentEdit),
          static_cast<QObject*>(list)})
        watched->installEventFilter(this);

    m_dirty = false;
    refreshCommandStates();
}

ScheduleEditor::~ScheduleEditor() {
    // The controls outlive this part of the object; they must not call back
    // into it while they are destroyed.
    for (QObject* watched :
         {static_cast<QObject*>(m_form.placeEdit), static_cast<QObject*>(m_form.commentEdit),
          static_cast<QObject*>(m_form.list)})
        watched->removeEventFilter(this);
    for (QObject* child : findChildren<QObject*>())
        child->disconnect(this);
}

std::vector<ListFields> ScheduleEditor::listRecords() const {
    std::vector<ListFields> records;
    records.reserve(static_cast<size_t>(m_form.list->count()));
    for (int row = 0; row < m_form.list->count(); ++row) {
        if (isReadOnlyLine(m_form.list->item(row)))
            continue;
        if (auto record = recordOf(m_form.list->item(row)))
            records.push_back(*record);
    }
    return records;
}

std::vector<EditorLine> ScheduleEditor::editorLines() const {
    std::vector<EditorLine> lines;
    lines.reserve(static_cast<size_t>(m_form.list->count()));
    for (int row = 0; row < m_form.list->count(); ++row) {
        const QListWidgetItem* item = m_form.list->item(row);
        if (isReadOnlyLine(item))
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

void ScheduleEditor::importCalendar() {
    const QString path = calendarimport::chooseFile(this);
    if (path.isEmpty())
        return;
    new calendarimport::CalendarImport(this, path, listRecords(), m_openDate,
                                       [this](const std::vector<ListFields>& lines) {
                                           for (const ListFields& line : lines) {
                                               m_form.list->insertItem(0, makeLine(line));
                                               m_dirty = true;
                                           }
                                           refreshCommandStates();
                                       });
}

// ---- The list ----

void ScheduleEditor::showLines(const std::vector<EditedLine>& own,
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

    // The list shows the appointments upside down, latest at the top; at
    // the same minute the user's own come first in time order.
    const QString selected = selectedLine() ? selectedLine()->text() : QString();
    m_form.list->clear();
    size_t i = order.size();
    size_t j = subscribed.size();
    while (i > 0 || j > 0) {
        if (i == 0 || (j > 0 && !before(subscribed[j - 1].entry, own[order[i - 1]].entry))) {
            const ReadOnlyEntry& r = subscribed[--j];
            m_form.list->addItem(makeReadOnlyLine(fieldsFromEntry(r.entry), r));
            continue;
        }
        const size_t k = order[--i];
        const bool kept = k < fields.size() && fields[k];
        m_form.list->addItem(
            makeLine(kept ? *fields[k] : fieldsFromEntry(own[k].entry), own[k].origin));
    }
    if (!selected.isEmpty()) {
        const QList<QListWidgetItem*> same = m_form.list->findItems(selected, Qt::MatchExactly);
        if (!same.isEmpty())
            m_form.list->setCurrentItem(same.first());
    }
}

void ScheduleEditor::followStore(ScheduleStore::Change what) {
    if (m_saving || what != ScheduleStore::Change::List)
        return;
    const std::vector<EditorLine> lines = editorLines();
    std::vector<EditedLine> edited;
    edited.reserve(lines.size());
    for (const EditorLine& line : lines) {
        const auto entry = entryFromFields(line.fields);
        if (!entry)
            return; // OK reports the line; until then the list stays as it is
        edited.push_back({*entry, line.origin});
    }
    const MergedEdit merged = mergeEdit(m_base, edited, m_schedule.entries());
    m_base = m_schedule.entries();
    showLines(merged.lines, keptFields(merged, lines));
    refreshCommandStates();
    tellConflicts(merged.conflicts);
}

void ScheduleEditor::tellConflicts(const std::vector<ScheduleEntry>& conflicts) {
    if (!conflicts.empty())
        msgbox::open(this, msgbox::Icon::Information, kEditorCaption,
                     kChangedElsewhere.arg(conflictText(conflicts)));
}

QListWidgetItem* ScheduleEditor::selectedLine() const {
    const QList<QListWidgetItem*> selected = m_form.list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

std::optional<ListFields> ScheduleEditor::selectedRecord() const {
    const QListWidgetItem* item = selectedLine();
    return item ? recordOf(item) : std::nullopt;
}

void ScheduleEditor::enableCommandsForSelectedLine() {
    const auto record = selectedRecord();
    if (!record)
        return;
    // A past appointment can be copied or deleted, not changed.
    m_form.copyButton->setEnabled(true);
    m_form.deleteButton->setEnabled(true);
    m_form.changeButton->setEnabled(!isPastLine(*record, m_openDate, m_openTime));
}

void ScheduleEditor::copyOrChangeSelectedLine() {
    const auto record = selectedRecord();
    if (!record)
        return;
    if (isPastLine(*record, m_openDate, m_openTime))
        copySelectedEntry();
    else
        changeSelectedEntry();
}

// ---- The inputs and the enabling ----

CommandInputs ScheduleEditor::currentInputs() const {
    CommandInputs in;
    m_dateTime.describeChoices(in);
    in.statusChosen = m_form.statusBox->currentIndex() >= 0;
    in.placeGiven = !m_form.placeEdit->text().isEmpty();
    in.lineSelected = selectedLine() != nullptr;
    in.dirty = m_dirty;
    in.entryEdited = m_entryEdited;
    in.listHasLines = m_form.list->count() > 0;
    return in;
}

void ScheduleEditor::refreshCommandStates() {
    m_form.applyCommandStates(commandStates(currentInputs()));
}

void ScheduleEditor::clearInputs() {
    m_clearing = true;
    m_dateTime.clear();
    {
        const QSignalBlocker blocker(m_form.statusBox);
        m_form.statusBox->setCurrentIndex(-1);
    }
    m_form.placeEdit->clear();
    m_form.commentEdit->clear();
    m_form.list->clearSelection();
    m_form.list->setCurrentItem(nullptr);
    m_clearing = false;
    refreshCommandStates();
}

void ScheduleEditor::noteEntryEdited(bool edited) {
    // Changing the inputs while a line is selected offers to update it.
    if (edited && !m_clearing && selectedLine())
        m_entryEdited = true;
    refreshCommandStates();
}

void ScheduleEditor::chooseStatus(int index) {
    {
        const QSignalBlocker blocker(m_form.statusBox);
        m_form.statusBox->setCurrentIndex(index);
    }
    noteEntryEdited(true);
}

bool ScheduleEditor::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == m_form.placeEdit || watched == m_form.commentEdit) &&
        event->type() == QEvent::FocusIn) {
        // Typing replaces the whole text. A click places the cursor after
        // the focus has arrived, so then the selection has to wait for it.
        auto* box = static_cast<QLineEdit*>(watched);
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason)
            QMetaObject::invokeMethod(box, &QLineEdit::selectAll, Qt::QueuedConnection);
        else
            box->selectAll();
        return false;
    }
    if (watched == m_form.list && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        if (selectedLine())
            copyOrChangeSelectedLine();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// ---- The commands ----

EntryInputs ScheduleEditor::entryInputs() const {
    EntryInputs in;
    m_dateTime.writeChosenItems(in);
    in.status = m_form.statusBox->currentText();
    in.place = m_form.placeEdit->text();
    in.comment = m_form.commentEdit->text();
    return in;
}

void ScheduleEditor::loadRecordIntoInputs(const ListFields& f, Taking taking) {
    // In the order a user would choose them: each box's items follow from
    // the boxes before it.
    if (taking == Taking::WithDateAndTime)
        m_dateTime.chooseDate(f);
    else
        m_dateTime.clear();
    chooseStatus(m_form.statusBox->findText(trimSpaces(f.status), Qt::MatchExactly));
    m_form.placeEdit->setText(trimSpaces(f.place));
    if (taking == Taking::WithDateAndTime)
        m_dateTime.chooseTime(f);
    m_form.commentEdit->setText(trimSpaces(f.comment));
}

void ScheduleEditor::focusListOrYear() {
    if (m_form.list->count() > 0)
        m_form.list->setFocus();
    else
        m_form.yearBox->setFocus();
}

void ScheduleEditor::markListChanged() {
    m_dirty = true;
    m_entryEdited = false;
    clearInputs();
}

void ScheduleEditor::addEntry() {
    // Line indices of the data file's list are 16-bit: one more line could
    // not be read back.
    if (static_cast<int>(listRecords().size()) >= MaxDayListEntries) {
        systemBeep();
        return;
    }
    m_form.list->insertItem(0, makeLine(fieldsFromInputs(entryInputs())));
    markListChanged();
    m_form.list->setFocus();
}

void ScheduleEditor::updateEntry() {
    QListWidgetItem* item = selectedLine();
    if (!item)
        return;
    const ListFields fields = fieldsFromInputs(entryInputs());
    item->setText(joinListLine(fields));
    item->setData(kRecordRole, QVariant::fromValue(fields));
    markListChanged();
    m_form.list->setFocus();
}

void ScheduleEditor::deleteEntry() {
    QListWidgetItem* item = selectedLine();
    if (!item)
        return;
    delete m_form.list->takeItem(m_form.list->row(item));
    markListChanged();
    m_form.disableLineCommands();
    focusListOrYear();
}

void ScheduleEditor::clearEntry() {
    m_entryEdited = false;
    clearInputs();
    focusListOrYear();
}

void ScheduleEditor::takeSelectedEntry(Taking taking) {
    const QListWidgetItem* item = selectedLine();
    if (!item)
        return;
    if (const auto record = recordOf(item)) {
        loadRecordIntoInputs(*record, taking);
        // A copy becomes a new entry: no line is its origin.
        if (taking == Taking::AsNewEntry) {
            m_form.list->clearSelection();
            m_form.list->setCurrentItem(nullptr);
        }
        m_entryEdited = false;
    } else {
        msgbox::show(this, msgbox::Icon::Critical, kEditorCaption, kListReadFailed);
        clearInputs();
    }
    refreshCommandStates();
    m_form.yearBox->setFocus();
    m_form.disableLineCommands();
}

bool ScheduleEditor::writeList() {
    std::vector<EditorLine> bottomUp = editorLines();
    std::reverse(bottomUp.begin(), bottomUp.end());
    m_saving = true;
    const WriteOutcome outcome = commitSchedule(m_base, bottomUp, m_schedule);
    m_saving = false;
    if (!outcome.ok) {
        if (!outcome.fieldError.isEmpty())
            msgbox::show(this, msgbox::Icon::Information, kAppTitle, outcome.fieldError);
        msgbox::show(this, msgbox::Icon::Critical, kAppTitle, kWriteFailed);
        // The store may have read another program's change meanwhile.
        followStore(ScheduleStore::Change::List);
        return false;
    }
    // The list now stands for what was written.
    m_base = m_schedule.entries();
    std::vector<EditedLine> written = outcome.merged.lines;
    for (EditedLine& line : written)
        line.origin = line.entry;
    showLines(written, keptFields(outcome.merged, bottomUp));
    tellConflicts(outcome.merged.conflicts);
    return true;
}

void ScheduleEditor::saveAndClose() {
    if (writeList())
        close();
}

void ScheduleEditor::save() {
    if (!writeList())
        return;
    m_dirty = false;
    refreshCommandStates();
}

} // namespace tanzo
