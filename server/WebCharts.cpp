#include "WebCharts.h"

#include <algorithm>

namespace corvanta::server::html {

namespace {

// Across the width: labels up to kBarsFrom, bars up to kBarsTo, values right-aligned after.
constexpr double kBarsFrom = 28;
constexpr double kBarsTo = 86;
constexpr int kRowHeight = 20;
constexpr int kBarHeight = 14;
constexpr int kTop = 4;

QString percent(double value)
{
    return QString::number(value, 'f', 2) + u'%';
}

} // namespace

QString barChart(const QString &id, const QString &caption, const QList<Bar> &bars, const QString &colour)
{
    double low = 0, high = 0;
    for (const Bar &b : bars) {
        low = std::min(low, b.value);
        high = std::max(high, b.value);
    }
    const double span = high > low ? high - low : 1;
    auto x = [&](double v) { return kBarsFrom + (kBarsTo - kBarsFrom) * (v - low) / span; };
    const QString height = QString::number(kTop * 2 + kRowHeight * int(bars.size()));

    // Every text goes in with one arg() call: a name holding "%1" must stay as it is.
    QString labels, shapes;
    for (qsizetype i = 0; i < bars.size(); ++i) {
        const Bar &b = bars[i];
        const int y = kTop + kRowHeight * int(i);
        const QString baseline = QString::number(y + 12);
        const QString label = b.label.toHtmlEscaped();
        const QString value = b.valueText.toHtmlEscaped();
        labels += QStringLiteral("<text x=\"0\" y=\"%1\">%2</text>").arg(baseline, label);
        const double from = std::min(x(0), x(b.value)), to = std::max(x(0), x(b.value));
        shapes +=
            QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" fill=\"%5\"><title>%6：%7"
                           "</title></rect><text x=\"100%\" y=\"%8\" text-anchor=\"end\">%7</text>")
                .arg(percent(from), QString::number(y + (kRowHeight - kBarHeight) / 2 - 1),
                     percent(to - from), QString::number(kBarHeight), colour.toHtmlEscaped(), label, value,
                     baseline);
    }
    return QStringLiteral(
               "<svg class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" width=\"100%\" height=\"%1\" "
               "role=\"img\" aria-labelledby=\"%2-t\"><title id=\"%2-t\">%3</title>"
               "<defs><clipPath id=\"%2-c\"><rect width=\"%4\" height=\"100%\"/></clipPath></defs>"
               "<g clip-path=\"url(#%2-c)\">%5</g>%6"
               "<line x1=\"%7\" x2=\"%7\" y1=\"0\" y2=\"%1\" stroke=\"#888\"/></svg>")
        .arg(height, id.toHtmlEscaped(), caption.toHtmlEscaped(), percent(kBarsFrom - 1), labels, shapes,
             percent(x(0)));
}

} // namespace corvanta::server::html
