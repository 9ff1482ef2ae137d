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
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryFile>
#include <QTest>

using namespace corvanta;
using corvanta::test::ServerProcess;

namespace {

const QString kEvil = QStringLiteral("<script>alert(1)</script>");
const QString kLongHan = QStringLiteral("阿卜杜热合曼·买买提依明");
const QString kLongLatin = QStringLiteral("Maximilian-Alexander Wolfeschlegelsteinhausen");
const QStringList kStudents = {"张三", "李四", "王五", "欧阳娜娜", kEvil, kLongHan, kLongLatin};
// 二班: one student with a long history, for the page a parent takes home.
const QString kPrinted = QStringLiteral("陈小明");
constexpr int kPrintedScores = 300;
const QString kLongTopic = QStringLiteral("第三单元综合性学习与课外阅读拓展训练");
const QString kLongNote = QStringLiteral("能够完整复述课文内容并且正确回答全部拓展问题");
// A page a teacher opens before signing in: the class page sorted by mean ("一班" in GBK).
constexpr char kReturnPage[] = "/score/class?class=%D2%BB%B0%E0&sort=-mean";

QString studentTarget(const QString &className, const QString &name)
{
    return QStringLiteral("/score/student?class=%1&name=%2")
        .arg(QString::fromLatin1(toGbk(className).toPercentEncoding()),
             QString::fromLatin1(toGbk(name).toPercentEncoding()));
}

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
        return int(table.section(QStringLiteral("<tbody>"), 1).count(u"<tr"));
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
        QVERIFY(m_server.setStudents("lin01", "oper", "二班", {kPrinted, "周一"}));
        for (int batch = 0; batch < kPrintedScores / 100; ++batch) {
            QStringList history;
            for (int i = batch * 100; i < (batch + 1) * 100; ++i)
                history.append(QStringLiteral("二班\t%1\t%2\t%3\t%4")
                                   .arg(i % 7 ? kPrinted : QStringLiteral("周一"))
                                   .arg(i % 6)
                                   .arg(QDateTime(QDate(2026, 2, 1).addDays(i / 3), QTime(8 + i % 3, 5))
                                            .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")))
                                   .arg(i % 2 ? QStringLiteral("回答完整，思路清楚") : QString()));
            QVERIFY(m_server.upload("lin01", "oper", batch % 2 ? "小组讨论" : "课堂提问", history));
        }
        // A topic and a standard too long for a phone's line.
        QVERIFY(m_server.upload("lin01", "oper", kLongTopic,
                                {QStringLiteral("二班\t%1\t3\t2026-06-29 10:30:00\t%2").arg(kPrinted, kLongNote)}));
        // The newest of them, which the printed page must show.
        QVERIFY(m_server.upload("lin01", "oper", "期末复习",
                                {QStringLiteral("二班\t%1\t4.5\t2026-06-30 15:45:00\t最后一次").arg(kPrinted)}));
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

    // Every page at phone and desktop widths through axe-core, html-validate and the layout
    // checks of web_checks.mjs (node with puppeteer-core, axe-core and html-validate from
    // scripts/deps.sh); the charts follow the table's sort in the page.
    void pagesPassTheChecks()
    {
        if (!m_noBrowser.isEmpty())
            QSKIP(qPrintable(m_noBrowser));
        const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
        QString modules = qEnvironmentVariable("CORVANTA_NODE_MODULES");
        if (modules.isEmpty())
            modules = QStringLiteral(CORVANTA_SOURCE_DIR "/build-tools/node_modules");
        if (node.isEmpty() || !QFile::exists(modules + "/axe-core/axe.min.js") ||
            !QFile::exists(modules + "/html-validate/package.json") ||
            !QFile::exists(modules + "/puppeteer-core/package.json"))
            QSKIP(qPrintable("no node, or no axe-core, html-validate and puppeteer-core in " + modules +
                             " (scripts/deps.sh installs them)"));
        const QJsonArray pages = {
            QJsonObject{{"name", "signin"}, {"path", "/score"}},
            QJsonObject{{"name", "home"}, {"path", "/score/"}},
            QJsonObject{{"name", "class"}, {"path", "/score/class?class=%D2%BB%B0%E0"}},
            QJsonObject{{"name", "student"}, {"path", studentTarget("二班", kPrinted)}},
        };
        QTemporaryFile config;
        QVERIFY(config.open());
        // The account as a phone keyboard leaves it: with blanks around.
        config.write(QJsonDocument(QJsonObject{{"browser", m_browser},
                                               {"base", m_server.baseUrl()},
                                               {"account", " lin01 "},
                                               {"password", "login"},
                                               {"pages", pages},
                                               {"widths", QJsonArray{360, 1280}},
                                               {"shots", m_shots},
                                               {"sortPage", "class"},
                                               {"returnPage", kReturnPage}})
                         .toJson());
        config.close();
        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("CORVANTA_NODE_MODULES"), modules);
        run.setProcessEnvironment(env);
        QEventLoop loop; // the server's helper keeps serving meanwhile
        QObject::connect(&run, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(&run, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        QTimer::singleShot(240000, &loop, &QEventLoop::quit);
        run.start(node, {QStringLiteral(CORVANTA_SOURCE_DIR "/tests/server/web_checks.mjs"), config.fileName()});
        loop.exec();
        if (run.state() != QProcess::NotRunning) {
            run.kill();
            run.waitForFinished(5000);
        }
        const QByteArray err = run.readAllStandardError();
        const QJsonObject result = QJsonDocument::fromJson(run.readAllStandardOutput()).object();
        QVERIFY2(!result.isEmpty(), err.right(2000).constData());
        QVERIFY(result["signedIn"].toBool());
        QCOMPARE(result["returnedTo"].toString(), QLatin1String(kReturnPage));
        const QJsonObject refused = result["refusedSignIn"].toObject();
        QCOMPARE(refused["alert"].toString(), QStringLiteral("用户名或密码错误！"));
        QCOMPARE(refused["account"].toString(), QStringLiteral("lin01"));
        QCOMPARE(refused["focus"].toString(), QStringLiteral("password"));
        QCOMPARE(result["pages"].toArray().size(), 2 * pages.size());
        for (const QJsonValue &value : result["pages"].toArray()) {
            const QJsonObject p = value.toObject();
            const QByteArray where = (p["name"].toString() + " at " + QString::number(p["width"].toInt())).toUtf8();
            const auto empty = [&](const char *key) {
                const QJsonArray list = p[QLatin1String(key)].toArray();
                if (!list.isEmpty())
                    qWarning("%s, %s: %s", where.constData(), key, QJsonDocument(list).toJson().constData());
                return list.isEmpty();
            };
            QCOMPARE(p["status"].toInt(), 200);
            QCOMPARE(p["encoding"].toString(), QStringLiteral("gzip"));
            QVERIFY2(empty("axe"), where);
            QVERIFY2(empty("htmlErrors"), where);
            QVERIFY2(empty("timeWraps"), where);
            QVERIFY2(empty("cutLabels"), where);
            QVERIFY2(empty("tallRows"), where);
            QVERIFY2(empty("splitRows"), where);
            QVERIFY2(empty("smallTargets"), where);
            QVERIFY2(empty("pastEdge"), where);
            QVERIFY2(empty("smallChartText"), where);
            QVERIFY2(empty("chartTextOverlaps"), where);
            QVERIFY2(p["sideways"].toInt() <= 0, where);
            // The class page: "跳到…" links first, each reaching its place; a name is one tab stop
            // per row, the charts none.
            if (p["name"].toString() == QStringLiteral("class")) {
                const QJsonArray skips = p["skipLinks"].toArray();
                QCOMPARE(skips.size(), 2);
                for (const QJsonValue &skip : skips) {
                    QVERIFY(skip["text"].toString().startsWith(QStringLiteral("跳到")));
                    QVERIFY(skip["target"].toBool());
                }
                QCOMPARE(p["chartStops"].toInt(), 0);
                QVERIFY(!p["rowStops"].toArray().isEmpty());
                for (const QJsonValue &stops : p["rowStops"].toArray())
                    QCOMPARE(stops.toInt(), 1);
            }
            // Only names too long for the label column are cut, and then with "…".
            for (const QJsonValue &label : p["elided"].toArray())
                QVERIFY2(label.toString().size() > 8, qPrintable(label.toString()));
        }
        QVERIFY(result["consoleErrors"].toArray().isEmpty());
        const QJsonArray sorts = result["sorts"].toArray();
        QCOMPARE(sorts.size(), 4);
        for (const QJsonValue &value : sorts) {
            const QJsonObject sort = value.toObject();
            const QJsonArray charts = sort["charts"].toArray();
            QCOMPARE(charts.size(), 2);
            for (const QJsonValue &chart : charts)
                QCOMPARE(chart.toArray(), sort["table"].toArray());
        }
        QVERIFY(sorts[0].toObject()["address"].toString().endsWith("sort=-mean"));
        QVERIFY(sorts[1].toObject()["address"].toString().endsWith("sort=mean"));
        QVERIFY(sorts[0].toObject()["table"] != sorts[1].toObject()["table"]);
    }

    // A student's page printed as a parent takes it home: A4, the name, the class and the
    // newest score on it, no more than a few sheets.
    void studentPagePrints()
    {
        if (!m_noBrowser.isEmpty())
            QSKIP(qPrintable(m_noBrowser));
        const QString pdfToText = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
        const QString pdfInfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
        if (pdfToText.isEmpty() || pdfInfo.isEmpty())
            QSKIP("no pdftotext or pdfinfo: Debian's poppler-utils is not installed (scripts/deps.sh installs it)");
        const QString pdf = m_shots + QStringLiteral("/student.pdf");
        QFile::remove(pdf);
        // The page of all the scores, which its "全部" link opens to be printed.
        runBrowser({"--print-to-pdf=" + pdf, "--no-pdf-header-footer"},
                   studentTarget("二班", kPrinted) + QStringLiteral("&page=all"));
        QVERIFY2(QFile::exists(pdf), "no PDF was printed");
        QProcess text;
        text.start(pdfToText, {"-layout", pdf, "-"});
        QVERIFY(text.waitForFinished(30000));
        const QString printed = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(printed.contains(kPrinted), qPrintable(printed.left(800)));
        QVERIFY(printed.contains(u"二班 · 陈小明 · "));
        QVERIFY(printed.contains(u"期末复习") && printed.contains(u"最后一次"));
        // Every score, down to the oldest.
        QVERIFY(printed.contains(u"2026-02-01 09:05"));
        QCOMPARE(int(printed.count(QRegularExpression(QStringLiteral("\\n\\s*2026-0[2-6]-\\d\\d \\d\\d:05 ")))),
                 kPrintedScores - (kPrintedScores + 6) / 7); // 周一 has every seventh
        QVERIFY(!printed.contains(u"退出") && !printed.contains(u"打印"));
        QProcess info;
        info.start(pdfInfo, {pdf});
        QVERIFY(info.waitForFinished(30000));
        const QString facts = QString::fromUtf8(info.readAllStandardOutput());
        const int sheets = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(facts).captured(1).toInt();
        QVERIFY2(sheets >= 1 && sheets <= 8, qPrintable(facts));
        QVERIFY2(facts.contains(QRegularExpression(QStringLiteral("Page size:\\s+59[45][.0-9]* x 84[12][.0-9]* pts"))),
                 qPrintable(facts)); // A4 portrait
        qInfo("student page printed on %d A4 pages", sheets);
        const QString pdfToPng = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
        if (!pdfToPng.isEmpty())
            QProcess::execute(pdfToPng, {"-png", "-r", "80", "-f", "1", "-l", "1", pdf, m_shots + "/student-pdf"});
    }

    // The download the class page links to, signed in as a browser is (runs without one too:
    // the cookie through the real server's HTTP side).
    void csvLink()
    {
        QNetworkAccessManager manager;
        const auto wait = &ServerProcess::finished;
        QNetworkRequest signIn(QUrl(m_server.baseUrl() + QStringLiteral("/score/")));
        signIn.setHeader(QNetworkRequest::ContentTypeHeader,
                         QByteArrayLiteral("application/x-www-form-urlencoded"));
        signIn.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        signIn.setRawHeader("Origin", m_server.baseUrl().toLatin1()); // as the page's form sends it
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
