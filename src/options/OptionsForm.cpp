// Places and sizes are in twips, converted for the primary screen.
#include "OptionsForm.h"

#include "NumericBoxFilter.h"
#include "platform/Twips.h"

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <algorithm>

namespace tanzo::options {

namespace {
constexpr QRgb kFormBackground = 0xE0E0E0;
constexpr int kDesignWidth = 7020;
constexpr int kDesignHeight = 4755;

template <typename W> W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

QString indexed(const char* base, int index) {
    return QStringLiteral("%1_%2").arg(QLatin1String(base)).arg(index);
}
} // namespace

// What every part of the form is built with: places in twips, buttons and
// numeric boxes.
struct OptionsForm::Builder {
    Builder(QDialog* dialog, Prompts& prompts)
        : twips(Twips::fromPrimaryScreen()), numeric(new NumericBoxFilter(prompts, dialog)),
          selectAll(new SelectAllOnFocus(dialog)) {}

    // Places a control at a design rectangle; check boxes and option buttons
    // whose design height is smaller than the toolkit's indicator grow around
    // their design centre line so the indicator is not cut.
    void place(QWidget* w, int left, int top, int width, int height) const {
        QRect r(twips.toPixels(left), twips.toPixels(top), twips.toPixels(width),
                twips.toPixels(height));
        if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
            const int need = w->sizeHint().height();
            if (r.height() < need) {
                r.moveTop(r.top() - (need - r.height()) / 2);
                r.setHeight(need);
            }
        }
        w->setGeometry(r);
    }
    static QPushButton* button(QWidget* parent, const QString& name, const QString& caption) {
        return named(new QPushButton(caption, parent), name);
    }
    QLineEdit* numberBox(QWidget* parent, const QString& name, int maxLength) const {
        auto* box = named(new QLineEdit(parent), name);
        box->setMaxLength(maxLength);
        numeric->attach(box);
        return box;
    }

    const Twips twips;
    NumericBoxFilter* numeric;
    SelectAllOnFocus* selectAll;
};

OptionsForm::OptionsForm(QDialog* dialog, Prompts& prompts) {
    dialog->setObjectName(QStringLiteral("frmOption"));
    // Set first: the check boxes' indicators are measured in this font.
    QFont dialogFont = dialog->font();
    dialogFont.setPointSize(9);
    dialog->setFont(dialogFont);
    const Builder b(dialog, prompts);
    dialog->setFixedSize(b.twips.toPixels(kDesignWidth), b.twips.toPixels(kDesignHeight));

    buildFontFrame(dialog, b);
    buildNoticeFrame(dialog, b);
    buildWindowFrame(dialog, b);
    buildButtons(dialog, b);

    QPalette pal = dialog->palette();
    pal.setColor(QPalette::Window, QColor::fromRgb(kFormBackground));
    dialog->setPalette(pal);
    dialog->setAutoFillBackground(true);

    applyTabOrder();
    tabToCheckedChoices();
}

void OptionsForm::buildFontFrame(QDialog* dialog, const Builder& b) {
    fontFrame =
        named(new QGroupBox(QStringLiteral("フォントと色"), dialog), QStringLiteral("Frame1"));
    b.place(fontFrame, 105, 90, 3375, 1860);
    const std::array<int, 2> picTops{345, 900};
    const std::array<int, 2> picHeights{360, 375};
    const std::array<QString, 2> previews{QStringLiteral("今日の予定（未到来）"),
                                          QStringLiteral("到来済と明日以降")};
    for (int i = 0; i < 2; ++i) {
        auto* pic = named(new QFrame(fontFrame), indexed("picFont", i));
        pic->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pic->setLineWidth(2);
        pic->setAutoFillBackground(true);
        b.place(pic, 330, picTops[i], 2955, picHeights[i]);
        pic->setAccessibleName(previews[i] + QStringLiteral("の見本"));
        previewBoxes[i] = pic;

        auto* lbl = named(new QLabel(previews[i], pic), indexed("lblFont", i));
        lbl->setAutoFillBackground(false);
        previewLabels[i] = lbl;

        auto* opt = named(new QRadioButton(fontFrame), indexed("optFont", i));
        b.place(opt, 90, picTops[i] + 90, 345, 195);
        opt->setAccessibleName(previews[i]);
        previewChoices[i] = opt;
    }
    textColourButton = b.button(fontFrame, QStringLiteral("cmdColorC"), QStringLiteral("文字色"));
    backColourButton = b.button(fontFrame, QStringLiteral("cmdColorB"), QStringLiteral("背景色"));
    fontButton = b.button(fontFrame, QStringLiteral("cmdFont"), QStringLiteral("フォント"));
    b.place(textColourButton, 315, 1365, 900, 375);
    b.place(backColourButton, 1290, 1365, 900, 375);
    b.place(fontButton, 2265, 1365, 900, 375);
}

