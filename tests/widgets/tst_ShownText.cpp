#include "support/FakePrompter.h"
#include "widgets/ElidedLabel.h"
#include "widgets/Prompter.h"
#include "widgets/ShownText.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace corvanta;

namespace {

// A refusal as a hostile server might send it, followed by the caller's own words.
QString hugeRefusal()
{
    return QString(4'000'000, u'拒') + QStringLiteral("\r\n上传错误！");
}

} // namespace

class TestShownText : public QObject
{
    Q_OBJECT
private slots:
    void bound_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("cut");
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("short reply") << QStringLiteral("密码错误\r\n上传错误！") << false;
        QTest::newRow("just the limit") << QString(MaxShownChars, u'x') << false;
        QTest::newRow("one past") << QString(MaxShownChars + 1, u'x') << true;
        QTest::newRow("huge refusal") << hugeRefusal() << true;
        QTest::newRow("many short lines") << QStringLiteral("行\r\n").repeated(MaxShownLines) << true;
        QTest::newRow("few short lines") << QStringLiteral("行\r\n").repeated(MaxShownLines - 1) << false;
        QTest::newRow("surrogate pairs") << QStringLiteral("𠮷").repeated(5000) << true;
        QTest::newRow("lines of a million") << (QString(1'000'000, u'a') + u'\n').repeated(3) << true;
    }
    void bound()
    {
        QFETCH(QString, text);
        QFETCH(bool, cut);
        const QString shown = boundShownText(text);
        if (!cut) {
            QCOMPARE(shown, text);
            return;
        }
        QVERIFY(shown.size() <= MaxShownChars);
        QVERIFY(shown.count(u'\n') < MaxShownLines);
        const qsizetype dots = shown.indexOf(u'…');
        QVERIFY(dots > 0);
        // The start and the end of the text, whole characters only.
        QVERIFY(text.startsWith(shown.left(dots)));
        QVERIFY(text.endsWith(shown.sliced(dots + 1)));
        QVERIFY(shown.endsWith(text.right(1)));
        for (qsizetype i = 0; i < shown.size(); ++i) {
            QVERIFY(!shown[i].isLowSurrogate());
            if (shown[i].isHighSurrogate())
                QVERIFY(++i < shown.size() && shown[i].isLowSurrogate());
        }
    }

    // Every prompter gets the bounded text, the test's fake as well as the real boxes.
    void prompterBoundsMessages()
    {
        test::FakePrompter prompter;
        prompter.message(nullptr, QStringLiteral("错误"), hugeRefusal(), PromptIcon::Warning);
        prompter.question(nullptr, QStringLiteral("提示"), hugeRefusal(), PromptIcon::Question);
        QCOMPARE(prompter.shown.size(), 2);
        for (const auto &shown : prompter.shown) {
            QVERIFY(shown.text.size() <= MaxShownChars);
            QVERIFY(shown.text.endsWith(QStringLiteral("\r\n上传错误！")));
        }
    }

    // The real box with a four-million-character refusal opens at once.
    void realBoxShowsHugeReplyQuickly()
    {
        QtPrompter prompter;
        qsizetype shownSize = -1;
        QTimer closer;
        closer.setInterval(10);
        connect(&closer, &QTimer::timeout, this, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                shownSize = box->text().size();
                box->accept();
            }
        });
        closer.start();
        QElapsedTimer clock;
        clock.start();
        prompter.message(nullptr, QStringLiteral("错误"), hugeRefusal(), PromptIcon::Warning);
        const qint64 took = clock.elapsed();
        qInfo("a 4,000,000-character refusal shown and closed in %lld ms", took);
        QVERIFY(shownSize > 0 && shownSize <= MaxShownChars);
        QVERIFY2(took < 10000, "the box took seconds to lay out");
    }

    // The status bar's panels: a five-megabyte version reply is cut before eliding.
    void labelBoundsItsText()
    {
        ElidedLabel label;
        label.resize(200, 20);
        label.setFullText(QStringLiteral("服务器版本:") + QString(5'000'000, u'9'));
        QVERIFY(label.fullText().size() <= MaxShownChars);
        QVERIFY(label.fullText().startsWith(QStringLiteral("服务器版本:999")));
        QVERIFY(label.toolTip().size() <= MaxShownChars + 1);
        label.setFullText(QStringLiteral("服务器版本:2.6"));
        QCOMPARE(label.fullText(), QStringLiteral("服务器版本:2.6"));
    }
};

QTEST_MAIN(TestShownText)
#include "tst_ShownText.moc"
