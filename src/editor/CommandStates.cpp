#include "CommandStates.h"

namespace tanzo {

bool isComplete(const CommandInputs& in) {
    // The comment is optional.
    return in.yearChosen && in.monthChosen && in.dayChosen && in.statusChosen && in.hourChosen &&
           in.minuteChosen && in.placeGiven;
}

CommandStates commandStates(const CommandInputs& in) {
    const bool complete = isComplete(in);
    CommandStates s;
    s.month = in.yearChosen;
    s.day = in.monthChosen;
    s.entryFrames = in.dayChosen;
    s.scheduleFrame = in.listHasLines;
    s.clear = complete;
    s.add = complete && (!in.lineSelected || in.entryEdited);
    s.addDefault = complete && !in.lineSelected;
    s.update = complete && in.lineSelected && in.entryEdited;
    s.okDefault = !complete;
    s.ok = in.dirty;
    s.apply = in.dirty;
    s.disableLineCommands = !in.lineSelected;
    return s;
}

} // namespace tanzo
