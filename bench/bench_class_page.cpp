// The web pages of a signed-in teacher, served in-process on a store on disk: a class of 50
// students with 10,000 scores (five such classes in the database), by each sort order, the
// home page and the CSV download; a student's page and download for a student with 2,000
// scores, gzip-compressed as a browser takes it. Run with CORVANTA_TEST_STORE=postgresql for PostgreSQL
// (a throw-away server, as the tests start one).
#include "DatabaseUrl.h"
#include "Mailer.h"
#include "ReplyGzip.h"
#include "Routes.h"
#include "ScoreService.h"
#include "StoreFactory.h"
#include "support/PostgresCluster.h"
#include "support/TestClock.h"

#include "net/Wire.h"

#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace corvanta;
using namespace corvanta::server;

namespace {

class NoMail final : public Mailer
{
public:
    bool send(const MailMessage &, QString *) override { return true; }
};

constexpr int kClasses = 5;
constexpr int kStudents = 50;
constexpr int kScoresPerClass = 10000;
constexpr int kStudentScores = 2000; // of 学生01号 in 高二(3)班, for the student's page

QString className(int c)
{
    return QStringLiteral("高二(%1)班").arg(c + 1);
}

} // namespace

class BenchClassPage : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir{QDir::currentPath() + QStringLiteral("/bench-class-page-XXXXXX")};
    std::unique_ptr<Store> m_store;
    test::FixedClock m_clock{QDateTime(QDate(2026, 3, 5), QTime(9, 0))};
    NoMail m_mail;
    std::unique_ptr<ScoreService> m_service;
    QByteArray m_cookie;

    void fill(qint64 teacher)
    {
        const QStringList topics = {QStringLiteral("课堂提问"), QStringLiteral("小组讨论"),
                                    QStringLiteral("朗读"), QStringLiteral("默写"), QStringLiteral("实验")};
        QStringList classes;
        for (int c = 0; c < kClasses; ++c)
            classes.append(className(c));
        m_store->replaceClasses(teacher, classes);
        QRandomGenerator random(7);
        const qint64 start = QDateTime(QDate(2025, 9, 1), QTime(8, 0)).toSecsSinceEpoch();
        for (int c = 0; c < kClasses; ++c) {
            QStringList names;
            for (int s = 0; s < kStudents; ++s)
                names.append(QStringLiteral("学生%1号").arg(s + 1, 2, 10, QLatin1Char('0')));
            m_store->replaceStudents(teacher, classes[c], names);
            QList<ScoreRecord> scores;
            for (int i = 0; i < kScoresPerClass; ++i) {
                ScoreRecord r;
                r.className = classes[c];
                r.student = names[random.bounded(kStudents)];
                r.score = random.bounded(11) / 2.0;
                r.time = start + i * 600 + random.bounded(600);
                r.topic = topics[random.bounded(int(topics.size()))];
                r.note = random.bounded(3) == 0 ? QStringLiteral("回答完整准确") : QString();
                scores.append(r);
                if (scores.size() == 2000) {
                    m_store->addScores(teacher, scores, r.time);
                    scores.clear();
                }
            }
        }
        // One student with a long history: the rest of the 2,000 on days of their own.
        const auto report = m_store->studentReport(teacher, className(2), studentName(), 0, 1);
        QList<ScoreRecord> more;
        for (int i = report->student.scores; i < kStudentScores; ++i) {
            ScoreRecord r;
            r.className = className(2);
            r.student = studentName();
            r.score = random.bounded(11) / 2.0;
            r.time = start - 86400 * 400 + i * 3600 * 5;
            r.topic = topics[random.bounded(int(topics.size()))];
            more.append(r);
        }
        m_store->addScores(teacher, more, start);
    }

    static QString studentName() { return QStringLiteral("学生01号"); }

    // A server that has run a while has its tables analysed and vacuumed by autovacuum (which
    // vacuums tables that only grow, too); freshly filled ones are not yet, and a class's
    // figures would be read from the table instead of from its index alone.
    static void analyse(const QString &database)
    {
        QString error;
        const auto url = parseDatabaseUrl(database, &error);
        if (!url || url->kind != DatabaseUrl::Kind::Postgres)
            return;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("analyse"));
            db.setHostName(url->host);
            db.setPort(url->port);
            db.setUserName(url->user);
            db.setPassword(url->password);
            db.setDatabaseName(url->databaseName);
            if (db.open())
                QSqlQuery(QStringLiteral("VACUUM ANALYZE"), db);
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("analyse"));
    }

    // cold: as a process that has not shown the class since its last change (no cached figures).
    QByteArray page(const QString &path, const QString &sort, bool cold = false)
    {
        FormFields query;
        query.add(QStringLiteral("class"), className(2));
        if (!sort.isEmpty())
            query.add(QStringLiteral("sort"), sort);
        PageRequest request = decodeRequest(Method::Get, path, query.encoded(), {});
        request.headers.append(qMakePair(QByteArrayLiteral("Cookie"), m_cookie));
        std::optional<ScoreService> fresh;
        if (cold)
            fresh.emplace(*m_store, m_mail, m_clock);
        PageReply reply = dispatch(cold ? *fresh : *m_service, request);
        if (reply.status != 200)
            qFatal("status %d for %s", reply.status, qPrintable(path));
        return reply.body;
    }

