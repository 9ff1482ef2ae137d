#include "ScoreService.h"

#include "HtmlPages.h"
#include "RecordFile.h"

#include "core/AppConfig.h"
#include "core/TextCodec.h"
#include "net/Wire.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>

namespace corvanta::server {

namespace {

const QString kWrongLogin = QStringLiteral("用户名或密码错误！");
const QString kWrongOperation = QStringLiteral("用户名或操作密码错误！");
const QString kLocked = QStringLiteral("密码错误次数过多，帐号已锁定10分钟，请稍后再试！");
const QString kSuccess = QStringLiteral("Success!");
const QString kSuccessWord = QStringLiteral("success");
const QString kFailureWord = QStringLiteral("failure");
const QString kFree = QStringLiteral("√");

enum ListKind { Classes, Students, Topics };

QString lockKey(const char *kind, const Teacher &teacher)
{
    return QLatin1String(kind) + u':' + QString::number(teacher.id);
}

PageReply refused(const QString &text, const QString &account = {})
{
    PageReply reply = PageReply::text(text, QStringLiteral("refused"));
    reply.account = account;
    return reply;
}

PageReply accepted(const QString &account, const QString &word = kSuccess)
{
    PageReply reply = PageReply::text(word);
    reply.account = account;
    return reply;
}

bool validAccountName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9_]{4,64}$"));
    return pattern.match(name).hasMatch();
}

bool validEmail(const QString &email)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\w+([\-+.]\w+)*@\w+([\-.]\w+)*\.\w+([\-.]\w+)*$)"));
    return email.size() <= 254 && pattern.match(email).hasMatch();
}

// Names of a list field: pieces in order, the first of equal names kept.
QStringList uniqueNames(const QString &value)
{
    QStringList out;
    QSet<QString> seen;
    for (const QString &name : splitList(value)) {
        if (!seen.contains(name)) {
            seen.insert(name);
            out.append(name);
        }
    }
    return out;
}

QString checkCodeHash(const QString &code)
{
    return QString::fromLatin1(QCryptographicHash::hash(code.toUtf8(), QCryptographicHash::Sha256).toHex());
}

QString scoreLine(const ScoreRecord &r)
{
    const QString tab = QStringLiteral("\t");
    return QString::number(r.id) + tab + r.student + tab + shortestDecimal(r.score) + tab +
           SecondsToDateText(r.time) + tab + r.topic + tab + r.note;
}

} // namespace

PageReply PageReply::text(const QString &text, const QString &outcome)
{
    PageReply reply;
    reply.contentType = "text/plain; charset=GBK";
    reply.body = toGbk(text);
    reply.outcome = outcome;
    return reply;
}

PageReply PageReply::html(const QString &html)
{
    PageReply reply;
    reply.contentType = "text/html; charset=utf-8";
    reply.body = html.toUtf8();
    return reply;
}

PageReply PageReply::notFound()
{
    PageReply reply = text(QStringLiteral("页面不存在"), QStringLiteral("not found"));
    reply.status = 404;
    return reply;
}

ScoreService::ScoreService(Store &store, Mailer &mailer, const Clock &clock, QString mailFrom)
    : m_store(store), m_mailer(mailer), m_clock(clock), m_mailFrom(std::move(mailFrom)),
      m_limiter(store, clock)
{
}

qint64 ScoreService::now() const
{
    return m_clock.now().toSecsSinceEpoch();
}

std::optional<PageReply> ScoreService::missing(const PageRequest &request,
                                               std::initializer_list<const char *> names) const
{
    for (const char *name : names) {
        if (!request.fields.has(QLatin1String(name)))
            return refused(QStringLiteral("请求缺少字段：") + QLatin1String(name),
                           request.fields.value(QStringLiteral("username")));
    }
    return std::nullopt;
}

// --- credentials ---

