#include "ScoreService.h"

#include "net/RecordFormat.h"

#include "net/Wire.h"

#include <algorithm>

namespace corvanta::server {

namespace {

using login_refusal::kLockedPrefix;
using login_refusal::kWrongLogin;

const QString kWrongOperation = QStringLiteral("用户名或操作密码错误！");
const QString kLocked = kLockedPrefix + QStringLiteral("，帐号已锁定10分钟，请稍后再试！");
const QString kPaused = QStringLiteral("该帐号密码错误次数过多，请1分钟后再试！");
const QString kCodeLocked = QStringLiteral("验证码错误次数过多，请10分钟后再试！");
const QString kCodePaused = QStringLiteral("该帐号验证码错误次数过多，请1分钟后再试！");
const QString kSignInFirst = QStringLiteral("请先登录。");
const QString kSessionEnded = QStringLiteral("登录已过期，请重新登录。");

// The keys stay as they are: stored failure counts outlive a restart.
QString keyPrefix(Secret secret)
{
    const char *kind = secret == Secret::Login ? "login" : secret == Secret::Operation ? "operation" : "code";
    return QLatin1String(kind) + u':';
}

QString addressSuffix(const QString &clientAddress)
{
    return u'@' + clientAddress;
}

QString lockKey(Secret secret, const Teacher &teacher)
{
    return keyPrefix(secret) + QString::number(teacher.id);
}

QString addressKey(Secret secret, const Teacher &teacher, const QString &clientAddress)
{
    return lockKey(secret, teacher) + addressSuffix(clientAddress);
}

} // namespace

ScoreService::ScoreService(Store &store, Mailer &mailer, const Clock &clock, QString mailFrom)
    : ScoreService(store, {}, mailer, clock, std::move(mailFrom))
{
}

ScoreService::ScoreService(Store &store, StoreOpener opener, Mailer &mailer, const Clock &clock,
                           QString mailFrom)
    : m_store(store), m_opener(std::move(opener)), m_ownThread(std::this_thread::get_id()), m_mailer(mailer),
      m_clock(clock), m_mailFrom(std::move(mailFrom)),
      m_limiter([this]() -> Store & { return this->store(); }, clock),
      m_sessions([this]() -> Store & { return this->store(); }, clock)
{
}

Store &ScoreService::store()
{
    if (!m_opener || std::this_thread::get_id() == m_ownThread)
        return m_store;
    // Closed with their thread, on their thread, as a database connection wants.
    thread_local QHash<const ScoreService *, std::shared_ptr<Store>> stores;
    std::shared_ptr<Store> &mine = stores[this];
    if (!mine)
        mine = std::shared_ptr<Store>(m_opener());
    mine->checkConnection();
    return *mine;
}

bool ScoreService::allowRegistration(const QString &clientAddress, bool *daily)
{
    constexpr qint64 kDay = 24 * 60 * 60;
    const qint64 t = now();
    const std::lock_guard lock(m_registrationMutex);
    // Forget addresses that have been quiet for a day, so the table stays small.
    if (m_registrations.size() > 10000) {
        for (auto it = m_registrations.begin(); it != m_registrations.end();) {
            if (it->isEmpty() || it->last() <= t - kDay)
                it = m_registrations.erase(it);
            else
                ++it;
        }
    }
    QList<qint64> &times = m_registrations[clientAddress];
    times.removeIf([t](qint64 at) { return at <= t - kDay; });
    const auto lastMinute =
        std::count_if(times.cbegin(), times.cend(), [t](qint64 at) { return at > t - 60; });
    const bool dayFull = times.size() >= m_limits.registrationsPerDay;
    if (daily)
        *daily = dayFull;
    if (dayFull || lastMinute >= m_registrationsPerMinute)
        return false;
    times.append(t);
    return true;
}

void ScoreService::setLimits(const Limits &limits)
{
    m_limits = limits;
    m_scoreLimit.setAccountLimits(limits.account);
}

qint64 ScoreService::now() const
{
    return m_clock.now().toSecsSinceEpoch();
}

Result ScoreService::lockOf(Secret secret, const Teacher &teacher, const QString &clientAddress)
{
    return checkLock(secret, teacher, clientAddress,
                     {store().failureState(addressKey(secret, teacher, clientAddress)),
                      store().failureState(lockKey(secret, teacher))});
}

void ScoreService::clearPasswordFailures(Secret secret, const Teacher &teacher, const QString &clientAddress)
{
    m_limiter.clear(lockKey(secret, teacher));
    m_limiter.clear(addressKey(secret, teacher, clientAddress));
}

Result ScoreService::checkLock(Secret secret, const Teacher &teacher, const QString &clientAddress,
                              const QList<FailureState> &states)
{
    const bool code = secret == Secret::CheckCode;
    if (m_limiter.isLocked(addressKey(secret, teacher, clientAddress), states.value(0)))
        return Result::failure(code ? kCodeLocked : kLocked);
    // The pause holds strangers only: asked only while it holds, so a check costs no read.
    if (m_limiter.isLocked(lockKey(secret, teacher), states.value(1)) &&
        !store().signedInFrom(teacher.id, clientAddress, now() - kKnownAddressSeconds))
        return Result::failure(code ? kCodePaused : kPaused);
    return Result::success();
}

void ScoreService::recordFailure(Secret secret, const Teacher &teacher, const QString &clientAddress)
{
    m_limiter.recordFailure(addressKey(secret, teacher, clientAddress));
    m_limiter.recordFailure(lockKey(secret, teacher), kAccountFailures, kAccountPauseSeconds);
}

void ScoreService::recordSuccess(Secret secret, const Teacher &teacher, const QString &clientAddress)
{
    m_limiter.recordSuccess(addressKey(secret, teacher, clientAddress));
    // A known address let through the account's pause does not end it for the others.
    m_limiter.recordSuccessKeepingLock(lockKey(secret, teacher));
    if (secret != Secret::CheckCode)
        noteSignIn(teacher, clientAddress);
}

void ScoreService::noteSignIn(const Teacher &teacher, const QString &clientAddress)
{
    const qint64 t = now();
    const QPair<qint64, QString> key(teacher.id, clientAddress);
    {
        const std::lock_guard lock(m_signInMutex);
        const auto noted = m_signInsNoted.constFind(key);
        if (noted != m_signInsNoted.cend() && noted.value() > t - 24 * 60 * 60 && noted.value() <= t)
            return;
        if (m_signInsNoted.size() > 10000)
            m_signInsNoted.clear();
        m_signInsNoted.insert(key, t);
    }
    store().noteSignIn(teacher.id, clientAddress, t, t - kKnownAddressSeconds);
}

std::optional<QString> ScoreService::newLoginVerifier(const Teacher &teacher, const QString &loginPassword)
{
    if (loginPassword.isEmpty())
        return std::nullopt;
    const QString digest = Md5Hex(loginPassword);
    if (m_verified.verifyLogin(digest, teacher.loginVerifier))
        return std::nullopt;
    return hashLoginVerifier(digest);
}

bool ScoreService::matches(Credential credential, const QString &secret, const Teacher &teacher)
{
    switch (credential) {
    case Credential::LoginDigest:
        return m_verified.verifyLogin(secret, teacher.loginVerifier);
    case Credential::LoginPassword:
        return m_verified.verifyLogin(Md5Hex(secret), teacher.loginVerifier);
    case Credential::OperationPassword:
        return m_verified.verify(secret, teacher.operationHash);
    case Credential::WebSession:
    case Credential::None:
        break;
    }
    return false;
}

bool ScoreService::checksQuickly(Credential credential, const QString &secret, const Teacher &teacher)
{
    switch (credential) {
    case Credential::LoginDigest:
        return m_verified.checksLoginQuickly(secret, teacher.loginVerifier);
    case Credential::LoginPassword:
        return m_verified.checksLoginQuickly(Md5Hex(secret), teacher.loginVerifier);
    case Credential::OperationPassword:
        return m_verified.checksQuickly(secret, teacher.operationHash);
    case Credential::WebSession:
    case Credential::None:
        break;
    }
    return true;
}

Expected<Teacher> ScoreService::authenticate(Credential credential, const PageRequest &request,
                                             const char *secretField, SlowCheck *slow)
{
    if (credential == Credential::WebSession) {
        if (std::optional<Teacher> teacher = m_sessions.teacherOf(request))
            return std::move(*teacher);
        const bool hadCookie = !request.cookie(WebSessions::kCookieName).isEmpty();
        return Result::failure(hadCookie ? kSessionEnded : kSignInFirst);
    }
    const bool digest = credential == Credential::LoginDigest;
    const bool operation = credential == Credential::OperationPassword;
    const QString wrong = operation ? kWrongOperation : kWrongLogin;
    QString secret = request.fields.value(QLatin1String(secretField ? secretField : corvanta::secretField(credential)));
    if (digest)
        secret = secret.trimmed().toLower();
    // The digest stands for the login password, so it shares that password's failure count.
    const Secret kind = operation ? Secret::Operation : Secret::Login;
    const QString &address = request.clientAddress;
    // Accounts hold no blanks; a phone keyboard adds them.
    const QString account = request.fields.value(QLatin1String(accountField(credential))).trimmed();
    // An operation password is taken as typed; a blank login password is no password.
    if (credential == Credential::None || (operation ? secret : secret.trimmed()).isEmpty())
        return Result::failure(wrong);
    // Taken before the read: a change committed after it shows in a later count.
    const std::optional<quint64> changes = store().changeCount();
    const QString cacheKey = keyPrefix(kind) + address + u'\n' + account;
    if (changes) {
        std::optional<Teacher> kept = m_teachers.find(cacheKey, *changes);
        // The secret that last matched the teacher's stored hash (never a plain verifier: none
        // is kept) matches again; else it is checked in full below.
        if (kept && checksQuickly(credential, secret, *kept)) {
            noteSignIn(*kept, address);
            return std::move(*kept);
        }
    }
    // The teacher and both lock-out states in one read: the address's, then the account's.
    std::optional<Store::TeacherWithFailures> found = store().teacherWithFailures(
        account, {{keyPrefix(kind), addressSuffix(address)}, {keyPrefix(kind), QString()}});
    if (!found)
        return Result::failure(wrong);
    std::optional<Teacher> teacher = std::move(found->teacher);
    if (Result unlocked = checkLock(kind, *teacher, address, found->failures); !unlocked)
        return unlocked;
    if (slow && !checksQuickly(credential, secret, *teacher)) {
        slow->needed = true;
        slow->teacher = std::move(*teacher);
        return Result::failure(QString());
    }
    if (!matches(credential, secret, *teacher)) {
        recordFailure(kind, *teacher, address);
        Result unlocked = lockOf(kind, *teacher, address);
        return unlocked ? Result::failure(wrong) : std::move(unlocked);
    }
    recordSuccess(kind, *teacher, address);
    const bool clean = std::all_of(found->failures.cbegin(), found->failures.cend(), [](const FailureState &s) {
        return s.lockedUntil == 0 && s.failures == 0;
    });
    // Only a sign-in with nothing counted against it, whose success wrote nothing.
    if (changes && clean && !isPlainLoginVerifier(teacher->loginVerifier))
        m_teachers.keep(cacheKey, *changes, *teacher);
    if (!operation && isPlainLoginVerifier(teacher->loginVerifier)) {
        // A row from before verifiers were hashed: hashed now that the password is known right.
        const QString digest = credential == Credential::LoginDigest ? secret : Md5Hex(secret);
        const QString hashed = hashLoginVerifier(digest);
        store().rehashLoginVerifier(teacher->id, teacher->loginVerifier, hashed);
        teacher->loginVerifier = hashed;
    }
    return std::move(*teacher);
}

QByteArray ScoreService::recordFile(const Teacher &teacher)
{
    return *m_recordFiles.get(teacher.id, teacher.dataVersion, [&] {
        return std::optional(writeRecordFile(store().recordData(teacher.id)));
    });
}

std::optional<ClassReport> ScoreService::classReport(const Teacher &teacher, const QString &className,
                                                     int latest)
{
    return m_reports.get({teacher.id, {className, latest}}, teacher.dataVersion,
                         [&] { return store().classReport(teacher.id, className, latest); });
}

ScoreService::HomeFigures ScoreService::homeFigures(const Teacher &teacher, int recent)
{
    return *m_homes.get({teacher.id, recent}, teacher.dataVersion, [&] {
        // One read after the other: an upload between them shows in the next page.
        return std::optional(HomeFigures{store().classSummaries(teacher.id), store().recentScores(teacher.id, recent)});
    });
}

bool ScoreService::addTeacher(const QString &account, const QString &name, const QString &loginPassword,
                              const QString &operationPassword, const QString &email)
{
    Teacher t;
    t.account = account;
    t.name = name;
    t.email = email;
    t.loginVerifier = hashLoginVerifier(Md5Hex(loginPassword));
    t.operationHash = hashOperationPassword(operationPassword.trimmed());
    return store().createTeacher(t) == StoreResult::Done;
}

} // namespace corvanta::server
