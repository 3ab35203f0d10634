#pragma once

#include <QString>
#include <QValidator>

class QLineEdit;

namespace tanzo {

class Prompts;

// The data file keeps place and comment in double quotes with no escape and
// one entry per line, so a double quote becomes its full-width form and a
// line break a space, the same way the data file's writer stores them.
QString cleanEntryText(const QString& text);

// Applies cp932::storable and cleanEntryText to whatever is typed or pasted
// into a text box (look-alikes mapped, control characters dropped), and
// refuses text the data file cannot hold (characters outside code page 932,
// such as emoji): the box keeps what it held, and refused() is emitted.
class EntryTextValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;

signals:
    void refused();
};

// Puts the validator on an editor text box; a refusal is told in the
// editor's message box once the edit is over.
void guardEntryText(QLineEdit* box, Prompts& prompts);

extern const QString kEntryTextRefused;

} // namespace tanzo
