#pragma once

#include "DisplaySpeedTest.h"

#include <QObject>
#include <QString>

#include <optional>

class QLineEdit;
class QTimer;

namespace tanzo::options {

class FontPreviews;

// Runs the display-speed test on the first preview and then the second, at
// the pace the display-speed box holds as each frame is drawn.
class PreviewSpeedTest : public QObject {
    Q_OBJECT
public:
    PreviewSpeedTest(FontPreviews& previews, QLineEdit* intervalBox, QObject* parent);

    bool isRunning() const { return m_test.has_value(); }
    // Starts unless a test runs or the box holds no number.
    void start();
    // One frame of the running test (its timer calls this).
    void showNextFrame();
    // Stops the frames where they are.
    void stop();

private:
    void startOn(int previewIndex);
    void finishPreview();
    void end();

    FontPreviews& m_previews;
    QLineEdit* const m_intervalBox;
    QTimer* m_timer = nullptr;
    std::optional<DisplaySpeedTest> m_test;
    int m_preview = 0;
    QString m_caption;
};

} // namespace tanzo::options
