#pragma once

#include "net/PageCall.h"
#include "net/PagePaths.h"

#include <array>
#include <initializer_list>

// One declaration per page of the protocol: its address, method, credential and fields.
// The tool builds its requests from these and the server builds its route rows from the
// same declarations, so a field name is written once, here.
namespace corvanta {

// What proves who is asking, and in which fields.
enum class Credential {
    None,
    LoginDigest,       // the account as field::kAccount, the MD5 of the login password as field::kDigest
    LoginPassword,     // field::kUsername and field::kPassword: the login password
    OperationPassword, // field::kUsername and field::kPassword: the operation password (pages that change data)
    WebSession,        // the session cookie of a browser signed in on the web pages
};

// The wire's field names.
namespace field {
inline constexpr char kUsername[] = "username";
inline constexpr char kPassword[] = "password";
// The reading pages: the account and the login digest. kAccount also carries the random
// value that keeps caches out of the clock and version pages.
inline constexpr char kAccount[] = "t";
inline constexpr char kDigest[] = "mp";
inline constexpr char kClass[] = "class";
inline constexpr char kStudent[] = "student";
inline constexpr char kKeti[] = "keti";
inline constexpr char kScore[] = "score";
// Sent with an upload by a tool that reads the answer line by line (score_pages::PartialUpload).
inline constexpr char kPartial[] = "partial";
inline constexpr char kEmail[] = "email";
inline constexpr char kOldSuperPassword[] = "oldsuperpassword";
inline constexpr char kNewLogPassword[] = "newlogpassword";
inline constexpr char kNewSuperPassword[] = "newsuperpassword";
inline constexpr char kOldClassName[] = "oldclassname";
inline constexpr char kNewClassName[] = "newclassname";
inline constexpr char kOldStuName[] = "oldstuname";
inline constexpr char kNewStuName[] = "newstuname";
inline constexpr char kOldKeti[] = "oldketi";
inline constexpr char kNewKeti[] = "newketi";
inline constexpr char kNewScale[] = "newscale";
inline constexpr char kNewScore[] = "newscore";
inline constexpr char kScaleId[] = "scaleid";
inline constexpr char kScale[] = "scale";
inline constexpr char kDelId[] = "delid";
inline constexpr char kScoreId[] = "scoreid";
inline constexpr char kTime[] = "time";
inline constexpr char kNote[] = "addtion"; // so spelled on the wire
inline constexpr char kTeacherName[] = "teachername";
inline constexpr char kSuperPassword[] = "superpassword";
inline constexpr char kMobile[] = "mb";
inline constexpr char kPhone[] = "tel";
inline constexpr char kQq[] = "qq";
inline constexpr char kWishedName[] = "u";
inline constexpr char kCheckCode[] = "checkcode";
inline constexpr char kNewPswd[] = "newpswd";
inline constexpr char kNewSuperPswd[] = "newsuperpswd";
inline constexpr char kCount[] = "n";
inline constexpr char kProduct[] = "s";
inline constexpr char kSort[] = "sort";
inline constexpr char kName[] = "name";
inline constexpr char kPage[] = "page";
inline constexpr char kNext[] = "next"; // the page a sign-in returns to
// The group page's lists, one field per group whatever the class has.
inline constexpr int kGroupFields = 16;
QString group(int index);
} // namespace field

// What a page answers when it refuses a login password or digest, and the beginning of what
// it answers while the account is locked out for too many wrong ones.
namespace login_refusal {
inline const QString kWrongLogin = QStringLiteral("用户名或密码错误！");
inline const QString kLockedPrefix = QStringLiteral("密码错误次数过多");
} // namespace login_refusal

// The product the vendor site's version and update pages are asked about.
inline const QString kProductName = QStringLiteral("Selvane");

// The field holding the account a credential names, and the one holding its secret.
const char *accountField(Credential credential);
const char *secretField(Credential credential);

struct PageField
{
    constexpr PageField(const char *fieldName = nullptr, bool mustBeSent = true)
        : name(fieldName), required(mustBeSent)
    {
    }
    const char *name;
    // The server refuses a request without it before the credential is checked.
    bool required;
};

// A field the server does not insist on (the page, or the credential, checks it).
constexpr PageField optional(const char *name)
{
    return {name, false};
}

struct PageDescriptor
{
    static constexpr int kMaxFields = 10;

