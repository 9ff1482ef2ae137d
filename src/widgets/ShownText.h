#pragma once

#include <QString>
#include <QStringView>

namespace corvanta {

// Longest text and most lines a message box or label gets: laying out megabytes of a
// server's reply holds the window for many seconds.
constexpr qsizetype MaxShownChars = 4000;
constexpr qsizetype MaxShownLines = 40;

// The text as it may be shown: unchanged when it is within the limits; otherwise its start
// and its end joined by "…". The end stays because a message puts the caller's own words
// after the reply ("<reply>\r\n上传错误！").
QString boundShownText(const QString &text);

} // namespace corvanta
