#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

namespace tanzo {

// Passwords of subscriptions in the desktop's secret store (Secret Service
// through QtKeychain), never in a file of ours. Where no secret store
// answers, a password is kept in memory until the program ends, and the
// caller is told so. Every call answers later, through its callback.
class PasswordStore : public QObject {
    Q_OBJECT
public:
    using ReadDone = std::function<void(const QString& password, const QString& problem)>;
    using WriteDone = std::function<void(bool kept, const QString& note)>;
    using RemoveDone = std::function<void(const QString& problem)>;

    explicit PasswordStore(QObject* parent = nullptr);

    void read(const QString& account, ReadDone done);
    void write(const QString& account, const QString& password, WriteDone done);
    // Answers once the secret store has let go of it (a command that ends
    // sooner would leave it there); problem is empty when it is gone.
    void remove(const QString& account, RemoveDone done = {});

    // For tests and for a session without a secret store.
    void setUseSecretStore(bool use) { m_useSecretStore = use; }

    static QString memoryOnlyNote();

private:
    QHash<QString, QString> m_inMemory;
    bool m_useSecretStore = true;
};

} // namespace tanzo
