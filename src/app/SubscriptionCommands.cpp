#include "SubscriptionCommands.h"

#include "subscriptions/CalendarDiscovery.h"
#include "subscriptions/CalendarSubscriptions.h"

#include <QNetworkAccessManager>
#include <QPointer>

#include <memory>

namespace tanzo {
namespace {

QString when(const QDateTime& t) {
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-dd HH:mm")) : QStringLiteral("未同期");
}

CommandOutput listSubscriptions(const CalendarSubscriptions& subscriptions) {
    CommandOutput out;
    for (const Subscription& s : subscriptions.subscriptions()) {
        const SubscriptionCopy copy = subscriptions.copyOf(s.name);
        out.out += QStringLiteral("%1  %2  最終同期 %3  %4  %5件\n")
                       .arg(s.name, maskedAddress(s.url), when(copy.lastSync),
                            subscriptions.statusOf(s.name))
                       .arg(copy.entryCount());
    }
    if (out.out.isEmpty())
        out.out = QStringLiteral("購読しているカレンダーはありません。\n");
    return out;
}

const QString kPasswordNeeded = QStringLiteral(
    "--user にはパスワードが要ります: --password-stdin で標準入力から渡してください。");

// Asks the server at the command's address for the user's calendars; the
// network is the discovery's own and goes with it.
void discover(const Command& c, std::function<void(const DiscoveryResult&)> done) {
    QString error;
    const auto s = subscriptionFromAddress(c.address, &error);
    if (!s || s->url.isLocalFile()) {
        DiscoveryResult refused;
        refused.problem =
            s ? QStringLiteral("カレンダーを探すにはサーバーのURLを指定してください。") : error;
        done(refused);
        return;
    }
    auto* network = new QNetworkAccessManager;
    network->setAutoDeleteReplies(false);
    auto* discovery = new CalendarDiscovery(s->url, c.user, c.password, *network);
    discovery->setTrustedCertificate(c.fingerprint);
    network->setParent(discovery);
    QObject::connect(discovery, &CalendarDiscovery::finished, discovery, std::move(done));
    discovery->start();
}

QString calendarLines(const std::vector<FoundCalendar>& calendars) {
    QString lines;
    for (const FoundCalendar& found : calendars)
        lines += QStringLiteral("%1  %2%3\n")
                     .arg(found.name, maskedAddress(found.url),
                          found.color.isEmpty() ? QString() : QStringLiteral("  ") + found.color);
    return lines;
}

void listCalendars(const Command& c, std::function<void(const CommandOutput&)> done) {
    if (!c.user.isEmpty() && c.password.isEmpty()) {
        done(CommandOutput::failure(kStatusBadInput, kPasswordNeeded));
        return;
    }
    discover(c, [done](const DiscoveryResult& result) {
        if (!result.ok) {
            done(CommandOutput::failure(
                kStatusFailed,
                QStringLiteral("カレンダーを探せませんでした: %1").arg(result.problem)));
            return;
        }
        CommandOutput out;
        out.out = calendarLines(result.calendars);
        done(out);
    });
}

void subscribeTo(Subscription s, const Command& c, CalendarSubscriptions& subscriptions,
                 std::function<void(const CommandOutput&)> done);

// --subscribe with the name of a subscription: what else is given changes.
void changeSubscription(const Subscription& existing, const Command& c,
                        CalendarSubscriptions& subscriptions,
                        std::function<void(const CommandOutput&)> done) {
    Subscription changed = existing;
    if (!c.name.isEmpty())
        changed.name = c.name.trimmed();
    if (!isUsableSubscriptionName(changed.name)) {
        done(CommandOutput::failure(
            kStatusBadInput,
            QStringLiteral("購読の名前は1〜%1文字で、改行や / を含まないものにしてください。")
                .arg(kMaxSubscriptionNameLength)));
        return;
    }
    if (c.interval > 0)
        changed.refreshMinutes = c.interval;
    if (!c.user.isEmpty())
        changed.user = c.user;
    if (!c.fingerprint.isEmpty())
        changed.trustedCertificate = c.fingerprint;
    if (!c.user.isEmpty() && c.password.isEmpty()) {
        done(CommandOutput::failure(kStatusBadInput, kPasswordNeeded));
        return;
    }
    if (changed.name == existing.name && changed.refreshMinutes == existing.refreshMinutes &&
        c.user.isEmpty() && c.password.isEmpty() && c.fingerprint.isEmpty()) {
        done(CommandOutput::failure(
            kStatusBadInput,
            QStringLiteral("変えるものを指定してください（--name、--password-stdin、"
                           "--interval など）: %1")
                .arg(existing.name)));
        return;
    }
    const auto password = c.password.isEmpty() ? std::nullopt : std::optional(c.password);
    subscriptions.change(
        existing.name, changed, password, [name = changed.name, done](bool ok, const QString& m) {
            if (!ok) {
                done(CommandOutput::failure(kStatusFailed,
                                            QStringLiteral("変えられませんでした: %1").arg(m)));
                return;
            }
            CommandOutput out;
            out.changed = true;
            out.out = QStringLiteral("購読を変えました: %1\n").arg(name);
            out.err = m;
            done(out);
        });
}

void subscribe(const Command& c, CalendarSubscriptions& subscriptions,
               std::function<void(const CommandOutput&)> done) {
    for (const Subscription& existing : subscriptions.subscriptions()) {
        if (existing.name == c.address) {
            changeSubscription(existing, c, subscriptions, std::move(done));
            return;
        }
    }
    QString error;
    auto s = subscriptionFromAddress(c.address, &error);
    if (!s) {
        done(CommandOutput::failure(kStatusBadInput, error));
        return;
    }
    s->trustedCertificate = c.fingerprint;
    if (c.calendar.isEmpty()) {
        subscribeTo(*s, c, subscriptions, std::move(done));
        return;
    }
    if (!c.user.isEmpty() && c.password.isEmpty()) {
        done(CommandOutput::failure(kStatusBadInput, kPasswordNeeded));
        return;
    }
    // The server's calendar of that display name, found from whatever
    // address of the server was given.
    QPointer<CalendarSubscriptions> guard(&subscriptions);
    discover(c, [guard, c, s = *s, done](const DiscoveryResult& result) mutable {
        if (!guard)
            return;
        if (!result.ok) {
            done(CommandOutput::failure(
                kStatusFailed, QStringLiteral("購読できませんでした: %1").arg(result.problem)));
            return;
        }
        const auto chosen =
            std::find_if(result.calendars.begin(), result.calendars.end(),
                         [&](const FoundCalendar& found) { return found.name == c.calendar; });
        if (chosen == result.calendars.end()) {
            done(CommandOutput::failure(kStatusBadInput,
                                        QStringLiteral("その表示名のカレンダーはありません: %1\n%2")
                                            .arg(c.calendar, calendarLines(result.calendars))));
            return;
        }
        s.url = chosen->url;
        s.kind = Subscription::Kind::CalDav;
        Command named = c;
        if (named.name.isEmpty())
            named.name = c.calendar.left(kMaxSubscriptionNameLength);
        subscribeTo(s, named, *guard, done);
    });
}

void subscribeTo(Subscription given, const Command& c, CalendarSubscriptions& subscriptions,
                 std::function<void(const CommandOutput&)> done) {
    auto s = std::optional<Subscription>(std::move(given));
    s->name = c.name.isEmpty() ? defaultSubscriptionName(s->url) : c.name.trimmed();
    if (c.interval > 0)
        s->refreshMinutes = c.interval;
    if (!isUsableSubscriptionName(s->name)) {
        done(CommandOutput::failure(
            kStatusBadInput,
            QStringLiteral("購読の名前は1〜%1文字で、改行や / を含まないものにしてください。")
                .arg(kMaxSubscriptionNameLength)));
        return;
    }
    s->user = c.user;
    if (!c.user.isEmpty() && c.password.isEmpty()) {
        done(CommandOutput::failure(kStatusBadInput, kPasswordNeeded));
        return;
    }
    if (const QString refusal = subscriptions.refusalOf(*s); !refusal.isEmpty()) {
        done(CommandOutput::failure(kStatusBadInput,
                                    QStringLiteral("購読できませんでした: %1").arg(refusal)));
        return;
    }
    const QString name = s->name;
    QPointer<CalendarSubscriptions> guard(&subscriptions);
    subscriptions.add(*s, c.password, [guard, name, done](bool ok, const QString& message) {
        if (!ok) {
            done(CommandOutput::failure(kStatusFailed,
                                        QStringLiteral("購読できませんでした: %1").arg(message)));
            return;
        }
        CommandOutput out;
        out.changed = true;
        out.out = QStringLiteral("購読しました: %1（%2件）\n")
                      .arg(name)
                      .arg(guard ? guard->copyOf(name).entryCount() : 0);
        out.err = message; // a password kept only until exit is worth saying
        done(out);
    });
}

void syncAll(CalendarSubscriptions& subscriptions, std::function<void(const CommandOutput&)> done) {
    if (subscriptions.subscriptions().empty()) {
        CommandOutput out;
        out.out = QStringLiteral("購読しているカレンダーはありません。\n");
        done(out);
        return;
    }
    auto connection = std::make_shared<QMetaObject::Connection>();
    QPointer<CalendarSubscriptions> guard(&subscriptions);
    *connection = QObject::connect(
        &subscriptions, &CalendarSubscriptions::idle, &subscriptions, [guard, connection, done] {
            QObject::disconnect(*connection);
            CommandOutput out;
            for (const Subscription& s : guard->subscriptions()) {
                const SubscriptionCopy copy = guard->copyOf(s.name);
                if (!guard->hasProblem(s.name)) {
                    out.out += QStringLiteral("%1: 同期しました（%2件）\n")
                                   .arg(s.name)
                                   .arg(copy.entryCount());
                } else {
                    out.status = kStatusFailed;
                    out.err += QStringLiteral("%1: %2\n").arg(s.name, guard->statusOf(s.name));
                }
            }
            done(out);
        });
    subscriptions.syncAll();
}

} // namespace

void runSubscriptionCommand(const Command& command, CalendarSubscriptions& subscriptions,
                            std::function<void(const CommandOutput&)> done) {
    switch (command.kind) {
    case Command::Kind::Subscribe:
        subscribe(command, subscriptions, std::move(done));
        return;
    case Command::Kind::Calendars:
        listCalendars(command, std::move(done));
        return;
    case Command::Kind::Subscriptions:
        done(listSubscriptions(subscriptions));
        return;
    case Command::Kind::Unsubscribe: {
        QString error;
        // Answered once the password is gone too: without a board, the
        // process ends with the answer.
        const auto passwordGone = [name = command.name, done](const QString& problem) {
            done(CommandOutput{0,
                               QStringLiteral("購読をやめました: %1\n").arg(name),
                               problem.isEmpty() ? QString() : problem + QLatin1Char('\n'),
                               true,
                               {}});
        };
        if (!subscriptions.remove(command.name, &error, passwordGone)) {
            done(error.isEmpty()
                     ? CommandOutput::failure(
                           kStatusBadInput,
                           QStringLiteral("その名前の購読はありません: %1").arg(command.name))
                     : CommandOutput::failure(
                           kStatusFailed,
                           QStringLiteral("購読をやめられませんでした: %1").arg(error)));
            return;
        }
        return;
    }
    case Command::Kind::Sync:
        syncAll(subscriptions, std::move(done));
        return;
    default:
        done(CommandOutput::failure(kStatusFailed,
                                    QStringLiteral("購読のコマンドではありません。")));
    }
}

} // namespace tanzo
