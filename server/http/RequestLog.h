#pragma once

#include "LogSink.h"
#include "PageReply.h"

#include <QElapsedTimer>
#include <QString>

#include <atomic>

namespace corvanta::server {

// One access line per request:
// "TIME CLIENT METHOD TARGET account=ACCOUNT OUTCOME STATUS BYTES MILLISECONDSms", the
// target with the values of password and check-code fields left out. Its level follows the
// status (5xx error, 4xx warning, else info). Writing never waits for the log's reader.
class RequestLog
{
public:
    explicit RequestLog(LogSink &sink = LogSink::standardError()) : m_sink(sink) {}

    void setEnabled(bool on) { m_enabled = on; }
    // path unescaped; target: the request's path and query as they came (escaped).
    void write(const char *method, const QString &path, const QByteArray &target, const PageReply &reply,
               const QElapsedTimer &timer, const QString &client);

private:
    LogSink &m_sink;
    std::atomic<bool> m_enabled = true;
};

// The request target as logged: the path unescaped, then the query as sent but with the
// value of every field that holds a secret replaced by "***".
QString loggedTarget(const QString &path, const QByteArray &target);

} // namespace corvanta::server
