// The whole tool against the real score server: log in, fill the main window, draw,
// score, upload; offline after the server is gone; the first tick's clock and version
// checks.
#include "account/frmLogin.h"
#include "app/Application.h"
#include "core/Settings.h"
#include "app/Form1.h"
#include "net/ServerLink.h"
#include "net/Wire.h"
#include "scoring/PendingScores.h"
#include "scoring/UploadPanel.h"
#include "support/FakePrompter.h"
#include "support/ServerProcess.h"
#include "support/TestClock.h"
#include "EndToEndData.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace corvanta;
using namespace corvanta::test;

using namespace corvanta::test::e2e;

class TestEndToEnd : public QObject
{
    Q_OBJECT

    QTemporaryDir m_settingsDir;
    std::unique_ptr<QTemporaryDir> m_dataDir;
    std::unique_ptr<ServerProcess> m_server;
    FakePrompter m_prompter;
    FixedClock m_clock;
    ReplayRandom m_random{11};
    std::unique_ptr<Application> m_app;

    Form1 *form() const { return m_app->mainWindow(); }
    template <typename T> T *loginChild(const char *name) const
    {
        return m_app->loginWindow()->findChild<T *>(QLatin1String(name));
    }
    template <typename T> T *formChild(const QString &name) const { return form()->findChild<T *>(name); }

    void startApp()
    {
        AppConfig config;
        config.dataDir = m_dataDir->path();
        config.serverBase = m_server->baseUrl();
        config.vendorBase = m_server->baseUrl();
        m_app = std::make_unique<Application>(config, &m_prompter, &m_clock, &m_random);
        m_app->loginWindow()->setConnectionProbe([] { return true; });
        m_app->start();
    }

    void openLogin()
    {
        QTest::mouseClick(formChild<QPushButton>("Command1"), Qt::LeftButton);
        QVERIFY(m_app->loginWindow()->isVisible());
        QVERIFY(!form()->isVisible());
    }

    void loginOnline(const QString &password)
    {
        openLogin();
        auto *ok = loginChild<QPushButton>("cmdOK");
        QTRY_VERIFY(ok->isEnabled());
        loginChild<QComboBox>("ComboUser")->setEditText(Account);
        loginChild<QLineEdit>("txtPassword")->setText(password);
        QTest::mouseClick(ok, Qt::LeftButton);
    }

    void chooseClass()
    {
        auto *combo = formChild<QComboBox>("Combo2");
        const int index = combo->findText(ClassName);
        QVERIFY(index >= 0);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }

    QString draw(int pool)
    {
        auto *button = formChild<QPushButton>(QStringLiteral("btnChou_%1").arg(pool));
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::qWait(20);
        QTest::mouseClick(button, Qt::LeftButton);
        return formChild<QLineEdit>("Text2")->text();
    }

    QStringList serverScores()
    {
        const auto reply =
            m_server->get(QStringLiteral("/score/getscore.php"),
                          {{"class", ClassName}, {"t", Account}, {"mp", Md5Hex(LoginPassword)}});
        QStringList lines = reply.text().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        // Record numbers differ from run to run; the rest is what the teacher gave.
        for (QString &line : lines)
            line = line.section(u'\t', 1);
        lines.sort();
        return lines;
    }

private slots:
    void initTestCase()
    {
        Settings::redirectForTests(m_settingsDir.path());
    }

    void init()
    {
        m_dataDir = std::make_unique<QTemporaryDir>();
        m_server = std::make_unique<ServerProcess>();
        QVERIFY2(m_server->start(), qPrintable(m_server->errorText()));
        QVERIFY(m_server->registerTeacher(Account, LoginPassword, OperationPassword));
        QVERIFY(m_server->setClasses(Account, OperationPassword, {ClassName, QStringLiteral("四年级(1)班")}));
        QVERIFY(m_server->setStudents(
            Account, OperationPassword, ClassName,
            {QStringLiteral("王子涵"), QStringLiteral("李思远"), QStringLiteral("张雨桐")}));
        QVERIFY(m_server->setTopics(Account, OperationPassword, {Topic, QStringLiteral("口算")}));
        QVERIFY(m_server->addScales(Account, OperationPassword, Topic,
                                    {{QStringLiteral("读音准确"), 5}, {QStringLiteral("有感情"), 3}}));
        m_prompter = {};
        m_clock.when = QDateTime::currentDateTime();
    }

    void cleanup()
    {
        m_app.reset();
        m_server.reset();
        m_dataDir.reset();
    }

    void onlineLoginFillsTheMainWindow()
    {
        startApp();
        loginOnline(LoginPassword);
        QTRY_VERIFY(form()->isVisible());
        QVERIFY(!m_app->loginWindow()->isVisible());
        QCOMPARE(form()->windowTitle(), QStringLiteral("Corvanta [teacher01]"));
        auto *classes = formChild<QComboBox>("Combo2");
        QVERIFY(classes->isEnabled());
        QCOMPARE(classes->count(), 2);
        QCOMPARE(classes->itemText(0), ClassName);
        QCOMPARE(formChild<QComboBox>("Combo3")->currentText(), Topic);
        QCOMPARE(formChild<QListWidget>("List1")->count(), 2);
        QCOMPARE(m_app->context().login.LoginDigest, Md5Hex(LoginPassword));
        QVERIFY(QFile::exists(QDir(m_dataDir->path()).filePath("ServerRec.cvd")));
    }

