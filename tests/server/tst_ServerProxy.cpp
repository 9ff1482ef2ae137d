// The server behind the README's own nginx: with --trusted-proxy each client counts under its
// own address (lock-outs, the log), and what a client writes in X-Forwarded-For counts for
// nothing. Skipped, saying so, without nginx (Debian package nginx-light).
#include "FrontRig.h"

#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace corvanta;
using namespace corvanta::test::front;

class TestServerProxy : public QObject
{
    Q_OBJECT

    test::ServerProcess m_server{{"--trusted-proxy", "127.0.0.1"}};
    QTemporaryDir m_dir;
    QProcess m_nginx;
    int m_port = 0;

    // The README's nginx block, on a plain port of this machine instead of 443 with TLS.
    QByteArray readmeServerBlock() const
    {
        QFile readme(QStringLiteral(CORVANTA_SOURCE_DIR "/README.md"));
        if (!readme.open(QIODevice::ReadOnly))
            return {};
        const QByteArray text = readme.readAll();
        const qsizetype start = text.indexOf("```nginx\n") + 9;
        QByteArray block;
        for (const QByteArray &line : text.mid(start, text.indexOf("```", start) - start).split('\n')) {
            if (line.trimmed().startsWith("listen "))
                block += "listen 127.0.0.1:" + QByteArray::number(m_port) + ";\n";
            else if (line.trimmed().startsWith("proxy_pass "))
                block += "proxy_pass http://127.0.0.1:" + QByteArray::number(m_server.port()) + ";\n";
            else if (!line.trimmed().startsWith("ssl_"))
                block += line + '\n';
        }
        return block;
    }

    // A tool's read with the login password's digest, through nginx from the address.
    QString readFrom(const QString &from, const QString &password, const QByteArray &extra = {})
    {
        auto socket = connectTo(m_port, from);
        socket->write(get("/score/getteacher.php?t=proxied&mp=" + Md5Hex(password).toLatin1(), extra));
        const QByteArray reply = readReply(*socket);
        return fromGbk(reply.mid(reply.indexOf("\r\n\r\n") + 4));
    }

private slots:
    void initTestCase()
    {
        const QString nginx = QStandardPaths::findExecutable(QStringLiteral("nginx"), {"/usr/sbin", "/usr/bin"});
        if (nginx.isEmpty())
            QSKIP("nginx is not installed (Debian package nginx-light): the proxy is not tested");
        QVERIFY2(m_server.start(), qPrintable(m_server.errorText()));
        QVERIFY(m_server.registerTeacher(QStringLiteral("proxied"), QStringLiteral("login"), QStringLiteral("oper")));
        QTcpServer probe; // a free port for nginx
        probe.listen(QHostAddress::LocalHost);
        m_port = probe.serverPort();
        probe.close();
        const QByteArray block = readmeServerBlock(), dir = m_dir.path().toUtf8();
        QVERIFY2(block.contains("X-Forwarded-For"), block.constData());
        QFile conf(m_dir.filePath(QStringLiteral("nginx.conf")));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("daemon off; master_process off; pid " + dir + "/pid; error_log " + dir + "/error.log;\n" +
                   "events {}\nhttp { access_log off; client_body_temp_path " + dir + "/body; proxy_temp_path " +
                   dir + "/proxy;\n" + block + "}\n");
        conf.close();
        m_nginx.start(nginx, {"-p", m_dir.path(), "-c", conf.fileName()});
        QVERIFY(m_nginx.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(connectTo(m_port)->state() == QAbstractSocket::ConnectedState, 5000);
    }
    void cleanupTestCase()
    {
        m_nginx.terminate();
        if (m_nginx.state() != QProcess::NotRunning && !m_nginx.waitForFinished(5000))
            m_nginx.kill();
    }

    // A student's wrong passwords lock out the student's computer, not the teacher's, even
    // when the student names the teacher's address; the log names each client.
    void eachClientCountsApart()
    {
        const QString student = "127.0.0.2", teacher = "127.0.0.3";
        const QByteArray posing = "X-Forwarded-For: " + teacher.toLatin1() + "\r\n";
        for (int i = 1; i < 5; ++i) // the fifth wrong password locks an address out
            QCOMPARE(readFrom(student, QStringLiteral("bad"), posing), QStringLiteral("用户名或密码错误！"));
        const QString locked = QStringLiteral("密码错误次数过多");
        QVERIFY(readFrom(student, QStringLiteral("bad"), posing).startsWith(locked));
        QVERIFY(readFrom(student, QStringLiteral("login")).startsWith(locked));
        QVERIFY(readFrom(teacher, QStringLiteral("login")).startsWith(QStringLiteral("测试老师")));
        const QString log = m_server.settledLog();
        QVERIFY2(log.contains(student) && log.contains(teacher) && !log.contains("127.0.0.1 GET"), qPrintable(log));
    }
};

QTEST_GUILESS_MAIN(TestServerProxy)
#include "tst_ServerProxy.moc"
