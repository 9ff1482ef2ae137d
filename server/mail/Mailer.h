#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <atomic>

namespace corvanta::server {

struct MailMessage
{
    QString from;
    QString to;
    QString subject;
    QString body;
};

// One RFC 5322 message: UTF-8 text, subject as an encoded word, body in Base64, CR LF.
QByteArray composeMail(const MailMessage &message, const QDateTime &date, const QByteArray &messageId);

class Mailer
{
public:
    virtual ~Mailer() = default;
    // False (with *error) when the message could not be handed on.
    virtual bool send(const MailMessage &message, QString *error) = 0;
    // From another thread: a send() running now, and every later one, gives up at once.
    virtual void cancel() {}
};

// Writes each message as one .eml file into a folder.
class MailDirMailer final : public Mailer
{
public:
    explicit MailDirMailer(QString dir) : m_dir(std::move(dir)) {}
    bool send(const MailMessage &message, QString *error) override;

private:
    QString m_dir;
};

// Pipes each message to a sendmail-compatible command (run by /bin/sh). A command that
// takes over 30 s, or is cancelled, is killed with every process it started.
class SendmailMailer final : public Mailer
{
public:
    explicit SendmailMailer(QString command) : m_command(std::move(command)) {}
    bool send(const MailMessage &message, QString *error) override;
    void cancel() override { m_cancelled = true; }

private:
    QString m_command;
    std::atomic<bool> m_cancelled = false;
};

// Used when no way of sending mail was configured.
class NoMailer final : public Mailer
{
public:
    bool send(const MailMessage &message, QString *error) override;
};

} // namespace corvanta::server
