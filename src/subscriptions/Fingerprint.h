#pragma once

#include <QString>

#include <optional>

namespace tanzo {

// Certificate fingerprints as the user reads and types them (SHA-256,
// stored as lowercase hex, 64 characters).

// As people compare them: "AB:CD:…".
QString shownFingerprint(const QString& fingerprint);
// What the user typed, with or without colons or spaces, in either case;
// empty when it is not a SHA-256 fingerprint.
std::optional<QString> fingerprintFromText(const QString& text);

} // namespace tanzo
