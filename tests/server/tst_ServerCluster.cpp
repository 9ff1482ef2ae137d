// Two corvanta-server processes on one database, as behind a load balancer: requests
// interleave between them, one may die at any moment, and neither may lose or double data.
#include "support/ServerProcess.h"

#include "core/TextCodec.h"
#include "net/Wire.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <csignal>
#include <memory>
#include <vector>

using namespace corvanta;
using corvanta::test::ServerProcess;

namespace {

const QString kTopic = QStringLiteral("课堂提问");
const QStringList kClasses = {QStringLiteral("一班"), QStringLiteral("二班")};

QString student(int n)
{
    return QStringLiteral("学生%1").arg(n, 2, 10, QLatin1Char('0'));
}

// Score line n: a student of either class, a time of its own.
QString scoreLine(int n)
{
    const QString time =
        QDateTime(QDate(2026, 3, 5), QTime(8, 0)).addSecs(n).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    return kClasses[n % 2] + u'\t' + student(n % 20) + u'\t' + QString::number(n % 7) + u'\t' + time + u'\t';
}

QByteArray uploadBody(const QString &account, const QStringList &lines)
{
    return ServerProcess::encode(
        {{"username", account}, {"password", "oper"}, {"keti", kTopic}, {"score", lines.join(u'|')}});
}

// Many requests in flight at once, to whichever server each names.
class Flight
{
public:
    // Qt opens at most six connections to a host per manager: more managers, more in flight.
    explicit Flight(int managers = 1)
    {
        for (int i = 0; i < managers; ++i)
            m_managers.push_back(std::make_unique<QNetworkAccessManager>());
    }
    // Sends the upload of lines to the server at base; done(ok) runs when its reply comes.
    void upload(const QString &base, const QString &account, const QStringList &lines,
                std::function<void(bool)> done = {})
    {
        QNetworkRequest request(QUrl(base + QStringLiteral("/score/index.php")));
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          QByteArrayLiteral("application/x-www-form-urlencoded"));
        request.setTransferTimeout(30000);
        QNetworkAccessManager &manager = *m_managers[m_next++ % m_managers.size()];
        QNetworkReply *reply = manager.post(request, uploadBody(account, lines));
        ++m_open;
        QObject::connect(reply, &QNetworkReply::finished, reply, [this, reply, done] {
            const bool ok = reply->error() == QNetworkReply::NoError && reply->readAll() == "Success!";
            reply->deleteLater();
            --m_open;
            if (done)
                done(ok);
        });
    }
    // Waits (at most 60 s) until every reply has come.
    bool wait()
    {
        return QTest::qWaitFor([this] { return m_open == 0; }, 60000);
    }

private:
    std::vector<std::unique_ptr<QNetworkAccessManager>> m_managers;
    std::size_t m_next = 0;
    int m_open = 0;
};

} // namespace

class TestServerCluster : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_database;
    std::unique_ptr<ServerProcess> m_a;
    std::unique_ptr<ServerProcess> m_b;
    int m_accounts = 0;

    std::unique_ptr<ServerProcess> startServer()
    {
        auto server = std::make_unique<ServerProcess>(QStringList{"--database", m_database});
        if (!server->start())
            qWarning("%s", qPrintable(server->errorText()));
        return server;
    }
    // A teacher with two classes of twenty students, set up half through each process.
    QString newTeacher()
    {
        const QString t = QStringLiteral("cluster%1").arg(++m_accounts);
        QStringList students;
        for (int i = 0; i < 20; ++i)
            students.append(student(i));
        if (!m_a->registerTeacher(t, "login", "oper") || !m_b->setClasses(t, "oper", kClasses) ||
            !m_a->setStudents(t, "oper", kClasses[0], students) ||
            !m_b->setStudents(t, "oper", kClasses[1], students) || !m_a->setTopics(t, "oper", {kTopic}))
            qFatal("could not set up %s", qPrintable(t));
        return t;
    }
    // Every stored line "class TAB student TAB score TAB time TAB", read through server.
    QStringList storedLines(ServerProcess &server, const QString &account)
    {
        QStringList out;
        for (const QString &cls : kClasses) {
            const QString text =
                server.get("/score/getscore.php", {{"class", cls}, {"t", account}, {"mp", Md5Hex("login")}})
                    .text();
            for (const QString &row : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
                const QStringList f = row.split(u'\t'); // id, student, score, time, topic, note
                if (f.size() >= 4)
                    out.append(cls + u'\t' + f[1] + u'\t' + f[2] + u'\t' + f[3] + u'\t');
            }
        }
        return out;
    }

