#pragma once

#include "net/PageDescriptor.h"

#include <QStringList>

#include <optional>

// Requests to the pages of the management console: the teacher's settings, the class, student and
// topic lists, the scales of a topic and the recorded scores. The password field is always the
// operation password as typed; reading pages name the teacher by account and digest.
// Every changing page answers "Success!" when it took the change.
namespace corvanta::console_pages {

// --- requests ---

PageCall getTeacher(const QString &username, const QString &digest);
// Empty new passwords keep the old ones.
PageCall setTeacher(const QString &account, const QString &email, const QString &oldOperationPassword,
                    const QString &newLoginPassword, const QString &newOperationPassword);

// Whole lists: the server replaces its list by the one sent ("|"-joined).
PageCall setClass(const QString &username, const QString &password, const QStringList &classes);
PageCall student(const QString &username, const QString &password, const QString &className,
                 const QStringList &students);
PageCall setKeti(const QString &username, const QString &password, const QStringList &topics);

PageCall renameClass(const QString &username, const QString &password, const QString &oldName,
                     const QString &newName);
PageCall renameStudent(const QString &username, const QString &password, const QString &oldName,
                       const QString &newName, const QString &className);
PageCall renameKeti(const QString &username, const QString &password, const QString &oldName,
                    const QString &newName);

PageCall getScale(const QString &keti, const QString &username, const QString &digest);
// Five texts and five scores, each set joined by TAB (empty rows stay empty fields).
PageCall newScale(const QString &username, const QString &password, const QString &keti,
                  const QStringList &texts, const QStringList &scores);
PageCall editScale(const QString &username, const QString &password, const QString &className,
                   const QString &scaleId, const QString &scale, double score);
// delid: "|" before every record number ("|17|12").
PageCall delScale(const QString &username, const QString &password, const QString &keti,
                  const QString &delid);

PageCall getScore(const QString &className, const QString &username, const QString &digest);
struct ScoreEdit
{
    QString scoreId;
    double score = 0;
    qint64 time = 0; // seconds; 0 for a text that is not a date
    QString keti;
    QString note;
};
PageCall editScore(const QString &username, const QString &password, const QString &className,
                   const ScoreEdit &edit);
PageCall delScore(const QString &username, const QString &password, const QString &className,
                  const QString &delid);

// The score server's web pages, for the browser.
PageCall scoreHome();

// --- replies ---

struct TeacherInfo
{
    QString name;
    QString account;
    QString email;
};
// The teacher reply is exactly three lines (name, account, e-mail) separated by CR LF;
// anything else (an error text, a trailing line break) is no answer.
std::optional<TeacherInfo> readTeacher(const QString &reply);

// The lines of a list reply (scales, scores): split at CR LF (a lone LF too), empty
// lines left out, each line as received.
QStringList readLines(const QString &reply);

// What a reading page answers when it refuses the login digest (login_refusal's texts).
bool isLoginRefusal(const QString &reply);
// A list reply whose lines are not all data lines (each has a TAB) is a message, not a
// list: its text, trimmed; nothing for a list (an empty one too).
std::optional<QString> listReplyMessage(const QString &reply);

// The fields of one line of such a reply (record number first), at TAB. Missing fields
// read as empty text.
QString lineField(const QString &line, int index);

} // namespace corvanta::console_pages
