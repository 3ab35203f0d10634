#pragma once

#include "Settings.h"
#include "schedule/ScheduleStore.h"

#include <QString>

#include <cstdint>

namespace tanzo {

class Clock;

// The application title: caption of error boxes, of the task-bar proxy and
// the tray icon's tip.
inline const QString kAppTitle = QStringLiteral("スケジュールヨルカLite");
inline const QString kDataFileName = QStringLiteral("TANZO.DAT");

// Application-wide state, owned by main and passed by reference.
struct AppState {
    AppState(Clock& clock, QString dataDirectory)
        : clock(clock), DataDirectory(std::move(dataDirectory)),
          schedule(DataDirectory + DataFileName) {}

    Clock& clock;
    Settings settings;

    QString DataDirectory; // with a trailing separator
    QString DataFileName = kDataFileName;
    QString MediaDirectory; // with a trailing separator
    ScheduleStore schedule;

    int16_t NoticeSerial = -1;
    int OpenNoticeCount = 0;

    // Board page state.
    int FirstRowIndex = 0;
    int NextEntryIndex = -1;
    bool BoardFilling = false;

    // Colours before the options dialog last applied new ones; the board
    // carries labels in these colours over to the new ones.
    BgrColor PreviousForeColor1 = 0;
    BgrColor PreviousForeColor2 = 0;
};

} // namespace tanzo
