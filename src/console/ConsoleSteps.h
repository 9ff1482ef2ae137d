#pragma once

#include "core/Result.h"
#include "net/LoginState.h"
#include "net/OutgoingText.h"
#include "net/PageCall.h"

#include <QList>
#include <QStringList>

// The steps every console page shares: who may change what, how typed names join a list,
// how selected lines leave it, how a whole list is sent, and how a reply is told.
// Pure: the pages apply these to their controls.
namespace corvanta::console {

// Changes need an online user and an operation password (which only the server checks).
// The failure's text is what the "提示" box says.
Result CheckWriteAccess(const LoginState &login, const QString &operationPassword);

// A name must stay one field of one record: no "|" (the list separator), no TAB and no
// line break; and the server must be able to keep it (outgoing::checkText). The failure's
// text names the first offending name.
Result checkNames(const QStringList &names, outgoing::TextKind kind = outgoing::TextKind::Name);

// A page's list belongs to the class or topic it was read for; the box above it is
// editable and may since name another. kind: "班级" or "课题".
Result checkListSource(const QString &listFor, const QString &boxText, const QString &kind);

struct AddCounts
{
    int added = 0;
    int present = 0;
};
// Moves names typed one per line (CR LF or LF) into the list. A name is stored without
// its spaces and compared so: a line whose name is already in the list (or was added
// earlier in the same run) counts as present; blank lines are skipped.
AddCounts AddLinesToList(const QString &input, QStringList &items);
// The names AddLinesToList would look at, spaces removed, blank lines left out.
QStringList typedNames(const QString &input);

// Removes the selected rows, last first. With a pending list, "|" and the first TAB field
// of each removed line are appended to it, in that order ("|17|12" for 12 above 17).
int RemoveSelectedLines(QStringList &items, const QList<int> &selectedRows, QString *pending = nullptr);

// The three whole lists a page keeps.
enum class ListKind { Classes, Students, Topics };
// The body of a list save: the list joined by "|" after the page's leading fields.
PageCall SaveListToServer(ListKind kind, const LoginState &login, const QString &operationPassword,
                          const QStringList &items, const QString &className = {});

// How a reply is told: the status label's new text (null: unchanged), and a message box.
struct ReplyNotice
{
    ReplyOutcome outcome = ReplyOutcome::Failed;
    QString status; // null: the status label keeps its text
    QString title;
    QString text;
    int icon = 0; // 48 warning, 64 information
};
enum class ReplyKind {
    ListSave, // status label follows every outcome; "操作成功！" / reply + "操作错误！"
    Change,   // rename, edit, new: the status label only says "网络异常！"
    Settings, // the teacher settings: no status label at all
};
ReplyNotice consoleReply(const HttpResult &reply, ReplyKind kind, const QString &successText,
                         const QString &failureText);

// A score box's number as sent: its leading number in plain decimal ("3分" -> "3", "abc" -> "0").
QString scoreNumberText(const QString &text);

// The five rows of the new-scale frame: non-empty score boxes turned into their numbers.
struct NewScaleRows
{
    QStringList texts;  // five
    QStringList scores; // five, as the boxes now show them
    bool anyFilled = false;
};
NewScaleRows prepareNewScales(const QStringList &texts, const QStringList &scores);

} // namespace corvanta::console
