#pragma once

#include "Store.h"
#include "WebReport.h"

#include <QString>

// How evenly the class's students are called, on the class and the student pages.
namespace corvanta::server::html {

// The students who waited longest that the class page names.
inline constexpr int kLongestWaiting = 5;

// The class page's part: the most and least calls and their gap, the students who waited
// longest since their last score ("最久未被点到") and a table of every student's calls and
// lessons since the last one, in the page's order (longest waiting first when it has none).
QString fairnessSection(const ClassReport &report, const web_report::SortOrder &order);

// The student page's line: lessons since the student's last score.
QString lessonsSinceNote(const StudentReport &report);

} // namespace corvanta::server::html
