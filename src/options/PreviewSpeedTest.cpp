#include "PreviewSpeedTest.h"

#include "FontPreviews.h"
#include "NumericEntry.h"

#include <QLineEdit>
#include <QTimer>

namespace tanzo::options {

PreviewSpeedTest::PreviewSpeedTest(FontPreviews& previews, QLineEdit* intervalBox, QObject* parent)
    : QObject(parent), m_previews(previews), m_intervalBox(intervalBox), m_timer(new QTimer(this)) {
    m_timer->setObjectName(QStringLiteral("tmrSpeedTest"));
    connect(m_timer, &QTimer::timeout, this, &PreviewSpeedTest::showNextFrame);
}

void PreviewSpeedTest::start() {
    if (m_test)
        return;
    if (!parseInt16(m_intervalBox->text()))
        return;
    startOn(0);
}

void PreviewSpeedTest::stop() {
    m_timer->stop();
}

void PreviewSpeedTest::startOn(int previewIndex) {
    const auto interval = parseInt16(m_intervalBox->text());
    if (!interval) {
        end();
        return;
    }
    m_preview = previewIndex;
    m_caption = m_previews.caption(previewIndex);
    m_test.emplace(*interval);
    m_timer->start(DisplaySpeedTest::frameMs(*interval));
}

void PreviewSpeedTest::showNextFrame() {
    if (!m_test)
        return;
    using Frame = DisplaySpeedTest::Frame;
    const std::optional<int> interval = parseInt16(m_intervalBox->text());
    const Frame frame = m_test->next(interval);
    if (interval)
        m_timer->setInterval(DisplaySpeedTest::frameMs(*interval));
    if (frame == Frame::Placeholder) {
        m_previews.showPlaceholder(m_preview, DisplaySpeedTest::kPlaceholder);
    } else {
        // Restore, and also at the end: a preview never keeps the placeholder,
        // even when the value was changed during the test.
        m_previews.showCaption(m_preview, m_caption);
    }
    if (frame == Frame::End)
        finishPreview();
}

void PreviewSpeedTest::finishPreview() {
    const bool boxEmptied = !parseInt16(m_intervalBox->text());
    if (m_preview == 0 && !boxEmptied) {
        startOn(1);
        return;
    }
    end();
}

void PreviewSpeedTest::end() {
    m_test.reset();
    m_timer->stop();
    m_intervalBox->setFocus();
}

} // namespace tanzo::options
