#pragma once

// Starts the real corvanta-server for a test: a free port on 127.0.0.1, a temporary
// database and a temporary mail folder; stops it when the object goes.
//
//   corvanta::test::ServerProcess server;            // or ServerProcess server({"--demo"});
//   QVERIFY2(server.start(), qPrintable(server.errorText()));
//   QVERIFY(server.registerTeacher("t01", "login", "oper"));
//   QVERIFY(server.setClasses("t01", "oper", {"C1"}));
//   QVERIFY(server.setStudents("t01", "oper", "C1", {"张三", "李四"}));
//   QVERIFY(server.setTopics("t01", "oper", {"课堂提问"}));
//   QVERIFY(server.addScales("t01", "oper", "课堂提问", {{"回答正确", 5}}));
//   auto reply = server.get("/score/record.php", {{"t", "t01"}, {"mp", Md5Hex("login")}});
//   server.baseUrl();                                 // "http://127.0.0.1:PORT"
//
// With CORVANTA_TEST_STORE=postgresql the database is a fresh one on a throw-away PostgreSQL
// server (see PostgresCluster.h) instead of a temporary SQLite file.
//
// Include as "support/ServerProcess.h". Needs CORVANTA_SERVER_BINARY (set by corvanta_add_test) and links
// corvanta_net_protocol (FormFields, Md5Hex, fromGbk). Every wait has a time limit, so a test never hangs.

#include "support/PostgresCluster.h"

#include "core/TextCodec.h"
#include "net/Wire.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPair>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace corvanta::test {

class ServerProcess
{
public:
    struct Reply
    {
        int status = 0;   // 0 when no reply came at all
        QByteArray body;  // bytes as sent
        QByteArray allow; // the Allow header, when one came
        QString text() const { return fromGbk(body); }
    };
    using Fields = QList<QPair<QString, QString>>;

    // extraArguments are added after --listen, --database and --mail-dir (e.g. "--demo");
    // with "--sendmail" among them, --mail-dir is left out. Registrations are not limited
    // unless "--registrations-per-minute" is among them.
    explicit ServerProcess(QStringList extraArguments = {}) : m_extra(std::move(extraArguments)) {}

    // The server's time zone (its TZ) for the next start; empty: the test's own.
    void setZone(const QString &zone) { m_zone = zone; }
    ~ServerProcess() { stop(); }
    ServerProcess(const ServerProcess &) = delete;
    ServerProcess &operator=(const ServerProcess &) = delete;

    // Starts the binary and waits (at most 20 s) for "listening on http://127.0.0.1:PORT".
    bool start()
    {
#ifndef CORVANTA_SERVER_BINARY
        m_error = QStringLiteral("CORVANTA_SERVER_BINARY is not defined for this test");
        return false;
#else
        if (!m_dir.isValid()) {
            m_error = QStringLiteral("no temporary folder");
            return false;
        }
        if (m_database.isEmpty())
            m_database = testDatabase(m_dir);
        if (m_database.isEmpty()) {
            m_error = PostgresCluster::shared().errorText();
            return false;
        }
        m_process = std::make_unique<QProcess>();
        m_process->setProcessChannelMode(QProcess::SeparateChannels);
        m_process->setStandardErrorFile(logPath());
        if (!m_zone.isEmpty()) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("TZ"), m_zone);
            m_process->setProcessEnvironment(environment);
        }
        QStringList args = {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:%1").arg(m_port),
                            QStringLiteral("--database"), m_database};
        if (!m_extra.contains(QStringLiteral("--sendmail"))) // the two exclude each other
            args += {QStringLiteral("--mail-dir"), mailDir()};
        // Tests register many teachers from one address within a minute.
        if (!m_extra.contains(QStringLiteral("--registrations-per-minute")))
            args += {QStringLiteral("--registrations-per-minute"), QStringLiteral("100000")};
        args += m_extra;
        m_process->start(QStringLiteral(CORVANTA_SERVER_BINARY), args);
        if (!m_process->waitForStarted(20000)) {
            m_error = m_process->errorString();
            return false;
        }
        QByteArray out;
        const QByteArray prefix = "listening on ";
        QElapsedTimer waited;
        waited.start();
        while (!out.contains('\n') && waited.elapsed() < 20000) {
            if (!m_process->waitForReadyRead(500) && m_process->state() != QProcess::Running)
                break;
            out += m_process->readAllStandardOutput();
        }
        const QByteArray line = out.left(out.indexOf('\n')).trimmed();
        if (!line.startsWith(prefix)) {
            m_error =
                QStringLiteral("server did not start: ") + QString::fromLocal8Bit(line) + u' ' + serverLog();
            return false;
        }
        m_base = QString::fromLatin1(line.mid(prefix.size()));
        if (m_base.startsWith(u"https")) // a certificate the test made: trusted for its own requests
            QObject::connect(
                &m_manager, &QNetworkAccessManager::sslErrors, &m_manager,
                [](QNetworkReply *reply, const QList<QSslError> &) { reply->ignoreSslErrors(); });
        m_port = QUrl(m_base).port(0);
        return true;
