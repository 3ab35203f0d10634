#include "EntryText.h"

namespace tanzo {

QString cleanEntryText(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        if (c == QLatin1Char('"'))
            c = QChar(u'\uFF02');
        else if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    }
    return out;
}

QValidator::State EntryTextValidator::validate(QString& input, int& /*pos*/) const {
    // One character for one, so the cursor stays where it was.
    input = cleanEntryText(input);
    return Acceptable;
}

} // namespace tanzo
