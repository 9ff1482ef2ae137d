#include "app/DisplayText.h"
#include "core/TextCodec.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace corvanta;

namespace {

QByteArray gbk(const QString &s)
{
    return toGbk(s);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

const char *const Sample = "Class_Is_Ready\t1\t10\t三(2)班\t\r\n"
                           "[keti]\t朗读\t读得流利, 有感情\t5\t声音响亮\t3\t\r\n"
                           "[keti]\t默写\t\r\n"
                           "1\t张三\t2\t0\t4.5\t3\r\n"
                           "1\t李四\t0\t0\t0\t0\r\n"
                           "10\t王五\t1\t0\t2\t7\r\n"
                           "1\t赵六\t99\t0\t1\t2\r\n"
                           "1\t钱七\t3\t0\t3\t1\t\r\n"
                           "三(2)班\t孙八\tx\t0\t3\t3次\r\n"
                           "1\t张三\t5\t0\t1\t1\r\n";

} // namespace

class TestRecordFile : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_path;

private slots:
    void init()
    {
        m_path = m_dir.filePath(QStringLiteral("ServerRec.cvd"));
        QVERIFY(writeFile(m_path, gbk(QString::fromUtf8(Sample))));
    }

    // What the score server writes is what the tool reads back, name for name.
    void serverWriterToolReaderRoundTrip()
    {
        RecordData data;
        data.classes.append({QStringLiteral("三(2)班"),
                             {{QStringLiteral("张三"), 3, 2, 9.5}, {QStringLiteral("李 四"), 0, 0, 0}}});
        data.classes.append({QStringLiteral("10"), {{QStringLiteral("王五"), 15, 1, 100000}}});
        data.topics.append({QStringLiteral("朗读"), {{0, QStringLiteral("读得流利, 有感情"), 4.5},
                                                   {0, QStringLiteral("[满分]"), 5}}});
        data.topics.append({QStringLiteral("默写"), {}});
        QVERIFY(writeFile(m_path, writeRecordFile(data)));

        RecordFile file(m_path);
        QCOMPARE(file.classNames(), QStringList({QStringLiteral("三(2)班"), QStringLiteral("10")}));
        QCOMPARE(file.topicNames(), QStringList({QStringLiteral("朗读"), QStringLiteral("默写")}));
        const QList<Standard> standards = file.standards(QStringLiteral("朗读"));
        QCOMPARE(standards.size(), 2);
        QCOMPARE(standards[0].text, QStringLiteral("读得流利, 有感情"));
        QCOMPARE(standards[0].score, QStringLiteral("4.5"));
        QCOMPARE(standards[1].text, QStringLiteral("[满分]"));
        QVERIFY(file.standards(QStringLiteral("默写")).isEmpty());
        const QList<StudentRecord> students = file.students(QStringLiteral("三(2)班"));
        QCOMPARE(students.size(), 2);
        QCOMPARE(students[0].listItem(), QStringLiteral("张三\t[2次,4.75分]"));
        QCOMPARE(students[0].group, 3);
        QCOMPARE(students[1].name, QStringLiteral("李 四"));
        const auto wang = file.findStudent(QStringLiteral("10"), QStringLiteral("王五"));
        QVERIFY(wang.has_value());
        QCOMPARE(wang->group, 15);
        QCOMPARE(wang->scoreField, QStringLiteral("100000")); // never "1e+05"
        QVERIFY(looksLikeRecordFile(writeRecordFile(data)));
    }

    void classesAndTopics()
    {
        RecordFile file(m_path);
        QCOMPARE(file.classNames(), QStringList({"1", "10", QStringLiteral("三(2)班")}));
        QCOMPARE(file.topicNames(), QStringList({QStringLiteral("朗读"), QStringLiteral("默写")}));
    }

    void lastClassWithoutTabIsLost()
    {
        QVERIFY(writeFile(m_path, "Class_Is_Ready\tA\tB\r\n"));
        RecordFile file(m_path);
        QCOMPARE(file.classNames(), QStringList({"A"}));
    }

