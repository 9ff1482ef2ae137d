#include "scoring/DailyLog.h"
#include "net/ScoreLine.h"
#include "scoring/StandardLine.h"

#include <QTest>

using namespace corvanta;

Q_DECLARE_METATYPE(corvanta::ScoreLine)

class TestScoreLine : public QObject
{
    Q_OBJECT
private slots:
    void lineText_data()
    {
        QTest::addColumn<ScoreLine>("score");
        QTest::addColumn<QString>("text");
        QTest::newRow("from the combo ends with a TAB")
            << ScoreLine{"C1", "Zhang", "3分", "2026-03-05 09:07:02", ""}
            << "C1\tZhang\t3分\t2026-03-05 09:07:02\t";
        QTest::newRow("from a standard ends in its text")
            << ScoreLine{"C1", "Zhang", "4分", "2026-03-05 09:07:02", "S"}
            << "C1\tZhang\t4分\t2026-03-05 09:07:02\tS";
        QTest::newRow("chinese names")
            << ScoreLine{"初二(3)班", "张三", "4.5分", "2026-03-05 21:00:00", "完整表述"}
            << "初二(3)班\t张三\t4.5分\t2026-03-05 21:00:00\t完整表述";
    }
    void lineText()
    {
        QFETCH(ScoreLine, score);
        QFETCH(QString, text);
        QCOMPARE(score.text(), text);
        const auto back = ScoreLine::parse(text);
        QVERIFY(back.has_value());
        QCOMPARE(back->text(), text);
        QCOMPARE(back->student, score.student);
        QCOMPARE(back->standard, score.standard);
    }

