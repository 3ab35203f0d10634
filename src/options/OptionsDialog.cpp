#include "OptionsDialog.h"

#include "BoardPositionEntry.h"
#include "FontPreviews.h"
#include "NumericEntry.h"
#include "Pickers.h"
#include "PreviewSpeedTest.h"
#include "ScreenCentre.h"
#include "board/BoardView.h"
#include "core/AppContext.h"
#include "core/SettingsRepository.h"
#include "platform/Autostart.h"
#include "platform/Prompts.h"
#include "platform/SoundPlayer.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>

namespace tanzo {

using options::OptionField;
using options::OptionValues;

OptionsDialog::OptionsDialog(AppContext& context, BoardView& board, SettingsRepository& repository,
                             SoundPlayer& sound, options::Pickers& pickers, QWidget* parent)
    : QDialog(parent), m_context(context), m_board(board), m_repository(repository), m_sound(sound),
      m_pickers(pickers), m_form(this, context.prompts) {
    setWindowTitle(kCaption);
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);

    m_previews = new options::FontPreviews(m_form, pickers, this);
    m_speedTest = new options::PreviewSpeedTest(*m_previews, m_form.intervalBox, this);
    m_position = new options::BoardPositionEntry(m_form, m_board, this);
    connect(m_position, &options::BoardPositionEntry::edited, this, &OptionsDialog::markChanged);

    for (QCheckBox* check :
         {m_form.advanceNoticeCheck, m_form.skipPastCheck, m_form.soundCheck, m_form.taskBarCheck,
          m_form.savePositionCheck, m_form.bringToFrontCheck, m_form.loginCheck})
        connect(check, &QCheckBox::toggled, this, &OptionsDialog::markChanged);
    connect(m_form.topMostCheck, &QCheckBox::toggled, this,
            &OptionsDialog::uncheckBringToFrontIfOnTop);
    for (QLineEdit* box : {m_form.advanceMinutesBox, m_form.skipMinutesBox})
        connect(box, &QLineEdit::textChanged, this,
                [this, box] { correctNumberBox(box, options::correctMinutesText); });
    connect(m_form.intervalBox, &QLineEdit::textChanged, this,
            [this] { correctNumberBox(m_form.intervalBox, options::correctIntervalText); });
    connect(m_form.soundPathBox, &QLineEdit::textChanged, this, &OptionsDialog::markChanged);
    for (int i = 0; i < 3; ++i)
        connect(m_form.sizeOptions[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                capPreviewFontToSize(i);
        });
    connect(m_form.backColourButton, &QPushButton::clicked, this, &OptionsDialog::chooseBackColour);
    connect(m_form.textColourButton, &QPushButton::clicked, this, &OptionsDialog::chooseTextColour);
    connect(m_form.fontButton, &QPushButton::clicked, this, &OptionsDialog::chooseFont);
    connect(m_form.browseButton, &QPushButton::clicked, this, &OptionsDialog::browseSoundFile);
    connect(m_form.playButton, &QPushButton::clicked, this, &OptionsDialog::playSound);
    // Asked once the dialog is up: asking loads the audio module.
    QTimer::singleShot(0, this, &OptionsDialog::showWhetherSoundPlays);
    connect(m_form.testButton, &QPushButton::clicked, m_speedTest,
            &options::PreviewSpeedTest::start);
    connect(m_form.okButton, &QPushButton::clicked, this, &OptionsDialog::saveAndClose);
    connect(m_form.subscriptionsButton, &QPushButton::clicked, this,
            &OptionsDialog::subscriptionsRequested);
    connect(m_form.applyButton, &QPushButton::clicked, this, &OptionsDialog::apply);
    connect(m_form.cancelButton, &QPushButton::clicked, this, &OptionsDialog::cancel);

    load();
    connect(&m_context.settings, &UserSettings::changed, this,
            &OptionsDialog::showWindowOptionsChangedElsewhere);
}

// Setting each control runs its handler as a user change would, corrections
// included; the changed flag is cleared at the end.
void OptionsDialog::load() {
    const Settings& s = m_context.settings.values();
    m_previews->setBackColour(s.backColor);

    const QFont boardFont = m_board.boardFont();
    QFont preview(boardFont.family());
    preview.setBold(boardFont.bold());
    preview.setItalic(boardFont.italic());
    preview.setPointSizeF(boardFont.pointSizeF());
    m_previews->setFont(preview);
    m_previews->setTextColour(0, s.foreColor1);
    m_previews->setTextColour(1, s.foreColor2);

    m_form.previewChoices[0]->setChecked(true);
    m_previews->centreLabels(0, 1);

    m_form.advanceNoticeCheck->setChecked(s.preAlarm);
    m_form.advanceMinutesBox->setText(QString::number(s.preAlarmMinute));
    m_form.skipPastCheck->setChecked(s.alarmSkip);
    m_form.skipMinutesBox->setText(QString::number(s.alarmSkipMinute));
    m_form.soundCheck->setChecked(s.alarmSound);
    m_form.soundPathBox->setText(s.soundDirectory + s.soundFileName);

    m_form.taskBarCheck->setChecked(s.showTask);
    m_form.topMostCheck->setChecked(s.topMost);
    m_form.savePositionCheck->setChecked(s.saveLastPosition);
    m_form.bringToFrontCheck->setChecked(s.activeDisplay);
    // The desktop's own settings may have changed the entry since.
    m_startAtLoginShown = Autostart().isEnabled();
    m_form.loginCheck->setChecked(m_startAtLoginShown);

    m_form.intervalBox->setText(QString::number(s.interval));

    if (s.windowSize >= 0 && s.windowSize <= 2)
        m_form.sizeOptions[s.windowSize]->setChecked(true);
    m_position->load();

    m_optionsChanged = false;
    refreshControls();
}

