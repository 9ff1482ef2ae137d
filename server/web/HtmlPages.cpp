#include "HtmlPages.h"

#include "WebReport.h"
#include "WebStyle.h"

#include "core/TextCodec.h"
#include "net/PageDescriptor.h"
#include "net/Wire.h"

#include <QUrl>

namespace corvanta::server::html {

namespace {

QString scoreTable(const QList<ScoreRecord> &records)
{
    if (records.isEmpty())
        return QStringLiteral("<p class=\"note\">还没有计分记录。</p>");
    QString rows;
    for (const ScoreRecord &r : records) {
        rows += QStringLiteral("<tr><td class=\"t\">%1</td>%2%3<td class=\"n\">%4</td>%5%6</tr>\n")
                    .arg(timeCell(r.time), clippedCell(r.className, classAddress(pages::kWebClass, r.className)),
                         clippedCell(r.student, studentAddress(pages::kWebStudent, r.className, r.student)),
                         esc(shortestDecimal(r.score)), clippedCell(r.topic), clippedCell(r.note));
    }
    return scrollBox(QStringLiteral("最近的计分"),
                     QStringLiteral("<table id=\"recent\"><thead><tr><th>时间</th><th>班级</th><th>学生</th>"
                                    "<th class=\"n\">计分</th><th>课题</th><th>说明</th></tr></thead><tbody>\n") +
                         rows + QStringLiteral("</tbody></table>"));
}

} // namespace

QString esc(const QString &text)
{
    return text.toHtmlEscaped();
}

namespace {

QString yearApart(qint64 seconds, const QString &text)
{
    if (seconds == 0 || text.size() < 5)
        return esc(text);
    return QStringLiteral("<span class=\"y\">%1</span>%2").arg(esc(text.left(5)), esc(text.mid(5)));
}

} // namespace

QString timeCell(qint64 seconds)
{
    return yearApart(seconds, web_report::minuteText(seconds));
}

QString momentCell(qint64 unixSeconds)
{
    return yearApart(unixSeconds, web_report::momentMinuteText(unixSeconds));
}

QString clippedCell(const QString &text, const QString &href)
{
    if (text.isEmpty())
        return QStringLiteral("<td></td>");
    if (!href.isEmpty())
        return QStringLiteral("<td><a class=\"clip\" href=\"%1\" title=\"%2\">%2</a></td>").arg(esc(href), esc(text));
    return QStringLiteral("<td><span class=\"clip\" title=\"%1\">%1</span></td>").arg(esc(text));
}

QString scrollBox(const QString &label, const QString &table)
{
    // Focusable, so a keyboard can scroll a table wider than a phone; a labelled section is a
    // region to a screen reader.
    return QStringLiteral("<section class=\"scroll\" tabindex=\"0\" aria-label=\"%1\">%2</section>")
        .arg(esc(label), table);
}

QString document(const QString &title, const QString &body, bool withScript, const QString &header)
{
    // The style and script go in byte for byte: the security policy names their hashes.
    QString page = QStringLiteral("<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
                                  "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
                                  "<meta name=\"description\" content=\"Corvanta 计分服务：教师查看自己班级的"
                                  "学生、课堂计分和统计。\"><title>") +
                   esc(title) + QStringLiteral("</title><style>") + web_style::styleSheet() +
                   QStringLiteral("</style></head><body>\n");
    if (!header.isEmpty())
        page += QStringLiteral("<header class=\"bar\">") + header + QStringLiteral("</header>\n");
    page += QStringLiteral("<main>\n") + body + QStringLiteral("\n</main>");
    if (withScript)
        page += QStringLiteral("\n<script>") + web_style::pageScript() + QStringLiteral("</script>");
    return page + QStringLiteral("\n</body></html>\n");
}

QString webAddress(const char *path, const QList<QPair<QString, QString>> &fields)
{
    QByteArray query;
    for (const auto &[name, value] : fields) {
        if (!query.isEmpty())
            query += '&';
        query += name.toLatin1() + '=' + toGbk(value).toPercentEncoding();
    }
    return QLatin1String(path) + u'?' + QString::fromLatin1(query);
}

QString classAddress(const char *path, const QString &className, const QString &sort)
{
    QList<QPair<QString, QString>> fields = {{QLatin1String(field::kClass), className}};
    if (!sort.isEmpty())
        fields.append({QLatin1String(field::kSort), sort});
    return webAddress(path, fields);
}

QString studentAddress(const char *path, const QString &className, const QString &student, int page)
{
    QList<QPair<QString, QString>> fields = {{QLatin1String(field::kClass), className},
                                             {QLatin1String(field::kName), student}};
    if (page == kEveryScore)
        fields.append({QLatin1String(field::kPage), QStringLiteral("all")});
    else if (page > 1)
        fields.append({QLatin1String(field::kPage), QString::number(page)});
    return webAddress(path, fields);
}

QString signedInBar(const Teacher &teacher, const QString &links)
{
    return QStringLiteral("<nav aria-label=\"页面\">%1</nav><span class=\"note\">%2</span>"
                          "<form method=\"post\" action=\"%3\"><button type=\"submit\">退出</button></form>")
        .arg(links, esc(teacher.addressed()), QLatin1String(pages::kWebSignOut));
}

QByteArray returnAddress(const QString &asked)
{
    const QString home = QLatin1String(pages::kScoreHome);
    // Only a path below the pages' own folder; "//host" and "/\\host" would leave the site.
    if (!asked.startsWith(home) || asked.contains(u'\\') || asked.size() > 2000)
        return pages::kScoreHome;
    for (const QChar c : asked) {
        // Printable ASCII only: what askedAddress makes; nothing that could end a header.
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7f)
            return pages::kScoreHome;
    }
    return asked.toLatin1();
}

