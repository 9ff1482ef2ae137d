// Sending the grouping from the group lists: to the real score server, and the bytes it gets.
#include "GroupListsRig.h"
#include "support/RawHttpPeer.h"
#include "support/ServerProcess.h"

#include "net/RecordCache.h"
#include "net/RecordFile.h"
#include "net/Wire.h"

#include <QTimer>

using namespace corvanta;
using namespace corvanta::test;

namespace {

const QString kAccount = QStringLiteral("teacher01");
const QString kLoginPassword = QStringLiteral("login");
const QString kOperation = QStringLiteral("oper");
const QString kClass = QStringLiteral("一班");
const QStringList kStudents = {"张三", "李四", "王五", "赵六", "欧阳修"};

} // namespace

class TestGroupUpload : public QObject, private GroupListsRig
{
    Q_OBJECT

    std::unique_ptr<ServerProcess> m_server;

    // Every student of the class with the group the record file gives.
    QMap<QString, int> recordedGroups()
    {
        RecordFile records(m_config.recordFile());
        QMap<QString, int> groups;
        for (const StudentRecord &s : records.students(kClass))
            groups.insert(s.name, s.group);
        return groups;
    }

    // Regroups by two drags: 欧阳修 from group 0 to group 15, 李四 from group 0 to group 2.
    void regroup()
    {
        dragName(0, 2, 15, -1);
        dragName(0, 1, 2, 0);
        QCOMPARE(names(list(0)), QStringList({"张三"}));
        QCOMPARE(names(list(2)), QStringList({"李四", "王五", "赵六"}));
        QCOMPARE(names(list(15)), QStringList({"欧阳修"}));
    }

    void upload(const QString &password)
    {
        passwordBox()->setText(password);
        QTest::mouseClick(uploadButton(), Qt::LeftButton);
    }

    void openOnServer()
    {
        std::array<QStringList, GroupCount> groups;
        groups[0] = QStringList{"张三", "李四", "欧阳修"};
        groups[2] = QStringList{"王五", "赵六"};
        openLists(kClass, groups);
    }

private slots:
    void init()
    {
        m_server = std::make_unique<ServerProcess>();
        QVERIFY2(m_server->start(), qPrintable(m_server->errorText()));
        QVERIFY(m_server->registerTeacher(kAccount, kLoginPassword, kOperation));
        QVERIFY(m_server->setClasses(kAccount, kOperation, {kClass, "二班"}));
        QVERIFY(m_server->setStudents(kAccount, kOperation, kClass, kStudents));
        resetRig(m_server->baseUrl());
        m_login.LoginUser = kAccount;
        m_login.LoginDigest = Md5Hex(kLoginPassword);
        openOnServer();
    }
    void cleanup()
    {
        closeLists();
        m_server.reset();
    }

    void acceptedGroupingReachesTheRecordFile()
    {
        regroup();
        upload(kOperation);
        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.shown[0].title, "完成");
        QCOMPARE(m_prompter.shown[0].text, "上传成功！");
        QCOMPARE(m_prompter.shown[0].icon, PromptIcon::Information);
        QVERIFY(uploadButton()->isEnabled());
        QCOMPARE(names(list(0)), QStringList({"张三"}));
        // The record file follows at once: choosing the class again shows the new grouping.
        QCOMPARE(recordedGroups().value("欧阳修"), 15);