    void wrongPasswordKeepsTheWindow()
    {
        startApp();
        loginOnline(QStringLiteral("wrong"));
        QTRY_VERIFY(m_prompter.last());
        QCOMPARE(m_prompter.last()->text, QStringLiteral("无效的密码，请重试!"));
        QCOMPARE(m_prompter.last()->title, QStringLiteral("登录"));
        QCOMPARE(loginChild<QLineEdit>("txtPassword")->selectedText(), QStringLiteral("wrong"));
        QVERIFY(m_app->context().login.LoginUser.isEmpty());
        QVERIFY(!formChild<QComboBox>("Combo2")->isEnabled());
    }

    void offlineAfterTheServerIsGone()
    {
        startApp();
        loginOnline(LoginPassword);
        QTRY_VERIFY(form()->isVisible());
        m_server->stop();

        // The server is gone: the online login reports the network, the cached file stays.
        loginOnline(LoginPassword);
        QTRY_VERIFY(m_prompter.last());
        QVERIFY(m_prompter.last()->text.endsWith(QStringLiteral("网络异常！")));
        QCOMPARE(m_prompter.last()->title, QStringLiteral("错误"));

        auto *offline = loginChild<QPushButton>("Command1");
        QTRY_VERIFY(offline->isEnabled());
        QTest::mouseClick(offline, Qt::LeftButton);
        QTRY_VERIFY(form()->isVisible());
        QCOMPARE(form()->windowTitle(), QStringLiteral("Corvanta [离线用户]"));
        QCOMPARE(formChild<QComboBox>("Combo2")->count(), 2);
        chooseClass();
        QCOMPARE(formChild<QListWidget>("lstKind_0")->count(), 3);
    }

    void scoresReachTheServerOnce()
    {
        startApp();
        loginOnline(LoginPassword);
        QTRY_VERIFY(form()->isVisible());
        chooseClass();

        // One score from the combo, two from standards, for two draws.
        const QString first = draw(0);
        auto *combo1 = formChild<QComboBox>("Combo1");
        combo1->setCurrentIndex(1);
        emit combo1->activated(1); // "4分"
        const QString second = draw(0);
        auto *list1 = formChild<QListWidget>("List1");
        for (int row : {0, 1}) {
            list1->setCurrentRow(row);
            emit list1->itemDoubleClicked(list1->item(row));
        }
        QCOMPARE(m_app->context().pending.size(), 3);

        // A wrong operation password: the server's reason, the lines stay.
        UploadPanel *panel = formChild<UploadPanel>("Frame4");
        QTest::mouseClick(formChild<QPushButton>("Command11"), Qt::LeftButton);
        panel->findChild<QLineEdit *>("Text4")->setText(QStringLiteral("nope"));
        QTest::mouseClick(panel->findChild<QPushButton *>("Command13"), Qt::LeftButton);
        QVERIFY(m_prompter.last());
        QVERIFY(m_prompter.last()->text.endsWith(QStringLiteral("\r\n上传错误！")));
        QCOMPARE(m_app->context().pending.size(), 3);

        panel->findChild<QLineEdit *>("Text4")->setText(OperationPassword);
        panel->openPanel();
        m_prompter.questionAnswers = {false};
        QTest::mouseClick(panel->findChild<QPushButton *>("Command13"), Qt::LeftButton);
        QCOMPARE(m_prompter.last()->title, QStringLiteral("成功"));
        QCOMPARE(m_app->context().pending.size(), 0);

        const QString today = m_clock.when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        QStringList expected = {
            first + QStringLiteral("\t4\t") + today + u'\t' + Topic + u'\t',
            second + QStringLiteral("\t5\t") + today + u'\t' + Topic + QStringLiteral("\t读音准确"),
            second + QStringLiteral("\t3\t") + today + u'\t' + Topic + QStringLiteral("\t有感情"),
        };
        expected.sort();
        QCOMPARE(serverScores(), expected);
    }

