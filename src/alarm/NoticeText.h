#pragma once

#include "core/Settings.h"

#include <QString>

namespace tanzo {

// What a notice window says for one notice kind (0 advance, 1 start,
// 2 overdue).
struct NoticeText {
    QString caption;
    BgrColor background = 0;
    // One or two lines separated by CR LF.
    QString message;
};

// Caption, background and message of a notice. The second line carries the
// comment's first display line in full-width parentheses, when there is one;
// an appointment without a place is named by that line instead. An advance
// notice comes `leadMinutes` before the start, or after it when negative
// (an event's own reminder). Returns an empty caption for an unknown kind.
NoticeText noticeText(const QString& place, const QString& comment, int kind, int leadMinutes);

} // namespace tanzo
