// The server's HTTP front through raw sockets against the real binary: what one client may
// cost it (sizes, times, connections), the methods it answers, HTTPS to the tool's own
// transport, and the work kept off the request threads (mail, registrations, check codes).
#include "support/ServerProcess.h"

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

using namespace corvanta;
using corvanta::test::ServerProcess;

namespace {

// A blocking client socket, from 127.0.0.1 unless told another loopback address.
std::unique_ptr<QTcpSocket> connectTo(int port, const QString &from = {})
{
    auto socket = std::make_unique<QTcpSocket>();
    if (!from.isEmpty())
        socket->bind(QHostAddress(from));
    socket->connectToHost(QHostAddress::LocalHost, quint16(port));
    socket->waitForConnected(5000);
    return socket;
}

// Everything the server sends until it closes or ms pass; *closed tells which.
QByteArray readAll(QTcpSocket &socket, int ms, bool *closed = nullptr)
{
    QByteArray data;
    QElapsedTimer timer;
    timer.start();
    while (socket.state() == QAbstractSocket::ConnectedState && timer.elapsed() < ms) {
        socket.waitForReadyRead(int(qMax<qint64>(1, ms - timer.elapsed())));
        data += socket.readAll();
    }
    data += socket.readAll();
    if (closed)
        *closed = socket.state() != QAbstractSocket::ConnectedState;
    return data;
}

// Reads until one whole reply (headers and Content-Length body) is in.
QByteArray readReply(QTcpSocket &socket, int ms = 5000)
{
    QByteArray data;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        const qsizetype end = data.indexOf("\r\n\r\n");
        if (end >= 0) {
            qsizetype length = 0;
            for (const QByteArray &line : data.left(end).split('\n')) {
                if (line.toLower().startsWith("content-length:"))
                    length = line.mid(15).trimmed().toLongLong();
            }
            if (data.size() >= end + 4 + length)
                return data;
        }
        if (!socket.waitForReadyRead(200) && socket.state() != QAbstractSocket::ConnectedState)
            break;
        data += socket.readAll();
    }
    return data;
}

int statusOf(const QByteArray &reply)
{
    const QList<QByteArray> words = reply.left(reply.indexOf("\r\n")).split(' ');
    return words.size() >= 2 ? words[1].toInt() : 0;
}

QByteArray get(const QByteArray &target, const QByteArray &extra = {})
{
    return "GET " + target + " HTTP/1.1\r\nHost: t\r\n" + extra + "Connection: close\r\n\r\n";
}

// A POST that sends its headers and the start of a body it never finishes.
std::unique_ptr<QTcpSocket> startSlowBody(int port, const QString &from = {})
{
    auto socket = connectTo(port, from);
    socket->write("POST /score/index.php HTTP/1.1\r\nHost: t\r\nContent-Length: 1000\r\n\r\nusername=");
    socket->waitForBytesWritten(1000);
    return socket;
}

// Whether the server has closed the connection by now.
bool closedByServer(QTcpSocket &socket, int ms = 2000)
{
    return socket.state() != QAbstractSocket::ConnectedState || socket.waitForDisconnected(ms);
}

// The process is gone (or a zombie nobody reaps, which runs no more).
bool processGone(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2, 1) == "Z";
}

// Runs openssl s_client with the arguments, the request on its standard input; the reply's
// bytes, empty when the handshake failed.
QByteArray overTls(int port, const QStringList &arguments, const QByteArray &request)
{
    QProcess client;
    client.start(QStringLiteral("openssl"),
                 QStringList{"s_client", "-connect", QStringLiteral("127.0.0.1:%1").arg(port), "-quiet",
                             "-no_ign_eof"} +
                     arguments);
    if (!client.waitForStarted(5000))
        return {};
    client.write(request);
    if (!client.waitForFinished(10000))
        client.kill();
    return client.exitCode() == 0 ? client.readAllStandardOutput() : QByteArray();
}

} // namespace

class TestServerFront : public QObject
{
    Q_OBJECT

