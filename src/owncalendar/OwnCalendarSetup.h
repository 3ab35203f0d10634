#pragma once

#include <QString>
#include <QUrl>

#include <functional>

namespace tanzo {

class OwnCalendar;

// What the user gave to set the own calendar: a collection's address, or a
// server's with the display name of one of its calendars.
struct OwnCalendarRequest {
    QString address;
    QString calendar; // display name; empty: the address's own, or the only one
    QString user;
    QString password;
    QString fingerprint; // of the server's own certificate to trust
};

struct OwnCalendarSetUp {
    enum class Outcome {
        Synced,     // set, and the first sync went through
        NotSynced,  // set, but the first sync failed (message says why)
        BadRequest, // nothing set: the request cannot be used
        NotFound,   // nothing set: the server could not be asked, or has no such calendar
    };
    Outcome outcome = Outcome::BadRequest;
    QUrl url;        // the collection, once found
    QString message; // for people
};

// Finds the calendar the request names on its server (RFC 6764 discovery),
// then makes it the own calendar and syncs it once. `done` comes once, from
// the event loop.
void setUpOwnCalendar(OwnCalendar& own, const OwnCalendarRequest& request,
                      std::function<void(const OwnCalendarSetUp&)> done);

} // namespace tanzo
