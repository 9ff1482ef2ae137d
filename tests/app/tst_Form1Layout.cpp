// How the main window lays itself out: the splitter dragged by mouse, the name display's
// size and place, the stopwatch, the two window states, the score combo's font.
#include "Form1Rig.h"
#include "app/DisplayText.h"
#include "app/NameDisplay.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QWindow>

using namespace corvanta;
using namespace corvanta::test;

namespace {

const char *const ClassRoster = "Class_Is_Ready\t一班\t\r\n"
                                "[keti]\t朗读\t读得流利\t5\t\r\n"
                                "[keti]\t默写\t\r\n"
                                "一班\t李小明\t0\t0\t0\t0\r\n";

// Sends an enter event to a widget whenever another one is hidden, as the platform does
// when hiding uncovers the widget under the pointer.
class EnterOnHide : public QObject
{
public:
    EnterOnHide(QWidget *hidden, QWidget *entered) : m_entered(entered) { hidden->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Hide) {
            QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
            QApplication::sendEvent(m_entered, &enter);
        }
        return false;
    }

private:
    QWidget *m_entered;
};

// The box of the name's red ink inside a rectangle of the image; null when there is none.
QRect inkBox(const QImage &image, const QRect &area)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 150 && c.green() < 120 && c.blue() < 120)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

} // namespace

class TestForm1Layout : public QObject, private Form1Rig
{
    Q_OBJECT

    QWidget *bar() const { return child<QWidget>("Splitter1"); }
    QFrame *box() const { return child<QFrame>("Text13"); }
    QRect inForm(const QWidget *w) const { return {w->mapTo(m_form.get(), QPoint()), w->size()}; }

    // Drags the splitter by mouse through the window, by dx pixels in steps of at most 5.
    void dragBar(int dx, Qt::MouseButton button = Qt::LeftButton)
    {
        QWindow *window = m_form->windowHandle();
        const QPoint start = bar()->mapTo(m_form.get(), QPoint(2, bar()->height() / 2));
        QTest::mousePress(window, button, {}, start);
        int moved = 0;
        while (moved != dx) {
            moved += std::clamp(dx - moved, -5, 5);
            QTest::mouseMove(window, start + QPoint(moved, 0));
        }
        QTest::mouseRelease(window, button, {}, start + QPoint(dx, 0));
    }
    // Drags the splitter so that its left edge would stand at `left` pixels in its panel.
    void dragBarTo(int left) { dragBar(left - bar()->x()); }
    int rightmostLeft() const { return (m_form->width() * 15 - 1400) / 15; }

private slots:
    void init()
    {
        openForm();
        loadOffline(ClassRoster);
        chooseClass(QStringLiteral("一班"));
        QVERIFY(bar()->isVisible());
    }
    void cleanup() { closeForm(); }

    void splitterLimits_data()
    {
        QTest::addColumn<int>("left"); // where the mouse takes the bar (pixels in its panel)
        QTest::addColumn<bool>("moves");
        QTest::newRow("well inside") << 250 << true;
        QTest::newRow("2805 twips from the left") << 187 << true;
        QTest::newRow("2790 twips: too far left") << 186 << false;
        QTest::newRow("1400 twips from the right") << -1 << true;
        QTest::newRow("less than 1400 twips from the right") << -2 << false;
    }
    void splitterLimits()
    {
        QFETCH(int, left);
        QFETCH(bool, moves);
        if (left == -1)
            left = rightmostLeft();
        else if (left == -2)
            left = rightmostLeft() + 1;
        const int before = bar()->x();
        dragBarTo(left);
        // A refused move leaves the bar at the last place it was allowed to go.
        if (moves)
            QCOMPARE(bar()->x(), left);
        else
            QVERIFY(bar()->x() != left && qAbs(bar()->x() - left) <= 5 && bar()->x() != before);

        // The name area and the standards list follow the bar.
        const int x = bar()->x();
        QCOMPARE(box()->width(), x);
        QVERIFY(qAbs(nameDisplay()->geometry().right() + 1 - (x + 6)) <= 1);
        QVERIFY(qAbs(child<QWidget>("Combo3")->geometry().right() + 1 - (x + 8)) <= 1);
        auto *list1 = child<QListWidget>("List1");
        QCOMPARE(list1->x(), x + Form1::tw(75) + Form1::tw(120));
        QVERIFY(qAbs(inForm(list1).right() + 1 - m_form->width()) <= 4);
    }

