// Every window of the tool as a class sees it on a projector: in each usual state every
// visible caption, box text, combo text and list item fits its control, controls stand
// inside their frame's content area without covering each other, and Chinese is drawn with
// the Simplified Chinese face. One table of windows and states; ctest runs it under
// C.UTF-8 and zh_CN.UTF-8, at scale 1 and 2.
#include "FitCheck.h"
#include "../console/ConsoleRig.h"

#include "account/frmLogin.h"
#include "account/frmPswd.h"
#include "account/frmReg.h"
#include "app/Form1.h"
#include "app/NameDisplay.h"
#include "core/TextCodec.h"
#include "widgets/ClassroomLook.h"
#include "widgets/ElidedLabel.h"
#include "widgets/Prompter.h"
#include "widgets/TwipsLayout.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontInfo>
#include <QGlyphRun>
#include <QGroupBox>
#include <QLibraryInfo>
#include <QRawFont>
#include <QScrollBar>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTemporaryDir>
#include <QFileDialog>
#include <QTreeView>
#include <QTextLayout>

#include <functional>

using namespace corvanta;
using namespace corvanta::test;

namespace {

// Names that a list cutting them would show alike, and one a line would shrink.
const QStringList kLongNames = {u"买买提·吐尔逊江"_qs, u"买买提·吐尔洪江"_qs, u"迪丽热巴·迪力木拉提"_qs};

// Six four-character names in each of three groups, a six-character one in group 3, two long
// ones alike in their start in group 4 and a ten-character one in group 5. A second class that
// differs from the first only in its number.
QByteArray classRoster()
{
    QString text = QStringLiteral("Class_Is_Ready\t高三(12)班理科实验班\t高三(13)班理科实验班\t\r\n"
                                  "[keti]\t课堂提问\t回答完全正确并能举一反三\t5\t回答错误\t1\t\r\n");
    const QStringList names = {u"欧阳娜娜"_qs, u"司马相如"_qs, u"诸葛孔明"_qs, u"上官婉儿"_qs, u"东方明珠"_qs,
                               u"慕容云海"_qs, u"皇甫嵩山"_qs, u"尉迟敬德"_qs, u"公孙大娘"_qs, u"令狐冲冲"_qs,
                               u"长孙无忌"_qs, u"独孤求败"_qs, u"宇文成都"_qs, u"夏侯惇惇"_qs, u"轩辕青锋"_qs,
                               u"端木蓉蓉"_qs, u"百里守约"_qs, u"钟离春春"_qs};
    for (int i = 0; i < names.size(); ++i) {
        text += QStringLiteral("高三(12)班理科实验班\t%1\t%2\t0\t4.5\t12\r\n").arg(names[i]).arg(i / 6);
    }
    text += QStringLiteral("高三(12)班理科实验班\t阿卜杜热西提\t3\t0\t3\t2\r\n");
    for (const QString &name : kLongNames)
        text += QStringLiteral("高三(12)班理科实验班\t%1\t%2\t0\t0\t0\r\n").arg(name).arg(name.size() < 9 ? 4 : 5);
    text += QStringLiteral("高三(13)班理科实验班\t张三\t0\t0\t0\t0\r\n");
    return toGbk(text);
}

// Longer than its box on the scale page.
const QString kLongScale = u"能够完整复述课文内容并且正确回答全部拓展问题"_qs;

const QStringList kPending = {
    u"高三(12)班理科实验班\t欧阳娜娜\t5分\t2026-12-03 10:01:02\t回答完全正确并能举一反三"_qs,
    u"高三(12)班理科实验班\t阿卜杜热西提\t4分\t2026-12-03 10:02:03\t"_qs,
    u"高三(12)班理科实验班\t司马相如\t3分\t2026-12-03 10:03:04\t"_qs,
    u"高三(12)班理科实验班\t诸葛孔明\t1分\t2026-12-03 10:04:05\t回答错误"_qs,
    u"高三(12)班理科实验班\t上官婉儿\t2分\t2026-12-03 10:05:06\t"_qs,
    u"高三(12)班理科实验班\t东方明珠\t5分\t2026-12-03 10:06:07\t"_qs,
};

} // namespace

class TestWindowsFit : public QObject, private ConsoleRig
{
    Q_OBJECT

    std::unique_ptr<Form1> m_form;
    std::unique_ptr<QWidget> m_window;
    QWidget *m_shown = nullptr;

