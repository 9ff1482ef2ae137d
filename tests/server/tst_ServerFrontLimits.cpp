// The server's HTTP front through raw sockets against the real binary: what one client may
// cost it (sizes, times, connections) and the costly work it keeps apart (heavy reads,
// check codes, registrations).
#include "FrontRig.h"

#include "core/TextCodec.h"
#include "net/ServerLink.h"
#include "net/Wire.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

using namespace corvanta;
using namespace corvanta::test::front;
using corvanta::test::ServerProcess;

namespace {

// A client that sends its request and reads nothing until told: a small receive buffer, so
// the reply waits in the server rather than in the kernel.
class UnreadClient
{
public:
    UnreadClient(int port, const QByteArray &request) : m_fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        const int small = 4096;
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in to = {};
        to.sin_family = AF_INET;
        to.sin_port = htons(quint16(port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(m_fd, reinterpret_cast<const sockaddr *>(&to), sizeof to) == 0) [[maybe_unused]]
            const auto sent = ::send(m_fd, request.constData(), size_t(request.size()), MSG_NOSIGNAL);
    }
    UnreadClient(UnreadClient &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    ~UnreadClient()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    // All the server sends until it closes (at most 20 s).
    QByteArray readToEnd()
    {
        QByteArray data;
        timeval limit = {20, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        char buffer[65536];
        ssize_t n = 0;
        while ((n = ::recv(m_fd, buffer, sizeof buffer, 0)) > 0)
            data.append(buffer, n);
        return data;
    }

private:
    int m_fd = -1;
};

} // namespace

class TestServerFrontLimits : public QObject, public FrontRig
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        CORVANTA_SKIP_WITHOUT_POSTGRES();
        QVERIFY2(m_server.start(), qPrintable(m_server.errorText()));
    }

