#include "Form1.h"

#include "app/GroupListsPanel.h"
#include "app/StatisticsPanel.h"
#include "scoring/UploadPanel.h"

// How the group lists and the upload panel meet: the group statistics ranking the groups
// as the lists hold them now. (Both password boxes show the session's one password.)
namespace corvanta {

void Form1::wireGroupPanels()
{
    GroupListsPanel &groups = statisticsPanel->groupLists();
    connect(statisticsPanel, &StatisticsPanel::tabShown, &groups, &GroupListsPanel::resetUpload);
    connect(&groups, &GroupListsPanel::groupsStored, this, &Form1::reloadKeepingLesson);
    connect(uploadPanel, &UploadPanel::groupStatisticsRequested, this, [this] {
        const auto lists = statisticsPanel->groupLists().groups();
        uploadPanel->showGroupStatistics(m_className, QList<QStringList>(lists.cbegin(), lists.cend()));
    });
}

} // namespace corvanta
