#pragma once

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

private:
    QList<QPair<QString, QString>> m_fields;
};

struct PageRequest
{
    Method method = Method::Get;
    QString path;    // decoded path, e.g. "/score/index.php"
    FieldMap fields; // body fields first, then query fields
};

// rawQuery: the query as it came, still percent-escaped; body: the form body bytes.
PageRequest decodeRequest(Method method, const QString &path, const QByteArray &rawQuery,
                          const QByteArray &body);

// "a|b||c" -> a, b, c: a list field of the console; empty pieces carry no name.
QStringList splitList(const QString &value);

// "|12|17" -> 12, 17. Empty pieces are skipped; false when a piece is not a record number.
bool splitIds(const QString &value, QList<qint64> *ids);

// A name or text that has to stay one field of one line of the class record file: no TAB,
// no line break, no other control character, no "|" (the list separator).
bool isStorableName(const QString &name);
// Like isStorableName, but "|" is allowed (topic of a score, a note).
bool isStorableText(const QString &text);

// An e-mail address the mailer can send to (registration and the teacher's settings).
bool isValidEmail(const QString &email);

} // namespace corvanta::server