void OptionsDialog::showWindowOptionsChangedElsewhere(const Settings& previous) {
    const Settings& now = m_context.settings.values();
    const bool changedBefore = m_optionsChanged;
    const double fontBefore = m_previews->font().pointSizeF();
    const std::pair<bool Settings::*, QCheckBox*> checks[] = {
        {&Settings::showTask, m_form.taskBarCheck},
        {&Settings::topMost, m_form.topMostCheck},
        {&Settings::saveLastPosition, m_form.savePositionCheck},
        {&Settings::activeDisplay, m_form.bringToFrontCheck},
    };
    for (const auto& [member, check] : checks)
        if (previous.*member != now.*member)
            check->setChecked(now.*member);
    if (previous.windowSize != now.windowSize && kWindowSizeBounds.contains(now.windowSize))
        m_form.sizeOptions[now.windowSize]->setChecked(true);
    // What the settings already hold is no change of the dialog's; a font the
    // new size lowered is.
    m_optionsChanged = changedBefore || m_previews->font().pointSizeF() != fontBefore;
    refreshControls();
}

void OptionsDialog::refreshControls() {
    m_form.advanceMinutesBox->setEnabled(m_form.advanceNoticeCheck->isChecked());
    m_form.skipMinutesBox->setEnabled(m_form.skipPastCheck->isChecked());
    const bool sound = m_form.soundCheck->isChecked();
    m_form.soundPathBox->setEnabled(sound);
    m_form.browseButton->setEnabled(sound);
    m_form.playButton->setEnabled(sound);
    m_form.bringToFrontCheck->setEnabled(!m_form.topMostCheck->isChecked());
    m_form.testButton->setEnabled(!m_form.intervalBox->text().isEmpty());
    m_position->refreshEnabled();
    m_form.okButton->setEnabled(m_optionsChanged);
    m_form.applyButton->setEnabled(m_optionsChanged);
}

void OptionsDialog::markChanged() {
    m_optionsChanged = true;
    refreshControls();
}

void OptionsDialog::uncheckBringToFrontIfOnTop() {
    // A board always on top has no use for coming to the front on updates.
    if (m_form.topMostCheck->isChecked())
        m_form.bringToFrontCheck->setChecked(false);
    markChanged();
}

void OptionsDialog::correctNumberBox(QLineEdit* box, Correction correct) {
    if (const auto corrected = correct(box->text())) {
        box->setText(*corrected);
        box->end(false);
    }
    markChanged();
}

void OptionsDialog::capPreviewFontToSize(int size) {
    m_optionsChanged = true;
    m_previews->capFontSize(size);
    refreshControls();
}

void OptionsDialog::followBoardDrag(int left, int top) {
    m_position->followDrag(left, top);
}

void OptionsDialog::chooseBackColour() {
    if (m_previews->chooseBackColour())
        m_optionsChanged = true;
    refreshControls();
}

void OptionsDialog::chooseTextColour() {
    if (m_previews->chooseTextColour())
        m_optionsChanged = true;
    refreshControls();
}

int OptionsDialog::selectedSize() const {
    for (int i = 0; i < 3; ++i)
        if (m_form.sizeOptions[i]->isChecked())
            return i;
    return -1;
}

void OptionsDialog::chooseFont() {
    if (m_previews->chooseFont(std::max(selectedSize(), 0)))
        m_optionsChanged = true;
    refreshControls();
}

void OptionsDialog::browseSoundFile() {
    const QString chosen = m_pickers.chooseSoundFile(this, m_form.soundPathBox->text());
    if (!chosen.isEmpty())
        m_form.soundPathBox->setText(chosen);
}

void OptionsDialog::showWhetherSoundPlays() {
    if (m_sound.canPlay())
        return;
    m_form.noSoundLabel->setText(kNoSoundDeviceMessage);
    m_form.noSoundLabel->show();
    m_form.playButton->setAccessibleDescription(kNoSoundDeviceMessage);
}

void OptionsDialog::playSound() {
    m_sound.play(m_form.soundPathBox->text());
}

