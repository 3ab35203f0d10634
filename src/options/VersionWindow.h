#pragma once

#include <QDialog>
#include <QPointer>

class QLabel;
class QPushButton;

namespace tanzo {

struct AppState;
class BoardHost;
class SoundPlayer;

// frmVersion: the program's icon and version text, with one OK button that
// answers Enter and Escape.
class VersionWindow : public QDialog {
    Q_OBJECT
public:
    static inline const QString kCaption = QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報");

    VersionWindow(const QIcon& icon, const QString& text, QWidget* parent = nullptr);
};

// ShowVersionWindow: does nothing while `slot` holds an open version window;
// otherwise opens one centred on the primary screen, modeless, and plays the
// configured sound (whether or not notices play it) or beeps when no sound
// file is set. Returns the new window, or nullptr.
VersionWindow* showVersionWindow(QPointer<VersionWindow>& slot, const AppState& state,
                                 BoardHost& board, SoundPlayer& sound);

} // namespace tanzo
