#include "MailQueue.h"

#include "LogSink.h"

namespace corvanta::server {

MailQueue::MailQueue(std::unique_ptr<Mailer> mailer) : m_mailer(std::move(mailer))
{
    m_thread = std::thread([this] { run(); });
}

MailQueue::~MailQueue()
{
    stop();
}

bool MailQueue::send(const MailMessage &message, QString *error)
{
    {
        const std::lock_guard lock(m_mutex);
        if (m_stopping) {
            *error = QStringLiteral("the server is stopping");
            return false;
        }
        if (m_queue.size() >= kMaxQueued) {
            *error = QStringLiteral("too many e-mails waiting");
            return false;
        }
        m_queue.append(message);
    }
    m_wake.notify_one();
    return true;
}

void MailQueue::stop(std::chrono::milliseconds grace)
{
    {
        std::unique_lock lock(m_mutex);
        if (!m_thread.joinable())
            return;
        m_stopping = true;
        m_wake.notify_all();
        if (!m_idle.wait_for(lock, grace, [this] { return m_queue.isEmpty() && !m_sending; }))
            m_cancelled = true;
    }
    if (m_cancelled)
        m_mailer->cancel();
    m_wake.notify_all();
    m_thread.join();
}

void MailQueue::logUnsent(const MailMessage &message, const QString &why)
{
    LogSink::standardError().write(LogLevel::Error, QStringLiteral("mail to %1 not sent (%2): %3")
                                                        .arg(message.to, message.subject, why));
}

void MailQueue::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.isEmpty(); });
        if (m_cancelled) {
            for (const MailMessage &message : std::as_const(m_queue))
                logUnsent(message, QStringLiteral("the server stopped"));
            m_queue.clear();
        }
        if (m_queue.isEmpty()) {
            m_idle.notify_all();
            if (m_stopping)
                return; // nothing is left to send
            continue;
        }
        const MailMessage message = m_queue.takeFirst();
        m_sending = true;
        lock.unlock();
        QString error;
        const bool sent = m_mailer->send(message, &error);
        lock.lock();
        m_sending = false;
        if (!sent)
            logUnsent(message, m_cancelled ? QStringLiteral("the server stopped") : error);
    }
}

} // namespace corvanta::server
