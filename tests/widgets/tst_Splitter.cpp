#include "widgets/Splitter.h"

#include <QMetaProperty>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <memory>

using namespace corvanta;

namespace {

// A container with one bar: a vertical bar at left 100, a horizontal bar at top 100.
struct Rig
{
    std::unique_ptr<QWidget> container = std::make_unique<QWidget>();
    Splitter *bar = new Splitter(container.get());

    explicit Rig(int orientation)
    {
        container->resize(400, 300);
        bar->setOrientation(orientation);
        if (orientation == Splitter::Horizontal)
            bar->setGeometry(0, 100, 400, 6);
        else
            bar->setGeometry(100, 0, 6, 300);
        container->show();
    }
    // Mouse events go to the window, as the platform's do: the window hands them to the
    // widget under the mouse, and to the bar for the whole of a drag that began on it.
    QWindow *window() const { return container->windowHandle(); }
    // A point inside the bar, in the container's coordinates.
    QPoint grip() const
    {
        return bar->pos() + (bar->orientation() == Splitter::Horizontal ? QPoint(40, 3) : QPoint(3, 40));
    }
};

} // namespace

class TestSplitter : public QObject
{
    Q_OBJECT
private slots:
    void newBarIsVertical()
    {
        Splitter bar;
        QCOMPARE(bar.orientation(), 2);
        QCOMPARE(bar.property("Orientation").toInt(), 2);
        QCOMPARE(bar.cursor().shape(), Qt::SizeHorCursor);
        QVERIFY(bar.isEnabled());
        QVERIFY(bar.picture().isNull());
        QCOMPARE(bar.backColor(), bar.palette().color(QPalette::Button));
    }

