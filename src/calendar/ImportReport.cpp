// What an import says to the user: the summary of what it did, and why a
// file was refused.
#include "IcsImport.h"

#include "platform/Cp932.h"

#include <QStringList>

namespace tanzo {
namespace {

// The message lists this many of the left-out events.
constexpr int kShownLeftOut = 50;

} // namespace

QString describeImport(const IcsImportResult& result) {
    QStringList lines;
    if (result.cancelled)
        lines << QStringLiteral("取込を途中で取り消しました。");
    lines << QStringLiteral("%1件の予定を取り込みました。").arg(result.entries.size());
    if (result.calendars > 1)
        lines << QStringLiteral("ファイル内の%1個のカレンダーを読みました。").arg(result.calendars);
    if (result.fromShiftJis)
        lines << QStringLiteral("ファイルはシフトJISとして読みました。");
    if (result.duplicates > 0)
        lines << QStringLiteral("登録済みの予定と同じ%1件は追加していません。")
                     .arg(result.duplicates);
    if (result.overLimit > 0)
        lines << QStringLiteral("予定は%1件までのため、残りの%2件は取り込んでいません。")
                     .arg(MaxDayListEntries)
                     .arg(result.overLimit);
    if (result.allDay > 0)
        lines << QStringLiteral("終日の予定%1件は開始時刻がないため取り込んでいません。")
                     .arg(result.allDay);
    for (const QString& zone : result.costlyZones)
        lines << QStringLiteral("時間帯 %1 の定義は変化が多すぎるため使いませんでした。")
                     .arg(cp932::storable(zone));
    const int leftOut = static_cast<int>(result.leftOut.size()) + result.leftOutUnlisted;
    if (leftOut > 0) {
        lines << QStringLiteral("次の%1件は取り込めませんでした。").arg(leftOut);
        int shown = 0;
        for (const LeftOutEvent& e : result.leftOut) {
            if (++shown > kShownLeftOut)
                break;
            lines << QStringLiteral("  %1 %2 %3：%4")
                         .arg(e.date.isValid() ? e.date.toString(QStringLiteral("yyyy/MM/dd"))
                                               : QStringLiteral("----/--/--"),
                              e.time.isValid() ? e.time.toString(QStringLiteral("HH:mm"))
                                               : QStringLiteral("--:--"),
                              cp932::storable(e.title), e.reason);
        }
        if (leftOut > kShownLeftOut)
            lines << QStringLiteral("  ほか%1件").arg(leftOut - kShownLeftOut);
    }
    return lines.join(QLatin1Char('\n'));
}

QString tooLargeMessage(const QString& fileName) {
    return QStringLiteral("%1 は大きすぎます（%2MBまでのファイルを取り込めます）。")
        .arg(fileName)
        .arg(kMaxIcsBytes / (1024 * 1024));
}

QString refusalMessage(const IcsImportResult& result, const QString& fileName) {
    switch (result.refusal) {
    case IcsImportResult::Refusal::TooLarge:
        return tooLargeMessage(fileName);
    case IcsImportResult::Refusal::LongLine:
        return QStringLiteral("%1 には%2KBを超える長い行があるため、読み込めません。")
            .arg(fileName)
            .arg(kMaxIcsLineBytes / 1024);
    case IcsImportResult::Refusal::Encoding:
        return QStringLiteral("%1 の文字コードはUTF-8でもシフトJISでもないため、読み込めません。")
            .arg(fileName);
    case IcsImportResult::Refusal::NulByte:
        return QStringLiteral("%1 にはNUL文字（0x00）が含まれているため、読み込めません。")
            .arg(fileName);
    case IcsImportResult::Refusal::TooDeep:
        return QStringLiteral("%1 は入れ子が%2段より深いため、読み込めません。")
            .arg(fileName)
            .arg(kMaxIcsNesting);
    case IcsImportResult::Refusal::Unbalanced:
        return QStringLiteral("%1 はBEGINとENDの対応が崩れているため、読み込めません。")
            .arg(fileName);
    case IcsImportResult::Refusal::NotCalendar:
    case IcsImportResult::Refusal::None:
        break;
    }
    return QStringLiteral("%1 はiCalendar形式のファイルではありません。").arg(fileName);
}

} // namespace tanzo
