#include "OptionsDialog.h"

#include "BoardPosition.h"
#include "FontSizeLimits.h"
#include "NumericEntry.h"
#include "Pickers.h"
#include "ScreenCentre.h"
#include "core/AppContext.h"
#include "core/BoardHost.h"
#include "core/Colors.h"
#include "core/Settings.h"
#include "platform/Autostart.h"
#include "platform/MessageBox.h"
#include "platform/SoundPlayer.h"
#include "platform/WindowPlacement.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

namespace tanzo {

using options::OptionField;
using options::OptionValues;

namespace {
constexpr int kDesignWidth = 7020;
constexpr int kDesignHeight = 4755;
constexpr BgrColor kWhite = 0xFFFFFF;
} // namespace

OptionsDialog::OptionsDialog(AppContext& state, BoardHost& board, SettingsRepository& repository,
                             SoundPlayer& sound, QWidget* parent)
    : QDialog(parent), m_state(state), m_board(board), m_repository(repository), m_sound(sound),
      m_twips(Twips::fromPrimaryScreen()) {
    setObjectName(QStringLiteral("frmOption"));
    setWindowTitle(kCaption);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    QFont dialogFont = font();
    dialogFont.setPointSize(9);
    setFont(dialogFont);
    setFixedSize(m_twips.toPixels(kDesignWidth), m_twips.toPixels(kDesignHeight));

    buildControls();

    for (int i = 0; i < 3; ++i)
        connect(m_chkAlarm[i], &QCheckBox::toggled, this, [this] { markChanged(); });
    for (int i = 0; i < 4; ++i)
        connect(m_chkWindow[i], &QCheckBox::toggled, this, [this, i] { chkWindow_Click(i); });
    connect(m_chkLogin, &QCheckBox::toggled, this, [this] { markChanged(); });
    connect(m_chkPos, &QCheckBox::toggled, this, [this] { RefreshOptionControls(); });
    for (int i = 0; i < 2; ++i)
        connect(m_txtMin[i], &QLineEdit::textChanged, this, [this, i] { txtMin_Change(i); });
    connect(m_txtInterval, &QLineEdit::textChanged, this, [this] { txtInterval_Change(); });
    connect(m_txtPath, &QLineEdit::textChanged, this, [this] { markChanged(); });
    for (int i = 0; i < 3; ++i)
        connect(m_optSize[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optSize_Click(i);
        });
    for (int i = 0; i < 4; ++i) {
        connect(m_optPosX[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optPos_Click(Axis::X, i);
        });
        connect(m_optPosY[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optPos_Click(Axis::Y, i);
        });
    }
    connect(m_txtPosX, &QLineEdit::textChanged, this, [this] { txtPos_Change(Axis::X); });
    connect(m_txtPosY, &QLineEdit::textChanged, this, [this] { txtPos_Change(Axis::Y); });
    connect(m_cmdColorB, &QPushButton::clicked, this, &OptionsDialog::cmdColorB_Click);
    connect(m_cmdColorC, &QPushButton::clicked, this, &OptionsDialog::cmdColorC_Click);
    connect(m_cmdFont, &QPushButton::clicked, this, &OptionsDialog::cmdFont_Click);
    connect(m_cmdBrowse, &QPushButton::clicked, this, &OptionsDialog::cmdBrowse_Click);
    connect(m_cmdPlay, &QPushButton::clicked, this, &OptionsDialog::cmdPlay_Click);
    connect(m_cmdTest, &QPushButton::clicked, this, &OptionsDialog::cmdTest_Click);
    connect(m_cmdOK, &QPushButton::clicked, this, &OptionsDialog::cmdOK_Click);
    connect(m_cmdApply, &QPushButton::clicked, this, &OptionsDialog::cmdApply_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &OptionsDialog::cmdCancel_Click);
    connect(m_speedTimer, &QTimer::timeout, this, &OptionsDialog::speedTestFrame);

    load();
}

// Setting each control runs its handler as a user change would, corrections
// included; the changed flag is cleared at the end.
void OptionsDialog::load() {
    const Settings& s = m_state.settings;
    setBackColor(s.BackColor);

    const QFont boardFont = m_board.boardFont();
    QFont preview(boardFont.family());
    preview.setBold(boardFont.bold());
    preview.setItalic(boardFont.italic());
    preview.setPointSizeF(boardFont.pointSizeF());
    setPreviewFont(preview);
    setLabelColor(0, s.ForeColor1);
    setLabelColor(1, s.ForeColor2);

    m_optFont[0]->setChecked(true);
    CenterFontLabels(0, 1);

    m_chkAlarm[0]->setChecked(s.PreAlarm);
    m_txtMin[0]->setText(QString::number(s.PreAlarmMinute));
    m_chkAlarm[1]->setChecked(s.AlarmSkip);
    m_txtMin[1]->setText(QString::number(s.AlarmSkipMinute));
    m_chkAlarm[2]->setChecked(s.AlarmSound);
    m_txtPath->setText(s.SoundDirectory + s.SoundFileName);

    m_chkWindow[0]->setChecked(s.ShowTask);
    m_chkWindow[1]->setChecked(s.TopMost);
    m_chkWindow[2]->setChecked(s.SaveLastPosition);
    m_chkWindow[3]->setChecked(s.ActiveDisplay);
    // The desktop's own settings may have changed the entry since.
    m_chkLogin->setChecked(Autostart().isEnabled());

    m_txtInterval->setText(QString::number(s.Interval));

    if (s.WindowSize >= 0 && s.WindowSize <= 2)
        m_optSize[s.WindowSize]->setChecked(true);
    m_chkPos->setChecked(false);
    if (!m_board.isInTray()) {
        const QRect board = m_board.boardRect();
        m_txtPosX->setText(QString::number(board.left()));
        m_optPosX[3]->setChecked(true);
        m_txtPosY->setText(QString::number(board.top()));
        m_optPosY[3]->setChecked(true);
    } else {
        m_txtPosX->clear();
        m_txtPosY->clear();
        m_optPosX[3]->setChecked(true);
        m_optPosY[3]->setChecked(true);
    }

    setTabOrder();
    m_optionsChanged = false;
    RefreshOptionControls();
}

void OptionsDialog::RefreshOptionControls() {
    m_txtMin[0]->setEnabled(m_chkAlarm[0]->isChecked());
    m_txtMin[1]->setEnabled(m_chkAlarm[1]->isChecked());
    const bool sound = m_chkAlarm[2]->isChecked();
    m_txtPath->setEnabled(sound);
    m_cmdBrowse->setEnabled(sound);
    m_cmdPlay->setEnabled(sound);
    m_chkWindow[3]->setEnabled(!m_chkWindow[1]->isChecked());
    m_cmdTest->setEnabled(!m_txtInterval->text().isEmpty());
    m_chkPos->setEnabled(!m_board.isInTray());
    m_fraPosX->setEnabled(m_chkPos->isChecked());
    m_fraPosY->setEnabled(m_chkPos->isChecked());
    m_cmdOK->setEnabled(m_optionsChanged);
    m_cmdApply->setEnabled(m_optionsChanged);
}

void OptionsDialog::markChanged() {
    m_optionsChanged = true;
    RefreshOptionControls();
}

void OptionsDialog::chkWindow_Click(int index) {
    // 常に手前に表示 excludes 内容更新時は前面表示.
    if (index == 1 && m_chkWindow[1]->isChecked())
        m_chkWindow[3]->setChecked(false);
    markChanged();
}

void OptionsDialog::txtMin_Change(int index) {
    QLineEdit* box = m_txtMin[index];
    if (const auto corrected = options::correctMinutesText(box->text())) {
        box->setText(*corrected);
        box->end(false);
    }
    markChanged();
}

void OptionsDialog::txtInterval_Change() {
    if (const auto corrected = options::correctIntervalText(m_txtInterval->text())) {
        m_txtInterval->setText(*corrected);
        m_txtInterval->end(false);
    }
    markChanged();
}

void OptionsDialog::optSize_Click(int index) {
    m_optionsChanged = true;
    const double capped = options::cappedFontSize(m_previewFont.pointSizeF(), index);
    if (capped != m_previewFont.pointSizeF()) {
        QFont font = m_previewFont;
        font.setPointSizeF(capped);
        setPreviewFont(font);
        CenterFontLabels(0, 1);
    }
    RefreshOptionControls();
}

QLineEdit* OptionsDialog::positionBox(Axis axis) const {
    return axis == Axis::X ? m_txtPosX : m_txtPosY;
}

int OptionsDialog::screenExtent(Axis axis) const {
    const QRect area = Twips::availableAreaPixels();
    return axis == Axis::X ? area.width() : area.height();
}

int OptionsDialog::screenStart(Axis axis) const {
    const QRect area = Twips::availableAreaPixels();
    return axis == Axis::X ? area.left() : area.top();
}

int OptionsDialog::boardExtent(Axis axis) const {
    const QRect board = m_board.boardRect();
    return axis == Axis::X ? board.width() : board.height();
}

void OptionsDialog::moveBoardEdge(Axis axis, int edge) {
    const QRect board = m_board.boardRect();
    if (axis == Axis::X)
        m_board.moveBoardTo(edge, board.top());
    else
        m_board.moveBoardTo(board.left(), edge);
}

void OptionsDialog::optPos_Click(Axis axis, int index) {
    QLineEdit* box = positionBox(axis);
    if (index <= 2) {
        const int edge = options::edgeForPositionOption(index, screenExtent(axis),
                                                        boardExtent(axis), screenStart(axis));
        moveBoardEdge(axis, edge);
        box->setEnabled(false);
        box->setText(QString::number(edge)); // a different text runs the change handler
        return;
    }
    if (!m_board.isInTray())
        if (const auto edge = options::parseInt16(box->text()))
            moveBoardEdge(axis, *edge);
    box->setEnabled(true);
}

void OptionsDialog::txtPos_Change(Axis axis) {
    QLineEdit* box = positionBox(axis);
    const QString text = box->text();
    if (text.trimmed().isEmpty())
        return;
    const int start = screenStart(axis);
    const int maximum = options::positionMaximum(screenExtent(axis), boardExtent(axis), start);
    if (const auto corrected = options::correctPositionText(text, maximum, start)) {
        box->setText(*corrected); // runs this handler again with the settled text
        box->end(false);
        return;
    }
    if (const auto edge = options::parseInt16(text))
        moveBoardEdge(axis, *edge);
    markChanged();
}

void OptionsDialog::boardDragged(int left, int top) {
    m_optPosX[3]->setChecked(true);
    m_txtPosX->setText(QString::number(left));
    m_optPosY[3]->setChecked(true);
    m_txtPosY->setText(QString::number(top));
}

void OptionsDialog::setPreviewFont(const QFont& font) {
    m_previewFont = font;
    for (QLabel* label : m_lblFont)
        label->setFont(font);
}

void OptionsDialog::setLabelColor(int index, BgrColor color) {
    m_foreColor[index] = color;
    QPalette pal = m_lblFont[index]->palette();
    pal.setColor(QPalette::WindowText, toQColor(color));
    m_lblFont[index]->setPalette(pal);
}

void OptionsDialog::setBackColor(BgrColor color) {
    m_backColor = color;
    for (QFrame* pic : m_picFont) {
        QPalette pal = pic->palette();
        pal.setColor(QPalette::Window, toQColor(color));
        pic->setPalette(pal);
    }
}

void OptionsDialog::CenterFontLabels(int first, int last) {
    for (int i = first; i <= last; ++i) {
        QLabel* label = m_lblFont[i];
        const QRect inner = m_picFont[i]->contentsRect();
        label->hide();
        label->adjustSize();
        const QSize size = label->size();
        const int left = roundHalfEven((inner.width() - size.width()) / 2.0);
        const int top = roundHalfEven((inner.height() - size.height()) / 2.0);
        // A text wider than the box is centred first and then cut to the box.
        label->setGeometry(inner.left() + left, inner.top() + top,
                           std::min(size.width(), inner.width()),
                           std::min(size.height(), inner.height()));
        label->show();
    }
}

bool OptionsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        for (int i = 0; i < 2; ++i)
            if (watched == m_picFont[i] || watched == m_lblFont[i])
                m_optFont[i]->setChecked(true);
    }
    return QDialog::eventFilter(watched, event);
}

