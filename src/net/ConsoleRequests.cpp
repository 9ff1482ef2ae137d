#include "ConsoleRequests.h"

#include "core/TextCodec.h"

namespace corvanta::console_pages {

PageCall getTeacher(const QString &username, const QString &digest)
{
    return page::kGetTeacher.call({username, digest});
}

PageCall setTeacher(const QString &account, const QString &email, const QString &oldOperationPassword,
                    const QString &newLoginPassword, const QString &newOperationPassword)
{
    return page::kSetTeacher.call(
        {account, email, oldOperationPassword, newLoginPassword, newOperationPassword});
}

PageCall setClass(const QString &username, const QString &password, const QStringList &classes)
{
    return page::kSetClass.call({username, password, classes.join(u'|')});
}

PageCall student(const QString &username, const QString &password, const QString &className,
                 const QStringList &students)
{
    return page::kStudent.call({username, password, className, students.join(u'|')});
}

PageCall setKeti(const QString &username, const QString &password, const QStringList &topics)
{
    return page::kSetKeti.call({username, password, topics.join(u'|')});
}

PageCall renameClass(const QString &username, const QString &password, const QString &oldName,
                     const QString &newName)
{
    return page::kRenameClass.call({username, password, oldName, newName});
}

PageCall renameStudent(const QString &username, const QString &password, const QString &oldName,
                       const QString &newName, const QString &className)
{
    return page::kRenameStudent.call({username, password, oldName, newName, className});
}

PageCall renameKeti(const QString &username, const QString &password, const QString &oldName,
                    const QString &newName)
{
    return page::kRenameKeti.call({username, password, oldName, newName});
}

PageCall getScale(const QString &keti, const QString &username, const QString &digest)
{
    return page::kGetScale.call({keti, username, digest});
}

PageCall newScale(const QString &username, const QString &password, const QString &keti,
                  const QStringList &texts, const QStringList &scores)
{
    return page::kNewScale.call({username, password, keti, texts.join(u'\t'), scores.join(u'\t')});
}

PageCall editScale(const QString &username, const QString &password, const QString &className,
                   const QString &scaleId, const QString &scale, double score)
{
    return page::kEditScale.call({username, password, className, scaleId, scale, shortestDecimal(score)});
}

PageCall delScale(const QString &username, const QString &password, const QString &keti, const QString &delid)
{
    return page::kDelScale.call({username, password, keti, delid});
}

PageCall getScore(const QString &className, const QString &username, const QString &digest)
{
    return page::kGetScore.call({className, username, digest});
}

PageCall editScore(const QString &username, const QString &password, const QString &className,
                   const ScoreEdit &edit)
{
    return page::kEditScore.call({username, password, className, edit.scoreId, shortestDecimal(edit.score),
                                  QString::number(edit.time), edit.keti, edit.note});
}

PageCall delScore(const QString &username, const QString &password, const QString &className,
                  const QString &delid)
{
    return page::kDelScore.call({username, password, className, delid});
}

PageCall scoreHome()
{
    return page::kScoreHomeBare.call();
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
    return text == login_refusal::kWrongLogin || text.startsWith(login_refusal::kLockedPrefix);
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
