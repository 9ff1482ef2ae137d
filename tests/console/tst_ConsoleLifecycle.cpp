#include "account/frmLogin.h"
#include "app/Application.h"
#include "app/Form1.h"
#include "console/Dialog.h"
#include "net/ServerLink.h"
#include "net/Session.h"
#include "net/Wire.h"
#include "support/FakePrompter.h"
#include "support/ServerProcess.h"
#include "support/TestClock.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace corvanta;
using namespace corvanta::test;

// The console in the application: loaded at a login, opened by "后台", back with "返回",
// gone with its close box; the main window follows its accepted changes.
class TestConsoleLifecycle : public QObject
{
    Q_OBJECT

    ServerProcess m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    FakePrompter m_prompter;
    FixedClock m_clock;
    ReplayRandom m_random;
    std::unique_ptr<Application> m_app;

    template <typename T> static T *child(QWidget *root, const char *name)
    {
        return root ? root->findChild<T *>(QLatin1String(name)) : nullptr;
    }
    Form1 *form() const { return m_app->mainWindow(); }
    Dialog *console() const { return m_app->consoleWindow(); }
    void loginOnline()
    {
        m_app->context().session.logInOnline(QStringLiteral("teacher1"), Md5Hex(QStringLiteral("login-pw")));
        emit m_app->loginWindow()->loggedInOnline();
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(m_server.start(), qPrintable(m_server.errorText()));
        QVERIFY(m_server.registerTeacher("teacher1", "login-pw", "oper-pw"));
        QVERIFY(m_server.setClasses("teacher1", "oper-pw", {"C1", "C2"}));
        QVERIFY(m_server.setStudents("teacher1", "oper-pw", "C1", {QStringLiteral("张三")}));
    }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_prompter = {};
        AppConfig config;
        config.dataDir = m_dir->path();
        config.serverBase = m_server.baseUrl();
        config.vendorBase = QStringLiteral("http://vendor.invalid");
        m_app = std::make_unique<Application>(config, &m_prompter, &m_clock, &m_random);
        m_app->start();
    }
    void cleanup()
    {
        m_app.reset();
        m_dir.reset();
    }

    void loginLoadsTheConsoleHidden()
    {
        QVERIFY(!console());
        child<QLineEdit>(form(), "Text4")->setText(QStringLiteral("oper-pw"));
        loginOnline();
        QVERIFY(console());
        QVERIFY(!console()->isVisible());
        QCOMPARE(child<QLineEdit>(console(), "txtSuperPassword")->text(), QStringLiteral("oper-pw"));
    }

    // The upload panel's, the group lists' and the console's password boxes show one value:
    // typing in any of them shows in the others, and what the console sends is that value.
    void threePasswordBoxesShowOneValue()
    {
        loginOnline();
        auto *text4 = child<QLineEdit>(form(), "Text4");
        auto *text11 = child<QLineEdit>(form(), "Text11");
        auto *super = child<QLineEdit>(console(), "txtSuperPassword");
        QVERIFY(text4 && text11 && super);
        const auto shown = [&] { return QStringList{text4->text(), text11->text(), super->text()}; };
        QTest::keyClicks(text4, QStringLiteral("abc"));
        QCOMPARE(shown(), QStringList({"abc", "abc", "abc"}));
        text11->clear();
        QTest::keyClicks(text11, QStringLiteral("oper-pw"));
        QCOMPARE(shown(), QStringList({"oper-pw", "oper-pw", "oper-pw"}));
        super->setText(QStringLiteral("x"));
        QCOMPARE(shown(), QStringList({"x", "x", "x"}));
        QCOMPARE(m_app->context().session.operationPassword(), QStringLiteral("x"));

        // The console's change goes with the password typed last, wherever it was typed.
        QTest::mouseClick(child<QPushButton>(form(), "btnManage"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(console(), "Cmd_manage_1"), Qt::LeftButton);
        text4->setText(QStringLiteral("oper-pw"));
        QTest::mouseClick(child<QPushButton>(console(), "Command4"), Qt::LeftButton); // the list unchanged
        QCOMPARE(m_prompter.last()->text, QStringLiteral("操作成功！"));

        // Another account does not inherit it.
        m_app->context().session.logInOnline(QStringLiteral("teacher2"), Md5Hex(QStringLiteral("x")));
        QCOMPARE(shown(), QStringList({"", "", ""}));
    }

    void openReturnAndReopenShowsTheStartView()
    {
        loginOnline();
        QTest::mouseClick(child<QPushButton>(form(), "btnManage"), Qt::LeftButton);
        QVERIFY(console()->isVisible());
        QVERIFY(!form()->isVisible());
        QVERIFY(child<QWidget>(console(), "Picture1")->isVisible());
        QTest::mouseClick(child<QPushButton>(console(), "Cmd_manage_1"), Qt::LeftButton);
        QVERIFY(!child<QWidget>(console(), "Picture1")->isVisible());

        QTest::mouseClick(child<QPushButton>(console(), "OKButton"), Qt::LeftButton);
        QVERIFY(!console()->isVisible());
        QVERIFY(form()->isVisible());
        QTest::mouseClick(child<QPushButton>(form(), "btnManage"), Qt::LeftButton);
        QVERIFY(child<QWidget>(console(), "Picture1")->isVisible());
        QVERIFY(!child<QWidget>(console(), "Frame_manage_1")->isVisible());
        // Kept across "返回": what was typed stays.
        QCOMPARE(child<QListWidget>(console(), "List2")->count(), 2);
    }

    void closeUnloadsTheConsole()
    {
        loginOnline();
        QTest::mouseClick(child<QPushButton>(form(), "btnManage"), Qt::LeftButton);
        child<QLineEdit>(console(), "txtSuperPassword")->setText(QStringLiteral("typed"));
        QVERIFY(console()->close());
        QVERIFY(form()->isVisible());
        QVERIFY(!console());
        QTest::mouseClick(child<QPushButton>(form(), "btnManage"), Qt::LeftButton);
        QVERIFY(console()->isVisible());
        // The password is the session's, not the closed window's: it is still there.
        QCOMPARE(child<QLineEdit>(console(), "txtSuperPassword")->text(), QStringLiteral("typed"));
        QCOMPARE(child<QLineEdit>(form(), "Text4")->text(), QStringLiteral("typed"));
    }

    void loginResetsTheStudentPage()
    {
        loginOnline();
        Dialog *dialog = console();
        QTest::mouseClick(child<QPushButton>(dialog, "Cmd_manage_2"), Qt::LeftButton);
        auto *classes = child<QComboBox>(dialog, "Combo2");
        classes->setCurrentIndex(0);
        emit classes->activated(0);
        QCOMPARE(child<QListWidget>(dialog, "List1")->count(), 1);
        loginOnline();
        QCOMPARE(console(), dialog);
        QCOMPARE(classes->currentText(), QStringLiteral("班级"));
        QCOMPARE(child<QListWidget>(dialog, "List1")->count(), 0);
    }

    void mainWindowFollowsAcceptedChanges()
    {
        loginOnline();
        auto *mainClasses = child<QComboBox>(form(), "Combo2");
        QCOMPARE(mainClasses->count(), 2);
        QTest::mouseClick(child<QPushButton>(form(), "btnManage"), Qt::LeftButton);
        child<QLineEdit>(console(), "txtSuperPassword")->setText(QStringLiteral("oper-pw"));
        QTest::mouseClick(child<QPushButton>(console(), "Cmd_manage_1"), Qt::LeftButton);
        child<QPlainTextEdit>(console(), "Text5")->setPlainText(QStringLiteral("C3"));
        QTest::mouseClick(child<QPushButton>(console(), "Command10"), Qt::LeftButton);
        QCOMPARE(mainClasses->count(), 3);
        QCOMPARE(mainClasses->itemText(2), QStringLiteral("C3"));
        QVERIFY(m_server.setClasses("teacher1", "oper-pw", {"C1", "C2"}));
    }
};

QTEST_MAIN(TestConsoleLifecycle)
#include "tst_ConsoleLifecycle.moc"