    void sizeLimits_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("status");
        const QByteArray time = "/score/servertime.php?t=1";
        QTest::newRow("plain") << get(time) << 200;
        QTest::newRow("headers just under 16 KiB")
            << get(time, "X-Pad: " + QByteArray(15 * 1024, 'a') + "\r\n") << 200;
        QTest::newRow("headers over 16 KiB")
            << get(time, "X-Pad: " + QByteArray(17 * 1024, 'a') + "\r\n") << 431;
        QTest::newRow("headers far over")
            << get(time, "X-Pad: " + QByteArray(200 * 1024, 'a') + "\r\n") << 431;
        QTest::newRow("many small headers") << get(time, QByteArray("X-A: b\r\n").repeated(3000)) << 431;
        QTest::newRow("query of 8 KiB") << get(time + '&' + QByteArray(8 * 1024 - 6, 'q')) << 200;
        QTest::newRow("query over 8 KiB") << get(time + '&' + QByteArray(9 * 1024, 'q')) << 414;
    }
    void sizeLimits()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, status);
        auto socket = connectTo(m_server.port());
        socket->write(request);
        const QByteArray reply = readAll(*socket, 5000);
        QCOMPARE(statusOf(reply), status);
    }

    // A body far over 1 MiB by its Content-Length is refused before any of it is sent.
    void bodyRefusedByLength()
    {
        auto socket = connectTo(m_server.port());
        socket->write(
            "POST /score/index.php HTTP/1.1\r\nHost: t\r\nContent-Type: application/x-www-form-urlencoded\r\n"
            "Content-Length: 536870912\r\n\r\n");
        bool closed = false;
        const QByteArray reply = readAll(*socket, 3000, &closed);
        QCOMPARE(statusOf(reply), 413);
        QVERIFY(closed);
        QCOMPARE(fromGbk(reply.mid(reply.indexOf("\r\n\r\n") + 4)), QStringLiteral("请求内容过大"));
    }

    // A chunked body is counted while it streams: a little over the limit gets its 413 at
    // its end, one that goes on and on is cut off.
    void bodyRefusedWhileStreaming_data()
    {
        QTest::addColumn<int>("chunks"); // of 64 KiB
        QTest::addColumn<int>("status");
        QTest::newRow("1.5 MiB") << 24 << 413;
        QTest::newRow("endless") << 1000 << 0;
    }
    void bodyRefusedWhileStreaming()
    {
        QFETCH(int, chunks);
        QFETCH(int, status);
        auto socket = connectTo(m_server.port());
        socket->write("POST /score/index.php HTTP/1.1\r\nHost: t\r\nTransfer-Encoding: chunked\r\n\r\n");
        const QByteArray chunk =
            QByteArray::number(64 * 1024, 16) + "\r\n" + QByteArray(64 * 1024, 'x') + "\r\n";
        int sent = 0;
        for (; sent < chunks && socket->state() == QAbstractSocket::ConnectedState; ++sent) {
            socket->write(chunk);
            if (!socket->waitForBytesWritten(2000))
                break;
        }
        socket->write("0\r\n\r\n");
        bool closed = false;
        const QByteArray reply = readAll(*socket, 5000, &closed);
        QCOMPARE(statusOf(reply), status);
        QVERIFY(closed);
        QVERIFY2(sent < 200, qPrintable(QString::number(sent))); // cut off near four times the limit
    }

    // A client that sends its headers a byte at a time is cut off at the header limit.
    void headerTimeLimit()
    {
        auto socket = connectTo(m_server.port());
        QElapsedTimer timer;
        timer.start();
        const QByteArray request = get("/score/servertime.php");
        for (qsizetype i = 0; i < request.size() - 4 && socket->state() == QAbstractSocket::ConnectedState;
             ++i) {
            socket->write(request.mid(i, 1));
            socket->waitForBytesWritten(500);
            if (socket->waitForDisconnected(150))
                break;
        }
        QCOMPARE(socket->state(), QAbstractSocket::UnconnectedState);
        QVERIFY2(timer.elapsed() < 4000, qPrintable(QString::number(timer.elapsed())));
    }

    // A kept-alive connection serves another request, and is closed when idle too long.
    void idleKeepAliveClosed()
    {
        auto socket = connectTo(m_server.port());
        const QByteArray request = "GET /score/servertime.php HTTP/1.1\r\nHost: t\r\n\r\n";
        socket->write(request);
        QCOMPARE(statusOf(readReply(*socket)), 200);
        QTest::qWait(500);
        socket->write(request);
        QCOMPARE(statusOf(readReply(*socket)), 200);
        QElapsedTimer timer;
        timer.start();
        bool closed = false;
        QVERIFY(readAll(*socket, 6000, &closed).isEmpty());
        QVERIFY(closed);
        QVERIFY2(timer.elapsed() > 1000, qPrintable(QString::number(timer.elapsed())));
    }

    // A body that trickles in is cut off at the body limit (1 s here), whatever its pace.
    void bodyTimeLimit()
    {
        auto socket = startSlowBody(m_server.port());
        QElapsedTimer timer;
        timer.start();
        while (socket->state() == QAbstractSocket::ConnectedState && timer.elapsed() < 8000) {
            socket->write("a");
            socket->waitForBytesWritten(500);
            socket->waitForDisconnected(300);
        }
        QCOMPARE(socket->state(), QAbstractSocket::UnconnectedState);
        QVERIFY2(timer.elapsed() < 4000, qPrintable(QString::number(timer.elapsed())));
    }

    // One address cannot take every connection: when its share is taken, the connection
    // that has waited longest for its client makes room, so a teacher behind the same
    // school address is still served; other addresses are unaffected.
    void connectionsPerAddress()
    {
        // The usual header limit: the held connections must outlast a slow machine.
        ServerProcess server({"--max-connections-per-address", "6"});
        QVERIFY2(server.start(), qPrintable(server.errorText()));
        std::vector<std::unique_ptr<QTcpSocket>> held;
        for (int i = 0; i < 6; ++i) {
            held.push_back(i % 2 ? startSlowBody(server.port()) : connectTo(server.port()));
            QTest::qWait(30); // each waits for a different time
        }
        QTest::qWait(200);
        auto over = connectTo(server.port());
        over->write(get("/score/servertime.php"));
        QCOMPARE(statusOf(readAll(*over, 3000)), 200);
        QVERIFY(closedByServer(*held.front()));
        for (std::size_t i = 1; i < held.size(); ++i)
            QCOMPARE(held[i]->state(), QAbstractSocket::ConnectedState);
        auto other = connectTo(server.port(), QStringLiteral("127.0.0.2"));
        other->write(get("/score/servertime.php"));
        QCOMPARE(statusOf(readAll(*other, 3000)), 200);
        held.clear();
    }

    // Slow clients from many addresses fill every connection; a newcomer still gets in, in
    // place of the one that has waited longest.
    void slowClientsPushedOut()
    {
        ServerProcess server({"--max-connections", "12", "--max-connections-per-address", "6"});
        QVERIFY2(server.start(), qPrintable(server.errorText()));
        std::vector<std::unique_ptr<QTcpSocket>> held;
        for (int address = 2; address <= 4; ++address) {
            for (int i = 0; i < 6; ++i) {
                held.push_back(startSlowBody(server.port(), QStringLiteral("127.0.0.%1").arg(address)));
                QTest::qWait(20);
            }
        }
        QTest::qWait(300);
        auto newcomer = connectTo(server.port(), QStringLiteral("127.0.0.5"));
        newcomer->write(get("/score/servertime.php"));
        QCOMPARE(statusOf(readAll(*newcomer, 3000)), 200);
        int open = 0;
        for (const auto &socket : held)
            open += closedByServer(*socket, 100) ? 0 : 1;
        QVERIFY2(open <= 11, qPrintable(QString::number(open)));
        QVERIFY(closedByServer(*held.front(), 100));
        QCOMPARE(held.back()->state(), QAbstractSocket::ConnectedState);
    }

    // Reads of a whole class run apart from the cheap pages, a few per account at once: a
    // pile of them from one account gets 503 with Retry-After beyond its share, and the clock
    // page is answered while they still run.
    void heavyReadsApart()
    {
        ServerProcess server({"--threads", "1", "--heavy-threads", "1"});
        QVERIFY2(server.start(), qPrintable(server.errorText()));
        const QString account = QStringLiteral("heavy01");
        QVERIFY(server.registerTeacher(account, QStringLiteral("login"), QStringLiteral("oper")));
        QVERIFY(server.setClasses(account, QStringLiteral("oper"), {QStringLiteral("C1")}));
        QVERIFY(server.setStudents(account, QStringLiteral("oper"), QStringLiteral("C1"),
                                   {QStringLiteral("s1")}));
        QVERIFY(server.setTopics(account, QStringLiteral("oper"), {QStringLiteral("k")}));
        const QDateTime base(QDate(2026, 1, 1), QTime(8, 0));
        for (int part = 0; part < 2; ++part) {
            QStringList lines;
            for (int i = 0; i < 10000; ++i)
                lines.append(
                    QStringLiteral("C1\ts1\t5\t%1\t")
                        .arg(base.addSecs(part * 10000 + i).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))));
            QVERIFY(server.upload(account, QStringLiteral("oper"), QStringLiteral("k"), lines));
        }
        const QByteArray read =
            get("/score/getscore.php?class=C1&t=heavy01&mp=" + Md5Hex(QStringLiteral("login")).toLatin1());
        std::vector<std::unique_ptr<QTcpSocket>> heavy;
        for (int i = 0; i < 16; ++i) {
            heavy.push_back(connectTo(server.port()));
            heavy.back()->write(read);
            heavy.back()->flush();
        }
        QTest::qWait(100);
        heavy.push_back(connectTo(server.port()));
        heavy.back()->write(get("/score/servertime.php"));
        // Replies in the order they are complete; index 16 is the clock page.
        QList<QByteArray> replies;
        const QList<int> order = completionOrder(heavy, &replies);
        QCOMPARE(order.size(), 17);
        QCOMPARE(statusOf(replies[16]), 200);
        int served = 0, busy = 0;
        for (int i = 0; i < 16; ++i) {
            const int status = statusOf(replies[i]);
            QVERIFY2(status == 200 || status == 503, replies[i].left(200).constData());
            if (status == 503) {
                ++busy;
                QVERIFY(replies[i].contains("\r\nRetry-After: 5\r\n"));
            } else {
                ++served;
                QVERIFY(replies[i].count("\r\n") > 10000);
            }
        }
        QVERIFY2(busy >= 1 && served >= 2, qPrintable(QStringLiteral("%1 %2").arg(busy).arg(served)));
        // The clock page did not wait for the reads that were let in.
        qsizetype lastServed = 0;
        for (qsizetype k = 0; k < order.size(); ++k) {
            if (order[k] < 16 && statusOf(replies[order[k]]) == 200)
                lastServed = k;
        }
        QVERIFY2(order.indexOf(16) < lastServed, qPrintable(QString::number(order.indexOf(16))));
    }

    // A flood of wrong passwords waits for the slow hash on a queue of its own, not on the
    // request threads: beyond the queue's room it gets 503 with Retry-After, and the clock
    // page is answered while the checks let in still run.
    void wrongPasswordsWaitApart()
    {
        ServerProcess server({"--threads", "1"});
        QVERIFY2(server.start(), qPrintable(server.errorText()));
        QVERIFY(server.registerTeacher(QStringLiteral("hash01"), QStringLiteral("login"), QStringLiteral("oper")));
        const QByteArray body = ServerProcess::encode({{"username", "hash01"}, {"password", "bad"}, {"keti", "k"}});
        const QByteArray wrong = "POST /score/setketi.php HTTP/1.1\r\nHost: t\r\nConnection: close\r\n"
                                 "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                                 QByteArray::number(body.size()) + "\r\n\r\n" + body;
        constexpr int kFlood = 40;
        std::vector<std::unique_ptr<QTcpSocket>> sockets;
        for (int i = 0; i < kFlood; ++i) {
            sockets.push_back(connectTo(server.port()));
            sockets.back()->write(wrong);
            sockets.back()->flush();
        }
        sockets.push_back(connectTo(server.port()));
        sockets.back()->write(get("/score/servertime.php"));
        // Replies in the order they are complete; the last socket is the clock page's.
        QList<QByteArray> replies;
        const QList<int> order = completionOrder(sockets, &replies);
        QCOMPARE(order.size(), kFlood + 1);
        QCOMPARE(statusOf(replies[kFlood]), 200);
        int busy = 0;
        qsizetype lastChecked = 0;
        for (qsizetype k = 0; k < order.size(); ++k) {
            const QByteArray &reply = replies[order[k]];
            if (order[k] == kFlood)
                continue;
            if (statusOf(reply) == 503) {
                ++busy;
                QVERIFY(reply.contains("\r\nRetry-After: 5\r\n"));
                continue;
            }
            QCOMPARE(statusOf(reply), 200);
            const QString text = fromGbk(reply.mid(reply.indexOf("\r\n\r\n") + 4));
            QVERIFY2(text == QStringLiteral("用户名或操作密码错误！") || text.startsWith(QStringLiteral("密码错误次数过多")),
                     qPrintable(text));
            lastChecked = k;
        }
        QVERIFY2(busy >= 1, "every wrong password was let in");
        QVERIFY2(order.indexOf(kFlood) < lastChecked, qPrintable(QString::number(order.indexOf(kFlood))));
    }

    // One check code a minute per account, counted in the database: a restart forgets nothing.
    void checkCodeOncePerMinute()
    {
        ServerProcess server;
        QVERIFY2(server.start(), qPrintable(server.errorText()));
        QVERIFY(server.registerTeacher(QStringLiteral("code01"), QStringLiteral("login"),
                                       QStringLiteral("oper")));
        const ServerProcess::Fields ask = {{"username", "code01"}, {"email", "teacher@example.org"}};
        QCOMPARE(server.get(QStringLiteral("/score/getpswdcode.php"), ask).text(), QStringLiteral("success"));
        QTRY_COMPARE(server.mails().size(), 1);
        const QString tooSoon = QStringLiteral("验证码发送过于频繁，请一分钟后再试！");
        QCOMPARE(server.get(QStringLiteral("/score/getpswdcode.php"), ask).text(), tooSoon);
        QVERIFY(server.restart());
        QCOMPARE(server.get(QStringLiteral("/score/getpswdcode.php"), ask).text(), tooSoon);
        QTest::qWait(300);
        QCOMPARE(server.mails().size(), 1);
    }

    // Registrations are the dearest page: ten a minute from one address, others unhindered.
    void registrationsPerAddress()
    {
        ServerProcess server({"--registrations-per-minute", "10"});
        QVERIFY2(server.start(), qPrintable(server.errorText()));
        for (int i = 0; i < 10; ++i)
            QVERIFY(server.registerTeacher(QStringLiteral("reg%1x").arg(i), QStringLiteral("l"),
                                           QStringLiteral("o")));
        const auto refused =
            server.post(QStringLiteral("/score/regteacher.php"), {{"username", "reg10x"},
                                                                  {"teachername", "老师"},
                                                                  {"password", "l"},
                                                                  {"superpassword", "o"},
                                                                  {"email", "t@example.org"}});
        QCOMPARE(refused.text(), QStringLiteral("注册过于频繁，请一分钟后再试！"));
        auto other = connectTo(server.port(), QStringLiteral("127.0.0.2"));
        const QByteArray body = ServerProcess::encode({{"username", "reg11x"},
                                                       {"teachername", "老师"},
                                                       {"password", "l"},
                                                       {"superpassword", "o"},
                                                       {"email", "t@example.org"}});
        other->write("POST /score/regteacher.php HTTP/1.1\r\nHost: t\r\nConnection: close\r\n"
                     "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                     QByteArray::number(body.size()) + "\r\n\r\n" + body);
        const QByteArray reply = readAll(*other, 5000);
        QCOMPARE(reply.mid(reply.indexOf("\r\n\r\n") + 4), QByteArray("Success!"));
    }

    // Replies waiting for clients that never read them are bounded: a record file many clients
    // ask for is held once, and past the bound the connection whose reply has waited longest
    // is closed, while the newest is served whole.
    void unreadRepliesBounded()
    {
        ServerProcess server({"--max-waiting-reply-kb", "2048"});
        QVERIFY2(server.start(), qPrintable(server.errorText()));
        // Two teachers with a record file of about 1.6 MB each.
        const QString longName = QString(45, QChar(0x73ed));
        for (const char *account : {"big01", "big02"}) {
            QVERIFY(server.registerTeacher(account, "login", "oper"));
            QStringList classes, students;
            for (int c = 0; c < 40; ++c)
                classes.append(longName + QString::number(c));
            for (int i = 0; i < 200; ++i)
                students.append(longName + QString::number(i));
            QVERIFY(server.setClasses(account, "oper", classes));
            for (const QString &c : std::as_const(classes))
                QVERIFY(server.setStudents(account, "oper", c, students));
        }
        const auto ask = [&](const char *account) {
            return UnreadClient(server.port(), get("/score/record.php?t=" + QByteArray(account) +
                                                   "&mp=" + Md5Hex(QStringLiteral("login")).toLatin1()));
        };
        // Signed in once, as the tool does before it fetches: the six share the known password
        // instead of each waiting for the slow hash (whose queue answers a crowd busy).
        QCOMPARE(statusOf(ask("big01").readToEnd()), 200);
        std::vector<UnreadClient> same;
        for (int i = 0; i < 6; ++i)
            same.push_back(ask("big01"));
        QTest::qWait(500);
        qsizetype size = 0;
        for (UnreadClient &client : same) {
            const QByteArray reply = client.readToEnd();
            QCOMPARE(statusOf(reply), 200);
            QVERIFY2(reply.size() > 1400000, qPrintable(QString::number(reply.size())));
            QVERIFY(size == 0 || reply.size() == size); // each whole: none was closed
            size = reply.size();
        }

        // Built once before, so the newest reply is queued at once.
        QCOMPARE(
            server.get("/score/record.php", {{"t", "big02"}, {"mp", Md5Hex(QStringLiteral("login"))}}).status,
            200);
        UnreadClient oldest = ask("big01");
        QTest::qWait(300);
        UnreadClient newest = ask("big02");
        QTest::qWait(500);
        QVERIFY(oldest.readToEnd().size() < size); // closed before its reply was taken
        const QByteArray served = newest.readToEnd();
        QCOMPARE(statusOf(served), 200);
        QVERIFY(served.size() > 1400000);
    }
};

QTEST_GUILESS_MAIN(TestServerFrontLimits)
#include "tst_ServerFrontLimits.moc"
