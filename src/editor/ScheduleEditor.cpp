#include "ScheduleEditor.h"

#include "CalendarImportCommand.h"
#include "EntryLists.h"
#include "ScheduleSave.h"
#include "TimeKeyFilter.h"
#include "core/AppState.h"
#include "core/BoardHost.h"
#include "platform/Beep.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QInputMethodEvent>
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

const QString kListReadFailed = QStringLiteral("リスト内容の取得に失敗しました。");
const QString kHourInvalid = QStringLiteral("開始時刻（時）が正しくありません。");
const QString kMinuteInvalid = QStringLiteral("開始時刻（分）が正しくありません。");
const QString kWriteFailed = QStringLiteral("スケジュールデータの書き込みに失敗しました。");

QStringList itemsOf(const QComboBox* box) {
    QStringList items;
    items.reserve(box->count());
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

QListWidgetItem* makeLine(const ListFields& fields) {
    auto* item = new QListWidgetItem(joinListLine(fields));
    item->setData(kRecordRole, QVariant::fromValue(fields));
    return item;
}

std::optional<ListFields> recordOf(const QListWidgetItem* item) {
    const QVariant record = item->data(kRecordRole);
    if (record.canConvert<ListFields>())
        return record.value<ListFields>();
    return SplitListLine(item->text());
}
} // namespace

