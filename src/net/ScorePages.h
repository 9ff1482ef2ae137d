#pragma once

#include "core/Clock.h"
#include "net/PageCall.h"

#include <QList>
#include <QStringList>

// The pages of the score road: login, record file, upload, clock and version checks.
namespace corvanta::score_pages {

// The login check. The name goes as typed; the password without the blanks around it.
// Success word "Success!".
PageCall checkPassword(const QString &username, const QString &password);
// The class record file of the teacher (GET, with the login digest).
PageCall record(const QString &username, const QString &digest);
// Score lines joined by "|" with the operation password and topic. Success word "Success!".
PageCall upload(const QString &username, const QString &operationPassword, const QString &keti,
                const QStringList &lines);
// The grouping of a class: for each of the sixteen group lists, in group order, the names
// joined by "|"; an empty or missing list is sent as an empty value, so every key travels.
// Success word "Success!".
PageCall group(const QString &className, const QString &username, const QString &operationPassword,
               const QList<QStringList> &groups);
// The page that shows the newest uploaded scores in the browser.
PageCall recentScores(const QString &username, int count, const QString &digest);
// The server's clock (a random value keeps any cache out).
PageCall serverTime(RandomSource &random);
// The vendor's newest version ("Selvane:" + version).
PageCall versionQuery(RandomSource &random);
// The vendor's download page of the newest version.
PageCall updatePage();
// The vendor's home page.
PageCall vendorHome();

} // namespace corvanta::score_pages
