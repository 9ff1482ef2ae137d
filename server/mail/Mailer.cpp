#include "Mailer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocale>
#include <QProcess>
#include <QRandomGenerator>
#include <QSaveFile>

#include <csignal>
#include <unistd.h>

namespace corvanta::server {

namespace {

QByteArray encodedWord(const QString &text)
{
    return "=?UTF-8?B?" + text.toUtf8().toBase64() + "?=";
}

// Header values may not carry line breaks: they would start a new header.
QByteArray headerSafe(const QString &text)
{
    QString clean = text;
    clean.replace(u'\r', u' ').replace(u'\n', u' ');
    return clean.toUtf8();
}

QByteArray randomToken()
{
    return QByteArray::number(QRandomGenerator::system()->generate64(), 16);
}

} // namespace

QByteArray composeMail(const MailMessage &message, const QDateTime &date, const QByteArray &messageId)
{
    QByteArray out;
    out += "From: " + headerSafe(message.from) + "\r\n";
    out += "To: " + headerSafe(message.to) + "\r\n";
    out += "Subject: " + encodedWord(message.subject) + "\r\n";
    out += "Date: " +
           QLocale::c().toString(date.toUTC(), QStringLiteral("ddd, dd MMM yyyy hh:mm:ss +0000")).toLatin1() +
           "\r\n";
    out += "Message-ID: <" + messageId + ">\r\n";
    out += "MIME-Version: 1.0\r\n";
    out += "Content-Type: text/plain; charset=UTF-8\r\n";
    out += "Content-Transfer-Encoding: base64\r\n";
    out += "\r\n";
    const QByteArray body = message.body.toUtf8().toBase64();
    for (qsizetype i = 0; i < body.size(); i += 76)
        out += body.mid(i, 76) + "\r\n";
    return out;
}

bool MailDirMailer::send(const MailMessage &message, QString *error)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QByteArray token = randomToken();
    if (!QDir().mkpath(m_dir)) {
        *error = QStringLiteral("cannot create %1").arg(m_dir);
        return false;
    }
    const QString name = now.toString(QStringLiteral("yyyyMMdd-hhmmss-zzz-")) + QString::fromLatin1(token) +
                         QStringLiteral(".eml");
    QSaveFile file(QDir(m_dir).filePath(name));
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    file.write(composeMail(message, now, token + "@corvanta"));
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

bool SendmailMailer::send(const MailMessage &message, QString *error)
{
    if (m_cancelled) {
        *error = QStringLiteral("cancelled");
        return false;
    }
    QProcess process;
    // A process group of its own, so that what the shell started goes with it.
    process.setChildProcessModifier([] { ::setpgid(0, 0); });
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), m_command});
    if (!process.waitForStarted(10000)) {
        *error = process.errorString();
        return false;
    }
    const QByteArray token = randomToken();
    process.write(composeMail(message, QDateTime::currentDateTimeUtc(), token + "@corvanta"));
    process.closeWriteChannel();
    QElapsedTimer waited;
    waited.start();
    while (!process.waitForFinished(50)) {
        if (process.state() == QProcess::NotRunning)
            break;
        if (m_cancelled || waited.elapsed() > 30000) {
            ::kill(-pid_t(process.processId()), SIGKILL);
            process.waitForFinished(1000);
            *error = m_cancelled ? QStringLiteral("cancelled")
                                 : QStringLiteral("the sendmail command did not finish");
            return false;
        }
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *error = QStringLiteral("the sendmail command failed: %1")
                     .arg(QString::fromLocal8Bit(process.readAllStandardError()).trimmed());
        return false;
    }
    return true;
}

bool NoMailer::send(const MailMessage &, QString *error)
{
    *error = QStringLiteral("no --mail-dir or --sendmail given");
    return false;
}

} // namespace corvanta::server