    template <typename T> T *inForm(const QString &name) const { return WindowRig::child<T>(m_form.get(), name); }

    // The main window on the class above, offline, with the pending scores.
    void openMainWindow()
    {
        resetRig();
        for (const QString &line : kPending)
            QVERIFY(m_pending->append(test::score(line)).ok());
        writeRecordFile(classRoster());
        m_login.LoginUser = LoginState::offlineUser();
        m_form = std::make_unique<Form1>(context());
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        m_form->LoadClassLists(QStringLiteral("offline"));
        auto *classes = inForm<QComboBox>(QStringLiteral("Combo2"));
        classes->setCurrentIndex(0);
        emit classes->activated(0);
        auto *topics = inForm<QComboBox>(QStringLiteral("Combo3"));
        topics->setCurrentIndex(0);
        emit topics->activated(0);
        m_shown = m_form.get();
    }
    void showName(const QString &name)
    {
        openMainWindow();
        // Typed into the search box and picked, as a draw would leave it.
        auto *search = inForm<QLineEdit>(QStringLiteral("txtManual"));
        search->setText(name);
        QTest::keyClick(search, Qt::Key_Down);
        QTest::keyClick(inForm<QListWidget>(QStringLiteral("List2")), Qt::Key_Return);
        QCOMPARE(inForm<QLineEdit>(QStringLiteral("Text2"))->text(), name);
    }
    void openTab(int tab)
    {
        openMainWindow();
        QTest::mouseClick(inForm<QPushButton>(QStringLiteral("btnChou_12")), Qt::LeftButton);
        auto *strip = inForm<QTabBar>(QStringLiteral("TabStrip1"));
        QTest::mouseClick(strip, Qt::LeftButton, {}, strip->tabRect(tab - 1).center());
    }
    void openUpload()
    {
        openMainWindow();
        QTest::mouseClick(inForm<QPushButton>(QStringLiteral("Command11")), Qt::LeftButton);
        inForm<QLineEdit>(QStringLiteral("Text4"))->setText(QStringLiteral("secret"));
    }
    void openConsolePage(Page page)
    {
        startServer();
        openConsole();
        QVERIFY(m_server.upload(m_account, kOperation, QStringLiteral("课堂提问"),
                                {u"C1\t张三\t5分\t2026-12-03 10:01:02\t回答正确"_qs,
                                 u"C1\t李四\t1分\t2026-12-03 10:02:03\t回答错误"_qs}));
        showPage(page);
        if (page == Page::Student)
            choose(QStringLiteral("Combo2"), QStringLiteral("C1"));
        if (page == Page::Score)
            choose(QStringLiteral("Combo1"), QStringLiteral("C1"));
        if (page == Page::Scale) {
            QVERIFY(m_server.addScales(m_account, kOperation, QStringLiteral("课堂提问"), {{kLongScale, 4}}));
            choose(QStringLiteral("Combo3"), QStringLiteral("课堂提问"));
        }
        m_shown = m_dialog.get();
    }
    template <typename W> void openAccountWindow()
    {
        resetRig();
        m_window = std::make_unique<W>(context());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_shown = m_window.get();
    }

