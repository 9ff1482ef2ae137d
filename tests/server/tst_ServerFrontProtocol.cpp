// The server's HTTP front through raw sockets against the real binary: the framing and
// methods it answers, HTTPS to the tool's own transport, and mail kept off the request threads.
#include "FrontRig.h"
#include "Gunzip.h"

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
#include <QDateTime>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

using namespace corvanta;
using namespace corvanta::test::front;
using corvanta::test::ServerProcess;

namespace {

const QByteArray kCsvTarget = "/score/class.csv?class=%D2%BB%B0%E0"; // 一班 in GBK, as the pages link it
constexpr int kCsvRows = 6000;                                             // about 800 KB

// The body of a chunked reply in place; false when its last chunk is missing or malformed.
bool unchunk(QByteArray &body)
{
    QByteArray out;
    qsizetype at = 0;
    bool whole = false;
    for (;;) {
        const qsizetype line = body.indexOf("\r\n", at);
        bool ok = false;
        const qsizetype size = line < 0 ? -1 : body.mid(at, line - at).toLongLong(&ok, 16);
        if (!ok || body.size() < line + 2 + size + 2)
            break;
        if (size == 0) {
            whole = body.mid(line + 2) == "\r\n";
            break;
        }
        out += body.mid(line + 2, size);
        at = line + 2 + size + 2;
    }
    body = out;
    return whole;
}

QString csvNote(int i)
{
    return QStringLiteral("note %1 ").arg(i) + QString(100, u'n');
}

QString csvTime(int i)
{
    return QDateTime(QDate(2026, 3, 1), QTime(8, 0), Qt::UTC).addSecs(qint64(i) * 60).toString(u"yyyy-MM-dd hh:mm:ss");
}

// The class CSV of csvClass(), as the file made at once reads.
QByteArray expectedCsv()
{
    QByteArray out = "\xEF\xBB\xBF学生,计分,时间,课题,标准/说明\r\n";
    for (int i = 0; i < kCsvRows; ++i)
        out += (i % 2 ? "李四" : "张三") + QByteArray(",3,") + csvTime(i).toUtf8() + ",课堂提问," + csvNote(i).toUtf8() + "\r\n";
    return out;
}

} // namespace

class TestServerFrontProtocol : public QObject, public FrontRig
{
    Q_OBJECT

    QByteArray m_csvCookie;