QString askedAddress(const QString &path, const QList<QPair<QString, QString>> &fields)
{
    const QByteArray escapedPath = QUrl::toPercentEncoding(path, "/");
    if (fields.isEmpty())
        return QString::fromLatin1(escapedPath);
    return webAddress(escapedPath.constData(), fields);
}

QString signInPage(const QString &message, const QString &account, const QString &next)
{
    QString body = QStringLiteral("<h1>Corvanta 计分服务</h1>"
                                  "<p>教师登录后可查看自己的班级和最近的计分记录。</p>");
    // After a refusal the account stays and the password box takes the focus.
    const bool refused = !message.isEmpty();
    if (refused)
        body += QStringLiteral("<p class=\"error\" role=\"alert\">%1</p>").arg(esc(message));
    body += QStringLiteral(
                "<form method=\"post\" action=\"/score/\" accept-charset=\"GBK\">"
                "<p><label for=\"username\">登录帐号</label><input id=\"username\" name=\"username\" "
                "type=\"text\" autocomplete=\"username\" autocapitalize=\"none\" spellcheck=\"false\" "
                "required value=\"%1\"%2></p>"
                "<p><label for=\"password\">登录密码</label><input id=\"password\" name=\"password\" "
                "type=\"password\" autocomplete=\"current-password\" required%3></p>"
                "%4<p><button type=\"submit\">登录</button></p></form>")
                .arg(esc(account.trimmed()), refused ? QString() : QStringLiteral(" autofocus"),
                     refused ? QStringLiteral(" autofocus") : QString(),
                     next.isEmpty() ? QString()
                                    : QStringLiteral("<input type=\"hidden\" name=\"%1\" value=\"%2\">")
                                          .arg(QLatin1String(field::kNext), esc(next)));
    return document(QStringLiteral("Corvanta 计分服务"), body);
}

QString homePage(const Teacher &teacher, const QList<ClassSummary> &classes, const QList<ScoreRecord> &recent)
{
    QString body = QStringLiteral("<h1>我的班级</h1>");
    if (classes.isEmpty()) {
        body += QStringLiteral("<p class=\"note\">还没有班级。</p>");
    } else {
        QString table =
            QStringLiteral("<table id=\"classes\"><thead><tr><th>班级</th>"
                           "<th class=\"n\">学生人数</th><th class=\"n\">计分条数</th><th>最近上传</th></tr>"
                           "</thead><tbody>\n");
        for (const ClassSummary &c : classes)
            table += QStringLiteral(
                        "<tr><td><a href=\"%1\">%2</a></td><td class=\"n\">%3</td><td class=\"n\">%4</td>"
                        "<td class=\"t\">%5</td></tr>\n")
                        .arg(esc(classAddress(pages::kWebClass, c.name)), esc(c.name),
                             QString::number(c.students), QString::number(c.scores), momentCell(c.lastUpload));
        body += scrollBox(QStringLiteral("我的班级"), table + QStringLiteral("</tbody></table>"));
    }
    body += QStringLiteral("<h2>最近的计分</h2>") + scoreTable(recent);
    return document(QStringLiteral("Corvanta 计分服务"), body, false,
                    signedInBar(teacher, QStringLiteral("<strong>Corvanta 计分服务</strong>")));
}

QString recentScoresPage(const Teacher &teacher, const QList<ScoreRecord> &recent)
{
    const QString body = QStringLiteral("<h1>%1最近的 %2 条计分</h1>")
                             .arg(esc(teacher.addressed()), QString::number(recent.size())) +
                         scoreTable(recent);
    return document(QStringLiteral("上传结果"), body);
}

QString notFoundPage(const QString &text)
{
    return document(QStringLiteral("找不到页面"),
                    QStringLiteral("<h1>%1</h1><p><a href=\"%2\">返回我的班级</a></p>")
                        .arg(esc(text), QLatin1String(pages::kScoreHome)));
}

QString vendorHomePage(const QString &version)
{
    return document(
        QStringLiteral("Corvanta"),
        QStringLiteral("<h1>Corvanta</h1><p>课堂点名与计分工具。</p>"
                       "<p>最新版本：%1</p><p><a href=\"%2\">下载最新版本</a>"
                       " · <a href=\"%3\">计分服务</a></p>")
            .arg(esc(version), esc(webAddress(pages::kUpdate, {{QLatin1String(field::kSort), kProductName}})),
                 QLatin1String(pages::kScoreHomeBare)));
}

QString updatePage(const QString &version)
{
    return document(QStringLiteral("Corvanta 下载"),
                    QStringLiteral("<h1>下载 Corvanta</h1><p>最新版本：%1</p>"
                                   "<p class=\"note\">请向学校的系统管理员索取安装包。</p>"
                                   "<p><a href=\"/\">返回首页</a></p>")
                        .arg(esc(version)));
}

} // namespace corvanta::server::html
