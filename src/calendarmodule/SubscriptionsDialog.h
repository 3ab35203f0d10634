#pragma once

#include "subscriptions/Subscription.h"

#include <QDialog>
#include <QPointer>

class QFormLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QPushButton;
class QTreeWidget;

namespace tanzo {

class CalendarDiscovery;
class CalendarSubscriptions;
struct DiscoveryResult;

// カレンダー購読: the subscriptions with their status and last sync, a new
// one added after a test of its connection, one removed once confirmed,
// all synced now. A server's address lists its calendars with check boxes
// to add the chosen ones. Modeless; everything it starts answers later, so
// the clock never waits, and the connection test can be stopped.
class SubscriptionsDialog : public QDialog {
    Q_OBJECT
public:
    static inline const QString kCaption = QStringLiteral("カレンダー購読");

    explicit SubscriptionsDialog(CalendarSubscriptions& subscriptions, QWidget* parent = nullptr);

    void addSubscription();
    void addChosenCalendars();
    void cancelTest();
    // The certificate just refused is trusted for the address in the form,
    // and the test runs again.
    void trustCertificate();
    // The selected subscription takes the form's name, user, interval and,
    // when one is typed, password (tested first).
    void changeSelected();
    // Asks first; removeNamed once the user agrees.
    void removeSelected();
    void syncNow();

private:
    void createList();
    QFormLayout* createForm();
    void followSubscriptions();
    void showSubscriptions();
    void showResult(const QString& text);
    void showFound(const Subscription& typed, const DiscoveryResult& result);
    void addTested(const Subscription& s);
    void removeNamed(const QString& name);
    void setTesting(bool testing);
    void offerTrust(const QString& fingerprint);
    void showSelected();

    CalendarSubscriptions& m_subscriptions;
    QTreeWidget* m_list = nullptr;
    QLineEdit* m_url = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_trust = nullptr;
    QPushButton* m_change = nullptr;
    QSpinBox* m_interval = nullptr;
    QPushButton* m_addChosen = nullptr;
    QListWidget* m_found = nullptr; // a server's calendars, to tick
    QLabel* m_result = nullptr;
    QPointer<CalendarDiscovery> m_discovery;
    bool m_cancelled = false; // the user stopped the test: nothing follows it
    QStringList m_testing;    // names whose connection test runs
    QString m_foundUser;      // the user and password the calendars were found with
    QString m_foundPassword;
    QString m_refused; // the fingerprint of the certificate just refused
    QString m_trusted; // and trusted, for the address below
    QString m_trustedAddress;
};

} // namespace tanzo
