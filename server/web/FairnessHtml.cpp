#include "FairnessHtml.h"

#include "ClassHtml.h"
#include "HtmlPages.h"
#include "WebFairness.h"

#include "net/PagePaths.h"

namespace corvanta::server::html {

namespace {

const QString kLessonRule = QStringLiteral("一天有计分算一节课");

const SortColumn kFairColumns[] = {
    {"name", "姓名", false, false, false},
    {"count", "<span class=\"w\">被点</span>次数", true, true, true},
    {"wait", "距上次被点<span class=\"w\">（节课）</span>", true, true, true},
    {"last", "最近<span class=\"w\">计分</span>", true, false, true},
};

QString waitText(const web_report::FairnessRow &row)
{
    return row.student.lastTime == 0 ? QStringLiteral("从未被点到") : QString::number(row.lessonsWaited);
}

QString nameLink(const QString &className, const QString &name)
{
    return QStringLiteral("<a href=\"%1\">%2</a>")
        .arg(esc(studentAddress(pages::kWebStudent, className, name)), esc(name));
}

} // namespace

QString fairnessSection(const ClassReport &report, const web_report::SortOrder &order)
{
    if (report.students.isEmpty())
        return {};
    const web_report::Fairness f = web_report::fairness(report, kLongestWaiting);
    QString out =
        QStringLiteral("<h2 id=\"fair\">公平</h2><p class=\"note\">被点最多 %1 次，最少 %2 次，相差 %3 次 · "
                       "共 %4 节课（%5）</p>")
            .arg(f.most)
            .arg(f.least)
            .arg(f.gap())
            .arg(f.lessons)
            .arg(kLessonRule);
    QStringList waiting;
    for (const auto &row : f.longestWaiting) {
        const QString wait =
            row.student.lastTime == 0 ? waitText(row) : QStringLiteral("%1 节课").arg(row.lessonsWaited);
        waiting.append(nameLink(report.name, row.student.name) + QStringLiteral("（") + wait +
                       QStringLiteral("）"));
    }
    out += QStringLiteral("<p id=\"longest-waiting\">最久未被点到：") + waiting.join(QStringLiteral("、")) +
           QStringLiteral("</p>");

    const web_report::SortOrder shown =
        order.key.isEmpty() ? web_report::SortOrder{QStringLiteral("wait"), true} : order;
    QList<StudentSummary> sorted = report.students;
    web_report::sortStudents(sorted, shown);
    QHash<QString, const web_report::FairnessRow *> byName;
    for (const auto &row : f.rows)
        byName.insert(row.student.name, &row);
    QString rows;
    for (const StudentSummary &s : sorted) {
        const web_report::FairnessRow &row = *byName.value(s.name);
        const QString last = s.lastTime != 0 ? QString::number(s.lastTime) : QString();
        rows += QStringLiteral(
                    "<tr><td class=\"name\" data-v=\"%1\">%2</td><td class=\"n\">%3</td>"
                    "<td class=\"n\" data-v=\"%4\">%5</td><td class=\"t\" data-v=\"%6\">%7</td></tr>\n")
                    .arg(esc(s.name), nameLink(report.name, s.name), QString::number(s.scores),
                         QString::number(row.lessonsWaited), waitText(row), last, timeCell(s.lastTime));
    }
    return out + scrollBox(QStringLiteral("公平"), QStringLiteral("<table id=\"fairness\"><thead>") +
                                                       sortHeadingRow(report.name, shown, kFairColumns) +
                                                       QStringLiteral("</thead><tbody>\n") + rows +
                                                       QStringLiteral("</tbody></table>"));
}

QString lessonsSinceNote(const StudentReport &report)
{
    const QList<QDate> lessons = web_report::lessonDays(report.classScoreHours);
    const int waited = web_report::lessonsSince(lessons, report.student.lastTime);
    QString text;
    if (report.student.lastTime == 0)
        text = QStringLiteral("还没有被点到");
    else if (waited == 0)
        text = QStringLiteral("最近一节课被点到");
    else
        text = QStringLiteral("距上次被点 %1 节课").arg(waited);
    return QStringLiteral("<p class=\"note\" id=\"since\">%1（班级共 %2 节课，%3）</p>")
        .arg(text)
        .arg(lessons.size())
        .arg(kLessonRule);
}

} // namespace corvanta::server::html
