#pragma once

#include "DatabaseUrl.h"
#include "SqlStore.h"

#include <memory>

namespace corvanta::server {

class PostgresListener;

// A PostgreSQL database shared by any number of server processes. Writes run at READ
// COMMITTED and start by updating their teacher's row, so changes to one teacher's data
// follow one another whichever process makes them; the record file reads one snapshot.
class PostgresStore final : public SqlStore
{
public:
    // Connects and creates or migrates the schema; nullptr and *error (naming the server and
    // the reason, never the password) when the database cannot be used.
    static std::unique_ptr<PostgresStore> open(const DatabaseUrl &url, QString *error);

    // A connection whose backend was ended (terminated, restarted, failed over) while it was
    // idle is opened anew before a request uses it.
    void checkConnection() override;
    // Apart: by the process's listening connection (see PostgresListener).
    bool catchesUp() override;
    void catchUpThen(std::function<void(bool covered)> done) override;
    void setCaughtUp(bool caughtUp) override { m_caughtUp = caughtUp; }

    // One statement, one round trip (see schema::scoreUploadByNames).
    AddScoresResult addScores(qint64 teacher, const QList<ScoreRecord> &scores, qint64 uploadedAt,
                              UnknownNames unknown = UnknownNames::RefuseAll) override;

protected:
    void beginSnapshot() override;
    bool recoverConnection() override;
    // What the process's listening connection heard (see PostgresListener).
    bool countOtherChanges() override;
    QString boundText(const QString &text) const override;

private:
    PostgresStore(const QString &connectionName, const DatabaseUrl &url);
    void configureSession();
    void migrate();

    DatabaseUrl m_url;
    std::shared_ptr<PostgresListener> m_listener;
    bool m_recovering = false;
    bool m_caughtUp = false; // the request on this connection's thread was caught up apart
};

} // namespace corvanta::server
