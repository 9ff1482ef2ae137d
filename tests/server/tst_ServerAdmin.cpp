// The server as a school's administrator runs it: its log never holds a request, access lines
// say who asked for what without secrets, and a live SQLite database is backed up and restored.
#include "support/ServerProcess.h"

#include "LogSink.h"
#include "RequestLog.h"

#include <QDateTime>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace corvanta;
using corvanta::test::ServerProcess;

namespace {

// A pipe whose read end the test holds; nothing reads it until drain() is called.
struct Pipe
{
    int fds[2] = {-1, -1};
    Pipe()
    {
        if (::pipe2(fds, O_CLOEXEC) == 0)
            ::fcntl(fds[0], F_SETFL, O_NONBLOCK);
    }
    ~Pipe()
    {
        for (int fd : fds) {
            if (fd >= 0)
                ::close(fd);
        }
    }
    // Everything the pipe holds now.
    QByteArray drain() const
    {
        QByteArray out;
        char buffer[65536];
        ssize_t n = 0;
        while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0)
            out.append(buffer, n);
        return out;
    }
};

QString serverTime()
{
    return QStringLiteral("/score/servertime.php");
}

// GET requests, one after the other on one kept-alive connection; how many were answered 200
// within 5 s each.
int answeredInTurn(int port, int count)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(port));
    if (!socket.waitForConnected(5000))
        return 0;
    const QByteArray request = "GET " + serverTime().toLatin1() + " HTTP/1.1\r\nHost: t\r\n\r\n";
    for (int i = 0; i < count; ++i) {
        socket.write(request);
        QByteArray reply;
        QElapsedTimer timer;
        timer.start();
        // The reply of servertime.php is short: complete once its body is in.
        while (timer.elapsed() < 5000) {
            const qsizetype end = reply.indexOf("\r\n\r\n");
            if (end >= 0) {
                const qsizetype at = reply.toLower().indexOf("content-length:");
                const qsizetype length =
                    at < 0 ? 0 : reply.mid(at + 15, reply.indexOf('\r', at) - at - 15).trimmed().toLongLong();
                if (reply.size() >= end + 4 + length)
                    break;
            }
            socket.waitForReadyRead(100);
            reply += socket.readAll();
        }
        if (!reply.startsWith("HTTP/1.1 200"))
            return i;
    }
    return count;
}