    Site site = Site::ScoreServer;
    PageMethod method = PageMethod::Get;
    const char *path = nullptr;
    Credential credential = Credential::None;
    // In wire order; unused places have no name.
    std::array<PageField, kMaxFields> fields = {};
    // The field holding the credential's secret when it is not the usual one.
    const char *secretField = nullptr;

    constexpr int fieldCount() const
    {
        int n = 0;
        while (n < kMaxFields && fields[n].name)
            ++n;
        return n;
    }
    // The same page at another address.
    constexpr PageDescriptor at(const char *otherPath) const
    {
        PageDescriptor d = *this;
        d.path = otherPath;
        return d;
    }
    // The request with values for the fields in their order; optional fields at the end
    // may be left off (they are not sent then).
    PageCall call(std::initializer_list<QString> values = {}) const;
};

constexpr PageDescriptor describe(Site site, PageMethod method, const char *path, Credential credential,
                                  std::initializer_list<PageField> fields, const char *secretField = nullptr)
{
    PageDescriptor d;
    d.site = site;
    d.method = method;
    d.path = path;
    d.credential = credential;
    int i = 0;
    for (const PageField &f : fields)
        d.fields[i++] = f;
    d.secretField = secretField;
    return d;
}
constexpr PageDescriptor post(const char *path, Credential credential, std::initializer_list<PageField> fields,
                              const char *secretField = nullptr)
{
    return describe(Site::ScoreServer, PageMethod::Post, path, credential, fields, secretField);
}
constexpr PageDescriptor get(const char *path, Credential credential = Credential::None,
                             std::initializer_list<PageField> fields = {})
{
    return describe(Site::ScoreServer, PageMethod::Get, path, credential, fields);
}

// Every page.
namespace page {
using namespace field;
constexpr Credential Digest = Credential::LoginDigest, Login = Credential::LoginPassword,
                     Operation = Credential::OperationPassword, Session = Credential::WebSession,
                     None = Credential::None;

// Login, record file and clock.
inline constexpr PageDescriptor kCheckPassword = post(pages::kCheckPassword, Login, {kUsername, kPassword});
inline constexpr PageDescriptor kRecord = get(pages::kRecord, Digest, {optional(kAccount), optional(kDigest)});
inline constexpr PageDescriptor kServerTime = get(pages::kServerTime, None, {optional(kAccount)});

// Scores and groups. The group page's lists follow its fields (field::group).
inline constexpr PageDescriptor kUpload =
    post(pages::kUpload, Operation, {kUsername, kPassword, kKeti, kScore, optional(kPartial)});
inline constexpr PageDescriptor kGroup = post(pages::kGroup, Operation, {kClass, kUsername, kPassword});

// The console's pages.
inline constexpr PageDescriptor kGetTeacher = get(pages::kGetTeacher, Digest, {optional(kAccount), optional(kDigest)});
inline constexpr PageDescriptor kSetTeacher =
    post(pages::kSetTeacher, Operation, {kUsername, kEmail, kOldSuperPassword, kNewLogPassword, kNewSuperPassword},
         kOldSuperPassword);
inline constexpr PageDescriptor kSetClass = post(pages::kSetClass, Operation, {kUsername, kPassword, kClass});
inline constexpr PageDescriptor kRenameClass =
    post(pages::kRenameClass, Operation, {kUsername, kPassword, kOldClassName, kNewClassName});
inline constexpr PageDescriptor kStudent =
    post(pages::kStudent, Operation, {kUsername, kPassword, kClass, field::kStudent});
inline constexpr PageDescriptor kRenameStudent =
    post(pages::kRenameStudent, Operation, {kUsername, kPassword, kOldStuName, kNewStuName, kClass});
inline constexpr PageDescriptor kSetKeti = post(pages::kSetKeti, Operation, {kUsername, kPassword, kKeti});
inline constexpr PageDescriptor kRenameKeti =
    post(pages::kRenameKeti, Operation, {kUsername, kPassword, kOldKeti, kNewKeti});
inline constexpr PageDescriptor kGetScale =
    get(pages::kGetScale, Digest, {optional(kKeti), optional(kAccount), optional(kDigest)});
inline constexpr PageDescriptor kNewScale =
    post(pages::kNewScale, Operation, {kUsername, kPassword, kKeti, field::kNewScale, kNewScore});
inline constexpr PageDescriptor kEditScale =
    post(pages::kEditScale, Operation, {kUsername, kPassword, optional(kClass), kScaleId, kScale, kScore});
inline constexpr PageDescriptor kDelScale =
    post(pages::kDelScale, Operation, {kUsername, kPassword, optional(kKeti), kDelId});
inline constexpr PageDescriptor kGetScore =
    get(pages::kGetScore, Digest, {optional(kClass), optional(kAccount), optional(kDigest)});
inline constexpr PageDescriptor kEditScore = post(
    pages::kEditScore, Operation, {kUsername, kPassword, optional(kClass), kScoreId, kScore, kTime, kKeti, kNote});
inline constexpr PageDescriptor kDelScore =
    post(pages::kDelScore, Operation, {kUsername, kPassword, optional(kClass), kDelId});

// Accounts: these pages check what they are given themselves.
inline constexpr PageDescriptor kRegTeacher =
    post(pages::kRegTeacher, None,
         {kUsername, kTeacherName, kPassword, kSuperPassword, kEmail, optional(kMobile), optional(kPhone),
          optional(kQq)});
inline constexpr PageDescriptor kCheckUsername = get(pages::kCheckUsername, None, {optional(kWishedName)});
inline constexpr PageDescriptor kGetPswdCode = get(pages::kGetPswdCode, None, {optional(kUsername), optional(kEmail)});
inline constexpr PageDescriptor kSetPassword =
    post(pages::kSetPassword, None,
         {optional(kUsername), optional(kCheckCode), optional(kNewPswd), optional(kNewSuperPswd)});

// The web pages for people. The home page shows the newest scores of the account the
// address names, or the classes of the signed-in teacher, or the sign-in form.
inline constexpr PageDescriptor kScoreHome =
    get(pages::kScoreHome, Digest, {optional(kAccount), optional(kCount), optional(kDigest)});
inline constexpr PageDescriptor kScoreHomeBare = kScoreHome.at(pages::kScoreHomeBare);
inline constexpr PageDescriptor kScoreHomeIndex = kScoreHome.at(pages::kScoreHomeIndex);
inline constexpr PageDescriptor kSignIn =
    post(pages::kScoreHome, Login, {optional(kUsername), optional(kPassword), optional(kNext)});
inline constexpr PageDescriptor kWebClass = get(pages::kWebClass, Session, {optional(kClass), optional(kSort)});
inline constexpr PageDescriptor kWebClassCsv = get(pages::kWebClassCsv, Session, {optional(kClass)});
inline constexpr PageDescriptor kWebStudent =
    get(pages::kWebStudent, Session, {optional(kClass), optional(kName), optional(kPage)});
inline constexpr PageDescriptor kWebStudentCsv =
    get(pages::kWebStudentCsv, Session, {optional(kClass), optional(kName)});
inline constexpr PageDescriptor kWebSignOut = post(pages::kWebSignOut, None, {});
inline constexpr PageDescriptor kFavicon = get(pages::kFavicon);
inline constexpr PageDescriptor kRobots = get(pages::kRobots);

// The vendor site.
inline constexpr PageDescriptor kVersion =
    describe(Site::Vendor, PageMethod::Get, pages::kVersion, None, {optional(kProduct), optional(kAccount)});
inline constexpr PageDescriptor kUpdate = describe(Site::Vendor, PageMethod::Get, pages::kUpdate, None, {optional(kSort)});
inline constexpr PageDescriptor kVendorHome = describe(Site::Vendor, PageMethod::Get, pages::kVendorHome, None, {});
} // namespace page

} // namespace corvanta
