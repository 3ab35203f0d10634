#pragma once

#include "OptionValues.h"
#include "OptionsForm.h"
#include "Pickers.h"

#include <QDialog>
#include <QPointer>

#include <optional>

class QLineEdit;

namespace tanzo {

struct AppContext;
class BoardView;
class SettingsRepository;
class SoundPlayer;

namespace options {
class BoardPositionEntry;
class FontPreviews;
class PreviewSpeedTest;
} // namespace options

// Every user option in one modeless window, with live previews of the board
// font and colours and live moves of the board's position. Nothing reaches
// the settings before OK or Apply; the dialog deletes itself when closed.
class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    static inline const QString kCaption = QStringLiteral("ヨルカ設定");
    static inline const QString kWriteFailedMessage =
        QStringLiteral("設定内容の更新に失敗しました。");

    // Colours, the font and the sound file are chosen through `pickers`.
    OptionsDialog(AppContext& context, BoardView& board, SettingsRepository& repository,
                  SoundPlayer& sound, options::Pickers& pickers, QWidget* parent = nullptr);

    // Some control holds a value not yet stored.
    bool optionsChanged() const { return m_optionsChanged; }

    // The controls' values as they stand.
    options::OptionValues snapshot() const;
    // Copies validated values into the settings, writes them all and lays
    // the board out; false when a write failed, with what failed in *failure
    // when known. A failed autostart entry leaves the settings as they were.
    bool applyOptions(QString* failure = nullptr);
    // Enables each control as the others' values allow.
    void refreshControls();

signals:
    // カレンダー購読...: the shell opens the subscriptions' window.
    void subscriptionsRequested();

public slots:
    // The board calls this on every drag step while the dialog is open.
    void followBoardDrag(int left, int top);

    // Store the changes (if any), then close or stay open.
    void saveAndClose();
    void apply();
    // Puts the board back where the settings have it and closes.
    void cancel();

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void load();
    bool commit(bool closeAfter);
    void focusField(options::OptionField field);
    void markChanged();

    void uncheckBringToFrontIfOnTop();
    // Shows window options the board's menu changed while the dialog is
    // open, so that OK does not put the old ones back.
    void showWindowOptionsChangedElsewhere(const Settings& previous);
    // Shows the text `correct` makes of a number box's new text.
    using Correction = std::optional<QString> (*)(const QString&);
    void correctNumberBox(QLineEdit* box, Correction correct);
    void capPreviewFontToSize(int size);
    void chooseTextColour();
    void chooseBackColour();
    void chooseFont();
    void browseSoundFile();
    void playSound();
    void showWhetherSoundPlays();
    int selectedSize() const;

    AppContext& m_context;
    BoardView& m_board;
    SettingsRepository& m_repository;
    SoundPlayer& m_sound;
    options::Pickers& m_pickers;

    // The form's widgets exist before the parts take them over; the parts
    // are children of the dialog and go with it.
    options::OptionsForm m_form;
    options::FontPreviews* m_previews = nullptr;
    options::PreviewSpeedTest* m_speedTest = nullptr;
    options::BoardPositionEntry* m_position = nullptr;

    bool m_optionsChanged = false;
    // What the login box showed when the dialog read the autostart entry:
    // the entry is written only when the user changes the box.
    bool m_startAtLoginShown = false;
};

// Opens the options dialog unless one is open (`slot` holds it while it
// lives), centred on the primary screen and modeless. Returns the new
// dialog, or nullptr when one was already open.
OptionsDialog* openOptionsDialog(QPointer<OptionsDialog>& slot, AppContext& context,
                                 BoardView& board, SettingsRepository& repository,
                                 SoundPlayer& sound, options::Pickers& pickers);

} // namespace tanzo
