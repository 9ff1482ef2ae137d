#pragma once

#include "app/StatisticsViews.h"
#include "widgets/AppContext.h"

#include <QFrame>

class QGroupBox;
class QListWidget;
class QPushButton;
class QTabBar;

namespace corvanta {

class AbsentMenu;
class Draw;
class GroupListsPanel;

// The statistics panel of the main window (Frame6): four tabs, the first three showing four
// draw pools side by side, the fourth the group lists. The views are snapshots of the pools
// taken at each tab click. A double-click on a name picks that student.
class StatisticsPanel : public QFrame
{
    Q_OBJECT
public:
    StatisticsPanel(AppContext &context, const Draw &draw, QWidget *parent = nullptr);

    // Fills the views of the selected tab, as a click on it does.
    void showSelectedTab();
    // The class changed: no view may show the old one.
    void clearViews();
    int selectedTab() const;
    GroupListsPanel &groupLists() { return *m_groups; }
    // The four views offer to mark a student absent and show who is.
    void attachAbsentMenu(AbsentMenu &menu);

signals:
    // A tab was clicked and its views were taken (a running draw freezes meanwhile); the
    // panel has the size the tab needs.
    void tabShown(int tab);
    void studentPicked(const QString &name);
    void closeRequested(); // "返回"

private:
    void showTab(int tab);
    void fitToTab(int tab);

    QTabBar *viewTabs;
    QGroupBox *viewFrames[ViewFrameCount] = {};
    QListWidget *viewListBoxes[ViewFrameCount] = {};
    QPushButton *backButton;
    QFrame *m_page;
    GroupListsPanel *m_groups;
    const Draw &m_draw;
};

} // namespace corvanta
