#include "PanelRig.h"
#include "ScoringTestSupport.h"
#include "support/RawHttpPeer.h"

#include "net/ScoreRequests.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace corvanta;
using corvanta::test::FakePrompter;
using corvanta::test::fileBytes;
using corvanta::test::gbkLines;
using corvanta::test::writeBytes;

namespace {

const QString kFilter = QStringLiteral("Corvan成绩记录(*.cvr);;All Files(*.*)");
const QString kNetworkText = QStringLiteral("网络异常！建议保存数据，然后导入上传！");

QStringList fiveLines()
{
    QStringList lines;
    for (int i = 0; i < 5; ++i)
        lines.append(QStringLiteral("C1\t学生%1\t%2分\t2026-03-05 09:0%1:00\t").arg(i).arg(5 - i));
    lines[2] += QStringLiteral("表述清楚"); // one line from a standard
    return lines;
}

// A port on which nothing listens: a request there fails at once.
quint16 closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort(); // closed again when probe goes
}

} // namespace

class TestUploadPanel : public QObject, private corvanta::test::PanelRig
{
    Q_OBJECT
private slots:
    void init()
    {
        resetRig();
        QVERIFY(m_dir->isValid());
        linkTo(QStringLiteral("http://127.0.0.1:%1").arg(closedPort()));
    }
    void cleanup() { dropRig(); }

    void showsRestoredPendingLines()
    {
        QVERIFY(writeBytes(m_pending->filePath(), gbkLines(fiveLines())));
        QVERIFY(m_pending->load());
        makePanel();
        QCOMPARE(m_panel->objectName(), "Frame4");
        QCOMPARE(m_panel->title(), "上传到服务器");
        QCOMPARE(listTexts(), fiveLines());
        QVERIFY(m_panel->selectedRows().isEmpty());
        QVERIFY(panelChild<QListWidget>("List3")->isHidden());
        QCOMPARE(panelChild<QLineEdit>("Text4")->echoMode(), QLineEdit::Password);
    }

    void newScoresFollowTheStore()
    {
        makePanel();
        QVERIFY(m_pending->append(test::score(fiveLines()[0])));
        m_panel->addScoreLine(test::score(fiveLines()[1]));
        QCOMPARE(listTexts(), fiveLines().mid(0, 2));
        QCOMPARE(fileBytes(m_pending->filePath()), gbkLines(fiveLines().mid(0, 2)));
    }

