#include "core/TextCodec.h"
#include "pinyin/NameInitials.h"
#include "pinyin/PinYinLeader.h"
#include "pinyin/ReadingTableGenerator.h"

#include <QFile>
#include <QProcess>
#include <QTest>

using namespace corvanta;

namespace {

const QString UnihanReadings = QStringLiteral("/usr/share/unicode/Unihan_Readings.txt.bz2");

// GBK ideographs without any Mandarin reading in Unicode's data (unit characters, Japanese
// forms, compatibility ideographs of IBM's set and one later addition).
const QList<char16_t> &withoutReadings()
{
    static const QList<char16_t> codes = {0x5159, 0x5161, 0x55E7, 0x685B, 0x70EA, 0x74E7, 0x74F0, 0x74F1,
                                          0x74FC, 0x7505, 0xFA0E, 0xFA0F, 0xFA11, 0xFA13, 0xFA14, 0xFA1F,
                                          0xFA21, 0xFA23, 0xFA24, 0xFA27, 0xFA28, 0xFA29, 0xE817};
    return codes;
}

// The compound surnames of the Hundred Family Surnames (百家姓).
const QStringList &standardCompoundSurnames()
{
    static const QStringList surnames =
        QStringLiteral("万俟 司马 上官 欧阳 夏侯 诸葛 闻人 东方 赫连 皇甫 尉迟 公羊 澹台 公冶 宗政 濮阳 淳于 "
                       "单于 太叔 申屠 公孙 仲孙 轩辕 令狐 钟离 宇文 长孙 慕容 鲜于 闾丘 司徒 司空 亓官 司寇 "
                       "仉督 子车 颛孙 端木 巫马 公西 漆雕 乐正 壤驷 公良 拓跋 夹谷 宰父 谷梁 段干 百里 东郭 "
                       "南门 呼延 归海 羊舌 微生 梁丘 左丘 东门 西门 南宫 第五")
            .split(u' ');
    return surnames;
}

} // namespace

