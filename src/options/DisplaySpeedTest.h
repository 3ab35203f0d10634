#pragma once

#include <QString>

#include <optional>

namespace tanzo::options {

// The display-speed test on one preview: as many placeholder frames as the
// board's change animation takes for the same value (value x 20), then the
// preview's own text. The box is read again before every frame, so the user
// can change or empty it while the test runs.
class DisplaySpeedTest {
public:
    enum class Frame {
        Placeholder, // show kPlaceholder in white
        Restore,     // show the preview's own text and colour
        End          // the test of this preview is over; the caller restores it
    };

    static constexpr int kFramesPerStep = 20;
    static inline const QString kPlaceholder = QStringLiteral("－－－－－－－－－");

    explicit DisplaySpeedTest(int interval) : m_last(interval * kFramesPerStep) {}

    // The next frame, given the box's current value (nothing when it is empty
    // or not a number, which ends the test).
    Frame next(std::optional<int> currentInterval);

    int frameIndex() const { return m_k; }

private:
    int m_last;
    int m_k = 0;
};

} // namespace tanzo::options
