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

    viewTabs = new QTabBar(this);
    viewTabs->setObjectName(QStringLiteral("TabStrip1"));
    viewTabs->setExpanding(false);
    viewTabs->setDrawBase(false);
    for (int t = 1; t <= ViewTabCount; ++t)
        viewTabs->addTab(viewTabCaption(t));
    // The tabs as high as their captions need, standing on the page below them.
    const QRect strip = twips(StripLeft, StripTop, StripWidth, TabRowHeight);
    const int stripHeight = std::max(strip.height(), viewTabs->sizeHint().height());
    viewTabs->setGeometry(strip.left(), strip.bottom() + 1 - stripHeight, strip.width(), stripHeight);
    // A click runs the tab's steps even on the tab already selected.
    connect(viewTabs, &QTabBar::tabBarClicked, this, [this](int index) {
        if (index < 0)
            return;
        if (index == viewTabs->currentIndex())
            showTab(index + 1);
        else
            viewTabs->setCurrentIndex(index);
    });
    connect(viewTabs, &QTabBar::currentChanged, this, [this](int index) { showTab(index + 1); });

    m_page = new QFrame(this);
    m_page->setFrameShape(QFrame::StyledPanel);
    placeInTwips(m_page, StripLeft, PageTop, StripWidth, PageHeight);
    m_page->lower();

    const int frameWidth = (StripWidth - 5 * 60) / ViewFrameCount;
    for (int k = 0; k < ViewFrameCount; ++k) {
        viewFrames[k] = new QGroupBox(this);
        viewFrames[k]->setObjectName(QStringLiteral("Frame_m_%1").arg(k));
        placeInTwips(viewFrames[k], StripLeft + 60 + k * (frameWidth + 60), PageTop + 30, frameWidth,
                     PageHeight - 90);
        auto *layout = new QVBoxLayout(viewFrames[k]);
        layout->setContentsMargins(3, 3, 3, 3);
        viewListBoxes[k] = new QListWidget(viewFrames[k]);
        viewListBoxes[k]->setObjectName(QStringLiteral("List_manual_%1").arg(k));
        layout->addWidget(viewListBoxes[k]);
        connect(viewListBoxes[k], &QListWidget::itemDoubleClicked, this,
                [this](QListWidgetItem *item) { emit studentPicked(item->text()); });
    }

    m_groups = new GroupListsPanel(context, this);
    m_groups->setObjectName(QStringLiteral("GroupLists"));
    // The lists and the upload row below them take the page nearly to its edges.
    placeInTwips(m_groups, StripLeft + 45, PageTop + 45, StripWidth - 90, PageHeight - 90);
    m_groups->hide();
    connect(m_groups, &GroupListsPanel::namePicked, this, &StatisticsPanel::studentPicked);

    backButton = new QPushButton(QStringLiteral("返回"), this);
    backButton->setObjectName(QStringLiteral("Command24"));
    placeInTwips(backButton, StripLeft + StripWidth - 900, StripTop - 30, 900, TabRowHeight);
    connect(backButton, &QPushButton::clicked, this, &StatisticsPanel::closeRequested);
}

void StatisticsPanel::attachAbsentMenu(AbsentMenu &menu)
{
    for (auto *list : viewListBoxes)
        menu.attach(list);
    groupLists().attachAbsentMenu(menu);
}

int StatisticsPanel::selectedTab() const
{
    return viewTabs->currentIndex() + 1;
}

void StatisticsPanel::showSelectedTab()
{
    showTab(selectedTab());
}

void StatisticsPanel::clearViews()
{
    for (auto *list : viewListBoxes)
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
    backButton->move(width() - twipsToPixels(PanelWidth - StripLeft - StripWidth + 900), backButton->y());
}

void StatisticsPanel::showTab(int tab)
{
    clearViews();
    fitToTab(tab);
    emit tabShown(tab);
    if (tab == GroupTab) {
        for (auto *frame : viewFrames)
            frame->hide();
        m_groups->show();
        return;
    }
    for (int k = 0; k < ViewFrameCount; ++k) {
        viewFrames[k]->setTitle(viewFrameCaption(tab, k));
        viewFrames[k]->show();
    }
    m_groups->hide();
    const auto lists = viewLists(m_draw.pools(), tab);
    for (int k = 0; k < ViewFrameCount; ++k)
        viewListBoxes[k]->addItems(lists[k]);
}

} // namespace corvanta
