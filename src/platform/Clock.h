#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace tanzo {

// Every reading of the date or the time goes through a Clock, so that tests
// can set the time by hand (tests/support/ManualClock.h).
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

} // namespace tanzo
