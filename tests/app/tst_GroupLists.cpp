// Regrouping by dragging names between and inside the group lists.
#include "GroupListsRig.h"

#include <QSignalSpy>

using namespace corvanta;
using namespace corvanta::test;

namespace {

std::array<QStringList, GroupCount> startGroups()
{
    std::array<QStringList, GroupCount> groups;
    groups[0] = QStringList{"甲", "乙", "丙"};
    groups[1] = QStringList{"丁", "戊"};
    return groups;
}

} // namespace

class TestGroupLists : public QObject, private GroupListsRig
{
    Q_OBJECT

    void verifyStart()
    {
        QCOMPARE(names(list(0)), startGroups()[0]);
        QCOMPARE(names(list(1)), startGroups()[1]);
    }

private slots:
    void init()
    {
        resetRig();
        openLists(QStringLiteral("一班"), startGroups());
    }
    void cleanup() { closeLists(); }

    void drop_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("targetRow"); // -1: below the last line
        QTest::addColumn<QStringList>("list0");
        QTest::addColumn<QStringList>("list1");
        QTest::addColumn<int>("selectedRow"); // in the target list

        QTest::newRow("below the last line of another list")
            << 0 << 1 << 1 << -1 << QStringList{"甲", "丙"} << QStringList{"丁", "戊", "乙"} << 2;
        QTest::newRow("on a line of another list: before it")
            << 0 << 0 << 1 << 1 << QStringList{"乙", "丙"} << QStringList{"丁", "甲", "戊"} << 1;
        QTest::newRow("third name onto the first line of its list")
            << 0 << 2 << 0 << 0 << QStringList{"丙", "甲", "乙"} << QStringList{"丁", "戊"} << 0;
        QTest::newRow("a name onto itself") << 0 << 1 << 0 << 1 << startGroups()[0] << startGroups()[1] << 1;
        QTest::newRow("first name onto the third line of its list: the moved name selected")
            << 0 << 0 << 0 << 2 << QStringList{"乙", "甲", "丙"} << QStringList{"丁", "戊"} << 1;
        QTest::newRow("below the last line of its own list")
            << 0 << 0 << 0 << -1 << QStringList{"乙", "丙", "甲"} << QStringList{"丁", "戊"} << 2;
        QTest::newRow("the last name leaves its list empty")
            << 1 << 0 << 0 << 3 << QStringList{"甲", "乙", "丙"} << QStringList{"戊"} << 3;
    }
    void drop()
    {
        QFETCH(int, from);
        QFETCH(int, row);
        QFETCH(int, target);
        QFETCH(int, targetRow);
        QFETCH(QStringList, list0);
        QFETCH(QStringList, list1);
        QFETCH(int, selectedRow);
        if (targetRow == 3) {
            // Onto the empty space below 丙: list 0 has lines 0..2 only.
            targetRow = -1;
            list0.append("丁");
        }
        QVERIFY(targetRow < 0 || list(target)->indexAt(pointOf(target, targetRow)).row() == targetRow);
        QVERIFY(targetRow >= 0 || list(target)->indexAt(pointOf(target, targetRow)).row() < 0);
        dragName(from, row, target, targetRow);
        QCOMPARE(names(list(0)), list0);
        QCOMPARE(names(list(1)), list1);
        QCOMPARE(list(target)->currentRow(), selectedRow);
        // The other fourteen lists are untouched.
        for (int g = 2; g < GroupCount; ++g)
            QCOMPARE(list(g)->count(), 0);
        QCOMPARE(m_lists->groups()[0], list0);
    }

    void lineUnderTheCursorSelectedWhileDragging()
    {
        grab(0, 0);
        const auto data = nameData("甲");
        QWidget *viewport = list(1)->viewport();
        QDragEnterEvent enter(pointOf(1, 1), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(list(1)->currentRow(), 1);
        QDragMoveEvent move(pointOf(1, 0), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        QCOMPARE(list(1)->currentRow(), 0);
        verifyStart();
    }

    // Only the line the drop left selected stays highlighted: lists the drag passed over and
    // the list it came from show no line selected.
    void highlightClearedWhenTheDragEnds()
    {
        grab(0, 0);
        const auto data = nameData("甲");
        QWidget *passed = list(1)->viewport();
        QDragEnterEvent enter(pointOf(1, 0), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(passed, &enter);
        QCOMPARE(list(1)->selectedItems().size(), 1);
        QDragLeaveEvent leave;
        QApplication::sendEvent(passed, &leave);
        QVERIFY(list(1)->selectedItems().isEmpty());
        QVERIFY(dropOn(2, pointOf(2, -1), *data));
        for (int g = 0; g < 2; ++g)
            QVERIFY2(list(g)->selectedItems().isEmpty(), qPrintable(QString::number(g)));
        QCOMPARE(list(2)->selectedItems().size(), 1);
        QCOMPARE(list(2)->selectedItems().first()->text(), QStringLiteral("甲"));
    }

    void dropsThatChangeNothing_data()
    {
        QTest::addColumn<bool>("pressFirst"); // a name grabbed before the drop
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<QString>("payload");
        QTest::newRow("a drop with no source") << false << QByteArray(GroupListsPanel::kNameFormat) << "甲";
        QTest::newRow("text from another program") << true << QByteArray("text/plain") << "甲";
        QTest::newRow("a name the drag did not grab")
            << true << QByteArray(GroupListsPanel::kNameFormat) << "乙";
    }
    void dropsThatChangeNothing()
    {
        QFETCH(bool, pressFirst);
        QFETCH(QByteArray, format);
        QFETCH(QString, payload);
        if (pressFirst)
            grab(0, 0);
        QMimeData data;
        data.setData(QString::fromLatin1(format), payload.toUtf8());
        dropOn(1, pointOf(1, -1), data);
        verifyStart();
    }

    void pressBelowTheLinesGrabsNothing()
    {
        QTest::mousePress(list(1)->viewport(), Qt::LeftButton, {}, pointOf(1, -1));
        QTest::mouseRelease(list(1)->viewport(), Qt::LeftButton, {}, pointOf(1, -1));
        dropOn(0, pointOf(0, 0), *nameData(QString()));
        dropOn(0, pointOf(0, 0), *nameData("丁"));
        verifyStart();
    }

    void oneDropForOneDrag()
    {
        dragName(0, 0, 1, -1);
        // The same drop again (a second delivery) moves nothing more.
        dropOn(1, pointOf(1, 0), *nameData("乙"));
        QCOMPARE(names(list(0)), QStringList({"乙", "丙"}));
        QCOMPARE(names(list(1)), QStringList({"丁", "戊", "甲"}));
    }

    void uploadBecomesUsableAfterADrag()
    {
        m_session.setOperationPassword(QStringLiteral("oper"));
        m_lists->resetUpload();
        QVERIFY(!uploadButton()->isEnabled());
        QVERIFY(uploadButton()->isVisible());
        QVERIFY(passwordBox()->isHidden());
        QCOMPARE(passwordBox()->text(), "oper");
        QCOMPARE(passwordBox()->echoMode(), QLineEdit::Password);
        QCOMPARE(passwordBox()->toolTip(), "上传密码");
        QCOMPARE(uploadButton()->text(), "上传分组信息");

        dragName(0, 0, 0, 0); // even a drop onto itself completes a drag
        QVERIFY(uploadButton()->isEnabled());
        QVERIFY(passwordBox()->isVisible());

        // Shown afresh, the view waits for a drag again.
        m_session.setOperationPassword(QStringLiteral("new"));
        m_lists->resetUpload();
        QVERIFY(!uploadButton()->isEnabled());
        QVERIFY(passwordBox()->isHidden());
        QCOMPARE(passwordBox()->text(), "new");
    }

    void pickByDoubleClick()
    {
        QSignalSpy picked(m_lists.get(), &GroupListsPanel::namePicked);
        QTRY_VERIFY(!list(1)->visualItemRect(list(1)->item(1)).isEmpty());
        const QPoint at = pointOf(1, 1);
        QTest::mouseClick(list(1)->viewport(), Qt::LeftButton, {}, at);
        QMouseEvent twice(QEvent::MouseButtonDblClick, at, list(1)->viewport()->mapToGlobal(at),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list(1)->viewport(), &twice);
        QTest::mouseRelease(list(1)->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(picked.size(), 1);
        QCOMPARE(picked[0][0].toString(), "戊");
        verifyStart();
    }
};

QTEST_MAIN(TestGroupLists)
#include "tst_GroupLists.moc"
