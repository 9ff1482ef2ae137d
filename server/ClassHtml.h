#pragma once

#include "Store.h"
#include "WebReport.h"

#include <QString>

namespace corvanta::server::html {

// The most recent scores a class page lists.
inline constexpr int kLatestScores = 50;

// A class at a glance: the student table in the given order (each column heading a link that
// sorts by it; the script sorts in place), bar charts of the means and of the times called,
// the means per topic and the newest scores.
QString classPage(const Teacher &teacher, const ClassReport &report, const web_report::SortOrder &order);

} // namespace corvanta::server::html
