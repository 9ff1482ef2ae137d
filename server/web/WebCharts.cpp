#include "WebCharts.h"

#include "WebStyle.h"

#include "core/TextCodec.h"
#include "net/Wire.h"

#include <QDate>

#include <algorithm>
#include <cmath>

namespace corvanta::server::html {

namespace {

QString percent(double value)
{
    return QString::number(value, 'f', 2) + u'%';
}

QString number(double value)
{
    return QString::number(value, 'f', 1);
}

// The line chart's drawing box: the browser scales it to the page's width. Room above the
// plot for the value axis's title, below it for the dates and the time axis's title, all at
// the phone's text size.
constexpr double kWidth = 480, kHeight = 288;
constexpr double kLeft = 34, kRight = 12, kTop = 48, kBottom = 58;
constexpr int kMostTicks = 5;
constexpr qint64 kDay = 86400;

QDate dayOf(qint64 time)
{
    return QDate::fromString(SecondsToDateText(time).left(10), Qt::ISODate);
}

qint64 startOf(const QDate &day)
{
    return DateTextToSeconds(day.toString(Qt::ISODate));
}

// A label's width in the drawing's units at the phone's text size, near enough to keep labels
// apart: a Chinese character is a square, a digit a little over half of one.
double labelWidth(const QString &text)
{
    double ems = 0;
    for (const QChar c : text)
        ems += c.unicode() < 0x2E80 ? 0.6 : 1.0;
    return ems * web_style::kPhoneChartText;
}

struct Tick
{
    qint64 time = 0;
    QString text;
};

// Dated ticks on the days from..to drawn `width` units wide: every day or every 2, 7 or 14
// days ("3月5日", in the middle of the day), else the first of every 1, 2, 3 or 6 months
// ("3月"), else of every year or few ("2027年"); the first of these with at most kMostTicks
// labels standing apart.
QList<Tick> dateTicks(const QDate &from, const QDate &to, double width)
{
    const qint64 start = startOf(from);
    const double perSecond = width / double(startOf(to.addDays(1)) - start);
    const auto apart = [&](const QList<Tick> &ticks) {
        if (ticks.isEmpty() || ticks.size() > kMostTicks)
            return false;
        for (qsizetype i = 1; i < ticks.size(); ++i) {
            const double room = double(ticks[i].time - ticks[i - 1].time) * perSecond;
            if (room < (labelWidth(ticks[i].text) + labelWidth(ticks[i - 1].text)) / 2 + 8)
                return false;
        }
        return true;
    };
    for (const int step : {1, 2, 7, 14}) {
        QList<Tick> ticks;
        for (QDate d = from; d <= to && ticks.size() <= kMostTicks; d = d.addDays(step))
            ticks.append({startOf(d) + kDay / 2, QStringLiteral("%1月%2日").arg(d.month()).arg(d.day())});
        if (apart(ticks))
            return ticks;
    }
    for (const int step : {1, 2, 3, 6}) {
        // Months a whole number of steps after January: every second one is 1, 3, 5 ... 月.
        QDate d(from.year(), 1, 1);
        while (d < from)
            d = d.addMonths(step);
        QList<Tick> ticks;
        for (; d <= to && ticks.size() <= kMostTicks; d = d.addMonths(step))
            ticks.append({startOf(d), QStringLiteral("%1月").arg(d.month())});
        if (apart(ticks))
            return ticks;
    }
    for (int step = 1; step <= 1024; step *= 2) {
        QDate d(from.year() + (QDate(from.year(), 1, 1) < from ? 1 : 0), 1, 1);
        while (d.year() % step)
            d = d.addYears(1);
        QList<Tick> ticks;
        for (; d <= to && ticks.size() <= kMostTicks; d = d.addYears(step))
            ticks.append({startOf(d), QStringLiteral("%1年").arg(d.year())});
        if (apart(ticks))
            return ticks;
    }
    return {};
}

} // namespace

QString barChart(const QString &id, const QString &caption, const QList<Bar> &bars, const QString &colour,
                 double fullLength)
{
    double low = 0, high = std::max(0.0, fullLength);
    for (const Bar &b : bars) {
        low = std::min(low, b.value);
        high = std::max(high, b.value);
    }
    const double span = high > low ? high - low : 1;
    auto x = [&](double v) { return 100 * (v - low) / span; };
    // The zero line only where a bar points left of it.
    const QString zero = low < 0 ? QStringLiteral("<line x1=\"%1\" x2=\"%1\" y1=\"0\" y2=\"100%\" stroke=\"#888\"/>")
                                       .arg(percent(x(0)))
                                 : QString();

    // Every text goes in with one arg() call: a name holding "%1" must stay as it is.
    QString rows;
    for (const Bar &b : bars) {
        const QString label = b.label.toHtmlEscaped();
        const QString labelHtml =
            b.href.isEmpty()
                ? QStringLiteral("<span class=\"l\" title=\"%1\">%1</span>").arg(label)
                // A click opens the student; the keyboard reaches the same page from the table's row,
                // so the chart adds no tab stops of its own.
                : QStringLiteral("<a class=\"l\" href=\"%1\" title=\"%2\" tabindex=\"-1\">%2</a>")
                      .arg(b.href.toHtmlEscaped(), label);
        const double from = std::min(x(0), x(b.value)), to = std::max(x(0), x(b.value));
        rows += QStringLiteral("<div data-i=\"%1\">%2<svg aria-hidden=\"true\" focusable=\"false\">"
                               "<rect x=\"%3\" y=\"0\" width=\"%4\" height=\"14\" fill=\"%5\"/>%6</svg>"
                               "<span class=\"v\">%7</span></div>\n")
                    .arg(QString::number(b.index), labelHtml, percent(from), percent(to - from),
                         colour.toHtmlEscaped(), zero, b.valueText.toHtmlEscaped());
    }
    return QStringLiteral("<div class=\"bars\" id=\"%1\" role=\"group\" aria-label=\"%2\">\n%3</div>")
        .arg(id.toHtmlEscaped(), caption.toHtmlEscaped(), rows);
}

QString lineChart(const QString &id, const QString &caption, const QList<Line> &lines, const QString &valueTitle,
                  double fullMark)
{
    qint64 first = 0, last = 0;
    double low = 0, high = std::max(0.0, fullMark);
    bool any = false;
    for (const Line &line : lines) {
        for (const LinePoint &p : line.points) {
            first = any ? std::min(first, p.time) : p.time;
            last = any ? std::max(last, p.time) : p.time;
            low = std::min(low, p.value);
            high = std::max(high, p.value);
            any = true;
        }
    }
    if (high <= low)
        high = low + 1;
    // Whole days: from the first point's midnight to the end of the last point's day.
    const QDate firstDay = dayOf(first), lastDay = dayOf(last);
    const qint64 start = any ? startOf(firstDay) : 0;
    const qint64 end = any ? startOf(lastDay.addDays(1)) : kDay;
    const double plotWidth = kWidth - kLeft - kRight, plotBottom = kHeight - kBottom;
    auto px = [&](qint64 t) { return kLeft + plotWidth * double(t - start) / double(end - start); };
    auto py = [&](double v) { return kTop + (plotBottom - kTop) * (high - v) / (high - low); };

    // Every text goes in with one arg() call: a name holding "%1" must stay as it is.
    QString grid;
    // Lines at whole scores, at most seven of them; the labels centred on their lines.
    const double step = std::max(1.0, std::ceil((high - low) / 6));
    for (double v = std::ceil(low / step) * step; v <= high + 1e-9; v += step) {
        grid += QStringLiteral("<line x1=\"%1\" x2=\"%2\" y1=\"%3\" y2=\"%3\" stroke=\"%4\"/>"
                               "<text x=\"%5\" y=\"%3\" dy=\"0.35em\" text-anchor=\"end\">%6</text>")
                    .arg(number(kLeft), number(kWidth - kRight), number(py(v)),
                         v == 0 ? QStringLiteral("#888") : QStringLiteral("#e3e3e3"), number(kLeft - 6),
                         shortestDecimal(v));
    }
    grid += QStringLiteral("<text class=\"axis\" x=\"0\" y=\"%1\">%2</text>")
                .arg(number(kTop - 26), valueTitle.toHtmlEscaped());
    if (any) {
        for (const Tick &tick : dateTicks(firstDay, lastDay, plotWidth)) {
            // A label stays right of the value axis's figures and inside the drawing.
            const double x = px(tick.time), half = labelWidth(tick.text) / 2;
            grid += QStringLiteral("<line x1=\"%1\" x2=\"%1\" y1=\"%2\" y2=\"%3\" stroke=\"#888\"/>"
                                   "<text class=\"tick\" x=\"%4\" y=\"%3\" dy=\"1em\" text-anchor=\"middle\">%5</text>")
                        .arg(number(x), number(plotBottom), number(plotBottom + 5),
                             number(std::clamp(x, kLeft + half, kWidth - half)), tick.text);
        }
        const QString years = firstDay.year() == lastDay.year()
                                  ? QString::number(firstDay.year())
                                  : QStringLiteral("%1–%2").arg(firstDay.year()).arg(lastDay.year());
        grid += QStringLiteral("<text class=\"axis\" x=\"%1\" y=\"%2\" text-anchor=\"end\">日期（%3年）</text>")
                    .arg(number(kWidth - kRight), number(kHeight - 4), years);
    }
    QString paths;
    for (const Line &line : lines) {
        if (line.points.isEmpty())
            continue;
        QString d;
        for (const LinePoint &p : line.points)
            d += (d.isEmpty() ? u'M' : u'L') + number(px(p.time)) + u',' + number(py(p.value));
        paths += QStringLiteral("<path d=\"%1\" fill=\"none\" stroke=\"%2\" stroke-width=\"%3\"%4>"
                                "<title>%5</title></path>")
                     .arg(d, line.colour.toHtmlEscaped(), line.dashed ? QStringLiteral("1.5") : QStringLiteral("2"),
                          line.dashed ? QStringLiteral(" stroke-dasharray=\"5 4\"") : QString(),
                          line.name.toHtmlEscaped());
        if (line.points.size() == 1) // a single score is a dot, not an invisible line
            paths += QStringLiteral("<circle cx=\"%1\" cy=\"%2\" r=\"3\" fill=\"%3\"/>")
                         .arg(number(px(line.points[0].time)), number(py(line.points[0].value)),
                              line.colour.toHtmlEscaped());
    }
    return QStringLiteral("<svg class=\"line\" id=\"%1\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 %2 %3\" "
                          "role=\"img\" aria-labelledby=\"%1-t\"><title id=\"%1-t\">%4</title>%5%6</svg>")
        .arg(id.toHtmlEscaped(), number(kWidth), number(kHeight), caption.toHtmlEscaped(), grid, paths);
}

} // namespace corvanta::server::html
