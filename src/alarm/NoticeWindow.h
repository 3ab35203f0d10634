#pragma once

#include "NoticeText.h"

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

signals:
    void dismissed(tanzo::NoticeWindow* window);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void layOut(const Twips& twips);
    void acceptFocusWhenMapped(int pollsLeft);

    QLabel* m_message = nullptr;
    QLabel* m_icon = nullptr;
    QPushButton* m_okButton = nullptr;
    bool m_dismissed = false;
};

} // namespace tanzo
