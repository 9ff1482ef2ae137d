#include "DemoData.h"

#include "net/Wire.h"

#include <QDateTime>

namespace corvanta::server {

namespace {

const char16_t *const kFamilyNames[] = {u"王", u"李", u"张", u"刘", u"陈", u"杨", u"黄", u"赵", u"吴", u"周",
                                        u"徐", u"孙", u"马", u"朱", u"胡", u"郭", u"何", u"高", u"林", u"罗",
                                        u"郑", u"梁", u"谢", u"宋", u"唐", u"许", u"韩", u"冯", u"邓", u"曹",
                                        u"彭", u"曾", u"萧", u"田", u"董", u"潘", u"袁", u"蔡", u"蒋", u"余"};
const char16_t *const kGivenNames[] = {u"子涵", u"欣怡", u"梓轩", u"浩然", u"雨桐", u"思远", u"佳琪", u"一诺",
                                       u"宇轩", u"诗涵", u"俊杰", u"若曦", u"明轩", u"语嫣", u"博文", u"晨曦",
                                       u"嘉怡", u"天佑", u"梦琪", u"志强", u"雅静", u"建华", u"晓峰", u"文静",
                                       u"泽宇", u"心怡", u"子墨", u"可馨", u"皓轩", u"静怡", u"家豪", u"思彤",
                                       u"睿",   u"婷",   u"磊",   u"洋",   u"欣然", u"昊天", u"紫涵", u"铭",
                                       u"雪",   u"鹏飞", u"晓雯", u"宏伟", u"梓萱"};

constexpr int kFamilyCount = int(std::size(kFamilyNames));
constexpr int kGivenCount = int(std::size(kGivenNames));

QString demoTime(int daysAgo, int minute)
{
    const QDateTime t = QDateTime(QDate::currentDate().addDays(-daysAgo), QTime(9, 0)).addSecs(minute * 60);
    return t.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

void addTopics(Store &store, qint64 teacher)
{
    store.replaceTopics(teacher, {QStringLiteral("课堂提问"), QStringLiteral("小组讨论")});
    store.addScales(teacher, QStringLiteral("课堂提问"),
                    {{0, QStringLiteral("回答完整准确"), 5},
                     {0, QStringLiteral("基本正确"), 3},
                     {0, QStringLiteral("需要提示"), 1}});
    store.addScales(teacher, QStringLiteral("小组讨论"),
                    {{0, QStringLiteral("积极发言"), 5},
                     {0, QStringLiteral("参与讨论"), 3.5},
                     {0, QStringLiteral("未参与"), 0}});
}

} // namespace

QString studentName(int n)
{
    // Stepping through both lists with steps prime to their sizes keeps pairs distinct.
    const int family = n % kFamilyCount;
    const int given = (n / kFamilyCount * 7 + n * 13) % kGivenCount;
    return QString::fromUtf16(kFamilyNames[family]) + QString::fromUtf16(kGivenNames[given]);
}

bool addDemoTeacher(ScoreService &service, Store &store)
{
    const QString account = QStringLiteral("demo");
    if (store.teacherByAccount(account))
        return true;
    if (!service.addTeacher(account, QStringLiteral("王明"), QStringLiteral("demo"), QStringLiteral("demo"),
                            QStringLiteral("demo@example.org")))
        return false;
    const qint64 teacher = store.teacherByAccount(account)->id;
    const QStringList classes = {QStringLiteral("初一(1)班"), QStringLiteral("初一(2)班")};
    store.replaceClasses(teacher, classes);
    const int sizes[] = {30, 28};
    int n = 0;
    for (int c = 0; c < classes.size(); ++c) {
        QStringList names;
        QList<QPair<QString, int>> groups;
        for (int i = 0; i < sizes[c]; ++i, ++n) {
            names.append(studentName(n));
            groups.append({names.last(), i % 6});
        }
        store.replaceStudents(teacher, classes[c], names);
        store.setGroups(teacher, classes[c], groups);
    }
    addTopics(store, teacher);

    const auto students0 = store.students(teacher, classes[0]).value_or(QList<QPair<QString, int>>{});
    QList<ScoreRecord> scores;
    const double points[] = {5, 3, 4, 5, 1, 3};
    for (int i = 0; i < 6 && i * 2 < students0.size(); ++i) {
        ScoreRecord s;
        s.className = classes[0];
        s.student = students0[i * 2].first;
        s.score = points[i];
        s.time = DateTextToSeconds(demoTime(1, i * 3));
        s.topic = QStringLiteral("课堂提问");
        // A standard's score comes with its text; a score from the score combo has none.
        s.note = points[i] == 5   ? QStringLiteral("回答完整准确")
                 : points[i] == 3 ? QStringLiteral("基本正确")
                 : points[i] == 1 ? QStringLiteral("需要提示")
                                  : QString();
        scores.append(s);
    }
    store.addScores(teacher, scores, service.now());
    return true;
}

bool addBenchTeacher(ScoreService &service, Store &store, const QString &account)
{
    if (store.teacherByAccount(account))
        return true;
    if (!service.addTeacher(account, QStringLiteral("测试老师"), account, account,
                            QStringLiteral("bench@example.org")))
        return false;
    const qint64 teacher = store.teacherByAccount(account)->id;
    QStringList classes;
    for (int c = 1; c <= 20; ++c)
        classes.append(QStringLiteral("高二(%1)班").arg(c));
    store.replaceClasses(teacher, classes);
    for (const QString &c : classes) {
        QStringList names;
        QList<QPair<QString, int>> groups;
        for (int i = 0; i < 50; ++i) {
            names.append(studentName(i));
            groups.append({names.last(), i % 8});
        }
        store.replaceStudents(teacher, c, names);
        store.setGroups(teacher, c, groups);
    }
    addTopics(store, teacher);
    return true;
}

} // namespace corvanta::server