    // Every line the readers take comes back as the same text: files rewritten and uploads
    // built from the values keep their bytes. A line end at the close is the one thing dropped.
    void roundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("back");
        const auto same = [](const char *name, const QString &text) { QTest::newRow(name) << text << text; };
        same("combo, empty standard", "C1\tZhang\t3分\t2026-03-05 09:07:02\t");
        same("standard", "C1\tZhang\t4分\t2026-03-05 09:07:02\tS");
        same("standard cut off with its tab", "C1\tZhang\t3分\t2026-03-05 09:07:02");
        same("cut off after an empty time", "C1\tZhang\t3分\t");
        same("every field empty", "\t\t\t\t");
        same("chinese everywhere", "初二(3)班\t欧阳 娜娜\t4.5分\t2026-03-05 21:00:00\t完整表述，步骤清楚");
        same("beyond the BMP", QStringLiteral("一班\t\U00020BB7\t5分\t2026-03-05 09:07:02\t\U0001F600"));
        same("score as typed", "C1\tZhang\t五分\t2026-03-05 09:07:02\t");
        same("negative half point", "C1\tZhang\t-0.5分\t2026-03-05 09:07:02\tS");
        same("no real date", "C1\tZhang\t3分\t2026-02-30 25:61:00\t");
        same("date in another form", "C1\tZhang\t3分\t2026/3/5 9:07\t");
        same("spaces kept", " C1 \t Zhang\t3分 \t2026-03-05 09:07:02\t S ");
        QTest::newRow("CR LF dropped") << "C1\tZhang\t3分\t2026-03-05 09:07:02\tS\r\n"
                                       << "C1\tZhang\t3分\t2026-03-05 09:07:02\tS";
        QTest::newRow("cut off, CR dropped") << "C1\tZhang\t3分\t2026-03-05 09:07:02\r"
                                             << "C1\tZhang\t3分\t2026-03-05 09:07:02";
    }
    void roundTrip()
    {
        QFETCH(QString, text);
        QFETCH(QString, back);
        const std::optional<ScoreLine> score = ScoreLine::parse(text);
        QVERIFY(score.has_value());
        QCOMPARE(score->text(), back);
        QCOMPARE(ScoreLine::parse(back), score);
        QCOMPARE(scoreTexts({*score, *score}), (QStringList{back, back}));
    }

    // A value made in the tool has all five fields; only a line read that way is cut off.
    void namedFields()
    {
        const ScoreLine given{.className = "C1", .student = "Zhang", .score = "3分", .time = "2026-03-05 09:07:02"};
        QCOMPARE(given.text(), "C1\tZhang\t3分\t2026-03-05 09:07:02\t");
        const ScoreLine cut = *ScoreLine::parse("C1\tZhang\t3分\t2026-03-05 09:07:02");
        QVERIFY(cut.standardCut);
        QVERIFY(cut != given); // not the same line: an upload or undo tells them apart
        ScoreLine filled = cut;
        filled.standard = "S";
        QCOMPARE(filled.text(), "C1\tZhang\t3分\t2026-03-05 09:07:02\tS");
    }

    // One rule on both sides of the wire: what the tool keeps as pending, the server takes.
    void validLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("no tab") << "C1 Zhang 3分" << false;
        QTest::newRow("three fields") << "C1\tZhang\t3分" << false;
        QTest::newRow("standard cut off with its tab") << "C1\tZhang\t3分\t2026-03-05 09:07:02" << true;
        QTest::newRow("empty standard") << "C1\tZhang\t3分\t2026-03-05 09:07:02\t" << true;
        QTest::newRow("line end dropped") << "C1\tZhang\t3分\t2026-03-05 09:07:02\tS\r\n" << true;
        QTest::newRow("tab inside the standard") << "C1\tZhang\t3分\t2026-03-05 09:07:02\tS\tT" << false;
        QTest::newRow("bar splits an upload") << "C1\tZhang\t3分\t2026-03-05 09:07:02\ta|b" << false;
        QTest::newRow("bar in a name") << "C1\tZh|ang\t3分\t2026-03-05 09:07:02\t" << false;
        QTest::newRow("line break inside") << "C1\tZhang\n\t3分\t2026-03-05 09:07:02\t" << false;
        QTest::newRow("undecodable text") << QStringLiteral("C1\tZh\uFFFD\t3分\t2026-03-05 09:07:02\t") << false;
    }
    void validLine()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(isValidScoreLine(text), valid);
        QCOMPARE(ScoreLine::parse(text).has_value(), valid);
    }

    void timeText_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("text");
        QTest::newRow("morning, zero padded")
            << QDateTime(QDate(2026, 3, 5), QTime(9, 7, 2)) << "2026-03-05 09:07:02";
        QTest::newRow("afternoon on a 24-hour clock")
            << QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)) << "2026-12-31 23:59:59";
        QTest::newRow("midnight") << QDateTime(QDate(2026, 1, 1), QTime(0, 0, 0)) << "2026-01-01 00:00:00";
    }
    void timeText()
    {
        QFETCH(QDateTime, when);
        QFETCH(QString, text);
        QCOMPARE(scoreTimeText(when), text);
    }

    void logFileName_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("className");
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("name");
        QTest::newRow("example") << "t01"
                                 << "C1" << QDate(2026, 3, 5) << "t01_C1_2026-03-05.Log";
        QTest::newRow("offline user") << "离线用户"
                                      << "C1" << QDate(2026, 3, 5) << "离线用户_C1_2026-03-05.Log";
        QTest::newRow("slash in class") << "t01"
                                        << "C1/2" << QDate(2026, 3, 5) << "t01_C1_2_2026-03-05.Log";
        QTest::newRow("every forbidden character")
            << "t01"
            << "a/b\\c:d*e?f\"g<h>i|j" << QDate(2026, 3, 5) << "t01_a_b_c_d_e_f_g_h_i_j_2026-03-05.Log";
        QTest::newRow("control characters") << "t\x01"
                                            << "C\t1\n"
                                            << QDate(2026, 3, 5) << "t__C_1__2026-03-05.Log";
        QTest::newRow("parent folder stays in the folder")
            << "t01"
            << "../x" << QDate(2026, 3, 5) << "t01_.._x_2026-03-05.Log";
        QTest::newRow("chinese class")
            << "t01"
            << "初二(3)班" << QDate(2026, 11, 20) << "t01_初二(3)班_2026-11-20.Log";
    }
    void logFileName()
    {
        QFETCH(QString, user);
        QFETCH(QString, className);
        QFETCH(QDate, day);
        QFETCH(QString, name);
        QCOMPARE(dailyLogFileName(user, className, day), name);
    }

    void standardGiven_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("given");
        QTest::newRow("fresh") << "[4分]\tS" << false;
        QTest::newRow("marked") << "[4分]√\tS" << true;
        QTest::newRow("mark without tab after it") << "[4分]√S" << false;
        QTest::newRow("mark on a non-score field") << "[4]√\tS" << false;
        QTest::newRow("empty") << "" << false;
    }
    void standardGiven()
    {
        QFETCH(QString, line);
        QFETCH(bool, given);
        QCOMPARE(corvanta::standardGiven(line), given);
    }

    void scoreFromStandard_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("score");
        QTest::addColumn<QString>("standard");
        QTest::addColumn<QString>("marked");
        QTest::newRow("example") << "[4分]\tS"
                                 << "4分"
                                 << "S"
                                 << "[4分]√\tS";
        QTest::newRow("half point") << "[4.5分]\t表述清楚"
                                    << "4.5分"
                                    << "表述清楚"
                                    << "[4.5分]√\t表述清楚";
        QTest::newRow("trailing zeros dropped") << "[3.50分]\tS"
                                                << "3.5分"
                                                << "S"
                                                << "[3.50分]√\tS";
        QTest::newRow("empty standard text") << "[5分]\t"
                                             << "5分"
                                             << ""
                                             << "[5分]√\t";
        QTest::newRow("no number reads as zero") << "[分]\tS"
                                                 << "0分"
                                                 << "S"
                                                 << "[分]√\tS";
        QTest::newRow("bracket in the standard text is not marked") << "[2分]\t用[]表示"
                                                                    << "2分"
                                                                    << "用[]表示"
                                                                    << "[2分]√\t用[]表示";
        QTest::newRow("third field ignored") << "[1分]\tS\textra"
                                             << "1分"
                                             << "S"
                                             << "[1分]√\tS\textra";
    }
    void scoreFromStandard()
    {
        QFETCH(QString, line);
        QFETCH(QString, score);
        QFETCH(QString, standard);
        QFETCH(QString, marked);
        const auto given = scoreFromStandardLine(line);
        QVERIFY(given.has_value());
        QCOMPARE(given->score, score);
        QCOMPARE(given->standard, standard);
        QCOMPARE(given->markedLine, marked);
        // Once marked, the same standard cannot be given again in this draw.
        QVERIFY(corvanta::standardGiven(given->markedLine));
        QVERIFY(!scoreFromStandardLine(given->markedLine).has_value());
    }

    void standardLineNotScored_data()
    {
        QTest::addColumn<QString>("line");
        QTest::newRow("no tab") << "[4分] S";
        QTest::newRow("empty") << "";
        QTest::newRow("already given") << "[4分]√\tS";
    }
    void standardLineNotScored()
    {
        QFETCH(QString, line);
        QVERIFY(!scoreFromStandardLine(line).has_value());
    }
};

QTEST_GUILESS_MAIN(TestScoreLine)
#include "tst_ScoreLine.moc"
