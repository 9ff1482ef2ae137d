#include "PageReply.h"

#include "core/TextCodec.h"

namespace corvanta::server {

PageReply PageReply::text(const QString &text, const QString &outcome)
{
    PageReply reply;
    reply.contentType = "text/plain; charset=GBK";
    reply.body = toGbk(text);
    reply.outcome = outcome;
    return reply;
}

PageReply PageReply::html(const QString &html)
{
    PageReply reply;
    reply.contentType = "text/html; charset=utf-8";
    reply.body = html.toUtf8();
    return reply;
}

PageReply PageReply::notFound()
{
    PageReply reply = text(QStringLiteral("页面不存在"), QStringLiteral("not found"));
    reply.status = 404;
    return reply;
}

PageReply refused(const QString &text, const QString &account)
{
    PageReply reply = PageReply::text(text, QStringLiteral("refused"));
    reply.account = account;
    return reply;
}

PageReply accepted(const QString &word)
{
    return PageReply::text(word);
}

} // namespace corvanta::server
