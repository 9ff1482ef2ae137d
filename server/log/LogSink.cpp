#include "LogSink.h"

#include <QDateTime>

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace corvanta::server {

namespace {

using Clock = std::chrono::steady_clock;

// systemd names the journal stream it connected in JOURNAL_STREAM ("DEVICE:INODE").
bool isJournalStream(int fd)
{
    const QByteArray stream = qgetenv("JOURNAL_STREAM");
    const qsizetype colon = stream.indexOf(':');
    struct stat info = {};
    if (colon <= 0 || ::fstat(fd, &info) != 0)
        return false;
    bool deviceOk = false;
    bool inodeOk = false;
    const qulonglong device = stream.left(colon).toULongLong(&deviceOk);
    const qulonglong inode = stream.mid(colon + 1).toULongLong(&inodeOk);
    return deviceOk && inodeOk && device == info.st_dev && inode == info.st_ino;
}

// journald's priorities (sd-daemon.h).
int priorityOf(LogLevel level)
{
    switch (level) {
    case LogLevel::Error:
        return 3;
    case LogLevel::Warning:
        return 4;
    case LogLevel::Info:
        break;
    }
    return 6;
}

} // namespace

std::optional<LogLevel> logLevelNamed(QStringView name)
{
    if (name == u"error")
        return LogLevel::Error;
    if (name == u"warning")
        return LogLevel::Warning;
    if (name == u"info")
        return LogLevel::Info;
    return std::nullopt;
}

LogSink::LogSink(int fd) : m_fd(fd), m_journal(isJournalStream(fd))
{
    m_thread = std::thread([this] {
        // A reader that closed the pipe makes write(2) fail with EPIPE, not end the server.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
        run();
    });
}

LogSink::~LogSink()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_stopBy = (Clock::now() + std::chrono::seconds(2)).time_since_epoch().count();
    }
    m_wake.notify_all();
    m_thread.join();
}

LogSink &LogSink::standardError()
{
    static LogSink sink(STDERR_FILENO);
    return sink;
}

// The line as written: after its priority for journald, else after the time; whatever it
// quotes, it stays one line.
namespace {

// The local time as "2026-03-05T09:00:00.123": the date and time of a second are made once per
// thread and second (a line per request; making them is most of a line's cost).
QString timeStamp()
{
    thread_local qint64 second = -1;
    thread_local QString text;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now / 1000 != second) {
        second = now / 1000;
        text = QDateTime::fromSecsSinceEpoch(second).toString(Qt::ISODate);
    }
    const int ms = int(now % 1000);
    return text + u'.' + QChar(u'0' + ms / 100) + QChar(u'0' + ms / 10 % 10) + QChar(u'0' + ms % 10);
}

} // namespace

QByteArray LogSink::lineBytes(LogLevel level, const QString &line) const
{
    QString text = m_journal ? QStringLiteral("<%1>").arg(priorityOf(level)) + line : timeStamp() + u' ' + line;
    for (QChar &c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = u'?';
    }
    return text.toUtf8() + '\n';
}

void LogSink::write(LogLevel level, const QString &line)
{
    if (!wants(level))
        return;
    const QByteArray bytes = lineBytes(level, line);
    bool wake = false;
    {
        const std::lock_guard lock(m_mutex);
        if (m_queuedBytes + bytes.size() > kMaxQueuedBytes) {
            ++m_droppedUnreported;
            ++m_dropped;
            return;
        }
        // The thread looks at the queue again after a write and after gathering: woken only
        // when it waits for the first line, or to end its gathering early.
        wake = (m_queue.isEmpty() && !m_writing) ||
               (m_queuedBytes < kGatherBytes && m_queuedBytes + bytes.size() >= kGatherBytes);
        m_queue.append(bytes);
        m_queuedBytes += bytes.size();
    }
    if (wake)
        m_wake.notify_one();
}

bool LogSink::flush(int ms)
{
    std::unique_lock lock(m_mutex);
    return m_drained.wait_for(lock, std::chrono::milliseconds(ms),
                              [this] { return m_queue.isEmpty() && m_droppedUnreported == 0 && !m_writing; });
}

void LogSink::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_queue.isEmpty() || m_droppedUnreported > 0; });
        // Lines come one per request: the next ones of a busy moment join this write, one
        // write and one wake for many instead of each.
        m_wake.wait_for(lock, kGatherTime, [this] { return m_stopping || m_queuedBytes >= kGatherBytes; });
        if (m_queue.isEmpty() && m_droppedUnreported == 0)
            return; // stopping with nothing left
        QList<QByteArray> batch;
        batch.swap(m_queue);
        m_queuedBytes = 0;
        const quint64 lost = std::exchange(m_droppedUnreported, 0);
        m_writing = true;
        lock.unlock();
        QByteArray bytes;
        for (const QByteArray &line : std::as_const(batch))
            bytes += line;
        // The lines dropped came after every line of this batch.
        if (lost > 0)
            bytes += lineBytes(
                LogLevel::Warning,
                QStringLiteral("warning: %1 log lines dropped: standard error was not read").arg(lost));
        writeOut(bytes);
        lock.lock();
        m_writing = false;
        m_drained.notify_all();
    }
}

// Writes no more than a pipe takes at once after poll(2) says it takes some, so that a
// stopping sink is never stuck in write(2) behind a reader that stopped.
bool LogSink::writeOut(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        pollfd out = {m_fd, POLLOUT, 0};
        const int ready = ::poll(&out, 1, 100);
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready <= 0) {
            const auto stopBy = m_stopBy.load();
            if (stopBy != 0 && Clock::now().time_since_epoch().count() > stopBy)
                return false;
            continue;
        }
        if (out.revents & (POLLERR | POLLNVAL))
            return false;
        const ssize_t n =
            ::write(m_fd, bytes.constData() + done, size_t(qMin<qsizetype>(PIPE_BUF, bytes.size() - done)));
        if (n < 0 && errno != EINTR && errno != EAGAIN)
            return false;
        if (n > 0)
            done += n;
    }
    return true;
}

} // namespace corvanta::server
