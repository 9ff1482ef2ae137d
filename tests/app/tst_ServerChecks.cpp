#include "support/RawHttpPeer.h"

#include "app/ServerChecks.h"
#include "support/WindowRig.h"

#include <QTest>

using namespace corvanta;
using corvanta::test::FakePrompter;
using corvanta::test::RawHttpPeer;

namespace {

const qint64 kLocal = 1700000000;

// The checks on a fresh window rig, with the clock at kLocal.
struct Rig : corvanta::test::WindowRig
{
    Rig(const QString &serverBase, const QString &vendorBase)
    {
        resetRig(serverBase, vendorBase);
        m_clock.when = QDateTime::fromSecsSinceEpoch(kLocal);
        checks = std::make_unique<ServerChecks>(context());
    }
    ~Rig()
    {
        checks.reset();
        dropRig();
    }
    FakePrompter &prompter = m_prompter;
    std::unique_ptr<ServerChecks> checks;
};

} // namespace

class TestServerChecks : public QObject
{
    Q_OBJECT

private slots:
    void clockRule_data()
    {
        const qint64 floor = DateTextToSeconds("2013-3-15");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("shown");
        QTest::newRow("301 s ahead") << QString::number(kLocal + 301) << true;
        QTest::newRow("301 s behind") << QString::number(kLocal - 301) << true;
        QTest::newRow("300 s ahead") << QString::number(kLocal + 300) << false;
        QTest::newRow("300 s behind") << QString::number(kLocal - 300) << false;
        QTest::newRow("equal") << QString::number(kLocal) << false;
        QTest::newRow("fraction past 300") << QString::number(kLocal + 300) + ".5" << true;
        QTest::newRow("blanks and line end") << " \t" + QString::number(kLocal + 1000) + "\r\n" << true;
        QTest::newRow("trailing text") << QString::number(kLocal + 1000) + "abc" << true;
        QTest::newRow("at the floor") << QString::number(floor) << false;
        QTest::newRow("just after the floor") << QString::number(floor + 1) << true;
        QTest::newRow("zero") << "0" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("html error page") << "<html>500</html>" << false;
        QTest::newRow("negative") << "-5000000" << false;
        QTest::newRow("overflowing") << "1E999" << false;
        QTest::newRow("beyond any date") << "1e20" << false;
    }
    void clockRule()
    {
        QFETCH(QString, reply);
        QFETCH(bool, shown);
        QCOMPARE(CheckServerClock(reply, QDateTime::fromSecsSinceEpoch(kLocal)).has_value(), shown);
    }

    void clockMessageText()
    {
        const auto message =
            CheckServerClock(QString::number(kLocal + 400), QDateTime::fromSecsSinceEpoch(kLocal));
        QVERIFY(message);
        QCOMPARE(*message, QStringLiteral("时间错误，请修改后确定！\r\n服务器时间:") +
                               LocalTimeText(kLocal + 400) + QStringLiteral("\r\n本电脑时间:") +
                               LocalTimeText(kLocal));
    }

    void versionReply_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("panel"); // empty: no text
        QTest::newRow("spaces around") << "Selvane:  2.7.1  " << QStringLiteral("服务器版本:2.7.1");
        QTest::newRow("line end") << "Selvane:2.7\r\n" << QStringLiteral("服务器版本:2.7");
        QTest::newRow("prefix only") << "Selvane:" << QStringLiteral("服务器版本:");
        QTest::newRow("other case") << "selvane:2.7"
                                    << "";
        QTest::newRow("blank before") << " Selvane:2.7"
                                      << "";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("html") << "<html>"
                              << "";
    }
    void versionReply()
    {
        QFETCH(QString, reply);
        QFETCH(QString, panel);
        const auto text = versionPanelText(reply);
        QCOMPARE(text.value_or(QString()), panel);
        QCOMPARE(text.has_value(), !panel.isEmpty());
    }

    // The vendor site lies outside the system: a fixed peer stands for it here; with no
    // clock page reachable the clock check stays silent.
    void firstTickRunsOnce_data()
    {
        QTest::addColumn<QByteArray>("vendorReply");
        QTest::addColumn<QStringList>("panelTexts");
        const QString checking = QStringLiteral("正在检测服务器版本");
        QTest::newRow("blank before prefix")
            << RawHttpPeer::reply(200, " Selvane: 3.0 ") << QStringList{checking};
        QTest::newRow("with prefix") << RawHttpPeer::reply(200, "Selvane: 3.0 ")
                                     << QStringList{checking, QStringLiteral("服务器版本:3.0")};
        QTest::newRow("error page") << RawHttpPeer::reply(500, "Selvane:9") << QStringList{checking};
        QTest::newRow("no vendor") << QByteArray() << QStringList{checking};
    }
    void firstTickRunsOnce()
    {
        QFETCH(QByteArray, vendorReply);
        QFETCH(QStringList, panelTexts);
        RawHttpPeer vendor;
        QVERIFY(vendor.listen());
        vendor.response = vendorReply;
        Rig rig(RawHttpPeer::closedBase(), vendorReply.isEmpty() ? RawHttpPeer::closedBase() : vendor.base());

        QStringList texts;
        auto setPanel2 = [&texts](const QString &t) { texts.append(t); };
        rig.checks->runFirstTick(nullptr, setPanel2);
        rig.checks->runFirstTick(nullptr, setPanel2);
        QCOMPARE(texts, panelTexts);
        QVERIFY(rig.prompter.shown.isEmpty());
        QCOMPARE(vendor.requests.size(), vendorReply.isEmpty() ? 0 : 1);
    }

    void panelDoubleClicks_data()
    {
        QTest::addColumn<int>("panel");
        QTest::addColumn<QString>("opened"); // empty: nothing
        QTest::newRow("panel 1") << 1 << "";
        QTest::newRow("panel 2") << 2 << "http://v.example:81/soft/update.php?sort=Selvane";
        QTest::newRow("panel 3") << 3 << "";
        QTest::newRow("panel 4") << 4 << "";
        QTest::newRow("panel 5") << 5 << "http://v.example:81";
    }
    void panelDoubleClicks()
    {
        QFETCH(int, panel);
        QFETCH(QString, opened);
        Rig rig(RawHttpPeer::closedBase(), "http://v.example:81");
        QCOMPARE(rig.checks->panelDoubleClicked(panel), !opened.isEmpty());
        QCOMPARE(rig.prompter.openedUrls.size(), opened.isEmpty() ? 0 : 1);
        if (!opened.isEmpty())
            QCOMPARE(QString::fromLatin1(rig.prompter.openedUrls[0].toEncoded()), opened);
    }
};

QTEST_MAIN(TestServerChecks)
#include "tst_ServerChecks.moc"
