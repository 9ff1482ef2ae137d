#include "PostgresListener.h"

#include <QByteArray>
#include <QList>

#include <libpq-fe.h>
#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace corvanta::server {

namespace {

// Opens the listening connection; nullptr when the database cannot be reached now.
PGconn *connectTo(const DatabaseUrl &url)
{
    // A peer gone silent (a cable, a failed-over address) is noticed within seconds, not
    // the system's two hours: until then a change could go unheard.
    QList<QPair<QByteArray, QByteArray>> params = {
        {"host", url.host.toUtf8()},
        {"port", QByteArray::number(url.port)},
        {"user", url.user.toUtf8()},
        {"dbname", url.databaseName.toUtf8()},
        {"connect_timeout", "10"},
        {"application_name", "corvanta-server-listen"},
        {"keepalives", "1"},
        {"keepalives_idle", "2"},
        {"keepalives_interval", "1"},
        {"keepalives_count", "2"},
    };
    if (!url.password.isEmpty()) // else PGPASSWORD or ~/.pgpass, as for the other connections
        params.append({"password", url.password.toUtf8()});
    QList<const char *> keys, values;
    for (const auto &[key, value] : std::as_const(params)) {
        if (value.isEmpty())
            continue;
        keys.append(key.constData());
        values.append(value.constData());
    }
    keys.append(nullptr);
    values.append(nullptr);
    PGconn *connection = PQconnectdbParams(keys.constData(), values.constData(), 0);
    if (PQstatus(connection) == CONNECTION_OK) {
        PGresult *listen = PQexec(connection, QByteArray("LISTEN ").append(PostgresListener::kChannel).constData());
        const bool listening = PQresultStatus(listen) == PGRES_COMMAND_OK;
        PQclear(listen);
        if (listening)
            return connection;
    }
    PQfinish(connection);
    return nullptr;
}

} // namespace

PostgresListener::PostgresListener(const DatabaseUrl &url, std::shared_ptr<SqlStore::ChangeCount> changes)
    : m_url(url), m_changes(std::move(changes)), m_wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    m_thread = std::thread([this] { run(); });
}

PostgresListener::~PostgresListener()
{
    m_stopping = true;
    const quint64 one = 1;
    if (::write(m_wake, &one, sizeof one) < 0) {
        // The eventfd cannot be full; the thread checks m_stopping within a second anyway.
    }
    m_thread.join();
    ::close(m_wake);
}

bool PostgresListener::upToDate() const
{
    const quint64 state = m_state.load(std::memory_order_acquire);
    if (!(state & 1))
        return false;
    // Something arrived that the thread has not taken yet: it may be a notice. (The thread
    // counts a change before it takes what arrived, so a look after that sees the count.)
    pollfd socket = {m_socket.load(std::memory_order_acquire), POLLIN, 0};
    if (::poll(&socket, 1, 0) != 0)
        return false;
    return m_state.load(std::memory_order_acquire) == state;
}

quint64 PostgresListener::noticesTaken() const
{
    const std::lock_guard lock(m_takenMutex);
    return m_taken;
}

bool PostgresListener::awaitNoticeFrom(int backendPid, quint64 after, int timeoutMs)
{
    std::unique_lock lock(m_takenMutex);
    return m_took.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [&] { return m_lastTakenFrom.value(backendPid) > after; });
}

void PostgresListener::takeNotices(PGconn *connection)
{
    bool any = false;
    const std::lock_guard lock(m_takenMutex);
    while (PGnotify *notice = PQnotifies(connection)) {
        // A bound: a backend forgotten is waited for only until its next notice.
        if (m_lastTakenFrom.size() >= 4096)
            m_lastTakenFrom.clear();
        m_lastTakenFrom.insert(notice->be_pid, ++m_taken);
        PQfreemem(notice);
        any = true;
    }
    if (any)
        m_took.notify_all();
}

bool PostgresListener::stopWithin(int ms)
{
    pollfd wake = {m_wake, POLLIN, 0};
    ::poll(&wake, 1, ms);
    return m_stopping;
}

void PostgresListener::run()
{
    quint64 number = 0;
    int retryMs = 100;
    while (!m_stopping) {
        PGconn *connection = connectTo(m_url);
        if (!connection) {
            if (stopWithin(retryMs))
                break;
            retryMs = qMin(retryMs * 2, 2000);
            continue;
        }
        retryMs = 100;
        // Whatever changed while no one listened.
        m_changes->add();
        m_socket.store(PQsocket(connection), std::memory_order_release);
        m_state.store(++number * 2 + 1, std::memory_order_release);
        for (;;) {
            pollfd waits[2] = {{PQsocket(connection), POLLIN, 0}, {m_wake, POLLIN, 0}};
            if (::poll(waits, 2, 1000) < 0 && errno != EINTR)
                break;
            if (m_stopping)
                break;
            if (!waits[0].revents)
                continue;
            m_changes->add(); // before the notices are taken: see upToDate()
            if (!PQconsumeInput(connection))
                break;
            takeNotices(connection);
            m_changes->add();
            if (PQstatus(connection) != CONNECTION_OK)
                break;
        }
        // Lost (or stopping): no notice is heard until it listens again.
        m_state.store(number * 2, std::memory_order_release);
        m_socket.store(-1, std::memory_order_release);
        PQfinish(connection);
    }
}

} // namespace corvanta::server
