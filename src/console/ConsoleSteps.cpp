#include "ConsoleSteps.h"

#include "core/TextCodec.h"
#include "net/ConsoleRequests.h"

namespace corvanta::console {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kNetworkFailure = QStringLiteral("网络异常！");

QStringList inputLines(const QString &input)
{
    QStringList lines = input.split(u'\n');
    for (QString &line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    return lines;
}

QString withoutSpaces(QString text)
{
    return text.remove(u' ');
}

} // namespace

Result CheckWriteAccess(const LoginState &login, const QString &operationPassword)
{
    if (login.isOnline() && !operationPassword.isEmpty())
        return Result::success();
    if (login.isOnline())
        return Result::failure(QStringLiteral("请在右侧输入操作密码！"));
    return Result::failure(QStringLiteral("登录后才能进行此操作！"));
}

Result checkNames(const QStringList &names, outgoing::TextKind kind)
{
    for (const QString &name : names) {
        if (name.contains(u'|') || name.contains(u'\t') || name.contains(u'\r') || name.contains(u'\n')) {
            QString shown = name;
            shown.replace(u'\t', QStringLiteral("<TAB>")).replace(u'\r', u' ').replace(u'\n', u' ');
            return Result::failure(QStringLiteral("名称中不能含有“|”、制表符或换行，请修改后再试：") + shown);
        }
    }
    return outgoing::checkTexts(names, kind);
}

Result checkListSource(const QString &listFor, const QString &boxText, const QString &kind)
{
    if (listFor.isEmpty())
        return Result::failure(QStringLiteral("请先选择%1！").arg(kind));
    if (boxText != listFor)
        return Result::failure(
            QStringLiteral("列表是%1“%2”的，%1框中却是“%3”。请重新选择%1！").arg(kind, listFor, boxText));
    return Result::success();
}

QStringList typedNames(const QString &input)
{
    QStringList names;
    for (const QString &line : inputLines(input)) {
        const QString name = withoutSpaces(line);
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}

AddCounts AddLinesToList(const QString &input, QStringList &items)
{
    AddCounts counts;
    for (const QString &name : typedNames(input)) {
        if (items.contains(name)) {
            ++counts.present;
        } else {
            items.append(name);
            ++counts.added;
        }
    }
    return counts;
}

int RemoveSelectedLines(QStringList &items, const QList<int> &selectedRows, QString *pending)
{
    QList<int> rows = selectedRows;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    int removed = 0;
    for (auto it = rows.crbegin(); it != rows.crend(); ++it) {
        if (*it < 0 || *it >= items.size())
            continue;
        if (pending)
            *pending += u'|' + items[*it].section(u'\t', 0, 0);
        items.removeAt(*it);
        ++removed;
    }
    return removed;
}

PageCall SaveListToServer(ListKind kind, const LoginState &login, const QString &operationPassword,
                          const QStringList &items, const QString &className)
{
    switch (kind) {
    case ListKind::Classes:
        return console_pages::setClass(login.LoginUser, operationPassword, items);
    case ListKind::Students:
        return console_pages::student(login.LoginUser, operationPassword, className, items);
    case ListKind::Topics:
        break;
    }
    return console_pages::setKeti(login.LoginUser, operationPassword, items);
}

ReplyNotice consoleReply(const HttpResult &reply, ReplyKind kind, const QString &successText,
                         const QString &failureText)
{
    ReplyNotice notice;
    notice.outcome = reply.outcome();
    switch (notice.outcome) {
    case ReplyOutcome::Accepted:
        notice.title = QStringLiteral("成功");
        notice.text = successText;
        notice.icon = 64;
        if (kind == ReplyKind::ListSave)
            notice.status = successText;
        break;
    case ReplyOutcome::Rejected:
        notice.title = QStringLiteral("错误");
        notice.text = reply.text + kCrLf + failureText;
        notice.icon = 48;
        if (kind == ReplyKind::ListSave)
            notice.status = reply.text;
        break;
    case ReplyOutcome::Failed:
        notice.title = QStringLiteral("错误");
        notice.icon = 48;
        if (kind == ReplyKind::Settings) {
            // A page that failed may have said why; a transfer that failed says nothing.
            notice.text = reply.text.isEmpty() ? kNetworkFailure : reply.text + kCrLf + kNetworkFailure;
        } else {
            notice.text = kNetworkFailure;
            notice.status = kNetworkFailure;
        }
        break;
    }
    return notice;
}

QString scoreNumberText(const QString &text)
{
    return shortestDecimal(leadingNumber(text));
}

NewScaleRows prepareNewScales(const QStringList &texts, const QStringList &scores)
{
    NewScaleRows rows;
    for (int i = 0; i < 5; ++i) {
        rows.texts.append(texts.value(i));
        const QString score = scores.value(i);
        rows.scores.append(score.isEmpty() ? score : scoreNumberText(score));
    }
    QString all = rows.texts.join(QString()) + rows.scores.join(QString());
    rows.anyFilled = !all.remove(u'\t').trimmed().isEmpty();
    return rows;
}

} // namespace corvanta::console
