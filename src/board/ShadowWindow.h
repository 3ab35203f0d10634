#pragma once

#include <QWidget>

namespace tanzo {

// frmShadow: the board is a tool window without a task-bar button of its
// own, so this plain top-level window, kept out of sight, stands in for it.
// Clicking its button activates it, and whoever owns it brings the board
// forward.
class ShadowWindow : public QWidget {
    Q_OBJECT
public:
    // frmShadow_Form_Load: caption, the board's icon and size.
    ShadowWindow(const QIcon& icon, const QSize& boardSize);

    // Where the proxy sits: far off the screen, -20000 twips on both axes.
    static QPoint offScreenPosition();

    // Shows it off-screen with a task-bar button.
    void showOffScreen();
    // Shows it as a minimised window: its button is the way back to a
    // hidden board where no tray exists.
    void showIconified();

signals:
    // frmShadow_Form_Activate.
    void activated();
    // The user restored it from its minimised state.
    void unminimised();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};

} // namespace tanzo
