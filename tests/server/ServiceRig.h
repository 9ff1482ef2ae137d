#pragma once

// The score service in-process on a fresh database, with a clock the test moves and a
// mailer that keeps what it is given.
#include "Mailer.h"
#include "PageRequest.h"
#include "Routes.h"
#include "ScoreService.h"
#include "StoreFactory.h"

#include "core/TextCodec.h"
#include "net/Wire.h"
#include "support/PostgresCluster.h"
#include "support/TestClock.h"

#include <QTemporaryDir>

namespace corvanta::test {

class RecordingMailer final : public server::Mailer
{
public:
    bool send(const server::MailMessage &message, QString *) override
    {
        sent.append(message);
        return true;
    }
    QList<server::MailMessage> sent;
};

// "name=value" pairs, as a test table writes them.
using Fields = QList<QPair<QString, QString>>;

inline QByteArray formOf(const Fields &fields)
{
    FormFields form;
    for (const auto &[n, v] : fields)
        form.add(n, v);
    return form.encoded();
}

inline server::PageRequest postRequest(const QString &path, const Fields &fields)
{
    return server::decodeRequest(server::Method::Post, path, {}, formOf(fields));
}

inline server::PageRequest getRequest(const QString &path, const Fields &fields)
{
    return server::decodeRequest(server::Method::Get, path, formOf(fields), {});
}

// The headers a browser adds to a form it posts from this site's page (sign-in and sign-out
// take no other).
inline server::PageRequest fromOwnPage(server::PageRequest request)
{
    request.headers.append(qMakePair(QByteArrayLiteral("Host"), QByteArrayLiteral("score.example.org")));
    request.headers.append(qMakePair(QByteArrayLiteral("Origin"), QByteArrayLiteral("http://score.example.org")));
    return request;
}

// On the store under test (SQLite, or PostgreSQL with CORVANTA_TEST_STORE=postgresql); a
// second rig on the same database stands for a second server process.
struct ServiceRig
{
    explicit ServiceRig(const QString &sharedDatabase = {})
        : database(sharedDatabase.isEmpty() ? testDatabase(dir) : sharedDatabase),
          store(server::openStore(database, &error))
    {
        if (!store) // the service below needs one
            qFatal("cannot open the test database %s: %s", qPrintable(database), qPrintable(error));
    }
    QTemporaryDir dir;
    QString database;
    QString error;
    std::unique_ptr<server::Store> store;
    FixedClock clock{QDateTime(QDate(2026, 3, 5), QTime(9, 0))};
    RecordingMailer mailer;
    server::ScoreService service{*store, mailer, clock, QStringLiteral("server@example.org")};

    void advance(qint64 seconds) { clock.when = clock.when.addSecs(seconds); }
    server::PageReply post(const QString &path, const Fields &fields)
    {
        return server::dispatch(service, fromOwnPage(postRequest(path, fields)));
    }
    server::PageReply get(const QString &path, const Fields &fields)
    {
        return server::dispatch(service, getRequest(path, fields));
    }
    server::PageReply send(server::Method method, const QString &path, const Fields &fields)
    {
        return method == server::Method::Get ? get(path, fields) : post(path, fields);
    }
};

// Two services on one database stand for two server processes behind a load balancer.
struct TwoProcesses
{
    ServiceRig a;
    ServiceRig b{a.database};
    bool open() const { return a.store && b.store; }
};

inline QString textOf(const server::PageReply &reply)
{
    return fromGbk(reply.body);
}

} // namespace corvanta::test
