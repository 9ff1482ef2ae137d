// The checks every route declares, run by the dispatcher before a page: required fields,
// the credential, its lock-out, and the account the request log names.
#include "ServiceRig.h"

#include "core/AppConfig.h"

#include <QTest>

using namespace corvanta;
using namespace corvanta::server;
using corvanta::test::Fields;
using corvanta::test::ServiceRig;
using corvanta::test::textOf;

Q_DECLARE_METATYPE(corvanta::server::Method)

namespace {

const QString kOk = QStringLiteral("Success!");
const QString kWrongLogin = QStringLiteral("用户名或密码错误！");
const QString kWrongOperation = QStringLiteral("用户名或操作密码错误！");
const QString kLocked = QStringLiteral("密码错误次数过多，帐号已锁定10分钟，请稍后再试！");
const QString kPaused = QStringLiteral("该帐号密码错误次数过多，请1分钟后再试！");

// The teacher of every row: account "keeper", login password "login", operation "oper".
const QString kDigest = Md5Hex(QStringLiteral("login"));

Fields login(const QString &password)
{
    return {{"username", "keeper"}, {"password", password}};
}
Fields digest(const QString &mp)
{
    return {{"t", "keeper"}, {"mp", mp}};
}
Fields operation(const QString &password, Fields more = {{"keti", "甲"}})
{
    more.prepend({"password", password});
    more.prepend({"username", "keeper"});
    return more;
}

} // namespace

class TestServerRoutes : public QObject
{
    Q_OBJECT

    std::unique_ptr<ServiceRig> m_boundsRig;

