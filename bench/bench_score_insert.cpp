// Uploads as the tools send them at the bell: 300 uploads of 40 lines (a class's lesson) into
// one store on disk, timed; prints the lines stored a second. Run with
// CORVANTA_TEST_STORE=postgresql for PostgreSQL (a throw-away server, as the tests start one).
#include "StoreFactory.h"
#include "support/PostgresCluster.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

using namespace corvanta;
using namespace corvanta::server;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    constexpr int kUploads = 300;
    constexpr int kLines = 40;
    QTemporaryDir dir;
    QString error;
    std::unique_ptr<Store> store = openStore(test::testDatabase(dir, QStringLiteral("insert.db")), &error);
    if (!store) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    Teacher t;
    t.account = QStringLiteral("bench");
    t.name = QStringLiteral("x");
    t.loginVerifier = QStringLiteral("v");
    t.operationHash = QStringLiteral("h");
    store->createTeacher(t);
    const qint64 teacher = store->teacherByAccount(t.account)->id;
    store->replaceClasses(teacher, {QStringLiteral("一班")});
    QStringList names;
    for (int s = 0; s < kLines; ++s)
        names.append(QStringLiteral("学生%1号").arg(s + 1));
    store->replaceStudents(teacher, QStringLiteral("一班"), names);
    QElapsedTimer timer;
    timer.start();
    qint64 stored = 0;
    for (int u = 0; u < kUploads; ++u) {
        QList<ScoreRecord> lines;
        for (int i = 0; i < kLines; ++i) {
            ScoreRecord r;
            r.className = QStringLiteral("一班");
            r.student = names[i];
            r.score = i % 5;
            r.time = 1'700'000'000 + u * 60 + i;
            r.topic = QStringLiteral("课堂提问");
            r.note = i % 3 ? QString() : QStringLiteral("回答完整准确");
            lines.append(r);
        }
        stored += store->addScores(teacher, lines, 1'700'000'000 + u * 60).stored;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("%lld lines in %.3f s: %.0f lines/s\n", static_cast<long long>(stored), seconds, stored / seconds);
    return stored == qint64(kUploads) * kLines ? 0 : 1;
}
