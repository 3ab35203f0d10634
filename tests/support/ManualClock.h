#pragma once

#include "platform/Clock.h"

namespace tanzo::test {

// A clock that stands still until the test sets or advances it.
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

} // namespace tanzo::test
