#pragma once

#include "DatabaseUrl.h"
#include "SqlStore.h"

#include <memory>

namespace corvanta::server {

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

    // One statement, one round trip (see schema::scoreUploadByNames).
    AddScoresResult addScores(qint64 teacher, const QList<ScoreRecord> &scores, qint64 uploadedAt,
                              UnknownNames unknown = UnknownNames::RefuseAll) override;

protected:
    void beginSnapshot() override;
    bool recoverConnection() override;
    QString boundText(const QString &text) const override;

private:
    PostgresStore(const QString &connectionName, const DatabaseUrl &url);
    void configureSession();
    void migrate();

    DatabaseUrl m_url;
    bool m_recovering = false;
};

} // namespace corvanta::server
