#include "ScoreRequests.h"

#include "net/PageDescriptor.h"

namespace corvanta::score_pages {

PageCall checkPassword(const QString &username, const QString &password)
{
    return page::kCheckPassword.call({username, password.trimmed()});
}

PageCall record(const QString &username, const QString &digest)
{
    return page::kRecord.call({username, digest});
}

PageCall upload(const QString &username, const QString &operationPassword, const QString &keti,
                const QStringList &lines)
{
    return page::kUpload.call({username, operationPassword, keti, lines.join(u'|'), QStringLiteral("1")});
}

namespace partial_upload {

namespace {
const QString kCrLf = QStringLiteral("\r\n");
} // namespace

QString reply(const QList<RefusedLine> &refused)
{
    QStringList lines{kWord};
    for (const RefusedLine &r : refused) {
        QString reason = r.reason;
        reason.replace(u'\r', u' ').replace(u'\n', u' ');
        lines.append(QString::number(r.line) + u'\t' + reason);
    }
    return lines.join(kCrLf);
}

std::optional<QList<RefusedLine>> read(const QString &reply, int sent)
{
    QStringList lines = reply.split(kCrLf);
    if (lines.isEmpty() || lines.takeFirst() != kWord)
        return std::nullopt;
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QList<RefusedLine> refused;
    QList<bool> named(sent, false);
    for (const QString &line : std::as_const(lines)) {
        const qsizetype tab = line.indexOf(u'\t');
        bool ok = false;
        const int number = tab > 0 ? line.left(tab).toInt(&ok) : 0;
        if (!ok || number < 1 || number > sent || named[number - 1])
            return std::nullopt;
        named[number - 1] = true;
        refused.append({number, line.mid(tab + 1)});
    }
    if (refused.isEmpty())
        return std::nullopt;
    return refused;
}

} // namespace partial_upload

PageCall group(const QString &className, const QString &username, const QString &operationPassword,
               const QList<QStringList> &groups)
{
    // The server reads every list whatever the class has.
    PageCall call = page::kGroup.call({className, username, operationPassword});
    for (int g = 0; g < field::kGroupFields; ++g)
        call.fields.add(field::group(g), groups.value(g).join(u'|'));
    return call;
}

PageCall recentScores(const QString &username, int count, const QString &digest)
{
    return page::kScoreHome.call({username, QString::number(count), digest});
}

PageCall serverTime(RandomSource &random)
{
    return page::kServerTime.call({randomAddressValue(random)});
}

PageCall versionQuery(RandomSource &random)
{
    return page::kVersion.call({kProductName, randomAddressValue(random)});
}

PageCall updatePage()
{
    return page::kUpdate.call({kProductName});
}

PageCall vendorHome()
{
    // The bare base address, as the status bar shows it.
    return {Site::Vendor, PageMethod::Get, QString(), {}};
}

} // namespace corvanta::score_pages