void OptionsForm::buildNoticeFrame(QDialog* dialog, const Builder& b) {
    noticeFrame = named(new QGroupBox(QStringLiteral("通知"), dialog), QStringLiteral("Frame2"));
    b.place(noticeFrame, 3615, 90, 3330, 1860);
    const std::array<QString, 3> alarms{QStringLiteral("事前に通知する"),
                                        QStringLiteral("すぎた予定は無視する"),
                                        QStringLiteral("音を鳴らす")};
    const std::array<QString, 2> units{QStringLiteral("分前"), QStringLiteral("分後")};
    std::array<QCheckBox*, 3> alarmChecks{};
    for (int i = 0; i < 3; ++i) {
        alarmChecks[i] = named(new QCheckBox(alarms[i], noticeFrame), indexed("chkAlarm", i));
        b.place(alarmChecks[i], 210, 300 + 405 * i, 2175, 255);
    }
    advanceNoticeCheck = alarmChecks[0];
    skipPastCheck = alarmChecks[1];
    soundCheck = alarmChecks[2];
    std::array<QLineEdit*, 2> minuteBoxes{};
    for (int i = 0; i < 2; ++i) {
        minuteBoxes[i] = b.numberBox(noticeFrame, indexed("txtMin", i), 2);
        b.place(minuteBoxes[i], 2400, 285 + 405 * i, 375, 270);
        auto* unit = named(new QLabel(units[i], noticeFrame),
                           i == 0 ? QStringLiteral("Label1") : QStringLiteral("Label2"));
        b.place(unit, 2835, 315 + 405 * i, 450, 225);
    }
    advanceMinutesBox = minuteBoxes[0];
    skipMinutesBox = minuteBoxes[1];
    advanceMinutesBox->setAccessibleName(QStringLiteral("何分前に通知するか"));
    skipMinutesBox->setAccessibleName(QStringLiteral("何分すぎたら無視するか"));
    soundPathBox = named(new QLineEdit(noticeFrame), QStringLiteral("txtPath"));
    soundPathBox->setMaxLength(255);
    soundPathBox->installEventFilter(b.selectAll);
    b.place(soundPathBox, 480, 1410, 2040, 270);
    soundPathBox->setAccessibleName(QStringLiteral("サウンドファイル"));
    browseButton = b.button(noticeFrame, QStringLiteral("cmdBrowse"), QStringLiteral("..."));
    b.place(browseButton, 2520, 1380, 315, 315);
    browseButton->setAccessibleName(QStringLiteral("サウンドファイルを選ぶ"));
    playButton = b.button(noticeFrame, QStringLiteral("cmdPlay"), QString());
    playButton->setIcon(dialog->style()->standardIcon(QStyle::SP_MediaPlay));
    playButton->setToolTip(QStringLiteral("再生"));
    playButton->setAccessibleName(QStringLiteral("再生"));
    b.place(playButton, 2850, 1380, 315, 315);
    // Beside the sound controls, in the room 音を鳴らす leaves on its row.
    noSoundLabel = named(new QLabel(noticeFrame), QStringLiteral("lblNoSound"));
    noSoundLabel->setWordWrap(true);
    QFont small = noSoundLabel->font();
    small.setPointSize(8);
    noSoundLabel->setFont(small);
    b.place(noSoundLabel, 1500, 1005, 1785, 360);
    noSoundLabel->hide();
}

