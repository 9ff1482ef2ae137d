// The server's clocks and shared state in-process: lock-outs and check codes (which the binary
// cannot be made to skip through), two processes on one store, and the heavy queue.
#include "ServiceRig.h"
#include "support/PostgresCluster.h"

#include "Credentials.h"
#include "DatabaseUrl.h"
#include "DemoData.h"
#include "HeavyQueue.h"
#include "Mailer.h"
#include "PageRequest.h"
#include "Routes.h"
#include "ScoreService.h"
#include "ServerOptions.h"
#include "SqliteStore.h"
#include "StoreFactory.h"
#include "net/RecordFormat.h"

#include "core/AppConfig.h"
#include "core/TextCodec.h"
#include "net/Wire.h"

#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

using namespace corvanta;
using namespace corvanta::server;

using corvanta::test::Fields;
using corvanta::test::getRequest;
using corvanta::test::postRequest;
using corvanta::test::ServiceRig;
using corvanta::test::TwoProcesses;
using corvanta::test::textOf;

class TestServerClocks : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        CORVANTA_SKIP_WITHOUT_POSTGRES();
    }

    void lockOutCountsAcrossProcesses()
    {
        TwoProcesses both;
        QVERIFY2(both.open(), qPrintable(both.a.error + both.b.error));
        ServiceRig &a = both.a;
        ServiceRig &b = both.b;
        QVERIFY(a.service.addTeacher("both", "x", "login", "oper", "b@example.org"));
        const auto check = [](ServiceRig &p, const QString &pw) {
            return fromGbk(dispatch(p.service, postRequest("/score/checkpassword.php",
                                                    {{"username", "both"}, {"password", pw}}))
                               .body);
        };
        for (int i = 0; i < 4; ++i)
            QCOMPARE(check(i % 2 ? a : b, "bad"), QStringLiteral("用户名或密码错误！"));
        QCOMPARE(check(a, "bad"), QStringLiteral("密码错误次数过多，帐号已锁定10分钟，请稍后再试！"));
        QCOMPARE(check(b, "login"), QStringLiteral("密码错误次数过多，帐号已锁定10分钟，请稍后再试！"));
        a.advance(600);
        b.advance(600);
        QCOMPARE(check(b, "login"), QStringLiteral("Success!"));
        QCOMPARE(check(a, "bad"), QStringLiteral("用户名或密码错误！")); // counting starts afresh
    }

    void checkCodeUsableOnceAcrossProcesses()
    {
        TwoProcesses both;
        QVERIFY2(both.open(), qPrintable(both.a.error + both.b.error));
        ServiceRig &a = both.a;
        ServiceRig &b = both.b;
        QVERIFY(a.service.addTeacher("mailboth", "x", "login", "oper", "m@example.org"));
        QCOMPARE(fromGbk(dispatch(a.service, getRequest("/score/getpswdcode.php",
                                                 {{"username", "mailboth"}, {"email", "m@example.org"}}))
                             .body),
                 QStringLiteral("success"));
        const QString code = QRegularExpression("(\\d{6})").match(a.mailer.sent.last().body).captured(1);
        const auto reset = [&](ServiceRig &p) {
            return fromGbk(dispatch(p.service, postRequest("/score/setpassword.php", {{"username", "mailboth"},
                                                                               {"checkcode", code},
                                                                               {"newpswd", "neu"},
                                                                               {"newsuperpswd", ""}}))
                               .body);
        };
        QCOMPARE(reset(b), QStringLiteral("success"));
        QCOMPARE(reset(a), QStringLiteral("failure"));
        QCOMPARE(reset(b), QStringLiteral("failure"));
    }

    // Each process keeps its own record-file cache; a change through the other shows at once.
    void recordFileFollowsChangesOfTheOtherProcess()
    {
        TwoProcesses both;
        QVERIFY2(both.open(), qPrintable(both.a.error + both.b.error));
        ServiceRig &a = both.a;
        ServiceRig &b = both.b;
        QVERIFY(a.service.addTeacher("cached", "x", "login", "oper", "c@example.org"));
        const auto op = [](ServiceRig &p, const QString &page, Fields fields) {
            fields.prepend({"password", "oper"});
            fields.prepend({"username", "cached"});
            return fromGbk(dispatch(p.service, postRequest(page, fields)).body);
        };
        const auto record = [](ServiceRig &p) {
            return fromGbk(
                dispatch(p.service, getRequest("/score/record.php", {{"t", "cached"}, {"mp", Md5Hex("login")}}))
                    .body);
        };
        QCOMPARE(op(a, "/score/setclass.php", {{"class", "一班"}}), QStringLiteral("Success!"));
        QCOMPARE(op(a, "/score/student.php", {{"class", "一班"}, {"student", "张三"}}),
                 QStringLiteral("Success!"));
        QCOMPARE(op(a, "/score/setketi.php", {{"keti", "提问"}}), QStringLiteral("Success!"));
        QVERIFY(record(b).startsWith(QStringLiteral("Class_Is_Ready\t一班\t")));
        QVERIFY(record(a).startsWith(QStringLiteral("Class_Is_Ready\t一班\t")));
        QCOMPARE(op(b, "/score/renameclass.php", {{"oldclassname", "一班"}, {"newclassname", "甲班"}}),
                 QStringLiteral("Success!"));
        QVERIFY(record(a).startsWith(QStringLiteral("Class_Is_Ready\t甲班\t")));
        const QString upload = QStringLiteral("甲班\t张三\t3\t2026-03-05 09:00:00\t");
        QCOMPARE(op(b, "/score/index.php", {{"keti", "提问"}, {"score", upload}}),
                 QStringLiteral("Success!"));
        QCOMPARE(op(a, "/score/index.php", {{"keti", "提问"}, {"score", upload}}),
                 QStringLiteral("Success!"));
        QVERIFY2(record(a).contains(QStringLiteral("甲班\t张三\t0\t0\t3\t1")), qPrintable(record(a)));
    }

    // Uploads from many request threads at once (stored together on SQLite): each is answered
    // for its own lines, one that is refused leaves the others of its batch stored, and one
    // sent again stores nothing.
    void concurrentUploadsAnsweredEach()
    {
        ServiceRig rig;
        QVERIFY(rig.service.addTeacher("many", "x", "login", "oper", "m@example.org"));
        const qint64 id = rig.store->teacherByAccount("many")->id;
        rig.store->replaceClasses(id, {"一班"});
        QStringList students;
        for (int i = 0; i < 10; ++i)
            students.append(QStringLiteral("学生%1").arg(i));
        QCOMPARE(rig.store->replaceStudents(id, "一班", students), StoreResult::Done);
        constexpr int kThreads = 6, kUploads = 15;
        std::atomic<int> wrongAnswers = 0;
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                QString error;
                const std::unique_ptr<Store> store = openStore(rig.database, &error);
                if (!store) {
                    qWarning("%s", qPrintable(error));
                    ++wrongAnswers;
                    return;
                }
                for (int u = 0; u < kUploads; ++u) {
                    const bool refused = u % 5 == 4; // its last line names no student of the class
                    QList<ScoreRecord> scores;
                    for (int i = 0; i < 4; ++i) {
                        ScoreRecord s;
                        s.className = "一班";
                        s.student = refused && i == 3 ? QStringLiteral("无名") : students[i + t % 4];
                        s.score = 1;
                        s.time = 1772672400 + (t * 1000 + u) * 10 + i;
                        s.topic = "提问";
                        scores.append(s);
                    }
                    const AddScoresResult r = store->addScores(id, scores, 1772672400);
                    wrongAnswers += refused ? !(r.result == StoreResult::NotFound && r.failedIndex == 3)
                                            : !(r.result == StoreResult::Done && r.stored == 4);
                    if (!refused) {
                        const AddScoresResult again = store->addScores(id, scores, 1772672400);
                        wrongAnswers += !(again.result == StoreResult::Done && again.stored == 0);
                    }
                }
            });
        }
        for (std::thread &t : threads)
            t.join();
        QCOMPARE(wrongAnswers.load(), 0);
        const auto stored = rig.store->scoresOfClass(id, "一班");
        QVERIFY(stored);
        QCOMPARE(stored->size(), kThreads * (kUploads - kUploads / 5) * 4);
    }

    void failureLimiter()
    {
        ServiceRig p;
        FailureLimiter limiter(*p.store, p.clock);
        for (int i = 0; i < 4; ++i) {
            limiter.recordFailure("a");
            p.advance(60);
        }
        QVERIFY(!limiter.isLocked("a"));
        p.advance(400); // the first failure is now more than ten minutes old
        limiter.recordFailure("a");
        QVERIFY(!limiter.isLocked("a"));
        limiter.recordFailure("a");
        QVERIFY(limiter.isLocked("a"));
        QVERIFY(!limiter.isLocked("b"));
        p.advance(599);
        QVERIFY(limiter.isLocked("a"));
        p.advance(1);
        QVERIFY(!limiter.isLocked("a"));
        limiter.recordFailure("a"); // counting starts afresh after a lock
        QVERIFY(!limiter.isLocked("a"));
        for (int i = 0; i < 3; ++i)
            limiter.recordFailure("a");
        limiter.recordSuccess("a");
        limiter.recordFailure("a");
        QVERIFY(!limiter.isLocked("a"));
    }

    void checkCodeExpires()
    {
        ServiceRig p;
        QVERIFY2(p.store, qPrintable(p.error));
        QVERIFY(p.service.addTeacher("mailme", "x", "login", "oper", "m@example.org"));
        const auto askCode = [&]() -> QString {
            if (textOf(p.get("/score/getpswdcode.php",
                             {{"username", "mailme"}, {"email", "m@example.org"}})) != u"success")
                return {};
            return QRegularExpression("(\\d{6})").match(p.mailer.sent.last().body).captured(1);
        };
        const auto reset = [&](const QString &code) {
            return textOf(p.post(
                "/score/setpassword.php",
                {{"username", "mailme"}, {"checkcode", code}, {"newpswd", ""}, {"newsuperpswd", "neu"}}));
        };
        QString code = askCode();
        QCOMPARE(p.mailer.sent.last().from, QStringLiteral("server@example.org"));
        QCOMPARE(p.mailer.sent.last().to, QStringLiteral("m@example.org"));
        p.advance(ScoreService::kCheckCodeSeconds);
        QCOMPARE(reset(code), QStringLiteral("failure"));
        const QString first = askCode();
        p.advance(Store::kCheckCodeGapSeconds);
        code = askCode();
        p.advance(ScoreService::kCheckCodeSeconds - 1);
        QCOMPARE(reset(code), QStringLiteral("success"));
        if (first != code)
            QCOMPARE(reset(first), QStringLiteral("failure")); // expired, and used up by the reset
        QCOMPARE(textOf(p.post("/score/setclass.php",
                               {{"username", "mailme"}, {"password", "neu"}, {"class", "A"}})),
                 QStringLiteral("Success!"));
    }

    // A stranger who knows the teacher's account and e-mail can neither void the code the
    // teacher is typing (the few newest codes stay valid) nor lock the teacher's reset (wrong
    // codes count per address); a reset uses up every code.
    void strangerCannotBlockAReset()
    {
        ServiceRig p;
        QVERIFY2(p.store, qPrintable(p.error));
        QVERIFY(p.service.addTeacher("mailme", "x", "login", "oper", "m@example.org"));
        const QString teacher = "198.51.100.7", stranger = "203.0.113.9";
        const auto from = [&](const QString &address, PageRequest request) {
            request.clientAddress = address;
            return textOf(server::dispatch(p.service, request));
        };
        const auto askCode = [&](const QString &address) {
            from(address, getRequest("/score/getpswdcode.php", {{"username", "mailme"}, {"email", "m@example.org"}}));
            p.advance(Store::kCheckCodeGapSeconds);
            return QRegularExpression("(\\d{6})").match(p.mailer.sent.last().body).captured(1);
        };
        const auto reset = [&](const QString &address, const QString &code) {
            return from(address, postRequest("/score/setpassword.php", {{"username", "mailme"},
                                                                       {"checkcode", code},
                                                                       {"newpswd", ""},
                                                                       {"newsuperpswd", "neu"}}));
        };
        QStringList codes;
        for (int i = 0; i <= Store::kKeptCheckCodes; ++i)
            codes.append(askCode(i == 1 ? teacher : stranger));
        QCOMPARE(QSet<QString>(codes.begin(), codes.end()).size(), codes.size()); // one in a million
        for (int guess = codes[1].toInt(), failures = 0; failures < FailureLimiter::kMaxFailures;) {
            guess = (guess + 1) % 1000000;
            const QString wrong = QStringLiteral("%1").arg(guess, 6, 10, QLatin1Char('0'));
            if (codes.contains(wrong))
                continue;
            QCOMPARE(reset(stranger, wrong), QStringLiteral("failure"));
            ++failures;
        }
        QCOMPARE(reset(stranger, codes[1]), QStringLiteral("验证码错误次数过多，请10分钟后再试！"));
        QCOMPARE(reset(teacher, codes[0]), QStringLiteral("failure")); // beyond the newest few
        QCOMPARE(reset(teacher, codes[1]), QStringLiteral("success"));
        QCOMPARE(reset(teacher, codes.last()), QStringLiteral("failure"));
        QCOMPARE(textOf(p.post("/score/setclass.php", {{"username", "mailme"}, {"password", "neu"}, {"class", "A"}})),
                 QStringLiteral("Success!"));
    }

    // One code a minute and ten a day for an account, as the store counts them.
    void checkCodeLimits_data()
    {
        QTest::addColumn<QList<qint64>>("times"); // seconds after the first request
        QTest::addColumn<QList<bool>>("counted");
        QTest::newRow("one a minute")
            << QList<qint64>{0, 30, 59, 60, 119, 121} << QList<bool>{true, false, false, true, false, true};
        QList<qint64> day;
        QList<bool> tenOnly;
        for (int i = 0; i < 12; ++i) {
            day.append(i * 120);
            tenOnly.append(i < 10);
        }
        day.append(86400 + 60); // the first of them is a day old
        tenOnly.append(true);
        QTest::newRow("ten a day") << day << tenOnly;
    }
    void checkCodeLimits()
    {
        QFETCH(QList<qint64>, times);
        QFETCH(QList<bool>, counted);
        ServiceRig p;
        QVERIFY2(p.store, qPrintable(p.error));
        QVERIFY(p.service.addTeacher("limits", "x", "login", "oper", "m@example.org"));
        const qint64 id = p.store->teacherByAccount("limits")->id;
        QVERIFY(p.service.addTeacher("other", "x", "login", "oper", "o@example.org"));
        const qint64 other = p.store->teacherByAccount("other")->id;
        const qint64 start = 1772672400;
        for (qsizetype i = 0; i < times.size(); ++i) {
            QVERIFY2(p.store->countCheckCode(id, start + times[i]) == counted[i],
                     qPrintable(QString::number(i)));
            QVERIFY(
                p.store->countCheckCode(other, start + times[i] + 86400 * 10 * (i + 1))); // never hindered
        }
    }

    // Beyond a limit the page says which one (not "failure", which reads as a wrong account
    // or e-mail) and mails nothing.
    void checkCodePageLimited()
    {
        ServiceRig p;
        QVERIFY2(p.store, qPrintable(p.error));
        QVERIFY(p.service.addTeacher("limited", "x", "login", "oper", "m@example.org"));
        const auto ask = [&] {
            return textOf(
                p.get("/score/getpswdcode.php", {{"username", "limited"}, {"email", "m@example.org"}}));
        };
        QCOMPARE(ask(), QStringLiteral("success"));
        QCOMPARE(ask(), QStringLiteral("验证码发送过于频繁，请一分钟后再试！"));
        QCOMPARE(p.mailer.sent.size(), 1);
        p.advance(Store::kCheckCodeGapSeconds);
        QCOMPARE(ask(), QStringLiteral("success"));
        QCOMPARE(p.mailer.sent.size(), 2);
        for (int sent = 2; sent < Store::kMaxCheckCodesPerDay; ++sent) {
            p.advance(Store::kCheckCodeGapSeconds);
            QCOMPARE(ask(), QStringLiteral("success"));
        }
        p.advance(Store::kCheckCodeGapSeconds);
        QCOMPARE(ask(), QStringLiteral("今天发送的验证码已达上限，请明天再试！"));
        QCOMPARE(p.mailer.sent.size(), Store::kMaxCheckCodesPerDay);
    }

    // One account's pile of heavy requests never holds back another account's: the other's
    // job runs while the first account's share is busy; a pile beyond its share of waiting
    // is refused; jobs still waiting at the stop are handed "not run".
    void heavyQueueShares()
    {
        std::mutex mutex;
        std::condition_variable changed;
        bool open = false;
        QList<QString> ran;
        const auto job = [&](const QString &name, bool gated) {
            return [&, name, gated](bool run) {
                std::unique_lock lock(mutex);
                ran.append(run ? name : name + QStringLiteral(" not run"));
                changed.notify_all();
                if (run && gated)
                    changed.wait(lock, [&] { return open; });
            };
        };
        server::HeavyQueue queue({2, 1, 3, 100});
        const auto waitFor = [&](qsizetype count) {
            std::unique_lock lock(mutex);
            return changed.wait_for(lock, std::chrono::seconds(10), [&] { return ran.size() >= count; });
        };
        QVERIFY(queue.submit(1, job(QStringLiteral("a0"), true)));
        QVERIFY(waitFor(1));
        for (int i = 1; i < 4; ++i)
            QVERIFY(queue.submit(1, job(QStringLiteral("a%1").arg(i), true)));
        QVERIFY(!queue.submit(1, job(QStringLiteral("a4"), true))); // one running, three waiting
        QVERIFY(queue.submit(2, job(QStringLiteral("b"), false)));
        QVERIFY(waitFor(2));
        QCOMPARE(ran, (QList<QString>{"a0", "b"}));
        std::thread opener([&] {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return ran.size() >= 3; });
            open = true;
            changed.notify_all();
        });
        queue.stop();
        opener.join();
        QCOMPARE(ran.size(), 5);
        QVERIFY(ran.contains("a1 not run") && ran.contains("a3 not run"));
        QVERIFY(!queue.submit(2, job(QStringLiteral("late"), false)));
    }
};

QTEST_GUILESS_MAIN(TestServerClocks)
#include "tst_ServerClocks.moc"
