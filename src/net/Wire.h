#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include "core/Clock.h"

// How requests to the score server are written and how its replies are read. Pure:
// no network here, so the server can share the same rules.
namespace corvanta {

// Escapes one request value: characters outside ASCII as their GBK bytes in %XX form
// (upper-case hexadecimal), and "&", "=", "%", "+" and control characters too, so that a
// value can never split the body or the query. Other ASCII passes unchanged. A
// character GBK cannot hold travels as "?".
QString UrlEncode(const QString &value);

// Field list in wire order; encoded() gives "name=value&name=value" with every value
// escaped by UrlEncode. Used for POST bodies and GET queries alike.
class FormFields
{
public:
    FormFields &add(const QString &name, const QString &value);
    QByteArray encoded() const;

private:
    QList<QPair<QString, QString>> m_fields;
};

// Reverses the escaping of a form body or query: "%XX" becomes the byte, "+" a space;
// raw bytes are kept as they come. The result is GBK bytes.
QByteArray percentDecode(const QByteArray &text);
// Splits "a=1&b=2" into decoded (name, value) pairs; values taken as GBK text.
QList<QPair<QString, QString>> decodeForm(const QByteArray &body);

enum class ReplyOutcome { Accepted, Rejected, Failed };

// Accepted: status 200 and the reply equals the success word exactly. Rejected: status
// 200 and anything else. Failed: any other status (including "no reply at all" = 0).
ReplyOutcome classifyReply(int status, const QString &reply, const QString &successWord);

// Lower-case hexadecimal MD5 of a password as it is sent: trimmed of blanks, as GBK
// bytes. The score server keeps its login verifier by the same rule.
QString Md5Hex(const QString &password);

// A random value that makes an address unique, written as a single-precision number
// (at most seven significant digits, e.g. "0.7055475").
QString randomAddressValue(RandomSource &random);

// Date-and-time text -> seconds after "1970-01-01 08:00:00" counted on the calendar, whatever
// the zone and its clock changes (a score's time is the text the teacher saw; on China time
// the count is Unix time); 0 when the text is not a date.
// Accepts "yyyy-M-d", "yyyy-M-d H:m:s", "yyyy/M/d ..." and ISO forms.
qint64 DateTextToSeconds(const QString &text);
// The inverse: seconds -> "yyyy-MM-dd hh:mm:ss", the same text in every zone; empty for an
// out-of-range value.
QString SecondsToDateText(qint64 seconds);
// A moment (Unix seconds, a clock's reading) as this computer's local "yyyy-MM-dd hh:mm:ss".
QString LocalTimeText(qint64 unixSeconds);

} // namespace corvanta
