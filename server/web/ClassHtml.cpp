#include "ClassHtml.h"

#include "FairnessHtml.h"
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

const SortColumn kColumns[] = {
    {"name", "姓名", false, false, false},   {"group", "组", true, true, false},
    {"count", "<span class=\"w\">被点</span>次数", true, true, true}, {"mean", "平均分", true, true, true},
    {"last", "最近<span class=\"w\">计分</span>", true, false, true},
};

} // namespace

QString sortHeadingRow(const QString &className, const SortOrder &order, std::span<const SortColumn> columns)
{
    QString row;
    for (const SortColumn &c : columns) {
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

namespace {

// The students in the page's order, each with its place in the class list (the rows' key).
struct Placed
{
    StudentSummary student;
    int index = 0;
};

QList<Placed> placedStudents(const ClassReport &report, const SortOrder &order)
{
    QList<StudentSummary> sorted = report.students;
    web_report::sortStudents(sorted, order);
    // Names are unique in a class, so a name finds its place in the list.
    QHash<QString, int> place;
    for (qsizetype i = 0; i < report.students.size(); ++i)
        place.insert(report.students[i].name, int(i));
    QList<Placed> out;
    for (const StudentSummary &s : sorted)
        out.append({s, place.value(s.name)});
    return out;
}

QString studentLink(const QString &className, const QString &name)
{
    return QStringLiteral("<a href=\"%1\">%2</a>")
        .arg(esc(studentAddress(pages::kWebStudent, className, name)), esc(name));
}

QString studentTable(const ClassReport &report, const QList<Placed> &students, const SortOrder &order)
{
    if (students.isEmpty())
        return QStringLiteral("<p class=\"note\">这个班级还没有学生。</p>");
    QString rows;
    for (const auto &[s, index] : students) {
        // data-v: the value the script sorts by; empty sorts last.
        const QString mean = s.scores > 0 ? QString::number(s.mean(), 'g', 17) : QString();
        const QString last = s.lastTime != 0 ? QString::number(s.lastTime) : QString();
        rows += QStringLiteral(
                    "<tr data-i=\"%1\"><td class=\"name\" data-v=\"%2\">%3</td><td class=\"n\">%4</td>"
                    "<td class=\"n\">%5</td><td class=\"n\" data-v=\"%6\">%7</td><td class=\"t\" data-v=\"%8\">%9"
                    "</td></tr>\n")
                    .arg(QString::number(index), esc(s.name), studentLink(report.name, s.name),
                         QString::number(s.group), QString::number(s.scores), mean,
                         esc(meanText(s.mean(), s.scores)), last, timeCell(s.lastTime));
    }
    return scrollBox(QStringLiteral("学生"), QStringLiteral("<table id=\"students\"><thead>") +
                                                 sortHeadingRow(report.name, order, kColumns) +
                                                 QStringLiteral("</thead><tbody>\n") + rows +
                                                 QStringLiteral("</tbody></table>"));
}

QString charts(const ClassReport &report, const QList<Placed> &students)
{
    QList<Bar> means, counts;
    for (const auto &[s, index] : students) {
        const QString href = studentAddress(pages::kWebStudent, report.name, s.name);
        means.append({s.name, s.mean(), meanText(s.mean(), s.scores), href, index});
        counts.append({s.name, double(s.scores), QString::number(s.scores), href, index});
    }
    return QStringLiteral("<div class=\"charts\" id=\"charts\"><section><h2>平均分</h2>%1</section>"
                          "<section><h2>被点次数</h2>%2</section></div>")
        .arg(barChart(QStringLiteral("chart-mean"), QStringLiteral("每名学生的平均分"), means,
                      QStringLiteral("#3f74b5"), web_report::kFullMark),
             barChart(QStringLiteral("chart-count"), QStringLiteral("每名学生被点的次数"), counts,
                      QStringLiteral("#4b8a3e")));
}

QString topicTable(QList<TopicSummary> topics)
{
    web_report::sortTopics(topics);
    QString rows;
    for (const TopicSummary &t : topics)
        rows += QStringLiteral("<tr>%1<td class=\"n\">%2</td><td class=\"n\">%3</td></tr>\n")
                    .arg(clippedCell(t.topic), QString::number(t.scores), esc(meanText(t.mean(), t.scores)));
    return scrollBox(QStringLiteral("各课题平均分"),
                     QStringLiteral("<table id=\"topics\"><thead><tr><th>课题</th>"
                                    "<th class=\"n\">计分条数</th><th class=\"n\">平均分</th></tr></thead><tbody>\n") +
                         rows + QStringLiteral("</tbody></table>"));
}

QString latestTable(const QString &className, const QList<ScoreRecord> &latest)
{
    QString rows;
    for (const ScoreRecord &r : latest)
        rows += QStringLiteral("<tr><td class=\"t\">%1</td>%2<td class=\"n\">%3</td>%4%5</tr>\n")
                    .arg(timeCell(r.time), clippedCell(r.student, studentAddress(pages::kWebStudent, className, r.student)),
                         esc(shortestDecimal(r.score)), clippedCell(r.topic), clippedCell(r.note));
    return scrollBox(QStringLiteral("最近的计分"),
                     QStringLiteral("<table id=\"latest\"><thead><tr><th>时间</th><th>学生</th>"
                                    "<th class=\"n\">计分</th><th>课题</th><th>标准/说明</th></tr></thead><tbody>\n") +
                         rows + QStringLiteral("</tbody></table>"));
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
    const QList<Placed> students = placedStudents(report, order);
    // The first tab stops: past the header's links to the table, and past the table's rows to
    // the charts.
    QString skips = QStringLiteral("<a class=\"skip\" href=\"#s-students\">跳到学生表</a>");
    if (scores > 0)
        skips += QStringLiteral("<a class=\"skip\" href=\"#charts\">跳到图表</a>");
    const QString header = skips + signedInBar(teacher, links);
    QString body = QStringLiteral("<h1>%1</h1><p class=\"note\">%2 名学生 · %3 条计分 · 最近上传 <span class=\"t\">%4</span></p>")
                       .arg(esc(report.name), QString::number(report.students.size()), QString::number(scores),
                            esc(web_report::momentMinuteText(report.lastUpload)));
    body += QStringLiteral("<h2 id=\"s-students\">学生</h2>") + studentTable(report, students, order);
    if (scores == 0)
        return document(report.name, body + QStringLiteral("<p class=\"note\">还没有计分记录。</p>"), true, header);
    body += charts(report, students);
    body += fairnessSection(report, order);
    body += QStringLiteral("<h2>各课题平均分</h2>") + topicTable(report.topics);
    body += QStringLiteral("<h2>最近 %1 条计分</h2>").arg(report.latest.size()) + latestTable(report.name, report.latest);
    return document(report.name, body, true, header);
}

} // namespace corvanta::server::html