    static void addTeacher(ServiceRig &rig)
    {
        QVERIFY2(rig.store, qPrintable(rig.error));
        QVERIFY(rig.service.addTeacher("keeper", "守门老师", "login", "oper", "keeper@example.org"));
    }

private slots:
    void checks_data()
    {
        QTest::addColumn<Method>("method");
        QTest::addColumn<QString>("path");
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("account"); // as the request log names it
        QTest::addColumn<QString>("outcome");
        const auto row = [](const char *name) -> QTestData & { return QTest::newRow(name); };
        const QString checkPassword = "/score/checkpassword.php";
        const QString setKeti = "/score/setketi.php";
        const QString setTeacher = "/score/setteacher.php";
        const QString getTeacher = "/score/getteacher.php";

        // Login password.
        row("login: missing password")
            << Method::Post << checkPassword << Fields{{"username", "keeper"}} << "请求缺少字段：password"
            << "keeper"
            << "refused";
        row("login: wrong") << Method::Post << checkPassword << login("logi") << kWrongLogin << "keeper"
                            << "refused";
        row("login: blank") << Method::Post << checkPassword << login("  ") << kWrongLogin << "keeper"
                            << "refused";
        row("login: unknown account")
            << Method::Post << checkPassword << Fields{{"username", "nobody"}, {"password", "login"}}
            << kWrongLogin << "nobody"
            << "refused";
        row("login: right") << Method::Post << checkPassword << login("login") << kOk << "keeper"
                            << "ok";
        row("login: account in other case")
            << Method::Post << checkPassword << Fields{{"username", "KEEPER"}, {"password", "login"}} << kOk
            << "keeper"
            << "ok";

        // Login digest: the reading pages.
        row("digest: none") << Method::Get << getTeacher << Fields{{"t", "keeper"}} << kWrongLogin << "keeper"
                            << "refused";
        row("digest: wrong") << Method::Get << getTeacher << digest(Md5Hex("other")) << kWrongLogin
                             << "keeper"
                             << "refused";
        row("digest: the password itself")
            << Method::Get << getTeacher << digest("login") << kWrongLogin << "keeper"
            << "refused";
        row("digest: upper case") << Method::Get << getTeacher << digest(kDigest.toUpper())
                                  << "守门老师\r\nkeeper\r\nkeeper@example.org"
                                  << "keeper"
                                  << "ok";

        // Operation password: the pages that change data.
        row("operation: missing field")
            << Method::Post << setKeti << operation("oper", {}) << "请求缺少字段：keti"
            << "keeper"
            << "refused";
        row("operation: missing field before a wrong password")
            << Method::Post << setKeti << operation("bad", {}) << "请求缺少字段：keti"
            << "keeper"
            << "refused";
        row("operation: fields in declared order")
            << Method::Post << "/score/group.php" << Fields{} << "请求缺少字段：class"
            << ""
            << "refused";
        row("operation: wrong") << Method::Post << setKeti << operation("Oper") << kWrongOperation << "keeper"
                                << "refused";
        row("operation: the login password")
            << Method::Post << setKeti << operation("login") << kWrongOperation << "keeper"
            << "refused";
        row("operation: empty") << Method::Post << setKeti << operation("") << kWrongOperation << "keeper"
                                << "refused";
        row("operation: right") << Method::Post << setKeti << operation("oper") << kOk << "keeper"
                                << "ok";

        // The teacher's settings take the operation password from another field.
        const Fields settings = {{"username", "keeper"},
                                 {"email", "new@example.org"},
                                 {"newlogpassword", ""},
                                 {"newsuperpassword", ""}};
        row("settings: password field is not the secret")
            << Method::Post << setTeacher
            << (Fields(settings) << QPair<QString, QString>("oldsuperpassword", "bad")
                                 << QPair<QString, QString>("password", "oper"))
            << kWrongOperation << "keeper"
            << "refused";
        row("settings: right") << Method::Post << setTeacher
                               << (Fields(settings) << QPair<QString, QString>("oldsuperpassword", "oper"))
                               << kOk << "keeper"
                               << "ok";

        // No credential: registration checks its own fields.
        row("none: missing field") << Method::Post << "/score/regteacher.php"
                                   << Fields{{"username", "newone"}, {"teachername", "x"}}
                                   << "请求缺少字段：password"
                                   << "newone"
                                   << "refused";
        row("none: no account") << Method::Get << "/version.php" << Fields{{"s", "Selvane"}}
                                << "Selvane:" + programVersionText() << ""
                                << "ok";
    }
    void checks()
    {
        QFETCH(Method, method);
        QFETCH(QString, path);
        QFETCH(Fields, fields);
        QFETCH(QString, reply);
        QFETCH(QString, account);
        QFETCH(QString, outcome);
        ServiceRig rig;
        addTeacher(rig);
        const PageReply r = rig.send(method, path, fields);
        QCOMPARE(r.status, 200);
        QCOMPARE(textOf(r), reply);
        QCOMPARE(r.account, account);
        QCOMPARE(r.outcome, outcome);
    }

