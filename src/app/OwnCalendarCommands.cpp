#include "OwnCalendarCommands.h"

#include "owncalendar/OwnCalendar.h"
#include "owncalendar/OwnCalendarSetup.h"
#include "subscriptions/Subscription.h"

#include <QPointer>

#include <algorithm>

namespace tanzo {
namespace {

void setOwnCalendar(const Command& c, OwnCalendar& own,
                    std::function<void(const CommandOutput&)> done) {
    if (!c.user.isEmpty() && c.password.isEmpty()) {
        done(CommandOutput::failure(
            kStatusBadInput, QStringLiteral("--user にはパスワードが要ります: --password-stdin "
                                            "で標準入力から渡してください。")));
        return;
    }
    QPointer<OwnCalendar> guard(&own);
    setUpOwnCalendar(
        own, {c.address, c.calendar, c.user, c.password, c.fingerprint},
        [guard, done](const OwnCalendarSetUp& setUp) {
            using Outcome = OwnCalendarSetUp::Outcome;
            if (setUp.outcome == Outcome::BadRequest || setUp.outcome == Outcome::NotFound) {
                done(CommandOutput::failure(setUp.outcome == Outcome::BadRequest ? kStatusBadInput
                                                                                 : kStatusFailed,
                                            setUp.message));
                return;
            }
            CommandOutput out;
            out.changed = true;
            out.out = QStringLiteral("自分のカレンダーを設定しました: %1\n")
                          .arg(maskedAddress(setUp.url));
            if (setUp.outcome == Outcome::NotSynced) {
                out.status = kStatusFailed;
                out.err = QStringLiteral("同期できませんでした（送信待ちの予定は、"
                                         "サーバーが応答したときに送ります）: %1")
                              .arg(setUp.message);
            } else {
                out.err = setUp.message;
                if (guard)
                    out.out += QStringLiteral("自分のカレンダー: %1\n").arg(guard->status());
            }
            done(out);
        });
}

} // namespace

bool concernsOwnCalendar(const Command& command) {
    return command.kind == Command::Kind::OwnCalendar || command.kind == Command::Kind::Sync ||
           command.kind == Command::Kind::Subscriptions;
}

void runOwnCalendarCommand(const Command& command, OwnCalendar& own,
                           std::function<void(const CommandOutput&)> done) {
    if (command.kind == Command::Kind::Subscriptions) {
        done({}); // its line follows the subscriptions' (ownCalendarLine)
        return;
    }
    if (command.kind == Command::Kind::Sync) {
        if (!own.isSet()) {
            done({});
            return;
        }
        QPointer<OwnCalendar> guard(&own);
        own.sync([guard, done](bool ok, const QString& message) {
            CommandOutput out;
            out.status = ok ? 0 : kStatusFailed;
            const QString status = guard ? guard->status() : QString();
            if (ok)
                out.out = QStringLiteral("自分のカレンダー: 同期しました（%1）\n").arg(status);
            else
                out.err = QStringLiteral("自分のカレンダー: %1\n").arg(status);
            if (ok && !message.isEmpty())
                out.err = message + QLatin1Char('\n');
            done(out);
        });
        return;
    }
    if (command.address == QLatin1String("off")) {
        own.clear([done](bool ok, const QString& message) {
            if (!ok) {
                done(CommandOutput::failure(kStatusBadInput, message));
                return;
            }
            CommandOutput out;
            out.changed = true;
            out.out = QStringLiteral("自分のカレンダーの同期をやめました。\n");
            out.err = message;
            done(out);
        });
        return;
    }
    setOwnCalendar(command, own, std::move(done));
}

QString ownCalendarLine(const OwnCalendar& own) {
    const auto config = own.config();
    if (!config)
        return {};
    return QStringLiteral("自分のカレンダー  %1  %2\n")
        .arg(maskedAddress(config->url), own.status());
}

CommandOutput joinedOutputs(const CommandOutput& first, const CommandOutput& second) {
    CommandOutput out = second;
    out.status = std::max(first.status, second.status);
    out.out = first.out + second.out;
    out.err = first.err + second.err;
    out.changed = first.changed || second.changed;
    return out;
}

} // namespace tanzo
