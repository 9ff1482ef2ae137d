#pragma once

#include "core/Clock.h"
#include "net/PageCall.h"

#include <QList>
#include <QStringList>

#include <optional>

// Requests to the pages of the score road: login, record file, upload, clock and version checks.
namespace corvanta::score_pages {

// The login check. The name goes as typed; the password without the blanks around it.
// Success word "Success!".
PageCall checkPassword(const QString &username, const QString &password);
// The class record file of the teacher (GET, with the login digest).
PageCall record(const QString &username, const QString &digest);
// Score lines joined by "|" with the operation password and topic. Success word "Success!".
// The request says that the tool reads a PartialUpload answer.
PageCall upload(const QString &username, const QString &operationPassword, const QString &keti,
                const QStringList &lines);

// How an upload that says field::kPartial is answered when not every line can be stored:
// the lines that can are stored, the others are named with why, on lines of their own after
// kWord: "Partial!", CR LF, then per line not stored its number in the upload (1 for the
// first), a TAB and the reason. A server without the field, or a tool that does not send
// it, stores all lines or none and answers a refusal in words.
struct RefusedLine
{
    int line = 0;
    QString reason;
    friend bool operator==(const RefusedLine &, const RefusedLine &) = default;
};
namespace partial_upload {
inline const QString kWord = QStringLiteral("Partial!");
QString reply(const QList<RefusedLine> &refused);
// The refused lines of such a reply to an upload of `sent` lines, each named once and in
// range; nothing for any other reply.
std::optional<QList<RefusedLine>> read(const QString &reply, int sent);
} // namespace partial_upload
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
