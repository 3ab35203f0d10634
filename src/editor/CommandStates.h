#pragma once

namespace tanzo {

// What the entry controls and the list hold at the moment.
struct CommandInputs {
    bool yearChosen = false;   // Y
    bool monthChosen = false;  // M
    bool dayChosen = false;    // D
    bool statusChosen = false; // S
    bool hourChosen = false;   // H
    bool minuteChosen = false; // N
    bool placeGiven = false;   // P
    bool lineSelected = false; // L
    bool dirty = false;
    bool entryEdited = false;
    bool listHasLines = false;
};

// Which controls take input and which button answers Enter.
struct CommandStates {
    bool month = false;
    bool day = false;
    bool entryFrames = false; // status, place, time and comment frames
    bool scheduleFrame = false;
    bool clear = false;
    bool add = false;
    bool addDefault = false;
    bool update = false;
    bool okDefault = false; // when false the default buttons are left as they are, but for add
    bool ok = false;
    bool apply = false;
    bool disableLineCommands = false; // copy, change and delete off; otherwise left as they are
};

bool isComplete(const CommandInputs& in);
CommandStates RefreshCommandStates(const CommandInputs& in);

} // namespace tanzo
