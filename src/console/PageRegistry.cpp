#include "PageRegistry.h"

#include "console/ClassPage.h"
#include "console/ScalePage.h"
#include "console/ScorePage.h"
#include "console/ShortcutPage.h"
#include "console/StudentPage.h"
#include "console/TeacherPage.h"
#include "console/TopicPage.h"

namespace corvanta {

QString pageObjectName(ConsolePageId id)
{
    return QStringLiteral("Frame_manage_%1").arg(int(id));
}

QString buttonObjectName(ConsolePageId id)
{
    return QStringLiteral("Cmd_manage_%1").arg(int(id));
}

ConsolePageList consolePages()
{
    using enum ConsolePageId;
    return {
        {Teacher, QStringLiteral("个人信息"), makeConsolePage<TeacherPage>},
        {Class, QStringLiteral("班级管理"), makeConsolePage<ClassPage>},
        {Student, QStringLiteral("学生管理"), makeConsolePage<StudentPage>},
        {Topic, QStringLiteral("课题管理"), makeConsolePage<TopicPage>},
        {Scale, QStringLiteral("评分标准"), makeConsolePage<ScalePage>},
        {Score, QStringLiteral("计分管理"), makeConsolePage<ScorePage>},
        {Shortcut, QStringLiteral("快捷方式"), makeConsolePage<ShortcutPage>},
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