// The window options, the display speed and size, and the board's position.
void OptionsForm::buildWindowFrame(QDialog* dialog, const Builder& b) {
    windowFrame =
        named(new QGroupBox(QStringLiteral("ウインドウ"), dialog), QStringLiteral("Frame4"));
    b.place(windowFrame, 105, 2040, 6840, 2145);
    const std::array<QString, 4> windows{
        QStringLiteral("ﾀｽｸﾊﾞｰに表示"), QStringLiteral("常に手前に表示"),
        QStringLiteral("終了時の位置を保存"), QStringLiteral("内容更新時は前面表示")};
    std::array<QCheckBox*, 4> windowChecks{};
    for (int i = 0; i < 4; ++i) {
        windowChecks[i] = named(new QCheckBox(windows[i], windowFrame), indexed("chkWindow", i));
        b.place(windowChecks[i], 210, 390 + 345 * i, 2220, 255);
    }
    taskBarCheck = windowChecks[0];
    topMostCheck = windowChecks[1];
    savePositionCheck = windowChecks[2];
    bringToFrontCheck = windowChecks[3];
    // In the frame's spare bottom row, below the other window options.
    loginCheck = named(new QCheckBox(QStringLiteral("ログイン時に起動"), windowFrame),
                       QStringLiteral("chkLogin"));
    b.place(loginCheck, 210, 1770, 2220, 225);

    speedFrame =
        named(new QGroupBox(QStringLiteral("表示速度"), windowFrame), QStringLiteral("Frame3"));
    b.place(speedFrame, 2460, 465, 990, 1590);
    speedFrame->setAccessibleName(speedFrame->title()); // not the outer frame's
    auto* range =
        named(new QLabel(QStringLiteral("( 1 - 100 )"), speedFrame), QStringLiteral("Label3"));
    QFont rangeFont = range->font();
    rangeFont.setPointSize(8);
    range->setFont(rangeFont);
    range->setAlignment(Qt::AlignCenter);
    b.place(range, 30, 330, 930, 225);
    intervalBox = b.numberBox(speedFrame, QStringLiteral("txtInterval"), 3);
    b.place(intervalBox, 225, 660, 540, 270);
    intervalBox->setAccessibleName(QStringLiteral("表示速度"));
    testButton = b.button(speedFrame, QStringLiteral("cmdTest"), QStringLiteral("ﾃｽﾄ"));
    b.place(testButton, 150, 1080, 690, 375);

    sizeFrame =
        named(new QGroupBox(QStringLiteral("サイズ"), windowFrame), QStringLiteral("fraSize"));
    b.place(sizeFrame, 3525, 465, 810, 1590);
    sizeFrame->setAccessibleName(sizeFrame->title());
    const std::array<QString, 3> sizes{QStringLiteral("大"), QStringLiteral("中"),
                                       QStringLiteral("小")};
    const std::array<int, 3> sizeTops{360, 742, 1125};
    for (int i = 0; i < 3; ++i) {
        sizeOptions[i] = named(new QRadioButton(sizes[i], sizeFrame), indexed("optSize", i));
        b.place(sizeOptions[i], 195, sizeTops[i], 540, 180);
    }

    buildPositionFrames(b);
}

