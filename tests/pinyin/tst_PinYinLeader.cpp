#include "core/TextCodec.h"
#include "pinyin/PinYinLeader.h"

#include <QTest>

using namespace corvanta;

namespace {

// The character stored under a two-byte code-page-936 code.
QString gbkChar(int twoByteCode)
{
    QByteArray bytes;
    bytes.append(char(twoByteCode >> 8));
    bytes.append(char(twoByteCode & 0xFF));
    return fromGbk(bytes);
}

} // namespace

class TestPinYinLeader : public QObject
{
    Q_OBJECT
private slots:
    void tablesAreComplete()
    {
        QCOMPARE(pinYinSpecialCharacters().size(), 25);
        QCOMPARE(pinYinSpecialLetters().size(), 25);
        for (int k = 0; k < Level2TextCount; ++k)
            QCOMPARE(level2Text(k).size(), 188);
        QCOMPARE(level2Text(Level2TextCount).size(), 0);
        QCOMPARE(BuildLevel2Leaders().size(), 3008);
        QCOMPARE(Level2Leaders(), BuildLevel2Leaders());
        for (QChar c : Level2Leaders())
            QVERIFY2(c >= u'A' && c <= u'Z', qPrintable(QString(c)));
        // Every special character is a single GBK character with a letter of its own.
        for (QChar c : pinYinSpecialCharacters())
            QVERIFY2(gbkSignedCode(c) < 0, qPrintable(QString(c)));
    }

