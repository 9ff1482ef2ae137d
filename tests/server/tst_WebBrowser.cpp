// The web pages in a real browser: headless Chromium against the real corvanta-server shows
// the home page and a class page at phone and desktop widths; the test reads the DOM the
// browser built and keeps screenshots (in CORVANTA_SCREENSHOT_DIR, else a temporary folder
// it names). Skipped, saying so, when no Chromium can start.
//
// Signing in: the session cookie is SameSite=Strict and HttpOnly, so nothing outside the
// browser can hand it one. The test serves a tiny page of its own on another port of
// 127.0.0.1 (the same site as the server: ports do not make sites). Its script posts the
// sign-in form to the server, as the server's own form would, so the browser stores the
// cookie itself; then it goes on to the page under test. The server has no page for tests.
#include "support/ServerProcess.h"

#include <QImageReader>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace corvanta;
using corvanta::test::ServerProcess;

namespace {

const QString kEvil = QStringLiteral("<script>alert(1)</script>");
const QStringList kStudents = {"张三", "李四", "王五", "欧阳娜娜", kEvil};

// Serves the sign-in page to every request; the target comes after "#".
class SignInHelper
{
public:
    bool listen(const QString &serverBase)
    {
        m_page = QStringLiteral(R"(<!DOCTYPE html><meta charset="utf-8"><p id="state">signing in</p><script>
var base = '%1', target = decodeURIComponent(location.hash.slice(1));
fetch(base + '/score/', {method: 'POST', mode: 'no-cors', credentials: 'include',
    headers: {'Content-Type': 'application/x-www-form-urlencoded'}, body: 'username=lin01&password=login'})
  .then(function () { location.replace(base + target); })
  .catch(function (e) { document.getElementById('state').textContent = 'sign-in failed: ' + e; });
</script>)")
                     .arg(serverBase)
                     .toUtf8();
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                // A browser sends its GET in one piece; whatever it asks, it gets the page.
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    socket->readAll();
                    if (socket->property("answered").toBool())
                        return;
                    socket->setProperty("answered", true);
                    socket->write(
                        "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nConnection: close\r\n"
                        "Content-Length: " +
                        QByteArray::number(m_page.size()) + "\r\n\r\n" + m_page);
                    socket->disconnectFromHost();
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        return m_server.listen(QHostAddress::LocalHost);
    }
    QString address(const QString &target) const
    {
        return QStringLiteral("http://127.0.0.1:%1/#").arg(m_server.serverPort()) +
               QString::fromLatin1(QUrl::toPercentEncoding(target));
    }

private:
    QTcpServer m_server;
    QByteArray m_page;
};

struct BrowserRun
{
    bool started = false;
    QByteArray out;
    QByteArray err;
};

} // namespace

class TestWebBrowser : public QObject
{
    Q_OBJECT

    QString m_browser;
    QString m_noBrowser; // why the browser checks are skipped
    ServerProcess m_server;
    SignInHelper m_helper;
    QTemporaryDir m_profiles;
    QString m_shots;
    int m_runs = 0;
    int m_refused = 0; // refusals by the pages' security policy the browser logged

    // One browser run on a fresh profile; the event loop keeps serving the helper meanwhile.
    BrowserRun runBrowser(const QStringList &extra, const QString &target)
    {
        QProcess browser;
        QStringList args = {"--headless",
                            "--no-sandbox",
                            "--disable-gpu",
                            "--disable-quic",
                            "--no-first-run",
                            "--disable-background-networking",
                            "--disable-component-update",
                            "--disable-sync",
                            "--hide-scrollbars",
                            "--virtual-time-budget=5000",
                            "--user-data-dir=" + m_profiles.filePath(QString::number(++m_runs))};
        args += extra;
        args.append(m_helper.address(target));
        QEventLoop loop;
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&browser, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(&browser, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        browser.start(m_browser, args);
        limit.start(90000);
        if (browser.state() != QProcess::NotRunning)
            loop.exec();
        if (browser.state() != QProcess::NotRunning) {
            browser.kill();
            browser.waitForFinished(5000);
        }
        return {browser.exitStatus() == QProcess::NormalExit && browser.error() == QProcess::UnknownError,
                browser.readAllStandardOutput(), browser.readAllStandardError()};
    }

    // The page's DOM; the browser logs every style or script the page's policy refused.
    QString dom(const QString &target, int width)
    {
        const BrowserRun run = runBrowser(
            {QStringLiteral("--window-size=%1,800").arg(width), "--enable-logging=stderr", "--dump-dom"},
            target);
        const QString log = QString::fromUtf8(run.err);
        if (log.contains(u"Content Security Policy"))
            qWarning("%s", qPrintable(log));
        m_refused += int(log.count(u"Content Security Policy"));
        return QString::fromUtf8(run.out);
    }

    QString screenshot(const QString &target, const QString &name, int width)
    {
        const QString file = QStringLiteral("%1/%2-%3.png").arg(m_shots, name).arg(width);
        QFile::remove(file);
        runBrowser({QStringLiteral("--window-size=%1,800").arg(width), "--screenshot=" + file}, target);
        return file;
    }

    static int tableRowCount(const QString &dom, const QString &id)
    {
        const QString table = dom.section(QStringLiteral("<table id=\"%1\"").arg(id), 1)
                                  .section(QStringLiteral("</table>"), 0, 0);
        return int(table.section(QStringLiteral("<tbody>"), 1).count(u"<tr>"));
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_server.start(), qPrintable(m_server.errorText()));
        QVERIFY(m_server.registerTeacher("lin01", "login", "oper", "林老师"));
        QVERIFY(m_server.setClasses("lin01", "oper", {"一班", "二班"}));
        QVERIFY(m_server.setStudents("lin01", "oper", "一班", kStudents));
        QStringList lines;
        for (int i = 0; i < 40; ++i)
            lines.append(QStringLiteral("一班\t%1\t%2\t2026-03-0%3 08:%4:00\t")
                             .arg(kStudents[i % kStudents.size()])
                             .arg(i % 6)
                             .arg(1 + i % 5)
                             .arg(10 + i));
        QVERIFY(m_server.upload("lin01", "oper", "课堂提问", lines));
        QVERIFY(m_helper.listen(m_server.baseUrl()));
        m_shots = qEnvironmentVariable("CORVANTA_SCREENSHOT_DIR");
        if (m_shots.isEmpty())
            m_shots = m_profiles.filePath(QStringLiteral("shots"));
        QVERIFY(QDir().mkpath(m_shots));
        for (const char *name : {"chromium", "chromium-browser", "google-chrome"}) {
            m_browser = QStandardPaths::findExecutable(QString::fromLatin1(name));
            if (!m_browser.isEmpty())
                break;
        }
        if (m_browser.isEmpty()) {
            m_noBrowser = QStringLiteral("no headless browser: Debian's chromium is not installed "
                                         "(scripts/deps.sh installs it)");
            return;
        }
        // A first run shows whether a browser can start here at all.
        const BrowserRun probe = runBrowser({"--dump-dom"}, QStringLiteral("/score"));
        if (!probe.started || !probe.out.contains("<form"))
            m_noBrowser = QStringLiteral("headless Chromium did not start or show a page: ") +
                          QString::fromLocal8Bit(probe.err.right(400));
        else
            qInfo("screenshots in %s", qPrintable(m_shots));
    }

