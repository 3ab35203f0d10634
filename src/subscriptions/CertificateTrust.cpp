#include "CertificateTrust.h"

#include <QNetworkReply>
#include <QRegularExpression>
#include <QSslCertificate>
#include <QSslError>

namespace tanzo {

QString certificateFingerprint(const QSslCertificate& certificate) {
    return QString::fromLatin1(certificate.digest(QCryptographicHash::Sha256).toHex());
}

void checkCertificateAgainst(QNetworkReply* reply, const QString& trusted, QString* seen) {
    QObject::connect(reply, &QNetworkReply::sslErrors, reply,
                     [reply, trusted, seen](const QList<QSslError>& errors) {
                         QSslCertificate certificate = reply->sslConfiguration().peerCertificate();
                         if (certificate.isNull() && !errors.isEmpty())
                             certificate = errors.first().certificate();
                         const QString fingerprint = certificateFingerprint(certificate);
                         if (!certificate.isNull() && !trusted.isEmpty() && fingerprint == trusted)
                             reply->ignoreSslErrors(errors);
                         else
                             *seen = fingerprint;
                     });
}

QString untrustedCertificateText(const QString& seen, const QString& trusted,
                                 const QString& reason) {
    if (seen.isEmpty())
        return QStringLiteral("サーバーの証明書を確かめられませんでした: %1").arg(reason);
    const QString shown = shownFingerprint(seen);
    if (!trusted.isEmpty())
        return QStringLiteral("サーバーの証明書が、信頼したものから変わっています。"
                              "新しい証明書の SHA-256 指紋: %1")
            .arg(shown);
    return QStringLiteral("サーバーの証明書を確かめられませんでした: %1\n"
                          "この証明書の SHA-256 指紋: %2\n"
                          "確かにそのサーバーのものなら、この証明書を信頼できます"
                          "（コマンドラインでは --trust-fingerprint）。")
        .arg(reason, shown);
}

} // namespace tanzo
