#pragma once

#include <QDialog>
#include <QPointer>

namespace tanzo {

struct AppContext;
class BoardView;
class SoundPlayer;

// The program's icon and version text, with one OK button that
// answers Enter and Escape.
class VersionWindow : public QDialog {
    Q_OBJECT
public:
    static inline const QString kCaption = QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報");

    VersionWindow(const AppContext& state, BoardView& board, SoundPlayer& sound,
                  QWidget* parent = nullptr);

    // Shows the window centred on the primary screen, modeless, and plays
    // the configured sound (whether or not notices play it), or beeps when
    // no sound file is set.
    void showCentred();

private:
    const AppContext& m_state;
    SoundPlayer& m_sound;
};

// Does nothing while `slot` holds an open version window;
// otherwise opens one with showCentred(). Returns the new window, or nullptr.
VersionWindow* showVersionWindow(QPointer<VersionWindow>& slot, const AppContext& state,
                                 BoardView& board, SoundPlayer& sound);

} // namespace tanzo
