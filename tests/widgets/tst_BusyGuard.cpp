#include "support/RawHttpPeer.h"

#include "core/AppConfig.h"
#include "net/ServerLink.h"
#include "widgets/BusyGuard.h"

#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>

using namespace corvanta;

// What becomes of the window while a request waits.
enum class Meanwhile { Nothing, Hidden, ClosedDeletingOnClose, Deleted, DeletedLater };
Q_DECLARE_METATYPE(Meanwhile)

class TestBusyGuard : public QObject
{
    Q_OBJECT

    test::RawHttpPeer m_peer;
    std::unique_ptr<ServerLink> m_link;

    static void happen(Meanwhile meanwhile, QWidget *window)
    {
        switch (meanwhile) {
        case Meanwhile::Nothing:
            break;
        case Meanwhile::Hidden:
            window->hide();
            break;
        case Meanwhile::ClosedDeletingOnClose:
            window->setAttribute(Qt::WA_DeleteOnClose);
            window->close();
            break;
        case Meanwhile::Deleted:
            delete window;
            break;
        case Meanwhile::DeletedLater:
            window->deleteLater();
            break;
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_peer.listen());
        m_peer.response = test::RawHttpPeer::reply(200, "Success!");
        AppConfig config;
        config.serverBase = m_peer.base();
        m_link = std::make_unique<ServerLink>(config);
    }

    void reportsWindowGone_data()
    {
        QTest::addColumn<Meanwhile>("meanwhile");
        QTest::addColumn<bool>("gone");
        QTest::newRow("stays") << Meanwhile::Nothing << false;
        QTest::newRow("hidden, still there") << Meanwhile::Hidden << false;
        QTest::newRow("closed, deleting itself") << Meanwhile::ClosedDeletingOnClose << true;
        QTest::newRow("deleted") << Meanwhile::Deleted << true;
        QTest::newRow("deleted later") << Meanwhile::DeletedLater << true;
    }
    // The request's reply while the window stays; nothing once it went away. While the
    // request waits the controls take no clicks; they get their state back after it.
    void reportsWindowGone()
    {
        QFETCH(Meanwhile, meanwhile);
        QFETCH(bool, gone);
        for (const bool request : {true, false}) {
            auto *window = new QWidget;
            auto *box = new QLineEdit(window);
            auto *idle = new QLineEdit(window);
            idle->setEnabled(false);
            window->show();
            QPointer<QWidget> watch(window);
            bool heldDuringWait = false;
            QTimer::singleShot(0, this, [&] {
                heldDuringWait = BusyGuard::isBusy(window) && !box->isEnabled();
                happen(meanwhile, window);
            });
            BusyGuard busy(window, {box, idle});
            bool stillThere = false;
            if (request) {
                const auto reply = sendAndWait(busy, *m_link, PageCall::get("/x"));
                stillThere = reply.has_value();
                if (reply)
                    QCOMPARE(reply->text, QStringLiteral("Success!"));
            } else {
                // A wait that returns nothing: a signal whose receiver waits, say.
                stillThere = busy.wait([] {
                    QEventLoop loop;
                    QTimer::singleShot(50, &loop, &QEventLoop::quit);
                    loop.exec();
                });
            }
            QVERIFY(heldDuringWait);
            QCOMPARE(stillThere, !gone);
            QCOMPARE(watch.isNull(), gone);
            if (!gone) {
                busy.release();
                QVERIFY(!BusyGuard::isBusy(window));
                QVERIFY(box->isEnabled());
                QVERIFY(!idle->isEnabled());
                delete window;
            }
        }
    }
};

QTEST_MAIN(TestBusyGuard)
#include "tst_BusyGuard.moc"
