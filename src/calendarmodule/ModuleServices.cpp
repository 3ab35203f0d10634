#include "ModuleServices.h"

#include "CalendarImport.h"
#include "SubscriptionsDialog.h"
#include "app/CommandChannel.h"

namespace tanzo {

ModuleServices::ModuleServices(const Board& board) : m_board(board) {}

ModuleServices::~ModuleServices() {
    // Its window refers to the subscriptions, which the board drops next.
    delete m_subscriptionsWindow.data();
}

bool ModuleServices::openCommandChannel(const QString& socketPath, std::function<void()> raise) {
    // Commands from the command line go to the store; the board redraws
    // when the store announces the change.
    m_commands = std::make_unique<CommandServer>(m_board.state, socketPath);
    QObject::connect(m_commands.get(), &CommandServer::raiseRequested, m_commands.get(),
                     std::move(raise));
    m_commands->setSubscriptions(m_board.subscriptions);
    return m_commands->listen();
}

QWidget* ModuleServices::subscriptionsWindow() {
    if (!m_subscriptionsWindow && m_board.subscriptions)
        m_subscriptionsWindow = new SubscriptionsDialog(*m_board.subscriptions);
    return m_subscriptionsWindow;
}

void ModuleServices::importCalendar(QWidget* editor, std::vector<ListFields> current,
                                    const QDate& today, ImportDone done) {
    const QString path = calendarimport::chooseFile(editor);
    if (path.isEmpty())
        return;
    new calendarimport::CalendarImport(editor, m_board.prompts, path, std::move(current), today,
                                       std::move(done));
}

} // namespace tanzo
