#pragma once

#include "Store.h"
#include "WebReport.h"

#include <QString>

#include <span>

namespace corvanta::server::html {

// A column of a class page's sortable tables.
struct SortColumn
{
    const char *key;     // its sort order's key
    const char *caption; // HTML: the part in class "w" is left out on a phone
    bool numeric;        // the script compares data-v (or the text) as numbers
    bool right;          // aligned right, as figures are
    bool downFirst;      // figures and times: the largest first on the first click
};
// The heading row of a table in the order given: each heading a link to the class page sorted
// by its column (a click on the current column turns its direction).
QString sortHeadingRow(const QString &className, const web_report::SortOrder &order,
                       std::span<const SortColumn> columns);

// The most recent scores a class page lists.
inline constexpr int kLatestScores = 50;

// A class at a glance: the student table in the given order (each column heading a link that
// sorts by it; the script sorts in place), bar charts of the means and of the times called,
// the means per topic and the newest scores.
QString classPage(const Teacher &teacher, const ClassReport &report, const web_report::SortOrder &order);

} // namespace corvanta::server::html
