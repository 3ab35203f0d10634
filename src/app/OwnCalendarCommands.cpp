#include "OwnCalendarCommands.h"

#include "owncalendar/OwnCalendar.h"
#include "subscriptions/CalendarDiscovery.h"
#include "subscriptions/Subscription.h"

#include <QNetworkAccessManager>
#include <QPointer>

#include <algorithm>

namespace tanzo {
namespace {

CommandOutput failed(int status, const QString& message) {
    CommandOutput out;
    out.status = status;
    out.err = message;
    return out;
}

QString calendarLines(const std::vector<FoundCalendar>& calendars) {
    QString lines;
    for (const FoundCalendar& found : calendars)
        lines += QStringLiteral("%1  %2\n").arg(found.name, maskedAddress(found.url));
    return lines;
}

// The collection the command names: the address itself when it is one, the
// calendar of the given display name, or the server's only calendar.
std::optional<QUrl> chosenCalendar(const Command& c, const QUrl& asked,
                                   const std::vector<FoundCalendar>& calendars, QString* why) {
    if (!c.calendar.isEmpty()) {
        const auto named =
            std::find_if(calendars.begin(), calendars.end(),
                         [&](const FoundCalendar& f) { return f.name == c.calendar; });
        if (named != calendars.end())
            return named->url;
        *why = QStringLiteral("その表示名のカレンダーはありません: %1\n%2")
                   .arg(c.calendar, calendarLines(calendars));
        return std::nullopt;
    }
    for (const FoundCalendar& f : calendars) {
        if (sameAddress(f.url, asked))
            return f.url;
    }
    if (calendars.size() == 1)
        return calendars.front().url;
    *why = QStringLiteral("カレンダーが複数あります。--calendar で表示名を指定してください:\n%1")
               .arg(calendarLines(calendars));
    return std::nullopt;
}

void setOwnCalendar(const Command& c, OwnCalendar& own,
                    std::function<void(const CommandOutput&)> done) {
    QString error;
    const auto s = subscriptionFromAddress(c.address, &error);
    if (!s || s->url.isLocalFile()) {
        done(
            failed(kStatusBadInput,
                   s ? QStringLiteral("自分のカレンダーにはCalDAVサーバーのURLを指定してください。")
                     : error));
        return;
    }
    if (!c.user.isEmpty() && c.password.isEmpty()) {
        done(failed(kStatusBadInput,
                    QStringLiteral("--user にはパスワードが要ります: --password-stdin "
                                   "で標準入力から渡してください。")));
        return;
    }
    auto* network = new QNetworkAccessManager;
    network->setAutoDeleteReplies(false);
    auto* discovery = new CalendarDiscovery(s->url, c.user, c.password, *network);
    discovery->setTrustedCertificate(c.fingerprint);
    network->setParent(discovery);
    QPointer<OwnCalendar> guard(&own);
    QObject::connect(
        discovery, &CalendarDiscovery::finished, discovery,
        [guard, c, asked = s->url, done](const DiscoveryResult& result) {
            if (!guard)
                return;
            if (!result.ok) {
                done(failed(kStatusFailed,
                            QStringLiteral("自分のカレンダーを設定できませんでした: %1")
                                .arg(result.problem)));
                return;
            }
            QString why;
            const auto url = chosenCalendar(c, asked, result.calendars, &why);
            if (!url) {
                done(failed(kStatusBadInput, why));
                return;
            }
            OwnCalendarConfig config{*url, c.user, c.fingerprint};
            if (!config.url.path().endsWith(QLatin1Char('/')))
                config.url.setPath(config.url.path() + QLatin1Char('/'));
            guard->set(
                config, c.password, [guard, url = config.url, done](bool ok, const QString& m) {
                    CommandOutput out;
                    out.changed = true;
                    out.out = QStringLiteral("自分のカレンダーを設定しました: %1\n")
                                  .arg(maskedAddress(url));
                    if (!ok) {
                        out.status = kStatusFailed;
                        out.err = QStringLiteral("同期できませんでした（送信待ちの予定は、"
                                                 "サーバーが応答したときに送ります）: %1")
                                      .arg(m);
                    } else {
                        out.err = m;
                        if (guard)
                            out.out +=
                                QStringLiteral("自分のカレンダー: %1\n").arg(guard->status());
                    }
                    done(out);
                });
        });
    discovery->start();
}

} // namespace

bool concernsOwnCalendar(const Command& command) {
    return command.kind == Command::Kind::OwnCalendar || command.kind == Command::Kind::Sync;
}

void runOwnCalendarCommand(const Command& command, OwnCalendar& own,
                           std::function<void(const CommandOutput&)> done) {
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
                done(failed(kStatusBadInput, message));
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
