#include "HttpFront.h"

#include "Routes.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpSocket>

#include <cstdio>
#include <exception>

namespace corvanta::server {

namespace {

Method methodOf(const QHttpServerRequest &request)
{
    switch (request.method()) {
    case QHttpServerRequest::Method::Get:
        return Method::Get;
    case QHttpServerRequest::Method::Post:
        return Method::Post;
    default:
        return Method::Other;
    }
}

const char *methodText(Method method)
{
    switch (method) {
    case Method::Get:
        return "GET";
    case Method::Post:
        return "POST";
    default:
        return "OTHER";
    }
}

// Account names come from the request: keep the log to one line whatever they hold.
QString oneLine(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u'?';
    }
    return text.left(64);
}

} // namespace

HttpFront::HttpFront(ScoreService &service, QObject *parent) : QAbstractHttpServer(parent), m_service(service)
{
}

bool HttpFront::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket)
{
    QElapsedTimer timer;
    timer.start();
    const Method method = methodOf(request);
    const QUrl url = request.url();
    const QString path = url.path();
    PageReply reply;
    if (request.body().size() > kMaxBody) {
        reply = PageReply::text(QStringLiteral("请求内容过大"), QStringLiteral("too large"));
        reply.status = 413;
    } else {
        try {
            PageRequest page =
                decodeRequest(method, path, url.query(QUrl::FullyEncoded).toLatin1(), request.body());
            page.headers = request.headers();
            reply = dispatch(m_service, page);
        } catch (const std::exception &e) {
            reply = PageReply::text(QStringLiteral("服务器内部错误"),
                                    QStringLiteral("error: ") + QString::fromUtf8(e.what()));
            reply.status = 500;
        }
    }

    {
        QHttpServerResponder responder = makeResponder(request, socket);
        responder.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(reply.status));
        responder.writeHeader("Content-Type", reply.contentType);
        responder.writeHeader("Cache-Control", "no-store");
        for (const auto &[name, value] : std::as_const(reply.headers))
            responder.writeHeader(name, value);
        responder.writeHeader("Content-Length", QByteArray::number(reply.body.size()));
        responder.writeBody(reply.body);
    }
    // Qt's server keeps every connection open; a client that asks to close gets it closed.
    if (request.value("Connection").toLower().contains("close"))
        socket->disconnectFromHost();

    if (m_logging) {
        const QString line = QStringLiteral("%1 %2 %3 account=%4 %5 %6 %7ms")
                                 .arg(QDateTime::currentDateTime().toString(Qt::ISODateWithMs),
                                      QLatin1String(methodText(method)), oneLine(path),
                                      reply.account.isEmpty() ? QStringLiteral("-") : oneLine(reply.account),
                                      oneLine(reply.outcome), QString::number(reply.status),
                                      QString::number(timer.nsecsElapsed() / 1e6, 'f', 2));
        const QByteArray bytes = line.toUtf8() + '\n';
        std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    }
    return true;
}

void HttpFront::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket)
{
    makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
}

} // namespace corvanta::server
