#pragma once

#include "Fingerprint.h"

#include <QString>

class QNetworkReply;
class QSslCertificate;

namespace tanzo {

// A certificate the system does not trust (a self-hosted server's own) may
// be trusted for one subscription by its SHA-256 fingerprint: that exact
// certificate then, and no other; a changed one is refused again.

// Lowercase hex, 64 characters.
QString certificateFingerprint(const QSslCertificate& certificate);

// Lets the reply through a certificate error only when the server's
// certificate is the trusted one; otherwise *seen gets its fingerprint for
// untrustedCertificateText. `seen` must outlive the reply's signals.
void checkCertificateAgainst(QNetworkReply* reply, const QString& trusted, QString* seen);

// What the user reads when the certificate was refused.
QString untrustedCertificateText(const QString& seen, const QString& trusted,
                                 const QString& reason);

} // namespace tanzo
