#include "ScheduleEditor.h"

#include "ScheduleSave.h"
#include "core/AppContext.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"
#include "services/CalendarServices.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>

namespace tanzo {
namespace {
const QString kListReadFailed = QStringLiteral("リスト内容の取得に失敗しました。");
const QString kWriteFailed = QStringLiteral("スケジュールデータの書き込みに失敗しました。");
const QString kChangedElsewhere =
    QStringLiteral("次の予定はほかでも変更されていたため、この画面での内容を残しました。\n\n%1");

// The list compares start times to the minute and shows them to the second.
QDateTime openingMoment(const Clock& clock) {
    const QDateTime now = clock.now();
    const QTime t = now.time();
    return QDateTime(now.date(), QTime(t.hour(), t.minute(), t.second()));
}
} // namespace

ScheduleEditor::ScheduleEditor(AppContext& state, QWidget* parent)
    : ScheduleEditor(state.schedule, state.prompts, openingMoment(state.clock), parent) {}

ScheduleEditor::ScheduleEditor(ScheduleStore& schedule, Prompts& prompts, const QDateTime& opened,
                               QWidget* parent)
    : QDialog(parent), m_schedule(schedule), m_prompts(prompts), m_openDate(opened.date()),
      m_openTime(opened.time()), m_form(this, prompts),
      m_dateTime(m_form, prompts, m_openDate, m_openTime), m_lines(m_form.list, schedule) {
    setAttribute(Qt::WA_DeleteOnClose);

    m_form.statusBox->addItems(
        {QStringLiteral("最重要"), QStringLiteral("重要"), QStringLiteral("普通")});
    m_form.statusBox->setCurrentIndex(-1);
    m_lines.load();
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
    return m_lines.records();
}

void ScheduleEditor::importCalendar() {
    CalendarServices* services = m_calendarServices ? m_calendarServices() : nullptr;
    if (!services)
        return;
    services->importCalendar(this, listRecords(), m_openDate,
                             [this](const std::vector<ListFields>& lines) {
                                 for (const ListFields& line : lines) {
                                     m_lines.addAtTop(line);
                                     m_dirty = true;
                                 }
                                 refreshCommandStates();
                             });
}

// ---- The list ----

void ScheduleEditor::followStore(ScheduleStore::Change what) {
    if (m_lines.isSaving() || what != ScheduleStore::Change::List)
        return;
    const std::vector<ScheduleEntry> conflicts = m_lines.follow();
    refreshCommandStates();
    tellConflicts(conflicts);
}

void ScheduleEditor::tellConflicts(const std::vector<ScheduleEntry>& conflicts) {
    if (!conflicts.empty())
        m_prompts.open(this, msgbox::Icon::Information, kEditorCaption,
                       kChangedElsewhere.arg(conflictText(conflicts)));
}

QListWidgetItem* ScheduleEditor::selectedLine() const {
    const QList<QListWidgetItem*> selected = m_form.list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

std::optional<ListFields> ScheduleEditor::selectedRecord() const {
    const QListWidgetItem* item = selectedLine();
    return item ? WorkingList::recordOf(item) : std::nullopt;
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
        m_prompts.beep();
        return;
    }
    m_lines.addAtTop(fieldsFromInputs(entryInputs()));
    markListChanged();
    m_form.list->setFocus();
}

void ScheduleEditor::updateEntry() {
    QListWidgetItem* item = selectedLine();
    if (!item)
        return;
    m_lines.replace(item, fieldsFromInputs(entryInputs()));
    markListChanged();
    m_form.list->setFocus();
}

void ScheduleEditor::deleteEntry() {
    QListWidgetItem* item = selectedLine();
    if (!item)
        return;
    m_lines.remove(item);
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
    if (const auto record = WorkingList::recordOf(item)) {
        loadRecordIntoInputs(*record, taking);
        // A copy becomes a new entry: no line is its origin.
        if (taking == Taking::AsNewEntry) {
            m_form.list->clearSelection();
            m_form.list->setCurrentItem(nullptr);
        }
        m_entryEdited = false;
    } else {
        m_prompts.show(this, msgbox::Icon::Critical, kEditorCaption, kListReadFailed);
        clearInputs();
    }
    refreshCommandStates();
    m_form.yearBox->setFocus();
    m_form.disableLineCommands();
}

bool ScheduleEditor::writeList() {
    const WriteOutcome outcome = m_lines.save();
    if (!outcome.ok) {
        if (!outcome.fieldError.isEmpty())
            m_prompts.show(this, msgbox::Icon::Information, kAppTitle, outcome.fieldError);
        m_prompts.show(this, msgbox::Icon::Critical, kAppTitle, kWriteFailed);
        // The store may have read another program's change meanwhile.
        followStore(ScheduleStore::Change::List);
        return false;
    }
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
