#include "Pages.h"

#include "ClassHtml.h"
#include "HtmlPages.h"
#include "WebReport.h"

#include "core/AppConfig.h"
#include "net/PagePaths.h"

#include <QDateTime>

namespace corvanta::server::web {

namespace {

PageReply htmlNotFound(const QString &text)
{
    PageReply reply = PageReply::html(html::notFoundPage(text));
    reply.status = 404;
    reply.outcome = QStringLiteral("not found");
    return reply;
}

} // namespace

PageReply scoreHome(const PageCall &call)
{
    if (call.teacher.id == 0)
        return PageReply::html(html::signInPage({}));
    const qint64 id = call.teacher.id;
    // Signed in by the session cookie: the classes at a glance.
    if (!call.has("t"))
        return PageReply::html(
            html::homePage(call.teacher, call.store().classSummaries(id), call.store().recentScores(id, 20)));
    // The tool's address after an upload: the newest scores.
    bool ok = false;
    int n = call.field("n").trimmed().toInt(&ok);
    if (!ok || n <= 0)
        n = 20;
    return PageReply::html(
        html::recentScoresPage(call.teacher, call.store().recentScores(id, qMin(n, 1000))));
}

PageReply signedIn(const PageCall &call)
{
    // A new token on every sign-in; the one the browser had, if any, ends.
    WebSessions &sessions = call.service.sessions();
    sessions.end(call.request);
    PageReply reply = PageReply::redirect(pages::kScoreHome);
    reply.headers.append({"Set-Cookie", sessions.start(call.teacher.id, call.request)});
    return reply;
}

PageReply signOut(const PageCall &call)
{
    call.service.sessions().end(call.request);
    PageReply reply = PageReply::redirect(pages::kScoreHome);
    reply.headers.append({"Set-Cookie", WebSessions::forgetCookie()});
    return reply;
}

PageReply classPage(const PageCall &call)
{
    // Another teacher's class is as unknown here as one that does not exist.
    const auto report = call.service.classReport(call.teacher, call.field("class"), html::kLatestScores);
    if (!report)
        return htmlNotFound(QStringLiteral("没有这个班级"));
    return PageReply::html(html::classPage(call.teacher, *report, web_report::parseSort(call.field("sort"))));
}

PageReply classCsv(const PageCall &call)
{
    const QString className = call.field("class");
    const auto records = call.store().scoresOfClass(call.teacher.id, className);
    if (!records)
        return htmlNotFound(QStringLiteral("没有这个班级"));
    PageReply reply;
    reply.contentType = "text/csv; charset=utf-8";
    reply.body = web_report::scoresCsv(*records);
    const QDate today = QDateTime::fromSecsSinceEpoch(call.service.now()).date();
    reply.headers = {{"Content-Disposition", web_report::csvDisposition(className, today)},
                     {"X-Content-Type-Options", "nosniff"}};
    return reply;
}

PageReply version(const PageCall &call)
{
    if (call.field("s") != u"Selvane")
        return PageReply::text({}, QStringLiteral("unknown product"));
    return PageReply::text(QStringLiteral("Selvane:") + programVersionText());
}

PageReply updatePage(const PageCall &)
{
    return PageReply::html(html::updatePage(programVersionText()));
}

PageReply vendorHome(const PageCall &)
{
    return PageReply::html(html::vendorHomePage(programVersionText()));
}

} // namespace corvanta::server::web