    void rightButtonDoesNotDrag()
    {
        const int before = bar()->x();
        dragBar(-40, Qt::RightButton);
        QCOMPARE(bar()->x(), before);
    }

    void nameFontFollowsTheBar_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size"); // in one line
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("three characters in 4125 twips") << "李小明" << 57 << QStringList{"李小明"};
        QTest::newRow("one character is capped") << "李" << 70 << QStringList{"李"};
        QTest::newRow("four characters") << "欧阳娜娜" << 42 << QStringList{"欧阳娜娜"};
        // A long name that one line would shrink stands larger in two lines.
        QTest::newRow("ten characters") << "李小明李小明李小明李" << 17 << QStringList{"李小明李小", "明李小明李"};
        QTest::newRow("broken after the dot") << "迪丽热巴·迪力木拉提" << 17 << QStringList{"迪丽热巴·", "迪力木拉提"};
    }
    void nameFontFollowsTheBar()
    {
        QFETCH(QString, name);
        QFETCH(int, size);
        QFETCH(QStringList, lines);
        auto *display = qobject_cast<NameDisplay *>(nameDisplay());
        display->setText(name);
        // Text2 is 60 twips narrower than the bar's left.
        dragBarTo(279);
        QCOMPARE(display->width() * 15, 4125);
        QCOMPARE(nameFontSize(4125, int(name.size())), size);
        QCOMPARE(display->shownLines(), lines);
        if (lines.size() == 1) {
            QCOMPARE(display->font().pointSize(), size);
        } else {
            // Half again as large at least, and both lines stand whole in the box.
            QVERIFY2(display->font().pointSize() * 2 >= size * 3, qPrintable(QString::number(display->font().pointSize())));
            QVERIFY(display->rect().contains(display->inkRect()));
            QVERIFY(display->inkRect().height() > display->height() / 2);
        }
    }

    void nameStandsInTheMiddleOfItsBox_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("standards");
        QTest::newRow("two characters") << "王珺" << true;
        QTest::newRow("three characters") << "李小明" << true;
        QTest::newRow("four characters") << "欧阳娜娜" << true;
        QTest::newRow("two characters, full width") << "王珺" << false;
        QTest::newRow("latin letters with descenders") << "Jimmy" << false;
        QTest::newRow("two lines") << "迪丽热巴·迪力木拉提" << true;
        QTest::newRow("two lines, full width") << "阿卜杜热西提·买买提江" << false;
    }
    void nameStandsInTheMiddleOfItsBox()
    {
        QFETCH(QString, name);
        QFETCH(bool, standards);
        if (!standards)
            child<QComboBox>("Combo3")->setEditText(QStringLiteral("默写"));
        nameDisplay()->setText(name);
        // The width rule holds while the glyphs fit: two characters get 70 points. A long name
        // in two lines is larger.
        const int rule = nameFontSize(nameDisplay()->width() * 15, int(name.size()));
        if (name.size() == 2)
            QCOMPARE(nameDisplay()->font().pointSize(), rule);
        if (name.size() < 8)
            QVERIFY(nameDisplay()->font().pointSize() <= rule);
        else
            QVERIFY(nameDisplay()->font().pointSize() > rule);

        const QImage image = m_form->grab().toImage();
        const qreal ratio = image.devicePixelRatio();
        const QRect frame = inForm(box());
        const QRect inside = frame.adjusted(1, 1, -1, -1);
        const QRect ink = inkBox(image, QRect(inside.topLeft() * ratio, inside.size() * ratio));
        QVERIFY(!ink.isNull());
        const QRect area(inside.topLeft() * ratio, inside.size() * ratio);
        const int top = ink.top() - area.top(), bottom = area.bottom() - ink.bottom();
        const int left = ink.left() - area.left();
        // The bar covers the box's right edge: measure to the bar when it shows.
        const int right = (standards ? inForm(bar()).left() * ratio - 1 : area.right()) - ink.right();
        QVERIFY2(top >= 2 && bottom >= 2 && left >= 2 && right >= 2,
                 qPrintable(QStringLiteral("ink %1,%2 %3x%4")
                                .arg(ink.x())
                                .arg(ink.y())
                                .arg(ink.width())
                                .arg(ink.height())));
        QVERIFY2(qAbs(top - bottom) <= 2 * ratio,
                 qPrintable(QStringLiteral("top %1, bottom %2").arg(top).arg(bottom)));
        const int boxRight = area.right() - ink.right();
        QVERIFY2(qAbs(left - boxRight) <= 3 * ratio + Form1::tw(120) * ratio,
                 qPrintable(QStringLiteral("left %1, right %2").arg(left).arg(boxRight)));
    }

    void boxShowsNoLineWithTheStandards()
    {
        QVERIFY(child<QListWidget>("List1")->isVisible());
        nameDisplay()->setText(QStringLiteral("王珺"));
        const QImage image = m_form->grab().toImage();
        const qreal ratio = image.devicePixelRatio();
        const QRect inside = inForm(box()).adjusted(1, 1, -1, -1);
        int dark = 0;
        for (int y = int(inside.top() * ratio); y <= int(inside.bottom() * ratio); ++y) {
            for (int x = int(inside.left() * ratio); x <= int(inside.right() * ratio); ++x) {
                const QColor c = image.pixelColor(x, y);
                dark += c.red() < 140 && c.green() < 140 && c.blue() < 140;
            }
        }
        QCOMPARE(dark, 0);
    }

    void stopwatchCoversNothing()
    {
        auto *stopwatch = child<QLabel>("Label30");
        QVERIFY(stopwatch->isVisible());
        for (QWidget *other : child<QFrame>("Frame5")->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (other != stopwatch && other->isVisible())
                QVERIFY2(!other->geometry().intersects(stopwatch->geometry()),
                         qPrintable(other->objectName()));
        }
        QVERIFY(m_form->rect().contains(inForm(stopwatch)));
    }

    void windowStatesIgnoreTheirOwnEnterEvents()
    {
        // Hiding the name box uncovers the icon under the pointer; showing it covers the other.
        EnterOnHide uncover(box(), child<QWidget>("Image1"));
        m_form->collapse();
        QVERIFY(m_form->isCollapsed());
        QVERIFY(m_form->width() < 100);
        QVERIFY(child<QLabel>("Label30")->isVisible());
        m_form->expand();
        QVERIFY(!m_form->isCollapsed());
        QCOMPARE(m_form->size(), m_form->expandedSize());
        QVERIFY(child<QLabel>("Label30")->isVisible());
        QVERIFY(nameDisplay()->isVisible());
    }

    void scoreComboDrawsComicNeue()
    {
        QVERIFY2(QFontDatabase::hasFamily(QStringLiteral("Comic Neue")), "fonts-comic-neue is not installed");
        auto *combo1 = child<QComboBox>("Combo1");
        QCOMPARE(combo1->font().family(), QStringLiteral("Comic Sans MS"));
        QCOMPARE(QFontInfo(combo1->font()).family(), QStringLiteral("Comic Neue"));
        QVERIFY(QFontInfo(combo1->font()).bold());
    }
};

QTEST_MAIN(TestForm1Layout)
#include "tst_Form1Layout.moc"
