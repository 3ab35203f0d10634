#pragma once

#include <QString>
#include <QValidator>

namespace tanzo {

// The data file keeps place and comment in double quotes with no escape and
// one entry per line, so a double quote becomes its full-width form and a
// line break a space, the same way the data file's writer stores them.
QString cleanEntryText(const QString& text);

// Applies cleanEntryText to whatever is typed or pasted into a text box.
class EntryTextValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

} // namespace tanzo