    void pagesInTheBrowser_data()
    {
        QTest::addColumn<int>("width");
        QTest::newRow("phone") << 360;
        QTest::newRow("desktop") << 1280;
    }
    void pagesInTheBrowser()
    {
        if (!m_noBrowser.isEmpty())
            QSKIP(qPrintable(m_noBrowser));
        QFETCH(int, width);
        const QString home = dom(QStringLiteral("/score/"), width);
        QVERIFY2(home.contains(u"<h1>我的班级</h1>"), qPrintable(home.left(600)));
        QCOMPARE(tableRowCount(home, "classes"), 2);
        const QRegularExpression link(QStringLiteral("<a href=\"(/score/class\\?class=[^\"]+)\">一班</a>"));
        const QString classAddress = link.match(home).captured(1);
        QVERIFY(!classAddress.isEmpty());

        const QString page = dom(classAddress + QStringLiteral("&sort=name"), width);
        QVERIFY2(page.contains(u"<h1>一班</h1>"), qPrintable(page.left(600)));
        QCOMPARE(tableRowCount(page, "students"), int(kStudents.size()));
        QCOMPARE(tableRowCount(page, "latest"), 40);
        QCOMPARE(page.count(u"<rect x="), 2 * int(kStudents.size()));
        // The name is text in the page, never an element the browser made.
        QVERIFY(page.contains(u"&lt;script&gt;alert(1)&lt;/script&gt;"));
        QVERIFY(!page.contains(u"<script>alert"));
        QVERIFY(page.contains(u"<a href=\"/score/class.csv?class=%D2%BB%B0%E0\" download=\"\">"));
        QCOMPARE(m_refused, 0);

        for (const auto &[target, name] : {std::pair(QStringLiteral("/score/"), QStringLiteral("home")),
                                           std::pair(classAddress, QStringLiteral("class"))}) {
            const QString file = screenshot(target, name, width);
            QImageReader shot(file);
            QCOMPARE(shot.size(), QSize(width, 800));
        }
    }

    // The download the class page links to, signed in as a browser is (runs without one too:
    // the cookie through the real server's HTTP side).
    void csvLink()
    {
        QNetworkAccessManager manager;
        auto wait = [](QNetworkReply *reply) {
            QEventLoop loop;
            QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
            if (!reply->isFinished())
                loop.exec();
            reply->deleteLater();
            return reply;
        };
        QNetworkRequest signIn(QUrl(m_server.baseUrl() + QStringLiteral("/score/")));
        signIn.setHeader(QNetworkRequest::ContentTypeHeader,
                         QByteArrayLiteral("application/x-www-form-urlencoded"));
        signIn.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        QNetworkReply *in = wait(manager.post(signIn, QByteArrayLiteral("username=lin01&password=login")));
        QCOMPARE(in->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 303);
        QNetworkRequest csv(
            QUrl::fromEncoded(m_server.baseUrl().toLatin1() + "/score/class.csv?class=%D2%BB%B0%E0"));
        csv.setRawHeader("Cookie", in->rawHeader("Set-Cookie").split(';').first());
        QNetworkReply *file = wait(manager.get(csv));
        QCOMPARE(file->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
        QCOMPARE(file->rawHeader("Content-Type"), QByteArray("text/csv; charset=utf-8"));
        QVERIFY(file->rawHeader("Content-Disposition").contains("filename*=UTF-8''%E4%B8%80%E7%8F%AD-"));
        const QByteArray body = file->readAll();
        QVERIFY(body.startsWith("\xEF\xBB\xBF学生,计分,时间,课题,标准/说明\r\n"));
        QCOMPARE(body.count("\r\n"), 41);
        QVERIFY(body.contains("<script>alert(1)</script>,")); // a CSV holds the name as it is
    }
};

QTEST_MAIN(TestWebBrowser)
#include "tst_WebBrowser.moc"
