#pragma once

#include <QString>
#include <QUrl>

class QAuthenticator;

namespace tanzo {

// Scheme, host and port alike (a missing port is the scheme's own): the
// one place a subscription's password may be sent.
bool sameOrigin(const QUrl& a, const QUrl& b);

// Answers a server's challenge for `asked` with the user's credentials, only
// when there is a user, `asked` is the origin they belong to and they were
// not offered before on this request (asked again means they were refused,
// and the answer's 401 says so).
void offerCredentialsOnce(QAuthenticator* authenticator, const QUrl& asked, const QUrl& origin,
                          const QString& user, const QString& password, bool& offered);

// Why a redirect from the subscribed address to `to` is not followed, for
// the user; empty when it may be. Never from https to anything weaker, and,
// when the requests carry a password, never to another origin.
QString redirectRefusal(const QUrl& from, const QUrl& to, bool carriesCredentials);

} // namespace tanzo
