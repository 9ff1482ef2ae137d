// A term of lessons in one class, drawn by the tool's own draw core: at each lesson's start
// the pools are built from the students' counts as choosing the class builds them, then the
// lesson's draws run (start, one animation step, stop) and each chosen student is scored once,
// so their count goes up by one for the next lesson.
//
// For each way of drawing (the fair draw, "所有", "未点"; and the fair draw with one student
// in twenty away each lesson), each class size and number of draws a lesson, over many terms:
// the largest gap, after any lesson, between the most and the least called student, and the longest
// wait, in lessons, between two calls of a student (the term's start counts as a call; the
// lessons after a student's last call count as a wait too). Goal of the fair draw: gap <= 1
// and longest wait <= 2 * ceil(students / draws) in every term.
//
//   bench_fair_term [terms] [lessons]      (default 200 terms of 90 lessons)
#include "app/Draw.h"
#include "app/Pools.h"
#include "support/TestClock.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTextStream>

#include <algorithm>

using namespace corvanta;

namespace {

enum class Way { Fair, All, NotYet, FairWithAbsent };

const char *wayName(Way way)
{
    switch (way) {
    case Way::Fair:
        return "公平";
    case Way::All:
        return "所有";
    case Way::NotYet:
        return "未点";
    case Way::FairWithAbsent:
        return "公平+缺席";
    }
    return "";
}

struct TermResult
{
    int gap = 0;
    int longestWait = 0;
};

TermResult runTerm(Way way, int students, int drawsPerLesson, int lessons, quint32 termNumber)
{
    QList<StudentRecord> records;
    for (int i = 0; i < students; ++i) {
        StudentRecord s;
        s.name = QStringLiteral("学生%1").arg(i + 1);
        s.className = QStringLiteral("一班");
        s.score = 3;
        records.append(s);
    }
    QHash<QString, int> index;
    for (int i = 0; i < students; ++i)
        index.insert(records[i].name, i);
    QList<int> lastCall(students, 0);
    TermResult result;
    test::ReplayRandom random(termNumber);
    QRandomGenerator absences(termNumber);
    Draw draw;
    for (int lesson = 1; lesson <= lessons; ++lesson) {
        draw.setPools(buildRoster(records).pools);
        if (way == Way::FairWithAbsent) {
            QSet<QString> absent;
            for (const StudentRecord &s : records) {
                if (absences.bounded(20) == 0)
                    absent.insert(s.name);
            }
            draw.setAbsent(absent);
        }
        for (int d = 0; d < drawsPerLesson; ++d) {
            bool started = false;
            switch (way) {
            case Way::Fair:
            case Way::FairWithAbsent:
                started = draw.startFair();
                break;
            case Way::All:
                started = draw.start(0);
                break;
            case Way::NotYet:
                started = draw.start(1);
                break;
            }
            if (!started)
                break;
            draw.step(random);
            const int chosen = index.value(draw.stop(), -1);
            if (chosen < 0)
                continue;
            records[chosen].count += 1;
            result.longestWait = std::max(result.longestWait, lesson - lastCall[chosen]);
            lastCall[chosen] = lesson;
        }
        const auto [least, most] = std::minmax_element(
            records.cbegin(), records.cend(),
            [](const StudentRecord &a, const StudentRecord &b) { return a.count < b.count; });
        result.gap = std::max(result.gap, int(most->count - least->count));
    }
    for (int i = 0; i < students; ++i)
        result.longestWait = std::max(result.longestWait, lessons - lastCall[i]);
    return result;
}

struct Figures
{
    double gapSum = 0;
    int gapWorst = 0;
    double waitSum = 0;
    int waitWorst = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int terms = args.size() > 1 ? std::max(1, args[1].toInt()) : 200;
    const int lessons = args.size() > 2 ? std::max(1, args[2].toInt()) : 90;
    const QList<int> sizes{20, 30, 45, 60};
    const QList<int> draws{1, 2, 4, 6, 8};
    const QList<Way> ways{Way::Fair, Way::All, Way::NotYet, Way::FairWithAbsent};

    QTextStream out(stdout);
    out << "term of " << lessons << " lessons, " << terms
        << " terms a case; gap = most - least calls after a lesson, "
        << "wait = longest wait in lessons; mean / worst over the terms\n\n";
    out << "| students | draws | bound |";
    for (Way way : ways)
        out << ' ' << wayName(way) << " gap | " << wayName(way) << " wait |";
    out << "\n|---|---|---|";
    for (qsizetype i = 0; i < ways.size(); ++i)
        out << "---|---|";
    out << '\n';

    bool goalMet = true;
    quint32 termNumber = 1;
    for (int students : sizes) {
        for (int perLesson : draws) {
            const int bound = 2 * ((students + perLesson - 1) / perLesson);
            out << "| " << students << " | " << perLesson << " | " << bound << " |";
            for (Way way : ways) {
                Figures f;
                for (int t = 0; t < terms; ++t) {
                    const TermResult r = runTerm(way, students, perLesson, lessons, termNumber++);
                    f.gapSum += r.gap;
                    f.gapWorst = std::max(f.gapWorst, r.gap);
                    f.waitSum += r.longestWait;
                    f.waitWorst = std::max(f.waitWorst, r.longestWait);
                }
                if (way == Way::Fair && (f.gapWorst > 1 || f.waitWorst > bound))
                    goalMet = false;
                out << ' ' << QString::number(f.gapSum / terms, 'f', 1) << " / " << f.gapWorst << " | "
                    << QString::number(f.waitSum / terms, 'f', 1) << " / " << f.waitWorst << " |";
            }
            out << '\n';
            out.flush();
        }
    }
    out << "\nfair draw: gap <= 1 and wait <= bound in every term: " << (goalMet ? "yes" : "NO") << '\n';
    return goalMet ? 0 : 1;
}
