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
    classBox->clear();
    classBox->addItems(classes);
    classBox->setCurrentIndex(-1);
    classBox->setEditText(QStringLiteral("班级"));
    classBox->setEnabled(true);
    // A new account: no class yet, and the way to add one. Offline, the file is only a copy.
    showFirstSteps(classes.isEmpty() && mode == u"online");

    const QStringList topics = records().topicNames();
    {
        const QSignalBlocker block(topicBox);
        topicBox->clear();
        topicBox->addItems(topics);
        topicBox->setCurrentIndex(-1);
        topicBox->setEditText(QString());
    }
    if (!topics.isEmpty())
        topicBox->setEditText(topics.first()); // fires the topic change
    else
        topicTyped(QString());

    classRecordText->clear();
    abandonRunningDraw();
    m_draw.setPools({});
    syncPoolLists();
    for (auto *b : drawButtons)
        b->setEnabled(false);
    // No class is chosen now: nothing of the last one stays findable or in view.
    searchBox->clearClass();
    searchBox->setEnabled(false);
    statisticsPanel->groupLists().clearGroups();
    statisticsPanel->clearViews();
    if (statisticsPanel->isVisible())
        statisticsPanel->showSelectedTab();
    emit classListsLoaded();
}

void Form1::reloadKeepingLesson()
{
    const bool hadClass = classBox->currentIndex() >= 0 && classBox->currentText() == m_className;
    const QString lessonClass = m_className;
    const KeptLesson kept{buildRoster(m_classStudents), m_draw.pools(),
                          statisticsPanel->groupLists().groups()};
    const QString topic = topicBox->currentText();
    QStringList topicsBefore;
    for (int i = 0; i < topicBox->count(); ++i)
        topicsBefore.append(topicBox->itemText(i));

    LoadClassLists(QStringLiteral("online"));

    // A topic typed by the teacher stays; one the server no longer has does not.
    const int topicAt = topicBox->findText(topic, Qt::MatchExactly);
    if (!topic.isEmpty() && (topicAt >= 0 || !topicsBefore.contains(topic))) {
        topicBox->setCurrentIndex(topicAt);
        topicBox->setEditText(topic);
    }
    const int classAt = hadClass ? classBox->findText(lessonClass, Qt::MatchExactly) : -1;
    if (classAt < 0)
        return;
    classBox->setCurrentIndex(classAt);
    chooseClass(&kept);
}

void Form1::classChosen()
{
    chooseClass(nullptr);
}

void Form1::chooseClass(const KeptLesson *kept)
{
    m_className = classBox->currentText();
    classBox->lineEdit()->setCursorPosition(0);
    abandonRunningDraw();
    const QString text = records().ReadRecordLines(m_className + u'\t');
    classRecordText->setPlainText(text);
    const QList<StudentRecord> students = records().students(m_className);
    Roster roster = buildRoster(students);
    if (kept)
        roster.pools = carryLesson(kept->started.pools, kept->pools, roster.pools);
    m_draw.setPools(roster.pools);
    syncPoolLists();
    // A regrouping not yet uploaded stays while the server's grouping is what it was.
    statisticsPanel->groupLists().setGroups(
        m_className, kept && kept->started.groups == roster.groups ? kept->groups : roster.groups);
    classroomClassChosen(roster, students);
    statisticsPanel->clearViews();
    if (statisticsPanel->isVisible())
        statisticsPanel->showSelectedTab();
    drawButtons[ManualButton]->setEnabled(true);
    UpdateDrawButtons();
    searchBox->clear();
}

void Form1::topicTyped(const QString &text)
{
    uploadPanel->setTopic(text);
    if (!text.trimmed().isEmpty())
        RefreshStandardList();
    else
        standardList->clear();
}

void Form1::topicChosen()
{
    uploadPanel->setTopic(topicBox->currentText());
    RefreshStandardList();
}

void Form1::RefreshStandardList()
{
    standardList->clear();
    const QString topic = topicBox->currentText();
    if (!topic.isEmpty() && !topic.contains(u'\t')) {
        for (const Standard &s : records().standards(topic))
            standardList->addItem(standardListLine(s));
    }
    layoutNameArea();
}

void Form1::layoutNameArea()
{
    const int W = innerWidthTwips();
    auto setWidth = [](QWidget *w, int twips) { w->resize(std::max(1, Form1::tw(twips)), w->height()); };
    if (standardList->count() == 0) {
        standardList->hide();
        nameSplitter->hide();
        setWidth(nameDisplay, W - 200);
        setWidth(nameBox, W - 140);
        setWidth(topicBox, W - 140 - 1700);
    } else {
        const int splitLeft = nameSplitter->x() * 15;
        setWidth(nameBox, splitLeft - 120 + 120);
        setWidth(nameDisplay, splitLeft - 150 + 90);
        setWidth(topicBox, splitLeft - TopicBoxLeft + 120);
        const int listLeft = splitLeft + nameSplitter->width() * 15 + 120;
        standardList->move(tw(listLeft), standardList->y());
        standardList->resize(std::max(1, tw(W - listLeft) + tw(-FrameLeft) - 4), standardList->height());
        standardList->show();
        nameSplitter->show();
    }
    nameDisplayChanged(nameDisplay->text());
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
        m_firstSteps->setGeometry(nameBox->rect().adjusted(6, 2, -6, -2));

    if (const auto record = records().findStudent(classBox->currentText(), text)) {
        if (record->count > 0) {
            scoreLabel->setText(record->scoreField);
            countLabel->setText(record->countField);
        } else {
            scoreLabel->clear();
            countLabel->clear();
        }
    }
}

