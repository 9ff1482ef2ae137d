#pragma once

#include "core/AppConfig.h"
#include "core/Result.h"
#include "net/LoginState.h"
#include "net/RecordFile.h"

#include <QObject>

namespace corvanta {

class ServerLink;

// What a login gives, held once for every window: the account and the login digest, the
// operation password the teacher typed (in memory only), and the class record file last
// downloaded with whether that download is the server's present state. Windows read these
// here and keep no copies; the signals tell them when something changed.
class Session : public QObject
{
    Q_OBJECT
public:
    explicit Session(const AppConfig &config, QObject *parent = nullptr);
    ~Session() override;

    // The login state itself (read by every window; written only through the calls below).
    LoginState &loginState() { return m_login; }
    const LoginState &login() const { return m_login; }
    void logInOnline(const QString &user, const QString &digest);
    void logInOffline();
    // Forgets the login, the operation password and the freshness of the record file.
    void logOut();
    // The login password was changed on the server: reads go on with the new digest.
    void setLoginDigest(const QString &digest);

    // The server refused the login digest: nothing more is read until the next login, so
    // a wrong digest cannot count towards a lock-out.
    bool loginRejected() const { return m_loginRejected; }
    // What a window says instead of reading after that.
    inline static const QString kLoginAgain =
        QStringLiteral("登录已失效（用户名或密码错误），请返回主窗口点击“用户”重新登录！");
    void rejectLogin();

    QString operationPassword() const { return m_operationPassword; }
    void setOperationPassword(const QString &password);

    // The record file the main window and the console read.
    RecordFile &records();
    // False until a download succeeded, and again after one failed: what the file holds
    // may then be older than the server's data.
    bool recordsFresh() const { return m_fresh; }
    // Downloads the record file again; the old copy stays when that fails.
    Result refreshRecords(ServerLink &link);

signals:
    void loginChanged();
    void operationPasswordChanged(const QString &password);
    // The record file was downloaded again, or a download failed.
    void recordsChanged();

private:
    void setLogin(const QString &user, const QString &digest);

    const AppConfig &m_config;
    LoginState m_login;
    bool m_loginRejected = false;
    QString m_operationPassword;
    RecordFile m_records;
    bool m_fresh = false;
};

} // namespace corvanta