    void openSelectsAllAndClickToggles()
    {
        makePanel(fiveLines());
        m_panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_panel.get()));
        m_panel->openPanel();
        QCOMPARE(m_panel->selectedRows(), (QList<int>{0, 1, 2, 3, 4}));
        clickLine(1);
        clickLine(3);
        QCOMPARE(m_panel->selectedRows(), (QList<int>{0, 2, 4}));
        clickLine(3);
        QCOMPARE(m_panel->selectedRows(), (QList<int>{0, 2, 3, 4}));
    }

    void sendButtonOnOpen_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("online with password") << "t01"
                                              << "pw" << true;
        QTest::newRow("online without password") << "t01"
                                                 << "" << false;
        QTest::newRow("offline user") << "离线用户"
                                      << "pw" << false;
        QTest::newRow("nobody logged in") << ""
                                          << "pw" << false;
    }
    void sendButtonOnOpen()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(bool, enabled);
        makePanel();
        m_login.LoginUser = user;
        panelChild<QLineEdit>("Text4")->setText(password);
        m_panel->openPanel();
        QCOMPARE(panelChild<QPushButton>("Command13")->isEnabled(), enabled);
    }

    void typingOnlyEverEnables()
    {
        makePanel();
        m_login.LoginUser = "t01";
        m_panel->openPanel();
        QVERIFY(!panelChild<QPushButton>("Command13")->isEnabled());
        QTest::keyClicks(panelChild<QLineEdit>("Text4"), "x");
        QVERIFY(panelChild<QPushButton>("Command13")->isEnabled());
        panelChild<QLineEdit>("Text4")->clear();
        QVERIFY(panelChild<QPushButton>("Command13")->isEnabled());
        m_panel->openPanel();
        QVERIFY(!panelChild<QPushButton>("Command13")->isEnabled());
    }

    void groupPasswordMirrors()
    {
        makePanel();
        m_login.LoginUser = "t01";
        m_panel->openPanel();
        m_session.setOperationPassword("secret"); // as typing in the group password box does
        QCOMPARE(panelChild<QLineEdit>("Text4")->text(), "secret");
        QVERIFY(panelChild<QPushButton>("Command13")->isEnabled());

        m_login.LoginUser = LoginState::offlineUser();
        m_panel->openPanel();
        m_session.setOperationPassword("other");
        QVERIFY(!panelChild<QPushButton>("Command13")->isEnabled());
    }

    void returnAsksToClose()
    {
        makePanel();
        QSignalSpy closing(m_panel.get(), &UploadPanel::closeRequested);
        QTest::mouseClick(panelChild<QPushButton>("Command12"), Qt::LeftButton);
        QCOMPARE(closing.size(), 1);
    }

    void sendWithNothingSelectedDoesNothing()
    {
        makePanel(fiveLines());
        readyToSend();
        panelChild<QListWidget>("List4")->clearSelection();
        QTest::mouseClick(panelChild<QPushButton>("Command13"), Qt::LeftButton);
        QVERIFY(m_prompter.shown.isEmpty());
        QCOMPARE(listTexts(), fiveLines());
    }

    // A topic or a score line the server could not keep as typed (no GBK form, too long)
    // is refused before anything is sent; the lines stay.
    void unsendableScoresAreRefused_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("problem");
        const QString plain = QStringLiteral("一班\t张三\t4分\t2026-03-05 09:07:02\t");
        QTest::newRow("topic") << QStringLiteral("课题䶮") << plain << QStringLiteral("䶮");
        QTest::newRow("student") << QStringLiteral("课题一")
                                 << QStringLiteral("一班\t李䶮\t4分\t2026-03-05 09:07:02\t")
                                 << QStringLiteral("䶮");
        QTest::newRow("standard") << QStringLiteral("课题一") << plain + QStringLiteral("很好😀")
                                  << QStringLiteral("😀");
        QTest::newRow("class too long")
            << QStringLiteral("课题一") << QString(51, u'班') + plain.mid(2) << QStringLiteral("超过50个字");
        QTest::newRow("no topic") << QString() << plain << QStringLiteral("课题不能为空！");
        QTest::newRow("blank topic") << QStringLiteral("  ") << plain << QStringLiteral("课题不能为空！");
    }
    void unsendableScoresAreRefused()
    {
        QFETCH(QString, topic);
        QFETCH(QString, line);
        QFETCH(QString, problem);
        makePanel({line});
        readyToSend();
        m_panel->setTopic(topic);
        QTest::mouseClick(panelChild<QPushButton>("Command13"), Qt::LeftButton);
        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.shown[0].title, "提示");
        QVERIFY2(m_prompter.shown[0].text.contains(problem), qPrintable(m_prompter.shown[0].text));
        QCOMPARE(listTexts(), QStringList{line});
    }

    void networkFailureOffersSave()
    {
        makePanel(fiveLines());
        readyToSend();
        selectOnly({1, 3});
        const QString path = m_dir->filePath("kept.cvr");
        m_prompter.fileNames = {path};
        QTest::mouseClick(panelChild<QPushButton>("Command13"), Qt::LeftButton);

        QCOMPARE(m_prompter.shown.size(), 3);
        QCOMPARE(m_prompter.shown[0].kind, "message");
        QCOMPARE(m_prompter.shown[0].title, "错误");
        QCOMPARE(m_prompter.shown[0].text, kNetworkText);
        QCOMPARE(m_prompter.shown[0].icon, PromptIcon::Warning);
        QCOMPARE(m_prompter.shown[1].kind, "save");
        QCOMPARE(m_prompter.shown[1].title, "另存数据文件");
        QCOMPARE(m_prompter.shown[2].title, "保存成功");
        QCOMPARE(fileBytes(path), gbkLines({fiveLines()[1], fiveLines()[3]}));
        QCOMPARE(listTexts(), (QStringList{fiveLines()[0], fiveLines()[2], fiveLines()[4]}));
        QCOMPARE(panelChild<QListWidget>("List3")->count(), 2);
    }

    void networkFailureThenCancelKeepsLines()
    {
        makePanel(fiveLines());
        readyToSend();
        QTest::mouseClick(panelChild<QPushButton>("Command13"), Qt::LeftButton);
        QCOMPARE(m_prompter.shown.size(), 2);
        QCOMPARE(m_prompter.shown[1].kind, "save");
        QCOMPARE(listTexts(), fiveLines());
        QCOMPARE(m_panel->selectedRows().size(), 5);
    }

    void noActionWhileWaiting()
    {
        // A peer that takes the request and never answers until told to hang up.
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        linkTo(QStringLiteral("http://127.0.0.1:%1").arg(silent.serverPort()));
        makePanel(fiveLines());
        readyToSend();

        bool checked = false;
        connect(&silent, &QTcpServer::newConnection, this, [&] {
            QTcpSocket *socket = silent.nextPendingConnection();
            if (checked) { // the HTTP client may try once more after a hang-up
                socket->abort();
                return;
            }
            QVERIFY(m_panel->waiting());
            QVERIFY(!panelChild<QPushButton>("Command13")->isEnabled());
            QVERIFY(!panelChild<QListWidget>("List4")->isEnabled());
            // Clicks and calls meanwhile do nothing.
            m_panel->upload();
            m_panel->saveSelected();
            m_panel->importFile();
            QTest::mouseClick(panelChild<QPushButton>("Command12"), Qt::LeftButton);
            QVERIFY(m_prompter.shown.isEmpty());
            // A score given meanwhile still arrives and is not part of this upload.
            QVERIFY(m_pending->append(test::score("C1\t新\t1分\t2026-03-05 10:00:00\t")));
            checked = true;
            socket->abort();
        });
        QSignalSpy closing(m_panel.get(), &UploadPanel::closeRequested);
        QTest::mouseClick(panelChild<QPushButton>("Command13"), Qt::LeftButton);

        QVERIFY(checked);
        QVERIFY(!m_panel->waiting());
        QVERIFY(panelChild<QPushButton>("Command13")->isEnabled());
        QVERIFY(panelChild<QListWidget>("List4")->isEnabled());
        QCOMPARE(closing.size(), 0);
        QCOMPARE(m_prompter.shown.size(), 2); // network message, then the save dialog (cancelled)
        QCOMPARE(m_prompter.shown[0].text, kNetworkText);
        QCOMPARE(panelChild<QListWidget>("List4")->count(), 6);
        QCOMPARE(m_panel->selectedRows(), (QList<int>{0, 1, 2, 3, 4}));
    }

    // Lines restored from the pending file go on the wire as the file holds them: a line
    // without its standard stays without it, the combo line keeps its last TAB.
    void uploadSendsLinesAsRead()
    {
        const QStringList lines{QStringLiteral("C1\t学生0\t5分\t2026-03-05 09:00:00"),
                                QStringLiteral("C1\t学生1\t4分\t2026-03-05 09:01:00\t"),
                                QStringLiteral("初二(3)班\t欧阳\t4.5分\t2026-03-05 09:02:00\t完整表述，步骤清楚")};
        QVERIFY(writeBytes(m_pending->filePath(), gbkLines(lines)));
        QVERIFY(m_pending->load());
        test::RawHttpPeer peer;
        peer.response = test::RawHttpPeer::reply(500, "x");
        QVERIFY(peer.listen());
        linkTo(peer.base());
        makePanel();
        readyToSend();
        QTest::mouseClick(panelChild<QPushButton>("Command13"), Qt::LeftButton);
        QVERIFY(!peer.requests.isEmpty());
        const PageCall sent = score_pages::upload("t01", "pw", "课题一", lines);
        QCOMPARE(test::RawHttpPeer::body(peer.requests[0]), sent.fields.encoded());
        QCOMPARE(m_pending->lines(), lines); // nothing left the list
    }

    void saveCancelledChangesNothing()
    {
        makePanel(fiveLines());
        selectOnly({0, 4});
        QTest::mouseClick(panelChild<QPushButton>("Command14"), Qt::LeftButton);
        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.shown[0].kind, "save");
        QCOMPARE(m_prompter.shown[0].title, "另存数据文件");
        QCOMPARE(m_prompter.shown[0].text, kFilter);
        QCOMPARE(listTexts(), fiveLines());
        QCOMPARE(m_panel->selectedRows(), (QList<int>{0, 4}));
        QCOMPARE(QDir(m_dir->path()).entryList({"*.cvr"}), QStringList{"Pending.cvr"});
    }

    void saveWithNothingSelectedShowsNoDialog()
    {
        makePanel(fiveLines());
        QTest::mouseClick(panelChild<QPushButton>("Command14"), Qt::LeftButton);
        QVERIFY(m_prompter.shown.isEmpty());
    }

    void saveRemovesOnlySavedLines_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::newRow("with extension") << "two.cvr"
                                        << "two.cvr";
        QTest::newRow("without extension") << "two"
                                           << "two.cvr";
        QTest::newRow("other extension") << "two.txt"
                                         << "two.txt";
    }
    void saveRemovesOnlySavedLines()
    {
        QFETCH(QString, typed);
        QFETCH(QString, written);
        makePanel(fiveLines());
        selectOnly({1, 2});
        m_prompter.fileNames = {m_dir->filePath(typed)};
        QTest::mouseClick(panelChild<QPushButton>("Command14"), Qt::LeftButton);

        const QString path = m_dir->filePath(written);
        QCOMPARE(fileBytes(path), gbkLines({fiveLines()[1], fiveLines()[2]}));
        const QStringList left{fiveLines()[0], fiveLines()[3], fiveLines()[4]};
        QCOMPARE(listTexts(), left);
        QCOMPARE(m_pending->lines(), left);
        QCOMPARE(fileBytes(m_pending->filePath()), gbkLines(left));
        QCOMPARE(m_prompter.shown.size(), 2);
        QCOMPARE(m_prompter.shown[1].kind, "message");
        QCOMPARE(m_prompter.shown[1].title, "保存成功");
        QCOMPARE(m_prompter.shown[1].text,
                 "数据已保存，你可以再次导入此数据上传！\r\n保存位置：" + QDir::toNativeSeparators(path));
        QCOMPARE(m_prompter.shown[1].icon, PromptIcon::Information);
    }

    void saveAsksBeforeOverwriting_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("keep the old file") << false;
        QTest::newRow("replace it") << true;
    }
    void saveAsksBeforeOverwriting()
    {
        QFETCH(bool, answer);
        const QString path = m_dir->filePath("old.cvr");
        QVERIFY(writeBytes(path, "old\r\n"));
        makePanel(fiveLines());
        selectOnly({0});
        m_prompter.fileNames = {m_dir->filePath("old")};
        m_prompter.questionAnswers = {answer};
        m_panel->saveSelected();

        QCOMPARE(m_prompter.shown[1].kind, "question");
        QCOMPARE(m_prompter.shown[1].icon, PromptIcon::Question);
        QVERIFY(m_prompter.shown[1].text.contains(QDir::toNativeSeparators(path)));
        if (answer) {
            QCOMPARE(fileBytes(path), gbkLines({fiveLines()[0]}));
            QCOMPARE(listTexts(), fiveLines().mid(1));
        } else {
            QCOMPARE(m_prompter.shown.size(), 2);
            QCOMPARE(fileBytes(path), QByteArray("old\r\n"));
            QCOMPARE(listTexts(), fiveLines());
        }
    }

    void saveFailureKeepsLines_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::newRow("folder is a file") << "blocker/out.cvr";
        QTest::newRow("missing folder") << "nowhere/out.cvr";
        QTest::newRow("name of a folder") << "folder.cvr";
    }
    void saveFailureKeepsLines()
    {
        QFETCH(QString, relative);
        QVERIFY(writeBytes(m_dir->filePath("blocker"), "x"));
        QVERIFY(QDir(m_dir->path()).mkdir("folder.cvr"));
        makePanel(fiveLines());
        selectOnly({0, 1});
        m_prompter.fileNames = {m_dir->filePath(relative)};
        m_prompter.questionAnswers = {true};
        m_panel->saveSelected();

        const auto *last = m_prompter.last();
        QVERIFY(last);
        QCOMPARE(last->title, "错误");
        QCOMPARE(last->icon, PromptIcon::Warning);
        QVERIFY2(last->text.startsWith("数据文件保存失败，成绩仍在待上传列表中。\r\n"),
                 qPrintable(last->text));
        QCOMPARE(listTexts(), fiveLines());
        QCOMPARE(m_panel->selectedRows(), (QList<int>{0, 1}));
    }

    void saveRefusesThePendingFile()
    {
        makePanel(fiveLines());
        selectOnly({0});
        m_prompter.fileNames = {m_pending->filePath()};
        m_prompter.questionAnswers = {true};
        m_panel->saveSelected();
        QCOMPARE(m_prompter.last()->title, "提示");
        QCOMPARE(listTexts(), fiveLines());
        QCOMPARE(fileBytes(m_pending->filePath()), gbkLines(fiveLines()));
    }

    void importCancelledChangesNothing()
    {
        makePanel(fiveLines());
        selectOnly({2});
        QTest::mouseClick(panelChild<QPushButton>("Command15"), Qt::LeftButton);
        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.shown[0].kind, "open");
        QCOMPARE(m_prompter.shown[0].title, "打开数据文件");
        QCOMPARE(m_prompter.shown[0].text, kFilter);
        QCOMPARE(listTexts(), fiveLines());
        QCOMPARE(m_panel->selectedRows(), QList<int>{2});
    }

    void importAppendsWithoutDuplicates()
    {
        const QStringList lines = fiveLines();
        makePanel(lines.mid(0, 3));
        const QString path = m_dir->filePath("in.cvr");
        // Blank lines, a line already pending and a line twice in the file.
        QVERIFY(
            writeBytes(path, gbkLines({lines[1], "", lines[3]}) + "\r\n" + gbkLines({lines[4], lines[3]})));
        m_prompter.fileNames = {path};
        QTest::mouseClick(panelChild<QPushButton>("Command15"), Qt::LeftButton);

        QVERIFY(m_prompter.shown.size() == 1);
        QCOMPARE(listTexts(), lines);
        QCOMPARE(m_panel->selectedRows(), (QList<int>{0, 1, 2, 3, 4}));
        QCOMPARE(fileBytes(m_pending->filePath()), gbkLines(lines));
    }

    void saveThenImportRoundTrip()
    {
        makePanel(fiveLines());
        selectOnly({0, 2}); // a combo line (ends with TAB) and a standard line
        const QString path = m_dir->filePath("round.cvr");
        m_prompter.fileNames = {path, path};
        m_panel->saveSelected();
        QCOMPARE(panelChild<QListWidget>("List4")->count(), 3);
        m_panel->importFile();
        QCOMPARE(listTexts(), (QStringList{fiveLines()[1], fiveLines()[3], fiveLines()[4], fiveLines()[0],
                                           fiveLines()[2]}));
        QVERIFY(panelChild<QListWidget>("List4")->item(3)->text().endsWith(u'\t'));
    }

    void importRefusesBadFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("why");
        QTest::newRow("binary garbage") << QByteArray("\x00\x01\x02\xff\xfe\r\n\x7f", 8) << "不是成绩记录";
        QTest::newRow("not GBK") << QByteArray("C1\t\x81\x20\t1\t2\t3\r\n") << "不是成绩记录";
        QTest::newRow("plain text") << QByteArray("just some notes\r\n") << "不是成绩记录";
        QTest::newRow("one bad line among good ones")
            << gbkLines({"C1\tX\t1分\t2026-03-05 09:00:00\t"}) + "junk\r\n"
            << "第 2 行";
    }
    void importRefusesBadFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, why);
        makePanel(fiveLines());
        selectOnly({1});
        const QString path = m_dir->filePath("bad.cvr");
        QVERIFY(writeBytes(path, bytes));
        m_prompter.fileNames = {path};
        m_panel->importFile();
        QCOMPARE(m_prompter.shown.size(), 2);
        QCOMPARE(m_prompter.shown[1].title, "错误");
        QCOMPARE(m_prompter.shown[1].icon, PromptIcon::Warning);
        QVERIFY2(m_prompter.shown[1].text.contains(why), qPrintable(m_prompter.shown[1].text));
        QCOMPARE(listTexts(), fiveLines());
        QCOMPARE(m_panel->selectedRows(), QList<int>{1});
    }

    void storeFailureIsReported()
    {
        QVERIFY(writeBytes(m_dir->filePath("blocker"), "x"));
        usePendingFile(m_dir->filePath("blocker/Pending.cvr"));
        makePanel();
        m_panel->addScoreLine(test::score(fiveLines()[0]));
        QCOMPARE(listTexts(), fiveLines().mid(0, 1));
        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.shown[0].title, "错误");
        QVERIFY(m_prompter.shown[0].text.startsWith("待上传成绩无法写入文件"));
    }

private:
    void readyToSend()
    {
        m_login.LoginUser = "t01";
        m_login.LoginDigest = QString(32, u'a');
        panelChild<QLineEdit>("Text4")->setText("pw");
        m_panel->setTopic("课题一");
        m_panel->openPanel();
        QVERIFY(panelChild<QPushButton>("Command13")->isEnabled());
    }
    void clickLine(int row)
    {
        QListWidget *list = panelChild<QListWidget>("List4");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }
};

QTEST_MAIN(TestUploadPanel)
#include "tst_UploadPanel.moc"
