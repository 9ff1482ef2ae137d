#include "PageRegistry.h"

#include "console/ClassPage.h"
#include "console/ScalePage.h"
#include "console/ScorePage.h"
#include "console/ShortcutPage.h"
#include "console/StudentPage.h"
#include "console/TeacherPage.h"
#include "console/TopicPage.h"

namespace corvanta {

ConsolePageList consolePages()
{
    return {
        {0, QStringLiteral("个人信息"), makeConsolePage<TeacherPage>},
        {1, QStringLiteral("班级管理"), makeConsolePage<ClassPage>},
        {2, QStringLiteral("学生管理"), makeConsolePage<StudentPage>},
        {5, QStringLiteral("课题管理"), makeConsolePage<TopicPage>},
        {6, QStringLiteral("评分标准"), makeConsolePage<ScalePage>},
        {3, QStringLiteral("计分管理"), makeConsolePage<ScorePage>},
        {4, QStringLiteral("快捷方式"), makeConsolePage<ShortcutPage>},
    };
}

PageButtonLayout pageButtonLayout(int count)
{
    // The first row ends before "返回" (at 9240 twips).
    constexpr int kLeft = 120, kTop = 4680, kWidth = 1215, kHeight = 495, kStep = 1302, kRowStep = 600;
    constexpr int kPerRowAtMost = (9240 - kLeft) / kStep;
    PageButtonLayout layout;
    if (count <= 0)
        return layout;
    const int rows = (count + kPerRowAtMost - 1) / kPerRowAtMost;
    const int perRow = (count + rows - 1) / rows;
    for (int i = 0; i < count; ++i)
        layout.buttons.append(QRect(kLeft + (i % perRow) * kStep, kTop + (i / perRow) * kRowStep, kWidth, kHeight));
    layout.extraHeight = (rows - 1) * kRowStep;
    return layout;
}

} // namespace corvanta
