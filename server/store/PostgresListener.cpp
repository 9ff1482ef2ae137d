#include "PostgresListener.h"

#include <QByteArray>
#include <QList>

#include <chrono>

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
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_answered.notify_all();
    wake();
    m_thread.join();
    ::close(m_wake);
}

void PostgresListener::wake()
{
    const quint64 one = 1;
    if (::write(m_wake, &one, sizeof one) < 0) {
        // Cannot be full; the thread looks again within a second anyway.
    }
}

quint64 PostgresListener::wantStatement()
{
    // A statement sent from now on: one on its way may have been read before the request came.
    if (!m_wanted) {
        m_wanted = true;
        wake();
    }
    return m_sent + 1;
}

bool PostgresListener::listening()
{
    const std::lock_guard lock(m_mutex);
    return !m_stopping && (m_connection & 1);
}

void PostgresListener::whenCaughtUp(std::function<void(bool covered)> done)
{
    {
        const std::lock_guard lock(m_mutex);
        if (!m_stopping && (m_connection & 1)) {
            m_callbacks.push_back({wantStatement(), std::chrono::steady_clock::now() + kCatchUpTimeout, std::move(done)});
            return;
        }
    }
    done(false);
}

void PostgresListener::answerCallbacks(bool all)
{
    std::vector<Callback> answered;
    std::vector<bool> covered;
    {
        const std::lock_guard lock(m_mutex);
        const auto now = std::chrono::steady_clock::now();
        std::vector<Callback> waiting; // a whole class's connections may wait at once
        for (Callback &callback : m_callbacks) {
            const bool done = m_done >= callback.statement;
            if (all || done || now >= callback.deadline) {
                covered.push_back(done);
                answered.push_back(std::move(callback));
            } else {
                waiting.push_back(std::move(callback));
            }
        }
        m_callbacks.swap(waiting);
    }
    for (std::size_t i = 0; i < answered.size(); ++i)
        answered[i].done(covered[i]);
}

bool PostgresListener::caughtUp(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    if (m_stopping || !(m_connection & 1))
        return false;
    const quint64 connection = m_connection;
    const quint64 wanted = wantStatement();
    const bool answered = m_answered.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        return m_stopping || m_connection != connection || m_done >= wanted;
    });
    return answered && !m_stopping && m_connection == connection;
}

bool PostgresListener::stopWithin(int ms)
{
    pollfd wake = {m_wake, POLLIN, 0};
    quint64 count = 0;
    if (::poll(&wake, 1, ms) > 0 && ::read(m_wake, &count, sizeof count) < 0) {
        // Taken by nobody else: the next wait sees it again, harmless.
    }
    const std::lock_guard lock(m_mutex);
    return m_stopping;
}

void PostgresListener::run()
{
    int retryMs = 100;
    for (;;) {
        {
            const std::lock_guard lock(m_mutex);
            if (m_stopping)
                break;
        }
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
        {
            const std::lock_guard lock(m_mutex);
            ++m_connection;
        }
        PQsetnonblocking(connection, 1);
        serve(connection);
        {
            // Lost (or stopping): no notice is heard until it listens again.
            const std::lock_guard lock(m_mutex);
            ++m_connection;
            m_wanted = false;
        }
        m_answered.notify_all();
        answerCallbacks(true);
        PQfinish(connection);
    }
    answerCallbacks(true);
}

void PostgresListener::serve(PGconn *connection)
{
    bool onItsWay = false; // an empty statement sent and not answered yet
    for (;;) {
        bool send = false;
        {
            const std::lock_guard lock(m_mutex);
            if (m_stopping)
                return;
            send = m_wanted && !onItsWay;
            if (send) {
                m_wanted = false;
                ++m_sent;
            }
        }
        if (send) {
            if (!PQsendQuery(connection, ""))
                return;
            onItsWay = true;
        }
        const bool unsent = PQflush(connection) == 1;
        pollfd waits[2] = {{PQsocket(connection), short(POLLIN | (unsent ? POLLOUT : 0)), 0}, {m_wake, POLLIN, 0}};
        if (::poll(waits, 2, 1000) < 0 && errno != EINTR)
            return;
        if (waits[1].revents) {
            quint64 count = 0;
            if (::read(m_wake, &count, sizeof count) < 0) {
                // Nothing to take: another look at the flags follows all the same.
            }
        }
        if (!(waits[0].revents & (POLLIN | POLLERR | POLLHUP))) {
            answerCallbacks(false); // those past their time
            continue;
        }
        if (!PQconsumeInput(connection))
            return;
        bool answered = false;
        while (onItsWay && !PQisBusy(connection)) {
            PGresult *result = PQgetResult(connection);
            if (!result) { // the statement's answer is complete
                answered = true;
                onItsWay = false;
                break;
            }
            PQclear(result);
        }
        // The notices that came before the answer, counted before it is told.
        bool notices = false;
        while (PGnotify *notice = PQnotifies(connection)) {
            PQfreemem(notice);
            notices = true;
        }
        if (notices)
            m_changes->add();
        if (answered) {
            {
                const std::lock_guard lock(m_mutex);
                m_done = m_sent;
            }
            m_answered.notify_all();
        }
        answerCallbacks(false);
        if (PQstatus(connection) != CONNECTION_OK)
            return;
    }
}

} // namespace corvanta::server
