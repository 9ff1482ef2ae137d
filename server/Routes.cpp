#include "Routes.h"

#include "HtmlPages.h"
#include "Pages.h"

#include "net/PagePaths.h"

namespace corvanta::server {

namespace {

PageReply refusal(const Route &route, const QString &text, const QString &account)
{
    PageReply reply =
        route.options & kSignInPageRefusal ? PageReply::html(html::signInPage(text)) : PageReply::text(text);
    reply.outcome = QStringLiteral("refused");
    reply.account = account;
    return reply;
}

Admission check(ScoreService &service, const Route &route, const PageRequest &request)
{
    Admission admission;
    for (const char *name : route.required) {
        if (!request.fields.has(QLatin1String(name))) {
            admission.reply = refusal(route, QStringLiteral("请求缺少字段：") + QLatin1String(name),
                                      request.fields.value(QStringLiteral("username")));
            return admission;
        }
    }
    const QString accountField = ScoreService::accountField(route.credential);
    const bool guest = (route.options & kGuestWithoutAccount) && !request.fields.has(accountField);
    if (route.credential != Credential::None && !guest) {
        const Authentication auth = service.authenticate(route.credential, request, route.secretField);
        if (!auth.teacher) {
            admission.reply = refusal(route, auth.refusal, request.fields.value(accountField));
            return admission;
        }
        admission.teacher = *auth.teacher;
    } else if (guest && (route.options & kSessionForGuest)) {
        if (std::optional<Teacher> signedIn = service.sessions().teacherOf(request))
            admission.teacher = std::move(*signedIn);
    }
    admission.route = &route;
    return admission;
}

} // namespace

const QList<Route> &routes()
{
    using namespace corvanta::pages;
    constexpr Method Get = Method::Get, Post = Method::Post;
    constexpr Credential Digest = Credential::LoginDigest, Login = Credential::LoginPassword,
                         Operation = Credential::OperationPassword, None = Credential::None,
                         Session = Credential::WebSession;
    constexpr unsigned Web = kSignInPageRefusal | kGuestWithoutAccount | kSessionForGuest;
    // clang-format off
    static const QList<Route> table = {
        // Login, record file and clock.
        {kCheckPassword, Post, &account::checkPassword, Login, {"username", "password"}},
        {kRecord,        Get,  &scores::record,         Digest},
        {kServerTime,    Get,  &scores::serverTime},
        // Scores and groups.
        {kUpload, Post, &scores::upload, Operation, {"username", "password", "keti", "score"}},
        {kGroup,  Post, &scores::group,  Operation, {"class", "username", "password"}},
        // The console's pages.
        {kGetTeacher,    Get,  &console::getTeacher,    Digest},
        {kSetTeacher,    Post, &console::setTeacher,    Operation,
         {"username", "email", "oldsuperpassword", "newlogpassword", "newsuperpassword"}, "oldsuperpassword"},
        {kSetClass,      Post, &console::setClass,      Operation, {"username", "password", "class"}},
        {kRenameClass,   Post, &console::renameClass,   Operation,
         {"username", "password", "oldclassname", "newclassname"}},
        {kStudent,       Post, &console::student,       Operation,
         {"username", "password", "class", "student"}},
        {kRenameStudent, Post, &console::renameStudent, Operation,
         {"username", "password", "oldstuname", "newstuname", "class"}},
        {kSetKeti,       Post, &console::setKeti,       Operation, {"username", "password", "keti"}},
        {kRenameKeti,    Post, &console::renameKeti,    Operation,
         {"username", "password", "oldketi", "newketi"}},
        {kGetScale,      Get,  &console::getScale,      Digest},
        {kNewScale,      Post, &console::newScale,      Operation,
         {"username", "password", "keti", "newscale", "newscore"}},
        {kEditScale,     Post, &console::editScale,     Operation,
         {"username", "password", "scaleid", "scale", "score"}},
        {kDelScale,      Post, &console::delScale,      Operation, {"username", "password", "delid"}},
        {kGetScore,      Get,  &console::getScore,      Digest, {}, nullptr, kHeavy},
        {kEditScore,     Post, &console::editScore,     Operation,
         {"username", "password", "scoreid", "score", "time", "keti", "addtion"}},
        {kDelScore,      Post, &console::delScore,      Operation, {"username", "password", "delid"}},
        // Accounts: these pages check what they are given themselves.
        {kRegTeacher,    Post, &account::regTeacher,    None,
         {"username", "teachername", "password", "superpassword", "email"}},
        {kCheckUsername, Get,  &account::checkUsername},
        {kGetPswdCode,   Get,  &account::getPswdCode},
        {kSetPassword,   Post, &account::setPassword},
        // The web pages for people.
        {kScoreHomeBare,  Get,  &web::scoreHome, Digest, {}, nullptr, Web},
        {kScoreHome,      Get,  &web::scoreHome, Digest, {}, nullptr, Web},
        {kScoreHome,      Post, &web::signedIn,  Login,  {}, nullptr, kSignInPageRefusal},
        {kScoreHomeIndex, Get,  &web::scoreHome, Digest, {}, nullptr, Web},
        {kWebClass,       Get,  &web::classPage, Session, {}, nullptr, kSignInPageRefusal | kHeavy},
        {kWebClassCsv,    Get,  &web::classCsv,  Session, {}, nullptr, kSignInPageRefusal | kHeavy},
        {kWebSignOut,     Post, &web::signOut},
        // The vendor site.
        {kVersion,    Get, &web::version},
        {kUpdate,     Get, &web::updatePage},
        {kVendorHome, Get, &web::vendorHome},
    };
    // clang-format on
    return table;
}

QByteArray allowedMethods(const QString &path)
{
    QByteArrayList allowed;
    for (const auto &[method, name] : {std::pair(Method::Get, "GET"), std::pair(Method::Post, "POST")}) {
        for (const Route &route : routes()) {
            if (route.method == method && path == QLatin1String(route.path)) {
                allowed.append(name);
                break;
            }
        }
    }
    return allowed.join(", ");
}

Admission admit(ScoreService &service, const PageRequest &request)
{
    for (const Route &route : routes()) {
        if (route.method == request.method && request.path == QLatin1String(route.path))
            return check(service, route, request);
    }
    Admission admission;
    const QByteArray allow = allowedMethods(request.path);
    if (allow.isEmpty()) {
        admission.reply = PageReply::notFound();
        return admission;
    }
    admission.reply =
        PageReply::text(QStringLiteral("不支持的请求方法"), QStringLiteral("method not allowed"));
    admission.reply.status = 405;
    admission.reply.headers.append({"Allow", allow});
    return admission;
}

PageReply runAdmitted(ScoreService &service, const Admission &admission, const PageRequest &request)
{
    if (!admission.route)
        return admission.reply;
    PageReply reply = admission.route->page({service, request, admission.teacher});
    if (reply.account.isEmpty())
        reply.account = admission.teacher.account;
    return reply;
}

PageReply dispatch(ScoreService &service, const PageRequest &request)
{
    return runAdmitted(service, admit(service, request), request);
}

} // namespace corvanta::server
