#pragma once

namespace tanzo {

// What the entry controls and the list hold at the moment.
struct CommandInputs {
    bool yearChosen = false;
    bool monthChosen = false;
    bool dayChosen = false;
    bool statusChosen = false;
    bool hourChosen = false;
    bool minuteChosen = false;
    bool placeGiven = false;
    bool lineSelected = false;
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
CommandStates commandStates(const CommandInputs& in);

} // namespace tanzo
