#pragma once

#include <QWidget>

namespace tanzo {

// The task-bar proxy: the board is a tool window without a task-bar button of its
// own, so this plain top-level window stands in for it. It is never meant to
// be seen: it lives minimised (window managers pull windows placed off the
// screen back into view, but leave a minimised one on the task bar only).
// When the user restores it from its button it says so and tucks itself
// away again, and its owner brings the board forward.
class ShadowWindow : public QWidget {
    Q_OBJECT
public:
    // With the program's caption, the board's icon and size.
    ShadowWindow(const QIcon& icon, const QSize& boardSize);

    // Where the proxy sits should a window manager map it after all: far
    // off the screen, -20000 twips on both axes.
    static QPoint offScreenPosition();

    // Shows it as a task-bar button only.
    void showAsButton();

signals:
    // The user clicked its button.
    void activated();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void answerClick();

    bool m_tuckPending = false;
};

} // namespace tanzo
