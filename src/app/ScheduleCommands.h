#pragma once

#include "schedule/ScheduleEntry.h"

#include <QByteArray>
#include <QDate>
#include <QJsonObject>
#include <QString>
#include <QTime>

#include <cstdint>

namespace tanzo {

// One command of the command line, checked for form (not yet against the
// schedule). Import carries the file's bytes and export returns them, so
// that only the process that was started reads and writes the user's files.
struct Command {
    enum class Kind { List, Add, Import, Export, Subscribe, Subscriptions, Unsubscribe, Sync };
    Kind kind = Kind::List;
    int days = 1;
    QDate date;
    QTime time;
    QString place;
    QString comment;
    int16_t status = 3;
    QString fileName; // shown in messages
    QByteArray fileBytes;
    // Subscriptions: the address, name and user to subscribe with, the
    // password read from standard input (sent only over the private
    // channel), or the name to remove.
    QString address;
    QString name;
    QString user;
    QString password;

    bool isSubscriptionCommand() const { return kind >= Kind::Subscribe; }
    QJsonObject toJson() const;
    static Command fromJson(const QJsonObject& json);
};

struct CommandOutput {
    int status = 0; // the exit status
    QString out;    // for standard output
    QString err;    // for standard error
    bool changed = false;
    QByteArray fileBytes; // the export

    QJsonObject toJson() const;
    static CommandOutput fromJson(const QJsonObject& json);
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
