#pragma once

#include <QList>
#include <QString>

namespace corvanta::server::html {

struct Bar
{
    QString label;
    double value = 0;
    QString valueText;
};

// A horizontal bar chart as inline SVG drawn here, one row per bar: the label, the bar (from a
// zero line, so negative values point left) and the value. Lengths are in percent of the
// width, so one drawing fits a phone and a wide screen. id must be unique in the page.
QString barChart(const QString &id, const QString &caption, const QList<Bar> &bars, const QString &colour);

} // namespace corvanta::server::html
