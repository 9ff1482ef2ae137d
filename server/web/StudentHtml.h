#pragma once

#include "Store.h"

#include <QDate>
#include <QString>

namespace corvanta::server::html {

// The scores a student's page lists at once, and at most on the page of all of them (to print).
inline constexpr int kHistoryPage = 100;
inline constexpr int kEveryScoreLimit = 5000;

// A student for a parents' meeting: the figures, the scores over time beside the class's mean,
// the means per topic beside the class's, and one page (1-based; kEveryScore: all) of the
// scores, newest first.
// Prints on A4 under the line "class · student · today".
QString studentPage(const Teacher &teacher, const StudentReport &report, int page, const QDate &today);

} // namespace corvanta::server::html
