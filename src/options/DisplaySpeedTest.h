#pragma once

#include "core/FlapPace.h"

#include <QString>

#include <optional>

namespace tanzo::options {

// The display-speed test on one preview: the placeholder frames of a word
// column of the board, at the board's pace for the same value, then the
// preview's own text. The box is read again before every frame, so the user
// can change (the pace) or empty (the end) it while the test runs.
class DisplaySpeedTest {
public:
    enum class Frame {
        Placeholder, // show kPlaceholder in white
        Restore,     // show the preview's own text and colour
        End          // the test of this preview is over; the caller restores it
    };

    static inline const QString kPlaceholder = QStringLiteral("－－－－－－－－－");

    explicit DisplaySpeedTest(int interval) : m_last(board::pace::placeholderFrames(interval)) {}

    // How long a frame stays for a value, in milliseconds.
    static int frameMs(int interval) {
        return std::max(1, board::pace::placeholderFrameUs(interval) / 1000);
    }

    // The next frame, given the box's current value (nothing when it is empty
    // or not a number, which ends the test).
    Frame next(std::optional<int> currentInterval);

    int frameIndex() const { return m_k; }

private:
    int m_last;
    int m_k = 0;
};

} // namespace tanzo::options
