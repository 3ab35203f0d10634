#pragma once

#include <QString>

#include <array>

class QCheckBox;
class QDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tanzo {
class Prompts;
}

namespace tanzo::options {

// The option buttons and the box of one axis of the board's position: left
// (top), centre, right (bottom) edge of the screen, or the value typed in
// the box.
struct PositionAxisControls {
    static constexpr int kTyped = 3;

    QGroupBox* frame = nullptr;
    std::array<QRadioButton*, 4> edges{};
    QLineEdit* box = nullptr;
};

// The options dialog's controls as the user sees them: names, captions,
// places and the order Tab visits them in. The dialog owns the widgets; the
// form keeps them by role, and what they do is up to the dialog and its parts.
struct OptionsForm {
    // The numeric boxes beep through `prompts` at a refused key.
    OptionsForm(QDialog* dialog, Prompts& prompts);

    // フォントと色: two previews (a frame with a centred label each), the
    // option buttons that say which one the text colour applies to, and the
    // buttons that open the pickers.
    QGroupBox* fontFrame = nullptr;
    std::array<QFrame*, 2> previewBoxes{};
    std::array<QLabel*, 2> previewLabels{};
    std::array<QRadioButton*, 2> previewChoices{};
    QPushButton* textColourButton = nullptr;
    QPushButton* backColourButton = nullptr;
    QPushButton* fontButton = nullptr;

    // 通知
    QGroupBox* noticeFrame = nullptr;
    QCheckBox* advanceNoticeCheck = nullptr;
    QLineEdit* advanceMinutesBox = nullptr;
    QCheckBox* skipPastCheck = nullptr;
    QLineEdit* skipMinutesBox = nullptr;
    QCheckBox* soundCheck = nullptr;
    QLineEdit* soundPathBox = nullptr;
    QPushButton* browseButton = nullptr;
    QPushButton* playButton = nullptr;
    QLabel* noSoundLabel = nullptr; // shown when no sound can be played

    // ウインドウ
    QGroupBox* windowFrame = nullptr;
    QCheckBox* taskBarCheck = nullptr;
    QCheckBox* topMostCheck = nullptr;
    QCheckBox* savePositionCheck = nullptr;
    QCheckBox* bringToFrontCheck = nullptr;
    QCheckBox* loginCheck = nullptr;
    QGroupBox* speedFrame = nullptr;
    QLineEdit* intervalBox = nullptr;
    QPushButton* testButton = nullptr;
    QGroupBox* sizeFrame = nullptr;
    std::array<QRadioButton*, 3> sizeOptions{};
    QCheckBox* positionCheck = nullptr;
    PositionAxisControls horizontal;
    PositionAxisControls vertical;

    QPushButton* subscriptionsButton = nullptr; // opens the calendar subscriptions
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;
    QPushButton* applyButton = nullptr;

private:
    struct Builder;
    void buildFontFrame(QDialog* dialog, const Builder& b);
    void buildNoticeFrame(QDialog* dialog, const Builder& b);
    void buildWindowFrame(QDialog* dialog, const Builder& b);
    void buildPositionFrames(const Builder& b);
    void buildButtons(QDialog* dialog, const Builder& b);
    void applyTabOrder();
    void tabToCheckedChoices();
};

} // namespace tanzo::options
