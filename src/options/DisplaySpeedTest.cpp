#include "DisplaySpeedTest.h"

namespace tanzo::options {

DisplaySpeedTest::Frame DisplaySpeedTest::next(std::optional<int> currentInterval) {
    if (m_k > m_last || !currentInterval) {
        m_k = m_last + 1;
        return Frame::End;
    }
    const Frame frame = m_k == m_last ? Frame::Restore : Frame::Placeholder;
    ++m_k;
    return frame;
}

} // namespace tanzo::options
