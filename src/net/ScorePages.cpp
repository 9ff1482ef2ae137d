#include "ScorePages.h"

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
    return page::kUpload.call({username, operationPassword, keti, lines.join(u'|')});
}

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
