// The score server binary on a free port for the page tests, and a fresh teacher per test
// so the tests stay independent of each other.
#pragma once

#include "support/ServerProcess.h"

#include "core/TextCodec.h"
#include "net/Wire.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace corvanta::test::pages {

inline const QString kOk = QStringLiteral("Success!");
inline const QString kClassA = QStringLiteral("一班");
inline const QString kClassB = QStringLiteral("二班");
inline const QString kTopic = QStringLiteral("课堂提问");

inline QString timeText(int minute)
{
    return QDateTime(QDate(2026, 3, 5), QTime(9, 0))
        .addSecs(minute * 60)
        .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

inline QString line(const QString &cls, const QString &student, const QString &score, int minute,
                    const QString &standard = {})
{
    return cls + u'\t' + student + u'\t' + score + u'\t' + timeText(minute) + u'\t' + standard;
}

class ServerPagesRig
{
protected:
    ServerProcess m_server;
    int m_accounts = 0;

    // A fresh teacher per test keeps the tests independent of each other.
    QString newTeacher(const QString &login = QStringLiteral("login"),
                       const QString &operation = QStringLiteral("oper"))
    {
        const QString account = QStringLiteral("teacher%1").arg(++m_accounts, 3, 10, QLatin1Char('0'));
        if (!m_server.registerTeacher(account, login, operation))
            qFatal("could not register %s", qPrintable(account));
        return account;
    }
    // A teacher with classes 一班 (张三, 李四) and 二班 (王五) and the topic 课堂提问.
    QString teacherWithClasses()
    {
        const QString t = newTeacher();
        if (!m_server.setClasses(t, "oper", {kClassA, kClassB}) ||
            !m_server.setStudents(t, "oper", kClassA, {QStringLiteral("张三"), QStringLiteral("李四")}) ||
            !m_server.setStudents(t, "oper", kClassB, {QStringLiteral("王五")}) ||
            !m_server.setTopics(t, "oper", {kTopic}))
            qFatal("could not set up %s", qPrintable(t));
        return t;
    }
    QByteArray recordFile(const QString &account, const QString &login = QStringLiteral("login"))
    {
        return m_server.get("/score/record.php", {{"t", account}, {"mp", Md5Hex(login)}}).body;
    }
    QString recordText(const QString &account) { return fromGbk(recordFile(account)); }
    QStringList scoreLines(const QString &account, const QString &cls)
    {
        const QString text =
            m_server.get("/score/getscore.php", {{"class", cls}, {"t", account}, {"mp", Md5Hex("login")}})
                .text();
        return text.isEmpty() ? QStringList() : text.split(QStringLiteral("\r\n"));
    }
    ServerProcess::Reply op(const QString &page, const QString &account, ServerProcess::Fields fields)
    {
        fields.prepend({"password", "oper"});
        fields.prepend({"username", account});
        return m_server.post(page, fields);
    }
};

} // namespace corvanta::test::pages
