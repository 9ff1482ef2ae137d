#include "RequestLog.h"

#include <QDateTime>

#include <unistd.h>

namespace corvanta::server {

namespace {

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

void RequestLog::write(const char *method, const QString &path, const PageReply &reply,
                       const QElapsedTimer &timer)
{
    if (!m_enabled)
        return;
    const QString line =
        QStringLiteral("%1 %2 %3 account=%4 %5 %6 %7ms")
            .arg(QDateTime::currentDateTime().toString(Qt::ISODateWithMs), QLatin1String(method),
                 oneLine(path), reply.account.isEmpty() ? QStringLiteral("-") : oneLine(reply.account),
                 oneLine(reply.outcome), QString::number(reply.status),
                 QString::number(timer.nsecsElapsed() / 1e6, 'f', 2));
    const QByteArray bytes = line.toUtf8() + '\n';
    const std::lock_guard lock(m_mutex);
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(STDERR_FILENO, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            break;
        done += n;
    }
}

} // namespace corvanta::server