void OptionsForm::buildPositionFrames(const Builder& b) {
    positionCheck =
        named(new QCheckBox(QStringLiteral("位置を設定"), windowFrame), QStringLiteral("chkPos"));
    // Inside the frame, between its top line and the two position frames
    // it turns on: standing on the line it hid it on a patch of its own.
    b.place(positionCheck, 4335, 225, 2010, 225);

    const std::array<QString, 4> xCaptions{QStringLiteral("左端"), QStringLiteral("中央"),
                                           QStringLiteral("右端"), QStringLiteral("指定")};
    const std::array<QString, 4> yCaptions{QStringLiteral("上端"), QStringLiteral("中央"),
                                           QStringLiteral("下端"), QStringLiteral("指定")};
    const std::array<int, 4> posTops{255, 510, 765, 1035};
    auto buildAxis = [&](PositionAxisControls& axis, const char* frameName, const QString& caption,
                         int frameLeft, const std::array<QString, 4>& captions,
                         const char* optionName, const char* boxName) {
        axis.frame = named(new QGroupBox(caption, windowFrame), QLatin1String(frameName));
        b.place(axis.frame, frameLeft, 465, 1095, 1590);
        axis.frame->setAccessibleName(caption);
        for (int i = 0; i < 4; ++i) {
            axis.edges[i] =
                named(new QRadioButton(captions[i], axis.frame), indexed(optionName, i));
            b.place(axis.edges[i], 150, posTops[i], 660, 180);
        }
        axis.box = b.numberBox(axis.frame, QLatin1String(boxName), 4);
        b.place(axis.box, 405, 1245, 540, 270);
        axis.box->setAccessibleName(caption + QStringLiteral("（ピクセル）"));
    };
    buildAxis(horizontal, "fraPosX", QStringLiteral("横位置"), 4410, xCaptions, "optPosX",
              "txtPosX");
    buildAxis(vertical, "fraPosY", QStringLiteral("縦位置"), 5580, yCaptions, "optPosY", "txtPosY");
}

void OptionsForm::buildButtons(QDialog* dialog, const Builder& b) {
    subscriptionsButton =
        b.button(dialog, QStringLiteral("cmdSubscriptions"), QStringLiteral("カレンダー購読..."));
    b.place(subscriptionsButton, 105, 4260, 1800, 420);
    okButton = b.button(dialog, QStringLiteral("cmdOK"), QStringLiteral("OK"));
    okButton->setDefault(true);
    cancelButton = b.button(dialog, QStringLiteral("cmdCancel"), QStringLiteral("ｷｬﾝｾﾙ"));
    applyButton = b.button(dialog, QStringLiteral("cmdApply"), QStringLiteral("適用"));
    b.place(okButton, 3375, 4260, 1095, 420);
    b.place(cancelButton, 4605, 4260, 1095, 420);
    b.place(applyButton, 5835, 4260, 1095, 420);
}

// Tab enters a group of choices at the checked one, as the arrow keys move
// among them. The toolkit does so only after a choice has had the focus, not
// after one was checked by the program (the stored values).
void OptionsForm::tabToCheckedChoices() {
    auto group = [](auto& choices) {
        for (QRadioButton* choice : choices) {
            QObject::connect(choice, &QRadioButton::toggled, choice, [&choices](bool on) {
                if (!on)
                    return;
                for (QRadioButton* other : choices)
                    other->setFocusPolicy(other->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
            });
        }
    };
    group(previewChoices);
    group(sizeOptions);
    group(horizontal.edges);
    group(vertical.edges);
}

void OptionsForm::applyTabOrder() {
    QList<QWidget*> order{
        previewChoices[0],  previewChoices[1], textColourButton, backColourButton, fontButton,
        advanceNoticeCheck, advanceMinutesBox, skipPastCheck,    skipMinutesBox,   soundCheck,
        soundPathBox,       browseButton,      playButton,       taskBarCheck,     topMostCheck,
        savePositionCheck,  bringToFrontCheck, loginCheck,       intervalBox,      testButton};
    for (QRadioButton* o : sizeOptions)
        order << o;
    order << positionCheck;
    for (const PositionAxisControls* axis : {&horizontal, &vertical}) {
        for (QRadioButton* o : axis->edges)
            order << o;
        order << axis->box;
    }
    order << subscriptionsButton << okButton << cancelButton << applyButton;
    for (int i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

} // namespace tanzo::options
