#pragma once

#include "ScoreService.h"

#include <QAbstractHttpServer>

namespace corvanta::server {

// The HTTP side: turns each request into a PageRequest, runs the route table, writes the
// reply and one log line. Works on QAbstractHttpServer directly because the pages need the
// query as it came (still escaped) and the body size check.
class HttpFront final : public QAbstractHttpServer
{
    Q_OBJECT
public:
    static constexpr qsizetype kMaxBody = 1024 * 1024;

    explicit HttpFront(ScoreService &service, QObject *parent = nullptr);

    // Log lines go to standard error unless switched off (tests in-process).
    void setLogging(bool on) { m_logging = on; }

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    ScoreService &m_service;
    bool m_logging = true;
};

} // namespace corvanta::server
