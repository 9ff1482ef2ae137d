#pragma once

#include <QList>
#include <QString>

namespace corvanta::server::html {

struct Bar
{
    QString label;
    double value = 0;
    QString valueText;
    QString href; // where the label leads; none when empty (not yet HTML-escaped)
    int index = 0; // the row's key: the page script puts the bars in its table's order
};

// A horizontal bar chart drawn here, one row per bar: the label (as wide as the longest, up to
// a share of the width, then cut with "…" and given whole in its title), the bar from a zero
// line (negative values point left) and the value. Lengths are in percent, so one drawing
// fits a phone and a wide screen. id must be unique in the page. `fullLength`: the value a bar
// across the whole width stands for (a full mark), at least; 0: the largest value.
QString barChart(const QString &id, const QString &caption, const QList<Bar> &bars, const QString &colour,
                 double fullLength = 0);

// A line of points over time: x a time in seconds, y a score.
struct LinePoint
{
    qint64 time = 0;
    double value = 0;
};
struct Line
{
    QString name;
    QList<LinePoint> points; // by time
    QString colour;
    bool dashed = false;
};

// A line chart as inline SVG drawn here: the lines over a time axis of whole days (a point
// stands in the middle of its day) with dated ticks and the title "日期（YYYY年）", the value
// axis titled `valueTitle` from zero (or the lowest value) to `fullMark` (or the highest
// value) with a line at each whole score. role="img" with the caption; the figures
// themselves are in a table of the page. Its labels leave room for the phone's text size
// (web_style::kPhoneChartText).
QString lineChart(const QString &id, const QString &caption, const QList<Line> &lines, const QString &valueTitle,
                  double fullMark);

} // namespace corvanta::server::html
