#include "Fingerprint.h"

#include <QRegularExpression>
#include <QStringList>

namespace tanzo {

QString shownFingerprint(const QString& fingerprint) {
    QStringList pairs;
    for (qsizetype i = 0; i + 1 < fingerprint.size(); i += 2)
        pairs << fingerprint.mid(i, 2).toUpper();
    return pairs.join(QLatin1Char(':'));
}

std::optional<QString> fingerprintFromText(const QString& text) {
    QString hex = text.trimmed().toLower();
    if (hex.startsWith(QLatin1String("sha256:")))
        hex.remove(0, 7);
    hex.remove(QRegularExpression(QStringLiteral("[:\\s]")));
    static const QRegularExpression kSha256(QStringLiteral("^[0-9a-f]{64}$"));
    if (!kSha256.match(hex).hasMatch())
        return std::nullopt;
    return hex;
}

} // namespace tanzo
