#include "core/ListOrder.h"

#include <QTest>

using namespace corvanta;

class TestListOrder : public QObject
{
    Q_OBJECT
private slots:
    void order_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("by reading, not by code") << u"安七"_qs << u"周五"_qs;
        QTest::newRow("ming before xiao") << u"李明\t[1次,2分]"_qs << u"李小明\t[0次,0分]"_qs;
        QTest::newRow("shorter name first") << u"李明\t[1次,2分]"_qs << u"李明华\t[0次,0分]"_qs;
        QTest::newRow("case ignored") << u"abc"_qs << u"Abd"_qs;
        QTest::newRow("equal but for case") << u"Tom"_qs << u"tom"_qs;
        QTest::newRow("digits before the rest") << u"第10名"_qs << u"第1名"_qs;
    }
    void order()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        const ListTextOrder less;
        QVERIFY(less(first, second));
        QVERIFY(!less(second, first));
        QVERIFY(!less(first, first));
    }
};

QTEST_GUILESS_MAIN(TestListOrder)
#include "tst_ListOrder.moc"
