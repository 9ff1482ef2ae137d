#pragma once

#include "core/OutsideRequest.h"
#include "core/Result.h"

#include <QObject>

#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

namespace corvanta {

// One running tool per user. The first start listens on a local socket that only this user
// reaches; a later start hands its request over (one line: the request as a corvanta:
// address) and ends. The running tool reads each line with the same rules as a link from a
// browser: whatever else arrives is logged and dropped.
class InstanceLink : public QObject
{
    Q_OBJECT
public:
    explicit InstanceLink(QString socketName, QObject *parent = nullptr);
    ~InstanceLink() override;

    // Keeps other starts of this user waiting (up to a few seconds) from here until this one
    // listens or has handed its request over, so two quick starts make one tool.
    static std::unique_ptr<QLockFile> holdStart(const QString &socketName);
    // Gives the request to the running tool; false when none listens. No request asks it
    // to show itself.
    static bool handOver(const QString &socketName, const OutsideRequest &request);

    // Becomes the running tool: takes over a socket left by one that ended without closing it.
    Result listen();

signals:
    void requested(const corvanta::OutsideRequest &request);

private:
    void accept();
    void readFrom(QLocalSocket *socket);

    QString m_name;
    QLocalServer *m_server = nullptr;
};

} // namespace corvanta