    void unreachableServerSavesAndImportsLater()
    {
        startApp();
        loginOnline(LoginPassword);
        QTRY_VERIFY(form()->isVisible());
        chooseClass();
        draw(0);
        auto *combo1 = formChild<QComboBox>("Combo1");
        combo1->setCurrentIndex(0);
        emit combo1->activated(0);
        draw(0);
        combo1->setCurrentIndex(2);
        emit combo1->activated(2);
        QCOMPARE(m_app->context().pending.size(), 2);
        const QStringList given = m_app->context().pending.lines();

        m_server->stop();
        UploadPanel *panel = formChild<UploadPanel>("Frame4");
        QTest::mouseClick(formChild<QPushButton>("Command11"), Qt::LeftButton);
        panel->findChild<QLineEdit *>("Text4")->setText(OperationPassword);
        const QString saved = QDir(m_dataDir->path()).filePath(QStringLiteral("课堂"));
        m_prompter.fileNames = {saved};
        QTest::mouseClick(panel->findChild<QPushButton *>("Command13"), Qt::LeftButton);
        QCOMPARE(m_prompter.shown.at(m_prompter.shown.size() - 3).text,
                 QStringLiteral("网络异常！建议保存数据，然后导入上传！"));
        QCOMPARE(m_app->context().pending.size(), 0);
        QFile file(saved + QStringLiteral(".cvr"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().count("\r\n"), 2);
        file.close();

        // The server is back: import and upload; a second upload of the same lines
        // adds nothing.
        const QString before = m_server->baseUrl();
        QVERIFY2(m_server->restart(), qPrintable(m_server->errorText()));
        QCOMPARE(m_server->baseUrl(), before);
        for (int round = 0; round < 2; ++round) {
            m_prompter.fileNames = {saved + QStringLiteral(".cvr")};
            QTest::mouseClick(panel->findChild<QPushButton *>("Command15"), Qt::LeftButton);
            QCOMPARE(m_app->context().pending.lines(), given);
            panel->openPanel();
            QTest::mouseClick(panel->findChild<QPushButton *>("Command13"), Qt::LeftButton);
            QCOMPARE(m_prompter.last()->title, QStringLiteral("成功"));
            QCOMPARE(m_app->context().pending.size(), 0);
            QCOMPARE(serverScores().size(), 2);
        }
    }

    void searchByInitialsPicksAndScores()
    {
        const QString otherClass = QStringLiteral("四年级(1)班");
        QVERIFY(m_server->setStudents(Account, OperationPassword, otherClass,
                                      {QStringLiteral("李小明"), QStringLiteral("李明"),
                                       QStringLiteral("王珺"), QStringLiteral("翟志强")}));
        startApp();
        loginOnline(LoginPassword);
        QTRY_VERIFY(form()->isVisible());
        auto *classes = formChild<QComboBox>("Combo2");
        const int index = classes->findText(otherClass);
        QVERIFY(index >= 0);
        classes->setCurrentIndex(index);
        emit classes->activated(index);

        auto *search = formChild<QLineEdit>("txtManual");
        QVERIFY(search->isEnabled());
        QTest::keyClicks(search, QStringLiteral("lxm"));
        auto *results = formChild<QListWidget>("List2");
        QVERIFY(results->isVisible());
        QVERIFY(results->item(0)->text().startsWith(QStringLiteral("李小明\t")));
        QTest::keyClick(search, Qt::Key_Return);
        QTest::keyClick(results, Qt::Key_Return);
        QCOMPARE(formChild<QLineEdit>("Text2")->text(), QStringLiteral("李小明"));

        auto *combo1 = formChild<QComboBox>("Combo1");
        QVERIFY(combo1->isEnabled());
        combo1->setCurrentIndex(0);
        emit combo1->activated(0);
        auto *pending = formChild<QListWidget>("List4");
        QCOMPARE(pending->count(), 1);
        QVERIFY(pending->item(0)->text().startsWith(otherClass + QStringLiteral("\t李小明\t5分\t")));
    }

    void pendingScoresSurviveARestart()
    {
        startApp();
        loginOnline(LoginPassword);
        QTRY_VERIFY(form()->isVisible());
        chooseClass();
        draw(0);
        formChild<QComboBox>("Combo1")->setCurrentIndex(0);
        emit formChild<QComboBox>("Combo1")->activated(0);
        const QStringList lines = m_app->context().pending.lines();
        QCOMPARE(lines.size(), 1);
        m_app.reset();
        startApp();
        QCOMPARE(m_app->context().pending.lines(), lines);
        QCOMPARE(formChild<QListWidget>("List4")->count(), 1);
    }

    void firstTickChecksClockAndVersion_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<bool>("warned");
        // Server seconds may tick once between reading and checking: the offsets are
        // chosen so that tick cannot change the outcome.
        QTest::newRow("301 s behind") << -301 << true;
        QTest::newRow("300 s ahead") << 300 << false;
        QTest::newRow("in step") << 0 << false;
    }
    void firstTickChecksClockAndVersion()
    {
        QFETCH(int, offset);
        QFETCH(bool, warned);
        const qint64 serverNow =
            m_server->get(QStringLiteral("/score/servertime.php"), {{"t", "0.5"}}).text().toLongLong();
        QVERIFY(serverNow > 0);
        m_clock.when = QDateTime::fromSecsSinceEpoch(serverNow + offset);
        startApp();
        QTRY_VERIFY_WITH_TIMEOUT(form()->panelText(2).startsWith(QStringLiteral("服务器版本:")), 5000);
        bool clockMessage = false;
        for (const auto &shown : m_prompter.shown)
            clockMessage |= shown.title == QStringLiteral("时间错误");
        QCOMPARE(clockMessage, warned);
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_EndToEnd.moc"
