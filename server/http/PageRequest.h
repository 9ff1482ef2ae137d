#pragma once

#include "core/Result.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// What a page sees of a request: decoded fields, nothing of HTTP. Pure, so every rule of
// reading a request is tested without a socket.
namespace corvanta::server {

enum class Method { Get, Post, Other };

// Decoded (name, value) pairs; values are GBK bytes taken as text.
class FieldMap
{
public:
    FieldMap() = default;
    explicit FieldMap(QList<QPair<QString, QString>> fields) : m_fields(std::move(fields)) {}

    bool has(const QString &name) const;
    // First value of the name; empty when absent.
    QString value(const QString &name) const;
    void append(const FieldMap &other);
    qsizetype size() const { return m_fields.size(); }
    const QList<QPair<QString, QString>> &pairs() const { return m_fields; }

private:
    QList<QPair<QString, QString>> m_fields;
};

using HeaderList = QList<QPair<QByteArray, QByteArray>>;

struct PageRequest
{
    Method method = Method::Get;
    QString path;          // decoded path, e.g. "/score/index.php"
    FieldMap fields;       // body fields first, then query fields
    HeaderList headers;    // every request header as it came, in order; names compare ignoring case
    QString clientAddress; // the peer's IP address; empty in-process

    // The first header of the name; empty when absent.
    QByteArray header(const QByteArray &name) const;
    // The value of the named cookie in the Cookie headers; empty when absent.
    QByteArray cookie(const QByteArray &name) const;
};

// rawQuery: the query as it came, still percent-escaped; body: the form body bytes. A POST
// page reads its body only, a GET page its query only.
PageRequest decodeRequest(Method method, const QString &path, const QByteArray &rawQuery,
                          const QByteArray &body);

// "a|b||c" -> a, b, c: a list field of the console; empty pieces carry no name.
QStringList splitList(const QString &value);

// "|12|17" -> 12, 17. Empty pieces are skipped; false when a piece is not a record number.
bool splitIds(const QString &value, QList<qint64> *ids);

// A text the class record file and the GBK replies can carry back unchanged: no TAB, no
// line break, no other control character, every character with a GBK form (a note, the
// topic of a score).
bool isStorableText(const QString &text);
// A name of a list (class, student, topic, scale text): a storable text without "|" (the
// list separator) that no reader of the class record file takes for one of its markers
// (a class "Class_Is_Ready" or "[keti]..." would turn its students into other records).
bool isStorableName(const QString &name);

// Fails for a text past `most` characters, naming what it is
// ("名称太长：最多 50 个字，收到 70000 个字！"). The text itself is not echoed: the tool
// shows the refusal.
Result checkLength(const QString &what, const QString &text, int most);

// Scores are finite and within this range.
inline constexpr double kMaxScoreMagnitude = 1000;
bool isSaneScore(double score);
// Said after a score time outside the years isScoreTimeInRange takes.
inline constexpr char16_t kScoreYearsNote[] = u"（计分时间应在2000年至2099年之间）";

// The most a teacher's lists may hold.
inline constexpr int kMaxClasses = 500;
inline constexpr int kMaxStudentsPerClass = 200;
inline constexpr int kMaxTopics = 200;
inline constexpr int kMaxScalesPerTopic = 100;

// An e-mail address the mailer can send to (registration and the teacher's settings).
bool isValidEmail(const QString &email);

} // namespace corvanta::server
