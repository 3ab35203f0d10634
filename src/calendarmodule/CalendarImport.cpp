#include "CalendarImport.h"

#include "calendar/IcsImport.h"
#include "calendar/IcsWorker.h"
#include "editor/ScheduleSave.h"
#include "platform/Prompts.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QProgressDialog>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace tanzo::calendarimport {
namespace {
const QString kCaption = QStringLiteral("予定の取込");
const QString kReadFailed = QStringLiteral("%1 を読み込めませんでした。");
// A quick import shows no progress box at all.
constexpr int kProgressDelayMs = 300;
} // namespace

struct CalendarImport::Outcome {
    bool readFailed = false;
    IcsImportResult result;
};

QString chooseFile(QWidget* parent) {
    return QFileDialog::getOpenFileName(parent, kCaption, QString(),
                                        QStringLiteral("iCalendar (*.ics);;すべてのファイル (*)"));
}

CalendarImport::CalendarImport(QWidget* parent, Prompts& prompts, const QString& path,
                               std::vector<ListFields> current, const QDate& today, Done done)
    : QObject(parent), m_parent(parent), m_prompts(prompts), m_name(QFileInfo(path).fileName()),
      m_current(std::move(current)), m_done(std::move(done)),
      m_cancel(std::make_shared<std::atomic_bool>(false)),
      m_progress(new QProgressDialog(QStringLiteral("%1 を読み込んでいます...").arg(m_name),
                                     QStringLiteral("中止"), 0, 0, parent)) {
    m_progress->setObjectName(QStringLiteral("importProgress"));
    m_progress->setWindowTitle(kCaption);
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    // The box shows itself only when setValue() is called; it is shown here
    // once the import has taken a moment.
    m_progress->setMinimumDuration(0);
    m_progress->hide();
    connect(m_progress, &QProgressDialog::canceled, this, [this] {
        m_cancel->store(true);
        m_progress->setLabelText(QStringLiteral("中止しています..."));
    });
    QTimer::singleShot(kProgressDelayMs, m_progress, [progress = m_progress, cancel = m_cancel] {
        if (!cancel->load())
            progress->show();
    });

    auto* watcher = new QFutureWatcher<Outcome>(this);
    connect(watcher, &QFutureWatcher<Outcome>::finished, this,
            [this, watcher] { finish(watcher->result()); });
    // On the one libical worker, never beside a subscription's conversion.
    watcher->setFuture(QtConcurrent::run(&ics::worker(), [path, today, cancel = m_cancel] {
        Outcome outcome;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            outcome.readFailed = true;
            return outcome;
        }
        const QByteArray bytes = file.read(kMaxIcsBytes + 1);
        if (bytes.size() > kMaxIcsBytes)
            outcome.result.refusal = IcsImportResult::Refusal::TooLarge;
        else
            outcome.result = readIcs(bytes, today, cancel.get());
        return outcome;
    }));
}

CalendarImport::~CalendarImport() {
    m_cancel->store(true);
    delete m_progress;
}

void CalendarImport::finish(const Outcome& outcome) {
    // Gone before the outcome's box: its delayed showing must not come up
    // while the box is open.
    delete m_progress;
    m_progress = nullptr;
    std::vector<ListFields> lines;
    IcsImportResult result = outcome.result;
    if (outcome.readFailed) {
        m_prompts.show(m_parent, msgbox::Icon::Critical, kCaption, kReadFailed.arg(m_name));
    } else if (!result.isCalendar) {
        m_prompts.show(m_parent, msgbox::Icon::Exclamation, kCaption,
                       refusalMessage(result, m_name));
    } else if (result.cancelled || m_cancel->load()) {
        m_prompts.show(m_parent, msgbox::Icon::Information, kCaption,
                       QStringLiteral("取込を中止しました。予定は追加していません。"));
    } else {
        std::vector<ScheduleEntry> existing;
        for (const ListFields& fields : m_current) {
            if (auto entry = entryFromFields(fields))
                existing.push_back(*entry);
        }
        admitImport(result, existing);
        for (const ScheduleEntry& entry : result.entries)
            lines.push_back(fieldsFromEntry(entry));
        m_prompts.show(m_parent, msgbox::Icon::Information, kCaption, describeImport(result));
    }
    if (m_done)
        m_done(lines);
    deleteLater();
}

} // namespace tanzo::calendarimport
