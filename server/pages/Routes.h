#pragma once

#include "PageContext.h"

#include "net/PageDescriptor.h"

#include <QByteArray>
#include <QList>

namespace corvanta::server {

// How a route meets a refusal and a visitor who names no account.
enum RouteOption : unsigned {
    kPlain = 0,
    kSignInPageRefusal = 1,   // a refusal is shown on the sign-in form (the web pages for people)
    kGuestWithoutAccount = 2, // a request naming no account is served without a teacher
    kSessionForGuest = 4,     // ... or with the teacher of its browser session, if any
    kHeavy = 8,               // reads a lot: run apart from the cheap pages, a few per account at once
    kSameSiteOnly = 16,       // a browser's request sent from another site's page is refused (403)
    kWaitsForDisk = 32,       // waits for its change to reach the disk: run apart, many such waits at once
};

// One row of the page table: the address and method, what the dispatcher checks before the
// page runs, and the page. Made from the page's declaration in the protocol library.
struct Route
{
    Route(const PageDescriptor &descriptor, PageHandler handler, unsigned routeOptions = kPlain);

    const char *path;
    Method method;
    PageHandler page;
    Credential credential = Credential::None;
    // Fields that must be present, checked in this order before the credential.
    QList<const char *> required = {};
    // The field holding the credential's secret when it is not the usual one.
    const char *secretField = nullptr;
    unsigned options = kPlain;
};

// Every row: those of each area, listed next to the area's pages.
const QList<Route> &routes();

namespace account {
QList<Route> routes();
}
namespace scores {
QList<Route> routes();
}
namespace console {
QList<Route> routes();
}
namespace web {
QList<Route> routes();
}

// The route of the request's path and method; nullptr when none.
const Route *routeOf(const PageRequest &request);

// "GET, POST": the methods routed for the path, empty for an unknown path.
QByteArray allowedMethods(const QString &path);

// A request past its route's checks: the route, and the teacher its credential named. Without
// a route, `reply` answers the request (a refusal, 404 or 405).
struct Admission
{
    const Route *route = nullptr;
    Teacher teacher;
    PageReply reply;
    // Admitted WithoutSlowHash, the secret needs the slow hash to be checked: no route yet,
    // and the teacher it names.
    bool needsSlowHash = false;
};

enum class AdmitMode { Full, WithoutSlowHash };

// The checks of dispatch(), without running the page.
Admission admit(ScoreService &service, const PageRequest &request, AdmitMode mode = AdmitMode::Full);
// The admitted route's page, or the admission's reply.
PageReply runAdmitted(ScoreService &service, const Admission &admission, const PageRequest &request);

// Answers a decoded request: the route's checks in order (missing field, credential and its
// lock-out), then its page with the authenticated teacher; 405 with an Allow header for a
// known path with another method; 404 for an unknown path. The reply names the account
// for the log. StoreError escapes to the caller (status 500). The body comes whole (a
// streamed one read to its end).
PageReply dispatch(ScoreService &service, const PageRequest &request);

} // namespace corvanta::server
