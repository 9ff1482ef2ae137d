#pragma once

#include <QByteArray>
#include <QString>

// The one style sheet and the one script of the HTML pages, sent inside each page, and the
// Content-Security-Policy that lets exactly these two run: no other script, style, font,
// picture or frame, and forms only to this server.
namespace corvanta::server::web_style {

const QString &styleSheet();
// Sorts a table in place when a column heading is clicked (the charts follow its order) and
// prints the page from its "打印" link; the heading links sort on the server without it.
const QString &pageScript();
const QByteArray &contentSecurityPolicy();
// The site's icon (ICO), drawn once.
const QByteArray &favicon();

} // namespace corvanta::server::web_style
