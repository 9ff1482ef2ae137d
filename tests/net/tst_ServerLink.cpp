#include "support/RawHttpPeer.h"

#include "core/TextCodec.h"
#include "net/LoginState.h"
#include "net/RecordCache.h"
#include "net/RecordFormat.h"
#include "net/ScoreRequests.h"
#include "net/ServerLink.h"
#include "support/TestClock.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace corvanta;
using corvanta::test::RawHttpPeer;
using corvanta::test::ReplayRandom;

namespace {

const QByteArray kRecord = "Class_Is_Ready\t1\t2\t\r\n[keti]\tA\t\r\n1\tZhang\t0\t0\t5\t1\r\n";

} // namespace

class TestServerLink : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    LoginState m_login;
    ReplayRandom m_random{7};

    AppConfig config(const QString &base) const
    {
        AppConfig c;
        c.dataDir = m_dir.path();
        c.serverBase = base;
        c.vendorBase = base;
        return c;
    }

    QByteArray readFile(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    // The record file of `user`, with the digest of the present login state.
    bool refresh(ServerLink &link, const QString &user)
    {
        LoginState login = m_login;
        login.LoginUser = user;
        return RefreshRecordCache(link, link.config(), login).ok();
    }

    void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

private slots:
    void init() { m_login = LoginState(); }

    void replyOutcome_data()
    {
        QTest::addColumn<QByteArray>("response");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("outcome");
        const int accepted = int(ReplyOutcome::Accepted);
        const int rejected = int(ReplyOutcome::Rejected);
        const int failed = int(ReplyOutcome::Failed);
        QTest::newRow("success word") << RawHttpPeer::reply(200, "Success!") << 200 << "Success!" << accepted;
        QTest::newRow("trailing line break")
            << RawHttpPeer::reply(200, "Success!\r\n") << 200 << "Success!\r\n"
            << rejected;
        QTest::newRow("other case") << RawHttpPeer::reply(200, "success!") << 200 << "success!" << rejected;
        QTest::newRow("empty 200") << RawHttpPeer::reply(200, "") << 200 << "" << rejected;
        QTest::newRow("gbk explanation") << RawHttpPeer::reply(200, toGbk(QStringLiteral("用户不存在")))
                                         << 200 << QStringLiteral("用户不存在") << rejected;
        QTest::newRow("not gbk") << RawHttpPeer::reply(200, "\xFF\xFE\x81") << 200 << fromGbk("\xFF\xFE\x81")
                                 << rejected;
        QTest::newRow("server error keeps text")
            << RawHttpPeer::reply(500, "Success!") << 500 << "Success!" << failed;
        QTest::newRow("not found") << RawHttpPeer::reply(404, "nope") << 404 << "nope" << failed;
        QTest::newRow("broken transfer")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nSucc") << 0 << "" << failed;
        QTest::newRow("no http at all") << QByteArray("garbage\r\n\r\n") << 0 << "" << failed;
        QTest::newRow("closed at once") << QByteArray() << 0 << "" << failed;
    }
    void replyOutcome()
    {
        QFETCH(QByteArray, response);
        QFETCH(int, status);
        QFETCH(QString, text);
        QFETCH(int, outcome);
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.response = response;
        ServerLink link(config(peer.base()));
        const HttpResult result = link.send(score_pages::checkPassword("u", "p"));
        QCOMPARE(result.status, status);
        QCOMPARE(result.text, text);
        QCOMPARE(int(result.outcome()), outcome);
        QVERIFY(!link.busy());
    }

    void closedPortFails()
    {
        ServerLink link(config(RawHttpPeer::closedBase()));
        QSignalSpy busySpy(&link, &ServerLink::busyChanged);
        const HttpResult result = link.send(score_pages::checkPassword("u", "p"));
        QCOMPARE(result.status, 0);
        QCOMPARE(result.outcome(), ReplyOutcome::Failed);
        QCOMPARE(busySpy.size(), 2);
        QCOMPARE(busySpy[0][0].toBool(), true);
        QCOMPARE(busySpy[1][0].toBool(), false);
        QCOMPARE(link.HttpGetText(link.serverUrl("/score/getteacher.php")), QString());
    }

    // A peer that takes the connection and never answers: the limit ends the wait, and
    // the event loop keeps running meanwhile.
    void silentPeerHitsTimeLimit()
    {
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.silent = true;
        ServerLink link(config(peer.base()));
        link.setTimeoutMs(300);

        int ticks = 0;
        bool busyDuringWait = false;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] {
            ++ticks;
            busyDuringWait = busyDuringWait || link.busy();
        });
        ticker.start(20);
        const HttpResult result =
            link.PostForm(link.serverUrl("/score/checkpassword.php"), FormFields().add("username", "u"));
        ticker.stop();
        QCOMPARE(result.status, 0);
        QCOMPARE(result.outcome(), ReplyOutcome::Failed);
        QVERIFY(ticks > 0);
        QVERIFY(busyDuringWait);
        QVERIFY(!link.busy());
        QCOMPARE(peer.requests.size(), 1);
    }

    // Without waiting: the result comes by callback, once; the link is not busy meanwhile.
    void sendAsyncDelivers_data()
    {
        QTest::addColumn<QByteArray>("response");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        QTest::newRow("answer") << RawHttpPeer::reply(200, "\xA1\xCC") << 200 << QStringLiteral("√");
        QTest::newRow("error status") << RawHttpPeer::reply(500, "oops") << 500 << QStringLiteral("oops");
        QTest::newRow("cut short") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\nabc") << 0
                                   << QString();
    }
    void sendAsyncDelivers()
    {
        QFETCH(QByteArray, response);
        QFETCH(int, status);
        QFETCH(QString, text);
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.response = response;
        ServerLink link(config(peer.base()));
        QList<HttpResult> results;
        PendingRequest pending = link.sendAsync(score_pages::serverTime(m_random),
                                                [&](const HttpResult &r) { results.append(r); });
        QVERIFY(pending.active());
        QVERIFY(!link.busy());
        QTRY_COMPARE(results.size(), 1);
        QVERIFY(!pending.active());
        QCOMPARE(results[0].status, status);
        QCOMPARE(results[0].text, text);
        QTest::qWait(50);
        QCOMPARE(results.size(), 1);
    }

    // Cancelled, or its handle dropped: the callback never runs, even when the answer comes.
    void sendAsyncCancelled_data()
    {
        QTest::addColumn<bool>("dropHandle");
        QTest::newRow("cancel") << false;
        QTest::newRow("handle dropped") << true;
    }
    void sendAsyncCancelled()
    {
        QFETCH(bool, dropHandle);
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.response = RawHttpPeer::reply(200, "late");
        ServerLink link(config(peer.base()));
        int calls = 0;
        {
            PendingRequest pending =
                link.sendAsync(score_pages::serverTime(m_random), [&](const HttpResult &) { ++calls; });
            if (!dropHandle) {
                pending.cancel();
                QVERIFY(!pending.active());
                pending.cancel(); // twice is harmless
            }
        }
        QTest::qWait(200);
        QCOMPARE(calls, 0);
        // A new request on the same link still answers.
        PendingRequest next =
            link.sendAsync(score_pages::serverTime(m_random), [&](const HttpResult &) { ++calls; });
        QTRY_COMPARE(calls, 1);
    }

    // A silent peer: the time limit ends the request with a failure.
    void sendAsyncTimeLimit()
    {
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.silent = true;
        ServerLink link(config(peer.base()));
        link.setTimeoutMs(200);
        QList<HttpResult> results;
        PendingRequest pending = link.sendAsync(score_pages::serverTime(m_random),
                                                [&](const HttpResult &r) { results.append(r); });
        QTRY_COMPARE(results.size(), 1);
        QCOMPARE(results[0].status, 0);
        QVERIFY(!results[0].error.isEmpty());
    }

    // A handle moved over another cancels the one it replaces.
    void sendAsyncReplaced()
    {
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.response = RawHttpPeer::reply(200, "x");
        ServerLink link(config(peer.base()));
        QStringList answered;
        PendingRequest pending = link.sendAsync(score_pages::serverTime(m_random),
                                                [&](const HttpResult &) { answered << "first"; });
        pending = link.sendAsync(score_pages::serverTime(m_random),
                                 [&](const HttpResult &) { answered << "second"; });
        QTRY_COMPARE(answered, QStringList{"second"});
        QTest::qWait(100);
        QCOMPARE(answered, QStringList{"second"});
    }

    void postBodyEscapesEachValue()
    {
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.response = RawHttpPeer::reply(200, "Success!");
        ServerLink link(config(peer.base()));
        (void)link.send(score_pages::checkPassword(QStringLiteral(" 张三"), "  p&w=1 "));
        QCOMPARE(peer.requests.size(), 1);
        const QByteArray request = peer.requests[0];
        QCOMPARE(RawHttpPeer::requestLine(request), QByteArray("POST /score/checkpassword.php HTTP/1.1"));
        QVERIFY(RawHttpPeer::hasHeader(request, "Content-Type: application/x-www-form-urlencoded"));
        // The name exactly as typed, the password without the blanks around it.
        QCOMPARE(RawHttpPeer::body(request), QByteArray("username= %D5%C5%C8%FD&password=p%26w%3D1"));
    }

    void uploadJoinsLines()
    {
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.response = RawHttpPeer::reply(200, "Success!");
        m_login.LoginUser = "t01";
        ServerLink link(config(peer.base()));
        (void)link.send(score_pages::upload(m_login.LoginUser, "op", QStringLiteral("课"), {"1\ta\t5分", "1\tb\t3分"}));
        QCOMPARE(RawHttpPeer::body(peer.requests.value(0)),
                 QByteArray("username=t01&password=op&keti=%BF%CE&score=1%09a%095%B7%D6|1%09b%093%B7%D6&partial=1"));
    }

    void queryValuesKeepTheirEscapes_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QByteArray>("requestLine");
        QTest::newRow("plain") << "t01" << QByteArray("GET /score/record.php?t=t01&mp=d1 HTTP/1.1");
        QTest::newRow("chinese") << QStringLiteral("张三")
                                 << QByteArray("GET /score/record.php?t=%D5%C5%C8%FD&mp=d1 HTTP/1.1");
        QTest::newRow("delimiters") << "a&mp=x+y%"
                                    << QByteArray("GET /score/record.php?t=a%26mp%3Dx%2By%25&mp=d1 HTTP/1.1");
        QTest::newRow("space and hash")
            << "a b#c" << QByteArray("GET /score/record.php?t=a%20b%23c&mp=d1 HTTP/1.1");
    }
    void queryValuesKeepTheirEscapes()
    {
        QFETCH(QString, user);
        QFETCH(QByteArray, requestLine);
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.response = RawHttpPeer::reply(200, kRecord);
        m_login.LoginDigest = "d1";
        ServerLink link(config(peer.base()));
        QVERIFY(refresh(link, user));
        QCOMPARE(RawHttpPeer::requestLine(peer.requests.value(0)), requestLine);
    }

    void everyRequestReachesThePeer()
    {
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.response = RawHttpPeer::reply(200, kRecord);
        ServerLink link(config(peer.base()));
        QVERIFY(refresh(link, "t01"));
        QVERIFY(refresh(link, "t01"));
        QCOMPARE(link.HttpGetText(link.serverUrl("/score/getteacher.php")), QString::fromLatin1(kRecord));
        QCOMPARE(peer.requests.size(), 3);
        for (const QByteArray &request : std::as_const(peer.requests)) {
            QVERIFY(RawHttpPeer::hasHeader(request, "If-Modified-Since: 0"));
            QVERIFY(RawHttpPeer::hasHeader(request, "Cache-Control: no-cache"));
        }
    }

    void fixedAddresses()
    {
        m_login.LoginUser = "t01";
        m_login.LoginDigest = "0123456789abcdef0123456789abcdef";
        ServerLink link(config("http://h:1"));
        QCOMPARE(link.address(score_pages::recentScores(m_login.LoginUser, 2, m_login.LoginDigest)).toEncoded(),
                 QByteArray("http://h:1/score/?t=t01&n=2&mp=0123456789abcdef0123456789abcdef"));
        QCOMPARE(link.address(score_pages::updatePage()).toEncoded(), QByteArray("http://h:1/soft/update.php?sort=Selvane"));
        QCOMPARE(link.address(score_pages::vendorHome()).toEncoded(), QByteArray("http://h:1"));
    }

    void clockAndVersionAddresses()
    {
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.response = RawHttpPeer::reply(200, "1");
        ReplayRandom random(7), sameRandom(7);
        ServerLink link(config(peer.base()));
        (void)link.send(score_pages::serverTime(random));
        (void)link.send(score_pages::versionQuery(random));
        const QByteArray first = randomAddressValue(sameRandom).toLatin1();
        const QByteArray second = randomAddressValue(sameRandom).toLatin1();
        QVERIFY(first != second);
        QCOMPARE(RawHttpPeer::requestLine(peer.requests.value(0)),
                 "GET /score/servertime.php?t=" + first + " HTTP/1.1");
        QCOMPARE(RawHttpPeer::requestLine(peer.requests.value(1)),
                 "GET /version.php?s=Selvane&t=" + second + " HTTP/1.1");
    }

    void recordMarker_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("first line") << kRecord << true;
        QTest::newRow("later line") << QByteArray("x\r\nClass_Is_Ready\t1\t\r\n") << true;
        QTest::newRow("bare marker") << QByteArray("Class_Is_Ready") << true;
        QTest::newRow("inside a line") << QByteArray("error: Class_Is_Ready\r\n") << false;
        QTest::newRow("other case") << QByteArray("class_is_ready\t1\t\r\n") << false;
        QTest::newRow("error text") << QByteArray("Invalid password") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void recordMarker()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, accepted);
        QCOMPARE(looksLikeRecordFile(body), accepted);
    }

    // The offline login works from this file: only a whole class record file replaces it.
    void downloadKeepsOldFile_data()
    {
        QTest::addColumn<QByteArray>("response");
        QTest::addColumn<bool>("closedPort");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("good file") << RawHttpPeer::reply(200, kRecord) << false << true;
        QTest::newRow("error status with marker") << RawHttpPeer::reply(500, kRecord) << false << false;
        QTest::newRow("not found") << RawHttpPeer::reply(404, "no") << false << false;
        QTest::newRow("error text") << RawHttpPeer::reply(200, "Invalid password") << false << false;
        QTest::newRow("empty 200") << RawHttpPeer::reply(200, "") << false << false;
        QTest::newRow("broken transfer")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + kRecord) << false << false;
        QTest::newRow("over the size limit")
            << RawHttpPeer::reply(200, kRecord + QByteArray(4096, 'x')) << false << false;
        QTest::newRow("no server") << QByteArray() << true << false;
    }
    void downloadKeepsOldFile()
    {
        QFETCH(QByteArray, response);
        QFETCH(bool, closedPort);
        QFETCH(bool, replaced);
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.response = response;
        ServerLink link(config(closedPort ? RawHttpPeer::closedBase() : peer.base()));
        link.setMaxReplyBytes(1024);
        const QString path = link.config().recordFile();
        const QByteArray old = "Class_Is_Ready\told\t\r\n";
        writeFile(path, old);
        QCOMPARE(refresh(link, "t01"), replaced);
        QCOMPARE(readFile(path), replaced ? kRecord : old);
    }

    void downloadCreatesMissingFolder()
    {
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.response = RawHttpPeer::reply(200, kRecord);
        AppConfig c = config(peer.base());
        c.dataDir = m_dir.filePath("new/sub");
        ServerLink link(c);
        QVERIFY(refresh(link, "t01"));
        QCOMPARE(readFile(c.recordFile()), kRecord);
    }

    void downloadToUnwritablePlaceFails()
    {
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.response = RawHttpPeer::reply(200, kRecord);
        ServerLink link(config(peer.base()));
        QVERIFY(!link.DownloadToFile(link.serverUrl("/f"), m_dir.filePath("no/such/dir/file")));
    }
};

QTEST_GUILESS_MAIN(TestServerLink)
#include "tst_ServerLink.moc"
