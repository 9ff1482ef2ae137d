#include "support/WindowRig.h"

#include "console/ConsolePage.h"
#include "console/Dialog.h"
#include "console/PageRegistry.h"

#include <QPushButton>
#include <QTest>

using namespace corvanta;

namespace {

// A page that only counts how often the console filled it.
class CountingPage : public ConsolePage
{
public:
    CountingPage(ConsoleSession &session, QWidget *parent) : ConsolePage(session, QStringLiteral("测试"), parent) {}
    void fillPage() override { ++fills; }
    void askToBeShown() { showAgain(); }
    int fills = 0;
};

ConsolePageId countingId(int i)
{
    return ConsolePageId(10 + i);
}

ConsolePageList countingPages(int count)
{
    ConsolePageList pages;
    for (int i = 0; i < count; ++i)
        pages.append({countingId(i), QStringLiteral("页面%1").arg(i), makeConsolePage<CountingPage>});
    return pages;
}

// The page buttons as they stand: rows top to bottom, each "objectName=caption" left to right.
QList<QStringList> buttonRows(const QWidget *dialog)
{
    QMap<int, QMap<int, QString>> byTopThenLeft;
    for (const auto *b : dialog->findChildren<QPushButton *>())
        if (b->objectName().startsWith(u"Cmd_manage_"))
            byTopThenLeft[b->y()][b->x()] = b->objectName() + u'=' + b->text();
    QList<QStringList> rows;
    for (const auto &row : std::as_const(byTopThenLeft))
        rows.append(row.values());
    return rows;
}

const QRect kReturnButton(9240, 4680, 1215, 495);

} // namespace

class TestConsolePageRow : public QObject, public test::WindowRig
{
    Q_OBJECT

    std::unique_ptr<Dialog> open(const ConsolePageList &pages)
    {
        auto dialog = std::make_unique<Dialog>(context(), console::ShortcutFolders{}, nullptr, pages);
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get()))
            return nullptr;
        return dialog;
    }

private slots:
    void init() { resetRig(); }
    void cleanup() { dropRig(); }

    void layout_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("rows");
        for (const auto &[count, rows] :
             std::initializer_list<std::pair<int, int>>{{1, 1}, {7, 1}, {8, 2}, {9, 2}, {14, 2}, {15, 3}, {22, 4}})
            QTest::addRow("%d pages", count) << count << rows;
    }
    void layout()
    {
        QFETCH(int, count);
        QFETCH(int, rows);
        const PageButtonLayout layout = pageButtonLayout(count);
        QCOMPARE(layout.buttons.size(), count);
        QSet<int> tops;
        for (qsizetype i = 0; i < count; ++i) {
            const QRect &b = layout.buttons[i];
            tops.insert(b.top());
            QVERIFY2(!b.intersects(kReturnButton), qPrintable(QString::number(i)));
            QVERIFY(b.left() >= 120 && b.right() < kReturnButton.left());
            for (qsizetype j = 0; j < i; ++j)
                QVERIFY2(!b.intersects(layout.buttons[j]), qPrintable(QStringLiteral("%1, %2").arg(i).arg(j)));
        }
        QCOMPARE(tops.size(), rows);
        QCOMPARE(layout.extraHeight, (rows - 1) * 600);
    }

    // Seven pages stand where the console always had them.
    void sevenPagesKeepTheirRow()
    {
        const PageButtonLayout layout = pageButtonLayout(7);
        for (int i = 0; i < 7; ++i)
            QCOMPARE(layout.buttons[i], QRect(120 + 1302 * i, 4680, 1215, 495));
        QCOMPARE(layout.extraHeight, 0);
    }

    // The buttons of the console's own pages: one row, left to right.
    void ownPagesInButtonOrder()
    {
        auto dialog = open(consolePages());
        QVERIFY(dialog);
        QCOMPARE(buttonRows(dialog.get()),
                 QList<QStringList>(
                     {{u"Cmd_manage_0=个人信息"_qs, u"Cmd_manage_1=班级管理"_qs, u"Cmd_manage_2=学生管理"_qs,
                       u"Cmd_manage_5=课题管理"_qs, u"Cmd_manage_6=评分标准"_qs, u"Cmd_manage_3=计分管理"_qs,
                       u"Cmd_manage_4=快捷方式"_qs}}));
    }

    // Tests and outside checks find a control by its name anywhere in the console: a page's
    // control never takes a name another page (or the console) already has.
    void everyControlNamedOnce()
    {
        auto dialog = open(consolePages());
        QVERIFY(dialog);
        QStringList seen, twice;
        for (const auto *w : dialog->findChildren<QWidget *>()) {
            const QString name = w->objectName();
            if (name.isEmpty() || name.startsWith(u"qt_"))
                continue;
            if (seen.contains(name))
                twice.append(name);
            seen.append(name);
        }
        QVERIFY2(twice.isEmpty(), qPrintable(twice.join(u' ')));
    }

    // More pages than one row holds: even rows in button order, every button visible inside
    // the window, none over another or "返回", and each shows (and fills) its own page.
    void pagesBeyondOneRow_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("rowSizes");
        QTest::newRow("eight") << 8 << QList<int>{4, 4};
        QTest::newRow("nine") << 9 << QList<int>{5, 4};
    }
    void pagesBeyondOneRow()
    {
        QFETCH(int, count);
        QFETCH(QList<int>, rowSizes);
        auto dialog = open(countingPages(count));
        QVERIFY(dialog);
        QList<QStringList> expected;
        for (int i = 0; const int size : rowSizes) {
            expected.append(QStringList());
            for (const int end = i + size; i < end; ++i)
                expected.last().append(buttonObjectName(countingId(i)) + QStringLiteral("=页面%1").arg(i));
        }
        QCOMPARE(buttonRows(dialog.get()), expected);
        auto *back = child<QPushButton>(dialog.get(), "OKButton");
        QList<QPushButton *> buttons;
        for (int i = 0; i < count; ++i) {
            auto *b = child<QPushButton>(dialog.get(), buttonObjectName(countingId(i)));
            QVERIFY(b->isVisible());
            QVERIFY(dialog->rect().contains(b->geometry()));
            QVERIFY(!b->geometry().intersects(back->geometry()));
            for (auto *other : std::as_const(buttons))
                QVERIFY(!b->geometry().intersects(other->geometry()));
            QVERIFY(b->fontMetrics().horizontalAdvance(b->text()) < b->width());
            buttons.append(b);
        }
        for (int i = 0; i < count; ++i) {
            QTest::mouseClick(buttons[i], Qt::LeftButton);
            for (int j = 0; j < count; ++j) {
                auto *page = child<CountingPage>(dialog.get(), pageObjectName(countingId(j)));
                QCOMPARE(page->isVisible(), i == j);
                QCOMPARE(page->fills, j <= i ? 1 : 0);
            }
        }
        if (const QString dir = qEnvironmentVariable("CORVANTA_SCREENSHOT_DIR"); !dir.isEmpty())
            dialog->grab().save(dir + QStringLiteral("/console_%1_pages.png").arg(count));
        // A page asking to be shown again is filled again.
        auto *first = child<CountingPage>(dialog.get(), pageObjectName(countingId(0)));
        first->askToBeShown();
        QVERIFY(first->isVisible());
        QCOMPARE(first->fills, 2);
    }
};

QTEST_MAIN(TestConsolePageRow)
#include "tst_ConsolePageRow.moc"
