#pragma once

#include "calendar/IcsImport.h"
#include "schedule/ScheduleEntry.h"

#include <QByteArray>
#include <QDate>
#include <QJsonObject>
#include <QString>
#include <QTime>

#include <cstdint>
#include <optional>

namespace tanzo {

// One command of the command line, checked for form (not yet against the
// schedule). Import carries the appointments the command line read from the
// file and export returns the file's bytes, so that only the process that
// was started reads and writes the user's files, and a costly calendar
// costs that process, not the board.
struct Command {
    // Raise: a second start of the program asks the running board to come
    // to the front.
    enum class Kind {
        List,
        Add,
        Import,
        Export,
        Subscribe,
        Calendars,
        Subscriptions,
        Unsubscribe,
        OwnCalendar,
        Sync,
        Raise
    };
    Kind kind = Kind::List;
    int days = 1;
    QDate date;
    QTime time;
    QString place;
    QString comment;
    int16_t status = 3;
    QString fileName; // shown in messages
    IcsImportResult imported;
    // Subscriptions: the address, name and user to subscribe with, the
    // password read from standard input (sent only over the private
    // channel), or the name to remove.
    QString address;
    QString name;
    QString user;
    QString password;
    QString calendar;    // the display name of the server's calendar to subscribe
    QString fingerprint; // of the server's certificate to trust, lowercase hex
    int interval = 0;    // minutes between syncs; 0: not given
    // --own-calendar: the address (or "off") in `address`, with calendar,
    // user, password and fingerprint as for --subscribe.

    bool isSubscriptionCommand() const { return kind >= Kind::Subscribe && kind <= Kind::Sync; }
    QJsonObject toJson() const;
    // Empty when the request is not one our command line sends.
    static std::optional<Command> fromJson(const QJsonObject& json);
};

struct CommandOutput {
    int status = 0; // the exit status
    QString out;    // for standard output
    QString err;    // for standard error
    bool changed = false;
    QByteArray fileBytes; // the export

    QJsonObject toJson() const;
    static CommandOutput fromJson(const QJsonObject& json);
    // A command that failed with `status`, and why.
    static CommandOutput failure(int status, const QString& message) {
        CommandOutput out;
        out.status = status;
        out.err = message;
        return out;
    }
};

// Exit statuses: bad input from the user, and a failure of the program or
// its files.
constexpr int kStatusBadInput = 2;
constexpr int kStatusFailed = 1;

class ScheduleStore;

// What a command works on: the appointments as read from the data file,
// and the moment it runs.
struct ScheduleAccess {
    ScheduleStore& schedule; // --list shows its view, subscribed entries included
    QDateTime now;
    int noticeMinutes; // of the export's alarms; negative: at the start
};

// Runs the command. The list changes only when the data file was written
// whole; on any error nothing is written.
CommandOutput runCommand(const Command& command, ScheduleAccess access);

} // namespace tanzo
