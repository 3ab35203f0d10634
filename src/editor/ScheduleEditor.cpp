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

const QString kListReadFailed = QStringLiteral("リスト内容の取得に失敗しました。");
const QString kWriteFailed = QStringLiteral("スケジュールデータの書き込みに失敗しました。");

QListWidgetItem* makeLine(const ListFields& fields) {
    auto* item = new QListWidgetItem(shownListLine(fields));
    item->setData(kRecordRole, QVariant::fromValue(fields));
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
    fillList();

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

void ScheduleEditor::fillList() {
    // The list shows the day list upside down: appending from its last
    // entry gives the same lines as inserting each one at the top.
    m_form.list->clear();
    const DayList& entries = m_schedule.view();
    for (int i = static_cast<int>(entries.size()) - 1; i >= 0; --i) {
        const ScheduleEntry& e = entries[static_cast<size_t>(i)];
        if (e.dateSerial <= 0)
            continue;
        if (const ReadOnlyEntry* r = m_schedule.readOnlyAt(i))
            m_form.list->addItem(makeReadOnlyLine(fieldsFromEntry(e), *r));
        else
            m_form.list->addItem(makeLine(fieldsFromEntry(e)));
    }
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
    std::vector<ListFields> bottomUp = listRecords();
    std::reverse(bottomUp.begin(), bottomUp.end());
    const WriteOutcome outcome = commitSchedule(bottomUp, m_schedule);
    if (!outcome.ok) {
        if (!outcome.fieldError.isEmpty())
            msgbox::show(this, msgbox::Icon::Information, kAppTitle, outcome.fieldError);
        msgbox::show(this, msgbox::Icon::Critical, kAppTitle, kWriteFailed);
    }
    return outcome.ok;
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
