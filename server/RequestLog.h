#pragma once

#include "PageReply.h"

#include <QElapsedTimer>
#include <QString>

#include <atomic>
#include <mutex>

namespace corvanta::server {

// One line per request on standard error:
// "TIME METHOD PATH account=ACCOUNT OUTCOME STATUS MILLISECONDSms". Lines of requests
// answered at once on several threads never mix.
class RequestLog
{
public:
    void setEnabled(bool on) { m_enabled = on; }
    void write(const char *method, const QString &path, const PageReply &reply, const QElapsedTimer &timer);

private:
    std::atomic<bool> m_enabled = true;
    std::mutex m_mutex;
};

} // namespace corvanta::server