        // A new login downloads the class record file afresh.
        const Result refreshed = RefreshRecordCache(*m_link, m_config, m_login);
        QVERIFY2(bool(refreshed), qPrintable(refreshed.error()));
        const QMap<QString, int> expected{{"张三", 0}, {"李四", 2}, {"王五", 2}, {"赵六", 2}, {"欧阳修", 15}};
        QCOMPARE(recordedGroups(), expected);
    }

    void refusalsAndFailuresKeepTheLists_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("stopServer");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text"); // the whole text, or its end after "…"
        QTest::newRow("no password") << "" << false << "提示"
                                     << "请输入操作密码！";
        QTest::newRow("wrong password") << "wrong" << false << "错误"
                                        << "…\r\n上传错误！";
        QTest::newRow("server gone") << kOperation << true << "错误"
                                     << "网络异常！请检查网络，然后重新上传！";
    }
    void refusalsAndFailuresKeepTheLists()
    {
        QFETCH(QString, password);
        QFETCH(bool, stopServer);
        QFETCH(QString, title);
        QFETCH(QString, text);
        regroup();
        if (stopServer)
            m_server->stop();
        upload(password);

        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.shown[0].title, title);
        QCOMPARE(m_prompter.shown[0].icon, PromptIcon::Warning);
        if (text.startsWith(u'…')) {
            QVERIFY2(m_prompter.shown[0].text.endsWith(text.mid(1)), qPrintable(m_prompter.shown[0].text));
            QVERIFY(m_prompter.shown[0].text.size() > text.size()); // the server's reason first
        } else {
            QCOMPARE(m_prompter.shown[0].text, text);
        }
        // The new grouping stays for another try.
        QCOMPARE(names(list(2)), QStringList({"李四", "王五", "赵六"}));
        QVERIFY(uploadButton()->isEnabled());
        if (stopServer)
            return;
        const Result refreshed = RefreshRecordCache(*m_link, m_config, m_login);
        QVERIFY(bool(refreshed));
        QCOMPARE(recordedGroups().value("李四"), 0);
    }

    // What goes on the wire, caught by a plain peer: all sixteen lists, empty ones too.
    void bodyCarriesAllSixteenGroups()
    {
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.response = RawHttpPeer::reply(200, "Success!");
        closeLists();
        resetRig(peer.base());
        m_login.LoginUser = kAccount;
        std::array<QStringList, GroupCount> groups;
        groups[0] = QStringList{"张三", "李四"};
        groups[2] = QStringList{"王五"};
        openLists(kClass, groups);
        dragName(0, 1, 0, 0);
        upload("p&w");

        // The grouping, then the record file downloaded again.
        QCOMPARE(peer.requests.size(), 2);
        QCOMPARE(RawHttpPeer::requestLine(peer.requests[0]), "POST /score/group.php HTTP/1.1");
        QVERIFY(RawHttpPeer::requestLine(peer.requests[1]).startsWith("GET /score/record.php?"));
        const QByteArray body = RawHttpPeer::body(peer.requests[0]);
        QCOMPARE(body.count("&group["), 16);
        QByteArray expected = "class=" + UrlEncode(kClass).toLatin1() + "&username=teacher01&password=p%26w" +
                              "&group[0]=" + UrlEncode("李四|张三").toLatin1() +
                              "&group[1]=" + "&group[2]=" + UrlEncode("王五").toLatin1();
        for (int g = 3; g < GroupCount; ++g)
            expected += "&group[" + QByteArray::number(g) + "]=";
        QCOMPARE(body, expected);
        // This peer's "record file" is none: the teacher hears that the new grouping shows later.
        QVERIFY(m_prompter.last()->text.startsWith("上传成功！\r\n但班级数据没有下载成功"));
        QCOMPARE(m_prompter.last()->icon, PromptIcon::Warning);
    }

    // While the reply is awaited nothing else can be done with the lists.
    void noSecondActionWhileWaiting()
    {
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.silent = true;
        closeLists();
        resetRig(peer.base());
        m_link->setTimeoutMs(1500);
        m_login.LoginUser = kAccount;
        openOnServer();
        dragName(0, 0, 1, -1);
        bool checked = false;
        QTimer::singleShot(300, this, [&] {
            QVERIFY(!uploadButton()->isEnabled());
            QVERIFY(!list(0)->isEnabled());
            m_lists->uploadGroups();                     // a second upload
            dropOn(0, pointOf(0, 0), *nameData("张三")); // a drop
            checked = true;
        });
        upload(kOperation);
        QVERIFY(checked);
        QCOMPARE(peer.requests.size(), 1);
        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.shown[0].text, "网络异常！请检查网络，然后重新上传！");
        QCOMPARE(names(list(1)), QStringList({"张三"}));
        QVERIFY(uploadButton()->isEnabled());
        QVERIFY(list(0)->isEnabled());
    }
};

QTEST_MAIN(TestGroupUpload)
#include "tst_GroupUpload.moc"
