#include "Form1.h"

#include "app/Form1Layout.h"
#include "app/ManualSearchBox.h"
#include "app/NameDisplay.h"
#include "app/StatisticsPanel.h"
#include "widgets/Splitter.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

// The main window's search box, statistics panel, hand picks and the splitter's answers;
// its building and window states are in Form1.cpp, lists, draw and scoring in Form1Draw.cpp.
namespace corvanta {

using namespace form1_layout;

namespace {

// The bar keeps more than this from the window's left edge and at least this from its right
// edge, in twips.
constexpr int SplitMinLeft = 2800;
constexpr int SplitMinRight = 1400;

} // namespace

void Form1::buildSearchAndPanels()
{
    searchBox = new ManualSearchBox(mainFrame);
    searchBox->setGeometry(tw(840), tw(RowC), tw(975), tw(RowHeight));
    connect(searchBox, &ManualSearchBox::picked, this, &Form1::searchPicked);

    statisticsPanel = new StatisticsPanel(m_context, m_draw, this);
    statisticsPanel->hide();
    connect(statisticsPanel, &StatisticsPanel::closeRequested, this, &Form1::closeStatisticsPanel);
    connect(statisticsPanel, &StatisticsPanel::studentPicked, this, &Form1::panelPicked);
    // The views are a still picture: a running draw stands still while they are taken and
    // until its button is pressed again.
    connect(statisticsPanel, &StatisticsPanel::tabShown, drawTimer, &QTimer::stop);
    // The groups view is larger than the main panel: the window grows around it meanwhile.
    connect(statisticsPanel, &StatisticsPanel::tabShown, this, [this] {
        if (!statisticsPanel->isVisible())
            return;
        const QPoint corner = statisticsPanel->geometry().bottomRight() + QPoint(tw(100) + 1, tw(100) + 1);
        setFixedSize(expandedSize().expandedTo(QSize(corner.x(), corner.y())));
    });
    wireGroupPanels();
}

// ---- Statistics panel ----

void Form1::openStatisticsPanel()
{
    statisticsPanel->move(tw(100), tw(100));
    statisticsPanel->show();
    statisticsPanel->raise();
    mainFrame->hide();
    statusBar->hide();
    statisticsPanel->showSelectedTab();
}

void Form1::closeStatisticsPanel()
{
    statisticsPanel->hide();
    setFixedSize(expandedSize());
    mainFrame->show();
    statusBar->show();
}

// ---- Picks by hand ----

void Form1::handPickToScoring(const QString &name)
{
    abandonRunningDraw();
    clearWhyChosen();
    standardList->setEnabled(true);
    scoreBox->setEnabled(true);
    scoreBox->setEditText(QString());
    nameDisplay->setText(name);
    m_lastChosen = nameDisplay->text();
}

void Form1::searchPicked(const QString &name)
{
    handPickToScoring(name);
    m_draw.pick(name);
    syncPoolLists();
    for (int i = 0; i < PoolCount; ++i)
        drawButtons[i]->setEnabled(m_draw.buttonEnabled(i));
    RefreshStandardList();
    scoreBox->setFocus();
    emit studentChosen(m_className, m_lastChosen);
}

void Form1::panelPicked(const QString &name)
{
    handPickToScoring(name);
    closeStatisticsPanel();
    // An abandoned draw gives its buttons back.
    for (int i = 0; i < PoolCount; ++i)
        drawButtons[i]->setEnabled(m_draw.buttonEnabled(i));
    RefreshStandardList();
    scoreBox->setFocus();
    emit studentChosen(m_className, m_lastChosen);
}

// ---- Splitter ----

void Form1::beforeNameSplit(SplitRequest *request)
{
    const int left = request->position * 15;
    request->cancel = !(left > SplitMinLeft && innerWidthTwips() - left >= SplitMinRight);
}

} // namespace corvanta
