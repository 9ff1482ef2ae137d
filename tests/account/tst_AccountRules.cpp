#include "account/AccountRules.h"
#include "net/AccountRequests.h"

#include <QTest>

using namespace corvanta;
using namespace corvanta::account_rules;

// The rules the registration and reset windows apply before anything is sent, and the
// requests they send.
class TestAccountRules : public QObject
{
    Q_OBJECT

private slots:
    void nameRule_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("asks");
        QTest::newRow("empty") << "" << kNameHint << false;
        QTest::newRow("two letters") << "ab" << kNameHint << false;
        QTest::newRow("three") << "ab_" << kNameHint << false;
        QTest::newRow("four letters") << "abcd" << kChecking << true;
        QTest::newRow("upper case") << "AbCD" << kChecking << true;
        QTest::newRow("digits and underscore") << "t_01" << kChecking << true;
        QTest::newRow("hyphen") << "ab-cd" << kBadCharacters << false;
        QTest::newRow("short with hyphen") << "a-" << kBadCharacters << false;
        QTest::newRow("blank inside") << "ab cd" << kBadCharacters << false;
        QTest::newRow("leading blank") << " abcd" << kBadCharacters << false;
        QTest::newRow("dot") << "ab.cd" << kBadCharacters << false;
        QTest::newRow("chinese") << QStringLiteral("张三老师") << kBadCharacters << false;
        QTest::newRow("accented letter") << QStringLiteral("abcé") << kBadCharacters << false;
        QTest::newRow("full-width letter") << QStringLiteral("ａbcd") << kBadCharacters << false;
        QTest::newRow("line break at end") << "abcd\n" << kBadCharacters << false;
    }
    void nameRule()
    {
        QFETCH(QString, typed);
        QFETCH(QString, status);
        QFETCH(bool, asks);
        const NameCheckStart start = startNameCheck(typed);
        QCOMPARE(start.status, status);
        QCOMPARE(start.askServer, asks);
    }

    void emailRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("plain") << "teacher@example.org" << true;
        QTest::newRow("dotted domain") << "li.ming@mail.school.edu.cn" << true;
        QTest::newRow("plus and hyphen") << "a+b-c@my-host.example.com" << true;
        QTest::newRow("underscore") << "a_b@c_d.ef" << true;
        QTest::newRow("domain without dot") << "teacher@localhost" << false;
        QTest::newRow("leading blank") << " teacher@example.org" << false;
        QTest::newRow("trailing blank") << "teacher@example.org " << false;
        QTest::newRow("line break at end") << "teacher@example.org\n" << false;
        QTest::newRow("no at") << "teacher.example.org" << false;
        QTest::newRow("two ats") << "a@b@example.org" << false;
        QTest::newRow("double dot") << "a..b@example.org" << false;
        QTest::newRow("dot at end") << "a@example.org." << false;
        QTest::newRow("empty local part") << "@example.org" << false;
        QTest::newRow("chinese") << QStringLiteral("老师@example.org") << false;
        QTest::newRow("empty") << "" << false;
    }
    void emailRule()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(account_pages::isEmailAddress(text), valid);
    }

    // The five checks in their order: the first that fails is the one reported.
    void registrationChecks_data()
    {
        QTest::addColumn<QString>("teacher");
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("focus");
        const int name = int(RegistrationBox::TeacherName), mail = int(RegistrationBox::Email),
                  login = int(RegistrationBox::LoginPassword), oper = int(RegistrationBox::OperationPassword);
        QTest::newRow("no teacher name") << "  "
                                         << ""
                                         << ""
                                         << "" << QStringLiteral("请输入教师姓名！") << name;
        // The wire is GBK: a name without a GBK form would be stored with "?".
        QTest::newRow("teacher name without GBK form")
            << QStringLiteral("李䶮") << "a@b.cn"
            << "x"
            << "x"
            << QStringLiteral("“李䶮”中的字“䶮”无法发送到服务器（服务器只收GBK字符），请改用其他写法！")
            << name;
        QTest::newRow("teacher name too long")
            << QString(51, u'王') << "a@b.cn"
            << "x"
            << "x" << QStringLiteral("“王王王王王王王王王王王王王王王王王王王王…”超过50个字，请缩短后再试！")
            << name;
        QTest::newRow("no email") << "王老师"
                                  << ""
                                  << ""
                                  << "" << QStringLiteral("请输入Email地址！") << mail;
        QTest::newRow("blank email is not empty") << "王老师"
                                                  << " "
                                                  << ""
                                                  << "" << QStringLiteral("Email地址不正确！") << mail;
        QTest::newRow("bad email") << "王老师"
                                   << "a@b"
                                   << ""
                                   << "" << QStringLiteral("Email地址不正确！") << mail;
        QTest::newRow("no login password") << "王老师"
                                           << "a@b.cn"
                                           << " "
                                           << "x" << QStringLiteral("请输入登录密码！") << login;
        QTest::newRow("no operation password") << "王老师"
                                               << "a@b.cn"
                                               << "x"
                                               << "  " << QStringLiteral("请输入操作密码！") << oper;
        QTest::newRow("all there") << "王老师"
                                   << "a@b.cn"
                                   << "x"
                                   << "y" << QString() << -1;
    }
    void registrationChecks()
    {
        QFETCH(QString, teacher);
        QFETCH(QString, email);
        QFETCH(QString, login);
        QFETCH(QString, operation);
        QFETCH(QString, message);
        QFETCH(int, focus);
        const auto problem = registrationProblem(teacher, email, login, operation);
        QCOMPARE(problem.has_value(), !message.isEmpty());
        if (problem) {
            QCOMPARE(problem->message, message);
            QCOMPARE(int(problem->focus), focus);
        }
    }

    void resetButtons_data()
    {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("newLogin");
        QTest::addColumn<QString>("login");
        QTest::addColumn<bool>("newOperation");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("sendCode");
        QTest::addColumn<bool>("reset");
        QTest::newRow("nothing") << ""
                                 << ""
                                 << "" << false << "" << false << "" << false << false;
        QTest::newRow("account only") << "t01"
                                      << ""
                                      << "" << false << "" << false << "" << false << false;
        QTest::newRow("blank email") << "t01"
                                     << "  "
                                     << "" << false << "" << false << "" << false << false;
        QTest::newRow("account and email") << "t01"
                                           << "a@b.cn"
                                           << "" << false << "" << false << "" << true << false;
        QTest::newRow("blanks around account") << " t01 "
                                               << "a@b.cn"
                                               << "123456" << true << "x" << false << "" << true << true;
        QTest::newRow("neither box ticked") << "t01"
                                            << "a@b.cn"
                                            << "123456" << false << "x" << false << "y" << true << false;
        QTest::newRow("login ticked, empty") << "t01"
                                             << "a@b.cn"
                                             << "123456" << true << "" << false << "" << true << false;
        QTest::newRow("login ticked, blank") << "t01"
                                             << "a@b.cn"
                                             << "123456" << true << "  " << false << "" << true << false;
        QTest::newRow("login ticked, one character")
            << "t01"
            << "a@b.cn"
            << "123456" << true << "x" << false << "" << true << true;
        QTest::newRow("operation only") << "t01"
                                        << ""
                                        << "123456" << false << "" << true << "y" << false << true;
        QTest::newRow("both, operation empty") << "t01"
                                               << "a@b.cn"
                                               << "123456" << true << "x" << true << "" << true << false;
        QTest::newRow("both filled") << "t01"
                                     << "a@b.cn"
                                     << "123456" << true << "x" << true << "y" << true << true;
        QTest::newRow("blank code") << "t01"
                                    << "a@b.cn"
                                    << "  " << true << "x" << true << "y" << true << false;
        QTest::newRow("no account") << ""
                                    << "a@b.cn"
                                    << "123456" << true << "x" << true << "y" << false << false;
    }
    void resetButtons()
    {
        QFETCH(QString, account);
        QFETCH(QString, email);
        QFETCH(QString, code);
        QFETCH(bool, newLogin);
        QFETCH(QString, login);
        QFETCH(bool, newOperation);
        QFETCH(QString, operation);
        QFETCH(bool, sendCode);
        QFETCH(bool, reset);
        const ResetButtons state =
            account_rules::resetButtons({account, email, code, newLogin, login, newOperation, operation});
        QCOMPARE(state.sendCode, sendCode);
        QCOMPARE(state.reset, reset);
    }

    // Optional fields left empty still stand in the body, empty, at its end.
    void registrationBody()
    {
        const PageCall call = account_pages::regTeacher({.username = " Teach01 ",
                                                         .teacherName = QStringLiteral(" 王老师 "),
                                                         .loginPassword = " log in ",
                                                         .operationPassword = "op&x",
                                                         .email = "a@b.cn ",
                                                         .mobile = {},
                                                         .phone = {},
                                                         .qq = {}});
        QCOMPARE(call.method, PageMethod::Post);
        QCOMPARE(call.path, QStringLiteral("/score/regteacher.php"));
        QCOMPARE(call.fields.encoded(),
                 QByteArray("username=Teach01&teachername=%CD%F5%C0%CF%CA%A6&password=log in"
                            "&superpassword=op%26x&email=a@b.cn&mb=&tel=&qq="));
    }

    void nameCheckAddress()
    {
        const PageCall call = account_pages::checkUsername("AbCd");
        QCOMPARE(call.method, PageMethod::Get);
        QCOMPARE(call.path, QStringLiteral("/score/checkusername.php"));
        QCOMPARE(call.fields.encoded(), QByteArray("u=AbCd"));
    }

    // The check code is asked with the values as typed; the passwords go in a body only.
    void resetRequests()
    {
        const PageCall code = account_pages::getPswdCode(" t01 ", "a@b.cn");
        QCOMPARE(code.method, PageMethod::Get);
        QCOMPARE(code.path, QStringLiteral("/score/getpswdcode.php"));
        QCOMPARE(code.fields.encoded(), QByteArray("username= t01 &email=a@b.cn"));
        const PageCall reset = account_pages::setPassword(" t01 ", " 123456 ", QString(), " neu ");
        QCOMPARE(reset.method, PageMethod::Post);
        QCOMPARE(reset.path, QStringLiteral("/score/setpassword.php"));
        QCOMPARE(reset.fields.encoded(),
                 QByteArray("username= t01 &checkcode=123456&newpswd=&newsuperpswd=neu"));
    }
};

QTEST_GUILESS_MAIN(TestAccountRules)
#include "tst_AccountRules.moc"
