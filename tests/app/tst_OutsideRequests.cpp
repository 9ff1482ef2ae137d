#include "account/frmLogin.h"
#include "app/Application.h"
#include "app/Form1.h"
#include "core/TextCodec.h"
#include "net/InstanceLink.h"
#include "support/FakePrompter.h"
#include "support/TestClock.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QLocalSocket>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace corvanta;
using namespace corvanta::test;

namespace {

// Pool 1 "未点" holds everyone; pool 3 "从未" nobody (both were called).
const char *const TwoStudents = "Class_Is_Ready\t1\t\r\n"
                           "1\t张三\t1\t0\t4.5\t3\r\n"
                           "1\t李四\t1\t0\t2\t2\r\n";

} // namespace

// Other programs reach the user's running tool: a second start, a whiteboard's command, a
// browser's corvanta: link. They may only draw, show and hide; the rest is logged and dropped.
class TestOutsideRequests : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QTemporaryDir m_runtime; // the user's runtime folder, where the socket lies
    FakePrompter m_prompter;
    FixedClock m_clock;
    ReplayRandom m_random;
    std::unique_ptr<Application> m_app;
    std::unique_ptr<InstanceLink> m_link;

    QString socketName() const { return QDir(m_runtime.path()).filePath(QStringLiteral("corvanta-instance")); }
    Form1 *form() const { return m_app->mainWindow(); }
    QPushButton *button(int pool) const
    {
        return form()->findChild<QPushButton *>(QStringLiteral("btnChou_%1").arg(pool));
    }
    // The pool a draw runs on, by its button; -1 for none.
    int runningPool() const
    {
        for (int i = 0; i < 12; ++i) {
            if (button(i)->text() == QStringLiteral("暂停"))
                return i;
        }
        return -1;
    }
    void send(const QByteArray &line)
    {
        QLocalSocket socket;
        socket.connectToServer(socketName());
        QVERIFY(socket.waitForConnected(2000));
        socket.write(line + '\n');
        QVERIFY(socket.waitForBytesWritten(2000));
        socket.disconnectFromServer();
    }

private slots:
    void init()
    {
        QFile cache(QDir(m_dir.path()).filePath(QStringLiteral("ServerRec.cvd")));
        QVERIFY(cache.open(QIODevice::WriteOnly | QIODevice::Truncate));
        cache.write(toGbk(QString::fromUtf8(TwoStudents)));
        cache.close();
        AppConfig config;
        config.dataDir = m_dir.path();
        config.serverBase = QStringLiteral("http://127.0.0.1:9");
        config.vendorBase = QStringLiteral("http://vendor.invalid");
        m_app = std::make_unique<Application>(config, &m_prompter, &m_clock, &m_random);
        m_app->start();
        m_app->context().login.LoginUser = LoginState::offlineUser();
        emit m_app->loginWindow()->loggedInOffline();
        auto *classes = form()->findChild<QComboBox *>(QStringLiteral("Combo2"));
        classes->setCurrentIndex(0);
        emit classes->activated(0);
        QVERIFY(button(1)->isEnabled());

        m_link = std::make_unique<InstanceLink>(socketName());
        QVERIFY(m_link->listen().ok());
        connect(m_link.get(), &InstanceLink::requested, m_app.get(), &Application::handleOutsideRequest);
    }
    void cleanup()
    {
        m_link.reset();
        m_app.reset();
    }

    // The program started a second time hands its --draw to the first and ends at once.
    void secondStartDrawsInTheFirst()
    {
        QProcess second;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        second.setProcessEnvironment(environment);
        second.start(QStringLiteral(CORVANTA_TOOL_BINARY), {QStringLiteral("--draw")});
        // The first keeps running its event loop meanwhile: that is where the request lands.
        QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 20000);
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE(runningPool(), 5); // the keys' draw: the fair one, here "较少" (called 2 and 3 times)
        // Again: the same request stops it, as the key does.
        QVERIFY(InstanceLink::handOver(socketName(), OutsideRequest{OutsideRequest::Action::Draw, {}}));
        QTRY_COMPARE(runningPool(), -1);
        QVERIFY(!form()->findChild<QLineEdit *>(QStringLiteral("Text2"))->text().isEmpty());
    }

    void requests_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("drawn");      // the pool that runs afterwards; -1 for none
        QTest::addColumn<QString>("logged"); // the log line's reason; empty for none

        QTest::newRow("named pool") << QByteArray("corvanta://draw?pool=%E6%9C%AA%E7%82%B9") << 1 << QString();
        QTest::newRow("empty pool") << QByteArray("corvanta://draw?pool=%E4%BB%8E%E6%9C%AA") << -1
                                    << QStringLiteral("is empty");
        QTest::newRow("no such pool") << QByteArray("corvanta://draw?pool=xyz") << -1 << QStringLiteral("no pool 'xyz'");
        QTest::newRow("manual button") << QByteArray("corvanta://draw?pool=%E6%89%8B%E5%8A%A8") << -1
                                       << QStringLiteral("no pool");
        QTest::newRow("score") << QByteArray("corvanta://score?points=5") << -1 << QStringLiteral("unknown action");
        QTest::newRow("extra parameter") << QByteArray("corvanta://draw?pool=%E6%9C%AA%E7%82%B9&user=a") << -1
                                         << QStringLiteral("unknown parameter");
        QTest::newRow("not an address") << QByteArray("--server=http://evil.example") << -1
                                        << QStringLiteral("not an address");
        QTest::newRow("too long") << QByteArray(5000, 'x') << -1 << QStringLiteral("longer than");
    }
    void requests()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, drawn);
        QFETCH(QString, logged);

        const QSize size = form()->size();
        if (!logged.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(logged)));
        send(line);
        if (drawn >= 0) {
            QTRY_COMPARE(runningPool(), drawn);
            return;
        }
        // Refused: the log line comes, and nothing changes.
        QTest::qWait(300);
        QCOMPARE(runningPool(), -1);
        QCOMPARE(form()->size(), size);
        QVERIFY(form()->findChild<QLineEdit *>(QStringLiteral("Text2"))->text().isEmpty());
    }

    void showAndHide()
    {
        send("corvanta://hide");
        QTRY_VERIFY(form()->isCollapsed());
        send("corvanta://show");
        QTRY_VERIFY(!form()->isCollapsed());
    }

    // While the console stands in the main window's place, a draw is refused.
    void noDrawBehindTheConsole()
    {
        form()->hide();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("not in view")));
        m_app->handleOutsideRequest(OutsideRequest{OutsideRequest::Action::Draw, QStringLiteral("未点")});
        QCOMPARE(runningPool(), -1);
    }
};

QTEST_MAIN(TestOutsideRequests)
#include "tst_OutsideRequests.moc"
