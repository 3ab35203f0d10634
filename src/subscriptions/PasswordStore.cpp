#include "PasswordStore.h"

#include <qt6keychain/keychain.h>

namespace tanzo {
namespace {
const QString kService = QStringLiteral("Tanzo calendar subscriptions");
}

PasswordStore::PasswordStore(QObject* parent) : QObject(parent) {}

QString PasswordStore::memoryOnlyNote() {
    return QStringLiteral("パスワードを保存できるシークレットサービスがありません。"
                          "パスワードはプログラムが終了するまでだけ覚えておきます。");
}

void PasswordStore::read(const QString& account, ReadDone done) {
    if (m_inMemory.contains(account) || !m_useSecretStore) {
        done(m_inMemory.value(account), QString());
        return;
    }
    auto* job = new QKeychain::ReadPasswordJob(kService, this);
    job->setAutoDelete(true);
    job->setKey(account);
    connect(job, &QKeychain::Job::finished, this, [done = std::move(done)](QKeychain::Job* j) {
        auto* read = static_cast<QKeychain::ReadPasswordJob*>(j);
        if (read->error() == QKeychain::NoError || read->error() == QKeychain::EntryNotFound)
            done(read->textData(), QString());
        else
            done(QString(), QStringLiteral("シークレットサービスからパスワードを読めません: %1")
                                .arg(read->errorString()));
    });
    job->start();
}

void PasswordStore::write(const QString& account, const QString& password, WriteDone done) {
    if (!m_useSecretStore) {
        m_inMemory.insert(account, password);
        done(false, memoryOnlyNote());
        return;
    }
    auto* job = new QKeychain::WritePasswordJob(kService, this);
    job->setAutoDelete(true);
    job->setKey(account);
    job->setTextData(password);
    connect(job, &QKeychain::Job::finished, this,
            [this, account, password, done = std::move(done)](QKeychain::Job* j) {
                if (j->error() == QKeychain::NoError) {
                    m_inMemory.remove(account);
                    done(true, QString());
                    return;
                }
                m_inMemory.insert(account, password);
                done(false, memoryOnlyNote());
            });
    job->start();
}

void PasswordStore::remove(const QString& account) {
    m_inMemory.remove(account);
    if (!m_useSecretStore)
        return;
    auto* job = new QKeychain::DeletePasswordJob(kService, this);
    job->setAutoDelete(true);
    job->setKey(account);
    job->start();
}

} // namespace tanzo
