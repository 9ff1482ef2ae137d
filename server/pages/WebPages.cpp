#include "Pages.h"
#include "Routes.h"

#include "ClassHtml.h"
#include "HtmlPages.h"
#include "StudentHtml.h"
#include "WebReport.h"
#include "WebStyle.h"

#include "core/AppConfig.h"
#include "net/PageDescriptor.h"

#include <QDateTime>

#include <climits>

namespace corvanta::server::web {

namespace {

PageReply htmlNotFound(const QString &text)
{
    PageReply reply = PageReply::html(html::notFoundPage(text));
    reply.status = 404;
    reply.outcome = QStringLiteral("not found");
    return reply;
}

// Scores of a download read at once, in a transaction of their own: about 35 KB of text.
constexpr int kCsvBatchRows = 500;

// The lines of a CSV download after its first batch, read from the store a batch at a time
// as the client takes them: neither a transaction nor more than a batch is held meanwhile.
// Runs on the thread that sends the reply, with that thread's store.
class CsvLines final : public ReplySource
{
public:
    CsvLines(ScoreService &service, ScoreReading reading) : m_service(service), m_reading(std::move(reading)) {}
    QByteArray next() override
    {
        QByteArray out;
        if (m_reading.done)
            return out;
        const auto rows = m_service.store().readScores(m_reading, kCsvBatchRows);
        if (!rows) // a reading that started always finds its class
            throw StoreError("the scores of the download are gone");
        web_report::appendCsvLines(out, *rows);
        return out;
    }

private:
    ScoreService &m_service;
    ScoreReading m_reading;
};

// The scores as a spreadsheet file named after `name` and today; the class or student not
// found, nullopt. A download larger than a batch goes on as it is read.
std::optional<PageReply> csvReply(const PageContext &call, ScoreReading reading, const QString &name)
{
    const auto first = call.store().readScores(reading, kCsvBatchRows);
    if (!first)
        return std::nullopt;
    PageReply reply;
    reply.contentType = "text/csv; charset=utf-8";
    reply.body = web_report::csvHead();
    web_report::appendCsvLines(reply.body, *first);
    if (!reading.done)
        reply.source = std::make_shared<CsvLines>(call.service, std::move(reading));
    const QDate today = QDateTime::fromSecsSinceEpoch(call.service.now()).date();
    reply.headers = {{"Content-Disposition", web_report::csvDisposition(name, today)},
                     {"X-Content-Type-Options", "nosniff"}};
    return reply;
}

} // namespace

PageReply scoreHome(const PageContext &call)
{
    if (call.teacher.id == 0)
        return PageReply::html(html::signInPage({}));
    const qint64 id = call.teacher.id;
    // Signed in by the session cookie: the classes at a glance.
    if (!call.has(field::kAccount)) {
        const ScoreService::HomeFigures home = call.service.homeFigures(call.teacher, 20);
        return PageReply::html(html::homePage(call.teacher, home.classes, home.recent));
    }
    // The tool's address after an upload: the newest scores.
    bool ok = false;
    int n = call.field(field::kCount).trimmed().toInt(&ok);
    if (!ok || n <= 0)
        n = 20;
    return PageReply::html(
        html::recentScoresPage(call.teacher, call.store().recentScores(id, qMin(n, 1000))));
}

PageReply signedIn(const PageContext &call)
{
    // A new token on every sign-in; the one the browser had, if any, ends.
    WebSessions &sessions = call.service.sessions();
    sessions.end(call.request);
    // Back to the page that asked for the sign-in, when it is one of this site's.
    PageReply reply = PageReply::redirect(html::returnAddress(call.field(field::kNext)));
    reply.headers.append({"Set-Cookie", sessions.start(call.teacher.id, call.request)});
    return reply;
}

PageReply signOut(const PageContext &call)
{
    call.service.sessions().end(call.request);
    PageReply reply = PageReply::redirect(pages::kScoreHome);
    reply.headers.append({"Set-Cookie", WebSessions::forgetCookie()});
    return reply;
}

PageReply classPage(const PageContext &call)
{
    // Another teacher's class is as unknown here as one that does not exist.
    const auto report = call.service.classReport(call.teacher, call.field(field::kClass), html::kLatestScores);
    if (!report)
        return htmlNotFound(QStringLiteral("没有这个班级"));
    return PageReply::html(html::classPage(call.teacher, *report, web_report::parseSort(call.field(field::kSort))));
}

PageReply classCsv(const PageContext &call)
{
    const QString className = call.field(field::kClass);
    ScoreReading reading;
    reading.teacher = call.teacher.id;
    reading.className = className;
    const auto reply = csvReply(call, std::move(reading), className);
    return reply ? *reply : htmlNotFound(QStringLiteral("没有这个班级"));
}

PageReply studentPage(const PageContext &call)
{
    const QString asked = call.field(field::kPage).trimmed();
    int page = asked == u"all" ? html::kEveryScore : qMax(1, asked.toInt());
    const auto read = [&] {
        const qint64 offset = page == html::kEveryScore ? 0 : qint64(page - 1) * html::kHistoryPage;
        return call.store().studentReport(call.teacher.id, call.field(field::kClass), call.field(field::kName),
                                          int(qMin<qint64>(offset, INT_MAX)),
                                          page == html::kEveryScore ? html::kEveryScoreLimit : html::kHistoryPage);
    };
    // Another teacher's student is as unknown here as one that does not exist.
    auto report = read();
    if (!report)
        return htmlNotFound(QStringLiteral("没有这个学生"));
    // An address past the last page (the scores were fewer) shows the last one.
    const int pages = qMax(1, (report->student.scores + html::kHistoryPage - 1) / html::kHistoryPage);
    if (page > pages) {
        page = pages;
        report = read();
        if (!report)
            return htmlNotFound(QStringLiteral("没有这个学生"));
    }
    // The class's part from its report as the class page keeps it: the same for every student.
    const auto cls = call.service.classReport(call.teacher, report->className, html::kLatestScores);
    if (!cls) // the class went meanwhile
        return htmlNotFound(QStringLiteral("没有这个学生"));
    web_report::addClassPart(*report, *cls);
    const QDate today = QDateTime::fromSecsSinceEpoch(call.service.now()).date();
    return PageReply::html(html::studentPage(call.teacher, *report, page, today));
}

PageReply studentCsv(const PageContext &call)
{
    const QString className = call.field(field::kClass);
    const QString name = call.field(field::kName);
    ScoreReading reading;
    reading.teacher = call.teacher.id;
    reading.className = className;
    reading.student = name;
    const auto reply = csvReply(call, std::move(reading), className + u'-' + name);
    return reply ? *reply : htmlNotFound(QStringLiteral("没有这个学生"));
}

PageReply favicon(const PageContext &)
{
    PageReply reply;
    reply.contentType = "image/x-icon";
    reply.body = web_style::favicon();
    return reply;
}

PageReply robots(const PageContext &)
{
    // Everything may be read: a teacher's pages show only the sign-in form to a crawler.
    PageReply reply;
    reply.contentType = "text/plain; charset=utf-8";
    reply.body = "User-agent: *\nDisallow:\n";
    return reply;
}

PageReply version(const PageContext &call)
{
    if (call.field(field::kProduct) != kProductName)
        return PageReply::text({}, QStringLiteral("unknown product"));
    return PageReply::text(kProductName + u':' + programVersionText());
}

PageReply updatePage(const PageContext &)
{
    return PageReply::html(html::updatePage(programVersionText()));
}

PageReply vendorHome(const PageContext &)
{
    return PageReply::html(html::vendorHomePage(programVersionText()));
}

QList<Route> routes()
{
    // The home page: a refusal on the sign-in form, a visitor without an account served the
    // form or, signed in, the session's teacher.
    constexpr unsigned kHome = kSignInPageRefusal | kGuestWithoutAccount | kSessionForGuest;
    constexpr unsigned kSignedIn = kSignInPageRefusal | kHeavy;
    return {
        {page::kScoreHomeBare, &scoreHome, kHome},
        {page::kScoreHome, &scoreHome, kHome},
        {page::kSignIn, &signedIn, kSignInPageRefusal | kSameSiteOnly},
        {page::kScoreHomeIndex, &scoreHome, kHome},
        {page::kWebClass, &classPage, kSignedIn},
        {page::kWebClassCsv, &classCsv, kSignedIn},
        {page::kWebStudent, &studentPage, kSignedIn},
        {page::kWebStudentCsv, &studentCsv, kSignedIn},
        {page::kWebSignOut, &signOut, kSameSiteOnly},
        {page::kFavicon, &favicon},
        {page::kRobots, &robots},
        {page::kVersion, &version},
        {page::kUpdate, &updatePage},
        {page::kVendorHome, &vendorHome},
    };
}

} // namespace corvanta::server::web
