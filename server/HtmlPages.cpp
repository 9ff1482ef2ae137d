#include "HtmlPages.h"

#include "core/TextCodec.h"
#include "net/Wire.h"

namespace corvanta::server::html {

namespace {

QString esc(const QString &text)
{
    return text.toHtmlEscaped();
}

QString page(const QString &title, const QString &body)
{
    return QStringLiteral(
               "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
               "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
               "<title>%1</title><style>"
               "body{font-family:sans-serif;max-width:52em;margin:2em auto;padding:0 1em;color:#222}"
               "table{border-collapse:collapse;width:100%}"
               "td,th{border:1px solid #ccc;padding:.3em .5em;text-align:left}"
               "th{background:#f3f3f3}.note{color:#666}"
               "</style></head><body>\n%2\n</body></html>\n")
        .arg(esc(title), body);
}

QString scoreTable(const QList<ScoreRecord> &records)
{
    if (records.isEmpty())
        return QStringLiteral("<p class=\"note\">还没有计分记录。</p>");
    QString rows;
    for (const ScoreRecord &r : records) {
        rows +=
            QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td><td>%5</td><td>%6</td></tr>\n")
                .arg(esc(SecondsToDateText(r.time)), esc(r.className), esc(r.student),
                     esc(shortestDecimal(r.score)), esc(r.topic), esc(r.note));
    }
    return QStringLiteral("<table><tr><th>时间</th><th>班级</th><th>学生</th><th>计分</th><th>课题</th>"
                          "<th>说明</th></tr>\n") +
           rows + QStringLiteral("</table>");
}

} // namespace

QString signInPage(const QString &message)
{
    QString body = QStringLiteral("<h1>Corvanta 计分服务</h1>"
                                  "<p>教师登录后可查看自己的班级和最近的计分记录。</p>");
    if (!message.isEmpty())
        body += QStringLiteral("<p><strong>%1</strong></p>").arg(esc(message));
    body += QStringLiteral(
        "<form method=\"post\" action=\"/score/\" accept-charset=\"GBK\">"
        "<p><label>登录帐号：<input name=\"username\" autocomplete=\"username\"></label></p>"
        "<p><label>登录密码：<input name=\"password\" type=\"password\" autocomplete=\"current-password\">"
        "</label></p><p><button type=\"submit\">登录</button></p></form>");
    return page(QStringLiteral("Corvanta 计分服务"), body);
}

QString teacherPage(const Teacher &teacher, const QList<ClassData> &classes, const QList<ScoreRecord> &recent)
{
    QString body = QStringLiteral("<h1>%1 老师（%2）</h1>").arg(esc(teacher.name), esc(teacher.account));
    body += QStringLiteral("<h2>班级</h2>");
    if (classes.isEmpty()) {
        body += QStringLiteral("<p class=\"note\">还没有班级。</p>");
    } else {
        body += QStringLiteral("<table><tr><th>班级</th><th>学生人数</th></tr>\n");
        for (const ClassData &c : classes)
            body +=
                QStringLiteral("<tr><td>%1</td><td>%2</td></tr>\n").arg(esc(c.name), QString::number(c.students.size()));
        body += QStringLiteral("</table>");
    }
    body += QStringLiteral("<h2>最近的计分</h2>") + scoreTable(recent);
    body += QStringLiteral("<p><a href=\"/score\">退出</a></p>");
    return page(QStringLiteral("Corvanta 计分服务"), body);
}

QString recentScoresPage(const Teacher &teacher, const QList<ScoreRecord> &recent)
{
    const QString body =
        QStringLiteral("<h1>%1 老师最近的 %2 条计分</h1>").arg(esc(teacher.name), QString::number(recent.size())) +
        scoreTable(recent);
    return page(QStringLiteral("上传结果"), body);
}

QString vendorHomePage(const QString &version)
{
    return page(
        QStringLiteral("Corvanta"),
        QStringLiteral("<h1>Corvanta</h1><p>课堂点名与计分工具。</p>"
                       "<p>最新版本：%1</p><p><a href=\"/soft/update.php?sort=Selvane\">下载最新版本</a>"
                       " · <a href=\"/score\">计分服务</a></p>")
            .arg(esc(version)));
}

QString updatePage(const QString &version)
{
    return page(QStringLiteral("Corvanta 下载"),
                QStringLiteral("<h1>下载 Corvanta</h1><p>最新版本：%1</p>"
                               "<p class=\"note\">请向学校的系统管理员索取安装包。</p>"
                               "<p><a href=\"/\">返回首页</a></p>")
                    .arg(esc(version)));
}

} // namespace corvanta::server::html
