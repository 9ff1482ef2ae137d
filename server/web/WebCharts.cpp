#include "WebCharts.h"

#include "core/TextCodec.h"
#include "net/Wire.h"

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

// The line chart's drawing box: the browser scales it to the page's width.
constexpr double kWidth = 480, kHeight = 220;
constexpr double kLeft = 34, kRight = 10, kTop = 10, kBottom = 28;

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

QString lineChart(const QString &id, const QString &caption, const QList<Line> &lines)
{
    qint64 first = 0, last = 0;
    double low = 0, high = 0;
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
    const double timeSpan = last > first ? double(last - first) : 1;
    auto px = [&](qint64 t) { return kLeft + (kWidth - kLeft - kRight) * double(t - first) / timeSpan; };
    auto py = [&](double v) { return kTop + (kHeight - kTop - kBottom) * (high - v) / (high - low); };

    QString grid;
    // Lines at whole scores, at most six of them.
    const double step = std::max(1.0, std::ceil((high - low) / 5));
    for (double v = std::ceil(low / step) * step; v <= high + 1e-9; v += step) {
        grid += QStringLiteral("<line x1=\"%1\" x2=\"%2\" y1=\"%3\" y2=\"%3\" stroke=\"%4\"/>"
                               "<text x=\"%5\" y=\"%6\" text-anchor=\"end\">%7</text>")
                    .arg(number(kLeft), number(kWidth - kRight), number(py(v)),
                         v == 0 ? QStringLiteral("#888") : QStringLiteral("#e3e3e3"), number(kLeft - 6),
                         number(py(v) + 4), shortestDecimal(v));
    }
    if (any) {
        const double base = kHeight - kBottom + 18;
        grid += QStringLiteral("<text x=\"%1\" y=\"%3\">%4</text><text x=\"%2\" y=\"%3\" text-anchor=\"end\">%5"
                               "</text>")
                    .arg(number(kLeft), number(kWidth - kRight), number(base),
                         SecondsToDateText(first).left(10), SecondsToDateText(last).left(10));
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
