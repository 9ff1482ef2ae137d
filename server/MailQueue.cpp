#include "MailQueue.h"

#include <QDateTime>

#include <cstdio>

namespace corvanta::server {

MailQueue::MailQueue(std::unique_ptr<Mailer> mailer) : m_mailer(std::move(mailer))
{
    m_thread = std::thread([this] { run(); });
}

MailQueue::~MailQueue()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

bool MailQueue::send(const MailMessage &message, QString *error)
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_queue.size() >= kMaxQueued) {
            *error = QStringLiteral("too many e-mails waiting");
            return false;
        }
        m_queue.append(message);
    }
    m_wake.notify_one();
    return true;
}

void MailQueue::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.isEmpty(); });
        if (m_queue.isEmpty())
            return; // stopping, and nothing is left to send
        const MailMessage message = m_queue.takeFirst();
        lock.unlock();
        QString error;
        if (!m_mailer->send(message, &error)) {
            const QByteArray line = (QDateTime::currentDateTime().toString(Qt::ISODateWithMs) +
                                     QStringLiteral(" mail to %1 not sent: %2").arg(message.to, error))
                                        .toUtf8() +
                                    '\n';
            std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
        }
        lock.lock();
    }
}

} // namespace corvanta::server
