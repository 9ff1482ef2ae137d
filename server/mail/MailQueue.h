#pragma once

#include "Mailer.h"

#include <QList>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace corvanta::server {

// Hands messages to another mailer on a thread of its own, so that a slow mail command
// never holds a request. send() only queues (false when the queue is full); what the
// mailer then says is logged on standard error. Messages still queued at the end are sent
// while the stop's grace lasts; then the mailer is cancelled and each message left is
// logged as not sent, so that a hanging mail command never holds the server's stop.
class MailQueue final : public Mailer
{
public:
    static constexpr qsizetype kMaxQueued = 1000;
    static constexpr std::chrono::milliseconds kStopGrace{2000};

    explicit MailQueue(std::unique_ptr<Mailer> mailer);
    ~MailQueue() override;

    bool send(const MailMessage &message, QString *error) override;
    // Takes no more messages, sends what is queued within grace, logs the rest. Once.
    void stop(std::chrono::milliseconds grace = kStopGrace);

private:
    void run();
    static void logUnsent(const MailMessage &message, const QString &why);

    std::unique_ptr<Mailer> m_mailer;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    QList<MailMessage> m_queue;
    std::condition_variable m_idle;
    bool m_stopping = false;
    bool m_sending = false;
    bool m_cancelled = false;
    std::thread m_thread;
};

} // namespace corvanta::server
