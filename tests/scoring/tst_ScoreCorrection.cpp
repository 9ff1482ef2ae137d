#include "scoring/ScoreCorrection.h"

#include <QTest>

using namespace corvanta;

Q_DECLARE_METATYPE(corvanta::ScoreLine)

namespace {
const QString kMessageScore = QStringLiteral("计分格式不正确，应为数字后加“分”，例如“4分”或“4.5分”！");
const QString kMessageTime =
    QStringLiteral("时间格式不正确，应为“年-月-日 时:分:秒”，例如“2026-03-05 09:07:02”！");
QString breaks(const QString &label)
{
    return label + QStringLiteral("中不能含有制表符、换行或“|”，请修改后再确定！");
}
} // namespace

class TestScoreCorrection : public QObject
{
    Q_OBJECT
private slots:
    void accepted_data()
    {
        QTest::addColumn<QString>("score");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("standard");
        QTest::addColumn<QString>("line");
        QTest::newRow("3分 to 4分") << "4分"
                                    << "2026-03-05 09:07:02"
                                    << "完整表述"
                                    << "初二(3)班\t张三\t4分\t2026-03-05 09:07:02\t完整表述";
        QTest::newRow("empty standard keeps its TAB") << "3分"
                                                      << "2026-03-05 09:07:02"
                                                      << ""
                                                      << "初二(3)班\t张三\t3分\t2026-03-05 09:07:02\t";
        QTest::newRow("half point") << "4.5分"
                                    << "2026-12-31 23:59:59"
                                    << "S"
                                    << "初二(3)班\t张三\t4.5分\t2026-12-31 23:59:59\tS";
        QTest::newRow("minus point") << "-1分"
                                     << "2024-02-29 00:00:00"
                                     << "S"
                                     << "初二(3)班\t张三\t-1分\t2024-02-29 00:00:00\tS";
    }
    void accepted()
    {
        QFETCH(QString, score);
        QFETCH(QString, time);
        QFETCH(QString, standard);
        QFETCH(QString, line);
        const ScoreCorrection c = correctScoreLine(ScoreLine{"初二(3)班", "张三", score, time, standard});
        QCOMPARE(c.error(), QString());
        QVERIFY(c.ok());
        QCOMPARE(c->text(), line);
        // What the panel writes back opens again as the same boxes.
        const auto reopened = ScoreLine::parse(c->text());
        QVERIFY(reopened.has_value());
        QCOMPARE(reopened->standard, standard);
    }

    void refused_data()
    {
        QTest::addColumn<ScoreLine>("boxes");
        QTest::addColumn<QString>("message");
        const QString t = QStringLiteral("2026-03-05 09:07:02");
        QTest::newRow("score without 分") << ScoreLine{"C1", "张三", "4", t, ""} << kMessageScore;
        QTest::newRow("score not a number") << ScoreLine{"C1", "张三", "四分", t, ""} << kMessageScore;
        QTest::newRow("score empty") << ScoreLine{"C1", "张三", "", t, ""} << kMessageScore;
        QTest::newRow("score with a space") << ScoreLine{"C1", "张三", "4 分", t, ""} << kMessageScore;
        QTest::newRow("score with text after 分") << ScoreLine{"C1", "张三", "4分好", t, ""} << kMessageScore;
        QTest::newRow("score full-width digits") << ScoreLine{"C1", "张三", "４分", t, ""} << kMessageScore;
        QTest::newRow("time empty") << ScoreLine{"C1", "张三", "4分", "", ""} << kMessageTime;
        QTest::newRow("time without seconds")
            << ScoreLine{"C1", "张三", "4分", "2026-03-05 09:07", ""} << kMessageTime;
        QTest::newRow("time without padding")
            << ScoreLine{"C1", "张三", "4分", "2026-3-5 9:07:02", ""} << kMessageTime;
        QTest::newRow("time no such day")
            << ScoreLine{"C1", "张三", "4分", "2026-02-30 09:07:02", ""} << kMessageTime;
        QTest::newRow("time no such hour")
            << ScoreLine{"C1", "张三", "4分", "2026-03-05 24:00:00", ""} << kMessageTime;
        QTest::newRow("time with slashes")
            << ScoreLine{"C1", "张三", "4分", "2026/03/05 09:07:02", ""} << kMessageTime;
        QTest::newRow("TAB in the standard") << ScoreLine{"C1", "张三", "4分", t, "a\tb"} << breaks("标准");
        QTest::newRow("line feed in the standard")
            << ScoreLine{"C1", "张三", "4分", t, "a\nb"} << breaks("标准");
        QTest::newRow("CR in the standard") << ScoreLine{"C1", "张三", "4分", t, "a\r"} << breaks("标准");
        QTest::newRow("bar in the standard") << ScoreLine{"C1", "张三", "4分", t, "a|b"} << breaks("标准");
        QTest::newRow("TAB in the score") << ScoreLine{"C1", "张三", "4分\t", t, ""} << breaks("计分");
        QTest::newRow("line break in the time")
            << ScoreLine{"C1", "张三", "4分", t + "\r\n", ""} << breaks("时间");
        QTest::newRow("line break in the class") << ScoreLine{"C1\n", "张三", "4分", t, ""} << breaks("班级");
    }
    void refused()
    {
        QFETCH(ScoreLine, boxes);
        QFETCH(QString, message);
        const ScoreCorrection c = correctScoreLine(boxes);
        QVERIFY(!c.ok());
        QCOMPARE(c.error(), message);
    }
};

QTEST_GUILESS_MAIN(TestScoreCorrection)
#include "tst_ScoreCorrection.moc"