    const QMap<QString, std::function<void()>> &states()
    {
        static const QMap<QString, std::function<void()>> table = {
            {u"main window"_qs, [this] { openMainWindow(); }},
            {u"main window collapsed"_qs,
             [this] {
                 openMainWindow();
                 m_form->collapse();
             }},
            {u"main window, four-character name"_qs, [this] { showName(u"欧阳娜娜"_qs); }},
            {u"main window, six-character name"_qs, [this] { showName(u"阿卜杜热西提"_qs); }},
            {u"main window, ten-character name"_qs, [this] { showName(kLongNames[2]); }},
            {u"main window, why shown"_qs,
             [this] {
                 showName(kLongNames[2]);
                 auto *all = inForm<QPushButton>(QStringLiteral("btnChou_0"));
                 QTest::mouseClick(all, Qt::LeftButton);
                 QTest::mouseClick(all, Qt::LeftButton);
                 QVERIFY(inForm<QLabel>(QStringLiteral("lblWhy"))->isVisible());
             }},
            {u"main window, long names searched"_qs,
             [this] {
                 openMainWindow();
                 inForm<QLineEdit>(QStringLiteral("txtManual"))->setText(QStringLiteral("mmt"));
             }},
            {u"main window, search results"_qs,
             [this] {
                 openMainWindow();
                 inForm<QLineEdit>(QStringLiteral("txtManual"))->setText(QStringLiteral("s"));
             }},
            {u"main window, scored"_qs,
             [this] {
                 showName(u"欧阳娜娜"_qs);
                 auto *score = inForm<QComboBox>(QStringLiteral("Combo1"));
                 score->setCurrentIndex(0);
                 emit score->activated(0);
                 QVERIFY(!score->isEnabled());
             }},
            {u"statistics 常用"_qs, [this] { openTab(1); }},
            {u"statistics 次数"_qs, [this] { openTab(2); }},
            {u"statistics 难度"_qs, [this] { openTab(3); }},
            {u"statistics 分组"_qs, [this] { openTab(4); }},
            {u"upload panel"_qs, [this] { openUpload(); }},
            {u"correction panel"_qs,
             [this] {
                 openUpload();
                 auto *list4 = inForm<QListWidget>(QStringLiteral("List4"));
                 emit list4->itemDoubleClicked(list4->item(0));
             }},
            {u"group statistics"_qs,
             [this] {
                 openUpload();
                 QTest::mouseClick(inForm<QPushButton>(QStringLiteral("Command27")), Qt::LeftButton);
             }},
            {u"group detail"_qs,
             [this] {
                 openUpload();
                 QTest::mouseClick(inForm<QPushButton>(QStringLiteral("Command27")), Qt::LeftButton);
                 auto *list9 = inForm<QListWidget>(QStringLiteral("List9"));
                 QVERIFY(list9->count() > 0);
                 list9->setCurrentRow(0);
                 emit list9->itemDoubleClicked(list9->item(0));
             }},
            {u"console start"_qs,
             [this] {
                 startServer();
                 openConsole();
                 m_shown = m_dialog.get();
             }},
            {u"console 个人信息"_qs, [this] { openConsolePage(Page::Teacher); }},
            {u"console 班级管理"_qs, [this] { openConsolePage(Page::Class); }},
            {u"console 班级改名"_qs,
             [this] {
                 openConsolePage(Page::Class);
                 doubleClick(QStringLiteral("List2"), 0);
             }},
            {u"console 学生管理"_qs, [this] { openConsolePage(Page::Student); }},
            {u"console 学生改名"_qs,
             [this] {
                 openConsolePage(Page::Student);
                 doubleClick(QStringLiteral("List1"), 0);
             }},
            {u"console 计分管理"_qs, [this] { openConsolePage(Page::Score); }},
            {u"console 计分修改"_qs,
             [this] {
                 openConsolePage(Page::Score);
                 doubleClick(QStringLiteral("List3"), 0);
             }},
            {u"console 快捷方式"_qs, [this] { openConsolePage(Page::Shortcut); }},
            {u"console 课题管理"_qs, [this] { openConsolePage(Page::Topic); }},
            {u"console 修改课题"_qs,
             [this] {
                 openConsolePage(Page::Topic);
                 doubleClick(QStringLiteral("List4"), 0);
             }},
            {u"console 评分标准"_qs, [this] { openConsolePage(Page::Scale); }},
            {u"console 计分标准修改"_qs,
             [this] {
                 openConsolePage(Page::Scale);
                 const QStringList lines = itemsOf(list(QStringLiteral("List5")));
                 const auto row = lines.indexOf(QRegularExpression(QStringLiteral(".*") + kLongScale + QStringLiteral(".*")));
                 QVERIFY(row >= 0);
                 doubleClick(QStringLiteral("List5"), int(row));
             }},
            {u"console 新建标准"_qs,
             [this] {
                 openConsolePage(Page::Scale);
                 // Several standards already there: the frame lists them all to check against.
                 QVERIFY(m_server.addScales(m_account, kOperation, QStringLiteral("课堂提问"),
                                            {{u"回答正确"_qs, 5}, {u"基本正确"_qs, 3}, {u"需要提示"_qs, 1}}));
                 choose(QStringLiteral("Combo3"), QStringLiteral("课堂提问"));
                 click(QStringLiteral("Command37"));
             }},
            {u"login"_qs, [this] { openAccountWindow<frmLogin>(); }},
            {u"registration"_qs, [this] { openAccountWindow<frmReg>(); }},
            {u"password reset"_qs, [this] { openAccountWindow<frmPswd>(); }},
        };
        return table;
    }

