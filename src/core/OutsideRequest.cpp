#include "OutsideRequest.h"

#include <QUrl>
#include <QUrlQuery>

namespace corvanta {

namespace {

const QString kScheme = QStringLiteral("corvanta");
constexpr qsizetype kMaxLength = 1024;

QString actionName(OutsideRequest::Action action)
{
    switch (action) {
    case OutsideRequest::Action::Draw:
        return QStringLiteral("draw");
    case OutsideRequest::Action::Show:
        return QStringLiteral("show");
    case OutsideRequest::Action::Hide:
        return QStringLiteral("hide");
    case OutsideRequest::Action::None:
        break;
    }
    return {};
}

} // namespace

QString OutsideRequest::url() const
{
    QUrl url;
    url.setScheme(kScheme);
    url.setHost(actionName(action));
    if (action == Action::Draw && !pool.isEmpty()) {
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("pool"), QString::fromLatin1(QUrl::toPercentEncoding(pool)));
        url.setQuery(query);
    }
    return url.toString(QUrl::FullyEncoded);
}

QString OutsideRequest::describe() const
{
    return pool.isEmpty() ? actionName(action) : actionName(action) + u' ' + pool;
}

bool OutsideRequest::looksLikeUrl(const QString &argument)
{
    return argument.startsWith(kScheme + u':', Qt::CaseInsensitive);
}

Expected<OutsideRequest> OutsideRequest::fromUrl(const QString &text)
{
    using Refusal = Expected<OutsideRequest>;
    if (text.size() > kMaxLength)
        return Refusal::failure(QStringLiteral("address longer than %1 characters").arg(kMaxLength));
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return Refusal::failure(QStringLiteral("not an address: ") + url.errorString());
    if (url.scheme() != kScheme) // QUrl lowers the scheme's case
        return Refusal::failure(QStringLiteral("not a corvanta: address"));
    if (!url.userInfo().isEmpty() || url.port() != -1 || url.hasFragment())
        return Refusal::failure(QStringLiteral("user, port or fragment in the address"));
    if (!url.path().isEmpty() && url.path() != u"/")
        return Refusal::failure(QStringLiteral("unknown path '%1'").arg(url.path()));

    OutsideRequest request;
    const QString action = url.host(); // lower case, as QUrl keeps hosts
    if (action == u"draw")
        request.action = Action::Draw;
    else if (action == u"show")
        request.action = Action::Show;
    else if (action == u"hide")
        request.action = Action::Hide;
    else
        return Refusal::failure(QStringLiteral("unknown action '%1'").arg(action));

    const QUrlQuery query(url);
    const auto items = query.queryItems(QUrl::FullyDecoded);
    for (const auto &[key, value] : items) {
        if (request.action != Action::Draw || key != u"pool")
            return Refusal::failure(QStringLiteral("unknown parameter '%1'").arg(key));
        if (!request.pool.isEmpty())
            return Refusal::failure(QStringLiteral("more than one pool"));
        if (value.trimmed().isEmpty())
            return Refusal::failure(QStringLiteral("empty pool"));
        request.pool = value;
    }
    if (url.hasQuery() && items.isEmpty() && !url.query().isEmpty())
        return Refusal::failure(QStringLiteral("unknown parameter '%1'").arg(url.query()));
    return request;
}

} // namespace corvanta