    // Limits shortened so the time limits show within a second or two.
    ServerProcess m_server{{"--header-timeout", "1", "--idle-timeout", "2", "--body-timeout", "1",
                            "--max-connections-per-address", "6"}};

private slots:
    void initTestCase()
    {
        if (test::PostgresCluster::wanted() && !test::PostgresCluster::available())
            QSKIP(qPrintable(test::PostgresCluster::missingText()));
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

    // Framing a proxy in front could read otherwise is refused.
    void ambiguousLength_data()
    {
        QTest::addColumn<QByteArray>("headers");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        const QByteArray fields = "a=b&c";
        QTest::newRow("one length") << QByteArray("Content-Length: 5\r\n") << fields << 200;
        QTest::newRow("the same length twice")
            << QByteArray("Content-Length: 5\r\nContent-Length: 5\r\n") << fields << 200;
        QTest::newRow("two lengths") << QByteArray("Content-Length: 5\r\nContent-Length: 7\r\n")
                                     << fields + "&d" << 400;
        QTest::newRow("length and chunked")
            << QByteArray("Content-Length: 5\r\nTransfer-Encoding: chunked\r\n")
            << "5\r\n" + fields + "\r\n0\r\n\r\n"
            << 400;
        QTest::newRow("chunked and length")
            << QByteArray("Transfer-Encoding: chunked\r\nContent-Length: 20\r\n")
            << "5\r\n" + fields + "\r\n0\r\n\r\n"
            << 400;
        QTest::newRow("a list of lengths") << QByteArray("Content-Length: 5, 5\r\n") << fields << 400;
    }
    void ambiguousLength()
    {
        QFETCH(QByteArray, headers);
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        auto socket = connectTo(m_server.port());
        socket->write("POST /score/checkpassword.php HTTP/1.1\r\nHost: t\r\nConnection: close\r\n" + headers +
                      "\r\n" + body);
        QCOMPARE(statusOf(readAll(*socket, 3000)), status);
    }

    void methods_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("allow");
        QTest::addColumn<bool>("body");
        QTest::newRow("GET") << get("/score/servertime.php") << 200 << QByteArray() << true;
        QTest::newRow("HEAD as GET, no body")
            << QByteArray("HEAD /score/servertime.php HTTP/1.1\r\nHost: t\r\nConnection: close\r\n\r\n")
            << 200 << QByteArray() << false;
        QTest::newRow("PUT on a GET page")
            << QByteArray("PUT /score/record.php HTTP/1.1\r\nHost: t\r\nContent-Length: 0\r\nConnection: "
                          "close\r\n\r\n")
            << 405 << QByteArray("GET") << true;
        QTest::newRow("GET on a POST page")
            << get("/score/checkpassword.php") << 405 << QByteArray("POST") << true;
    }
    void methods()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, status);
        QFETCH(QByteArray, allow);
        QFETCH(bool, body);
        auto socket = connectTo(m_server.port());
        socket->write(request);
        const QByteArray reply = readAll(*socket, 5000);
        QCOMPARE(statusOf(reply), status);
        const QByteArray head = reply.left(reply.indexOf("\r\n\r\n")).toLower();
        if (!allow.isEmpty())
            QVERIFY2(head.contains("\r\nallow: " + allow.toLower()), head.constData());
        QVERIFY(head.contains("\r\ncontent-length: "));
        QCOMPARE(reply.size() > reply.indexOf("\r\n\r\n") + 4, body);
    }

    void http10ClosedAfterReply()
    {
        auto socket = connectTo(m_server.port());
        socket->write("GET /score/servertime.php HTTP/1.0\r\n\r\n");
        bool closed = false;
        const QByteArray reply = readAll(*socket, 1500, &closed);
        QCOMPARE(statusOf(reply), 200);
        QVERIFY(closed);
    }

    void upgradeAnsweredOnce()
    {
        auto socket = connectTo(m_server.port());
        socket->write(
            "GET /score/servertime.php HTTP/1.1\r\nHost: t\r\nConnection: Upgrade\r\nUpgrade: websocket\r\n"
            "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n");
        const QByteArray reply = readAll(*socket, 4000);
        QCOMPARE(statusOf(reply), 200);
        QCOMPARE(reply.count("HTTP/1.1 "), 1);
    }

    // The server's HTTPS offers TLS 1.2 and 1.3 with forward-secret AEAD suites only, marks
    // its cookies Secure and asks browsers to keep to HTTPS.
    void tlsSettings_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("served");
        QTest::newRow("TLS 1.1") << QStringList{"-tls1_1", "-cipher", "DEFAULT:@SECLEVEL=0"} << false;
        QTest::newRow("static RSA") << QStringList{"-tls1_2", "-cipher", "AES128-GCM-SHA256:@SECLEVEL=0"}
                                    << false;
        QTest::newRow("CBC with SHA-1")
            << QStringList{"-tls1_2", "-cipher", "ECDHE-RSA-AES128-SHA:@SECLEVEL=0"} << false;
        QTest::newRow("TLS 1.2 ECDHE GCM")
            << QStringList{"-tls1_2", "-cipher", "ECDHE-RSA-AES128-GCM-SHA256"} << true;
        QTest::newRow("TLS 1.3") << QStringList{"-tls1_3"} << true;
    }
    void tlsSettings()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, served);
        if (QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty())
            QSKIP("openssl is missing (scripts/deps.sh installs it)");
        QTemporaryDir dir;
        const QString cert = dir.filePath(QStringLiteral("cert.pem")),
                      key = dir.filePath(QStringLiteral("key.pem"));
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"), {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                                                  key, "-out", cert, "-days", "2", "-subj", "/CN=127.0.0.1"});
        QVERIFY(openssl.waitForFinished(60000));
        QCOMPARE(openssl.exitCode(), 0);
        ServerProcess tls({"--tls-cert", cert, "--tls-key", key, "--demo"});
        QVERIFY2(tls.start(), qPrintable(tls.errorText()));
        const QByteArray signIn = "username=demo&password=demo";
        const QByteArray reply =
            overTls(tls.port(), arguments,
                    "POST /score/ HTTP/1.1\r\nHost: t\r\nConnection: close\r\nContent-Type: "
                    "application/x-www-form-urlencoded\r\nContent-Length: " +
                        QByteArray::number(signIn.size()) + "\r\n\r\n" + signIn);
        QCOMPARE(statusOf(reply) != 0, served);
        if (!served)
            return;
        const QByteArray head = reply.left(reply.indexOf("\r\n\r\n")).toLower();
        QVERIFY2(head.contains("\r\nstrict-transport-security: max-age="), head.constData());
        QVERIFY2(QRegularExpression(QStringLiteral("\r\nset-cookie: [^\r]*; secure(;|\r|$)"))
                     .match(QString::fromLatin1(head))
                     .hasMatch(),
                 head.constData());
    }

    // The tool's own transport over HTTPS, trusting a certificate authority made here.
    void toolOverTls()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty())
            QSKIP("openssl is missing (scripts/deps.sh installs it)");
        QTemporaryDir dir;
        const QString cert = dir.filePath(QStringLiteral("cert.pem")),
                      key = dir.filePath(QStringLiteral("key.pem"));
        QProcess openssl;
        openssl.start(QStringLiteral("openssl"),
                      {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert, "-days",
                       "2", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"});
        QVERIFY(openssl.waitForFinished(60000));
        QCOMPARE(openssl.exitCode(), 0);
        ServerProcess tls({"--tls-cert", cert, "--tls-key", key});
        QVERIFY2(tls.start(), qPrintable(tls.errorText()));
        QVERIFY(tls.baseUrl().startsWith(u"https://"));

        AppConfig config;
        config.dataDir = dir.path();
        config.serverBase = tls.baseUrl();
        config.vendorBase = tls.baseUrl();
        ServerLink untrusted(config);
        QVERIFY(
            untrusted.HttpGetText(untrusted.serverUrl(QStringLiteral("/score/servertime.php"))).isEmpty());
        config.caFile = cert;
        ServerLink link(config);
        const HttpResult time = link.HttpGetRaw(link.serverUrl(QStringLiteral("/score/servertime.php")));
        QVERIFY2(time.text.toLongLong() > 1700000000, qPrintable(time.text + time.error));
        QVERIFY(
            tls.registerTeacher(QStringLiteral("tls01"), QStringLiteral("login"), QStringLiteral("oper")));
        FormFields login;
        login.add(QStringLiteral("username"), QStringLiteral("tls01"));
        login.add(QStringLiteral("password"), QStringLiteral("login"));
        const HttpResult r = link.PostForm(link.serverUrl(QStringLiteral("/score/checkpassword.php")), login);
        QCOMPARE(r.text, QStringLiteral("Success!"));
    }

    // A mail command that takes three seconds holds neither the page nor anyone else.
    void mailLeavesThroughAQueue()
    {
        QTemporaryDir dir;
        const QString sent = dir.filePath(QStringLiteral("sent.eml"));
        ServerProcess server({"--sendmail", QStringLiteral("sleep 3; cat > '%1'").arg(sent)});
        QVERIFY2(server.start(), qPrintable(server.errorText()));
        QVERIFY(server.registerTeacher(QStringLiteral("mail01"), QStringLiteral("login"),
                                       QStringLiteral("oper")));
        QElapsedTimer timer;
        timer.start();
        const auto reply = server.get(QStringLiteral("/score/getpswdcode.php"),
                                      {{"username", "mail01"}, {"email", "teacher@example.org"}});
        QCOMPARE(reply.text(), QStringLiteral("success"));
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
        timer.restart();
        QCOMPARE(server.get(QStringLiteral("/score/servertime.php")).status, 200);
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(!QFile::exists(sent));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(sent) && QFile(sent).size() > 0, 10000);
    }

    // A mail command that hangs does not hold the server's stop: SIGTERM ends it within 5 s,
    // the command and what it started are killed, and each mail left is logged.
    void stopWithHangingSendmail()
    {
        QTemporaryDir dir;
        const QString pids = dir.filePath(QStringLiteral("pids"));
        ServerProcess server(
            {"--sendmail", QStringLiteral("echo $$ >> '%1'; sleep 60 & echo $! >> '%1'; wait").arg(pids)});
        QVERIFY2(server.start(), qPrintable(server.errorText()));
        for (int i = 0; i < 3; ++i) {
            const QString account = QStringLiteral("hang%1").arg(i);
            QVERIFY(server.registerTeacher(account, QStringLiteral("login"), QStringLiteral("oper")));
            QCOMPARE(server
                         .get(QStringLiteral("/score/getpswdcode.php"),
                              {{"username", account}, {"email", "teacher@example.org"}})
                         .text(),
                     QStringLiteral("success"));
        }
        QFile started(pids);
        QTRY_VERIFY_WITH_TIMEOUT(started.open(QIODevice::ReadOnly) && started.readAll().count('\n') >= 2 &&
                                     (started.close(), true),
                                 10000);
        QElapsedTimer timer;
        timer.start();
        server.stop();
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
        QCOMPARE(server.exitCode(), 0);
        QCOMPARE(server.serverLog().count(QStringLiteral("mail to teacher@example.org not sent")), 3);
        QVERIFY(started.open(QIODevice::ReadOnly));
        for (const QByteArray &pid : started.readAll().split('\n')) {
            if (!pid.isEmpty())
                QTRY_VERIFY2_WITH_TIMEOUT(processGone(pid.toLongLong()), pid.constData(), 2000);
        }
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
        auto cheap = connectTo(server.port());
        cheap->write(get("/score/servertime.php"));
        // Replies in the order they are complete; index 16 is the clock page.
        QList<int> order;
        QList<QByteArray> replies(17);
        QElapsedTimer timer;
        timer.start();
        while (order.size() < 17 && timer.elapsed() < 60000) {
            for (int i = 0; i < 17; ++i) {
                QTcpSocket &socket = i < 16 ? *heavy[std::size_t(i)] : *cheap;
                if (order.contains(i))
                    continue;
                socket.waitForReadyRead(5);
                replies[i] += socket.readAll();
                if (socket.state() != QAbstractSocket::ConnectedState)
                    order.append(i);
            }
        }
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
};

QTEST_GUILESS_MAIN(TestServerFront)
#include "tst_ServerFront.moc"
