// Lines of TAB-separated fields stand in columns, whatever the length of a field.
#include "widgets/TabColumns.h"

#include <QListWidget>
#include <QTest>

using namespace corvanta;

class TestTabColumns : public QObject
{
    Q_OBJECT

private slots:
    void fieldsStartInColumns_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("a long name before a score") << QStringList{u"欧阳娜娜娜娜\t4分"_qs, u"李\t5分"_qs};
        QTest::newRow("a long scale before a score")
            << QStringList{u"[5分]\t能够完整复述课文内容并且正确回答全部问题\t5"_qs, u"[1分]\t错\t1"_qs};
        QTest::newRow("lines of different field counts") << QStringList{u"甲\t乙\t丙"_qs, u"一二三四五六\t七"_qs};
    }
    void fieldsStartInColumns()
    {
        QFETCH(QStringList, lines);
        QListWidget list;
        list.addItems(lines);
        auto *columns = new TabColumns(&list);
        const QFontMetrics fm = list.fontMetrics();
        const QList<int> starts = columns->columnStarts(fm);
        // Each column starts after the widest field before it, with room between.
        for (const QString &line : lines) {
            const QStringList fields = line.split(u'\t');
            for (int i = 0; i + 1 < fields.size(); ++i)
                QVERIFY(starts[i] + fm.horizontalAdvance(fields[i]) < starts[i + 1]);
        }
        // The list scrolls as far as the longest line in columns.
        QStyleOptionViewItem option;
        option.initFrom(&list);
        option.font = list.font();
        for (int row = 0; row < lines.size(); ++row) {
            const QStringList fields = lines[row].split(u'\t');
            const int width = columns->sizeHint(option, list.model()->index(row, 0)).width();
            QVERIFY(width >= starts[fields.size() - 1] + fm.horizontalAdvance(fields.last()));
        }
    }

    void columnsFollowTheList()
    {
        QListWidget list;
        list.addItems({u"李\t5分"_qs});
        auto *columns = new TabColumns(&list);
        const QFontMetrics fm = list.fontMetrics();
        const int before = columns->columnStarts(fm).at(1);
        list.addItem(u"欧阳娜娜娜娜\t4分"_qs);
        QVERIFY(columns->columnStarts(fm).at(1) > before);
        list.clear();
        list.addItem(u"李\t5分"_qs);
        QCOMPARE(columns->columnStarts(fm).at(1), before);
    }
};

QTEST_MAIN(TestTabColumns)
#include "tst_TabColumns.moc"