    void lockOut_data()
    {
        QTest::addColumn<QString>("failPath");
        QTest::addColumn<Method>("failMethod");
        QTest::addColumn<Fields>("failFields");
        QTest::addColumn<QString>("wrongText");
        QTest::addColumn<QString>("rightPath");
        QTest::addColumn<Method>("rightMethod");
        QTest::addColumn<Fields>("rightFields");
        const QString checkPassword = "/score/checkpassword.php";
        const QString record = "/score/record.php";
        const QString setKeti = "/score/setketi.php";
        QTest::newRow("login password") << checkPassword << Method::Post << login("bad") << kWrongLogin
                                        << checkPassword << Method::Post << login("login");
        QTest::newRow("digest") << record << Method::Get << digest(Md5Hex("bad")) << kWrongLogin << record
                                << Method::Get << digest(kDigest);
        // The digest stands for the login password: one count for both.
        QTest::newRow("digest locks the login password")
            << record << Method::Get << digest(Md5Hex("bad")) << kWrongLogin << checkPassword << Method::Post
            << login("login");
        QTest::newRow("operation password") << setKeti << Method::Post << operation("bad") << kWrongOperation
                                            << setKeti << Method::Post << operation("oper");
        QTest::newRow("operation through the settings page")
            << "/score/setteacher.php" << Method::Post
            << Fields{{"username", "keeper"},
                      {"email", "k@example.org"},
                      {"oldsuperpassword", "bad"},
                      {"newlogpassword", ""},
                      {"newsuperpassword", ""}}
            << kWrongOperation << setKeti << Method::Post << operation("oper");
    }
    void lockOut()
    {
        QFETCH(QString, failPath);
        QFETCH(Method, failMethod);
        QFETCH(Fields, failFields);
        QFETCH(QString, wrongText);
        QFETCH(QString, rightPath);
        QFETCH(Method, rightMethod);
        QFETCH(Fields, rightFields);
        ServiceRig rig;
        addTeacher(rig);
        for (int i = 1; i < 5; ++i)
            QCOMPARE(textOf(rig.send(failMethod, failPath, failFields)), wrongText);
        QCOMPARE(textOf(rig.send(failMethod, failPath, failFields)), kLocked);
        // Locked: the right secret is refused too, and the page does not run.
        const PageReply locked = rig.send(rightMethod, rightPath, rightFields);
        QCOMPARE(textOf(locked), kLocked);
        QCOMPARE(locked.outcome, QStringLiteral("refused"));
        QCOMPARE(locked.account, QStringLiteral("keeper"));
        QVERIFY(!rig.service.recordFile(*rig.store->teacherByAccount("keeper")).contains("甲"));
        rig.advance(599);
        QCOMPARE(textOf(rig.send(rightMethod, rightPath, rightFields)), kLocked);
        rig.advance(1);
        const PageReply open = rig.send(rightMethod, rightPath, rightFields);
        QCOMPARE(open.outcome, QStringLiteral("ok"));
        QCOMPARE(open.account, QStringLiteral("keeper"));
    }

    // A stranger's wrong passwords lock the stranger's address out of the account, not the
    // teacher elsewhere, for the tool's pages and the web sign-in alike; many addresses
    // together pause the account's checks for a minute at a time.
    void lockOutPerAddress()
    {
        ServiceRig rig;
        addTeacher(rig);
        const auto from = [&](const QString &address, PageRequest request) {
            request.clientAddress = address;
            const PageReply reply = server::dispatch(rig.service, request);
            return textOf(reply) + QString::fromUtf8(reply.body);
        };
        const auto check = [&](const QString &address, const QString &password) {
            return from(address, test::postRequest("/score/checkpassword.php", login(password)));
        };
        const QString stranger = "203.0.113.9", teacher = "198.51.100.7";
        for (int i = 1; i < 5; ++i)
            QVERIFY(check(stranger, "bad").contains(kWrongLogin));
        QVERIFY(check(stranger, "bad").contains(kLocked));
        QVERIFY(check(stranger, "login").contains(kLocked));
        QVERIFY(from(stranger, test::fromOwnPage(test::postRequest("/score/", login("login")))).contains(kLocked));
        QVERIFY(check(teacher, "login").startsWith(kOk));
        QVERIFY(from(teacher, test::getRequest("/score/getteacher.php", digest(kDigest))).startsWith("守门老师"));
        PageRequest webSignIn = test::fromOwnPage(test::postRequest("/score/", login("login")));
        webSignIn.clientAddress = teacher;
        QCOMPARE(server::dispatch(rig.service, webSignIn).status, 303);
        // Twenty failures from five addresses: none is locked, the account pauses.
        for (int a = 0; a < 5; ++a) {
            for (int i = 0; i < 4; ++i)
                check(QStringLiteral("192.0.2.%1").arg(a), "bad");
        }
        // (The teacher's address signed in before: the pause does not hold it.)
        const QString elsewhere = "198.51.100.8";
        QVERIFY(check(elsewhere, "login").contains(kPaused));
        QVERIFY(check("192.0.2.1", "login").contains(kPaused));
        rig.advance(60);
        QVERIFY(check(elsewhere, "login").startsWith(kOk));
        QVERIFY(check(stranger, "login").contains(kLocked)); // its own ten minutes still run
    }

