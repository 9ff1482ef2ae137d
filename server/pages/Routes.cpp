#include "Routes.h"

#include "HtmlPages.h"
#include "Pages.h"

#include "net/PageDescriptor.h"


namespace corvanta::server {

namespace {

// The page a refused person signs in to go on to: the page asked for, or the one a refused
// sign-in was going to.
QString pageToReturnTo(const PageRequest &request)
{
    if (request.method == Method::Get) {
        // Without the credentials of the refused request: the session stands in for them.
        QList<QPair<QString, QString>> fields;
        for (const auto &pair : request.fields.pairs()) {
            if (pair.first != QLatin1String(field::kAccount) && pair.first != QLatin1String(field::kDigest) &&
                pair.first != QLatin1String(field::kUsername) && pair.first != QLatin1String(field::kPassword))
                fields.append(pair);
        }
        return html::askedAddress(request.path, fields);
    }
    const QString next = request.fields.value(QLatin1String(field::kNext));
    return next.isEmpty() ? QString() : QString::fromLatin1(html::returnAddress(next));
}

PageReply refusal(const Route &route, const PageRequest &request, const QString &text, const QString &account)
{
    PageReply reply = route.options & kSignInPageRefusal
                          ? PageReply::html(html::signInPage(text, account, pageToReturnTo(request)))
                          : PageReply::text(text);
    reply.outcome = QStringLiteral("refused");
    reply.account = account;
    return reply;
}

Admission check(ScoreService &service, const Route &route, const PageRequest &request, AdmitMode mode)
{
    Admission admission;
    // Another site's page must not sign a browser in or out (forged sign-ins show the
    // victim someone else's account).
    if ((route.options & kSameSiteOnly) && !WebSessions::isSameSite(request)) {
        PageReply reply = PageReply::text(QStringLiteral("拒绝来自其他网站的请求"), QStringLiteral("cross-site"));
        reply.status = 403;
        admission.reply = reply;
        return admission;
    }
    for (const char *name : route.required) {
        if (!request.fields.has(QLatin1String(name))) {
            admission.reply = refusal(route, request, QStringLiteral("请求缺少字段：") + QLatin1String(name),
                                      request.fields.value(QLatin1String(field::kUsername)));
            return admission;
        }
    }
    const QString accountField = QLatin1String(corvanta::accountField(route.credential));
    const bool guest = (route.options & kGuestWithoutAccount) && !request.fields.has(accountField);
    if (route.credential != Credential::None && !guest) {
        ScoreService::SlowCheck slow;
        Expected<Teacher> auth = service.authenticate(route.credential, request, route.secretField,
                                                      mode == AdmitMode::WithoutSlowHash ? &slow : nullptr);
        if (slow.needed) {
            admission.needsSlowHash = true;
            admission.teacher = std::move(slow.teacher);
            return admission;
        }
        if (!auth) {
            admission.reply = refusal(route, request, auth.error(), request.fields.value(accountField));
            return admission;
        }
        admission.teacher = std::move(auth).value();
    } else if (guest && (route.options & kSessionForGuest)) {
        if (std::optional<Teacher> signedIn = service.sessions().teacherOf(request))
            admission.teacher = std::move(*signedIn);
    }
    admission.route = &route;
    return admission;
}

} // namespace

Route::Route(const PageDescriptor &descriptor, PageHandler handler, unsigned routeOptions)
    : path(descriptor.path),
      method(descriptor.method == PageMethod::Post ? Method::Post : Method::Get),
      page(handler),
      credential(descriptor.credential),
      secretField(descriptor.secretField),
      options(routeOptions)
{
    for (int i = 0; i < descriptor.fieldCount(); ++i) {
        if (descriptor.fields[i].required)
            required.append(descriptor.fields[i].name);
    }
}

const QList<Route> &routes()
{
    static const QList<Route> table = account::routes() + scores::routes() + console::routes() + web::routes();
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

Admission admit(ScoreService &service, const PageRequest &request, AdmitMode mode)
{
    for (const Route &route : routes()) {
        if (route.method == request.method && request.path == QLatin1String(route.path))
            return check(service, route, request, mode);
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
    PageReply reply = runAdmitted(service, admit(service, request), request);
    reply.takeWhole();
    return reply;
}

} // namespace corvanta::server