void OptionsDialog::cmdColorB_Click() {
    const BgrColor old = m_backColor;
    const BgrColor chosen = options::pickColor(this, old);
    if (chosen != old) {
        setBackColor(chosen);
        m_optionsChanged = true;
    }
    RefreshOptionControls();
}

void OptionsDialog::cmdColorC_Click() {
    const int target = m_optFont[0]->isChecked() ? 0 : 1;
    const BgrColor old = m_foreColor[target];
    const BgrColor chosen = options::pickColor(this, old);
    if (chosen != old) {
        setLabelColor(target, chosen);
        m_optionsChanged = true;
    }
    RefreshOptionControls();
}

int OptionsDialog::selectedSize() const {
    for (int i = 0; i < 3; ++i)
        if (m_optSize[i]->isChecked())
            return i;
    return -1;
}

void OptionsDialog::cmdFont_Click() {
    QFont font = m_previewFont;
    if (options::pickFont(this, font, std::max(selectedSize(), 0))) {
        setPreviewFont(font);
        CenterFontLabels(0, 1);
        m_optionsChanged = true;
    }
    RefreshOptionControls();
}

void OptionsDialog::cmdBrowse_Click() {
    const QString chosen = options::pickSoundFile(this, m_txtPath->text());
    if (!chosen.isEmpty())
        m_txtPath->setText(chosen);
}