    // Saves a picture of the window for a person to look at, when asked to.
    void keepPicture(const QString &state)
    {
        const QString dir = qEnvironmentVariable("CORVANTA_SCREENSHOT_DIR");
        if (dir.isEmpty() || !m_shown)
            return;
        QString file = state;
        file.replace(QRegularExpression(QStringLiteral("[ ,/]+")), QStringLiteral("_"));
        m_shown->grab().save(dir + u'/' + file + QStringLiteral(".png"));
    }

private slots:
    void initTestCase()
    {
        useClassroomFonts();
        QVERIFY2(loadQtChinese(), "qt6-translations-l10n is not installed");
    }
    void cleanup()
    {
        m_shown = nullptr;
        m_form.reset();
        m_window.reset();
        closeConsole();
        m_server.stop();
    }

    void everyTextFits_data()
    {
        QTest::addColumn<QString>("state");
        for (const QString &state : states().keys())
            QTest::newRow(qPrintable(state)) << state;
    }
    void everyTextFits()
    {
        QFETCH(QString, state);
        states().value(state)();
        QVERIFY(m_shown);
        QCoreApplication::processEvents();
        keepPicture(state);
        const QStringList problems = FitCheck(m_shown).run();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }

    void listsShowTheirLines_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("lines");
        QTest::newRow("pending scores") << "upload panel" << "List4" << 6;
        for (int g = 0; g < 3; ++g) {
            const QString name = QStringLiteral("List_group_%1").arg(g);
            QTest::newRow(qPrintable(name)) << "statistics 分组" << name << 6;
        }
        QTest::newRow("long names alike") << "statistics 分组" << "List_group_4" << 2;
        QTest::newRow("ten-character name") << "statistics 分组" << "List_group_5" << 1;
        QTest::newRow("search results") << "main window, search results" << "List2" << -1;
        QTest::newRow("long names searched") << "main window, long names searched" << "List2" << 2;
        QTest::newRow("existing standards") << "console 新建标准" << "List6" << 3;
    }
    // The first lines (the results, for -1) stand whole in the list, each name unabridged.
    void listsShowTheirLines()
    {
        QFETCH(QString, state);
        QFETCH(QString, list);
        QFETCH(int, lines);
        states().value(state)();
        auto *view = WindowRig::child<QListWidget>(m_shown, list);
        QVERIFY(view && view->isVisible());
        if (lines < 0) // every result, up to six: a longer list scrolls
            lines = std::min<int>(view->count(), 6);
        QVERIFY(view->count() >= lines && lines > 0);
        const QRect viewport = view->viewport()->rect();
        for (int row = 0; row < lines; ++row) {
            const QRect rect = view->visualItemRect(view->item(row));
            QVERIFY2(rect.top() >= 0 && rect.bottom() <= viewport.bottom(),
                     qPrintable(QStringLiteral("line %1 of %2").arg(row).arg(list)));
            if (list == QStringLiteral("List4") || list == QStringLiteral("List6"))
                continue; // their lines scroll sideways
            // Whole, in one line or wrapped into as many as the item is high; no "…".
            const QString text = view->item(row)->text();
            QStyleOptionViewItem option;
            option.initFrom(view);
            const QModelIndex index = view->model()->index(row, 0);
            const int needed = view->itemDelegateForIndex(index)->sizeHint(option, index).width();
            const QRect wrapped = view->fontMetrics().boundingRect(QRect(0, 0, rect.width() - 4, 10000),
                                                                   Qt::TextWordWrap, text.section(u'\t', 0, 0));
            QVERIFY2(needed <= viewport.width() || (view->wordWrap() && wrapped.height() <= rect.height()),
                     qPrintable(QStringLiteral("\"%1\" needs %2 px, has %3").arg(text).arg(needed).arg(rect.width())));
        }
    }

    void keyInformationReadable_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("control");
        QTest::newRow("the score given") << "main window, scored" << "Combo1";
        QTest::newRow("the standards after login") << "main window" << "List1";
        QTest::newRow("the name corrected") << "correction panel" << "Text8";
        QTest::newRow("the teacher's account") << "console 个人信息" << "Text7";
        QTest::newRow("the standards a new one joins") << "console 新建标准" << "List6";
    }
    // Not editable, and drawn in the colours of an editable control.
    void keyInformationReadable()
    {
        QFETCH(QString, state);
        QFETCH(QString, control);
        states().value(state)();
        auto *w = WindowRig::child<QWidget>(m_shown, control);
        QVERIFY(w && w->isVisible());
        QVERIFY(!w->isEnabled());
        for (const QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::Base})
            QCOMPARE(w->palette().color(QPalette::Disabled, role), w->palette().color(QPalette::Active, role));
    }

    // A long class name ends in "…" and shows whole in the tip; two classes that differ only
    // in their number show it. The drop-down shows every name whole, each with its tip.
    void longClassNameElided()
    {
        openMainWindow();
        auto *combo = inForm<QComboBox>(QStringLiteral("Combo2"));
        auto *line = qobject_cast<ElidedLineEdit *>(combo->lineEdit());
        QVERIFY(line);
        QCOMPARE(line->text(), u"高三(12)班理科实验班"_qs);
        const QString first = line->shownText();
        QVERIFY(first.endsWith(u'…'));
        QCOMPARE(line->toolTip(), line->text());
        combo->setCurrentIndex(1);
        const QString second = line->shownText();
        QVERIFY2(first.contains(QStringLiteral("12")) && second.contains(QStringLiteral("13")),
                 qPrintable(first + u' ' + second));
        QVERIFY(line->fontMetrics().horizontalAdvance(second) <= textRoom(line).width());

        combo->showPopup();
        QAbstractItemView *view = combo->view();
        QTRY_VERIFY(view->isVisible());
        for (int i = 0; i < combo->count(); ++i) {
            const QModelIndex index = combo->model()->index(i, 0);
            QCOMPARE(index.data(Qt::ToolTipRole).toString(), combo->itemText(i));
            QVERIFY2(view->visualRect(index).width() >= view->fontMetrics().horizontalAdvance(combo->itemText(i)),
                     qPrintable(QStringLiteral("%1 px for %2").arg(view->visualRect(index).width())
                                    .arg(view->fontMetrics().horizontalAdvance(combo->itemText(i)))));
            QVERIFY(view->viewport()->rect().contains(view->visualRect(index)));
        }
        combo->hidePopup();
    }

    // The search popup's top edge cuts no line of text: a one-line control under it is covered
    // over its whole height or not at all.
    void searchPopupCutsNoText()
    {
        openMainWindow();
        inForm<QLineEdit>(QStringLiteral("txtManual"))->setText(QStringLiteral("s"));
        auto *popup = inForm<QListWidget>(QStringLiteral("List2"));
        QVERIFY(popup->isVisible());
        for (QWidget *other : popup->parentWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            // One-line controls; the name box below a popup is a picture of one name.
            if (other == popup || !other->isVisible() || !isTextControl(other) || shownText(other).isEmpty() ||
                other->height() > 2 * popup->sizeHintForRow(0))
                continue;
            const QRect r = other->geometry();
            const QRect p = popup->geometry();
            QVERIFY2(!r.intersects(p) || (r.top() >= p.top() && r.bottom() <= p.bottom()), qPrintable(nameOf(other)));
        }
        QVERIFY(popup->geometry().bottom() < inForm<QLineEdit>(QStringLiteral("txtManual"))->y());
    }

    void scaleBoxShowsItsStart()
    {
        states().value(u"console 计分标准修改"_qs)();
        QLineEdit *box = edit(QStringLiteral("Text26"));
        QCOMPARE(box->text(), kLongScale);
        QCOMPARE(box->cursorPosition(), 0);
    }

    void collapsedIconInTheMiddle()
    {
        openMainWindow();
        m_form->collapse();
        auto *icon = inForm<QWidget>(QStringLiteral("Image1"));
        const QRect inWindow(icon->mapTo(m_form.get(), QPoint()), icon->size());
        QVERIFY(qAbs(inWindow.center().x() - m_form->rect().center().x()) <= 1);
        auto *stopwatch = inForm<QLabel>(QStringLiteral("Label30"));
        QVERIFY(stopwatch->fontMetrics().horizontalAdvance(QStringLiteral("00:00")) <= stopwatch->contentsRect().width());
    }

    void qtSpeaksChinese_data()
    {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("chinese");
        QTest::newRow("OK") << "QPlatformTheme" << "OK" << "确定";
        QTest::newRow("Cancel") << "QPlatformTheme" << "Cancel" << "取消";
        QTest::newRow("Open") << "QPlatformTheme" << "Open" << "打开";
        QTest::newRow("Save") << "QPlatformTheme" << "Save" << "保存";
    }
    void qtSpeaksChinese()
    {
        QFETCH(QString, context);
        QFETCH(QString, english);
        QFETCH(QString, chinese);
        QCOMPARE(QCoreApplication::translate(qPrintable(context), qPrintable(english)), chinese);
    }

    // Qt's file dialog opens in the folder given and speaks Chinese in any locale: every
    // caption, header, column and place; a folder's type and a file's date too.
    void fileDialogInChinese()
    {
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("备份")));
        QFile file(folder.filePath(QStringLiteral("scores.cvr")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const auto dialog = makeFileDialog(nullptr, QStringLiteral("打开数据文件"),
                                           QStringLiteral("数据文件 (*.cvr);;所有文件 (*)"), folder.path());
        dialog->setViewMode(QFileDialog::Detail);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QCOMPARE(QDir(dialog->directory()).canonicalPath(), QDir(folder.path()).canonicalPath());
        auto *details = dialog->findChild<QTreeView *>(QStringLiteral("treeView"));
        QVERIFY(details);
        QTRY_COMPARE(details->model()->rowCount(details->rootIndex()), 2);
        if (const QString pictures = qEnvironmentVariable("CORVANTA_SCREENSHOT_DIR"); !pictures.isEmpty())
            dialog->grab().save(pictures + QStringLiteral("/file_dialog.png"));
        QStringList shown;
        for (int row = 0; row < 2; ++row) {
            const QModelIndex index = details->model()->index(row, 0, details->rootIndex());
            const QString type = index.siblingAtColumn(2).data().toString();
            QCOMPARE(type, index.data().toString() == QStringLiteral("备份") ? QStringLiteral("文件夹")
                                                                             : QStringLiteral("CVR 文件"));
            const QString date = index.siblingAtColumn(3).data().toString();
            QVERIFY2(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d$")).match(date).hasMatch(),
                     qPrintable(date));
            // Whole in its column.
            QVERIFY(details->fontMetrics().horizontalAdvance(date) + 8 <= details->columnWidth(3));
            shown.append(index.siblingAtColumn(1).data().toString());
        }
        for (int column = 0; column < details->model()->columnCount(); ++column)
            shown.append(details->model()->headerData(column, Qt::Horizontal).toString());
        for (QWidget *w : dialog->findChildren<QWidget *>()) {
            if (!w->isVisibleTo(dialog.get()))
                continue;
            if (const auto *label = qobject_cast<QLabel *>(w))
                shown.append(label->text());
            else if (const auto *button = qobject_cast<QAbstractButton *>(w))
                shown.append(button->text() + u' ' + button->toolTip());
            else if (const auto *combo = qobject_cast<QComboBox *>(w); combo && !combo->isEditable())
                shown.append(combo->currentText());
        }
        if (auto *places = dialog->findChild<QListView *>(QStringLiteral("sidebar"))) {
            for (int row = 0; row < places->model()->rowCount(); ++row)
                shown.append(places->model()->index(row, 0).data().toString());
        }
        // English words: two letters or more, outside the names of files and folders and the patterns.
        const QRegularExpression english(QStringLiteral("\\b[A-Za-z]{2,}\\b"));
        for (QString text : shown) {
            text.remove(QStringLiteral("scores.cvr")).remove(QStringLiteral("*.cvr")).remove(folder.path());
            text.remove(QDir::home().dirName());
            QVERIFY2(!english.match(withoutMnemonic(text)).hasMatch(), qPrintable(text));
        }
    }

    void windowsFacesAreMapped_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("weight");
        QTest::addColumn<QString>("drawnWith");
        QTest::newRow("stopwatch") << "Arial Narrow" << int(QFont::Bold) << "Liberation Sans Narrow";
        QTest::newRow("count and score") << "Arial Black" << int(QFont::Black) << "Lato";
        QTest::newRow("score box") << "Comic Sans MS" << int(QFont::Bold) << "Comic Neue";
    }
    void windowsFacesAreMapped()
    {
        QFETCH(QString, family);
        QFETCH(int, weight);
        QFETCH(QString, drawnWith);
        const QFont font(family, 12, weight);
        QCOMPARE(QFontInfo(font).family(), drawnWith);
        QVERIFY(QFontInfo(font).weight() >= weight - 100);
        // The 分 of a score falls back to the Simplified Chinese face, not the Japanese one.
        for (const QString &face : facesOfHan(QStringLiteral("5分"), font))
            QVERIFY2(face.contains(QStringLiteral(" SC")), qPrintable(face));
    }
};

QTEST_MAIN(TestWindowsFit)
#include "tst_WindowsFit.moc"
