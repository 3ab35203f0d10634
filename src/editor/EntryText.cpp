#include "EntryText.h"

#include "ScheduleEditorForm.h"
#include "platform/Cp932.h"
#include "platform/Prompts.h"

#include <QLineEdit>

namespace tanzo {

const QString kEntryTextRefused =
    QStringLiteral("保存できない文字（絵文字や一部の記号など）は入力できません。");

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

QValidator::State EntryTextValidator::validate(QString& input, int& pos) const {
    // Input methods give 〜 for ～ and the like: they are taken as the
    // characters the file holds; control characters are dropped.
    const QString text = cleanEntryText(cp932::storable(input));
    if (!cp932::encodable(text)) {
        // validate() is const for the box's sake; the signal changes nothing.
        emit const_cast<EntryTextValidator*>(this)->refused();
        return Invalid;
    }
    // Characters are mapped one for one or dropped: the cursor stays after
    // what was before it.
    pos = static_cast<int>(cp932::storable(input.left(pos)).size());
    input = text;
    return Acceptable;
}

void guardEntryText(QLineEdit* box, Prompts& prompts) {
    auto* validator = new EntryTextValidator(box);
    box->setValidator(validator);
    // Queued: the box finishes undoing the edit before the modal box opens.
    QObject::connect(
        validator, &EntryTextValidator::refused, box,
        [box, &prompts] {
            prompts.show(box->window(), msgbox::Icon::Exclamation, kEditorCaption,
                         kEntryTextRefused);
        },
        Qt::QueuedConnection);
}

} // namespace tanzo
