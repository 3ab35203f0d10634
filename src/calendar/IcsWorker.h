#pragma once

class QThreadPool;

namespace tanzo::ics {

// The one thread that runs libical for the whole program: the editor's
// import and the subscriptions' conversions queue on it. libical's error
// mode and zone tables are process-wide, so two threads must never use it
// at once.
QThreadPool& worker();

} // namespace tanzo::ics
