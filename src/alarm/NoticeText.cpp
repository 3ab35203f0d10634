#include "NoticeText.h"

#include "AlarmEvaluator.h"
#include "CommentLines.h"

namespace tanzo {

NoticeText noticeText(const QString& givenPlace, const QString& comment, int kind,
                      int leadMinutes) {
    const QString firstLine = splitComment(comment)[0];
    const QString& place = givenPlace.isEmpty() ? firstLine : givenPlace;
    NoticeText text;
    switch (kind) {
    case AdvanceNotice:
        text.caption = QStringLiteral("予告 - ") + place;
        text.background = 0xC0FFFF;
        text.message = leadMinutes >= 0
                           ? place + QStringLiteral("へ行く") + QString::number(leadMinutes) +
                                 QStringLiteral("分前になりました。")
                           : place + QStringLiteral("へ行く時刻を") +
                                 QString::number(-qint64(leadMinutes)) +
                                 QStringLiteral("分過ぎました。");
        break;
    case StartNotice:
        text.caption = QStringLiteral("通知 - ") + place;
        text.background = 0x80FF80;
        text.message = place + QStringLiteral("へ行く時刻になりました。");
        break;
    case OverdueWarning:
        text.caption = QStringLiteral("警告 - ") + place;
        text.background = 0x8080FF;
        text.message = place + QStringLiteral("へ行く時刻を過ぎました。");
        break;
    default:
        return {};
    }
    text.message += QStringLiteral("\r\n");
    if (!firstLine.isEmpty() && !givenPlace.isEmpty())
        text.message += QStringLiteral("（") + firstLine + QStringLiteral("）");
    return text;
}

} // namespace tanzo