    // The pause of the account's checks holds strangers only: an address that signed in to the
    // account within thirty days keeps working (its own count still locks it).
    void pauseSparesKnownAddresses_data()
    {
        QTest::addColumn<qint64>("signedInAgo"); // seconds before the pause; -1: never
        QTest::addColumn<bool>("held");
        QTest::newRow("never signed in") << qint64(-1) << true;
        QTest::newRow("just now") << qint64(0) << false;
        QTest::newRow("29 days ago") << qint64(29 * 86400) << false;
        QTest::newRow("31 days ago") << qint64(31 * 86400) << true;
    }
    void pauseSparesKnownAddresses()
    {
        QFETCH(qint64, signedInAgo);
        QFETCH(bool, held);
        ServiceRig rig;
        addTeacher(rig);
        const auto check = [&](const QString &address, PageRequest request) {
            request.clientAddress = address;
            return textOf(server::dispatch(rig.service, request));
        };
        const QString teacher = "198.51.100.7";
        if (signedInAgo >= 0) {
            QCOMPARE(check(teacher, test::postRequest("/score/checkpassword.php", login("login"))), kOk);
            rig.advance(signedInAgo);
        }
        for (int i = 0; i < ScoreService::kAccountFailures; ++i)
            check(QStringLiteral("192.0.2.%1").arg(i % 5), test::postRequest("/score/checkpassword.php", login("bad")));
        QCOMPARE(check("192.0.2.99", test::postRequest("/score/checkpassword.php", login("login"))), kPaused);
        QCOMPARE(check(teacher, test::postRequest("/score/checkpassword.php", login("login"))) == kPaused, held);
        QCOMPARE(check(teacher, test::getRequest("/score/getteacher.php", digest(kDigest))) == kPaused, held);
        if (held)
            return;
        QCOMPARE(check("192.0.2.99", test::postRequest("/score/checkpassword.php", login("login"))), kPaused);
        // Not held by the pause, but by its own count.
        for (int i = 1; i < 5; ++i)
            QCOMPARE(check(teacher, test::postRequest("/score/checkpassword.php", login("bad"))), kWrongLogin);
        QCOMPARE(check(teacher, test::postRequest("/score/checkpassword.php", login("bad"))), kLocked);
    }