    void orientationSetsCursor_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<Qt::CursorShape>("cursor");
        QTest::newRow("horizontal bar") << 1 << Qt::SizeVerCursor;
        QTest::newRow("vertical bar") << 2 << Qt::SizeHorCursor;
        QTest::newRow("any other value") << 7 << Qt::SizeHorCursor;
    }
    void orientationSetsCursor()
    {
        QFETCH(int, orientation);
        QFETCH(Qt::CursorShape, cursor);
        Splitter bar;
        QVERIFY(bar.setProperty("Orientation", orientation));
        QCOMPARE(bar.orientation(), orientation);
        QCOMPARE(bar.cursor().shape(), cursor);
    }

    void savedPropertiesAreDesignable_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("Picture") << "Picture";
        QTest::newRow("BackColor") << "BackColor";
        QTest::newRow("Orientation") << "Orientation";
        QTest::newRow("enabled") << "enabled";
    }
    void savedPropertiesAreDesignable()
    {
        QFETCH(QString, name);
        const QMetaObject *meta = &Splitter::staticMetaObject;
        const int index = meta->indexOfProperty(name.toLatin1().constData());
        QVERIFY(index >= 0);
        const QMetaProperty property = meta->property(index);
        QVERIFY(property.isWritable());
        QVERIFY(property.isDesignable());
        QVERIFY(property.isStored());
    }

    void backColorResetsToButtonFace()
    {
        Splitter bar;
        bar.setProperty("BackColor", QColor(Qt::red));
        QCOMPARE(bar.backColor(), QColor(Qt::red));
        QVERIFY(bar.metaObject()->property(bar.metaObject()->indexOfProperty("BackColor")).reset(&bar));
        QCOMPARE(bar.backColor(), bar.palette().color(QPalette::Button));
    }

    void drag_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QList<QPoint>>("moves"); // offsets from the press, in the container
        QTest::addColumn<QList<int>>("asked");    // positions BeforeSplit was asked about
        QTest::addColumn<QList<int>>("splits");   // positions Split was raised with
        QTest::addColumn<QPoint>("end");          // where the bar stands afterwards

        QTest::newRow("vertical bar follows the mouse sideways only")
            << 2 << Qt::LeftButton << "" << QList<QPoint>{{40, 0}, {-60, 25}} << QList<int>{140, 40}
            << QList<int>{140, 40} << QPoint(40, 0);
        QTest::newRow("horizontal bar follows the mouse up and down only")
            << 1 << Qt::LeftButton << "" << QList<QPoint>{{30, 50}} << QList<int>{150} << QList<int>{150}
            << QPoint(0, 150);
        QTest::newRow("right button does not drag") << 2 << Qt::RightButton << "" << QList<QPoint>{{40, 0}}
                                                    << QList<int>{} << QList<int>{} << QPoint(100, 0);
        QTest::newRow("other orientations do not drag")
            << 3 << Qt::LeftButton << "" << QList<QPoint>{{40, 0}, {0, 40}} << QList<int>{} << QList<int>{}
            << QPoint(100, 0);
        QTest::newRow("a cancelled move leaves the bar, the drag goes on")
            << 2 << Qt::LeftButton << "cancel below 150" << QList<QPoint>{{20, 0}, {100, 0}, {-40, 0}}
            << QList<int>{120, 200, 60} << QList<int>{200} << QPoint(200, 0);
        QTest::newRow("an adjusted move places the bar where the answer says")
            << 2 << Qt::LeftButton << "snap to 50" << QList<QPoint>{{83, 0}} << QList<int>{183}
            << QList<int>{200} << QPoint(200, 0);
        QTest::newRow("an adjusted horizontal move")
            << 1 << Qt::LeftButton << "snap to 50" << QList<QPoint>{{0, -27}} << QList<int>{73}
            << QList<int>{50} << QPoint(0, 50);
    }
    void drag()
    {
        QFETCH(int, orientation);
        QFETCH(Qt::MouseButton, button);
        QFETCH(QString, answer);
        QFETCH(QList<QPoint>, moves);
        QFETCH(QList<int>, asked);
        QFETCH(QList<int>, splits);
        QFETCH(QPoint, end);

        Rig rig(orientation);
        QVERIFY(QTest::qWaitForWindowExposed(rig.container.get()));
        QList<int> askedPositions;
        connect(rig.bar, &Splitter::BeforeSplit, rig.bar, [&](SplitRequest *request) {
            askedPositions.append(request->position);
            if (answer == QLatin1String("cancel below 150"))
                request->cancel = request->position < 150;
            else if (answer == QLatin1String("snap to 50"))
                request->position = (request->position + 25) / 50 * 50;
        });
        QList<int> splitPositions;
        QList<QPoint> barAtSplit;
        connect(rig.bar, &Splitter::Split, rig.bar, [&](int position) {
            splitPositions.append(position);
            barAtSplit.append(rig.bar->pos());
        });

        const QPoint press = rig.grip();
        QTest::mousePress(rig.window(), button, {}, press);
        for (const QPoint &offset : moves)
            QTest::mouseMove(rig.window(), press + offset);
        QTest::mouseRelease(rig.window(), button, {}, press + (moves.isEmpty() ? QPoint() : moves.last()));

        QCOMPARE(askedPositions, asked);
        QCOMPARE(splitPositions, splits);
        QCOMPARE(rig.bar->pos(), end);
        // Split comes after the move: the container lays out around the bar where it now stands.
        for (qsizetype i = 0; i < barAtSplit.size(); ++i)
            QCOMPARE(orientation == 1 ? barAtSplit[i].y() : barAtSplit[i].x(), splits[i]);
    }

    void releaseEndsTheDrag()
    {
        Rig rig(2);
        QVERIFY(QTest::qWaitForWindowExposed(rig.container.get()));
        rig.bar->setMouseTracking(true); // moves arrive without a button too
        QSignalSpy moved(rig.bar, &Splitter::MouseMove);
        QSignalSpy asked(rig.bar, &Splitter::BeforeSplit);
        const QPoint press = rig.grip();
        QTest::mousePress(rig.window(), Qt::LeftButton, {}, press);
        QTest::mouseRelease(rig.window(), Qt::LeftButton, {}, press);
        QTest::mouseMove(rig.window(), press + QPoint(1, 0));
        QTest::mouseMove(rig.window(), press + QPoint(2, 0));
        QVERIFY(moved.size() >= 1);
        QCOMPARE(asked.size(), 0);
        QCOMPARE(rig.bar->pos(), QPoint(100, 0));
    }

    void disabledBarDoesNotDrag()
    {
        Rig rig(2);
        QVERIFY(QTest::qWaitForWindowExposed(rig.container.get()));
        rig.bar->setEnabled(false);
        QSignalSpy asked(rig.bar, &Splitter::BeforeSplit);
        const QPoint press = rig.grip();
        QTest::mousePress(rig.window(), Qt::LeftButton, {}, press);
        QTest::mouseMove(rig.window(), press + QPoint(40, 0));
        QTest::mouseRelease(rig.window(), Qt::LeftButton, {}, press + QPoint(40, 0));
        QCOMPARE(asked.size(), 0);
        QCOMPARE(rig.bar->pos(), QPoint(100, 0));
    }

    void mouseEventsAndClicks()
    {
        Rig rig(2);
        QVERIFY(QTest::qWaitForWindowExposed(rig.container.get()));
        QSignalSpy down(rig.bar, &Splitter::MouseDown);
        QSignalSpy up(rig.bar, &Splitter::MouseUp);
        QSignalSpy clicked(rig.bar, &Splitter::Click);
        QSignalSpy doubleClicked(rig.bar, &Splitter::DblClick);
        const QPoint grip = rig.grip();

        QTest::mouseClick(rig.window(), Qt::LeftButton, Qt::ShiftModifier, grip);
        QCOMPARE(down.size(), 1);
        QCOMPARE(down[0][0].value<Qt::MouseButton>(), Qt::LeftButton);
        QCOMPARE(down[0][1].value<Qt::KeyboardModifiers>(), Qt::KeyboardModifiers(Qt::ShiftModifier));
        QCOMPARE(down[0][2].toPointF(), QPointF(grip - rig.bar->pos()));
        QCOMPARE(up.size(), 1);
        QCOMPARE(clicked.size(), 1);

        QTest::mouseClick(rig.window(), Qt::RightButton, {}, grip);
        QCOMPARE(down.size(), 2);
        QCOMPARE(clicked.size(), 1);

        QTest::mouseDClick(rig.window(), Qt::LeftButton, {}, grip);
        QCOMPARE(doubleClicked.size(), 1);
        QCOMPARE(clicked.size(), 2); // its first click only
    }
};

QTEST_MAIN(TestSplitter)
#include "tst_Splitter.moc"
