#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace tanzo {

// Every reading of the date or the time goes through a Clock, so that tests
// can set the time by hand.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;

    QDate today() const { return now().date(); }
    QTime timeOfDay() const { return now().time(); }
};

class SystemClock : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

class ManualClock : public Clock {
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2027, 3, 15), QTime(9, 0)))
        : m_now(std::move(start)) {}

    QDateTime now() const override { return m_now; }
    void set(const QDateTime& when) { m_now = when; }
    void set(QDate date, QTime time) { m_now = QDateTime(date, time); }
    void advanceSeconds(qint64 seconds) { m_now = m_now.addSecs(seconds); }

private:
    QDateTime m_now;
};

} // namespace tanzo
