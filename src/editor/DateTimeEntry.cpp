#include "DateTimeEntry.h"

#include "CommandStates.h"
#include "EntryLists.h"
#include "ScheduleEditorForm.h"
#include "TimeKeyFilter.h"
#include "platform/Prompts.h"

#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace tanzo {
namespace {
const QString kHourInvalid = QStringLiteral("開始時刻（時）が正しくありません。");
const QString kMinuteInvalid = QStringLiteral("開始時刻（分）が正しくありません。");

QStringList itemsOf(const QComboBox* box) {
    QStringList items;
    items.reserve(box->count());
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

// Sets the index without the box telling anyone; an editable box also
// loses the text typed into it.
void setIndexQuietly(QComboBox* box, int index) {
    const QSignalBlocker blocker(box);
    box->setCurrentIndex(index);
    if (index < 0 && box->isEditable())
        box->clearEditText();
}

void setItems(QComboBox* box, const QStringList& items) {
    {
        const QSignalBlocker blocker(box);
        box->clear();
        box->addItems(items);
    }
    setIndexQuietly(box, -1);
}
} // namespace

DateTimeEntry::DateTimeEntry(const ScheduleEditorForm& form, Prompts& prompts,
                             const QDate& openDate, const QTime& openTime)
    : m_openDate(openDate), m_openTime(openTime), m_yearBox(form.yearBox),
      m_monthBox(form.monthBox), m_dayBox(form.dayBox), m_hourBox(form.hourBox),
      m_minuteBox(form.minuteBox), m_cancelButton(form.cancelButton), m_prompts(prompts) {
    setItems(m_yearBox, yearItems(m_openDate));
    m_hourBox->clear();
    m_minuteBox->clear();

    connect(m_yearBox, &QComboBox::activated, this, &DateTimeEntry::offerMonthsOfChosenYear);
    connect(m_monthBox, &QComboBox::activated, this, &DateTimeEntry::offerDaysOfChosenMonth);
    connect(m_dayBox, &QComboBox::activated, this, &DateTimeEntry::offerHoursOfChosenDay);
    connect(m_hourBox, &QComboBox::activated, this, [this](int index) {
        // Enter in the box re-chooses the typed item; that must not throw
        // away a minute already chosen for it.
        if (index != m_hourIndex)
            chooseHour(index);
    });
    connect(m_minuteBox, &QComboBox::activated, this, &DateTimeEntry::chooseMinute);
    for (QComboBox* box : {m_hourBox, m_minuteBox}) {
        connect(box->lineEdit(), &QLineEdit::textEdited, this, [this, box] { takeTypedTime(box); });
        box->installEventFilter(this);
    }
}

DateTimeEntry::~DateTimeEntry() {
    // The boxes outlive this object; they must not call back into it.
    for (QComboBox* box : {m_hourBox, m_minuteBox})
        box->removeEventFilter(this);
}

void DateTimeEntry::describeChoices(CommandInputs& in) const {
    in.yearChosen = m_yearBox->currentIndex() >= 0;
    in.monthChosen = m_monthBox->currentIndex() >= 0;
    in.dayChosen = m_dayBox->currentIndex() >= 0;
    in.hourChosen = m_hourIndex >= 0;
    in.minuteChosen = m_minuteIndex >= 0;
}

void DateTimeEntry::writeChosenItems(ListFields& fields) const {
    fields.year = m_yearBox->currentText();
    fields.month = m_monthBox->currentText();
    fields.day = m_dayBox->currentText();
    fields.hour = m_hourBox->itemText(m_hourIndex);
    fields.minute = m_minuteBox->itemText(m_minuteIndex);
}

void DateTimeEntry::chooseDate(const ListFields& f) {
    chooseNumber(m_yearBox, f.year);
    chooseNumber(m_monthBox, f.month);
    chooseNumber(m_dayBox, f.day);
}

void DateTimeEntry::chooseTime(const ListFields& f) {
    chooseNumber(m_hourBox, f.hour);
    chooseNumber(m_minuteBox, f.minute);
}

void DateTimeEntry::clear() {
    for (QComboBox* box : {m_yearBox, m_monthBox, m_dayBox, m_hourBox, m_minuteBox})
        setIndexQuietly(box, -1);
    m_hourIndex = -1;
    m_minuteIndex = -1;
}

void DateTimeEntry::chooseNumber(QComboBox* box, const QString& field) {
    selectItem(box, indexOfNumber(itemsOf(box), field));
}

void DateTimeEntry::selectItem(QComboBox* box, int index) {
    setIndexQuietly(box, index);
    if (box == m_yearBox)
        offerMonthsOfChosenYear();
    else if (box == m_monthBox)
        offerDaysOfChosenMonth();
    else if (box == m_dayBox)
        offerHoursOfChosenDay();
    else if (box == m_hourBox)
        chooseHour(index);
    else if (box == m_minuteBox)
        chooseMinute(index);
}

QDate DateTimeEntry::chosenDate() const {
    if (m_yearBox->currentIndex() < 0 || m_monthBox->currentIndex() < 0 ||
        m_dayBox->currentIndex() < 0)
        return {};
    return QDate(m_yearBox->currentText().toInt(), m_monthBox->currentText().toInt(),
                 m_dayBox->currentText().toInt());
}

void DateTimeEntry::offerMonthsOfChosenYear() {
    const bool chosen = m_yearBox->currentIndex() >= 0;
    if (chosen)
        setItems(m_monthBox, monthItems(m_openDate, m_yearBox->currentText().toInt()));
    emit changed(chosen);
}

void DateTimeEntry::offerDaysOfChosenMonth() {
    const bool chosen = m_monthBox->currentIndex() >= 0;
    if (chosen) {
        setItems(m_dayBox, dayItems(m_openDate, m_yearBox->currentText().toInt(),
                                    m_monthBox->currentText().toInt()));
    }
    emit changed(chosen);
}

void DateTimeEntry::offerHoursOfChosenDay() {
    const bool chosen = m_dayBox->currentIndex() >= 0;
    if (chosen) {
        setItems(m_hourBox, hourItems(m_openDate, m_openTime, chosenDate()));
        m_hourIndex = -1;
    }
    emit changed(chosen);
}

void DateTimeEntry::chooseHour(int index) {
    m_hourIndex = index;
    if (index >= 0)
        fillMinutes();
    emit changed(index >= 0);
}

void DateTimeEntry::chooseMinute(int index) {
    m_minuteIndex = index;
    emit changed(true);
}

void DateTimeEntry::fillMinutes() {
    const int hour = m_hourBox->currentText().toInt();
    setItems(m_minuteBox, minuteItems(m_openDate, m_openTime, chosenDate(), hour));
    m_minuteIndex = -1;
}

int& DateTimeEntry::chosenIndexOf(QComboBox* box) {
    return box == m_hourBox ? m_hourIndex : m_minuteIndex;
}

void DateTimeEntry::takeTypedTime(QComboBox* box) {
    const QString text = box->currentText();
    const int exact = text.isEmpty() ? -1 : box->findText(text, Qt::MatchExactly);
    // Typed text counts as a choice only when it is an item's text exactly;
    // anything else waits for the check on leaving the box.
    chosenIndexOf(box) = exact;
    if (box == m_hourBox && exact >= 0)
        fillMinutes();
    emit changed(true);
}

bool DateTimeEntry::filterTimeKey(QKeyEvent* event) {
    switch (classifyTimeKey(event->key(), event->modifiers())) {
    case TimeKeyVerdict::PassToWindow:
        return false;
    case TimeKeyVerdict::Refuse:
        m_prompts.beep();
        return true;
    case TimeKeyVerdict::Accept:
        return !acceptTimeText(event->text());
    }
    return false;
}

void DateTimeEntry::checkTypedTime(QComboBox* box) {
    const QString text = box->currentText();
    if (chosenIndexOf(box) >= 0 || text.isEmpty())
        return;
    const int index = indexOfNumber(itemsOf(box), text);
    if (index >= 0) {
        selectItem(box, index);
        return;
    }
    m_prompts.show(box->window(), msgbox::Icon::Exclamation, kEditorCaption,
                   box == m_hourBox ? kHourInvalid : kMinuteInvalid);
    box->setFocus(Qt::OtherFocusReason);
}

bool DateTimeEntry::eventFilter(QObject* watched, QEvent* event) {
    auto* box = watched == m_hourBox ? m_hourBox : watched == m_minuteBox ? m_minuteBox : nullptr;
    if (!box)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        return filterTimeKey(static_cast<QKeyEvent*>(event));
    case QEvent::InputMethod:
        return !acceptTimeText(static_cast<QInputMethodEvent*>(event)->commitString());
    case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // The box's own list, another window, or leaving without saving is
        // not leaving the box for another entry.
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
            QApplication::focusWidget() != m_cancelButton && box->window()->isVisible())
            checkTypedTime(box);
        break;
    }
    default:
        break;
    }
    return false;
}

} // namespace tanzo
