#pragma once

#include "NoticeText.h"

#include <QElapsedTimer>
#include <QIcon>
#include <QWidget>

class QLabel;
class QPushButton;

namespace tanzo {

class Twips;

// One notice with its message, the board's icon and an OK button.
// The window only shows; what dismissing it means is up to its owner, which
// hears about it once through dismissed(), whether OK or the title bar's
// close box closed it.
class NoticeWindow : public QWidget {
    Q_OBJECT
public:
    NoticeWindow(const NoticeText& text, const QIcon& icon, const Twips& twips);

    QLabel* commentLabel() const { return m_message; }
    QPushButton* okButton() const { return m_okButton; }
    // Tells assistive technology that the shown window is an alert.
    void announce();

    // Whether the window has been painted on the screen.
    bool hasAppeared() const { return m_appeared; }

signals:
    void dismissed(tanzo::NoticeWindow* window);
    // The window was painted for the first time: it is on the screen (the
    // window manager has mapped it), whether or not other windows cover it.
    void appeared(tanzo::NoticeWindow* window);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void layOut(const Twips& twips);
    void acceptFocusWhenMapped(int pollsLeft);
    void letOkAnswerEnter();

    QLabel* m_message = nullptr;
    QLabel* m_icon = nullptr;
    QPushButton* m_okButton = nullptr;
    bool m_dismissed = false;
    bool m_appeared = false;
    QElapsedTimer m_appearedAt;
};

} // namespace tanzo
