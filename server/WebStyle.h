#pragma once

#include <QByteArray>
#include <QString>

// The one style sheet and the one script of the HTML pages, sent inside each page, and the
// Content-Security-Policy that lets exactly these two run: no other script, style, font,
// picture or frame, and forms only to this server.
namespace corvanta::server::web_style {

const QString &styleSheet();
// Sorts a table in place when a column heading is clicked; the heading links sort on the
// server without it.
const QString &sortScript();
const QByteArray &contentSecurityPolicy();

} // namespace corvanta::server::web_style
