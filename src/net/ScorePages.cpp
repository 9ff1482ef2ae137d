#include "ScorePages.h"

#include "net/PagePaths.h"

namespace corvanta::score_pages {

PageCall checkPassword(const QString &username, const QString &password)
{
    return PageCall::post(pages::kCheckPassword, FormFields()
                                                     .add(QStringLiteral("username"), username)
                                                     .add(QStringLiteral("password"), password.trimmed()));
}

PageCall record(const QString &username, const QString &digest)
{
    return PageCall::get(pages::kRecord,
                         FormFields().add(QStringLiteral("t"), username).add(QStringLiteral("mp"), digest));
}

PageCall upload(const QString &username, const QString &operationPassword, const QString &keti,
                const QStringList &lines)
{
    return PageCall::post(pages::kUpload, FormFields()
                                              .add(QStringLiteral("username"), username)
                                              .add(QStringLiteral("password"), operationPassword)
                                              .add(QStringLiteral("keti"), keti)
                                              .add(QStringLiteral("score"), lines.join(u'|')));
}

PageCall group(const QString &className, const QString &username, const QString &operationPassword,
               const QList<QStringList> &groups)
{
    // The server reads sixteen lists whatever the class has.
    constexpr int kGroupFields = 16;
    FormFields fields;
    fields.add(QStringLiteral("class"), className)
        .add(QStringLiteral("username"), username)
        .add(QStringLiteral("password"), operationPassword);
    for (int g = 0; g < kGroupFields; ++g)
        fields.add(QStringLiteral("group[%1]").arg(g), groups.value(g).join(u'|'));
    return PageCall::post(pages::kGroup, std::move(fields));
}

PageCall recentScores(const QString &username, int count, const QString &digest)
{
    return PageCall::get(pages::kScoreHome, FormFields()
                                                .add(QStringLiteral("t"), username)
                                                .add(QStringLiteral("n"), QString::number(count))
                                                .add(QStringLiteral("mp"), digest));
}

PageCall serverTime(RandomSource &random)
{
    return PageCall::get(pages::kServerTime,
                         FormFields().add(QStringLiteral("t"), randomAddressValue(random)));
}

PageCall versionQuery(RandomSource &random)
{
    return PageCall::vendorGet(pages::kVersion, FormFields()
                                                    .add(QStringLiteral("s"), QStringLiteral("Selvane"))
                                                    .add(QStringLiteral("t"), randomAddressValue(random)));
}

PageCall updatePage()
{
    return PageCall::vendorGet(pages::kUpdate,
                               FormFields().add(QStringLiteral("sort"), QStringLiteral("Selvane")));
}

PageCall vendorHome()
{
    // The bare base address, as the status bar shows it.
    return {Site::Vendor, PageMethod::Get, QString(), {}};
}

} // namespace corvanta::score_pages
