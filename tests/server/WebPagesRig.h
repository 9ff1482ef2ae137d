// Shared steps of the web page tests: a class and a long history to show, and the pieces
// of a page (columns, gzip, hashes) the tests compare.
#pragma once

#include "Gunzip.h"
#include "WebRig.h"

#include <QCryptographicHash>


namespace corvanta::test::webpages {

using namespace corvanta::server;

using Rows = QList<QStringList>;
inline const QString kClass = QStringLiteral("一班");

// Class 一班 of t01: 张三 (group 2), 李四 (1), 王五 (1), 赵六 (0, never scored), and five scores.
inline void fillClass(WebRig &rig)
{
    QVERIFY(rig.addTeacher());
    QVERIFY(rig.setClasses("t01", {kClass, "二班"}));
    QVERIFY(rig.setStudents("t01", kClass, {"张三", "李四", "王五", "赵六"}));
    const qint64 id = rig.store->teacherByAccount("t01")->id;
    QCOMPARE(rig.store->setGroups(id, kClass, {{"张三", 2}, {"李四", 1}, {"王五", 1}}), StoreResult::Done);
    QCOMPARE(
        rig.upload("t01", "课堂提问",
                   {"一班\t张三\t5\t2026-03-01 08:00:00\t回答正确", "一班\t张三\t4\t2026-03-02 08:00:00\t",
                    "一班\t李四\t3.5\t2026-03-02 09:00:00\t基本正确"}),
        QStringLiteral("Success!"));
    QCOMPARE(
        rig.upload("t01", "小组讨论",
                   {"一班\t张三\t2\t2026-03-03 10:00:00\t", "一班\t王五\t-1\t2026-03-04 11:00:00\t未参与"}),
        QStringLiteral("Success!"));
}

inline QString classHtml(WebRig &rig, const QByteArray &cookie, const QString &sort = {})
{
    Fields fields = {{"class", kClass}};
    if (!sort.isNull())
        fields.append({"sort", sort});
    const PageReply r = rig.page("/score/class", fields, cookie);
    return r.status == 200 ? htmlOf(r) : QString();
}

inline QStringList column(const Rows &rows, int c)
{
    QStringList out;
    for (const QStringList &row : rows)
        out.append(row.value(c));
    return out;
}

inline QString sha256Source(const QString &text)
{
    return QStringLiteral("'sha256-%1'")
        .arg(QString::fromLatin1(
            QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toBase64()));
}

using corvanta::test::gunzip;

inline PageRequest withHeaders(PageRequest request, const HeaderList &headers)
{
    request.headers += headers;
    return request;
}

// 一班's 张三 with a long history: 250 scores on 课堂提问 and 小组讨论, two a day.
inline void fillHistory(WebRig &rig)
{
    fillClass(rig);
    QStringList lines;
    for (int i = 0; i < 250; ++i)
        lines.append(QStringLiteral("一班\t张三\t%1\t%2\t第%3次")
                         .arg(i % 5)
                         .arg(QDateTime(QDate(2026, 4, 1).addDays(i / 2), QTime(8 + 6 * (i % 2), 30))
                                  .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")))
                         .arg(i));
    QCOMPARE(rig.upload("t01", "课堂提问", lines), QStringLiteral("Success!"));
}

inline QString studentHtml(WebRig &rig, const QByteArray &cookie, const QString &name,
                           const QString &page = {})
{
    Fields fields = {{"class", kClass}, {"name", name}};
    if (!page.isNull())
        fields.append({"page", page});
    const PageReply r = rig.page("/score/student", fields, cookie);
    return r.status == 200 ? htmlOf(r) : QString();
}

} // namespace corvanta::test::webpages
