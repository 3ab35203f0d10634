#include "OwnCalendarSetup.h"

#include "OwnCalendar.h"
#include "subscriptions/CalendarDiscovery.h"
#include "subscriptions/Subscription.h"

#include <QNetworkAccessManager>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace tanzo {
namespace {

using Outcome = OwnCalendarSetUp::Outcome;

QString calendarLines(const std::vector<FoundCalendar>& calendars) {
    QString lines;
    for (const FoundCalendar& found : calendars)
        lines += QStringLiteral("%1  %2\n").arg(found.name, maskedAddress(found.url));
    return lines;
}

// The collection the request names: the address itself when it is one, the
// calendar of the given display name, or the server's only calendar.
std::optional<QUrl> chosenCalendar(const OwnCalendarRequest& r, const QUrl& asked,
                                   const std::vector<FoundCalendar>& calendars, QString* why) {
    if (!r.calendar.isEmpty()) {
        const auto named =
            std::find_if(calendars.begin(), calendars.end(),
                         [&](const FoundCalendar& f) { return f.name == r.calendar; });
        if (named != calendars.end())
            return named->url;
        *why = QStringLiteral("その表示名のカレンダーはありません: %1\n%2")
                   .arg(r.calendar, calendarLines(calendars));
        return std::nullopt;
    }
    for (const FoundCalendar& f : calendars) {
        if (sameAddress(f.url, asked))
            return f.url;
    }
    if (calendars.size() == 1)
        return calendars.front().url;
    *why = QStringLiteral("カレンダーが複数あります。表示名を指定してください:\n%1")
               .arg(calendarLines(calendars));
    return std::nullopt;
}

} // namespace

void setUpOwnCalendar(OwnCalendar& own, const OwnCalendarRequest& request,
                      std::function<void(const OwnCalendarSetUp&)> done) {
    const auto refuse = [&done](Outcome outcome, const QString& message) {
        // Answered from the event loop, as every other outcome is.
        QTimer::singleShot(0, [done, outcome, message] { done({outcome, {}, message}); });
    };
    QString error;
    const auto s = subscriptionFromAddress(request.address, &error);
    if (!s || s->url.isLocalFile()) {
        refuse(Outcome::BadRequest,
               s ? QStringLiteral("自分のカレンダーにはCalDAVサーバーのURLを指定してください。")
                 : error);
        return;
    }
    if (!request.user.isEmpty() && request.password.isEmpty()) {
        refuse(Outcome::BadRequest, QStringLiteral("利用者名にはパスワードが要ります。"));
        return;
    }
    auto* network = new QNetworkAccessManager;
    network->setAutoDeleteReplies(false);
    auto* discovery = new CalendarDiscovery(s->url, request.user, request.password, *network);
    discovery->setTrustedCertificate(request.fingerprint);
    network->setParent(discovery);
    QPointer<OwnCalendar> guard(&own);
    QObject::connect(discovery, &CalendarDiscovery::finished, discovery,
                     [guard, request, asked = s->url, done](const DiscoveryResult& result) {
                         if (!guard)
                             return;
                         if (!result.ok) {
                             done({Outcome::NotFound,
                                   {},
                                   QStringLiteral("自分のカレンダーを設定できませんでした: %1")
                                       .arg(result.problem)});
                             return;
                         }
                         QString why;
                         const auto url = chosenCalendar(request, asked, result.calendars, &why);
                         if (!url) {
                             done({Outcome::NotFound, {}, why});
                             return;
                         }
                         OwnCalendarConfig config{*url, request.user, request.fingerprint};
                         if (!config.url.path().endsWith(QLatin1Char('/')))
                             config.url.setPath(config.url.path() + QLatin1Char('/'));
                         guard->set(
                             config, request.password,
                             [url = config.url, done](bool ok, const QString& message) {
                                 done({ok ? Outcome::Synced : Outcome::NotSynced, url, message});
                             });
                     });
    discovery->start();
}

} // namespace tanzo
