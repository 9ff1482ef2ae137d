#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <memory>

namespace corvanta::server {

// The rest of a body too large to be held whole, made while it is sent: each call gives the
// next piece, an empty one at the end. A piece that cannot be made throws (a StoreError, say),
// and the reply then ends broken, never as if complete.
class ReplySource
{
public:
    virtual ~ReplySource() = default;
    virtual QByteArray next() = 0;
};

// What a page answers, plus what the request log says about it.
struct PageReply
{
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    // When set, the body goes on with the source's pieces (sent chunked, without a length).
    std::shared_ptr<ReplySource> source;
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

    // The source's pieces appended to the body, for a caller that takes the reply at once.
    void takeWhole();
};

// The answer most pages give when they did what was asked.
inline const QString kSuccess = QStringLiteral("Success!");

// A text reply logged as refused.
PageReply refused(const QString &text, const QString &account = {});
// A text reply logged as done.
PageReply accepted(const QString &word = kSuccess);

} // namespace corvanta::server
