#include "SecretStorePasswords.h"

#include <qt6keychain/keychain.h>

namespace tanzo {
namespace {
const QString kService = QStringLiteral("Tanzo calendar subscriptions");
}

SecretStorePasswords::SecretStorePasswords(QObject* parent) : QObject(parent) {}

QString SecretStorePasswords::memoryOnlyNote() {
    return QStringLiteral("パスワードを保存できるシークレットサービスがありません。"
                          "パスワードはプログラムが終了するまでだけ覚えておきます。");
}

void SecretStorePasswords::read(const QString& account, ReadDone done) {
    if (m_inMemory.contains(account)) {
        done(m_inMemory.value(account), QString());
        return;
    }
    auto* job = new QKeychain::ReadPasswordJob(kService, this);
    job->setAutoDelete(true);
    job->setKey(account);
    connect(job, &QKeychain::Job::finished, this, [done = std::move(done)](QKeychain::Job* j) {
        auto* read = static_cast<QKeychain::ReadPasswordJob*>(j);
        switch (read->error()) {
        case QKeychain::NoError:
            done(read->textData(), QString());
            return;
        // Kept only in memory when it was given (no secret store then), or
        // removed by hand: the server would only answer 401.
        case QKeychain::EntryNotFound:
            done(QString(), QStringLiteral("パスワードが保存されていません。"
                                           "購読を追加し直すか、パスワードを入れ直してください。"));
            return;
        case QKeychain::NoBackendAvailable:
            done(QString(), QStringLiteral("パスワードを保存するシークレットサービスがありません"
                                           "（%1）。")
                                .arg(read->errorString()));
            return;
        default:
            done(QString(), QStringLiteral("シークレットサービスからパスワードを読めません: %1")
                                .arg(read->errorString()));
        }
    });
    job->start();
}

void SecretStorePasswords::write(const QString& account, const QString& password, WriteDone done) {
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

void SecretStorePasswords::remove(const QString& account, RemoveDone done) {
    m_inMemory.remove(account);
    auto* job = new QKeychain::DeletePasswordJob(kService, this);
    job->setAutoDelete(true);
    job->setKey(account);
    connect(job, &QKeychain::Job::finished, this, [done = std::move(done)](QKeychain::Job* j) {
        if (!done)
            return;
        const bool gone = j->error() == QKeychain::NoError ||
                          j->error() == QKeychain::EntryNotFound ||
                          j->error() == QKeychain::NoBackendAvailable;
        done(gone ? QString()
                  : QStringLiteral("シークレットサービスからパスワードを消せませんでした: %1")
                        .arg(j->errorString()));
    });
    job->start();
}

} // namespace tanzo
