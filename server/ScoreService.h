#pragma once

#include "Credentials.h"
#include "Mailer.h"
#include "PageRequest.h"
#include "Store.h"

#include "core/Clock.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

namespace corvanta::server {

// What a page answers, plus what the request log says about it.
struct PageReply
{
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    QString account;        // for the log; empty when none was named
    QString outcome = "ok"; // "ok", "refused", ... for the log

    // A short text in GBK, as the tool reads every reply.
    static PageReply text(const QString &text, const QString &outcome = QStringLiteral("ok"));
    static PageReply html(const QString &html);
    static PageReply notFound();
};

// Every page of the score server and of the vendor site. Pages read decoded fields and
// call the Store; nothing here knows HTTP.
class ScoreService
{
public:
    ScoreService(Store &store, Mailer &mailer, const Clock &clock,
                 QString mailFrom = QStringLiteral("corvanta@localhost"));

    // The teacher's operation password check and the digest check of reading pages.
    PageReply checkPassword(const PageRequest &request);
    PageReply record(const PageRequest &request);
    PageReply serverTime(const PageRequest &request);
    PageReply upload(const PageRequest &request);
    PageReply group(const PageRequest &request);
    PageReply getTeacher(const PageRequest &request);
    PageReply setTeacher(const PageRequest &request);
    PageReply setClass(const PageRequest &request);
    PageReply renameClass(const PageRequest &request);
    PageReply student(const PageRequest &request);
    PageReply renameStudent(const PageRequest &request);
    PageReply setKeti(const PageRequest &request);
    PageReply renameKeti(const PageRequest &request);
    PageReply getScale(const PageRequest &request);
    PageReply newScale(const PageRequest &request);
    PageReply editScale(const PageRequest &request);
    PageReply delScale(const PageRequest &request);
    PageReply getScore(const PageRequest &request);
    PageReply editScore(const PageRequest &request);
    PageReply delScore(const PageRequest &request);
    PageReply regTeacher(const PageRequest &request);
    PageReply checkUsername(const PageRequest &request);
    PageReply getPswdCode(const PageRequest &request);
    PageReply setPassword(const PageRequest &request);
    // HTML pages of the service.
    PageReply scoreHome(const PageRequest &request);
    // The vendor site served alongside.
    PageReply version(const PageRequest &request);
    PageReply updatePage(const PageRequest &request);
    PageReply vendorHome(const PageRequest &request);

    // Adds a teacher when the account is free (the demo and benchmark data use it).
    bool addTeacher(const QString &account, const QString &name, const QString &loginPassword,
                    const QString &operationPassword, const QString &email);

    static constexpr qint64 kCheckCodeSeconds = 15 * 60;

private:
    std::optional<Teacher> operationAuth(const PageRequest &request, PageReply *refusal);
    std::optional<Teacher> digestAuth(const PageRequest &request, PageReply *refusal);
    std::optional<Teacher> loginAuth(const QString &account, const QString &password, PageReply *refusal);
    std::optional<PageReply> missing(const PageRequest &request,
                                     std::initializer_list<const char *> names) const;
    PageReply listReplace(const PageRequest &request, const QString &listField, int kind);
    PageReply rename(const PageRequest &request, const QString &oldField, const QString &newField, int kind);
    PageReply recentScoresPage(const Teacher &teacher, int n);
    qint64 now() const;

    Store &m_store;
    Mailer &m_mailer;
    const Clock &m_clock;
    QString m_mailFrom;
    FailureLimiter m_limiter;
    VerifiedPasswords m_verified;
    QHash<qint64, QPair<qint64, QByteArray>> m_recordCache; // teacher -> (data version, file)
};

} // namespace corvanta::server