    void names_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("initials");
        QTest::newRow("level-1 name") << u"李小明"_qs << u"LXM"_qs;
        QTest::newRow("level-1 name 2") << u"张三丰"_qs << u"ZSF"_qs;
        QTest::newRow("O range") << u"欧阳"_qs << u"OY"_qs;
        QTest::newRow("surname read Zhai, not Di") << u"翟志强"_qs << u"ZZQ"_qs;
        QTest::newRow("surname read Xie, not Jie") << u"解放"_qs << u"XF"_qs;
        QTest::newRow("name character outside GB2312") << u"王珺"_qs << u"WJ"_qs;
        QTest::newRow("first level-2 character") << u"亍"_qs << u"C"_qs;
        QTest::newRow("second level-2 character") << u"丌"_qs << u"J"_qs;
        QTest::newRow("ASCII passes, case kept") << u"A李1"_qs << u"AL1"_qs;
        QTest::newRow("lower case stays") << u"li李"_qs << u"liL"_qs;
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("all special characters")
            << pinYinSpecialCharacters().toString() << pinYinSpecialLetters().toString();
        QTest::newRow("punctuation and symbols") << u"，。（Ａ）ア"_qs << u"，。（Ａ）ア"_qs;
        QTest::newRow("tab and brackets") << u"李\t[3次]"_qs << u"L\t[3C]"_qs;
        QTest::newRow("last level-2 character") << gbkChar(0xF7FE) << u"Z"_qs;
        QTest::newRow("first character of level-2 row 2") << gbkChar(0xD9A1) << u"T"_qs;
        // GBK additions: in the level-1 block the letter of the range around them; in
        // the level-2 block the letter at their computed place, or none past the end.
        QTest::newRow("GBK addition in level-1 block") << gbkChar(0xB140) << u"B"_qs;
        QTest::newRow("GBK addition before level-1 block") << gbkChar(0xB0A0) << gbkChar(0xB0A0);
        QTest::newRow("GBK addition in level-2 block") << gbkChar(0xD940) << u"X"_qs;
        QTest::newRow("GBK addition in last row") << gbkChar(0xF740) << u"H"_qs;
        QTest::newRow("GBK addition past the letters") << u"李"_qs + gbkChar(0xF760) + u"明"_qs << u"LM"_qs;
        QTest::newRow("GBK addition past the letters 2") << gbkChar(0xF7A0) << QString();
        QTest::newRow("GBK row above level-2") << gbkChar(0xF840) << gbkChar(0xF840);
        QTest::newRow("Hangul outside GBK") << u"한국"_qs << u"한국"_qs;
        QTest::newRow("emoji outside the BMP") << u"李😀明"_qs << u"L😀M"_qs;
        QTest::newRow("lone surrogate")
            << QString(QChar(0xD800)) + u"王"_qs << QString(QChar(0xD800)) + u"W"_qs;
        QTest::newRow("euro sign") << u"€"_qs << u"€"_qs;
    }
    void names()
    {
        QFETCH(QString, text);
        QFETCH(QString, initials);
        QCOMPARE(PinYinLeader(text), initials);
    }

    void perCharacter()
    {
        // One entry per character, a null one where the initials text drops the character.
        const QList<QChar> letters = pinYinLeaderPerCharacter(u"李"_qs + gbkChar(0xF760) + u"a明"_qs);
        QCOMPARE(letters, (QList<QChar>{u'L', QChar(), u'a', u'M'}));
        QVERIFY(pinYinLeaderPerCharacter(u"").isEmpty());
    }

    // First and last code of every letter of the level-1 block, checked through the
    // character the code page stores there.
    void level1Boundaries_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("letter");
        const struct
        {
            int first, last;
            char letter;
        } ranges[] = {
            {0xB0A1, 0xB0C4, 'A'}, {0xB0C5, 0xB2C0, 'B'}, {0xB2C1, 0xB4ED, 'C'}, {0xB4EE, 0xB6E9, 'D'},
            {0xB6EA, 0xB7A1, 'E'}, {0xB7A2, 0xB8C0, 'F'}, {0xB8C1, 0xB9FD, 'G'}, {0xB9FE, 0xBBF6, 'H'},
            {0xBBF7, 0xBFA5, 'J'}, {0xBFA6, 0xC0AB, 'K'}, {0xC0AC, 0xC2E7, 'L'}, {0xC2E8, 0xC4C2, 'M'},
            {0xC4C3, 0xC5B5, 'N'}, {0xC5B6, 0xC5BD, 'O'}, {0xC5BE, 0xC6D9, 'P'}, {0xC6DA, 0xC8BA, 'Q'},
            {0xC8BB, 0xC8F5, 'R'}, {0xC8F6, 0xCBF9, 'S'}, {0xCBFA, 0xCDD9, 'T'}, {0xCDDA, 0xCEF3, 'W'},
            {0xCEF4, 0xD1B8, 'X'}, {0xD1B9, 0xD4D0, 'Y'}, {0xD4D1, 0xD7F9, 'Z'},
        };
        for (const auto &r : ranges) {
            const QString letter(QLatin1Char(r.letter));
            QTest::addRow("%c first %X", r.letter, r.first) << r.first << letter;
            QTest::addRow("%c last %X", r.letter, r.last) << r.last << letter;
        }
    }
    void level1Boundaries()
    {
        QFETCH(int, code);
        QFETCH(QString, letter);
        const QString c = gbkChar(code);
        QCOMPARE(c.size(), 1);
        QCOMPARE(gbkSignedCode(c[0]), code - 65536);
        QCOMPARE(Level1Leader(code - 65536), letter);
        if (!pinYinSpecialCharacters().contains(c[0]))
            QCOMPARE(PinYinLeader(c), letter);
    }

    void level1OutsideTheBlock_data()
    {
        QTest::addColumn<int>("code");
        QTest::newRow("just below") << -20320;
        QTest::newRow("just above") << -10246;
        QTest::newRow("ASCII") << 65;
        QTest::newRow("level-2") << -10079;
    }
    void level1OutsideTheBlock()
    {
        QFETCH(int, code);
        QCOMPARE(Level1Leader(code), QString());
    }

    void codes_data()
    {
        QTest::addColumn<QString>("character");
        QTest::addColumn<int>("code");
        QTest::newRow("ASCII") << u"A"_qs << 65;
        QTest::newRow("question mark") << u"?"_qs << 63;
        QTest::newRow("not in GBK") << u"한"_qs << 63;
        QTest::newRow("level-1") << u"李"_qs << 0xC0EE - 65536;
        QTest::newRow("level-2") << u"亍"_qs << -10079;
    }
    void codes()
    {
        QFETCH(QString, character);
        QFETCH(int, code);
        QCOMPARE(gbkSignedCode(character[0]), code);
    }
};

QTEST_GUILESS_MAIN(TestPinYinLeader)
#include "tst_PinYinLeader.moc"
