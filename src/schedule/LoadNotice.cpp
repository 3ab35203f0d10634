#include "LoadNotice.h"

#include <QDir>

namespace tanzo {

QString loadNoticeText(const DataFile::LoadReport& report, const QString& dataPath,
                       const QString& backupPath) {
    QString text;
    if (report.fileUnreadable)
        text += QStringLiteral("スケジュールデータを読み込めませんでした。");
    if (report.unreadable > 0) {
        text += QStringLiteral("スケジュールデータの%1行を読み込めませんでした（最初は%2行目）。")
                    .arg(report.unreadable)
                    .arg(report.lineNumber);
    }
    if (report.overLimit) {
        text += QStringLiteral("予定が%1件を超えるため、%2件を読み込めませんでした。")
                    .arg(MaxDayListEntries)
                    .arg(report.leftOut);
    }
    if (text.isEmpty())
        return text;
    text += QStringLiteral("読み込めなかった予定は表示されません。\n");
    text += QStringLiteral("元のデータは「%1」にあり、次に書き込む前に「%2」へ保存されます。")
                .arg(QDir::toNativeSeparators(dataPath), QDir::toNativeSeparators(backupPath));
    return text;
}

} // namespace tanzo
