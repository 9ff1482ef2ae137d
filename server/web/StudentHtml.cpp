#include "StudentHtml.h"

#include "FairnessHtml.h"
#include "HtmlPages.h"
#include "WebCharts.h"
#include "WebReport.h"

#include "core/TextCodec.h"
#include "net/PagePaths.h"
#include "net/Wire.h"

#include <QDateTime>
#include <QHash>

namespace corvanta::server::html {

namespace {

using web_report::meanText;

const QString kStudentColour = QStringLiteral("#3f74b5");
const QString kClassColour = QStringLiteral("#c0392b");

QList<LinePoint> points(const QList<web_report::DaySummary> &days)
{
    QList<LinePoint> out;
    for (const auto &d : days)
        out.append({d.start + 12 * 3600, d.mean()});
    return out;
}

// A mean beside the full mark it is out of ("2.86 / 5"), so a parent reads it rightly.
QString outOfFullMark(const QString &mean, int scores)
{
    return scores > 0 ? mean + QStringLiteral(" / ") + QString::number(web_report::kFullMark) : mean;
}

QString figures(const StudentReport &r)
{
    int classScores = 0;
    double classTotal = 0;
    for (const TopicSummary &t : r.classTopics) {
        classScores += t.scores;
        classTotal += t.total;
    }
    const auto row = [](const char *caption, const QString &value) {
        return QStringLiteral("<tr><th scope=\"row\">%1</th><td>%2</td></tr>").arg(QString::fromUtf8(caption), value);
    };
    const StudentSummary &s = r.student;
    // A class without groups has everyone in group 0: no group to name.
    const QString group = r.classGrouped ? row("组", QString::number(s.group)) : QString();
    return QStringLiteral("<table id=\"figures\" class=\"figures\"><tbody>") + row("班级", esc(r.className)) +
           group + row("被点次数", QString::number(s.scores)) +
           row("平均分", esc(outOfFullMark(meanText(s.mean(), s.scores), s.scores))) +
           row("班级平均分", esc(outOfFullMark(meanText(classScores > 0 ? classTotal / classScores : 0, classScores),
                                               classScores))) +
           row("最近计分", timeCell(s.lastTime)) + QStringLiteral("</tbody></table>");
}

QString chart(const StudentReport &r)
{
    const QList<web_report::DaySummary> own = web_report::byDay(r.hours);
    const QList<web_report::DaySummary> cls = web_report::byDay(r.classHours);
    const QString chartHtml =
        lineChart(QStringLiteral("chart-days"), QStringLiteral("%1 每天的平均分与班级平均分").arg(r.student.name),
                  {{r.student.name, points(own), kStudentColour, false},
                   {QStringLiteral("班级平均分"), points(cls), kClassColour, true}},
                  QStringLiteral("平均分"), web_report::kFullMark);
    // The chart's figures for screen readers.
    QHash<QDate, const web_report::DaySummary *> classOf;
    for (const auto &d : cls)
        classOf.insert(d.day, &d);
    QString rows;
    for (const auto &d : own) {
        const auto *c = classOf.value(d.day);
        rows += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>\n")
                    .arg(d.day.toString(Qt::ISODate), esc(meanText(d.mean(), d.scores)),
                         esc(c ? meanText(c->mean(), c->scores) : meanText(0, 0)));
    }
    return chartHtml +
           QStringLiteral("<p class=\"legend\" aria-hidden=\"true\"><span><i></i>%1</span><span><i class=\"m\"></i>"
                          "班级平均分</span></p>")
               .arg(esc(r.student.name)) +
           QStringLiteral("<table id=\"days\" class=\"sr\"><caption>每天的平均分</caption><thead><tr><th>日期</th>"
                          "<th>平均分</th><th>班级平均分</th></tr></thead><tbody>\n") +
           rows + QStringLiteral("</tbody></table>");
}

QString topicTable(const StudentReport &r)
{
    QList<TopicSummary> topics = r.classTopics;
    web_report::sortTopics(topics);
    QHash<QString, TopicSummary> own;
    for (const TopicSummary &t : r.topics)
        own.insert(t.topic, t);
    QString rows;
    for (const TopicSummary &c : topics) {
        const TopicSummary s = own.value(c.topic);
        rows += QStringLiteral("<tr>%1<td class=\"n\">%2</td><td class=\"n\">%3</td><td class=\"n\">%4</td></tr>\n")
                    .arg(clippedCell(c.topic), QString::number(s.scores), esc(meanText(s.mean(), s.scores)),
                         esc(meanText(c.mean(), c.scores)));
    }
    return scrollBox(QStringLiteral("各课题平均分"),
                     QStringLiteral("<table id=\"topics\"><thead><tr><th>课题</th><th class=\"n\">计分条数</th>"
                                    "<th class=\"n\">平均分</th><th class=\"n\">班级平均分</th></tr></thead><tbody>\n") +
                         rows + QStringLiteral("</tbody></table>"));
}

QString historyTable(const QList<ScoreRecord> &history)
{
    QString rows;
    for (const ScoreRecord &r : history)
        rows += QStringLiteral("<tr><td class=\"t\">%1</td><td class=\"n\">%2</td>%3%4</tr>\n")
                    .arg(timeCell(r.time), esc(shortestDecimal(r.score)), clippedCell(r.topic), clippedCell(r.note));
    return scrollBox(QStringLiteral("计分记录"),
                     QStringLiteral("<table id=\"history\"><thead><tr><th>时间</th><th class=\"n\">计分</th>"
                                    "<th>课题</th><th>标准/说明</th></tr></thead><tbody>\n") +
                         rows + QStringLiteral("</tbody></table>"));
}

QString pager(const StudentReport &r, int page, int pages)
{
    if (pages <= 1)
        return {};
    const auto link = [&](int to, const QString &caption) {
        return QStringLiteral("<a href=\"%1\">%2</a>")
            .arg(esc(studentAddress(pages::kWebStudent, r.className, r.student.name, to)), caption);
    };
    QString out = QStringLiteral("<nav class=\"pages\" aria-label=\"计分记录的页\">");
    if (page == kEveryScore)
        return out + link(1, QStringLiteral("每页 %1 条").arg(kHistoryPage)) + QStringLiteral("</nav>");
    if (page > 1)
        out += link(page - 1, QStringLiteral("较新的计分"));
    out += QStringLiteral("<span>第 %1 / %2 页</span>").arg(page).arg(pages);
    if (page < pages)
        out += link(page + 1, QStringLiteral("更早的计分"));
    // One list to print.
    out += link(kEveryScore, QStringLiteral("全部 %1 条").arg(r.student.scores));
    return out + QStringLiteral("</nav>");
}

} // namespace

QString studentPage(const Teacher &teacher, const StudentReport &report, int page, const QDate &today)
{
    const StudentSummary &s = report.student;
    const int pages = qMax(1, (s.scores + kHistoryPage - 1) / kHistoryPage);
    const QString links =
        QStringLiteral("<a href=\"%1\">我的班级</a><a href=\"%2\">返回%3</a><a href=\"%4\" download>下载计分表（CSV）"
                       "</a><a href=\"#\" data-print>打印</a>")
            .arg(QLatin1String(pages::kScoreHome), esc(classAddress(pages::kWebClass, report.className)),
                 esc(report.className), esc(studentAddress(pages::kWebStudentCsv, report.className, s.name)));
    // Only on paper: whose sheet it is and when it was printed, nothing of the school.
    QString body = QStringLiteral("<p class=\"print-head\">%1 · %2 · %3</p>")
                       .arg(esc(report.className), esc(s.name), today.toString(Qt::ISODate));
    body += QStringLiteral("<h1>%1</h1>").arg(esc(s.name)) + figures(report) + lessonsSinceNote(report);
    if (s.scores == 0)
        return document(s.name, body + QStringLiteral("<p class=\"note\">还没有计分记录。</p>"), true,
                        signedInBar(teacher, links));
    body += QStringLiteral("<h2>每天的平均分</h2>") + chart(report);
    body += QStringLiteral("<h2>各课题平均分</h2>") + topicTable(report);
    if (page == kEveryScore) {
        body += report.history.size() < s.scores
                    ? QStringLiteral("<h2>计分记录（共 %1 条，最近 %2 条）</h2>").arg(s.scores).arg(report.history.size())
                    : QStringLiteral("<h2>计分记录（共 %1 条）</h2>").arg(s.scores);
    } else {
        const int from = (page - 1) * kHistoryPage + 1;
        const int to = from + int(report.history.size()) - 1;
        body += QStringLiteral("<h2>计分记录（共 %1 条，第 %2–%3 条）</h2>").arg(s.scores).arg(from).arg(to);
    }
    body += historyTable(report.history) + pager(report, page, pages);
    return document(QStringLiteral("%1 · %2").arg(s.name, report.className), body, true, signedInBar(teacher, links));
}

} // namespace corvanta::server::html
