#include "PageReply.h"

#include "WebStyle.h"

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
    reply.headers = {{"Content-Security-Policy", web_style::contentSecurityPolicy()},
                     {"X-Content-Type-Options", "nosniff"},
                     {"Referrer-Policy", "same-origin"}};
    return reply;
}

PageReply PageReply::redirect(const QByteArray &location)
{
    PageReply reply =
        html(QStringLiteral("<!DOCTYPE html>\n<title>Corvanta</title><p><a href=\"%1\">继续</a></p>\n")
                 .arg(QString::fromLatin1(location).toHtmlEscaped()));
    reply.status = 303;
    reply.headers.append({"Location", location});
    return reply;
}

PageReply PageReply::notFound()
{
    PageReply reply = text(QStringLiteral("页面不存在"), QStringLiteral("not found"));
    reply.status = 404;
    return reply;
}

void PageReply::takeWhole()
{
    if (!source)
        return;
    const std::shared_ptr<ReplySource> rest = std::move(source);
    for (QByteArray piece = rest->next(); !piece.isEmpty(); piece = rest->next())
        body += piece;
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