private slots:
    void initTestCase()
    {
        CORVANTA_SKIP_WITHOUT_POSTGRES();
        m_database = test::testDatabase(m_dir);
        QVERIFY(!m_database.isEmpty());
        m_a = startServer();
        m_b = startServer();
        QVERIFY(!m_a->baseUrl().isEmpty() && !m_b->baseUrl().isEmpty());
    }

    void sameLinesThroughBothAreStoredOnce()
    {
        const QString t = newTeacher();
        Flight flight;
        int accepted = 0;
        QStringList all;
        // Every upload goes to both processes at once, in overlapping batches.
        for (int batch = 0; batch < 20; ++batch) {
            QStringList lines;
            for (int i = 0; i < 10; ++i)
                lines.append(scoreLine(batch * 7 + i)); // batches overlap by three lines
            all += lines;
            for (ServerProcess *server : {m_a.get(), m_b.get()})
                flight.upload(server->baseUrl(), t, lines, [&accepted](bool ok) { accepted += ok; });
        }
        QVERIFY(flight.wait());
        QCOMPARE(accepted, 40);
        const QSet<QString> expected(all.cbegin(), all.cend());
        for (ServerProcess *server : {m_a.get(), m_b.get()}) {
            QStringList stored = storedLines(*server, t);
            QCOMPARE(stored.size(), expected.size());
            QCOMPARE(QSet<QString>(stored.cbegin(), stored.cend()), expected);
        }
    }

    // A bell's worth of uploads at once through one process, stored together (on SQLite one
    // flush for many): each is answered for its own lines. One naming an unknown student is
    // refused whole and leaves the others of its flush stored; one sent again is "Success!"
    // and stores nothing twice.
    void bellOfUploadsAnsweredEach()
    {
        const QString t = newTeacher();
        Flight flight(8);
        QHash<int, bool> answers;
        QList<QStringList> uploads;
        for (int u = 0; u < 60; ++u) {
            QStringList lines;
            for (int i = 0; i < 12; ++i)
                lines.append(scoreLine(300000 + (u % 50) * 12 + i)); // the last ten: the first ten again
            if (u % 9 == 4)
                lines[5] = kClasses[0] + QStringLiteral("\t无名\t1\t2026-03-05 08:00:00\t");
            uploads.append(lines);
            flight.upload(m_a->baseUrl(), t, lines, [&answers, u](bool ok) { answers[u] = ok; });
        }
        QVERIFY(flight.wait());
        QSet<QString> expected;
        for (int u = 0; u < uploads.size(); ++u) {
            const bool refused = uploads[u][5].contains(QStringLiteral("无名"));
            QVERIFY2(answers.value(u) != refused, qPrintable(QString::number(u)));
            if (!refused)
                expected += QSet<QString>(uploads[u].cbegin(), uploads[u].cend());
        }
        const QStringList stored = storedLines(*m_b, t);
        QCOMPARE(stored.size(), expected.size());
        QCOMPARE(QSet<QString>(stored.cbegin(), stored.cend()), expected);
    }

    void renameThroughOneShowsInTheOther()
    {
        const QString t = newTeacher();
        const auto record = [&](ServerProcess &server) {
            return server.get("/score/record.php", {{"t", t}, {"mp", Md5Hex("login")}}).text();
        };
        QVERIFY(record(*m_b).startsWith(QStringLiteral("Class_Is_Ready\t一班\t二班\t"))); // now cached in b
        QCOMPARE(m_a->post("/score/renameclass.php", {{"username", t},
                                                      {"password", "oper"},
                                                      {"oldclassname", kClasses[0]},
                                                      {"newclassname", "三班"}})
                     .text(),
                 QStringLiteral("Success!"));
        QVERIFY(record(*m_b).startsWith(QStringLiteral("Class_Is_Ready\t三班\t二班\t")));
        QVERIFY(m_a->upload(t, "oper", kTopic, {QStringLiteral("三班\t学生01\t5\t2026-03-05 10:00:00\t")}));
        QVERIFY(record(*m_b).contains(QStringLiteral("三班\t学生01\t0\t0\t5\t1\r\n")));
    }

    // A student list replaced through one process while the other stores an upload for the
    // same class: the class ends with the new list, and the upload is either stored whole
    // (before the change; the removed students' scores went with them) or refused whole.
    void listReplacementRacingAnUpload()
    {
        const QString t = newTeacher();
        QStringList newList;
        for (int i = 10; i < 30; ++i)
            newList.append(student(i));
        for (int round = 0; round < 8; ++round) {
            QStringList oldList;
            for (int i = 0; i < 20; ++i)
                oldList.append(student(i));
            QVERIFY(m_a->setStudents(t, "oper", kClasses[0], oldList));
            QStringList lines; // every student of the old list
            for (int i = 0; i < 20; ++i)
                lines.append(kClasses[0] + u'\t' + student(i) + u'\t' + QString::number(round + 1) + u'\t' +
                             QDateTime(QDate(2026, 4, 1), QTime(8, 0))
                                 .addSecs(round * 100 + i)
                                 .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) +
                             u'\t');
            Flight flight;
            bool uploaded = false;
            bool replaced = false;
            // Half the rounds send the replacement first, half the upload.
            const auto sendUpload = [&] {
                flight.upload(m_b->baseUrl(), t, lines, [&](bool ok) { uploaded = ok; });
            };
            if (round % 2)
                sendUpload();
            QNetworkAccessManager manager;
            QNetworkRequest request(QUrl(m_a->baseUrl() + QStringLiteral("/score/student.php")));
            request.setHeader(QNetworkRequest::ContentTypeHeader,
                              QByteArrayLiteral("application/x-www-form-urlencoded"));
            QNetworkReply *reply =
                manager.post(request, ServerProcess::encode({{"username", t},
                                                             {"password", "oper"},
                                                             {"class", kClasses[0]},
                                                             {"student", newList.join(u'|')}}));
            if (round % 2 == 0)
                sendUpload();
            QVERIFY(flight.wait());
            QTRY_VERIFY_WITH_TIMEOUT(reply->isFinished(), 30000);
            replaced = reply->readAll() == "Success!";
            reply->deleteLater();
            QVERIFY(replaced);

            const QString record = m_b->get("/score/record.php", {{"t", t}, {"mp", Md5Hex("login")}}).text();
            int listed = 0;
            for (const QString &line : record.split(QStringLiteral("\r\n")))
                listed += line.startsWith(kClasses[0] + u'\t');
            QCOMPARE(listed, newList.size());
            const QStringList stored = storedLines(*m_a, t).filter(QStringLiteral("2026-04-01"));
            const QStringList thisRound = stored.filter(u'\t' + QString::number(round + 1) + u'\t');
            for (const QString &l : thisRound)
                QVERIFY2(newList.contains(l.section(u'\t', 1, 1)),
                         qPrintable(l)); // no score of a removed student
            // Stored whole: the ten kept students' lines; refused: none of them.
            QCOMPARE(thisRound.size(), uploaded ? 10 : 0);
        }
    }

    // What one process changes, the other's next request sees, though it answered the same
    // request from its teacher cache just before: sign-ins, lock-outs and record files.
    void changesSeenByTheOtherAtOnce_data()
    {
        QTest::addColumn<QString>("change");
        for (const char *change : {"login password", "reset", "operation password", "lock-out", "own lock-out",
                                   "upload", "groups", "student removed"})
            QTest::newRow(change) << QString::fromLatin1(change);
    }
    void changesSeenByTheOtherAtOnce()
    {
        QFETCH(QString, change);
        const QString t = newTeacher();
        const auto record = [&](const QString &login) {
            return m_b->get("/score/record.php", {{"t", t}, {"mp", Md5Hex(login)}});
        };
        const auto students = [&](const QString &line) { // the first class's lines that start so
            QStringList out;
            for (const QString &l : record("login").text().split(QStringLiteral("\r\n")))
                if (l.startsWith(kClasses[0] + u'\t' + line))
                    out.append(l);
            return out;
        };
        QVERIFY(m_b->upload(t, "oper", kTopic, {scoreLine(0)}));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(record("login").status, 200);
        const QString before = record("login").text();
        const QString locked = QStringLiteral("密码错误次数过多，帐号已锁定10分钟，请稍后再试！");
        const auto wrongFive = [&](ServerProcess &p) {
            for (int i = 0; i < 5; ++i)
                p.get("/score/record.php", {{"t", t}, {"mp", Md5Hex("bad")}});
        };
        if (change == "login password" || change == "operation password") {
            const bool login = change == "login password";
            QCOMPARE(m_a->post("/score/setteacher.php", {{"username", t},
                                                         {"email", "teacher@example.org"},
                                                         {"oldsuperpassword", "oper"},
                                                         {"newlogpassword", login ? "neu" : ""},
                                                         {"newsuperpassword", login ? "" : "neu"}})
                         .text(),
                     QStringLiteral("Success!"));
            QCOMPARE(record("login").text() == before, !login);
            QCOMPARE(m_b->upload(t, "oper", kTopic, {scoreLine(0)}), login); // stored already: no change
            QCOMPARE(record(login ? "neu" : "login").text(), before);
        } else if (change == "reset") {
            QCOMPARE(m_a->get("/score/getpswdcode.php", {{"username", t}, {"email", "teacher@example.org"}}).text(),
                     QStringLiteral("success"));
            QTRY_VERIFY(!m_a->mails().isEmpty());
            QFile mail(m_a->mails().last());
            QVERIFY(mail.open(QIODevice::ReadOnly));
            const QByteArray message = mail.readAll();
            const QString body = QString::fromUtf8(
                QByteArray::fromBase64(message.mid(message.indexOf("\r\n\r\n") + 4).replace("\r\n", "")));
            const QString code = QRegularExpression(QStringLiteral("(\\d{6})")).match(body).captured(1);
            QCOMPARE(m_a->post("/score/setpassword.php",
                               {{"username", t}, {"checkcode", code}, {"newpswd", "neu"}, {"newsuperpswd", ""}})
                         .text(),
                     QStringLiteral("success"));
            QVERIFY(record("login").text() != before);
            QCOMPARE(record("neu").text(), before);
        } else if (change == "lock-out" || change == "own lock-out") {
            wrongFive(change == "lock-out" ? *m_a : *m_b);
            QCOMPARE(record("login").text(), locked);
            QCOMPARE(m_a->get("/score/record.php", {{"t", t}, {"mp", Md5Hex("login")}}).text(), locked);
        } else if (change == "upload") {
            QVERIFY(m_a->upload(t, "oper", kTopic, {scoreLine(20)}));
            QCOMPARE(students(student(0) + QStringLiteral("\t0\t0\t3\t2")).size(), 1); // scores 0 and 6
        } else if (change == "groups") {
            QCOMPARE(m_a->post("/score/group.php", {{"username", t}, {"password", "oper"}, {"class", kClasses[0]},
                                                    {"group[3]", student(4)}})
                         .text(),
                     QStringLiteral("Success!"));
            QCOMPARE(students(student(4) + QStringLiteral("\t3\t")).size(), 1);
        } else if (change == "student removed") {
            QVERIFY(m_a->setStudents(t, "oper", kClasses[0], {student(0)}));
            QCOMPARE(students(QString()).size(), 1);
        }
    }

    // The connections that listen for other processes' changes ended under both processes:
    // until they listen again nothing is answered from what was read before, and once they
    // do, a change is seen as before.
    void lostListenerServesNothingStale()
    {
        if (!test::PostgresCluster::wanted())
            QSKIP("only PostgreSQL tells of changes by notices");
        test::PostgresCluster &pg = test::PostgresCluster::shared();
        const QString listen = QStringLiteral("corvanta-server-listen");
        const QString t = newTeacher();
        const auto record = [&] { return m_b->get("/score/record.php", {{"t", t}, {"mp", Md5Hex("login")}}).text(); };
        for (int round = 1; round <= 3; ++round) {
            for (int i = 0; i < 3; ++i)
                record();
            const QList<qint64> listeners = pg.backends(listen);
            QVERIFY2(listeners.size() == 2, "psql, of postgresql-client, is needed");
            if (round < 3) { // the third round: listening again
                for (const qint64 pid : listeners)
                    ::kill(pid_t(pid), SIGTERM);
                QTRY_VERIFY_WITH_TIMEOUT(!pg.backends(listen).contains(listeners.first()) &&
                                             !pg.backends(listen).contains(listeners.last()),
                                         20000);
            }
            const int n = 2 * round; // a student of the first class without a score so far
            QVERIFY(m_a->upload(t, "oper", kTopic, {scoreLine(n)}));
            const QString line = kClasses[0] + u'\t' + student(n) + QStringLiteral("\t0\t0\t%1\t1\r\n").arg(n % 7);
            QVERIFY2(record().contains(line), qPrintable(line));
            QTRY_COMPARE_WITH_TIMEOUT(pg.backends(listen).size(), 2, 20000);
        }
    }

    // PostgreSQL restarted under both processes: each serves again without a restart of
    // its own (a request that meets the lost connection may fail; the tool sends again).
    void databaseRestartIsSurvived()
    {
        if (!test::PostgresCluster::wanted())
            QSKIP("a database server to restart is PostgreSQL's");
        const QString t = newTeacher();
        QVERIFY2(test::PostgresCluster::shared().restart(),
                 qPrintable(test::PostgresCluster::shared().errorText()));
        int n = 0;
        for (ServerProcess *server : {m_a.get(), m_b.get()}) {
            bool stored = false;
            for (int attempt = 0; attempt < 3 && !stored; ++attempt)
                stored = server->upload(t, "oper", kTopic, {scoreLine(50000 + n)});
            QVERIFY(stored);
            ++n;
            QCOMPARE(server->upload(t, "oper", kTopic, {scoreLine(50000 + n++)}), true);
        }
        QCOMPARE(storedLines(*m_a, t).size(), 4);
    }

    // Backends ended as an administrator's pg_terminate_backend ends them (SIGTERM), while
    // both processes are idle: no request after it fails, on any request thread.
    void terminatedBackendsCostNoRequest()
    {
        if (!test::PostgresCluster::wanted())
            QSKIP("a database backend to end is PostgreSQL's");
        test::PostgresCluster &pg = test::PostgresCluster::shared();
        const QString t = newTeacher();
        int n = 300000;
        // Many at once, so that every request thread of both processes has its connection.
        const auto uploadsAnswered = [&](int count) {
            Flight flight(4);
            int ok = 0;
            for (int i = 0; i < count; ++i)
                flight.upload((i % 2 ? m_b : m_a)->baseUrl(), t, {scoreLine(n++)},
                              [&ok](bool good) { ok += good; });
            return flight.wait() ? ok : -1;
        };
        for (int round = 0; round < 3; ++round) {
            QCOMPARE(uploadsAnswered(24), 24);
            const QList<qint64> backends = pg.backends();
            QVERIFY2(!backends.isEmpty(),
                     "no backend of the server found (psql, of postgresql-client, is needed)");
            for (const qint64 pid : backends)
                ::kill(pid_t(pid), SIGTERM);
            QTRY_VERIFY_WITH_TIMEOUT(pg.backends().isEmpty(), 20000);
            QCOMPARE(uploadsAnswered(24), 24);
            for (ServerProcess *server : {m_a.get(), m_b.get()})
                QCOMPARE(server->get("/score/record.php", {{"t", t}, {"mp", Md5Hex("login")}}).status, 200);
        }
        QCOMPARE(storedLines(*m_a, t).size(), 6 * 24);
    }

    // A process killed with SIGKILL in the middle of uploads: every upload it answered
    // "Success!" is stored, and no upload is stored in part. With many in flight, uploads
    // wait for the running write and are stored together: the kill lands inside such a batch.
    void killedProcessLosesNoAcceptedUpload_data()
    {
        QTest::addColumn<int>("inFlight");
        QTest::addColumn<int>("linesEach");
        QTest::addColumn<int>("uploadCount");
        QTest::addColumn<int>("killAfter"); // answered uploads before the kill
        QTest::addColumn<bool>("stopped");  // SIGTERM instead: it must end at once all the same
        QTest::newRow("a few in flight") << 6 << 8 << 120 << 30 << false;
        QTest::newRow("a bell's worth in flight, stored in batches") << 36 << 40 << 150 << 40 << false;
        QTest::newRow("stopped while a bell's worth wait for the disk") << 36 << 40 << 150 << 40 << true;
    }
    void killedProcessLosesNoAcceptedUpload()
    {
        QFETCH(int, inFlight);
        QFETCH(int, linesEach);
        QFETCH(int, uploadCount);
        QFETCH(int, killAfter);
        QFETCH(bool, stopped);
        const QString t = newTeacher();
        Flight flight((inFlight + 5) / 6);
        QHash<int, bool> accepted; // upload number -> answered "Success!"
        QList<QStringList> uploads;
        for (int u = 0; u < uploadCount; ++u) {
            QStringList lines;
            for (int i = 0; i < linesEach; ++i)
                lines.append(scoreLine(10000 + u * linesEach + i));
            uploads.append(lines);
        }
        int sent = 0;
        qint64 stopTook = 0;
        std::function<void()> sendNext = [&] {
            if (sent >= uploads.size() || !m_a)
                return;
            const int u = sent++;
            flight.upload(m_a->baseUrl(), t, uploads[u], [&, u](bool ok) {
                accepted[u] = ok;
                if (ok && accepted.size() == killAfter && m_a) {
                    // In the middle: the other requests are in flight.
                    if (stopped) {
                        QElapsedTimer stopping;
                        stopping.start();
                        m_a->stop(); // SIGKILL after 5 s
                        stopTook = stopping.elapsed();
                    } else {
                        m_a->kill();
                    }
                }
                sendNext();
            });
        };
        for (int i = 0; i < inFlight; ++i)
            sendNext();
        QVERIFY(flight.wait());
        QVERIFY2(stopTook < 4000, qPrintable(QStringLiteral("the stop took %1 ms").arg(stopTook)));
        int acceptedCount = 0;
        const QStringList stored = storedLines(*m_b, t);
        const QSet<QString> storedSet(stored.cbegin(), stored.cend());
        QCOMPARE(storedSet.size(), stored.size());
        for (auto it = accepted.cbegin(); it != accepted.cend(); ++it) {
            const QStringList &lines = uploads[it.key()];
            int present = 0;
            for (const QString &l : lines)
                present += storedSet.contains(l);
            if (it.value()) {
                ++acceptedCount;
                QCOMPARE(present, lines.size());
            } else {
                QVERIFY2(present == 0 || present == lines.size(), "an upload stored in part");
            }
        }
        QVERIFY(acceptedCount >= killAfter);
        QVERIFY2(acceptedCount < uploads.size(), "the kill came too late to test anything");
        // The survivor still serves, and a restarted process joins again.
        m_a = startServer();
        QVERIFY(m_a->upload(t, "oper", kTopic, {scoreLine(99999)}));
        QCOMPARE(storedLines(*m_b, t).size(), stored.size() + 1);
    }

    // A PostgreSQL backend killed as the out-of-memory killer would, right after answers came:
    // PostgreSQL then ends every backend and recovers from its log, and every upload either
    // process answered "Success!" must have been in that log.
    void killedDatabaseBackendLosesNoAcceptedUpload()
    {
        if (!test::PostgresCluster::wanted())
            QSKIP("a database backend to kill is PostgreSQL's");
        test::PostgresCluster &pg = test::PostgresCluster::shared();
        const QString t = newTeacher();
        QList<QStringList> uploads;
        for (int u = 0; u < 160; ++u) {
            QStringList lines;
            for (int i = 0; i < 5; ++i)
                lines.append(scoreLine(200000 + u * 5 + i));
            uploads.append(lines);
        }
        Flight flight;
        QHash<int, bool> accepted;
        int acceptedCount = 0, kills = 0, sent = 0;
        QList<qint64> victims = pg.backends();
        QVERIFY2(!victims.isEmpty(), "no backend of the server found (psql, of postgresql-client, is needed)");
        std::function<void()> sendNext = [&] {
            if (sent >= uploads.size())
                return;
            const int u = sent++;
            ServerProcess *server = u % 2 ? m_b.get() : m_a.get();
            flight.upload(server->baseUrl(), t, uploads[u], [&, u](bool ok) {
                accepted[u] = ok;
                acceptedCount += ok;
                // At once after an answer, while its commit is the newest.
                if (ok && (acceptedCount == 30 || acceptedCount == 80) && !victims.isEmpty()) {
                    ::kill(pid_t(victims.takeFirst()), SIGKILL);
                    ++kills;
                    victims.clear();
                }
                if (ok && acceptedCount > 30 && acceptedCount < 80 && victims.isEmpty())
                    victims = pg.backends();
                sendNext();
            });
        };
        for (int i = 0; i < 8; ++i)
            sendNext();
        QVERIFY(flight.wait());
        QCOMPARE(kills, 2);
        QVERIFY2(acceptedCount > 80, "the kills came too late to test anything");
        // Both processes serve again; the reads may meet a connection lost by the crash.
        QStringList stored;
        for (int attempt = 0; attempt < 4; ++attempt) {
            const QStringList read = storedLines(*m_a, t);
            if (read.size() > stored.size())
                stored = read;
        }
        const QSet<QString> storedSet(stored.cbegin(), stored.cend());
        int lost = 0;
        for (auto it = accepted.cbegin(); it != accepted.cend(); ++it) {
            for (const QString &line : uploads[it.key()])
                lost += it.value() && !storedSet.contains(line);
        }
        QCOMPARE(lost, 0);
    }
};

QTEST_GUILESS_MAIN(TestServerCluster)
#include "tst_ServerCluster.moc"