ScheduleEditor::ScheduleEditor(AppState& state, BoardHost& board, QWidget* parent)
    : QDialog(parent), m_state(state), m_board(board) {
    setAttribute(Qt::WA_DeleteOnClose);
    buildForm();
    applyTabOrder();

    // The opening moment stays fixed while the window is open.
    const QDateTime now = m_state.clock.now();
    m_openDate = now.date();
    m_openTime = QTime(now.time().hour(), now.time().minute(), now.time().second());

    fillDateList('Y');
    m_cboStatus->addItems(
        {QStringLiteral("最重要"), QStringLiteral("重要"), QStringLiteral("普通")});
    m_cboStatus->setCurrentIndex(-1);
    FillScheduleList();
    m_cboHour->clear();
    m_cboMin->clear();

    connect(m_cboYear, &QComboBox::activated, this, [this] { cboYear_Click(); });
    connect(m_cboMonth, &QComboBox::activated, this, [this] { cboMonth_Click(); });
    connect(m_cboDay, &QComboBox::activated, this, [this] { cboDay_Click(); });
    connect(m_cboStatus, &QComboBox::activated, this, [this] { cboStatus_Click(); });
    connect(m_cboHour, &QComboBox::activated, this, [this](int index) {
        // Enter in the box re-chooses the typed item; that must not throw
        // away a minute already chosen for it.
        if (index == m_hourIndex)
            return;
        m_hourIndex = index;
        cboHour_Click();
    });
    connect(m_cboMin, &QComboBox::activated, this, [this](int index) {
        m_minIndex = index;
        cboMin_Click();
    });
    connect(m_cboHour->lineEdit(), &QLineEdit::textEdited, this,
            [this] { timeBox_Change(m_cboHour); });
    connect(m_cboMin->lineEdit(), &QLineEdit::textEdited, this,
            [this] { timeBox_Change(m_cboMin); });
    connect(m_txtPlace, &QLineEdit::textChanged, this, [this] { textBox_Change(); });
    connect(m_txtComment, &QLineEdit::textChanged, this, [this] { textBox_Change(); });

    connect(m_lstSchedule, &QListWidget::itemSelectionChanged, this,
            [this] { lstSchedule_Click(); });
    connect(m_lstSchedule, &QListWidget::itemClicked, this, [this] { lstSchedule_Click(); });
    connect(m_lstSchedule, &QListWidget::itemDoubleClicked, this,
            [this] { lstSchedule_DblClick(); });

    connect(m_cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(m_cmdUpdate, &QPushButton::clicked, this, [this] { cmdUpdate_Click(); });
    connect(m_cmdDel, &QPushButton::clicked, this, [this] { cmdDel_Click(); });
    connect(m_cmdClear, &QPushButton::clicked, this, [this] { cmdClear_Click(); });
    connect(m_cmdChange, &QPushButton::clicked, this, [this] { cmdChange_Click(); });
    connect(m_cmdCopy, &QPushButton::clicked, this, [this] { cmdCopy_Click(); });
    connect(m_cmdOk, &QPushButton::clicked, this, [this] { cmdOk_Click(); });
    connect(m_cmdApply, &QPushButton::clicked, this, [this] { cmdApply_Click(); });
    connect(m_cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(calendarimport::createButton(m_fraSchedule), &QPushButton::clicked, this,
            [this] { importCalendar(); });

    for (QObject* watched : {static_cast<QObject*>(m_cboHour), static_cast<QObject*>(m_cboMin),
                             static_cast<QObject*>(m_txtPlace), static_cast<QObject*>(m_txtComment),
                             static_cast<QObject*>(m_lstSchedule)})
        watched->installEventFilter(this);

    m_dirty = false;
    RefreshCommandStates();
}

ScheduleEditor::~ScheduleEditor() {
    // The controls outlive this part of the object; they must not call back
    // into it while they are destroyed.
    for (QObject* watched : {static_cast<QObject*>(m_cboHour), static_cast<QObject*>(m_cboMin),
                             static_cast<QObject*>(m_txtPlace), static_cast<QObject*>(m_txtComment),
                             static_cast<QObject*>(m_lstSchedule)})
        watched->removeEventFilter(this);
    for (QObject* child : findChildren<QObject*>())
        child->disconnect(this);
}

std::vector<ListFields> ScheduleEditor::listRecords() const {
    std::vector<ListFields> records;
    records.reserve(static_cast<size_t>(m_lstSchedule->count()));
    for (int row = 0; row < m_lstSchedule->count(); ++row) {
        if (auto record = recordOf(m_lstSchedule->item(row)))
            records.push_back(*record);
    }
    return records;
}

void ScheduleEditor::importCalendar() {
    const QString path = calendarimport::chooseFile(this);
    if (path.isEmpty())
        return;
    for (const ListFields& line :
         calendarimport::importFile(this, path, listRecords(), m_openDate)) {
        m_lstSchedule->insertItem(0, makeLine(line));
        m_dirty = true;
    }
    RefreshCommandStates();
}

// ---- Loading and the list ----

void ScheduleEditor::FillScheduleList() {
    // The list shows the day list upside down: appending from its last
    // entry gives the same lines as inserting each one at the top.
    m_lstSchedule->clear();
    const DayList& list = m_state.schedule.entries();
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        if (it->EntryDate > 0)
            m_lstSchedule->addItem(makeLine(fieldsFromEntry(*it)));
    }
}

QListWidgetItem* ScheduleEditor::selectedLine() const {
    const QList<QListWidgetItem*> selected = m_lstSchedule->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void ScheduleEditor::lstSchedule_Click() {
    const QListWidgetItem* item = selectedLine();
    if (!item)
        return;
    const auto record = recordOf(item);
    if (!record)
        return;
    // A past appointment can be copied or deleted, not changed.
    m_cmdCopy->setEnabled(true);
    m_cmdDel->setEnabled(true);
    m_cmdChange->setEnabled(!IsPastLine(*record, m_openDate, m_openTime));
}

void ScheduleEditor::lstSchedule_DblClick() {
    const QListWidgetItem* item = selectedLine();
    if (!item)
        return;
    const auto record = recordOf(item);
    if (!record)
        return;
    if (IsPastLine(*record, m_openDate, m_openTime))
        cmdCopy_Click();
    else
        cmdChange_Click();
}

// ---- State and enabling ----

CommandInputs ScheduleEditor::currentInputs() const {
    CommandInputs in;
    in.yearChosen = m_cboYear->currentIndex() >= 0;
    in.monthChosen = m_cboMonth->currentIndex() >= 0;
    in.dayChosen = m_cboDay->currentIndex() >= 0;
    in.statusChosen = m_cboStatus->currentIndex() >= 0;
    in.hourChosen = m_hourIndex >= 0;
    in.minuteChosen = m_minIndex >= 0;
    in.placeGiven = !m_txtPlace->text().isEmpty();
    in.lineSelected = selectedLine() != nullptr;
    in.dirty = m_dirty;
    in.entryEdited = m_entryEdited;
    in.listHasLines = m_lstSchedule->count() > 0;
    return in;
}

void ScheduleEditor::RefreshCommandStates() {
    const CommandStates s = tanzo::RefreshCommandStates(currentInputs());
    m_fraDate->setEnabled(true);
    m_cboYear->setEnabled(true);
    m_cboMonth->setEnabled(s.month);
    m_cboDay->setEnabled(s.day);
    for (QGroupBox* frame : {m_fraStatus, m_fraPlace, m_fraTime, m_fraComment})
        frame->setEnabled(s.entryFrames);
    m_fraSchedule->setEnabled(s.scheduleFrame);
    m_cmdClear->setEnabled(s.clear);
    m_cmdAdd->setEnabled(s.add);
    m_cmdAdd->setDefault(s.addDefault);
    if (s.okDefault)
        m_cmdOk->setDefault(true);
    m_cmdUpdate->setEnabled(s.update);
    m_cmdOk->setEnabled(s.ok);
    m_cmdApply->setEnabled(s.apply);
    m_cmdCancel->setEnabled(true);
    if (s.disableLineCommands)
        disableLineCommands();
}

void ScheduleEditor::ClearInputs() {
    m_clearing = true;
    for (QComboBox* box : {m_cboYear, m_cboMonth, m_cboDay, m_cboStatus, m_cboHour, m_cboMin}) {
        const QSignalBlocker blocker(box);
        box->setCurrentIndex(-1);
        if (box->isEditable())
            box->clearEditText();
    }
    m_hourIndex = -1;
    m_minIndex = -1;
    m_txtPlace->clear();
    m_txtComment->clear();
    m_lstSchedule->clearSelection();
    m_lstSchedule->setCurrentItem(nullptr);
    m_clearing = false;
    RefreshCommandStates();
}

void ScheduleEditor::disableLineCommands() {
    m_cmdCopy->setEnabled(false);
    m_cmdChange->setEnabled(false);
    m_cmdDel->setEnabled(false);
}

void ScheduleEditor::markEditedIfLineSelected() {
    if (!m_clearing && selectedLine())
        m_entryEdited = true;
}

// ---- Date and time entry ----

QDate ScheduleEditor::chosenDate() const {
    if (m_cboYear->currentIndex() < 0 || m_cboMonth->currentIndex() < 0 ||
        m_cboDay->currentIndex() < 0)
        return {};
    return QDate(m_cboYear->currentText().toInt(), m_cboMonth->currentText().toInt(),
                 m_cboDay->currentText().toInt());
}

namespace {
void setItems(QComboBox* box, const QStringList& items) {
    const QSignalBlocker blocker(box);
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(-1);
    if (box->isEditable())
        box->clearEditText();
}
} // namespace

void ScheduleEditor::fillDateList(char which) {
    const int year = m_cboYear->currentText().toInt();
    const int month = m_cboMonth->currentText().toInt();
    QComboBox* box = which == 'Y' ? m_cboYear : which == 'M' ? m_cboMonth : m_cboDay;
    setItems(box, FillDateList(which, m_openDate, year, month));
}

void ScheduleEditor::fillTimeList(char which) {
    if (which == 'H') {
        setItems(m_cboHour, FillTimeList('H', m_openDate, m_openTime, chosenDate()));
        m_hourIndex = -1;
    } else {
        const int hour = m_cboHour->currentText().toInt();
        setItems(m_cboMin, FillTimeList('M', m_openDate, m_openTime, chosenDate(), hour));
        m_minIndex = -1;
    }
}

int& ScheduleEditor::selectionOf(QComboBox* box) {
    return box == m_cboHour ? m_hourIndex : m_minIndex;
}

void ScheduleEditor::selectItem(QComboBox* box, int index) {
    {
        const QSignalBlocker blocker(box);
        box->setCurrentIndex(index);
        if (index < 0 && box->isEditable())
            box->clearEditText();
    }
    if (box == m_cboYear)
        cboYear_Click();
    else if (box == m_cboMonth)
        cboMonth_Click();
    else if (box == m_cboDay)
        cboDay_Click();
    else if (box == m_cboStatus)
        cboStatus_Click();
    else if (box == m_cboHour) {
        m_hourIndex = index;
        cboHour_Click();
    } else if (box == m_cboMin) {
        m_minIndex = index;
        cboMin_Click();
    }
}

void ScheduleEditor::cboYear_Click() {
    if (m_cboYear->currentIndex() >= 0) {
        markEditedIfLineSelected();
        fillDateList('M');
    }
    RefreshCommandStates();
}

void ScheduleEditor::cboMonth_Click() {
    if (m_cboMonth->currentIndex() >= 0) {
        markEditedIfLineSelected();
        fillDateList('D');
    }
    RefreshCommandStates();
}

void ScheduleEditor::cboDay_Click() {
    if (m_cboDay->currentIndex() >= 0) {
        markEditedIfLineSelected();
        fillTimeList('H');
    }
    RefreshCommandStates();
}

void ScheduleEditor::cboHour_Click() {
    if (m_hourIndex >= 0) {
        markEditedIfLineSelected();
        fillTimeList('M');
    }
    RefreshCommandStates();
}

void ScheduleEditor::cboMin_Click() {
    markEditedIfLineSelected();
    RefreshCommandStates();
}

void ScheduleEditor::cboStatus_Click() {
    markEditedIfLineSelected();
    RefreshCommandStates();
}

void ScheduleEditor::timeBox_Change(QComboBox* box) {
    markEditedIfLineSelected();
    const QString text = box->currentText();
    const int exact = text.isEmpty() ? -1 : box->findText(text, Qt::MatchExactly);
    // Typed text counts as a choice only when it is an item's text exactly;
    // anything else waits for the check on leaving the box.
    selectionOf(box) = exact;
    if (box == m_cboHour && exact >= 0)
        fillTimeList('M');
    RefreshCommandStates();
}

bool ScheduleEditor::timeBox_KeyPress(QComboBox* /*box*/, QKeyEvent* event) {
    switch (classifyTimeKey(event->key(), event->modifiers())) {
    case TimeKeyVerdict::PassToWindow:
        return false;
    case TimeKeyVerdict::Refuse:
        systemBeep();
        return true;
    case TimeKeyVerdict::Accept:
        return !acceptTimeText(event->text());
    }
    return false;
}

void ScheduleEditor::timeBox_LostFocus(QComboBox* box) {
    const QString text = box->currentText();
    if (selectionOf(box) >= 0 || text.isEmpty())
        return;
    const int index = indexOfNumber(itemsOf(box), text);
    if (index >= 0) {
        selectItem(box, index);
        return;
    }
    msgbox::show(this, msgbox::Icon::Exclamation, kEditorCaption,
                 box == m_cboHour ? kHourInvalid : kMinuteInvalid);
    box->setFocus(Qt::OtherFocusReason);
}

bool ScheduleEditor::eventFilter(QObject* watched, QEvent* event) {
    auto* timeBox = watched == m_cboHour ? m_cboHour : watched == m_cboMin ? m_cboMin : nullptr;
    if (timeBox) {
        switch (event->type()) {
        case QEvent::KeyPress:
            return timeBox_KeyPress(timeBox, static_cast<QKeyEvent*>(event));
        case QEvent::InputMethod:
            return !acceptTimeText(static_cast<QInputMethodEvent*>(event)->commitString());
        case QEvent::FocusOut: {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            // The box's own list, another window, or leaving without saving
            // is not leaving the box for another entry.
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
                QApplication::focusWidget() != m_cmdCancel && isVisible())
                timeBox_LostFocus(timeBox);
            break;
        }
        default:
            break;
        }
        return false;
    }
    if ((watched == m_txtPlace || watched == m_txtComment) && event->type() == QEvent::FocusIn) {
        // Typing replaces the whole text. A click places the cursor after
        // the focus has arrived, so then the selection has to wait for it.
        auto* box = static_cast<QLineEdit*>(watched);
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason)
            QMetaObject::invokeMethod(box, &QLineEdit::selectAll, Qt::QueuedConnection);
        else
            box->selectAll();
        return false;
    }
    if (watched == m_lstSchedule && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        if (selectedLine())
            lstSchedule_DblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// ---- Commands ----

EntryInputs ScheduleEditor::entryInputs() const {
    EntryInputs in;
    in.year = m_cboYear->currentText();
    in.month = m_cboMonth->currentText();
    in.day = m_cboDay->currentText();
    in.status = m_cboStatus->currentText();
    in.place = m_txtPlace->text();
    // The chosen items, not whatever has been typed since.
    in.hour = m_cboHour->itemText(m_hourIndex);
    in.minute = m_cboMin->itemText(m_minIndex);
    in.comment = m_txtComment->text();
    return in;
}

void ScheduleEditor::loadRecordIntoInputs(const ListFields& f, bool withDateAndTime) {
    auto choose = [this](QComboBox* box, const QString& field) {
        selectItem(box, indexOfNumber(itemsOf(box), field));
    };
    auto leaveUnchosen = [this](QComboBox* box) {
        const QSignalBlocker blocker(box);
        box->setCurrentIndex(-1);
        if (box->isEditable())
            box->clearEditText();
    };
    if (withDateAndTime) {
        choose(m_cboYear, f.year);
        choose(m_cboMonth, f.month);
        choose(m_cboDay, f.day);
    } else {
        leaveUnchosen(m_cboYear);
        leaveUnchosen(m_cboMonth);
        leaveUnchosen(m_cboDay);
    }
    selectItem(m_cboStatus, m_cboStatus->findText(trimSpaces(f.status), Qt::MatchExactly));
    m_txtPlace->setText(trimSpaces(f.place));
    if (withDateAndTime) {
        choose(m_cboHour, f.hour);
        choose(m_cboMin, f.minute);
    } else {
        leaveUnchosen(m_cboHour);
        leaveUnchosen(m_cboMin);
        m_hourIndex = -1;
        m_minIndex = -1;
    }
    m_txtComment->setText(trimSpaces(f.comment));
}

void ScheduleEditor::focusListOrYear() {
    if (m_lstSchedule->count() > 0)
        m_lstSchedule->setFocus();
    else
        m_cboYear->setFocus();
}

void ScheduleEditor::cmdAdd_Click() {
    // Line indices of the data file's list are 16-bit: one more line could
    // not be read back.
    if (m_lstSchedule->count() >= MaxDayListEntries) {
        systemBeep();
        return;
    }
    m_lstSchedule->insertItem(0, makeLine(fieldsFromInputs(entryInputs())));
    m_dirty = true;
    m_entryEdited = false;
    ClearInputs();
    m_lstSchedule->setFocus();
}

void ScheduleEditor::cmdUpdate_Click() {
    QListWidgetItem* item = selectedLine();
    if (!item)
        return;
    const ListFields fields = fieldsFromInputs(entryInputs());
    item->setText(joinListLine(fields));
    item->setData(kRecordRole, QVariant::fromValue(fields));
    m_dirty = true;
    m_entryEdited = false;
    ClearInputs();
    m_lstSchedule->setFocus();
}

void ScheduleEditor::cmdDel_Click() {
    QListWidgetItem* item = selectedLine();
    if (!item)
        return;
    delete m_lstSchedule->takeItem(m_lstSchedule->row(item));
    m_dirty = true;
    m_entryEdited = false;
    ClearInputs();
    disableLineCommands();
    focusListOrYear();
}

void ScheduleEditor::cmdClear_Click() {
    m_entryEdited = false;
    ClearInputs();
    focusListOrYear();
}

void ScheduleEditor::cmdChange_Click() {
    const QListWidgetItem* item = selectedLine();
    if (!item)
        return;
    if (const auto record = recordOf(item)) {
        loadRecordIntoInputs(*record, true);
        m_entryEdited = false;
    } else {
        msgbox::show(this, msgbox::Icon::Critical, kEditorCaption, kListReadFailed);
        ClearInputs();
    }
    RefreshCommandStates();
    m_cboYear->setFocus();
    disableLineCommands();
}

void ScheduleEditor::cmdCopy_Click() {
    const QListWidgetItem* item = selectedLine();
    if (!item)
        return;
    if (const auto record = recordOf(item)) {
        loadRecordIntoInputs(*record, false);
        m_lstSchedule->clearSelection();
        m_lstSchedule->setCurrentItem(nullptr);
        m_entryEdited = false;
    } else {
        msgbox::show(this, msgbox::Icon::Critical, kEditorCaption, kListReadFailed);
        ClearInputs();
    }
    RefreshCommandStates();
    m_cboYear->setFocus();
    disableLineCommands();
}

bool ScheduleEditor::commit() {
    std::vector<ListFields> bottomUp = listRecords();
    std::reverse(bottomUp.begin(), bottomUp.end());
    const WriteOutcome outcome = CommitSchedule(bottomUp, m_state, m_board);
    if (!outcome.ok) {
        if (!outcome.fieldError.isEmpty())
            msgbox::show(this, msgbox::Icon::Information, kAppTitle, outcome.fieldError);
        msgbox::show(this, msgbox::Icon::Critical, kAppTitle, kWriteFailed);
    }
    return outcome.ok;
}

void ScheduleEditor::cmdOk_Click() {
    if (commit())
        close();
}

void ScheduleEditor::cmdApply_Click() {
    if (!commit())
        return;
    m_dirty = false;
    RefreshCommandStates();
}

void ScheduleEditor::cmdCancel_Click() {
    close();
}

void ScheduleEditor::textBox_Change() {
    markEditedIfLineSelected();
    RefreshCommandStates();
}

} // namespace tanzo