// ---- Draw ----

void Form1::syncPoolLists()
{
    for (int i = 0; i < PoolCount; ++i) {
        poolLists[i]->clear();
        poolLists[i]->addItems(m_draw.pool(i));
    }
}

void Form1::UpdateDrawButtons()
{
    for (int i = 0; i < PoolCount; ++i)
        drawButtons[i]->setEnabled(m_draw.buttonEnabled(i));
    searchBox->setEnabled(true);
    searchBox->setFocus();
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
    m_drawButtonCaption = drawButtons[index]->text();
    drawButtons[index]->setText(QStringLiteral("暂停"));
    for (int i = 0; i < PoolCount; ++i)
        drawButtons[i]->setEnabled(i == index);
    scoreBox->setEditText(QString());
    drawingList->clear();
    drawingList->addItems(m_draw.drawing());
    // Show a first name at once, so even an immediate stop chooses someone.
    drawTick();
    drawTimer->start();
    if (drawButtons[index]->isEnabled())
        drawButtons[index]->setFocus();
}

void Form1::drawTick()
{
    nameDisplay->setText(m_draw.step(m_context.random));
}

void Form1::stopDraw(int index)
{
    drawButtons[index]->setText(m_drawButtonCaption);
    drawTimer->stop();
    const bool fair = m_draw.fairRunning();
    const QString chosen = m_draw.stop();
    standardList->setEnabled(true);
    scoreBox->setEnabled(true);
    scoreBox->setEditText(QString());
    m_lastChosen = chosen.isEmpty() ? nameDisplay->text() : chosen;
    syncPoolLists();
    UpdateDrawButtons();
    if (drawButtons[index]->isEnabled())
        drawButtons[index]->setFocus();
    if (!m_lastChosen.isEmpty()) {
        showWhyChosen(index, fair, m_lastChosen);
        emit studentChosen(m_className, m_lastChosen);
    }
}

// ---- Scoring ----

void Form1::scoreByCombo()
{
    const QString student = nameDisplay->text();
    // One score from the combo per draw.
    if (student.isEmpty() || student != m_lastChosen)
        return;
    // A typed text that is no score ("优") would be kept as 0 by the server: nothing is logged.
    if (const QString typed = scoreBoxText(scoreBox->currentText()); typed != scoreBox->currentText())
        scoreBox->setEditText(typed);
    if (const Result score = checkScoreText(scoreBox->currentText()); !score) {
        m_context.prompter.message(this, QStringLiteral("提示"), score.error(), PromptIcon::Warning);
        return;
    }
    const RecordResult result =
        m_recorder->record(m_context.login.LoginUser, m_className, student, scoreBox->currentText());
    m_undo->given(result.line);
    m_lastChosen.clear();
    scoreBox->setEnabled(false);
    standardList->setEnabled(false);
    searchBox->setFocus();
    reportRecordProblems(result);
}

void Form1::scoreByStandard()
{
    QListWidgetItem *item = standardList->currentItem();
    if (!item || nameDisplay->text().isEmpty())
        return;
    const auto given = scoreFromStandardLine(item->text());
    if (!given)
        return;
    scoreBox->setEditText(given->score);
    scoreBox->setEnabled(false);
    const RecordResult result = m_recorder->record(m_context.login.LoginUser, m_className,
                                                   nameDisplay->text(), given->score, given->standard);
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
    drawTimer->stop();
    drawButtons[m_draw.runningPool()]->setText(m_drawButtonCaption);
    m_draw.cancel();
}

void Form1::openUploadPanel()
{
    // The panel needs more room than the main panel for its pending scores: the window grows
    // around it while it shows.
    const QSize margins(2 * tw(100), 2 * tw(100));
    setFixedSize(expandedSize().expandedTo(uploadPanel->minimumSizeHint() + margins));
    uploadPanel->setGeometry(QRect(QPoint(tw(100), tw(100)), size() - margins));
    uploadPanel->show();
    uploadPanel->raise();
    mainFrame->hide();
    statusBar->hide();
    uploadPanel->openPanel();
}

void Form1::closeUploadPanel()
{
    uploadPanel->hide();
    setFixedSize(expandedSize());
    mainFrame->show();
    statusBar->show();
}

} // namespace corvanta
