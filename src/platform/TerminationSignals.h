#pragma once

#include <QObject>

class QSocketNotifier;

namespace tanzo {

// Turns SIGTERM, SIGINT and SIGHUP (logout, `kill`, Ctrl+C in a terminal)
// into a Qt signal delivered by the event loop, so that the program can end
// through its own exit command and keep the appointments and settings.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void terminationRequested();

private:
    void reportTermination();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace tanzo
