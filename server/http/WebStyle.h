#pragma once

#include <QByteArray>
#include <QString>

// The one style sheet and the one script of the HTML pages, sent inside each page, and the
// Content-Security-Policy that lets exactly these two run: no other script, style, font,
// picture or frame, and forms only to this server.
namespace corvanta::server::web_style {

const QString &styleSheet();
// The line chart's text size on a phone, in the units of its drawing (480 wide): 20 renders
// at 12 pixels or more from a 320-pixel-wide screen up. The chart leaves room for labels
// of this size.
inline constexpr int kPhoneChartText = 20;
// Sorts a table in place when a column heading is clicked (the charts follow its order) and
// prints the page from its "打印" link; the heading links sort on the server without it.
const QString &pageScript();
const QByteArray &contentSecurityPolicy();
// The site's icon (ICO), drawn once.
const QByteArray &favicon();

} // namespace corvanta::server::web_style
