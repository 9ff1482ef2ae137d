#include "account/frmLogin.h"
#include "app/Application.h"
#include "app/Form1.h"
#include "app/GroupListsPanel.h"
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

    template <typename T> static T *child(QWidget *root, const QString &name)
    {
        return root ? root->findChild<T *>(name) : nullptr;
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
        QTest::mouseClick(child<QPushButton>(console(), buttonObjectName(ConsolePageId::Class)),
                          Qt::LeftButton);
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
        QTest::mouseClick(child<QPushButton>(console(), buttonObjectName(ConsolePageId::Class)),
                          Qt::LeftButton);
        QVERIFY(!child<QWidget>(console(), "Picture1")->isVisible());

        QTest::mouseClick(child<QPushButton>(console(), "OKButton"), Qt::LeftButton);
        QVERIFY(!console()->isVisible());
        QVERIFY(form()->isVisible());
        QTest::mouseClick(child<QPushButton>(form(), "btnManage"), Qt::LeftButton);
        QVERIFY(child<QWidget>(console(), "Picture1")->isVisible());
        QVERIFY(!child<QWidget>(console(), pageObjectName(ConsolePageId::Class))->isVisible());
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
        QTest::mouseClick(child<QPushButton>(dialog, buttonObjectName(ConsolePageId::Student)),
                          Qt::LeftButton);
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
        QTest::mouseClick(child<QPushButton>(console(), buttonObjectName(ConsolePageId::Class)),
                          Qt::LeftButton);
        child<QPlainTextEdit>(console(), "Text5")->setPlainText(QStringLiteral("C3"));
        QTest::mouseClick(child<QPushButton>(console(), "Command10"), Qt::LeftButton);
        QCOMPARE(mainClasses->count(), 3);
        QCOMPARE(mainClasses->itemText(2), QStringLiteral("C3"));
        QVERIFY(m_server.setClasses("teacher1", "oper-pw", {"C1", "C2"}));
    }

    // A change made in the console, or a grouping uploaded from the main window, keeps the
    // lesson: the class and topic chosen and who has been called; when the class's students
    // changed, the pools are sorted again with each student's called state kept.
    void changesKeepTheLesson_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("students"); // of C1 afterwards, in file order
        const QStringList three{QStringLiteral("张三"), QStringLiteral("李四"), QStringLiteral("王五")};
        QTest::newRow("score corrected") << "score" << three;
        QTest::newRow("student added") << "student" << three + QStringList{QStringLiteral("孙七")};
        QTest::newRow("other class's students") << "other class" << three;
        QTest::newRow("groups uploaded") << "groups" << three;
    }
    void changesKeepTheLesson()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, students);
        static int teachers = 0;
        const QString account = QStringLiteral("lesson%1").arg(++teachers);
        QVERIFY(m_server.registerTeacher(account, "login-pw", "oper-pw"));
        QVERIFY(m_server.setClasses(account, "oper-pw", {"C1", "C2"}));
        QVERIFY(m_server.setStudents(account, "oper-pw", "C1", students.mid(0, 3)));
        QVERIFY(m_server.setTopics(account, "oper-pw", {QStringLiteral("课堂提问"), QStringLiteral("朗读")}));
        QVERIFY(m_server.upload(account, "oper-pw", QStringLiteral("课堂提问"),
                                {QStringLiteral("C1\t李四\t4分\t2026-03-05 09:00:00\t")}));
        QCOMPARE(m_server
                     .post("/score/group.php", {{"class", "C1"},
                                                {"username", account},
                                                {"password", "oper-pw"},
                                                {"group[0]", students.mid(0, 3).join(u'|')}})
                     .text(),
                 "Success!");
        m_app->context().session.logInOnline(account, Md5Hex(QStringLiteral("login-pw")));
        emit m_app->loginWindow()->loggedInOnline();
        child<QLineEdit>(form(), "Text4")->setText(QStringLiteral("oper-pw"));

        // The lesson: class C1, the second topic, one student called.
        const auto choose = [](QComboBox *box, const QString &entry) {
            const int index = box->findText(entry);
            QVERIFY2(index >= 0, qPrintable(entry));
            box->setCurrentIndex(index);
            emit box->activated(index);
        };
        auto *classBox = child<QComboBox>(form(), "Combo2");
        auto *topicBox = child<QComboBox>(form(), "Combo3");
        choose(classBox, "C1");
        choose(topicBox, QStringLiteral("朗读"));
        auto *notCalled = child<QPushButton>(form(), "btnChou_1");
        QTest::mouseClick(notCalled, Qt::LeftButton);
        QTest::mouseClick(notCalled, Qt::LeftButton);
        const QString called = child<QLineEdit>(form(), "Text2")->text();
        QVERIFY(students.contains(called));
        const auto pool = [this](int i) {
            QStringList names;
            const auto *list = form()->findChild<QListWidget *>(QStringLiteral("lstKind_%1").arg(i));
            for (int row = 0; list && row < list->count(); ++row)
                names.append(list->item(row)->text());
            return names;
        };
        QCOMPARE(pool(2), QStringList{called});

        // 王五 dragged to group 3: uploaded, or kept as dragged while the change leaves the
        // server's grouping as it was.
        const bool dragged = change == "groups" || change == "score";
        if (dragged) {
            auto *first = form()->findChild<QListWidget *>(QStringLiteral("List_group_0"));
            std::unique_ptr<QListWidgetItem> wang(first->takeItem(2));
            form()->findChild<QListWidget *>(QStringLiteral("List_group_3"))->addItem(wang->text());
        }
        if (change == "groups") {
            form()->findChild<GroupListsPanel *>()->uploadGroups();
            QCOMPARE(m_prompter.last()->text, QStringLiteral("上传成功！"));
            // Choosing the class again shows the grouping just sent.
            QCOMPARE(m_app->context().session.records().findStudent("C1", QStringLiteral("王五"))->group, 3);
        } else {
            QTest::mouseClick(child<QPushButton>(form(), "btnManage"), Qt::LeftButton);
            const bool score = change == "score";
            QTest::mouseClick(child<QPushButton>(console(), buttonObjectName(score ? ConsolePageId::Score
                                                                                   : ConsolePageId::Student)),
                              Qt::LeftButton);
            choose(child<QComboBox>(console(), score ? "Combo1" : "Combo2"),
                   change == "other class" ? "C2" : "C1");
            if (score) {
                auto *scores = child<QListWidget>(console(), "List3");
                emit scores->itemDoubleClicked(scores->item(0));
                child<QLineEdit>(console(), "Text18")->setText(QStringLiteral("2"));
                QTest::mouseClick(child<QPushButton>(console(), "Command23"), Qt::LeftButton);
            } else {
                child<QPlainTextEdit>(console(), "Text1")->setPlainText(QStringLiteral("孙七"));
                QTest::mouseClick(child<QPushButton>(console(), "Command1"), Qt::LeftButton);
            }
            QCOMPARE(m_prompter.last()->title, QStringLiteral("成功"));
            QTest::mouseClick(child<QPushButton>(console(), "OKButton"), Qt::LeftButton);
        }

        QCOMPARE(classBox->currentText(), QStringLiteral("C1"));
        QCOMPARE(topicBox->currentText(), QStringLiteral("朗读"));
        QCOMPARE(pool(0), students);
        QCOMPARE(pool(2), QStringList{called});
        QStringList waiting = students;
        waiting.removeAll(called);
        QCOMPARE(pool(1), waiting);
        const auto *group3 = form()->findChild<QListWidget *>(QStringLiteral("List_group_3"));
        QCOMPARE(group3->count(), dragged ? 1 : 0);
    }
};

QTEST_MAIN(TestConsoleLifecycle)
#include "tst_ConsoleLifecycle.moc"