class TestNameInitials : public QObject
{
    Q_OBJECT
private slots:
    // What a teacher types for a name, and what must not find it. Every name is also found by
    // its old initials (PinYinLeader), checked for each row.
    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("finds");
        QTest::addColumn<QStringList>("misses");
        const auto row = [](const char16_t *name, const char *finds, const char *misses) {
            const auto split = [](const char *s) { return QString::fromUtf8(s).split(u' ', Qt::SkipEmptyParts); };
            QTest::newRow(QString::fromUtf16(name).toUtf8().constData())
                << QString::fromUtf16(name) << split(finds) << split(misses);
        };
        // Surnames read as surnames.
        row(u"单语芳", "syf dyf SY yf", "xyf syx");
        row(u"仇晓东", "qxd cxd", "kxd");
        row(u"查良镛", "zly cly", "sly");
        row(u"区志明", "ozm qzm zm", "azm");
        row(u"秘建国", "bjg mjg", "pjg");
        row(u"繁欣", "px fx", "bx");
        row(u"召忠", "sz zz", "cz");
        row(u"种师道", "csd zsd", "ssd");
        row(u"折彦质", "syz zyz", "cyz");
        row(u"句龙", "gl jl", "kl");
        row(u"覃海洋", "qhy thy", "chy");
        row(u"解缙", "xj jj", "hj");
        row(u"翟志强", "zzq dzq", "czq");
        row(u"曾国藩", "zgf cgf", "sgf");
        row(u"乐正子春", "yzzc lzzc", "yzzs");
        row(u"阚泽", "kz hz", "gz");
        row(u"颉利", "xl jl", "gl");
        row(u"宓妃", "ff mf", "bf");
        row(u"佴晓", "nx ex", "ax");
        row(u"粘罕", "nh zh", "sh");
        // Compound surnames.
        row(u"尉迟恭", "ycg wcg", "ucg ycq");
        row(u"万俟卨", "mqx", "mqy");
        row(u"长孙无忌", "zswj cswj swj", "zswq");
        row(u"澹台灭明", "ttmm dtmm", "ttm9");
        row(u"单于夜", "cyy dyy", "cyx");
        row(u"子车铖", "zjc zcc", "zqc");
        row(u"欧阳修", "oyx", "ayx");
        row(u"诸葛亮", "zgl", "zkl");
        row(u"司马懿", "smy", "smi");
        row(u"上官婉儿", "sgwe sgw", "sgwa");
        row(u"令狐冲", "lhc", "lfc");
        row(u"慕容复", "mrf", "mlf");
        row(u"宇文化及", "ywhj", "ywhq");
        row(u"端木蓉", "dmr", "dml");
        row(u"呼延灼", "hyz", "fyz");
        row(u"夏侯惇", "xhd", "xhs");
        row(u"皇甫嵩", "hfs hps", "hks");
        row(u"公孙策", "gsc", "gsz");
        row(u"东方朔", "dfs", "dfx");
        row(u"司徒雷登", "stld", "stlt");
        row(u"拓跋焘", "tbt", "tpt");
        // Level-2 characters read luo, luan, lun, lü, which the old letters give as M.
        row(u"栾嘉欣", "ljx mjx", "njx");
        row(u"雒芸", "ly my", "ny");
        row(u"李珞", "ll lm", "lk");
        row(u"王鸾", "wl", "wn");
        row(u"金銮", "jl", "jn");
        // Characters that GBK adds to GB2312.
        row(u"张赟", "zy zh", "zx");
        row(u"李堃", "lk", "lq");
        row(u"王犇", "wb", "wp");
        row(u"林晞", "lx", "lq");
        row(u"王珺", "wj", "wq");
        // Characters with one reading.
        row(u"李小明", "lxm lx xm l", "lm lxn xl");
        row(u"张三丰", "zsf", "zsz");
        row(u"刘德华", "ldh", "lth");
        row(u"周杰伦", "zjl", "zjn");
        row(u"赵丽颖", "zly", "zlx");
        row(u"孙悟空", "swk", "swg");
        row(u"黄晓明", "hxm", "hsm");
        row(u"郭富城", "gfc", "kfc");
        row(u"杨幂", "ym", "yn");
        row(u"徐静蕾", "xjl", "xjr");
        row(u"林心如", "lxr", "lxl");
        row(u"邓小平", "dxp", "txp");
        // Other characters stand for themselves.
        row(u"A李1", "al1 l1", "a11");
        row(u"li李", "L", "li lil");
        row(u"买买提·艾力", "mmt·al", "mmtal");
        row(u"王-芳", "w-f", "wf");
    }
    void names()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, finds);
        QFETCH(QStringList, misses);
        const NameInitials initials(name);
        QVERIFY(initials.contains(PinYinLeader(name)));
        QCOMPARE(initials.leader(), PinYinLeader(name));
        for (const QString &typed : finds)
            QVERIFY2(initials.contains(typed.toUpper()), qPrintable(typed));
        for (const QString &typed : misses)
            QVERIFY2(!initials.contains(typed.toUpper()), qPrintable(typed));
    }

    void fullLength_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("full");
        // A GBK addition past the end of the old level-2 letters: the old initials drop it,
        // so either length spells the whole name.
        const QString dropped = u"李"_qs + fromGbk(QByteArray("\xF7\x60", 2)) + u"明"_qs;
        QTest::newRow("all initials") << u"单语芳"_qs << 3 << true;
        QTest::newRow("part") << u"单语芳"_qs << 2 << false;
        QTest::newRow("old length") << dropped << 2 << true;
        QTest::newRow("one per character") << dropped << 3 << true;
        QTest::newRow("shorter") << dropped << 1 << false;
    }
    void fullLength()
    {
        QFETCH(QString, name);
        QFETCH(int, length);
        QFETCH(bool, full);
        QCOMPARE(NameInitials(name).isFullLength(length), full);
    }

    void gbkAdditionPastTheOldLetters()
    {
        // 0xF760 lies past the end of the old level-2 letters: the old initials drop it,
        // its readings give it a place of its own.
        const QString name = u"李"_qs + fromGbk(QByteArray("\xF7\x60", 2)) + u"明"_qs;
        const NameInitials initials(name);
        QCOMPARE(initials.leader(), u"LM"_qs);
        QCOMPARE(initials.size(), 3);
        QVERIFY(initials.contains(u"LM"));
        QVERIFY(initials.initialsAt(1) != 0);
        QVERIFY(initials.contains(QString(u'L') + initialLetters(initials.initialsAt(1)).left(1) + u'M'));
    }

    void emptyAndOddText()
    {
        QVERIFY(NameInitials().contains(u""));
        QVERIFY(!NameInitials().contains(u"L"));
        QVERIFY(!NameInitials(u"李").contains(u"LL"));
        // A lone surrogate or a character outside the BMP stands for itself.
        const QString odd = QString(QChar(0xD800)) + u"王😀"_qs;
        QVERIFY(NameInitials(odd).contains(QString(QChar(0xD800)) + u"W"_qs));
        QVERIFY(NameInitials(odd).contains(u"W😀"_qs));
        QCOMPARE(NameInitials(u"\t"_qs).initialsAt(0), InitialSet(0));
        QCOMPARE(NameInitials(u"李"_qs).initialsAt(5), InitialSet(0));
    }

    // Every ideograph of GBK has the initials of its readings; the old letter of a GB2312
    // character is one of them wherever the old tables read it right.
    void everyGbkCharacterHasReadings()
    {
        int withReadings = 0;
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F)
                    continue;
                const char bytes[] = {char(lead), char(trail)};
                const QString c = fromGbk(QByteArray(bytes, 2));
                if (c.size() != 1)
                    continue;
                const char16_t code = c[0].unicode();
                const bool unified = code >= 0x4E00 && code <= 0x9FA5;
                const bool compatibility = code >= 0xF900 && code <= 0xFAFF;
                const InitialSet set = readingInitials(c[0]);
                if ((unified || compatibility) && !withoutReadings().contains(code))
                    QVERIFY2(set != 0, qPrintable(QString::number(lead * 256 + trail, 16)));
                if (withoutReadings().contains(code))
                    QCOMPARE(set, InitialSet(0));
                withReadings += set != 0;
            }
        }
        QCOMPARE(withReadings, 20958);
        QCOMPARE(readingInitials(u'单'), initialSetOf(u"CDS"));
        QCOMPARE(readingInitials(u'\u9FA5'), initialSetOf(u"Y")); // the last one
        QCOMPARE(readingInitials(u'\u4E00'), initialSetOf(u"Y")); // the first one
        QCOMPARE(readingInitials(u'A'), InitialSet(0));
        QCOMPARE(readingInitials(u'\uE000'), InitialSet(0));
        QCOMPARE(readingInitials(u'\uFFFF'), InitialSet(0));
    }

    void letterSets()
    {
        QCOMPARE(initialLetters(initialSetOf(u"SDCs1")), u"CDS"_qs);
        QCOMPARE(initialLetters(0), QString());
        QCOMPARE(initialBit(u'Z'), InitialSet(1) << 25);
        QCOMPARE(initialBit(u'['), InitialSet(0));
    }

    // The surname table holds readings the characters really have, and every compound
    // surname of the standard list.
    void surnameTable()
    {
        QStringList compounds;
        for (const SurnameReading &s : surnameReadings()) {
            QCOMPARE(s.initials.size(), s.surname.size());
            for (qsizetype i = 0; i < s.surname.size(); ++i) {
                const InitialSet readings = readingInitials(s.surname[i]);
                QVERIFY2(readings & initialBit(s.initials[i].unicode()), qPrintable(s.surname.toString()));
            }
            if (s.surname.size() > 1)
                compounds.append(s.surname.toString());
        }
        QStringList standard = standardCompoundSurnames();
        standard.sort();
        compounds.sort();
        QCOMPARE(compounds, standard);
    }

    // The committed table is what the generator makes of the installed Unihan data.
    void tableIsGenerated()
    {
        if (!QFile::exists(UnihanReadings))
            QSKIP("unicode-data is not installed");
        QProcess bzcat;
        bzcat.start(QStringLiteral("bzcat"), {UnihanReadings});
        QVERIFY2(bzcat.waitForFinished(120000), "bzcat");
        const QByteArray unihan = bzcat.readAllStandardOutput();
        QVERIFY(unihan.size() > 1000000);
        const GeneratedReadingTable table = generateReadingTable(unihan);
        QFile committed(QStringLiteral(CORVANTA_READING_TABLE));
        QVERIFY(committed.open(QIODevice::ReadOnly));
        QVERIFY2(table.source == committed.readAll(), "run scripts/generate-reading-initials.sh");
        QCOMPARE(table.characters, 20958);
        QCOMPARE(table.unreadable.size(), withoutReadings().size());
    }

    void generatorOnSmallInput()
    {
        // Tone marks and both list formats; other fields and broken lines are ignored.
        const QByteArray unihan = "# Unicode version: 99.0\n"
                                  "U+5355\tkMandarin\tdān\n"
                                  "U+5355\tkXHC1983\t0117.100:chán 0999.090*,0999.091:shàn\n"
                                  "U+533A\tkHanyuPinyin\t10019.020:qū,ōu\n"
                                  "U+4E00\tkCantonese\tjat1\n"
                                  "U+4E01\tkMandarin\n"
                                  "U+XYZ\tkMandarin\tdīng\n"
                                  "U+5DE5\tkMandarin\tǹg\n";
        const GeneratedReadingTable table = generateReadingTable(unihan);
        QCOMPARE(table.characters, 3);
        QVERIFY(table.source.contains("Unicode 99.0"));
        QVERIFY(table.source.contains("[CDS]"));
        QVERIFY(table.source.contains("[OQ]"));
        QVERIFY(table.source.startsWith("// Generated"));
        QVERIFY(table.unreadable.contains(u"U+4E00 (GBK D2BB)"_qs));
        QCOMPARE(generateReadingTable(QByteArray()).characters, 0);
    }
};

QTEST_GUILESS_MAIN(TestNameInitials)
#include "tst_NameInitials.moc"
