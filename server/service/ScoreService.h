#pragma once

#include "ClassScoreLimit.h"
#include "Credentials.h"
#include "Mailer.h"
#include "PageReply.h"
#include "PageRequest.h"
#include "Store.h"
#include "VersionedCache.h"
#include "WebSessions.h"

#include "core/Clock.h"
#include "net/PageDescriptor.h"

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace corvanta::server {

// Secrets whose failures are counted apart, per teacher.
enum class Secret { Login, Operation, CheckCode };

// What every page shares: the store, the mailer, the clock, the failure counts and the
// authentication of each kind of credential. Nothing here knows HTTP. Safe to use from
// several request threads at once when made with a StoreOpener.
class ScoreService
{
public:
    using StoreOpener = std::function<std::unique_ptr<Store>()>;

    // One store, used on one thread (in-process tests).
    ScoreService(Store &store, Mailer &mailer, const Clock &clock,
                 QString mailFrom = QStringLiteral("corvanta@localhost"));
    // The store on the thread that makes the service; every other thread opens one of its
    // own with opener on first use (a database connection serves one thread). The opener
    // throws StoreError when it cannot.
    ScoreService(Store &store, StoreOpener opener, Mailer &mailer, const Clock &clock,
                 QString mailFrom = QStringLiteral("corvanta@localhost"));

    // A secret whose check needs the slow hash, left unchecked (see authenticate).
    struct SlowCheck
    {
        bool needed = false;
        Teacher teacher;
    };

    // Checks the account and secret the request names; secretField, when given, replaces the
    // credential's usual field. Failures count towards a lock-out; a locked secret is
    // refused even when right.
    // The failure says what the visitor is told. With slow given, a secret that only the slow
    // hash can check is not checked: slow says so (and names the teacher), and the failure
    // then says nothing.
    Expected<Teacher> authenticate(Credential credential, const PageRequest &request,
                                   const char *secretField = nullptr, SlowCheck *slow = nullptr);

    // Checks of a secret lock per account and client address: kMaxFailures failures from one
    // address lock that address out of the account for ten minutes, so a stranger cannot lock
    // the teacher out. Failures from all addresses together pause the account's checks for a
    // minute each time they reach kAccountFailures: guessing from many addresses is slowed,
    // and the teacher waits a minute at most, not at all from an address that signed in to
    // the account within kKnownAddressSeconds.
    static constexpr int kAccountFailures = 20;
    static constexpr qint64 kAccountPauseSeconds = 60;
    static constexpr qint64 kKnownAddressSeconds = 30 * 24 * 60 * 60;
    // Fails, with what the visitor is told, while checks of the secret from the address may
    // not run.
    Result lockOf(Secret secret, const Teacher &teacher, const QString &clientAddress);
    void recordFailure(Secret secret, const Teacher &teacher, const QString &clientAddress);
    void recordSuccess(Secret secret, const Teacher &teacher, const QString &clientAddress);
    // Forgets the failures of the teacher's password, account-wide and from the address (a
    // new password was set from there).
    void clearPasswordFailures(Secret secret, const Teacher &teacher, const QString &clientAddress);

    // The verifier to store for a new login password; nullopt when it is empty or the one
    // the teacher has (browsers signed in stay so).
    std::optional<QString> newLoginVerifier(const Teacher &teacher, const QString &loginPassword);

    // The calling thread's store.
    Store &store();
    WebSessions &sessions() { return m_sessions; }
    ClassScoreLimit &scoreLimit() { return m_scoreLimit; }
    Mailer &mailer() { return m_mailer; }
    const QString &mailFrom() const { return m_mailFrom; }
    qint64 now() const;
    // The class record file of the teacher; built again only when the data changed.
    QByteArray recordFile(const Teacher &teacher);
    // A class's figures with its `latest` newest scores (nullopt for a class that is not the
    // teacher's); read again only when the data changed, so a page sorted anew costs no
    // database work.
    std::optional<ClassReport> classReport(const Teacher &teacher, const QString &className, int latest);
    // The home page's figures: every class at a glance and the `recent` newest scores; read
    // again only when the data changed.
    struct HomeFigures
    {
        QList<ClassSummary> classes;
        QList<ScoreRecord> recent;
    };
    HomeFigures homeFigures(const Teacher &teacher, int recent);

    // Counts a registration from the client address; false once the address has had its
    // share within the last minute (kRegistrationsPerMinute unless set) or the last day
    // (Limits::registrationsPerDay), *daily telling which.
    bool allowRegistration(const QString &clientAddress, bool *daily = nullptr);
    void setRegistrationsPerMinute(int count) { m_registrationsPerMinute = count; }
    static constexpr int kRegistrationsPerMinute = 10;

    // What one account or one address may take of the server. The administrator sets them;
    // the defaults are beyond what any real teacher does (a year of 1,000 scores a school day
    // is 200,000).
    struct Limits
    {
        int classes = kMaxClasses;
        ClassScoreLimit::AccountLimits account;
        // Uploads are refused while the database's disk has less than this free.
        qint64 minFreeDiskBytes = qint64(256) * 1024 * 1024;
        int registrationsPerDay = 100;
    };
    void setLimits(const Limits &limits);
    const Limits &limits() const { return m_limits; }

    // Adds a teacher when the account is free (the demo and benchmark data use it).
    bool addTeacher(const QString &account, const QString &name, const QString &loginPassword,
                    const QString &operationPassword, const QString &email);

    static constexpr qint64 kCheckCodeSeconds = 15 * 60;

private:
    bool matches(Credential credential, const QString &secret, const Teacher &teacher);
    bool checksQuickly(Credential credential, const QString &secret, const Teacher &teacher);
    // lockOf() with the states already read: of the address's key, then of the account's.
    Result checkLock(Secret secret, const Teacher &teacher, const QString &clientAddress,
                     const QList<FailureState> &states);
    // Notes where the teacher signed in from, in the store at most once a day per address.
    void noteSignIn(const Teacher &teacher, const QString &clientAddress);

    Store &m_store;
    StoreOpener m_opener;
    std::thread::id m_ownThread;
    Mailer &m_mailer;
    const Clock &m_clock;
    QString m_mailFrom;
    FailureLimiter m_limiter;
    VerifiedPasswords m_verified;
    VersionedCache<qint64, QByteArray> m_recordFiles{512};              // by teacher
    // By teacher, class and number of newest scores.
    VersionedCache<QPair<qint64, QPair<QString, int>>, ClassReport> m_reports{256};
    VersionedCache<QPair<qint64, int>, HomeFigures> m_homes{512}; // by teacher and number of scores
    WebSessions m_sessions;
    ClassScoreLimit m_scoreLimit;
    std::mutex m_signInMutex;
    QHash<QPair<qint64, QString>, qint64> m_signInsNoted; // (teacher, address) -> when stored
    std::mutex m_registrationMutex;
    int m_registrationsPerMinute = kRegistrationsPerMinute;
    QHash<QString, QList<qint64>> m_registrations; // client address -> times in the last day
    Limits m_limits;
};

} // namespace corvanta::server
