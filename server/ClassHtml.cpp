#include "ClassHtml.h"

#include "HtmlPages.h"
#include "WebCharts.h"

#include "core/TextCodec.h"
#include "net/PagePaths.h"
#include "net/Wire.h"

namespace corvanta::server::html {

namespace {

using web_report::meanText;
using web_report::minuteText;
using web_report::SortOrder;

struct Column
{
    const char *key;
    const char *caption;
    bool numeric;   // the script compares data-v (or the text) as numbers
    bool right;     // aligned right, as figures are
    bool downFirst; // figures and times: the largest first on the first click
};

const Column kColumns[] = {
    {"name", "姓名", false, false, false},   {"group", "组", true, true, false},
    {"count", "被点次数", true, true, true}, {"mean", "平均分", true, true, true},
    {"last", "最近计分", true, false, true},
};

QString headingRow(const QString &className, const SortOrder &order)
{
    QString row;
    for (const Column &c : kColumns) {
        const bool current = order.key == QLatin1String(c.key);
        // A click on the current column turns its direction; another column starts its own way.
        const bool down = current ? !order.descending : c.downFirst;
        const QString first = c.downFirst ? QStringLiteral("-") : QString();
        QString attributes = c.right ? QStringLiteral(" class=\"n\"") : QString();
        if (current)
            attributes += order.descending ? QStringLiteral(" aria-sort=\"descending\"")
                                           : QStringLiteral(" aria-sort=\"ascending\"");
        const SortOrder next{QLatin1String(c.key), down};
        row += QStringLiteral("<th%1><a href=\"%2\" data-key=\"%3\" data-first=\"%4\"%5>%6</a></th>")
                   .arg(attributes, esc(classAddress(pages::kWebClass, className, next.text())),
                        QLatin1String(c.key), first, c.numeric ? QStringLiteral(" data-num") : QString(),
                        QString::fromUtf8(c.caption));
    }
    return QStringLiteral("<tr>") + row + QStringLiteral("</tr>");
}

QString studentTable(const ClassReport &report, const SortOrder &order)
{
    if (report.students.isEmpty())
        return QStringLiteral("<p class=\"note\">这个班级还没有学生。</p>");
    QList<StudentSummary> students = report.students;
    web_report::sortStudents(students, order);
    QString rows;
    for (const StudentSummary &s : students) {
        // data-v: the value the script sorts by; empty sorts last.
        const QString mean = s.scores > 0 ? QString::number(s.mean(), 'g', 17) : QString();
        const QString last = s.lastTime != 0 ? QString::number(s.lastTime) : QString();
        rows += QStringLiteral(
                    "<tr><td>%1</td><td class=\"n\">%2</td><td class=\"n\">%3</td>"
                    "<td class=\"n\" data-v=\"%4\">%5</td><td class=\"t\" data-v=\"%6\">%7</td></tr>\n")
                    .arg(esc(s.name), QString::number(s.group), QString::number(s.scores), mean,
                         esc(meanText(s.mean(), s.scores)), last, timeCell(s.lastTime));
    }
    return QStringLiteral("<div class=\"scroll\"><table id=\"students\"><thead>") +
           headingRow(report.name, order) + QStringLiteral("</thead><tbody>\n") + rows +
           QStringLiteral("</tbody></table></div>");
}

QString charts(const ClassReport &report)
{
    QList<Bar> means, counts;
    for (const StudentSummary &s : report.students) {
        means.append({s.name, s.mean(), meanText(s.mean(), s.scores)});
        counts.append({s.name, double(s.scores), QString::number(s.scores)});
    }
    return QStringLiteral("<div class=\"charts\"><section><h2>平均分</h2>%1</section>"
                          "<section><h2>被点次数</h2>%2</section></div>")
        .arg(barChart(QStringLiteral("chart-mean"), QStringLiteral("每名学生的平均分"), means,
                      QStringLiteral("#3f74b5")),
             barChart(QStringLiteral("chart-count"), QStringLiteral("每名学生被点的次数"), counts,
                      QStringLiteral("#5a9e4b")));
}

QString topicTable(QList<TopicSummary> topics)
{
    web_report::sortTopics(topics);
    QString rows;
    for (const TopicSummary &t : topics)
        rows += QStringLiteral("<tr><td>%1</td><td class=\"n\">%2</td><td class=\"n\">%3</td></tr>\n")
                    .arg(esc(t.topic), QString::number(t.scores), esc(meanText(t.mean(), t.scores)));
    return QStringLiteral("<div class=\"scroll\"><table id=\"topics\"><thead><tr><th>课题</th>"
                          "<th class=\"n\">计分条数</th><th class=\"n\">平均分</th></tr></thead><tbody>\n") +
           rows + QStringLiteral("</tbody></table></div>");
}

QString latestTable(const QList<ScoreRecord> &latest)
{
    QString rows;
    for (const ScoreRecord &r : latest)
        rows += QStringLiteral("<tr><td class=\"t\">%1</td><td>%2</td><td class=\"n\">%3</td><td>%4</td>"
                               "<td>%5</td></tr>\n")
                    .arg(timeCell(r.time), esc(r.student), esc(shortestDecimal(r.score)), esc(r.topic),
                         esc(r.note));
    return QStringLiteral("<div class=\"scroll\"><table id=\"latest\"><thead><tr><th>时间</th><th>学生</th>"
                          "<th class=\"n\">计分</th><th>课题</th><th>标准/说明</th></tr></thead><tbody>\n") +
           rows + QStringLiteral("</tbody></table></div>");
}

} // namespace

QString classPage(const Teacher &teacher, const ClassReport &report, const SortOrder &order)
{
    int scores = 0;
    for (const StudentSummary &s : report.students)
        scores += s.scores;
    const QString links =
        QStringLiteral("<a href=\"%1\">我的班级</a><a href=\"%2\" download>下载计分表（CSV）</a>")
            .arg(QLatin1String(pages::kScoreHome), esc(classAddress(pages::kWebClassCsv, report.name)));
    QString body = signedInBar(teacher, links);
    body += QStringLiteral("<h1>%1</h1><p class=\"note\">%2 名学生 · %3 条计分 · 最近上传 %4</p>")
                .arg(esc(report.name), QString::number(report.students.size()), QString::number(scores),
                     esc(minuteText(report.lastUpload)));
    body += QStringLiteral("<h2>学生</h2>") + studentTable(report, order);
    if (scores == 0)
        return document(report.name, body + QStringLiteral("<p class=\"note\">还没有计分记录。</p>"), true);
    body += charts(report);
    body += QStringLiteral("<h2>各课题平均分</h2>") + topicTable(report.topics);
    body += QStringLiteral("<h2>最近 %1 条计分</h2>").arg(report.latest.size()) + latestTable(report.latest);
    return document(report.name, body, true);
}

} // namespace corvanta::server::html
