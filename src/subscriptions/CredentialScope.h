#pragma once

#include <QString>
#include <QUrl>

namespace tanzo {

// Scheme, host and port alike (a missing port is the scheme's own): the
// one place a subscription's password may be sent.
bool sameOrigin(const QUrl& a, const QUrl& b);

// Why a redirect from the subscribed address to `to` is not followed, for
// the user; empty when it may be. Never from https to anything weaker, and,
// when the requests carry a password, never to another origin.
QString redirectRefusal(const QUrl& from, const QUrl& to, bool carriesCredentials);

} // namespace tanzo