    void standards_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("comma kept in the text")
            << QStringLiteral("朗读")
            << QStringList({QStringLiteral("[5分]\t读得流利, 有感情"), QStringLiteral("[3分]\t声音响亮")});
        QTest::newRow("no standards") << QStringLiteral("默写") << QStringList();
        QTest::newRow("unknown topic") << QStringLiteral("作文") << QStringList();
        QTest::newRow("prefix of a topic") << QStringLiteral("朗") << QStringList();
    }
    void standards()
    {
        QFETCH(QString, topic);
        QFETCH(QStringList, lines);
        RecordFile file(m_path);
        QStringList got;
        for (const Standard &s : file.standards(topic))
            got.append(standardListLine(s));
        QCOMPARE(got, lines);
    }

    void studentsBelongToTheirClassOnly()
    {
        RecordFile file(m_path);
        QStringList names;
        for (const StudentRecord &s : file.students("1"))
            names.append(s.name);
        // "10" never mixes into "1"; the seven-field record is no student.
        QCOMPARE(names, QStringList({QStringLiteral("张三"), QStringLiteral("李四"), QStringLiteral("赵六"),
                                     QStringLiteral("张三")}));
    }

    void fieldsAreReadByLeadingNumber()
    {
        RecordFile file(m_path);
        const auto sun = file.findStudent(QStringLiteral("三(2)班"), QStringLiteral("孙八"));
        QVERIFY(sun);
        QCOMPARE(sun->count, 3.0);
        QCOMPARE(sun->group, -1);
        QCOMPARE(sun->listItem(), QStringLiteral("孙八\t[3次次,3分]")); // fields as they stand
        const auto zhao = file.findStudent("1", QStringLiteral("赵六"));
        QVERIFY(zhao);
        QCOMPARE(zhao->group, -1); // 99 is no group
        const auto zhang = file.findStudent("1", QStringLiteral("张三"));
        QVERIFY(zhang);
        QCOMPARE(zhang->scoreField, QStringLiteral("4.5")); // the first record wins
        QVERIFY(!file.findStudent("1", QStringLiteral("钱七")));
        QVERIFY(!file.findStudent("1", QStringLiteral("王五")));
    }

    void readRecordLinesKeepsFileOrder()
    {
        RecordFile file(m_path);
        QCOMPARE(file.ReadRecordLines(QStringLiteral("[keti]\t默写\t")), QStringLiteral("[keti]\t默写\t\r\n"));
        QCOMPARE(file.ReadRecordLines(QStringLiteral("nothing")), QString());
    }

    void followsTheFileOnDisk()
    {
        RecordFile file(m_path);
        QCOMPARE(file.classNames().size(), 3);
        // Same size, written again: the kept copy must not answer.
        QVERIFY(writeFile(m_path, gbk(QString::fromUtf8(Sample)).replace("Class_Is_Ready\t1", "Class_Is_Ready\t2")));
        QCOMPARE(file.classNames().first(), QStringLiteral("2"));
        QVERIFY(QFile::remove(m_path));
        QVERIFY(file.classNames().isEmpty());
        QVERIFY(!file.findStudent("1", QStringLiteral("张三")));
    }

    void badFilesNeverCrash_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("error text") << QByteArray("wrong password");
        QTest::newRow("truncated record") << QByteArray("Class_Is_Ready\t1\t\r\n1\t\xD5");
        QTest::newRow("not gbk") << QByteArray("Class_Is_Ready\t\xFF\xFF\x80\t\r\n\xFF\t\xFE\t1\t0\t1\t1\r\n");
        QTest::newRow("only tabs") << QByteArray(5000, '\t');
        QTest::newRow("nul bytes") << QByteArray("Class_Is_Ready\t\0\t\r\n", 19);
        QTest::newRow("marker alone") << QByteArray("Class_Is_Ready");
        QTest::newRow("keti alone") << QByteArray("[keti]\r\n[keti]\tx");
        QByteArray huge;
        for (int i = 0; i < 200000; ++i)
            huge.append("1\tname").append(QByteArray::number(i)).append("\t0\t0\t3\t2\r\n");
        QTest::newRow("huge") << huge;
        QTest::newRow("one endless line") << QByteArray(3 * 1024 * 1024, 'x');
    }
    void badFilesNeverCrash()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(writeFile(m_path, bytes));
        RecordFile file(m_path);
        file.classNames();
        file.topicNames();
        file.standards(QStringLiteral("x"));
        file.students("1");
        file.findStudent("1", "name5");
        file.ReadRecordLines("1\t");
    }

    // What may replace the cached file, and what the reader refuses to show.
    void recordLimits_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("replaces"); // checkRecordFile
        QTest::addColumn<bool>("readable"); // checkRecordLimits
        QTest::addColumn<QString>("why");
        QTest::newRow("sample") << gbk(QString::fromUtf8(Sample)) << true << true << "";
        QTest::newRow("no classes yet") << QByteArray("Class_Is_Ready\t\r\n") << true << true << "";
        QTest::newRow("error text") << QByteArray("wrong password") << false << true << "没有班级列表";
        QTest::newRow("empty class name") << QByteArray("Class_Is_Ready\t1\t\t2\t\r\n") << false << false
                                         << "空的班级名";
        QByteArray tabs = "Class_Is_Ready";
        tabs.append(QByteArray(200000, '\t'));
        QTest::newRow("millions of empty fields") << tabs << false << false << "第 1 行太长";
        QByteArray classes = "Class_Is_Ready";
        for (int i = 0; i <= kMaxRecordClasses; ++i)
            classes.append('\t').append(QByteArray::number(i));
        classes.append("\t\r\n");
        QTest::newRow("too many classes") << classes << false << false << "班级超过";
        QByteArray records = "Class_Is_Ready\t1\t\r\n";
        for (int i = 0; i < kMaxRecords; ++i)
            records.append("1\tn\t0\t0\t0\t0\r\n");
        QTest::newRow("too many records") << records << false << false << "记录超过";
    }
    void recordLimits()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, replaces);
        QFETCH(bool, readable);
        QFETCH(QString, why);
        const Result replacing = checkRecordFile(bytes);
        QCOMPARE(replacing.ok(), replaces);
        QCOMPARE(checkRecordLimits(bytes).ok(), readable);
        if (!replaces)
            QVERIFY2(replacing.error().contains(why), qPrintable(replacing.error()));

        // The reader shows nothing of a file beyond the limits, and says why.
        QVERIFY(writeFile(m_path, bytes));
        RecordFile file(m_path);
        QCOMPARE(file.readable().ok(), readable);
        if (!readable)
            QVERIFY(file.classNames().isEmpty());
    }

    void oversizedFileIsRefusedNotCut()
    {
        QFile f(m_path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QVERIFY(f.resize(kMaxRecordFileBytes + 10)); // sparse: no room taken on disk
        f.close();
        RecordFile file(m_path);
        QVERIFY2(file.readable().error().contains(QStringLiteral("文件太大")), qPrintable(file.readable().error()));
        QVERIFY(file.classNames().isEmpty());
    }

    void nameFontSize_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("size");
        QTest::newRow("ten characters") << 4800 << 10 << 20;
        QTest::newRow("two characters capped") << 4800 << 2 << 70;
        QTest::newRow("very long name") << 4800 << 500 << 1;
        QTest::newRow("empty keeps") << 4800 << 0 << 0;
    }
    void nameFontSize()
    {
        QFETCH(int, width);
        QFETCH(int, length);
        QFETCH(int, size);
        QCOMPARE(corvanta::nameFontSize(width, length), size);
    }

    void nameInTwoLines_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("after the dot") << u"迪丽热巴·迪力木拉提"_qs << QStringList{u"迪丽热巴·"_qs, u"迪力木拉提"_qs};
        QTest::newRow("the dot nearest the middle")
            << u"阿·买买提·吐尔逊江"_qs << QStringList{u"阿·买买提·"_qs, u"吐尔逊江"_qs};
        QTest::newRow("a dot far from the middle still wins")
            << u"阿·买买提吐尔逊江"_qs << QStringList{u"阿·"_qs, u"买买提吐尔逊江"_qs};
        QTest::newRow("katakana middle dot") << u"阿依古丽・艾山"_qs << QStringList{u"阿依古丽・"_qs, u"艾山"_qs};
        QTest::newRow("dot at the end breaks nothing") << u"李小明李小明·"_qs << QStringList{u"李小明李"_qs, u"小明·"_qs};
        QTest::newRow("at the space") << u"Mary Ann Smith"_qs << QStringList{u"Mary Ann"_qs, u"Smith"_qs};
        QTest::newRow("between characters") << u"李小明李小明李小明李"_qs << QStringList{u"李小明李小"_qs, u"明李小明李"_qs};
        QTest::newRow("odd length: the longer first") << u"欧阳娜娜娜"_qs << QStringList{u"欧阳娜"_qs, u"娜娜"_qs};
        QTest::newRow("surrogate pair kept whole")
            << QStringLiteral("李\U00020000明") << QStringList{QStringLiteral("李\U00020000"), u"明"_qs};
        QTest::newRow("one character") << u"李"_qs << QStringList{u"李"_qs};
    }
    void nameInTwoLines()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, lines);
        QCOMPARE(corvanta::nameInTwoLines(name), lines);
    }
};

QTEST_GUILESS_MAIN(TestRecordFile)
#include "tst_RecordFile.moc"
