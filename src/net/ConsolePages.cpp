#include "ConsolePages.h"

#include "core/TextCodec.h"
#include "net/PagePaths.h"

namespace corvanta::console_pages {

namespace {

const QString kUser = QStringLiteral("username");
const QString kPassword = QStringLiteral("password");

FormFields signedBy(const QString &username, const QString &password)
{
    return FormFields().add(kUser, username).add(kPassword, password);
}

} // namespace

PageCall getTeacher(const QString &username, const QString &digest)
{
    return PageCall::get(pages::kGetTeacher,
                         FormFields().add(QStringLiteral("t"), username).add(QStringLiteral("mp"), digest));
}

PageCall setTeacher(const QString &account, const QString &email, const QString &oldOperationPassword,
                    const QString &newLoginPassword, const QString &newOperationPassword)
{
    return PageCall::post(pages::kSetTeacher,
                          FormFields()
                              .add(kUser, account)
                              .add(QStringLiteral("email"), email)
                              .add(QStringLiteral("oldsuperpassword"), oldOperationPassword)
                              .add(QStringLiteral("newlogpassword"), newLoginPassword)
                              .add(QStringLiteral("newsuperpassword"), newOperationPassword));
}

PageCall setClass(const QString &username, const QString &password, const QStringList &classes)
{
    return PageCall::post(pages::kSetClass,
                          signedBy(username, password).add(QStringLiteral("class"), classes.join(u'|')));
}

PageCall student(const QString &username, const QString &password, const QString &className,
                 const QStringList &students)
{
    return PageCall::post(pages::kStudent, signedBy(username, password)
                                               .add(QStringLiteral("class"), className)
                                               .add(QStringLiteral("student"), students.join(u'|')));
}

PageCall setKeti(const QString &username, const QString &password, const QStringList &topics)
{
    return PageCall::post(pages::kSetKeti,
                          signedBy(username, password).add(QStringLiteral("keti"), topics.join(u'|')));
}

PageCall renameClass(const QString &username, const QString &password, const QString &oldName,
                     const QString &newName)
{
    return PageCall::post(pages::kRenameClass, signedBy(username, password)
                                                   .add(QStringLiteral("oldclassname"), oldName)
                                                   .add(QStringLiteral("newclassname"), newName));
}

PageCall renameStudent(const QString &username, const QString &password, const QString &oldName,
                       const QString &newName, const QString &className)
{
    return PageCall::post(pages::kRenameStudent, signedBy(username, password)
                                                     .add(QStringLiteral("oldstuname"), oldName)
                                                     .add(QStringLiteral("newstuname"), newName)
                                                     .add(QStringLiteral("class"), className));
}

PageCall renameKeti(const QString &username, const QString &password, const QString &oldName,
                    const QString &newName)
{
    return PageCall::post(pages::kRenameKeti, signedBy(username, password)
                                                  .add(QStringLiteral("oldketi"), oldName)
                                                  .add(QStringLiteral("newketi"), newName));
}

PageCall getScale(const QString &keti, const QString &username, const QString &digest)
{
    return PageCall::get(pages::kGetScale, FormFields()
                                               .add(QStringLiteral("keti"), keti)
                                               .add(QStringLiteral("t"), username)
                                               .add(QStringLiteral("mp"), digest));
}

PageCall newScale(const QString &username, const QString &password, const QString &keti,
                  const QStringList &texts, const QStringList &scores)
{
    return PageCall::post(pages::kNewScale, signedBy(username, password)
                                                .add(QStringLiteral("keti"), keti)
                                                .add(QStringLiteral("newscale"), texts.join(u'\t'))
                                                .add(QStringLiteral("newscore"), scores.join(u'\t')));
}

PageCall editScale(const QString &username, const QString &password, const QString &className,
                   const QString &scaleId, const QString &scale, double score)
{
    return PageCall::post(pages::kEditScale, signedBy(username, password)
                                                 .add(QStringLiteral("class"), className)
                                                 .add(QStringLiteral("scaleid"), scaleId)
                                                 .add(QStringLiteral("scale"), scale)
                                                 .add(QStringLiteral("score"), shortestDecimal(score)));
}

PageCall delScale(const QString &username, const QString &password, const QString &keti, const QString &delid)
{
    return PageCall::post(
        pages::kDelScale,
        signedBy(username, password).add(QStringLiteral("keti"), keti).add(QStringLiteral("delid"), delid));
}

PageCall getScore(const QString &className, const QString &username, const QString &digest)
{
    return PageCall::get(pages::kGetScore, FormFields()
                                               .add(QStringLiteral("class"), className)
                                               .add(QStringLiteral("t"), username)
                                               .add(QStringLiteral("mp"), digest));
}

PageCall editScore(const QString &username, const QString &password, const QString &className,
                   const ScoreEdit &edit)
{
    return PageCall::post(pages::kEditScore,
                          signedBy(username, password)
                              .add(QStringLiteral("class"), className)
                              .add(QStringLiteral("scoreid"), edit.scoreId)
                              .add(QStringLiteral("score"), shortestDecimal(edit.score))
                              .add(QStringLiteral("time"), QString::number(edit.time))
                              .add(QStringLiteral("keti"), edit.keti)
                              .add(QStringLiteral("addtion"), edit.note)); // so spelled on the wire
}

PageCall delScore(const QString &username, const QString &password, const QString &className,
                  const QString &delid)
{
    return PageCall::post(pages::kDelScore, signedBy(username, password)
                                                .add(QStringLiteral("class"), className)
                                                .add(QStringLiteral("delid"), delid));
}

PageCall scoreHome()
{
    return PageCall::get(pages::kScoreHomeBare, {});
}

std::optional<TeacherInfo> readTeacher(const QString &reply)
{
    const QStringList lines = reply.split(QStringLiteral("\r\n"));
    if (lines.size() != 3)
        return std::nullopt;
    return TeacherInfo{lines[0], lines[1], lines[2]};
}

QStringList readLines(const QString &reply)
{
    QStringList out;
    for (QString line : reply.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (!line.isEmpty())
            out.append(line);
    }
    return out;
}

bool isLoginRefusal(const QString &reply)
{
    const QString text = reply.trimmed();
    return text == kWrongLogin || text.startsWith(kLockedPrefix);
}

std::optional<QString> listReplyMessage(const QString &reply)
{
    for (const QString &line : readLines(reply)) {
        if (!line.contains(u'\t'))
            return reply.trimmed();
    }
    return std::nullopt;
}

QString lineField(const QString &line, int index)
{
    const QStringList fields = line.split(u'\t');
    return index >= 0 && index < fields.size() ? fields[index] : QString();
}

} // namespace corvanta::console_pages
