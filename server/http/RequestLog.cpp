#include "RequestLog.h"

#include "net/PageDescriptor.h"

namespace corvanta::server {

namespace {

// The login digest, passwords of every page and check codes.
bool holdsSecret(const QByteArray &escapedName)
{
    const QByteArray name = QByteArray::fromPercentEncoding(escapedName).toLower();
    if (name == field::kDigest)
        return true;
    for (const char *part : {"pass", "pswd", "pwd", "code", "token", "secret"}) {
        if (name.contains(part))
            return true;
    }
    return false;
}

LogLevel levelOf(int status)
{
    return status >= 500 ? LogLevel::Error : status >= 400 ? LogLevel::Warning : LogLevel::Info;
}

} // namespace

QString loggedTarget(const QString &path, const QByteArray &target)
{
    const qsizetype question = target.indexOf('?');
    QString text = path;
    if (question >= 0) {
        QList<QByteArray> fields = target.mid(question + 1).split('&');
        for (QByteArray &field : fields) {
            const qsizetype equals = field.indexOf('=');
            if (holdsSecret(equals < 0 ? field : field.left(equals)))
                field = field.left(equals < 0 ? field.size() : equals) + "=***";
        }
        text += u'?' + QString::fromLatin1(fields.join('&'));
    }
    return text;
}

void RequestLog::write(const char *method, const QString &path, const QByteArray &target,
                       const PageReply &reply, const QElapsedTimer &timer, const QString &client)
{
    const LogLevel level = levelOf(reply.status);
    if (!m_enabled || !m_sink.wants(level))
        return;
    m_sink.write(level, QStringLiteral("%1 %2 %3 account=%4 %5 %6 %7 %8ms")
                            .arg(client.isEmpty() ? QStringLiteral("-") : client, QLatin1String(method),
                                 loggedTarget(path, target).left(300),
                                 reply.account.isEmpty() ? QStringLiteral("-") : reply.account.left(64),
                                 reply.outcome.left(64), QString::number(reply.status),
                                 QString::number(reply.body.size()),
                                 QString::number(double(timer.nsecsElapsed()) / 1e6, 'f', 2)));
}

} // namespace corvanta::server
