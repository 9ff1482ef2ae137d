#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace corvanta::server {

// What --log-level lets through, most severe first: "error" (the server's failures and
// requests answered 5xx), "warning" (also refused requests, 4xx), "info" (every request).
enum class LogLevel { Error = 0, Warning = 1, Info = 2 };

std::optional<LogLevel> logLevelNamed(QStringView name);

// Log lines on a descriptor (standard error) without ever holding the caller: lines go into
// a bounded queue that a thread of its own writes out. A reader that stops reading fills the
// queue; further lines are then dropped and counted, and the count is written as soon as the
// reader takes lines again. Under systemd (standard error is the journal stream) each line
// carries its priority for journald instead of a time stamp.
class LogSink
{
public:
    static constexpr qsizetype kMaxQueuedBytes = 1024 * 1024;

    explicit LogSink(int fd);
    // Writes what is queued while the descriptor takes it, for at most two seconds.
    ~LogSink();
    LogSink(const LogSink &) = delete;
    LogSink &operator=(const LogSink &) = delete;

    // The process's standard error.
    static LogSink &standardError();

    void setLevel(LogLevel level) { m_level = level; }
    bool wants(LogLevel level) const { return level <= m_level.load(); }
    // Queues one line (without its line end) when the level lets it through.
    void write(LogLevel level, const QString &line);
    // Lines dropped so far because the queue was full.
    quint64 dropped() const { return m_dropped.load(); }
    // Waits until every queued line is written or ms pass; true when all are.
    bool flush(int ms);

private:
    QByteArray lineBytes(LogLevel level, const QString &line) const;
    void run();
    bool writeOut(const QByteArray &bytes);

    const int m_fd;
    const bool m_journal;
    std::atomic<LogLevel> m_level = LogLevel::Info;
    std::atomic<quint64> m_dropped = 0;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_drained;
    QList<QByteArray> m_queue;
    qsizetype m_queuedBytes = 0;
    quint64 m_droppedUnreported = 0;
    bool m_writing = false;
    bool m_stopping = false;
    // steady_clock ticks after which a stopping sink gives up on a reader that does not read.
    std::atomic<std::chrono::steady_clock::rep> m_stopBy = 0;
    std::thread m_thread;
};

} // namespace corvanta::server
