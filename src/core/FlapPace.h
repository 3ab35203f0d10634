#pragma once

#include <algorithm>

namespace tanzo::board {

// How fast the flaps turn. Every phase must be seen by a person: each
// placeholder frame stays up longer than one picture of a 25 fps recording,
// and a forced fill of three rows at the default Interval of 10 takes
// between one and two seconds whatever the appointment times (hours and
// minutes roll one step per value). All times grow with Interval.
//
// The options dialog's speed test shows its preview at the same pace.
namespace pace {

// Placeholder frames of a word column before its final caption: one round
// of the status colours (red, yellow, blue).
inline constexpr int PlaceholderFrames = 3;
// How long each placeholder frame stays, per Interval unit (44 ms at 10).
inline constexpr int PlaceholderFrameUsPerInterval = 4400;
// Pause before each flap step, per Interval unit (2.2 ms at 10).
inline constexpr int FlapStepUsPerInterval = 220;

// An Interval of 0 or below (never stored by the options dialog) shows no
// placeholder at all, as the frame count of such a value always did.
constexpr int placeholderFrames(int interval) {
    return interval > 0 ? PlaceholderFrames : 0;
}
constexpr int placeholderFrameUs(int interval) {
    return std::max(0, interval) * PlaceholderFrameUsPerInterval;
}
constexpr int flapStepUs(int interval) {
    return std::max(0, interval) * FlapStepUsPerInterval;
}

} // namespace pace
} // namespace tanzo::board
