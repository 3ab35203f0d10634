#pragma once

#include "services/CalendarServices.h"
#include "subscriptions/NetworkSyncMachinery.h"

#include <QPointer>
#include <QWidget>

#include <memory>

namespace tanzo {

class OwnCalendar;

// The calendar module's services for one board: the network syncs, the
// command line's commands, the subscriptions' window and the editor's import.
class ModuleServices : public CalendarServices {
public:
    explicit ModuleServices(const Board& board);
    ~ModuleServices() override;

    SyncMachinery& syncMachinery() override { return m_machinery; }
    NetworkSyncMachinery& networkMachinery() { return m_machinery; }
    void runCommand(const Command& command,
                    std::function<void(const CommandOutput&)> done) override;
    void syncOwnCalendar() override;
    std::vector<ReadOnlyEntry> ownSeries() const override;
    QWidget* subscriptionsWindow() override;
    void importCalendar(QWidget* editor, std::vector<ListFields> current, const QDate& today,
                        ImportDone done) override;

private:
    void startOwnCalendar();
    // The own calendar's answer to a command that concerns it; an empty one
    // for the others.
    void runOwnCalendarPart(const Command& command, std::function<void(const CommandOutput&)> done);

    Board m_board;
    NetworkSyncMachinery m_machinery;
    std::unique_ptr<OwnCalendar> m_ownCalendar; // null without subscriptions' folder
    QPointer<QWidget> m_subscriptionsWindow;
};

} // namespace tanzo
