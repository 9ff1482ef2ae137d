#include "Session.h"

#include "net/RecordCache.h"

namespace corvanta {

Session::Session(const AppConfig &config, QObject *parent) : QObject(parent), m_config(config) {}

Session::~Session()
{
    // The password stays in memory no longer than the tool runs.
    m_operationPassword.fill(u'\0');
}

void Session::setLogin(const QString &user, const QString &digest)
{
    // Another account (or the offline user) must not inherit the password typed for this
    // one; a password typed before the first login is kept for it.
    if (!m_login.LoginUser.isEmpty() && user != m_login.LoginUser)
        setOperationPassword(QString());
    m_login.LoginUser = user;
    m_login.LoginDigest = digest;
    m_loginRejected = false;
    emit loginChanged();
}

void Session::logInOnline(const QString &user, const QString &digest)
{
    setLogin(user, digest);
}

void Session::logInOffline()
{
    // An offline login keeps the digest of the last online one.
    setLogin(LoginState::offlineUser(), m_login.LoginDigest);
}

void Session::logOut()
{
    setLogin(QString(), QString());
    setOperationPassword(QString());
    m_fresh = false;
    emit recordsChanged();
}

void Session::setLoginDigest(const QString &digest)
{
    m_login.LoginDigest = digest;
    m_loginRejected = false;
    emit loginChanged();
}

void Session::rejectLogin()
{
    if (m_loginRejected)
        return;
    m_loginRejected = true;
    emit loginChanged();
}

void Session::setOperationPassword(const QString &password)
{
    if (password == m_operationPassword)
        return;
    m_operationPassword = password;
    emit operationPasswordChanged(m_operationPassword);
}

RecordFile &Session::records()
{
    const QString path = m_config.recordFile();
    if (path != m_records.path())
        m_records.setPath(path);
    return m_records;
}

Result Session::refreshRecords(ServerLink &link)
{
    // Every read with a refused digest would count towards locking the account.
    const Result done =
        m_loginRejected ? Result::failure(kLoginAgain) : RefreshRecordCache(link, m_config, m_login);
    m_fresh = done.ok();
    emit recordsChanged();
    return done;
}

} // namespace corvanta
