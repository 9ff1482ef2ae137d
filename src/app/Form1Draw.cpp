#include "Form1.h"

#include "app/DisplayText.h"
#include "app/Form1Layout.h"
#include "app/GroupListsPanel.h"
#include "app/ManualSearchBox.h"
#include "app/NameDisplay.h"
#include "app/StatisticsPanel.h"
#include "core/AppConfig.h"
#include "net/LoginState.h"
#include "scoring/ScoreCorrection.h"
#include "scoring/ScoreRecorder.h"
#include "scoring/ScoreUndo.h"
#include "scoring/StandardLine.h"
#include "scoring/UploadPanel.h"
#include "widgets/Prompter.h"
#include "widgets/Splitter.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

// The main window's class lists, draw and scoring; its building and window states are in
// Form1.cpp.
namespace corvanta {

using namespace form1_layout;

// ---- Class record file and roster ----

void Form1::LoadClassLists(const QString &mode)
{
    // The application refreshed the file before an online load.
    setWindowTitle(QStringLiteral("Corvanta [") + m_context.login.LoginUser + u']');

    if (const Result read = records().readable(); !read) {
        m_context.prompter.message(this, QStringLiteral("提示"),
                                   read.error() + QStringLiteral("\r\n请重新在线登录以下载班级数据。"),
                                   PromptIcon::Warning);
    }
    const QStringList classes = records().classNames();
    Combo2->clear();
    Combo2->addItems(classes);
    Combo2->setCurrentIndex(-1);
    Combo2->setEditText(QStringLiteral("班级"));
    Combo2->setEnabled(true);
    // A new account: no class yet, and the way to add one. Offline, the file is only a copy.
    showFirstSteps(classes.isEmpty() && mode == u"online");

    const QStringList topics = records().topicNames();
    {
        const QSignalBlocker block(Combo3);
        Combo3->clear();
        Combo3->addItems(topics);
        Combo3->setCurrentIndex(-1);
        Combo3->setEditText(QString());
    }
    if (!topics.isEmpty())
        Combo3->setEditText(topics.first()); // fires the topic change
    else
        topicTyped(QString());

    Text6->clear();
    abandonRunningDraw();
    m_draw.setPools({});
    syncPoolLists();
    for (auto *b : btnChou)
        b->setEnabled(false);
    // No class is chosen now: nothing of the last one stays findable or in view.
    txtManual->clearClass();
    txtManual->setEnabled(false);
    Frame6->groupLists().clearGroups();
    Frame6->clearViews();
    if (Frame6->isVisible())
        Frame6->showSelectedTab();
    emit classListsLoaded();
}

void Form1::reloadKeepingLesson()
{
    const bool hadClass = Combo2->currentIndex() >= 0 && Combo2->currentText() == class_num;
    const QString lessonClass = class_num;
    const KeptLesson kept{buildRoster(m_classStudents), m_draw.pools(), Frame6->groupLists().groups()};
    const QString topic = Combo3->currentText();
    QStringList topicsBefore;
    for (int i = 0; i < Combo3->count(); ++i)
        topicsBefore.append(Combo3->itemText(i));

    LoadClassLists(QStringLiteral("online"));

    // A topic typed by the teacher stays; one the server no longer has does not.
    const int topicAt = Combo3->findText(topic, Qt::MatchExactly);
    if (!topic.isEmpty() && (topicAt >= 0 || !topicsBefore.contains(topic))) {
        Combo3->setCurrentIndex(topicAt);
        Combo3->setEditText(topic);
    }
    const int classAt = hadClass ? Combo2->findText(lessonClass, Qt::MatchExactly) : -1;
    if (classAt < 0)
        return;
    Combo2->setCurrentIndex(classAt);
    chooseClass(&kept);
}

void Form1::classChosen()
{
    chooseClass(nullptr);
}

void Form1::chooseClass(const KeptLesson *kept)
{
    class_num = Combo2->currentText();
    Combo2->lineEdit()->setCursorPosition(0);
    abandonRunningDraw();
    const QString text = records().ReadRecordLines(class_num + u'\t');
    Text6->setPlainText(text);
    const QList<StudentRecord> students = records().students(class_num);
    Roster roster = buildRoster(students);
    if (kept)
        roster.pools = carryLesson(kept->started.pools, kept->pools, roster.pools);
    m_draw.setPools(roster.pools);
    syncPoolLists();
    // A regrouping not yet uploaded stays while the server's grouping is what it was.
    Frame6->groupLists().setGroups(class_num, kept && kept->started.groups == roster.groups ? kept->groups
                                                                                            : roster.groups);
    classroomClassChosen(roster, students);
    Frame6->clearViews();
    if (Frame6->isVisible())
        Frame6->showSelectedTab();
    btnChou[ManualButton]->setEnabled(true);
    UpdateDrawButtons();
    txtManual->clear();
}

void Form1::topicTyped(const QString &text)
{
    Frame4->setTopic(text);
    if (!text.trimmed().isEmpty())
        RefreshStandardList();
    else
        List1->clear();
}

void Form1::topicChosen()
{
    Frame4->setTopic(Combo3->currentText());
    RefreshStandardList();
}

void Form1::RefreshStandardList()
{
    List1->clear();
    const QString topic = Combo3->currentText();
    if (!topic.isEmpty() && !topic.contains(u'\t')) {
        for (const Standard &s : records().standards(topic))
            List1->addItem(standardListLine(s));
    }
    layoutNameArea();
}

void Form1::layoutNameArea()
{
    const int W = innerWidthTwips();
    auto setWidth = [](QWidget *w, int twips) { w->resize(std::max(1, Form1::tw(twips)), w->height()); };
    if (List1->count() == 0) {
        List1->hide();
        Splitter1->hide();
        setWidth(Text2, W - 200);
        setWidth(Text13, W - 140);
        setWidth(Combo3, W - 140 - 1700);
    } else {
        const int splitLeft = Splitter1->x() * 15;
        setWidth(Text13, splitLeft - 120 + 120);
        setWidth(Text2, splitLeft - 150 + 90);
        setWidth(Combo3, splitLeft - Combo3Left + 120);
        const int listLeft = splitLeft + Splitter1->width() * 15 + 120;
        List1->move(tw(listLeft), List1->y());
        List1->resize(std::max(1, tw(W - listLeft) + tw(-FrameLeft) - 4), List1->height());
        List1->show();
        Splitter1->show();
    }
    nameDisplayChanged(Text2->text());
}

int Form1::MeasureListWidth(const QListWidget *list)
{
    if (list->count() == 0)
        return 0;
    const QFontMetrics metrics(list->font());
    int widest = 0;
    for (int i = 0; i < list->count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(list->item(i)->text()));
    return widest + 8;
}

void Form1::nameDisplayChanged(const QString &text)
{
    placeNameInBox(text);
    if (m_firstSteps)
        m_firstSteps->setGeometry(Text13->rect().adjusted(6, 2, -6, -2));

    if (const auto record = records().findStudent(Combo2->currentText(), text)) {
        if (record->count > 0) {
            Label4->setText(record->scoreField);
            Label28->setText(record->countField);
        } else {
            Label4->clear();
            Label28->clear();
        }
    }
}

// ---- Draw ----

void Form1::syncPoolLists()
{
    for (int i = 0; i < PoolCount; ++i) {
        lstKind[i]->clear();
        lstKind[i]->addItems(m_draw.pool(i));
    }
}

void Form1::UpdateDrawButtons()
{
    for (int i = 0; i < PoolCount; ++i)
        btnChou[i]->setEnabled(m_draw.buttonEnabled(i));
    txtManual->setEnabled(true);
    txtManual->setFocus();
}

void Form1::drawButtonClicked(int index)
{
    if (index == ManualButton) {
        openStatisticsPanel();
        return;
    }
    if (m_draw.running() && m_draw.runningPool() == index)
        stopDraw(index);
    else if (!m_draw.running())
        startDraw(index);
}

void Form1::startDraw(int index)
{
    if (m_draw.start(index))
        showDrawStarted(index);
}

bool Form1::startFairDraw()
{
    if (!m_draw.startFair())
        return false;
    showDrawStarted(m_draw.runningPool());
    return true;
}

// The fair draw runs on the button of the pool it takes from: that button stops it.
void Form1::showDrawStarted(int index)
{
    RefreshStandardList();
    clearWhyChosen();
    tmpcaption = btnChou[index]->text();
    btnChou[index]->setText(QStringLiteral("暂停"));
    for (int i = 0; i < PoolCount; ++i)
        btnChou[i]->setEnabled(i == index);
    Combo1->setEditText(QString());
    lstJiangChi->clear();
    lstJiangChi->addItems(m_draw.drawing());
    // Show a first name at once, so even an immediate stop chooses someone.
    Timer1_Tick();
    Timer1->start();
    if (btnChou[index]->isEnabled())
        btnChou[index]->setFocus();
}

void Form1::Timer1_Tick()
{
    Text2->setText(m_draw.step(m_context.random));
}

void Form1::stopDraw(int index)
{
    btnChou[index]->setText(tmpcaption);
    Timer1->stop();
    const bool fair = m_draw.fairRunning();
    const QString chosen = m_draw.stop();
    List1->setEnabled(true);
    Combo1->setEnabled(true);
    Combo1->setEditText(QString());
    NewStu = chosen.isEmpty() ? Text2->text() : chosen;
    syncPoolLists();
    UpdateDrawButtons();
    if (btnChou[index]->isEnabled())
        btnChou[index]->setFocus();
    if (!NewStu.isEmpty()) {
        showWhyChosen(index, fair, NewStu);
        emit studentChosen(class_num, NewStu);
    }
}

// ---- Scoring ----

void Form1::scoreByCombo()
{
    const QString student = Text2->text();
    // One score from the combo per draw.
    if (student.isEmpty() || student != NewStu)
        return;
    // A typed text that is no score ("优") would be kept as 0 by the server: nothing is logged.
    if (const QString typed = scoreBoxText(Combo1->currentText()); typed != Combo1->currentText())
        Combo1->setEditText(typed);
    if (const Result score = checkScoreText(Combo1->currentText()); !score) {
        m_context.prompter.message(this, QStringLiteral("提示"), score.error(), PromptIcon::Warning);
        return;
    }
    const RecordResult result =
        m_recorder->record(m_context.login.LoginUser, class_num, student, Combo1->currentText());
    m_undo->given(result.line);
    NewStu.clear();
    Combo1->setEnabled(false);
    List1->setEnabled(false);
    txtManual->setFocus();
    reportRecordProblems(result);
}

void Form1::scoreByStandard()
{
    QListWidgetItem *item = List1->currentItem();
    if (!item || Text2->text().isEmpty())
        return;
    const auto given = scoreFromStandardLine(item->text());
    if (!given)
        return;
    Combo1->setEditText(given->score);
    Combo1->setEnabled(false);
    const RecordResult result = m_recorder->record(m_context.login.LoginUser, class_num, Text2->text(),
                                                   given->score, given->standard);
    m_undo->given(result.line);
    item->setText(given->markedLine);
    reportRecordProblems(result);
}

void Form1::reportRecordProblems(const RecordResult &result)
{
    QStringList problems;
    if (!result.logged)
        problems.append(QStringLiteral("当天的成绩日志无法写入：") + result.logged.error());
    if (!result.kept)
        problems.append(QStringLiteral("待上传成绩无法保存到文件：") + result.kept.error());
    if (problems.isEmpty())
        return;
    m_context.prompter.message(this, QStringLiteral("提示"),
                               problems.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n") +
                                   QStringLiteral("这条成绩已在待上传列表中，没有丢失。"),
                               PromptIcon::Warning);
}

void Form1::abandonRunningDraw()
{
    if (!m_draw.running())
        return;
    Timer1->stop();
    btnChou[m_draw.runningPool()]->setText(tmpcaption);
    m_draw.cancel();
}

void Form1::openUploadPanel()
{
    // The panel needs more room than the main panel for its pending scores: the window grows
    // around it while it shows.
    const QSize margins(2 * tw(100), 2 * tw(100));
    setFixedSize(expandedSize().expandedTo(Frame4->minimumSizeHint() + margins));
    Frame4->setGeometry(QRect(QPoint(tw(100), tw(100)), size() - margins));
    Frame4->show();
    Frame4->raise();
    Frame5->hide();
    StatusBar1->hide();
    Frame4->openPanel();
}

void Form1::closeUploadPanel()
{
    Frame4->hide();
    setFixedSize(expandedSize());
    Frame5->show();
    StatusBar1->show();
}

} // namespace corvanta
