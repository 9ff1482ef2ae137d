#include "Credentials.h"

#include "core/TextCodec.h"

#include <QMessageAuthenticationCode>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringList>
#include <QThread>

#include <condition_variable>
#include <deque>
#include <future>
#include <thread>
#include <vector>

namespace corvanta::server {

namespace {

constexpr int kIterations = 20000;
constexpr int kKeyLength = 32;

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

// The slow hash runs on threads of its own, half the cores at most: a flood of registrations
// or first sign-ins waits there, while the other cores serve uploads and reads.
class HashPool
{
public:
    static HashPool &instance()
    {
        static HashPool pool(qMax(1, QThread::idealThreadCount() / 2));
        return pool;
    }

    QByteArray run(std::function<QByteArray()> work)
    {
        std::packaged_task<QByteArray()> task(std::move(work));
        std::future<QByteArray> done = task.get_future();
        {
            const std::lock_guard lock(m_mutex);
            m_queue.push_back(std::move(task));
        }
        m_ready.notify_one();
        return done.get();
    }

    ~HashPool()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_ready.notify_all();
        for (std::thread &t : m_threads)
            t.join();
    }

private:
    explicit HashPool(int threads)
    {
        for (int i = 0; i < threads; ++i)
            m_threads.emplace_back([this] { serve(); });
    }

    void serve()
    {
        for (;;) {
            std::packaged_task<QByteArray()> task;
            {
                std::unique_lock lock(m_mutex);
                m_ready.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
                if (m_queue.empty())
                    return;
                task = std::move(m_queue.front());
                m_queue.pop_front();
            }
            task();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<std::packaged_task<QByteArray()>> m_queue;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

QByteArray derive(const QString &password, const QByteArray &salt, int iterations)
{
    const QByteArray bytes = toGbk(password);
    return HashPool::instance().run([&] {
        return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, bytes, salt, iterations, kKeyLength);
    });
}

// Compares without stopping at the first difference.
bool sameBytes(const QByteArray &a, const QByteArray &b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

QString hashSecret(const QString &secret)
{
    const QByteArray salt = randomBytes(16);
    return QStringLiteral("pbkdf2-sha256$%1$%2$%3")
        .arg(kIterations)
        .arg(QString::fromLatin1(salt.toBase64()),
             QString::fromLatin1(derive(secret, salt, kIterations).toBase64()));
}

} // namespace

QString hashOperationPassword(const QString &typed)
{
    // Kept as it will be typed later: without the blanks around it.
    return hashSecret(typed.trimmed());
}

QString hashLoginVerifier(const QString &digest)
{
    return hashSecret(digest);
}

bool isPlainLoginVerifier(const QString &stored)
{
    static const QRegularExpression md5(QStringLiteral("^[0-9a-f]{32}$"));
    return md5.match(stored).hasMatch();
}

namespace {

bool matchesStored(const QString &password, const QString &stored)
{
    const QStringList parts = stored.split(u'$');
    if (parts.size() != 4 || parts[0] != u"pbkdf2-sha256")
        return false;
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    if (!ok || iterations < 1 || iterations > 10000000)
        return false;
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray key = QByteArray::fromBase64(parts[3].toLatin1());
    return !key.isEmpty() && sameBytes(derive(password, salt, iterations), key);
}

} // namespace

bool verifyOperationPassword(const QString &typed, const QString &stored)
{
    // Compared trimmed, as it is stored; a password stored with its blanks before they
    // were trimmed still matches as typed.
    const QString trimmed = typed.trimmed();
    return matchesStored(trimmed, stored) || (trimmed != typed && matchesStored(typed, stored));
}

VerifiedPasswords::VerifiedPasswords() : m_key(randomBytes(32)) {}

QByteArray VerifiedPasswords::digest(const QString &password, const QString &stored) const
{
    return QMessageAuthenticationCode::hash(toGbk(password) + '\0' + stored.toUtf8(), m_key,
                                            QCryptographicHash::Sha256);
}

bool VerifiedPasswords::checksQuickly(const QString &password, const QString &stored)
{
    const QByteArray mine = digest(password, stored);
    const std::lock_guard lock(m_mutex);
    const auto known = m_verified.constFind(stored);
    return known != m_verified.cend() && sameBytes(known.value(), mine);
}

bool VerifiedPasswords::checksLoginQuickly(const QString &digest, const QString &stored)
{
    return isPlainLoginVerifier(stored) || checksQuickly(digest, stored);
}

bool VerifiedPasswords::verify(const QString &password, const QString &stored)
{
    if (checksQuickly(password, stored))
        return true;
    if (!verifyOperationPassword(password, stored))
        return false;
    const QByteArray mine = digest(password, stored);
    const std::lock_guard lock(m_mutex);
    if (m_verified.size() > 10000)
        m_verified.clear();
    m_verified.insert(stored, mine);
    return true;
}

bool VerifiedPasswords::verifyLogin(const QString &digest, const QString &stored)
{
    if (isPlainLoginVerifier(stored))
        return sameBytes(digest.toLatin1(), stored.toLatin1());
    return verify(digest, stored);
}

qint64 FailureLimiter::now() const
{
    return m_clock.now().toSecsSinceEpoch();
}

QStringList &FailureLimiter::cleanKeys() const
{
    thread_local QHash<const FailureLimiter *, QStringList> keys;
    return keys[this];
}

bool FailureLimiter::isLocked(const QString &key)
{
    return isLocked(key, m_store().failureState(key));
}

bool FailureLimiter::isLocked(const QString &key, const FailureState &state)
{
    const bool locked = state.lockedUntil > now();
    QStringList &clean = cleanKeys();
    clean.removeAll(key);
    if (!locked && state.lockedUntil == 0 && state.failures == 0) {
        clean.append(key);
        if (clean.size() > 4) // a check asks about a few keys at most
            clean.removeFirst();
    }
    return locked;
}

void FailureLimiter::recordFailure(const QString &key, int maxFailures, qint64 lockSeconds)
{
    cleanKeys().removeAll(key);
    const qint64 t = now();
    Store &store = m_store();
    if (store.addFailure(key, t, t - kWindowSeconds + 1) >= maxFailures)
        store.lockOut(key, t + lockSeconds);
}

void FailureLimiter::recordSuccess(const QString &key)
{
    if (cleanKeys().removeAll(key) == 0)
        m_store().clearFailures(key);
}

void FailureLimiter::recordSuccessKeepingLock(const QString &key)
{
    if (cleanKeys().removeAll(key) == 0 && m_store().failureState(key).lockedUntil <= now())
        m_store().clearFailures(key);
}

void FailureLimiter::clear(const QString &key)
{
    cleanKeys().removeAll(key);
    m_store().clearFailures(key);
}

} // namespace corvanta::server