#endif
    }

    // Starts the server again on the port it had, on the same database (after stop()).
    bool restart()
    {
        stop();
        return start();
    }

    // Ends the server with SIGTERM (SIGKILL after 5 s). Safe to call twice.
    void stop()
    {
        if (!m_process)
            return;
        if (m_process->state() != QProcess::NotRunning) {
            m_process->terminate();
            if (!m_process->waitForFinished(5000)) {
                m_process->kill();
                m_process->waitForFinished(5000);
            }
        }
        m_exitCode = m_process->exitCode();
        m_process.reset();
    }

    // Ends the server with SIGKILL, as a crash would.
    void kill()
    {
        if (!m_process)
            return;
        m_process->kill();
        m_process->waitForFinished(5000);
        m_process.reset();
    }

    int port() const
    {
        return m_port;
    }
    QString baseUrl() const
    {
        return m_base;
    }
    QString databasePath() const
    {
        return m_dir.filePath(QStringLiteral("corvanta.db"));
    }
    // The --database the server got: sqlite:databasePath() or a PostgreSQL address.
    QString database() const
    {
        return m_database;
    }

    QString mailDir() const
    {
        return m_dir.filePath(QStringLiteral("mail"));
    }
    QString logPath() const
    {
        return m_dir.filePath(QStringLiteral("server.log"));
    }
    QString errorText() const
    {
        return m_error;
    }
    int exitCode() const
    {
        return m_exitCode;
    }
    // The request log the server wrote on standard error so far.
    QString serverLog() const
    {
        QFile file(logPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    // The request log once the server has written what it answered: log lines go out from
    // a queue after the reply, so a log read right after a reply may still lack its line.
    // Waits until the log has not changed for 300 ms (at most 5 s).
    QString settledLog() const
    {
        QString log = serverLog();
        QElapsedTimer quiet, total;
        quiet.start();
        total.start();
        while (quiet.elapsed() < 300 && total.elapsed() < 5000) {
            QThread::msleep(20);
            const QString now = serverLog();
            if (now != log) {
                log = now;
                quiet.restart();
            }
        }
        return log;
    }
    // The .eml files in the mail folder, oldest first.
    QStringList mails() const
    {
        QDir dir(mailDir());
        QStringList out;
        for (const QString &name : dir.entryList({QStringLiteral("*.eml")}, QDir::Files, QDir::Name))
            out.append(dir.filePath(name));
        return out;
    }

    // GET path?query with every query value escaped as the tool does.
    Reply get(const QString &path, const Fields &query = {})
    {
        QByteArray target = path.toLatin1();
        if (!query.isEmpty())
            target += '?' + encode(query);
        return send(QByteArrayLiteral("GET"), target, {});
    }
    // Form POST with every value escaped as the tool does.
    Reply post(const QString &path, const Fields &fields)
    {
        return postRaw(path, encode(fields));
    }
    // Form POST of a body as given.
    Reply postRaw(const QString &path, const QByteArray &body)
    {
        return send(QByteArrayLiteral("POST"), path.toLatin1(), body);
    }
    // Any request with the target (path and query) sent byte for byte.
    Reply send(const QByteArray &method, const QByteArray &target, const QByteArray &body)
    {
        QNetworkRequest request(QUrl::fromEncoded(m_base.toLatin1() + target, QUrl::StrictMode));
        request.setHeader(QNetworkRequest::ContentTypeHeader,
                          QByteArrayLiteral("application/x-www-form-urlencoded"));
        // As a browser on the server's own page sends it (the sign-in takes no other).
        if (method == "POST")
            request.setRawHeader("Origin", m_base.toLatin1());
        request.setTransferTimeout(30000);
        QNetworkReply *reply = finished(m_manager.sendCustomRequest(request, method, body));
        Reply out;
        out.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        out.body = reply->readAll();
        out.allow = reply->rawHeader("Allow");
        return out;
    }

    // Waits for the reply to finish (its transfer time limit ends the wait); it is deleted later.
    static QNetworkReply *finished(QNetworkReply *reply)
    {
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        if (!reply->isFinished())
            loop.exec();
        reply->deleteLater();
        return reply;
    }

    // A web page as a browser signed in with the account's login password gets it (its own
    // cookies, so the other requests stay without a session).
    Reply webGet(const QString &account, const QString &loginPassword, const QString &path, const Fields &query)
    {
        QNetworkAccessManager browser;
        QNetworkRequest signIn(QUrl(m_base + QStringLiteral("/score/")));
        signIn.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
        signIn.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        signIn.setTransferTimeout(30000);
        signIn.setRawHeader("Origin", m_base.toLatin1()); // the sign-in page's own form
        QNetworkReply *in =
            finished(browser.post(signIn, encode({{"username", account}, {"password", loginPassword}})));
        QNetworkRequest page(QUrl::fromEncoded(m_base.toLatin1() + path.toLatin1() + '?' + encode(query)));
        page.setRawHeader("Cookie", in->rawHeader("Set-Cookie").split(';').first());
        page.setTransferTimeout(30000);
        QNetworkReply *reply = finished(browser.get(page));
        Reply out;
        out.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        out.body = reply->readAll();
        return out;
    }

    // The pages a teacher's setup needs; each returns true when the server said "Success!".
    bool registerTeacher(const QString &account, const QString &loginPassword,
                         const QString &operationPassword,
                         const QString &teacherName = QStringLiteral("测试老师"),
                         const QString &email = QStringLiteral("teacher@example.org"))
    {
        return accepted(post(QStringLiteral("/score/regteacher.php"), {{"username", account},
                                                                       {"teachername", teacherName},
                                                                       {"password", loginPassword},
                                                                       {"superpassword", operationPassword},
                                                                       {"email", email},
                                                                       {"mb", {}},
                                                                       {"tel", {}},
                                                                       {"qq", {}}}));
    }
    bool setClasses(const QString &account, const QString &operationPassword, const QStringList &classes)
    {
        return accepted(
            post(QStringLiteral("/score/setclass.php"),
                 {{"username", account}, {"password", operationPassword}, {"class", classes.join(u'|')}}));
    }
    bool setStudents(const QString &account, const QString &operationPassword, const QString &className,
                     const QStringList &students)
    {
        return accepted(post(QStringLiteral("/score/student.php"), {{"username", account},
                                                                    {"password", operationPassword},
                                                                    {"class", className},
                                                                    {"student", students.join(u'|')}}));
    }
    bool setTopics(const QString &account, const QString &operationPassword, const QStringList &topics)
    {
        return accepted(
            post(QStringLiteral("/score/setketi.php"),
                 {{"username", account}, {"password", operationPassword}, {"keti", topics.join(u'|')}}));
    }
    // Scales of a topic, five per request as the console sends them.
    bool addScales(const QString &account, const QString &operationPassword, const QString &topic,
                   const QList<QPair<QString, double>> &scales)
    {
        for (qsizetype i = 0; i < scales.size(); i += 5) {
            QStringList texts, scores;
            for (qsizetype k = i; k < i + 5; ++k) {
                texts.append(k < scales.size() ? scales[k].first : QString());
                scores.append(k < scales.size() ? shortestDecimal(scales[k].second) : QString());
            }
            if (!accepted(post(QStringLiteral("/score/newscale.php"), {{"username", account},
                                                                       {"password", operationPassword},
                                                                       {"keti", topic},
                                                                       {"newscale", texts.join(u'\t')},
                                                                       {"newscore", scores.join(u'\t')}})))
                return false;
        }
        return true;
    }
    // Score lines "class TAB student TAB score TAB time TAB standard" uploaded under a topic.
    bool upload(const QString &account, const QString &operationPassword, const QString &topic,
                const QStringList &lines)
    {
        return accepted(post(QStringLiteral("/score/index.php"), {{"username", account},
                                                                  {"password", operationPassword},
                                                                  {"keti", topic},
                                                                  {"score", lines.join(u'|')}}));
    }

    static QByteArray encode(const Fields &fields)
    {
        FormFields form;
        for (const auto &[name, value] : fields)
            form.add(name, value);
        return form.encoded();
    }

private:
    static bool accepted(const Reply &reply)
    {
        return reply.status == 200 && reply.body == "Success!";
    }

    QStringList m_extra;
    QString m_zone;
    QTemporaryDir m_dir;
    QString m_database;
    std::unique_ptr<QProcess> m_process;
    QNetworkAccessManager m_manager;
    QString m_base;
    int m_port = 0; // 0 until the first start: a free one
    QString m_error;
    int m_exitCode = -1;
};

} // namespace corvanta::test
