// One keystroke in the search box over a class of 2,000 students: the match of every name
// and its initials, and the order of the result list. The index is built once per class.
#include "app/ManualSearch.h"

#include <QRandomGenerator>
#include <QTest>

using namespace corvanta;

namespace {

constexpr int ClassSize = 2000;

// Common surnames and given-name characters, so that initials repeat as in a real school;
// some with several readings and some outside GB2312.
QList<StudentRecord> largeClass()
{
    const QString family = QStringLiteral("王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹"
                                          "彭曾肖田董袁潘于蒋蔡余杜叶程苏魏吕丁任沈姚卢姜崔钟谭陆汪范金"
                                          "石廖贾夏韦付方白邹孟熊秦邱江尹薛闫段雷侯龙史陶黎贺顾毛郝龚邵"
                                          "单仇查区覃翟解曾乐栾");
    // Compound surnames, which read as two letters.
    const QStringList compound = {QStringLiteral("欧阳"), QStringLiteral("长孙"), QStringLiteral("尉迟"),
                                  QStringLiteral("万俟"), QStringLiteral("诸葛"), QStringLiteral("司马")};
    const QString given = QStringLiteral("伟芳娜敏静丽强磊洋艳勇军杰娟涛明超秀英华慧巧美玲桂兰霞平刚"
                                         "辉鹏建文斌宇浩凯俊晨欣怡梓涵子轩雨萱一诺思彤博雅嘉珺燚翀祎"
                                         "赟堃犇晞重长乐朝行");
    QRandomGenerator random(20261207);
    QList<StudentRecord> students;
    for (int i = 0; i < ClassSize; ++i) {
        QString name = random.bounded(20) == 0 ? compound[random.bounded(int(compound.size()))]
                                               : QString(family[random.bounded(int(family.size()))]);
        const int givenLength = 1 + random.bounded(2);
        for (int k = 0; k < givenLength; ++k)
            name += given[random.bounded(int(given.size()))];
        StudentRecord s;
        s.className = QStringLiteral("2026级高一年级(1)班");
        s.name = name;
        s.scoreField = QString::number(random.bounded(50) / 10.0);
        s.countField = QString::number(random.bounded(30));
        students.append(s);
    }
    return students;
}

QStringList namesOf(const QList<StudentRecord> &students)
{
    QStringList names;
    for (const StudentRecord &s : students)
        names.append(s.name);
    return names;
}

} // namespace

class BenchManualSearch : public QObject
{
    Q_OBJECT
    QList<StudentRecord> m_students;
    QStringList m_names;
    ManualSearch m_search;

private slots:
    void initTestCase()
    {
        m_students = largeClass();
        m_names = namesOf(m_students);
        m_search.setClass(m_names, m_students);
        qInfo("%lld results for l, %lld for lxm", qint64(m_search.search(QStringLiteral("l")).size()),
              qint64(m_search.search(QStringLiteral("lxm")).size()));
    }

    void keystroke_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("l (many matches)") << QStringLiteral("l");
        QTest::newRow("z") << QStringLiteral("z");
        QTest::newRow("lx") << QStringLiteral("lx");
        QTest::newRow("lxm") << QStringLiteral("lxm");
        QTest::newRow("syf (surname reading)") << QStringLiteral("syf");
        QTest::newRow("zswj (compound surname)") << QStringLiteral("zswj");
        QTest::newRow("name part") << QStringLiteral("明");
        QTest::newRow("no match") << QStringLiteral("q9");
    }
    void keystroke()
    {
        QFETCH(QString, text);
        QBENCHMARK
        {
            const QStringList lines = m_search.search(text);
            Q_UNUSED(lines);
        }
    }

    // Once per class choice, not per keystroke.
    void buildIndex()
    {
        QBENCHMARK
        {
            ManualSearch search;
            search.setClass(m_names, m_students);
        }
    }
};

QTEST_GUILESS_MAIN(BenchManualSearch)
#include "bench_manual_search.moc"
