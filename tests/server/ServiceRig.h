#pragma once

// The score service in-process on a fresh database, with a clock the test moves and a
// mailer that keeps what it is given.
#include "Mailer.h"
#include "PageRequest.h"
#include "Routes.h"
#include "ScoreService.h"
#include "SqliteStore.h"

#include "core/TextCodec.h"
#include "net/Wire.h"
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

struct ServiceRig
{
    QTemporaryDir dir;
    QString error;
    std::unique_ptr<server::SqliteStore> store = server::SqliteStore::open(dir.filePath("db"), &error);
    FixedClock clock{QDateTime(QDate(2026, 3, 5), QTime(9, 0))};
    RecordingMailer mailer;
    server::ScoreService service{*store, mailer, clock, QStringLiteral("server@example.org")};

    void advance(qint64 seconds) { clock.when = clock.when.addSecs(seconds); }
    server::PageReply post(const QString &path, const Fields &fields)
    {
        return server::dispatch(service, postRequest(path, fields));
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

inline QString textOf(const server::PageReply &reply)
{
    return fromGbk(reply.body);
}

} // namespace corvanta::test
