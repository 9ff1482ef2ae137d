#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace corvanta::server {

// What a page answers, plus what the request log says about it.
struct PageReply
{
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    // Written after Content-Type and Cache-Control, e.g. the Allow header of a 405.
    QList<QPair<QByteArray, QByteArray>> headers;
    QString account;        // for the log; empty when none was named
    QString outcome = "ok"; // "ok", "refused", ... for the log

    // A short text in GBK, as the tool reads every reply.
    static PageReply text(const QString &text, const QString &outcome = QStringLiteral("ok"));
    // UTF-8 HTML with the pages' Content-Security-Policy.
    static PageReply html(const QString &html);
    // 303 See Other: the browser asks for location with a GET.
    static PageReply redirect(const QByteArray &location);
    static PageReply notFound();
};

// The answer most pages give when they did what was asked.
inline const QString kSuccess = QStringLiteral("Success!");

// A text reply logged as refused.
PageReply refused(const QString &text, const QString &account = {});
// A text reply logged as done.
PageReply accepted(const QString &word = kSuccess);

} // namespace corvanta::server
