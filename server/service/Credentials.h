#pragma once

#include "Store.h"

#include "core/Clock.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>
#include <mutex>

namespace corvanta::server {

// Operation passwords are kept only as a salted PBKDF2-HMAC-SHA256 text
// "pbkdf2-sha256$ITERATIONS$SALT$KEY" (salt and key in Base64).
QString hashOperationPassword(const QString &password);
bool verifyOperationPassword(const QString &password, const QString &stored);

// The login verifier at rest: the same slow hash of the login password's MD5 (which the
// reading pages take as `mp`), so a copy of the database signs no one in. Rows stored
// before it hold the plain MD5 until their first successful use.
QString hashLoginVerifier(const QString &digest);
bool isPlainLoginVerifier(const QString &stored);

// Remembers, in memory only, which secret last matched each stored hash, as a
// fast keyed digest, so the slow hash runs once per password and not on every upload.
// Safe on several threads; the slow hash runs outside the lock.
class VerifiedPasswords
{
public:
    VerifiedPasswords();
    bool verify(const QString &password, const QString &stored);
    // The login password's MD5 against a login verifier, hashed or still plain.
    bool verifyLogin(const QString &digest, const QString &stored);
    // Whether verify() and verifyLogin() answer without the slow hash: the secret is the
    // one that matched last time (or the verifier is still plain).
    bool checksQuickly(const QString &password, const QString &stored);
    bool checksLoginQuickly(const QString &digest, const QString &stored);

private:
    QByteArray digest(const QString &password, const QString &stored) const;

    QByteArray m_key; // random per process
    std::mutex m_mutex;
    QHash<QString, QByteArray> m_verified;
};

// Five failures of one key (an account and a kind of secret) within ten minutes lock the
// key for ten minutes, unless the caller names other limits; a success clears its failures.
// The counts live in the store, so every server process on one database counts the same
// failures.
class FailureLimiter
{
public:
    static constexpr int kMaxFailures = 5;
    static constexpr qint64 kWindowSeconds = 600;
    static constexpr qint64 kLockSeconds = 600;

    FailureLimiter(Store &store, const Clock &clock)
        : FailureLimiter([&store]() -> Store & { return store; }, clock)
    {
    }
    // The store of the calling thread, when requests run on several.
    FailureLimiter(std::function<Store &()> store, const Clock &clock)
        : m_store(std::move(store)), m_clock(clock)
    {
    }

    bool isLocked(const QString &key);
    // The same with the key's state already read.
    bool isLocked(const QString &key, const FailureState &state);
    void recordFailure(const QString &key, int maxFailures = kMaxFailures, qint64 lockSeconds = kLockSeconds);
    // After isLocked(key) on this thread: no write when it had nothing stored.
    void recordSuccess(const QString &key);
    // The same, but a lock in force stays: one that the caller was let through anyway.
    void recordSuccessKeepingLock(const QString &key);
    // Forgets the key's failures and lock, whatever this thread saw of it.
    void clear(const QString &key);

private:
    qint64 now() const;

    // The keys last asked about on this thread that had nothing stored: their success needs
    // no write. (A check asks isLocked first, then records the outcome, on one thread.)
    QStringList &cleanKeys() const;

    std::function<Store &()> m_store;
    const Clock &m_clock;
};

} // namespace corvanta::server