std::optional<Teacher> ScoreService::operationAuth(const PageRequest &request, PageReply *refusal)
{
    const QString account = request.fields.value(QStringLiteral("username"));
    const QString password = request.fields.value(QStringLiteral("password"));
    const std::optional<Teacher> teacher = m_store.teacherByAccount(account);
    if (!teacher || password.isEmpty()) {
        *refusal = refused(kWrongOperation, account);
        return std::nullopt;
    }
    const QString key = lockKey("operation", *teacher);
    if (m_limiter.isLocked(key)) {
        *refusal = refused(kLocked, account);
        return std::nullopt;
    }
    if (!m_verified.verify(password, teacher->operationHash)) {
        m_limiter.recordFailure(key);
        *refusal = refused(m_limiter.isLocked(key) ? kLocked : kWrongOperation, account);
        return std::nullopt;
    }
    m_limiter.recordSuccess(key);
    return teacher;
}

std::optional<Teacher> ScoreService::loginAuth(const QString &account, const QString &password,
                                               PageReply *refusal)
{
    const std::optional<Teacher> teacher = m_store.teacherByAccount(account);
    if (!teacher || password.trimmed().isEmpty()) {
        *refusal = refused(kWrongLogin, account);
        return std::nullopt;
    }
    const QString key = lockKey("login", *teacher);
    if (m_limiter.isLocked(key)) {
        *refusal = refused(kLocked, account);
        return std::nullopt;
    }
    if (Md5Hex(password) != teacher->loginVerifier) {
        m_limiter.recordFailure(key);
        *refusal = refused(m_limiter.isLocked(key) ? kLocked : kWrongLogin, account);
        return std::nullopt;
    }
    m_limiter.recordSuccess(key);
    return teacher;
}

std::optional<Teacher> ScoreService::digestAuth(const PageRequest &request, PageReply *refusal)
{
    const QString account = request.fields.value(QStringLiteral("t"));
    const QString digest = request.fields.value(QStringLiteral("mp")).trimmed().toLower();
    const std::optional<Teacher> teacher = m_store.teacherByAccount(account);
    if (!teacher || digest.isEmpty()) {
        *refusal = refused(kWrongLogin, account);
        return std::nullopt;
    }
    // The digest stands for the login password, so it shares that password's failure count.
    const QString key = lockKey("login", *teacher);
    if (m_limiter.isLocked(key)) {
        *refusal = refused(kLocked, account);
        return std::nullopt;
    }
    if (digest != teacher->loginVerifier) {
        m_limiter.recordFailure(key);
        *refusal = refused(m_limiter.isLocked(key) ? kLocked : kWrongLogin, account);
        return std::nullopt;
    }
    m_limiter.recordSuccess(key);
    return teacher;
}

// --- login, record file, clock ---

PageReply ScoreService::checkPassword(const PageRequest &request)
{
    if (auto m = missing(request, {"username", "password"}))
        return *m;
    const QString account = request.fields.value(QStringLiteral("username"));
    PageReply refusal;
    if (!loginAuth(account, request.fields.value(QStringLiteral("password")), &refusal))
        return refusal;
    return accepted(account);
}

PageReply ScoreService::record(const PageRequest &request)
{
    PageReply refusal;
    const std::optional<Teacher> teacher = digestAuth(request, &refusal);
    if (!teacher)
        return refusal;
    auto cached = m_recordCache.constFind(teacher->id);
    QByteArray file;
    if (cached != m_recordCache.cend() && cached->first == teacher->dataVersion) {
        file = cached->second;
    } else {
        file = writeRecordFile(m_store.recordData(teacher->id));
        if (m_recordCache.size() > 512)
            m_recordCache.clear();
        m_recordCache.insert(teacher->id, {teacher->dataVersion, file});
    }
    PageReply reply;
    reply.contentType = "text/plain; charset=GBK";
    reply.body = file;
    reply.account = teacher->account;
    return reply;
}

PageReply ScoreService::serverTime(const PageRequest &)
{
    return PageReply::text(QString::number(now()));
}

// --- scores ---

