#pragma once

#include "UserSettings.h"
#include "platform/AtomicWriter.h"
#include "platform/Prompts.h"
#include "schedule/ScheduleStore.h"

#include <QString>

#include <cstdint>

namespace tanzo {

class Clock;

// The application title: caption of error boxes, of the task-bar proxy and
// the tray icon's tip.
inline const QString kAppTitle = QStringLiteral("スケジュールヨルカLite");
inline const QString kDataFileName = QStringLiteral("TANZO.DAT");

// What the windows share: the clock, the message boxes and beep, the
// settings (read by all, changed by the options dialog, the board's menu and
// the exit) and the appointments, whose file is written through `writers`.
// The shell owns it; tests build their own.
struct AppContext {
    AppContext(Clock& clock, const QString& dataDirectory, Prompts& prompts = desktopPrompts(),
               AtomicWriterFactory writers = makeSaveFileWriter)
        : clock(clock), prompts(prompts),
          schedule(dataDirectory + kDataFileName, clock, std::move(writers)) {}

    Clock& clock;
    Prompts& prompts;
    UserSettings settings;
    ScheduleStore schedule;
};

} // namespace tanzo
