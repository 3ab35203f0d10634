#pragma once

#include "services/CalendarServices.h"
#include "subscriptions/NetworkSyncMachinery.h"

#include <QPointer>
#include <QWidget>

#include <memory>

namespace tanzo {

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
    QWidget* subscriptionsWindow() override;
    void importCalendar(QWidget* editor, std::vector<ListFields> current, const QDate& today,
                        ImportDone done) override;

private:
    Board m_board;
    NetworkSyncMachinery m_machinery;
    QPointer<QWidget> m_subscriptionsWindow;
};

} // namespace tanzo