OptionValues OptionsDialog::snapshot() const {
    OptionValues v;
    Settings& c = v.chosen;
    c = m_context.settings.values();
    const QFont& font = m_previews->font();
    c.fontName = font.family();
    c.fontBold = font.bold();
    c.fontItalic = font.italic();
    v.fontPointSize = font.pointSizeF();
    c.foreColor1 = m_previews->textColour(0);
    c.foreColor2 = m_previews->textColour(1);
    c.backColor = m_previews->backColour();
    c.preAlarm = m_form.advanceNoticeCheck->isChecked();
    v.preAlarmMinuteText = m_form.advanceMinutesBox->text();
    c.alarmSkip = m_form.skipPastCheck->isChecked();
    v.alarmSkipMinuteText = m_form.skipMinutesBox->text();
    c.alarmSound = m_form.soundCheck->isChecked();
    v.soundPathText = m_form.soundPathBox->text();
    c.showTask = m_form.taskBarCheck->isChecked();
    c.topMost = m_form.topMostCheck->isChecked();
    c.saveLastPosition = m_form.savePositionCheck->isChecked();
    c.activeDisplay = m_form.bringToFrontCheck->isChecked();
    c.startAtLogin = m_form.loginCheck->isChecked();
    v.intervalText = m_form.intervalBox->text();
    if (const int size = selectedSize(); size >= 0)
        c.windowSize = static_cast<int16_t>(size);
    v.setPosition = m_form.positionCheck->isChecked();
    v.positionXText = m_form.horizontal.box->text();
    v.positionYText = m_form.vertical.box->text();
    return v;
}

bool OptionsDialog::applyOptions(QString* failure) {
    // The entry belongs to the desktop as much as to the board: an unrelated
    // OK leaves it, and the lines the user or the desktop put in it, alone.
    const bool startAtLogin = m_form.loginCheck->isChecked();
    if (startAtLogin != m_startAtLoginShown) {
        if (!Autostart().setEnabled(startAtLogin, failure))
            return false;
        m_startAtLoginShown = startAtLogin;
    }

    const Settings applied = options::applyOptionValues(snapshot());

    // The write stores the position as well; the user's own choice of
    // SaveLastPosition is what the exit-time write stores. Only stored
    // settings reach the board, which follows them.
    Settings toWrite = applied;
    toWrite.saveLastPosition = true;
    if (!m_repository.writeAllSettings(toWrite, m_board.isInTray()))
        return false;
    m_context.settings.replace(applied);
    return true;
}

void OptionsDialog::focusField(OptionField field) {
    QLineEdit* box = nullptr;
    switch (field) {
    case OptionField::SoundPath:
        box = m_form.soundPathBox;
        break;
    case OptionField::PreAlarmMinutes:
        box = m_form.advanceMinutesBox;
        break;
    case OptionField::AlarmSkipMinutes:
        box = m_form.skipMinutesBox;
        break;
    case OptionField::Interval:
        box = m_form.intervalBox;
        break;
    case OptionField::PositionX:
        box = m_form.horizontal.box;
        break;
    case OptionField::PositionY:
        box = m_form.vertical.box;
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
            refreshControls();
        return true;
    }
    if (const auto problem = options::validateOptions(snapshot())) {
        m_context.prompts.show(this, msgbox::Icon::Exclamation, kCaption, problem->message);
        focusField(problem->field);
        return false;
    }
    QString failure;
    if (!applyOptions(&failure)) {
        const QString text =
            failure.isEmpty() ? kWriteFailedMessage : kWriteFailedMessage + u'\n' + failure;
        m_context.prompts.show(this, msgbox::Icon::Critical, kCaption, text);
        return false;
    }
    if (closeAfter) {
        close();
    } else {
        m_optionsChanged = false;
        refreshControls();
    }
    return true;
}

void OptionsDialog::saveAndClose() {
    commit(true);
}

void OptionsDialog::apply() {
    commit(false);
}

void OptionsDialog::cancel() {
    m_position->putBoardBack(QPoint(m_context.settings.values().lastPositionX,
                                    m_context.settings.values().lastPositionY));
    close();
}

void OptionsDialog::reject() {
    cancel();
}

void OptionsDialog::closeEvent(QCloseEvent* event) {
    // The close box discards the changes without putting the board back;
    // QDialog would route it through reject(), which is Cancel here.
    m_speedTest->stop();
    event->accept();
}

OptionsDialog* openOptionsDialog(QPointer<OptionsDialog>& slot, AppContext& context,
                                 BoardView& board, SettingsRepository& repository,
                                 SoundPlayer& sound, options::Pickers& pickers) {
    if (slot)
        return nullptr;
    auto* dialog = new OptionsDialog(context, board, repository, sound, pickers);
    slot = dialog;
    dialog->move(options::centredOnPrimaryScreen(dialog->size()).topLeft());
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

} // namespace tanzo
