#pragma once

#include "ScheduleCommands.h"

#include "platform/LocalChannel.h"

#include <QByteArray>
#include <QJsonObject>
#include <QObject>

#include <functional>
#include <memory>

namespace tanzo {

class CalendarServices;

// One line of the channel, a command or an answer.
QByteArray channelLine(const QJsonObject& json);
// The moment (on channelClockMs()) after which a command is not to be taken.
inline const QString kChannelDeadlineKey = QStringLiteral("deadline");

// The running board's end of the channel: takes each command and has the
// calendar module run it on the board's store (flags included) and
// subscriptions, which loads the module at the first command; answers with
// the outcome as soon as the file is written.
class CommandServer : public QObject {
    Q_OBJECT
public:
    // `services` gives the calendar module's services, or null when they
    // cannot be had (the command then fails with `unavailable`).
    CommandServer(QString socketPath, std::function<CalendarServices*()> services,
                  QObject* parent = nullptr);
    ~CommandServer() override;

    // Only the instance holding the single-instance lock calls this, so a
    // socket file left by a crash can be removed.
    bool listen();

signals:
    // The program was started again: the board should come to the front.
    void raiseRequested();

private:
    void readRequest(const QByteArray& line, const ChannelListener::Answer& answer);

    QString m_path;
    std::function<CalendarServices*()> m_services;
    std::unique_ptr<ChannelListener> m_listener;
};

} // namespace tanzo
