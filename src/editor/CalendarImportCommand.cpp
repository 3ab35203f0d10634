#include "CalendarImportCommand.h"

#include "ScheduleSave.h"
#include "calendar/IcsImport.h"
#include "platform/MessageBox.h"
#include "platform/Twips.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>

namespace tanzo::calendarimport {
namespace {
const QString kCaption = QStringLiteral("予定の取込");
const QString kReadFailed = QStringLiteral("%1 を読み込めませんでした。");
// Beside the copy button (3840, 1890) in the list's frame, in twips.
constexpr int kLeft = 165;
constexpr int kTop = 1890;
constexpr int kWidth = 1155;
constexpr int kHeight = 375;
} // namespace

QPushButton* createButton(QWidget* listFrame) {
    auto* button = new QPushButton(QStringLiteral("取込(&I)..."), listFrame);
    button->setObjectName(QStringLiteral("cmdImport"));
    button->setAutoDefault(false);
    const Twips twips = Twips::fromPrimaryScreen();
    button->setGeometry(twips.toPixels(kLeft), twips.toPixels(kTop), twips.toPixels(kWidth),
                        twips.toPixels(kHeight));
    return button;
}

QString chooseFile(QWidget* parent) {
    return QFileDialog::getOpenFileName(parent, kCaption, QString(),
                                        QStringLiteral("iCalendar (*.ics);;すべてのファイル (*)"));
}

std::vector<ListFields> importFile(QWidget* parent, const QString& path,
                                   const std::vector<ListFields>& current, const QDate& today) {
    QFile file(path);
    const QString name = QFileInfo(path).fileName();
    if (!file.open(QIODevice::ReadOnly)) {
        msgbox::show(parent, msgbox::Icon::Critical, kCaption, kReadFailed.arg(name));
        return {};
    }
    std::vector<ScheduleEntry> existing;
    for (const ListFields& fields : current) {
        if (auto entry = entryFromFields(fields))
            existing.push_back(*entry);
    }
    const IcsImportResult result = importIcs(file.readAll(), today, existing);
    if (!result.isCalendar) {
        msgbox::show(parent, msgbox::Icon::Exclamation, kCaption, refusalMessage(result, name));
        return {};
    }
    std::vector<ListFields> lines;
    for (const ScheduleEntry& entry : result.entries)
        lines.push_back(fieldsFromEntry(entry));
    msgbox::show(parent, msgbox::Icon::Information, kCaption, describeImport(result));
    return lines;
}

} // namespace tanzo::calendarimport