void OptionsDialog::cmdPlay_Click() {
    m_sound.play(m_txtPath->text());
}

void OptionsDialog::cmdTest_Click() {
    if (m_speedTest)
        return;
    if (!options::parseInt16(m_txtInterval->text()))
        return;
    startSpeedTest(0);
}

void OptionsDialog::startSpeedTest(int labelIndex) {
    const auto interval = options::parseInt16(m_txtInterval->text());
    if (!interval) {
        m_speedTest.reset();
        m_speedTimer->stop();
        m_txtInterval->setFocus();
        return;
    }
    m_speedLabel = labelIndex;
    m_speedCaption = m_lblFont[labelIndex]->text();
    m_speedTest.emplace(*interval);
    m_speedTimer->start(options::DisplaySpeedTest::frameMs(*interval));
}

void OptionsDialog::speedTestFrame() {
    if (!m_speedTest)
        return;
    using Frame = options::DisplaySpeedTest::Frame;
    QLabel* label = m_lblFont[m_speedLabel];
    const std::optional<int> interval = options::parseInt16(m_txtInterval->text());
    const Frame frame = m_speedTest->next(interval);
    if (interval)
        m_speedTimer->setInterval(options::DisplaySpeedTest::frameMs(*interval));
    if (frame == Frame::Placeholder) {
        label->setText(options::DisplaySpeedTest::kPlaceholder);
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, toQColor(kWhite));
        label->setPalette(pal);
    } else {
        // Restore, and also at the end: a preview never keeps the placeholder,
        // even when the value was changed during the test.
        label->setText(m_speedCaption);
        setLabelColor(m_speedLabel, m_foreColor[m_speedLabel]);
    }
    CenterFontLabels(m_speedLabel, m_speedLabel);
    if (frame == Frame::End)
        finishSpeedTestLabel();
}