PageReply ScoreService::upload(const PageRequest &request)
{
    if (auto m = missing(request, {"username", "password", "keti", "score"}))
        return *m;
    PageReply refusal;
    const std::optional<Teacher> teacher = operationAuth(request, &refusal);
    if (!teacher)
        return refusal;
    const QString account = teacher->account;
    const QString topic = request.fields.value(QStringLiteral("keti"));
    if (!isStorableText(topic))
        return refused(QStringLiteral("课题含有不允许的字符！"), account);

    QList<ScoreRecord> scores;
    const QStringList lines = splitList(request.fields.value(QStringLiteral("score")));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        while (line.endsWith(u'\r') || line.endsWith(u'\n'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        QStringList fields = line.split(u'\t');
        if (fields.size() == 4)
            fields.append(QString()); // the standard may be cut off with its TAB
        const QString lineNo = QString::number(i + 1);
        if (fields.size() != 5 || !isStorableText(fields[4]))
            return refused(QStringLiteral("第%1行格式不正确：").arg(lineNo) + line, account);
        ScoreRecord s;
        s.className = fields[0];
        s.student = fields[1];
        s.score = leadingNumber(fields[2]);
        s.time = DateTextToSeconds(fields[3]);
        s.topic = topic;
        s.note = fields[4];
        if (s.time == 0)
            return refused(QStringLiteral("第%1行时间不正确：").arg(lineNo) + fields[3], account);
        scores.append(s);
    }
    if (scores.isEmpty())
        return refused(QStringLiteral("没有要上传的计分！"), account);
    const AddScoresResult result = m_store.addScores(teacher->id, scores);
    if (result.result != StoreResult::Done) {
        const ScoreRecord &bad = scores[result.failedIndex];
        if (result.unknownClass)
            return refused(QStringLiteral("班级不存在：") + bad.className, account);
        return refused(QStringLiteral("学生不存在：") + bad.className + QStringLiteral(" ") + bad.student,
                       account);
    }
    return accepted(account);
}

PageReply ScoreService::getScore(const PageRequest &request)
{
    PageReply refusal;
    const std::optional<Teacher> teacher = digestAuth(request, &refusal);
    if (!teacher)
        return refusal;
    const auto records = m_store.scoresOfClass(teacher->id, request.fields.value(QStringLiteral("class")));
    QStringList lines;
    if (records) {
        for (const ScoreRecord &r : *records)
            lines.append(scoreLine(r));
    }
    PageReply reply = PageReply::text(lines.join(QStringLiteral("\r\n")));
    reply.account = teacher->account;
    return reply;
}

PageReply ScoreService::editScore(const PageRequest &request)
{
    if (auto m = missing(request, {"username", "password", "scoreid", "score", "time", "keti", "addtion"}))
        return *m;
    PageReply refusal;
    const std::optional<Teacher> teacher = operationAuth(request, &refusal);
    if (!teacher)
        return refusal;
    ScoreRecord record;
    bool ok = false;
    record.id = request.fields.value(QStringLiteral("scoreid")).trimmed().toLongLong(&ok);
    if (!ok)
        return refused(QStringLiteral("计分记录不存在！"), teacher->account);
    record.score = leadingNumber(request.fields.value(QStringLiteral("score")));
    record.time = request.fields.value(QStringLiteral("time")).trimmed().toLongLong(&ok);
    // Time 0 is what the tool sends for a text that is not a date.
    if (!ok || record.time <= 0)
        return refused(QStringLiteral("时间不正确！"), teacher->account);
    record.topic = request.fields.value(QStringLiteral("keti"));
    record.note = request.fields.value(QStringLiteral("addtion"));
    if (!isStorableText(record.topic) || !isStorableText(record.note))
        return refused(QStringLiteral("课题或说明含有不允许的字符！"), teacher->account);
    switch (m_store.editScore(teacher->id, record)) {
    case StoreResult::Done:
        return accepted(teacher->account);
    case StoreResult::Duplicate:
        return refused(QStringLiteral("与已有的计分记录相同！"), teacher->account);
    default:
        return refused(QStringLiteral("计分记录不存在！"), teacher->account);
    }
}

PageReply ScoreService::delScore(const PageRequest &request)
{
    if (auto m = missing(request, {"username", "password", "delid"}))
        return *m;
    PageReply refusal;
    const std::optional<Teacher> teacher = operationAuth(request, &refusal);
    if (!teacher)
        return refusal;
    QList<qint64> ids;
    if (!splitIds(request.fields.value(QStringLiteral("delid")), &ids))
        return refused(QStringLiteral("记录编号不正确！"), teacher->account);
    if (!ids.isEmpty())
        m_store.deleteScores(teacher->id, ids);
    return accepted(teacher->account);
}

PageReply ScoreService::group(const PageRequest &request)
{
    if (auto m = missing(request, {"class", "username", "password"}))
        return *m;
    PageReply refusal;
    const std::optional<Teacher> teacher = operationAuth(request, &refusal);
    if (!teacher)
        return refusal;
    const QString className = request.fields.value(QStringLiteral("class"));
    const auto students = m_store.students(teacher->id, className);
    if (!students)
        return refused(QStringLiteral("班级不存在：") + className, teacher->account);
    QSet<QString> known;
    for (const auto &s : *students)
        known.insert(s.first);
    QList<QPair<QString, int>> groups;
    for (int g = 0; g < 16; ++g) {
        for (const QString &name : splitList(request.fields.value(QStringLiteral("group[%1]").arg(g)))) {
            if (!known.contains(name))
                return refused(QStringLiteral("学生不在本班：") + name, teacher->account);
            groups.append({name, g});
        }
    }
    if (m_store.setGroups(teacher->id, className, groups) != StoreResult::Done)
        return refused(QStringLiteral("班级不存在：") + className, teacher->account);
    return accepted(teacher->account);
}

// --- teacher ---

PageReply ScoreService::getTeacher(const PageRequest &request)
{
    PageReply refusal;
    const std::optional<Teacher> teacher = digestAuth(request, &refusal);
    if (!teacher)
        return refusal;
    PageReply reply = PageReply::text(teacher->name + QStringLiteral("\r\n") + teacher->account +
                                      QStringLiteral("\r\n") + teacher->email);
    reply.account = teacher->account;
    return reply;
}

PageReply ScoreService::setTeacher(const PageRequest &request)
{
    if (auto m =
            missing(request, {"username", "email", "oldsuperpassword", "newlogpassword", "newsuperpassword"}))
        return *m;
    PageRequest check = request;
    check.fields =
        FieldMap({{QStringLiteral("username"), request.fields.value(QStringLiteral("username"))},
                  {QStringLiteral("password"), request.fields.value(QStringLiteral("oldsuperpassword"))}});
    PageReply refusal;
    const std::optional<Teacher> teacher = operationAuth(check, &refusal);
    if (!teacher)
        return refusal;
    const QString email = request.fields.value(QStringLiteral("email")).trimmed();
    if (!validEmail(email))
        return refused(QStringLiteral("Email地址不正确！"), teacher->account);
    const QString newLogin = request.fields.value(QStringLiteral("newlogpassword")).trimmed();
    const QString newOperation = request.fields.value(QStringLiteral("newsuperpassword")).trimmed();
    m_store.updateTeacher(
        teacher->id, email, newLogin.isEmpty() ? std::nullopt : std::optional(Md5Hex(newLogin)),
        newOperation.isEmpty() ? std::nullopt : std::optional(hashOperationPassword(newOperation)));
    return accepted(teacher->account);
}

// --- classes, students, topics ---

PageReply ScoreService::listReplace(const PageRequest &request, const QString &listField, int kind)
{
    PageReply refusal;
    const std::optional<Teacher> teacher = operationAuth(request, &refusal);
    if (!teacher)
        return refusal;
    const QStringList names = uniqueNames(request.fields.value(listField));
    for (const QString &name : names) {
        if (!isStorableName(name))
            return refused(QStringLiteral("名称含有不允许的字符：") + name, teacher->account);
    }
    if (kind == Classes) {
        m_store.replaceClasses(teacher->id, names);
    } else if (kind == Topics) {
        m_store.replaceTopics(teacher->id, names);
    } else {
        const QString className = request.fields.value(QStringLiteral("class"));
        if (m_store.replaceStudents(teacher->id, className, names) != StoreResult::Done)
            return refused(QStringLiteral("班级不存在：") + className, teacher->account);
    }
    return accepted(teacher->account);
}

PageReply ScoreService::rename(const PageRequest &request, const QString &oldField, const QString &newField,
                               int kind)
{
    PageReply refusal;
    const std::optional<Teacher> teacher = operationAuth(request, &refusal);
    if (!teacher)
        return refusal;
    const QString from = request.fields.value(oldField);
    const QString to = request.fields.value(newField);
    if (to.isEmpty())
        return refused(QStringLiteral("新名称不能为空！"), teacher->account);
    if (!isStorableName(to))
        return refused(QStringLiteral("名称含有不允许的字符：") + to, teacher->account);
    StoreResult result = StoreResult::NotFound;
    QString notFound;
    if (kind == Classes) {
        result = m_store.renameClass(teacher->id, from, to);
        notFound = QStringLiteral("班级不存在：") + from;
    } else if (kind == Topics) {
        result = m_store.renameTopic(teacher->id, from, to);
        notFound = QStringLiteral("课题不存在：") + from;
    } else {
        const QString className = request.fields.value(QStringLiteral("class"));
        result = m_store.renameStudent(teacher->id, className, from, to);
        notFound = QStringLiteral("学生不存在：") + className + QStringLiteral(" ") + from;
    }
    switch (result) {
    case StoreResult::Done:
        return accepted(teacher->account);
    case StoreResult::NameTaken:
        return refused(QStringLiteral("名称已被使用：") + to, teacher->account);
    default:
        return refused(notFound, teacher->account);
    }
}

PageReply ScoreService::setClass(const PageRequest &request)
{
    if (auto m = missing(request, {"username", "password", "class"}))
        return *m;
    return listReplace(request, QStringLiteral("class"), Classes);
}

PageReply ScoreService::renameClass(const PageRequest &request)
{
    if (auto m = missing(request, {"username", "password", "oldclassname", "newclassname"}))
        return *m;
    return rename(request, QStringLiteral("oldclassname"), QStringLiteral("newclassname"), Classes);
}

PageReply ScoreService::student(const PageRequest &request)
{
    if (auto m = missing(request, {"username", "password", "class", "student"}))
        return *m;
    return listReplace(request, QStringLiteral("student"), Students);
}

PageReply ScoreService::renameStudent(const PageRequest &request)
{
    if (auto m = missing(request, {"username", "password", "oldstuname", "newstuname", "class"}))
        return *m;
    return rename(request, QStringLiteral("oldstuname"), QStringLiteral("newstuname"), Students);
}

PageReply ScoreService::setKeti(const PageRequest &request)
{
    if (auto m = missing(request, {"username", "password", "keti"}))
        return *m;
    return listReplace(request, QStringLiteral("keti"), Topics);
}

PageReply ScoreService::renameKeti(const PageRequest &request)
{
    if (auto m = missing(request, {"username", "password", "oldketi", "newketi"}))
        return *m;
    return rename(request, QStringLiteral("oldketi"), QStringLiteral("newketi"), Topics);
}

// --- scales ---

PageReply ScoreService::getScale(const PageRequest &request)
{
    PageReply refusal;
    const std::optional<Teacher> teacher = digestAuth(request, &refusal);
    if (!teacher)
        return refusal;
    QStringList lines;
    if (const auto scales = m_store.scales(teacher->id, request.fields.value(QStringLiteral("keti")))) {
        for (const Scale &s : *scales)
            lines.append(QString::number(s.id) + u'\t' + s.text + u'\t' + shortestDecimal(s.score));
    }
    PageReply reply = PageReply::text(lines.join(QStringLiteral("\r\n")));
    reply.account = teacher->account;
    return reply;
}

PageReply ScoreService::newScale(const PageRequest &request)
{
    if (auto m = missing(request, {"username", "password", "keti", "newscale", "newscore"}))
        return *m;
    PageReply refusal;
    const std::optional<Teacher> teacher = operationAuth(request, &refusal);
    if (!teacher)
        return refusal;
    const QStringList texts = request.fields.value(QStringLiteral("newscale")).split(u'\t');
    const QStringList scores = request.fields.value(QStringLiteral("newscore")).split(u'\t');
    QList<Scale> scales;
    for (qsizetype i = 0; i < qMax(texts.size(), scores.size()); ++i) {
        const QString text = i < texts.size() ? texts[i] : QString();
        const QString score = i < scores.size() ? scores[i] : QString();
        if (text.trimmed().isEmpty() && score.trimmed().isEmpty())
            continue;
        if (!isStorableText(text))
            return refused(QStringLiteral("评分标准含有不允许的字符：") + text, teacher->account);
        scales.append({0, text, leadingNumber(score)});
    }
    if (scales.isEmpty())
        return refused(QStringLiteral("至少填写一个标准或评分！"), teacher->account);
    const QString topic = request.fields.value(QStringLiteral("keti"));
    if (m_store.addScales(teacher->id, topic, scales) != StoreResult::Done)
        return refused(QStringLiteral("课题不存在：") + topic, teacher->account);
    return accepted(teacher->account);
}

PageReply ScoreService::editScale(const PageRequest &request)
{
    if (auto m = missing(request, {"username", "password", "scaleid", "scale", "score"}))
        return *m;
    PageReply refusal;
    const std::optional<Teacher> teacher = operationAuth(request, &refusal);
    if (!teacher)
        return refusal;
    bool ok = false;
    const qint64 id = request.fields.value(QStringLiteral("scaleid")).trimmed().toLongLong(&ok);
    const QString text = request.fields.value(QStringLiteral("scale"));
    if (!isStorableText(text))
        return refused(QStringLiteral("评分标准含有不允许的字符：") + text, teacher->account);
    if (!ok ||
        m_store.editScale(teacher->id, id, text,
                          leadingNumber(request.fields.value(QStringLiteral("score")))) != StoreResult::Done)
        return refused(QStringLiteral("评分标准不存在！"), teacher->account);
    return accepted(teacher->account);
}

PageReply ScoreService::delScale(const PageRequest &request)
{
    if (auto m = missing(request, {"username", "password", "delid"}))
        return *m;
    PageReply refusal;
    const std::optional<Teacher> teacher = operationAuth(request, &refusal);
    if (!teacher)
        return refusal;
    QList<qint64> ids;
    if (!splitIds(request.fields.value(QStringLiteral("delid")), &ids))
        return refused(QStringLiteral("记录编号不正确！"), teacher->account);
    if (!ids.isEmpty())
        m_store.deleteScales(teacher->id, ids);
    return accepted(teacher->account);
}

// --- accounts ---

bool ScoreService::addTeacher(const QString &account, const QString &name, const QString &loginPassword,
                              const QString &operationPassword, const QString &email)
{
    Teacher t;
    t.account = account;
    t.name = name;
    t.email = email;
    t.loginVerifier = Md5Hex(loginPassword);
    t.operationHash = hashOperationPassword(operationPassword.trimmed());
    return m_store.createTeacher(t) == StoreResult::Done;
}

PageReply ScoreService::regTeacher(const PageRequest &request)
{
    if (auto m = missing(request, {"username", "teachername", "password", "superpassword", "email"}))
        return *m;
    const auto field = [&](const char *name) { return request.fields.value(QLatin1String(name)).trimmed(); };
    const QString account = field("username");
    if (!validAccountName(account))
        return refused(QStringLiteral("帐号只能由字母、数字和下划线组成，至少4位！"), account);
    Teacher t;
    t.account = account;
    t.name = field("teachername");
    t.email = field("email");
    t.mobile = field("mb");
    t.phone = field("tel");
    t.qq = field("qq");
    if (t.name.isEmpty())
        return refused(QStringLiteral("请输入教师姓名！"), account);
    if (!validEmail(t.email))
        return refused(QStringLiteral("Email地址不正确！"), account);
    const QString login = field("password");
    const QString operation = field("superpassword");
    if (login.isEmpty())
        return refused(QStringLiteral("请输入登录密码！"), account);
    if (operation.isEmpty())
        return refused(QStringLiteral("请输入操作密码！"), account);
    for (const QString &text : {t.name, t.mobile, t.phone, t.qq}) {
        if (!isStorableText(text) || text.size() > 100)
            return refused(QStringLiteral("填写的内容含有不允许的字符或过长！"), account);
    }
    if (m_store.teacherByAccount(account))
        return refused(QStringLiteral("该帐号已被注册！"), account);
    t.loginVerifier = Md5Hex(login);
    t.operationHash = hashOperationPassword(operation);
    if (m_store.createTeacher(t) != StoreResult::Done)
        return refused(QStringLiteral("该帐号已被注册！"), account);
    return accepted(account);
}

PageReply ScoreService::checkUsername(const PageRequest &request)
{
    const QString name = request.fields.value(QStringLiteral("u")).trimmed();
    PageReply reply;
    static const QRegularExpression allowed(QStringLiteral("^[A-Za-z0-9_]*$"));
    if (!allowed.match(name).hasMatch())
        reply = refused(QStringLiteral("非法字符"));
    else if (name.size() < 4)
        reply = refused(QStringLiteral("4位以上字母数字_"));
    else if (!validAccountName(name))
        reply = refused(QStringLiteral("帐号过长"));
    else if (m_store.teacherByAccount(name))
        reply = refused(QStringLiteral("该帐号已被注册"));
    else
        reply = PageReply::text(kFree);
    reply.account = name;
    return reply;
}

PageReply ScoreService::getPswdCode(const PageRequest &request)
{
    const QString account = request.fields.value(QStringLiteral("username")).trimmed();
    const QString email = request.fields.value(QStringLiteral("email")).trimmed();
    const std::optional<Teacher> teacher = m_store.teacherByAccount(account);
    if (!teacher)
        return refused(kFailureWord, account);
    const QString key = lockKey("code", *teacher);
    if (m_limiter.isLocked(key))
        return refused(kFailureWord, teacher->account);
    if (email.isEmpty() || email.compare(teacher->email, Qt::CaseInsensitive) != 0) {
        m_limiter.recordFailure(key);
        return refused(kFailureWord, teacher->account);
    }
    const QString code =
        QStringLiteral("%1").arg(QRandomGenerator::system()->bounded(1000000), 6, 10, QLatin1Char('0'));
    m_store.putCheckCode(teacher->id, checkCodeHash(code), now() + kCheckCodeSeconds);
    MailMessage message;
    message.from = m_mailFrom;
    message.to = teacher->email;
    message.subject = QStringLiteral("Corvanta 重置密码验证码");
    message.body =
        QStringLiteral("%1 老师：\r\n\r\n您的帐号 %2 的重置密码验证码是：%3\r\n\r\n"
                       "验证码15分钟内有效，只能使用一次。如果不是您本人的操作，请忽略本邮件。\r\n")
            .arg(teacher->name, teacher->account, code);
    QString error;
    if (!m_mailer.send(message, &error)) {
        PageReply reply = PageReply::text(QStringLiteral("邮件发送失败"), QStringLiteral("failed: ") + error);
        reply.account = teacher->account;
        return reply;
    }
    return accepted(teacher->account, kSuccessWord);
}

PageReply ScoreService::setPassword(const PageRequest &request)
{
    const QString account = request.fields.value(QStringLiteral("username")).trimmed();
    const QString code = request.fields.value(QStringLiteral("checkcode")).trimmed();
    const QString newLogin = request.fields.value(QStringLiteral("newpswd")).trimmed();
    const QString newOperation = request.fields.value(QStringLiteral("newsuperpswd")).trimmed();
    const std::optional<Teacher> teacher = m_store.teacherByAccount(account);
    if (!teacher || code.isEmpty() || (newLogin.isEmpty() && newOperation.isEmpty()))
        return refused(kFailureWord, account);
    const QString key = lockKey("code", *teacher);
    if (m_limiter.isLocked(key))
        return refused(kFailureWord, teacher->account);
    if (!m_store.takeCheckCode(teacher->id, checkCodeHash(code), now())) {
        m_limiter.recordFailure(key);
        return refused(kFailureWord, teacher->account);
    }
    m_limiter.recordSuccess(key);
    m_store.updateTeacher(
        teacher->id, std::nullopt, newLogin.isEmpty() ? std::nullopt : std::optional(Md5Hex(newLogin)),
        newOperation.isEmpty() ? std::nullopt : std::optional(hashOperationPassword(newOperation)));
    // A new password also ends a lock-out of the old one.
    m_limiter.recordSuccess(lockKey("login", *teacher));
    m_limiter.recordSuccess(lockKey("operation", *teacher));
    return accepted(teacher->account, kSuccessWord);
}

// --- HTML pages ---

PageReply ScoreService::recentScoresPage(const Teacher &teacher, int n)
{
    PageReply reply = PageReply::html(html::recentScoresPage(teacher, m_store.recentScores(teacher.id, n)));
    reply.account = teacher.account;
    return reply;
}

PageReply ScoreService::scoreHome(const PageRequest &request)
{
    if (request.method == Method::Post) {
        PageReply refusal;
        const QString account = request.fields.value(QStringLiteral("username"));
        const std::optional<Teacher> teacher =
            loginAuth(account, request.fields.value(QStringLiteral("password")), &refusal);
        if (!teacher) {
            PageReply reply = PageReply::html(html::signInPage(fromGbk(refusal.body)));
            reply.account = account;
            reply.outcome = refusal.outcome;
            return reply;
        }
        PageReply reply = PageReply::html(html::teacherPage(*teacher, m_store.recordData(teacher->id).classes,
                                                            m_store.recentScores(teacher->id, 20)));
        reply.account = teacher->account;
        return reply;
    }
    if (request.fields.has(QStringLiteral("t"))) {
        PageReply refusal;
        const std::optional<Teacher> teacher = digestAuth(request, &refusal);
        if (!teacher) {
            PageReply reply = PageReply::html(html::signInPage(fromGbk(refusal.body)));
            reply.account = refusal.account;
            reply.outcome = refusal.outcome;
            return reply;
        }
        bool ok = false;
        int n = request.fields.value(QStringLiteral("n")).trimmed().toInt(&ok);
        if (!ok || n <= 0)
            n = 20;
        return recentScoresPage(*teacher, qMin(n, 1000));
    }
    return PageReply::html(html::signInPage({}));
}

// --- vendor site ---

PageReply ScoreService::version(const PageRequest &request)
{
    if (request.fields.value(QStringLiteral("s")) != u"Selvane")
        return PageReply::text({}, QStringLiteral("unknown product"));
    return PageReply::text(QStringLiteral("Selvane:") + programVersionText());
}

PageReply ScoreService::updatePage(const PageRequest &)
{
    return PageReply::html(html::updatePage(programVersionText()));
}

PageReply ScoreService::vendorHome(const PageRequest &)
{
    return PageReply::html(html::vendorHomePage(programVersionText()));
}

} // namespace corvanta::server