QString timeText(int second)
{
    return QDateTime(QDate(2026, 3, 2), QTime(8, 0))
        .addSecs(second)
        .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

// Score lines of the class "C" whose standards are tag-N.
QStringList scoreLines(const QString &tag, int from, int count)
{
    QStringList lines;
    for (int i = from; i < from + count; ++i)
        lines.append(QStringLiteral("C\t张三\t5分\t%1\t%2-%3").arg(timeText(i), tag).arg(i));
    return lines;
}

// The notes of the scores in a SQLite database file, after PRAGMA integrity_check passed.
QSet<QString> notesIn(const QString &path, QString *check)
{
    QSet<QString> notes;
    const QString name = QStringLiteral("copy-%1").arg(QDateTime::currentMSecsSinceEpoch());
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery query(db);
            query.exec(QStringLiteral("PRAGMA integrity_check"));
            *check = query.next() ? query.value(0).toString() : query.lastError().text();
            query.exec(QStringLiteral("SELECT note FROM score"));
            while (query.next())
                notes.insert(query.value(0).toString());
        } else {
            *check = db.lastError().text();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return notes;
}

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run runServer(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(CORVANTA_SERVER_BINARY), args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

} // namespace

class TestServerAdmin : public QObject
{
    Q_OBJECT

    // A teacher "backup01" with the class C (张三) and the topic T, on a fresh server.
    static bool setUpTeacher(ServerProcess &server)
    {
        return server.start() && server.registerTeacher("backup01", "login", "oper") &&
               server.setClasses("backup01", "oper", {"C"}) &&
               server.setStudents("backup01", "oper", "C", {QStringLiteral("张三")}) &&
               server.setTopics("backup01", "oper", {"T"});
    }

    static bool sqliteOnly() { return !test::PostgresCluster::wanted(); }

private slots:
    void sinkNeverWaitsForItsReader()
    {
        Pipe pipe;
        server::LogSink sink(pipe.fds[1]);
        QElapsedTimer timer;
        timer.start();
        const QString line(200, u'x');
        const int lines = 20000; // 4 MB: more than the pipe and the queue hold
        for (int i = 0; i < lines; ++i)
            sink.write(server::LogLevel::Info, line);
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(sink.dropped() > 0);
        // Once the reader reads again, the lines queued come out, then how many were lost.
        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += pipe.drain()).contains("log lines dropped"), 10000);
        const QByteArray note = QByteArray::number(sink.dropped()) + " log lines dropped";
        QVERIFY2(out.contains(note), note.constData());
        QCOMPARE(quint64(out.count('\n')), quint64(lines) - sink.dropped() + 1);
    }

    void sinkLevelsAndOneLinePerCall()
    {
        Pipe pipe;
        {
            server::LogSink sink(pipe.fds[1]);
            sink.setLevel(server::LogLevel::Warning);
            sink.write(server::LogLevel::Info, QStringLiteral("not wanted"));
            sink.write(server::LogLevel::Warning, QStringLiteral("two\nlines\r"));
            sink.write(server::LogLevel::Error, QStringLiteral("failed"));
            QVERIFY(sink.flush(5000));
        }
        const QList<QByteArray> lines = pipe.drain().split('\n');
        QCOMPARE(lines.size(), 3); // and the empty rest after the last line end
        QVERIFY2(lines[0].endsWith(" two?lines?"), lines[0].constData());
        QVERIFY(lines[1].endsWith(" failed"));
        // Stamped with the local time to the millisecond.
        const QDateTime stamped = QDateTime::fromString(QString::fromLatin1(lines[1].left(23)), Qt::ISODateWithMs);
        QVERIFY2(stamped.isValid() && qAbs(stamped.msecsTo(QDateTime::currentDateTime())) < 5000, lines[1].constData());
        QCOMPARE(lines[1].at(23), ' ');
    }

    // Under systemd standard error is the journal stream: journald takes each line's priority
    // from its start and stamps the time itself.
    void journalPriorities()
    {
        Pipe pipe;
        struct stat info = {};
        QVERIFY(::fstat(pipe.fds[1], &info) == 0);
        qputenv("JOURNAL_STREAM", QByteArray::number(qulonglong(info.st_dev)) + ':' +
                                      QByteArray::number(qulonglong(info.st_ino)));
        {
            server::LogSink sink(pipe.fds[1]);
            sink.write(server::LogLevel::Info, QStringLiteral("GET /"));
            sink.write(server::LogLevel::Warning, QStringLiteral("refused"));
            sink.write(server::LogLevel::Error, QStringLiteral("failed"));
        }
        qunsetenv("JOURNAL_STREAM");
        QCOMPARE(pipe.drain(), QByteArray("<6>GET /\n<4>refused\n<3>failed\n"));
    }

    void targetsLoggedWithoutSecrets_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QString>("logged");
        QTest::newRow("no query") << QByteArray("/score/servertime.php") << "/score/servertime.php";
        QTest::newRow("digest") << QByteArray("/score/record.php?t=t01&mp=0123abcd")
                                << "/score/record.php?t=t01&mp=***";
        QTest::newRow("passwords and codes")
            << QByteArray("/score/x.php?username=a&password=p1&superpassword=p2&newpswd=p3&code=123456&n=2")
            << "/score/x.php?username=a&password=***&superpassword=***&newpswd=***&code=***&n=2";
        QTest::newRow("escaped name")
            << QByteArray("/score/x.php?%6Dp=secret&MP=secret2") << "/score/x.php?%6Dp=***&MP=***";
        QTest::newRow("no value") << QByteArray("/score/x.php?password&t=1")
                                  << "/score/x.php?password=***&t=1";
    }
    void targetsLoggedWithoutSecrets()
    {
        QFETCH(QByteArray, target);
        QFETCH(QString, logged);
        const QString path =
            QString::fromUtf8(target.left(target.indexOf('?') < 0 ? target.size() : target.indexOf('?')));
        QCOMPARE(server::loggedTarget(path, target), logged);
    }

    // Standard error is a pipe that nobody reads: the server answers on.
    void unreadLogHoldsNoRequest()
    {
        if (!sqliteOnly())
            QSKIP("the log does not depend on the database");
        QTemporaryDir dir;
        Pipe pipe;
        QProcess server;
        const int errorEnd = pipe.fds[1];
        server.setChildProcessModifier([errorEnd] { ::dup2(errorEnd, STDERR_FILENO); });
        server.start(QStringLiteral(CORVANTA_SERVER_BINARY),
                     {"--listen", "127.0.0.1:0", "--database", "sqlite:" + dir.filePath("x.db")});
        QVERIFY(server.waitForReadyRead(20000));
        const QByteArray line = server.readLine().trimmed();
        QVERIFY2(line.startsWith("listening on http://127.0.0.1:"), line.constData());
        const int port = QUrl(QString::fromLatin1(line.mid(13))).port();
        // More lines than the pipe holds: with a log that waits for its reader, the server
        // stopped answering after some hundreds.
        QCOMPARE(answeredInTurn(port, 3000), 3000);
        QByteArray log;
        QTRY_VERIFY_WITH_TIMEOUT((log += pipe.drain()).count('\n') >= 3000, 20000);
        QVERIFY(log.contains(" GET /score/servertime.php account=- ok 200 "));
        server.terminate();
        QVERIFY(server.waitForFinished(10000));
        QCOMPARE(server.exitCode(), 0);
    }

    void accessLineAndLevel()
    {
        ServerProcess server;
        QVERIFY2(server.start(), qPrintable(server.errorText()));
        QCOMPARE(server
                     .get(QStringLiteral("/score/record.php"),
                          {{"t", "nobody"}, {"mp", "0123456789abcdef0123456789abcdef"}})
                     .status,
                 200);
        const ServerProcess::Reply time = server.get(serverTime());
        QTRY_VERIFY(server.serverLog().contains(QStringLiteral(" GET /score/servertime.php ")));
        const QString log = server.serverLog();
        QVERIFY2(log.contains(QStringLiteral(" 127.0.0.1 GET /score/record.php?t=nobody&mp=*** account=")),
                 qPrintable(log));
        QVERIFY(!log.contains(QStringLiteral("0123456789abcdef")));
        const QString bytes = QString::number(time.body.size());
        QVERIFY2(log.contains(
                     QRegularExpression(QStringLiteral("\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\S* 127\\.0\\.0\\.1 "
                                                       "GET /score/servertime\\.php account=- ok 200 ") +
                                        bytes + QStringLiteral(" \\d+\\.\\d\\dms\n"))),
                 qPrintable(log));

        // warning: refused and failed requests only.
        ServerProcess quiet({"--log-level", "warning"});
        QVERIFY2(quiet.start(), qPrintable(quiet.errorText()));
        QCOMPARE(quiet.get(serverTime()).status, 200);
        QCOMPARE(quiet.get(QStringLiteral("/score/nothing-here.php")).status, 404);
        QTRY_VERIFY(quiet.serverLog().contains(QStringLiteral("/score/nothing-here.php")));
        QVERIFY(!quiet.serverLog().contains(serverTime()));

        const Run bad = runServer({"--log-level", "debug"});
        QCOMPARE(bad.exitCode, 2);
        QVERIFY2(bad.err.contains(QStringLiteral("--log-level: \"debug\" is none of error, warning, info")),
                 qPrintable(bad.err));
    }

    void backupWhileUploadsRun()
    {
        if (!sqliteOnly())
            QSKIP("--backup copies SQLite databases");
        ServerProcess server;
        QVERIFY(setUpTeacher(server));
        for (int i = 0; i < 600; i += 50)
            QVERIFY(server.upload("backup01", "oper", "T", scoreLines("before", i, 50)));

        QTemporaryDir dir;
        const QString copy = dir.filePath("copy.db");
        QProcess backup;
        backup.start(QStringLiteral(CORVANTA_SERVER_BINARY),
                     {"--database", server.database(), "--backup", copy});
        QVERIFY(backup.waitForStarted(10000));
        int during = 0;
        while (backup.state() != QProcess::NotRunning && during < 2000) {
            QVERIFY(server.upload("backup01", "oper", "T", scoreLines("during", during, 10)));
            during += 10;
        }
        QVERIFY(backup.state() == QProcess::NotRunning || backup.waitForFinished(60000));
        QCOMPARE(backup.exitCode(), 0);
        QVERIFY(QString::fromLocal8Bit(backup.readAllStandardOutput()).contains(QStringLiteral("copied ")));
        QVERIFY(!QFile::exists(copy + ".partial"));

        QString check;
        const QSet<QString> notes = notesIn(copy, &check);
        QCOMPARE(check, QStringLiteral("ok"));
        for (int i = 0; i < 600; ++i)
            QVERIFY2(notes.contains(QStringLiteral("before-%1").arg(i)), qPrintable(QString::number(i)));
        // Whatever of the uploads during the copy it holds, it holds whole uploads only.
        int duringInCopy = 0;
        for (int i = 0; i < during; ++i)
            duringInCopy += notes.contains(QStringLiteral("during-%1").arg(i));
        QCOMPARE(duringInCopy % 10, 0);
        qInfo("%d lines uploaded while the copy was made, %d of them in it", during, duringInCopy);
        QCOMPARE(notes.size(), 600 + duringInCopy);
        // The server took uploads all along and still does.
        QVERIFY(server.upload("backup01", "oper", "T", scoreLines("after", 0, 1)));
    }

    void restoreRefusedWhileServing_thenDone()
    {
        if (!sqliteOnly())
            QSKIP("--restore puts back SQLite databases");
        ServerProcess server;
        QVERIFY(setUpTeacher(server));
        QVERIFY(server.upload("backup01", "oper", "T", scoreLines("kept", 0, 5)));
        // Copies hold what the database holds and are no more readable than it is.
        const auto modeOf = [](const QString &path) {
            struct stat st = {};
            return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
        };
        QCOMPARE(::chmod(QFile::encodeName(server.databasePath()).constData(), 0640), 0);
        QTemporaryDir dir;
        const QString copy = dir.filePath("copy.db");
        QCOMPARE(runServer({"--database", server.database(), "--backup", copy}).exitCode, 0);
        QCOMPARE(modeOf(copy), 0640);
        QVERIFY(server.upload("backup01", "oper", "T", scoreLines("later", 0, 3)));

        const QStringList restore = {"--database", server.database(), "--restore", copy};
        const Run refused = runServer(restore);
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.contains(QStringLiteral("is in use (is a server running on it? stop it first)")),
                 qPrintable(refused.err));
        QVERIFY(server.upload("backup01", "oper", "T", scoreLines("still", 0, 1)));

        server.stop();
        const Run done = runServer(restore);
        QCOMPARE(done.exitCode, 0);
        QVERIFY2(done.out.contains(QStringLiteral("the database replaced is ")), qPrintable(done.out));
        const QString kept = done.out.mid(done.out.indexOf(QStringLiteral("replaced is ")) + 12).trimmed();
        QString check;
        QCOMPARE(notesIn(kept, &check).size(), 9); // the database as it was, beside
        QCOMPARE(check, QStringLiteral("ok"));
        QCOMPARE(modeOf(kept), 0640);
        QCOMPARE(modeOf(server.databasePath()), 0640);

        QVERIFY(server.start());
        QVERIFY(server.upload("backup01", "oper", "T", scoreLines("new", 0, 1)));
        server.stop();
        const QSet<QString> notes = notesIn(server.databasePath(), &check);
        QCOMPARE(check, QStringLiteral("ok"));
        QCOMPARE(notes, (QSet<QString>{"kept-0", "kept-1", "kept-2", "kept-3", "kept-4", "new-0"}));
    }

    // A backup never takes the place of the database's own files nor of anything that is not
    // a regular file; the server goes on serving and the file named stays as it was.
    void backupRefusesTarget_data()
    {
        QTest::addColumn<QString>("target"); // DB: the database's path
        QTest::addColumn<QString>("made");   // what is there first: "", "fifo", "folder", "link"
        QTest::addColumn<QString>("message");
        const QString own = QStringLiteral("a file of the database itself");
        QTest::newRow("the write-ahead log") << "DB-wal"
                                             << "" << own;
        QTest::newRow("the WAL index") << "DB-shm"
                                       << "" << own;
        QTest::newRow("a rollback journal") << "DB-journal"
                                            << "" << own;
        const QString notRegular = QStringLiteral("is not a regular file");
        QTest::newRow("a named pipe") << "other"
                                      << "fifo" << notRegular;
        QTest::newRow("a folder") << "other"
                                  << "folder" << notRegular;
        QTest::newRow("a link to another file") << "other"
                                                << "link" << notRegular;
    }
    void backupRefusesTarget()
    {
        if (!sqliteOnly())
            QSKIP("--backup copies SQLite databases");
        QFETCH(QString, target);
        QFETCH(QString, made);
        QFETCH(QString, message);
        ServerProcess server;
        QVERIFY(setUpTeacher(server));
        QVERIFY(server.upload("backup01", "oper", "T", scoreLines("before", 0, 5)));
        QTemporaryDir dir;
        target.replace(QStringLiteral("DB"), server.databasePath());
        if (target == u"other")
            target = dir.filePath(QStringLiteral("other"));
        const QByteArray path = QFile::encodeName(target);
        if (made == u"fifo")
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        if (made == u"folder")
            QVERIFY(QDir().mkdir(target));
        if (made == u"link") {
            QVERIFY(QFile(dir.filePath("kept")).open(QIODevice::WriteOnly));
            QCOMPARE(::symlink(QFile::encodeName(dir.filePath("kept")).constData(), path.constData()), 0);
        }
        struct stat before = {};
        const bool existed = ::lstat(path.constData(), &before) == 0;

        const Run run = runServer({"--database", server.database(), "--backup", target});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        struct stat after = {};
        QCOMPARE(::lstat(path.constData(), &after) == 0, existed);
        if (existed)
            QCOMPARE(after.st_ino, before.st_ino);
        if (made == u"link")
            QCOMPARE(QFileInfo(dir.filePath("kept")).size(), 0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size(),
                 made.isEmpty()    ? 0
                 : made == u"link" ? 2
                                   : 1); // no partial copy left behind
        // The server's log and reads are whole.
        QVERIFY(server.upload("backup01", "oper", "T", scoreLines("after", 5, 1)));
        QVERIFY(server.get("/score/record.php", {{"t", "backup01"}, {"mp", Md5Hex("login")}}).status == 200);
        server.stop();
        QString check;
        QCOMPARE(notesIn(server.databasePath(), &check).size(), 6);
        QCOMPARE(check, QStringLiteral("ok"));
    }

    // What an administrator allows one account or address: past it the request is refused,
    // saying which limit, and nothing of it is stored.
    void limitsRefuseNamingTheLimit_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("stored"); // scores after the refused upload
        QTest::newRow("scores of an account, over its classes")
            << QStringList{"--max-scores-per-account", "10"} << "upload"
            << "每个帐号最多 10 条计分" << 8;
        QTest::newRow("characters of notes of an account")
            << QStringList{"--max-note-chars", "100"} << "upload"
            << "说明共最多 100 字" << 8;
        QTest::newRow("the database's disk nearly full")
            << QStringList{"--min-free-disk-mb", "1099511627776"} << "upload"
            << "磁盘快满了" << 0;
        QTest::newRow("classes of an account") << QStringList{"--max-classes", "3"} << "classes"
                                               << "最多 3 项" << 0;
        QTest::newRow("registrations from one address in a day")
            << QStringList{"--registrations-per-day", "2"} << "register"
            << "今天已达服务器规定的 2 个" << 0;
    }
    void limitsRefuseNamingTheLimit()
    {
        if (!sqliteOnly())
            QSKIP("the disk guard watches a SQLite database's disk; the other limits are the same on both");
        QFETCH(QStringList, options);
        QFETCH(QString, action);
        QFETCH(QString, message);
        QFETCH(int, stored);
        ServerProcess server(options);
        QVERIFY(server.start());
        QVERIFY(server.registerTeacher("limit01", "login", "oper"));
        QVERIFY(server.setClasses("limit01", "oper", {"C", "D"}));
        for (const char *cls : {"C", "D"})
            QVERIFY(server.setStudents("limit01", "oper", cls, {QStringLiteral("张三")}));
        QVERIFY(server.setTopics("limit01", "oper", {"T"}));
        const auto upload = [&](int from, int count) {
            QStringList lines;
            for (int i = from; i < from + count; ++i)
                lines.append(QStringLiteral("%1\t张三\t5分\t%2\tnote-%3")
                                 .arg(i % 2 ? "C" : "D", timeText(i))
                                 .arg(i, 5, 10, QLatin1Char('0')));
            return server.post(
                "/score/index.php",
                {{"username", "limit01"}, {"password", "oper"}, {"keti", "T"}, {"score", lines.join(u'|')}});
        };
        ServerProcess::Reply refusal;
        if (action == u"upload") {
            if (stored > 0)
                QCOMPARE(upload(0, stored).body, QByteArray("Success!"));
            refusal = upload(100, 5);
        } else if (action == u"classes") {
            refusal = server.post("/score/setclass.php",
                                  {{"username", "limit01"}, {"password", "oper"}, {"class", "A|B|C|D"}});
            QVERIFY(server.setClasses("limit01", "oper", {"A", "B", "C"}));
        } else {
            QVERIFY(server.registerTeacher("limit02", "login", "oper"));
            refusal = server.post("/score/regteacher.php", {{"username", "limit03"},
                                                            {"teachername", "x"},
                                                            {"password", "login"},
                                                            {"superpassword", "oper"},
                                                            {"email", "a@example.org"},
                                                            {"mb", {}},
                                                            {"tel", {}},
                                                            {"qq", {}}});
        }
        QCOMPARE(refusal.status, 200);
        QVERIFY2(refusal.text().contains(message), qPrintable(refusal.text()));
        server.stop();
        QString check;
        QCOMPARE(notesIn(server.databasePath(), &check).size(), stored);
        QCOMPARE(check, QStringLiteral("ok"));
    }

    void refusedCopies_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("postgresql") << QStringList{"--database", "postgresql://cv@127.0.0.1/cv", "--backup",
                                                   "x.db"}
                                    << 2 << "for PostgreSQL use pg_dump and pg_restore";
        QTest::newRow("no database") << QStringList{"--database", "sqlite:/nonexistent/x.db", "--backup",
                                                    "x.db"}
                                     << 1 << "there is no database file /nonexistent/x.db";
        QTest::newRow("both") << QStringList{"--backup", "a.db", "--restore", "b.db"} << 2
                              << "--backup and --restore exclude each other";
        QTest::newRow("no copy") << QStringList{"--database", "sqlite:/tmp/never.db", "--restore",
                                                "/nonexistent/c.db"}
                                 << 1 << "there is no copy /nonexistent/c.db";
        QTest::newRow("restore onto itself") << QStringList{"--database", "sqlite:" CORVANTA_SERVER_BINARY,
                                                            "--restore", CORVANTA_SERVER_BINARY}
                                             << 1 << "the copy cannot be the database itself";
        QTest::newRow("not a database")
            << QStringList{"--database", "sqlite:/tmp/never.db", "--restore", CORVANTA_SERVER_BINARY} << 1
            << "integrity check";
    }
    void refusedCopies()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const Run run = runServer(args);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QVERIFY(!QFile::exists(QStringLiteral("/tmp/never.db")));
    }
};

QTEST_GUILESS_MAIN(TestServerAdmin)
#include "tst_ServerAdmin.moc"
