#include "Form1.h"

#include "app/GroupListsPanel.h"
#include "app/StatisticsPanel.h"
#include "scoring/UploadPanel.h"

// How the group lists and the upload panel meet: one operation password typed in either
// place, and the group statistics ranking the groups as the lists hold them now.
namespace corvanta {

void Form1::wireGroupPanels()
{
    GroupListsPanel &groups = Frame6->groupLists();
    connect(&groups, &GroupListsPanel::passwordChanged, Frame4, &UploadPanel::setGroupPassword);
    connect(Frame6, &StatisticsPanel::tabShown, this,
            [this] { Frame6->groupLists().resetUpload(Frame4->operationPassword()); });
    connect(Frame4, &UploadPanel::groupStatisticsRequested, this, [this] {
        const auto lists = Frame6->groupLists().groups();
        Frame4->showGroupStatistics(class_num, QList<QStringList>(lists.cbegin(), lists.cend()));
    });
}

} // namespace corvanta
