#pragma once

#include "ListLine.h"

#include <QDate>
#include <QObject>
#include <QTime>

class QComboBox;
class QKeyEvent;
class QWidget;

namespace tanzo {

struct CommandInputs;
struct ScheduleEditorForm;
class Prompts;

// The behaviour of the date and start time boxes. Each box offers only what
// lies in the booking window and not before the opening moment, so its items
// follow from the boxes before it. The hour and minute boxes also take typed
// numbers: which of their items counts as chosen is kept here, apart from
// the text typed since, and a number that is not an item is refused when the
// box is left.
class DateTimeEntry : public QObject {
    Q_OBJECT
public:
    // Refused keys and numbers are told through `prompts`.
    DateTimeEntry(const ScheduleEditorForm& form, Prompts& prompts, const QDate& openDate,
                  const QTime& openTime);
    ~DateTimeEntry() override;

    // Which boxes have an item chosen.
    void describeChoices(CommandInputs& inputs) const;
    // The texts of the chosen items, not whatever has been typed since.
    void writeChosenItems(ListFields& fields) const;

    // Chooses the items the fields name, as a user would one after another;
    // a field that names no item leaves its box without a choice.
    void chooseDate(const ListFields& fields);
    void chooseTime(const ListFields& fields);
    // No box has a choice or typed text; their items stay.
    void clear();

signals:
    // A box's choice changed; edited is false when a date box or the hour
    // box was left without a choice.
    void changed(bool edited);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void offerMonthsOfChosenYear();
    void offerDaysOfChosenMonth();
    void offerHoursOfChosenDay();
    void chooseHour(int index);
    void chooseMinute(int index);
    void takeTypedTime(QComboBox* box);
    bool filterTimeKey(QKeyEvent* event);
    void checkTypedTime(QComboBox* box);
    void selectItem(QComboBox* box, int index);
    void chooseNumber(QComboBox* box, const QString& field);
    void fillMinutes();
    QDate chosenDate() const;
    int& chosenIndexOf(QComboBox* box);

    const QDate m_openDate;
    const QTime m_openTime;
    QComboBox* const m_yearBox;
    QComboBox* const m_monthBox;
    QComboBox* const m_dayBox;
    QComboBox* const m_hourBox;
    QComboBox* const m_minuteBox;
    // Leaving a time box for this button is leaving without saving.
    const QWidget* const m_cancelButton;
    Prompts& m_prompts;
    int m_hourIndex = -1;
    int m_minuteIndex = -1;
};

} // namespace tanzo
