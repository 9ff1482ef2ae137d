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
    txtManual = new ManualSearchBox(Frame5);
    txtManual->setGeometry(tw(840), tw(RowC), tw(975), tw(RowHeight));
    connect(txtManual, &ManualSearchBox::picked, this, &Form1::searchPicked);

    Frame6 = new StatisticsPanel(m_context, m_draw, this);
    Frame6->hide();
    connect(Frame6, &StatisticsPanel::closeRequested, this, &Form1::closeStatisticsPanel);
    connect(Frame6, &StatisticsPanel::studentPicked, this, &Form1::panelPicked);
    // The views are a still picture: a running draw stands still while they are taken and
    // until its button is pressed again.
    connect(Frame6, &StatisticsPanel::tabShown, Timer1, &QTimer::stop);
    // The groups view is larger than the main panel: the window grows around it meanwhile.
    connect(Frame6, &StatisticsPanel::tabShown, this, [this] {
        if (!Frame6->isVisible())
            return;
        const QPoint corner = Frame6->geometry().bottomRight() + QPoint(tw(100) + 1, tw(100) + 1);
        setFixedSize(expandedSize().expandedTo(QSize(corner.x(), corner.y())));
    });
    wireGroupPanels();
}

// ---- Statistics panel ----

void Form1::openStatisticsPanel()
{
    Frame6->move(tw(100), tw(100));
    Frame6->show();
    Frame6->raise();
    Frame5->hide();
    StatusBar1->hide();
    Frame6->showSelectedTab();
}

void Form1::closeStatisticsPanel()
{
    Frame6->hide();
    setFixedSize(expandedSize());
    Frame5->show();
    StatusBar1->show();
}

// ---- Picks by hand ----

void Form1::handPickToScoring(const QString &name)
{
    abandonRunningDraw();
    clearWhyChosen();
    List1->setEnabled(true);
    Combo1->setEnabled(true);
    Combo1->setEditText(QString());
    Text2->setText(name);
    NewStu = Text2->text();
}

void Form1::searchPicked(const QString &name)
{
    handPickToScoring(name);
    m_draw.pick(name);
    syncPoolLists();
    for (int i = 0; i < PoolCount; ++i)
        btnChou[i]->setEnabled(m_draw.buttonEnabled(i));
    RefreshStandardList();
    Combo1->setFocus();
    emit studentChosen(class_num, NewStu);
}

void Form1::panelPicked(const QString &name)
{
    handPickToScoring(name);
    closeStatisticsPanel();
    // An abandoned draw gives its buttons back.
    for (int i = 0; i < PoolCount; ++i)
        btnChou[i]->setEnabled(m_draw.buttonEnabled(i));
    RefreshStandardList();
    Combo1->setFocus();
    emit studentChosen(class_num, NewStu);
}

// ---- Splitter ----

void Form1::Splitter1_BeforeSplit(SplitRequest *request)
{
    const int left = request->position * 15;
    request->cancel = !(left > SplitMinLeft && innerWidthTwips() - left >= SplitMinRight);
}

} // namespace corvanta
