#pragma once

#include "core/Settings.h"
#include "schedule/ScheduleEntry.h"

#include <QByteArray>
#include <QDate>

// The two contents the crash writer alternates between. They differ in
// length and in every line, so that any mixture or cut is visible.
namespace tanzo::crash {

inline DayList dayList(bool second) {
    DayList list;
    const int count = second ? 900 : 2500;
    const float day = daySerial(QDate(2027, 3, 15));
    for (int i = 0; i < count; ++i) {
        ScheduleEntry e;
        e.dateSerial = day + static_cast<float>(i % 30);
        e.startTime = timeFraction((i / 60) % 24, i % 60);
        e.status = static_cast<int16_t>(1 + i % 3);
        e.place = fitPlace(second ? QStringLiteral("新会議室") : QStringLiteral("旧本社"));
        e.comment =
            (second ? QStringLiteral("新しい予定 %1") : QStringLiteral("古い予定 %1 資料持参"))
                .arg(i);
        list.push_back(e);
    }
    return list;
}

inline Settings settings(bool second) {
    Settings s;
    s.fontName = second ? QStringLiteral("IPAゴシック") : QStringLiteral("ＭＳ ゴシック");
    s.interval = second ? 55 : 10;
    s.backColor = second ? 0x123456 : 0;
    s.windowSize = second ? Big : Small;
    s.saveLastPosition = true;
    s.lastPositionX = second ? 700 : 20;
    s.soundDirectory = second ? QStringLiteral("/home/user/sounds/") : QString();
    return s;
}

} // namespace tanzo::crash