    // The store keeps no form of the login password that a page takes, so a copy of the
    // database signs no one in; a row from before is hashed at its first right use.
    void loginVerifierAtRest()
    {
        ServiceRig rig;
        QVERIFY2(rig.store, qPrintable(rig.error));
        QCOMPARE(textOf(rig.post("/score/regteacher.php", {{"username", "fresh"},
                                                           {"teachername", "新老师"},
                                                           {"password", "login"},
                                                           {"superpassword", "oper"},
                                                           {"email", "f@example.org"}})),
                 kOk);
        const QString stored = rig.store->teacherByAccount("fresh")->loginVerifier;
        QVERIFY2(stored.startsWith("pbkdf2-sha256$") && !stored.contains(kDigest), qPrintable(stored));
        QCOMPARE(textOf(rig.get("/score/getteacher.php", {{"t", "fresh"}, {"mp", kDigest}})).section(u'\r', 0, 0),
                 QStringLiteral("新老师"));
        QCOMPARE(textOf(rig.get("/score/getteacher.php", {{"t", "fresh"}, {"mp", stored}})), kWrongLogin);

        Teacher elder;
        elder.account = "elder";
        elder.name = "老教师";
        elder.email = "e@example.org";
        elder.loginVerifier = kDigest; // as rows were stored before
        elder.operationHash = hashOperationPassword("oper");
        QCOMPARE(rig.store->createTeacher(elder), StoreResult::Done);
        QCOMPARE(textOf(rig.post("/score/checkpassword.php", {{"username", "elder"}, {"password", "bad"}})),
                 kWrongLogin);
        QCOMPARE(rig.store->teacherByAccount("elder")->loginVerifier, kDigest);
        QCOMPARE(textOf(rig.get("/score/getteacher.php", {{"t", "elder"}, {"mp", kDigest}})).section(u'\r', 0, 0),
                 QStringLiteral("老教师"));
        const QString migrated = rig.store->teacherByAccount("elder")->loginVerifier;
        QVERIFY2(migrated.startsWith("pbkdf2-sha256$") && !migrated.contains(kDigest), qPrintable(migrated));
        // Another process, which has verified nothing yet, takes both forms of the password.
        ServiceRig other(rig.database);
        QCOMPARE(textOf(other.post("/score/checkpassword.php", {{"username", "elder"}, {"password", "login"}})), kOk);
        QCOMPARE(textOf(other.get("/score/getteacher.php", {{"t", "elder"}, {"mp", kDigest}})).section(u'\r', 0, 0),
                 QStringLiteral("老教师"));
        QCOMPARE(textOf(other.post("/score/checkpassword.php", {{"username", "elder"}, {"password", "bad"}})),
                 kWrongLogin);
        QCOMPARE(rig.store->teacherByAccount("elder")->loginVerifier, migrated);
    }

    void otherSecretStaysOpen()
    {
        ServiceRig rig;
        addTeacher(rig);
        for (int i = 0; i < 5; ++i)
            rig.post("/score/setketi.php", operation("bad"));
        QCOMPARE(textOf(rig.post("/score/checkpassword.php", login("login"))), kOk);
        QCOMPARE(textOf(rig.get("/score/getteacher.php", digest(kDigest))).section(u'\r', 0, 0),
                 QStringLiteral("守门老师"));
    }

    void signInPageShowsARefusal_data()
    {
        QTest::addColumn<Method>("method");
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no account: the form") << Method::Get << Fields{} << "<form";
        QTest::newRow("wrong digest") << Method::Get << digest("0") << kWrongLogin;
        QTest::newRow("wrong password") << Method::Post << login("x") << kWrongLogin;
        QTest::newRow("recent scores") << Method::Get << digest(kDigest) << "守门老师";
    }
    void signInPageShowsARefusal()
    {
        QFETCH(Method, method);
        QFETCH(Fields, fields);
        QFETCH(QString, shown);
        ServiceRig rig;
        addTeacher(rig);
        const PageReply r = rig.send(method, "/score/", fields);
        QCOMPARE(r.status, 200);
        QVERIFY(r.contentType.startsWith("text/html"));
        QVERIFY2(QString::fromUtf8(r.body).contains(shown), r.body.constData());
    }