private slots:
    void initTestCase()
    {
        if (test::PostgresCluster::wanted() && !test::PostgresCluster::available())
            QSKIP(qPrintable(test::PostgresCluster::missingText()));
        QString error;
        const QString database = test::testDatabase(m_dir);
        m_store = openStore(database, &error);
        QVERIFY2(m_store, qPrintable(error));
        m_service = std::make_unique<ScoreService>(*m_store, m_mail, m_clock);
        QVERIFY(m_service->addTeacher("bench", "测试老师", "login", "oper", "b@example.org"));
        fill(m_store->teacherByAccount("bench")->id);
        analyse(database);
        FormFields form;
        form.add("username", "bench").add("password", "login");
        const PageReply signIn =
            dispatch(*m_service, decodeRequest(Method::Post, "/score/", {}, form.encoded()));
        for (const auto &[name, value] : signIn.headers) {
            if (name == "Set-Cookie")
                m_cookie = value.split(';').first();
        }
        QVERIFY(!m_cookie.isEmpty());
    }

    void classPage_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("sort");
        QTest::addColumn<bool>("cold");
        QTest::newRow("class page, first view") << "/score/class" << QString() << true;
        QTest::newRow("class page") << "/score/class" << QString() << false;
        QTest::newRow("class page by name") << "/score/class"
                                            << "name" << false;
        QTest::newRow("class page by mean") << "/score/class"
                                            << "-mean" << false;
        QTest::newRow("home page") << "/score/" << QString() << false;
        QTest::newRow("csv download") << "/score/class.csv" << QString() << false;
    }
    void classPage()
    {
        QFETCH(QString, path);
        QFETCH(QString, sort);
        QFETCH(bool, cold);
        QVERIFY(!page(path, sort, cold).isEmpty());
        QBENCHMARK
        {
            page(path, sort, cold);
        }
    }

    void studentPage_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("page");
        QTest::newRow("student page") << "/score/student" << 1;
        QTest::newRow("student page, scores 1001-1100") << "/score/student" << 11;
        QTest::newRow("student csv") << "/score/student.csv" << 1;
    }
    void studentPage()
    {
        QFETCH(QString, path);
        QFETCH(int, page);
        FormFields query;
        query.add(QStringLiteral("class"), className(2)).add(QStringLiteral("name"), studentName());
        query.add(QStringLiteral("page"), QString::number(page));
        PageRequest request = decodeRequest(Method::Get, path, query.encoded(), {});
        request.headers = {{"Cookie", m_cookie}, {"Accept-Encoding", "gzip, deflate, br"}};
        const PageReply first = dispatch(*m_service, request);
        QCOMPARE(first.status, 200);
        const auto report = m_store->studentReport(m_store->teacherByAccount("bench")->id, className(2),
                                                   studentName(), 0, 1);
        QCOMPARE(report->student.scores, kStudentScores);
        qInfo("%s: %lld bytes", qPrintable(path), qlonglong(first.body.size()));
        QBENCHMARK
        {
            PageReply reply = dispatch(*m_service, request);
            compressForClient(request, reply);
        }
    }

    // The database's part of the student's page alone.
    void studentFigures()
    {
        const qint64 teacher = m_store->teacherByAccount("bench")->id;
        QVERIFY(m_store->studentReport(teacher, className(2), studentName(), 0, 100));
        QBENCHMARK
        {
            m_store->studentReport(teacher, className(2), studentName(), 0, 100);
        }
    }

    // The database's part of a class page alone: what a page costs when its class changed
    // since the last view.
    void classFigures()
    {
        const qint64 teacher = m_store->teacherByAccount("bench")->id;
        QVERIFY(m_store->classReport(teacher, className(2), 50));
        QBENCHMARK
        {
            m_store->classReport(teacher, className(2), 50);
        }
    }
};

QTEST_GUILESS_MAIN(BenchClassPage)
#include "bench_class_page.moc"
