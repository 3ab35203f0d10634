#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace tanzo {

class CalendarSubscriptions;

// カレンダー購読: the subscriptions with their status and last sync, a new
// one added after a test of its connection, one removed, all synced now.
// Modeless; everything it starts answers later, so the clock never waits.
class SubscriptionsDialog : public QDialog {
    Q_OBJECT
public:
    static inline const QString kCaption = QStringLiteral("カレンダー購読");

    explicit SubscriptionsDialog(CalendarSubscriptions& subscriptions, QWidget* parent = nullptr);

    void addSubscription();
    void removeSelected();
    void syncNow();

private:
    void showSubscriptions();
    void showResult(const QString& text);

    CalendarSubscriptions& m_subscriptions;
    QTreeWidget* m_list = nullptr;
    QLineEdit* m_url = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_remove = nullptr;
    QLabel* m_result = nullptr;
};

} // namespace tanzo