    // Teacher csv01's class 一班 with kCsvRows scores (二班 beside it); the cookie of a browser
    // signed in as the teacher. Made once.
    QByteArray csvClass()
    {
        if (!m_csvCookie.isEmpty())
            return m_csvCookie;
        if (!m_server.registerTeacher("csv01", "login", "oper") ||
            !m_server.setClasses("csv01", "oper", {"一班", "二班"}) ||
            !m_server.setStudents("csv01", "oper", "一班", {"张三", "李四"}) ||
            !m_server.setStudents("csv01", "oper", "二班", {"王五"}))
            return {};
        for (int from = 0; from < kCsvRows; from += 250) {
            QStringList lines;
            for (int i = from; i < qMin(kCsvRows, from + 250); ++i)
                lines.append(QStringList{"一班", i % 2 ? "李四" : "张三", "3", csvTime(i), csvNote(i)}.join(u'\t'));
            if (m_server.post("/score/index.php", {{"username", "csv01"}, {"password", "oper"}, {"keti", "课堂提问"},
                                                   {"score", lines.join(u'|')}})
                    .text() != u"Success!")
                return {};
        }
        auto socket = connectTo(m_server.port());
        const QByteArray form = "username=csv01&password=login";
        socket->write("POST /score/ HTTP/1.1\r\nHost: t\r\nOrigin: http://t\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                      "Content-Length: " +
                      QByteArray::number(form.size()) + "\r\nConnection: close\r\n\r\n" + form);
        static const QRegularExpression cookie(QStringLiteral("\r\nSet-Cookie: ([^;\r]*)"),
                                               QRegularExpression::CaseInsensitiveOption);
        m_csvCookie = cookie.match(QString::fromLatin1(readAll(*socket, 10000))).captured(1).toLatin1();
        return m_csvCookie;
    }

private slots:
    void initTestCase()
    {
        CORVANTA_SKIP_WITHOUT_POSTGRES();
        QVERIFY2(m_server.start(), qPrintable(m_server.errorText()));
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
        // A coding the engine cannot read is answered at once, not after the body timeout.
        const QByteArray chunks = "5\r\n" + fields + "\r\n0\r\n\r\n";
        QTest::newRow("chunked") << QByteArray("Transfer-Encoding: chunked\r\n") << chunks << 200;
        for (const char *coding : {"xchunked", "gzip", "chunked, identity", "identity"})
            QTest::newRow(coding) << "Transfer-Encoding: " + QByteArray(coding) + "\r\n" << chunks << 501;
        QTest::newRow("chunked twice")
            << QByteArray("Transfer-Encoding: chunked\r\nTransfer-Encoding: chunked\r\n") << chunks << 501;
        // Headers a proxy may read otherwise.
        QTest::newRow("space before the colon") << "Content-Length : 5\r\n" + QByteArray() << fields << 400;
        QTest::newRow("folded line")
            << QByteArray("Content-Length: 5\r\nX-Note: one\r\n two\r\n") << fields << 400;
        QTest::newRow("folded with a tab")
            << QByteArray("Content-Length: 5\r\nX-Note: one\r\n\ttwo\r\n") << fields << 400;
        QTest::newRow("empty and blank values")
            << QByteArray("Content-Length: 5\r\nX-A:\r\nX-B:   \r\nX-C:\tc \r\n") << fields << 200;
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

    // A class CSV larger than a batch goes out chunked as it is read (gzipped when asked),
    // whole to an HTTP/1.0 client (which could not tell a broken-off reply from a complete
    // one), and as headers alone with the length to HEAD; the same bytes every way.
    void streamedCsv_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<QByteArray>("accept");
        QTest::newRow("HTTP/1.1") << QByteArray("GET") << QByteArray("HTTP/1.1") << QByteArray("identity");
        QTest::newRow("HTTP/1.1, gzip") << QByteArray("GET") << QByteArray("HTTP/1.1") << QByteArray("gzip");
        QTest::newRow("HTTP/1.0") << QByteArray("GET") << QByteArray("HTTP/1.0") << QByteArray("identity");
        QTest::newRow("HEAD") << QByteArray("HEAD") << QByteArray("HTTP/1.1") << QByteArray("gzip");
    }
    void streamedCsv()
    {
        QFETCH(QByteArray, method);
        QFETCH(QByteArray, version);
        QFETCH(QByteArray, accept);
        const QByteArray cookie = csvClass();
        QVERIFY(!cookie.isEmpty());
        auto socket = connectTo(m_server.port());
        socket->write(method + ' ' + kCsvTarget + ' ' + version + "\r\nHost: t\r\nCookie: " + cookie +
                      "\r\nAccept-Encoding: " + accept + "\r\nConnection: close\r\n\r\n");
        bool closed = false;
        const QByteArray reply = readAll(*socket, 60000, &closed);
        QVERIFY(closed);
        QCOMPARE(statusOf(reply), 200);
        const qsizetype end = reply.indexOf("\r\n\r\n");
        const QByteArray head = reply.left(end).toLower();
        QVERIFY2(head.contains("\r\ncontent-type: text/csv; charset=utf-8"), head.constData());
        QVERIFY(head.contains("\r\ncontent-disposition: attachment; filename="));
        QByteArray body = reply.mid(end + 4);
        if (method == "HEAD") { // the whole body's length, and no byte of it
            QVERIFY(body.isEmpty());
            QVERIFY(head.contains("\r\ncontent-length: "));
            return;
        }
        const bool chunked = version == "HTTP/1.1";
        QCOMPARE(head.contains("\r\ntransfer-encoding: chunked"), chunked);
        if (chunked)
            QVERIFY(unchunk(body));
        if (accept == "gzip") {
            QVERIFY(head.contains("\r\ncontent-encoding: gzip"));
            body = test::gunzip(body);
        }
        QCOMPARE(body.size(), expectedCsv().size());
        QCOMPARE(body, expectedCsv());
    }

    // A change of the teacher's data while a slow client takes the CSV breaks the reply off:
    // no last chunk, so the client cannot take the part for the whole.
    void streamedCsvBrokenOff()
    {
        const QByteArray cookie = csvClass();
        QVERIFY(!cookie.isEmpty());
        // A small receive buffer: the server must wait for the client long before the end.
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        const int small = 4096;
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in to = {};
        to.sin_family = AF_INET;
        to.sin_port = htons(quint16(m_server.port()));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QCOMPARE(::connect(fd, reinterpret_cast<sockaddr *>(&to), sizeof to), 0);
        QTcpSocket socket;
        socket.setReadBufferSize(small);
        QVERIFY(socket.setSocketDescriptor(fd));
        socket.write("GET " + kCsvTarget + " HTTP/1.1\r\nHost: t\r\nCookie: " + cookie + "\r\n\r\n");
        QVERIFY(socket.waitForReadyRead(20000));
        QVERIFY(m_server.post("/score/index.php", {{"username", "csv01"}, {"password", "oper"}, {"keti", "课堂提问"},
                                                   {"score", "二班\t王五\t1\t2026-02-01 08:00:00\t"}})
                    .text() == u"Success!");
        socket.setReadBufferSize(0);
        bool closed = false;
        QByteArray reply = socket.readAll() + readAll(socket, 20000, &closed);
        QVERIFY(closed);
        QCOMPARE(statusOf(reply), 200);
        QByteArray body = reply.mid(reply.indexOf("\r\n\r\n") + 4);
        QVERIFY(!unchunk(body));
        QVERIFY(body.size() < expectedCsv().size());
        QTRY_VERIFY_WITH_TIMEOUT(m_server.serverLog().contains(u"error: broken off: the teacher's data changed"), 5000);
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
                    "POST /score/ HTTP/1.1\r\nHost: t\r\nOrigin: https://t\r\nConnection: close\r\nContent-Type: "
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
};

QTEST_GUILESS_MAIN(TestServerFrontProtocol)
#include "tst_ServerFrontProtocol.moc"
