#pragma once

#include <QGroupBox>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tanzo {

class OwnCalendar;

// The subscriptions window's part for the own calendar: its address (a
// calendar, or a server and a display name), user and password; 設定 finds
// it, stores the password and syncs once; 解除 forgets it (TANZO.DAT stays
// as it is); the status line follows every sync.
class OwnCalendarSection : public QGroupBox {
    Q_OBJECT
public:
    explicit OwnCalendarSection(OwnCalendar& own, QWidget* parent = nullptr);

    void setCalendar();
    void clearCalendar();
    void syncNow();

private:
    void showStatus();
    void setBusy(bool busy);

    OwnCalendar& m_own;
    QLineEdit* m_url = nullptr;
    QLineEdit* m_calendar = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QPushButton* m_set = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_sync = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_result = nullptr;
};

// Adds the section at the foot of the subscriptions window.
void addOwnCalendarSection(QWidget* subscriptionsWindow, OwnCalendar& own);

} // namespace tanzo
