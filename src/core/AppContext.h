#pragma once

#include "UserSettings.h"
#include "schedule/ScheduleStore.h"

#include <QString>

#include <cstdint>

namespace tanzo {

class Clock;

// The application title: caption of error boxes, of the task-bar proxy and
// the tray icon's tip.
inline const QString kAppTitle = QStringLiteral("スケジュールヨルカLite");
inline const QString kDataFileName = QStringLiteral("TANZO.DAT");

// What the windows share: the clock, the settings (read by all, changed by
// the options dialog, the board's menu and the exit) and the appointments.
// The shell owns it; tests build their own.
struct AppContext {
    AppContext(Clock& clock, const QString& dataDirectory)
        : clock(clock), schedule(dataDirectory + kDataFileName, clock) {}

    Clock& clock;
    UserSettings settings;
    ScheduleStore schedule;
};

} // namespace tanzo