    // What the class record file or a GBK reply could not carry back is refused where it
    // enters, with the page's refusal text; what it can carry is taken.
    void entryRefusals_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<QString>("reply");
        QStringList manyClasses;
        for (int i = 0; i <= server::kMaxClasses; ++i)
            manyClasses.append(QString::number(i));
        QTest::newRow("class list marker as a class")
            << "/score/setclass.php" << operation("oper", {{"class", "1|Class_Is_Ready"}})
            << "名称含有不允许的字符：Class_Is_Ready";
        QTest::newRow("topic marker as a class")
            << "/score/setclass.php" << operation("oper", {{"class", "[keti]x"}})
            << "名称含有不允许的字符：[keti]x";
        QTest::newRow("too many classes")
            << "/score/setclass.php" << operation("oper", {{"class", manyClasses.join(u'|')}})
            << "名单太长：最多 500 项，收到 501 项！";
        QTest::newRow("500 classes are fine")
            << "/score/setclass.php" << operation("oper", {{"class", manyClasses.mid(1).join(u'|')}}) << kOk;
        QTest::newRow("huge score") << "/score/index.php"
                                    << operation("oper",
                                                 {{"keti", "甲"},
                                                  {"score", "1\t张三\t1e308分\t2026-03-05 09:00:00\t"}})
                                    << "第1行分数不正确：1e308分";
        QTest::newRow("operation password with blanks")
            << "/score/setclass.php" << operation("  oper ", {{"class", "1"}}) << kOk;
    }
    void entryRefusals()
    {
        QFETCH(QString, path);
        QFETCH(Fields, fields);
        QFETCH(QString, reply);
        ServiceRig rig;
        addTeacher(rig);
        QCOMPARE(textOf(rig.post(path, fields)), reply);
    }

    // Every name and text the tool reads back is bounded where it enters; the refusal names
    // the limit and does not echo the text. (One teacher for every row.)
    void namesAndTextsBounded_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<QString>("reply");
        const QString name51(51, QChar(u'名')), scale201(201, QChar(u'标')), note1001(1001, QChar(u'注'));
        QTest::newRow("long class") << "/score/setclass.php" << operation("oper", {{"class", "1|" + name51}})
                                    << "名称太长：最多 50 个字，收到 51 个字！";
        QTest::newRow("class of 50") << "/score/setclass.php" << operation("oper", {{"class", name51.left(50)}})
                                     << kOk;
        QTest::newRow("long student") << "/score/student.php"
                                      << operation("oper", {{"class", "1"}, {"student", name51}})
                                      << "名称太长：最多 50 个字，收到 51 个字！";
        QTest::newRow("long topic") << "/score/setketi.php" << operation("oper", {{"keti", name51}})
                                    << "名称太长：最多 50 个字，收到 51 个字！";
        QTest::newRow("renamed too long")
            << "/score/renameclass.php" << operation("oper", {{"oldclassname", "1"}, {"newclassname", name51}})
            << "名称太长：最多 50 个字，收到 51 个字！";
        QTest::newRow("long student rename")
            << "/score/renamestudent.php"
            << operation("oper", {{"oldstuname", "a"}, {"newstuname", name51}, {"class", "1"}})
            << "名称太长：最多 50 个字，收到 51 个字！";
        QTest::newRow("long topic rename")
            << "/score/renameketi.php" << operation("oper", {{"oldketi", "a"}, {"newketi", name51}})
            << "名称太长：最多 50 个字，收到 51 个字！";
        QTest::newRow("long scale") << "/score/newscale.php"
                                    << operation("oper", {{"keti", "甲"}, {"newscale", scale201}, {"newscore", "1"}})
                                    << "评分标准太长：最多 200 个字，收到 201 个字！";
        QTest::newRow("scale of 200 passes the length")
            << "/score/newscale.php"
            << operation("oper", {{"keti", "无"}, {"newscale", scale201.left(200)}, {"newscore", "1"}})
            << "课题不存在：无";
        QTest::newRow("long scale edit")
            << "/score/editscale.php" << operation("oper", {{"scaleid", "1"}, {"scale", scale201}, {"score", "1"}})
            << "评分标准太长：最多 200 个字，收到 201 个字！";
        QTest::newRow("long upload topic")
            << "/score/index.php"
            << operation("oper", {{"keti", name51}, {"score", "1\t张三\t1\t2026-03-05 09:00:00\t"}})
            << "课题太长：最多 50 个字，收到 51 个字！";
        QTest::newRow("long upload note")
            << "/score/index.php"
            << operation("oper",
                         {{"keti", "甲"},
                          {"score", "1\t张三\t1\t2026-03-05 09:00:00\t|1\t张三\t1\t2026-03-05 09:00:00\t" +
                                        note1001}})
            << "第2行说明太长：最多 1000 个字，收到 1001 个字！";
        QTest::newRow("upload note of 1000 passes the length")
            << "/score/index.php"
            << operation("oper", {{"keti", "甲"}, {"score", "1\t张三\t1\t2026-03-05 09:00:00\t" + note1001.left(1000)}})
            << "班级不存在：1";
        QTest::newRow("long score topic")
            << "/score/editscore.php"
            << operation("oper", {{"scoreid", "1"}, {"score", "1"}, {"time", "1772672400"}, {"keti", name51},
                                  {"addtion", ""}})
            << "课题太长：最多 50 个字，收到 51 个字！";
        QTest::newRow("long score note")
            << "/score/editscore.php"
            << operation("oper", {{"scoreid", "1"}, {"score", "1"}, {"time", "1772672400"}, {"keti", "甲"},
                                  {"addtion", note1001}})
            << "说明太长：最多 1000 个字，收到 1001 个字！";
    }
    void namesAndTextsBounded()
    {
        QFETCH(QString, path);
        QFETCH(Fields, fields);
        QFETCH(QString, reply);
        if (!m_boundsRig) {
            m_boundsRig = std::make_unique<ServiceRig>();
            addTeacher(*m_boundsRig);
        }
        QCOMPARE(textOf(m_boundsRig->post(path, fields)), reply);
    }

    // A class holds at most so many scores (5 here): an upload that would cross it is refused
    // whole, naming the class; room made by deleting scores is found again.
    void classScoreLimit()
    {
        ServiceRig rig;
        addTeacher(rig);
        rig.service.scoreLimit().setLimit(5);
        QCOMPARE(textOf(rig.post("/score/setclass.php", operation("oper", {{"class", "一班|二班"}}))), kOk);
        for (const char *className : {"一班", "二班"})
            QCOMPARE(textOf(rig.post("/score/student.php",
                                     operation("oper", {{"class", className}, {"student", "张三|李四"}}))),
                     kOk);
        int minute = 0;
        const auto upload = [&](const QString &className, int count) {
            QStringList lines;
            for (int i = 0; i < count; ++i)
                lines.append(QStringLiteral("%1\t张三\t3\t2026-03-05 08:%2:00\t")
                                 .arg(className)
                                 .arg(minute++, 2, 10, QLatin1Char('0')));
            return textOf(rig.post("/score/index.php",
                                   operation("oper", {{"keti", "甲"}, {"score", lines.join(u'|')}})));
        };
        const QString full = QStringLiteral("班级的计分太多：一班 最多 5 条，请先删除旧的计分！");
        QCOMPARE(upload("一班", 3), kOk);
        QCOMPARE(upload("一班", 3), full);
        QCOMPARE(upload("二班", 3), kOk);
        QCOMPARE(upload("一班", 2), kOk);
        QCOMPARE(upload("一班", 1), full);
        const QStringList stored =
            textOf(rig.get("/score/getscore.php", {{"class", "一班"}, {"t", "keeper"}, {"mp", kDigest}}))
                .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(stored.size(), 5);
        const QString ids = stored[0].section(u'\t', 0, 0) + u'|' + stored[1].section(u'\t', 0, 0);
        QCOMPARE(
            textOf(rig.post("/score/delscore.php", operation("oper", {{"class", "一班"}, {"delid", ids}}))),
            kOk);
        QCOMPARE(upload("一班", 2), kOk);
        QCOMPARE(upload("一班", 1), full);
    }

    // Bytes that are no GBK would be stored, then written back as "?": refused.
    void notGbkIsRefused()
    {
        ServiceRig rig;
        addTeacher(rig);
        const auto request = server::decodeRequest(server::Method::Post, "/score/setketi.php", {},
                                                   "username=keeper&password=oper&keti=ab%81%30");
        QVERIFY(textOf(server::dispatch(rig.service, request))
                    .startsWith(QStringLiteral("名称含有不允许的字符")));
    }
};

QTEST_GUILESS_MAIN(TestServerRoutes)
#include "tst_ServerRoutes.moc"
