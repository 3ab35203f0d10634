#pragma once

namespace tanzo {

class Prompts;
class ScheduleStore;

// Tells the user, once, that the last read of the data file left entries
// out, and where the original is kept. Does nothing when the read took the
// whole file or the same loss was told already. The box stands in the middle
// of the screen: the board usually sits at an edge, and stays in sight. It
// is not waited for: the clock that made the read goes on.
void showLoadNotice(ScheduleStore& schedule, Prompts& prompts);

} // namespace tanzo
