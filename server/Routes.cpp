#include "Routes.h"

namespace corvanta::server {

const QList<Route> &routes()
{
    using S = ScoreService;
    static const QList<Route> table = {
        {"/score/checkpassword.php", Method::Post, &S::checkPassword},
        {"/score/record.php", Method::Get, &S::record},
        {"/score/servertime.php", Method::Get, &S::serverTime},
        {"/score/index.php", Method::Post, &S::upload},
        {"/score/group.php", Method::Post, &S::group},
        {"/score/getteacher.php", Method::Get, &S::getTeacher},
        {"/score/setteacher.php", Method::Post, &S::setTeacher},
        {"/score/setclass.php", Method::Post, &S::setClass},
        {"/score/renameclass.php", Method::Post, &S::renameClass},
        {"/score/student.php", Method::Post, &S::student},
        {"/score/renamestudent.php", Method::Post, &S::renameStudent},
        {"/score/setketi.php", Method::Post, &S::setKeti},
        {"/score/renameketi.php", Method::Post, &S::renameKeti},
        {"/score/getscale.php", Method::Get, &S::getScale},
        {"/score/newscale.php", Method::Post, &S::newScale},
        {"/score/editscale.php", Method::Post, &S::editScale},
        {"/score/delscale.php", Method::Post, &S::delScale},
        {"/score/getscore.php", Method::Get, &S::getScore},
        {"/score/editscore.php", Method::Post, &S::editScore},
        {"/score/delscore.php", Method::Post, &S::delScore},
        {"/score/regteacher.php", Method::Post, &S::regTeacher},
        {"/score/checkusername.php", Method::Get, &S::checkUsername},
        {"/score/getpswdcode.php", Method::Get, &S::getPswdCode},
        {"/score/setpassword.php", Method::Post, &S::setPassword},
        {"/score", Method::Get, &S::scoreHome},
        {"/score/", Method::Get, &S::scoreHome},
        {"/score/", Method::Post, &S::scoreHome},
        {"/score/index.php", Method::Get, &S::scoreHome},
        {"/version.php", Method::Get, &S::version},
        {"/soft/update.php", Method::Get, &S::updatePage},
        {"/", Method::Get, &S::vendorHome},
    };
    return table;
}

PageReply dispatch(ScoreService &service, const PageRequest &request)
{
    bool pathKnown = false;
    for (const Route &route : routes()) {
        if (request.path != QLatin1String(route.path))
            continue;
        if (route.method == request.method)
            return (service.*route.page)(request);
        pathKnown = true;
    }
    if (pathKnown) {
        PageReply reply =
            PageReply::text(QStringLiteral("不支持的请求方法"), QStringLiteral("method not allowed"));
        reply.status = 405;
        return reply;
    }
    return PageReply::notFound();
}

} // namespace corvanta::server