void OptionsDialog::finishSpeedTestLabel() {
    const bool boxEmptied = !options::parseInt16(m_txtInterval->text());
    if (m_speedLabel == 0 && !boxEmptied) {
        startSpeedTest(1);
        return;
    }
    m_speedTest.reset();
    m_speedTimer->stop();
    m_txtInterval->setFocus();
}

OptionValues OptionsDialog::snapshot() const {
    OptionValues v;
    v.fontName = m_previewFont.family();
    v.fontBold = m_previewFont.bold();
    v.fontItalic = m_previewFont.italic();
    v.fontPointSize = m_previewFont.pointSizeF();
    v.foreColor1 = m_foreColor[0];
    v.foreColor2 = m_foreColor[1];
    v.backColor = m_backColor;
    for (int i = 0; i < 3; ++i)
        v.chkAlarm[i] = m_chkAlarm[i]->isChecked();
    for (int i = 0; i < 2; ++i)
        v.txtMin[i] = m_txtMin[i]->text();
    v.txtPath = m_txtPath->text();
    for (int i = 0; i < 4; ++i)
        v.chkWindow[i] = m_chkWindow[i]->isChecked();
    v.chkLogin = m_chkLogin->isChecked();
    v.txtInterval = m_txtInterval->text();
    v.sizeIndex = selectedSize();
    v.chkPos = m_chkPos->isChecked();
    v.txtPosX = m_txtPosX->text();
    v.txtPosY = m_txtPosY->text();
    return v;
}

