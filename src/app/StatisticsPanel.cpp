#include "StatisticsPanel.h"

#include "widgets/Twips.h"

#include "app/AbsentMenu.h"
#include "app/Draw.h"
#include "app/GroupListsPanel.h"

#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

namespace corvanta {

namespace {

// Where the panel's controls stand, in twips.
constexpr int PanelWidth = 7575, PanelHeight = 2775;
constexpr int StripLeft = 120, StripTop = 240, StripWidth = 7335, StripHeight = 2295;
constexpr int TabRowHeight = 330;
constexpr int PageTop = StripTop + TabRowHeight, PageHeight = StripHeight - TabRowHeight;

} // namespace

StatisticsPanel::StatisticsPanel(AppContext &context, const Draw &draw, QWidget *parent)
    : QFrame(parent), m_draw(draw)
{
    setObjectName(QStringLiteral("Frame6"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    resize(twipsToPixels(PanelWidth), twipsToPixels(PanelHeight));

    TabStrip1 = new QTabBar(this);
    TabStrip1->setObjectName(QStringLiteral("TabStrip1"));
    TabStrip1->setExpanding(false);
    TabStrip1->setDrawBase(false);
    for (int t = 1; t <= ViewTabCount; ++t)
        TabStrip1->addTab(viewTabCaption(t));
    // The tabs as high as their captions need, standing on the page below them.
    const QRect strip = twips(StripLeft, StripTop, StripWidth, TabRowHeight);
    const int stripHeight = std::max(strip.height(), TabStrip1->sizeHint().height());
    TabStrip1->setGeometry(strip.left(), strip.bottom() + 1 - stripHeight, strip.width(), stripHeight);
    // A click runs the tab's steps even on the tab already selected.
    connect(TabStrip1, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index < 0)
            return;
        if (index == TabStrip1->currentIndex())
            showTab(index + 1);
        else
            TabStrip1->setCurrentIndex(index);
    });
    connect(TabStrip1, &QTabBar::currentChanged, this, [this](int index) { showTab(index + 1); });

    m_page = new QFrame(this);
    m_page->setFrameShape(QFrame::StyledPanel);
    placeInTwips(m_page, StripLeft, PageTop, StripWidth, PageHeight);
    m_page->lower();

    const int frameWidth = (StripWidth - 5 * 60) / ViewFrameCount;
    for (int k = 0; k < ViewFrameCount; ++k) {
        Frame_m[k] = new QGroupBox(this);
        Frame_m[k]->setObjectName(QStringLiteral("Frame_m_%1").arg(k));
        placeInTwips(Frame_m[k], StripLeft + 60 + k * (frameWidth + 60), PageTop + 30, frameWidth, PageHeight - 90);
        auto *layout = new QVBoxLayout(Frame_m[k]);
        layout->setContentsMargins(3, 3, 3, 3);
        List_manual[k] = new QListWidget(Frame_m[k]);
        List_manual[k]->setObjectName(QStringLiteral("List_manual_%1").arg(k));
        layout->addWidget(List_manual[k]);
        connect(List_manual[k], &QListWidget::itemDoubleClicked, this,
                [this](QListWidgetItem *item) { emit studentPicked(item->text()); });
    }

    m_groups = new GroupListsPanel(context, this);
    m_groups->setObjectName(QStringLiteral("GroupLists"));
    // The lists and the upload row below them take the page nearly to its edges.
    placeInTwips(m_groups, StripLeft + 45, PageTop + 45, StripWidth - 90, PageHeight - 90);
    m_groups->hide();
    connect(m_groups, &GroupListsPanel::namePicked, this, &StatisticsPanel::studentPicked);

    Command24 = new QPushButton(QStringLiteral("返回"), this);
    Command24->setObjectName(QStringLiteral("Command24"));
    placeInTwips(Command24, StripLeft + StripWidth - 900, StripTop - 30, 900, TabRowHeight);
    connect(Command24, &QPushButton::clicked, this, &StatisticsPanel::closeRequested);
}

void StatisticsPanel::attachAbsentMenu(AbsentMenu &menu)
{
    for (auto *list : List_manual)
        menu.attach(list);
    groupLists().attachAbsentMenu(menu);
}

int StatisticsPanel::selectedTab() const
{
    return TabStrip1->currentIndex() + 1;
}

void StatisticsPanel::showSelectedTab()
{
    showTab(selectedTab());
}

void StatisticsPanel::clearViews()
{
    for (auto *list : List_manual)
        list->clear();
}

void StatisticsPanel::fitToTab(int tab)
{
    // The groups view takes the room full groups need; the pool views keep the form's size.
    const QRect groups = twips(StripLeft + 45, PageTop + 45, StripWidth - 90, PageHeight - 90);
    QSize extra;
    if (tab == GroupTab)
        extra = (m_groups->sizeHint() - groups.size()).expandedTo(QSize(0, 0));
    resize(QSize(twipsToPixels(PanelWidth), twipsToPixels(PanelHeight)) + extra);
    m_page->resize(twips(0, 0, StripWidth, PageHeight).size() + extra);
    m_groups->setGeometry(QRect(groups.topLeft(), groups.size() + extra));
    Command24->move(width() - twipsToPixels(PanelWidth - StripLeft - StripWidth + 900), Command24->y());
}

void StatisticsPanel::showTab(int tab)
{
    clearViews();
    fitToTab(tab);
    emit tabShown(tab);
    if (tab == GroupTab) {
        for (auto *frame : Frame_m)
            frame->hide();
        m_groups->show();
        return;
    }
    for (int k = 0; k < ViewFrameCount; ++k) {
        Frame_m[k]->setTitle(viewFrameCaption(tab, k));
        Frame_m[k]->show();
    }
    m_groups->hide();
    const auto lists = viewLists(m_draw.pools(), tab);
    for (int k = 0; k < ViewFrameCount; ++k)
        List_manual[k]->addItems(lists[k]);
}

} // namespace corvanta
