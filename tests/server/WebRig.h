#pragma once

// The web pages in-process: a teacher, signing in as a browser does, requests that carry
// the session cookie, and the tables of a page read back as text.
#include "ServiceRig.h"

#include "WebSessions.h"

#include <QRegularExpression>
#include <QTest>

namespace corvanta::test {

inline QByteArray headerOf(const server::PageReply &reply, const QByteArray &name)
{
    for (const auto &[n, v] : reply.headers) {
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return v;
    }
    return {};
}

// The name=value part of the reply's Set-Cookie.
inline QByteArray cookieOf(const server::PageReply &reply)
{
    return headerOf(reply, "Set-Cookie").split(';').first();
}

struct WebRig : ServiceRig
{
    using ServiceRig::ServiceRig;

    // Account "t01" (teacher "林老师"), login password "login", operation password "oper".
    bool addTeacher(const QString &account = QStringLiteral("t01"),
                    const QString &name = QStringLiteral("林老师"))
    {
        return service.addTeacher(account, name, QStringLiteral("login"), QStringLiteral("oper"),
                                  QStringLiteral("t@example.org"));
    }
    server::PageReply postAs(const QString &account, const QString &path, Fields fields)
    {
        fields.prepend({"password", "oper"});
        fields.prepend({"username", account});
        return post(path, fields);
    }
    bool setClasses(const QString &account, const QStringList &classes)
    {
        return textOf(postAs(account, "/score/setclass.php", {{"class", classes.join(u'|')}})) == u"Success!";
    }
    bool setStudents(const QString &account, const QString &className, const QStringList &students)
    {
        return textOf(postAs(account, "/score/student.php",
                             {{"class", className}, {"student", students.join(u'|')}})) == u"Success!";
    }
    // Score lines "class TAB student TAB score TAB time TAB standard" under a topic.
    QString upload(const QString &account, const QString &topic, const QStringList &lines)
    {
        return textOf(postAs(account, "/score/index.php", {{"keti", topic}, {"score", lines.join(u'|')}}));
    }

    // The reply to the sign-in form.
    server::PageReply signIn(const QString &account, const QString &password, const QByteArray &cookie = {})
    {
        return send(server::Method::Post, "/score/", {{"username", account}, {"password", password}}, cookie);
    }
    // "corvanta_session=TOKEN" from a sign-in that must succeed.
    QByteArray cookieFor(const QString &account = QStringLiteral("t01"))
    {
        return cookieOf(signIn(account, QStringLiteral("login")));
    }
    using ServiceRig::send;
    server::PageReply send(server::Method method, const QString &path, const Fields &fields,
                           const QByteArray &cookie)
    {
        server::PageRequest request =
            method == server::Method::Get ? getRequest(path, fields) : fromOwnPage(postRequest(path, fields));
        if (!cookie.isEmpty())
            request.headers.append(qMakePair(QByteArrayLiteral("Cookie"), cookie));
        return server::dispatch(service, request);
    }
    server::PageReply page(const QString &path, const Fields &fields, const QByteArray &cookie)
    {
        return send(server::Method::Get, path, fields, cookie);
    }
};

inline QString htmlOf(const server::PageReply &reply)
{
    return QString::fromUtf8(reply.body);
}

inline QString unescapeHtml(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    return text.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
        .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
        .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
        .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
}

// The body rows of the table with the id, each as its cells' text.
inline QList<QStringList> tableRows(const QString &html, const QString &id)
{
    QList<QStringList> rows;
    const qsizetype start = html.indexOf(QStringLiteral("<table id=\"%1\"").arg(id));
    if (start < 0)
        return rows;
    const qsizetype body = html.indexOf(u"<tbody>", start);
    const qsizetype end = html.indexOf(u"</tbody>", body);
    static const QRegularExpression row(QStringLiteral("<tr[^>]*>(.*?)</tr>"));
    static const QRegularExpression cell(QStringLiteral("<td[^>]*>(.*?)</td>"));
    const QString part = html.mid(body, end - body);
    for (auto r = row.globalMatch(part); r.hasNext();) {
        QStringList cells;
        const QString inner = r.next().captured(1);
        for (auto c = cell.globalMatch(inner); c.hasNext();)
            cells.append(unescapeHtml(c.next().captured(1)));
        rows.append(cells);
    }
    return rows;
}

// The bars of the chart with the id, each as its label and value.
inline QList<QStringList> barsOf(const QString &html, const QString &id)
{
    QList<QStringList> bars;
    const QString chart = html.section(QStringLiteral("id=\"%1\"").arg(id), 1).section(QStringLiteral("</section>"), 0, 0);
    static const QRegularExpression bar(
        QStringLiteral("class=\"l\"[^>]*>(.*?)</(?:a|span)>.*?<span class=\"v\">(.*?)</span>"));
    for (auto m = bar.globalMatch(chart); m.hasNext();) {
        const auto match = m.next();
        bars.append({unescapeHtml(match.captured(1)), unescapeHtml(match.captured(2))});
    }
    return bars;
}

// Whether the reply is the sign-in form (and so shows no teacher's data).
inline bool isSignInForm(const server::PageReply &reply)
{
    return reply.status == 200 && htmlOf(reply).contains(u"<form method=\"post\" action=\"/score/\"") &&
           !htmlOf(reply).contains(u"退出");
}

} // namespace corvanta::test
