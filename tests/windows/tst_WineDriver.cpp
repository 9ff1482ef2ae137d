// The tool's own windows, cross-built, driven under wine against a score server on Linux:
// log in, choose the class, draw twice, score both students, upload. The Linux side
// (tests/e2e/tst_WineEndToEnd.cpp) starts the server, runs this program and then reads the
// scores the server holds. On its own (no CORVANTA_E2E_SERVER) it has nothing to do.
#include "account/frmLogin.h"
#include "app/Application.h"
#include "app/Form1.h"
#include "console/Dialog.h"
#include "core/Settings.h"
#include "scoring/PendingScores.h"
#include "scoring/UploadPanel.h"
#include "support/FakePrompter.h"
#include "support/TestClock.h"

#include <QComboBox>
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace corvanta;
using namespace corvanta::test;

class TestWineDriver : public QObject
{
    Q_OBJECT

    QString env(const char *name) const { return qEnvironmentVariable(name); }

    // With CORVANTA_E2E_SCREENS set: the whole screen as wine draws it (NAME.png), and each
    // visible window as Qt draws it at its scale (NAME-N.png), into that folder.
    void screenshot(const char *name) const
    {
        const QString folder = env("CORVANTA_E2E_SCREENS");
        if (folder.isEmpty())
            return;
        QTest::qWait(1500);
        const QString stem = folder + u'/' + QLatin1String(name);
        QGuiApplication::primaryScreen()->grabWindow(0).save(stem + QStringLiteral(".png"));
        int n = 0;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->isVisible())
                window->grab().save(stem + QStringLiteral("-%1.png").arg(++n));
        }
    }

private slots:
    void drawScoreUpload()
    {
        if (env("CORVANTA_E2E_SERVER").isEmpty())
            QSKIP("run by tst_WineEndToEnd on Linux, with a server");
        QTemporaryDir settings;
        QTemporaryDir data;
        Settings::redirectForTests(settings.path());
        FakePrompter prompter;
        FixedClock clock(QDateTime::fromString(env("CORVANTA_E2E_TIME"), Qt::ISODate));
        ReplayRandom random(11);
        AppConfig config;
        config.dataDir = data.path();
        config.serverBase = env("CORVANTA_E2E_SERVER");
        config.vendorBase = config.serverBase;
        Application app(config, &prompter, &clock, &random);
        app.loginWindow()->setConnectionProbe([] { return true; });
        app.start();
        Form1 *form = app.mainWindow();

        QTest::mouseClick(form->findChild<QPushButton *>("Command1"), Qt::LeftButton);
        auto *ok = app.loginWindow()->findChild<QPushButton *>("cmdOK");
        QTRY_VERIFY(ok->isEnabled());
        screenshot("login");
        app.loginWindow()->findChild<QComboBox *>("ComboUser")->setEditText(env("CORVANTA_E2E_ACCOUNT"));
        app.loginWindow()->findChild<QLineEdit *>("txtPassword")->setText(env("CORVANTA_E2E_PASSWORD"));
        QTest::mouseClick(ok, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(form->isVisible(), 20000);

        auto *classes = form->findChild<QComboBox *>("Combo2");
        const int index = classes->findText(env("CORVANTA_E2E_CLASS"));
        QVERIFY(index >= 0);
        classes->setCurrentIndex(index);
        emit classes->activated(index);

        auto draw = [&] {
            auto *button = form->findChild<QPushButton *>("btnChou_0");
            QTest::mouseClick(button, Qt::LeftButton);
            QTest::qWait(20);
            QTest::mouseClick(button, Qt::LeftButton);
            return form->findChild<QLineEdit *>("Text2")->text();
        };
        // The first student gets "4分" from the combo, the second both standards.
        const QString first = draw();
        auto *combo1 = form->findChild<QComboBox *>("Combo1");
        combo1->setCurrentIndex(1);
        emit combo1->activated(1);
        const QString second = draw();
        auto *standards = form->findChild<QListWidget *>("List1");
        for (int row : {0, 1}) {
            standards->setCurrentRow(row);
            emit standards->itemDoubleClicked(standards->item(row));
        }
        QCOMPARE(app.context().pending.size(), 3);
        screenshot("main");

        auto *panel = form->findChild<UploadPanel *>("Frame4");
        QTest::mouseClick(form->findChild<QPushButton *>("Command11"), Qt::LeftButton);
        panel->findChild<QLineEdit *>("Text4")->setText(env("CORVANTA_E2E_OPERATION"));
        prompter.questionAnswers = {false};
        QTest::mouseClick(panel->findChild<QPushButton *>("Command13"), Qt::LeftButton);
        QVERIFY(prompter.last());
        QCOMPARE(prompter.last()->title, QStringLiteral("成功"));
        QCOMPARE(app.context().pending.size(), 0);
        // For the Linux side: who was drawn (in the test's log, which holds only the
        // system's code page: UTF-8 in hexadecimal).
        qInfo("DRAWN\t%s\t", first.toUtf8().toHex().constData());
        qInfo("DRAWN\t%s\t", second.toUtf8().toHex().constData());

        if (!env("CORVANTA_E2E_SCREENS").isEmpty()) {
            QTest::mouseClick(form->findChild<QPushButton *>("btnManage"), Qt::LeftButton);
            QTRY_VERIFY(app.consoleWindow() && app.consoleWindow()->isVisible());
            screenshot("console");
        }
    }
};

QTEST_MAIN(TestWineDriver)
#include "tst_WineDriver.moc"
