#include "core/Clock.h"
#include "core/TextCodec.h"

#include <QTest>

using namespace corvanta;

class TestTextCodec : public QObject
{
    Q_OBJECT
private slots:
    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "42" << 42.0;
        QTest::newRow("count with suffix") << QStringLiteral("3次") << 3.0;
        QTest::newRow("letters only") << "abc" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("decimal") << "4.5" << 4.5;
        QTest::newRow("two points") << "1.2.3" << 1.2;
        QTest::newRow("blanks inside") << " 1 2\t3\n" << 123.0;
        QTest::newRow("negative") << "-2.5x" << -2.5;
        QTest::newRow("score text") << QStringLiteral("5分") << 5.0;
        QTest::newRow("exponent") << "1E3" << 1000.0;
        QTest::newRow("d exponent") << "2d2" << 200.0;
        QTest::newRow("dangling exponent") << "7e" << 7.0;
        QTest::newRow("hex") << "&H1F" << 31.0;
        QTest::newRow("octal") << "&O17" << 15.0;
        QTest::newRow("lone point") << "." << 0.0;
        QTest::newRow("point first") << ".5" << 0.5;
        QTest::newRow("huge exponent") << "1e999999999" << 0.0;
        QTest::newRow("unix seconds") << "1765000000\r\n" << 1765000000.0;
    }
    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(corvanta::leadingNumber(text), value);
    }

    void shortestDecimal_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 5.0 << "5";
        QTest::newRow("half") << 4.5 << "4.5";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("two decimals") << 3.25 << "3.25";
        QTest::newRow("tenth") << 0.1 << "0.1";
        QTest::newRow("large, no exponent") << 100000.0 << "100000";
        QTest::newRow("small, no exponent") << 0.00001 << "0.00001";
        QTest::newRow("negative") << -2.5 << "-2.5";
    }
    void shortestDecimal()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(corvanta::shortestDecimal(value), text);
    }

    void gbkRoundTrip()
    {
        const QString names = QStringLiteral("班级 张三 √ 课题");
        QCOMPARE(fromGbk(toGbk(names)), names);
        QCOMPARE(toGbk(QStringLiteral("班")), QByteArray("\xB0\xE0"));
        QVERIFY(!fitsGbk(QStringLiteral("a\U0001F600")));
        QVERIFY(fitsGbk(QStringLiteral("张三")));
    }

    void gbkNeverFailsOnGarbage()
    {
        QByteArray garbage;
        for (int i = 0; i < 4096; ++i)
            garbage.append(char((i * 131 + 7) & 0xFF));
        garbage.append('\x81'); // a lead byte cut off at the end
        const QString text = fromGbk(garbage);
        QVERIFY(!text.isEmpty());
    }

    // Bytes cut inside a character still show up, so a reader can tell they were there.
    void gbkKeepsACutCharacter_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("lead byte alone") << QByteArray("\xDA") << u"\uFFFD"_qs;
        QTest::newRow("after a character") << QByteArray("\xD2\xBB\xDA") << u"一\uFFFD"_qs;
        QTest::newRow("before a line end") << QByteArray("\x81\nX") << u"\uFFFD\nX"_qs;
        QTest::newRow("whole characters") << QByteArray("a\xD2\xBB") << u"a一"_qs;
        QTest::newRow("ends with a line end") << QByteArray("a\n") << u"a\n"_qs;
        QTest::newRow("empty") << QByteArray() << QString();
    }
    void gbkKeepsACutCharacter()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(fromGbk(bytes), text);
        // After texts cut inside a character or full of garbage nothing carries over.
        fromGbk(QByteArray("\xB0"));
        fromGbk(QByteArray("\xFF\x80\x81"));
        QCOMPARE(fromGbk(bytes), text);
    }

    void fairIndexCoversEveryName_data()
    {
        QTest::addColumn<double>("r");
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("index");
        QTest::newRow("start") << 0.0 << 20 << 0;
        QTest::newRow("first slot end") << 0.0499 << 20 << 0;
        QTest::newRow("second slot") << 0.05 << 20 << 1;
        QTest::newRow("last") << 0.9999999 << 20 << 19;
        QTest::newRow("one name") << 0.7 << 1 << 0;
        QTest::newRow("no names") << 0.7 << 0 << 0;
        QTest::newRow("out of range") << 1.0 << 3 << 2;
    }
    void fairIndexCoversEveryName()
    {
        QFETCH(double, r);
        QFETCH(int, n);
        QFETCH(int, index);
        QCOMPARE(fairIndex(r, n), index);
    }
};

QTEST_GUILESS_MAIN(TestTextCodec)
#include "tst_TextCodec.moc"
