#include "console/ConsoleSteps.h"
#include "core/TextCodec.h"
#include "net/ConsoleRequests.h"
#include "net/OutgoingText.h"

#include <QTest>

Q_DECLARE_METATYPE(corvanta::PageCall)

using namespace corvanta;
using namespace corvanta::console;

// The console's shared steps and its page requests, without a window.
class TestConsoleSteps : public QObject
{
    Q_OBJECT

    static LoginState login(const QString &user, const QString &digest = {})
    {
        LoginState state;
        state.LoginUser = user;
        state.LoginDigest = digest;
        return state;
    }

private slots:
    void writeAccess_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("online with password") << "t01"
                                              << "op"
                                              << "";
        QTest::newRow("online, no password") << "t01"
                                             << "" << QStringLiteral("请在右侧输入操作密码！");
        QTest::newRow("offline with password")
            << QStringLiteral("离线用户") << "op" << QStringLiteral("登录后才能进行此操作！");
        QTest::newRow("nobody") << ""
                                << "op" << QStringLiteral("登录后才能进行此操作！");
        QTest::newRow("nobody, no password") << ""
                                             << "" << QStringLiteral("登录后才能进行此操作！");
    }
    void writeAccess()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, refusal);
        const Result result = CheckWriteAccess(login(user), password);
        QCOMPARE(result.ok(), refusal.isEmpty());
        QCOMPARE(result.error(), refusal);
    }

    void addLines_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<int>("added");
        QTest::addColumn<int>("present");
        QTest::newRow("name, blank, spaced name, repeat")
            << QStringList() << QStringLiteral("张三\r\n\r\n李 四\r\n张三") << QStringList{"张三", "李四"}
            << 2 << 1;
        QTest::newRow("spaced name already stored")
            << QStringList{"王五"} << QStringLiteral("王 五") << QStringList{"王五"} << 0 << 1;
        QTest::newRow("LF line ends")
            << QStringList() << QStringLiteral("甲\n乙\n") << QStringList{"甲", "乙"} << 2 << 0;
        QTest::newRow("only blank lines")
            << QStringList{"A"} << QStringLiteral("\r\n  \r\n") << QStringList{"A"} << 0 << 0;
        QTest::newRow("case matters")
            << QStringList{"a"} << QStringLiteral("A") << QStringList{"a", "A"} << 1 << 0;
        QTest::newRow("text after the last break")
            << QStringList() << QStringLiteral("x\r\ny") << QStringList{"x", "y"} << 2 << 0;
    }
    void addLines()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, typed);
        QFETCH(QStringList, after);
        QFETCH(int, added);
        QFETCH(int, present);
        QStringList items = before;
        const AddCounts counts = AddLinesToList(typed, items);
        QCOMPARE(items, after);
        QCOMPARE(counts.added, added);
        QCOMPARE(counts.present, present);
    }

    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("plain") << QStringLiteral("三年级1班") << true;
        QTest::newRow("bar") << "A|B" << false;
        QTest::newRow("tab") << "A\tB" << false;
        QTest::newRow("cr") << "A\rB" << false;
        QTest::newRow("lf") << "A\nB" << false;
    }
    void names()
    {
        QFETCH(QString, name);
        QFETCH(bool, allowed);
        const Result result = checkNames({QStringLiteral("ok"), name});
        QCOMPARE(result.ok(), allowed);
        if (!allowed)
            QVERIFY(result.error().startsWith(QStringLiteral("名称中不能含有")));
    }

    // The one check before any name or text leaves: its limit and a GBK form for every
    // character (a pair of surrogates is one character).
    void outgoingText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("refusal"); // empty: allowed
        const int name = int(outgoing::TextKind::Name), scale = int(outgoing::TextKind::ScaleText),
                  note = int(outgoing::TextKind::Note);
        QTest::newRow("plain name") << QStringLiteral("张三") << name << "";
        QTest::newRow("empty") << "" << name << "";
        QTest::newRow("50 characters") << QString(50, u'王') << name << "";
        QTest::newRow("51 characters") << QString(51, u'a') << name
                                       << QStringLiteral("“aaaaaaaaaaaaaaaaaaaa…”超过50个字，请缩短后再试！");
        QTest::newRow("scale text of 200") << QString(200, u'好') << scale << "";
        QTest::newRow("scale text of 201")
            << QString(201, u'b') << scale
            << QStringLiteral("“bbbbbbbbbbbbbbbbbbbb…”超过200个字，请缩短后再试！");
        QTest::newRow("note of 1000") << QString(1000, u'c') << note << "";
        QTest::newRow("note of 1001")
            << QString(1001, u'c') << note
            << QStringLiteral("“cccccccccccccccccccc…”超过1000个字，请缩短后再试！");
        QTest::newRow("no GBK form")
            << QStringLiteral("李䶮") << name
            << QStringLiteral("“李䶮”中的字“䶮”无法发送到服务器（服务器只收GBK字符），请改用其他写法！");
        QTest::newRow("outside the BMP")
            << QStringLiteral("王𠀀") << name
            << QStringLiteral("“王𠀀”中的字“𠀀”无法发送到服务器（服务器只收GBK字符），请改用其他写法！");
        QTest::newRow("emoji in a note")
            << QStringLiteral("很好😀") << note
            << QStringLiteral("“很好😀”中的字“😀”无法发送到服务器（服务器只收GBK字符），请改用其他写法！");
        QTest::newRow("GBK punctuation and ·") << QStringLiteral("阿依·买买提（一）") << name << "";
    }
    void outgoingText()
    {
        QFETCH(QString, text);
        QFETCH(int, kind);
        QFETCH(QString, refusal);
        const Result checked = outgoing::checkText(text, outgoing::TextKind(kind));
        QCOMPARE(checked.ok(), refusal.isEmpty());
        QCOMPARE(checked.error(), refusal);
        // The console's name check says the same.
        QCOMPARE(checkNames({QStringLiteral("好"), text}, outgoing::TextKind(kind)).error(), refusal);
    }

    // A reading page's reply that is a message, not lines; and which messages are a refused login.
    void listReplies_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("message"); // null: a list
        QTest::addColumn<bool>("loginRefused");
        QTest::newRow("scores") << "31	张三	5	2026-03-01 08:00:00	课堂提问	\r\n"
                                << QString() << false;
        QTest::newRow("empty list") << "" << QString() << false;
        QTest::newRow("wrong login") << "用户名或密码错误！"
                                     << "用户名或密码错误！" << true;
        QTest::newRow("locked out") << "密码错误次数过多，帐号已锁定10分钟，请稍后再试！\r\n"
                                    << "密码错误次数过多，帐号已锁定10分钟，请稍后再试！" << true;
        QTest::newRow("text after lines") << "1	a	2\r\n数据库错误"
                                          << "1	a	2\r\n数据库错误" << false;
    }
    void listReplies()
    {
        QFETCH(QString, reply);
        QFETCH(QString, message);
        QFETCH(bool, loginRefused);
        const std::optional<QString> read = console_pages::listReplyMessage(reply);
        QCOMPARE(read.has_value(), !message.isNull());
        if (read)
            QCOMPARE(*read, message);
        QCOMPARE(console_pages::isLoginRefusal(reply), loginRefused);
    }

    void removeSelected_data()
    {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QString>("pending");
        const QList<int> none;
        QTest::newRow("upper 12, lower 17") << QList<int>{0, 2} << QStringList{"15\tb\t2"} << "|17|12";
        QTest::newRow("nothing") << none << QStringList{"12\ta\t1", "15\tb\t2", "17\tc\t3"} << "";
        QTest::newRow("all, unordered, twice") << QList<int>{2, 0, 1, 2} << QStringList() << "|17|15|12";
        QTest::newRow("out of range ignored")
            << QList<int>{5, -1, 1} << QStringList{"12\ta\t1", "17\tc\t3"} << "|15";
    }
    void removeSelected()
    {
        QFETCH(QList<int>, rows);
        QFETCH(QStringList, left);
        QFETCH(QString, pending);
        QStringList items{"12\ta\t1", "15\tb\t2", "17\tc\t3"};
        QString sent;
        QCOMPARE(RemoveSelectedLines(items, rows, &sent), 3 - int(left.size()));
        QCOMPARE(items, left);
        QCOMPARE(sent, pending);
    }

    void listSaveBodies_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("classes") << int(ListKind::Classes) << QStringList{"A", "B"} << "/score/setclass.php"
                                 << QByteArray("username=t01&password=op&class=A|B");
        QTest::newRow("empty class list") << int(ListKind::Classes) << QStringList() << "/score/setclass.php"
                                          << QByteArray("username=t01&password=op&class=");
        QTest::newRow("students of a class")
            << int(ListKind::Students) << QStringList{"x"} << "/score/student.php"
            << QByteArray("username=t01&password=op&class=C1&student=x");
        QTest::newRow("empty student list")
            << int(ListKind::Students) << QStringList() << "/score/student.php"
            << QByteArray("username=t01&password=op&class=C1&student=");
        QTest::newRow("topics") << int(ListKind::Topics) << QStringList{QStringLiteral("班")}
                                << "/score/setketi.php" << QByteArray("username=t01&password=op&keti=%B0%E0");
    }
    void listSaveBodies()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, items);
        QFETCH(QString, path);
        QFETCH(QByteArray, body);
        const PageCall call = SaveListToServer(ListKind(kind), login("t01"), "op", items, "C1");
        QCOMPARE(call.method, PageMethod::Post);
        QCOMPARE(call.path, path);
        QCOMPARE(call.fields.encoded(), body);
    }

    void pageBodies_data()
    {
        QTest::addColumn<PageCall>("call");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("fields");
        using namespace console_pages;
        QTest::newRow("delete scales, lower first")
            << delScale("t01", "op", "K", "|17|12") << "/score/delscale.php"
            << QByteArray("username=t01&password=op&keti=K&delid=|17|12");
        QTest::newRow("delete scores, nothing pending")
            << delScore("t01", "op", "C1", "") << "/score/delscore.php"
            << QByteArray("username=t01&password=op&class=C1&delid=");
        QTest::newRow("new scale, row 0 only")
            << newScale("t01", "op", "K", {"good", "", "", "", ""}, {"4", "", "", "", ""})
            << "/score/newscale.php"
            << QByteArray("username=t01&password=op&keti=K&newscale=good%09%09%09%09&newscore=4%09%09%09%09");
        QTest::newRow("edit scale")
            << editScale("t01", "op", QStringLiteral("班级"), "7", "ok", 2.5) << "/score/editscale.php"
            << QByteArray("username=t01&password=op&class=%B0%E0%BC%B6&scaleid=7&scale=ok&score=2.5");
        QTest::newRow("edit score")
            << editScore("t01", "op", "C1", {"31", 4.5, 10, "K", "n"}) << "/score/editscore.php"
            << QByteArray("username=t01&password=op&class=C1&scoreid=31&score=4.5&time=10&keti=K"
                          "&addtion=n");
        QTest::newRow("settings") << setTeacher("t01", "a@b.cn", "op", "", "new") << "/score/setteacher.php"
                                  << QByteArray(
                                         "username=t01&email=a@b.cn&oldsuperpassword=op&newlogpassword="
                                         "&newsuperpassword=new");
        QTest::newRow("rename student")
            << renameStudent("t01", "op", "a", "b", "C1") << "/score/renamestudent.php"
            << QByteArray("username=t01&password=op&oldstuname=a&newstuname=b&class=C1");
        QTest::newRow("scales of a topic")
            << getScale("K", "t01", "d") << "/score/getscale.php" << QByteArray("keti=K&t=t01&mp=d");
        QTest::newRow("scores of a class")
            << getScore("C1", "t01", "d") << "/score/getscore.php" << QByteArray("class=C1&t=t01&mp=d");
    }
    void pageBodies()
    {
        QFETCH(PageCall, call);
        QFETCH(QString, path);
        QFETCH(QByteArray, fields);
        QCOMPARE(call.path, path);
        QCOMPARE(call.fields.encoded(), fields);
    }

    void teacherReply_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("read");
        QTest::newRow("three lines") << QStringLiteral("王老师\r\nt01\r\na@b.cn") << true;
        QTest::newRow("trailing break") << QStringLiteral("王老师\r\nt01\r\na@b.cn\r\n") << false;
        QTest::newRow("error text") << QStringLiteral("密码错误") << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("LF only") << QStringLiteral("a\nb\nc") << false;
    }
    void teacherReply()
    {
        QFETCH(QString, reply);
        QFETCH(bool, read);
        const auto info = console_pages::readTeacher(reply);
        QCOMPARE(info.has_value(), read);
        if (read) {
            QCOMPARE(info->name, QStringLiteral("王老师"));
            QCOMPARE(info->account, QStringLiteral("t01"));
            QCOMPARE(info->email, QStringLiteral("a@b.cn"));
        }
    }

    void listReply_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("trailing CR LF adds nothing") << "1\ta\t5\r\n2\tb\t3\r\n"
                                                     << QStringList{"1\ta\t5", "2\tb\t3"};
        QTest::newRow("empty") << "" << QStringList();
        QTest::newRow("blank lines") << "\r\n\r\nx\r\n" << QStringList{"x"};
        QTest::newRow("LF only") << "x\ny" << QStringList{"x", "y"};
    }
    void listReply()
    {
        QFETCH(QString, reply);
        QFETCH(QStringList, lines);
        QCOMPARE(console_pages::readLines(reply), lines);
    }

    void lineFields()
    {
        QCOMPARE(console_pages::lineField("1\ta", 1), QStringLiteral("a"));
        QCOMPARE(console_pages::lineField("1\ta", 2), QString());
        QCOMPARE(console_pages::lineField("", 0), QString());
    }

    void replies_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("statusText");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("icon");
        const int list = int(ReplyKind::ListSave), change = int(ReplyKind::Change),
                  settings = int(ReplyKind::Settings);
        const QString ok = QStringLiteral("成功"), err = QStringLiteral("错误"),
                      net = QStringLiteral("网络异常！");
        QTest::newRow("list save accepted") << 200 << "Success!" << list << QStringLiteral("操作成功！") << ok
                                            << QStringLiteral("操作成功！") << 64;
        QTest::newRow("list save refused")
            << 200 << "no" << list << "no" << err << QStringLiteral("no\r\n操作错误！") << 48;
        QTest::newRow("list save failed") << 0 << "" << list << net << err << net << 48;
        QTest::newRow("trailing break is refused")
            << 200 << "Success!\r\n"
            << change << QString() << err << QStringLiteral("Success!\r\n\r\n修改失败！") << 48;
        QTest::newRow("rename accepted keeps status")
            << 200 << "Success!" << change << QString() << ok << QStringLiteral("修改成功！") << 64;
        QTest::newRow("rename failed") << 500 << "boom" << change << net << err << net << 48;
        QTest::newRow("settings failed with text")
            << 500 << "boom" << settings << QString() << err << QStringLiteral("boom\r\n网络异常！") << 48;
        QTest::newRow("settings failed, no reply") << 0 << "" << settings << QString() << err << net << 48;
    }
    void replies()
    {
        QFETCH(int, status);
        QFETCH(QString, text);
        QFETCH(int, kind);
        QFETCH(QString, statusText);
        QFETCH(QString, title);
        QFETCH(QString, message);
        QFETCH(int, icon);
        const bool listSave = kind == int(ReplyKind::ListSave);
        const QString success = listSave || kind == int(ReplyKind::Settings) ? QStringLiteral("操作成功！")
                                                                             : QStringLiteral("修改成功！");
        const QString failure = listSave ? QStringLiteral("操作错误！")
                                         : (kind == int(ReplyKind::Change) ? QStringLiteral("修改失败！")
                                                                           : QStringLiteral("操作失败！"));
        const ReplyNotice notice = consoleReply({status, text, {}}, ReplyKind(kind), success, failure);
        QCOMPARE(notice.status, statusText);
        QCOMPARE(notice.status.isNull(), statusText.isNull());
        QCOMPARE(notice.title, title);
        QCOMPARE(notice.text, message);
        QCOMPARE(notice.icon, icon);
    }

    void newScaleRows_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("scores");
        QTest::addColumn<QStringList>("sentScores");
        QTest::addColumn<bool>("filled");
        QTest::newRow("letters become 0")
            << QStringList{"", "", "", "", ""} << QStringList{"", "", "abc", "", ""}
            << QStringList{"", "", "0", "", ""} << true;
        QTest::newRow("3 and more") << QStringList{"a", "", "", "", ""}
                                    << QStringList{"3分", " 2.5", "", "", ""}
                                    << QStringList{"3", "2.5", "", "", ""} << true;
        QTest::newRow("all blank") << QStringList{" ", "", "\t", "", ""} << QStringList{"", "", "", "", ""}
                                   << QStringList{"", "", "", "", ""} << false;
    }
    void newScaleRows()
    {
        QFETCH(QStringList, texts);
        QFETCH(QStringList, scores);
        QFETCH(QStringList, sentScores);
        QFETCH(bool, filled);
        const NewScaleRows rows = prepareNewScales(texts, scores);
        QCOMPARE(rows.scores, sentScores);
        QCOMPARE(rows.texts, texts);
        QCOMPARE(rows.anyFilled, filled);
    }
};

QTEST_GUILESS_MAIN(TestConsoleSteps)
#include "tst_ConsoleSteps.moc"
