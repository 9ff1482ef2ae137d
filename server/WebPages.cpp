#include "Pages.h"

#include "HtmlPages.h"

#include "core/AppConfig.h"

namespace corvanta::server::web {

PageReply scoreHome(const PageCall &call)
{
    if (call.teacher.id == 0)
        return PageReply::html(html::signInPage({}));
    bool ok = false;
    int n = call.field("n").trimmed().toInt(&ok);
    if (!ok || n <= 0)
        n = 20;
    return PageReply::html(
        html::recentScoresPage(call.teacher, call.store().recentScores(call.teacher.id, qMin(n, 1000))));
}

PageReply signedIn(const PageCall &call)
{
    const qint64 id = call.teacher.id;
    return PageReply::html(html::teacherPage(call.teacher, call.store().recordData(id).classes,
                                             call.store().recentScores(id, 20)));
}

PageReply version(const PageCall &call)
{
    if (call.field("s") != u"Selvane")
        return PageReply::text({}, QStringLiteral("unknown product"));
    return PageReply::text(QStringLiteral("Selvane:") + programVersionText());
}

PageReply updatePage(const PageCall &)
{
    return PageReply::html(html::updatePage(programVersionText()));
}

PageReply vendorHome(const PageCall &)
{
    return PageReply::html(html::vendorHomePage(programVersionText()));
}

} // namespace corvanta::server::web
