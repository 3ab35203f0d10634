#include "CredentialScope.h"

#include "Subscription.h"

#include <QAuthenticator>

namespace tanzo {

bool sameOrigin(const QUrl& a, const QUrl& b) {
    const auto port = [](const QUrl& u) {
        return u.port(u.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443
                                                                                           : 80);
    };
    return a.scheme().compare(b.scheme(), Qt::CaseInsensitive) == 0 &&
           a.host().compare(b.host(), Qt::CaseInsensitive) == 0 && port(a) == port(b);
}

void offerCredentialsOnce(QAuthenticator* authenticator, const QUrl& asked, const QUrl& origin,
                          const QString& user, const QString& password, bool& offered) {
    if (user.isEmpty() || offered || !sameOrigin(asked, origin))
        return;
    offered = true;
    authenticator->setUser(user);
    authenticator->setPassword(password);
}

QString redirectRefusal(const QUrl& from, const QUrl& to, bool carriesCredentials) {
    const QString target = maskedAddress(to);
    if (to.scheme() != QLatin1String("https") && to.scheme() != QLatin1String("http"))
        return QStringLiteral("転送先のURLが使えません: %1").arg(target);
    if (from.scheme() == QLatin1String("https") && to.scheme() != QLatin1String("https"))
        return QStringLiteral(
                   "暗号化された https:// から暗号化されない転送先へは進みませんでした: %1")
            .arg(target);
    if (carriesCredentials && !sameOrigin(from, to))
        return QStringLiteral(
                   "パスワードを別のサーバーに渡さないよう、転送先へは進みませんでした: %1")
            .arg(target);
    return {};
}

} // namespace tanzo
