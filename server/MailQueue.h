#pragma once

#include "Mailer.h"

#include <QList>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace corvanta::server {

// Hands messages to another mailer on a thread of its own, so that a slow mail command
// never holds a request. send() only queues (false when the queue is full); what the
// mailer then says is logged on standard error. Messages still queued at the end are
// sent before the queue goes.
class MailQueue final : public Mailer
{
public:
    static constexpr qsizetype kMaxQueued = 1000;

    explicit MailQueue(std::unique_ptr<Mailer> mailer);
    ~MailQueue() override;

    bool send(const MailMessage &message, QString *error) override;

private:
    void run();

    std::unique_ptr<Mailer> m_mailer;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    QList<MailMessage> m_queue;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace corvanta::server
