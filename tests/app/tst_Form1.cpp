#include "Form1Rig.h"
#include "scoring/UploadPanel.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace corvanta;
using namespace corvanta::test;

namespace {

const char *const SampleRoster = "Class_Is_Ready\t1\t10\t\r\n"
                                 "[keti]\t朗读\t读得流利\t5\t声音响亮\t3\t\r\n"
                                 "[keti]\t默写\t\r\n"
                                 "1\t张三\t1\t0\t4.5\t3\r\n"
                                 "1\t李四\t1\t0\t0\t0\r\n"
                                 "1\t王五\t2\t0\t2\t1\r\n"
                                 "1\t赵六\t2\t0\t1\t6\r\n"
                                 "10\t孙八\t0\t0\t3\t2\r\n";

} // namespace

class TestForm1 : public QObject, private Form1Rig
{
    Q_OBJECT

    void writeRoster(const QByteArray &bytes) { writeRecordFile(bytes); }
    void loadOffline() { Form1Rig::loadOffline(SampleRoster); }

private slots:
    void init() { openForm(); }
    void cleanup() { closeForm(); }

    void startsWithNothingLoaded()
    {
        QVERIFY(!child<QComboBox>("Combo2")->isEnabled());
        QCOMPARE(child<QComboBox>("Combo2")->currentText(), QStringLiteral("班级"));
        for (int i = 0; i <= 12; ++i)
            QVERIFY(!button(i)->isEnabled());
        QVERIFY(child<QListWidget>("List1")->isHidden());
        QVERIFY(child<QWidget>("Splitter1")->isHidden());
        auto *combo1 = child<QComboBox>("Combo1");
        QStringList items;
        for (int i = 0; i < combo1->count(); ++i)
            items.append(combo1->itemText(i));
        QCOMPARE(items, QStringList({"5分", "4分", "3分", "2分", "1分", "0分"}));
        QCOMPARE(m_form->panelText(1), QStringLiteral("版本:2.6.1"));
        QCOMPARE(m_form->panelText(3), QStringLiteral("作者:Oskaro"));
        QCOMPARE(m_form->panelText(4), QStringLiteral("双击计时"));
        // Which server the tool talks to.
        QCOMPARE(m_form->panelText(5), QStringLiteral("服务器:http://127.0.0.1:9"));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Corvanta"));
        QVERIFY(m_form->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(child<QTimer>("Timer2")->interval(), 1000);
        QVERIFY(child<QTimer>("Timer2")->isActive());
        QVERIFY(!child<QTimer>("Timer1")->isActive());
    }

    void statusPanelFillsTheRest()
    {
        auto *address = child<QLabel>("StatusBar1_5");
        const int right = address->mapTo(m_form.get(), QPoint(address->width(), 0)).x();
        QVERIFY(qAbs(right - m_form->width()) <= 4);
    }

    void longAddressIsElided()
    {
        closeForm();
        const QString address =
            QStringLiteral("http://www.corvanta-classroom-tools.example.com/downloads/latest");
        openForm(address);
        auto *panel = child<QLabel>("StatusBar1_5");
        QVERIFY(panel->text().endsWith(QChar(0x2026)));
        QVERIFY((QStringLiteral("服务器:") + address).startsWith(panel->text().chopped(1)));
        QVERIFY(panel->fontMetrics().horizontalAdvance(panel->text()) <= panel->contentsRect().width());
        QVERIFY(panel->toolTip().contains(address));
        QVERIFY(panel->toolTip().contains(QStringLiteral("双击访问官网")));
        QCOMPARE(m_form->panelText(5), QStringLiteral("服务器:") + address);
    }

    // A new account without classes is told where they are added; nobody else is.
    void firstStepsWithoutClasses_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("shown");
        QTest::newRow("new account") << QByteArray("Class_Is_Ready\t\r\n") << "online" << true;
        QTest::newRow("with a class") << QByteArray("Class_Is_Ready\t1\t\r\n") << "online" << false;
        QTest::newRow("offline copy") << QByteArray("Class_Is_Ready\t\r\n") << "offline" << false;
    }
    void firstStepsWithoutClasses()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, mode);
        QFETCH(bool, shown);
        writeRoster(file);
        m_login.LoginUser = QStringLiteral("teacher01");
        m_form->LoadClassLists(mode);
        auto *hint = m_form->findChild<QLabel *>(QStringLiteral("lblFirstSteps"));
        QCOMPARE(hint && hint->isVisible(), shown);
        if (shown) {
            QVERIFY(hint->text().contains(QStringLiteral("“后台”")));
            QVERIFY(hint->text().contains(QStringLiteral("操作密码")));
            // Once the console has added a class, it goes.
            writeRoster("Class_Is_Ready\t1\t\r\n");
            m_form->LoadClassLists(QStringLiteral("online"));
            QVERIFY(!hint->isVisible());
        }
    }

    void loadFillsCombosAndStandards()
    {
        loadOffline();
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Corvanta [离线用户]"));
        auto *classes = child<QComboBox>("Combo2");
        QVERIFY(classes->isEnabled());
        QCOMPARE(classes->count(), 2);
        QCOMPARE(child<QComboBox>("Combo3")->currentText(), QStringLiteral("朗读"));
        auto *list1 = child<QListWidget>("List1");
        QCOMPARE(list1->count(), 2);
        QCOMPARE(list1->item(0)->text(), QStringLiteral("[5分]\t读得流利"));
        QVERIFY(!list1->isHidden());
        QCOMPARE(child<UploadPanel>("Frame4")->topic(), QStringLiteral("朗读"));
        for (int i = 0; i <= 12; ++i)
            QVERIFY(!button(i)->isEnabled());

        // A topic without standards hides the list and widens the name box.
        const int narrow = nameDisplay()->width();
        child<QComboBox>("Combo3")->setEditText(QStringLiteral("默写"));
        QVERIFY(list1->isHidden());
        QVERIFY(nameDisplay()->width() > narrow);
    }

    void missingOrForeignFileLoadsNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("error text") << QByteArray("密码错误");
        QTest::newRow("garbage") << QByteArray("\xFF\xFE\x00\x81", 4);
        QTest::newRow("empty") << QByteArray();
    }
    void missingOrForeignFileLoadsNothing()
    {
        QFETCH(QByteArray, bytes);
        writeRoster(bytes);
        m_login.LoginUser = LoginState::offlineUser();
        m_form->LoadClassLists(QStringLiteral("offline"));
        QVERIFY(child<QComboBox>("Combo2")->isEnabled());
        QCOMPARE(child<QComboBox>("Combo2")->count(), 0);
        QCOMPARE(child<QComboBox>("Combo3")->count(), 0);
        QVERIFY(child<QListWidget>("List1")->isHidden());
    }

    void classChoiceFillsPools()
    {
        loadOffline();
        chooseClass("1");
        QCOMPARE(child<QListWidget>("lstKind_0")->count(), 4);
        QCOMPARE(child<QListWidget>("lstKind_1")->count(), 4);
        QCOMPARE(child<QListWidget>("lstKind_2")->count(), 0);
        QCOMPARE(child<QListWidget>("lstKind_3")->count(), 1); // 李四 was never called
        QVERIFY(button(12)->isEnabled());
        QVERIFY(button(0)->isEnabled());
        QVERIFY(!button(2)->isEnabled());
        QVERIFY(button(3)->isEnabled());
    }

    void drawStartsAndStops()
    {
        loadOffline();
        chooseClass("1");
        QSignalSpy chosenSpy(m_form.get(), &Form1::studentChosen);
        QTest::mouseClick(button(1), Qt::LeftButton);
        QCOMPARE(button(1)->text(), QStringLiteral("暂停"));
        QVERIFY(child<QTimer>("Timer1")->isActive());
        QCOMPARE(child<QTimer>("Timer1")->interval(), 5);
        for (int i = 0; i < 12; ++i)
            QCOMPARE(button(i)->isEnabled(), i == 1);
        QVERIFY(!nameDisplay()->text().isEmpty());
        QTest::qWait(30); // let the names flash

        QTest::mouseClick(button(1), Qt::LeftButton);
        const QString chosen = nameDisplay()->text();
        QCOMPARE(button(1)->text(), QStringLiteral("未点"));
        QVERIFY(!child<QTimer>("Timer1")->isActive());
        QCOMPARE(chosenSpy.size(), 1);
        QCOMPARE(chosenSpy.first(), QVariantList({QStringLiteral("1"), chosen}));
        QCOMPARE(child<QListWidget>("lstKind_1")->count(), 3);
        QCOMPARE(child<QListWidget>("lstKind_2")->findItems(chosen, Qt::MatchExactly).size(), 1);
        QVERIFY(button(2)->isEnabled());
        QVERIFY(child<QComboBox>("Combo1")->isEnabled());
        QVERIFY(child<QListWidget>("List1")->isEnabled());

        // Choosing the class again starts a new lesson.
        chooseClass("1");
        QCOMPARE(child<QListWidget>("lstKind_1")->count(), 4);
        QCOMPARE(child<QListWidget>("lstKind_2")->count(), 0);
    }

    void labelsShowScoreAndCount()
    {
        loadOffline();
        chooseClass("1");
        nameDisplay()->setText(QStringLiteral("张三"));
        QCOMPARE(child<QLabel>("Label4")->text(), QStringLiteral("4.5"));
        QCOMPARE(child<QLabel>("Label28")->text(), QStringLiteral("3"));
        nameDisplay()->setText(QStringLiteral("李四")); // count 0
        QCOMPARE(child<QLabel>("Label4")->text(), QString());
        QCOMPARE(child<QLabel>("Label28")->text(), QString());
        nameDisplay()->setText(QStringLiteral("赵六"));
        nameDisplay()->setText(QStringLiteral("孙八")); // not in this class: labels keep
        QCOMPARE(child<QLabel>("Label28")->text(), QStringLiteral("6"));
    }

    void scoreByComboOncePerDraw()
    {
        loadOffline();
        chooseClass("1");
        const QString student = drawOnce(0);
        auto *combo1 = child<QComboBox>("Combo1");
        combo1->setCurrentIndex(2);
        emit combo1->activated(2);
        QCOMPARE(m_pending->lines(),
                 QStringList({QStringLiteral("1\t%1\t3分\t2026-03-05 09:07:02\t").arg(student)}));
        QVERIFY(!combo1->isEnabled());
        emit combo1->activated(1); // a second choice in the same draw does nothing
        QCOMPARE(m_pending->size(), 1);
        QFile log(m_config.dataFile(QStringLiteral("离线用户_1_2026-03-05.Log")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(fromGbk(log.readAll()),
                 QStringLiteral("1\t%1\t3分\t2026-03-05 09:07:02\t\r\n").arg(student));

        drawOnce(0); // a new draw allows it again
        combo1->setCurrentIndex(0);
        emit combo1->activated(0);
        QCOMPARE(m_pending->size(), 2);
    }

    // Typed in the score box and Enter: a text the correction panel refuses is refused the
    // same way before anything is logged, and the student can still be scored.
    void typedScoreChecked_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("kept");
        QTest::addColumn<QString>("logged"); // the score text of the kept line
        QTest::newRow("grade") << QStringLiteral("优") << false << QString();
        QTest::newRow("letters after") << QStringLiteral("3abc分") << false << QString();
        QTest::newRow("NaN") << QStringLiteral("NaN分") << false << QString();
        QTest::newRow("hex") << QStringLiteral("0x10") << false << QString();
        QTest::newRow("half points") << QStringLiteral("4.5分") << true << QStringLiteral("4.5分");
        QTest::newRow("ten") << QStringLiteral("10分") << true << QStringLiteral("10分");
        QTest::newRow("plain number") << QStringLiteral("4") << true << QStringLiteral("4分");
        QTest::newRow("plain decimal, blanks") << QStringLiteral(" 2.5 ") << true << QStringLiteral("2.5分");
    }
    void typedScoreChecked()
    {
        QFETCH(QString, typed);
        QFETCH(bool, kept);
        QFETCH(QString, logged);
        loadOffline();
        chooseClass("1");
        const QString student = drawOnce(0);
        auto *combo1 = child<QComboBox>("Combo1");
        combo1->setEditText(typed);
        QTest::keyClick(combo1->lineEdit(), Qt::Key_Return);
        const QFile log(m_config.dataFile(QStringLiteral("离线用户_1_2026-03-05.Log")));
        if (kept) {
            QCOMPARE(m_pending->lines(), QStringList({QStringLiteral("1\t%1\t%2\t2026-03-05 09:07:02\t").arg(student, logged)}));
            return;
        }
        QVERIFY(m_pending->lines().isEmpty());
        QVERIFY(!log.exists());
        QVERIFY(m_prompter.last());
        QCOMPARE(m_prompter.last()->title, QStringLiteral("提示"));
        QCOMPARE(m_prompter.last()->text, QStringLiteral("计分格式不正确，应为数字后加“分”，例如“4分”或“4.5分”！"));
        QVERIFY(combo1->isEnabled());
        combo1->setCurrentIndex(0);
        emit combo1->activated(0);
        QCOMPARE(m_pending->size(), 1);
    }

    void scoreByStandardMarksIt()
    {
        loadOffline();
        chooseClass("1");
        const QString student = drawOnce(0);
        auto *list1 = child<QListWidget>("List1");
        list1->setCurrentRow(0);
        emit list1->itemDoubleClicked(list1->item(0));
        QCOMPARE(child<QComboBox>("Combo1")->currentText(), QStringLiteral("5分"));
        QVERIFY(!child<QComboBox>("Combo1")->isEnabled());
        QCOMPARE(list1->item(0)->text(), QStringLiteral("[5分]√\t读得流利"));
        QCOMPARE(m_pending->lines().last(),
                 QStringLiteral("1\t%1\t5分\t2026-03-05 09:07:02\t读得流利").arg(student));
        emit list1->itemDoubleClicked(list1->item(0)); // given once per draw
        QCOMPARE(m_pending->size(), 1);
        list1->setCurrentRow(1);
        emit list1->itemDoubleClicked(list1->item(1));
        QCOMPARE(m_pending->size(), 2);
        // A new draw clears the marks.
        drawOnce(0);
        QCOMPARE(list1->item(0)->text(), QStringLiteral("[5分]\t读得流利"));
    }

    void nobodyChosenLogsNothing()
    {
        loadOffline();
        auto *list1 = child<QListWidget>("List1");
        list1->setCurrentRow(0);
        emit list1->itemDoubleClicked(list1->item(0));
        emit child<QComboBox>("Combo1")->activated(0);
        QCOMPARE(m_pending->size(), 0);
    }

    void unwritableLogKeepsTheScore()
    {
        loadOffline();
        chooseClass("1");
        drawOnce(0);
        // A folder where the log file should be: the log cannot be written.
        QVERIFY(QDir().mkpath(m_config.dataFile(QStringLiteral("离线用户_1_2026-03-05.Log"))));
        child<QComboBox>("Combo1")->setCurrentIndex(0);
        emit child<QComboBox>("Combo1")->activated(0);
        QCOMPARE(m_pending->size(), 1);
        QVERIFY(m_prompter.last());
        QCOMPARE(m_prompter.last()->icon, PromptIcon::Warning);
        QVERIFY(m_prompter.last()->text.contains(QStringLiteral("日志")));
    }

    void collapseAndExpandKeepState()
    {
        loadOffline();
        chooseClass("1");
        const QSize expanded = m_form->size();
        QTest::mouseMove(child<QLabel>("Image2"));
        QVERIFY(m_form->isCollapsed());
        QVERIFY(m_form->width() < 60);
        QVERIFY(nameDisplay()->isHidden());
        // The whole icon shows, and the stopwatch below it.
        auto *icon = child<QLabel>("Image1");
        const QRect iconRect(icon->mapTo(m_form.get(), QPoint()), icon->size());
        QVERIFY(m_form->rect().contains(iconRect));
        auto *stopwatch = child<QLabel>("Label30");
        QVERIFY(stopwatch->isVisible());
        const QRect stopwatchRect(stopwatch->mapTo(m_form.get(), QPoint()), stopwatch->size());
        QVERIFY(m_form->rect().contains(stopwatchRect));
        QVERIFY(!stopwatchRect.intersects(iconRect));
        QTest::mouseMove(child<QLabel>("Image1"));
        QVERIFY(!m_form->isCollapsed());
        QCOMPARE(m_form->size(), expanded);
        QCOMPARE(child<QListWidget>("lstKind_0")->count(), 4);
    }

    void stopwatchToggles()
    {
        // Off at start: the ticks leave the panel alone.
        QTest::qWait(1100);
        QCOMPARE(m_form->panelText(4), QStringLiteral("双击计时"));
        QTest::mouseDClick(child<QLabel>("Label30"), Qt::LeftButton);
        // Counting starts from zero at the switch.
        QTRY_COMPARE_WITH_TIMEOUT(child<QLabel>("Label30")->text(), QStringLiteral("00:01"), 3000);
        QCOMPARE(m_form->panelText(4), QStringLiteral("00:00:01"));
        QTest::mouseDClick(child<QLabel>("Label30"), Qt::LeftButton);
        QTest::qWait(1100);
        QCOMPARE(child<QLabel>("Label30")->text(), QStringLiteral("00:01"));
    }

    void vendorPanelsOpenPages()
    {
        m_form->panelDoubleClicked(2);
        m_form->panelDoubleClicked(5);
        m_form->panelDoubleClicked(1);
        QCOMPARE(m_prompter.openedUrls,
                 QList<QUrl>({QUrl("http://vendor.invalid/soft/update.php?sort=Selvane"),
                              QUrl("http://vendor.invalid")}));
    }

    void uploadPanelSwapsWithMainPanel()
    {
        QTest::mouseClick(child<QPushButton>("Command11"), Qt::LeftButton);
        QVERIFY(child<UploadPanel>("Frame4")->isVisible());
        QVERIFY(child<QFrame>("Frame5")->isHidden());
        QVERIFY(child<QStatusBar>("StatusBar1")->isHidden());
        QTest::mouseClick(child<QPushButton>("Command12"), Qt::LeftButton);
        QVERIFY(child<QFrame>("Frame5")->isVisible());
        QVERIFY(child<QStatusBar>("StatusBar1")->isVisible());
    }
};

QTEST_MAIN(TestForm1)
#include "tst_Form1.moc"