bool OptionsDialog::ApplyOptions() {
    const options::AppliedOptions applied =
        options::applyOptionValues(snapshot(), m_state.settings);
    m_state.settings = applied.settings;

    // The write stores the position as well; the user's own choice of
    // SaveLastPosition is what the exit-time write stores.
    Settings toWrite = m_state.settings;
    toWrite.SaveLastPosition = true;
    if (!m_repository.writeAllSettings(toWrite, m_board.isInTray()) ||
        !Autostart().setEnabled(m_state.settings.StartAtLogin))
        return false;
    m_board.applyBoardLayout(m_state.settings.WindowSize);
    // What the board's menu shows ticked takes effect on the board now.
    m_board.applyWindowOptions();
    return true;
}

void OptionsDialog::focusField(OptionField field) {
    QLineEdit* box = nullptr;
    switch (field) {
    case OptionField::Path:
        box = m_txtPath;
        break;
    case OptionField::Min0:
        box = m_txtMin[0];
        break;
    case OptionField::Min1:
        box = m_txtMin[1];
        break;
    case OptionField::Interval:
        box = m_txtInterval;
        break;
    case OptionField::PosX:
        box = m_txtPosX;
        break;
    case OptionField::PosY:
        box = m_txtPosY;
        break;
    }
    if (box && box->isEnabled())
        box->setFocus();
}

bool OptionsDialog::commit(bool closeAfter) {
    if (!m_optionsChanged) {
        if (closeAfter)
            close();
        else
            RefreshOptionControls();
        return true;
    }
    if (const auto problem = options::validateOptions(snapshot())) {
        msgbox::show(this, msgbox::Icon::Exclamation, kCaption, problem->message);
        focusField(problem->field);
        return false;
    }
    if (!ApplyOptions()) {
        msgbox::show(this, msgbox::Icon::Critical, kCaption, kWriteFailedMessage);
        return false;
    }
    if (closeAfter) {
        close();
    } else {
        m_optionsChanged = false;
        RefreshOptionControls();
    }
    return true;
}

void OptionsDialog::cmdOK_Click() {
    commit(true);
}

void OptionsDialog::cmdApply_Click() {
    commit(false);
}

void OptionsDialog::cmdCancel_Click() {
    if (!m_board.isInTray()) {
        // Undoes the live moves of the position options; the size stays.
        const QRect board = m_board.boardRect();
        const QRect stored(m_state.settings.LastPositionX, m_state.settings.LastPositionY,
                           board.width(), board.height());
        m_board.placeBoard(static_cast<int>(InsertAfter::Top), stored, ShowWindow);
    }
    close();
}

void OptionsDialog::reject() {
    cmdCancel_Click();
}

void OptionsDialog::closeEvent(QCloseEvent* event) {
    // The close box discards the changes without putting the board back;
    // QDialog would route it through reject(), which is Cancel here.
    m_speedTimer->stop();
    event->accept();
}

OptionsDialog* openOptionsDialog(QPointer<OptionsDialog>& slot, AppContext& state, BoardHost& board,
                                 SettingsRepository& repository, SoundPlayer& sound) {
    if (slot)
        return nullptr;
    auto* dialog = new OptionsDialog(state, board, repository, sound);
    slot = dialog;
    dialog->move(options::centredOnPrimaryScreen(dialog->size()).topLeft());
    dialog->show();
    return dialog;
}

} // namespace tanzo
